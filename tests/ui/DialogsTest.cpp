#include "ChildPicker.h"
#include "ClassRosterPicker.h"
#include "Children.h"
#include "DialogSupport.h"
#include "Fonts.h"
#include "TestSupport.h"
#include "UnitMain.h"
#include "UnitOpcje.h"
#include "UnitOprogramie.h"
#include "Widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace zm;

namespace {

class Dialogi : public ::testing::Test {
protected:
    test::ZapisaneKomunikaty komunikaty;
    std::unique_ptr<TFrmMain> okno;
    std::unique_ptr<TFrmOpcje> opcje;
    std::unique_ptr<TFrmOprogramie> about;

    void SetUp() override
    {
        okno = test::NoweOkno(komunikaty);
        opcje = std::make_unique<TFrmOpcje>();
        about = std::make_unique<TFrmOprogramie>();
        okno->UstawDialogi(opcje.get(), about.get());
    }

    template <class T = QWidget>
    T* c(QWidget* w, const char* nazwa)
    {
        auto* x = w->findChild<T*>(QString::fromLatin1(nazwa));
        EXPECT_NE(x, nullptr) << nazwa;
        return x;
    }
    QRadioButton* r(const char* nazwa) { return c<QRadioButton>(opcje.get(), nazwa); }
    QCheckBox* lektor() { return c<QCheckBox>(opcje.get(), "CheckBoxLektor"); }
    Ustawienia& u() { return okno->Kontroler().ustawienia(); }

    // Clicks "Ustawienia" and, with the dialog up, runs `wDialogu`.
    void ustawienia(const std::function<void()>& wDialogu)
    {
        bool bylo = false;
        QTimer::singleShot(0, [&] {
            bylo = opcje->isVisible();
            wDialogu();
            if (opcje->isVisible()) opcje->close();
        });
        emit c<QAbstractButton>(okno.get(), "ButUstawienia")->clicked();
        EXPECT_TRUE(bylo) << "the dialog was not shown";
    }
    void ok() { QTest::mouseClick(c<QPushButton>(opcje.get(), "ButtonOK"), Qt::LeftButton); }
};

} // namespace

