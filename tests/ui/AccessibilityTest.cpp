// What a screen reader is told, through Qt's accessibility interface.
#include "Accessibility.h"
#include "DialogSupport.h"
#include "TestSupport.h"
#include "UnitMain.h"
#include "UnitOpcje.h"
#include "UnitOprogramie.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace zm;

namespace {

QString nazwa(QWidget* w)
{
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

QString nazwa(QWidget* okno, const char* dziecko) { return nazwa(okno->findChild<QWidget*>(dziecko)); }

} // namespace

TEST(Accessibility, EveryControlHasAPolishName)
{
    test::ZapisaneKomunikaty k;
    auto w = test::NoweOkno(k);
    TFrmMain& okno = *w;
    okno.Kontroler().ButtonStartStopClick(); // the pictures have something to say
    TFrmOpcje opcje;
    TFrmOprogramie about;
    for (QWidget* w : std::initializer_list<QWidget*>{&okno, &opcje, &about}) {
        EXPECT_FALSE(nazwa(w).isEmpty()) << w->objectName().toStdString();
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (c->objectName().isEmpty() || c->objectName().startsWith("qt_")) continue; // Qt's own parts
            EXPECT_FALSE(nazwa(c).isEmpty()) << c->objectName().toStdString();
        }
    }
    EXPECT_EQ(nazwa(&okno, "But_Close"), "Zamknij program");
    EXPECT_EQ(nazwa(&okno, "ButStartStop"), "Stop");
    EXPECT_EQ(nazwa(&okno, "LabelPytanieNr"), "Numer pytania: 1 z 10");
    EXPECT_EQ(nazwa(&opcje, "RadioDzialanieMnozenie"), QString::fromUtf8("Mnożenie"));
}

TEST(Accessibility, QuestionAndAnswerPicturesSpeakTheirText)
{
    test::ZapisaneKomunikaty k;
    auto w = test::NoweOkno(k);
    TFrmMain& okno = *w;
    okno.RysujPytanie(7, DzialanieMnozenie, 8);
    EXPECT_EQ(nazwa(&okno, "ImgPytanie"), QString::fromUtf8("7 razy 8 równa się"));
    okno.RysujPytanie(56, DzialanieDzielenie, 7);
    EXPECT_EQ(nazwa(&okno, "ImgPytanie"), QString::fromUtf8("56 podzielone na 7 równa się"));
    okno.RysujPytanie(34, DzialanieDodawanie, 25);
    EXPECT_EQ(nazwa(&okno, "ImgPytanie"), QString::fromUtf8("34 dodać 25 równa się"));
    okno.RysujPytanie(30, DzialanieOdejmowanie, 17);
    EXPECT_EQ(nazwa(&okno, "ImgPytanie"), QString::fromUtf8("30 odjąć 17 równa się"));
    // The typed answer, as it is typed.
    okno.Kontroler().ButtonStartStopClick();
    okno.Kontroler().TimerTimer();
    auto* edit = okno.findChild<QLineEdit*>("EditWynik");
    QTest::keyClicks(edit, "56");
    EXPECT_EQ(nazwa(&okno, "ImgWynik"), "56");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(nazwa(&okno, "ImgWynik"), "5");
    okno.WyczyscObrazy();
    EXPECT_TRUE(nazwa(&okno, "ImgWynik").isEmpty());
}

TEST(Accessibility, PictureButtonsPressLikeButtonsAndTheShadowIsLeftOut)
{
    test::ZapisaneKomunikaty k;
    auto w = test::NoweOkno(k);
    TFrmMain& okno = *w;
    for (const char* n : {"ButStartStop", "But_Close", "But_Minimize"}) {
        QAccessibleInterface* i = QAccessible::queryAccessibleInterface(okno.findChild<QWidget*>(n));
        ASSERT_NE(i, nullptr);
        EXPECT_EQ(i->role(), QAccessible::Button) << n;
        ASSERT_NE(i->actionInterface(), nullptr) << n;
        EXPECT_EQ(i->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()}) << n;
    }
    const auto nacisnij = [&] {
        QAccessible::queryAccessibleInterface(okno.findChild<QWidget*>("ButStartStop"))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();
    };
    // Not through a dialog open over the window, of its own or drawn inside.
    const bool wOknie = DialogiWOknieGlownym();
    for (bool w : {false, true}) {
        UstawDialogiWOknieGlownym(w);
        QDialog dialog(&okno);
        PrzygotujDialog(dialog, "Ustawienia", QSize(100, 100));
        dialog.open();
        nacisnij();
        EXPECT_FALSE(okno.Kontroler().trwa()) << "pressed through a dialog " << (w ? "inside the window" : "of its own");
    }
    UstawDialogiWOknieGlownym(wOknie);
    nacisnij();
    EXPECT_TRUE(okno.Kontroler().trwa()) << "the press action did not start the drill";

    QAccessibleInterface* oknoI = QAccessible::queryAccessibleInterface(&okno);
    QStringList dzieci;
    for (int i = 0; i < oknoI->childCount(); ++i) dzieci << oknoI->child(i)->object()->objectName();
    EXPECT_TRUE(dzieci.contains("LabelPytanieNr"));
    EXPECT_FALSE(dzieci.contains("LabelPytanieNrCien"));
    EXPECT_EQ(oknoI->indexOfChild(QAccessible::queryAccessibleInterface(okno.findChild<QWidget*>("LabelPytanieNr"))),
              dzieci.indexOf("LabelPytanieNr"));

    // The focused field lies over the answer picture and asks for digits.
    auto* edit = okno.findChild<QLineEdit*>("EditWynik");
    EXPECT_EQ(edit->geometry(), okno.findChild<QWidget*>("ImgWynik")->geometry());
    EXPECT_EQ(edit->inputMethodHints(), Qt::ImhDigitsOnly);
}

