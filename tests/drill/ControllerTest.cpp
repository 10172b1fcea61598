#include "FakeOkno.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <tuple>
#include <random>

using namespace zm;
using zm::test::FakeOkno;

namespace {

// The log entries from the first occurrence of `od` onwards.
std::vector<std::string> od(const std::vector<std::string>& log, std::size_t start)
{
    return {log.begin() + static_cast<std::ptrdiff_t>(start), log.end()};
}

} // namespace

TEST(DrillDefaults, ProgramStartsWithMultiplicationTenQuestionsMediumPaceNarratorOn)
{
    FakeOkno f;
    EXPECT_EQ(f.stan().StanStartStop, "start");
    EXPECT_TRUE(f.ust().Lektor);
    EXPECT_EQ(f.ust().Dzialanie, DzialanieMnozenie);
    EXPECT_EQ(f.ust().IloscPytan, 10);
    EXPECT_EQ(f.ust().Predkosc, 60);
    EXPECT_FALSE(f.stan().WpisAktywny);
    EXPECT_EQ(f.stan().Ocena, 0);
    // Keys are refused before any drill.
    f.wpisz('5');
    EXPECT_EQ(f.pole, "0");
}

TEST(DrillStart, ResetsCountersDisablesButtonsAndAsksTheFirstQuestion)
{
    FakeOkno f;
    f.ust().Predkosc = PredkoscWolno;
    f.ctl.ButtonStartStopClick();
    EXPECT_EQ(f.stan().StanStartStop, "stop");
    EXPECT_EQ(f.interwal, 170);
    EXPECT_TRUE(f.timer);
    EXPECT_TRUE(f.obrazStop);
    EXPECT_TRUE(f.fokus);
    EXPECT_EQ(f.przyciski, (std::array<bool, 3>{false, false, false}));
    EXPECT_EQ(f.licznik, "1 z 10");
    EXPECT_EQ(f.podpis, "numer pytania");
    EXPECT_EQ(f.pole, "");
    EXPECT_EQ(f.obrazWynik, "");
    const std::vector<std::string> oczekiwane{
        "Przycisk(0,0)", "Przycisk(1,0)", "Przycisk(2,0)", "Interwal(170)", "ObrazStop", "PokazOceny(0)",
        "PokazLicznik(1)", "Podpis(numer pytania)", "Fokus", "Licznik(1 z 10)", "RysujPytanie", "Dobrze(0)",
        "Zle(0)", "WyczyscWynik", "RysujWynik()", "WlaczTimer"};
    EXPECT_EQ(f.log, oczekiwane);
}

TEST(DrillTiming, QuestionTimesOutOnExactlyTheSixtySeventhTickAtEveryPace)
{
    for (int pace : {PredkoscWolno, PredkoscSrednio, PredkoscSzybko}) {
        FakeOkno f;
        f.ust().Predkosc = pace;
        f.ctl.ButtonStartStopClick();
        EXPECT_EQ(f.interwal, pace);
        f.tyknij(66);
        EXPECT_EQ(f.stan().NrPytania, 1) << pace;
        EXPECT_EQ(f.stan().CzasPytania, 330);
        EXPECT_EQ(f.progresSzer, 330);
        EXPECT_EQ(f.stan().Zle, 0);
        f.tyknij();
        EXPECT_EQ(f.stan().Zle, 1) << pace;
        EXPECT_EQ(f.stan().NrPytania, 2);
        EXPECT_EQ(f.stan().CzasPytania, 0);
        // The full red bar stays until the next question's first tick.
        EXPECT_EQ(f.progresSzer, 331);
        EXPECT_EQ(f.r, 255);
        EXPECT_EQ(f.g, 0);
    }
}

TEST(DrillTiming, BarWidthFollowsTheQuestionTime)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    for (int i = 1; i <= 66; ++i) {
        f.tyknij();
        ASSERT_EQ(f.progresSzer, f.stan().CzasPytania);
        ASSERT_EQ(f.stan().CzasPytania, 5 * i);
    }
}

TEST(TimeBar, WidthAndColourAtZeroHalfAndFull)
{
    FakeOkno f;
    f.ctl.UstawProgres(0);
    EXPECT_EQ(f.progresSzer, 0);
    EXPECT_EQ(std::tuple(f.r, f.g, f.b), std::tuple(0, 255, 0));
    f.ctl.UstawProgres(50);
    EXPECT_EQ(f.progresSzer, 166); // 165.5 rounds to the even neighbour
    EXPECT_EQ(std::tuple(f.r, f.g, f.b), std::tuple(127, 128, 0));
    f.ctl.UstawProgres(100);
    EXPECT_EQ(f.progresSzer, 331);
    EXPECT_EQ(std::tuple(f.r, f.g, f.b), std::tuple(255, 0, 0));
}

