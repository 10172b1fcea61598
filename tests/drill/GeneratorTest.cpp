#include "DrillState.h"
#include "Practice.h"
#include "QuestionGenerator.h"

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

namespace {

using Para = std::pair<int, int>;

std::vector<Para> losuj(std::uint8_t dzialanie, std::uint32_t seed, int n)
{
    GeneratorLosowy los(seed);
    std::vector<Para> out;
    for (int i = 0; i < n; ++i) {
        std::int32_t a = -1, b = -1;
        LosujPytanie(dzialanie, los, a, b);
        out.emplace_back(a, b);
    }
    return out;
}

} // namespace

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

// The practice mode's draw.
namespace {

// A record in which the facts `slabe` are weak (missed three times in five,
// slowly), the facts `mocne` mastered a day ago, and the rest never asked.
RekordFaktow Rekord(const std::vector<Fakt>& slabe, const std::vector<Fakt>& mocne, std::int64_t teraz)
{
    RekordFaktow r;
    for (const Fakt& f : slabe)
        for (bool dobrze : {false, true, false, true, false}) Zapamietaj(r[f], dobrze, 3000, 60, teraz - 3600000);
    for (const Fakt& f : mocne)
        for (int i = 0; i < 5; ++i) Zapamietaj(r[f], true, 600, 60, teraz - 86400000);
    return r;
}

std::vector<Fakt> Pierwsze(const std::vector<Fakt>& fakty, std::size_t od, std::size_t ile)
{
    return {fakty.begin() + static_cast<std::ptrdiff_t>(od), fakty.begin() + static_cast<std::ptrdiff_t>(od + ile)};
}

} // namespace

TEST(PracticeDraw, WithoutARecordOrInTheRandomModeItDrawsExactlyAsTheGenerator)
{
    const std::int64_t teraz = 1'800'000'000'000;
    const RekordFaktow pusty;
    const RekordFaktow innego = Rekord(Pierwsze(WszystkieFakty(DzialanieDodawanie), 0, 5), {}, teraz);
    for (std::uint8_t d = 0; d < 4; ++d)
        for (auto [tryb, rekord] : {std::pair{Losowanie::Losowe, &innego}, std::pair{Losowanie::TrudneFakty, &pusty},
                                    std::pair{Losowanie::TrudneFakty, static_cast<const RekordFaktow*>(nullptr)}}) {
            Ustawienia u;
            u.Dzialanie = d;
            u.Tryb = tryb;
            u.IloscPytan = 100;
            PlanPytan plan;
            plan.Rozpocznij(u, rekord, teraz);
            GeneratorLosowy los(321u + d);
            const auto oczekiwane = losuj(d, 321u + d, 100);
            for (int nr = 1; nr <= 100; ++nr) {
                std::int32_t a = 0, b = 0;
                plan.Losuj(los, nr, a, b);
                plan.Oceniono(nr, {a, b, "", false, 4020});
                ASSERT_EQ(Para(a, b), oczekiwane[static_cast<std::size_t>(nr - 1)]) << int(d) << " question " << nr;
            }
        }
}