TEST(Accessibility, TheKeyboardStartsAndStopsAndEveryStepIsAnnounced)
{
    test::ZapisaneKomunikaty k;
    auto w = test::NoweOkno(k);
    TFrmMain& okno = *w;
    auto& ctl = okno.Kontroler();
    auto* edit = okno.findChild<QLineEdit*>("EditWynik");
    auto* oglaszacz = okno.findChild<Oglaszacz*>();
    ASSERT_NE(oglaszacz, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(oglaszacz)->role(), QAccessible::Notification);
    auto ogloszenie = [&] {
        QCoreApplication::processEvents();
        return oglaszacz->Ostatnie();
    };
    auto pytanie = [&] { return QAccessible::queryAccessibleInterface(okno.findChild<QWidget*>("ImgPytanie"))->text(QAccessible::Name); };

    QTest::keyClick(edit, Qt::Key_Space);
    ASSERT_TRUE(ctl.trwa());
    EXPECT_EQ(ogloszenie(), "Start. " + pytanie());
    QTest::keyClick(edit, Qt::Key_Space); // not a digit: no effect during a drill
    EXPECT_TRUE(ctl.trwa());
    ctl.TimerTimer();
    QTest::keyClicks(edit, QString::number(WynikPoprawny(ctl.ustawienia().Dzialanie, ctl.stan().Liczba1, ctl.stan().Liczba2)));
    QTest::keyClick(edit, Qt::Key_Return);
    ctl.TimerTimer();
    EXPECT_EQ(ogloszenie(), QString::fromUtf8("Dobrze. ") + pytanie());
    const int poprawny = WynikPoprawny(ctl.ustawienia().Dzialanie, ctl.stan().Liczba1, ctl.stan().Liczba2);
    for (int t = 0; t < 67; ++t) ctl.TimerTimer(); // time out
    EXPECT_EQ(ogloszenie(), QString::fromUtf8("Źle. Wynik: %1. ").arg(poprawny) + pytanie());
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(ctl.trwa());
    EXPECT_EQ(ogloszenie(), "Stop.");
    QTest::keyClick(edit, Qt::Key_F2);
    EXPECT_TRUE(ctl.trwa());
    EXPECT_EQ(ogloszenie(), "Start. " + pytanie());
    int ostatni = 0;
    while (ctl.trwa()) {
        ostatni = WynikPoprawny(ctl.ustawienia().Dzialanie, ctl.stan().Liczba1, ctl.stan().Liczba2);
        for (int t = 0; t < 67; ++t) ctl.TimerTimer();
        ogloszenie();
    }
    EXPECT_EQ(oglaszacz->Ostatnie(),
              QString::fromUtf8("Źle. Wynik: %1. Koniec. Ocena: 1. Dobre odpowiedzi: 0, złe: 10.").arg(ostatni));
    // The grade obtained is named as such, not only drawn larger.
    EXPECT_EQ(nazwa(&okno, "LabelOcena1"), "Otrzymana ocena: 1");
    EXPECT_EQ(nazwa(&okno, "LabelOcena2"), "Ocena 2");
}

TEST(Accessibility, TabReachesTheButtonsBetweenDrillsAndNeverLeavesTheAnswerDuringOne)
{
    test::ZapisaneKomunikaty k;
    auto w = test::NoweOkno(k);
    TFrmMain& okno = *w;
    okno.show();
    QApplication::setActiveWindow(&okno);
    auto* edit = okno.findChild<QLineEdit*>("EditWynik");
    auto kolejno = [&](Qt::Key klawisz) {
        QStringList nazwy;
        for (int i = 0; i < 6; ++i) {
            QTest::keyClick(QApplication::focusWidget(), klawisz);
            nazwy << QApplication::focusWidget()->objectName();
        }
        return nazwy;
    };
    edit->setFocus();
    EXPECT_EQ(kolejno(Qt::Key_Tab),
              (QStringList{"ButZamknij", "ButUstawienia", "ButAbout", "ButWyniki", "ButDziecko", "EditWynik"}));
    EXPECT_EQ(kolejno(Qt::Key_Backtab),
              (QStringList{"ButDziecko", "ButWyniki", "ButAbout", "ButUstawienia", "ButZamknij", "EditWynik"}));
    EXPECT_FALSE(okno.Kontroler().trwa());
    // Digits and Enter still go to the answer; during a drill Tab stays there.
    QTest::keyClick(edit, Qt::Key_Space);
    ASSERT_TRUE(okno.Kontroler().trwa());
    okno.Kontroler().TimerTimer();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClicks(edit, "12");
    EXPECT_EQ(edit->text(), "12");
}
