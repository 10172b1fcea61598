// The window and dialogs at twice the size (QT_SCALE_FACTOR=2): the layout
// keeps its proportions, nothing is cut, and the pictures drawn at run time
// use every device pixel.
#include "TestSupport.h"
#include "UnitMain.h"
#include "UnitOpcje.h"
#include "UnitOprogramie.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <gtest/gtest.h>

using namespace zm;

namespace {

QImage zrzut(QWidget& w)
{
    const QPixmap p = w.grab();
    EXPECT_DOUBLE_EQ(p.devicePixelRatio(), 2.0);
    return p.toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(HighDpi, MainWindowDoublesEverythingAndCutsNothing)
{
    test::ZapisaneKomunikaty k;
    auto w = test::NoweOkno(k);
    TFrmMain& okno = *w;
    okno.show();
    EXPECT_EQ(okno.size(), QSize(682, 485)); // logical pixels stay as designed
    okno.Kontroler().ButtonStartStopClick();
    okno.RysujWynik("56");
    const QImage img = zrzut(okno);
    if (qEnvironmentVariableIsSet("ZM_HIDPI_SCREENSHOT")) img.save(qEnvironmentVariable("ZM_HIDPI_SCREENSHOT"));
    ASSERT_EQ(img.size(), QSize(1364, 970));
    // The background is the one drawn with twice the pixels, not the small one
    // enlarged: its title text has shades the enlarged one cannot have
    // (every 2 x 2 block of an enlarged picture is one colour).
    int mieszane = 0;
    for (int y = 0; y < 2 * 19; y += 2)
        for (int x = 2 * 200; x < 2 * 460; x += 2)
            mieszane += img.pixel(x, y) != img.pixel(x + 1, y) || img.pixel(x, y) != img.pixel(x, y + 1);
    EXPECT_GT(mieszane, 100);
    // Regions at twice their coordinates.
    EXPECT_EQ(img.pixel(2 * 30, 2 * 120), KolorPanelu);
    EXPECT_EQ(img.pixel(2 * 300 + 1, 2 * 25 + 1), qRgb(218, 219, 222));
    EXPECT_EQ(img.pixel(2 * 150, 2 * 270), qRgb(187, 190, 200));
    // The answer's first digit is at the left of the answer image, at full size:
    // the digit picture scaled by two, each picture pixel a 2 x 2 block.
    const QImage piec = test::Grafika("5.bmp");
    int zgodne = 0, wszystkie = 0;
    for (int y = 0; y < piec.height(); y += 3)
        for (int x = 0; x < piec.width(); x += 3) {
            ++wszystkie;
            zgodne += img.pixel(2 * (424 + x), 2 * (81 + y)) == piec.pixel(x, y);
        }
    EXPECT_GT(zgodne, wszystkie * 9 / 10);
    // The small captions are in an outline face, not the bitmap one, which
    // cannot be enlarged; and every label's text fits its label.
    EXPECT_NE(okno.findChild<QLabel*>("Label1")->font().family(), QStringLiteral("MS Sans Serif"));
    for (QLabel* l : okno.findChildren<QLabel*>()) {
        if (l->isHidden()) continue;
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width() + 1) << l->objectName().toStdString();
    }
}

TEST(HighDpi, DialogsKeepTheirLayout)
{
    TFrmOpcje opcje;
    TFrmOprogramie about;
    for (QDialog* d : std::initializer_list<QDialog*>{&opcje, &about}) {
        d->show();
        const QSize logiczny = d->size();
        const QImage img = zrzut(*d);
        EXPECT_EQ(img.size(), logiczny * 2) << d->objectName().toStdString();
        for (QWidget* c : d->findChildren<QWidget*>()) {
            if (c->objectName().isEmpty() || c->objectName().startsWith("qt_")) continue;
            const QRect r(c->mapTo(d, QPoint(0, 0)), c->size());
            EXPECT_TRUE(d->rect().contains(r)) << c->objectName().toStdString();
        }
        if (qEnvironmentVariableIsSet("ZM_HIDPI_SCREENSHOT"))
            img.save(qEnvironmentVariable("ZM_HIDPI_SCREENSHOT") + "." + d->objectName() + ".png");
        d->hide();
    }
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
