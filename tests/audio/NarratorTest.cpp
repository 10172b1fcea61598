#include "FakePlayer.h"
#include "Narrator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zm;

namespace {


using Lista = std::vector<std::string>;

Lista czytaj(std::uint8_t dzialanie, int a, int b, bool lektor = true)
{
    test::ZapisujacyOdtwarzacz z;
    Narrator n(z, [] { return std::string("/opt/zm/sounds/"); });
    Ustawienia u;
    u.Lektor = lektor;
    u.Dzialanie = dzialanie;
    StanCwiczenia s;
    s.Liczba1 = a;
    s.Liczba2 = b;
    int konce = 0;
    EXPECT_EQ(n.CzytajRownanie(u, s, [&] { ++konce; }), lektor);
    EXPECT_EQ(konce, lektor ? 1 : 0);
    Lista nazwy;
    for (const auto& p : z.pliki) {
        EXPECT_EQ(p.rfind("/opt/zm/sounds/", 0), 0u) << p;
        nazwy.push_back(p.substr(std::string("/opt/zm/sounds/").size()));
    }
    return nazwy;
}

} // namespace

TEST(Narrator, WorkedSentences)
{
    EXPECT_EQ(czytaj(DzialanieMnozenie, 7, 8),
              (Lista{"7.wav", "razy.wav", "8.wav", "rowna_sie.wav", "50_.wav", "6.wav"}));
    EXPECT_EQ(czytaj(DzialanieDzielenie, 72, 8),
              (Lista{"70_.wav", "2.wav", "dzielone_na.wav", "8.wav", "rowna_sie.wav", "9.wav"}));
    EXPECT_EQ(czytaj(DzialanieDodawanie, 34, 40),
              (Lista{"30_.wav", "4.wav", "dodac.wav", "40.wav", "rowna_sie.wav", "70_.wav", "4.wav"}));
    EXPECT_EQ(czytaj(DzialanieOdejmowanie, 57, 57),
              (Lista{"50_.wav", "7.wav", "odjac.wav", "50_.wav", "7.wav", "rowna_sie.wav", "0.wav"}));
    EXPECT_EQ(czytaj(DzialanieOdejmowanie, 30, 17),
              (Lista{"30.wav", "odjac.wav", "17.wav", "rowna_sie.wav", "13.wav"}));
}

TEST(Narrator, NumberWords)
{
    const std::vector<std::pair<std::string, Lista>> przypadki{
        {"0", {"0.wav"}},     {"9", {"9.wav"}},           {"10", {"10.wav"}},           {"19", {"19.wav"}},
        {"20", {"20.wav"}},   {"21", {"20_.wav", "1.wav"}}, {"90", {"90.wav"}},         {"99", {"90_.wav", "9.wav"}},
        {"100", {"100.wav"}}, {"150", {"100.wav"}},       {"*", {"razy.wav"}},          {"/", {"dzielone_na.wav"}},
        {"+", {"dodac.wav"}}, {"-", {"odjac.wav"}},       {"=", {"rowna_sie.wav"}}};
    for (const auto& [token, pliki] : przypadki) EXPECT_EQ(Narrator::PlikiSlowa(token), pliki) << token;
    // Nothing else is ever passed; it has no word rather than a crash.
    for (const char* inne : {"", "x", "-5", "**", "1.5"}) EXPECT_TRUE(Narrator::PlikiSlowa(inne).empty()) << inne;
}

TEST(Narrator, OffPlaysNothing)
{
    EXPECT_TRUE(czytaj(DzialanieMnozenie, 7, 8, false).empty());
}
