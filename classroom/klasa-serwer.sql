-- The class's database on the school's PostgreSQL server, for Zoltava mnożenia.
--
-- Run once by the administrator, as a superuser, in the database the
-- class's results go to:
--
--   createdb zoltava_klasa
--   psql -d zoltava_klasa -f /usr/share/zoltava-mnozenia/klasa-serwer.sql
--
-- It asks for the two passwords (from the standard input, so they are never
-- on a command line), and keeps its own statements out of the server's log.
--
-- It creates the schema "zoltava" (tables drills and answers, and the
-- schema's version) and two login roles:
--   zoltava_stanowisko  the workstations: may only add whole drills through
--                       zoltava.add_drill, read their class's roster
--                       (zoltava.roster) and a roster child's practice
--                       record (zoltava.child_facts); cannot read, change
--                       or delete any row, its own included;
--   zoltava_nauczyciel  the teacher: reads everything, changes nothing.
-- No login of the database may end or cancel another's session.
-- Running it again keeps every row, sets the two passwords anew and brings
-- an older schema up to this version; a newer schema is left alone.
\set ON_ERROR_STOP on
SET log_statement = 'none';
SET log_min_duration_statement = -1;
SET log_min_error_statement = 'panic';
\if :{?haslo_stanowisk}
\else
\prompt 'Hasło stanowisk (zoltava_stanowisko): ' haslo_stanowisk
\endif
\if :{?haslo_nauczyciela}
\else
\prompt 'Hasło nauczyciela (zoltava_nauczyciel): ' haslo_nauczyciela
\endif
SELECT :'haslo_stanowisk' = '' OR :'haslo_nauczyciela' = '' AS brak_hasla \gset
\if :brak_hasla
DO $$ BEGIN RAISE EXCEPTION 'Puste hasło: nic nie zmieniono.'; END $$;
\endif

BEGIN;

-- The roles, made when missing; their passwords are set each time.
SELECT format('CREATE ROLE %I LOGIN', r) FROM unnest(ARRAY['zoltava_stanowisko', 'zoltava_nauczyciel']) AS r
 WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = r) \gexec
ALTER ROLE zoltava_stanowisko LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOINHERIT PASSWORD :'haslo_stanowisk';
ALTER ROLE zoltava_nauczyciel LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOINHERIT PASSWORD :'haslo_nauczyciela';

CREATE SCHEMA IF NOT EXISTS zoltava;
REVOKE ALL ON SCHEMA zoltava FROM PUBLIC;

-- The schema's version: one row. The program refuses a version it does
-- not know.
CREATE TABLE IF NOT EXISTS zoltava.schema_version (
    version integer NOT NULL,
    one_row boolean PRIMARY KEY DEFAULT true CHECK (one_row));
DO $$
BEGIN
    IF (SELECT version FROM zoltava.schema_version) > 2 THEN
        RAISE EXCEPTION 'Baza klasy ma nowszą wersję schematu (%) niż ten skrypt (2); nic nie zmieniono.',
            (SELECT version FROM zoltava.schema_version);
    END IF;
END $$;
INSERT INTO zoltava.schema_version (version) VALUES (2) ON CONFLICT (one_row) DO UPDATE SET version = 2;

-- The version as the workstations ask for it (they may read no table).
CREATE OR REPLACE FUNCTION zoltava.schema_version() RETURNS integer
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog
    AS 'SELECT version FROM zoltava.schema_version';
REVOKE ALL ON FUNCTION zoltava.schema_version() FROM PUBLIC;

-- One row per finished drill; id is made by the workstation, so a drill
-- sent twice is stored once.
CREATE TABLE IF NOT EXISTS zoltava.drills (
    id uuid PRIMARY KEY,
    class text NOT NULL CHECK (char_length(class) BETWEEN 1 AND 100),
    workstation text NOT NULL CHECK (char_length(workstation) BETWEEN 1 AND 100),
    child text NOT NULL CHECK (char_length(child) <= 200),
    ended_at timestamptz NOT NULL,
    operation smallint NOT NULL CHECK (operation BETWEEN 0 AND 3), -- × ÷ + −
    questions smallint NOT NULL CHECK (questions BETWEEN 1 AND 1000),
    pace_ms integer NOT NULL CHECK (pace_ms > 0),   -- the timer's interval: 170, 60, 20
    narrator boolean NOT NULL,
    good smallint NOT NULL CHECK (good >= 0),
    bad smallint NOT NULL CHECK (bad >= 0),
    grade smallint NOT NULL CHECK (grade BETWEEN 1 AND 6),
    received_at timestamptz NOT NULL DEFAULT now(),
    draw smallint NOT NULL DEFAULT 0 CHECK (draw IN (0, 1))); -- 0 random, 1 the child's difficult facts
