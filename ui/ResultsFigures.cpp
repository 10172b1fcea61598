#include "ResultsFigures.h"

#include "DrillState.h"
#include "Practice.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <map>

namespace zm {

namespace {

constexpr std::size_t kDzialan = 4;

// A question's whole time in ticks of its pace.
constexpr double kTykniecNaPytanie = (SzerokoscProgresTlo + KrokCzasu - 1) / KrokCzasu;

double wPrzedziale(double v, double od, double doKonca) { return std::isnan(v) ? od : std::clamp(v, od, doKonca); }

} // namespace

QString TekstCzekania() { return QStringLiteral("Wczytywanie…"); }
QString TekstBrakuCwiczen() { return QStringLiteral("Nie ma jeszcze zapisanych ćwiczeń."); }

QColor KolorOceny(int ocena)
{
    static const std::array<QColor, 6> kolory{QColor(190, 30, 30), QColor(205, 90, 20), QColor(190, 130, 0),
                                              QColor(110, 140, 20), QColor(40, 140, 40), QColor(0, 110, 50)};
    return kolory[static_cast<std::size_t>(std::clamp(ocena, 1, 6) - 1)];
}

QColor KolorDzialania(std::uint8_t dzialanie)
{
    static const std::array<QColor, kDzialan> kolory{QColor(79, 136, 167), QColor(200, 62, 52), QColor(52, 150, 62),
                                                     QColor(214, 132, 20)};
    return kolory[dzialanie % kDzialan];
}

bool DaneWykresu::Puste() const
{
    return std::all_of(linie.begin(), linie.end(), [](const auto& l) { return l.empty(); });
}

DaneWykresu PunktyWykresu(std::span<const OcenaWCzasie> oceny, int przedzialy, int przesuniecieS)
{
    DaneWykresu d;
    bool pierwsza = true;
    for (const OcenaWCzasie& o : oceny) {
        if (o.dzialanie >= kDzialan || o.ocena < 1 || o.ocena > 6) continue;
        d.od = pierwsza ? o.koniecMs : std::min(d.od, o.koniecMs);
        d.doKonca = pierwsza ? o.koniecMs : std::max(d.doKonca, o.koniecMs);
        pierwsza = false;
    }
    if (pierwsza) return d;
    // The local day of a drill, in doubles: a time from the file may be any
    // 64-bit value.
    auto dzien = [przesuniecieS](std::int64_t ms) {
        return std::floor((static_cast<double>(ms) + przesuniecieS * 1000.0) / 86400000.0);
    };
    struct Grupa {
        double suma = 0, ile = 0, czas = 0;
    };
    // One point a day; an operation with more days than `przedzialy`, one a
    // week (weeks from Monday).
    std::array<std::map<double, Grupa>, kDzialan> dni;
    for (const OcenaWCzasie& o : oceny) {
        if (o.dzialanie >= kDzialan || o.ocena < 1 || o.ocena > 6) continue;
        Grupa& g = dni[o.dzialanie][dzien(o.koniecMs)];
        g.suma += o.ocena;
        g.ile += 1;
        g.czas += static_cast<double>(o.koniecMs);
    }
    const double zakres = static_cast<double>(d.doKonca) - static_cast<double>(d.od);
    for (std::size_t k = 0; k < kDzialan; ++k) {
        std::map<double, Grupa> grupy;
        if (dni[k].size() > static_cast<std::size_t>(std::max(1, przedzialy))) {
            for (const auto& [dz, g] : dni[k]) {
                Grupa& t = grupy[std::floor((dz + 3) / 7)];
                t.suma += g.suma;
                t.ile += g.ile;
                t.czas += g.czas;
            }
        } else {
            grupy = std::move(dni[k]);
        }
        for (const auto& [klucz, g] : grupy) {
            const double czas = g.czas / g.ile;
            const double x = zakres > 0 ? wPrzedziale((czas - static_cast<double>(d.od)) / zakres, 0, 1) : 0.5;
            d.linie[k].push_back({x, g.suma / g.ile});
        }
    }
    return d;
}

bool KomorkaWidoczna(const KomorkaFaktu& k) { return k.ile > 0; }

double UdzialBledow(const KomorkaFaktu& k)
{
    if (k.ile <= 0) return 0;
    return wPrzedziale(static_cast<double>(k.bledy) / static_cast<double>(k.ile), 0, 1);
}

double SredniCzasMs(const KomorkaFaktu& k) { return k.ile > 0 ? k.sumaCzasuMs / static_cast<double>(k.ile) : 0; }

double UdzialCzasu(const KomorkaFaktu& k)
{
    return k.ile > 0 ? k.sumaTykniec / static_cast<double>(k.ile) / kTykniecNaPytanie : 0;
}

double Trudnosc(const KomorkaFaktu& k)
{
    const double bledy = 2.0 * UdzialBledow(k);
    const double czas = (UdzialCzasu(k) - 0.2) / 0.8;
    return wPrzedziale(std::max(bledy, std::isnan(czas) ? 1.0 : czas), 0, 1);
}

QColor KolorTrudnosci(double t)
{
    t = wPrzedziale(t, 0, 1);
    const QColor zielony(120, 200, 110), zolty(245, 220, 90), czerwony(225, 80, 70);
    auto mieszaj = [](QColor a, QColor b, double u) {
        return QColor(int(a.red() + (b.red() - a.red()) * u), int(a.green() + (b.green() - a.green()) * u),
                      int(a.blue() + (b.blue() - a.blue()) * u));
    };
    return t < 0.5 ? mieszaj(zielony, zolty, t * 2) : mieszaj(zolty, czerwony, (t - 0.5) * 2);
}

QColor KolorBrakuFaktu() { return QColor(236, 236, 238); }

QString TekstBledow(const KomorkaFaktu& k) { return QStringLiteral("%1%").arg(std::lround(100.0 * UdzialBledow(k))); }

QString TekstCzasu(const KomorkaFaktu& k)
{
    const double s = SredniCzasMs(k) / 1000.0;
    // An average a drill cannot give (a question lasts at most 11.39 s,
    // the journal keeps answers up to a day) is not a time to show.
    if (!(s >= 0)) return QStringLiteral("?");
    if (s >= 1000) return QStringLiteral("> 999 s");
    return QLocale(QLocale::Polish).toString(s, 'f', 1) + QStringLiteral(" s");
}

QString TekstIlosci(const KomorkaFaktu& k) { return QStringLiteral("%1×").arg(std::max<std::int64_t>(k.ile, 0)); }

int RozmiarTabeli(std::uint8_t dzialanie) { return dzialanie >= DzialanieDodawanie ? 10 : 7; }

Fakt FaktKomorki(std::uint8_t dzialanie, int wiersz, int kolumna)
{
    const int pierwszy = dzialanie >= DzialanieDodawanie ? 0 : 3;
    const int w = pierwszy + wiersz, k = pierwszy + kolumna;
    // As the practice files a question: the dividend and the divisor.
    if (dzialanie == DzialanieDzielenie) return FaktPytania(dzialanie, w * k, k);
    return FaktPytania(dzialanie, w, k);
}

QString NaglowekWiersza(std::uint8_t dzialanie, int wiersz)
{
    const Fakt f = FaktKomorki(dzialanie, wiersz, 0);
    switch (dzialanie) {
    case DzialanieDzielenie: return QStringLiteral("= %1").arg(f.a / std::max<int>(f.b, 1));
    case DzialanieDodawanie:
    case DzialanieOdejmowanie: return QStringLiteral("…%1").arg(f.a);
    default: return QString::number(f.a);
    }
}

QString NaglowekKolumny(std::uint8_t dzialanie, int kolumna)
{
    const Fakt f = FaktKomorki(dzialanie, 0, kolumna);
    switch (dzialanie) {
    case DzialanieDzielenie: return QStringLiteral(": %1").arg(f.b);
    case DzialanieDodawanie: return QStringLiteral("+ …%1").arg(f.b);
    case DzialanieOdejmowanie: return QStringLiteral("− …%1").arg(f.b);
    default: return QString::number(f.b);
    }
}

QString NazwaKomorki(std::uint8_t dzialanie, int wiersz, int kolumna)
{
    const Fakt f = FaktKomorki(dzialanie, wiersz, kolumna);
    static const std::array<const char*, kDzialan> kZnaki{"×", ":", "+", "−"};
    const QString znak = QString::fromUtf8(kZnaki[dzialanie % kDzialan]);
    if (dzialanie >= DzialanieDodawanie) return QStringLiteral("…%1 %2 …%3").arg(f.a).arg(znak).arg(f.b);
    return QStringLiteral("%1 %2 %3").arg(f.a).arg(znak).arg(f.b);
}

} // namespace zm
