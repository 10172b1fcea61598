#include "FakeOkno.h"

#include <gtest/gtest.h>

using namespace zm;

namespace {

struct Progi {
    int ilosc;
    int doOceny[6]; // highest number of good answers that still gives grade 1..6
};

// The ranges of good answers for each grade, per number of questions.
constexpr Progi kTabela[] = {
    {10, {2, 4, 6, 8, 9, 10}},
    {30, {6, 13, 18, 24, 29, 30}},
    {70, {14, 31, 42, 56, 69, 70}},
    {100, {20, 45, 60, 80, 99, 100}},
};

} // namespace

TEST(Grade, EveryNumberOfGoodAnswersAtEveryQuestionCountMatchesTheTable)
{
    for (const auto& t : kTabela) {
        int ocena = 1;
        for (int dobrze = 0; dobrze <= t.ilosc; ++dobrze) {
            while (dobrze > t.doOceny[ocena - 1]) ++ocena;
            EXPECT_EQ(ObliczOcene(dobrze, t.ilosc), ocena) << dobrze << " of " << t.ilosc;
        }
    }
}

TEST(Grade, PokazOceneShowsFinalCountsAndEnlargesTheAchievedGrade)
{
    test::FakeOkno f;
    f.ust().Lektor = false;
    f.ctl.ButtonStartStopClick();
    // 8 good answers out of 10 is exactly 80 per cent: grade 4.
    for (int q = 1; q <= 10; ++q) {
        f.tyknij();
        if (q <= 8) f.wpisz(std::to_string(f.wynik()));
        f.wpisz('\r');
        f.tyknij(q <= 8 ? 1 : 66);
    }
    EXPECT_EQ(f.stan().Ocena, 4);
    EXPECT_EQ(f.dobrze, "8");
    EXPECT_EQ(f.zle, "2");
    EXPECT_EQ(f.podpis, "ocena");
    EXPECT_TRUE(f.ocenyWidoczne);
    EXPECT_FALSE(f.licznikWidoczny);
    EXPECT_EQ(f.rozmiarOceny, (std::array<int, 7>{0, 12, 12, 12, 24, 12, 12}));
}

TEST(Grade, NoGoodAnswerGivesOneWithZeroShown)
{
    test::FakeOkno f;
    f.ust().Lektor = false;
    f.ctl.ButtonStartStopClick();
    f.tyknij(67 * 10);
    EXPECT_EQ(f.stan().Ocena, 1);
    EXPECT_EQ(f.dobrze, "0");
    EXPECT_EQ(f.zle, "10");
}
