#include "WavFile.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace zm {

namespace {

std::uint32_t le32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

int bajtyProbki(Nagranie::Format f)
{
    switch (f) {
    case Nagranie::Format::U8: return 1;
    case Nagranie::Format::S16: return 2;
    default: return 4;
    }
}

} // namespace

double Nagranie::Sekundy() const
{
    if (kanaly <= 0 || czestotliwosc <= 0) return 0;
    return static_cast<double>(probki.size()) / (bajtyProbki(format) * kanaly * czestotliwosc);
}

std::optional<Nagranie> CzytajWav(const std::vector<std::uint8_t>& plik)
{
    const std::size_t n = plik.size();
    if (n < 12 || std::memcmp(plik.data(), "RIFF", 4) != 0 || std::memcmp(plik.data() + 8, "WAVE", 4) != 0)
        return std::nullopt;

    bool maFmt = false;
    std::uint16_t tag = 0, kanaly = 0, wyrownanie = 0, bity = 0;
    std::uint32_t czestotliwosc = 0;
    std::size_t poz = 12;
    while (poz + 8 <= n) {
        const std::uint8_t* naglowek = plik.data() + poz;
        const std::uint32_t rozmiar = le32(naglowek + 4);
        const std::size_t start = poz + 8;
        if (rozmiar > n - start) return std::nullopt; // a chunk longer than the file: truncated
        if (std::memcmp(naglowek, "fmt ", 4) == 0) {
            if (rozmiar < 16) return std::nullopt;
            const std::uint8_t* f = plik.data() + start;
            tag = le16(f);
            kanaly = le16(f + 2);
            czestotliwosc = le32(f + 4);
            wyrownanie = le16(f + 12);
            bity = le16(f + 14);
            if (tag == 0xFFFE && rozmiar >= 26) tag = le16(f + 24); // WAVE_FORMAT_EXTENSIBLE: the sub-format
            maFmt = true;
        } else if (std::memcmp(naglowek, "data", 4) == 0) {
            if (!maFmt) return std::nullopt;
            if (kanaly < 1 || kanaly > 8 || czestotliwosc < 1000 || czestotliwosc > 384000) return std::nullopt;
            Nagranie r;
            r.kanaly = kanaly;
            r.czestotliwosc = static_cast<int>(czestotliwosc);
            int bajty = 0;
            if (tag == 1 && bity == 8) r.format = Nagranie::Format::U8, bajty = 1;
            else if (tag == 1 && bity == 16) r.format = Nagranie::Format::S16, bajty = 2;
            else if (tag == 1 && bity == 24) r.format = Nagranie::Format::S32, bajty = 3;
            else if (tag == 1 && bity == 32) r.format = Nagranie::Format::S32, bajty = 4;
            else if (tag == 3 && bity == 32) r.format = Nagranie::Format::F32, bajty = 4;
            else return std::nullopt;
            if (wyrownanie != bajty * kanaly) return std::nullopt;
            const std::size_t ramki = rozmiar / wyrownanie;
            if (ramki == 0) return std::nullopt;
            const std::uint8_t* d = plik.data() + start;
            if (bajty == 3) {
                r.probki.resize(ramki * kanaly * 4);
                for (std::size_t i = 0; i < ramki * kanaly; ++i) {
                    r.probki[4 * i] = 0;
                    std::memcpy(&r.probki[4 * i + 1], d + 3 * i, 3);
                }
            } else {
                r.probki.assign(d, d + ramki * wyrownanie);
            }
            return r;
        }
        poz = start + rozmiar + (rozmiar & 1); // chunks are padded to even sizes
    }
    return std::nullopt;
}

std::optional<Nagranie> CzytajWavZPliku(const std::string& sciezka, std::uintmax_t maksBajtow)
{
    std::error_code ec;
    const auto rozmiar = std::filesystem::file_size(sciezka, ec);
    if (ec || rozmiar == 0 || rozmiar > maksBajtow) return std::nullopt;
    std::ifstream f(sciezka, std::ios::binary);
    if (!f) return std::nullopt;
    std::vector<std::uint8_t> dane(static_cast<std::size_t>(rozmiar));
    if (!f.read(reinterpret_cast<char*>(dane.data()), static_cast<std::streamsize>(dane.size()))) return std::nullopt;
    return CzytajWav(dane);
}

} // namespace zm
