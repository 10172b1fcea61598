// The pictures the build draws: present, loadable, of the sizes the window
// relies on, and the background's regions where the window needs them.
#include "TestSupport.h"
#include "UnitMain.h"
#include "WindowShape.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace zm;

namespace {

const QStringList kGlyphy{"0.bmp", "1.bmp", "2.bmp", "3.bmp", "4.bmp",     "5.bmp",    "6.bmp",     "7.bmp",
                          "8.bmp", "9.bmp", "rowne.bmp", "razy.bmp", "dzielone.bmp", "plus.bmp", "minus.bmp",
                          "kursor.bmp"};

// Bits per pixel from a BMP file's header.
int bityNaPiksel(const QString& sciezka)
{
    QFile f(sciezka);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray h = f.read(30);
    if (h.size() < 30 || !h.startsWith("BM")) return -1;
    return static_cast<unsigned char>(h[28]) | (static_cast<unsigned char>(h[29]) << 8);
}

} // namespace

TEST(Artwork, GlyphsExistFitTheImagesAndAreDistinct)
{
    int najszerszaCyfra = 0;
    QList<QImage> wszystkie;
    for (const QString& n : kGlyphy) {
        const QImage g = test::Grafika(n);
        ASSERT_FALSE(g.isNull()) << n.toStdString();
        EXPECT_LE(g.width(), 68) << n.toStdString();
        EXPECT_LE(g.height(), 84) << n.toStdString();
        if (n.size() == 5) najszerszaCyfra = std::max(najszerszaCyfra, g.width());
        for (const QImage& inna : wszystkie) EXPECT_NE(g, inna) << n.toStdString();
        wszystkie.append(g);
        // Drawn on the panel colour, so they blend with the display panel.
        EXPECT_EQ(g.pixel(0, 0), KolorPanelu) << n.toStdString();
        EXPECT_EQ(g.pixel(g.width() - 1, g.height() - 1), KolorPanelu) << n.toStdString();
    }
    // Three answer digits, their gaps and the cursor fit the answer image.
    EXPECT_LE(3 * (najszerszaCyfra + 3) + test::Grafika("kursor.bmp").width(), 244);
    for (const char* n : {"but_START.bmp", "but_STOP.bmp"}) {
        const QImage g = test::Grafika(n);
        ASSERT_FALSE(g.isNull()) << n;
        EXPECT_EQ(g.size(), QSize(95, 34)) << n;
    }
}

TEST(Artwork, BackgroundIsAn8BitPictureWithItsRegions)
{
    const QString sciezka = QStringLiteral(ZM_TEST_ART_DIR "/tlo.bmp");
    EXPECT_EQ(bityNaPiksel(sciezka), 8);
    const QImage zasob(QStringLiteral(":/tlo.bmp"));
    ASSERT_FALSE(zasob.isNull());
    const QImage tlo = zasob.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(tlo.size(), QSize(682, 485));
    const QRgb magenta = qRgb(254, 2, 254);
    for (int y = 0; y < 485; ++y)
        for (int x = 0; x < 682; ++x) {
            const bool wewnatrz = WewnatrzZaokraglenia(x, y, 683, 486, 19, 19);
            ASSERT_EQ(tlo.pixel(x, y) == magenta, !wewnatrz) << x << "," << y;
        }
    // The panel colour everywhere under the two equation images.
    for (const QRect r : {QRect(12, 81, 408, 84), QRect(424, 81, 244, 84)})
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) ASSERT_EQ(tlo.pixel(x, y), KolorPanelu) << x << "," << y;
    EXPECT_EQ(tlo.pixel(11, 58), KolorPanelu);
    EXPECT_EQ(tlo.pixel(672, 188), KolorPanelu);
    EXPECT_EQ(tlo.pixel(300, 52), qRgb(79, 136, 167)); // dark bands
    EXPECT_EQ(tlo.pixel(300, 193), qRgb(79, 136, 167));
    EXPECT_EQ(tlo.pixel(300, 25), qRgb(218, 219, 222)); // button band
    EXPECT_EQ(tlo.pixel(300, 38), qRgb(0, 0, 0));
    EXPECT_EQ(tlo.pixel(300, 39), qRgb(255, 255, 255));
    EXPECT_EQ(tlo.pixel(150, 270), qRgb(187, 190, 200)); // body
    EXPECT_EQ(tlo.pixel(60, 300), qRgb(242, 246, 255));  // counter boxes
    EXPECT_EQ(tlo.pixel(600, 300), qRgb(242, 246, 255));
    EXPECT_EQ(tlo.pixel(0, 200), qRgb(24, 41, 51)); // outline
    EXPECT_EQ(tlo.pixel(681, 200), qRgb(24, 41, 51));
    // The web address is drawn inside the link area.
    int atrament = 0;
    const QRgb tloPanelu = tlo.pixel(200, 420);
    for (int y = 401; y < 478; ++y) // inside the panel's edges
        for (int x = 7; x < 675; ++x) {
            const bool wLinku = x >= 192 && x < 489 && y >= 424 && y < 457;
            const QRgb c = tlo.pixel(x, y);
            if (qGray(c) < qGray(tloPanelu) - 40) {
                EXPECT_TRUE(wLinku) << x << "," << y;
                ++atrament;
            }
        }
    EXPECT_GT(atrament, 200);
}

TEST(Artwork, ChromeStripsHoldThreeFrames)
{
    for (const char* n : {":/zamknij.bmp", ":/minimalizuj.bmp"}) {
        const QImage s(QString::fromLatin1(n));
        ASSERT_FALSE(s.isNull()) << n;
        EXPECT_EQ(s.size(), QSize(51, 13)) << n;
        EXPECT_EQ(s.format(), QImage::Format_Indexed8) << n;
        // Normal, pressed and pointer-over frames all differ.
        const QImage a = s.copy(0, 0, 17, 13), b = s.copy(17, 0, 17, 13), c = s.copy(34, 0, 17, 13);
        EXPECT_NE(a, b);
        EXPECT_NE(a, c);
        EXPECT_NE(b, c);
    }
    EXPECT_FALSE(QImage(QStringLiteral(":/ikona.png")).isNull());
}
