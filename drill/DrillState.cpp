#include "DrillState.h"

#include "Operations.h"

namespace zm {

const char* NazwaPredkosci(std::int32_t predkosc)
{
    switch (predkosc) {
    case PredkoscWolno: return "Wolne";
    case PredkoscSrednio: return "Średnie";
    case PredkoscSzybko: return "Szybkie";
    default: return nullptr;
    }
}

char ZnakDzialania(std::uint8_t dzialanie)
{
    const FaktyDzialania* f = Fakty(dzialanie);
    return f ? f->znak : '\0';
}

std::int32_t WynikPoprawny(std::uint8_t dzialanie, std::int32_t liczba1, std::int32_t liczba2)
{
    // Any value other than the first three operations computes as subtraction.
    const FaktyDzialania* f = Fakty(dzialanie);
    return (f ? *f : Dzialania().back()).wynik(liczba1, liczba2);
}

std::uint8_t ObliczOcene(std::int32_t dobrze, std::int32_t iloscPytan)
{
    // percent = dobrze / iloscPytan * 100, compared with strict bounds; the
    // comparison is done on integers so that e.g. 56 of 70 is exactly 80 %.
    const std::int64_t d = std::int64_t{100} * dobrze;
    const std::int64_t n = iloscPytan;
    if (iloscPytan > 0 && d == 100 * n) return 6;
    if (d > 80 * n) return 5;
    if (d > 60 * n) return 4;
    if (d > 45 * n) return 3;
    if (d > 20 * n) return 2;
    return 1;
}

} // namespace zm
