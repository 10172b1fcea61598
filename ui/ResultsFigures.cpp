#include "ResultsFigures.h"

#include "DrillState.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace zm {

namespace {

constexpr std::size_t kDzialan = 4;

// A question's whole time in ticks of its pace.
constexpr double kTykniecNaPytanie = (SzerokoscProgresTlo + KrokCzasu - 1) / KrokCzasu;

double wPrzedziale(double v, double od, double doKonca) { return std::isnan(v) ? od : std::clamp(v, od, doKonca); }

} // namespace

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

DaneWykresu PunktyWykresu(std::span<const OcenaWCzasie> oceny, int przedzialy)
{
    DaneWykresu d;
    const std::size_t n = static_cast<std::size_t>(std::max(1, przedzialy));
    std::array<std::size_t, kDzialan> ile{};
    bool pierwsza = true;
    for (const OcenaWCzasie& o : oceny) {
        if (o.dzialanie >= kDzialan || o.ocena < 1 || o.ocena > 6) continue;
        ++ile[o.dzialanie];
        d.od = pierwsza ? o.koniecMs : std::min(d.od, o.koniecMs);
        d.doKonca = pierwsza ? o.koniecMs : std::max(d.doKonca, o.koniecMs);
        pierwsza = false;
    }
    if (pierwsza) return d;
    // In doubles: the span of two 64-bit times may not fit in 64 bits.
    const double zakres = static_cast<double>(d.doKonca) - static_cast<double>(d.od);
    std::array<std::vector<double>, kDzialan> suma, liczba;
    for (std::size_t k = 0; k < kDzialan; ++k)
        if (ile[k] > n) {
            suma[k].assign(n, 0.0);
            liczba[k].assign(n, 0.0);
        }
    for (const OcenaWCzasie& o : oceny) {
        if (o.dzialanie >= kDzialan || o.ocena < 1 || o.ocena > 6) continue;
        const double x =
            zakres > 0 ? wPrzedziale((static_cast<double>(o.koniecMs) - static_cast<double>(d.od)) / zakres, 0, 1) : 0.5;
        if (ile[o.dzialanie] <= n) {
            d.linie[o.dzialanie].push_back({x, double(o.ocena)});
            continue;
        }
        const std::size_t i = std::min(n - 1, static_cast<std::size_t>(x * static_cast<double>(n)));
        suma[o.dzialanie][i] += o.ocena;
        liczba[o.dzialanie][i] += 1;
    }
    for (std::size_t k = 0; k < kDzialan; ++k) {
        auto& linia = d.linie[k];
        std::stable_sort(linia.begin(), linia.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
        for (std::size_t i = 0; i < liczba[k].size(); ++i)
            if (liczba[k][i] > 0)
                linia.push_back({(static_cast<double>(i) + 0.5) / static_cast<double>(n), suma[k][i] / liczba[k][i]});
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

} // namespace zm