-- (A table made by an earlier run of this script gets the draw too.)
ALTER TABLE zoltava.drills ADD COLUMN IF NOT EXISTS draw smallint NOT NULL DEFAULT 0 CHECK (draw IN (0, 1));
-- A child's drills a page at a time, newest first (version 2 adds the id).
DROP INDEX IF EXISTS zoltava.drills_by_child;
CREATE INDEX IF NOT EXISTS drills_by_child_page ON zoltava.drills (class, child, ended_at, id);
CREATE INDEX IF NOT EXISTS drills_by_operation ON zoltava.drills (class, operation, ended_at);

-- Every question of a drill with the answer typed.
CREATE TABLE IF NOT EXISTS zoltava.answers (
    drill_id uuid NOT NULL REFERENCES zoltava.drills (id) ON DELETE CASCADE,
    number smallint NOT NULL CHECK (number >= 1),   -- 1-based
    operand1 integer NOT NULL,
    operand2 integer NOT NULL,
    answer text NOT NULL CHECK (char_length(answer) <= 20), -- as typed; '' when none
    correct boolean NOT NULL,
    time_ms integer NOT NULL CHECK (time_ms >= 0),
    PRIMARY KEY (drill_id, number));

-- The class's roster (version 2): each child once, with an id that stays
-- when the teacher renames the child; two children of one name are told
-- apart by the teacher's note. Made by the teacher; a drill names its child
-- by this id (drills sent before the roster, or from a child not on it,
-- keep only the name).
CREATE TABLE IF NOT EXISTS zoltava.children (
    id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
    class text NOT NULL CHECK (char_length(class) BETWEEN 1 AND 100),
    name text NOT NULL CHECK (btrim(name) <> '' AND char_length(name) <= 200),
    note text NOT NULL DEFAULT '' CHECK (char_length(note) <= 200),
    removed boolean NOT NULL DEFAULT false,
    created_at timestamptz NOT NULL DEFAULT now());
CREATE INDEX IF NOT EXISTS children_by_class ON zoltava.children (class, name, id);
ALTER TABLE zoltava.drills ADD COLUMN IF NOT EXISTS child_id bigint REFERENCES zoltava.children (id);
CREATE INDEX IF NOT EXISTS drills_by_roster_child ON zoltava.drills (child_id, ended_at, id);

-- The roster of a class as the workstations read it (they read no table).
CREATE OR REPLACE FUNCTION zoltava.roster(p_class text) RETURNS TABLE (id bigint, name text, note text)
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog
    AS $f$ SELECT c.id, c.name, c.note FROM zoltava.children c
           WHERE c.class = p_class AND NOT c.removed ORDER BY c.name, c.id $f$;
REVOKE ALL ON FUNCTION zoltava.roster(text) FROM PUBLIC;

-- What the server refuses, whoever writes (version 2): a time that is not
-- finite or not in this world (a drill ends between 2000 and 2200), an
-- operand outside every operation's range (the exact range of each
-- operation is checked by add_drill below, as the drill draws them), a
-- child without a name. Rows already there are kept (NOT VALID); the
-- teacher's reads skip those that break these rules.
ALTER TABLE zoltava.drills
    DROP CONSTRAINT IF EXISTS drills_ended_at_range,
    ADD CONSTRAINT drills_ended_at_range
        CHECK (ended_at >= '2000-01-01 00:00:00+00' AND ended_at < '2200-01-01 00:00:00+00') NOT VALID,
    DROP CONSTRAINT IF EXISTS drills_received_at_range,
    ADD CONSTRAINT drills_received_at_range CHECK (isfinite(received_at)) NOT VALID,
    DROP CONSTRAINT IF EXISTS drills_child_named,
    ADD CONSTRAINT drills_child_named CHECK (btrim(child) <> '') NOT VALID,
    DROP CONSTRAINT IF EXISTS drills_pace_range,
    ADD CONSTRAINT drills_pace_range CHECK (pace_ms BETWEEN 1 AND 60000) NOT VALID;
ALTER TABLE zoltava.answers
    DROP CONSTRAINT IF EXISTS answers_operands_range,
    ADD CONSTRAINT answers_operands_range CHECK (operand1 BETWEEN 3 AND 99 AND operand2 BETWEEN 3 AND 99) NOT VALID,
    DROP CONSTRAINT IF EXISTS answers_time_range,
    ADD CONSTRAINT answers_time_range CHECK (time_ms BETWEEN 0 AND 86400000) NOT VALID;

