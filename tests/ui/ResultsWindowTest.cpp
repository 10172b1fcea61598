// The results journal seen from the windows: drills played in the main
// window land in the results window, which says why when it cannot show
// them and never waits for the file; the journal's problems are told once,
// after a drill. The window's rules (chart, colours, averages) as plain
// functions.
#include "ChartFigures.h"
#include "ChildBar.h"
#include "ClassConfig.h"
#include "ResultsFigures.h"
#include "ResultsJournal.h"
#include "ResultsWindow.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTabBar>
#include <QAbstractItemModel>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>
#include <ctime>

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

// One drill of ten questions with `pytania`, written to the journal `plik`.
void jedno(DziennikWynikow& dziennik, std::vector<PytanieCwiczenia> pytania = {})
{
    ZapisCwiczenia z;
    z.koniecMs = 1796738580000LL;
    z.iloscPytan = pytania.empty() ? 10 : static_cast<std::int32_t>(pytania.size());
    z.predkosc = PredkoscSrednio;
    for (const auto& p : pytania) (p.dobrze ? z.dobrze : z.zle)++;
    if (pytania.empty()) z.dobrze = 10;
    z.ocena = ObliczOcene(z.dobrze, z.iloscPytan);
    z.pytania = std::move(pytania);
    dziennik.Zapisz(z);
    ASSERT_TRUE(dziennik.Dokoncz(5s));
}

// Runs the event loop until `warunek` holds (or 5 s pass).
bool czekaj(const std::function<bool()>& warunek)
{
    QElapsedTimer t;
    t.start();
    while (!warunek() && t.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return warunek();
}

// Writes a file of the folder; its path, as a configuration names it.
QByteArray zapiszPlik(const QTemporaryDir& tmp, const QString& nazwa, const QByteArray& tresc)
{
    QFile f(tmp.filePath(nazwa));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(tresc) == tresc.size());
    return tmp.filePath(nazwa).toUtf8();
}

// A computer of class 3b whose server does not answer (nothing listens on
// port 1), with one access file under `klucz`, after one drill played.
struct KlasaBezSerwera {
    KlasaBezSerwera(const char* klucz, const QString& plik, const QByteArray& dostep)
    {
        const QByteArray sciezka = zapiszPlik(tmp, plik, dostep);
        konfiguracja = zapiszPlik(tmp, QStringLiteral("klasa.conf"),
                                  "serwer = 127.0.0.1\nport = 1\nbaza = zoltava_klasa\nklasa = 3b\n" + QByteArray(klucz) +
                                      " = " + sciezka + "\n");
        qputenv("ZM_KLASA_CONF", konfiguracja);
        glowne = okno(komunikaty, dziennik);
        glowne->Profil().Wczytaj();
        zagraj(*glowne);
        dziennik.Dokoncz(5s);
    }
    ~KlasaBezSerwera() { qunsetenv("ZM_KLASA_CONF"); }
    QTemporaryDir tmp;
    QByteArray konfiguracja;
    test::ZapisaneKomunikaty komunikaty;
    DziennikWynikow dziennik{tmp.filePath(QStringLiteral("wyniki.sqlite"))};
    std::unique_ptr<TFrmMain> glowne;
};

QStringList wierszeListy(const TFrmWyniki& wyniki)
{
    const QAbstractItemModel* m = wyniki.findChild<QTableView*>("ListaCwiczen")->model();
    QStringList wiersze;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList pola;
        for (int c = 1; c < 6; ++c) pola << m->index(r, c).data().toString();
        wiersze << pola.join('|');
    }
    return wiersze;
}

// Statements on a connection of the test's own, which stays open (holding
// any lock it took) until the object is gone.
class Polaczenie {
public:
    explicit Polaczenie(const QString& plik) { sqlite3_open(plik.toUtf8().constData(), &db_); }
    ~Polaczenie() { sqlite3_close(db_); }
    int Wykonaj(const char* sql) { return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }

private:
    sqlite3* db_ = nullptr;
};

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
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    EXPECT_EQ(wierszeListy(wyniki), (QStringList{"Dzielenie|10|Wolne|7 / 3|4", "Mnożenie|10|Średnie|10 / 0|6"}));
    const QAbstractItemModel* m = wyniki.findChild<QTableView*>("ListaCwiczen")->model();
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$").match(m->index(0, 0).data().toString()).hasMatch());

    // An export that cannot be written says so.
    QSignalSpy eksport(&wyniki, &TFrmWyniki::Wyeksportowano);
    wyniki.Eksportuj(tmp.filePath("nie/ma/folderu.csv"));
    ASSERT_TRUE(eksport.wait(5000));
    EXPECT_FALSE(eksport[0][0].toBool());
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].rodzaj, IKomunikaty::Rodzaj::Uwaga);
    EXPECT_TRUE(komunikaty.lista[0].tekst.startsWith("Nie można zapisać pliku " + tmp.filePath("nie/ma/folderu.csv")));
}

TEST(Results, TheWindowIsGoneOnceClosed)
{
    QTemporaryDir tmp;
    test::ZapisaneKomunikaty komunikaty;
    DziennikWynikow dziennik(tmp.filePath("wyniki.sqlite"));
    auto glowne = okno(komunikaty, dziennik);
    bool bylo = false;
    QTimer::singleShot(0, [&] {
        auto* w = glowne->findChild<TFrmWyniki*>();
        bylo = w != nullptr;
        if (w) w->reject();
    });
    QMetaObject::invokeMethod(glowne->findChild<QAbstractButton*>("ButWyniki"), "click");
    EXPECT_TRUE(bylo);
    EXPECT_TRUE(glowne->findChildren<TFrmWyniki*>().isEmpty());
}

