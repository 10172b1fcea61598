// The results journal on real SQLite files: what a drill leaves in the
// database, and what happens when the file or its folder is bad.
#include "Children.h"
#include "ClassOutbox.h"
#include "Corruptions.h"
#include "DrillState.h"
#include "QtPrint.h"
#include "ResultsCsv.h"
#include "ResultsJournal.h"
#include "ResultsReader.h"
#include "ResultsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
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
#include <fcntl.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

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

// Whether `tekst` names the drills only the memory holds: the first of
// `cwiczenia` ("2026-12-08 15:03 Mnożenie (ocena 6)") and those that were
// waiting with it, in the words `slowa` makes of them.
::testing::AssertionResult tylkoWPamieci(const QString& tekst, const std::function<QString(const QStringList&)>& slowa,
                                         const QStringList& cwiczenia)
{
    for (qsizetype n = 1; n <= cwiczenia.size(); ++n)
        if (tekst == slowa(cwiczenia.first(n))) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << tekst.toStdString();
}

// A small file system of its own (tmpfs), gone with the object; not
// mounted where the test may not mount.
struct MalyDysk {
    QString folder;
    bool zamontowany = false;
    MalyDysk(const QTemporaryDir& tmp, const char* rozmiar) : folder(tmp.filePath("dysk"))
    {
        QDir().mkpath(folder);
        zamontowany = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, rozmiar) == 0;
    }
    ~MalyDysk()
    {
        if (zamontowany) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    }
    // Fills what is left of it; the file that took the room.
    QString Zapelnij() const
    {
        const QString wypelniacz = folder + "/wypelniacz";
        const int fd = ::open(QFile::encodeName(wypelniacz).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray blok(4096, 'x');
        while (::write(fd, blok.constData(), blok.size()) > 0) {
        }
        while (::write(fd, blok.constData(), 1) > 0) {
        }
        ::close(fd);
        return wypelniacz;
    }
};

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
    EXPECT_EQ(wiersze(plik, "PRAGMA user_version"), QStringList{"3"});
    EXPECT_EQ(wiersze(plik, "PRAGMA journal_mode"), QStringList{"wal"});
    EXPECT_EQ(wiersze(plik, "SELECT * FROM answers WHERE drill_id <= 2 ORDER BY drill_id, number"),
              (QStringList{"1|1|7|8|56|1|120", "1|2|7|8|54|0|2400", "1|3|3|9||0|4020", "2|1|56|8|7|1|600"}));

    EXPECT_EQ(lista(plik), (QStringList{"3 @7 =6", "2 @6 =3", "1 @5 =6", "0 @0 =2"})); // newest first
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    // Division is filed under its dividend and divisor, addition and
    // subtraction under the ones digits that carry or borrow.
    const std::map<std::uint8_t, QStringList> oczekiwane{
        {DzialanieMnozenie, {"3x9 1/1 4020 ms 67.00", "7x8 1/2 2520 ms 42.00"}},
        {DzialanieDzielenie, {"56x8 0/1 600 ms 30.00"}},
        {DzialanieDodawanie, {"4x0 0/1 300 ms 5.00", "4x5 1/1 900 ms 15.00"}},
        {DzialanieOdejmowanie, {"7x7 0/1 1200 ms 20.00"}},
    };
    for (const auto& [d, fakty] : oczekiwane) {
        std::vector<KomorkaFaktu> komorki;
        ASSERT_TRUE(baza.Fakty(d, komorki));
        QStringList tekst;
        for (const auto& k : komorki)
            tekst << QString("%1x%2 %3/%4 %5 ms %6").arg(k.a).arg(k.b).arg(k.bledy).arg(k.ile)
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
                   "INSERT INTO drills (id, ended_at_ms, operation, questions, pace_ms, narrator, good, bad, grade)"
                   " VALUES (10, 1796738580000, 200, 10, 60, 0, 10, 0, 7), (11, '2024-01-01 12:00', 0, 10, 60, 0, 10, 0, 6)"});
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
    // Without a folder there is no room for a reserve either: the user
    // learns from which drill on the results are only in memory.
    ASSERT_EQ(problemy.count(), 1);
    EXPECT_TRUE(tylkoWPamieci(
        problemy[0][0].toString(),
        [&](const QStringList& c) {
            return QString("Wyników nie można zapisać: nie można utworzyć folderu %1, a obok pliku nie ma miejsca na "
                           "zapas. Ćwiczenia działają dalej, ale wyniki ćwiczeń %2 i każdego następnego są tylko w "
                           "pamięci: przepadną przy zamknięciu programu, jeśli do tego czasu nie uda się ich zapisać.")
                .arg(zawalidroga, c.join(", "));
        },
        {"2026-12-08 15:03 Mnożenie (ocena 6)", "2026-12-08 15:04 Mnożenie (ocena 6)"}));
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
                      Przeszkoda{"newer", {"PRAGMA user_version = 4"}, {"PRAGMA user_version = 3"}, BladBazy::Nowsza}),
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