-- Whether operands a, b can be a question of the operation, as the drill
-- draws them (PytanieMozliwe in the program): × 3–9 × 3–9; ÷ a quotient
-- and a divisor of 3–9; + two numbers of at least 10, the first at most 79,
-- with a sum up to 99; − two numbers of 10–99, the first not smaller.
-- (No SET clause: the planner inlines it into the teacher's reads.)
CREATE OR REPLACE FUNCTION zoltava.operands_in_range(operation smallint, a integer, b integer) RETURNS boolean
    LANGUAGE sql IMMUTABLE
    AS $f$
    SELECT CASE operation
        WHEN 0 THEN a BETWEEN 3 AND 9 AND b BETWEEN 3 AND 9
        WHEN 1 THEN b BETWEEN 3 AND 9 AND a BETWEEN 9 AND 81 AND a % b = 0 AND a / b BETWEEN 3 AND 9
        WHEN 2 THEN a BETWEEN 10 AND 79 AND b >= 10 AND a + b <= 99
        WHEN 3 THEN a BETWEEN 10 AND 99 AND b BETWEEN 10 AND 99 AND a >= b
        ELSE false END
    $f$;

-- A drill with its answers, in one call (a child of the roster named by its
-- id: the drill takes its name from the roster): the workstations' only way in.
-- The drill is stored whole or not at all. A drill the server already holds
-- is not stored again: the answer is 'same' when it is this drill (sent
-- again), 'other' when another drill holds its id; 'new' when stored.
CREATE OR REPLACE FUNCTION zoltava.add_drill(
    p_id uuid, p_class text, p_workstation text, p_child text, p_ended_ms bigint, p_operation smallint,
    p_questions smallint, p_pace_ms integer, p_narrator boolean, p_good smallint, p_bad smallint,
    p_grade smallint, p_draw smallint, p_answers json, p_child_id bigint) RETURNS text
    LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog
    AS $f$
DECLARE
    d zoltava.drills;
BEGIN
    IF p_ended_ms IS NULL OR p_ended_ms NOT BETWEEN 946684800000 AND 7258118400000 THEN
        RAISE EXCEPTION USING ERRCODE = 'check_violation', MESSAGE = 'the drill''s time is out of range';
    END IF;
    IF p_child_id IS NOT NULL THEN
        -- The roster's child, by its name now.
        SELECT c.name INTO p_child FROM zoltava.children c WHERE c.id = p_child_id AND c.class = p_class;
        IF NOT FOUND THEN
            RAISE EXCEPTION USING ERRCODE = 'check_violation', MESSAGE = 'the child is not on the class''s roster';
        END IF;
    END IF;
    IF EXISTS (SELECT FROM json_to_recordset(p_answers) AS p(a integer, b integer)
               WHERE NOT coalesce(zoltava.operands_in_range(p_operation, p.a, p.b), false)) THEN
        RAISE EXCEPTION USING ERRCODE = 'check_violation', MESSAGE = 'an answer''s operands are out of range';
    END IF;
    INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation, questions, pace_ms, narrator,
                                good, bad, grade, draw, child_id)
    VALUES (p_id, p_class, p_workstation, p_child, to_timestamp(p_ended_ms / 1000.0), p_operation, p_questions,
            p_pace_ms, p_narrator, p_good, p_bad, p_grade, p_draw, p_child_id)
    ON CONFLICT (id) DO NOTHING;
    IF FOUND THEN
        INSERT INTO zoltava.answers (drill_id, number, operand1, operand2, answer, correct, time_ms)
        SELECT p_id, p.n, p.a, p.b, p.o, p.d, p.t
        FROM json_to_recordset(p_answers) AS p(n integer, a integer, b integer, o text, d boolean, t integer);
        RETURN 'new';
    END IF;
    -- Held already: the same drill (its child may have been renamed or
    -- put on the roster since, its workstation renamed), or another one.
    SELECT * INTO d FROM zoltava.drills WHERE id = p_id;
    IF (d.class, d.ended_at, d.operation, d.questions, d.pace_ms, d.narrator, d.good, d.bad,
        d.grade, d.draw) IS NOT DISTINCT FROM
       (p_class, to_timestamp(p_ended_ms / 1000.0), p_operation, p_questions, p_pace_ms,
        p_narrator, p_good, p_bad, p_grade, p_draw)
       AND (d.child_id IS NULL OR p_child_id IS NULL OR d.child_id = p_child_id)
       AND (SELECT count(*) FROM zoltava.answers WHERE drill_id = p_id) = json_array_length(p_answers)
       AND NOT EXISTS (
           SELECT FROM json_to_recordset(p_answers) AS p(n integer, a integer, b integer, o text, d boolean, t integer)
           LEFT JOIN zoltava.answers x ON x.drill_id = p_id AND x.number = p.n
           WHERE (x.operand1, x.operand2, x.answer, x.correct, x.time_ms) IS DISTINCT FROM (p.a, p.b, p.o, p.d, p.t))
    THEN
        RETURN 'same';
    END IF;
    RETURN 'other';
