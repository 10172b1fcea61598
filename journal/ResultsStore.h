// The results journal's database: one SQLite file in WAL mode, its schema
// and version with the steps from older versions, the write of finished
// drills in one transaction, the reads of the results window, and the check
// of the file. One object is one connection, used from the thread that made
// it. Nothing read from the file is trusted: rows that break the schema's
// rules are skipped by every read.
#pragma once

#include "Children.h"
#include "ClassDrill.h"
#include "DrillRecord.h"
#include "Practice.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

struct sqlite3;
namespace zm::sql {
class Zapytanie;
}

namespace zm {

// The schema's version, kept in the file's user_version. Opening for
// writing brings an older file up to it step by step (ResultsSchema.cpp,
// kKrokiSchematu); a file of a newer version is only ever read. Version 3
// is version 2 with each child's record of the facts made again by the
// schedule in calendar days.
inline constexpr int kWersjaSchematu = 3;

// What went wrong, as the program tells the user.
enum class BladBazy {
    Brak,
    Folder,               // the data folder cannot be made
    TylkoOdczyt,          // the file or its folder may not be written
    SystemTylkoDoOdczytu, // the file system is mounted read-only
    Zablokowana,          // another program holds the lock
    Pelny,                // the disk is full
    Przydzial,            // the user's disk quota is used up
    Uszkodzona,           // not a database, or damaged
    Nowsza,               // written by a newer version of the program
    Nieczytelna,          // cannot be read (not a file, no permission, I/O error)
    Podmieniona,          // deleted or replaced while the program ran
    Inny,
};

struct WynikBazy {
    BladBazy blad = BladBazy::Brak;
    QString opis; // SQLite's own words, for the log
    explicit operator bool() const { return blad == BladBazy::Brak; }
};

// The kind of a failure from SQLite's result code, the system's errno of
// the failed call, and whether the file system is read-only; `odczyt` for
// a connection that only reads.
BladBazy RodzajBledu(int kodSqlite, int errnoSystemu, bool systemTylkoDoOdczytu, bool odczyt = false);

// One row of the drills list.
using WierszCwiczenia = PodsumowanieCwiczenia;

// Where a page of the list ends: the next page starts after it.
struct KluczListy {
    std::int64_t koniecMs = INT64_MAX;
    std::int64_t id = INT64_MAX;
};

// One drill's grade, for the chart.
struct OcenaWCzasie {
    std::int64_t koniecMs = 0;
    std::uint8_t dzialanie = 0;
    std::uint8_t ocena = 0;
};

// One cell of a fact table, as summed in the file: how often the fact was
// asked and missed, the answer times, and the times in ticks of the pace
// (the window averages them; the values come from the file, so any of them
// may be absurd); for one child's whole record also when it was last asked
// and its practice box.
struct KomorkaFaktu {
    std::int64_t a = 0, b = 0; // the fact (see Fakt): factors, dividend and divisor, or ones digits
    std::int64_t ile = 0;
    std::int64_t bledy = 0;
    double sumaCzasuMs = 0;
    double sumaTykniec = 0;
    std::int64_t ostatnioMs = 0;
    std::uint8_t pudelko = 0; // 0: not known
};

// The result of a check of the whole file.
struct WynikSprawdzenia {
    enum class Stan { Dobra, Uszkodzona, Przerwana, Blad } stan = Stan::Dobra;
    int zleWiersze = 0; // rows that break the schema's rules (not damage)
    QString opis;
};

class BazaWynikow {
public:
    enum class Tryb { Zapis, Odczyt };
    struct Opcje {
        Tryb tryb = Tryb::Zapis;
        // How long a write waits for another program's lock.
        std::chrono::milliseconds czekanie{2000};
        // Set from another thread: the running statement and any wait for a
        // lock end at once.
        const std::atomic<bool>* przerwij = nullptr;
        // SQLite's page cache for this connection: small, as the journal
        // lives as long as the program.
        int pamiecKiB = 256;
    };

    // Opens (and for writing creates, and brings up to the current schema)
    // the file.
    BazaWynikow(const QString& plik, Opcje opcje);
    ~BazaWynikow();
    BazaWynikow(const BazaWynikow&) = delete;
    BazaWynikow& operator=(const BazaWynikow&) = delete;

    const WynikBazy& Otwarcie() const { return otwarcie_; }
    // The version found in the file when it was opened.
    int WersjaPliku() const { return wersjaPliku_; }

    // One transaction for the children's changes, then the drills (with
    // each child's record of every fact): all are written or none. A drill
    // already in the file (same end, operation, counts and child) is not
    // written twice.
    WynikBazy Zapisz(std::span<const ZmianaDziecka> zmiany, std::span<const ZapisCwiczenia> zapisy);
    WynikBazy Zapisz(std::span<const ZapisCwiczenia> zapisy) { return Zapisz({}, zapisy); }
    WynikBazy Zapisz(const ZapisCwiczenia& zapis) { return Zapisz({}, std::span(&zapis, 1)); }