// What the window says when it cannot show the journal; it never waits for
// the file (a pipe would block a reading on the window's thread for good).
struct Powod {
    const char* nazwa;
    std::function<void(const QString& plik, std::unique_ptr<Polaczenie>& trzyma)> przygotuj;
    const char* przyczyna;
};
void PrintTo(const Powod& p, std::ostream* os) { *os << p.nazwa; }

class WindowCannotShow : public ::testing::TestWithParam<Powod> {};

TEST_P(WindowCannotShow, SaysWhyAndDisablesTheExport)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        DziennikWynikow dziennik(plik);
        jedno(dziennik);
    }
    std::unique_ptr<Polaczenie> trzyma;
    GetParam().przygotuj(plik, trzyma);
    test::ZapisaneKomunikaty komunikaty;
    TFrmWyniki wyniki(nullptr, plik, &komunikaty);
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    const QString tekst = QString("Nie można pokazać wyników: %1.").arg(QString::fromUtf8(GetParam().przyczyna).arg(plik));
    EXPECT_EQ(wyniki.findChild<QLabel*>("LabelPusto")->text(), tekst);
    EXPECT_TRUE(wyniki.findChild<QLabel*>("LabelPusto")->isVisibleTo(&wyniki));
    EXPECT_FALSE(wyniki.findChild<QAbstractButton*>("ButEksport")->isEnabled());
    EXPECT_TRUE(komunikaty.lista.isEmpty());
}

