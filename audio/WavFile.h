// A strict reader of WAV recordings: RIFF/WAVE with a PCM (8, 16, 24 or
// 32-bit integer) or 32-bit float format chunk and a data chunk. Every size
// in the file is checked against the bytes really there; anything damaged,
// truncated or unusual is refused rather than guessed at.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zm {

struct Nagranie {
    enum class Format { U8, S16, S32, F32 }; // 24-bit samples are widened to S32
    Format format = Format::S16;
    int kanaly = 0;
    int czestotliwosc = 0;
    std::vector<std::uint8_t> probki; // interleaved, little-endian

    double Sekundy() const;
};

// Parses a WAV file held in memory; nullopt when it is not a sound we can play.
std::optional<Nagranie> CzytajWav(const std::vector<std::uint8_t>& plik);

// Reads and parses a file of at most `maksBajtow` bytes.
std::optional<Nagranie> CzytajWavZPliku(const std::string& sciezka, std::uintmax_t maksBajtow);

} // namespace zm
