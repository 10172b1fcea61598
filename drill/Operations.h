// The facts of the four operations, in one table that every layer reads: the
// sign (which also names its picture and recording in the file catalogue),
// the screen reader's word, the settings dialog's label, and how the result
// is computed.
#pragma once

#include <cstdint>
#include <span>

namespace zm {

struct FaktyDzialania {
    std::uint8_t dzialanie; // the `Dzialanie` code
    char znak;              // the sign in a question's text
    const char* slowo;      // what a screen reader says for the sign
    const char* etykieta;   // the settings dialog's choice
    // The correct result, exact for every question the generator draws.
    std::int32_t (*wynik)(std::int32_t liczba1, std::int32_t liczba2);
    // The result as an answer is judged: in floating point.
    double (*wynikRzeczywisty)(double liczba1, double liczba2);
};

// The four operations, in the order of their codes.
std::span<const FaktyDzialania> Dzialania();

// The facts of `dzialanie`, or null for a value that is not an operation.
const FaktyDzialania* Fakty(std::uint8_t dzialanie);

} // namespace zm
