// The results journal and its window with a child's years of drills:
// 10,000, 100,000 and 1,000,000 (offscreen platform).
//   zm_bench_results <folder>            every figure; the journals are made
//                                        in <folder> once and kept there
//   zm_bench_results fill <n> <file>     only makes a journal of n drills
//   zm_bench_results window <n> <file>   only the window's figures, on a
//                                        journal of n drills made before
// Journal: the constructor on the GUI thread, the opening on its thread
// with and without a check, the grade's tick with the write. Window: time
// to the first rows, to the chart, to the fact table, to another
// operation's facts, to a CSV export; the longest stall of the GUI thread
// (a 1 ms timer's longest gap) over all of it; the resident memory before
// the window's first opening (the main window shown and idle, as in the
// program), while it is open and after each closing, once the window's and
// the pool's threads have ended.
#include "DrillState.h"
#include "MemoryAtRest.h"
#include "Messages.h"
#include "SdlOdtwarzacz.h"
#include "UnitMain.h"
#include "QuestionGenerator.h"
#include "RandomQuestions.h"
#include "ResultsJournal.h"
#include "ResultsStore.h"
#include "ResultsWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <time.h>
#include <string>
#include <vector>

using namespace zm;

namespace {

// A child's year: mostly 10- and 30-question drills of every operation.
ZapisCwiczenia losowe(GeneratorLosowy& los, qint64 koniec)
{
    ZapisCwiczenia z;
    z.koniecMs = koniec;
    z.dzialanie = static_cast<std::uint8_t>(los.Random(4));
    static const int ilosci[] = {10, 10, 10, 30, 30, 70, 100};
    z.iloscPytan = ilosci[los.Random(7)];
    z.predkosc = std::array{PredkoscWolno, PredkoscSrednio, PredkoscSzybko}[los.Random(3)];
    z.lektor = los.Random(2) == 0;
    bench::LosowePytania(z, los);
    return z;
}

constexpr qint64 kPoczatek = 1767225600000LL; // 2026-01-01

double mediana(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::int64_t policz(const QString& plik, const char* sql)
{
    sqlite3* db = nullptr;
    std::int64_t n = -1;
    if (sqlite3_open_v2(plik.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return n;
}

// Makes the journal of `ile` drills, a few minutes apart. The first
// kPrzezDziennik are written by the journal itself (it files each answer
// under the child's fact, so the fact table holds every fact a year of
// drills meets); the rest are inserted in bulk, in one transaction through
// two prepared statements, as the journal would write their rows.
void wypelnij(const QString& plik, int ile)
{
    if (QFile::exists(plik)) return;
    constexpr int kPrzezDziennik = 2000;
    const QString robocze = plik + ".tworzony";
    QFile::remove(robocze);
    QElapsedTimer t;
    t.start();
    GeneratorLosowy los(12345);
    auto nieMozna = [&](const char* co) {
        std::fprintf(stderr, "cannot write %s (%s)\n", qPrintable(robocze), co);
        std::exit(1);
    };
    {
        BazaWynikow::Opcje opcje;
        opcje.pamiecKiB = 256 * 1024;
        BazaWynikow baza(robocze, opcje);
        std::vector<ZapisCwiczenia> paczka;
        for (int i = 0; i < std::min(ile, kPrzezDziennik); ++i)
            paczka.push_back(losowe(los, kPoczatek + qint64(i) * 300000));
        if (!baza.Zapisz(paczka)) nieMozna("the journal");
    }
    if (ile > kPrzezDziennik) {
        sqlite3* db = nullptr;
        if (sqlite3_open(robocze.toUtf8().constData(), &db) != SQLITE_OK) nieMozna("open");
        sqlite3_exec(db, "PRAGMA synchronous = OFF; PRAGMA cache_size = -262144", nullptr, nullptr, nullptr);
        sqlite3_stmt* cw = nullptr;
        sqlite3_stmt* odp = nullptr;
        if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db,
                               "INSERT INTO drills (ended_at_ms, operation, questions, pace_ms, narrator, good, bad,"
                               " grade, child_id, draw, uid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 1, ?,"
                               " lower(hex(randomblob(16))))",
                               -1, &cw, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db,
                               "INSERT INTO answers (drill_id, number, operand1, operand2, answer, correct, time_ms)"
                               " VALUES (?, ?, ?, ?, ?, ?, ?)",
                               -1, &odp, nullptr) != SQLITE_OK)
            nieMozna(sqlite3_errmsg(db));
        for (int i = kPrzezDziennik; i < ile; ++i) {
            const ZapisCwiczenia z = losowe(los, kPoczatek + qint64(i) * 300000);
            int k = 0;
            for (const std::int64_t v : {std::int64_t{z.koniecMs}, std::int64_t{z.dzialanie}, std::int64_t{z.iloscPytan},
                                         std::int64_t{z.predkosc}, std::int64_t{z.lektor}, std::int64_t{z.dobrze},
                                         std::int64_t{z.zle}, std::int64_t{z.ocena}, std::int64_t{z.losowanie}})
                sqlite3_bind_int64(cw, ++k, v);
            if (sqlite3_step(cw) != SQLITE_DONE) nieMozna(sqlite3_errmsg(db));
            sqlite3_reset(cw);
            const sqlite3_int64 id = sqlite3_last_insert_rowid(db);
            int nr = 0;
            for (const PytanieCwiczenia& p : z.pytania) {
                sqlite3_bind_int64(odp, 1, id);
                sqlite3_bind_int64(odp, 2, ++nr);
                sqlite3_bind_int64(odp, 3, p.liczba1);
                sqlite3_bind_int64(odp, 4, p.liczba2);
                sqlite3_bind_text(odp, 5, p.odpowiedz.data(), static_cast<int>(p.odpowiedz.size()), SQLITE_TRANSIENT);
                sqlite3_bind_int64(odp, 6, p.dobrze);
                sqlite3_bind_int64(odp, 7, p.czasMs);
                if (sqlite3_step(odp) != SQLITE_DONE) nieMozna(sqlite3_errmsg(db));
                sqlite3_reset(odp);
            }
        }
        sqlite3_finalize(cw);
        sqlite3_finalize(odp);
        if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) nieMozna(sqlite3_errmsg(db));
        sqlite3_close(db);
    }
    QFile::rename(robocze, plik);
    std::printf("made the journal of %d drills in %.1f s\n", ile, t.elapsed() / 1000.0);
}

void opisz(const QString& plik)
{
    std::printf("journal %s: %lld drills, %lld answers, %.1f MB\n", qPrintable(QFileInfo(plik).fileName()),
                static_cast<long long>(policz(plik, "SELECT count(*) FROM drills")),
                static_cast<long long>(policz(plik, "SELECT count(*) FROM answers")), QFileInfo(plik).size() / 1048576.0);
}

// The resident memory in MiB: all of it, or (`pole` "RssAnon:") the heap
// and stacks alone, without the pages of mapped files (libraries, fonts).
double rssMiB(const char* pole = "VmRSS:")
{
    std::ifstream f("/proc/self/status");
    std::string linia;
    while (std::getline(f, linia))
        if (linia.rfind(pole, 0) == 0) return std::strtod(linia.c_str() + std::strlen(pole), nullptr) / 1024.0;
    return 0;
}

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

class BezOkien final : public IKomunikaty {
public:
    void Pokaz(QWidget*, Rodzaj, const QString&, const QString& tekst) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(tekst));
    }
};