TEST(ResultsCsv, TheListAndEveryQuestionOpenAsSemicolonSeparatedUtf8RowsWithAHeader)
{
    WierszCwiczenia trudne{chwila(61), DzialanieOdejmowanie, 30, PredkoscWolno, false, 29, 1, 5};
    trudne.losowanie = 1;
    const WierszCwiczenia zwykle{chwila(0), DzialanieMnozenie, 10, PredkoscSrednio, true, 10, 0, 6};
    const WierszCwiczenia dziwne{INT64_MIN, DzialanieMnozenie, 10, PredkoscSrednio, true, 10, 0, 6};
    const QByteArray csv = PoczatekCsv() + WierszCsv(trudne, "Zosia \"Mała\"; Ż", "12") + WierszCsv(zwykle, "Ola", "3") +
                           WierszCsv(dziwne, "Ola", "4");
    ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(QString::fromUtf8(csv.mid(3)).split("\r\n"),
              (QStringList{"Nr ćwiczenia;Dziecko;Data;Działanie;Pytania;Tempo;Lektor;Losowanie;Dobre;Złe;Ocena",
                           "12;\"Zosia \"\"Mała\"\"; Ż\";2026-12-08 16:04;Odejmowanie;30;Wolne;nie;trudne;29;1;5",
                           "3;Ola;2026-12-08 15:03;Mnożenie;10;Średnie;tak;losowe;10;0;6",
                           "4;Ola;?;Mnożenie;10;Średnie;tak;losowe;10;0;6", ""}));
    // Names a spreadsheet would run as formulas stay text.
    QStringList imiona;
    for (const char* imie : {"=1+1", "+48 600", "-Ala", "@SUMA(A1)", "\tOla", "\rOla", "Ola=Ala"})
        imiona << QString::fromUtf8(WierszCsv(zwykle, imie, "3")).section(';', 1, 1);
    EXPECT_EQ(imiona, (QStringList{"'=1+1", "'+48 600", "'-Ala", "'@SUMA(A1)", "'\tOla", "\"'\rOla\"", "Ola=Ala"}));
    const QByteArray pytania = PoczatekCsvPytan() + WierszCsvPytania(trudne, {57, 18, "40", false, 3400}, "Ola", "12") +
                               WierszCsvPytania(zwykle, {7, 8, "=56", false, 4020}, "Ola", "3");
    ASSERT_TRUE(pytania.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(QString::fromUtf8(pytania.mid(3)).split("\r\n"),
              (QStringList{"Nr ćwiczenia;Dziecko;Data;Działanie;Liczba 1;Liczba 2;Wynik;Odpowiedź;Dobrze;Czas (ms)",
                           "12;Ola;2026-12-08 16:04;Odejmowanie;57;18;39;40;nie;3400",
                           "3;Ola;2026-12-08 15:03;Mnożenie;7;8;56;'=56;nie;4020", ""}));
}

TEST(ResultsJournal, AFileOfTheFirstVersionIsBroughtUpWithEveryRowKeptAndEachFactsRecordReplayed)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    // As the program of the first version left it.
    wiersze(plik, {"CREATE TABLE drills (id INTEGER PRIMARY KEY, ended_at_ms INTEGER NOT NULL, operation INTEGER NOT NULL"
                   " CHECK (operation BETWEEN 0 AND 3), questions INTEGER NOT NULL, pace_ms INTEGER NOT NULL,"
                   " narrator INTEGER NOT NULL, good INTEGER NOT NULL, bad INTEGER NOT NULL,"
                   " grade INTEGER NOT NULL CHECK (grade BETWEEN 1 AND 6))",
                   "CREATE INDEX drills_by_end ON drills (ended_at_ms)",
                   "CREATE TABLE answers (drill_id INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,"
                   " number INTEGER NOT NULL, operand1 INTEGER NOT NULL, operand2 INTEGER NOT NULL, answer TEXT NOT NULL,"
                   " correct INTEGER NOT NULL, time_ms INTEGER NOT NULL, PRIMARY KEY (drill_id, number)) WITHOUT ROWID",
                   "INSERT INTO drills VALUES (1, 1796738580000, 0, 2, 60, 1, 0, 2, 1), (2, 1796738640000, 0, 2, 60, 1, 2, 0, 6)",
                   "INSERT INTO answers VALUES (1, 1, 7, 8, '54', 0, 4020), (1, 2, 3, 9, '27', 1, 3000),"
                   " (2, 1, 7, 8, '56', 1, 600), (2, 2, 3, 9, '27', 1, 3100)",
                   "PRAGMA user_version = 1"});
    const QStringList odpowiedzi = wiersze(plik, "SELECT * FROM answers ORDER BY drill_id, number");
    {
        // Read before it is brought up: the first child's drills.
        BazaWynikow stara(plik, {BazaWynikow::Tryb::Odczyt});
        KluczListy k;
        std::vector<WierszCwiczenia> w;
        ASSERT_TRUE(stara.Strona(k, 10, w, kPierwszeDziecko));
        EXPECT_EQ(w.size(), 2u);
    }
    {
        // Brought up by the class's outbox, which opens it first: the same
        // connection then offers both drills, as the first child's.
        BazaWynikow skrzynka(plik, {BazaWynikow::Tryb::Zapis});
        std::vector<BazaWynikow::DoWyslania> d;
        ASSERT_TRUE(skrzynka.Niewyslane(10, d));
        ASSERT_EQ(d.size(), 2u);
        EXPECT_EQ(std::make_tuple(d[1].imie, d[1].zapis.koniecMs, d[1].zapis.pytania.size()),
                  std::make_tuple(QString("Dziecko 1"), 1796738640000LL, 2u));
    }
    DziennikWynikow dziennik(plik);
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(5), {{7, 8, "56", true, 3000}}));
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    EXPECT_EQ(wiersze(plik, "PRAGMA user_version"), QStringList{"3"});
    EXPECT_EQ(wiersze(plik, "SELECT id, child_id, draw, length(uid), sent FROM drills ORDER BY id"),
              (QStringList{"1|1|0|32|0", "2|1|0|32|0", "3|1|0|32|0"}));
    EXPECT_EQ(wiersze(plik, "SELECT * FROM answers WHERE drill_id <= 2 ORDER BY drill_id, number"), odpowiedzi);
    EXPECT_EQ(wiersze(plik, "SELECT id, name, removed FROM children"), QStringList{"1|Dziecko 1|0"});
    // 7 x 8: missed (box 1), quick (box 2), then quick again the same day
    // (not due: stays, its day kept); 3 x 9: quick within 3 s (box 2), then
    // slow (stays).
    EXPECT_EQ(wiersze(plik, "SELECT child_id, operation, a, b, asked, missed, time_ms, last_ms, box FROM child_facts"
                            " ORDER BY a"),
              (QStringList{"1|0|3|9|2|0|6100|1796738580000|2", "1|0|7|8|3|1|7620|1796738640000|2"}));
}

