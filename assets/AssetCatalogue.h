// Where the catalogue's files are found at run time, and the checks that
// guard them.
#pragma once

#include "CatalogueFiles.h"

#include <QString>

#include <optional>
#include <span>

namespace zm::assets {

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

} // namespace zm::assets
