// The results journal's database: one SQLite file in WAL mode, its schema
// and version, the write of a finished drill in one transaction, and the
// reads the results window needs. One object is one connection, used from
// the thread that made it.
#pragma once

#include "DrillRecord.h"

#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace zm {

// The schema's version, kept in the file's user_version; a later program
// migrates from it.
inline constexpr int kWersjaSchematu = 1;

// What went wrong, as the program tells the user.
enum class BladBazy {
    Brak,
    Folder,       // the data folder cannot be made
    TylkoOdczyt,  // the file or its folder cannot be written
    Zablokowana,  // another program holds the lock
    Pelny,        // the disk is full
    Uszkodzona,   // not a database, or damaged
    Nowsza,       // written by a newer version of the program
    Inny,
};

struct WynikBazy {
    BladBazy blad = BladBazy::Brak;
    QString opis; // SQLite's own words, for the log
    explicit operator bool() const { return blad == BladBazy::Brak; }
};

// One row of the drills list.
using WierszCwiczenia = PodsumowanieCwiczenia;

// One cell of a fact table: how often the fact was asked and missed, and
// its average answer time.
struct KomorkaFaktu {
    int wiersz = 0, kolumna = 0; // factors 3..9, or tens 1..9
    int ile = 0;
    int bledy = 0;
    double sredniCzasMs = 0;
    double sredniUdzialCzasu = 0; // of the question's whole time, 0..1
};

class BazaWynikow {
public:
    enum class Tryb { Zapis, Odczyt };
    // Opens (and for writing creates) the file. `nazwaPolaczenia` must be
    // unique among the program's connections.
    BazaWynikow(const QString& plik, Tryb tryb, const QString& nazwaPolaczenia, int czekanieMs = 2000);
    ~BazaWynikow();
    BazaWynikow(const BazaWynikow&) = delete;
    BazaWynikow& operator=(const BazaWynikow&) = delete;

    // The result of opening: WAL mode, a quick integrity check, the schema
    // made or checked.
    const WynikBazy& Otwarcie() const { return otwarcie_; }

    WynikBazy Zapisz(const ZapisCwiczenia& zapis);

    // Newest first.
    std::vector<WierszCwiczenia> Cwiczenia();
    // Every asked fact of the operation, one cell per fact.
    std::vector<KomorkaFaktu> Fakty(std::uint8_t dzialanie);

    // Closes this connection, renames a damaged file (with its WAL and
    // shared-memory files) beside it; returns the new name, or nothing.
    static std::optional<QString> OdlozUszkodzony(const QString& plik);

private:
    WynikBazy przygotuj(Tryb tryb);
    QString nazwa_;
    WynikBazy otwarcie_;
};

// The kind of a failure from SQLite's result code.
BladBazy RodzajBledu(int kodSqlite);

} // namespace zm
