#include "QRVButton.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <vector>

namespace {

const QRgb kKolory[4] = {qRgb(200, 30, 30), qRgb(30, 200, 30), qRgb(30, 30, 200), qRgb(120, 120, 0)};
constexpr QRgb kBialy = 0xFFFFFFFF;
constexpr QRgb kCzarny = 0xFF000000;

// A strip of `klatki` frames of one distinct colour each.
QImage pasek(int klatki, int w = 17, int h = 13)
{
    QImage img(w * klatki, h, QImage::Format_RGB32);
    for (int k = 0; k < klatki; ++k)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.setPixel(k * w + x, y, kKolory[k]);
    return img;
}

QImage jednolity(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// The frame the widget shows on screen, judged by a corner pixel that no
// caption reaches.
int widocznaKlatka(TQRVButton& b)
{
    const QImage ekran = b.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb c = ekran.pixel(0, 0);
    for (int k = 0; k < 4; ++k)
        if (c == kKolory[k]) return k;
    return -1;
}

struct Przycisk {
    TQRVButton b;
    explicit Przycisk(int klatki)
    {
        b.setCaption(QString());
        b.setGlyph(pasek(klatki));
        b.setGryphCount(klatki);
    }
};

void wejdz(TQRVButton& b)
{
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&b, &e);
}
void wyjdz(TQRVButton& b)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(&b, &e);
}
void mysz(TQRVButton& b, QEvent::Type t, Qt::MouseButton btn, QPoint p = {5, 5})
{
    const Qt::MouseButtons stan = t == QEvent::MouseButtonPress ? Qt::MouseButtons(btn) : Qt::NoButton;
    QMouseEvent e(t, QPointF(p), b.mapToGlobal(QPointF(p)), btn, stan, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &e);
}

} // namespace

