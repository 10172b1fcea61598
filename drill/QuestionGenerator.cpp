#include "QuestionGenerator.h"

#include "DrillState.h"

#include <chrono>
#include <utility>

namespace zm {

std::uint32_t ZiarnoZCzasu()
{
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto ms = duration_cast<milliseconds>(now).count() % (24LL * 60 * 60 * 1000);
    return static_cast<std::uint32_t>(ms);
}

void GeneratorLosowy::Randomize() { seed_ = ZiarnoZCzasu(); }

void LosujPytanie(std::uint8_t dzialanie, GeneratorLosowy& los, std::int32_t& liczba1,
                  std::int32_t& liczba2)
{
    switch (dzialanie) {
    case DzialanieMnozenie: {
        const auto a = 3 + static_cast<std::int32_t>(los.Random(7));
        const auto b = 3 + static_cast<std::int32_t>(los.Random(7));
        liczba1 = a;
        liczba2 = b;
        break;
    }
    case DzialanieDzielenie: {
        const auto q = 3 + static_cast<std::int32_t>(los.Random(7));
        const auto d = 3 + static_cast<std::int32_t>(los.Random(7));
        liczba1 = q * d;
        liczba2 = d;
        break;
    }
    case DzialanieDodawanie: {
        const auto a = 10 + static_cast<std::int32_t>(los.Random(70));
        const auto b = 10 + static_cast<std::int32_t>(los.Random(static_cast<std::uint32_t>(90 - a)));
        liczba1 = a;
        liczba2 = b;
        break;
    }
    case DzialanieOdejmowanie: {
        auto x = 10 + static_cast<std::int32_t>(los.Random(90));
        auto y = 10 + static_cast<std::int32_t>(los.Random(90));
        if (x < y) std::swap(x, y);
        liczba1 = x;
        liczba2 = y;
        break;
    }
    default:
        break;
    }
}

bool PytanieMozliwe(std::int64_t dzialanie, std::int64_t liczba1, std::int64_t liczba2)
{
    const auto czynnik = [](std::int64_t n) { return n >= 3 && n <= 9; };
    switch (dzialanie) {
    case DzialanieMnozenie: return czynnik(liczba1) && czynnik(liczba2);
    case DzialanieDzielenie: return czynnik(liczba2) && liczba1 % liczba2 == 0 && czynnik(liczba1 / liczba2);
    case DzialanieDodawanie: return liczba1 >= 10 && liczba1 <= 79 && liczba2 >= 10 && liczba2 <= 99 - liczba1;
    case DzialanieOdejmowanie: return liczba2 >= 10 && liczba1 <= 99 && liczba1 >= liczba2;
    default: return false;
    }
}

} // namespace zm
