#include "AssetCatalogue.h"

#include "ZmConfig.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace zm::assets {

namespace {

using enum Folder;

constexpr std::array<Plik, 60> kKatalog{{
    {Sounds, "0.wav", 0},
    {Sounds, "1.wav", 1},   {Sounds, "2.wav", 2},   {Sounds, "3.wav", 3},   {Sounds, "4.wav", 4},
    {Sounds, "5.wav", 5},   {Sounds, "6.wav", 6},   {Sounds, "7.wav", 7},   {Sounds, "8.wav", 8},
    {Sounds, "9.wav", 9},   {Sounds, "10.wav", 10}, {Sounds, "11.wav", 11}, {Sounds, "12.wav", 12},
    {Sounds, "13.wav", 13}, {Sounds, "14.wav", 14}, {Sounds, "15.wav", 15}, {Sounds, "16.wav", 16},
    {Sounds, "17.wav", 17}, {Sounds, "18.wav", 18}, {Sounds, "19.wav", 19},
    // Each tens word said on its own comes right before its twin said before a unit word.
    {Sounds, "20.wav", 20}, {Sounds, "20_.wav", 21}, {Sounds, "30.wav", 22}, {Sounds, "30_.wav", 23},
    {Sounds, "40.wav", 24}, {Sounds, "40_.wav", 25}, {Sounds, "50.wav", 26}, {Sounds, "50_.wav", 27},
    {Sounds, "60.wav", 28}, {Sounds, "60_.wav", 29}, {Sounds, "70.wav", 30}, {Sounds, "70_.wav", 31},
    {Sounds, "80.wav", 32}, {Sounds, "80_.wav", 33}, {Sounds, "90.wav", 34}, {Sounds, "90_.wav", 35},
    {Sounds, "100.wav", 36},
    {Sounds, "razy.wav", 37},
    {Sounds, "dzielone_na.wav", 38},
    {Sounds, "dodac.wav", 39},
    {Sounds, "odjac.wav", 40},
    {Sounds, "rowna_sie.wav", 41},
    {Graphics, "0.bmp", 42}, {Graphics, "1.bmp", 43}, {Graphics, "2.bmp", 44}, {Graphics, "3.bmp", 45},
    {Graphics, "4.bmp", 46}, {Graphics, "5.bmp", 47}, {Graphics, "6.bmp", 48}, {Graphics, "7.bmp", 49},
    {Graphics, "8.bmp", 50}, {Graphics, "9.bmp", 51},
    {Graphics, "dzielone.bmp", 52},
    {Graphics, "kursor.bmp", 53},
    {Graphics, "minus.bmp", 54},
    {Graphics, "plus.bmp", 55},
    {Graphics, "razy.bmp", 56},
    {Graphics, "rowne.bmp", 57},
    // Tested when the main window is created; a missing one is fatal.
    {Graphics, kStartBmp, 0},
    {Graphics, kStopBmp, 0},
}};

const std::vector<Plik>& weryfikowane()
{
    static const std::vector<Plik> lista = [] {
        std::vector<Plik> v;
        std::copy_if(kKatalog.begin(), kKatalog.end(), std::back_inserter(v), [](const Plik& p) { return p.kolejnosc > 0; });
        std::sort(v.begin(), v.end(), [](const Plik& a, const Plik& b) { return a.kolejnosc < b.kolejnosc; });
        return v;
    }();
    return lista;
}

} // namespace

std::span<const Plik> Katalog() { return kKatalog; }

std::span<const Plik> DoWeryfikacji() { return weryfikowane(); }

QString Sciezki::KatalogProgramu() const
{
    QString k = katalogStaly_.isEmpty() ? QCoreApplication::applicationDirPath() : katalogStaly_;
    if (!k.endsWith(QLatin1Char('/'))) k += QLatin1Char('/');
    return k;
}

QString Sciezki::Sciezka(const Plik& p) const
{
    const QString nazwa = QString::fromLatin1(p.nazwa);
    return p.folder == Folder::Sounds ? Dzwiek(nazwa) : Grafika(nazwa);
}

std::optional<QString> PierwszyBrakujacy(const Sciezki& sciezki)
{
    for (const Plik& p : DoWeryfikacji()) {
        const QString s = sciezki.Sciezka(p);
        if (!QFileInfo::exists(s)) return s;
    }
    return std::nullopt;
}

QString TekstKomunikatu(int index)
{
    static const QStringList komunikaty{
        QStringLiteral("Brak wymaganego pliku.\nProszę przeinstalować program."),
    };
    const QString tresc = index >= 0 && index < komunikaty.size() ? komunikaty[index] : komunikaty[0];
    return QStringLiteral("MERVALDO\n") + tresc;
}

QString TekstOstrzezenia(const QString& sciezka)
{
    return QStringList{QStringLiteral("Brak pliku: "), sciezka, QStringLiteral("Proszę przeinstalować program."),
                       QString(), QStringLiteral("Program można pobrać ze strony:"),
                       QString::fromUtf8(config::kAdresWww)}
        .join(QLatin1Char('\n'));
}

} // namespace zm::assets
