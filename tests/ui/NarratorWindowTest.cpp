// The narrator in the window: what a wrong answer plays, and that keys typed
// while it reads never reach the next answer.
#include "FakePlayer.h"
#include "TestSupport.h"
#include "UnitMain.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace zm;

namespace {


class OknoZLektorem : public ::testing::Test {
protected:
    test::ZapisaneKomunikaty komunikaty;
    test::ZapisujacyOdtwarzacz glos;
    std::unique_ptr<TFrmMain> okno;
    QLineEdit* edit = nullptr;
    std::uint64_t zegarX = 500000; // the window system's clock in these events
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    // Milliseconds since the test began, as the window system would stamp them.
    std::uint64_t teraz() const
    {
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    }

    void SetUp() override
    {
        glos.msNaSlowo = 25;
        okno = test::NoweOkno(komunikaty, test::KatalogInstalacji(), &glos);
        okno->Kontroler().losowanie().UstawZiarno(77);
        edit = okno->findChild<QLineEdit*>("EditWynik");
    }

    // A key typed `poMs` milliseconds after the first one (which is handled at once).
    void klawisz(char c, std::uint64_t poMs)
    {
        const Qt::Key k = c == '\r' ? Qt::Key_Return : static_cast<Qt::Key>(Qt::Key_0 + (c - '0'));
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, QString(QChar(c)));
        e.setTimestamp(zegarX + poMs);
        QApplication::sendEvent(edit, &e);
    }
    int wynik()
    {
        auto& k = okno->Kontroler();
        return WynikPoprawny(k.ustawienia().Dzialanie, k.stan().Liczba1, k.stan().Liczba2);
    }
};

} // namespace

TEST_F(OknoZLektorem, WrongAnswerIsReadWithTheCorrectResultAndARightOneIsNot)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    k.TimerTimer();
    start = std::chrono::steady_clock::now();
    for (char c : std::to_string(wynik())) klawisz(c, teraz());
    klawisz('\r', teraz());
    k.TimerTimer();
    EXPECT_TRUE(glos.Nazwy().empty());

    k.TimerTimer();
    const std::string zla = std::to_string(wynik() + 1);
    for (char c : zla) klawisz(c, teraz());
    klawisz('\r', teraz());
    const int l1 = k.stan().Liczba1, l2 = k.stan().Liczba2;
    k.TimerTimer();
    // 7 * 8 = 56 reads "7", "razy", "8", "rowna_sie", "50_", "6".
    std::vector<std::string> oczekiwane;
    auto dodaj = [&](const std::string& token) {
        for (const auto& p : Narrator::PlikiSlowa(token)) oczekiwane.push_back(p);
    };
    dodaj(std::to_string(l1));
    dodaj("*");
    dodaj(std::to_string(l2));
    dodaj("=");
    dodaj(std::to_string(l1 * l2));
    EXPECT_EQ(glos.Nazwy(), oczekiwane);
}

TEST_F(OknoZLektorem, KeysTypedDuringTheReadingAreDroppedWhateverComesFirst)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    k.TimerTimer();
    start = std::chrono::steady_clock::now();
    klawisz('\r', 0); // nothing typed: Enter does nothing, but the clocks are matched
    for (int t = 0; t < 65; ++t) k.TimerTimer(); // 66 ticks so far
    ASSERT_TRUE(glos.Nazwy().empty());
    const std::uint64_t przedCzytaniem = teraz();
    k.TimerTimer(); // time out: the narrator reads for a while
    ASSERT_FALSE(glos.Nazwy().empty());
    const std::uint64_t poCzytaniu = teraz();
    ASSERT_GT(poCzytaniu, przedCzytaniem + 50);
    EXPECT_EQ(k.stan().NrPytania, 2);
    // The next tick comes before the keys that were typed during the reading.
    k.TimerTimer();
    klawisz('4', przedCzytaniem + 20);
    klawisz('2', poCzytaniu - 5);
    EXPECT_EQ(edit->text(), "");
    klawisz('7', poCzytaniu + 5); // typed after the reading
    EXPECT_EQ(edit->text(), "7");
}

TEST_F(OknoZLektorem, TheWindowLivesDuringTheReadingAndAClickWaitsForTheLastWord)
{
    auto& k = okno->Kontroler();
    glos.msNaSlowo = 60;
    k.ButtonStartStopClick();
    for (int t = 0; t < 66; ++t) k.TimerTimer();
    // During the reading: the loop runs, a key is dropped, and a click on STOP
    // is held until the next question is on screen.
    auto* start = okno->findChild<QWidget*>("ButStartStop");
    std::string stanPodczas;
    int pytaniePodczas = 0;
    QTimer::singleShot(100, [&] {
        klawisz('5', teraz());
        QTest::mouseClick(start, Qt::LeftButton);
        stanPodczas = k.stan().StanStartStop;
        pytaniePodczas = k.stan().NrPytania;
    });
    const auto t0 = std::chrono::steady_clock::now();
    k.TimerTimer(); // time out: the equation is read
    EXPECT_GT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(300));
    EXPECT_EQ(stanPodczas, "stop");
    EXPECT_EQ(pytaniePodczas, 1);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(k.stan().NrPytania, 2);
    EXPECT_EQ(k.stan().StanStartStop, "stop");
    QCoreApplication::processEvents();
    EXPECT_EQ(k.stan().StanStartStop, "start"); // the click, after the last word

    // Closing the window during a reading ends it at once.
    k.ButtonStartStopClick();
    for (int t = 0; t < 66; ++t) k.TimerTimer();
    glos.msNaSlowo = 1000;
    QTimer::singleShot(100, [&] { okno->close(); });
    const auto t1 = std::chrono::steady_clock::now();
    k.TimerTimer();
    EXPECT_LT(std::chrono::steady_clock::now() - t1, std::chrono::milliseconds(1000));
    EXPECT_TRUE(glos.przerwany);
}
