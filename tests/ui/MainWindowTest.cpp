#include "QRVButton.h"
#include "TestSupport.h"
#include "UnitMain.h"
#include "Widgets.h"
#include "WindowShape.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

using namespace zm;

namespace {

class Okno : public ::testing::Test {
protected:
    test::ZapisaneKomunikaty komunikaty;
    std::unique_ptr<TFrmMain> okno;

    void SetUp() override
    {
        okno = test::NoweOkno(komunikaty);
        okno->Kontroler().losowanie().UstawZiarno(2024);
        okno->Kontroler().ustawienia().Lektor = false;
    }

    template <class T = QWidget>
    T* w(const char* nazwa)
    {
        auto* x = okno->findChild<T*>(QString::fromLatin1(nazwa));
        EXPECT_NE(x, nullptr) << nazwa;
        return x;
    }
    QLabel* l(const char* nazwa) { return w<QLabel>(nazwa); }
    QLineEdit* edit() { return w<QLineEdit>("EditWynik"); }
    DrillController& k() { return okno->Kontroler(); }
    int wynik() { return WynikPoprawny(k().ustawienia().Dzialanie, k().stan().Liczba1, k().stan().Liczba2); }
    QImage obraz(const char* nazwa) { return w<TImage>(nazwa)->Picture(); }
    void klawisz(char c) { QTest::keyClick(edit(), c); }
    void klawisz(Qt::Key key) { QTest::keyClick(edit(), key); }
};

} // namespace

