// The schema of the journal's database and the steps from older versions.
#include "ResultsStore.h"

#include "Practice.h"
#include "Sqlite.h"
#include "StoreRules.h"

#include <map>
#include <tuple>

namespace zm {

namespace {

// The steps from each version to the next: kKrokiSchematu[v] brings a file
// of version v to v + 1 (version 0 is a new, empty file). A later version
// appends its step; the steps run in one transaction with the new version.
constexpr const char* kKrokiSchematu[] = {
    // 0 → 1
    "CREATE TABLE drills ("
    " id INTEGER PRIMARY KEY,"
    " ended_at_ms INTEGER NOT NULL,"          // UTC, ms since 1970
    " operation INTEGER NOT NULL CHECK (operation BETWEEN 0 AND 3),"
    " questions INTEGER NOT NULL,"
    " pace_ms INTEGER NOT NULL,"              // the timer's interval
    " narrator INTEGER NOT NULL,"
    " good INTEGER NOT NULL,"
    " bad INTEGER NOT NULL,"
    " grade INTEGER NOT NULL CHECK (grade BETWEEN 1 AND 6));"
    "CREATE INDEX drills_by_end ON drills (ended_at_ms);"
    "CREATE TABLE answers ("
    " drill_id INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,"
    " number INTEGER NOT NULL,"               // 1-based
    " operand1 INTEGER NOT NULL,"
    " operand2 INTEGER NOT NULL,"
    " answer TEXT NOT NULL,"                  // as typed; '' when none
    " correct INTEGER NOT NULL,"
    " time_ms INTEGER NOT NULL,"
    " PRIMARY KEY (drill_id, number)) WITHOUT ROWID;",
    // 1 → 2: the children (today's drills become the first child's), each
    // drill's child, how its questions were drawn, its id for the class's
    // server and whether it was sent, and each child's record of every
    // fact (filled from the answers, see wypelnijFakty).
    "CREATE TABLE children ("
    " id INTEGER PRIMARY KEY,"
    " name TEXT NOT NULL,"
    " removed INTEGER NOT NULL DEFAULT 0,"      // removed, its drills kept
    " chosen_at_ms INTEGER NOT NULL DEFAULT 0," // when last chosen to practise
    " operation INTEGER NOT NULL DEFAULT 0,"    // its settings
    " questions INTEGER NOT NULL DEFAULT 10,"
    " pace_ms INTEGER NOT NULL DEFAULT 60,"
    " narrator INTEGER NOT NULL DEFAULT 1,"
    " draw INTEGER NOT NULL DEFAULT 0,"         // 0 random, 1 the child's difficult facts
    " tables INTEGER NOT NULL DEFAULT 1016);"   // bit n: the table of n (3 to 9)
    "INSERT INTO children (id, name) VALUES (1, 'Dziecko 1');"
    "ALTER TABLE drills ADD COLUMN child_id INTEGER NOT NULL DEFAULT 1;"
    "ALTER TABLE drills ADD COLUMN draw INTEGER NOT NULL DEFAULT 0;"
    "ALTER TABLE drills ADD COLUMN uid TEXT;"
    "ALTER TABLE drills ADD COLUMN sent INTEGER NOT NULL DEFAULT 0;"
    "UPDATE drills SET uid = lower(hex(randomblob(16)));"
    "CREATE UNIQUE INDEX drills_by_uid ON drills (uid);"
    "CREATE INDEX drills_by_child ON drills (child_id, ended_at_ms);"
    "CREATE TABLE child_facts ("
    " child_id INTEGER NOT NULL, operation INTEGER NOT NULL,"
    " a INTEGER NOT NULL, b INTEGER NOT NULL,"  // factors, dividend and divisor, or ones digits
    " asked INTEGER NOT NULL, missed INTEGER NOT NULL, time_ms INTEGER NOT NULL, ticks REAL NOT NULL,"
    " last_ms INTEGER NOT NULL, box INTEGER NOT NULL,"
    " PRIMARY KEY (child_id, operation, a, b)) WITHOUT ROWID;"
    "DROP TRIGGER IF EXISTS fact_totals_add;"
    "DROP TRIGGER IF EXISTS fact_totals_remove;"
    "DROP TRIGGER IF EXISTS fact_totals_remove_drill;"
    "DROP TABLE IF EXISTS fact_totals;",
    // 2 → 3: the records kept by the earlier schedule (a fact mastered in
    // one sitting, due dates in elapsed time) are made again from the
    // answers by the schedule in the child's calendar days (wypelnijFakty).
    "DELETE FROM child_facts;",
};
static_assert(std::size(kKrokiSchematu) == kWersjaSchematu);

} // namespace

WynikBazy BazaWynikow::dociagnijSchemat()
{
    if (wersjaPliku_ == kWersjaSchematu) return {};
    // In one transaction, which a second copy starting at the same moment
    // waits for; the version is read again inside it. This connection's
    // queries then follow the schema it brought the file to.
    WynikBazy w = wTransakcji([this]() -> int {
        int wersja = 0;
        {
            sql::Zapytanie q(db_, "PRAGMA user_version");
            const int kod = q.Krok();
            if (kod != SQLITE_ROW) return kod;
            wersja = static_cast<int>(q.Int(0));
        }
        if (wersja >= kWersjaSchematu) return SQLITE_OK;
        for (int v = wersja; v < kWersjaSchematu; ++v)
            if (const int kod = sql::Wykonaj(db_, kKrokiSchematu[v]); kod != SQLITE_OK) return kod;
        // The steps from versions 1 and 2 leave child_facts empty: filled
        // once, after the last step.
        if (wersja < 3)
            if (const int kod = wypelnijFakty(); kod != SQLITE_OK && kod != SQLITE_DONE) return kod;
        return sql::Wykonaj(db_, QStringLiteral("PRAGMA user_version = %1").arg(kWersjaSchematu));
    });
    if (w) wersjaPliku_ = kWersjaSchematu;
    return w;
}

int BazaWynikow::wypelnijFakty()
{
    // Every answer in the order it was given, through the practice's own
    // rule, so that a child's record is what it would have been had it been
    // kept from the start.
    std::map<std::tuple<std::int64_t, std::uint8_t, Fakt>, std::pair<StanFaktu, double>> fakty;
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.child_id, d.operation, a.operand1, a.operand2, a.correct, a.time_ms,"
                                         " d.pace_ms, d.ended_at_ms FROM answers a JOIN drills d ON d.id = a.drill_id"
                                         " WHERE %1 AND %2 AND %3 ORDER BY d.ended_at_ms, d.id, a.number")
                              .arg(kDobreCwiczenie, kDobraOdpowiedz, kPytanieMozliwe));
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const auto dz = static_cast<std::uint8_t>(q.Int(1));
        const Fakt f = FaktPytania(dz, static_cast<std::int32_t>(q.Int(2)), static_cast<std::int32_t>(q.Int(3)));
        const auto klucz = std::tuple(q.Int(0), dz, f);
        auto& [stan, tykniecia] = fakty[klucz];
        zapamietaj(stan, tykniecia, q.Int(4) != 0, static_cast<std::int32_t>(q.Int(5)), static_cast<std::int32_t>(q.Int(6)),
                   q.Int(7));
    }
    if (kod != SQLITE_DONE) return kod;
    for (const auto& [klucz, s] : fakty)
        if (const int k = zapiszFakt(std::get<0>(klucz), std::get<2>(klucz), s.first, s.second); k != SQLITE_DONE)
            return k;
    return SQLITE_OK;
}

} // namespace zm