TEST_F(Dialogi, SettingsLayoutFollowsTheDesign)
{
    EXPECT_EQ(opcje->windowTitle(), "Ustawienia programu");
    EXPECT_EQ(opcje->size(), QSize(553, 313));
    EXPECT_EQ(opcje->minimumSize(), opcje->maximumSize());
    EXPECT_FALSE(opcje->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(opcje->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(opcje->windowFlags() & Qt::WindowCloseButtonHint);
    struct K {
        const char* nazwa;
        const char* rodzic;
        QRect g;
        const char* tekst;
    };
    const K tabela[] = {
        {"GroupBox4", "FrmOpcje", {8, 8, 177, 129}, " Działanie "},
        {"RadioDzialanieMnozenie", "GroupBox4", {16, 24, 113, 17}, "Mnożenie"},
        {"RadioDzialanieDzielenie", "GroupBox4", {16, 48, 113, 17}, "Dzielenie"},
        {"RadioDzialanieDodawanie", "GroupBox4", {16, 72, 113, 17}, "Dodawanie"},
        {"RadioDzialanieOdejmowanie", "GroupBox4", {16, 96, 113, 17}, "Odejmowanie"},
        {"GroupBox1", "FrmOpcje", {192, 8, 169, 129}, " Ilość pytań "},
        {"RadioIloscPytan1", "GroupBox1", {16, 24, 113, 17}, "10"},
        {"RadioIloscPytan2", "GroupBox1", {16, 48, 113, 17}, "30"},
        {"RadioIloscPytan3", "GroupBox1", {16, 72, 113, 17}, "70"},
        {"RadioIloscPytan4", "GroupBox1", {16, 96, 113, 17}, "100"},
        {"GroupBox2", "FrmOpcje", {8, 144, 177, 105}, " Tempo zadawania pytań "},
        {"RadioPredkoscWolno", "GroupBox2", {16, 24, 113, 17}, "Wolne"},
        {"RadioPredkoscSrednio", "GroupBox2", {16, 48, 113, 17}, "Średnie"},
        {"RadioPredkoscSzybko", "GroupBox2", {16, 72, 113, 17}, "Szybkie"},
        {"GroupBox3", "FrmOpcje", {192, 144, 169, 105}, " Dźwięk "},
        {"CheckBoxLektor", "GroupBox3", {16, 24, 97, 17}, "Lektor"},
        {"GroupBox5", "FrmOpcje", {368, 8, 177, 129}, " Pytania "},
        {"RadioLosowanieLosowe", "GroupBox5", {16, 24, 153, 17}, "Losowe"},
        {"RadioLosowanieTrudne", "GroupBox5", {16, 48, 153, 17}, "Trudne dla dziecka"},
        {"GroupBox6", "FrmOpcje", {368, 144, 177, 105}, " Tabliczki "},
        {"CheckBoxTabliczka3", "GroupBox6", {16, 24, 36, 17}, "3"},
        {"CheckBoxTabliczka6", "GroupBox6", {136, 24, 36, 17}, "6"},
        {"CheckBoxTabliczka7", "GroupBox6", {16, 48, 36, 17}, "7"},
        {"CheckBoxTabliczka9", "GroupBox6", {96, 48, 36, 17}, "9"},
        {"Panel1", "FrmOpcje", {0, 256, 553, 57}, nullptr},
        {"ButtonOK", "Panel1", {239, 16, 75, 25}, "OK"},
    };
    for (const K& k : tabela) {
        QWidget* w = c(opcje.get(), k.nazwa);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), k.g) << k.nazwa;
        EXPECT_EQ(w->parentWidget()->objectName(), k.rodzic) << k.nazwa;
        if (!k.tekst) continue;
        const QString oczekiwany = QString::fromUtf8(k.tekst);
        if (auto* g = qobject_cast<QGroupBox*>(w))
            EXPECT_EQ(g->title(), oczekiwany) << k.nazwa;
        else
            EXPECT_EQ(qobject_cast<QAbstractButton*>(w)->text(), oczekiwany) << k.nazwa;
    }
    auto* okBtn = c<QPushButton>(opcje.get(), "ButtonOK");
    EXPECT_FALSE(okBtn->isDefault());
    EXPECT_FALSE(okBtn->autoDefault());
    // Tab runs through the groups in order, entering each at its checked
    // button; Return on the focused OK clicks it (as on every desktop),
    // though it is no default button.
    auto nastepny = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    ustawienia([&] {
        EXPECT_EQ(nastepny(r("RadioDzialanieMnozenie")), r("RadioIloscPytan1"));
        EXPECT_EQ(nastepny(r("RadioIloscPytan1")), r("RadioPredkoscSrednio"));
        EXPECT_EQ(nastepny(r("RadioPredkoscSrednio")), lektor());
        EXPECT_EQ(nastepny(lektor()), r("RadioLosowanieLosowe"));
        EXPECT_EQ(nastepny(r("RadioLosowanieLosowe")), c(opcje.get(), "CheckBoxTabliczka3"));
        EXPECT_EQ(nastepny(c(opcje.get(), "CheckBoxTabliczka9")), okBtn);
        r("RadioDzialanieDodawanie")->setChecked(true);
        EXPECT_TRUE(r("RadioDzialanieDodawanie")->focusPolicy() & Qt::TabFocus);
        EXPECT_FALSE(r("RadioDzialanieMnozenie")->focusPolicy() & Qt::TabFocus);
        okBtn->setFocus();
        QTest::keyClick(okBtn, Qt::Key_Return);
        QTest::qWait(200); // the click is animated
    });
    EXPECT_EQ(u().Dzialanie, DzialanieDodawanie);
}

