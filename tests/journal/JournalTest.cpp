// The results journal on real SQLite files: what a drill leaves in the
// database, and what happens when the file or its folder is bad.
#include "DrillState.h"
#include "QtPrint.h"
#include "ResultsCsv.h"
#include "ResultsJournal.h"
#include "ResultsStore.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <gtest/gtest.h>

using namespace zm;
using namespace std::chrono_literals;

namespace {

// 2026-12-08 14:03:00 UTC plus `minut`.
qint64 chwila(int minut) { return 1796738580000LL + minut * 60000LL; }

ZapisCwiczenia cwiczenie(std::uint8_t dzialanie, qint64 koniec, std::vector<PytanieCwiczenia> pytania)
{
    ZapisCwiczenia z;
    z.koniecMs = koniec;
    z.dzialanie = dzialanie;
    z.iloscPytan = static_cast<std::int32_t>(pytania.size());
    z.predkosc = PredkoscSrednio;
    z.lektor = true;
    for (const auto& p : pytania) (p.dobrze ? z.dobrze : z.zle)++;
    z.ocena = ObliczOcene(z.dobrze, z.iloscPytan);
    z.pytania = std::move(pytania);
    return z;
}

// The rows of a query on a connection of the test's own, as text.
QStringList wiersze(const QString& plik, const QString& sql)
{
    QStringList wynik;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test");
        db.setDatabaseName(plik);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        while (q.next()) {
            QStringList pola;
            for (int i = 0; i < q.record().count(); ++i) pola << q.value(i).toString();
            wynik << pola.join('|');
        }
    }
    QSqlDatabase::removeDatabase("test");
    return wynik;
}

} // namespace

TEST(ResultsJournal, ADrillLandsWithEveryFieldAndTheListAndFactsReadBack)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("nowy/folder/wyniki.sqlite");
    {
        DziennikWynikow dziennik(plik);
        QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
        dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0),
                                  {{7, 8, "56", true, 120}, {7, 8, "54", false, 2400}, {3, 9, "", false, 4020}}));
        ZapisCwiczenia dzielenie = cwiczenie(DzialanieDzielenie, chwila(5), {{56, 8, "7", true, 600}});
        dzielenie.lektor = false;
        dzielenie.predkosc = PredkoscSzybko;
        dziennik.Zapisz(dzielenie);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
        EXPECT_EQ(problemy.count(), 0);
    }
    EXPECT_EQ(wiersze(plik, "PRAGMA user_version"), QStringList{"1"});
    EXPECT_EQ(wiersze(plik, "PRAGMA journal_mode"), QStringList{"wal"});
    EXPECT_EQ(wiersze(plik, "SELECT id, ended_at_ms, operation, questions, pace_ms, narrator, good, bad, grade FROM drills"),
              (QStringList{"1|1796738580000|0|3|60|1|1|2|2", "2|1796738880000|1|1|20|0|1|0|6"}));
    EXPECT_EQ(wiersze(plik, "SELECT * FROM answers ORDER BY drill_id, number"),
              (QStringList{"1|1|7|8|56|1|120", "1|2|7|8|54|0|2400", "1|3|3|9||0|4020", "2|1|56|8|7|1|600"}));

    BazaWynikow baza(plik, BazaWynikow::Tryb::Odczyt, "odczyt");
    const auto lista = baza.Cwiczenia();
    ASSERT_EQ(lista.size(), 2u); // newest first
    EXPECT_EQ(std::tuple(lista[0].dzialanie, lista[0].predkosc, lista[0].lektor, lista[0].ocena),
              std::tuple(std::uint8_t{1}, 20, false, std::uint8_t{6}));
    EXPECT_EQ(lista[1].koniecMs, chwila(0));
    // Division is filed under the fact it rests on: 7 x 8.
    for (std::uint8_t d : {DzialanieMnozenie, DzialanieDzielenie}) {
        const auto fakty = baza.Fakty(d);
        QStringList tekst;
        for (const auto& k : fakty)
            tekst << QString("%1x%2 %3/%4 %5 ms %6").arg(k.wiersz).arg(k.kolumna).arg(k.bledy).arg(k.ile)
                         .arg(k.sredniCzasMs).arg(k.sredniUdzialCzasu, 0, 'f', 3);
        // 67 ticks make a question's whole time: 4020 ms at 60 ms, 1340 at 20.
        EXPECT_EQ(tekst, d == DzialanieMnozenie ? (QStringList{"3x9 1/1 4020 ms 1.000", "7x8 1/2 1260 ms 0.313"})
                                                 : (QStringList{"7x8 0/1 600 ms 0.448"}));
    }
}

