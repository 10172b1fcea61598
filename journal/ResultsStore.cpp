#include "ResultsStore.h"

#include "DrillState.h"
#include "Practice.h"
#include "QuestionGenerator.h"
#include "Sqlite.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <map>
#include <set>
#include <tuple>
#include <cstdio>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <thread>

namespace zm {

namespace {

using Zegar = std::chrono::steady_clock;

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
};
static_assert(std::size(kKrokiSchematu) == kWersjaSchematu);

// The rules a row must keep to be read at all (a file written by another
// program, or edited by hand, may hold anything).
const QString kDobreCwiczenie = QStringLiteral(
    "typeof(d.ended_at_ms) = 'integer' AND d.operation IN (0, 1, 2, 3) AND d.grade IN (1, 2, 3, 4, 5, 6)"
    " AND typeof(d.questions) = 'integer' AND typeof(d.pace_ms) = 'integer' AND d.pace_ms > 0"
    " AND typeof(d.narrator) = 'integer' AND typeof(d.good) = 'integer' AND typeof(d.bad) = 'integer'");
const QString kDobraOdpowiedz = QStringLiteral(
    "typeof(a.operand1) = 'integer' AND typeof(a.operand2) = 'integer' AND a.operand2 <> 0"
    " AND a.correct IN (0, 1) AND typeof(a.time_ms) = 'integer' AND a.time_ms BETWEEN 0 AND 86400000");
// The operands within the drill's own ranges (PytanieMozliwe, through the
// function each connection registers): an answer that could never have been
// asked is skipped before anything is computed from it.
const QString kPytanieMozliwe = QStringLiteral("pytanie_mozliwe(d.operation, a.operand1, a.operand2)");
// The fact an answer is filed under (as the practice files it): the factors,
// the dividend and divisor, or the ones digits of both numbers.
const QString kFaktA = QStringLiteral("CASE WHEN d.operation >= 2 THEN a.operand1 % 10 ELSE a.operand1 END");
const QString kFaktB = QStringLiteral("CASE WHEN d.operation >= 2 THEN a.operand2 % 10 ELSE a.operand2 END");

void pytanieMozliwe(sqlite3_context* kontekst, int, sqlite3_value** argumenty)
{
    bool mozliwe = true;
    for (int i = 0; i < 3; ++i) mozliwe = mozliwe && sqlite3_value_type(argumenty[i]) == SQLITE_INTEGER;
    sqlite3_result_int(kontekst, mozliwe && PytanieMozliwe(sqlite3_value_int64(argumenty[0]), sqlite3_value_int64(argumenty[1]),
                                                            sqlite3_value_int64(argumenty[2])));
}

bool systemTylkoDoOdczytu(const QString& plik)
{
    struct statvfs s {};
    const QByteArray folder = QFile::encodeName(plik.left(qMax(0, plik.lastIndexOf(QLatin1Char('/')))));
    return ::statvfs(folder.isEmpty() ? "/" : folder.constData(), &s) == 0 && (s.f_flag & ST_RDONLY);
}

// Lines of a check that report a row breaking the schema's rules, which
// SQLite reads perfectly well; anything else is damage.
bool regulaWiersza(const QString& linia)
{
    return linia.startsWith(QLatin1String("CHECK constraint failed")) || linia.startsWith(QLatin1String("NULL value in ")) ||
           linia.startsWith(QLatin1String("non-"));
}

} // namespace

BladBazy RodzajBledu(int kodSqlite, int errnoSystemu, bool systemTylkoDoOdczytu, bool odczyt)
{
    switch (kodSqlite & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE: return BladBazy::Brak;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return BladBazy::Zablokowana;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return BladBazy::Uszkodzona;
    case SQLITE_FULL: return errnoSystemu == EDQUOT ? BladBazy::Przydzial : BladBazy::Pelny;
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_IOERR:
        if (errnoSystemu == EDQUOT) return BladBazy::Przydzial;
        if (errnoSystemu == ENOSPC) return BladBazy::Pelny;
        if (odczyt) return BladBazy::Nieczytelna;
        if (systemTylkoDoOdczytu || errnoSystemu == EROFS) return BladBazy::SystemTylkoDoOdczytu;
        if ((kodSqlite & 0xFF) == SQLITE_IOERR && errnoSystemu != EACCES && errnoSystemu != EPERM) return BladBazy::Inny;
        return BladBazy::TylkoOdczyt;
    default: return BladBazy::Inny;
    }
}