TEST(Results, WhatKeepsTheClassFromTheTeacherIsSaidWrappedInTheClassPage)
{
    QTemporaryDir tmp;
    test::ZapisaneKomunikaty komunikaty;
    KonfiguracjaKlasy klasa; // a teacher's file that is there but wrong: no reads
    klasa.klasa = QStringLiteral("3b");
    const QString uwaga = "Plik konfiguracji klasy /etc/zoltava-mnozenia/klasa.conf: wiersz 9: nieznany klucz "
                          "„dostep_nauczycielа” " + QString(300, QChar(u'x'));
    TFrmWyniki wyniki(nullptr, tmp.filePath("wyniki.sqlite"), &komunikaty, nullptr, nullptr, &klasa, uwaga);
    auto* zakladki = wyniki.findChild<QTabWidget*>("Zakladki");
    ASSERT_EQ(zakladki->currentWidget()->objectName(), "StronaKlasy");
    EXPECT_EQ(zakladki->tabText(zakladki->currentIndex()), "Klasa 3b");
    auto* etykieta = wyniki.findChild<QLabel*>("LabelUwagaKlasy");
    EXPECT_EQ(etykieta->text(), uwaga);
    EXPECT_TRUE(etykieta->isVisibleTo(&wyniki));
    // Wrapped within the window, never running past it.
    EXPECT_TRUE(etykieta->wordWrap());
    wyniki.show();
    EXPECT_LE(etykieta->mapTo(&wyniki, QPoint(etykieta->width(), 0)).x(), wyniki.width());
    EXPECT_TRUE(komunikaty.lista.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Results, WindowCannotShow,
    ::testing::Values(
        Powod{"newer",
              [](const QString& plik, auto& trzyma) {
                  trzyma = std::make_unique<Polaczenie>(plik);
                  trzyma->Wykonaj("PRAGMA user_version = 4");
              },
              "plik %1 pochodzi z nowszej wersji programu"},
        Powod{"locked",
              [](const QString& plik, auto& trzyma) {
                  trzyma = std::make_unique<Polaczenie>(plik);
                  trzyma->Wykonaj("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT");
              },
              "plik %1 jest zajęty przez inny program"},
        Powod{"pipe",
              [](const QString& plik, auto&) {
                  QFile::remove(plik);
                  ::mkfifo(plik.toUtf8().constData(), 0644);
              },
              "nie można odczytać pliku %1"},
        Powod{"damaged",
              [](const QString& plik, auto&) {
                  QFile f(plik);
                  f.open(QIODevice::WriteOnly);
                  f.write(QByteArray(8192, 'x'));
              },
              "plik %1 jest uszkodzony"}),
    [](const auto& i) { return std::string(i.param.nazwa); });

TEST(Results, TheExportNeverReplacesTheJournalsOwnFiles)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    DziennikWynikow dziennik(plik);
    jedno(dziennik);
    ASSERT_TRUE(QFile::link(plik, tmp.filePath("dowiazanie.csv")));
    QFile f(plik);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray przed = f.readAll();
    f.close();

    test::ZapisaneKomunikaty komunikaty;
    TFrmWyniki wyniki(nullptr, plik, &komunikaty);
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    for (const QString& cel : {plik, plik + "-wal", tmp.filePath("dowiazanie.csv")}) {
        QSignalSpy eksport(&wyniki, &TFrmWyniki::Wyeksportowano);
        komunikaty.lista.clear();
        wyniki.Eksportuj(cel);
        ASSERT_TRUE(eksport.wait(5000)) << cel.toStdString();
        EXPECT_FALSE(eksport[0][0].toBool()) << cel.toStdString();
        ASSERT_EQ(komunikaty.lista.size(), 1);
        EXPECT_EQ(komunikaty.lista[0].tekst,
                  QString("Nie można zapisać pliku %1: to jest plik z wynikami programu.").arg(cel));
    }
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), przed);
    QSignalSpy eksport(&wyniki, &TFrmWyniki::Wyeksportowano);
    wyniki.Eksportuj(tmp.filePath("lista.csv"));
    ASSERT_TRUE(eksport.wait(5000));
    EXPECT_TRUE(eksport[0][0].toBool());
    QFile csv(tmp.filePath("lista.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().count("\r\n"), 2);
}

TEST(Results, TheExportDialogOpensInDocumentsOrAtHome)
{
    QTemporaryDir tmp;
    const QByteArray dom = qgetenv("HOME");
    qputenv("HOME", tmp.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", tmp.filePath("config").toUtf8());
    const QString bezDokumentow = TFrmWyniki::FolderEksportu();
    QDir(tmp.path()).mkdir("Documents");
    const QString zDokumentami = TFrmWyniki::FolderEksportu();
    qputenv("HOME", dom);
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(bezDokumentow, tmp.path());
    EXPECT_EQ(zDokumentami, tmp.filePath("Documents"));
}

TEST(Results, TheFactTableHasTheFirstOperandDownAndItsLegendsColours)
{
    QTemporaryDir tmp;
    const QString plik = tmp.filePath("wyniki.sqlite");
    {
        DziennikWynikow dziennik(plik);
        jedno(dziennik, {{3, 9, "28", false, 600}});
    }
    test::ZapisaneKomunikaty komunikaty;
    TFrmWyniki wyniki(nullptr, plik, &komunikaty);
    wyniki.findChild<QTabWidget*>("Zakladki")->setCurrentIndex(2);
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    const QImage tabela = wyniki.findChild<QWidget*>("TabelaFaktow")->grab().toImage();
    // 42-pixel cells after a 34-pixel header: 3 x 9 is in the first row,
    // seventh column; 9 x 3 was never asked.
    EXPECT_EQ(tabela.pixelColor(34 + 6 * 42 + 2, 34 + 2), QColor(225, 80, 70));
    EXPECT_EQ(tabela.pixelColor(34 + 2, 34 + 6 * 42 + 2), QColor(236, 236, 238));
    const QImage legenda = wyniki.findChild<QWidget*>("LegendaFaktow")->grab().toImage();
    const QColor kolory[] = {{120, 200, 110}, {245, 220, 90}, {225, 80, 70}, {236, 236, 238}, {60, 60, 60},
                             {20, 60, 200}};
    // The colours, then the corner of a fact that carries or borrows and
    // the dot of one due again.
    const QPoint gdzie[] = {{7, 51}, {7, 73}, {7, 95}, {7, 117}, {13, 134}, {7, 161}};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(legenda.pixelColor(gdzie[i]), kolory[i]) << i;
}

TEST(ResultsFigures, TheFactTablesCellsAreDivisionsAndOnesDigitsThatCarryOrBorrow)
{
    struct Komorka {
        std::uint8_t dzialanie;
        int w, k;
        Fakt fakt;
        const char *wiersz, *kolumna, *nazwa;
        bool zPrzeniesieniem;
    };
    const Komorka komorki[] = {
        {DzialanieMnozenie, 4, 5, {0, 7, 8}, "7", "8", "7 × 8", false},
        {DzialanieDzielenie, 0, 5, {1, 24, 8}, "= 3", ": 8", "24 : 8", false},
        {DzialanieDzielenie, 6, 0, {1, 27, 3}, "= 9", ": 3", "27 : 3", false},
        {DzialanieDodawanie, 7, 8, {2, 7, 8}, "7", "+ 8", "7 + 8", true},
        {DzialanieDodawanie, 1, 2, {2, 1, 2}, "1", "+ 2", "1 + 2", false},
        {DzialanieOdejmowanie, 3, 8, {3, 3, 8}, "3", "− 8", "3 − 8", true},
        {DzialanieOdejmowanie, 8, 3, {3, 8, 3}, "8", "− 3", "8 − 3", false},
    };
    for (const Komorka& c : komorki) {
        EXPECT_EQ(FaktKomorki(c.dzialanie, c.w, c.k), c.fakt) << c.nazwa;
        EXPECT_EQ(NaglowekWiersza(c.dzialanie, c.w), QString::fromUtf8(c.wiersz));
        EXPECT_EQ(NaglowekKolumny(c.dzialanie, c.k), QString::fromUtf8(c.kolumna));
        EXPECT_EQ(NazwaKomorki(c.dzialanie, c.w, c.k), QString::fromUtf8(c.nazwa));
        EXPECT_EQ(ZPrzeniesieniem(c.fakt), c.zPrzeniesieniem) << c.nazwa;
    }
    EXPECT_EQ((std::array{RozmiarTabeli(0), RozmiarTabeli(1), RozmiarTabeli(2), RozmiarTabeli(3)}),
              (std::array{7, 7, 10, 10}));

    // What a screen reader says of a cell, in a parent's words, and what a
    // cell shows: the time whenever slowness is what colours it.
    const double pelny = 67; // ticks of a question's whole time
    const std::int64_t teraz = 1796738580000LL, dzien = 86400000;
    const KomorkaFaktu siedemRazyOsiem{7, 8, 5, 2, 5 * 3100.0, 5 * 0.3 * pelny, teraz - 2 * dzien, 1};
    const KomorkaFaktu wolna{7, 5, 4, 0, 4 * 4000.0, 4 * pelny, teraz, 0};
    const KomorkaFaktu opanowana{8, 3, 9, 0, 9 * 900.0, 9 * 0.1 * pelny, teraz - dzien, 5};
    struct Opis {
        std::uint8_t dzialanie;
        int w, k;
        const KomorkaFaktu* komorka;
        const char *opis, *linie2, *linie3;
    };
    const Opis opisy[] = {
        {DzialanieMnozenie, 4, 5, &siedemRazyOsiem, "7 razy 8: 2 z 5 źle, średnio 3,1 s, do powtórki", "40% 5×",
         "40% 3,1 s 5×"},
        {DzialanieMnozenie, 0, 0, nullptr, "3 razy 3: jeszcze nie było", "", ""},
        {DzialanieDzielenie, 5, 5, nullptr, "64 podzielić przez 8: jeszcze nie było", "64 : 8", "64 : 8"},
        {DzialanieDodawanie, 7, 5, &wolna, "dodawanie z przeniesieniem: 7 + 5, np. 27 + 15: 0 z 4 źle, średnio 4,0 s",
         "0% 4,0 s", "0% 4,0 s 4×"},
        {DzialanieOdejmowanie, 8, 3, &opanowana,
         "odejmowanie bez pożyczki: 8 − 3, np. 48 − 13: 0 z 9 źle, średnio 0,9 s, opanowane", "0% 9×", "0% 0,9 s 9×"},
        {DzialanieOdejmowanie, 3, 8, nullptr, "odejmowanie z pożyczką: 3 − 8, np. 43 − 18: jeszcze nie było", "", ""},
    };
    for (const Opis& o : opisy) {
        EXPECT_EQ(OpisKomorki(o.dzialanie, o.w, o.k, o.komorka, teraz), QString::fromUtf8(o.opis));
        EXPECT_EQ(LinieKomorki(o.dzialanie, o.w, o.k, o.komorka, 2).join(' '), QString::fromUtf8(o.linie2)) << o.opis;
        EXPECT_EQ(LinieKomorki(o.dzialanie, o.w, o.k, o.komorka, 4).join(' '), QString::fromUtf8(o.linie3)) << o.opis;
    }
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
    // Told as the drill is handed over: shown once the event loop runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !komunikaty.lista.isEmpty(); }, 2000));
    ASSERT_EQ(komunikaty.lista.size(), 1);
    EXPECT_EQ(komunikaty.lista[0].rodzaj, IKomunikaty::Rodzaj::Uwaga);
    EXPECT_EQ(komunikaty.lista[0].tytul, "Zapis wyników");
    // Without a folder there is no reserve either: the drill is named as
    // only in memory.
    const QString tekst = komunikaty.lista[0].tekst, cwiczenie = tekst.section("wyniki ćwiczeń ", 1).section(" i każdego", 0, 0);
    EXPECT_EQ(tekst, DziennikWynikow::Opis(BladBazy::Folder, tmp.filePath("plik/wyniki.sqlite"), {}, {cwiczenie}));
    EXPECT_TRUE(cwiczenie.endsWith(" Mnożenie (ocena 6)")) << cwiczenie.toStdString();
    EXPECT_EQ(k.stan().Ocena, 6);

    zagraj(*glowne);
    dziennik.Dokoncz(5s);
    QCoreApplication::processEvents();
    EXPECT_EQ(komunikaty.lista.size(), 1);
}

TEST(Results, TheClassServersTroubleIsAQuietMarkOnTheChildBarNeverAMessageToTheChild)
{
    KlasaBezSerwera k("dostep", "stanowisko.dostep", "uzytkownik = zoltava_stanowisko\nhaslo = x\n");
    auto& glowne = k.glowne;
    auto& komunikaty = k.komunikaty;
    auto* przycisk = glowne->findChild<QAbstractButton*>("ButDziecko");
    const bool oznaczono = QTest::qWaitFor([&] { return przycisk->toolTip().contains("127.0.0.1:1"); }, 10000);
    qunsetenv("ZM_KLASA_CONF");
    ASSERT_TRUE(oznaczono) << przycisk->toolTip().toStdString();
    EXPECT_TRUE(przycisk->text().endsWith(QString::fromUtf8(" •"))) << przycisk->text().toStdString();
    EXPECT_EQ(przycisk->toolTip().section('\n', 1, 1).left(41), QString::fromUtf8("• Serwer klasy 127.0.0.1:1 nie odpowiada."));
    QTest::qWait(300);
    EXPECT_TRUE(komunikaty.lista.isEmpty()) << komunikaty.lista.first().tekst.toStdString();
    glowne->Profil().ZakonczKlase();
}

TEST(Results, ATeachersComputerWithoutTheWorkstationsFileShowsTheClassAndSendsNothing)
{
    KlasaBezSerwera k("dostep_nauczyciela", "nauczyciel.dostep", "uzytkownik = zoltava_nauczyciel\nhaslo = x\n");
    auto& glowne = k.glowne;
    auto& komunikaty = k.komunikaty;
    const QByteArray konf = k.konfiguracja;
    QTest::qWait(300);
    qunsetenv("ZM_KLASA_CONF");
    // No sender: the child's bar has no mark, and the child is told nothing.
    auto* przycisk = glowne->findChild<QAbstractButton*>("ButDziecko");
    EXPECT_FALSE(przycisk->text().endsWith(QString::fromUtf8(" •"))) << przycisk->text().toStdString();
    EXPECT_TRUE(komunikaty.lista.isEmpty());
    // The teacher's Wyniki opens on the class, saying that this computer
    // sends nothing.
    QString uwaga, strona;
    QTimer::singleShot(0, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* zakladki = w ? w->findChild<QTabWidget*>("Zakladki") : nullptr)
            strona = zakladki->currentWidget()->objectName();
        // With the server's trouble after it, once the read has failed.
        if (auto* etykieta = w ? w->findChild<QLabel*>("LabelUwagaKlasy") : nullptr) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return etykieta->text().contains(QLatin1Char('\n')); }, 10000));
            uwaga = etykieta->text();
        }
        if (w) w->close();
    });
    glowne->Profil().PokazWyniki();
    EXPECT_EQ(strona, "StronaKlasy");
    EXPECT_EQ(uwaga.section('\n', 0, 0),
              QString::fromUtf8("Ten komputer nie wysyła ćwiczeń na serwer klasy (w pliku %1 nie ma klucza „dostep”): "
                                "ćwiczenia zrobione na nim zostają tylko tutaj.")
                  .arg(QString::fromUtf8(konf)));
    EXPECT_TRUE(uwaga.section('\n', 1).startsWith(
        QString::fromUtf8("Nie można pokazać klasy 3b. Serwer klasy 127.0.0.1:1 nie odpowiada.")))
        << uwaga.toStdString();
}

