// The narrator in the window: what a wrong answer plays, and that keys typed
// while it reads never reach the next answer.
#include "FakePlayer.h"
#include "TestSupport.h"
#include "Accessibility.h"
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

    void SetUp() override
    {
        glos.msNaSlowo = 25;
        okno = test::NoweOkno(komunikaty, test::KatalogInstalacji(), &glos);
        okno->Kontroler().losowanie().UstawZiarno(77);
        edit = okno->findChild<QLineEdit*>("EditWynik");
    }

    // A key as the window system delivers it, stamped with `czas` (Qt's
    // accessibility bridge re-posts keys stamped 0; X's clock wraps).
    void klawisz(char c, std::uint64_t czas = 0)
    {
        const Qt::Key k = c == '\r' ? Qt::Key_Return : static_cast<Qt::Key>(Qt::Key_0 + (c - '0'));
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, QString(QChar(c)));
        e.setTimestamp(czas);
        QApplication::sendEvent(edit, &e);
    }
    void klawisze(const std::string& tekst, std::uint64_t czas = 0)
    {
        for (char c : tekst) klawisz(c, czas);
    }
    int wynik()
    {
        auto& k = okno->Kontroler();
        return WynikPoprawny(k.ustawienia().Dzialanie, k.stan().Liczba1, k.stan().Liczba2);
    }
    // Runs the event loop until the drill goes on after the reading.
    bool poCzytaniu()
    {
        for (int i = 0; i < 500 && okno->Kontroler().Czyta(); ++i) QTest::qWait(5);
        QCoreApplication::processEvents();
        return !okno->Kontroler().Czyta();
    }
    // Judges a wrong answer on the current question: the reading begins.
    void zlaOdpowiedz(std::uint64_t czas = 0)
    {
        auto& k = okno->Kontroler();
        k.TimerTimer();
        klawisze(std::to_string(wynik() + 1) + "\r", czas);
        k.TimerTimer();
    }
};

} // namespace

TEST_F(OknoZLektorem, WrongAnswerIsReadWithTheCorrectResultAndARightOneIsNot)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    k.TimerTimer();
    klawisze(std::to_string(wynik()) + "\r");
    k.TimerTimer();
    EXPECT_TRUE(glos.Nazwy().empty());

    const int l1 = k.stan().Liczba1, l2 = k.stan().Liczba2;
    auto* oglaszacz = okno->findChild<Oglaszacz*>();
    QCoreApplication::processEvents();
    const QString przed = oglaszacz->Ostatnie();
    zlaOdpowiedz();
    // The screen reader hears of the mistake after the narrator, with the
    // next question.
    QTest::qWait(50);
    ASSERT_TRUE(k.Czyta());
    EXPECT_EQ(oglaszacz->Ostatnie(), przed);
    ASSERT_TRUE(poCzytaniu());
    EXPECT_EQ(oglaszacz->Ostatnie(), QString::fromUtf8("Źle. Wynik: %1. ").arg(l1 * l2) +
                                         TekstPytania(k.stan().Liczba1, k.ustawienia().Dzialanie, k.stan().Liczba2));
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

TEST_F(OknoZLektorem, KeysDuringTheReadingAreRefusedAndEveryKeyAfterItCountsWhateverItsTimestamp)
{
    auto& k = okno->Kontroler();
    glos.msNaSlowo = 40;
    k.ButtonStartStopClick();
    // The pointer crosses the window: events stamped with the window
    // system's clock, as on a desktop.
    for (std::uint64_t t : {900000u, 900016u}) {
        QMouseEvent ruch(QEvent::MouseMove, QPointF(100, 100), QPointF(100, 100), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        ruch.setTimestamp(t);
        QApplication::sendEvent(okno.get(), &ruch);
    }
    zlaOdpowiedz(900020);
    const std::string wpisane = edit->text().toStdString();
    const QString poprawny = QString::number(wynik());
    ASSERT_TRUE(k.Czyta());
    // During the reading: digits, Backspace and the editing keys all leave
    // the field and the correct result on screen alone.
    klawisze("42", 900100);
    for (Qt::Key klucz : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Home}) QTest::keyClick(edit, klucz);
    EXPECT_EQ(edit->text().toStdString(), wpisane);
    EXPECT_EQ(okno->findChild<QWidget*>("ImgWynik")->accessibleName(), poprawny);
    ASSERT_TRUE(poCzytaniu());
    EXPECT_EQ(k.stan().NrPytania, 2);
    EXPECT_EQ(edit->text(), "");
    // After it: keys re-posted by the accessibility bridge (stamped 0), then
    // keys from a clock that has just wrapped, all count.
    k.TimerTimer();
    klawisze(std::to_string(wynik()) + "\r", 0);
    k.TimerTimer();
    k.TimerTimer();
    klawisz(std::to_string(wynik())[0], 4294967290u);
    klawisze(std::to_string(wynik()).substr(1) + "\r", 3);
    k.TimerTimer();
    EXPECT_EQ(k.stan().Dobrze, 2);
    EXPECT_EQ(k.stan().Zle, 1);

    // The practice's correction, without the narrator: the editing keys
    // leave the correct result alone too.
    k.ButtonStartStopClick();
    Ustawienia u = k.ustawienia();
    u.Lektor = false;
    u.Tryb = Losowanie::TrudneFakty;
    k.ZmienUstawienia(u);
    k.ButtonStartStopClick();
    zlaOdpowiedz();
    ASSERT_TRUE(k.PokazujePoprawke());
    for (Qt::Key klucz : {Qt::Key_Home, Qt::Key_Delete, Qt::Key_End, Qt::Key_Backspace}) QTest::keyClick(edit, klucz);
    EXPECT_EQ(okno->findChild<QWidget*>("ImgWynik")->accessibleName(), QString::number(wynik()));
}

