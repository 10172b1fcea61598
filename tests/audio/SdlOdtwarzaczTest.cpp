// The real player on SDL's disk driver, which writes what would be heard to
// a file as raw samples.
#include "SdlOdtwarzacz.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace zm;
namespace fs = std::filesystem;

namespace {

class Dysk : public ::testing::Test {
protected:
    fs::path katalog;
    fs::path wyjscie;

    void SetUp() override
    {
        katalog = fs::temp_directory_path() / ("zm_sdl_" + std::to_string(::getpid()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(katalog);
        wyjscie = katalog / "out.raw";
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", wyjscie.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    }
    void TearDown() override { fs::remove_all(katalog); }

    // A 22050 Hz mono 16-bit WAV of `n` samples of value `v`.
    fs::path wav(const std::string& nazwa, std::int16_t v, std::uint32_t n)
    {
        const fs::path p = katalog / nazwa;
        std::ofstream f(p, std::ios::binary);
        auto u32 = [&](std::uint32_t x) { f.write(reinterpret_cast<const char*>(&x), 4); };
        auto u16 = [&](std::uint16_t x) { f.write(reinterpret_cast<const char*>(&x), 2); };
        f.write("RIFF", 4);
        u32(36 + 2 * n);
        f.write("WAVEfmt ", 8);
        u32(16);
        u16(1);
        u16(1);
        u32(22050);
        u32(44100);
        u16(2);
        u16(16);
        f.write("data", 4);
        u32(2 * n);
        for (std::uint32_t i = 0; i < n; ++i) f.write(reinterpret_cast<const char*>(&v), 2);
        return p;
    }

    std::vector<std::int16_t> probki()
    {
        std::ifstream f(wyjscie, std::ios::binary);
        std::vector<std::int16_t> v;
        std::int16_t s;
        while (f.read(reinterpret_cast<char*>(&s), 2)) v.push_back(s);
        return v;
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

double sekundy(const std::chrono::steady_clock::time_point& od)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - od).count();
}

} // namespace

TEST_F(Dysk, FilesAreHeardWholeAndInOrder)
{
    const auto a = wav("a.wav", 1000, 2205), b = wav("b.wav", -2000, 4410);
    {
        SdlOdtwarzacz o;
        o.Odtworz(a.string());
        EXPECT_FALSE(o.OstatnioDomyslny());
        EXPECT_EQ(o.Sterownik(), "disk");
        o.Odtworz(b.string());
        EXPECT_FALSE(o.OstatnioDomyslny());
    }
    const auto s = serie();
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0], std::make_pair(1000, 2205));
    EXPECT_EQ(s[1], std::make_pair(-2000, 4410));
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
    SdlOdtwarzacz o;
    for (const fs::path& p : {katalog / "brak.wav", pusty, tekst, obciety, ogromny}) {
        const auto t0 = std::chrono::steady_clock::now();
        o.Odtworz(p.string());
        EXPECT_TRUE(o.OstatnioDomyslny()) << p;
        EXPECT_LT(sekundy(t0), 1.0) << p;
    }
    // Five beeps were heard, and nothing of the damaged files.
    int glosne = 0;
    for (std::int16_t s : probki()) {
        EXPECT_NE(s, 1234);
        glosne += std::abs(s) > 1000;
    }
    EXPECT_GT(glosne, 5 * 1000);
}

TEST_F(Dysk, SilentDriverKeepsTheTimingWhenNoDeviceOpens)
{
    ::setenv("SDL_AUDIODRIVER", "nonexistent_driver", 1);
    const auto a = wav("a.wav", 500, 11025); // half a second
    SdlOdtwarzacz o;
    const auto t0 = std::chrono::steady_clock::now();
    o.Odtworz(a.string());
    EXPECT_EQ(o.Sterownik(), "dummy");
    EXPECT_GT(sekundy(t0), 0.4);
    EXPECT_LT(sekundy(t0), 1.5);
}