TEST(ResultsJournal, AFileOfTheSecondVersionHasEachFactsRecordMadeAgainFromItsAnswersInTheChildsDays)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        // Written in this order; in time the third drill (the next day) comes
        // before the second (the day after).
        DziennikWynikow dziennik(plik);
        dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(0),
                                  {{8, 7, "56", true, 600}, {8, 7, "56", true, 700}, {6, 9, "54", true, 900},
                                   {8, 7, "56", true, 800}}));
        dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(2 * 1440), {{6, 9, "56", false, 2000}}));
        dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(1440), {{6, 9, "54", true, 1000}}));
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    // As the program of version 2 left it: 8 x 7 mastered after one sitting,
    // and a record no answer gives.
    wiersze(plik, {"UPDATE child_facts SET box = 4 WHERE a = 8",
                   "INSERT INTO child_facts VALUES (1, 0, 5, 5, 3, 0, 1800, 30, 1796738580000, 4)",
                   "PRAGMA user_version = 2"});
    {
        // Read before it is brought up: no fact is known from that record.
        BazaWynikow stara(plik, {BazaWynikow::Tryb::Odczyt});
        std::vector<KomorkaFaktu> k;
        ASSERT_TRUE(stara.Fakty(DzialanieMnozenie, k, kPierwszeDziecko));
        ASSERT_EQ(k.size(), 2u);
        EXPECT_EQ(std::make_tuple(k[1].a, k[1].ile, k[1].pudelko), std::make_tuple(8, 3, 0));
    }
    ASSERT_TRUE(BazaWynikow(plik, {BazaWynikow::Tryb::Zapis}).Otwarcie());
    EXPECT_EQ(wiersze(plik, "PRAGMA user_version"), QStringList{"3"});
    // By the answers in time (local days D, D+1, D+2). 8 x 7: quick on day
    // D (box 2, due on D+1), then twice not due: box 2, day D. 6 x 9: quick
    // on D (box 2), quick on D+1 while due (box 3), missed on D+2 (box 1,
    // day D+2). (In the order written it would end in box 2, day D+1.)
    EXPECT_EQ(wiersze(plik, "SELECT child_id, operation, a, b, asked, missed, time_ms, last_ms, box FROM child_facts"
                            " ORDER BY a"),
              (QStringList{"1|0|6|9|3|1|3900|1796911380000|1", "1|0|8|7|3|0|2100|1796738580000|2"}));
}

