#include "PracticePlan.h"

#include <algorithm>
#include <cmath>

namespace zm {

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

    const std::size_t n = fakty_.size();
    const std::int32_t pytan = std::max(ustawienia.IloscPytan, 1);
    typowyCzasMs_ = TypowyCzasMs(*rekord, fakty_);
    role_.assign(n, Rola::Czeka);
    razy_.assign(n, 0);
    chybione_.assign(n, false);
    rodzaje_.assign(static_cast<std::size_t>(pytan) + 1, Rodzaj::Znany);
    zadanych_ = bledow_ = turZadanych_ = 0;
    std::vector<std::size_t> slabe;
    std::int32_t nowych = 0, znanych = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const auto it = rekord->find(fakty_[i]);
        stany_.push_back(it == rekord->end() ? StanFaktu{} : it->second);
        StanFaktu& s = stany_.back();
        if (s.pytan > 0) s.ostatnioMs = std::min(s.ostatnioMs, terazMs);
        wagi_.push_back(Zwaz(i));
        if (s.pytan <= 0) {
            // A few never asked: most of them the child knows.
            if (nowych < std::max(1, pytan / kPytanNaSlaby)) {
                role_[i] = Rola::Nowy;
                ++nowych;
            }
        } else if (s.pudelko <= 1) {
            slabe.push_back(i);
        } else {
            role_[i] = Rola::Znany;
            ++znanych;
        }
    }
    // The weakest few; ties in the facts' order.
    std::stable_sort(slabe.begin(), slabe.end(), [&](std::size_t x, std::size_t y) { return Waga(x) > Waga(y); });
    tur_ = std::min<std::int32_t>(pytan / kPytanNaSlaby, static_cast<std::int32_t>(slabe.size()) * ((pytan + 19) / 20));
    const std::size_t k = std::min({kSlabychNaCwiczenie, slabe.size(), static_cast<std::size_t>(tur_)});
    for (std::size_t j = 0; j < k; ++j) role_[slabe[j]] = Rola::Slaby;
    const std::int32_t pula = znanych + nowych;
    limitZnanego_ = pula > 0 ? std::max(1, (pytan - tur_ + pula - 1) / pula) : pytan;
}

std::vector<Fakt> PlanPytan::Slabe() const
{
    std::vector<std::size_t> slabe;
    for (std::size_t i = 0; i < role_.size() && wazone_; ++i)
        if (role_[i] == Rola::Slaby) slabe.push_back(i);
    std::stable_sort(slabe.begin(), slabe.end(), [&](std::size_t x, std::size_t y) { return Waga(x) > Waga(y); });
    std::vector<Fakt> wynik;
    for (std::size_t i : slabe) wynik.push_back(fakty_[i]);
    return wynik;
}

std::uint32_t PlanPytan::Zwaz(std::size_t i) const
{
    return static_cast<std::uint32_t>(std::lround(WagaFaktu(&stany_[i], terazMs_, typowyCzasMs_) * 1000));
}

bool PlanPytan::TuraSlabego(std::int32_t nr) const
{
    if (turZadanych_ >= tur_) return false;
    // Turn j at 3 + j (N - 2) / T: after two known facts, then evenly.
    const std::int64_t pytan = std::max(ustawienia_.IloscPytan, 3);
    if (nr < 3 + std::int64_t{turZadanych_} * (pytan - 2) / tur_) return false;
    if (nr > 1 && rodzaje_[static_cast<std::size_t>(nr - 1)] != Rodzaj::Znany) return false;
    return bledow_ * 4 <= zadanych_;
}

std::optional<std::size_t> PlanPytan::WybierzSlaby() const
{
    std::optional<std::size_t> wybrany;
    for (std::size_t i = 0; i < fakty_.size(); ++i) {
        if (role_[i] != Rola::Slaby || i == ostatni_) continue;
        if (std::any_of(powroty_.begin(), powroty_.end(), [&](const Powrot& p) { return p.fakt == i; })) continue;
        // The one asked least in this drill, then the weakest.
        if (!wybrany || razy_[i] < razy_[*wybrany] || (razy_[i] == razy_[*wybrany] && Waga(i) > Waga(*wybrany)))
            wybrany = i;
    }
    return wybrany;
}

