// Finds the words of a sentence, in order, in a recording of what the sound
// server played (16-bit mono at the words' own rate), by normalised
// correlation with each word's samples.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace zm::test {

struct Znalezione {
    long poczatek = -1;    // sample index in the recording
    double korelacja = 0;  // 1.0 for the word itself
};

inline double Korelacja(const std::vector<std::int16_t>& nagranie, long od, const std::vector<std::int16_t>& slowo)
{
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i < slowo.size(); ++i) {
        const double x = nagranie[static_cast<std::size_t>(od) + i], y = slowo[i];
        xy += x * y;
        xx += x * x;
        yy += y * y;
    }
    return xx > 0 && yy > 0 ? xy / std::sqrt(xx * yy) : 0.0;
}

// Each word is looked for within `okno` samples of where the one before it
// ended; the first one after the first sound in the recording.
inline std::vector<Znalezione> ZnajdzSlowa(const std::vector<std::int16_t>& nagranie,
                                           const std::vector<std::vector<std::int16_t>>& slowa, long okno = 4410)
{
    std::vector<Znalezione> wynik;
    long oczekiwany = 0;
    while (oczekiwany < static_cast<long>(nagranie.size()) && std::abs(nagranie[static_cast<std::size_t>(oczekiwany)]) < 64)
        ++oczekiwany;
    for (const auto& slowo : slowa) {
        Znalezione z;
        const long n = static_cast<long>(slowo.size());
        for (long od = std::max(0L, oczekiwany - okno); od <= oczekiwany + okno; ++od) {
            if (od + n > static_cast<long>(nagranie.size())) break;
            const double k = Korelacja(nagranie, od, slowo);
            if (k > z.korelacja) z = {od, k};
        }
        wynik.push_back(z);
        if (z.poczatek < 0) break;
        oczekiwany = z.poczatek + n;
    }
    return wynik;
}

} // namespace zm::test
