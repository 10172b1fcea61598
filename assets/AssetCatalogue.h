// The one list of the files the program reads at run time, how their paths
// are built, and the checks that guard them.
#pragma once

#include <QString>

#include <optional>
#include <span>

namespace zm::assets {

enum class Folder { Sounds, Graphics };

struct Plik {
    Folder folder;
    const char* nazwa;
    // Place in the verification run at activation (1-based), or 0 for a file
    // that is not verified there.
    int kolejnosc;
};

// Every file, sounds first, in catalogue order.
std::span<const Plik> Katalog();

// The verified files, in verification order (57 of them).
std::span<const Plik> DoWeryfikacji();

// Paths under the program's folder. The folder is read afresh at every use
// (the executable's folder), unless a fixed one is given.
class Sciezki {
public:
    Sciezki() = default;
    explicit Sciezki(QString katalogStaly) : katalogStaly_(std::move(katalogStaly)) {}

    QString KatalogProgramu() const; // ends with "/"
    QString KatalogGrafiki() const { return KatalogProgramu() + QStringLiteral("graphics/"); }
    QString KatalogDzwiekow() const { return KatalogProgramu() + QStringLiteral("sounds/"); }
    QString Grafika(const QString& nazwa) const { return KatalogGrafiki() + nazwa; }
    QString Dzwiek(const QString& nazwa) const { return KatalogDzwiekow() + nazwa; }
    QString Sciezka(const Plik& p) const;

private:
    QString katalogStaly_;
};

// The full path of the first verified file that is missing, if any.
std::optional<QString> PierwszyBrakujacy(const Sciezki& sciezki);

// The fatal message for `Komunikaty[index]`, headed by "MERVALDO".
QString TekstKomunikatu(int index);

// The warning that names a missing file and where to get the program.
QString TekstOstrzezenia(const QString& sciezka);

inline constexpr const char* kStartBmp = "but_START.bmp";
inline constexpr const char* kStopBmp = "but_STOP.bmp";

} // namespace zm::assets
