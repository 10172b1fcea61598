#include "ResultsStore.h"

#include "DrillState.h"
#include "Sqlite.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
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
// The fact an answer is filed under: multiplication by its factors,
// division by quotient and divisor (the fact it rests on), addition and
// subtraction by the operands' tens.
const QString kWierszFaktu = QStringLiteral(
    "CASE d.operation WHEN 0 THEN a.operand1 WHEN 1 THEN a.operand1 / a.operand2 ELSE a.operand1 / 10 END");
const QString kKolumnaFaktu = QStringLiteral("CASE WHEN d.operation <= 1 THEN a.operand2 ELSE a.operand2 / 10 END");

// The facts summed over every answer, kept up to date by triggers as
// answers are written (by this program or an older one), so that the fact
// table never reads all the answers. Made, and filled from the answers,
// when the file lacks it; it is not part of the versioned schema.
QString sumyFaktow(const QString& gdzie)
{
    return QStringLiteral("SELECT d.operation, %1, %2, count(*), sum(1 - a.correct), sum(a.time_ms),"
                          " sum(a.time_ms * 1.0 / d.pace_ms)"
                          " FROM answers a JOIN drills d ON d.id = a.drill_id WHERE %3 AND %4 %5 GROUP BY 1, 2, 3")
        .arg(kWierszFaktu, kKolumnaFaktu, kDobreCwiczenie, kDobraOdpowiedz, gdzie);
}