TEST_F(OknoZLektorem, TheWindowLivesDuringTheReadingAndClicksAndEscapeWaitForTheLastWord)
{
    auto& k = okno->Kontroler();
    glos.msNaSlowo = 60;
    k.ButtonStartStopClick();
    auto* startStop = okno->findChild<QWidget*>("ButStartStop");
    // Escape during the reading is a click on STOP: it stops the drill after
    // the last word, once the next question is on screen.
    zlaOdpowiedz();
    ASSERT_TRUE(k.Czyta());
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::qWait(30);
    EXPECT_EQ(k.stan().StanStartStop, "stop");
    EXPECT_EQ(k.stan().NrPytania, 1);
    ASSERT_TRUE(poCzytaniu());
    EXPECT_EQ(k.stan().NrPytania, 2);
    EXPECT_EQ(k.stan().StanStartStop, "start");

    // A double click on START/STOP during the reading: stopped, then started
    // again, after the last word.
    k.ButtonStartStopClick();
    zlaOdpowiedz();
    ASSERT_TRUE(k.Czyta());
    // As the window system sends it: press, release, double click, release.
    QTest::mouseClick(startStop, Qt::LeftButton);
    QTest::mouseDClick(startStop, Qt::LeftButton);
    QTest::mouseRelease(startStop, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(k.stan().StanStartStop, "stop");
    EXPECT_EQ(k.stan().Zle, 1);
    ASSERT_TRUE(poCzytaniu());
    EXPECT_EQ(k.stan().StanStartStop, "stop");
    EXPECT_EQ(k.stan().NrPytania, 1);
    EXPECT_EQ(k.stan().Zle, 0);

    // "Zamknij" is disabled during the drill; clicked during the reading of
    // its last question, it closes the window once the grade is shown.
    k.ButtonStartStopClick();
    k.ButtonStartStopClick();
    glos.msNaSlowo = 0; // nine questions read in no time
    for (int t = 0; t < 9 * 67; ++t) k.TimerTimer();
    ASSERT_EQ(k.stan().NrPytania, 10);
    glos.msNaSlowo = 60;
    okno->show();
    zlaOdpowiedz();
    ASSERT_TRUE(k.Czyta());
    QTest::mouseClick(okno->findChild<QWidget*>("ButZamknij"), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(okno->isVisible());
    ASSERT_TRUE(poCzytaniu());
    QCoreApplication::processEvents();
    EXPECT_EQ(k.stan().Ocena, 1);
    EXPECT_FALSE(okno->isVisible());
}

TEST_F(OknoZLektorem, ClosingTheWindowEndsTheReadingAtOnceAndALateEndFindsNoWindow)
{
    auto& k = okno->Kontroler();
    glos.msNaSlowo = 1000;
    k.ButtonStartStopClick();
    zlaOdpowiedz();
    ASSERT_TRUE(k.Czyta());
    okno->close();
    EXPECT_TRUE(glos.przerwany);

    // A window destroyed during a reading: the player's report of the last
    // word comes later and finds no window.
    test::ZapisujacyOdtwarzacz drugiGlos;
    drugiGlos.msNaSlowo = 10;
    auto drugie = test::NoweOkno(komunikaty, test::KatalogInstalacji(), &drugiGlos);
    auto& k2 = drugie->Kontroler();
    k2.ButtonStartStopClick();
    k2.TimerTimer();
    k2.TimerTimer();
    for (int t = 0; t < 66 && !k2.Czyta(); ++t) k2.TimerTimer();
    ASSERT_TRUE(k2.Czyta());
    drugie.reset();
    QTest::qWait(200);
    EXPECT_FALSE(drugiGlos.przerwany);
}