TEST_F(Okno, ComponentsHaveTheirGeometryAndStackingOrder)
{
    EXPECT_EQ(okno->size(), QSize(682, 485));
    EXPECT_TRUE(okno->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(okno->windowTitle(), QString::fromUtf8("Zoltava mnożenia"));
    const std::vector<std::pair<const char*, QRect>> uklad{
        {"ImgTlo", {0, 0, 682, 485}},          {"LabelZle", {554, 275, 114, 59}},
        {"ProgresTlo", {179, 226, 331, 15}},   {"ProgresPozycja", {180, 227, 331, 14}},
        {"LabelDobrze", {12, 275, 114, 59}},   {"LabelOcena5", {379, 293, 32, 40}},
        {"LabelOcena4", {346, 293, 32, 40}},   {"LabelOcena3", {313, 293, 32, 40}},
        {"LabelOcena6", {412, 293, 32, 40}},   {"LabelOcena2", {280, 293, 32, 40}},
        {"LabelOcena1", {247, 293, 32, 40}},   {"ImgPytanie", {12, 81, 408, 84}},
        {"EditWynik", {424, 81, 244, 84}},     // under the answer picture, which hides it
        {"ImgWynik", {424, 81, 244, 84}},      {"Label1", {6, 336, 127, 13}},
        {"Label2", {547, 336, 127, 13}},       {"LabelPytanieNrCien", {159, 293, 377, 42}},
        {"LabelPytanieNr", {158, 292, 377, 42}}, {"Label_NrPytaniaOcena", {282, 336, 127, 13}},
        {"But_Close", {661, 5, 17, 13}},       {"But_Minimize", {641, 5, 17, 13}},
        {"ButStartStop", {297, 358, 95, 34}},  {"Shape1", {192, 424, 297, 33}},
        {"ButZamknij", {7, 19, 74, 19}},       {"ButUstawienia", {81, 19, 74, 19}},
        {"ButAbout", {155, 19, 74, 19}},       {"ButWyniki", {229, 19, 74, 19}},
    };
    const QObjectList dzieci = okno->children();
    int poprzedni = -1;
    for (const auto& [nazwa, geometria] : uklad) {
        QWidget* x = w(nazwa);
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(x->geometry(), geometria) << nazwa;
        const int indeks = static_cast<int>(dzieci.indexOf(x));
        EXPECT_GT(indeks, poprzedni) << nazwa << " is painted under an earlier component";
        poprzedni = indeks;
    }
    EXPECT_NE(okno->findChild<QObject*>("ThemeManager1"), nullptr);
    EXPECT_EQ(w<QTimer>("Timer")->timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(w<QTimer>("Timer")->isActive());
    // The answer field takes the keyboard focus; the flat buttons are
    // reached by Tab only (a click leaves the focus in the field).
    for (QWidget* x : okno->findChildren<QWidget*>()) {
        const bool plaski = qobject_cast<TFlatSpeedButton*>(x) != nullptr;
        if (x == edit()) continue;
        EXPECT_EQ(x->focusPolicy(), plaski ? Qt::TabFocus : Qt::NoFocus) << x->objectName().toStdString();
    }
    EXPECT_EQ(edit()->maxLength(), 3);
    EXPECT_EQ(edit()->text(), "0");
}

TEST_F(Okno, FontsAndColoursOfTheLabels)
{
    auto kolor = [](QLabel* x) { return x->palette().color(QPalette::WindowText); };
    EXPECT_EQ(l("LabelZle")->font().pixelSize(), 48);
    // The counters are smooth: they do not take the bitmap face's rendering from the window.
    EXPECT_FALSE(l("LabelPytanieNr")->font().styleStrategy() & QFont::NoAntialias);
    EXPECT_NE(l("LabelPytanieNr")->font().hintingPreference(), QFont::PreferFullHinting);
    EXPECT_TRUE(l("LabelZle")->font().bold());
    EXPECT_EQ(kolor(l("LabelZle")), QColor(255, 0, 0));
    EXPECT_EQ(kolor(l("LabelDobrze")), QColor(0, 128, 0));
    EXPECT_EQ(l("LabelPytanieNr")->font().pixelSize(), 37);
    EXPECT_EQ(kolor(l("LabelPytanieNr")), QColor(158, 161, 169));
    EXPECT_EQ(kolor(l("LabelPytanieNrCien")), QColor(123, 126, 132));
    EXPECT_EQ(l("LabelOcena1")->palette().color(QPalette::Window), QColor(79, 136, 167));
    EXPECT_TRUE(l("LabelOcena1")->autoFillBackground());
    EXPECT_EQ(kolor(l("LabelOcena1")), QColor(Qt::white));
    EXPECT_EQ(l("Label1")->text(), "dobre odpowiedzi");
    EXPECT_EQ(l("Label2")->text(), QString::fromUtf8("złe odpowiedzi"));
    EXPECT_EQ(l("Label1")->font().family(), l("Label_NrPytaniaOcena")->font().family());
    for (const char* n : {"LabelZle", "LabelDobrze", "LabelPytanieNr", "Label1"})
        EXPECT_EQ(l(n)->alignment(), Qt::AlignHCenter | Qt::AlignTop) << n;
}

TEST_F(Okno, IdleRunningAndResultDisplays)
{
    // Idle, after creation.
    EXPECT_EQ(l("LabelPytanieNr")->text(), "10");
    EXPECT_EQ(l("LabelPytanieNrCien")->text(), "10");
    EXPECT_EQ(l("LabelDobrze")->text(), "0");
    EXPECT_EQ(l("LabelZle")->text(), "0");
    EXPECT_EQ(l("Label_NrPytaniaOcena")->text(), "numer pytania");
    for (int n = 1; n <= 6; ++n) EXPECT_TRUE(l(qPrintable(QString("LabelOcena%1").arg(n)))->isHidden());
    EXPECT_EQ(obraz("ButStartStop"), test::Grafika("but_START.bmp"));

    // Running.
    k().ButtonStartStopClick();
    EXPECT_EQ(l("LabelPytanieNr")->text(), "1 z 10");
    EXPECT_EQ(l("LabelPytanieNrCien")->text(), "1 z 10");
    EXPECT_FALSE(w("ButZamknij")->isEnabled());
    EXPECT_FALSE(w("ButUstawienia")->isEnabled());
    EXPECT_FALSE(w("ButAbout")->isEnabled());
    EXPECT_FALSE(w("ButWyniki")->isEnabled());
    EXPECT_TRUE(w("But_Close")->isEnabled());
    EXPECT_TRUE(w<QTimer>("Timer")->isActive());
    EXPECT_EQ(w<QTimer>("Timer")->interval(), 60);
    EXPECT_EQ(obraz("ButStartStop"), test::Grafika("but_STOP.bmp"));

    // Result: 9 good answers of 10 give grade 5.
    for (int q = 1; q <= 10; ++q) {
        k().TimerTimer();
        if (q != 4) QTest::keyClicks(edit(), QString::number(wynik()));
        klawisz(Qt::Key_Return);
        for (int t = 0; t < (q != 4 ? 1 : 66); ++t) k().TimerTimer();
    }
    EXPECT_EQ(k().stan().Ocena, 5);
    EXPECT_EQ(l("LabelDobrze")->text(), "9");
    EXPECT_EQ(l("LabelZle")->text(), "1");
    EXPECT_EQ(l("Label_NrPytaniaOcena")->text(), "ocena");
    EXPECT_TRUE(l("LabelPytanieNr")->isHidden());
    EXPECT_TRUE(l("LabelPytanieNrCien")->isHidden());
    for (int n = 1; n <= 6; ++n) {
        QLabel* o = l(qPrintable(QString("LabelOcena%1").arg(n)));
        EXPECT_FALSE(o->isHidden());
        EXPECT_EQ(o->font().pixelSize(), n == 5 ? 32 : 16) << n;
    }
    EXPECT_TRUE(w("ButUstawienia")->isEnabled());
    EXPECT_TRUE(w("ButWyniki")->isEnabled());
    EXPECT_FALSE(w<QTimer>("Timer")->isActive());
    // Both images are uniformly the panel colour.
    for (const char* n : {"ImgPytanie", "ImgWynik"}) {
        const QImage img = obraz(n);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) ASSERT_EQ(img.pixel(x, y), KolorPanelu) << n;
    }
    // The settings' reset brings the idle display back.
    okno->UstawieniaKomponentow();
    EXPECT_EQ(l("LabelPytanieNr")->text(), "10");
    EXPECT_EQ(l("LabelDobrze")->text(), "0");
    EXPECT_TRUE(l("LabelOcena5")->isHidden());
    EXPECT_FALSE(l("LabelPytanieNr")->isHidden());
}

namespace {

// Checks that `img` shows `glyph` with its top-left corner at (x, 0).
::testing::AssertionResult glyphW(const QImage& img, const QImage& glyph, int x)
{
    for (int yy = 0; yy < glyph.height(); ++yy)
        for (int xx = 0; xx < glyph.width(); ++xx) {
            if (x + xx >= img.width()) break;
            if (img.pixel(x + xx, yy) != glyph.pixel(xx, yy))
                return ::testing::AssertionFailure() << "differs at " << x + xx << "," << yy;
        }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST_F(Okno, QuestionRowEndsAtTheRightEdgeAndAShorterRowLeavesNoTrace)
{
    const QImage c3 = test::Grafika("3.bmp"), c4 = test::Grafika("4.bmp"), c2 = test::Grafika("2.bmp"),
                 c5 = test::Grafika("5.bmp"), c7 = test::Grafika("7.bmp"), c8 = test::Grafika("8.bmp"),
                 plus = test::Grafika("plus.bmp"), razy = test::Grafika("razy.bmp"),
                 rowne = test::Grafika("rowne.bmp");
    okno->RysujPytanie(34, DzialanieDodawanie, 25);
    QImage img = obraz("ImgPytanie");
    ASSERT_EQ(img.size(), QSize(408, 84));
    int x = 408 - (c3.width() + c4.width() + plus.width() + c2.width() + c5.width() + rowne.width());
    for (const QImage* g : {&c3, &c4, &plus, &c2, &c5, &rowne}) {
        EXPECT_TRUE(glyphW(img, *g, x));
        x += g->width();
    }
    EXPECT_EQ(x, 408);

    okno->RysujPytanie(7, DzialanieMnozenie, 8);
    img = obraz("ImgPytanie");
    const int w = c7.width() + razy.width() + c8.width() + rowne.width();
    EXPECT_TRUE(glyphW(img, c7, 408 - w));
    EXPECT_TRUE(glyphW(img, rowne, 408 - rowne.width()));
    for (int y = 0; y < 84; ++y)
        for (int xx = 0; xx < 408 - w; ++xx) ASSERT_EQ(img.pixel(xx, y), KolorPanelu) << xx << "," << y;
}

TEST_F(Okno, AnswerDigitsAreThreePixelsApartWithTheCursorAfterThem)
{
    const QImage kursor = test::Grafika("kursor.bmp");
    for (const QString& tekst : {QString(), QString("7"), QString("56"), QString("123")}) {
        okno->RysujWynik(tekst.toStdString());
        const QImage img = obraz("ImgWynik");
        ASSERT_EQ(img.size(), QSize(244, 84));
        int x = 0;
        for (QChar c : tekst) {
            const QImage g = test::Grafika(QString(c) + ".bmp");
            EXPECT_TRUE(glyphW(img, g, x)) << tekst.toStdString();
            for (int y = 0; y < 84; ++y)
                for (int gap = 0; gap < 3; ++gap) ASSERT_EQ(img.pixel(x + g.width() + gap, y), KolorPanelu);
            x += g.width() + 3;
        }
        EXPECT_TRUE(glyphW(img, kursor, x)) << tekst.toStdString();
        for (int y = 0; y < 84; ++y)
            for (int xx = x + kursor.width(); xx < 244; ++xx) ASSERT_EQ(img.pixel(xx, y), KolorPanelu);
    }
}

TEST_F(Okno, TimeBarGrowsFromGreenToRedThroughAQuestion)
{
    auto* bar = w<TShape>("ProgresPozycja");
    EXPECT_EQ(bar->width(), 331);
    EXPECT_EQ(bar->brushColor(), QColor(167, 170, 179)); // looks empty before the first tick
    k().ButtonStartStopClick();
    for (int t = 1; t <= 66; ++t) {
        k().TimerTimer();
        ASSERT_EQ(bar->width(), 5 * t);
        ASSERT_EQ(bar->x(), 180);
    }
    const int r = bar->brushColor().red();
    EXPECT_EQ(r, static_cast<int>(255.0 * (330.0 / 331.0)));
    EXPECT_EQ(bar->brushColor().green(), 255 - r);
    k().TimerTimer(); // the time is out
    EXPECT_EQ(bar->width(), 331);
    EXPECT_EQ(bar->brushColor(), QColor(255, 0, 0));
    EXPECT_EQ(k().stan().Zle, 1);
}

TEST_F(Okno, KeyFilterLetsOnlyDigitsBackspaceAndEnterThroughAfterTheFirstTick)
{
    k().ButtonStartStopClick();
    klawisz('5');
    EXPECT_EQ(edit()->text(), "");
    k().TimerTimer();
    for (char c : {'1', 'a', '2', ' ', '-', '.', '3', '4'}) klawisz(c);
    EXPECT_EQ(edit()->text(), "123"); // a fourth digit is refused by the field
    klawisz(Qt::Key_Backspace);
    EXPECT_EQ(edit()->text(), "12");
    // The picture follows the field.
    const QImage img = obraz("ImgWynik");
    EXPECT_TRUE(glyphW(img, test::Grafika("1.bmp"), 0));
    klawisz(Qt::Key_Home);
    klawisz(Qt::Key_Delete);
    EXPECT_EQ(edit()->text(), "2");
    EXPECT_FALSE(k().stan().OdpowiedzZatwierdzona);
    klawisz(Qt::Key_Return);
    EXPECT_TRUE(k().stan().OdpowiedzZatwierdzona);
}

TEST_F(Okno, PastedTextNeverBreaksJudging)
{
    k().ButtonStartStopClick();
    k().TimerTimer();
    QApplication::clipboard()->setText(QStringLiteral("ab7"));
    QTest::keyClick(edit(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit(), Qt::Key_Insert, Qt::ShiftModifier);
    for (QChar c : edit()->text()) EXPECT_TRUE(c.isDigit());
    QApplication::clipboard()->setText(QString::number(wynik()));
    QTest::keyClick(edit(), Qt::Key_Insert, Qt::ShiftModifier);
    klawisz(Qt::Key_Return);
    k().TimerTimer();
    EXPECT_EQ(k().stan().Dobrze + k().stan().Zle, 1);
    EXPECT_LE(edit()->text().size(), 3);
}

TEST_F(Okno, WindowShapeIsARoundedRectangleOnePixelLargerThanThePicture)
{
    const QRegion maska = okno->mask();
    EXPECT_EQ(maska, ZaokraglonyRegion(683, 486, 19, 19));
    EXPECT_FALSE(maska.contains(QPoint(0, 0)));
    EXPECT_FALSE(maska.contains(QPoint(681, 0)));
    EXPECT_FALSE(maska.contains(QPoint(0, 484)));
    EXPECT_TRUE(maska.contains(QPoint(9, 0)));
    EXPECT_TRUE(maska.contains(QPoint(0, 240)));
    EXPECT_TRUE(maska.contains(QPoint(681, 240)));
    // The corners cut away exactly what the picture paints magenta.
    const QImage tlo = obraz("ImgTlo");
    for (int y = 0; y < 485; ++y)
        for (int x = 0; x < 682; ++x)
            ASSERT_EQ(maska.contains(QPoint(x, y)), tlo.pixel(x, y) != qRgb(254, 2, 254)) << x << "," << y;
}

namespace {

class Przechwyt : public QObject {
    Q_OBJECT
public:
    QList<QUrl> adresy;
public slots:
    void otworz(const QUrl& u) { adresy.append(u); }
};

void nacisnij(QWidget* w, Qt::MouseButton b, QPoint p)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), w->mapToGlobal(QPointF(p)), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST_F(Okno, LinkAreaOpensTheWebAddressOnAnyButton)
{
    Przechwyt p;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &p, "otworz");
    QWidget* link = w("Shape1");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) nacisnij(link, b, {5, 5});
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(p.adresy.size(), 3);
    EXPECT_EQ(p.adresy[0], QUrl(QStringLiteral("https://www.quorvin.example/")));
}

TEST_F(Okno, OnlyALeftDragOnTheBackgroundMovesTheWindow)
{
    okno->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(okno.get()));
    QWidget* tlo = w("ImgTlo");
    const QPoint start = okno->pos();
    auto ruch = [&](Qt::MouseButton b, QPoint o) {
        QCursor::setPos(tlo->mapToGlobal(QPoint(100, 260)));
        nacisnij(tlo, b, {100, 260});
        QCursor::setPos(tlo->mapToGlobal(QPoint(100, 260)) + o);
        QMouseEvent m(QEvent::MouseMove, QPointF(100, 260) + o, QCursor::pos(), Qt::NoButton, b, Qt::NoModifier);
        QApplication::sendEvent(tlo, &m);
        QMouseEvent r(QEvent::MouseButtonRelease, QPointF(100, 260) + o, QCursor::pos(), b, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(tlo, &r);
    };
    ruch(Qt::RightButton, {30, 20});
    EXPECT_EQ(okno->pos(), start);
    ruch(Qt::LeftButton, {30, 20});
    EXPECT_EQ(okno->pos(), start + QPoint(30, 20));
}

TEST_F(Okno, CloseCrossEndsADrillAtOnceAndMinimiseLetsItRun)
{
    okno->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(okno.get()));
    k().ButtonStartStopClick();
    auto* minimalizuj = w<TQRVButton>("But_Minimize");
    emit minimalizuj->clicked();
    EXPECT_TRUE(okno->isMinimized());
    EXPECT_TRUE(w<QTimer>("Timer")->isActive());
    auto* zamknij = w<TQRVButton>("But_Close");
    EXPECT_TRUE(zamknij->isEnabled());
    emit zamknij->clicked();
    EXPECT_FALSE(okno->isVisible());
    EXPECT_EQ(k().stan().Ocena, 0);
}

#include "MainWindowTest.moc"