TEST(Children, TwoChildrenKeepTheirOwnDrillsSettingsAndTurnAcrossRestarts)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    std::int64_t lucja = 0;
    Ustawienia jejUstawienia;
    jejUstawienia.Dzialanie = DzialanieDzielenie;
    jejUstawienia.Predkosc = PredkoscWolno;
    jejUstawienia.Tryb = Losowanie::TrudneFakty;
    jejUstawienia.Tabliczki = (1u << 7) | (1u << 8);
    {
        DziennikWynikow dziennik(plik);
        ListaDzieci dzieci([&](const ZmianaDziecka& z) { dziennik.ZmienDziecko(z); });
        ASSERT_EQ(dzieci.Dodaj("  Łucja \t„Mała”  ", lucja), "");
        dzieci.Wybierz(lucja);
        dzieci.ZapiszUstawienia(jejUstawienia);
        ZapisCwiczenia jej = cwiczenie(DzialanieDzielenie, chwila(1), {{56, 8, "7", true, 600}});
        jej.dziecko = lucja;
        dziennik.Zapisz(jej);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
        QThread::msleep(5);
        dzieci.Wybierz(kPierwszeDziecko);
        dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(2), {{3, 4, "12", true, 60}}));
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    // The next start: the same children, the last chosen practises, each
    // with its own settings and drills.
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    std::vector<WierszDziecka> wiersze;
    ASSERT_TRUE(baza.Dzieci(wiersze));
    ListaDzieci dzieci([](const ZmianaDziecka&) {});
    dzieci.Wczytaj(wiersze);
    ASSERT_EQ(dzieci.Lista().size(), 2);
    EXPECT_EQ(dzieci.Lista()[0].imie, "Dziecko 1");
    EXPECT_EQ(dzieci.Lista()[1].imie, "Łucja „Mała”");
    EXPECT_EQ(dzieci.Biezace(), kPierwszeDziecko);
    EXPECT_EQ(dzieci.UstawieniaBiezacego(), Ustawienia{});
    dzieci.Wybierz(lucja);
    EXPECT_EQ(dzieci.UstawieniaBiezacego(), jejUstawienia);
    for (auto [dziecko, oczekiwane] : {std::pair{lucja, QStringList{"1 @1 =6"}}, std::pair{kPierwszeDziecko, QStringList{"0 @2 =6"}},
                                       std::pair{std::int64_t{0}, QStringList{"0 @2 =6", "1 @1 =6"}}}) {
        KluczListy k;
        std::vector<WierszCwiczenia> w;
        ASSERT_TRUE(baza.Strona(k, 10, w, dziecko));
        QStringList tekst;
        for (const auto& c : w) tekst << QString("%1 @%2 =%3").arg(c.dzialanie).arg((c.koniecMs - chwila(0)) / 60000).arg(c.ocena);
        EXPECT_EQ(tekst, oczekiwane) << dziecko;
    }
    RekordFaktow rekord;
    ASSERT_TRUE(baza.Rekord(lucja, rekord));
    ASSERT_EQ(rekord.size(), 1u);
    EXPECT_EQ(rekord.begin()->first, (Fakt{DzialanieDzielenie, 56, 8}));
    // The fact tables of all time, one child's or everyone's.
    for (auto [dziecko, oczekiwane] : {std::pair{lucja, QStringList{"1:56x8"}}, std::pair{kPierwszeDziecko, QStringList{"0:3x4"}},
                                       std::pair{std::int64_t{0}, QStringList{"0:3x4", "1:56x8"}}}) {
        QStringList tekst;
        for (std::uint8_t d : {DzialanieMnozenie, DzialanieDzielenie}) {
            std::vector<KomorkaFaktu> komorki;
            ASSERT_TRUE(baza.Fakty(d, komorki, dziecko));
            for (const auto& k : komorki) tekst << QString("%1:%2x%3").arg(d).arg(k.a).arg(k.b);
        }
        EXPECT_EQ(tekst, oczekiwane) << dziecko;
    }
}

