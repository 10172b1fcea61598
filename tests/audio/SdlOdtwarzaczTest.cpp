// The real player on SDL's disk driver, which writes what would be heard to
// a file as raw samples.
#include "DiskAudio.h"
#include "SdlOdtwarzacz.h"
#include "Sentence.h"
#include "SerwerPulse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include <thread>
#include <vector>

using namespace zm;
namespace fs = std::filesystem;

namespace {

class Dysk : public test::DyskSdl {
protected:

    // A 16-bit WAV of `n` frames of value `v` in every channel.
    fs::path wav(const std::string& nazwa, std::int16_t v, std::uint32_t n, std::uint32_t hz = 22050,
                 std::uint16_t kanaly = 1)
    {
        const fs::path p = katalog / nazwa;
        std::ofstream f(p, std::ios::binary);
        auto u32 = [&](std::uint32_t x) { f.write(reinterpret_cast<const char*>(&x), 4); };
        auto u16 = [&](std::uint16_t x) { f.write(reinterpret_cast<const char*>(&x), 2); };
        f.write("RIFF", 4);
        u32(36 + 2 * n * kanaly);
        f.write("WAVEfmt ", 8);
        u32(16);
        u16(1);
        u16(kanaly);
        u32(hz);
        u32(hz * 2 * kanaly);
        u16(static_cast<std::uint16_t>(2 * kanaly));
        u16(16);
        f.write("data", 4);
        u32(2 * n * kanaly);
        for (std::uint32_t i = 0; i < n * kanaly; ++i) f.write(reinterpret_cast<const char*>(&v), 2);
        return p;
    }

    // Runs of equal non-zero samples, in order: (value, length).
    std::vector<std::pair<int, int>> serie()
    {
        std::vector<std::pair<int, int>> r;
        for (std::int16_t s : probki()) {
            if (s == 0) continue;
            if (!r.empty() && r.back().first == s)
                ++r.back().second;
            else
                r.emplace_back(s, 1);
        }
        return r;
    }
};

} // namespace

TEST_F(Dysk, ASentenceIsOneStreamWithTheWordsEndToEnd)
{
    // The third word is at twice the rate in stereo: it is converted.
    const auto a = wav("a.wav", 1000, 2205), b = wav("b.wav", -2000, 4410), c = wav("c.wav", 3000, 4410, 44100, 2);
    {
        SdlOdtwarzacz o;
        test::CzytajIZaczekaj(o, {a.string(), b.string(), c.string()});
        EXPECT_FALSE(o.OstatnioDomyslny());
        EXPECT_EQ(o.Sterownik(), "disk");
        test::CzytajIZaczekaj(o, {b.string()}); // the device is kept for the next sentence
    }
    const auto p = probki();
    const auto pierwsza = std::find(p.begin(), p.end(), 1000) - p.begin();
    const std::vector<std::int16_t> zdanie(p.begin() + pierwsza, p.begin() + std::min<long>(p.size(), pierwsza + 8820));
    std::vector<std::int16_t> oczekiwane(2205, 1000);
    oczekiwane.insert(oczekiwane.end(), 4410, -2000);
    oczekiwane.insert(oczekiwane.end(), 2205, 3000);
    EXPECT_EQ(zdanie, oczekiwane) << "not sample for sample, without gaps";
    const auto s = serie();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[3], std::make_pair(-2000, 4410));
}

TEST_F(Dysk, BadFilesPlayTheBeepAndReturnPromptly)
{
    const fs::path pusty = katalog / "pusty.wav";
    std::ofstream(pusty).close();
    const fs::path tekst = katalog / "tekst.wav";
    std::ofstream(tekst) << "To nie jest nagranie, tylko tekst.\n";
    const fs::path obciety = wav("obciety.wav", 1234, 22050);
    fs::resize_file(obciety, 44 + 1000);
    const fs::path ogromny = katalog / "ogromny.wav";
    {
        // A header that claims four gigabytes of samples.
        std::ofstream f(ogromny, std::ios::binary);
        const unsigned char h[] = {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                   16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0,
                                   'd', 'a', 't', 'a', 0xF0, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4};
        f.write(reinterpret_cast<const char*>(h), sizeof h);
    }
    // A valid word far too long to be one (12 s at 1000 Hz), and a pipe
    // nobody writes to.
    const fs::path dlugi = wav("dlugi.wav", 1234, 12000, 1000);
    const fs::path rura = katalog / "rura.wav";
    ASSERT_EQ(::mkfifo(rura.c_str(), 0600), 0);
    SdlOdtwarzacz o;
    for (const fs::path& p : {katalog / "brak.wav", pusty, tekst, obciety, ogromny, dlugi, rura}) {
        EXPECT_LT(test::CzytajIZaczekaj(o, {p.string()}), 1.0) << p;
        EXPECT_TRUE(o.OstatnioDomyslny()) << p;
    }
    // Seven beeps were heard, sample for sample, and nothing of the damaged files.
    const auto pisk = SdlOdtwarzacz::WczytajSlowo((katalog / "brak.wav").string());
    ASSERT_TRUE(pisk.domyslny);
    ASSERT_EQ(pisk.probki.size(), 22050u * 12 / 100);
    std::vector<std::int16_t> oczekiwane;
    for (int i = 0; i < 7; ++i) oczekiwane.insert(oczekiwane.end(), pisk.probki.begin(), pisk.probki.end());
    std::erase(oczekiwane, 0);
    auto p = probki();
    std::erase(p, 0);
    EXPECT_EQ(p, oczekiwane);
}