BazaWynikow::BazaWynikow(const QString& plik, Opcje opcje) : plik_(plik), opcje_(opcje)
{
    const bool zapis = opcje_.tryb == Tryb::Zapis;
    // A pipe or a device at the file's place would block the opening for
    // good: only a regular file (or none, to be made) is opened.
    struct stat s {};
    const QByteArray nazwa = QFile::encodeName(plik);
    if (::stat(nazwa.constData(), &s) == 0 && !S_ISREG(s.st_mode)) {
        otwarcie_ = {BladBazy::Nieczytelna, QStringLiteral("not a regular file")};
        return;
    }
    const int flagi = (zapis ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY) |
                      SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_PRIVATECACHE;
    const int kod = sqlite3_open_v2(nazwa.constData(), &db_, flagi, nullptr);
    if (kod != SQLITE_OK) {
        otwarcie_ = blad(kod);
        return;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, &BazaWynikow::naBlokade, this);
    sqlite3_progress_handler(db_, 2000, &BazaWynikow::naPostep, this);
    sqlite3_create_function_v2(db_, "pytanie_mozliwe", 3, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               &pytanieMozliwe, nullptr, nullptr, nullptr);
    otwarcie_ = przygotuj();
}

BazaWynikow::~BazaWynikow() { sqlite3_close_v2(db_); }

int BazaWynikow::naPostep(void* p)
{
    auto* b = static_cast<BazaWynikow*>(p);
    return (b->opcje_.przerwij && b->opcje_.przerwij->load(std::memory_order_relaxed)) || Zegar::now() > b->termin_;
}

int BazaWynikow::naBlokade(void* p, int proba)
{
    auto* b = static_cast<BazaWynikow*>(p);
    const auto teraz = Zegar::now();
    if (proba == 0) b->poczatekCzekania_ = teraz;
    if ((b->opcje_.przerwij && b->opcje_.przerwij->load(std::memory_order_relaxed)) ||
        teraz - b->poczatekCzekania_ >= b->opcje_.czekanie || teraz > b->termin_)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(proba < 5 ? 1 : 5));
    return 1;
}

WynikBazy BazaWynikow::blad(int kod) const
{
    const int e = db_ ? sqlite3_system_errno(db_) : 0;
    const QString opis = db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(kod));
    const bool odczyt = opcje_.tryb == Tryb::Odczyt;
    return {RodzajBledu(kod, e, !odczyt && systemTylkoDoOdczytu(plik_), odczyt), opis};
}

