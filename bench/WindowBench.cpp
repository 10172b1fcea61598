// The real main window on the offscreen platform: pacing accuracy of
// unanswered questions at each pace, the CPU cost of a tick (with the time
// bar's repaint) and of asking a question, and key-to-screen latency.
//   zm_bench_window [--quick]
#include "SdlOdtwarzacz.h"
#include "UnitMain.h"
#include "Widgets.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

using namespace zm;

namespace {

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double percentyl(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

std::unique_ptr<TFrmMain> okno()
{
    TFrmMain::Opcje o;
    o.katalogProgramu = QStringLiteral(ZM_BENCH_INSTALL);
    auto w = std::make_unique<TFrmMain>(o);
    w->Kontroler().ustawienia().Lektor = false;
    w->show();
    QApplication::processEvents();
    return w;
}

// Wall time from one question to the next, with nothing typed.
void tempo(int predkosc, int pytan)
{
    auto w = okno();
    w->Kontroler().ustawienia().Predkosc = predkosc;
    w->Kontroler().ustawienia().IloscPytan = 100;
    std::vector<double> czasy;
    auto poprzedni = std::chrono::steady_clock::now();
    int nr = 0;
    auto* timer = w->findChild<QTimer*>(QStringLiteral("Timer"));
    // Runs after the window's own handler of the same tick.
    QObject::connect(timer, &QTimer::timeout, [&] {
        if (w->Kontroler().stan().NrPytania == nr) return;
        const auto teraz = std::chrono::steady_clock::now();
        czasy.push_back(std::chrono::duration<double>(teraz - poprzedni).count());
        poprzedni = teraz;
        nr = w->Kontroler().stan().NrPytania;
        if (static_cast<int>(czasy.size()) >= pytan) QApplication::quit();
    });
    w->Kontroler().ButtonStartStopClick();
    poprzedni = std::chrono::steady_clock::now();
    nr = w->Kontroler().stan().NrPytania;
    QApplication::exec();
    const double cel = 67.0 * predkosc / 1000.0;
    const double m = mediana(czasy);
    std::printf("  %4d ms pace: target %6.3f s, median %6.3f s, worst %6.3f s, error %+.2f %% (%d questions)\n",
                predkosc, cel, m, *std::max_element(czasy.begin(), czasy.end()), (m - cel) / cel * 100, pytan);
}

void kosztTyku()
{
    auto w = okno();
    auto& k = w->Kontroler();
    k.ustawienia().IloscPytan = 100;
    std::vector<double> tyk, pytanie;
    for (int drill = 0; drill < 5; ++drill) {
        k.ButtonStartStopClick();
        QApplication::processEvents();
        while (k.trwa()) {
            const int nr = k.stan().NrPytania;
            const double t0 = cpuMs();
            k.TimerTimer();
            QApplication::processEvents(); // the repaint of the bar and labels
            const double dt = cpuMs() - t0;
            (k.stan().NrPytania == nr ? tyk : pytanie).push_back(dt);
            if (k.stan().NrPytania >= 40) k.ButtonStartStopClick();
        }
    }
    std::printf("  tick with the time bar's repaint: median %.3f ms, 99th percentile %.3f ms CPU (%zu ticks)\n",
                mediana(tyk), percentyl(tyk, 0.99), tyk.size());
    std::printf("  tick that judges and asks the next question: median %.3f ms, 99th percentile %.3f ms CPU (%zu)\n",
                mediana(pytanie), percentyl(pytanie, 0.99), pytanie.size());
    std::vector<double> samo;
    for (int i = 0; i < 200; ++i) {
        k.ButtonStartStopClick(); // stop
        k.ButtonStartStopClick(); // start: a fresh first question
        QApplication::processEvents();
        const double t0 = cpuMs();
        k.NastepnePytanie();
        QApplication::processEvents();
        samo.push_back(cpuMs() - t0);
    }
    std::printf("  asking a question (picture, labels, answer cleared, repaint): median %.3f ms CPU\n", mediana(samo));
}

void opoznienieKlawisza()
{
    auto w = okno();
    auto& k = w->Kontroler();
    auto* edit = w->findChild<QLineEdit*>(QStringLiteral("EditWynik"));
    k.ButtonStartStopClick();
    k.TimerTimer();
    std::vector<double> czasy;
    for (int i = 0; i < 1000; ++i) {
        QKeyEvent cyfra(QEvent::KeyPress, Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
        QKeyEvent cofnij(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
        const auto t0 = std::chrono::steady_clock::now();
        // The answer picture is repainted before the key's handling returns.
        QApplication::sendEvent(edit, &cyfra);
        czasy.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        QApplication::sendEvent(edit, &cofnij);
        QApplication::processEvents();
    }
    std::printf("  digit key to the answer picture repainted: median %.3f ms, 99th percentile %.3f ms\n",
                mediana(czasy), percentyl(czasy, 0.99));
}

// The window's event loop while the equation is read by the real player (on
// whatever sound server the environment gives), seen by a 1 ms timer, over
// three readings: how long the judging tick holds the loop, and the longest
// gap until the next question.
void petlaPodczasCzytania()
{
    SdlOdtwarzacz glos;
    TFrmMain::Opcje o;
    o.katalogProgramu = QStringLiteral(ZM_BENCH_INSTALL);
    o.odtwarzacz = &glos;
    TFrmMain okno(o);
    auto& k = okno.Kontroler();
    std::vector<double> tyki, przerwy, czytania;
    for (int r = 0; r < 3; ++r) {
        k.ButtonStartStopClick();
        for (int t = 0; t < 66; ++t) k.TimerTimer();
        QTimer zegar;
        zegar.setTimerType(Qt::PreciseTimer);
        zegar.setInterval(1);
        auto ostatni = std::chrono::steady_clock::now();
        double najdluzsza = 0;
        QObject::connect(&zegar, &QTimer::timeout, [&] {
            const auto teraz = std::chrono::steady_clock::now();
            najdluzsza = std::max(najdluzsza, std::chrono::duration<double, std::milli>(teraz - ostatni).count());
            ostatni = teraz;
        });
        const auto t0 = std::chrono::steady_clock::now();
        k.TimerTimer(); // time out: the reading starts
        tyki.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        zegar.start();
        ostatni = std::chrono::steady_clock::now();
        while (k.Czyta()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const auto t1 = std::chrono::steady_clock::now();
        czytania.push_back(std::chrono::duration<double>(t1 - t0).count());
        przerwy.push_back(najdluzsza);
        k.ButtonStartStopClick();
    }
    std::printf("  the judging tick: %.2f ms (median of 3; it starts the reading and returns)\n", mediana(tyki));
    std::printf("  longest event-loop gap during a reading: %.1f ms (median of 3; readings took %.2f s; driver %s)\n",
                mediana(przerwy), mediana(czytania), glos.Sterownik().c_str());
}

} // namespace

int main(int argc, char** argv)
{
    zm::SdlOdtwarzacz::PrzygotujSrodowisko();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool szybko = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::printf("pacing accuracy, unanswered questions, narrator off\n");
    tempo(PredkoscSzybko, szybko ? 3 : 10);
    tempo(PredkoscSrednio, szybko ? 2 : 5);
    if (!szybko) tempo(PredkoscWolno, 3);
    std::printf("CPU cost\n");
    kosztTyku();
    std::printf("latency\n");
    opoznienieKlawisza();
    std::printf("the window during a reading\n");
    petlaPodczasCzytania();
    return 0;
}
