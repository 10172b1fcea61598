#include "WavFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace zm;

namespace {

// A WAV file with the given format fields and `dane` as its samples, and an
// optional extra chunk (odd-sized, so padded) before the data.
std::vector<std::uint8_t> wav(std::uint16_t tag, std::uint16_t kanaly, std::uint32_t hz, std::uint16_t bity,
                              const std::vector<std::uint8_t>& dane, bool dodatkowy = false, std::uint32_t rozmiarDanych = 0)
{
    std::string f;
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) f += static_cast<char>(v >> (8 * i)); };
    auto u16 = [&](std::uint16_t v) { f += static_cast<char>(v & 0xFF); f += static_cast<char>(v >> 8); };
    f += "RIFF";
    u32(0);
    f += "WAVEfmt ";
    u32(16);
    u16(tag);
    u16(kanaly);
    u32(hz);
    u32(hz * kanaly * bity / 8);
    u16(static_cast<std::uint16_t>(kanaly * bity / 8));
    u16(bity);
    if (dodatkowy) {
        f += "LIST";
        u32(3);
        f += std::string("abc\0", 4);
    }
    f += "data";
    u32(rozmiarDanych ? rozmiarDanych : static_cast<std::uint32_t>(dane.size()));
    for (std::uint8_t b : dane) f += static_cast<char>(b);
    return {f.begin(), f.end()};
}

} // namespace

TEST(WavFile, ReadsThePcmAndFloatFormatsItPlays)
{
    const std::vector<std::uint8_t> s16{1, 0, 2, 0, 3, 0, 4, 0};
    auto r = CzytajWav(wav(1, 1, 22050, 16, s16));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->format, Nagranie::Format::S16);
    EXPECT_EQ(r->probki, s16);
    EXPECT_NEAR(r->Sekundy(), 4.0 / 22050, 1e-9);
    // An odd-sized chunk before the data is skipped with its padding byte.
    r = CzytajWav(wav(1, 2, 44100, 16, s16, true));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->kanaly, 2);
    EXPECT_EQ(r->probki, s16);
    // 24-bit samples are widened to 32 bits.
    r = CzytajWav(wav(1, 1, 8000, 24, {0x11, 0x22, 0x33}));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->format, Nagranie::Format::S32);
    EXPECT_EQ(r->probki, (std::vector<std::uint8_t>{0, 0x11, 0x22, 0x33}));
    EXPECT_TRUE(CzytajWav(wav(3, 1, 8000, 32, {0, 0, 0x80, 0x3F})));
    EXPECT_TRUE(CzytajWav(wav(1, 1, 8000, 8, {128, 129})));
}

TEST(WavFile, RefusesWhatItCannotTrust)
{
    const std::vector<std::uint8_t> s16{1, 0, 2, 0};
    EXPECT_FALSE(CzytajWav({}));
    EXPECT_FALSE(CzytajWav(wav(1, 1, 22050, 16, s16, false, 4000))) << "data longer than the file";
    EXPECT_FALSE(CzytajWav(wav(2, 1, 22050, 16, s16))) << "compressed";
    EXPECT_FALSE(CzytajWav(wav(1, 0, 22050, 16, s16))) << "no channels";
    EXPECT_FALSE(CzytajWav(wav(1, 1, 0, 16, s16))) << "no rate";
    EXPECT_FALSE(CzytajWav(wav(1, 1, 22050, 12, s16))) << "odd sample size";
    EXPECT_FALSE(CzytajWav(wav(1, 1, 22050, 16, {}))) << "no samples";
    auto f = wav(1, 1, 22050, 16, s16);
    f.resize(f.size() - 1);
    EXPECT_FALSE(CzytajWav(f)) << "truncated";
    std::memcpy(f.data() + 8, "AVI ", 4);
    EXPECT_FALSE(CzytajWav(f)) << "another RIFF format";
}
