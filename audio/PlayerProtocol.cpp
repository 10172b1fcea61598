#include "PlayerProtocol.h"

#include <charconv>

namespace zm::lektor {

namespace {

// The number at the start of `s`, which is then left after it and one space.
template <class T>
bool Liczba(std::string_view& s, T& n)
{
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc{} || p == s.data()) return false;
    s.remove_prefix(static_cast<std::size_t>(p - s.data()));
    if (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    return true;
}

} // namespace

std::string Zdanie(std::uint64_t nr, const std::vector<std::string>& pliki)
{
    std::string linia = "C " + std::to_string(nr);
    for (const std::string& p : pliki) {
        linia += '\t';
        if (p.find_first_of("\t\n") == std::string::npos) linia += p;
    }
    return linia + '\n';
}

std::optional<Polecenie> CzytajPolecenie(std::string_view linia)
{
    Polecenie p;
    if (linia == kPrzerwij.substr(0, 1) || linia == kPrzygotuj.substr(0, 1)) {
        p.przerwij = linia == kPrzerwij.substr(0, 1);
        p.przygotuj = !p.przerwij;
        return p;
    }
    if (linia.substr(0, 2) != "C ") return std::nullopt;
    linia.remove_prefix(2);
    const auto tab = linia.find('\t');
    std::string_view numer = linia.substr(0, tab);
    if (!Liczba(numer, p.nr) || !numer.empty()) return std::nullopt;
    if (tab == std::string_view::npos) return p;
    for (std::string_view reszta = linia.substr(tab + 1);;) {
        const auto dalej = reszta.find('\t');
        p.pliki.emplace_back(reszta.substr(0, dalej));
        if (dalej == std::string_view::npos) break;
        reszta.remove_prefix(dalej + 1);
    }
    return p;
}

std::string Dlugosc(std::uint64_t nr, long long ms) { return "D " + std::to_string(nr) + " " + std::to_string(ms) + "\n"; }

std::string Koniec(std::uint64_t nr, bool domyslny, std::string_view sterownik)
{
    std::string linia = "K " + std::to_string(nr) + (domyslny ? " 1 " : " 0 ");
    for (char c : sterownik) linia += c == '\n' ? ' ' : c;
    return linia + '\n';
}

std::optional<Odpowiedz> CzytajOdpowiedz(std::string_view linia)
{
    Odpowiedz o;
    if (linia.size() < 2 || linia[1] != ' ' || (linia[0] != 'D' && linia[0] != 'K')) return std::nullopt;
    o.koniec = linia[0] == 'K';
    linia.remove_prefix(2);
    if (!Liczba(linia, o.nr)) return std::nullopt;
    if (!o.koniec) return Liczba(linia, o.ms) && linia.empty() && o.ms >= 0 ? std::optional(o) : std::nullopt;
    int piskiem = 0;
    if (!Liczba(linia, piskiem) || piskiem < 0 || piskiem > 1) return std::nullopt;
    o.domyslny = piskiem == 1;
    o.sterownik = std::string(linia);
    return o;
}

} // namespace zm::lektor