WynikBazy BazaWynikow::przygotuj()
{
    sql::Wykonaj(db_, QStringLiteral("PRAGMA cache_size = -%1").arg(opcje_.pamiecKiB));
    // A file that is not a database fails here, at its first read.
    {
        sql::Zapytanie q(db_, "PRAGMA user_version");
        const int kod = q.Krok();
        if (kod != SQLITE_ROW) return blad(kod);
        wersjaPliku_ = static_cast<int>(q.Int(0));
    }
    if (wersjaPliku_ > kWersjaSchematu)
        return {BladBazy::Nowsza, QStringLiteral("schema version %1").arg(wersjaPliku_)};
    if (opcje_.tryb == Tryb::Odczyt) return {};

    // Written in the log beside the file: a killed program keeps every
    // committed drill, and a reader never waits for the writer. NORMAL
    // sync is safe in this mode (a power cut may lose the last drill,
    // never damage the file).
    {
        sql::Zapytanie q(db_, "PRAGMA journal_mode = WAL");
        const int kod = q.Krok();
        if (kod != SQLITE_ROW) return blad(kod);
    }
    sql::Wykonaj(db_, "PRAGMA synchronous = NORMAL");
    sql::Wykonaj(db_, "PRAGMA foreign_keys = ON");
    return dociagnijSchemat();
}

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
        for (int v = wersja; v < kWersjaSchematu; ++v) {
            if (const int kod = sql::Wykonaj(db_, kKrokiSchematu[v]); kod != SQLITE_OK) return kod;
            if (v == 1)
                if (const int kod = wypelnijFakty(); kod != SQLITE_OK && kod != SQLITE_DONE) return kod;
        }
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
    std::map<std::tuple<std::int64_t, std::uint8_t, Fakt>, StanFaktu> fakty;
    std::map<std::tuple<std::int64_t, std::uint8_t, Fakt>, double> tykniecia;
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.child_id, d.operation, a.operand1, a.operand2, a.correct, a.time_ms,"
                                         " d.pace_ms, d.ended_at_ms FROM answers a JOIN drills d ON d.id = a.drill_id"
                                         " WHERE %1 AND %2 AND %3 ORDER BY d.ended_at_ms, d.id, a.number")
                              .arg(kDobreCwiczenie, kDobraOdpowiedz, kPytanieMozliwe));
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const auto dz = static_cast<std::uint8_t>(q.Int(1));
        const Fakt f = FaktPytania(dz, static_cast<std::int32_t>(q.Int(2)), static_cast<std::int32_t>(q.Int(3)));
        const auto klucz = std::tuple(q.Int(0), dz, f);
        Zapamietaj(fakty[klucz], q.Int(4) != 0, static_cast<std::int32_t>(q.Int(5)), static_cast<std::int32_t>(q.Int(6)),
                   q.Int(7));
        tykniecia[klucz] += static_cast<double>(q.Int(5)) / static_cast<double>(q.Int(6));
    }
    if (kod != SQLITE_DONE) return kod;
    for (const auto& [klucz, stan] : fakty)
        if (const int k = zapiszFakt(std::get<0>(klucz), std::get<2>(klucz), stan, tykniecia[klucz]); k != SQLITE_DONE)
            return k;
    return SQLITE_OK;
}