TEST(ResultsJournal, ADamagedFileIsSetAsideNotDeletedAndTheNextDrillIsKept)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    const QByteArray smieci = QByteArray("to nie jest baza danych ").repeated(200);
    {
        QFile f(plik);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(smieci);
    }
    DziennikWynikow dziennik(plik);
    QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
    dziennik.Zapisz(cwiczenie(DzialanieDodawanie, chwila(0), {{34, 40, "74", true, 300}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    ASSERT_TRUE(problemy.wait(2000) || problemy.count() == 1);
    ASSERT_EQ(problemy.count(), 1);
    const QStringList odlozone = QDir(tmp.path()).entryList({"wyniki.sqlite.uszkodzony-*"}, QDir::Files);
    ASSERT_EQ(odlozone.size(), 1);
    QFile f(tmp.filePath(odlozone[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), smieci);
    EXPECT_EQ(problemy[0][0].toString(), QString("Plik z wynikami był uszkodzony. Odłożono go jako %1, a nowe wyniki "
                                                 "zapisują się w nowym pliku.")
                                             .arg(tmp.filePath(odlozone[0])));
    EXPECT_EQ(wiersze(plik, "SELECT operation, good FROM drills"), QStringList{"2|1"});
}

TEST(ResultsJournal, AFolderThatCannotBeMadeIsToldOnceAndTheDrillsWaitInMemory)
{
    QTemporaryDir tmp;
    const QString zawalidroga = tmp.filePath("dane");
    {
        QFile f(zawalidroga); // a file where the folder should be
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString plik = zawalidroga + "/wyniki.sqlite";
    DziennikWynikow dziennik(plik);
    QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0), {{3, 3, "9", true, 60}}));
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(1), {{4, 4, "16", true, 60}}));
    EXPECT_FALSE(dziennik.Dokoncz(5s));
    QCoreApplication::processEvents();
    ASSERT_EQ(problemy.count(), 1);
    EXPECT_EQ(problemy[0][0].toString(), QString("Wyników nie można zapisać: nie można utworzyć folderu %1. Ćwiczenia "
                                                 "działają dalej; program spróbuje zapisać je później.")
                                             .arg(zawalidroga));
    // Once the folder can be made, the waiting drills go in with the next one.
    ASSERT_TRUE(QFile::remove(zawalidroga));
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(2), {{5, 5, "25", true, 60}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    EXPECT_EQ(wiersze(plik, "SELECT operand1 FROM answers ORDER BY drill_id"), (QStringList{"3", "4", "5"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(problemy.count(), 1);
}

TEST(ResultsJournal, ALockNeverHoldsTheDrillAndTwoCopiesBothKeepTheirDrills)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    DziennikWynikow pierwszy(plik), drugi(plik);
    ASSERT_TRUE(pierwszy.Dokoncz(5s));
    ASSERT_TRUE(drugi.Dokoncz(5s));
    {
        // Another program holds the write lock.
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "blokada");
        db.setDatabaseName(plik);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("BEGIN IMMEDIATE"));
        pierwszy.Zapisz(cwiczenie(DzialanieOdejmowanie, chwila(0), {{57, 57, "0", true, 100}}));
        // The drill went on while the lock is still held: nothing written yet.
        ASSERT_TRUE(q.exec("SELECT count(*) FROM drills") && q.next());
        EXPECT_EQ(q.value(0).toInt(), 0);
        QThread::msleep(200);
        ASSERT_TRUE(q.exec("COMMIT"));
    }
    QSqlDatabase::removeDatabase("blokada");
    drugi.Zapisz(cwiczenie(DzialanieOdejmowanie, chwila(1), {{30, 17, "13", true, 100}}));
    ASSERT_TRUE(pierwszy.Dokoncz(5s));
    ASSERT_TRUE(drugi.Dokoncz(5s));
    // Both drills, in whichever order the two copies got the lock.
    EXPECT_EQ(wiersze(plik, "SELECT operand1, operand2 FROM answers ORDER BY operand1"),
              (QStringList{"30|17", "57|57"}));
}

TEST(ResultsCsv, TheListOpensAsSemicolonSeparatedUtf8RowsWithAHeader)
{
    const std::vector<WierszCwiczenia> lista{{chwila(61), DzialanieOdejmowanie, 30, PredkoscWolno, false, 29, 1, 5},
                                             {chwila(0), DzialanieMnozenie, 10, PredkoscSrednio, true, 10, 0, 6}};
    const QByteArray csv = TekstCsv(lista);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList linie = QString::fromUtf8(csv.mid(3)).split("\r\n");
    EXPECT_EQ(linie, (QStringList{"Data;Działanie;Pytania;Tempo;Lektor;Dobre;Złe;Ocena",
                                  "2026-12-08 16:04;Odejmowanie;30;Wolne;nie;29;1;5",
                                  "2026-12-08 15:03;Mnożenie;10;Średnie;tak;10;0;6", ""}));
}