TEST(Children, NamesAreCheckedAndARemovedChildKeepsItsDrillsOnlyWhenAsked)
{
    const QString dlugie(kMaksDlugoscImienia, QChar(0x017C)); // ż
    struct Przypadek {
        QString imie, blad;
    };
    const QList<Dziecko> sa{{1, "Ola"}, {2, "Łucja"}};
    for (const Przypadek& p : {Przypadek{"Zosia \"Z\" O'Hara; DROP TABLE children", ""}, Przypadek{dlugie, ""},
                               Przypadek{dlugie + "x", "Imię może mieć najwyżej 200 znaków."},
                               Przypadek{" \t\n", "Wpisz imię dziecka."}, Przypadek{"ŁUCJA", "Dziecko o imieniu „Łucja” już jest."},
                               Przypadek{" o\u0001la ", ""}})
        EXPECT_EQ(BladImienia(p.imie, sa), p.blad) << p.imie.left(20).toStdString();
    EXPECT_EQ(BladImienia("ola", sa, 1), ""); // renaming a child to its own name
    EXPECT_EQ(UporzadkujImie(" o\u0001la  Nowak "), "o la Nowak");

    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    DziennikWynikow dziennik(plik);
    ListaDzieci dzieci([&](const ZmianaDziecka& z) { dziennik.ZmienDziecko(z); });
    std::int64_t zosia = 0, ola = 0;
    ASSERT_EQ(dzieci.Dodaj("Zosia \"Z\" O'Hara; DROP TABLE children", zosia), "");
    ASSERT_EQ(dzieci.Dodaj("Ola", ola), "");
    for (std::int64_t kto : {zosia, ola}) {
        ZapisCwiczenia z = cwiczenie(DzialanieMnozenie, chwila(kto == zosia ? 1 : 2), {{3, 4, "12", true, 60}});
        z.dziecko = kto;
        dziennik.Zapisz(z);
    }
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    dzieci.Wybierz(zosia);
    dzieci.Usun(zosia, true);
    dzieci.Usun(ola, false);
    ASSERT_TRUE(dziennik.Dokoncz(5s));
    EXPECT_EQ(dzieci.Biezace(), kPierwszeDziecko);
    EXPECT_EQ(dzieci.Lista().size(), 1);
    EXPECT_EQ(dzieci.Imie(zosia), "Zosia \"Z\" O'Hara; DROP TABLE children");
    EXPECT_EQ(wiersze(plik, "SELECT name, removed FROM children ORDER BY id = 1, name"),
              (QStringList{"Zosia \"Z\" O'Hara; DROP TABLE children|1", "Dziecko 1|0"}));
    EXPECT_EQ(wiersze(plik, QString("SELECT count(*) FROM drills WHERE child_id = %1 UNION ALL SELECT count(*) FROM"
                                    " drills WHERE child_id = %2 UNION ALL SELECT count(*) FROM child_facts WHERE child_id = %2")
                                .arg(zosia).arg(ola)),
              (QStringList{"1", "0", "0"}));

    // A child's drill and the child's removal with its drills waiting in one
    // write (behind another program's lock): neither comes back, and no
    // child is made up for the drill.
    {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis});
        const std::int64_t ala = 4242;
        ZmianaDziecka zmiany[2];
        zmiany[0].id = zmiany[1].id = ala;
        zmiany[0].imie = "Ala";
        zmiany[1].rodzaj = ZmianaDziecka::Rodzaj::UsunZWynikami;
        ZapisCwiczenia z = cwiczenie(DzialanieMnozenie, chwila(9), {{3, 4, "12", true, 60}});
        z.dziecko = ala;
        ASSERT_TRUE(b.Zapisz(zmiany, std::span(&z, 1)));
    }
    EXPECT_EQ(wiersze(plik, "SELECT count(*) FROM drills WHERE child_id = 4242 UNION ALL"
                            " SELECT count(*) FROM children WHERE id = 4242"),
              (QStringList{"0", "0"}));
}

TEST(ResultsJournal, AReaderThatOpenedTheFileBeforeItsSchemaReadsTheDrillsWrittenSince)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        QFile f(plik); // made by the journal, its schema not written yet
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    CzytnikWynikow czytnik(plik);
    const auto ile = [&] {
        std::optional<int> n;
        czytnik.Czytaj<int>(
            [](BazaWynikow* b, WynikBazy& w) {
                KluczListy k;
                std::vector<WierszCwiczenia> wiersze;
                if (b) w = b->Strona(k, 10, wiersze, 0);
                return static_cast<int>(wiersze.size());
            },
            [&](const WynikBazy&, int wynik) { n = wynik; });
        if (!QTest::qWaitFor([&] { return n.has_value(); }, 5000)) return -1;
        return n.value_or(-1);
    };
    EXPECT_EQ(ile(), 0);
    {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis});
        const ZapisCwiczenia z = cwiczenie(DzialanieMnozenie, chwila(1), {{3, 4, "12", true, 60}});
        ASSERT_TRUE(b.Zapisz({}, std::span(&z, 1)));
    }
    EXPECT_EQ(ile(), 1);
}