END
$f$;
REVOKE ALL ON FUNCTION zoltava.add_drill(uuid, text, text, text, bigint, smallint, smallint, integer, boolean,
    smallint, smallint, smallint, smallint, json, bigint) FROM PUBLIC;

-- A child's answers as the practice's record is made of them, for the
-- workstations of its class (they read no table): for a child on the class's
-- roster only, and only what the schedule needs (the drill's id and time,
-- the operation, the pace, each question's operands, right or wrong, and the
-- time taken): never the answer typed, the grade, the workstation or another
-- child's rows. The newest 200,000 answers, rows the server should not hold
-- skipped. A workstation merges them with its own by the drill's id.
CREATE OR REPLACE FUNCTION zoltava.child_facts(p_class text, p_child_id bigint)
    RETURNS TABLE (drill uuid, ended_ms bigint, operation smallint, pace_ms integer, number smallint,
                   operand1 integer, operand2 integer, correct boolean, time_ms integer)
    LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog
    AS $f$
    SELECT d.id, CAST(round(extract(epoch FROM d.ended_at) * 1000) AS bigint), d.operation, d.pace_ms, a.number,
           a.operand1, a.operand2, a.correct, a.time_ms
    FROM zoltava.children c
    JOIN zoltava.drills d ON d.child_id = c.id AND d.class = c.class
    JOIN zoltava.answers a ON a.drill_id = d.id
    WHERE c.id = p_child_id AND c.class = p_class AND NOT c.removed
      AND d.ended_at >= '2000-01-01 00:00:00+00' AND d.ended_at < '2200-01-01 00:00:00+00'
      AND d.pace_ms BETWEEN 1 AND 60000 AND a.time_ms BETWEEN 0 AND 86400000
      AND zoltava.operands_in_range(d.operation, a.operand1, a.operand2)
    ORDER BY d.ended_at DESC, d.id DESC, a.number DESC
    LIMIT 200000
    $f$;
REVOKE ALL ON FUNCTION zoltava.child_facts(text, bigint) FROM PUBLIC;

-- The workstations add (through add_drill only); the teacher reads.
REVOKE ALL ON ALL TABLES IN SCHEMA zoltava FROM PUBLIC, zoltava_stanowisko, zoltava_nauczyciel;
GRANT CONNECT ON DATABASE :"DBNAME" TO zoltava_stanowisko, zoltava_nauczyciel;
GRANT USAGE ON SCHEMA zoltava TO zoltava_stanowisko, zoltava_nauczyciel;
GRANT EXECUTE ON FUNCTION zoltava.schema_version() TO zoltava_stanowisko, zoltava_nauczyciel;
GRANT EXECUTE ON FUNCTION zoltava.add_drill(uuid, text, text, text, bigint, smallint, smallint, integer, boolean,
    smallint, smallint, smallint, smallint, json, bigint) TO zoltava_stanowisko;
GRANT EXECUTE ON FUNCTION zoltava.roster(text) TO zoltava_stanowisko, zoltava_nauczyciel;
-- A roster child's practice record follows the child to any workstation of its class.
GRANT EXECUTE ON FUNCTION zoltava.child_facts(text, bigint) TO zoltava_stanowisko;
GRANT SELECT ON ALL TABLES IN SCHEMA zoltava TO zoltava_nauczyciel;
-- The teacher keeps the roster: adds children, renames them, notes them,
-- takes them off it (their drills stay); never deletes one.
GRANT INSERT (class, name, note), UPDATE (name, note, removed) ON zoltava.children TO zoltava_nauczyciel;

-- The workstations share a role, and a role may end its own sessions: in
-- this database no one but a superuser may end or cancel a session.
REVOKE EXECUTE ON FUNCTION pg_catalog.pg_terminate_backend(integer, bigint),
    pg_catalog.pg_cancel_backend(integer) FROM PUBLIC;

COMMIT;
