// The narrator on the sound server it finds (bench/run.sh starts a private
// PulseAudio daemon on a null sink and records it): for the five worked
// sentences, the wall time against the recordings' own length, the time from
// the call to the samples handed to the device, and, from the recording, the
// gaps between words.
//   zm_bench_narrator [sounds-folder [recording.raw]]
// With --stack (bench/narrator_stacks.sh runs it on PulseAudio and on
// PipeWire, each with a null sink "zm"), it records the sink's monitor itself
// and prints: the time from the call to the first sound at the recorder (the
// first sentence of the run, one soon after another, and one after a rest),
// the holes in 18 sentences read while four processes keep both cores busy,
// and, 10 s after the last reading, the process's threads, CPU, memory,
// libraries and streams left on the server. It plays through the program's
// player process (ProcesOdtwarzacz), or with ZM_BENCH_PLAYER=sdl through
// SdlOdtwarzacz in its own process, as the program did before.
//   zm_bench_narrator --stack <name> [sounds-folder]
#include "Narrator.h"
#include "ProcesOdtwarzacz.h"
#include "SdlOdtwarzacz.h"
#include "MonitorRecorder.h"
#include "WordFinder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Zegar = std::chrono::steady_clock;

double czytaj(zm::IOdtwarzacz& o, const std::vector<std::string>& pliki)
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

std::vector<std::string> plikiRownania(const std::string& katalog, std::uint8_t dzialanie, int a, int b)
{
    zm::Ustawienia u;
    u.Dzialanie = dzialanie;
    zm::StanCwiczenia s;
    s.Liczba1 = a;
    s.Liczba2 = b;
    std::vector<std::string> pliki = zm::Narrator::PlikiRownania(u, s);
    for (auto& p : pliki) p.insert(0, katalog);
    return pliki;
}

