// What a screen reader is told, through Qt's accessibility interface.
#include "TestSupport.h"
#include "UnitMain.h"
#include "UnitOpcje.h"
#include "UnitOprogramie.h"

#include <QAccessible>
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
    Ustawienia u;
    TFrmOpcje opcje(u);
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