TEST(ResultsJournal, TheClassOutboxOffersTheDrillsOfTheFileNowAtItsPath)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    const auto zapisz = [&](int minuta) {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis});
        const ZapisCwiczenia z = cwiczenie(DzialanieMnozenie, chwila(minuta), {{3, 4, "12", true, 60}});
        return static_cast<bool>(b.Zapisz({}, std::span(&z, 1)));
    };
    SkrzynkaDziennika skrzynka(plik);
    EXPECT_EQ(skrzynka.Niewyslane(10).value_or(std::vector<CwiczenieKlasy>(1)).size(), 0u);
    EXPECT_FALSE(QFile::exists(plik)) << "the outbox made the journal's file";
    ASSERT_TRUE(zapisz(1));
    const auto pierwsze = skrzynka.Niewyslane(10).value_or(std::vector<CwiczenieKlasy>{});
    ASSERT_EQ(pierwsze.size(), 1u);
    ASSERT_TRUE(skrzynka.Wyslane({pierwsze[0].id}));
    // The file deleted while the program runs; the journal makes a new one.
    for (const char* dopisek : {"", "-wal", "-shm"}) QFile::remove(plik + dopisek);
    ASSERT_TRUE(zapisz(2));
    // Its child's name blanked by another program: the drill goes under the
    // child's default name, never as a blank one.
    {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis});
        ASSERT_TRUE(b.Otwarcie());
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(plik).constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "UPDATE children SET name = ' '",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const auto drugie = skrzynka.Niewyslane(10).value_or(std::vector<CwiczenieKlasy>{});
    ASSERT_EQ(drugie.size(), 1u);
    EXPECT_EQ(drugie[0].zapis.koniecMs, chwila(2));
    EXPECT_EQ(drugie[0].imie, ImieDomyslne(drugie[0].zapis.dziecko).toStdString());
    // A file that cannot be read now is a failure, not an empty outbox.
    for (const char* dopisek : {"", "-wal", "-shm"}) QFile::remove(plik + dopisek);
    QFile smieci(plik);
    ASSERT_TRUE(smieci.open(QIODevice::WriteOnly) && smieci.write(QByteArray(8192, 'x')) == 8192);
    smieci.close();
    EXPECT_FALSE(skrzynka.Niewyslane(10));
}