TEST_F(Dialogi, FirstOpeningShowsTheDefaultsAndEveryMappingWorksBothWays)
{
    ustawienia([&] {
        EXPECT_TRUE(r("RadioDzialanieMnozenie")->isChecked());
        EXPECT_TRUE(r("RadioIloscPytan1")->isChecked());
        EXPECT_TRUE(r("RadioPredkoscSrednio")->isChecked());
        EXPECT_TRUE(lektor()->isChecked());
    });
    const std::vector<std::pair<const char*, int>> dzialania{
        {"RadioDzialanieMnozenie", 0}, {"RadioDzialanieDzielenie", 1}, {"RadioDzialanieDodawanie", 2}, {"RadioDzialanieOdejmowanie", 3}};
    const std::vector<std::pair<const char*, int>> ilosci{
        {"RadioIloscPytan1", 10}, {"RadioIloscPytan2", 30}, {"RadioIloscPytan3", 70}, {"RadioIloscPytan4", 100}};
    const std::vector<std::pair<const char*, int>> tempa{
        {"RadioPredkoscWolno", 170}, {"RadioPredkoscSrednio", 60}, {"RadioPredkoscSzybko", 20}};
    for (std::size_t i = 0; i < 4; ++i) {
        // Controls to settings.
        ustawienia([&] {
            r(dzialania[i].first)->setChecked(true);
            r(ilosci[i].first)->setChecked(true);
            r(tempa[i % 3].first)->setChecked(true);
            lektor()->setChecked(i % 2 == 1);
            ok();
        });
        EXPECT_EQ(u().Dzialanie, dzialania[i].second);
        EXPECT_EQ(u().IloscPytan, ilosci[i].second);
        EXPECT_EQ(u().Predkosc, tempa[i % 3].second);
        EXPECT_EQ(u().Lektor, i % 2 == 1);
        // Settings to controls, after the controls were disturbed.
        r(dzialania[(i + 1) % 4].first)->setChecked(true);
        r(ilosci[(i + 1) % 4].first)->setChecked(true);
        lektor()->setChecked(i % 2 == 0);
        ustawienia([&] {
            EXPECT_TRUE(r(dzialania[i].first)->isChecked());
            EXPECT_TRUE(r(ilosci[i].first)->isChecked());
            EXPECT_TRUE(r(tempa[i % 3].first)->isChecked());
            EXPECT_EQ(lektor()->isChecked(), i % 2 == 1);
        });
    }
}

TEST_F(Dialogi, OkWithoutChangesKeepsTheSettingsAndResetsTheIdleDisplay)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    while (k.trwa()) k.TimerTimer(); // ten questions time out
    ASSERT_EQ(k.stan().Ocena, 1);
    const Ustawienia przed = u();
    ustawienia([&] { ok(); });
    EXPECT_EQ(u().Dzialanie, przed.Dzialanie);
    EXPECT_EQ(u().IloscPytan, przed.IloscPytan);
    EXPECT_EQ(u().Predkosc, przed.Predkosc);
    EXPECT_EQ(c<QLabel>(okno.get(), "LabelDobrze")->text(), "0");
    EXPECT_EQ(c<QLabel>(okno.get(), "LabelPytanieNr")->text(), "10");
    EXPECT_TRUE(c<QLabel>(okno.get(), "LabelOcena1")->isHidden());
}

TEST_F(Dialogi, ClosingAnotherWayAppliesNothingButStillResetsTheDisplay)
{
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    for (int t = 0; t < 67 * 10; ++t) k.TimerTimer();
    ASSERT_EQ(k.stan().Ocena, 1);
    ASSERT_FALSE(c<QLabel>(okno.get(), "LabelOcena1")->isHidden());
    ASSERT_EQ(c<QLabel>(okno.get(), "LabelZle")->text(), "10");
    ustawienia([&] {
        r("RadioIloscPytan4")->setChecked(true);
        r("RadioDzialanieDodawanie")->setChecked(true);
        QTest::keyClick(opcje.get(), Qt::Key_Escape); // as the close box
    });
    EXPECT_EQ(u().IloscPytan, 10);
    EXPECT_EQ(u().Dzialanie, 0);
    EXPECT_TRUE(c<QLabel>(okno.get(), "LabelOcena1")->isHidden());
    EXPECT_EQ(c<QLabel>(okno.get(), "LabelZle")->text(), "0");
    EXPECT_EQ(c<QLabel>(okno.get(), "LabelPytanieNr")->text(), "10");
    EXPECT_EQ(c<QLabel>(okno.get(), "Label_NrPytaniaOcena")->text(), "numer pytania");
    // The unapplied choice stays in the control until the next showing.
    EXPECT_TRUE(r("RadioIloscPytan4")->isChecked());
}

