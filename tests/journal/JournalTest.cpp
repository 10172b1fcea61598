// The results journal on real SQLite files: what a drill leaves in the
// database, and what happens when the file or its folder is bad.
#include "Corruptions.h"
#include "DrillState.h"
#include "QtPrint.h"
#include "ResultsCsv.h"
#include "ResultsJournal.h"
#include "ResultsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cerrno>

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

// Runs statements on a connection of the test's own and returns the rows
// of the last one, as text.
QStringList wiersze(const QString& plik, const QStringList& polecenia)
{
    QStringList wynik;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test");
        db.setDatabaseName(plik);
        EXPECT_TRUE(db.open());
        QSqlQuery q(db);
        for (const QString& sql : polecenia) EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << q.lastError().text().toStdString();
        while (q.next()) {
            QStringList pola;
            for (int i = 0; i < q.record().count(); ++i) pola << q.value(i).toString();
            wynik << pola.join('|');
        }
    }
    QSqlDatabase::removeDatabase("test");
    return wynik;
}
QStringList wiersze(const QString& plik, const QString& sql) { return wiersze(plik, QStringList{sql}); }

// The drills list as the results window reads it: operation, minute, grade.
QStringList lista(const QString& plik)
{
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    KluczListy klucz;
    std::vector<WierszCwiczenia> w;
    EXPECT_TRUE(baza.Strona(klucz, 1000, w));
    QStringList tekst;
    for (const auto& c : w) tekst << QString("%1 @%2 =%3").arg(c.dzialanie).arg((c.koniecMs - chwila(0)) / 60000).arg(c.ocena);
    return tekst;
}

QStringList pliki(const QTemporaryDir& tmp, const QString& wzor)
{
    return QDir(tmp.path()).entryList({wzor}, QDir::Files);
}

} // namespace

