// Damaged pictures and a child's worst keyboard: the window reports or
// carries on, never crashes, and the drill stays consistent.
#include "Corruptions.h"
#include "TestSupport.h"
#include "UnitMain.h"
#include "Widgets.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <random>

using namespace zm;

TEST(Robustness, DamagedGlyphPicturesAreReportedAndNeverCrashTheWindow)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(test::KopiujInstalacje(tmp.path()));
    QFile f(test::KatalogInstalacji() + "/graphics/5.bmp");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray dobry = f.readAll();
    QByteArray png;
    {
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        test::Grafika("5.bmp").save(&b, "PNG");
    }
    // BMP header fields: file size, pixel offset, header size, width, height;
    // planes, bits per pixel; compression, image size, colours used.
    const auto warianty = test::Uszkodzone(dobry, {2, 10, 14, 18, 22, 30, 34, 46}, {26, 28}, png);
    ASSERT_GE(warianty.size(), 100);
    const QString sciezka = tmp.path() + "/graphics/5.bmp";
    int zgloszone = 0;
    for (const auto& w : warianty) {
        QFile out(sciezka);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(w.dane);
        out.close();
        test::ZapisaneKomunikaty komunikaty;
        auto nowe = test::NoweOkno(komunikaty, tmp.path());
        TFrmMain& okno = *nowe;
        okno.RysujPytanie(55, DzialanieMnozenie, 5);
        okno.RysujWynik("555");
        const QImage* g = okno.GlyphDla('5');
        if (!g) {
            // Not loaded: the user was told which file.
            ASSERT_EQ(komunikaty.lista.size(), 1) << w.opis.toStdString();
            EXPECT_TRUE(komunikaty.lista[0].tekst.contains(sciezka)) << w.opis.toStdString();
            ++zgloszone;
        } else {
            // Loaded anyway (the damage missed what matters): a sane picture.
            EXPECT_LE(g->width(), 4096) << w.opis.toStdString();
            EXPECT_LE(g->height(), 4096) << w.opis.toStdString();
        }
    }
    EXPECT_GT(zgloszone, warianty.size() / 2);
}

namespace {

void klik(QWidget* w, Qt::MouseButton b = Qt::LeftButton)
{
    const QPointF p(5, 5);
    QMouseEvent d(QEvent::MouseButtonPress, p, w->mapToGlobal(p), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &d);
    QMouseEvent u(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), b, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &u);
}

void sprawdzStan(TFrmMain& okno, QLineEdit* edit, int krok)
{
    const auto& s = okno.Kontroler().stan();
    const auto& u = okno.Kontroler().ustawienia();
    ASSERT_LE(edit->text().size(), 3) << krok;
    for (QChar c : edit->text()) ASSERT_TRUE(c.isDigit()) << krok;
    ASSERT_GE(s.NrPytania, 0);
    ASSERT_LE(s.NrPytania, u.IloscPytan);
    ASSERT_LE(s.CzasPytania, 335);
    if (s.NrPytania > 0 && okno.Kontroler().trwa()) {
        ASSERT_EQ(s.Dobrze + s.Zle, s.NrPytania - 1) << krok;
    }
    ASSERT_EQ(okno.findChild<QTimer*>("Timer")->isActive(), okno.Kontroler().trwa());
}

} // namespace

TEST(Robustness, KeyFloodRapidClicksMinimisingAndPastingKeepTheDrillConsistent)
{
    test::ZapisaneKomunikaty komunikaty;
    auto w = test::NoweOkno(komunikaty);
    TFrmMain& okno = *w;
    okno.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&okno));
    auto* edit = okno.findChild<QLineEdit*>("EditWynik");
    auto* start = okno.findChild<TImage*>("ButStartStop");
    klik(start);
    std::mt19937 rng(2024);
    const Qt::Key klawisze[] = {Qt::Key_0, Qt::Key_5, Qt::Key_9, Qt::Key_A, Qt::Key_Z, Qt::Key_Space, Qt::Key_Minus,
                                Qt::Key_Period, Qt::Key_Comma, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Backspace,
                                Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Tab,
                                Qt::Key_Escape, Qt::Key_F1};
    const QString wklejki[] = {"abc", "12345", "-7", "1e9", "\n\n", QString::fromUtf8("ąę12"), "99"};
    for (int i = 0; i < 2000; ++i) {
        const Qt::Key k = klawisze[rng() % std::size(klawisze)];
        const Qt::KeyboardModifiers m = rng() % 10 == 0 ? Qt::ShiftModifier : Qt::NoModifier;
        QTest::keyClick(edit, k, m);
        if (i % 50 == 0) {
            QApplication::clipboard()->setText(wklejki[rng() % std::size(wklejki)]);
            QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(edit, Qt::Key_Insert, Qt::ShiftModifier);
        }
        if (i % 3 == 0 && okno.Kontroler().trwa()) okno.Kontroler().TimerTimer();
        if (!okno.Kontroler().trwa()) klik(start);
        if (i == 700) okno.showMinimized();
        if (i == 900) {
            EXPECT_TRUE(okno.Kontroler().trwa()); // the drill ran on while minimised
            okno.showNormal();
        }
        sprawdzStan(okno, edit, i);
        if (::testing::Test::HasFatalFailure()) return;
    }
    for (int i = 0; i < 200; ++i) {
        klik(start);
        if (i % 7 == 0) okno.Kontroler().TimerTimer();
        sprawdzStan(okno, edit, 2000 + i);
        if (::testing::Test::HasFatalFailure()) return;
    }
    EXPECT_TRUE(komunikaty.lista.isEmpty());
}