TEST_F(Dysk, WithoutADeviceTheSentenceTakesItsTimeAndTheNextOneTriesAgain)
{
    // No driver named and no sound server: whatever SDL tries is not there
    // (on a machine without a sound card). It says so once, in one line.
    ::unsetenv("SDL_AUDIODRIVER");
    ::setenv("PULSE_SERVER", ("unix:" + (katalog / "brak-serwera").string()).c_str(), 1);
    const auto a = wav("a.wav", 500, 11025); // half a second
    SdlOdtwarzacz o;
    ::testing::internal::CaptureStderr();
    const double s = test::CzytajIZaczekaj(o, {a.string()});
    test::CzytajIZaczekaj(o, {a.string()});
    const std::string terminal = ::testing::internal::GetCapturedStderr();
    ::unsetenv("PULSE_SERVER");
    if (o.Sterownik().empty()) {
        EXPECT_GT(s, 0.45);
        EXPECT_LT(s, 1.2);
        EXPECT_EQ(std::count(terminal.begin(), terminal.end(), '\n'), 1) << terminal;
        EXPECT_EQ(terminal.rfind("Zoltava mnożenia: brak dźwięku (", 0), 0u) << terminal;
    } else {
        EXPECT_EQ(terminal, "") << "a sound device was found: " << o.Sterownik();
    }
    // A device that can be had now is opened for the next sentence.
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    test::CzytajIZaczekaj(o, {a.string()});
    EXPECT_EQ(o.Sterownik(), "disk");
    EXPECT_EQ(serie(), (std::vector<std::pair<int, int>>{{500, 11025}}));
}

TEST_F(Dysk, AnInterruptedSentenceStopsAndNeverReportsItsEnd)
{
    ::unsetenv("SDL_DISKAUDIODELAY"); // the disk driver at the real pace
    const auto a = wav("a.wav", 700, 44100); // two seconds
    SdlOdtwarzacz o;
    std::atomic<int> konce = 0;
    o.Czytaj({a.string()}, [&] { ++konce; });
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    o.Przerwij();
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    EXPECT_EQ(konce, 0);
    const auto s = serie();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_LT(s[0].second, 22050); // well under the whole word
}

TEST_F(Dysk, TheEndOfASentenceMayCallThePlayerAndPrzerwijWaitsForIt)
{
    const auto a = wav("a.wav", 1000, 2205), b = wav("b.wav", -2000, 4410);
    auto o = std::make_unique<SdlOdtwarzacz>();
    // The end of one sentence reads the next one.
    std::promise<void> drugie;
    o->Czytaj({a.string()}, [&] {
        o->Przerwij(); // the sentence has ended: nothing to interrupt
        o->Czytaj({b.string()}, [&] { drugie.set_value(); });
    });
    if (drugie.get_future().wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        o.release(); // its threads are held for good
        FAIL() << "the end of a sentence could not read the next one";
    }
    EXPECT_EQ(serie(), (std::vector<std::pair<int, int>>{{1000, 2205}, {-2000, 4410}}));

    // Przerwij from another thread while an end runs returns after it.
    std::atomic<bool> wToku = false, skonczone = false;
    o->Czytaj({a.string()}, [&] {
        wToku = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        skonczone = true;
    });
    while (!wToku) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    o->Przerwij();
    EXPECT_TRUE(skonczone);
}