TEST(DrillKeys, RefusedUntilTheFirstTickThenOnlyDigitsBackspaceAndEnter)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    f.wpisz('4');
    EXPECT_EQ(f.pole, "");
    // Enter too, even with text in the field (pasted, say).
    f.pole = "12";
    char16_t enter = u'\r';
    f.ctl.FormKeyPress(enter);
    EXPECT_EQ(enter, 0);
    EXPECT_FALSE(f.stan().OdpowiedzZatwierdzona);
    f.pole.clear();
    f.tyknij();
    f.wpisz("4a-x 5");
    EXPECT_EQ(f.pole, "45");
    EXPECT_EQ(f.obrazWynik, "45");
    f.wpisz('\b');
    EXPECT_EQ(f.pole, "4");
    EXPECT_EQ(f.obrazWynik, "4");
    for (char16_t c : {u'a', u'.', u',', u'-', u' ', u'\x1b', u'\t'}) {
        char16_t k = c;
        f.ctl.FormKeyPress(k);
        EXPECT_EQ(k, 0) << static_cast<int>(c);
    }
    for (char16_t c : {u'0', u'9', u'\b', u'\r'}) {
        char16_t k = c;
        f.ctl.FormKeyPress(k);
        EXPECT_EQ(k, c) << static_cast<int>(c);
    }
}

TEST(DrillKeys, EnterOnAnEmptyFieldDoesNothingAndTheQuestionTimesOutWrong)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    f.tyknij();
    f.wpisz('\r');
    EXPECT_FALSE(f.stan().OdpowiedzZatwierdzona);
    f.tyknij();
    EXPECT_EQ(f.stan().NrPytania, 1);
    f.tyknij(65);
    EXPECT_EQ(f.stan().Zle, 1);
    EXPECT_EQ(f.stan().NrPytania, 2);
    // The correct result shown for it is gone with the next question.
    EXPECT_EQ(f.obrazWynik, "");
    EXPECT_EQ(f.pole, "");
}

TEST(DrillJudging, ConfirmedAnswerIsJudgedOnTheNextTickWithDigitsTypedMeanwhile)
{
    // Every operation, over several questions whose operands differ: the
    // right answer counts (the result of the operands taken the other way
    // round would not, for division and subtraction).
    for (std::uint8_t op : {DzialanieMnozenie, DzialanieDzielenie, DzialanieDodawanie, DzialanieOdejmowanie}) {
        FakeOkno f;
        f.ust().Dzialanie = op;
        f.ctl.ButtonStartStopClick();
        int niesymetryczne = 0;
        for (int q = 1; q <= 5; ++q) {
            f.tyknij(3);
            const int a = f.stan().Liczba1, b = f.stan().Liczba2;
            niesymetryczne += a != b;
            const std::string odp = std::to_string(f.wynik());
            f.wpisz(odp.substr(0, 1));
            f.wpisz('\r');
            EXPECT_TRUE(f.stan().OdpowiedzZatwierdzona);
            EXPECT_EQ(f.stan().NrPytania, q);
            f.wpisz(odp.substr(1)); // typed after Enter, before the tick
            const auto przed = f.log.size();
            f.tyknij();
            EXPECT_EQ(f.stan().Dobrze, q) << int(op) << ": " << a << " " << b;
            EXPECT_EQ(f.stan().Zle, 0) << int(op);
            EXPECT_EQ(f.czytania, 0);
            // A correct answer changes no picture before the next question.
            EXPECT_EQ(od(f.log, przed)[1], "Licznik(" + std::to_string(q + 1) + " z 10)");
        }
        EXPECT_GE(niesymetryczne, 2) << int(op);
    }
}

TEST(DrillJudging, CorrectAnswerWithoutEnterCountsWhenTheTimeRunsOut)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    f.tyknij();
    f.wpisz("0" + std::to_string(f.wynik())); // leading zero does not matter
    f.tyknij(66);
    EXPECT_EQ(f.stan().Dobrze, 1);
    EXPECT_EQ(f.stan().Zle, 0);
}