TEST_F(Dialogi, HundredQuestionsShowBeforeTheNextStartAndTheDrillHasThem)
{
    ustawienia([&] {
        r("RadioIloscPytan4")->setChecked(true);
        ok();
    });
    EXPECT_EQ(c<QLabel>(okno.get(), "LabelPytanieNr")->text(), "100");
    auto& k = okno->Kontroler();
    k.ButtonStartStopClick();
    EXPECT_EQ(c<QLabel>(okno.get(), "LabelPytanieNr")->text(), "1 z 100");
    int pytania = 1;
    while (k.trwa()) {
        const int przed = k.stan().NrPytania;
        k.TimerTimer();
        if (k.stan().NrPytania != przed) ++pytania;
    }
    EXPECT_EQ(k.stan().Dobrze + k.stan().Zle, 100);
    EXPECT_EQ(pytania, 100);
}

TEST_F(Dialogi, SettingsButtonIsDisabledDuringADrill)
{
    okno->Kontroler().ButtonStartStopClick();
    auto* b = c<QAbstractButton>(okno.get(), "ButUstawienia");
    EXPECT_FALSE(b->isEnabled());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_FALSE(opcje->isVisible());
}

TEST_F(Dialogi, AboutDialogShowsItsTextsAndClosesByEscOkAndCloseBox)
{
    EXPECT_EQ(about->windowTitle(), "O programie");
    EXPECT_EQ(about->size(), QSize(266, 221));
    const std::vector<std::tuple<const char*, QRect, QString>> tabela{
        {"Label1", {27, 24, 206, 16}, QString::fromUtf8("Quorvin - Zoltava mnożenia")},
        {"LabelWersja", {101, 48, 59, 13}, "wersja: 4.0"},
        {"Label4", {72, 88, 117, 13}, QString::fromUtf8("Autor: Zespół Quorvin")},
        {"Label2", {67, 104, 131, 13}, "Lektor: eSpeak NG"},
    };
    for (const auto& [nazwa, g, tekst] : tabela) {
        auto* l = c<QLabel>(about.get(), nazwa);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->geometry(), g) << nazwa;
        EXPECT_EQ(l->text(), tekst) << nazwa;
    }
    // What is drawn, not what is asked for: the title bold, 10 pt, red, in
    // full; the link's whole address, centred where the design puts it.
    auto atrament = [](QLabel* l, QRgb kolor) {
        const QImage img = l->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QRect r;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == kolor) r |= QRect(x, y, 1, 1);
        return r;
    };
    auto* l1 = c<QLabel>(about.get(), "Label1");
    const QRect tytul = atrament(l1, qRgb(255, 0, 0));
    const int zwykly = QFontMetrics(fonts::MsSansSerif(11)).horizontalAdvance(l1->text());
    EXPECT_GT(tytul.width(), zwykly * 5 / 4) << "not drawn bold and larger than the small face";
    EXPECT_GE(tytul.height(), 10);
    EXPECT_LT(tytul.right(), l1->width() - 1) << "title cut";
    auto* l6 = c<QLabel>(about.get(), "Label6");
    EXPECT_EQ(l6->text(), "www.quorvin.example");
    const QRect link = atrament(l6, qRgb(0, 0, 0));
    EXPECT_GE(link.width(), QFontMetrics(l6->font()).horizontalAdvance(l6->text()) - 2) << "link cut";
    EXPECT_LT(link.right(), l6->width());
    EXPECT_EQ(l6->geometry().center().x(), QRect(84, 136, 92, 13).center().x());
    EXPECT_TRUE(c<QLabel>(about.get(), "Label6")->font().underline());
    EXPECT_EQ(c<QLabel>(about.get(), "Label6")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(c<QPushButton>(about.get(), "FlatButton1")->geometry(), QRect(88, 168, 75, 25));

    const std::vector<std::function<void()>> zamkniecia{
        [&] { QTest::keyClick(about.get(), Qt::Key_Escape, Qt::ShiftModifier); },
        [&] { QTest::mouseClick(c<QPushButton>(about.get(), "FlatButton1"), Qt::LeftButton); },
        [&] { about->close(); }, // the title bar's close box
    };
    for (const auto& zamknij : zamkniecia) {
        bool widoczny = false;
        QTimer::singleShot(0, [&] {
            widoczny = about->isVisible();
            zamknij();
        });
        emit c<QAbstractButton>(okno.get(), "ButAbout")->clicked();
        EXPECT_TRUE(widoczny);
        EXPECT_FALSE(about->isVisible());
    }
}

