// The player in a process of its own, on SDL's disk driver (the process
// inherits the environment), with the program's own recordings.
#include "DiskAudio.h"
#include "ProcesOdtwarzacz.h"
#include "SdlOdtwarzacz.h"
#include "Sentence.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace zm;
namespace fs = std::filesystem;
using Zegar = std::chrono::steady_clock;

namespace {

const std::string kDzwieki = ZM_TEST_SOUNDS "/";

int watki()
{
    int n = 0;
    for ([[maybe_unused]] const auto& w : fs::directory_iterator("/proc/self/task")) ++n;
    return n;
}

std::set<std::string> biblioteki()
{
    std::ifstream f("/proc/self/maps");
    std::set<std::string> b;
    for (std::string linia; std::getline(f, linia);)
        if (const auto i = linia.find('/'); i != std::string::npos && linia.find(".so", i) != std::string::npos)
            b.insert(linia.substr(linia.rfind('/') + 1));
    return b;
}

// Whether the process is gone and reaped.
bool nieMa(int pid) { return ::kill(pid, 0) == -1 && errno == ESRCH; }

bool czekaj(const std::function<bool()>& warunek, std::chrono::milliseconds ile)
{
    const auto koniec = Zegar::now() + ile;
    while (!warunek() && Zegar::now() < koniec) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return warunek();
}

class Proces : public test::DyskSdl {
protected:
    // The non-zero samples written to the disk driver's file.
    std::vector<std::int16_t> glosne() const
    {
        std::vector<std::int16_t> v;
        for (std::int16_t s : probki())
            if (s != 0) v.push_back(s);
        return v;
    }
    // The non-zero samples of the words, as the stream plays them.
    static std::vector<std::int16_t> glosne(const std::vector<std::string>& pliki)
    {
        std::vector<std::int16_t> v;
        for (const std::string& p : pliki)
            for (std::int16_t s : SdlOdtwarzacz::WczytajSlowo(p).probki)
                if (s != 0) v.push_back(s);
        return v;
    }
};

} // namespace

TEST_F(Proces, TheSentenceIsHeardThroughThePlayerProcessWhichEndsAtRestWithWhatItLoaded)
{
    const int watkiPrzed = watki();
    const auto bibliotekiPrzed = biblioteki();
    const std::vector<std::string> zdanie = {kDzwieki + "7.wav", kDzwieki + "razy.wav", kDzwieki + "8.wav"};
    const std::vector<std::string> brak = {(katalog / "brak.wav").string()};
    auto o = std::make_unique<ProcesOdtwarzacz>(ZM_TEST_LEKTOR, "Zoltava mnożenia");
    test::CzytajIZaczekaj(*o, zdanie);
    const int pid = o->Pid();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(o->Sterownik(), "disk");
    EXPECT_FALSE(o->OstatnioDomyslny());
    test::CzytajIZaczekaj(*o, brak); // the same process, the beep
    EXPECT_EQ(o->Pid(), pid);
    EXPECT_TRUE(o->OstatnioDomyslny());

    // At rest the process has ended, its device closed and the file written.
    const auto spoczynek = SdlOdtwarzacz::kBezczynnosc + ProcesOdtwarzacz::kLimitZakonczenia + std::chrono::seconds(2);
    EXPECT_TRUE(czekaj([&] { return nieMa(pid) && watki() == watkiPrzed; }, spoczynek));
    EXPECT_EQ(o->Pid(), 0);
    std::vector<std::int16_t> oczekiwane = glosne(zdanie);
    for (std::int16_t s : glosne(brak)) oczekiwane.push_back(s);
    EXPECT_EQ(glosne(), oczekiwane) << "not sample for sample";

    // Without a sound server SDL tries each driver, and the sentence passes
    // in silence: what SDL loaded meanwhile (PulseAudio's client, which
    // stays once loaded) is the player process's, and goes with it. A drill
    // with the narrator has started the process ahead, and keeps it past
    // the idle time until it ends.
    ::unsetenv("SDL_AUDIODRIVER");
    ::setenv("PULSE_SERVER", ("unix:" + (katalog / "brak-serwera").string()).c_str(), 1);
    o->Przygotuj(true);
    ASSERT_TRUE(czekaj([&] { return o->Pid() > 0; }, std::chrono::seconds(2))) << "not started ahead";
    const int drugi = o->Pid();
    ::testing::internal::CaptureStderr();
    test::CzytajIZaczekaj(*o, zdanie);
    ::testing::internal::GetCapturedStderr();
    ::unsetenv("PULSE_SERVER");
    std::this_thread::sleep_for(SdlOdtwarzacz::kBezczynnosc + std::chrono::milliseconds(500));
    EXPECT_EQ(o->Pid(), drugi) << "ended while the drill runs";
    std::string zaladowane;
    std::ifstream mapy("/proc/" + std::to_string(drugi) + "/maps");
    for (std::string linia; std::getline(mapy, linia);)
        if (linia.find("libpulse") != std::string::npos || linia.find("libSDL2") != std::string::npos)
            zaladowane += linia.substr(linia.rfind('/') + 1) + " ";
    EXPECT_NE(zaladowane.find("libpulse"), std::string::npos) << zaladowane;
    o->Przygotuj(false);
    EXPECT_TRUE(czekaj([&] { return nieMa(drugi) && watki() == watkiPrzed; }, spoczynek));
    EXPECT_EQ(watki(), watkiPrzed);
    std::string nowe;
    for (const std::string& b : biblioteki())
        if (!bibliotekiPrzed.contains(b)) nowe += b + " ";
    EXPECT_EQ(nowe, "") << "left in this process";
}

