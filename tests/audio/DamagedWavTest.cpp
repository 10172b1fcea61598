// The player with a hundred and more damaged recordings: each returns
// promptly, with the beep where the file cannot be played.
#include "Corruptions.h"
#include "SdlOdtwarzacz.h"
#include "Sentence.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

using namespace zm;

TEST(DamagedRecordings, NeverHangOrCrashThePlayer)
{
    QTemporaryDir tmp;
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", qPrintable(tmp.filePath("out.raw")), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    QFile f(QStringLiteral(ZM_TEST_SOUNDS "/7.wav"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray dobry = f.readAll();
    QFile bmp(QStringLiteral(ZM_TEST_GRAPHICS "/7.bmp"));
    ASSERT_TRUE(bmp.open(QIODevice::ReadOnly));
    // RIFF size, fmt size, sample rate, byte rate, data size; format tag,
    // channels, block align, bits per sample.
    const auto warianty = test::Uszkodzone(dobry, {4, 16, 24, 28, 40}, {20, 22, 32, 34}, bmp.readAll());
    ASSERT_GE(warianty.size(), 100);
    SdlOdtwarzacz o;
    int domyslne = 0;
    for (const auto& w : warianty) {
        const QString sciezka = tmp.filePath("w.wav");
        QFile out(sciezka);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(w.dane);
        out.close();
        EXPECT_LT(test::CzytajIZaczekaj(o, {sciezka.toStdString()}), 2.5) << w.opis.toStdString();
        domyslne += o.OstatnioDomyslny();
    }
    EXPECT_GT(domyslne, warianty.size() / 2);
}
