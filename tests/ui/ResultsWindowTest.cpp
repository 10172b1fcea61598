// The results journal seen from the windows: drills played in the main
// window land in the results window; the journal's problems are told once,
// after a drill.
#include "ResultsJournal.h"
#include "ResultsWindow.h"
#include "TestSupport.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zm;
using namespace std::chrono_literals;

namespace {

// Plays a drill of ten questions to its grade: all right but `zle`.
void zagraj(TFrmMain& okno, int zle = 0)
{
    DrillController& k = okno.Kontroler();
    auto* pole = okno.findChild<QLineEdit*>("EditWynik");
    k.ButtonStartStopClick();
    for (int q = 1; q <= 10; ++q) {
        k.TimerTimer();
        const int w = WynikPoprawny(k.ustawienia().Dzialanie, k.stan().Liczba1, k.stan().Liczba2);
        QTest::keyClicks(pole, QString::number(q <= zle ? w + 1 : w));
        QTest::keyClick(pole, Qt::Key_Return);
        k.TimerTimer();
    }
}

std::unique_ptr<TFrmMain> okno(test::ZapisaneKomunikaty& komunikaty, DziennikWynikow& dziennik)
{
    auto w = test::NoweOkno(komunikaty, test::KatalogInstalacji(), nullptr, &dziennik);
    w->Kontroler().ustawienia().Lektor = false;
    return w;
}

} // namespace

TEST(Results, DrillsPlayedInTheWindowAreListedNewestFirst)
{
    QTemporaryDir tmp;
    test::ZapisaneKomunikaty komunikaty;
    DziennikWynikow dziennik(tmp.filePath("wyniki.sqlite"));
    auto glowne = okno(komunikaty, dziennik);
    zagraj(*glowne);
    glowne->Kontroler().ustawienia().Dzialanie = DzialanieDzielenie;
    glowne->Kontroler().ustawienia().Predkosc = PredkoscWolno;
    zagraj(*glowne, 3);
    ASSERT_TRUE(dziennik.Dokoncz(5s));

    TFrmWyniki wyniki(glowne.get(), dziennik.Plik(), &komunikaty);
    wyniki.Odswiez();
    const QAbstractItemModel* m = wyniki.findChild<QTableView*>("ListaCwiczen")->model();
    ASSERT_EQ(m->rowCount(), 2);
    QStringList wiersze;
    for (int r = 0; r < 2; ++r) {
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$").match(m->index(r, 0).data().toString()).hasMatch());
        QStringList pola;
        for (int c = 1; c < 6; ++c) pola << m->index(r, c).data().toString();
        wiersze << pola.join('|');
    }
    EXPECT_EQ(wiersze, (QStringList{"Dzielenie|10|Wolne|7 / 3|4", "Mnożenie|10|Średnie|10 / 0|6"}));

    // An export that cannot be written says so.
    EXPECT_FALSE(wyniki.Eksportuj(tmp.filePath("nie/ma/folderu.csv")));
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].rodzaj, IKomunikaty::Rodzaj::Uwaga);
    EXPECT_TRUE(komunikaty.lista[0].tekst.startsWith("Nie można zapisać pliku " + tmp.filePath("nie/ma/folderu.csv")));
}

TEST(Results, AJournalProblemIsToldOnceAfterADrillAndNeverDuringOne)
{
    QTemporaryDir tmp;
    QFile(tmp.filePath("plik")).open(QIODevice::WriteOnly); // where the folder should be
    test::ZapisaneKomunikaty komunikaty;
    DziennikWynikow dziennik(tmp.filePath("plik/wyniki.sqlite"));
    auto glowne = okno(komunikaty, dziennik);
    dziennik.Dokoncz(5s); // the journal has tried its folder
    QCoreApplication::processEvents();
    EXPECT_TRUE(komunikaty.lista.isEmpty()) << "told before any drill";

    DrillController& k = glowne->Kontroler();
    k.ButtonStartStopClick();
    k.TimerTimer();
    QCoreApplication::processEvents();
    EXPECT_TRUE(komunikaty.lista.isEmpty()) << "told during a drill";
    k.ButtonStartStopClick(); // STOP
    zagraj(*glowne);
    dziennik.Dokoncz(5s);
    QCoreApplication::processEvents();
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].rodzaj, IKomunikaty::Rodzaj::Uwaga);
    EXPECT_EQ(komunikaty.lista[0].tytul, "Zapis wyników");
    EXPECT_EQ(komunikaty.lista[0].tekst, DziennikWynikow::Opis(BladBazy::Folder, tmp.filePath("plik/wyniki.sqlite")));
    EXPECT_EQ(k.stan().Ocena, 6);

    zagraj(*glowne);
    dziennik.Dokoncz(5s);
    QCoreApplication::processEvents();
    EXPECT_EQ(komunikaty.lista.size(), 1);
}