TEST(ResultsJournal, DrillsGradedOnAFullDiskAreKeptInTheReserveAndTheOnesThatDoNotFitAreNamed)
{
    QTemporaryDir tmp;
    const MalyDysk dysk(tmp, "size=2m");
    if (!dysk.zamontowany) GTEST_SKIP() << "a tmpfs cannot be mounted here";
    const QString plik = dysk.folder + "/wyniki.sqlite";
    const QDir folder(dysk.folder);
    // Three drills of a hundred questions take a half of 16 KiB, four do not.
    const std::vector<PytanieCwiczenia> sto(100, {7, 8, "56", true, 1234});
    {
        DziennikWynikow dziennik(plik, nullptr, 50ms, 16 * 1024);
        QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
        ASSERT_EQ(folder.entryList({"wyniki.sqlite.zapas-*"}, QDir::Files).size(), 1);
        dysk.Zapelnij();
        for (int i = 0; i < 5; ++i) dziennik.Zapisz(cwiczenie(DzialanieMnozenie, chwila(i), sto));
        EXPECT_FALSE(dziennik.Dokoncz(5s));
        QCoreApplication::processEvents();
        // Told once why, and once from which drill on the reserve is full.
        ASSERT_EQ(problemy.count(), 2);
        EXPECT_EQ(problemy[0][0].toString(), DziennikWynikow::Opis(BladBazy::Pelny, plik));
        EXPECT_TRUE(tylkoWPamieci(
            problemy[1][0].toString(), [&](const QStringList& c) { return DziennikWynikow::Niezachowane(BladBazy::Pelny, plik, c); },
            {"2026-12-08 15:06 Mnożenie (ocena 6)", "2026-12-08 15:07 Mnożenie (ocena 6)"}));
        // The end of the program on the full disk: no waiting file that
        // holds nothing.
        EXPECT_TRUE(dziennik.Zamknij(10s));
        EXPECT_TRUE(folder.entryList({"wyniki.sqlite.oczekujace-*"}, QDir::Files).isEmpty());
    }
    // Room again: the next start writes what the reserve kept.
    ASSERT_TRUE(QFile::remove(dysk.folder + "/wypelniacz"));
    {
        DziennikWynikow dziennik(plik);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    // The three the reserve took; the two named may have gone in at the
    // last try, with room freed by the end's own attempts.
    const QStringList zapisane = lista(plik);
    EXPECT_TRUE(zapisane.size() >= 3 && zapisane.size() <= 5) << zapisane.join(", ").toStdString();
    EXPECT_EQ(zapisane.mid(zapisane.size() - 3), (QStringList{"0 @2 =6", "0 @1 =6", "0 @0 =6"}));
    EXPECT_TRUE(folder.entryList({"wyniki.sqlite.zapas-*", "wyniki.sqlite.oczekujace-*"}, QDir::Files).isEmpty());
}

TEST(ResultsJournal, OperandsNoDrillCouldAskAreSkippedBeforeAnythingIsComputedFromThem)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        DziennikWynikow dziennik(plik);
        dziennik.Zapisz(cwiczenie(DzialanieDzielenie, chwila(0), {{56, 8, "7", true, 600}}));
        ASSERT_TRUE(dziennik.Dokoncz(5s));
    }
    // Another program's rows, each within the schema's rules: a division
    // whose result overflows, factors and addends out of the drill's reach.
    wiersze(plik, {"INSERT INTO drills (id, ended_at_ms, operation, questions, pace_ms, narrator, good, bad, grade)"
                   " VALUES (10, 1796738640000, 1, 2, 60, 1, 2, 0, 6), (11, 1796738700000, 0, 1, 60, 1, 1, 0, 6),"
                   " (12, 1796738760000, 2, 1, 60, 1, 1, 0, 6)",
                   "INSERT INTO answers VALUES (10, 1, -2147483648, -1, '0', 1, 600), (10, 2, 81, 9, '9', 1, 700),"
                   " (11, 1, 2147483647, 2, '0', 1, 600), (12, 1, 95, 9, '104', 1, 600)"});
    // And a spool file with such a drill beside a good one.
    {
        QFile f(plik + ".oczekujace-1-1");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(R"({"cwiczenia":[{"koniec":1796738820000,"dzialanie":1,"pytan":1,"tempo":60,"ocena":6,"dobrze":1,)"
                R"("pytania":[[-2147483648,-1,"0",true,600]]},{"koniec":1796738880000,"dzialanie":3,"pytan":1,"tempo":60,)"
                R"("ocena":6,"dobrze":1,"pytania":[[57,17,"40",true,600]]}],"dzieci":[]})");
    }
    // An empty one, as a full disk left it before: told, and left in place.
    QFile(plik + ".oczekujace-1-2").open(QIODevice::WriteOnly);
    {
        DziennikWynikow dziennik(plik);
        QSignalSpy problemy(&dziennik, &DziennikWynikow::Problem);
        ASSERT_TRUE(dziennik.Dokoncz(5s));
        QCoreApplication::processEvents();
        ASSERT_EQ(problemy.count(), 1);
        EXPECT_EQ(problemy[0][0].toString(), QString("Nie można odczytać wyników, które czekały na zapis w pliku %1. "
                                                     "Plik zostaje na miejscu.")
                                                 .arg(plik + ".oczekujace-1-2"));
    }
    EXPECT_EQ(pliki(tmp, "wyniki.sqlite.oczekujace-*"), QStringList{"wyniki.sqlite.oczekujace-1-2"});
    EXPECT_EQ(wiersze(plik, "SELECT operation, ended_at_ms FROM drills WHERE id > 12"), QStringList{"3|1796738880000"});
    // Every question for a spreadsheet: the drills' ids join them to the
    // drills' list.
    const QString cel = tmp.filePath("pytania.csv");
    CzytnikWynikow czytnik(plik);
    std::optional<QString> blad;
    czytnik.Eksportuj(cel, true, 0, {}, [&](const QString& b) { blad = b; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return blad.has_value(); }, 5000));
    EXPECT_EQ(*blad, "");
    QFile csv(cel);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(csv.readAll().mid(3)).split("\r\n"),
              (QStringList{"Nr ćwiczenia;Dziecko;Data;Działanie;Liczba 1;Liczba 2;Wynik;Odpowiedź;Dobrze;Czas (ms)",
                           "1;Dziecko 1;2026-12-08 15:03;Dzielenie;56;8;7;7;tak;600",
                           "10;Dziecko 1;2026-12-08 15:04;Dzielenie;81;9;9;9;tak;700",
                           "13;Dziecko 1;2026-12-08 15:08;Odejmowanie;57;17;40;40;tak;600", ""}));
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    for (std::uint8_t d : {DzialanieMnozenie, DzialanieDzielenie, DzialanieDodawanie}) {
        std::vector<KomorkaFaktu> komorki;
        ASSERT_TRUE(baza.Fakty(d, komorki, 0, 1));
        QStringList tekst;
        for (const auto& k : komorki) tekst << QString("%1x%2").arg(k.a).arg(k.b);
        EXPECT_EQ(tekst, d == DzialanieDzielenie ? (QStringList{"56x8", "81x9"}) : QStringList{}) << int(d);
    }
    // A row handed to the export by any other reader gets no result.
    EXPECT_EQ(WierszCsvPytania(WierszCwiczenia{chwila(0), DzialanieDzielenie, 1, PredkoscSrednio, true, 1, 0, 6},
                               {INT32_MIN, -1, "0", true, 600}, "Ola", "7"),
              "7;Ola;2026-12-08 15:03;Dzielenie;'-2147483648;'-1;?;0;tak;600\r\n");
}

