// The results journal with 10,000 drills: how long a drill's write adds to
// the grade's tick, and how long the results window takes to open.
//   zm_bench_results [folder]   (the journal is built there, or in a temporary folder)
#include "DrillState.h"
#include "Messages.h"
#include "QuestionGenerator.h"
#include "ResultsJournal.h"
#include "ResultsStore.h"
#include "ResultsWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
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
    for (int i = 0; i < z.iloscPytan; ++i) {
        PytanieCwiczenia p;
        LosujPytanie(z.dzialanie, los, p.liczba1, p.liczba2);
        p.dobrze = los.Random(10) < 8;
        const int w = WynikPoprawny(z.dzialanie, p.liczba1, p.liczba2);
        p.odpowiedz = std::to_string(p.dobrze ? w : w + 1);
        p.czasMs = static_cast<std::int32_t>(1 + los.Random(67)) * z.predkosc;
        (p.dobrze ? z.dobrze : z.zle)++;
        z.pytania.push_back(std::move(p));
    }
    z.ocena = ObliczOcene(z.dobrze, z.iloscPytan);
    return z;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

class BezOkien final : public IKomunikaty {
public:
    void Pokaz(QWidget*, Rodzaj, const QString&, const QString&) override {}
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString plik = (argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path()) + "/wyniki.sqlite";
    GeneratorLosowy los(12345);
    const qint64 start = 1767225600000LL; // 2026-01-01
    constexpr int kCwiczen = 10000;

    QElapsedTimer t;
    t.start();
    {
        BazaWynikow baza(plik, BazaWynikow::Tryb::Zapis, "wypelnianie");
        for (int i = 0; i < kCwiczen - 20; ++i) baza.Zapisz(losowe(los, start + qint64(i) * 3000000));
    }
    std::printf("filled %d drills in %.1f s; file %.1f MB\n", kCwiczen - 20, t.elapsed() / 1000.0,
                QFileInfo(plik).size() / 1048576.0);

    // The grade's tick: the journal's Zapisz, as the controller calls it
    // (its 30-question drills, the common case).
    {
        QElapsedTimer o;
        o.start();
        DziennikWynikow dziennik(plik);
        const double konstruktor = o.nsecsElapsed() / 1e6;
        dziennik.Dokoncz(std::chrono::seconds(10));
        std::printf("journal: constructor returns in %.2f ms; file opened and checked on its thread in %.1f ms\n",
                    konstruktor, o.nsecsElapsed() / 1e6);
        std::vector<double> tick, zapis;
        for (int i = 0; i < 20; ++i) {
            ZapisCwiczenia z = losowe(los, start + qint64(kCwiczen + i) * 3000000);
            while (z.iloscPytan != 30) z = losowe(los, z.koniecMs);
            QElapsedTimer w;
            w.start();
            dziennik.Zapisz(z);
            tick.push_back(w.nsecsElapsed() / 1e6);
            dziennik.Dokoncz(std::chrono::seconds(10));
            zapis.push_back(w.nsecsElapsed() / 1e6);
        }
        std::printf("grade tick with the write: median %.2f ms, worst %.2f ms (commit done: median %.2f ms)\n",
                    mediana(tick), *std::max_element(tick.begin(), tick.end()), mediana(zapis));
    }

    // The results window: made, read, shown and painted.
    BezOkien komunikaty;
    std::vector<double> otwarcie, fakty;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer w;
        w.start();
        TFrmWyniki okno(nullptr, plik, &komunikaty);
        okno.Odswiez();
        okno.show();
        okno.repaint();
        QApplication::processEvents();
        otwarcie.push_back(w.nsecsElapsed() / 1e6);
        QElapsedTimer f;
        f.start();
        okno.findChild<QTabWidget*>("Zakladki")->setCurrentIndex(2);
        okno.repaint();
        QApplication::processEvents();
        fakty.push_back(f.nsecsElapsed() / 1e6);
        okno.hide();
    }
    std::printf("results window with %d drills opens in: median %.0f ms, worst %.0f ms\n", kCwiczen,
                mediana(otwarcie), *std::max_element(otwarcie.begin(), otwarcie.end()));
    std::printf("fact table tab (one operation): median %.0f ms\n", mediana(fakty));
    return 0;
}