int BazaWynikow::zapiszFakt(std::int64_t dziecko, const Fakt& f, const StanFaktu& s, double tykniecia)
{
    sql::Zapytanie q(db_, "INSERT OR REPLACE INTO child_facts (child_id, operation, a, b, asked, missed, time_ms, ticks,"
                          " last_ms, box) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Wiaz(1, dziecko).Wiaz(2, f.dzialanie).Wiaz(3, f.a).Wiaz(4, f.b).Wiaz(5, s.pytan).Wiaz(6, s.bledow);
    q.Wiaz(7, s.czasMs).Wiaz(8, tykniecia).Wiaz(9, s.ostatnioMs).Wiaz(10, s.pudelko);
    return q.Krok();
}

WynikBazy BazaWynikow::wTransakcji(const std::function<int()>& kroki)
{
    int kod = sql::Wykonaj(db_, "BEGIN IMMEDIATE");
    if (kod != SQLITE_OK) return blad(kod);
    kod = kroki();
    if (kod == SQLITE_OK || kod == SQLITE_DONE) kod = sql::Wykonaj(db_, "COMMIT");
    if (kod == SQLITE_OK) return {};
    // Nothing of a failed transaction stays: the error first (ROLLBACK
    // would replace it), then the rollback.
    const WynikBazy w = blad(kod);
    if (!sqlite3_get_autocommit(db_)) sql::Wykonaj(db_, "ROLLBACK");
    return w;
}

WynikBazy BazaWynikow::Zapisz(std::span<const ZmianaDziecka> zmiany, std::span<const ZapisCwiczenia> zapisy)
{
    if (!otwarcie_) return otwarcie_;
    return wTransakcji([&]() -> int {
        // A child removed with its drills takes those that waited with the
        // removal too (its ids are never given again).
        std::set<std::int64_t> usunieteZWynikami;
        for (const ZmianaDziecka& z : zmiany) {
            if (const int kod = zmienDziecko(z); kod != SQLITE_OK && kod != SQLITE_DONE) return kod;
            if (z.rodzaj == ZmianaDziecka::Rodzaj::UsunZWynikami) usunieteZWynikami.insert(z.id);
        }
        sql::Zapytanie cw(db_, "INSERT INTO drills (ended_at_ms, operation, questions, pace_ms, narrator, good, bad,"
                               " grade, child_id, draw, uid) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10,"
                               " lower(hex(randomblob(16))) WHERE NOT EXISTS (SELECT 1 FROM drills"
                               " WHERE ended_at_ms = ?1 AND operation = ?2 AND questions = ?3 AND pace_ms = ?4"
                               " AND good = ?6 AND bad = ?7 AND grade = ?8 AND child_id = ?9)");
        sql::Zapytanie odp(db_, "INSERT INTO answers (drill_id, number, operand1, operand2, answer, correct, time_ms)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?)");
        // A drill of a child the file does not know (its name was not
        // written) still has a child.
        sql::Zapytanie dz(db_, "INSERT OR IGNORE INTO children (id, name) VALUES (?1, 'Dziecko ' || ?1)");
        sql::Zapytanie fakt(db_, "SELECT asked, missed, time_ms, ticks, last_ms, box FROM child_facts"
                                 " WHERE child_id = ? AND operation = ? AND a = ? AND b = ?");
        for (const sql::Zapytanie* z : {&cw, &odp, &dz, &fakt})
            if (z->Kod() != SQLITE_OK) return z->Kod();
        for (const ZapisCwiczenia& z : zapisy) {
            const std::int64_t dziecko = z.dziecko > 0 ? z.dziecko : kPierwszeDziecko;
            if (usunieteZWynikami.contains(dziecko)) continue;
            cw.Zeruj();
            cw.Wiaz(1, z.koniecMs).Wiaz(2, z.dzialanie).Wiaz(3, z.iloscPytan).Wiaz(4, z.predkosc).Wiaz(5, z.lektor);
            cw.Wiaz(6, z.dobrze).Wiaz(7, z.zle).Wiaz(8, z.ocena).Wiaz(9, dziecko).Wiaz(10, z.losowanie);
            if (const int kod = cw.Krok(); kod != SQLITE_DONE) return kod;
            if (sqlite3_changes(db_) == 0) continue; // already in the file
            const std::int64_t id = sqlite3_last_insert_rowid(db_);
            dz.Zeruj();
            dz.Wiaz(1, dziecko);
            if (const int kod = dz.Krok(); kod != SQLITE_DONE) return kod;
            std::int64_t nr = 0;
            for (const PytanieCwiczenia& p : z.pytania) {
                odp.Zeruj();
                odp.Wiaz(1, id).Wiaz(2, ++nr).Wiaz(3, p.liczba1).Wiaz(4, p.liczba2);
                odp.Wiaz(5, QString::fromStdString(p.odpowiedz)).Wiaz(6, p.dobrze).Wiaz(7, p.czasMs);
                if (const int kod = odp.Krok(); kod != SQLITE_DONE) return kod;
                // The child's record of the fact, by the practice's rule.
                if (z.predkosc <= 0 || !PytanieMozliwe(z.dzialanie, p.liczba1, p.liczba2)) continue;
                const Fakt f = FaktPytania(z.dzialanie, p.liczba1, p.liczba2);
                StanFaktu s;
                double tykniecia = 0;
                fakt.Zeruj();
                fakt.Wiaz(1, dziecko).Wiaz(2, f.dzialanie).Wiaz(3, f.a).Wiaz(4, f.b);
                // A record that cannot be read is an error, never a fact
                // asked for the first time. Its counts come from the file:
                // kept where one more answer cannot overflow them.
                if (const int kod = fakt.Krok(); kod == SQLITE_ROW) {
                    const std::int64_t pytan = std::clamp<std::int64_t>(fakt.Int(0), 0, INT32_MAX - 1);
                    s = {static_cast<std::int32_t>(pytan),
                         static_cast<std::int32_t>(std::clamp<std::int64_t>(fakt.Int(1), 0, pytan)),
                         std::clamp<std::int64_t>(fakt.Int(2), 0, INT64_MAX / 2), fakt.Int(4),
                         static_cast<std::uint8_t>(std::clamp<std::int64_t>(fakt.Int(5), 0, 5))};
                    tykniecia = fakt.Real(3);
                } else if (kod != SQLITE_DONE) {
                    return kod;
                }
                fakt.Zeruj();
                Zapamietaj(s, p.dobrze, p.czasMs, z.predkosc, z.koniecMs);
                tykniecia += static_cast<double>(p.czasMs) / z.predkosc;
                if (const int kod = zapiszFakt(dziecko, f, s, tykniecia); kod != SQLITE_DONE) return kod;
            }
        }
        return SQLITE_OK;
    });
}

int BazaWynikow::zmienDziecko(const ZmianaDziecka& z)
{
    using R = ZmianaDziecka::Rodzaj;
    switch (z.rodzaj) {
    case R::Imie: {
        sql::Zapytanie q(db_, "INSERT INTO children (id, name) VALUES (?1, ?2)"
                              " ON CONFLICT (id) DO UPDATE SET name = ?2, removed = 0");
        q.Wiaz(1, z.id).Wiaz(2, z.imie);
        return q.Krok();
    }
    case R::Ustawienia: {
        const Ustawienia& u = z.ustawienia;
        sql::Zapytanie q(db_, "UPDATE children SET operation = ?, questions = ?, pace_ms = ?, narrator = ?, draw = ?,"
                              " tables = ? WHERE id = ?");
        q.Wiaz(1, u.Dzialanie).Wiaz(2, u.IloscPytan).Wiaz(3, u.Predkosc).Wiaz(4, u.Lektor);
        q.Wiaz(5, static_cast<std::int64_t>(u.Tryb)).Wiaz(6, u.Tabliczki).Wiaz(7, z.id);
        return q.Krok();
    }
    case R::Wybrane: {
        sql::Zapytanie q(db_, "UPDATE children SET chosen_at_ms = ? WHERE id = ?");
        q.Wiaz(1, z.kiedyMs).Wiaz(2, z.id);
        return q.Krok();
    }
    case R::Usun: {
        sql::Zapytanie q(db_, "UPDATE children SET removed = 1 WHERE id = ?");
        q.Wiaz(1, z.id);
        return q.Krok();
    }
    case R::UsunZWynikami:
        for (const char* polecenie : {"DELETE FROM answers WHERE drill_id IN (SELECT id FROM drills WHERE child_id = ?)",
                                      "DELETE FROM drills WHERE child_id = ?", "DELETE FROM child_facts WHERE child_id = ?",
                                      "DELETE FROM children WHERE id = ?"}) {
            sql::Zapytanie q(db_, polecenie);
            q.Wiaz(1, z.id);
            if (const int kod = q.Krok(); kod != SQLITE_DONE) return kod;
        }
        return SQLITE_DONE;
    }
    return SQLITE_DONE;
}

WynikSprawdzenia BazaWynikow::Sprawdz(Zegar::time_point termin)
{
    WynikSprawdzenia w;
    if (!otwarcie_) return {WynikSprawdzenia::Stan::Blad, 0, otwarcie_.opis};
    termin_ = termin;
    sql::Zapytanie q(db_, "PRAGMA quick_check");
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const QString linia = q.Tekst(0);
        if (linia == QLatin1String("ok")) continue;
        if (regulaWiersza(linia)) {
            ++w.zleWiersze;
        } else if (w.stan == WynikSprawdzenia::Stan::Dobra) {
            w.stan = WynikSprawdzenia::Stan::Uszkodzona;
            w.opis = linia;
        }
    }
    termin_ = Zegar::time_point::max();
    if (kod == SQLITE_DONE) return w;
    const WynikBazy b = blad(kod);
    if ((kod & 0xFF) == SQLITE_INTERRUPT) return {WynikSprawdzenia::Stan::Przerwana, w.zleWiersze, b.opis};
    if (b.blad == BladBazy::Uszkodzona) return {WynikSprawdzenia::Stan::Uszkodzona, w.zleWiersze, b.opis};
    return {WynikSprawdzenia::Stan::Blad, w.zleWiersze, b.opis};
}

