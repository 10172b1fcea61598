#include "Practice.h"

#include "QuestionGenerator.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace zm {

namespace {

// The weight of each box (the first: a fact never asked), before the
// schedule's and the record's factors.
constexpr std::array<double, 6> kWagaPudelka{6.0, 2.0, 1.0, 1.0, 1.0, 1.0};
// A fact not yet due is asked this much less.
constexpr double kPrzedTerminem = 0.5;
// The chance of a miss is estimated as if every fact had been missed once in
// four before its first answer.
constexpr double kBledyWstepne = 0.5, kPytaniaWstepne = 2.0;
// The weights grow with the square of that chance (a fact missed half the
// time weighs four times one missed a quarter of the time), scaled so that
// the weight of a fact never asked is kSkala * kWagaPudelka[0].
constexpr double kSkala = 8.0;
// A fact answered k times slower than the child's typical fact weighs k^3
// times more, up to k = kNajwolniej.
constexpr double kNajwolniej = 4.0;

bool Tabliczka(std::uint16_t tabliczki, int n) { return n >= 3 && n <= 9 && ((tabliczki >> n) & 1u); }

// The time of a question at `predkosc`: 67 ticks.
std::int64_t CzasPytaniaMs(std::int32_t predkosc)
{
    return std::int64_t{(SzerokoscProgresTlo + KrokCzasu - 1) / KrokCzasu} * predkosc;
}

} // namespace

Fakt FaktPytania(std::uint8_t dzialanie, std::int32_t liczba1, std::int32_t liczba2)
{
    if (dzialanie == DzialanieDodawanie || dzialanie == DzialanieOdejmowanie)
        return {dzialanie, static_cast<std::int8_t>(liczba1 % 10), static_cast<std::int8_t>(liczba2 % 10)};
    return {dzialanie, static_cast<std::int8_t>(std::clamp(liczba1, 0, 127)),
            static_cast<std::int8_t>(std::clamp(liczba2, 0, 127))};
}

bool ZPrzeniesieniem(const Fakt& f)
{
    if (f.dzialanie == DzialanieDodawanie) return f.a + f.b >= 10;
    if (f.dzialanie == DzialanieOdejmowanie) return f.a < f.b;
    return false;
}

bool WTabliczkach(const Fakt& f, std::uint16_t tabliczki)
{
    switch (f.dzialanie) {
    case DzialanieMnozenie: return Tabliczka(tabliczki, f.a) || Tabliczka(tabliczki, f.b);
    case DzialanieDzielenie:
        return f.b != 0 && (Tabliczka(tabliczki, f.b) || Tabliczka(tabliczki, f.a / f.b));
    default: return true;
    }
}

std::vector<Fakt> WszystkieFakty(std::uint8_t dzialanie, std::uint16_t tabliczki)
{
    std::vector<Fakt> fakty;
    if (dzialanie == DzialanieDodawanie || dzialanie == DzialanieOdejmowanie) {
        for (int u = 0; u <= 9; ++u)
            for (int v = 0; v <= 9; ++v)
                fakty.push_back({dzialanie, static_cast<std::int8_t>(u), static_cast<std::int8_t>(v)});
        return fakty;
    }
    if (dzialanie > DzialanieOdejmowanie) return fakty;
    for (int x = 3; x <= 9; ++x)
        for (int y = 3; y <= 9; ++y) {
            const Fakt f = dzialanie == DzialanieMnozenie
                               ? Fakt{dzialanie, static_cast<std::int8_t>(x), static_cast<std::int8_t>(y)}
                               : Fakt{dzialanie, static_cast<std::int8_t>(x * y), static_cast<std::int8_t>(y)};
            if (WTabliczkach(f, tabliczki)) fakty.push_back(f);
        }
    return fakty;
}

