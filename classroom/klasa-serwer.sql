-- The class's database on the school's PostgreSQL server, for Zoltava mnożenia.
--
-- Run once by the administrator, as a superuser (or a role that may create
-- roles), in the database the class's results go to:
--
--   createdb zoltava_klasa
--   psql -d zoltava_klasa -v haslo_stanowisk='…' -v haslo_nauczyciela='…' \
--        -f /usr/share/zoltava-mnozenia/klasa-serwer.sql
--
-- It creates the schema "zoltava" (tables drills and answers, and the
-- schema's version) and two login roles:
--   zoltava_stanowisko  the workstations: may only add drills and their
--                       answers; cannot read, change or delete any row,
--                       its own included;
--   zoltava_nauczyciel  the teacher: reads everything, changes nothing.
-- Running it again keeps every row, sets the two passwords anew and brings
-- an older schema up to this version; a newer schema is left alone.
\set ON_ERROR_STOP on
\if :{?haslo_stanowisk}
\else
DO $$ BEGIN RAISE EXCEPTION 'Brak hasła stanowisk: psql … -v haslo_stanowisk=… -v haslo_nauczyciela=…'; END $$;
\endif
\if :{?haslo_nauczyciela}
\else
DO $$ BEGIN RAISE EXCEPTION 'Brak hasła nauczyciela: psql … -v haslo_stanowisk=… -v haslo_nauczyciela=…'; END $$;
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
    IF (SELECT version FROM zoltava.schema_version) > 1 THEN
        RAISE EXCEPTION 'Baza klasy ma nowszą wersję schematu (%) niż ten skrypt (1); nic nie zmieniono.',
            (SELECT version FROM zoltava.schema_version);
    END IF;
END $$;
INSERT INTO zoltava.schema_version (version) VALUES (1) ON CONFLICT (one_row) DO NOTHING;

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
CREATE INDEX IF NOT EXISTS drills_by_child ON zoltava.drills (class, child, ended_at);
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

-- The workstations add; the teacher reads.
REVOKE ALL ON ALL TABLES IN SCHEMA zoltava FROM PUBLIC, zoltava_stanowisko, zoltava_nauczyciel;
GRANT CONNECT ON DATABASE :"DBNAME" TO zoltava_stanowisko, zoltava_nauczyciel;
GRANT USAGE ON SCHEMA zoltava TO zoltava_stanowisko, zoltava_nauczyciel;
GRANT EXECUTE ON FUNCTION zoltava.schema_version() TO zoltava_stanowisko, zoltava_nauczyciel;
GRANT INSERT ON zoltava.drills, zoltava.answers TO zoltava_stanowisko;
GRANT SELECT ON ALL TABLES IN SCHEMA zoltava TO zoltava_nauczyciel;

COMMIT;