QString BazaWynikow::kolumnyCwiczenia() const
{
    // A file of the first version has no children: its drills are the
    // first child's.
    return QStringLiteral("d.ended_at_ms, d.operation, d.questions, d.pace_ms, d.narrator, d.good, d.bad, d.grade, %1")
        .arg(wersjaPliku_ >= 2 ? QStringLiteral("d.child_id, d.draw") : QStringLiteral("1, 0"));
}

QString BazaWynikow::tegoDziecka() const
{
    return wersjaPliku_ >= 2 ? QStringLiteral("(?9 = 0 OR d.child_id = ?9)") : QStringLiteral("(?9 IN (0, 1))");
}

WierszCwiczenia BazaWynikow::wiersz(const sql::Zapytanie& q, int k)
{
    WierszCwiczenia w{q.Int(k), static_cast<std::uint8_t>(q.Int(k + 1)), static_cast<std::int32_t>(q.Int(k + 2)),
                      static_cast<std::int32_t>(q.Int(k + 3)), q.Int(k + 4) != 0, static_cast<std::int32_t>(q.Int(k + 5)),
                      static_cast<std::int32_t>(q.Int(k + 6)), static_cast<std::uint8_t>(q.Int(k + 7))};
    w.dziecko = q.Int(k + 8);
    w.losowanie = static_cast<std::uint8_t>(std::clamp<std::int64_t>(q.Int(k + 9), 0, 1));
    return w;
}