std::int64_t DzienLokalny(std::int64_t ms)
{
    // Floor division (a time read from a file may be any 64-bit value).
    const std::int64_t s = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    const std::time_t t = static_cast<std::time_t>(s);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return s / 86400 - (s % 86400 < 0 ? 1 : 0);
    // Days from 1970-01-01 to the civil date (the proleptic Gregorian calendar).
    const std::int64_t y = std::int64_t{tm.tm_year} + 1900 - (tm.tm_mon < 2);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (tm.tm_mon + 10) % 12; // March is 0
    const std::int64_t doy = (153 * mp + 2) / 5 + tm.tm_mday - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool Szybka(std::int32_t czasMs, std::int32_t predkosc)
{
    return czasMs <= kSzybkoMs && czasMs < CzasPytaniaMs(predkosc);
}

void Zapamietaj(StanFaktu& s, bool dobrze, std::int32_t czasMs, std::int32_t predkosc, std::int64_t kiedyMs)
{
    const bool pierwsza = s.pytan <= 0 || s.pudelko == 0;
    // A day counted in the future (a clock that was ahead) is this answer's.
    if (!pierwsza) s.ostatnioMs = std::min(s.ostatnioMs, kiedyMs);
    const bool wTerminie = pierwsza || Zalegly(s, kiedyMs);
    ++s.pytan;
    if (!dobrze) ++s.bledow;
    s.czasMs += std::max(czasMs, 0);
    if (!dobrze) {
        s.pudelko = 1;
        s.ostatnioMs = kiedyMs;
    } else if (wTerminie && Szybka(czasMs, predkosc)) {
        s.pudelko = static_cast<std::uint8_t>(std::min(5, std::max<int>(1, s.pudelko) + 1));
        s.ostatnioMs = kiedyMs;
    } else if (pierwsza) {
        s.pudelko = 1;
        s.ostatnioMs = kiedyMs;
    }
}

bool Zalegly(const StanFaktu& s, std::int64_t terazMs)
{
    if (s.pytan <= 0) return false;
    const int interwal = kInterwalDni[std::min<std::size_t>(s.pudelko, 5)];
    return interwal == 0 || DzienLokalny(terazMs) - DzienLokalny(std::min(s.ostatnioMs, terazMs)) >= interwal;
}

bool Opanowany(const StanFaktu& s) { return s.pytan > 0 && s.pudelko >= 4; }

double WagaFaktu(const StanFaktu* s, std::int64_t terazMs, double typowyCzasMs)
{
    // The chance of a miss (and so of a correction to learn from), raised
    // by the box (how recently it was missed), lowered while not due, and
    // raised by slowness.
    const StanFaktu pusty;
    const StanFaktu& f = s && s->pytan > 0 ? *s : pusty;
    const double bledy = (std::clamp(f.bledow, 0, f.pytan) + kBledyWstepne) / (f.pytan + kPytaniaWstepne);
    const double wzgledne = bledy / (kBledyWstepne / kPytaniaWstepne);
    double w = kSkala * wzgledne * wzgledne * kWagaPudelka[f.pytan > 0 ? std::clamp<std::size_t>(f.pudelko, 1, 5) : 0];
    if (f.pytan > 0 && !Zalegly(f, terazMs)) w *= kPrzedTerminem;
    if (f.pytan > 0) {
        const double odniesienie = typowyCzasMs > 0 ? std::min<double>(typowyCzasMs, kSzybkoMs) : kSzybkoMs;
        const double wolno = std::clamp(static_cast<double>(f.czasMs) / f.pytan / odniesienie, 1.0, kNajwolniej);
        w *= wolno * wolno * wolno;
    }
    return std::max(w, kMinimalnaWaga);
}

double TypowyCzasMs(const RekordFaktow& rekord, const std::vector<Fakt>& fakty)
{
    std::vector<double> czasy;
    for (const Fakt& f : fakty)
        if (const auto it = rekord.find(f); it != rekord.end() && it->second.pytan > 0)
            czasy.push_back(static_cast<double>(it->second.czasMs) / it->second.pytan);
    if (czasy.empty()) return 0;
    std::nth_element(czasy.begin(), czasy.begin() + static_cast<std::ptrdiff_t>(czasy.size() / 2), czasy.end());
    return czasy[czasy.size() / 2];
}

void LosujPytanieFaktu(const Fakt& f, GeneratorLosowy& los, std::int32_t& liczba1, std::int32_t& liczba2)
{
    if (f.dzialanie != DzialanieDodawanie && f.dzialanie != DzialanieOdejmowanie) {
        liczba1 = f.a;
        liczba2 = f.b;
        return;
    }
    // The tens that keep the question one the generator could draw.
    std::vector<std::pair<std::int32_t, std::int32_t>> pary;
    for (int x = 1; x <= 9; ++x)
        for (int y = 1; y <= 9; ++y) {
            const std::int32_t l1 = 10 * x + f.a, l2 = 10 * y + f.b;
            if (PytanieMozliwe(f.dzialanie, l1, l2)) pary.emplace_back(l1, l2);
        }
    const auto& [l1, l2] = pary[los.Random(static_cast<std::uint32_t>(pary.size()))];
    liczba1 = l1;
    liczba2 = l2;
}

} // namespace zm