// The GUI thread's longest gap between two ticks of a 1 ms timer.
class Przestoje : public QObject {
public:
    Przestoje()
    {
        zegar_.setTimerType(Qt::PreciseTimer);
        zegar_.setInterval(1);
        connect(&zegar_, &QTimer::timeout, this, [this] {
            const double t = czas_.nsecsElapsed() / 1e6;
            najdluzszy_ = std::max(najdluzszy_, t - ostatni_);
            ostatni_ = t;
        });
    }
    void Start()
    {
        najdluzszy_ = 0;
        czas_.start();
        ostatni_ = 0;
        zegar_.start();
    }
    double Najdluzszy() const { return najdluzszy_; }

private:
    QTimer zegar_;
    QElapsedTimer czas_;
    double ostatni_ = 0, najdluzszy_ = 0;
};

// Runs the event loop until `warunek`; the time it took in ms.
double doCzasu(const QElapsedTimer& t, const std::function<bool()>& warunek)
{
    while (!warunek()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return t.nsecsElapsed() / 1e6;
}

void dziennik(const QString& zrodlo, const QString& folder, int ile)
{
    const QString plik = folder + "/wyniki.sqlite";
    QFile::remove(plik);
    QFile::remove(plik + ".stan");
    QFile::copy(zrodlo, plik);
    std::vector<double> konstruktor, bezSprawdzenia, cpuBez;
    double zeSprawdzeniem = 0, tickPodczasSprawdzania = 0;
    GeneratorLosowy los(777);
    for (int start = 0; start < 4; ++start) {
        const double c0 = cpuMs();
        QElapsedTimer o;
        o.start();
        DziennikWynikow d(plik);
        konstruktor.push_back(o.nsecsElapsed() / 1e6);
        d.Otworz();
        if (start == 0) {
            // The first start sees the file for the first time: it checks
            // it. A grade reached meanwhile.
            QThread::msleep(20);
            QElapsedTimer w;
            w.start();
            d.Zapisz(losowe(los, kPoczatek + qint64(ile) * 300000));
            tickPodczasSprawdzania = w.nsecsElapsed() / 1e6;
        }
        d.Dokoncz(std::chrono::minutes(5));
        const double ms = o.nsecsElapsed() / 1e6;
        if (start == 0) {
            zeSprawdzeniem = ms;
        } else {
            bezSprawdzenia.push_back(ms);
            cpuBez.push_back(cpuMs() - c0);
        }
    }
    std::printf("journal of %d drills: constructor on the GUI thread %.3f ms; started on its thread in %.1f ms "
                "(%.1f ms of CPU) after a clean end, %.0f ms with a check of the whole file; a grade's tick "
                "during the check %.2f ms\n",
                ile, mediana(konstruktor), mediana(bezSprawdzenia), mediana(cpuBez), zeSprawdzeniem,
                tickPodczasSprawdzania);
    DziennikWynikow d(plik);
    d.Dokoncz(std::chrono::seconds(30));
    std::vector<double> tick, zapis;
    for (int i = 0; i < 20; ++i) {
        ZapisCwiczenia z = losowe(los, kPoczatek + qint64(ile + 1 + i) * 300000);
        while (z.iloscPytan != 30) z = losowe(los, z.koniecMs);
        QElapsedTimer w;
        w.start();
        d.Zapisz(z);
        tick.push_back(w.nsecsElapsed() / 1e6);
        d.Dokoncz(std::chrono::seconds(10));
        zapis.push_back(w.nsecsElapsed() / 1e6);
    }
    std::printf("  grade tick with the write of a 30-question drill: median %.2f ms, worst %.2f ms "
                "(committed: median %.2f ms)\n",
                mediana(tick), *std::max_element(tick.begin(), tick.end()), mediana(zapis));
    // The end of the program while another program holds the lock and a
    // drill waits: the last try, then the spool.
    sqlite3* blokada = nullptr;
    sqlite3_open(plik.toUtf8().constData(), &blokada);
    sqlite3_exec(blokada, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    d.Zapisz(losowe(los, kPoczatek + qint64(ile + 100) * 300000));
    QElapsedTimer k;
    k.start();
    d.Zamknij();
    std::printf("  the journal's end with a drill waiting behind another program's lock: %.0f ms (the drill goes "
                "to the spool)\n",
                k.nsecsElapsed() / 1e6);
    sqlite3_exec(blokada, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(blokada);
}

void okno(const QString& plik, const QString& folder, int ile)
{
    BezOkien komunikaty;
    Przestoje przestoje;
    std::vector<double> wiersze, wykres, fakty, inneFakty, eksport, przed, otwarte, po, przestoj, przedAnon, poAnon;
    // As in the program: the main window drawn and idle before the first
    // opening (its faces, glyphs and libraries are already there).
    TFrmMain::Opcje o;
    o.katalogProgramu = QStringLiteral(ZM_BENCH_INSTALL);
    o.komunikaty = &komunikaty;
    TFrmMain glowne(o);
    glowne.show();
    QElapsedTimer czekaj;
    czekaj.start();
    doCzasu(czekaj, [&] { return czekaj.elapsed() > 1000; });
    // Five openings: what the first keeps, and whether later ones add to it.
    for (int proba = 0; proba < 5; ++proba) {
        QCoreApplication::processEvents();
        przed.push_back(rssMiB());
        przedAnon.push_back(rssMiB("RssAnon:"));
        przestoje.Start();
        QElapsedTimer t;
        t.start();
        auto* w = new TFrmWyniki(nullptr, plik, &komunikaty);
        w->show();
        auto* lista = w->findChild<QTableView*>("ListaCwiczen");
        wiersze.push_back(doCzasu(t, [&] { return lista->model()->rowCount() > 0; }));
        wykres.push_back(doCzasu(t, [&] { return w->Wczytane(); }));
        t.restart();
        w->findChild<QTabWidget*>("Zakladki")->setCurrentIndex(2);
        fakty.push_back(doCzasu(t, [&] { return w->Wczytane(); }));
        t.restart();
        w->findChild<QAbstractButton*>("RadioFakty2")->click();
        inneFakty.push_back(doCzasu(t, [&] { return w->Wczytane(); }));
        // Down the list: ten more pages.
        w->findChild<QTabWidget*>("Zakladki")->setCurrentIndex(0);
        for (int s = 0; s < 10; ++s) {
            const int n = lista->model()->rowCount();
            lista->scrollToBottom();
            doCzasu(t, [&] { return w->Wczytane() && (lista->model()->rowCount() > n || n >= ile); });
        }
        bool wyeksportowano = false;
        QObject::connect(w, &TFrmWyniki::Wyeksportowano, [&] { wyeksportowano = true; });
        t.restart();
        w->Eksportuj(folder + "/wyniki.csv");
        eksport.push_back(doCzasu(t, [&] { return wyeksportowano; }));
        otwarte.push_back(rssMiB());
        w->close();
        delete w;
        t.restart();
        // The window's threads and the pool's end, the heap is trimmed.
        doCzasu(t, [&] { return t.elapsed() > std::chrono::milliseconds(SdlOdtwarzacz::kBezczynnosc).count() + 500; });
        przestoj.push_back(przestoje.Najdluzszy());
        po.push_back(rssMiB());
        poAnon.push_back(rssMiB("RssAnon:"));
        QFile::remove(folder + "/wyniki.csv");
    }
    auto kolejne = [](const std::vector<double>& v) {
        std::string s;
        for (double x : v) s += (s.empty() ? "" : " / ") + QString::number(x, 'f', 1).toStdString();
        return s;
    };
    std::printf("results window, %d drills (median of %zu openings): first rows %.0f ms, chart %.0f ms, fact table "
                "%.0f ms, another operation's facts %.0f ms, CSV export %.0f ms; longest GUI stall %.1f ms (worst "
                "%.1f); RSS %.1f MiB before the first opening, %.1f open, after each closing %s (of it heap and "
                "stacks: %.1f before, %s after)\n",
                ile, wiersze.size(), mediana(wiersze), mediana(wykres), mediana(fakty), mediana(inneFakty),
                mediana(eksport), mediana(przestoj), *std::max_element(przestoj.begin(), przestoj.end()),
                przed.front(), mediana(otwarte), kolejne(po).c_str(), przedAnon.front(), kolejne(poAnon).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OddawajPamiecWSpoczynku(app, SdlOdtwarzacz::kBezczynnosc); // as the program does
    if (argc == 4 && std::string(argv[1]) == "fill") {
        wypelnij(QString::fromLocal8Bit(argv[3]), std::atoi(argv[2]));
        opisz(QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "window") {
        QTemporaryDir robocze;
        okno(QString::fromLocal8Bit(argv[3]), robocze.path(), std::atoi(argv[2]));
        return 0;
    }
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(folder);
    QTemporaryDir robocze(folder + "/robocze-XXXXXX");
    for (int ile : {10000, 100000, 1000000}) {
        const QString plik = QStringLiteral("%1/drills-%2.sqlite").arg(folder).arg(ile);
        wypelnij(plik, ile);
        opisz(plik);
        if (ile != 100000) dziennik(plik, robocze.path(), ile);
        okno(plik, robocze.path(), ile);
    }
    return 0;
}
