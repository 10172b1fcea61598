// The narrator on the sound server it finds (bench/run.sh starts a private
// PulseAudio daemon on a null sink and records it): for the five worked
// sentences, the wall time against the recordings' own length, the time from
// the call to the samples handed to the device, and, from the recording, the
// gaps between words.
//   zm_bench_narrator [sounds-folder [recording.raw]]
#include "Narrator.h"
#include "SdlOdtwarzacz.h"
#include "WordFinder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

using Zegar = std::chrono::steady_clock;

double czytaj(zm::SdlOdtwarzacz& o, const std::vector<std::string>& pliki)
{
    std::promise<void> p;
    const auto t0 = Zegar::now();
    o.Czytaj(pliki, [&] { p.set_value(); });
    p.get_future().wait();
    return std::chrono::duration<double>(Zegar::now() - t0).count();
}

std::vector<std::int16_t> wczytajRaw(const std::string& plik)
{
    std::ifstream f(plik, std::ios::binary);
    std::vector<std::int16_t> v;
    std::int16_t s;
    while (f.read(reinterpret_cast<char*>(&s), 2)) v.push_back(s);
    return v;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string katalog = (argc > 1 ? std::string(argv[1]) : std::string(ZM_BENCH_SOUNDS)) + "/";
    const std::string nagranie = argc > 2 ? argv[2] : "";
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
    // The first sentence opens the device (and loads SDL).
    const double pierwsze = czytaj(sdl, {katalog + "0.wav"}) -
                            static_cast<double>(zm::SdlOdtwarzacz::WczytajSlowo(katalog + "0.wav").probki.size()) /
                                zm::SdlOdtwarzacz::kCzestotliwosc;
    std::printf("driver: %s; first sentence (SDL loaded, device opened) overhead: %.1f ms\n\n",
                sdl.Sterownik().c_str(), pierwsze * 1000);
    std::printf("%-14s %6s %10s %10s %18s\n", "sentence", "files", "audio [s]", "wall [s]", "overhead/sentence");
    std::vector<std::vector<std::string>> zagrane;
    std::vector<double> narzuty;
    for (const Zdanie& z : zdania) {
        zm::Ustawienia u;
        u.Dzialanie = z.dzialanie;
        zm::StanCwiczenia s;
        s.Liczba1 = z.a;
        s.Liczba2 = z.b;
        std::vector<std::string> pliki = zm::Narrator::PlikiRownania(u, s);
        for (auto& p : pliki) p.insert(0, katalog);
        double audio = 0;
        for (const auto& p : pliki)
            audio += static_cast<double>(zm::SdlOdtwarzacz::WczytajSlowo(p).probki.size()) / zm::SdlOdtwarzacz::kCzestotliwosc;
        std::vector<double> sciany;
        for (int powtorzenie = 0; powtorzenie < 3; ++powtorzenie) {
            sciany.push_back(czytaj(sdl, pliki));
            zagrane.push_back(pliki);
            std::this_thread::sleep_for(std::chrono::milliseconds(300)); // a pause between sentences
        }
        std::sort(sciany.begin(), sciany.end());
        std::printf("%-14s %6zu %10.3f %10.3f %15.1f ms\n", z.opis, pliki.size(), audio, sciany[1],
                    (sciany[1] - audio) * 1000);
        narzuty.push_back(sciany[1] - audio);
    }
    std::sort(narzuty.begin(), narzuty.end());
    std::printf("\nmedian overhead per sentence: %.1f ms\n", narzuty[narzuty.size() / 2] * 1000);

    if (nagranie.empty()) return 0;
    // The gaps, from the recording: each sentence's words found in order.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto rec = wczytajRaw(nagranie);
    std::vector<double> przerwy;
    double najgorszaKorelacja = 1;
    long od = 0;
    for (const auto& pliki : zagrane) {
        std::vector<std::vector<std::int16_t>> slowa;
        for (const auto& p : pliki) slowa.push_back(zm::SdlOdtwarzacz::WczytajSlowo(p).probki);
        // Past the previous sentence.
        while (od < static_cast<long>(rec.size()) && std::abs(rec[static_cast<std::size_t>(od)]) < 64) ++od;
        const std::vector<std::int16_t> reszta(rec.begin() + od, rec.end());
        const auto z = zm::test::ZnajdzSlowa(reszta, slowa);
        for (std::size_t i = 0; i < z.size(); ++i) {
            najgorszaKorelacja = std::min(najgorszaKorelacja, z[i].korelacja);
            if (i > 0)
                przerwy.push_back(static_cast<double>(z[i].poczatek - z[i - 1].poczatek -
                                                      static_cast<long>(slowa[i - 1].size())) /
                                  zm::SdlOdtwarzacz::kCzestotliwosc);
        }
        od += z.back().poczatek + static_cast<long>(slowa.back().size());
    }
    std::sort(przerwy.begin(), przerwy.end());
    std::printf("gaps between words in the recording (%zu): median %.2f ms, worst %.2f ms; worst correlation %.4f\n",
                przerwy.size(), przerwy[przerwy.size() / 2] * 1000, przerwy.back() * 1000, najgorszaKorelacja);
    return 0;
}