TEST(QRVButtonFrames, ThreeFrameStripFollowsPointerAndLeftButton)
{
    Przycisk p(3);
    TQRVButton& b = p.b;
    QSignalSpy enter(&b, &TQRVButton::OnMouseEnter), down(&b, &TQRVButton::OnMouseDown),
        up(&b, &TQRVButton::OnMouseUp), click(&b, &TQRVButton::clicked);
    EXPECT_EQ(widocznaKlatka(b), 0);
    wejdz(b);
    EXPECT_EQ(widocznaKlatka(b), 2);
    EXPECT_TRUE(b.MyszNad());
    EXPECT_EQ(enter.count(), 1);
    mysz(b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(b), 1);
    EXPECT_EQ(down.count(), 1);
    // Moving inside with the button held keeps it pressed.
    QMouseEvent ruch(QEvent::MouseMove, QPointF(7, 6), b.mapToGlobal(QPointF(7, 6)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &ruch);
    EXPECT_EQ(widocznaKlatka(b), 1);
    mysz(b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(b), 2);
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(click.count(), 1);
    wyjdz(b);
    EXPECT_EQ(widocznaKlatka(b), 0);
    EXPECT_FALSE(b.MyszNad());
}

TEST(QRVButtonFrames, ReleaseOutsideShowsNormalFrameAndDoesNotClick)
{
    Przycisk p(3);
    TQRVButton& b = p.b;
    QSignalSpy click(&b, &TQRVButton::clicked);
    wejdz(b);
    mysz(b, QEvent::MouseButtonPress, Qt::LeftButton);
    // Dragging out while held shows the normal frame, back in the pointer-over one.
    QMouseEvent wyjazd(QEvent::MouseMove, QPointF(40, 5), b.mapToGlobal(QPointF(40, 5)), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &wyjazd);
    EXPECT_EQ(widocznaKlatka(b), 0);
    EXPECT_FALSE(b.MyszNad());
    QMouseEvent powrot(QEvent::MouseMove, QPointF(5, 5), b.mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                       Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&b, &powrot);
    EXPECT_EQ(widocznaKlatka(b), 2);
    QCoreApplication::sendEvent(&b, &wyjazd);
    mysz(b, QEvent::MouseButtonRelease, Qt::LeftButton, {40, 5});
    EXPECT_EQ(widocznaKlatka(b), 0);
    EXPECT_EQ(click.count(), 0);
}

TEST(QRVButtonFrames, RightButtonDrawsNoPressedFrameButFiresItsEvents)
{
    Przycisk p(3);
    TQRVButton& b = p.b;
    QSignalSpy down(&b, &TQRVButton::OnMouseDown), up(&b, &TQRVButton::OnMouseUp),
        click(&b, &TQRVButton::clicked);
    wejdz(b);
    mysz(b, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(widocznaKlatka(b), 2);
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0).at(1).value<Qt::MouseButton>(), Qt::RightButton);
    mysz(b, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(widocznaKlatka(b), 2);
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(click.count(), 0);
}

TEST(QRVButtonFrames, TwoFrameStripKeepsNormalFrameOnEnterButTracksThePointer)
{
    Przycisk p(2);
    TQRVButton& b = p.b;
    QSignalSpy enter(&b, &TQRVButton::OnMouseEnter);
    wejdz(b);
    EXPECT_EQ(widocznaKlatka(b), 0);
    EXPECT_TRUE(b.MyszNad());
    EXPECT_EQ(enter.count(), 1);
    mysz(b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(b), 1);
    mysz(b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(b), 0);
}

TEST(QRVButtonFrames, PropertyWriteShowsNormalFrameButKeepsThePointerFlag)
{
    Przycisk p(3);
    TQRVButton& b = p.b;
    wejdz(b);
    b.setCaptionMargin(3);
    EXPECT_EQ(widocznaKlatka(b), 0);
    EXPECT_TRUE(b.MyszNad());
    mysz(b, QEvent::MouseButtonPress, Qt::LeftButton);
    mysz(b, QEvent::MouseButtonRelease, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(b), 2);
}

TEST(QRVButtonActive, IgnoredBelowFourFramesAndHonouredWithFour)
{
    Przycisk trzy(3);
    trzy.b.setAktywny(false);
    EXPECT_TRUE(trzy.b.Aktywny());
    EXPECT_TRUE(trzy.b.isEnabled());
    EXPECT_EQ(widocznaKlatka(trzy.b), 0);

    Przycisk p(4);
    TQRVButton& b = p.b;
    QSignalSpy enter(&b, &TQRVButton::OnMouseEnter), down(&b, &TQRVButton::OnMouseDown);
    b.setAktywny(false);
    EXPECT_FALSE(b.Aktywny());
    EXPECT_FALSE(b.isEnabled());
    EXPECT_EQ(widocznaKlatka(b), 3);
    wejdz(b);
    mysz(b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(b), 3);
    EXPECT_FALSE(b.MyszNad());
    EXPECT_EQ(enter.count(), 0);
    EXPECT_EQ(down.count(), 0);
    b.setAktywny(true);
    EXPECT_TRUE(b.isEnabled());
    EXPECT_EQ(widocznaKlatka(b), 0);
}

TEST(QRVButtonActive, MissingFramesFallBackToTheNormalFrame)
{
    // A one-frame strip asked for its pressed frame.
    Przycisk jeden(1);
    mysz(jeden.b, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(widocznaKlatka(jeden.b), 0);
    // The inactive frame after the count was lowered below four.
    Przycisk p(4);
    p.b.setAktywny(false);
    p.b.setGryphCount(3);
    EXPECT_FALSE(p.b.Aktywny());
    EXPECT_EQ(widocznaKlatka(p.b), 0);
    EXPECT_EQ(p.b.width(), 22); // 68 / 3
}

TEST(QRVButtonGeometry, CountIsClampedAndSizeFollowsTheFrame)
{
    TQRVButton b;
    EXPECT_EQ(b.size(), QSize(105, 105));
    EXPECT_EQ(b.GryphCount(), 1);
    b.setGryphCount(0);
    EXPECT_EQ(b.GryphCount(), 1);
    EXPECT_EQ(b.size(), QSize(105, 105)); // still no strip
    b.setGryphCount(9);
    EXPECT_EQ(b.GryphCount(), 4);
    b.setGryphCount(3);
    b.setGlyph(jednolity(51, 13, kBialy));
    EXPECT_EQ(b.size(), QSize(17, 13));
    b.setGryphCount(2);
    EXPECT_EQ(b.size(), QSize(25, 13));
    // An empty strip empties the buffer and keeps the size.
    b.setGlyph(QImage());
    EXPECT_TRUE(b.Picture().isNull());
    EXPECT_EQ(b.size(), QSize(25, 13));
}

TEST(QRVButtonGeometry, GlyphIsCopiedNotShared)
{
    TQRVButton b;
    QImage strip = pasek(3);
    b.setGlyph(strip);
    strip.fill(Qt::black);
    b.setGryphCount(3);
    EXPECT_EQ(b.Glyph().pixel(0, 0), kKolory[0]);
    EXPECT_EQ(b.Picture().size(), QSize(51, 13));
}

namespace {

int szer(const TQRVButton& b, const QString& s)
{
    const QImage surface(1, 1, QImage::Format_RGB32);
    return QFontMetrics(b.CaptionFont(), &surface).horizontalAdvance(s);
}

} // namespace

TEST(QRVButtonCaption, NewButtonShowsTheWholeCaptionWithItsEnding)
{
    TQRVButton b;
    EXPECT_EQ(b.CaptionWidoczny(), "QRVButton...");
    b.setCaptionSkroc(false);
    EXPECT_EQ(b.CaptionWidoczny(), "QRVButton");
}

TEST(QRVButtonCaption, ExactFitDoesNotFit)
{
    TQRVButton b;
    b.setGlyph(jednolity(60, 20, kBialy));
    const QString c = "Mnożenie";
    const int w = szer(b, c);
    ASSERT_LT(w, 60);
    b.setCaption(c);
    b.setCaptionMargin(60 - w - 1);
    EXPECT_EQ(b.CaptionWidoczny(), c);
    b.setCaptionMargin(60 - w); // width + margin == W
    EXPECT_NE(b.CaptionWidoczny(), c);
    EXPECT_TRUE(b.CaptionWidoczny().endsWith("..."));
}

TEST(QRVButtonCaption, KeepsOneCharacterFewerThanTheLongestFittingBeginning)
{
    TQRVButton b;
    b.setCaptionMargin(0);
    b.setCaptionEnd("");
    // Frame just wide enough for "ABC": plain truncation keeps "AB".
    const int w = szer(b, "ABC") + 1;
    ASSERT_GE(szer(b, "ABCD"), w);
    b.setGlyph(jednolity(w, 20, kBialy));
    b.setCaption("ABCDEF");
    EXPECT_EQ(b.CaptionWidoczny(), "AB");

    // Two characters that do not fit, whose first one with "..." does: "..." alone.
    TQRVButton d;
    d.setCaptionMargin(0);
    const int w2 = szer(d, "W...") + 1;
    ASSERT_GE(szer(d, "WW"), w2);
    d.setGlyph(jednolity(w2, 20, kBialy));
    d.setCaption("WW");
    EXPECT_EQ(d.CaptionWidoczny(), "...");

    // Inside the loop too, the margin counts and an exact fit does not fit.
    TQRVButton m;
    m.setCaptionEnd("..");
    const int wm = szer(m, "AB..") + 6; // "AB.." with a margin of 6 exactly fills it
    ASSERT_GE(szer(m, "ABCDEF"), wm);
    m.setGlyph(jednolity(wm, 20, kBialy));
    m.setCaption("ABCDEF");
    m.setCaptionMargin(5); // "AB.." + 5 < W: the longest fitting beginning is "AB", one fewer kept
    EXPECT_EQ(m.CaptionWidoczny(), "A..");
    m.setCaptionMargin(6); // "AB.." + 6 == W: only "A.." fits, "" is kept
    EXPECT_EQ(m.CaptionWidoczny(), "..");
    m.setCaptionMargin(0);
    EXPECT_EQ(m.CaptionWidoczny(), szer(m, "ABC..") < wm ? "AB.." : "A..");

    // Nothing fits at all: the whole caption and the ending.
    d.setGlyph(jednolity(4, 20, kBialy));
    EXPECT_EQ(d.CaptionWidoczny(), "WW...");
}

TEST(QRVButtonCaption, ANewFrameCountShortensTheCaptionAgain)
{
    TQRVButton b;
    b.setCaptionEnd("");
    b.setCaptionMargin(0);
    const int w = szer(b, "Ustawienia") + 2; // fits one frame of 2w, not of w
    b.setGlyph(jednolity(2 * w, 20, kBialy));
    b.setGryphCount(1);
    b.setCaption("Ustawienia programu");
    const QString szeroki = b.CaptionWidoczny();
    b.setGryphCount(2);
    EXPECT_LT(szer(b, b.CaptionWidoczny()), w);
    EXPECT_LT(b.CaptionWidoczny().size(), szeroki.size());
}

TEST(QRVButtonCaption, SingleSpaceOnAChromeButtonFitsAndLeavesNoMark)
{
    TQRVButton b;
    b.setGlyph(pasek(3));
    b.setGryphCount(3);
    b.setCaption(" ");
    b.setCaptionMargin(5);
    EXPECT_EQ(b.CaptionWidoczny(), " ");
    const QImage ekran = b.grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 17; ++x) ASSERT_EQ(ekran.pixel(x, y), kKolory[0]) << x << "," << y;
}

namespace {

// What three passes of the ink set `tusz` (points of the black pass) leave
// on a background: black where the ink is, the highlight where the passes
// moved one pixel up-left and down-right reach, the background elsewhere.
QImage trzyPrzebiegi(const QImage& tlo, const std::vector<QPoint>& tusz)
{
    QImage img = tlo.copy();
    for (const QPoint o : {QPoint(-1, -1), QPoint(1, 1), QPoint(0, 0)})
        for (const QPoint p : tusz)
            if (img.rect().contains(p + o)) img.setPixel(p + o, o.isNull() ? kCzarny : TQRVButton::KolorPoswiaty);
    return img;
}

} // namespace

TEST(QRVButtonCaption, CaptionIsCentredAndDrawnBlackOverTwoHighlightPasses)
{
    // Odd room on both axes: the centring's rounding shows.
    TQRVButton b;
    const int W = szer(b, "Wb") + 21, H = 24;
    const QImage tlo = jednolity(W, H, qRgb(90, 90, 90));
    b.setGlyph(tlo);
    b.setCaption("Wb");
    ASSERT_TRUE(b.CaptionFont().styleStrategy() & QFont::NoAntialias) << "the bitmap face draws without grey";
    // The caption's ink, drawn once on its own.
    const QFontMetrics fm(b.CaptionFont(), &b.Picture());
    ASSERT_EQ((H - fm.height()) % 2, 1);
    QImage sam(W, H, QImage::Format_RGB32);
    sam.fill(kBialy);
    {
        QPainter p(&sam);
        p.setFont(b.CaptionFont());
        p.setPen(Qt::black);
        p.drawText(0, fm.ascent(), "Wb");
    }
    const int x = 10, y = (H - fm.height()) / 2; // 21 / 2 and 11 / 2, truncated
    std::vector<QPoint> tusz;
    for (int yy = 0; yy < H; ++yy)
        for (int xx = 0; xx < W; ++xx)
            if (sam.pixel(xx, yy) != kBialy) tusz.emplace_back(x + xx, y + yy);
    ASSERT_GT(tusz.size(), 10u);
    EXPECT_EQ(b.Picture(), trzyPrzebiegi(tlo, tusz));
}

namespace {

// A white 48 x 24 button drawing pictogram `numer`; returns its buffer and the
// vertical offset the pictogram rows are measured from.
QImage piktogram(int numer, char typ, int& y)
{
    TQRVButton b;
    b.setCaption("");
    b.setGlyph(jednolity(48, 24, kBialy));
    b.setFuncTyp(typ);
    b.setFuncNumer(numer);
    b.setCaptionMargin(0); // any write redraws
    y = (24 - QFontMetrics(b.CaptionFont(), &b.Picture()).height()) / 2;
    return b.Picture();
}

} // namespace

TEST(QRVButtonPictograms, PlusAndMinusLinesStopBeforeTheirEnds)
{
    int y = 0;
    const QImage plus = piktogram(23, 'a', y);
    for (int r = 1; r <= 11; ++r) EXPECT_EQ(plus.pixel(28, y + r), kCzarny) << r;
    EXPECT_EQ(plus.pixel(28, y + 12), kBialy);
    for (int x = 23; x <= 33; ++x) EXPECT_EQ(plus.pixel(x, y + 6), kCzarny) << x;
    EXPECT_EQ(plus.pixel(34, y + 6), kBialy);
    EXPECT_EQ(plus.pixel(27, y), TQRVButton::KolorPoswiaty); // the upper-left pass

    const QImage minus = piktogram(24, 'a', y);
    for (int x = 23; x <= 32; ++x) EXPECT_EQ(minus.pixel(x, y + 7), kCzarny) << x;
    EXPECT_EQ(minus.pixel(33, y + 7), kBialy);
    EXPECT_EQ(minus.pixel(33, y + 8), TQRVButton::KolorPoswiaty);
}

TEST(QRVButtonPictograms, SlashDotAndRadicalAreDrawn)
{
    int y = 0;
    const QImage slash = piktogram(25, 'a', y);
    EXPECT_EQ(slash.pixel(30, y + 1), kCzarny);
    EXPECT_EQ(slash.pixel(25, y + 12), kBialy);
    const QImage dot = piktogram(26, 'a', y);
    EXPECT_EQ(dot.pixel(28, y + 7), kCzarny);
    EXPECT_EQ(dot.pixel(30, y + 4), kBialy); // corner of the box lies outside the ellipse
    const QImage radical = piktogram(44, 'a', y);
    EXPECT_EQ(radical.pixel(39, y + 1), kCzarny);
    EXPECT_EQ(radical.pixel(40, y + 2), TQRVButton::KolorPoswiaty); // lower-right pass reaches column 40
}

TEST(QRVButtonPictograms, SemicolonLetterNAndCommaPixelForPixel)
{
    // The black pass, as the design gives it: rectangles cover their left
    // and top edges, a line leaves out its end point.
    auto prostokat = [](int x0, int y0, int x1, int y1, std::vector<QPoint>& z) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) z.emplace_back(x, y);
    };
    std::vector<QPoint> srednik, n, przecinek;
    prostokat(19, 2, 21, 4, srednik);
    prostokat(19, 9, 21, 11, srednik);
    srednik.insert(srednik.end(), {{20, 11}, {20, 12}, {19, 12}, {19, 13}});
    for (int y = 11; y > 3; --y) n.emplace_back(23, y);
    n.insert(n.end(), {{23, 3}, {24, 4}, {25, 5}, {25, 6}, {26, 7}, {27, 8}, {27, 9}, {28, 10}});
    for (int y = 11; y > 2; --y) n.emplace_back(29, y);
    for (int i = 0; i < 5; ++i) n.insert(n.end(), {{32 + i, 1 + i}, {36 - i, 1 + i}});
    prostokat(19, 7, 21, 9, przecinek);
    przecinek.insert(przecinek.end(), {{20, 9}, {20, 10}, {19, 10}, {19, 11}});
    const QLocale poprzedni;
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    for (const auto& [numer, ksztalt] : {std::pair{20, srednik}, std::pair{32, n}, std::pair{3, przecinek}}) {
        int y = 0;
        const QImage img = piktogram(numer, 'a', y);
        std::vector<QPoint> tusz;
        for (const QPoint& p : ksztalt) tusz.emplace_back(p.x(), p.y() + y);
        EXPECT_EQ(img, trzyPrzebiegi(jednolity(48, 24, kBialy), tusz)) << numer;
    }
    QLocale::setDefault(poprzedni);
}

