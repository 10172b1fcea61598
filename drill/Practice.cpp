#include "Practice.h"

#include <algorithm>
#include <cmath>

namespace zm {

namespace {

constexpr std::int64_t kMsDnia = 24LL * 60 * 60 * 1000;
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
// How many questions after a miss the fact comes back.
constexpr std::int32_t kPowrotPo = 3;

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

void Zapamietaj(StanFaktu& s, bool dobrze, std::int32_t czasMs, std::int32_t predkosc, std::int64_t kiedyMs)
{
    ++s.pytan;
    if (!dobrze) ++s.bledow;
    s.czasMs += std::max(czasMs, 0);
    s.ostatnioMs = std::max(s.ostatnioMs, kiedyMs);
    if (!dobrze)
        s.pudelko = 1;
    else if (std::int64_t{czasMs} * 2 <= CzasPytaniaMs(predkosc))
        s.pudelko = static_cast<std::uint8_t>(std::min(5, std::max<int>(1, s.pudelko) + 1));
    else
        s.pudelko = static_cast<std::uint8_t>(std::max<int>(1, s.pudelko));
}

bool Zalegly(const StanFaktu& s, std::int64_t terazMs)
{
    const std::int64_t interwal = kInterwalDni[std::min<std::size_t>(s.pudelko, 5)] * kMsDnia;
    return s.pytan > 0 && terazMs - s.ostatnioMs >= std::max<std::int64_t>(0, interwal - kWczesniejMs);
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
    if (f.pytan > 0 && typowyCzasMs > 0) {
        const double wolno = std::clamp(static_cast<double>(f.czasMs) / f.pytan / typowyCzasMs, 1.0, kNajwolniej);
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
    // The tens that keep the question in range: addends of 10 to 79 and at
    // least 10 with a sum of at most 99; two-digit numbers with a difference
    // that is not negative.
    std::vector<std::pair<std::int32_t, std::int32_t>> pary;
    for (int x = 1; x <= 9; ++x)
        for (int y = 1; y <= 9; ++y) {
            const std::int32_t l1 = 10 * x + f.a, l2 = 10 * y + f.b;
            const bool dobra = f.dzialanie == DzialanieDodawanie ? l1 <= 79 && l1 + l2 <= 99 : l1 >= l2;
            if (dobra) pary.emplace_back(l1, l2);
        }
    const auto& [l1, l2] = pary[los.Random(static_cast<std::uint32_t>(pary.size()))];
    liczba1 = l1;
    liczba2 = l2;
}

void PlanPytan::Rozpocznij(const Ustawienia& ustawienia, const RekordFaktow* rekord, std::int64_t terazMs)
{
    ustawienia_ = ustawienia;
    terazMs_ = terazMs;
    powroty_.clear();
    ostatni_.reset();
    const bool mnozenieLubDzielenie =
        ustawienia.Dzialanie == DzialanieMnozenie || ustawienia.Dzialanie == DzialanieDzielenie;
    fakty_ = WszystkieFakty(ustawienia.Dzialanie, mnozenieLubDzielenie ? ustawienia.Tabliczki : WszystkieTabliczki);
    if (fakty_.empty()) fakty_ = WszystkieFakty(ustawienia.Dzialanie);
    wazone_ = false;
    stany_.clear();
    wagi_.clear();
    if (ustawienia.Tryb != Losowanie::TrudneFakty || !rekord) return;
    for (const auto& [fakt, stan] : *rekord)
        if (fakt.dzialanie == ustawienia.Dzialanie && stan.pytan > 0) wazone_ = true;
    if (!wazone_) return;
    typowyCzasMs_ = TypowyCzasMs(*rekord, fakty_);
    for (const Fakt& f : fakty_) {
        const auto it = rekord->find(f);
        stany_.push_back(it == rekord->end() ? StanFaktu{} : it->second);
        wagi_.push_back(Waga(stany_.back()));
    }
}

void PlanPytan::Losuj(GeneratorLosowy& los, std::int32_t nr, std::int32_t& liczba1, std::int32_t& liczba2)
{
    const std::uint8_t d = ustawienia_.Dzialanie;
    if (wazone_) {
        // A fact missed earlier in this drill, when its turn has come.
        for (auto it = powroty_.begin(); it != powroty_.end(); ++it) {
            const Fakt f = FaktPytania(d, it->liczba1, it->liczba2);
            if (it->nr > nr || (ostatni_ && f == *ostatni_)) continue;
            liczba1 = it->liczba1;
            liczba2 = it->liczba2;
            ostatni_ = f;
            powroty_.erase(it);
            return;
        }
        // Otherwise by weight, never the fact just asked.
        std::uint64_t suma = 0;
        for (std::size_t i = 0; i < fakty_.size(); ++i)
            if (!ostatni_ || fakty_[i] != *ostatni_ || fakty_.size() == 1) suma += wagi_[i];
        std::uint64_t r = los.Random(static_cast<std::uint32_t>(std::min<std::uint64_t>(suma, UINT32_MAX)));
        std::size_t wybrany = fakty_.size() - 1;
        for (std::size_t i = 0; i < fakty_.size(); ++i) {
            if (ostatni_ && fakty_[i] == *ostatni_ && fakty_.size() > 1) continue;
            if (r < wagi_[i]) {
                wybrany = i;
                break;
            }
            r -= wagi_[i];
        }
        LosujPytanieFaktu(fakty_[wybrany], los, liczba1, liczba2);
        ostatni_ = fakty_[wybrany];
        return;
    }
    // The random draw; within chosen tables, the draws outside them are drawn again.
    do {
        LosujPytanie(d, los, liczba1, liczba2);
    } while ((ustawienia_.Tabliczki & WszystkieTabliczki) &&
             !WTabliczkach(FaktPytania(d, liczba1, liczba2), ustawienia_.Tabliczki));
    ostatni_ = FaktPytania(d, liczba1, liczba2);
}

std::uint32_t PlanPytan::Waga(const StanFaktu& stan) const
{
    return static_cast<std::uint32_t>(std::lround(WagaFaktu(&stan, terazMs_, typowyCzasMs_) * 1000));
}

void PlanPytan::Oceniono(std::int32_t nr, const PytanieCwiczenia& p)
{
    if (!wazone_) return;
    const Fakt fakt = FaktPytania(ustawienia_.Dzialanie, p.liczba1, p.liczba2);
    const auto it = std::find(fakty_.begin(), fakty_.end(), fakt);
    if (it != fakty_.end()) {
        const auto i = static_cast<std::size_t>(it - fakty_.begin());
        Zapamietaj(stany_[i], p.dobrze, p.czasMs, ustawienia_.Predkosc, terazMs_);
        wagi_[i] = Waga(stany_[i]);
    }
    // Back a few questions later, never as the very next one, and only while
    // the drill has questions left.
    if (p.dobrze || nr + 2 > ustawienia_.IloscPytan) return;
    powroty_.push_back({std::min(nr + kPowrotPo, ustawienia_.IloscPytan), p.liczba1, p.liczba2});
}

std::map<Fakt, double> PlanPytan::Szanse() const
{
    std::map<Fakt, double> szanse;
    double suma = 0;
    for (std::uint32_t w : wagi_) suma += w;
    for (std::size_t i = 0; i < wagi_.size(); ++i) szanse[fakty_[i]] = wagi_[i] / suma;
    return szanse;
}

} // namespace zm