TEST(PracticeDraw, WeakFactsComeInTheAmountsTheScheduleGivesNeverTwiceInARowAndUnseenOnesStillCome)
{
    const std::int64_t teraz = 1'800'000'000'000;
    for (std::uint8_t d = 0; d < 4; ++d) {
        const auto fakty = WszystkieFakty(d);
        const auto slabe = Pierwsze(fakty, 3, 5);
        const auto mocne = Pierwsze(fakty, 10, fakty.size() - 20); // the last ten never asked
        RekordFaktow rekord = Rekord(slabe, mocne, teraz);
        // Always right, as often as the mastered facts, but twice as slowly
        // as the child's typical fact: not yet fluent.
        for (int i = 0; i < 5; ++i) Zapamietaj(rekord[fakty[8]], true, 1200, 60, teraz - 86400000);
        Ustawienia u;
        u.Dzialanie = d;
        u.Tryb = Losowanie::TrudneFakty;
        u.IloscPytan = 100;
        PlanPytan plan;
        plan.Rozpocznij(u, &rekord, teraz);
        EXPECT_NEAR(plan.Szanse()[fakty[8]] / plan.Szanse()[mocne.front()], 8.0, 0.05) << int(d);
        // Drawn without repeats, fact i comes with the share w_i (W - w_i)
        // over the sum of those products.
        std::map<Fakt, double> oczekiwane;
        double suma = 0;
        for (const auto& [f, p] : plan.Szanse()) suma += oczekiwane[f] = p * (1 - p);
        GeneratorLosowy los(2024u + d);
        std::map<Fakt, int> ile;
        std::optional<Fakt> poprzedni;
        constexpr int kPytan = 40000;
        for (int nr = 1; nr <= kPytan; ++nr) {
            std::int32_t a = 0, b = 0;
            plan.Losuj(los, (nr - 1) % 100 + 1, a, b);
            const Fakt f = FaktPytania(d, a, b);
            ASSERT_TRUE(!poprzedni || f != *poprzedni) << int(d) << " question " << nr;
            poprzedni = f;
            ++ile[f];
        }
        double slabych = 0, slabychOczekiwane = 0;
        for (const Fakt& f : slabe) {
            slabych += ile[f];
            slabychOczekiwane += oczekiwane[f] / suma * kPytan;
        }
        EXPECT_NEAR(slabych / slabychOczekiwane, 1.0, 0.05) << int(d);
        // At least three times as often as in a uniform draw.
        EXPECT_GE(slabych / kPytan, 3.0 * 5 / static_cast<double>(fakty.size())) << int(d);
        // A mastered and an unseen fact, within four standard deviations.
        for (const Fakt& f : {mocne.front(), fakty.back()}) {
            const double n = oczekiwane[f] / suma * kPytan;
            EXPECT_NEAR(ile[f], n, 4 * std::sqrt(n) + 1) << int(d) << " " << int(f.a) << "," << int(f.b);
        }
        EXPECT_GT(ile[fakty.back()], ile[mocne.front()]) << "an unseen fact comes more than a mastered one";
    }
}

TEST(PracticeDraw, AMissedFactComesBackThreeQuestionsLaterWithinTheDrillOnly)
{
    const std::int64_t teraz = 1'800'000'000'000;
    const auto fakty = WszystkieFakty(DzialanieOdejmowanie);
    const RekordFaktow rekord = Rekord(Pierwsze(fakty, 0, 5), {}, teraz);
    Ustawienia u;
    u.Dzialanie = DzialanieOdejmowanie;
    u.Tryb = Losowanie::TrudneFakty;
    u.IloscPytan = 10;
    PlanPytan plan;
    plan.Rozpocznij(u, &rekord, teraz);
    GeneratorLosowy los(5);
    std::vector<Para> pytania{{0, 0}};
    for (int nr = 1; nr <= 10; ++nr) {
        std::int32_t a = 0, b = 0;
        plan.Losuj(los, nr, a, b);
        pytania.emplace_back(a, b);
        // Missed: the second, the eighth (back as the last) and the ninth
        // (only the next question is left: not asked again).
        plan.Oceniono(nr, {a, b, "1", nr != 2 && nr != 8 && nr != 9, 600});
    }
    EXPECT_EQ(pytania[5], pytania[2]);
    EXPECT_EQ(pytania[10], pytania[8]);
    EXPECT_NE(pytania[10], pytania[9]);
}

