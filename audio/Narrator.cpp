#include "Narrator.h"

#include "CatalogueFiles.h"
#include "Operations.h"

#include <algorithm>
#include <charconv>

namespace zm {

std::vector<std::string> Narrator::PlikiSlowa(std::string_view token)
{
    // Signs and whole numbers up to 100; anything else has no word.
    auto plik = [](std::string_view znaczenie) -> std::vector<std::string> {
        const char* nazwa = assets::PlikDla(assets::Folder::Sounds, znaczenie);
        if (!nazwa) return {};
        return {nazwa};
    };
    long long n = 0;
    const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), n);
    if (token.empty() || ec != std::errc{} || ptr != token.data() + token.size() || n < 0) return plik(token);
    // Above a hundred there is only the word for a hundred; a tens word
    // before a unit word is said as the sentence goes on.
    const std::string liczba = std::to_string(std::min(n, 100LL));
    if (n <= 20 || n >= 100 || n % 10 == 0) return plik(liczba);
    std::vector<std::string> pliki = plik(liczba.substr(0, 1) + "0_");
    for (std::string& p : plik(liczba.substr(1))) pliki.push_back(std::move(p));
    return pliki;
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
