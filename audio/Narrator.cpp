#include "Narrator.h"

#include "Operations.h"

#include <charconv>

namespace zm {

std::vector<std::string> Narrator::PlikiSlowa(std::string_view token)
{
    for (const FaktyDzialania& f : Dzialania())
        if (token.size() == 1 && token[0] == f.znak) return {f.nagranie};
    if (token == "=") return {"rowna_sie.wav"};

    long long n = 0;
    const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), n);
    if (token.empty() || ec != std::errc{} || ptr != token.data() + token.size() || n < 0) {
        // Only signs and whole numbers are ever passed; anything else has no word.
        return {};
    }
    const std::string t(token);
    if (n < 10) return {t.substr(0, 1) + ".wav"};
    if (n <= 19) return {std::to_string(n) + ".wav"};
    if (n <= 99) {
        if (t[1] == '0') return {t.substr(0, 1) + "0.wav"};
        return {t.substr(0, 1) + "0_.wav", t.substr(1, 1) + ".wav"};
    }
    return {"100.wav"};
}

std::vector<std::string> Narrator::PlikiRownania(const Ustawienia& ustawienia, const StanCwiczenia& stan)
{
    // Any value other than the first three operations reads as subtraction.
    const std::uint8_t dzialanie =
        ustawienia.Dzialanie <= DzialanieDodawanie ? ustawienia.Dzialanie : std::uint8_t{DzialanieOdejmowanie};
    const char znak[2] = {ZnakDzialania(dzialanie), '\0'};
    const std::int32_t wynik = WynikPoprawny(dzialanie, stan.Liczba1, stan.Liczba2);
    std::vector<std::string> pliki;
    for (const std::string& token :
         {std::to_string(stan.Liczba1), std::string(znak), std::to_string(stan.Liczba2), std::string("="),
          std::to_string(wynik)})
        for (std::string& plik : PlikiSlowa(token)) pliki.push_back(std::move(plik));
    return pliki;
}

bool Narrator::CzytajRownanie(const Ustawienia& ustawienia, const StanCwiczenia& stan,
                              std::function<void()> koniec)
{
    if (!ustawienia.Lektor) return false;
    const std::string katalog = katalog_();
    std::vector<std::string> zdanie = PlikiRownania(ustawienia, stan);
    for (std::string& plik : zdanie) plik.insert(0, katalog);
    odtwarzacz_.Czytaj(std::move(zdanie), std::move(koniec));
    return true;
}

} // namespace zm