namespace {
class Adresy : public QObject {
    Q_OBJECT
public:
    int ile = 0;
public slots:
    void otworz(const QUrl&) { ++ile; }
};
} // namespace

TEST_F(Dialogi, AboutLinkOpensTheAddressAndLeavesTheDialogOpen)
{
    Adresy a;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &a, "otworz");
    about->show();
    QTest::mouseClick(c<QLabel>(about.get(), "Label6"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(a.ile, 1);
    EXPECT_TRUE(about->isVisible());
    about->close();
}

#include "DialogsTest.moc"

TEST(FontFallback, WithoutTheBitmapFaceEveryCaptionFitsItsPlace)
{
    // As on a machine without fonts-wine.
    fonts::ZaladujZ(QStringLiteral("/nonexistent/ms_sans_serif.ttf"), true);
    test::ZapisaneKomunikaty komunikaty;
    {
        auto okno = test::NoweOkno(komunikaty);
        TFrmOpcje opcje;
        TFrmOprogramie about;
        int sprawdzone = 0;
        for (QWidget* w : std::initializer_list<QWidget*>{okno.get(), &opcje, &about}) {
            for (QLabel* l : w->findChildren<QLabel*>()) {
                if (l->text().isEmpty()) continue;
                EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(l->text()), l->width())
                    << l->objectName().toStdString() << ": " << l->text().toStdString();
                ++sprawdzone;
            }
            for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
                if (b->text().trimmed().isEmpty()) continue;
                // Push buttons: the caption with a little room; radio buttons
                // and check boxes: their mark too.
                const bool przycisk = qobject_cast<TFlatSpeedButton*>(b) || qobject_cast<QPushButton*>(b);
                const int potrzeba = przycisk ? QFontMetrics(b->font()).horizontalAdvance(b->text()) + 4
                                              : b->sizeHint().width();
                EXPECT_LE(potrzeba, b->width()) << b->objectName().toStdString();
                ++sprawdzone;
            }
        }
        EXPECT_GE(sprawdzone, 30);
    }
    fonts::ZaladujZ(QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf"), true);
}

namespace {

// The main window with its two dialogs as the program makes them (children
// of the main window), drawn inside it or as windows of their own.
class DialogiNadOknem : public ::testing::Test {
protected:
    test::ZapisaneKomunikaty komunikaty;
    std::unique_ptr<TFrmMain> okno;
    std::unique_ptr<TFrmOpcje> opcje;
    std::unique_ptr<TFrmOprogramie> about;

    void Utworz(bool wOknie)
    {
        UstawDialogiWOknieGlownym(wOknie);
        okno = test::NoweOkno(komunikaty);
        opcje = std::make_unique<TFrmOpcje>(okno.get());
        about = std::make_unique<TFrmOprogramie>(okno.get());
        okno->UstawDialogi(opcje.get(), about.get());
    }
    void TearDown() override
    {
        about.reset();
        opcje.reset();
        okno.reset();
        UstawDialogiWOknieGlownym(false);
    }
    // Clicks `przycisk` on the main window and runs `wDialogu` while the
    // dialog it opens is up (closing it if `wDialogu` did not).
    void Otworz(const char* przycisk, QDialog* dialog, const std::function<void()>& wDialogu)
    {
        bool bylo = false;
        QTimer::singleShot(0, [&] {
            bylo = dialog->isVisible();
            wDialogu();
            if (dialog->isVisible()) dialog->close();
        });
        emit okno->findChild<QAbstractButton*>(QString::fromLatin1(przycisk))->clicked();
        EXPECT_TRUE(bylo) << przycisk;
    }
    QWidget* pole() { return okno->findChild<QWidget*>(QStringLiteral("EditWynik")); }
};

} // namespace