WynikBazy BazaWynikow::Strona(KluczListy& po, int ile, std::vector<WierszCwiczenia>& wiersze, std::int64_t dziecko)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.id, %1 FROM drills d WHERE d.ended_at_ms <= ?1"
                                         " AND (d.ended_at_ms < ?1 OR d.id < ?2) AND %2 AND %3"
                                         " ORDER BY d.ended_at_ms DESC, d.id DESC LIMIT ?3")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie, tegoDziecka()));
    q.Wiaz(1, po.koniecMs).Wiaz(2, po.id).Wiaz(3, ile).Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        po = {q.Int(1), q.Int(0)};
        wiersze.push_back(wiersz(q, 1));
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Oceny(std::vector<OcenaWCzasie>& oceny, std::int64_t& pominiete, std::int64_t dziecko)
{
    pominiete = 0;
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.ended_at_ms, d.operation, d.grade, %1 FROM drills d WHERE %2")
                              .arg(kDobreCwiczenie, tegoDziecka()));
    q.Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        if (q.Int(3) == 0) {
            ++pominiete;
            continue;
        }
        oceny.push_back({q.Int(0), static_cast<std::uint8_t>(q.Int(1)), static_cast<std::uint8_t>(q.Int(2))});
    }
    if (pominiete > 0)
        std::fprintf(stderr, "Zoltava mnożenia: %s: %lld drills break the schema's rules and are skipped\n",
                     qUtf8Printable(plik_), static_cast<long long>(pominiete));
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Fakty(std::uint8_t dzialanie, std::vector<KomorkaFaktu>& komorki, std::int64_t dziecko,
                             std::int64_t odMs)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    // All time from each child's record; a period (or a file of the first
    // version) from the answers themselves.
    const bool zRekordu = wersjaPliku_ >= 2 && odMs <= 0;
    sql::Zapytanie q(db_, zRekordu ? QStringLiteral("SELECT a, b, sum(asked), sum(missed), sum(time_ms), sum(ticks),"
                                                    " max(last_ms), CASE WHEN count(*) = 1 THEN max(box) ELSE 0 END"
                                                    " FROM child_facts WHERE operation = ?1 AND (?9 = 0 OR child_id = ?9)"
                                                    " AND asked > 0 GROUP BY a, b ORDER BY a, b")
                                   : QStringLiteral("SELECT %1, %2, count(*), sum(1 - a.correct), sum(a.time_ms),"
                                                    " sum(a.time_ms * 1.0 / d.pace_ms), max(d.ended_at_ms), 0"
                                                    " FROM answers a JOIN drills d ON d.id = a.drill_id"
                                                    " WHERE d.operation = ?1 AND d.ended_at_ms >= ?2 AND %3 AND %4 AND %5"
                                                    " AND %6 GROUP BY 1, 2 ORDER BY 1, 2")
                                         .arg(kFaktA, kFaktB, kDobreCwiczenie, kDobraOdpowiedz, tegoDziecka(),
                                              kPytanieMozliwe));
    q.Wiaz(1, dzialanie).Wiaz(9, dziecko);
    if (!zRekordu) q.Wiaz(2, odMs);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        KomorkaFaktu k{q.Int(0), q.Int(1), q.Int(2), q.Int(3), q.Real(4), q.Real(5)};
        k.ostatnioMs = q.Int(6);
        k.pudelko = static_cast<std::uint8_t>(std::clamp<std::int64_t>(q.Int(7), 0, 5));
        komorki.push_back(k);
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::KazdeCwiczenie(const std::function<bool(std::int64_t, const WierszCwiczenia&)>& wiersz,
                                      std::int64_t dziecko)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT %1, d.id FROM drills d WHERE %2 AND %3 ORDER BY d.ended_at_ms DESC, d.id DESC")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie, tegoDziecka()));
    q.Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW)
        if (!wiersz(q.Int(10), BazaWynikow::wiersz(q, 0))) return {BladBazy::Inny, QStringLiteral("stopped")};
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::KazdaOdpowiedz(
    const std::function<bool(std::int64_t, const WierszCwiczenia&, const PytanieCwiczenia&)>& odpowiedz, std::int64_t dziecko)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT %1, a.operand1, a.operand2, a.answer, a.correct, a.time_ms, d.id"
                                         " FROM drills d JOIN answers a ON a.drill_id = d.id WHERE %2 AND %3 AND %4 AND %5"
                                         " ORDER BY d.ended_at_ms, d.id, a.number")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie, kDobraOdpowiedz, tegoDziecka(), kPytanieMozliwe));
    q.Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const PytanieCwiczenia p{static_cast<std::int32_t>(q.Int(10)), static_cast<std::int32_t>(q.Int(11)),
                                 q.Tekst(12).toStdString(), q.Int(13) != 0, static_cast<std::int32_t>(q.Int(14))};
        if (!odpowiedz(q.Int(15), wiersz(q, 0), p)) return {BladBazy::Inny, QStringLiteral("stopped")};
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Dzieci(std::vector<WierszDziecka>& dzieci)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ < 2) return {}; // only the first child
    sql::Zapytanie q(db_, "SELECT id, name, removed, chosen_at_ms, operation, questions, pace_ms, narrator, draw, tables"
                          " FROM children WHERE typeof(id) = 'integer' AND typeof(name) = 'text' ORDER BY id");
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        WierszDziecka d;
        d.id = q.Int(0);
        d.imie = UporzadkujImie(q.Tekst(1)).left(kMaksDlugoscImienia);
        if (d.imie.isEmpty()) d.imie = ImieDomyslne(d.id);
        d.usuniete = q.Int(2) != 0;
        d.wybraneMs = q.Int(3);
        // Settings outside their choices keep the drill's defaults.
        Ustawienia& u = d.ustawienia;
        if (const auto v = q.Int(4); v >= 0 && v <= 3) u.Dzialanie = static_cast<std::uint8_t>(v);
        if (const auto v = q.Int(5); v == 10 || v == 30 || v == 70 || v == 100) u.IloscPytan = static_cast<std::int32_t>(v);
        if (const auto v = q.Int(6); NazwaPredkosci(static_cast<std::int32_t>(v))) u.Predkosc = static_cast<std::int32_t>(v);
        u.Lektor = q.Int(7) != 0;
        u.Tryb = q.Int(8) == 1 ? Losowanie::TrudneFakty : Losowanie::Losowe;
        if (const auto v = q.Int(9); (v & WszystkieTabliczki) && !(v & ~std::int64_t{WszystkieTabliczki}))
            u.Tabliczki = static_cast<std::uint16_t>(v);
        dzieci.push_back(std::move(d));
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Rekord(std::int64_t dziecko, RekordFaktow& rekord)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ < 2) return {};
    sql::Zapytanie q(db_, "SELECT operation, a, b, asked, missed, time_ms, last_ms, box FROM child_facts"
                          " WHERE child_id = ? AND operation BETWEEN 0 AND 3 AND asked > 0 AND missed BETWEEN 0 AND asked");
    q.Wiaz(1, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const Fakt f = FaktPytania(static_cast<std::uint8_t>(q.Int(0)), static_cast<std::int32_t>(q.Int(1)),
                                   static_cast<std::int32_t>(q.Int(2)));
        rekord[f] = {static_cast<std::int32_t>(std::min<std::int64_t>(q.Int(3), INT32_MAX)),
                     static_cast<std::int32_t>(std::min<std::int64_t>(q.Int(4), INT32_MAX)), std::max<std::int64_t>(q.Int(5), 0),
                     q.Int(6), static_cast<std::uint8_t>(std::clamp<std::int64_t>(q.Int(7), 1, 5))};
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Niewyslane(int ile, std::vector<DoWyslania>& cwiczenia)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ < 2) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.id, d.uid, coalesce(c.name, 'Dziecko ' || d.child_id), %1"
                                         " FROM drills d LEFT JOIN children c ON c.id = d.child_id"
                                         " WHERE d.sent = 0 AND d.uid IS NOT NULL AND %2 ORDER BY d.ended_at_ms, d.id LIMIT ?1")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie));
    sql::Zapytanie odp(db_, QStringLiteral("SELECT a.operand1, a.operand2, a.answer, a.correct, a.time_ms FROM answers a"
                                           " WHERE a.drill_id = ?1 AND %1 ORDER BY a.number")
                                .arg(kDobraOdpowiedz));
    q.Wiaz(1, ile);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        DoWyslania d{q.Tekst(1), UporzadkujImie(q.Tekst(2)).left(kMaksDlugoscImienia), {}};
        static_cast<PodsumowanieCwiczenia&>(d.zapis) = wiersz(q, 3);
        odp.Zeruj();
        odp.Wiaz(1, q.Int(0));
        int kodOdp;
        while ((kodOdp = odp.Krok()) == SQLITE_ROW)
            d.zapis.pytania.push_back({static_cast<std::int32_t>(odp.Int(0)), static_cast<std::int32_t>(odp.Int(1)),
                                       odp.Tekst(2).toStdString(), odp.Int(3) != 0, static_cast<std::int32_t>(odp.Int(4))});
        // A drill goes whole or not at all: once sent, it is never sent again.
        if (kodOdp != SQLITE_DONE) {
            cwiczenia.clear();
            return blad(kodOdp);
        }
        cwiczenia.push_back(std::move(d));
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::OznaczWyslane(const std::vector<QString>& uid)
{
    if (!otwarcie_) return otwarcie_;
    return wTransakcji([&]() -> int {
        sql::Zapytanie q(db_, "UPDATE drills SET sent = 1 WHERE uid = ?");
        for (const QString& u : uid) {
            q.Zeruj();
            q.Wiaz(1, u);
            if (const int kod = q.Krok(); kod != SQLITE_DONE) return kod;
        }
        return SQLITE_OK;
    });
}

void BazaWynikow::ZwolnijPamiec()
{
    if (db_) sqlite3_db_release_memory(db_);
}

std::optional<QString> BazaWynikow::Odloz(const QString& plik, const QString& dopisek)
{
    const QString znacznik = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString cel = QStringLiteral("%1.%2-%3").arg(plik, dopisek, znacznik);
    for (int n = 2; QFile::exists(cel); ++n) cel = QStringLiteral("%1.%2-%3-%4").arg(plik, dopisek, znacznik).arg(n);
    bool cokolwiek = false;
    if (QFile::exists(plik)) {
        if (!QFile::rename(plik, cel)) return std::nullopt;
        cokolwiek = true;
    }
    // Its journal files belong to it, not to the new file.
    for (const char* dopiskiPliku : {"-wal", "-shm"})
        if (QFile::exists(plik + QLatin1String(dopiskiPliku)))
            cokolwiek |= QFile::rename(plik + QLatin1String(dopiskiPliku), cel + QLatin1String(dopiskiPliku));
    if (!cokolwiek) return std::nullopt;
    return cel;
}

} // namespace zm