TEST_F(Proces, AnInterruptedSentenceNeverEndsAndAnEndMayReadTheNext)
{
    ::unsetenv("SDL_DISKAUDIODELAY"); // at the real pace
    ProcesOdtwarzacz o(ZM_TEST_LEKTOR, "Zoltava mnożenia");
    std::atomic<int> konce = 0;
    o.Czytaj({kDzwieki + "100.wav", kDzwieki + "razy.wav", kDzwieki + "100.wav"}, [&] { ++konce; });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    o.Przerwij();
    std::promise<void> drugie;
    o.Czytaj({kDzwieki + "1.wav"}, [&] {
        o.Przerwij(); // ended: nothing to interrupt
        o.Czytaj({kDzwieki + "2.wav"}, [&] { drugie.set_value(); });
    });
    EXPECT_EQ(drugie.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_EQ(konce, 0);
}

class Zawodny : public Proces, public ::testing::WithParamInterface<int> {};

TEST_P(Zawodny, APlayerProcessKilledOrStoppedEndsItsSentenceOnceInSilenceAndTheNextIsHeard)
{
    ::unsetenv("SDL_DISKAUDIODELAY");
    const std::vector<std::string> zdanie = {kDzwieki + "7.wav", kDzwieki + "razy.wav", kDzwieki + "8.wav"};
    const double dlugosc = static_cast<double>(glosne(zdanie).size()) / SdlOdtwarzacz::kCzestotliwosc;
    ProcesOdtwarzacz o(ZM_TEST_LEKTOR, "Zoltava mnożenia");
    std::atomic<int> konce = 0;
    std::promise<void> koniec;
    const auto t0 = Zegar::now();
    o.Czytaj(zdanie, [&] {
        if (++konce == 1) koniec.set_value();
    });
    ASSERT_TRUE(czekaj([&] { return o.Pid() > 0; }, std::chrono::seconds(2)));
    const int pid = o.Pid();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::kill(pid, GetParam());
    // While it does not answer, the caller's calls return at once.
    const auto t1 = Zegar::now();
    o.OstatnioDomyslny();
    EXPECT_LT(Zegar::now() - t1, std::chrono::milliseconds(100));
    ASSERT_EQ(koniec.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    const double s = std::chrono::duration<double>(Zegar::now() - t0).count();
    EXPECT_GT(s, dlugosc * 0.9) << "not its own length";
    const double limit = GetParam() == SIGKILL ? 1.0 : std::chrono::duration<double>(ProcesOdtwarzacz::kZapas).count() + 1;
    EXPECT_LT(s, dlugosc + limit);
    EXPECT_TRUE(czekaj([&] { return nieMa(pid); }, std::chrono::seconds(2))) << "the process was left";
    test::CzytajIZaczekaj(o, {kDzwieki + "1.wav"});
    EXPECT_EQ(konce, 1);
    EXPECT_NE(o.Pid(), pid);
    EXPECT_EQ(o.Sterownik(), "disk");
}

INSTANTIATE_TEST_SUITE_P(Proces, Zawodny, ::testing::Values(SIGKILL, SIGSTOP),
                         [](const auto& i) { return i.param == SIGKILL ? "Killed" : "Stopped"; });

class BezLektora : public Proces, public ::testing::WithParamInterface<bool> {};

TEST_P(BezLektora, WithoutAPlayerProgramThatRunsTheSentencesArePlayedHereAndThatIsSaidOnce)
{
    // No program at all, or one that ends without a word.
    fs::path program = katalog / "lektor";
    if (GetParam()) {
        std::ofstream(program) << "#!/bin/sh\nexit 1\n";
        fs::permissions(program, fs::perms::owner_all);
    }
    ::testing::internal::CaptureStderr();
    {
        ProcesOdtwarzacz o(program.string(), "Zoltava mnożenia");
        for (int i = 0; i < 3; ++i) test::CzytajIZaczekaj(o, {kDzwieki + "1.wav"});
        EXPECT_EQ(o.Sterownik(), "disk");
        EXPECT_EQ(o.Pid(), 0);
    }
    // SDL's disk driver says what it is on every opening.
    std::string terminal;
    std::istringstream wiersze(::testing::internal::GetCapturedStderr());
    for (std::string w; std::getline(wiersze, w);)
        if (w.rfind("CRITICAL: ", 0) != 0) terminal += w + "\n";
    EXPECT_EQ(std::count(terminal.begin(), terminal.end(), '\n'), 1) << terminal;
    EXPECT_EQ(terminal.rfind("Zoltava mnożenia: lektor czyta w programie", 0), 0u) << terminal;
    // Heard here at least for the last sentence.
    EXPECT_GE(glosne().size(), glosne({kDzwieki + "1.wav"}).size());
}

INSTANTIATE_TEST_SUITE_P(Proces, BezLektora, ::testing::Bool(),
                         [](const auto& i) { return i.param ? "EndsAtOnce" : "Missing"; });