QString wyzwalacze()
{
    auto zamien = [](QString s, const char* z, const char* na) {
        return s.replace(QLatin1String(z), QLatin1String(na));
    };
    const QString nowa = zamien(kDobraOdpowiedz, "a.", "NEW."), stara = zamien(kDobraOdpowiedz, "a.", "OLD.");
    const QString wNowej = zamien(kWierszFaktu, "a.", "NEW."), kNowej = zamien(kKolumnaFaktu, "a.", "NEW.");
    const QString wStarej = zamien(kWierszFaktu, "a.", "OLD."), kStarej = zamien(kKolumnaFaktu, "a.", "OLD.");
    // A deleted drill takes its answers' share with it (whichever of the
    // two goes first, the share is taken once).
    const QString odpowiedziStarego =
        QStringLiteral("FROM answers a WHERE a.drill_id = OLD.id AND %1 AND %2 = fact_totals.r AND %3 = fact_totals.c")
            .arg(kDobraOdpowiedz, zamien(kWierszFaktu, "d.", "OLD."), zamien(kKolumnaFaktu, "d.", "OLD."));
    return QStringLiteral(
               "CREATE TABLE fact_totals ("
               " operation INTEGER NOT NULL, r INTEGER NOT NULL, c INTEGER NOT NULL,"
               " asked INTEGER NOT NULL, missed INTEGER NOT NULL, time_ms INTEGER NOT NULL, ticks REAL NOT NULL,"
               " PRIMARY KEY (operation, r, c)) WITHOUT ROWID;"
               "INSERT INTO fact_totals %1;"
               "CREATE TRIGGER fact_totals_add AFTER INSERT ON answers WHEN %2 BEGIN"
               " INSERT INTO fact_totals SELECT d.operation, %3, %4, 1, 1 - NEW.correct, NEW.time_ms,"
               "  NEW.time_ms * 1.0 / d.pace_ms FROM drills d WHERE d.id = NEW.drill_id AND %5"
               " ON CONFLICT (operation, r, c) DO UPDATE SET asked = asked + 1, missed = missed + excluded.missed,"
               "  time_ms = time_ms + excluded.time_ms, ticks = ticks + excluded.ticks;"
               " END;"
               "CREATE TRIGGER fact_totals_remove AFTER DELETE ON answers WHEN %6 BEGIN"
               " UPDATE fact_totals SET asked = asked - 1, missed = missed - (1 - OLD.correct),"
               "  time_ms = time_ms - OLD.time_ms,"
               "  ticks = ticks - OLD.time_ms * 1.0 / (SELECT d.pace_ms FROM drills d WHERE d.id = OLD.drill_id)"
               " WHERE (operation, r, c) = (SELECT d.operation, %7, %8 FROM drills d WHERE d.id = OLD.drill_id AND %5);"
               " END;"
               "CREATE TRIGGER fact_totals_remove_drill AFTER DELETE ON drills WHEN %9 BEGIN"
               " UPDATE fact_totals SET asked = asked - (SELECT count(*) %10),"
               "  missed = missed - (SELECT total(1 - a.correct) %10), time_ms = time_ms - (SELECT total(a.time_ms) %10),"
               "  ticks = ticks - (SELECT total(a.time_ms * 1.0 / OLD.pace_ms) %10)"
               " WHERE operation = OLD.operation;"
               " END;")
        .arg(sumyFaktow(QString()), nowa, wNowej, kNowej, kDobreCwiczenie, stara, wStarej, kStarej,
             zamien(kDobreCwiczenie, "d.", "OLD."))
        .arg(odpowiedziStarego);
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
    bool sumy = false;
    {
        sql::Zapytanie q(db_, "SELECT count(*) FROM sqlite_master WHERE name = 'fact_totals'");
        if (q.Krok() == SQLITE_ROW) sumy = q.Int(0) > 0;
    }
    if (wersjaPliku_ == kWersjaSchematu && sumy) return {};
    // In one transaction, which a second copy starting at the same moment
    // waits for; the version is read again inside it.
    return wTransakcji([this]() -> int {
        int wersja = 0;
        {
            sql::Zapytanie q(db_, "PRAGMA user_version");
            const int kod = q.Krok();
            if (kod != SQLITE_ROW) return kod;
            wersja = static_cast<int>(q.Int(0));
        }
        if (wersja > kWersjaSchematu) return SQLITE_OK;
        for (int v = wersja; v < kWersjaSchematu; ++v)
            if (const int kod = sql::Wykonaj(db_, kKrokiSchematu[v]); kod != SQLITE_OK) return kod;
        if (wersja != kWersjaSchematu)
            if (const int kod = sql::Wykonaj(db_, QStringLiteral("PRAGMA user_version = %1").arg(kWersjaSchematu));
                kod != SQLITE_OK)
                return kod;
        sql::Zapytanie q(db_, "SELECT count(*) FROM sqlite_master WHERE name = 'fact_totals'");
        if (q.Krok() == SQLITE_ROW && q.Int(0) > 0) return SQLITE_OK;
        return sql::Wykonaj(db_, wyzwalacze());
    });
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

WynikBazy BazaWynikow::Zapisz(std::span<const ZapisCwiczenia> zapisy)
{
    if (!otwarcie_) return otwarcie_;
    return wTransakcji([&]() -> int {
        sql::Zapytanie cw(db_, "INSERT INTO drills (ended_at_ms, operation, questions, pace_ms, narrator, good, bad,"
                               " grade) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8 WHERE NOT EXISTS (SELECT 1 FROM drills"
                               " WHERE ended_at_ms = ?1 AND operation = ?2 AND questions = ?3 AND pace_ms = ?4"
                               " AND good = ?6 AND bad = ?7 AND grade = ?8)");
        sql::Zapytanie odp(db_, "INSERT INTO answers (drill_id, number, operand1, operand2, answer, correct, time_ms)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?)");
        if (cw.Kod() != SQLITE_OK) return cw.Kod();
        if (odp.Kod() != SQLITE_OK) return odp.Kod();
        for (const ZapisCwiczenia& z : zapisy) {
            cw.Zeruj();
            cw.Wiaz(1, z.koniecMs).Wiaz(2, z.dzialanie).Wiaz(3, z.iloscPytan).Wiaz(4, z.predkosc).Wiaz(5, z.lektor);
            cw.Wiaz(6, z.dobrze).Wiaz(7, z.zle).Wiaz(8, z.ocena);
            if (const int kod = cw.Krok(); kod != SQLITE_DONE) return kod;
            if (sqlite3_changes(db_) == 0) continue; // already in the file
            const std::int64_t id = sqlite3_last_insert_rowid(db_);
            std::int64_t nr = 0;
            for (const PytanieCwiczenia& p : z.pytania) {
                odp.Zeruj();
                odp.Wiaz(1, id).Wiaz(2, ++nr).Wiaz(3, p.liczba1).Wiaz(4, p.liczba2);
                odp.Wiaz(5, QString::fromStdString(p.odpowiedz)).Wiaz(6, p.dobrze).Wiaz(7, p.czasMs);
                if (const int kod = odp.Krok(); kod != SQLITE_DONE) return kod;
            }
        }
        return SQLITE_OK;
    });
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

WynikBazy BazaWynikow::Strona(KluczListy& po, int ile, std::vector<WierszCwiczenia>& wiersze)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.id, d.ended_at_ms, d.operation, d.questions, d.pace_ms, d.narrator,"
                                         " d.good, d.bad, d.grade FROM drills d WHERE d.ended_at_ms <= ?1"
                                         " AND (d.ended_at_ms < ?1 OR d.id < ?2) AND %1"
                                         " ORDER BY d.ended_at_ms DESC, d.id DESC LIMIT ?3")
                              .arg(kDobreCwiczenie));
    q.Wiaz(1, po.koniecMs).Wiaz(2, po.id).Wiaz(3, ile);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        po = {q.Int(1), q.Int(0)};
        wiersze.push_back({q.Int(1), static_cast<std::uint8_t>(q.Int(2)), static_cast<std::int32_t>(q.Int(3)),
                           static_cast<std::int32_t>(q.Int(4)), q.Int(5) != 0, static_cast<std::int32_t>(q.Int(6)),
                           static_cast<std::int32_t>(q.Int(7)), static_cast<std::uint8_t>(q.Int(8))});
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Oceny(std::vector<OcenaWCzasie>& oceny, std::int64_t& pominiete)
{
    pominiete = 0;
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.ended_at_ms, d.operation, d.grade, %1 FROM drills d").arg(kDobreCwiczenie));
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

WynikBazy BazaWynikow::Fakty(std::uint8_t dzialanie, std::vector<KomorkaFaktu>& komorki)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    bool sumy = false;
    {
        sql::Zapytanie q(db_, "SELECT count(*) FROM sqlite_master WHERE name = 'fact_totals'");
        if (q.Krok() == SQLITE_ROW) sumy = q.Int(0) > 0;
    }
    // A file whose sums are not made yet (written by an older program, not
    // yet opened for writing by this one) is summed here.
    sql::Zapytanie q(db_, sumy ? QStringLiteral("SELECT operation, r, c, asked, missed, time_ms, ticks FROM fact_totals"
                                                " WHERE operation = ?1 AND asked > 0 ORDER BY r, c")
                               : sumyFaktow(QStringLiteral("AND d.operation = ?1")));
    q.Wiaz(1, dzialanie);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW)
        komorki.push_back({q.Int(1), q.Int(2), q.Int(3), q.Int(4), q.Real(5), q.Real(6)});
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::KazdeCwiczenie(const std::function<bool(const WierszCwiczenia&)>& wiersz)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.ended_at_ms, d.operation, d.questions, d.pace_ms, d.narrator, d.good,"
                                         " d.bad, d.grade FROM drills d WHERE %1 ORDER BY d.ended_at_ms DESC, d.id DESC")
                              .arg(kDobreCwiczenie));
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        if (!wiersz({q.Int(0), static_cast<std::uint8_t>(q.Int(1)), static_cast<std::int32_t>(q.Int(2)),
                     static_cast<std::int32_t>(q.Int(3)), q.Int(4) != 0, static_cast<std::int32_t>(q.Int(5)),
                     static_cast<std::int32_t>(q.Int(6)), static_cast<std::uint8_t>(q.Int(7))}))
            return {BladBazy::Inny, QStringLiteral("stopped")};
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
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