TEST(ResultsJournal, ADrillIsCommittedBeforeTheGradesTickReturnsAndEveryFactIsFiledUnderItsOwnCell)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("nowy/folder/wyniki.sqlite");
    DziennikWynikow dziennik(plik, nullptr, 10s);
    QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
    ASSERT_TRUE(dziennik.Dokoncz(5s)); // open and idle: the tick waits for the commit
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0),
                              {{7, 8, "56", true, 120}, {7, 8, "54", false, 2400}, {3, 9, "", false, 4020}}));
    // Seen by another connection the moment the tick goes on.
    EXPECT_EQ(wiersze(plik, "SELECT id, ended_at_ms, operation, questions, pace_ms, narrator, good, bad, grade FROM drills"),
              (QStringList{"1|1796738580000|0|3|60|1|1|2|2"}));
    ZapisCwiczenia dzielenie = cwiczenie(DzialanieDzielenie, chwila(5), {{56, 8, "7", true, 600}});
    dzielenie.lektor = false;
    dzielenie.predkosc = PredkoscSzybko;
    dziennik.Zapisz(dzielenie);
    dziennik.Zapisz(cwiczenie(DzialanieDodawanie, chwila(6), {{34, 40, "74", true, 300}, {34, 45, "78", false, 900}}));
    dziennik.Zapisz(cwiczenie(DzialanieOdejmowanie, chwila(7), {{57, 17, "40", true, 1200}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    EXPECT_EQ(problemy.count(), 0);
    EXPECT_EQ(wiersze(plik, "PRAGMA user_version"), QStringList{"1"});
    EXPECT_EQ(wiersze(plik, "PRAGMA journal_mode"), QStringList{"wal"});
    EXPECT_EQ(wiersze(plik, "SELECT * FROM answers WHERE drill_id <= 2 ORDER BY drill_id, number"),
              (QStringList{"1|1|7|8|56|1|120", "1|2|7|8|54|0|2400", "1|3|3|9||0|4020", "2|1|56|8|7|1|600"}));

    EXPECT_EQ(lista(plik), (QStringList{"3 @7 =6", "2 @6 =3", "1 @5 =6", "0 @0 =2"})); // newest first
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    // Division is filed under the fact it rests on (7 x 8), addition and
    // subtraction under the operands' tens.
    const std::map<std::uint8_t, QStringList> oczekiwane{
        {DzialanieMnozenie, {"3x9 1/1 4020 ms 67.00", "7x8 1/2 2520 ms 42.00"}},
        {DzialanieDzielenie, {"7x8 0/1 600 ms 30.00"}},
        {DzialanieDodawanie, {"3x4 1/2 1200 ms 20.00"}},
        {DzialanieOdejmowanie, {"5x1 0/1 1200 ms 20.00"}},
    };
    for (const auto& [d, fakty] : oczekiwane) {
        std::vector<KomorkaFaktu> komorki;
        ASSERT_TRUE(baza.Fakty(d, komorki));
        QStringList tekst;
        for (const auto& k : komorki)
            tekst << QString("%1x%2 %3/%4 %5 ms %6").arg(k.wiersz).arg(k.kolumna).arg(k.bledy).arg(k.ile)
                         .arg(k.sumaCzasuMs).arg(k.sumaTykniec, 0, 'f', 2);
        EXPECT_EQ(tekst, fakty) << int(d);
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
    const QStringList odlozone = pliki(tmp, "wyniki.sqlite.uszkodzony-*");
    ASSERT_EQ(odlozone.size(), 1);
    QFile f(tmp.filePath(odlozone[0]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), smieci);
    EXPECT_EQ(problemy[0][0].toString(), QString("Plik z wynikami był uszkodzony. Odłożono go jako %1, a nowe wyniki "
                                                 "zapisują się w nowym pliku.")
                                             .arg(tmp.filePath(odlozone[0])));
    EXPECT_EQ(dziennik.ZmianyPliku(), QStringList{problemy[0][0].toString()});
    EXPECT_EQ(wiersze(plik, "SELECT operation, good FROM drills"), QStringList{"2|1"});
}

TEST(ResultsJournal, TwoCopiesStartingOnADamagedFileSetItAsideOnceAndTellOnce)
{
    for (int proba = 0; proba < 20; ++proba) {
        QTemporaryDir tmp;
        const QString plik = tmp.filePath("wyniki.sqlite");
        {
            QFile f(plik);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(8192, 'x'));
        }
        DziennikWynikow pierwszy(plik), drugi(plik);
        QSignalSpy p1(&pierwszy, &DziennikWynikow::Problem), p2(&drugi, &DziennikWynikow::Problem);
        pierwszy.Otworz();
        drugi.Otworz();
        ASSERT_TRUE(pierwszy.Dokoncz(5s));
        ASSERT_TRUE(drugi.Dokoncz(5s));
        QCoreApplication::processEvents();
        EXPECT_EQ(pliki(tmp, "wyniki.sqlite.uszkodzony-*").size(), 1) << "round " << proba;
        EXPECT_EQ(p1.count() + p2.count(), 1) << "round " << proba;
    }
}

TEST(ResultsJournal, ADamagedPageIsFoundBeforeTheFirstWriteAfterAnUncleanEnd)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        // A year of drills, closed cleanly.
        DziennikWynikow dziennik(plik);
        std::vector<PytanieCwiczenia> pytania(30, {6, 7, "42", true, 900});
        for (int i = 0; i < 300; ++i) dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(i), pytania));
        ASSERT_TRUE(dziennik.Dokoncz(10s));
    }
    // A copy of the program that is killed while it runs.
    QProcess kopia;
    kopia.start(ZM_TEST_JOURNAL_CHILD, {plik});
    ASSERT_TRUE(kopia.waitForReadyRead(10000));
    ASSERT_EQ(kopia.readAllStandardOutput(), "otwarty\n");
    kopia.kill();
    ASSERT_TRUE(kopia.waitForFinished(5000));
    // Damage in the middle of the answers, where a new drill never looks.
    const int stron = wiersze(plik, "PRAGMA page_count").value(0).toInt();
    ASSERT_GT(stron, 40);
    ASSERT_TRUE(test::UszkodzStroneSqlite(plik, stron / 2));
    QFile f(plik);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray uszkodzony = f.readAll();

    DziennikWynikow dziennik(plik);
    QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
    dziennik.Zapisz(cwiczenie(DzialanieDzielenie, chwila(500), {{56, 8, "7", true, 600}}));
    ASSERT_TRUE(dziennik.Dokoncz(10s));
    const QStringList odlozone = pliki(tmp, "wyniki.sqlite.uszkodzony-*");
    ASSERT_EQ(odlozone.size(), 1);
    QFile odlozony(tmp.filePath(odlozone[0]));
    ASSERT_TRUE(odlozony.open(QIODevice::ReadOnly));
    EXPECT_EQ(odlozony.readAll(), uszkodzony) << "written to after it was found damaged";
    QCoreApplication::processEvents();
    ASSERT_EQ(problemy.count(), 1);
    EXPECT_EQ(problemy[0][0].toString(), DziennikWynikow::Opis(BladBazy::Uszkodzona, plik, tmp.filePath(odlozone[0])));
    EXPECT_EQ(lista(plik), QStringList{"1 @500 =6"});
}