TEST(PracticeDraw, OnlyTheChosenTablesAndEveryQuestionInRange)
{
    const std::int64_t teraz = 1'800'000'000'000;
    for (std::uint8_t d : {DzialanieMnozenie, DzialanieDzielenie})
        for (std::uint16_t tabliczki : {std::uint16_t{1u << 7}, std::uint16_t{(1u << 3) | (1u << 9)}})
            for (Losowanie tryb : {Losowanie::Losowe, Losowanie::TrudneFakty}) {
                const auto wTabliczkach = WszystkieFakty(d, tabliczki);
                // 7: 7 x 3..9 and 3..9 x 7; 3 and 9: two rows and two columns.
                ASSERT_EQ(wTabliczkach.size(), tabliczki == (1u << 7) ? 13u : 24u);
                const RekordFaktow rekord = Rekord(Pierwsze(WszystkieFakty(d), 0, 5), {}, teraz);
                Ustawienia u;
                u.Dzialanie = d;
                u.Tryb = tryb;
                u.Tabliczki = tabliczki;
                PlanPytan plan;
                plan.Rozpocznij(u, &rekord, teraz);
                GeneratorLosowy los(11);
                std::set<Fakt> widziane;
                for (int nr = 1; nr <= 2000; ++nr) {
                    std::int32_t a = 0, b = 0;
                    plan.Losuj(los, nr % 10 + 1, a, b);
                    const Fakt f = FaktPytania(d, a, b);
                    ASSERT_TRUE(WTabliczkach(f, tabliczki)) << int(d) << ": " << a << " " << b;
                    widziane.insert(f);
                }
                EXPECT_EQ(widziane, std::set<Fakt>(wTabliczkach.begin(), wTabliczkach.end()));
            }
    // Addition and subtraction: every fact of ones digits, drawn many times,
    // stays in the operation's ranges and keeps its digits.
    for (std::uint8_t d : {DzialanieDodawanie, DzialanieOdejmowanie})
        for (const Fakt& f : WszystkieFakty(d)) {
            GeneratorLosowy los(f.a * 10u + f.b);
            for (int i = 0; i < 50; ++i) {
                std::int32_t a = 0, b = 0;
                LosujPytanieFaktu(f, los, a, b);
                ASSERT_EQ(FaktPytania(d, a, b), f);
                if (d == DzialanieDodawanie)
                    ASSERT_TRUE(a >= 10 && a <= 79 && b >= 10 && a + b <= 99) << a << "+" << b;
                else
                    ASSERT_TRUE(b >= 10 && b <= a && a <= 99) << a << "-" << b;
            }
        }
}

TEST(PracticeSchedule, BoxesMoveAsTheAnswersSayAndFactsFallDueByTheirBox)
{
    const std::int64_t dzien = 86400000, t0 = 1'800'000'000'000;
    StanFaktu s;
    // At 60 ms a question lasts 4020 ms: within 2010 ms an answer is quick.
    struct Krok {
        bool dobrze;
        std::int32_t ms;
        int pudelko;
    };
    for (const Krok k : {Krok{true, 2010, 2}, Krok{true, 600, 3}, Krok{true, 2011, 3}, Krok{true, 120, 4},
                         Krok{true, 120, 5}, Krok{true, 120, 5}, Krok{false, 4020, 1}, Krok{true, 3000, 1}}) {
        Zapamietaj(s, k.dobrze, k.ms, 60, t0);
        EXPECT_EQ(s.pudelko, k.pudelko) << k.dobrze << " " << k.ms;
    }
    EXPECT_EQ(std::tuple(s.pytan, s.bledow, s.czasMs), std::tuple(8, 1, 2010 + 600 + 2011 + 360 + 4020 + 3000));
    EXPECT_TRUE(Zalegly(s, t0));
    for (int pudelko = 2; pudelko <= 5; ++pudelko) {
        s.pudelko = static_cast<std::uint8_t>(pudelko);
        const std::int64_t termin = t0 + kInterwalDni[static_cast<std::size_t>(pudelko)] * dzien - 6 * 3600000;
        EXPECT_FALSE(Zalegly(s, termin - 1)) << pudelko;
        EXPECT_TRUE(Zalegly(s, termin)) << pudelko;
        EXPECT_EQ(Opanowany(s), pudelko >= 4);
    }
    EXPECT_FALSE(Zalegly(StanFaktu{}, t0));
}
