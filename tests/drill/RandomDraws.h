// The generator's first `n` questions for a seed, as pairs of operands.
#pragma once

#include "QuestionGenerator.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace zm::test {

using Para = std::pair<int, int>;

inline std::vector<Para> losuj(std::uint8_t dzialanie, std::uint32_t seed, int n)
{
    GeneratorLosowy los(seed);
    std::vector<Para> out;
    for (int i = 0; i < n; ++i) {
        std::int32_t a = -1, b = -1;
        LosujPytanie(dzialanie, los, a, b);
        out.emplace_back(a, b);
    }
    return out;
}

} // namespace zm::test