    // The file's structure checked page by page (its rows' rules are only
    // counted), stopped at `termin`.
    WynikSprawdzenia Sprawdz(std::chrono::steady_clock::time_point termin);

    // The reads below take one child's drills, or every child's when
    // `dziecko` is 0.

    // The drills list, newest first: at most `ile` rows after `po`; `po`
    // is moved to the last row read.
    WynikBazy Strona(KluczListy& po, int ile, std::vector<WierszCwiczenia>& wiersze, std::int64_t dziecko = 0);
    // Every drill's grade and time, in the file's order; `pominiete` counts
    // the drills that break the rules.
    WynikBazy Oceny(std::vector<OcenaWCzasie>& oceny, std::int64_t& pominiete, std::int64_t dziecko = 0);
    // Every asked fact of the operation, one cell per fact: all time, or the
    // answers given since `odMs`.
    WynikBazy Fakty(std::uint8_t dzialanie, std::vector<KomorkaFaktu>& komorki, std::int64_t dziecko = 0,
                    std::int64_t odMs = 0);
    // Every drill with its id, newest first, handed to `wiersz` one by one
    // (false stops).
    WynikBazy KazdeCwiczenie(const std::function<bool(std::int64_t id, const WierszCwiczenia&)>& wiersz,
                             std::int64_t dziecko = 0);
    // Every question of every drill (with the drill's id), oldest first
    // (false stops); a question the drill could never have asked is skipped.
    WynikBazy KazdaOdpowiedz(
        const std::function<bool(std::int64_t id, const WierszCwiczenia&, const PytanieCwiczenia&)>& odpowiedz,
        std::int64_t dziecko = 0);
    // The children (none for a file of the first version: only the first
    // child, with the drill's defaults).
    WynikBazy Dzieci(std::vector<WierszDziecka>& dzieci);
    // A child's record of every fact, for the practice.
    WynikBazy Rekord(std::int64_t dziecko, RekordFaktow& rekord);

    // The class's outbox: up to `ile` drills not yet on the class's server,
    // oldest first, each with its id and its child's name; and marking them
    // sent. A file of the first version has none.
    struct DoWyslania {
        QString uid;
        QString imie;
        ZapisCwiczenia zapis;
    };
    WynikBazy Niewyslane(int ile, std::vector<DoWyslania>& cwiczenia);
    WynikBazy OznaczWyslane(const std::vector<QString>& uid);
    // The child's record made again from its answers here and the answers
    // the class's server holds of it (each drill once, by its id: a drill of
    // this file that the server holds too counts once), replayed in the
    // order they were given through the practice's rule (ResultsMerge.cpp).
    WynikBazy ScalRekord(std::int64_t dziecko, const std::vector<OdpowiedzDziecka>& zSerwera);

    // Every statement and wait for a lock from now on ends by `termin`.
    void UstawTermin(std::chrono::steady_clock::time_point termin) { termin_ = termin; }

    // Gives back the memory SQLite keeps for this connection.
    void ZwolnijPamiec();

    // Renames a damaged file (with its WAL and shared-memory files) beside
    // it, as `<plik>.<dopisek>-<date>`; returns the new name, or nothing.
    static std::optional<QString> Odloz(const QString& plik, const QString& dopisek);

private:
    WynikBazy blad(int kod) const;
    WynikBazy przygotuj();
    WynikBazy dociagnijSchemat();
    int wypelnijFakty();
    int zapiszFakt(std::int64_t dziecko, const Fakt& fakt, const StanFaktu& stan, double tykniecia);
    // One answer into a fact's record by the practice's rule, its time also
    // counted in ticks of the drill's pace.
    static void zapamietaj(StanFaktu& stan, double& tykniecia, bool dobrze, std::int32_t czasMs, std::int32_t predkosc,
                           std::int64_t kiedyMs);
    int zmienDziecko(const ZmianaDziecka& zmiana);
    QString kolumnyCwiczenia() const;
    QString tegoDziecka() const;
    static WierszCwiczenia wiersz(const sql::Zapytanie& q, int kolumna);
    WynikBazy wTransakcji(const std::function<int()>& kroki);

    QString plik_;
    Opcje opcje_;
    sqlite3* db_ = nullptr;
    WynikBazy otwarcie_;
    int wersjaPliku_ = 0;
    std::chrono::steady_clock::time_point termin_ = std::chrono::steady_clock::time_point::max();
    std::chrono::steady_clock::time_point poczatekCzekania_{};
    static int naPostep(void* baza);
    static int naBlokade(void* baza, int proba);
};

} // namespace zm
