// Drives the drill with long random sequences of clicks, ticks and keys and
// checks after every event that its state stays consistent.
#include "FakeOkno.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>

using namespace zm;

namespace {

void sprawdzNiezmienniki(test::FakeOkno& f, int krok, int iloscDrillu)
{
    const auto& s = f.stan();
    const auto& u = f.ust();
    SCOPED_TRACE("event " + std::to_string(krok));
    ASSERT_LE(u.Dzialanie, 3);
    ASSERT_TRUE(u.IloscPytan == 10 || u.IloscPytan == 30 || u.IloscPytan == 70 || u.IloscPytan == 100);
    ASSERT_TRUE(u.Predkosc == 170 || u.Predkosc == 60 || u.Predkosc == 20);
    ASSERT_GE(s.NrPytania, 0);
    // The question count of the drill under way (or last run): the settings
    // may change between drills.
    ASSERT_LE(s.NrPytania, iloscDrillu);
    ASSERT_TRUE(s.StanStartStop == "start" || s.StanStartStop == "stop");
    // The timer runs only while a drill runs and no equation is read; while
    // a correct result is read or shown, keys are refused.
    ASSERT_EQ(f.timer, s.StanStartStop == "stop" && !f.ctl.Czyta());
    if (f.ctl.Czyta() || f.ctl.PokazujePoprawke()) {
        ASSERT_FALSE(s.WpisAktywny);
    }
    ASSERT_EQ(f.przyciski[1], s.StanStartStop == "start");
    ASSERT_EQ(s.CzasPytania % 5, 0);
    ASSERT_LE(s.CzasPytania, 335);
    ASSERT_LE(f.pole.size(), 3u);
    if (s.NrPytania > 0) {
        // While a question is open, or after Stop, the judged answers are
        // those of the earlier questions; at the end, of all of them.
        // During a reading or a correction the question is judged already.
        const bool koniec = s.StanStartStop == "start" && s.Dobrze + s.Zle == s.NrPytania;
        if (f.ctl.Czyta() || f.ctl.PokazujePoprawke())
            ASSERT_EQ(s.Dobrze + s.Zle, s.NrPytania);
        else if (koniec)
            ASSERT_EQ(s.NrPytania, iloscDrillu);
        else
            ASSERT_EQ(s.Dobrze + s.Zle, s.NrPytania - 1);
        if (s.StanStartStop == "stop") { // operands drawn under the current operation
            const int a = s.Liczba1, b = s.Liczba2;
            switch (u.Dzialanie) {
            case DzialanieMnozenie: ASSERT_TRUE(a >= 3 && a <= 9 && b >= 3 && b <= 9) << a << " " << b; break;
            case DzialanieDzielenie: ASSERT_TRUE(b >= 3 && b <= 9 && a % b == 0 && a / b >= 3 && a / b <= 9); break;
            case DzialanieDodawanie: ASSERT_TRUE(a >= 10 && a <= 79 && b >= 10 && a + b <= 99) << a << " " << b; break;
            default: ASSERT_TRUE(b >= 10 && b <= a && a <= 99) << a << " " << b; break;
            }
            // and within the chosen tables.
            ASSERT_TRUE(WTabliczkach(FaktPytania(u.Dzialanie, a, b), u.Tabliczki));
        }
    }
    ASSERT_LE(s.Ocena, 6);
}

} // namespace

