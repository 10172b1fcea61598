// The practice: the schedule in the child's calendar days, the weights, and
// the drill composed from a child's record.
#include "DrillState.h"
#include "PracticePlan.h"
#include "QuestionGenerator.h"
#include "RandomDraws.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace zm;

using test::Para;
using test::losuj;

// The practice mode's draw.
namespace {

// A record in which the facts `slabe` are weak (missed three times in five,
// slowly), the facts `mocne` mastered a day ago, and the rest never asked.
RekordFaktow Rekord(const std::vector<Fakt>& slabe, const std::vector<Fakt>& mocne, std::int64_t teraz)
{
    RekordFaktow r;
    for (const Fakt& f : slabe)
        for (bool dobrze : {false, true, false, true, false}) Zapamietaj(r[f], dobrze, 3000, 60, teraz - 3600000);
    for (const Fakt& f : mocne) r[f] = {5, 0, 3000, teraz - 86400000, 4};
    return r;
}

std::vector<Fakt> Pierwsze(const std::vector<Fakt>& fakty, std::size_t od, std::size_t ile)
{
    return {fakty.begin() + static_cast<std::ptrdiff_t>(od), fakty.begin() + static_cast<std::ptrdiff_t>(od + ile)};
}

// The local time zone for one test: Warsaw, with its summer time.
struct StrefaWarszawy {
    std::string dawna;
    bool byla = false;
    StrefaWarszawy()
    {
        if (const char* tz = std::getenv("TZ")) {
            dawna = tz;
            byla = true;
        }
        setenv("TZ", "Europe/Warsaw", 1);
        tzset();
    }
    ~StrefaWarszawy()
    {
        if (byla)
            setenv("TZ", dawna.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
};

constexpr std::int64_t kDzien = 86400000;

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

namespace {

// Multiplication, every fact asked: eight weak facts in box 1 (missed 1, 2,
// 3, 4, 4, 3, 2, 1 times of 4), the other 41 known in box 3, not yet due.
struct Skladany {
    std::int64_t teraz = 1'800'000'000'000;
    std::vector<Fakt> fakty = WszystkieFakty(DzialanieMnozenie);
    std::vector<Fakt> slabe = Pierwsze(fakty, 10, 8);
    RekordFaktow rekord;
    Skladany()
    {
        const int bledy[] = {1, 2, 3, 4, 4, 3, 2, 1};
        for (const Fakt& f : fakty) rekord[f] = {3, 0, 3000, teraz - kDzien, 3};
        for (std::size_t j = 0; j < slabe.size(); ++j) rekord[slabe[j]] = {4, bledy[j], 8000, teraz - kDzien, 1};
    }
    // A drill of 30 in which `dobrze` says whether each fact is answered
    // right (quickly) or missed; the facts asked, in order.
    std::vector<Fakt> Cwiczenie(bool (*dobrze)(const Skladany&, const Fakt&), std::uint32_t ziarno = 9)
    {
        Ustawienia u;
        u.Tryb = Losowanie::TrudneFakty;
        u.IloscPytan = 30;
        PlanPytan plan;
        plan.Rozpocznij(u, &rekord, teraz);
        GeneratorLosowy los(ziarno);
        std::vector<Fakt> pytania;
        for (int nr = 1; nr <= 30; ++nr) {
            std::int32_t a = 0, b = 0;
            plan.Losuj(los, nr, a, b);
            pytania.push_back(FaktPytania(DzialanieMnozenie, a, b));
            const bool ok = dobrze(*this, pytania.back());
            plan.Oceniono(nr, {a, b, "", ok, ok ? 1200 : 4020});
        }
        return pytania;
    }
    bool Slaby(const Fakt& f) const { return std::find(slabe.begin(), slabe.end(), f) != slabe.end(); }
};

std::vector<int> Numery(const std::vector<Fakt>& pytania, const Skladany& s)
{
    std::vector<int> numery;
    for (std::size_t i = 0; i < pytania.size(); ++i)
        if (s.Slaby(pytania[i])) numery.push_back(static_cast<int>(i) + 1);
    return numery;
}

} // namespace

TEST(PracticeDraw, AFewWeakFactsAmongKnownOnesEachKnownOnceAnsweredQuickly)
{
    Skladany s;
    const auto pytania = s.Cwiczenie([](const Skladany&, const Fakt&) { return true; });
    // Six turns of a weak fact in 30 questions, at 3, 7, 12, 17, 21, 26; the
    // four weakest (missed 4, 4, 3, 3 times) each take one, answered quickly
    // they are known, and the last two turns go to known facts.
    EXPECT_EQ(Numery(pytania, s), (std::vector<int>{3, 7, 12, 17}));
    std::set<Fakt> slabe;
    for (int nr : Numery(pytania, s)) slabe.insert(pytania[static_cast<std::size_t>(nr - 1)]);
    EXPECT_EQ(slabe, (std::set<Fakt>{s.slabe[2], s.slabe[3], s.slabe[4], s.slabe[5]}));
    // 26 known questions among 41 known facts: no fact twice.
    EXPECT_EQ(std::set<Fakt>(pytania.begin(), pytania.end()).size(), 30u);
}

TEST(PracticeDraw, AMissedWeakFactComesBackOnceThreeQuestionsLaterAndMissesNeverFillTheDrill)
{
    Skladany s;
    const auto pytania = s.Cwiczenie([](const Skladany& s, const Fakt& f) { return !s.Slaby(f); });
    // A turn at 3, missed, back at 6, missed again: nothing more. The next
    // turn (7) waits after the return, then until no more than a quarter of
    // the answers are misses (9), back at 12; the turn at 12 waits for the
    // return and the misses (17, back at 20); the one at 17 until 25, back
    // at 28; the turns at 21 and 26 never come.
    ASSERT_EQ(Numery(pytania, s), (std::vector<int>{3, 6, 9, 12, 17, 20, 25, 28}));
    std::set<Fakt> slabe;
    for (std::size_t i : {2u, 8u, 16u, 24u}) {
        EXPECT_EQ(pytania[i], pytania[i + 3]) << i + 1;
        slabe.insert(pytania[i]);
    }
    EXPECT_EQ(slabe, (std::set<Fakt>{s.slabe[2], s.slabe[3], s.slabe[4], s.slabe[5]}));
}

TEST(PracticeDraw, WhileMoreThanAQuarterOfTheAnswersAreMissesTheSurestKnownFactsComeFirst)
{
    // No weak fact; 24 shaky known facts (missed 5 times of 10, due: weight
    // 8 x (5.5/12 / 0.25)^2 = 26.9) and 25 sure ones (never missed, not due:
    // 0.2). The first two questions are missed (back at 4 and 5), the rest
    // right: from the first miss to the eighth answer more than a quarter
    // were misses, and the second question is already a sure fact.
    const std::int64_t teraz = 1'800'000'000'000;
    const auto fakty = WszystkieFakty(DzialanieMnozenie);
    RekordFaktow rekord;
    for (std::size_t i = 0; i < fakty.size(); ++i)
        rekord[fakty[i]] = i % 2 ? StanFaktu{10, 5, 10000, teraz - 3 * kDzien, 2} : StanFaktu{10, 0, 10000, teraz, 5};
    Ustawienia u;
    u.Tryb = Losowanie::TrudneFakty;
    u.IloscPytan = 30;
    PlanPytan plan;
    plan.Rozpocznij(u, &rekord, teraz);
    GeneratorLosowy los(3);
    std::string pewne;
    for (int nr = 1; nr <= 14; ++nr) {
        std::int32_t a = 0, b = 0;
        plan.Losuj(los, nr, a, b);
        pewne += rekord[FaktPytania(DzialanieMnozenie, a, b)].bledow == 0 ? 'p' : '-';
        plan.Oceniono(nr, {a, b, "", nr > 2, nr > 2 ? 1200 : 4020});
    }
    EXPECT_EQ(pewne, "-pp-pppp------");
}

TEST(PracticeDraw, NeverTheSameFactTwiceInARowWhateverTheRecordAndTheAnswers)
{
    // Records from every weak to every known, in one table or all, answered
    // at random; a table whose every fact is weak leaves the drill nothing
    // but weak facts and their returns.
    std::mt19937 rng(17);
    for (int proba = 0; proba < 300; ++proba) {
        Ustawienia u;
        u.Tryb = Losowanie::TrudneFakty;
        u.Dzialanie = static_cast<std::uint8_t>(proba % 4);
        u.IloscPytan = std::array{10, 30, 70, 100}[proba % 4 == 0 ? 3 : proba % 3];
        u.Tabliczki = proba % 2 ? std::uint16_t(1u << (3 + proba % 7)) : WszystkieTabliczki;
        const std::int64_t teraz = 1'800'000'000'000;
        RekordFaktow rekord;
        const int slabych = proba % 5 * 25; // per cent
        for (const Fakt& f : WszystkieFakty(u.Dzialanie, u.Tabliczki))
            if (static_cast<int>(rng() % 100) < slabych)
                rekord[f] = {2, 2, 8000, teraz - kDzien, 1};
            else if (rng() % 4)
                rekord[f] = {2, 0, 2000, teraz - 3 * kDzien, static_cast<std::uint8_t>(2 + rng() % 4)};
        rekord[WszystkieFakty(u.Dzialanie, u.Tabliczki).front()].pytan += 1;
        PlanPytan plan;
        plan.Rozpocznij(u, &rekord, teraz);
        GeneratorLosowy los(static_cast<std::uint32_t>(proba));
        std::optional<Fakt> poprzedni;
        for (int nr = 1; nr <= u.IloscPytan; ++nr) {
            std::int32_t a = 0, b = 0;
            plan.Losuj(los, nr, a, b);
            const Fakt f = FaktPytania(u.Dzialanie, a, b);
            ASSERT_TRUE(WTabliczkach(f, u.Tabliczki));
            ASSERT_NE(f, poprzedni) << "try " << proba << " question " << nr;
            poprzedni = f;
            const bool dobrze = rng() % 3 != 0;
            plan.Oceniono(nr, {a, b, "", dobrze, dobrze ? 1200 : 4020});
        }
    }
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
                RekordFaktow rekord = Rekord(Pierwsze(WszystkieFakty(d), 0, 5), {}, teraz);
                Ustawienia u;
                u.Dzialanie = d;
                u.Tryb = tryb;
                u.Tabliczki = tabliczki;
                GeneratorLosowy los(11);
                std::set<Fakt> widziane;
                // Drills one after another, the record kept: the facts never
                // asked come a few a drill.
                for (int cwiczenie = 0; cwiczenie < 200; ++cwiczenie) {
                    PlanPytan plan;
                    plan.Rozpocznij(u, &rekord, teraz);
                    for (int nr = 1; nr <= 10; ++nr) {
                        std::int32_t a = 0, b = 0;
                        plan.Losuj(los, nr, a, b);
                        const Fakt f = FaktPytania(d, a, b);
                        ASSERT_TRUE(WTabliczkach(f, tabliczki)) << int(d) << ": " << a << " " << b;
                        widziane.insert(f);
                        plan.Oceniono(nr, {a, b, "", true, 1200});
                        Zapamietaj(rekord[f], true, 1200, 60, teraz);
                    }
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

TEST(PracticeWeights, TheWeakestFirstByMissesBoxDueDateAndSlowness)
{
    const std::int64_t t = 1'800'000'000'000;
    // 8 x (share of misses, as if missed once in four before / 0.25)^2 x
    // box weight (never asked 6, box 1 2, others 1) x 0.5 when not due x
    // slowness^3 (mean time over the child's typical one, or 3 s when that
    // is slower), never below 0.2.
    struct Przypadek {
        StanFaktu stan;
        double typowy, waga;
    };
    for (const auto& [stan, typowy, waga] : {
             Przypadek{{1, 1, 1000, t, 1}, 1000, 64.0},             // (1.5/3)/0.25 = 2: 8 x 4 x 2
             Przypadek{{2, 0, 2000, t - kDzien, 3}, 1000, 1.0},     // (0.5/4)/0.25 = 0.5: 8 x 0.25, not due
             Przypadek{{2, 0, 2000, t - 3 * kDzien, 3}, 1000, 2.0}, // due
             Przypadek{{2, 0, 4000, t - 3 * kDzien, 3}, 1000, 16.0}, // twice as slow: x 8
             Przypadek{{2, 0, 9000, t - 3 * kDzien, 3}, 5000, 6.75}, // 4.5 s against 3 s: x 3.375
             Przypadek{{30, 0, 30000, t, 5}, 1000, 0.2},            // 8 x (1/16)^2 x 0.5 = 0.0156
         })
        EXPECT_NEAR(WagaFaktu(&stan, t, typowy), waga, 1e-9) << stan.pytan << " " << stan.czasMs;
    EXPECT_NEAR(WagaFaktu(nullptr, t, 1000), 48.0, 1e-9);
    // The child's typical time is the median of the facts' mean times.
    RekordFaktow r;
    const auto fakty = WszystkieFakty(DzialanieMnozenie);
    r[fakty[0]] = {1, 0, 1000, t, 2};
    r[fakty[1]] = {2, 0, 4000, t, 2};
    r[fakty[2]] = {1, 1, 9000, t, 1};
    r[WszystkieFakty(DzialanieDodawanie)[0]] = {1, 0, 100, t, 2};
    EXPECT_EQ(TypowyCzasMs(r, fakty), 2000.0);
}

TEST(PracticeSchedule, BoxesMoveOnQuickRightAnswersOnlyWhileDueByTheChildsCalendarDays)
{
    const StrefaWarszawy strefa;
    // 2027-03-27 20:00 CET; summer time begins on the 28th at 02:00.
    const std::int64_t sobota20 = 1806174000000, sobota2359 = 1806188340000, niedziela0030 = 1806190200000,
                       niedziela12 = 1806228000000, niedziela2330 = 1806269400000, poniedzialek0010 = 1806271800000,
                       wtorek2359 = 1806443940000, sroda0000 = 1806444030000;
    EXPECT_EQ(DzienLokalny(niedziela12), 20905);
    EXPECT_EQ(DzienLokalny(niedziela0030), DzienLokalny(niedziela2330)); // 22 hours, one day
    EXPECT_EQ(DzienLokalny(poniedzialek0010) - DzienLokalny(niedziela2330), 1); // 40 minutes, the next day
    // Any time a file holds has a day (beyond the calendar, the UTC day).
    EXPECT_EQ(DzienLokalny(INT64_MIN), -106751991168);
    EXPECT_EQ(DzienLokalny(INT64_MAX), 106751991167);
    StanFaktu s;
    // Three quick right answers in one sitting: box 2, not mastered.
    for (int i = 0; i < 3; ++i) Zapamietaj(s, true, 1200, 60, sobota20 + i * 60000);
    EXPECT_EQ(std::tuple(int(s.pudelko), s.ostatnioMs, Opanowany(s)), std::tuple(2, sobota20, false));
    // Due from the next day's first minute, not before.
    EXPECT_FALSE(Zalegly(s, sobota2359));
    EXPECT_TRUE(Zalegly(s, niedziela0030));
    // A slow right answer while due (3060 ms) leaves the box and the day.
    Zapamietaj(s, true, 3060, 60, niedziela12);
    EXPECT_EQ(std::tuple(int(s.pudelko), s.ostatnioMs), std::tuple(2, sobota20));
    Zapamietaj(s, true, 1200, 60, niedziela12 + 60000);
    EXPECT_EQ(s.pudelko, 3);
    // Box 3: due three days later, Wednesday.
    Zapamietaj(s, true, 600, 60, poniedzialek0010);
    EXPECT_EQ(s.pudelko, 3);
    EXPECT_FALSE(Zalegly(s, wtorek2359));
    EXPECT_TRUE(Zalegly(s, sroda0000));
    Zapamietaj(s, true, 600, 60, sroda0000);
    EXPECT_EQ(std::tuple(int(s.pudelko), Opanowany(s)), std::tuple(4, true)); // Saturday, Sunday, Wednesday
    // A miss puts it back in box 1, due at once.
    Zapamietaj(s, false, 4020, 60, sroda0000 + 60000);
    EXPECT_EQ(std::tuple(int(s.pudelko), Zalegly(s, sroda0000 + 60000), Opanowany(s)), std::tuple(1, true, false));
    EXPECT_EQ(std::tuple(s.pytan, s.bledow), std::tuple(8, 1));
    EXPECT_FALSE(Zalegly(StanFaktu{}, sobota20));
}

TEST(PracticeSchedule, QuickIsThreeSecondsAndWithinTheQuestionsTimeAndAFutureTimeIsClampedToNow)
{
    EXPECT_TRUE(Szybka(3000, 60));
    EXPECT_FALSE(Szybka(3060, 60));
    EXPECT_TRUE(Szybka(3000, 170));
    EXPECT_TRUE(Szybka(1320, 20));  // 1.34 s a question at the fast pace
    EXPECT_FALSE(Szybka(1340, 20)); // its time ran out
    // A fact counted by a clock a year ahead: not due today (the time
    // counts as now), and the next answer brings it back to its own day.
    const std::int64_t t = 1'800'000'000'000;
    StanFaktu s{4, 0, 4000, t + 365 * kDzien, 3};
    EXPECT_FALSE(Zalegly(s, t));
    Zapamietaj(s, true, 1200, 60, t);
    EXPECT_EQ(std::tuple(int(s.pudelko), s.ostatnioMs), std::tuple(3, t));
    EXPECT_TRUE(Zalegly(s, t + 3 * kDzien));
}
