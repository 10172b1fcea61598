// The operands each operation's questions can have, as the drill draws them
// (QuestionGenerator.cpp, Practice.cpp). Whatever reads operands from
// outside the drill (a file, a server) checks them here before any
// arithmetic: a row outside these ranges is not a question of this program.
// (The class's server checks the same ranges in klasa-serwer.sql.)
#pragma once

#include "DrillState.h"

#include <cstdint>

namespace zm {

constexpr bool OperandyWZakresie(std::uint8_t dzialanie, std::int64_t a, std::int64_t b)
{
    switch (dzialanie) {
    case DzialanieMnozenie: // 3–9 × 3–9
        return a >= 3 && a <= 9 && b >= 3 && b <= 9;
    case DzialanieDzielenie: // a quotient and a divisor of 3–9
        return b >= 3 && b <= 9 && a >= 9 && a <= 81 && a % b == 0 && a / b >= 3 && a / b <= 9;
    case DzialanieDodawanie: // two numbers of 10–89, the sum up to 99
        return a >= 10 && a <= 89 && b >= 10 && b <= 89 && a + b <= 99;
    case DzialanieOdejmowanie: // two numbers of 10–99, the first not smaller
        return a >= 10 && a <= 99 && b >= 10 && b <= 99 && a >= b;
    default:
        return false;
    }
}

} // namespace zm
