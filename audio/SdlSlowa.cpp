#include "SdlOdtwarzacz.h"

#include "WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace zm {

namespace {

// 120 ms of a soft 660 Hz tone with short fades.
std::vector<std::int16_t> Pisk()
{
    constexpr int f = SdlOdtwarzacz::kCzestotliwosc;
    const int n = f * 12 / 100;
    std::vector<std::int16_t> p(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double obwiednia = std::min({1.0, i / (0.01 * f), (n - i) / (0.02 * f)});
        p[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(4000.0 * obwiednia * std::sin(2 * M_PI * 660.0 * i / f));
    }
    return p;
}

// One sample of frame `ramka`, channels mixed, as a 16-bit value.
double Probka(const Nagranie& n, std::size_t ramka)
{
    double suma = 0;
    for (int k = 0; k < n.kanaly; ++k) {
        const std::size_t i = ramka * static_cast<std::size_t>(n.kanaly) + static_cast<std::size_t>(k);
        const std::uint8_t* d = n.probki.data();
        switch (n.format) {
        case Nagranie::Format::U8: suma += (static_cast<int>(d[i]) - 128) * 256.0; break;
        case Nagranie::Format::S16: {
            std::int16_t v;
            std::memcpy(&v, d + 2 * i, 2);
            suma += v;
            break;
        }
        case Nagranie::Format::S32: {
            std::int32_t v;
            std::memcpy(&v, d + 4 * i, 4);
            suma += v / 65536.0;
            break;
        }
        case Nagranie::Format::F32: {
            float v;
            std::memcpy(&v, d + 4 * i, 4);
            suma += std::isfinite(v) ? std::clamp(static_cast<double>(v), -1.0, 1.0) * 32767.0 : 0.0;
            break;
        }
        }
    }
    return suma / n.kanaly;
}

int BajtyProbki(Nagranie::Format f) { return f == Nagranie::Format::U8 ? 1 : f == Nagranie::Format::S16 ? 2 : 4; }

} // namespace

SdlOdtwarzacz::Slowo SdlOdtwarzacz::WczytajSlowo(const std::string& sciezka)
{
    const std::optional<Nagranie> wav = CzytajWavZPliku(sciezka, kMaksRozmiarPliku);
    if (!wav || wav->Sekundy() > kMaksSekundSlowa) return {Pisk(), true};
    const std::size_t ramki = wav->probki.size() / static_cast<std::size_t>(BajtyProbki(wav->format) * wav->kanaly);
    Slowo s;
    if (wav->czestotliwosc == kCzestotliwosc) {
        s.probki.resize(ramki);
        for (std::size_t i = 0; i < ramki; ++i)
            s.probki[i] = static_cast<std::int16_t>(std::lround(std::clamp(Probka(*wav, i), -32768.0, 32767.0)));
        return s;
    }
    // Another rate: linear interpolation between neighbouring frames. The
    // output's size follows the word's duration, bounded above.
    const double krok = static_cast<double>(wav->czestotliwosc) / kCzestotliwosc;
    const auto wyjscie = static_cast<std::size_t>(static_cast<double>(ramki) / krok);
    s.probki.resize(wyjscie);
    for (std::size_t i = 0; i < wyjscie; ++i) {
        const double poz = static_cast<double>(i) * krok;
        const auto j = std::min(static_cast<std::size_t>(poz), ramki - 1);
        const double u = poz - static_cast<double>(j);
        const double v = j + 1 < ramki ? Probka(*wav, j) * (1 - u) + Probka(*wav, j + 1) * u : Probka(*wav, j);
        s.probki[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return s;
}

std::chrono::microseconds SdlOdtwarzacz::DlugoscZdania(const std::vector<std::string>& pliki)
{
    std::size_t probki = 0;
    for (const std::string& plik : pliki) probki += WczytajSlowo(plik).probki.size();
    return std::chrono::microseconds(static_cast<long long>(probki) * 1000000 / kCzestotliwosc);
}

} // namespace zm