TEST(ResultsJournal, AFactsRecordThatCannotBeReadFailsTheWriteAndItsCountsNeverOverflow)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    const auto zapisz = [&](std::vector<PytanieCwiczenia> pytania, int minuta) {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis});
        const ZapisCwiczenia z = cwiczenie(DzialanieMnozenie, chwila(minuta), std::move(pytania));
        return static_cast<bool>(b.Zapisz(z));
    };
    ASSERT_TRUE(zapisz({{7, 8, "56", true, 600}, {3, 9, "27", true, 600}}, 0));
    // Counts no program of ours wrote: one more answer must not overflow.
    wiersze(plik, {"UPDATE child_facts SET asked = 2147483647, missed = 2147483647 WHERE a = 7",
                   "UPDATE child_facts SET asked = 9999999999, missed = -5 WHERE a = 3"});
    ASSERT_TRUE(zapisz({{7, 8, "56", true, 600}, {3, 9, "28", false, 600}}, 1));
    EXPECT_EQ(wiersze(plik, "SELECT a, asked, missed FROM child_facts ORDER BY a"),
              (QStringList{"3|2147483647|1", "7|2147483647|2147483646"}));
    // A record whose read fails: the drill is not written, and the record
    // is never started over as a first answer.
    wiersze(plik, {"ALTER TABLE child_facts RENAME TO fakty",
                   "CREATE VIEW child_facts AS SELECT child_id, operation, a, b,"
                   " CASE WHEN a = 7 THEN abs(-9223372036854775807 - 1) ELSE asked END AS asked, missed, time_ms, ticks,"
                   " last_ms, box FROM fakty",
                   "CREATE TRIGGER fakty_zapis INSTEAD OF INSERT ON child_facts BEGIN INSERT OR REPLACE INTO fakty"
                   " VALUES (NEW.child_id, NEW.operation, NEW.a, NEW.b, NEW.asked, NEW.missed, NEW.time_ms, NEW.ticks,"
                   " NEW.last_ms, NEW.box); END"});
    EXPECT_FALSE(zapisz({{7, 8, "56", true, 600}}, 2));
    EXPECT_EQ(wiersze(plik, "SELECT (SELECT asked FROM fakty WHERE a = 7), (SELECT count(*) FROM drills)"),
              QStringList{"2147483647|2"});
}

TEST(ResultsJournal, TheListIsReadPageByPageThroughDrillsThatEndedAtTheSameMoment)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        // Drills of seven children: the second to the sixth ended together.
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis});
        std::vector<ZapisCwiczenia> zapisy;
        for (int i = 1; i <= 7; ++i) {
            zapisy.push_back(cwiczenie(DzialanieMnozenie, chwila(i == 1 ? 1 : i == 7 ? 3 : 2), {{3, 4, "12", true, 60}}));
            zapisy.back().dziecko = i;
        }
        ASSERT_TRUE(b.Zapisz(zapisy));
    }
    BazaWynikow baza(plik, {BazaWynikow::Tryb::Odczyt});
    KluczListy po;
    QStringList strony;
    for (int strona = 0; strona < 10; ++strona) {
        std::vector<WierszCwiczenia> w;
        ASSERT_TRUE(baza.Strona(po, 2, w));
        QStringList tekst;
        for (const auto& c : w) tekst << QString("%1@%2").arg(c.dziecko).arg((c.koniecMs - chwila(0)) / 60000);
        strony << tekst.join(' ');
        if (w.size() < 2) break;
    }
    EXPECT_EQ(strony, (QStringList{"7@3 6@2", "5@2 4@2", "3@2 2@2", "1@1"}));
}

TEST(ResultsJournal, TheSchemaStepFollowsTheVersionReadInsideItsTransaction)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    wiersze(plik, {"PRAGMA journal_mode = WAL",
                   "CREATE TABLE drills (id INTEGER PRIMARY KEY, ended_at_ms INTEGER NOT NULL, operation INTEGER NOT NULL,"
                   " questions INTEGER NOT NULL, pace_ms INTEGER NOT NULL, narrator INTEGER NOT NULL, good INTEGER NOT NULL,"
                   " bad INTEGER NOT NULL, grade INTEGER NOT NULL)",
                   "CREATE TABLE answers (drill_id INTEGER NOT NULL, number INTEGER NOT NULL, operand1 INTEGER NOT NULL,"
                   " operand2 INTEGER NOT NULL, answer TEXT NOT NULL, correct INTEGER NOT NULL, time_ms INTEGER NOT NULL,"
                   " PRIMARY KEY (drill_id, number)) WITHOUT ROWID",
                   "PRAGMA user_version = 1"});
    // Another copy holds the write lock while this one opens the file of
    // the first version, and brings it up first.
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "druga");
    db.setDatabaseName(plik);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec("BEGIN IMMEDIATE"));
    std::optional<std::pair<bool, int>> otwarcie;
    std::thread watek([&] {
        BazaWynikow b(plik, {BazaWynikow::Tryb::Zapis, 5s});
        otwarcie = std::pair{static_cast<bool>(b.Otwarcie()), b.WersjaPliku()};
    });
    QThread::msleep(300);
    for (const char* s : {"CREATE TABLE children (id INTEGER PRIMARY KEY, name TEXT NOT NULL)", "PRAGMA user_version = 3",
                          "COMMIT"})
        EXPECT_TRUE(q.exec(s)) << s;
    watek.join();
    q = QSqlQuery();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("druga");
    EXPECT_EQ(otwarcie, (std::pair{true, 3}));
}