TEST(ResultsJournal, RowsBreakingTheRulesAreSkippedAndTheFileIsKept)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        DziennikWynikow dziennik(plik);
        for (int i = 0; i < 3; ++i) dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(i), {{3, 4, "12", true, 60}}));
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    // Another program's rows: a grade and an operation the schema forbids,
    // a time that is text.
    wiersze(plik, {"PRAGMA ignore_check_constraints = 1",
                   "INSERT INTO drills VALUES (10, 1796738580000, 200, 10, 60, 0, 10, 0, 7)",
                   "INSERT INTO drills VALUES (11, '2024-01-01 12:00', 0, 10, 60, 0, 10, 0, 6)"});
    // Without its state the journal checks the file at the next start.
    ASSERT_TRUE(QFile::remove(plik + ".stan"));
    DziennikWynikow dziennik(plik);
    QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(9), {{5, 5, "25", true, 60}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    QCoreApplication::processEvents();
    EXPECT_EQ(problemy.count(), 0);
    EXPECT_TRUE(pliki(tmp, "wyniki.sqlite.uszkodzony-*").isEmpty());
    EXPECT_EQ(lista(plik), (QStringList{"0 @9 =6", "0 @2 =6", "0 @1 =6", "0 @0 =6"}));
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    std::vector<OcenaWCzasie> oceny;
    std::int64_t pominiete = 0;
    ASSERT_TRUE(baza.Oceny(oceny, pominiete));
    EXPECT_EQ(oceny.size(), 4u);
    EXPECT_EQ(pominiete, 2);
}

TEST(ResultsJournal, AFailedStepLeavesNothingOfTheDrillAndItGoesInLater)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    DziennikWynikow dziennik(plik);
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    // The second answer cannot be written.
    wiersze(plik, "CREATE TRIGGER test_zly BEFORE INSERT ON answers WHEN NEW.number = 2 BEGIN SELECT RAISE(ABORT, 'nie'); END");
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0), {{3, 4, "12", true, 60}, {5, 6, "30", true, 60}}));
    EXPECT_FALSE(dziennik.Dokoncz(5s));
    EXPECT_EQ(wiersze(plik, "SELECT (SELECT count(*) FROM drills), (SELECT count(*) FROM answers)"), QStringList{"0|0"});
    wiersze(plik, "DROP TRIGGER test_zly");
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(1), {{7, 7, "49", true, 60}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    EXPECT_EQ(wiersze(plik, "SELECT drill_id, operand1 FROM answers ORDER BY drill_id, number"),
              (QStringList{"1|3", "1|5", "2|7"}));
}