int watki()
{
    int n = 0;
    for ([[maybe_unused]] const auto& w : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

double cpuSekundy()
{
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// The process's resident memory in MiB.
double rssMiB()
{
    std::ifstream f("/proc/self/status");
    std::string linia;
    while (std::getline(f, linia))
        if (linia.rfind("VmRSS:", 0) == 0) return std::strtod(linia.c_str() + 6, nullptr) / 1024;
    return -1;
}

// The shared libraries the process has mapped.
std::set<std::string> biblioteki()
{
    std::ifstream f("/proc/self/maps");
    std::set<std::string> b;
    std::string linia;
    while (std::getline(f, linia))
        if (const auto i = linia.find('/'); i != std::string::npos && linia.find(".so", i) != std::string::npos)
            b.insert(linia.substr(linia.rfind('/') + 1));
    return b;
}

// The server's playback streams that belong to this process.
int strumienie()
{
    FILE* p = ::popen("pactl list sink-inputs 2>/dev/null", "r");
    if (!p) return -1;
    const std::string szukane = "application.name = \"Zoltava mnożenia\"";
    int n = 0;
    char linia[512];
    while (std::fgets(linia, sizeof linia, p)) n += std::strstr(linia, szukane.c_str()) != nullptr;
    ::pclose(p);
    return n;
}

int stos(const std::string& nazwa, const std::string& katalog)
{
    struct Zdanie {
        std::uint8_t dzialanie;
        int a, b;
    };
    const Zdanie zdania[] = {{zm::DzialanieMnozenie, 7, 8},       {zm::DzialanieDzielenie, 72, 8},
                             {zm::DzialanieDodawanie, 34, 40},    {zm::DzialanieOdejmowanie, 57, 57},
                             {zm::DzialanieOdejmowanie, 30, 17},  {zm::DzialanieMnozenie, 9, 9}};
    const int watkiPrzed = watki();
    zm::bench::Nagrywarka nagrywarka;
    std::this_thread::sleep_for(std::chrono::milliseconds(700)); // the recorder runs
    const char* gracz = std::getenv("ZM_BENCH_PLAYER");
    const bool wTym = gracz && std::string(gracz) == "sdl";
    std::unique_ptr<zm::SdlOdtwarzacz> sdlTu = wTym ? std::make_unique<zm::SdlOdtwarzacz>() : nullptr;
    std::unique_ptr<zm::ProcesOdtwarzacz> proces =
        wTym ? nullptr : std::make_unique<zm::ProcesOdtwarzacz>(ZM_BENCH_LEKTOR, "Zoltava mnożenia");
    zm::IOdtwarzacz& sdl = wTym ? static_cast<zm::IOdtwarzacz&>(*sdlTu) : *proces;
    auto sterownik = [&] { return wTym ? sdlTu->Sterownik() : proces->Sterownik(); };
    const double rssPrzed = rssMiB();
    const auto bibliotekiPrzed = biblioteki();
    // A drill with the narrator starts, as the program tells its player
    // (ZM_BENCH_PRZYGOTUJ=0: it does not).
    const bool przygotuj = !std::getenv("ZM_BENCH_PRZYGOTUJ") || std::string(std::getenv("ZM_BENCH_PRZYGOTUJ")) != "0";
    if (przygotuj) sdl.Przygotuj(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the drill's first question

    // The time from the call to the first sample of the sentence at the recorder.
    struct Czytanie {
        std::vector<std::string> pliki;
        Zegar::time_point t0;
        std::size_t od; // recorded samples at the call
    };
    std::vector<Czytanie> czytania;
    auto czytajNagrywajac = [&](const std::vector<std::string>& pliki) {
        czytania.push_back({pliki, Zegar::now(), nagrywarka.Ile()});
        czytaj(sdl, pliki);
    };
    // Where the sentence's words are in the recording: empty when the first
    // was not found.
    auto znajdz = [&](const std::vector<std::int16_t>& rec, const Czytanie& c) {
        std::vector<std::vector<std::int16_t>> slowa;
        for (const auto& p : c.pliki) slowa.push_back(zm::SdlOdtwarzacz::WczytajSlowo(p).probki);
        // The sentence starts at the first loud sample after the call; its
        // first word is looked for 20 ms around that.
        std::size_t glosny = c.od;
        while (glosny < rec.size() && std::abs(rec[glosny]) < 64) ++glosny;
        std::size_t cichyPoczatek = 0;
        while (cichyPoczatek < slowa[0].size() && std::abs(slowa[0][cichyPoczatek]) < 64) ++cichyPoczatek;
        const long od = std::max(0L, static_cast<long>(glosny) - static_cast<long>(cichyPoczatek) - 441);
        const std::vector<std::int16_t> reszta(rec.begin() + std::min<long>(od, static_cast<long>(rec.size())), rec.end());
        auto z = zm::test::ZnajdzSlowa(reszta, slowa, 2205, 882);
        for (auto& w : z)
            if (w.poczatek >= 0) w.poczatek += od;
        return std::make_pair(z, slowa);
    };
    auto pierwszyDzwiek = [&](const Czytanie& c) {
        const auto rec = nagrywarka.Probki();
        const auto [z, slowa] = znajdz(rec, c);
        if (z.empty() || z[0].poczatek < 0 || z[0].korelacja < 0.9) return -1.0;
        // The first audible sample of the first word.
        auto i = static_cast<std::size_t>(z[0].poczatek);
        for (std::size_t k = 0; k < slowa[0].size() && std::abs(slowa[0][k]) < 64; ++k) ++i;
        return std::chrono::duration<double, std::milli>(nagrywarka.Kiedy(i) - c.t0).count();
    };
    auto pliki0 = plikiRownania(katalog, zdania[0].dzialanie, zdania[0].a, zdania[0].b);
    czytajNagrywajac(pliki0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double pierwsze = pierwszyDzwiek(czytania.back());
    std::vector<double> poKolei, poPrzerwie;
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        czytajNagrywajac(pliki0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        poKolei.push_back(pierwszyDzwiek(czytania.back()));
    }
    for (int i = 0; i < 3; ++i) {
        std::this_thread::sleep_for(std::chrono::seconds(6));
        czytajNagrywajac(pliki0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        poPrzerwie.push_back(pierwszyDzwiek(czytania.back()));
    }
    std::sort(poKolei.begin(), poKolei.end());
    std::sort(poPrzerwie.begin(), poPrzerwie.end());
    std::printf("%s: player %s; just after a reading: threads %d (before the first reading %d), resident memory "
                "%+.1f MiB against before the first reading\n",
                nazwa.c_str(), wTym ? "in this process" : "in a process of its own", watki(), watkiPrzed,
                rssMiB() - rssPrzed);
    std::printf("%s, driver %s: first sound after the call: first sentence %.0f ms; 0.5 s after another %.0f ms "
                "(median of 3); after 6 s of rest %.0f ms (median of 3, worst %.0f ms)\n",
                nazwa.c_str(), sterownik().c_str(), pierwsze, poKolei[1], poPrzerwie[1], poPrzerwie[2]);

    // Holes under load: four busy processes on the two cores (or as many as
    // ZM_BENCH_BUSY says).
    const int zajete = std::getenv("ZM_BENCH_BUSY") ? std::atoi(std::getenv("ZM_BENCH_BUSY")) : 4;
    std::vector<pid_t> obciazenie;
    for (int i = 0; i < zajete; ++i) {
        const pid_t p = ::fork();
        if (p == 0) {
            volatile unsigned long x = 0;
            for (;;) {
                const unsigned long y = x;
                x = y + 1;
            }
        }
        obciazenie.push_back(p);
    }
    const std::size_t pierwszeObciazone = czytania.size();
    for (int powtorzenie = 0; powtorzenie < 3; ++powtorzenie)
        for (const Zdanie& z : zdania) {
            czytajNagrywajac(plikiRownania(katalog, z.dzialanie, z.a, z.b));
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
    for (pid_t p : obciazenie) ::kill(p, SIGKILL);
    for (pid_t p : obciazenie) ::waitpid(p, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    nagrywarka.Zatrzymaj();
    auto rec = nagrywarka.Probki();
    if (const char* plik = std::getenv("ZM_BENCH_RECORDING")) {
        // For a closer look: the recording, and where each sentence was asked for.
        std::ofstream(plik, std::ios::binary)
            .write(reinterpret_cast<const char*>(rec.data()), static_cast<std::streamsize>(rec.size() * 2));
        std::ofstream znaczniki(std::string(plik) + ".txt");
        for (std::size_t k = pierwszeObciazone; k < czytania.size(); ++k) znaczniki << czytania[k].od << "\n";
    }
    int zDziurami = 0, nieznalezione = 0;
    long najwiekszaCisza = 0, najwiekszyUbytek = 0;
    long najdluzsza = 0;
    double najgorszaKorelacja = 1;
    for (std::size_t k = pierwszeObciazone; k < czytania.size(); ++k) {
        const auto [z, slowa] = znajdz(rec, czytania[k]);
        bool dziura = z.size() != slowa.size();
        if (z.empty() || z[0].poczatek < 0) {
            ++nieznalezione;
            continue;
        }
        for (std::size_t i = 0; i < z.size(); ++i) {
            // A hole inside a word lowers its likeness; one between words
            // moves the next word.
            dziura |= z[i].korelacja < 0.995;
            najgorszaKorelacja = std::min(najgorszaKorelacja, z[i].korelacja);
            if (i > 0) {
                const long przerwa = z[i].poczatek - z[i - 1].poczatek - static_cast<long>(slowa[i - 1].size());
                dziura |= std::abs(przerwa) > 2;
                najdluzsza = std::max(najdluzsza, std::abs(przerwa));
                najwiekszaCisza = std::max(najwiekszaCisza, przerwa);
                najwiekszyUbytek = std::max(najwiekszyUbytek, -przerwa);
            }
        }
        zDziurami += dziura;
    }
    std::printf("%s: under load (%d busy processes, load average %.1f): sentences with holes %d of %zu "
                "(not found %d), longest hole between words %.1f ms (silence put in %.1f ms, samples lost %.1f ms), "
                "least likeness of a word %.4f\n",
                nazwa.c_str(), zajete,
                [] {
                    double l[1] = {0};
                    ::getloadavg(l, 1);
                    return l[0];
                }(),
                zDziurami, czytania.size() - pierwszeObciazone, nieznalezione, static_cast<double>(najdluzsza) / 22.05,
                static_cast<double>(najwiekszaCisza) / 22.05, static_cast<double>(najwiekszyUbytek) / 22.05,
                najgorszaKorelacja);

    // At rest, 10 s after the last reading and the drill's end (the
    // recording let go of).
    sdl.Przygotuj(false);
    std::vector<std::int16_t>().swap(rec);
    nagrywarka.Oproznij();
    ::malloc_trim(0);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double c0 = cpuSekundy();
    const auto t0 = Zegar::now();
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double cpu = (cpuSekundy() - c0) / std::chrono::duration<double>(Zegar::now() - t0).count() * 100;
    std::printf("%s: 10 s after a reading: threads %d (before the first reading %d), CPU %.2f %% (5 s), "
                "streams on the server %d, resident memory %+.1f MiB against before the first reading\n",
                nazwa.c_str(), watki(), watkiPrzed, cpu, strumienie(), rssMiB() - rssPrzed);
    std::string zostaly;
    for (const std::string& b : biblioteki())
        if (!bibliotekiPrzed.contains(b)) zostaly += " " + b;
    std::printf("%s: libraries left mapped at rest:%s\n", nazwa.c_str(), zostaly.empty() ? " none" : zostaly.c_str());
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    zm::SdlOdtwarzacz::PrzygotujSrodowisko();
    if (argc > 2 && std::string(argv[1]) == "--stack")
        return stos(argv[2], (argc > 3 ? std::string(argv[3]) : std::string(ZM_BENCH_SOUNDS)) + "/");
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