TEST(DrillJudging, WrongAnswerShowsTheCorrectResultThenAsksForTheReading)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    f.tyknij();
    const int w = f.wynik();
    f.wpisz(std::to_string((w + 1) % 100));
    f.wpisz('\r');
    const auto przed = f.log.size();
    f.tyknij();
    const auto l = od(f.log, przed);
    EXPECT_EQ(l[0], "Progres(10)");
    EXPECT_EQ(l[1], "RysujWynik(" + std::to_string(w) + ")");
    EXPECT_EQ(l[2], "CzytajRownanie");
    EXPECT_EQ(f.stan().Zle, 1);
    // Entry was cleared for the reading: keys are refused until the next tick.
    EXPECT_FALSE(f.stan().WpisAktywny);
    f.wpisz('7');
    EXPECT_EQ(f.pole, "");

    // With the narrator off, entry is left as it was.
    f.ust().Lektor = false;
    f.tyknij();
    f.wpisz(std::to_string((f.wynik() + 1) % 100));
    f.wpisz('\r');
    f.tyknij();
    EXPECT_EQ(f.stan().Zle, 2);
    EXPECT_TRUE(f.stan().WpisAktywny);
}

TEST(DrillJudging, TextThatIsNotANumberIsAWrongAnswerNotACrash)
{
    for (const char* wklejone : {"abc", "1x", "", " ", "--1", "nan", "inf", "1e9999"}) {
        double v = 0;
        EXPECT_FALSE(CzytajLiczbe(wklejone, v)) << wklejone;
    }
    double v = 0;
    ASSERT_TRUE(CzytajLiczbe("07", v));
    EXPECT_EQ(v, 7.0);
    ASSERT_TRUE(CzytajLiczbe("5e1", v));
    EXPECT_EQ(v, 50.0);
    ASSERT_TRUE(CzytajLiczbe(" 42 ", v));
    EXPECT_EQ(v, 42.0);

    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    f.tyknij();
    f.pole = "x?"; // as if pasted past the key filter
    f.wpisz('\r');
    f.tyknij();
    EXPECT_EQ(f.stan().Zle, 1);
}

TEST(DrillCounters, LabelsShowTheCountsBeforeTheCurrentQuestion)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    for (int q = 1; q <= 4; ++q) {
        EXPECT_EQ(f.licznik, std::to_string(q) + " z 10");
        EXPECT_EQ(f.dobrze, std::to_string(f.stan().Dobrze));
        EXPECT_EQ(f.zle, std::to_string(f.stan().Zle));
        f.tyknij();
        if (q % 2) f.wpisz(std::to_string(f.wynik()));
        f.wpisz('\r');
        f.tyknij(q % 2 ? 1 : 66);
    }
    EXPECT_EQ(f.stan().Dobrze, 2);
    EXPECT_EQ(f.stan().Zle, 2);
    EXPECT_EQ(f.dobrze, "2");
}

TEST(DrillEnd, LastQuestionEndsTheDrillInTheSameTickWithTheEndStepsInOrder)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    for (int q = 1; q < 10; ++q) {
        f.tyknij();
        f.wpisz(std::to_string(f.wynik()));
        f.wpisz('\r');
        f.tyknij();
    }
    EXPECT_EQ(f.licznik, "10 z 10");
    f.tyknij();
    f.wpisz(std::to_string(f.wynik()));
    f.wpisz('\r');
    const auto przed = f.log.size();
    f.tyknij();
    const std::vector<std::string> oczekiwane{
        "Progres(10)", "WylaczTimer", "Przycisk(0,1)", "Przycisk(1,1)", "Przycisk(2,1)", "ObrazStart",
        "Progres(0)", "WyczyscObrazy", "Dobrze(10)", "Zle(0)", "Podpis(ocena)", "PokazOceny(1)",
        "PokazLicznik(0)", "Rozmiar(1,12)", "Rozmiar(2,12)", "Rozmiar(3,12)", "Rozmiar(4,12)",
        "Rozmiar(5,12)", "Rozmiar(6,12)", "Rozmiar(6,24)"};
    EXPECT_EQ(od(f.log, przed), oczekiwane);
    EXPECT_EQ(f.stan().StanStartStop, "start");
    EXPECT_EQ(f.stan().Ocena, 6);
    EXPECT_EQ(f.stan().NrPytania, 10);
    EXPECT_EQ(f.progresSzer, 0);
    EXPECT_EQ(std::tuple(f.r, f.g), std::tuple(0, 255));
    EXPECT_FALSE(f.timer);
}