TEST(QRVButtonPictograms, DecimalSeparatorFollowsTheLocaleAtEveryDrawing)
{
    const QLocale poprzedni;
    int y = 0;
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    const QImage przecinek = piktogram(3, 'a', y);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QImage kropka = piktogram(3, 'a', y);
    QLocale::setDefault(poprzedni);
    EXPECT_EQ(przecinek.pixel(19, y + 7), kCzarny);
    EXPECT_EQ(przecinek.pixel(19, y + 11), kCzarny); // the comma's tail
    EXPECT_EQ(kropka.pixel(19, y + 8), kCzarny);
    EXPECT_EQ(kropka.pixel(19, y + 11), kBialy);
    EXPECT_EQ(kropka.pixel(19, y + 7), TQRVButton::KolorPoswiaty);
}

TEST(QRVButtonPictograms, UpperCaseTypeAndUnknownNumberDrawTheCaption)
{
    int y = 0;
    const QImage duze = piktogram(23, 'A', y);
    const QImage nieznany = piktogram(99, 'a', y);
    for (const QImage* img : {&duze, &nieznany})
        for (int yy = 0; yy < 24; ++yy)
            for (int x = 0; x < 48; ++x) ASSERT_EQ(img->pixel(x, yy), kBialy);
}

TEST(QRVButtonPictograms, WritingFuncNumerOrFuncTypDoesNotRedraw)
{
    TQRVButton b;
    b.setCaption("");
    b.setGlyph(jednolity(48, 24, kBialy));
    const QImage przed = b.Picture();
    b.setFuncTyp('a');
    b.setFuncNumer(24);
    EXPECT_EQ(b.Picture(), przed);
    wejdz(b); // the next drawing shows it
    EXPECT_NE(b.Picture(), przed);
}
