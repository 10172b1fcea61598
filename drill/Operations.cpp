#include "Operations.h"

#include "DrillState.h"

#include <array>

namespace zm {

namespace {

constexpr std::array<FaktyDzialania, 4> kDzialania{{
    {DzialanieMnozenie, '*', "razy", "Mnożenie",
     [](std::int32_t a, std::int32_t b) { return a * b; }, [](double a, double b) { return a * b; }},
    {DzialanieDzielenie, '/', "podzielone na", "Dzielenie",
     [](std::int32_t a, std::int32_t b) { return b != 0 ? a / b : 0; },
     [](double a, double b) { return b != 0 ? a / b : 0.0; }},
    {DzialanieDodawanie, '+', "dodać", "Dodawanie",
     [](std::int32_t a, std::int32_t b) { return a + b; }, [](double a, double b) { return a + b; }},
    {DzialanieOdejmowanie, '-', "odjąć", "Odejmowanie",
     [](std::int32_t a, std::int32_t b) { return a - b; }, [](double a, double b) { return a - b; }},
}};

} // namespace

std::span<const FaktyDzialania> Dzialania() { return kDzialania; }

const FaktyDzialania* Fakty(std::uint8_t dzialanie)
{
    return dzialanie < kDzialania.size() ? &kDzialania[dzialanie] : nullptr;
}

} // namespace zm