TEST(DrillEnd, OnlyAGradedDrillIsHandedOverWithEveryQuestionAnswerAndTime)
{
    struct Zapisy : IZapisWynikow {
        std::vector<ZapisCwiczenia> lista;
        void Zapisz(const ZapisCwiczenia& z) override { lista.push_back(z); }
    } zapisy;
    FakeOkno f;
    ZapisywaczCwiczen zapisywacz(zapisy);
    f.ctl.DodajSluchacza(&zapisywacz);
    f.ust().Dzialanie = DzialanieDodawanie;
    f.ust().Predkosc = PredkoscSzybko;
    f.ust().Lektor = false;
    // Stopped halfway: nothing is kept.
    f.ctl.ButtonStartStopClick();
    f.tyknij(3);
    f.ctl.ButtonStartStopClick();
    EXPECT_TRUE(zapisy.lista.empty());

    const auto teraz = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    std::vector<std::tuple<int, int, std::string, bool, int>> oczekiwane;
    f.ctl.ButtonStartStopClick();
    for (int q = 1; q <= 10; ++q) {
        f.tyknij();
        const int a = f.stan().Liczba1, b = f.stan().Liczba2, w = f.wynik();
        if (q == 3) { // no answer: the question runs out after 67 ticks of 20 ms
            f.pole.clear();
            f.tyknij(66);
            oczekiwane.emplace_back(a, b, "", false, 67 * 20);
            continue;
        }
        const std::string odp = std::to_string(q == 5 ? w + 1 : w);
        f.tyknij(q == 7 ? 4 : 0); // a slower answer: judged on the sixth tick
        f.wpisz(odp);
        f.wpisz('\r');
        f.tyknij();
        oczekiwane.emplace_back(a, b, odp, q != 5, (q == 7 ? 6 : 2) * 20);
    }
    const auto po = teraz();
    ASSERT_EQ(zapisy.lista.size(), 1u);
    const ZapisCwiczenia& z = zapisy.lista[0];
    EXPECT_GE(z.koniecMs, po - 5000);
    EXPECT_LE(z.koniecMs, po);
    EXPECT_EQ(std::tuple(int(z.dzialanie), z.iloscPytan, z.predkosc, z.lektor, z.dobrze, z.zle, int(z.ocena)),
              std::tuple(int(DzialanieDodawanie), 10, 20, false, 8, 2, 4));
    ASSERT_EQ(z.pytania.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        const PytanieCwiczenia& p = z.pytania[i];
        EXPECT_EQ(std::tuple(p.liczba1, p.liczba2, p.odpowiedz, p.dobrze, p.czasMs), oczekiwane[i]) << "question " << i + 1;
    }

    // A second graded drill of the same session carries its own questions
    // only, and is the drill of the child who started it, though another
    // child was chosen while it ran.
    oczekiwane.clear();
    zapisywacz.UstawDziecko(5);
    f.ctl.ButtonStartStopClick();
    for (int q = 1; q <= 10; ++q) {
        if (q == 4) zapisywacz.UstawDziecko(7);
        f.tyknij();
        oczekiwane.emplace_back(f.stan().Liczba1, f.stan().Liczba2, std::to_string(f.wynik()), true, 2 * 20);
        f.wpisz(std::get<2>(oczekiwane.back()));
        f.wpisz('\r');
        f.tyknij();
    }
    ASSERT_EQ(zapisy.lista.size(), 2u);
    ASSERT_EQ(zapisy.lista[1].pytania.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        const PytanieCwiczenia& p = zapisy.lista[1].pytania[i];
        EXPECT_EQ(std::tuple(p.liczba1, p.liczba2, p.odpowiedz, p.dobrze, p.czasMs), oczekiwane[i]) << "question " << i + 1;
    }
    EXPECT_EQ(std::pair(zapisy.lista[1].ocena, zapisy.lista[1].dziecko), std::pair(std::uint8_t{6}, std::int64_t{5}));
}

TEST(DrillEnd, AfterTheDrillDigitsStillReachTheFieldWhileEntryIsActiveAndStartClearsThem)
{
    FakeOkno f;
    f.ust().Lektor = false;
    f.ust().IloscPytan = 10;
    f.ctl.ButtonStartStopClick();
    f.tyknij(67 * 10);
    EXPECT_EQ(f.stan().StanStartStop, "start");
    EXPECT_EQ(f.stan().Ocena, 1);
    EXPECT_TRUE(f.stan().WpisAktywny);
    f.wpisz("12345");
    EXPECT_EQ(f.pole, "123");
    f.wpisz('\r');
    EXPECT_TRUE(f.stan().OdpowiedzZatwierdzona);
    f.ctl.ButtonStartStopClick();
    EXPECT_EQ(f.pole, "");
    EXPECT_FALSE(f.stan().OdpowiedzZatwierdzona);
    EXPECT_EQ(f.stan().Dobrze + f.stan().Zle, 0);
}

