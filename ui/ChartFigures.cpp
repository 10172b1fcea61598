#include "ChartFigures.h"

#include "Operations.h"
#include "Practice.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <array>
#include <map>
#include <tuple>

namespace zm {

namespace {

constexpr std::size_t kDzialan = 4;
// 1 January 1970 and the days no drill can be after.
const std::int64_t kPoczatek = QDate(1970, 1, 1).toJulianDay();
const std::int64_t kKoniec = QDate(2200, 1, 1).toJulianDay();

QDate Data(std::int64_t dzien) { return QDate::fromJulianDay(dzien); }

std::int64_t PoczatekOkresu(Okres okres, std::int64_t dzien)
{
    const QDate d = Data(dzien);
    switch (okres) {
    case Okres::Tydzien: return dzien - (d.dayOfWeek() - 1);
    case Okres::Miesiac: return QDate(d.year(), d.month(), 1).toJulianDay();
    default: return dzien;
    }
}

const QLocale& Polski()
{
    static const QLocale l(QLocale::Polish, QLocale::Poland);
    return l;
}

// "ćwiczenie", "2 ćwiczenia", "5 ćwiczeń", "22 ćwiczenia".
QString IleCwiczen(int n)
{
    if (n == 1) return QStringLiteral("1 ćwiczenie");
    const int j = n % 10, d = n % 100;
    const bool kilka = j >= 2 && j <= 4 && !(d >= 12 && d <= 14);
    return QStringLiteral("%1 %2").arg(n).arg(kilka ? QStringLiteral("ćwiczenia") : QStringLiteral("ćwiczeń"));
}

} // namespace

std::int64_t DzienWykresu(std::int64_t ms)
{
    // The drill's own local date (the practice's calendar day), as a Julian day.
    return kPoczatek + DzienLokalny(ms);
}

std::int64_t NastepnyOkres(Okres okres, std::int64_t dzien)
{
    switch (okres) {
    case Okres::Tydzien: return dzien + 7;
    case Okres::Miesiac: return Data(dzien).addMonths(1).toJulianDay();
    default: return dzien + 1;
    }
}

DaneWykresu PunktyWykresu(std::span<const CwiczenieNaWykresie> cwiczenia)
{
    DaneWykresu d;
    struct Dobre {
        std::int64_t dzien;
        const CwiczenieNaWykresie* c;
    };
    std::vector<Dobre> dobre;
    for (const CwiczenieNaWykresie& c : cwiczenia) {
        if (c.dzialanie >= kDzialan || c.ocena < 1 || c.ocena > 6) continue;
        const std::int64_t dzien = DzienWykresu(c.koniecMs);
        if (dzien < kPoczatek || dzien >= kKoniec) continue;
        dobre.push_back({dzien, &c});
    }
    if (dobre.empty()) return d;
    const auto [min, max] = std::minmax_element(dobre.begin(), dobre.end(),
                                                [](const Dobre& a, const Dobre& b) { return a.dzien < b.dzien; });
    const std::int64_t rozpietosc = max->dzien - min->dzien + 1;
    d.okres = rozpietosc <= 31 ? Okres::Dzien : rozpietosc <= 26 * 7 ? Okres::Tydzien : Okres::Miesiac;
    struct Suma {
        int ile = 0;
        double suma = 0;
    };
    std::map<std::tuple<std::int64_t, int, bool>, Suma> grupy;
    for (const Dobre& x : dobre) {
        Suma& s = grupy[{PoczatekOkresu(d.okres, x.dzien), x.c->dzialanie, x.c->trudne}];
        ++s.ile;
        s.suma += x.c->ocena;
    }
    for (const auto& [klucz, s] : grupy)
        d.punkty.push_back({std::get<0>(klucz), static_cast<std::uint8_t>(std::get<1>(klucz)), std::get<2>(klucz), s.ile,
                            s.suma / s.ile});
    d.odDnia = d.punkty.front().dzien;
    d.doDnia = NastepnyOkres(d.okres, d.punkty.back().dzien);
    return d;
}

double PolozenieDnia(const DaneWykresu& d, std::int64_t dzien)
{
    if (d.doDnia <= d.odDnia) return 0;
    return static_cast<double>(dzien - d.odDnia) / static_cast<double>(d.doDnia - d.odDnia);
}

std::vector<ZnacznikOsi> ZnacznikiOsi(const DaneWykresu& d, int etykiet)
{
    std::vector<ZnacznikOsi> z;
    if (d.Puste()) return z;
    for (std::int64_t dzien = d.odDnia; dzien < d.doDnia; dzien = NastepnyOkres(d.okres, dzien)) z.push_back({dzien, {}});
    const std::size_t co = std::max<std::size_t>(1, (z.size() + std::max(1, etykiet) - 1) / std::max(1, etykiet));
    static const std::array<const char*, 12> kMiesiace{"sty", "lut", "mar", "kwi", "maj", "cze",
                                                        "lip", "sie", "wrz", "paź", "lis", "gru"};
    for (std::size_t i = 0; i < z.size(); i += co) {
        const QDate data = Data(z[i].dzien);
        if (d.okres == Okres::Miesiac) {
            z[i].napis = QString::fromUtf8(kMiesiace[static_cast<std::size_t>(data.month() - 1)]);
            if (i == 0 || data.month() == 1) z[i].napis += QStringLiteral(" %1").arg(data.year());
        } else {
            z[i].napis = QStringLiteral("%1.%2").arg(data.day()).arg(data.month());
        }
    }
    return z;
}

QString NazwaOkresu(Okres okres, std::int64_t dzien)
{
    const QDate data = Data(dzien);
    switch (okres) {
    case Okres::Tydzien: return QStringLiteral("tydzień od ") + Polski().toString(data, QStringLiteral("d MMMM yyyy"));
    case Okres::Miesiac: return Polski().standaloneMonthName(data.month()) + QStringLiteral(" %1").arg(data.year());
    default: return Polski().toString(data, QStringLiteral("d MMMM yyyy"));
    }
}

QString OpisPunktu(const PunktWykresu& p)
{
    const FaktyDzialania* f = Fakty(p.dzialanie);
    return QStringLiteral("%1, %2: %3, średnia ocena %4")
        .arg(f ? QString::fromUtf8(f->etykieta).toLower() : QString(),
             p.trudne ? QStringLiteral("trudne dla dziecka") : QStringLiteral("losowe"), IleCwiczen(p.ile),
             Polski().toString(p.ocena, 'f', 1));
}

QString OpisWykresu(const DaneWykresu& d)
{
    QStringList linie;
    for (auto i = d.punkty.rbegin(); i != d.punkty.rend();) {
        const std::int64_t dzien = i->dzien;
        QStringList czesci;
        for (; i != d.punkty.rend() && i->dzien == dzien; ++i) czesci.prepend(OpisPunktu(*i));
        linie << NazwaOkresu(d.okres, dzien) + QStringLiteral(": ") + czesci.join(QStringLiteral("; "));
    }
    return linie.join(QLatin1Char('\n'));
}

} // namespace zm