TEST_F(DialogiNadOknem, OnWaylandADialogIsDrawnCentredInsideTheMainWindowAndHoldsItsInput)
{
    Utworz(true);
    okno->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(okno.get()));
    // "Zamknij" (which ends the program) lies outside the dialog.
    const QPoint zamknij = okno->findChild<QWidget*>(QStringLiteral("ButZamknij"))->geometry().center();
    Otworz("ButUstawienia", opcje.get(), [&] {
        EXPECT_FALSE(opcje->isWindow());
        // Its frame (a caption of 20 pixels, a border of 1) centred over the
        // 682 x 485 window; the client area as designed.
        EXPECT_EQ(opcje->mapTo(okno.get(), QPoint(0, 0)), QPoint(64, 96));
        EXPECT_EQ(opcje->size(), QSize(553, 313));
        EXPECT_EQ(okno->childAt(zamknij)->objectName(), "TarczaDialogu"); // it takes no click
        QWidget* w = QApplication::focusWidget();
        ASSERT_TRUE(w && opcje->isAncestorOf(w));
        EXPECT_EQ(w->objectName(), "RadioDzialanieMnozenie");
        QTest::keyClick(w, Qt::Key_F2);
        EXPECT_FALSE(okno->Kontroler().trwa());
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            ASSERT_TRUE(opcje->isAncestorOf(QApplication::focusWidget())) << i;
        }
        opcje->findChild<QRadioButton*>(QStringLiteral("RadioIloscPytan4"))->setChecked(true);
        QTest::mouseClick(okno->findChild<QAbstractButton*>(QStringLiteral("ZamknijDialog")), Qt::LeftButton);
    });
    EXPECT_FALSE(opcje->isVisible());
    EXPECT_EQ(okno->Kontroler().ustawienia().IloscPytan, 10); // the close box applies nothing
    EXPECT_EQ(QApplication::focusWidget(), pole());
    EXPECT_EQ(okno->childAt(zamknij)->objectName(), "ButZamknij");
    QTest::keyClick(pole(), Qt::Key_F2);
    EXPECT_TRUE(okno->Kontroler().trwa());
    okno->Kontroler().ButtonStartStopClick();

    Otworz("ButAbout", about.get(), [&] {
        EXPECT_EQ(about->mapTo(okno.get(), QPoint(0, 0)), QPoint(208, 142));
        EXPECT_EQ(QApplication::focusWidget()->objectName(), "FlatButton1");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(about->isVisible());
    });
}

