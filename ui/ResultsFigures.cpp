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

namespace {

// How much the time makes a fact hard: nothing for a quick answer as the
// practice takes it (Szybka: within kSzybkoMs and before the time ran out,
// here on average), at least yellow for any other, red at the whole time.
double TrudnoscCzasu(const KomorkaFaktu& k)
{
    const double sredni = SredniCzasMs(k), udzial = UdzialCzasu(k);
    if (std::isnan(sredni) || std::isnan(udzial)) return 1;
    if (sredni <= kSzybkoMs && udzial < 1) return 0;
    return std::max(0.5, (udzial - 0.2) / 0.8);
}

} // namespace

double Trudnosc(const KomorkaFaktu& k)
{
    return wPrzedziale(std::max(2.0 * UdzialBledow(k), TrudnoscCzasu(k)), 0, 1);
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
    default: return QString::number(f.a);
    }
}

QString NaglowekKolumny(std::uint8_t dzialanie, int kolumna)
{
    const Fakt f = FaktKomorki(dzialanie, 0, kolumna);
    switch (dzialanie) {
    case DzialanieDzielenie: return QStringLiteral(": %1").arg(f.b);
    case DzialanieDodawanie: return QStringLiteral("+ %1").arg(f.b);
    case DzialanieOdejmowanie: return QStringLiteral("− %1").arg(f.b);
    default: return QString::number(f.b);
    }
}

QString NazwaKomorki(std::uint8_t dzialanie, int wiersz, int kolumna)
{
    const Fakt f = FaktKomorki(dzialanie, wiersz, kolumna);
    static const std::array<const char*, kDzialan> kZnaki{"×", ":", "+", "−"};
    const QString znak = QString::fromUtf8(kZnaki[dzialanie % kDzialan]);
    return QStringLiteral("%1 %2 %3").arg(f.a).arg(znak).arg(f.b);
}

namespace {

StanFaktu stan(const KomorkaFaktu& k)
{
    return {static_cast<std::int32_t>(std::clamp<std::int64_t>(k.ile, 0, INT32_MAX)),
            static_cast<std::int32_t>(std::clamp<std::int64_t>(k.bledy, 0, INT32_MAX)), 0, k.ostatnioMs, k.pudelko};
}

} // namespace

bool WolnaKomorka(const KomorkaFaktu& k)
{
    const double czas = TrudnoscCzasu(k);
    return czas > 0 && czas > 2.0 * UdzialBledow(k);
}

bool OpanowanaKomorka(const KomorkaFaktu& k) { return k.pudelko != 0 && Opanowany(stan(k)); }

bool ZaleglaKomorka(const KomorkaFaktu& k, std::int64_t terazMs)
{
    return k.pudelko != 0 && !Opanowany(stan(k)) && Zalegly(stan(k), terazMs);
}

QStringList LinieKomorki(std::uint8_t dzialanie, int wiersz, int kolumna, const KomorkaFaktu* k, int linii)
{
    QStringList linie;
    if (dzialanie == DzialanieDzielenie) linie << NazwaKomorki(dzialanie, wiersz, kolumna);
    if (!k) return linie;
    linie << TekstBledow(*k);
    if (linie.size() + 2 <= linii)
        linie << TekstCzasu(*k) << TekstIlosci(*k);
    else
        linie << (WolnaKomorka(*k) ? TekstCzasu(*k) : TekstIlosci(*k));
    return linie;
}

QString OpisKomorki(std::uint8_t dzialanie, int wiersz, int kolumna, const KomorkaFaktu* k, std::int64_t terazMs)
{
    const Fakt f = FaktKomorki(dzialanie, wiersz, kolumna);
    QString nazwa;
    switch (dzialanie) {
    case DzialanieDzielenie: nazwa = QStringLiteral("%1 podzielić przez %2").arg(f.a).arg(f.b); break;
    case DzialanieDodawanie:
        nazwa = QStringLiteral("dodawanie %1: %2 + %3, np. 2%2 + 1%3")
                    .arg(ZPrzeniesieniem(f) ? QStringLiteral("z przeniesieniem") : QStringLiteral("bez przeniesienia"))
                    .arg(f.a)
                    .arg(f.b);
        break;
    case DzialanieOdejmowanie:
        nazwa = QStringLiteral("odejmowanie %1: %2 − %3, np. 4%2 − 1%3")
                    .arg(ZPrzeniesieniem(f) ? QStringLiteral("z pożyczką") : QStringLiteral("bez pożyczki"))
                    .arg(f.a)
                    .arg(f.b);
        break;
    default: nazwa = QStringLiteral("%1 razy %2").arg(f.a).arg(f.b);
    }
    if (!k || !KomorkaWidoczna(*k)) return nazwa + QStringLiteral(": jeszcze nie było");
    QString opis = QStringLiteral("%1: %2 z %3 źle, średnio %4")
                       .arg(nazwa)
                       .arg(std::clamp<std::int64_t>(k->bledy, 0, k->ile))
                       .arg(k->ile)
                       .arg(TekstCzasu(*k));
    if (OpanowanaKomorka(*k))
        opis += QStringLiteral(", opanowane");
    else if (ZaleglaKomorka(*k, terazMs))
        opis += QStringLiteral(", do powtórki");
    return opis;
}

QString OpisTabeli(std::uint8_t dzialanie)
{
    switch (dzialanie) {
    case DzialanieDzielenie:
        return QStringLiteral("Każda kratka to jedno dzielenie, np. 24 : 8 = 3. Wiersz to wynik, kolumna to dzielnik.");
    case DzialanieDodawanie:
        return QStringLiteral("Liczą się cyfry jedności: kratka 7 + 5 to np. 27 + 15 i każde dodawanie, w którym "
                              "jedności to 7 i 5. Róg kratki: z przeniesieniem (7 + 5 = 12, dziesiątka idzie dalej).");
    case DzialanieOdejmowanie:
        return QStringLiteral("Liczą się cyfry jedności: kratka 3 − 8 to np. 43 − 18 i każde odejmowanie, w którym "
                              "jedności to 3 i 8. Róg kratki: z pożyczką (od 3 nie odejmie się 8 bez dziesiątki).");
    default: return QStringLiteral("Wiersz to pierwsza liczba, kolumna druga: kratka w wierszu 7 i kolumnie 8 to 7 × 8.");
    }
}

QStringList LiniaLegendy()
{
    return {QStringLiteral("W kratce: ile było źle, średni czas (zawsze przy wolnej) i ile razy było pytanie."),
            QStringLiteral("Zielony: zawsze dobrze i szybko (do %1 s).").arg(kSzybkoMs / 1000),
            QStringLiteral("Żółty: co czwarta źle albo ponad %1 s.").arg(kSzybkoMs / 1000),
            QStringLiteral("Czerwony: co druga źle albo bardzo wolno."),
            QStringLiteral("Szary: jeszcze nie było."),
            QStringLiteral("Róg: z przeniesieniem albo pożyczką."),
            QStringLiteral("Kropka: do powtórki (ćwiczenie trudnych)."),
            QStringLiteral("Ptaszek: opanowane (dobrze i szybko w trzech różnych dniach).")};
}

} // namespace zm