TEST(ResultsJournal, TheFileDeletedWhileTheProgramRunsIsStartedAgainAndTheUserTold)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    DziennikWynikow dziennik(plik);
    QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0), {{3, 4, "12", true, 60}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    ASSERT_TRUE(QFile::remove(plik));
    dziennik.Zapisz(cwiczenie(DzialanieDzielenie, chwila(1), {{12, 4, "3", true, 60}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    EXPECT_EQ(lista(plik), QStringList{"1 @1 =6"});
    QCoreApplication::processEvents();
    ASSERT_EQ(problemy.count(), 1);
    EXPECT_EQ(problemy[0][0].toString(),
              QString("Plik z wynikami %1 został usunięty albo podmieniony w czasie pracy programu. Nowe wyniki "
                      "zapisują się w nowym pliku w tym samym miejscu.")
                  .arg(plik));
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

// What keeps a drill out of the file until the end of the program: it is
// kept beside the journal and written at the next start, once.
struct Przeszkoda {
    const char* nazwa;
    QStringList zaloz, zdejmij;
    BladBazy blad;
};

void PrintTo(const Przeszkoda& p, std::ostream* os) { *os << p.nazwa; }

class DrillsLeftAtTheEnd : public ::testing::TestWithParam<Przeszkoda> {};

TEST_P(DrillsLeftAtTheEnd, AreWrittenAtTheNextStart)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        DziennikWynikow dziennik(plik);
        dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0), {{3, 4, "12", true, 60}}));
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "przeszkoda");
    db.setDatabaseName(plik);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    for (const QString& s : GetParam().zaloz) ASSERT_TRUE(q.exec(s)) << s.toStdString();
    {
        DziennikWynikow dziennik(plik);
        QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
        dziennik.Zapisz(cwiczenie(DzialanieDodawanie, chwila(1), {{34, 40, "74", true, 300}}));
        EXPECT_FALSE(dziennik.Dokoncz(5s));
        QCoreApplication::processEvents();
        ASSERT_EQ(problemy.count(), 1);
        EXPECT_EQ(problemy[0][0].toString(), DziennikWynikow::Opis(GetParam().blad, plik));
        EXPECT_TRUE(dziennik.Zamknij());
    }
    ASSERT_TRUE(q.exec("SELECT count(*) FROM drills") && q.next());
    EXPECT_EQ(q.value(0).toInt(), 1) << "written where it must not be";
    EXPECT_EQ(pliki(tmp, "wyniki.sqlite.oczekujace-*").size(), 1);
    for (const QString& s : GetParam().zdejmij) ASSERT_TRUE(q.exec(s)) << s.toStdString();
    q.finish();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("przeszkoda");
    for (int start = 0; start < 2; ++start) {
        DziennikWynikow dziennik(plik);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    EXPECT_EQ(lista(plik), (QStringList{"2 @1 =6", "0 @0 =6"}));
    EXPECT_TRUE(pliki(tmp, "wyniki.sqlite.oczekujace-*").isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    ResultsJournal, DrillsLeftAtTheEnd,
    ::testing::Values(Przeszkoda{"lock", {"BEGIN EXCLUSIVE"}, {"COMMIT"}, BladBazy::Zablokowana},
                      Przeszkoda{"newer", {"PRAGMA user_version = 2"}, {"PRAGMA user_version = 1"}, BladBazy::Nowsza}),
    [](const auto& i) { return std::string(i.param.nazwa); });

TEST(ResultsJournal, EachFailureGetsItsOwnWords)
{
    struct Przypadek {
        int kod, errnoSystemu;
        bool systemTylkoDoOdczytu, odczyt;
        BladBazy blad;
    };
    const Przypadek przypadki[] = {
        {SQLITE_BUSY, 0, false, false, BladBazy::Zablokowana},
        {SQLITE_FULL, ENOSPC, false, false, BladBazy::Pelny},
        {SQLITE_FULL, EDQUOT, false, false, BladBazy::Przydzial},
        {SQLITE_IOERR_WRITE, EDQUOT, false, false, BladBazy::Przydzial},
        {SQLITE_READONLY, 0, true, false, BladBazy::SystemTylkoDoOdczytu},
        {SQLITE_CANTOPEN, EROFS, false, false, BladBazy::SystemTylkoDoOdczytu},
        {SQLITE_CANTOPEN, EACCES, false, false, BladBazy::TylkoOdczyt},
        {SQLITE_CANTOPEN, EACCES, false, true, BladBazy::Nieczytelna},
        {SQLITE_NOTADB, 0, false, true, BladBazy::Uszkodzona},
    };
    for (const Przypadek& p : przypadki)
        EXPECT_EQ(RodzajBledu(p.kod, p.errnoSystemu, p.systemTylkoDoOdczytu, p.odczyt), p.blad) << p.kod << " " << p.errnoSystemu;
    const QString plik = "/dane/wyniki.sqlite";
    EXPECT_EQ(DziennikWynikow::Przyczyna(BladBazy::SystemTylkoDoOdczytu, plik), "dysk z folderem /dane jest tylko do odczytu");
    EXPECT_EQ(DziennikWynikow::Przyczyna(BladBazy::Przydzial, plik),
              "wyczerpał się przydział miejsca na dysku dla tego użytkownika");
    EXPECT_EQ(DziennikWynikow::Przyczyna(BladBazy::Nieczytelna, plik), "nie można odczytać pliku /dane/wyniki.sqlite");
}

TEST(ResultsCsv, TheListOpensAsSemicolonSeparatedUtf8RowsWithAHeader)
{
    const std::vector<WierszCwiczenia> lista{{chwila(61), DzialanieOdejmowanie, 30, PredkoscWolno, false, 29, 1, 5},
                                             {chwila(0), DzialanieMnozenie, 10, PredkoscSrednio, true, 10, 0, 6},
                                             {INT64_MIN, DzialanieMnozenie, 10, PredkoscSrednio, true, 10, 0, 6}};
    const QByteArray csv = TekstCsv(lista);
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList linie = QString::fromUtf8(csv.mid(3)).split("\r\n");
    EXPECT_EQ(linie, (QStringList{"Data;Działanie;Pytania;Tempo;Lektor;Dobre;Złe;Ocena",
                                  "2026-12-08 16:04;Odejmowanie;30;Wolne;nie;29;1;5",
                                  "2026-12-08 15:03;Mnożenie;10;Średnie;tak;10;0;6",
                                  "?;Mnożenie;10;Średnie;tak;10;0;6", ""}));
}