namespace {

// The process's time zone for one test.
class Strefa {
public:
    explicit Strefa(const char* tz) : dawna_(qgetenv("TZ")), byla_(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", tz);
        tzset();
    }
    ~Strefa()
    {
        if (byla_)
            qputenv("TZ", dawna_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray dawna_;
    bool byla_;
};

std::int64_t lokalnie(int r, int m, int d, int h, int min)
{
    return QDateTime(QDate(r, m, d), QTime(h, min)).toMSecsSinceEpoch();
}

std::int64_t J(int r, int m, int d) { return QDate(r, m, d).toJulianDay(); }

} // namespace

TEST(ResultsFigures, TheChartHasEachPeriodsMeanAndCountPracticeApartAndRegularTicks)
{
    for (const char* tz : {"CET-1", "Europe/Warsaw"}) {
        Strefa strefa(tz);
        using P = PunktWykresu;
        // A week: days; drills out of order, the practice's apart, rows the
        // chart cannot show left out.
        const std::vector<CwiczenieNaWykresie> tydzien{
            {lokalnie(2026, 12, 9, 8, 0), 1, 2, false}, {lokalnie(2026, 12, 7, 18, 0), 0, 4, false},
            {lokalnie(2026, 12, 7, 10, 0), 0, 5, false}, {lokalnie(2026, 12, 7, 23, 59), 0, 6, true},
            {lokalnie(2026, 12, 8, 9, 0), 9, 6, false},  {lokalnie(2026, 12, 8, 9, 0), 2, 0, false},
            {lokalnie(2026, 12, 8, 9, 0), 2, 7, false},  {INT64_MAX, 0, 6, false}, {INT64_MIN, 0, 1, false}};
        DaneWykresu d = PunktyWykresu(tydzien);
        EXPECT_EQ(d.okres, Okres::Dzien) << tz;
        EXPECT_EQ(std::pair(d.odDnia, d.doDnia), std::pair(J(2026, 12, 7), J(2026, 12, 10)));
        EXPECT_EQ(d.punkty, (std::vector<P>{{J(2026, 12, 7), 0, false, 2, 4.5}, {J(2026, 12, 7), 0, true, 1, 6},
                                            {J(2026, 12, 9), 1, false, 1, 2}}));
        EXPECT_EQ(ZnacznikiOsi(d, 10), (std::vector<ZnacznikOsi>{{J(2026, 12, 7), "7.12"}, {J(2026, 12, 8), "8.12"},
                                                                 {J(2026, 12, 9), "9.12"}}));
        EXPECT_EQ(ZnacznikiOsi(d, 2), (std::vector<ZnacznikOsi>{{J(2026, 12, 7), "7.12"}, {J(2026, 12, 8), ""},
                                                                {J(2026, 12, 9), "9.12"}}));
        EXPECT_EQ(OpisWykresu(d), QStringLiteral("9 grudnia 2026: dzielenie, losowe: 1 ćwiczenie, średnia ocena 2,0\n"
                                                 "7 grudnia 2026: mnożenie, losowe: 2 ćwiczenia, średnia ocena 4,5; "
                                                 "mnożenie, trudne dla dziecka: 1 ćwiczenie, średnia ocena 6,0"));
        // Eleven weeks: weeks from Monday, a tick each, a label every other.
        const std::vector<CwiczenieNaWykresie> jesien{{lokalnie(2026, 11, 15, 20, 0), 0, 5, false},
                                                       {lokalnie(2026, 9, 2, 8, 0), 0, 3, false}};
        d = PunktyWykresu(jesien);
        EXPECT_EQ(d.okres, Okres::Tydzien);
        EXPECT_EQ(d.punkty, (std::vector<P>{{J(2026, 8, 31), 0, false, 1, 3}, {J(2026, 11, 9), 0, false, 1, 5}}));
        EXPECT_EQ(d.doDnia, J(2026, 11, 16));
        QStringList etykiety;
        for (const ZnacznikOsi& z : ZnacznikiOsi(d, 6)) etykiety << z.napis;
        EXPECT_EQ(etykiety.join(','), "31.8,,14.9,,28.9,,12.10,,26.10,,9.11");
        EXPECT_EQ(NazwaOkresu(d.okres, J(2026, 8, 31)), "tydzień od 31 sierpnia 2026");
        // A school year: months, the year on the first and on January.
        const std::vector<CwiczenieNaWykresie> rok{{lokalnie(2027, 6, 25, 12, 0), 2, 2, false},
                                                   {lokalnie(2026, 9, 1, 12, 0), 2, 4, false},
                                                   {lokalnie(2027, 1, 15, 12, 0), 2, 6, true}};
        d = PunktyWykresu(rok);
        EXPECT_EQ(d.okres, Okres::Miesiac);
        EXPECT_EQ(std::pair(d.odDnia, d.doDnia), std::pair(J(2026, 9, 1), J(2027, 7, 1)));
        etykiety.clear();
        for (const ZnacznikOsi& z : ZnacznikiOsi(d, 12)) etykiety << z.napis;
        EXPECT_EQ(etykiety.join(','), "wrz 2026,paź,lis,gru,sty 2027,lut,mar,kwi,maj,cze");
        EXPECT_EQ(NazwaOkresu(d.okres, J(2027, 1, 1)), "styczeń 2027");
        EXPECT_TRUE(PunktyWykresu({}).Puste());
    }
    // A drill's day is its own local date: half past midnight in summer
    // (UTC+2) and in winter (UTC+1) are both on the local day, whatever the
    // offset today.
    Strefa warszawa("Europe/Warsaw");
    EXPECT_EQ(DzienWykresu(1782858600000LL), J(2026, 7, 1));  // 2026-06-30 22:30 UTC
    EXPECT_EQ(DzienWykresu(1796686200000LL), J(2026, 12, 8)); // 2026-12-07 23:30 UTC
    const std::vector<CwiczenieNaWykresie> dwa{{1782858600000LL, 0, 6, false}, {1782858600000LL - 3600000, 0, 2, false}};
    EXPECT_EQ(PunktyWykresu(dwa).punkty,
              (std::vector<PunktWykresu>{{J(2026, 6, 30), 0, false, 1, 2}, {J(2026, 7, 1), 0, false, 1, 6}}));
}

TEST(ResultsFigures, TheFactTableFollowsItsThresholdsForAnyValue)
{
    struct Przypadek {
        KomorkaFaktu k;
        double trudnosc;
        const char *bledy, *czas;
    };
    const double pelny = 67; // ticks of a question's whole time
    const Przypadek przypadki[] = {
        {{3, 3, 4, 0, 4 * 300.0, 4 * 0.1 * pelny}, 0.0, "0%", "0,3 s"},
        {{3, 3, 4, 1, 4 * 300.0, 4 * 0.1 * pelny}, 0.5, "25%", "0,3 s"},
        {{3, 3, 2, 1, 2 * 300.0, 2 * 0.1 * pelny}, 1.0, "50%", "0,3 s"},
        {{3, 3, 1, 0, 804.0, 0.2 * pelny}, 0.0, "0%", "0,8 s"},
        // Quick as the practice counts it (within 3 s, before the time ran
        // out) is green at any pace; slower is yellow, redder to the end.
        {{3, 3, 1, 0, 2412.0, 0.6 * pelny}, 0.0, "0%", "2,4 s"},
        {{3, 3, 1, 0, 3000.0, 0.3 * pelny}, 0.0, "0%", "3,0 s"},
        {{3, 3, 1, 0, 3100.0, 0.3 * pelny}, 0.5, "0%", "3,1 s"},
        {{3, 3, 1, 0, 2000.0, pelny}, 1.0, "0%", "2,0 s"},
        {{3, 3, 1, 0, 6000.0, 0.8 * pelny}, 0.75, "0%", "6,0 s"},
        {{3, 3, 1, 0, 4020.0, pelny}, 1.0, "0%", "4,0 s"},
        // Values no drill gives: what a file written by another program may hold.
        {{3, 3, 2, 5, -3000.0, -2 * pelny}, 1.0, "100%", "?"},
        {{3, 3, 1, -1, 1e300, std::nan("")}, 1.0, "0%", "> 999 s"},
    };
    for (const Przypadek& p : przypadki) {
        EXPECT_NEAR(Trudnosc(p.k), p.trudnosc, 1e-9) << p.bledy << " " << p.czas;
        EXPECT_EQ(TekstBledow(p.k), p.bledy);
        EXPECT_EQ(TekstCzasu(p.k), p.czas);
    }
    EXPECT_FALSE(KomorkaWidoczna({3, 3, 0, 0, 0, 0}));
    EXPECT_FALSE(KomorkaWidoczna({3, 3, -5, 0, 0, 0}));
    // green → yellow → red, and never past either end.
    const std::pair<double, QColor> kolory[] = {{-1, {120, 200, 110}}, {0, {120, 200, 110}}, {0.25, {182, 210, 100}},
                                                {0.5, {245, 220, 90}},  {0.75, {235, 150, 80}}, {1, {225, 80, 70}},
                                                {7, {225, 80, 70}},     {std::nan(""), {120, 200, 110}}};
    for (const auto& [t, kolor] : kolory) EXPECT_EQ(KolorTrudnosci(t), kolor) << t;
}

namespace {

// Drills written straight to a journal: each a time, an operation, a grade
// and whether the practice drew it.
void zapisz(DziennikWynikow& dziennik, const std::vector<CwiczenieNaWykresie>& cwiczenia)
{
    for (const CwiczenieNaWykresie& c : cwiczenia) {
        ZapisCwiczenia z;
        z.koniecMs = c.koniecMs;
        z.dzialanie = c.dzialanie;
        z.iloscPytan = 10;
        z.predkosc = PredkoscSrednio;
        z.ocena = c.ocena;
        z.dobrze = std::array{0, 4, 5, 7, 8, 10}[c.ocena - 1];
        z.zle = 10 - z.dobrze;
        z.losowanie = c.trudne ? static_cast<std::uint8_t>(Losowanie::TrudneFakty) : 0;
        dziennik.Zapisz(z);
    }
    ASSERT_TRUE(dziennik.Dokoncz(30s));
}

QStringList linie(const QListWidget* lista)
{
    QStringList l;
    for (int i = 0; i < lista->count(); ++i) l << lista->item(i)->text();
    return l;
}

} // namespace

// The chart over a week (several drills a day, practice among them) and
// over a school year, as a parent sees it and as a screen reader reads it.
// With ZM_ZRZUTY set, the pictures are saved there (docs/chart-*.png).
TEST(Results, TheChartOfAWeekAndOfASchoolYearIsReadAtAGlanceAndAsText)
{
    Strefa strefa("Europe/Warsaw");
    struct Przypadek {
        const char* plik;
        std::vector<CwiczenieNaWykresie> cwiczenia;
        int okresow;
        const char* najnowszy;
    };
    std::vector<CwiczenieNaWykresie> tydzien, rok;
    // Monday to Friday: multiplication three to five times a day (the
    // last of them drawn by the practice), division once.
    for (int d = 0; d < 5; ++d) {
        for (int i = 0; i < 3 + d % 3; ++i)
            tydzien.push_back({lokalnie(2026, 12, 7 + d, 16, 10 * i), 0, std::uint8_t(3 + (d + i) % 4), i == 2 + d % 3});
        tydzien.push_back({lokalnie(2026, 12, 7 + d, 18, 0), 1, std::uint8_t(2 + d), false});
    }
    // A school year: a drill or two on each school day, grades rising.
    for (QDate d(2026, 9, 1); d <= QDate(2027, 6, 25); d = d.addDays(1)) {
        if (d.dayOfWeek() > 5) continue;
        const int miesiac = int((d.toJulianDay() - QDate(2026, 9, 1).toJulianDay()) / 30);
        rok.push_back({lokalnie(d.year(), d.month(), d.day(), 17, 0), std::uint8_t(d.day() % 3 ? 0 : 2),
                       std::uint8_t(std::min(6, 2 + miesiac / 2 + d.day() % 2)), d.dayOfWeek() == 3});
    }
    const Przypadek przypadki[] = {
        {"chart-week.png", tydzien, 5,
         "11 grudnia 2026: mnożenie, losowe: 3 ćwiczenia, średnia ocena 4,0; mnożenie, trudne dla dziecka: 1 ćwiczenie, "
         "średnia ocena 6,0; dzielenie, losowe: 1 ćwiczenie, średnia ocena 6,0"},
        {"chart-year.png", rok, 10, nullptr},
    };
    for (const Przypadek& p : przypadki) {
        QTemporaryDir tmp;
        {
            DziennikWynikow dziennik(tmp.filePath("wyniki.sqlite"));
            zapisz(dziennik, p.cwiczenia);
        }
        test::ZapisaneKomunikaty komunikaty;
        TFrmWyniki wyniki(nullptr, tmp.filePath("wyniki.sqlite"), &komunikaty);
        wyniki.findChild<QTabWidget*>("Zakladki")->setCurrentIndex(1);
        wyniki.show();
        ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
        const QStringList opis = linie(wyniki.findChild<QListWidget*>("OpisWykresu"));
        EXPECT_EQ(opis.size(), p.okresow) << p.plik;
        if (p.najnowszy) {
            EXPECT_EQ(opis.value(0), QString::fromUtf8(p.najnowszy));
        }
        auto* wykres = wyniki.findChild<QWidget*>("WykresOcen");
        EXPECT_EQ(wykres->accessibleDescription(), opis.join('\n'));
        if (const QString zrzuty = qEnvironmentVariable("ZM_ZRZUTY"); !zrzuty.isEmpty())
            wykres->parentWidget()->grab().save(QDir(zrzuty).filePath(p.plik));
    }
}

// Without sight and without a mouse: Tab leaves the list for the tabs and
// the buttons; the fact table is a table whose cells a screen reader names
// and the arrows move through; the legend is text; the list marks practice.
TEST(Results, TheWindowIsATableOfNamedCellsAndTabGoesEverywhere)
{
    Strefa strefa("Europe/Warsaw");
    QTemporaryDir tmp;
    {
        DziennikWynikow dziennik(tmp.filePath("wyniki.sqlite"));
        jedno(dziennik, {{7, 8, "56", true, 3000}, {7, 8, "54", false, 3200}, {7, 8, "56", true, 3100}});
        zapisz(dziennik, {{lokalnie(2026, 12, 8, 12, 0), 0, 5, true}});
    }
    test::ZapisaneKomunikaty komunikaty;
    TFrmWyniki wyniki(nullptr, tmp.filePath("wyniki.sqlite"), &komunikaty);
    wyniki.show();
    QApplication::setActiveWindow(&wyniki);
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    const QAbstractItemModel* lista = wyniki.findChild<QTableView*>("ListaCwiczen")->model();
    EXPECT_EQ(lista->headerData(7, Qt::Horizontal).toString(), "Losowanie");
    EXPECT_EQ(QStringList({lista->index(0, 7).data().toString(), lista->index(1, 7).data().toString()}),
              QStringList({"losowe", "trudne"}));

    // Tab from the list: the tab bar, the buttons, the child, and round.
    auto* tabela = wyniki.findChild<QTableView*>("ListaCwiczen");
    tabela->setFocus();
    QStringList kolejnosc;
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        kolejnosc << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(kolejnosc, (QStringList{"ButEksport", "ButEksportPytan", "ComboDziecko", "ButZamknij", "qt_tabwidget_tabbar",
                                      "ListaCwiczen",
                                      "ButEksport"}));

    // Ctrl+Tab from the list turns the page.
    tabela->setFocus();
    QTest::keyClick(tabela, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(wyniki.findChild<QTabWidget*>("Zakladki")->currentIndex(), 1);

    // The facts: a table to a screen reader, its cells named.
    wyniki.findChild<QTabWidget*>("Zakladki")->setCurrentIndex(2);
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    auto* fakty = wyniki.findChild<QTableView*>("TabelaFaktow");
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(fakty);
    ASSERT_TRUE(a && a->tableInterface());
    EXPECT_EQ(std::pair(a->tableInterface()->rowCount(), a->tableInterface()->columnCount()), std::pair(7, 7));
    EXPECT_EQ(a->tableInterface()->cellAt(4, 5)->text(QAccessible::Name), "7 razy 8: 1 z 3 źle, średnio 3,1 s, do powtórki");
    EXPECT_EQ(a->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), "3 razy 3: jeszcze nie było");
    fakty->setFocus();
    fakty->setCurrentIndex(fakty->model()->index(4, 4));
    QTest::keyClick(fakty, Qt::Key_Right);
    EXPECT_EQ(fakty->currentIndex().data(Qt::AccessibleTextRole).toString(), "7 razy 8: 1 z 3 źle, średnio 3,1 s, do powtórki");
    QTest::keyClick(fakty, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "ButEksport");
    EXPECT_TRUE(wyniki.findChild<QWidget*>("LegendaFaktow")->accessibleDescription().contains("Czerwony: co druga źle"));
    wyniki.findChild<QAbstractButton*>("RadioFakty2")->click();
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    EXPECT_TRUE(wyniki.findChild<QLabel*>("LabelObjasnienie")->text().contains("kratka 7 + 5 to np. 27 + 15"));
    if (const QString zrzuty = qEnvironmentVariable("ZM_ZRZUTY"); !zrzuty.isEmpty())
        fakty->parentWidget()->grab().save(QDir(zrzuty).filePath("facts-page.png"));
}

// A list longer than a page, read as it is scrolled: a full page is not
// the last, and every drill comes once, also where drills of the same
// minute straddle a page's boundary.
TEST(Results, TheListReadsPageAfterPageToTheLastDrill)
{
    const int ile = 1205; // the first page (200), a full one (1000) and 5
    QTemporaryDir tmp;
    QStringList oczekiwane;
    {
        std::vector<CwiczenieNaWykresie> cwiczenia;
        for (int i = 0; i < ile; ++i) {
            // Seven drills a minute: ties at every boundary.
            const std::int64_t ms = 1796738580000LL - std::int64_t{i / 7} * 60000;
            cwiczenia.push_back({ms, std::uint8_t(i % 4), std::uint8_t(1 + i % 6), false});
            oczekiwane << QStringLiteral("%1|%2|%3")
                              .arg(QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd HH:mm"),
                                   QStringList{"Mnożenie", "Dzielenie", "Dodawanie", "Odejmowanie"}[i % 4])
                              .arg(1 + i % 6);
        }
        DziennikWynikow dziennik(tmp.filePath("wyniki.sqlite"));
        zapisz(dziennik, cwiczenia);
    }
    test::ZapisaneKomunikaty komunikaty;
    TFrmWyniki wyniki(nullptr, tmp.filePath("wyniki.sqlite"), &komunikaty);
    ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
    QAbstractItemModel* m = wyniki.findChild<QTableView*>("ListaCwiczen")->model();
    EXPECT_EQ(m->rowCount(), 200);
    QList<int> strony;
    while (m->canFetchMore({}) && strony.size() < 5) {
        m->fetchMore({});
        ASSERT_TRUE(czekaj([&] { return wyniki.Wczytane(); }));
        strony << m->rowCount();
    }
    EXPECT_EQ(strony, (QList<int>{1200, 1205}));
    QStringList wiersze;
    for (int r = 0; r < m->rowCount(); ++r)
        wiersze << QStringLiteral("%1|%2|%3").arg(m->index(r, 0).data().toString(), m->index(r, 1).data().toString(),
                                                  m->index(r, 5).data().toString());
    for (int r = 1; r < wiersze.size(); ++r) ASSERT_GE(wiersze[r - 1].left(16), wiersze[r].left(16)) << r;
    wiersze.sort();
    oczekiwane.sort();
    EXPECT_EQ(wiersze, oczekiwane);
}
