#include "DrillState.h"
#include "QuestionGenerator.h"
#include "RandomDraws.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <optional>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

using namespace zm;

using test::Para;
using test::losuj;

TEST(RandomSource, StepsTheSeedAndTakesTheUpperHalfOfTheProduct)
{
    GeneratorLosowy los(12345);
    // 12345 * 134775813 + 1 mod 2^32 = 1655067934; (1655067934 * 1000) >> 32 = 385
    EXPECT_EQ(los.Random(1000), 385u);
    EXPECT_EQ(los.Ziarno(), 1655067934u);
    // Random(1) is always 0 and Random(n) stays below n, even near the top of the seed range.
    GeneratorLosowy top(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(top.Random(1), 0u);
        EXPECT_LT(top.Random(90), 90u);
    }
}

TEST(RandomSource, SeedIsTheUtcTimeOfDayInMilliseconds)
{
    auto msDnia = [] {
        using namespace std::chrono;
        const auto ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
        return static_cast<std::uint32_t>(ms % (24LL * 60 * 60 * 1000));
    };
    std::uint32_t przed, ziarno, po;
    do { // not across midnight
        przed = msDnia();
        ziarno = ZiarnoZCzasu();
        po = msDnia();
    } while (po < przed);
    EXPECT_GE(ziarno, przed);
    EXPECT_LE(ziarno, po);
}

TEST(QuestionGenerator, FirstDrawsForAFixedSeed)
{
    // Worked out by hand from the generator's definition (seed 12345).
    EXPECT_EQ(losuj(DzialanieMnozenie, 12345, 3), (std::vector<Para>{{5, 5}, {3, 6}, {7, 5}}));
    EXPECT_EQ(losuj(DzialanieDzielenie, 12345, 3), (std::vector<Para>{{25, 5}, {18, 6}, {35, 5}}));
    EXPECT_EQ(losuj(DzialanieDodawanie, 12345, 3), (std::vector<Para>{{36, 25}, {15, 51}, {54, 22}}));
    EXPECT_EQ(losuj(DzialanieOdejmowanie, 12345, 3), (std::vector<Para>{{44, 36}, {59, 17}, {67, 40}}));
}

TEST(QuestionGenerator, MultiplicationUsesFactorsThreeToNineAndReachesAllPairs)
{
    std::set<Para> pary;
    for (auto [a, b] : losuj(DzialanieMnozenie, 7, 20000)) {
        ASSERT_GE(a, 3);
        ASSERT_LE(a, 9);
        ASSERT_GE(b, 3);
        ASSERT_LE(b, 9);
        pary.emplace(a, b);
    }
    EXPECT_EQ(pary.size(), 49u);
}

TEST(QuestionGenerator, DivisionIsAlwaysExactWithQuotientAndDivisorThreeToNine)
{
    std::set<Para> pary;
    for (auto [a, b] : losuj(DzialanieDzielenie, 99, 20000)) {
        ASSERT_GE(b, 3);
        ASSERT_LE(b, 9);
        ASSERT_EQ(a % b, 0) << a << "/" << b;
        ASSERT_GE(a / b, 3);
        ASSERT_LE(a / b, 9);
        ASSERT_LE(a, 81);
        pary.emplace(a / b, b);
    }
    EXPECT_EQ(pary.size(), 49u);
}

TEST(QuestionGenerator, AdditionKeepsAddendsTwoDigitAndTheSumAtMost99)
{
    std::set<int> sumy;
    int z79 = 0;
    for (auto [a, b] : losuj(DzialanieDodawanie, 4242, 50000)) {
        ASSERT_GE(a, 10);
        ASSERT_LE(a, 79);
        ASSERT_GE(b, 10);
        ASSERT_LE(a + b, 99);
        sumy.insert(a + b);
        z79 += (a == 79);
    }
    EXPECT_GT(z79, 0);
    // Every sum from 20 to 99 comes up: the bound is reached, not just respected.
    EXPECT_EQ(sumy.size(), 80u);
}

TEST(QuestionGenerator, SubtractionNeverGoesNegativeAndSometimesGivesZero)
{
    int zera = 0;
    for (auto [a, b] : losuj(DzialanieOdejmowanie, 1, 50000)) {
        ASSERT_GE(b, 10);
        ASSERT_LE(a, 99);
        ASSERT_GE(a, b);
        zera += (a == b);
    }
    // About one question in 90 has the result 0.
    EXPECT_GT(zera, 300);
    EXPECT_LT(zera, 850);
}

TEST(QuestionGenerator, EveryResultFitsTheThreeCharacterField)
{
    for (std::uint8_t d = 0; d < 4; ++d)
        for (auto [a, b] : losuj(d, 555u + d, 5000)) {
            const int w = WynikPoprawny(d, a, b);
            ASSERT_GE(w, 0);
            ASSERT_LE(w, 99);
        }
}

TEST(QuestionGenerator, AQuestionIsPossibleExactlyWhenTheGeneratorDrawsIt)
{
    // Operands read from a file are kept only when the drill could have
    // asked them: every pair the generator reaches, and nothing else.
    for (std::uint8_t d = 0; d < 4; ++d) {
        std::set<Para> pary;
        for (const Para& p : losuj(d, 77u + d, 400000)) pary.insert(p);
        for (int a = -3; a <= 130; ++a)
            for (int b = -3; b <= 130; ++b)
                ASSERT_EQ(PytanieMozliwe(d, a, b), pary.contains({a, b})) << int(d) << ": " << a << ", " << b;
    }
    for (const auto& [a, b] : std::initializer_list<std::pair<std::int64_t, std::int64_t>>{
             {INT32_MIN, -1}, {INT64_MIN, -1}, {INT64_MAX, 1}, {81, 0}, {0, 0}})
        for (std::uint8_t d = 0; d < 4; ++d) EXPECT_FALSE(PytanieMozliwe(d, a, b)) << int(d) << ": " << a << ", " << b;
    EXPECT_FALSE(PytanieMozliwe(4, 7, 8));
}

TEST(QuestionGenerator, UnknownOperationLeavesOperandsAndTheSeed)
{
    GeneratorLosowy los(77);
    std::int32_t a = 11, b = 22;
    LosujPytanie(4, los, a, b);
    EXPECT_EQ(a, 11);
    EXPECT_EQ(b, 22);
    EXPECT_EQ(los.Ziarno(), 77u);
}
