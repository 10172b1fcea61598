#include "ResultsStore.h"

#include "DrillState.h"
#include "Practice.h"
#include "QuestionGenerator.h"
#include "Sqlite.h"
#include "StoreRules.h"

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
