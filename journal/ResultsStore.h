// The results journal's database: one SQLite file in WAL mode, its schema
// and version with the steps from older versions, the write of finished
// drills in one transaction, the reads of the results window, and the check
// of the file. One object is one connection, used from the thread that made
// it. Nothing read from the file is trusted: rows that break the schema's
// rules are skipped by every read.
#pragma once

#include "DrillRecord.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

struct sqlite3;

namespace zm {

// The schema's version, kept in the file's user_version. Opening for
// writing brings an older file up to it step by step (ResultsStore.cpp,
// kKrokiSchematu); a file of a newer version is only ever read.
inline constexpr int kWersjaSchematu = 1;

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
// may be absurd).
struct KomorkaFaktu {
    std::int64_t wiersz = 0, kolumna = 0; // factors 3..9, or tens 1..9
    std::int64_t ile = 0;
    std::int64_t bledy = 0;
    double sumaCzasuMs = 0;
    double sumaTykniec = 0;
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

    // One transaction for all the drills: all are written or none. A drill
    // already in the file (same end, operation and counts) is not written
    // twice.
    WynikBazy Zapisz(std::span<const ZapisCwiczenia> zapisy);
    WynikBazy Zapisz(const ZapisCwiczenia& zapis) { return Zapisz(std::span(&zapis, 1)); }

    // The file's structure checked page by page (its rows' rules are only
    // counted), stopped at `termin`.
    WynikSprawdzenia Sprawdz(std::chrono::steady_clock::time_point termin);

    // The drills list, newest first: at most `ile` rows after `po`; `po`
    // is moved to the last row read.
    WynikBazy Strona(KluczListy& po, int ile, std::vector<WierszCwiczenia>& wiersze);
    // Every drill's grade and time, in the file's order; `pominiete` counts
    // the drills that break the rules.
    WynikBazy Oceny(std::vector<OcenaWCzasie>& oceny, std::int64_t& pominiete);
    // Every asked fact of the operation, one cell per fact.
    WynikBazy Fakty(std::uint8_t dzialanie, std::vector<KomorkaFaktu>& komorki);
    // Every drill, newest first, handed to `wiersz` one by one (false stops).
    WynikBazy KazdeCwiczenie(const std::function<bool(const WierszCwiczenia&)>& wiersz);

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
