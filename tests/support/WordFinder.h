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

// The first word is looked for in the first `poczatek` samples, each next
// one within `okno` samples of where the one before it ended.
inline std::vector<Znalezione> ZnajdzSlowa(const std::vector<std::int16_t>& nagranie,
                                           const std::vector<std::vector<std::int16_t>>& slowa, long okno = 2205,
                                           long poczatek = 22050 * 4)
{
    std::vector<Znalezione> wynik;
    long od0 = 0, do0 = poczatek;
    for (const auto& slowo : slowa) {
        Znalezione z;
        const long n = static_cast<long>(slowo.size());
        for (long od = std::max(0L, od0); od <= do0; ++od) {
            if (od + n > static_cast<long>(nagranie.size())) break;
            const double k = Korelacja(nagranie, od, slowo);
            if (k > z.korelacja) z = {od, k};
        }
        wynik.push_back(z);
        if (z.poczatek < 0) break;
        od0 = z.poczatek + n - okno;
        do0 = z.poczatek + n + okno;
    }
    return wynik;
}

} // namespace zm::test