namespace {

// Holds the device thread in the first call of one SDL function until let go.
std::atomic<const char*> wstrzymywana = nullptr;
std::atomic<bool> wstrzymana = false, puszczona = false, zamkniete = false;
void Wstrzymaj(const char* funkcja)
{
    if (puszczona && std::strcmp(funkcja, "QuitSubSystem") == 0) zamkniete = true;
    const char* w = wstrzymywana.load();
    if (!w || std::strcmp(w, funkcja) != 0 || wstrzymana.exchange(true)) return;
    while (!puszczona) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

class Wstrzymane : public Dysk, public ::testing::WithParamInterface<const char*> {};

TEST_P(Wstrzymane, ACallHeldUpInSdlNeverHoldsTheCallerOrTheNextSentence)
{
    const auto a = wav("a.wav", 700, 22050);
    wstrzymywana = GetParam();
    wstrzymana = false;
    puszczona = false;
    zamkniete = false;
    SdlOdtwarzacz::przedWywolaniemSdl = Wstrzymaj;
    auto o = std::make_unique<SdlOdtwarzacz>();
    o->Czytaj({a.string()}, [] {});
    for (int i = 0; i < 5000 && !wstrzymana; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(wstrzymana) << GetParam() << " was never called";
    // While SDL holds the device thread, every call returns, and the next
    // sentence ends in silence at its own length.
    std::promise<void> koniec;
    auto wywolania = std::async(std::launch::async, [&] {
        o->Przerwij();
        o->Czytaj({a.string()}, [&] { koniec.set_value(); });
        o->OstatnioDomyslny();
        o->Sterownik();
    });
    const bool zwrocily = wywolania.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    EXPECT_TRUE(zwrocily) << "the caller waited for SDL";
    EXPECT_TRUE(zwrocily && koniec.get_future().wait_for(std::chrono::seconds(3)) == std::future_status::ready)
        << "the next sentence never ended";
    auto zniszczenie = std::async(std::launch::async, [&] { o.reset(); });
    EXPECT_EQ(zniszczenie.wait_for(std::chrono::seconds(2)), std::future_status::ready) << "the destructor waited";
    puszczona = true;
    wywolania.wait();
    zniszczenie.wait();
    // The device thread left behind ends by itself.
    for (int i = 0; i < 5000 && !zamkniete; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    SdlOdtwarzacz::przedWywolaniemSdl = nullptr;
}

INSTANTIATE_TEST_SUITE_P(Dysk, Wstrzymane,
                         ::testing::Values("OpenAudioDevice", "LockAudioDevice", "UnlockAudioDevice",
                                           "GetAudioDeviceStatus", "PauseAudioDevice"));

TEST_F(Dysk, ADeviceThatFallsBehindHasTheSentencesLengthAndAMarginNoLessNoMore)
{
    // The disk driver waits this long per buffer of kBufor samples (about
    // 23 ms at the real pace): a second's word plays in 1.25 s on the first
    // device, in 4 s on the second.
    struct Wiersz {
        const char* opoznienie;
        int slyszane;           // samples of the word heard
        double odKonca, doKonca; // when its end is reported, in seconds
    };
    for (const Wiersz& w : {Wiersz{"29", 22050, 1.2, 1.6}, Wiersz{"93", -1, 1.9, 2.6}}) {
        ::setenv("SDL_DISKAUDIODELAY", w.opoznienie, 1);
        const auto a = wav("a.wav", 700, 22050);
        fs::remove(wyjscie);
        double s = 0;
        {
            SdlOdtwarzacz o;
            s = test::CzytajIZaczekaj(o, {a.string()});
        }
        const auto z = serie();
        ASSERT_EQ(z.size(), 1u) << w.opoznienie;
        if (w.slyszane > 0)
            EXPECT_EQ(z[0].second, w.slyszane) << w.opoznienie;
        else
            EXPECT_LT(z[0].second, 22050 * 3 / 4) << w.opoznienie << ": not cut short";
        EXPECT_GT(s, w.odKonca) << w.opoznienie;
        EXPECT_LT(s, w.doKonca) << w.opoznienie;
    }
}

TEST_F(Dysk, AtRestThePlayerHoldsNoDeviceAndNoThread)
{
    ::unsetenv("SDL_DISKAUDIODELAY"); // the disk driver at the real pace, as a sound card
    auto watki = [] {
        int n = 0;
        for ([[maybe_unused]] const auto& w : fs::directory_iterator("/proc/self/task")) ++n;
        return n;
    };
    const int przed = watki();
    const auto a = wav("a.wav", 1000, 2205), b = wav("b.wav", -2000, 4410);
    auto o = std::make_unique<SdlOdtwarzacz>();
    test::CzytajIZaczekaj(*o, {a.string()});
    EXPECT_EQ(o->Sterownik(), "disk");
    const auto spoczynek = std::chrono::steady_clock::now() + SdlOdtwarzacz::kBezczynnosc + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < spoczynek && (watki() != przed || !o->Sterownik().empty()))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(watki(), przed);
    EXPECT_EQ(o->Sterownik(), "");
    // SDL and the ALSA library it brought in are unloaded once its thread
    // has ended (PulseAudio's client library is built to stay once loaded).
    auto zmapowane = [] {
        std::ifstream f("/proc/self/maps");
        std::string linia, biblioteki;
        while (std::getline(f, linia))
            for (const char* b : {"libSDL2", "libasound"})
                if (linia.find(b) != std::string::npos) biblioteki += linia.substr(linia.rfind('/') + 1) + " ";
        return biblioteki;
    };
    EXPECT_EQ(zmapowane(), "");
    // The next sentence opens the device again (the disk driver starts its
    // file anew, and writes it out when closed).
    test::CzytajIZaczekaj(*o, {b.string()});
    o.reset();
    EXPECT_EQ(serie(), (std::vector<std::pair<int, int>>{{-2000, 4410}}));
}

namespace {

// A sound server's socket at `sciezka`, listened on by a process named
// `sluchacz`; with `serwer`, that process hands the socket on to a child of
// that name which keeps it, as systemd does for the server it starts.
// Gone with the object.
class SerwerNaProbe {
public:
    SerwerNaProbe(const std::string& sciezka, const char* sluchacz, const char* serwer)
    {
        sockaddr_un adres{};
        adres.sun_family = AF_UNIX;
        std::strncpy(adres.sun_path, sciezka.c_str(), sizeof adres.sun_path - 1);
        int gotowy[2];
        if (::pipe(gotowy) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            ::prctl(PR_SET_NAME, sluchacz);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(fd, reinterpret_cast<sockaddr*>(&adres), sizeof adres) != 0 || ::listen(fd, 8) != 0) ::_exit(1);
            if (serwer && ::fork() == 0) {
                ::prctl(PR_SET_NAME, serwer);
                if (::write(gotowy[1], "s", 1) != 1) ::_exit(1);
                for (;;) ::pause();
            }
            if (::write(gotowy[1], "l", 1) != 1) ::_exit(1);
            for (;;) ::pause();
        }
        ::close(gotowy[1]);
        // One byte from the listener, one from the server it handed the socket to.
        char b[2];
        std::size_t przeczytane = 0;
        const std::size_t ile = serwer ? 2 : 1;
        for (ssize_t n = 1; pid_ > 0 && przeczytane < ile && n > 0; przeczytane += n > 0 ? std::size_t(n) : 0)
            n = ::read(gotowy[0], b + przeczytane, ile - przeczytane);
        gotowe_ = przeczytane == ile;
        ::close(gotowy[0]);
    }
    ~SerwerNaProbe()
    {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    bool Gotowy() const { return gotowe_; }

private:
    pid_t pid_ = -1;
    bool gotowe_ = false;
};

} // namespace

// The desktop's PulseAudio server is told apart from PipeWire's by the
// process behind its socket, also where systemd listens for the server.
TEST(SerwerPulse, PipeWiresServerIsFoundBehindTheSocketAlsoWhenSystemdListensForIt)
{
    struct Przypadek {
        const char* sluchacz;
        const char* serwer; // the process systemd handed the socket to, if any
        bool pipeWire;
    };
    const Przypadek przypadki[] = {
        {"pipewire-pulse", nullptr, true}, {"pipewire", nullptr, true},       {"pulseaudio", nullptr, false},
        {"systemd", "pipewire-pulse", true}, {"systemd", "pulseaudio", false}, {"systemd", nullptr, false},
    };
    const fs::path folder = fs::temp_directory_path() / ("zm-pulse-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (const Przypadek& p : przypadki) {
        const std::string gniazdo = (folder / "native").string();
        fs::remove(gniazdo);
        SerwerNaProbe serwer(gniazdo, p.sluchacz, p.serwer);
        ASSERT_TRUE(serwer.Gotowy()) << p.sluchacz;
        EXPECT_EQ(pulse::ToPipeWire(gniazdo), p.pipeWire) << p.sluchacz << " " << (p.serwer ? p.serwer : "-");
    }
    EXPECT_FALSE(pulse::ToPipeWire((folder / "none").string()));
    fs::remove_all(folder);
    // Where libpulse looks: a remote server or a list of servers is no socket here.
    for (const auto& [zmienna, gniazdo] : std::vector<std::pair<const char*, std::string>>{
             {"unix:/run/p/native", "/run/p/native"}, {"/run/p/native", "/run/p/native"},
             {"tcp:host:4713", ""}, {"unix:/a/native unix:/b/native", ""}}) {
        ::setenv("PULSE_SERVER", zmienna, 1);
        EXPECT_EQ(pulse::Gniazdo(), gniazdo) << zmienna;
    }
    ::unsetenv("PULSE_SERVER");
}