TEST_F(DialogiNadOknem, AfterThePickerTheKeyboardIsBackWhereAnswersAreTyped)
{
    for (bool wOknie : {true, false}) {
        TearDown(); // the window of the turn before
        Utworz(wOknie);
        okno->show();
        QApplication::setActiveWindow(okno.get());
        pole()->setFocus();
        for (int i = 0; i < 5; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto* dziecko = okno->findChild<QAbstractButton*>(QStringLiteral("ButDziecko"));
        ASSERT_EQ(QApplication::focusWidget(), dziecko) << wOknie;
        bool bylo = false;
        QTimer::singleShot(0, [&] {
            auto* wybor = okno->findChild<QDialog*>(QStringLiteral("FrmDzieci"));
            bylo = wybor && wybor->isVisible();
            if (!bylo) return;
            // The picker's list has the keyboard (a window of its own is
            // given it by the window manager, which the tests lack);
            // Escape closes it.
            if (wOknie) {
                EXPECT_EQ(QApplication::focusWidget()->objectName(), "ListaDzieci");
            }
            if (wybor->isAncestorOf(QApplication::focusWidget()))
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            else
                wybor->reject();
        });
        QTest::keyClick(dziecko, Qt::Key_Space);
        EXPECT_TRUE(bylo) << wOknie;
        EXPECT_EQ(okno->focusWidget(), pole()) << wOknie;
        QTest::keyClick(okno->focusWidget(), Qt::Key_Space);
        EXPECT_TRUE(okno->Kontroler().trwa()) << wOknie;
        okno->Kontroler().ButtonStartStopClick();
    }
}

TEST(Wybor, TheFirstRunsChildIsNamedAndResultsGoOnlyWhenAskedTwice)
{
    ListaDzieci dzieci([](const ZmianaDziecka&) {});
    std::map<std::int64_t, std::int64_t> ile{{kPierwszeDziecko, 0}};
    TFrmDzieci wybor(dzieci, nullptr, [&](std::int64_t d, std::function<void(std::int64_t)> odpowiedz) { odpowiedz(ile[d]); });
    auto imiona = [&] {
        QStringList l;
        for (const Dziecko& d : dzieci.Lista()) l << d.imie;
        return l;
    };
    auto w = [&](const char* nazwa) { return wybor.findChild<QWidget*>(QString::fromLatin1(nazwa)); };
    auto wpisz = [&](const QString& imie) {
        auto* pole = static_cast<QLineEdit*>(w("EditImie"));
        pole->setText(imie);
        QTest::keyClick(pole, Qt::Key_Return);
    };
    auto wDialogu = [&](const std::function<void()>& co) {
        QTimer::singleShot(0, [&] {
            co();
            wybor.reject();
        });
        wybor.Wybierz();
    };
    // The default child without drills: the first name typed is its name.
    wDialogu([&] { wpisz("Ania"); });
    EXPECT_EQ(imiona(), QStringList{"Ania"});
    // A child with drills stays; the name typed is a second child.
    ile[kPierwszeDziecko] = 37;
    wDialogu([&] { wpisz("Ola"); });
    EXPECT_EQ(imiona(), (QStringList{"Ania", "Ola"}));
    wDialogu([&] {
        static_cast<QListWidget*>(w("ListaDzieci"))->setCurrentRow(0);
        static_cast<QPushButton*>(w("ButUsun"))->click();
        auto* pytanie = static_cast<QLabel*>(w("LabelPytanie"));
        EXPECT_EQ(pytanie->text(), QString::fromUtf8("Usunąć „Ania” z listy? Czy usunąć też wyniki dziecka „Ania”?"));
        static_cast<QPushButton*>(w("ButUsunWyniki"))->click();
        EXPECT_EQ(imiona(), (QStringList{"Ania", "Ola"})) << "results removed at the first click";
        EXPECT_EQ(pytanie->text(),
                  QString::fromUtf8("Na pewno? Zniknie 37 ćwiczeń dziecka „Ania” i nie da się ich przywrócić."));
        static_cast<QPushButton*>(w("ButUsunWyniki"))->click();
        EXPECT_EQ(imiona(), QStringList{"Ola"});
    });
    // A long name: the question wraps within its place and names it for
    // any child.
    std::int64_t id = 0;
    ASSERT_EQ(dzieci.Dodaj(QString(60, QChar(u'ż')) + " " + QString(60, QChar(u'a')), id), QString());
    wDialogu([&] {
        static_cast<QListWidget*>(w("ListaDzieci"))->setCurrentRow(1);
        static_cast<QPushButton*>(w("ButUsun"))->click();
        auto* pytanie = static_cast<QLabel*>(w("LabelPytanie"));
        EXPECT_TRUE(pytanie->wordWrap());
        EXPECT_LE(pytanie->heightForWidth(pytanie->width()), pytanie->height());
        EXPECT_FALSE(pytanie->text().contains("jego"));
    });
}

TEST(ListaKlasy, AChildPicksTheirOwnNameAndTwoOfOneNameAreToldApartByTheTeachersNote)
{
    TFrmListaKlasy lista({{7, "Ania", "z 3a"}, {9, "Ania", "okulary"}, {4, "Ola", "nowa"}});
    auto* imiona = lista.findChild<QListWidget*>("ListaKlasy");
    QStringList teksty;
    for (int i = 0; i < imiona->count(); ++i) teksty << imiona->item(i)->text();
    EXPECT_EQ(teksty, (QStringList{"Ania (z 3a)", "Ania (okulary)", "Ola"}));
    // No typing: an arrow and Enter pick the second Ania, by her id.
    QTimer::singleShot(0, [&] {
        QTest::keyClick(imiona, Qt::Key_Down);
        QTest::keyClick(imiona, Qt::Key_Return);
    });
    lista.exec();
    ASSERT_TRUE(lista.Wybrane());
    EXPECT_EQ(lista.Wybrane()->id, 9);
    QTimer::singleShot(0, [&] { lista.reject(); });
    lista.exec();
    EXPECT_FALSE(lista.Wybrane());
}

TEST_F(DialogiNadOknem, OnX11ADialogIsAWindowCentredOverTheMainWindowAndKeptOnTheScreen)
{
    Utworz(false);
    const QRect ekran = QGuiApplication::primaryScreen()->availableGeometry();
    for (const QPoint& miejsce : {QPoint(40, 30), QPoint(ekran.right() - 300, ekran.bottom() - 200)}) {
        okno->move(miejsce);
        okno->show();
        Otworz("ButUstawienia", opcje.get(), [&] {
            EXPECT_TRUE(opcje->isWindow());
            QRect oczekiwany(QPoint(), QSize(553, 313));
            oczekiwany.moveCenter(okno->geometry().center());
            if (!ekran.contains(oczekiwany)) oczekiwany.moveBottomRight(ekran.bottomRight());
            EXPECT_EQ(opcje->geometry(), oczekiwany);
        });
    }
}

TEST(KursorPola, TheAnswerFieldDrawsNoCaret)
{
    test::ZapisaneKomunikaty komunikaty;
    auto okno = test::NoweOkno(komunikaty);
    okno->show();
    okno->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(okno.get()));
    auto* pole = okno->findChild<QWidget*>(QStringLiteral("EditWynik"));
    pole->clearFocus();
    const QImage bez = okno->grab(pole->geometry()).toImage();
    pole->setFocus(); // the caret shows at once when the field takes the focus
    ASSERT_TRUE(pole->hasFocus());
    EXPECT_EQ(okno->grab(pole->geometry()).toImage(), bez);
}