std::size_t PlanPytan::WybierzZnany(GeneratorLosowy& los) const
{
    const std::size_t n = fakty_.size();
    // While more than a quarter of the answers were misses, first the known
    // facts within their limit, the surest first (weights turned round).
    // Then by weight: known and never asked facts within their limit; any
    // of them; any fact.
    const bool ostroznie = bledow_ * 4 > zadanych_;
    for (int krok = ostroznie ? 0 : 1; krok < 4; ++krok) {
        std::vector<std::uint32_t> wagi(n, 0);
        std::uint64_t suma = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (ostatni_ == i && n > 1) continue;
            const bool znany = role_[i] == Rola::Znany || (role_[i] == Rola::Nowy && krok > 0);
            if (krok < 3 && (!znany || chybione_[i])) continue;
            if (krok < 2 && razy_[i] >= limitZnanego_) continue;
            // (A weight is 200 at least: the sum stays below 2^32.)
            suma += wagi[i] = krok == 0 ? 1'000'000'000u / std::max<std::uint32_t>(Waga(i), 1) : Waga(i);
        }
        if (suma == 0) continue;
        std::uint64_t r = los.Random(static_cast<std::uint32_t>(std::min<std::uint64_t>(suma, UINT32_MAX)));
        for (std::size_t i = 0; i < n; ++i) {
            if (r < wagi[i]) return i;
            r -= wagi[i];
        }
    }
    return n > 1 && ostatni_ == std::size_t{0} ? 1 : 0;
}

void PlanPytan::Zadaj(std::size_t i, Rodzaj rodzaj, GeneratorLosowy* los, std::int32_t& liczba1,
                      std::int32_t& liczba2)
{
    if (los) LosujPytanieFaktu(fakty_[i], *los, liczba1, liczba2);
    ++razy_[i];
    ostatni_ = i;
    if (const auto nr = static_cast<std::size_t>(zadanych_ + 1); nr < rodzaje_.size()) rodzaje_[nr] = rodzaj;
}

void PlanPytan::Losuj(GeneratorLosowy& los, std::int32_t nr, std::int32_t& liczba1, std::int32_t& liczba2)
{
    const std::uint8_t d = ustawienia_.Dzialanie;
    if (!wazone_) {
        // The random draw; within chosen tables, the draws outside them are drawn again.
        do {
            LosujPytanie(d, los, liczba1, liczba2);
        } while ((ustawienia_.Tabliczki & WszystkieTabliczki) &&
                 !WTabliczkach(FaktPytania(d, liczba1, liczba2), ustawienia_.Tabliczki));
        return;
    }
    zadanych_ = std::clamp(nr, 1, ustawienia_.IloscPytan) - 1;
    // A fact missed earlier in this drill, when its turn has come.
    for (auto it = powroty_.begin(); it != powroty_.end(); ++it) {
        if (it->nr > nr || it->fakt == ostatni_) continue;
        liczba1 = it->liczba1;
        liczba2 = it->liczba2;
        const std::size_t i = it->fakt;
        powroty_.erase(it);
        Zadaj(i, Rodzaj::Powrot, nullptr, liczba1, liczba2);
        return;
    }
    if (TuraSlabego(nr)) {
        if (const auto i = WybierzSlaby()) {
            ++turZadanych_;
            Zadaj(*i, Rodzaj::Slaby, &los, liczba1, liczba2);
            return;
        }
        // Every weak fact is known now: its turns are given up.
        if (std::none_of(role_.begin(), role_.end(), [](Rola r) { return r == Rola::Slaby; })) turZadanych_ = tur_;
    }
    Zadaj(WybierzZnany(los), Rodzaj::Znany, &los, liczba1, liczba2);
}

void PlanPytan::Oceniono(std::int32_t nr, const PytanieCwiczenia& p)
{
    if (!wazone_) return;
    const Fakt fakt = FaktPytania(ustawienia_.Dzialanie, p.liczba1, p.liczba2);
    const auto it = std::find(fakty_.begin(), fakty_.end(), fakt);
    if (it == fakty_.end()) return;
    const auto i = static_cast<std::size_t>(it - fakty_.begin());
    const auto numer = static_cast<std::size_t>(std::clamp(nr, 1, ustawienia_.IloscPytan));
    const bool powrot = numer < rodzaje_.size() && rodzaje_[numer] == Rodzaj::Powrot;
    zadanych_ = static_cast<std::int32_t>(numer);
    Zapamietaj(stany_[i], p.dobrze, p.czasMs, ustawienia_.Predkosc, terazMs_);
    wagi_[i] = Zwaz(i);
    // A weak fact answered right and quickly is known from now on.
    if (role_[i] == Rola::Slaby && stany_[i].pudelko >= 2) role_[i] = Rola::Znany;
    if (p.dobrze) return;
    ++bledow_;
    chybione_[i] = true;
    // Back a few questions later, once: not after a return, nor while one waits.
    const bool czeka = std::any_of(powroty_.begin(), powroty_.end(), [&](const Powrot& r) { return r.fakt == i; });
    if (powrot || czeka || nr + 2 > ustawienia_.IloscPytan) return;
    powroty_.push_back({std::min(nr + kPowrotPo, ustawienia_.IloscPytan), i, p.liczba1, p.liczba2});
}

} // namespace zm
