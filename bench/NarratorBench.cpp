// The narrator's overhead: the wall time of the five worked sentences
// against the sum of their recordings' durations.
//   zm_bench_narrator [sounds-folder]   (default: the build's sounds/)
#include "Narrator.h"
#include "SdlOdtwarzacz.h"

#include "WavFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The duration of a WAV file in seconds, read from its samples.
double dlugosc(const std::string& sciezka)
{
    const auto wav = zm::CzytajWavZPliku(sciezka, zm::SdlOdtwarzacz::kMaksRozmiarPliku);
    return wav ? wav->Sekundy() : 0.0;
}

class Licznik final : public zm::IOdtwarzacz {
public:
    zm::IOdtwarzacz& cel;
    std::vector<std::string> pliki;
    explicit Licznik(zm::IOdtwarzacz& c) : cel(c) {}
    void Odtworz(const std::string& s) override
    {
        pliki.push_back(s);
        cel.Odtworz(s);
    }
};

} // namespace

int main(int argc, char** argv)
{
    const std::string katalog = (argc > 1 ? std::string(argv[1]) : std::string(ZM_BENCH_SOUNDS)) + "/";
    struct Zdanie {
        const char* opis;
        std::uint8_t dzialanie;
        int a, b;
    };
    const Zdanie zdania[] = {{"7 x 8 = 56", zm::DzialanieMnozenie, 7, 8},
                             {"72 : 8 = 9", zm::DzialanieDzielenie, 72, 8},
                             {"34 + 40 = 74", zm::DzialanieDodawanie, 34, 40},
                             {"57 - 57 = 0", zm::DzialanieOdejmowanie, 57, 57},
                             {"30 - 17 = 13", zm::DzialanieOdejmowanie, 30, 17}};
    zm::SdlOdtwarzacz sdl;
    // The device opens at the first word; that cost is not a per-file one.
    const auto t0 = std::chrono::steady_clock::now();
    sdl.Odtworz(katalog + "0.wav");
    const double otwarcie = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() -
                            dlugosc(katalog + "0.wav");
    std::printf("driver: %s, device open + first word overhead: %.1f ms\n\n", sdl.Sterownik().c_str(),
                otwarcie * 1000);
    std::printf("%-14s %6s %10s %10s %14s\n", "sentence", "files", "audio [s]", "wall [s]", "overhead/file");
    double sumaNarzutu = 0;
    int sumaPlikow = 0;
    for (const Zdanie& z : zdania) {
        std::vector<double> narzuty;
        double audio = 0, sciana = 0;
        std::size_t pliki = 0;
        for (int powtorzenie = 0; powtorzenie < 3; ++powtorzenie) {
            Licznik licznik(sdl);
            zm::Narrator n(licznik, [&] { return katalog; });
            zm::Ustawienia u;
            u.Dzialanie = z.dzialanie;
            zm::StanCwiczenia s;
            s.Liczba1 = z.a;
            s.Liczba2 = z.b;
            const auto t = std::chrono::steady_clock::now();
            n.CzytajRownanie(u, s);
            sciana = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
            audio = 0;
            for (const auto& p : licznik.pliki) audio += dlugosc(p);
            pliki = licznik.pliki.size();
            narzuty.push_back((sciana - audio) / static_cast<double>(pliki));
        }
        std::sort(narzuty.begin(), narzuty.end());
        const double mediana = narzuty[1];
        std::printf("%-14s %6zu %10.3f %10.3f %11.1f ms\n", z.opis, pliki, audio, sciana, mediana * 1000);
        sumaNarzutu += mediana * static_cast<double>(pliki);
        sumaPlikow += static_cast<int>(pliki);
    }
    std::printf("\nmedian overhead per file, all sentences: %.1f ms\n", sumaNarzutu / sumaPlikow * 1000);
    return 0;
}