TEST(TlumaczeniaQt, StandardDialogsSpeakPolish)
{
    ASSERT_TRUE(ZaladujTlumaczeniaQt(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Anuluj");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), "Nazwa &pliku:");
    for (auto* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST_F(Dialogi, ThePracticeModeAndTheTablesMapBothWaysAndOneTableAlwaysStays)
{
    auto tabliczka = [&](int n) {
        return c<QCheckBox>(opcje.get(), QStringLiteral("CheckBoxTabliczka%1").arg(n).toLatin1().constData());
    };
    ustawienia([&] {
        EXPECT_TRUE(r("RadioLosowanieLosowe")->isChecked());
        for (int n = 3; n <= 9; ++n) EXPECT_TRUE(tabliczka(n)->isChecked()) << n;
        EXPECT_TRUE(c(opcje.get(), "GroupBox6")->isEnabled());
        // Addition and subtraction have no tables.
        r("RadioDzialanieOdejmowanie")->setChecked(true);
        EXPECT_FALSE(c(opcje.get(), "GroupBox6")->isEnabled());
        r("RadioDzialanieDzielenie")->setChecked(true);
        EXPECT_TRUE(c(opcje.get(), "GroupBox6")->isEnabled());
        r("RadioLosowanieTrudne")->setChecked(true);
        for (int n : {3, 4, 5, 6, 8, 9}) tabliczka(n)->setChecked(false);
        // The last one chosen cannot be left out.
        tabliczka(7)->setChecked(false);
        EXPECT_TRUE(tabliczka(7)->isChecked());
        ok();
    });
    EXPECT_EQ(u().Dzialanie, DzialanieDzielenie);
    EXPECT_EQ(u().Tryb, Losowanie::TrudneFakty);
    EXPECT_EQ(u().Tabliczki, 1u << 7);
    // Shown again as they are, after the controls were disturbed.
    tabliczka(3)->setChecked(true);
    r("RadioLosowanieLosowe")->setChecked(true);
    ustawienia([&] {
        EXPECT_TRUE(r("RadioLosowanieTrudne")->isChecked());
        for (int n = 3; n <= 9; ++n) EXPECT_EQ(tabliczka(n)->isChecked(), n == 7) << n;
        QTest::keyClick(opcje.get(), Qt::Key_Escape);
    });
}