TEST(DrillStop, LeavesEverythingAsItWasAndTheNextStartResets)
{
    FakeOkno f;
    f.ctl.ButtonStartStopClick();
    f.tyknij(67 * 3 + 10);
    f.wpisz("12");
    const auto licznik = f.licznik, pytanie = f.obrazPytanie, wynik = f.obrazWynik;
    const int szer = f.progresSzer, zle = f.stan().Zle;
    const auto przed = f.log.size();
    f.ctl.ButtonStartStopClick();
    const std::vector<std::string> oczekiwane{"ObrazStart", "Przycisk(0,1)", "Przycisk(1,1)", "Przycisk(2,1)",
                                              "WylaczTimer"};
    EXPECT_EQ(od(f.log, przed), oczekiwane);
    EXPECT_EQ(f.licznik, licznik);
    EXPECT_EQ(f.obrazPytanie, pytanie);
    EXPECT_EQ(f.obrazWynik, wynik);
    EXPECT_EQ(f.progresSzer, szer);
    EXPECT_EQ(f.stan().Zle, zle);
    EXPECT_EQ(f.stan().Zle, 3);
    EXPECT_EQ(f.stan().Ocena, 0);
    EXPECT_FALSE(f.ocenyWidoczne);
    f.ctl.ButtonStartStopClick();
    EXPECT_EQ(f.stan().Zle, 0);
    EXPECT_EQ(f.stan().NrPytania, 1);
    EXPECT_EQ(f.licznik, "1 z 10");
    EXPECT_EQ(f.zle, "0");
}

namespace {

// What the drill tells its listeners, one line an event.
struct Sluchacz : ISluchaczCwiczenia {
    std::vector<std::string> log;
    void Rozpoczete(const Ustawienia& u) override { log.push_back("start " + std::to_string(u.IloscPytan)); }
    void PytanieZadane(std::int32_t nr, std::int32_t a, std::uint8_t d, std::int32_t b) override
    {
        log.push_back(std::to_string(nr) + ": " + std::to_string(a) + ZnakDzialania(d) + std::to_string(b));
    }
    void OdpowiedzOceniona(const PytanieCwiczenia& p, std::int32_t poprawny) override
    {
        log.push_back((p.dobrze ? "right '" : "wrong '") + p.odpowiedz + "' " + std::to_string(poprawny));
    }
    void CzytanieZakonczone() override { log.push_back("read"); }
    void Zakonczone(const PodsumowanieCwiczenia& p) override
    {
        log.push_back("grade " + std::to_string(p.ocena) + " " + std::to_string(p.dobrze) + "/" +
                      std::to_string(p.zle));
    }
    void Zatrzymane() override { log.push_back("stop"); }
};

std::string Pytanie(const FakeOkno& f)
{
    return std::to_string(f.stan().NrPytania) + ": " + std::to_string(f.stan().Liczba1) +
           ZnakDzialania(f.ctl.ustawienia().Dzialanie) + std::to_string(f.stan().Liczba2);
}

} // namespace

