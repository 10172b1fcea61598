// The class on the school's server, on a private PostgreSQL 15 started here
// as the tests start it (and a second one that flushes each commit to disk):
// how many drills a second the server takes from 30 workstations, how long
// stopping the sender takes, and how long the teacher's class view takes to
// read with 30 children × 200 drills.
#include "ClassReads.h"
#include "ClassSender.h"
#include "DrillState.h"
#include "PostgresServer.h"
#include "QuestionGenerator.h"
#include "RandomQuestions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <thread>
#include <cstring>
#include <optional>
#include <vector>

using namespace zm;
using namespace std::chrono_literals;

namespace {

class Skrzynka : public ISkrzynkaKlasy {
public:
    void Dodaj(CwiczenieKlasy c) { czekajace_.push_back(std::move(c)); }
    std::optional<std::vector<CwiczenieKlasy>> Niewyslane(int ile) override
    {
        std::lock_guard<std::mutex> l(m_);
        return std::vector<CwiczenieKlasy>{czekajace_.begin(),
                                           czekajace_.begin() + std::min<std::size_t>(ile, czekajace_.size())};
    }
    bool Wyslane(const std::vector<std::string>& ids) override
    {
        std::lock_guard<std::mutex> l(m_);
        czekajace_.erase(czekajace_.begin(), czekajace_.begin() + std::ptrdiff_t(ids.size()));
        return true;
    }
    std::size_t Ile()
    {
        std::lock_guard<std::mutex> l(m_);
        return czekajace_.size();
    }

private:
    std::mutex m_;
    std::vector<CwiczenieKlasy> czekajace_;
};

// A 30-question drill at medium pace, four in five answers right.
CwiczenieKlasy Losowe(GeneratorLosowy& los, const std::string& imie, qint64 koniec)
{
    CwiczenieKlasy c{NowyIdentyfikatorCwiczenia(), imie, {}};
    ZapisCwiczenia& z = c.zapis;
    z.koniecMs = koniec;
    z.dzialanie = static_cast<std::uint8_t>(los.Random(4));
    z.iloscPytan = 30;
    z.predkosc = PredkoscSrednio;
    bench::LosowePytania(z, los);
    return c;
}

double Mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// 30 workstations, each with `ile` drills waiting, sent at once: seconds
// until the server holds them all.
double Wyslij(test::SerwerPostgres& serwer, const QString& klasa, int ile, GeneratorLosowy& los)
{
    std::vector<std::shared_ptr<Skrzynka>> skrzynki;
    for (int s = 0; s < 30; ++s) {
        skrzynki.push_back(std::make_shared<Skrzynka>());
        for (int n = 0; n < ile; ++n)
            skrzynki.back()->Dodaj(
                Losowe(los, "Dziecko " + std::to_string(s + 1), 1796738580000LL + (s * 1000LL + n) * 600000));
    }
    QElapsedTimer t;
    t.start();
    std::vector<std::unique_ptr<NadawcaKlasy>> nadawcy;
    for (int s = 0; s < 30; ++s) {
        KonfiguracjaKlasy k = serwer.Konfiguracja(klasa);
        k.stanowisko = QStringLiteral("pc-%1").arg(s + 1);
        nadawcy.push_back(std::make_unique<NadawcaKlasy>(k, skrzynki[s]));
    }
    while (!std::all_of(skrzynki.begin(), skrzynki.end(), [](auto& s) { return s->Ile() == 0; }))
        std::this_thread::sleep_for(1ms);
    return t.nsecsElapsed() / 1e9;
}

// A flood: 5,016 children of one drill each and 400,000 drills of one
// child, written straight into the server. The teacher's reads take a page
// at a time: memory stays bounded.
int Powodz(test::SerwerPostgres& serwer)
{
    serwer.Psql(test::SerwerPostgres::kBaza,
                {QStringLiteral("-c"),
                 QStringLiteral("INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation,"
                                " questions, pace_ms, narrator, good, bad, grade)"
                                " SELECT gen_random_uuid(), 'powodz', 'pc', 'Dziecko ' || i, now(), 0, 1, 60, false, 1,"
                                " 0, 6 FROM generate_series(1, 5016) i;"
                                "INSERT INTO zoltava.drills (id, class, workstation, child, ended_at, operation,"
                                " questions, pace_ms, narrator, good, bad, grade)"
                                " SELECT gen_random_uuid(), 'powodz', 'pc', 'Ola', now() - i * interval '1 second', 0,"
                                " 1, 60, false, 1, 0, 6 FROM generate_series(1, 400000) i"),
                 QStringLiteral("-c"), QStringLiteral("VACUUM ANALYZE zoltava.drills")});
    const auto rss = [](const char* pole) {
        QFile f(QStringLiteral("/proc/self/status"));
        f.open(QIODevice::ReadOnly);
        for (const QByteArray& w : f.readAll().split('\n'))
            if (w.startsWith(pole)) return w.mid(int(std::strlen(pole))).trimmed().split(' ')[0].toLongLong() / 1024.0;
        return 0.0;
    };
    const double przed = rss("VmRSS:");
    OdczytKlasy powodz(serwer.Konfiguracja(QStringLiteral("powodz")));
    QElapsedTimer t;
    t.start();
    bool obcieto = false;
    const auto d = powodz.Dzieci(&obcieto);
    const double czasDzieci = t.nsecsElapsed() / 1e6;
    t.restart();
    const auto okno = powodz.Cwiczenia(QStringLiteral("Ola"), false, nullptr, 2000);
    const double czasOkna = t.nsecsElapsed() / 1e6;
    t.restart();
    long long wszystkie = 0;
    std::optional<CwiczenieZKlasy> po;
    for (;;) {
        const auto strona = powodz.Cwiczenia(QStringLiteral("Ola"), false, po ? &*po : nullptr, 500);
        if (!strona || strona->empty()) break;
        wszystkie += qint64(strona->size());
        po = strona->back();
    }
    const double czasWszystkich = t.nsecsElapsed() / 1e3 / 1e6;
    std::printf("a flood of 5,016 children and 400,000 drills of one child (RSS %.0f MB before):\n", przed);
    std::printf("  the children: %zu of them (more left out: %s), %.0f ms\n", d ? d->size() : 0, obcieto ? "yes" : "no",
                czasDzieci);
    std::printf("  the window's newest %zu drills: %.0f ms\n", okno ? okno->size() : 0, czasOkna);
    std::printf("  every drill a page of 500 at a time (as the CSV is written): %lld in %.1f s\n", wszystkie,
                czasWszystkich);
    std::printf("  RSS after: %.0f MB, peak %.0f MB\n", rss("VmRSS:"), rss("VmHWM:"));
    return d && okno && wszystkie == 400000 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    test::SerwerPostgres serwer;
    if (!serwer.Blad().isEmpty()) {
        std::fprintf(stderr, "no PostgreSQL server: %s\n", qPrintable(serwer.Blad()));
        return 1;
    }
    // Only the flood: zm_bench_class --powodz
    if (argc > 1 && QByteArray(argv[1]) == "--powodz") return Powodz(serwer);
    GeneratorLosowy los(20261208);

    // Throughput: three runs of 30 × 100 drills, then the class of the
    // teacher's view, 30 × 200.
    std::vector<double> naSekunde;
    for (int i = 0; i < 3; ++i)
        naSekunde.push_back(3000 / Wyslij(serwer, QStringLiteral("tempo-%1").arg(i), 100, los));
    const double wypelnienie = Wyslij(serwer, QStringLiteral("3b"), 200, los);
    std::printf(
        "30 workstations sending 100 drills of 30 questions each: median %.0f drills/s (runs: %.0f, %.0f, %.0f)\n",
        Mediana(naSekunde), naSekunde[0], naSekunde[1], naSekunde[2]);
    {
        test::SerwerPostgres trwaly(true);
        std::vector<double> zDyskiem;
        for (int i = 0; i < 3; ++i)
            zDyskiem.push_back(3000 / Wyslij(trwaly, QStringLiteral("tempo-%1").arg(i), 100, los));
        std::printf("the same, each commit flushed to disk (fsync on): median %.0f drills/s (runs: %.0f, %.0f, %.0f)\n",
                    Mediana(zDyskiem), zDyskiem[0], zDyskiem[1], zDyskiem[2]);
    }
    std::printf("30 workstations sending 200 drills each (6000 drills, 180000 answers): %.1f s, %.0f drills/s\n",
                wypelnienie, 6000 / wypelnienie);
    serwer.Psql(test::SerwerPostgres::kBaza, {QStringLiteral("-c"), QStringLiteral("VACUUM ANALYZE")});

    // Stopping the sender: idle, in the middle of sending, and while the
    // server does not answer (the connection would wait 3 s).
    const auto zatrzymanie = [&](auto&& przygotuj) {
        std::vector<double> czasy;
        for (int i = 0; i < 5; ++i) {
            auto skrzynka = std::make_shared<Skrzynka>();
            auto nadawca = przygotuj(skrzynka);
            QElapsedTimer t;
            t.start();
            nadawca->Zatrzymaj();
            czasy.push_back(t.nsecsElapsed() / 1e6);
            nadawca.reset();
            serwer.Odmroz();
        }
        return Mediana(czasy);
    };
    const double bezczynny = zatrzymanie([&](auto skrzynka) {
        auto n = std::make_unique<NadawcaKlasy>(serwer.Konfiguracja(QStringLiteral("stop")), skrzynka);
        std::this_thread::sleep_for(50ms);
        return n;
    });
    const double wTrakcie = zatrzymanie([&](auto skrzynka) {
        for (int n = 0; n < 2000; ++n)
            skrzynka->Dodaj(Losowe(los, "Ola", 1796738580000LL + n));
        auto n = std::make_unique<NadawcaKlasy>(serwer.Konfiguracja(QStringLiteral("stop")), skrzynka);
        while (skrzynka->Ile() > 1900)
            std::this_thread::sleep_for(1ms);
        return n;
    });
    const double zamrozony = zatrzymanie([&](auto skrzynka) {
        skrzynka->Dodaj(Losowe(los, "Ola", 1796738580000LL));
        serwer.Zamroz();
        auto n = std::make_unique<NadawcaKlasy>(serwer.Konfiguracja(QStringLiteral("stop")), skrzynka);
        std::this_thread::sleep_for(100ms);
        return n;
    });
    std::printf("stopping the sender: idle %.2f ms, while sending %.2f ms, server frozen %.1f ms (median of 5)\n",
                bezczynny, wTrakcie, zamrozony);

    // The teacher's view of class 3b: 30 children × 200 drills.
    std::vector<double> otwarcie, dzieci, przeglad, lista, pytania, faktyKlasy, faktyDziecka, mylone;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        OdczytKlasy odczyt(serwer.Konfiguracja(QStringLiteral("3b")));
        const auto d = odczyt.Dzieci();
        otwarcie.push_back(t.nsecsElapsed() / 1e6);
        if (!d || d->size() != 30) {
            std::fprintf(stderr, "the class view read %s\n", qPrintable(odczyt.Blad()));
            return 1;
        }
        const QString imie = (*d)[i].imie;
        t.restart();
        odczyt.Dzieci();
        dzieci.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        odczyt.Dzieci(nullptr, 0, true);
        przeglad.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        const auto c = odczyt.Cwiczenia(imie);
        lista.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        odczyt.Cwiczenia(imie, true);
        pytania.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        const auto f = odczyt.Fakty(std::uint8_t(i % 4));
        faktyKlasy.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        odczyt.Fakty(std::uint8_t(i % 4), imie);
        faktyDziecka.push_back(t.nsecsElapsed() / 1e6);
        // The overview's missed facts: every operation's, one after another.
        t.restart();
        odczyt.FaktyWszystkichDzialan();
        mylone.push_back(t.nsecsElapsed() / 1e6);
        if (!c || c->size() != 200 || !f || f->empty()) return 1;
    }
    std::printf("teacher's view, 30 children x 200 drills (median of 7):\n");
    std::printf("  connect and read the children: %.1f ms\n", Mediana(otwarcie));
    std::printf("  the children again (connected): %.1f ms\n", Mediana(dzieci));
    std::printf("  the overview with each child's most missed questions: %.1f ms\n", Mediana(przeglad));
    std::printf("  a child's list of 200 drills: %.1f ms; with its 6000 questions: %.1f ms\n", Mediana(lista),
                Mediana(pytania));
    std::printf("  the class's fact table, one operation (about 45000 answers): %.1f ms\n", Mediana(faktyKlasy));
    std::printf("  a child's fact table, one operation: %.1f ms\n", Mediana(faktyDziecka));
    std::printf("  the overview's missed facts, every operation (180000 answers): %.1f ms\n", Mediana(mylone));
    std::printf("  opening the class view (connect, children, a child's list, the class's facts): %.1f ms\n",
                Mediana(otwarcie) + Mediana(lista) + Mediana(faktyKlasy));

    return Powodz(serwer);
}
