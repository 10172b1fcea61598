// The random source and the drawing of question operands.
#pragma once

#include <cstdint>

namespace zm {

// A 32-bit linear congruential generator: seed <- seed * 134775813 + 1, and
// Random(n) is the upper half of the 64-bit product of the new seed and n.
class GeneratorLosowy {
public:
    explicit GeneratorLosowy(std::uint32_t seed = 0) : seed_(seed) {}

    // Seeds from the UTC time of day in milliseconds.
    void Randomize();
    void UstawZiarno(std::uint32_t seed) { seed_ = seed; }
    std::uint32_t Ziarno() const { return seed_; }

    // A whole number in 0 .. n-1, for n >= 1.
    std::uint32_t Random(std::uint32_t n)
    {
        seed_ = seed_ * 134775813u + 1u;
        return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed_) * n) >> 32);
    }

private:
    std::uint32_t seed_;
};

// Milliseconds since midnight UTC, the seed taken at window creation.
std::uint32_t ZiarnoZCzasu();

// Draws the operands of a question of `dzialanie` into liczba1, liczba2.
// Two calls of the random source for each of the four operations; any other
// operation value leaves the operands as they are.
void LosujPytanie(std::uint8_t dzialanie, GeneratorLosowy& los, std::int32_t& liczba1,
                  std::int32_t& liczba2);

// Whether liczba1, liczba2 can be a question of `dzialanie` as LosujPytanie
// draws it (the factors 3 to 9; an exact division of such a product by one
// of them; addends of at least 10 with a sum of at most 99; two-digit numbers
// with a difference that is not negative). Operands read from a file are
// checked with it before any arithmetic.
bool PytanieMozliwe(std::int64_t dzialanie, std::int64_t liczba1, std::int64_t liczba2);

} // namespace zm