TEST(DrillReading, TheDrillWaitsForTheLastWordWithTheResultShownThenTheHeldClicksAct)
{
    FakeOkno f;
    Sluchacz s;
    f.ctl.DodajSluchacza(&s);
    f.czytaDlugo = true;
    f.ctl.ButtonStartStopClick();
    f.tyknij();
    const int w = f.wynik();
    const std::string zla = std::to_string(w + 1);
    f.wpisz(zla);
    f.wpisz('\r');
    const auto przed = f.log.size();
    f.tyknij();
    // The tick ends with the reading: the timer waits, the correct result
    // stays, and the question is still the first.
    EXPECT_EQ(od(f.log, przed), (std::vector<std::string>{"Progres(10)", "RysujWynik(" + std::to_string(w) + ")",
                                                          "CzytajRownanie", "WylaczTimer"}));
    EXPECT_TRUE(f.ctl.Czyta());
    // A tick already on its way, keys, Enter, and a double click on START/STOP
    // (Escape and F2 are that click too) change nothing during the reading.
    f.ctl.TimerTimer();
    f.wpisz("7\r");
    f.ctl.ButtonStartStopClick();
    f.ctl.ButtonStartStopClick();
    EXPECT_EQ(f.log.size(), przed + 4);
    EXPECT_EQ(f.stan().StanStartStop, "stop");
    EXPECT_EQ(f.stan().NrPytania, 1);
    EXPECT_EQ(f.pole, zla);
    EXPECT_EQ(f.obrazWynik, std::to_string(w));
    // After the last word: the next question, then the two clicks in turn:
    // stopped, and started again.
    const std::string pierwsze = Pytanie(f);
    f.ctl.KoniecCzytania();
    EXPECT_FALSE(f.ctl.Czyta());
    EXPECT_EQ(f.stan().NrPytania, 1);
    EXPECT_EQ(f.stan().Zle, 0);
    EXPECT_TRUE(f.timer);
    ASSERT_GE(s.log.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(s.log.begin(), s.log.begin() + 4),
              (std::vector<std::string>{"start 10", pierwsze, "wrong '" + zla + "' " + std::to_string(w), "read"}));
    EXPECT_EQ(s.log[5], "stop");
    EXPECT_EQ(s.log[6], "start 10");
    EXPECT_EQ(s.log[7], Pytanie(f));
    EXPECT_EQ(s.log.size(), 8u);
    // A late report of the same reading does nothing.
    f.ctl.KoniecCzytania();
    EXPECT_EQ(s.log.size(), 8u);
}

TEST(DrillReading, ListenersHearEveryStepInOrderAndTheGradeAfterTheLastReading)
{
    FakeOkno f;
    Sluchacz s;
    f.ctl.DodajSluchacza(&s);
    f.czytaDlugo = true;
    std::vector<std::string> oczekiwane{"start 10"};
    f.ctl.ButtonStartStopClick();
    for (int q = 1; q <= 10; ++q) {
        oczekiwane.push_back(Pytanie(f));
        f.tyknij();
        const int w = f.wynik();
        const bool dobrze = q != 2 && q != 10;
        const std::string odp = dobrze ? std::to_string(w) : "";
        f.wpisz(odp);
        f.wpisz('\r');
        f.tyknij(dobrze ? 1 : 66);
        oczekiwane.push_back((dobrze ? "right '" : "wrong '") + odp + "' " + std::to_string(w));
        if (!dobrze) {
            EXPECT_EQ(s.log.back(), oczekiwane.back());
            EXPECT_FALSE(f.ocenyWidoczne);
            // STOP (or Escape) during the last reading: the drill ends with
            // its grade, and nothing starts again.
            if (q == 10) f.ctl.ButtonStartStopClick();
            f.ctl.KoniecCzytania();
            oczekiwane.push_back("read");
        }
    }
    oczekiwane.push_back("grade 4 8/2");
    EXPECT_EQ(s.log, oczekiwane);
    EXPECT_TRUE(f.ocenyWidoczne);
    EXPECT_EQ(f.stan().Ocena, 4);
}

TEST(DrillReading, InThePracticeModeAMissedResultStaysAboutTwoSecondsWithoutTheNarrator)
{
    for (int pace : {PredkoscWolno, PredkoscSrednio, PredkoscSzybko}) {
        const int tyki = DrillController::TykiPoprawki(pace);
        EXPECT_GE(tyki * pace, 2000);
        EXPECT_LT((tyki - 1) * pace, 2000);
        FakeOkno f;
        f.ust().Tryb = Losowanie::TrudneFakty;
        f.ust().Lektor = false;
        f.ust().Predkosc = pace;
        f.ctl.ButtonStartStopClick();
        f.tyknij();
        const int w = f.wynik();
        f.wpisz(std::to_string(w + 1));
        f.wpisz('\r');
        f.tyknij();
        EXPECT_EQ(f.czytania, 1);
        // The correct result stays for its ticks; keys and clicks wait.
        f.tyknij(tyki - 1);
        EXPECT_EQ(f.stan().NrPytania, 1) << pace;
        EXPECT_EQ(f.obrazWynik, std::to_string(w));
        EXPECT_TRUE(f.ctl.PokazujePoprawke());
        f.wpisz('5');
        EXPECT_EQ(f.pole, std::to_string(w + 1));
        f.ctl.ButtonStartStopClick();
        EXPECT_EQ(f.stan().StanStartStop, "stop");
        f.tyknij();
        EXPECT_EQ(f.stan().NrPytania, 2) << pace;
        EXPECT_EQ(f.obrazWynik, "");
        EXPECT_EQ(f.stan().StanStartStop, "start"); // the click, after the correction
        EXPECT_FALSE(f.ctl.PokazujePoprawke());
    }
}