TEST(DrillInvariants, HoldAfterEveryEventOfLongRandomSessions)
{
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        test::FakeOkno f;
        f.ctl.losowanie().UstawZiarno(seed);
        f.ust().Lektor = (seed % 2) == 0;
        f.czytaDlugo = (seed % 4) == 0; // readings that take their time
        if (seed % 3 == 0) {
            // The practice mode, with a record that makes 3 x 4 weak.
            auto rekord = std::make_shared<RekordFaktow>();
            for (int i = 0; i < 5; ++i) Zapamietaj((*rekord)[Fakt{DzialanieMnozenie, 3, 4}], false, 1000, 60, 0);
            f.ctl.UstawRekord(rekord);
            f.ust().Tryb = Losowanie::TrudneFakty;
        }
        int ukonczone = 0;
        int iloscDrillu = f.ust().IloscPytan;
        for (int krok = 0; krok < 20000; ++krok) {
            const int r = static_cast<int>(rng() % 1000);
            if (r < 30 && f.ctl.Czyta()) {
                f.ctl.KoniecCzytania();
            } else if (r < 3) {
                if (f.stan().StanStartStop == "start") iloscDrillu = f.ust().IloscPytan;
                f.ctl.ButtonStartStopClick();
            } else if (r < 8 && f.stan().StanStartStop == "start" && !f.ctl.Czyta()) {
                // The settings dialog can only be used between drills.
                f.ust().Dzialanie = static_cast<std::uint8_t>(rng() % 4);
                f.ust().IloscPytan = std::array{10, 30, 70, 100}[rng() % 4];
                f.ust().Predkosc = std::array{170, 60, 20}[rng() % 3];
                if (seed % 3 == 0) f.ust().Tabliczki = static_cast<std::uint16_t>((rng() % 127 + 1) << 3);
            } else if (r < 500) {
                const bool trwala = f.stan().StanStartStop == "stop";
                f.tyknij();
                if (trwala && f.stan().StanStartStop == "start") ++ukonczone;
            } else if (r < 700) {
                f.wpisz(std::to_string(f.wynik()));
                f.wpisz('\r');
            } else {
                static const char klawisze[] = "0123456789\b\r a.-";
                f.wpisz(klawisze[rng() % (sizeof klawisze - 1)]);
            }
            sprawdzNiezmienniki(f, krok, iloscDrillu);
            if (::testing::Test::HasFatalFailure()) return;
        }
        EXPECT_GT(ukonczone, 0) << "seed " << seed << " never finished a drill";
    }
}

TEST(PracticeSessions, AChildMissingFourFactsMeetsThemClearlyMoreOftenThanByChanceAndNeverADrillOfMisses)
{
    // A child who always misses 7 x 8, 8 x 7, 6 x 9 and 9 x 6 and answers
    // every other fact right and quickly: six practice drills of 30, one a
    // day, the record kept between them by the practice's own rule.
    struct Odpowiedzi : ISluchaczCwiczenia {
        std::vector<PytanieCwiczenia> pytania;
        void Rozpoczete(const Ustawienia&) override {}
        void PytanieZadane(std::int32_t, std::int32_t, std::uint8_t, std::int32_t) override {}
        void OdpowiedzOceniona(const PytanieCwiczenia& p, std::int32_t) override { pytania.push_back(p); }
        void CzytanieZakonczone() override {}
        void Zakonczone(const PodsumowanieCwiczenia&) override {}
        void Zatrzymane() override {}
    } odpowiedzi;
    test::FakeOkno f;
    f.ctl.DodajSluchacza(&odpowiedzi);
    f.ust().Tryb = Losowanie::TrudneFakty;
    f.ust().Lektor = false;
    f.ust().IloscPytan = 30;
    const auto trudny = [](std::int32_t a, std::int32_t b) {
        return (a == 7 && b == 8) || (a == 8 && b == 7) || (a == 6 && b == 9) || (a == 9 && b == 6);
    };
    RekordFaktow rekord;
    constexpr int kDrilli = 6;
    const std::int64_t teraz = std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::system_clock::now().time_since_epoch())
                                   .count();
    for (int d = 0; d < kDrilli; ++d) {
        f.ctl.UstawRekord(std::make_shared<const RekordFaktow>(rekord));
        odpowiedzi.pytania.clear();
        f.ctl.ButtonStartStopClick();
        while (f.stan().StanStartStop == "stop") {
            f.tyknij();
            f.wpisz(std::to_string(f.wynik() + (trudny(f.stan().Liczba1, f.stan().Liczba2) ? 1 : 0)));
            f.wpisz('\r');
            f.tyknij();
            while (f.ctl.PokazujePoprawke()) f.tyknij();
        }
        ASSERT_EQ(odpowiedzi.pytania.size(), 30u);
        int trudnych = 0;
        for (std::size_t i = 0; i < 30; ++i) {
            const PytanieCwiczenia& p = odpowiedzi.pytania[i];
            ASSERT_EQ(p.dobrze, !trudny(p.liczba1, p.liczba2));
            trudnych += !p.dobrze;
            // The drill's answers, as the journal keeps them, on its day.
            Zapamietaj(rekord[FaktPytania(DzialanieMnozenie, p.liczba1, p.liczba2)], p.dobrze, p.czasMs, 60,
                       teraz - (kDrilli - d) * 86400000LL + static_cast<std::int64_t>(i) * 1000);
        }
        // By chance 30 x 4/49, about 2.4 of them: from the second drill at
        // least two and a half times that; never more than 40 % of a drill.
        EXPECT_LE(trudnych, 12) << "drill " << d + 1;
        if (d > 0) {
            EXPECT_GE(trudnych * 49, 30 * 4 * 5 / 2) << "drill " << d + 1;
        }
    }
}
