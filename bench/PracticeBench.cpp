// Simulated children practising multiplication, one short drill a day: the
// practice mode against the random draw and against a draw that knows the
// child's true state. The child favours no draw:
//
// - each of the 49 facts has a chance of a right answer k (what the child
//   knows) and a stability in days; overnight the part of k learned above
//   what the child knew at the start fades by exp(-days / stability);
// - a right answer teaches (k += 0.10 (1 - k)), a miss with its correction
//   teaches more (k += 0.25 (1 - k)); a right answer a day or more after the
//   fact's last right one doubles its stability (spaced practice);
// - a fact asked again in the drill soon after its correction is answered
//   better: k + (1 - k) 0.6 exp(-questions since / 8), for that answer only;
// - a right answer takes a lognormal time (median 0.9 s + 3.5 s (1 - k)^1.5,
//   sigma 0.4), a time past the question's is a right answer at its end; a
//   miss is a quick guess one time in four (lognormal, median 1.2 s), a slow
//   wrong answer (median 3 s) or no answer;
// - a fact is automatic when k >= 0.9 at the start of a day (what the child
//   keeps overnight; its right answers then come within about a second).
//
// The children: "5 weak" start with 5 facts weak (k 0.2 to 0.4, stability
// 1.5 days), 10 half known (0.55 to 0.8, 3 days) and 34 known (0.92 to 0.99,
// 60 days); "12 weak" with 12 weak, 8 half known and 29 known. A drill of 30
// questions a day at the medium pace, the record kept by the program's own
// rule. The first drill has no record and is drawn at random.
//
// And the parent's trial: a child always missing four facts, as a parent
// tried the practice mode (ProbaRodzica).
//
//   zm_bench_practice [children]
#if __has_include("PracticePlan.h")
#include "PracticePlan.h"
#else
#include "Practice.h"
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

using namespace zm;

namespace {

constexpr int kPytan = 30;
constexpr int kMaksDni = 150;
constexpr std::int32_t kPredkosc = PredkoscSrednio;
constexpr std::int32_t kCzasPytania = 67 * kPredkosc;
constexpr std::int64_t kDzien = 86400000;

struct Fakt1 {
    double k0, k, stabilnosc;
    double uczenie = 1; // how easily it is learned
    int ostatnioDobrze = -1000; // the day of the last right answer
    int korektaNr = -1000;      // the question of the last correction in today's drill
};

enum class Dobor { Losowy, Cwiczenie, Wyrocznia };

struct Wynik {
    int dniDo90 = kMaksDni;   // days until 90 % of the facts are automatic
    std::vector<double> sukcesy; // each composed drill's share of right answers until then
};

int Automatyczne(const std::vector<Fakt1>& f)
{
    return static_cast<int>(std::count_if(f.begin(), f.end(), [](const Fakt1& x) { return x.k >= 0.9; }));
}

Wynik Dziecko(std::uint32_t ziarno, int slabych, Dobor dobor)
{
    std::mt19937 rng(ziarno);
    std::uniform_real_distribution<double> u01(0, 1);
    const std::vector<Fakt> fakty = WszystkieFakty(DzialanieMnozenie);
    std::vector<std::size_t> kolejnosc(fakty.size());
    for (std::size_t i = 0; i < kolejnosc.size(); ++i) kolejnosc[i] = i;
    std::shuffle(kolejnosc.begin(), kolejnosc.end(), rng);
    std::vector<Fakt1> dziecko(fakty.size());
    const int polowicznych = slabych == 5 ? 10 : 8;
    for (std::size_t j = 0; j < kolejnosc.size(); ++j) {
        const int n = static_cast<int>(j);
        Fakt1& f = dziecko[kolejnosc[j]];
        if (n < slabych)
            f = {0, 0.2 + 0.2 * u01(rng), 1.5, 0.3 + 0.4 * u01(rng)};
        else if (n < slabych + polowicznych)
            f = {0, 0.55 + 0.25 * u01(rng), 3.0};
        else
            f = {0, 0.92 + 0.07 * u01(rng), 60.0};
        f.k0 = f.k;
    }
    // The child's own randomness apart from the draw's, so that every draw
    // meets the same child.
    std::mt19937 odpowiedzi(ziarno ^ 0x5bd1e995u);
    std::lognormal_distribution<double> szum(0.0, 0.4);

    Ustawienia u;
    u.IloscPytan = kPytan;
    u.Predkosc = kPredkosc;
    u.Tryb = dobor == Dobor::Cwiczenie ? Losowanie::TrudneFakty : Losowanie::Losowe;
    RekordFaktow rekord;
    GeneratorLosowy los(ziarno * 2654435761u);
    const std::int64_t poczatek = 1'800'000'000'000; // 2027-01-15, in the afternoon
    Wynik w;
    for (int dzien = 0; dzien < kMaksDni; ++dzien) {
        // Overnight.
        if (dzien > 0)
            for (Fakt1& f : dziecko) {
                f.k = f.k0 + std::max(0.0, f.k - f.k0) * std::exp(-1.0 / f.stabilnosc);
                f.korektaNr = -1000;
            }
        if (Automatyczne(dziecko) * 10 >= static_cast<int>(dziecko.size()) * 9) {
            w.dniDo90 = dzien;
            break;
        }
        const std::int64_t teraz = poczatek + dzien * kDzien;
        PlanPytan plan;
        plan.Rozpocznij(u, &rekord, teraz);
        std::size_t poprzedni = fakty.size();
        int dobrych = 0;
        for (int nr = 1; nr <= kPytan; ++nr) {
            std::int32_t a = 0, b = 0;
            plan.Losuj(los, nr, a, b);
            std::size_t i = static_cast<std::size_t>(
                std::find(fakty.begin(), fakty.end(), FaktPytania(DzialanieMnozenie, a, b)) - fakty.begin());
            if (dobor == Dobor::Wyrocznia && dzien > 0) {
                std::vector<double> wagi;
                for (std::size_t j = 0; j < fakty.size(); ++j)
                    wagi.push_back(j == poprzedni ? 0 : std::pow(1 - dziecko[j].k, 3) + 1e-6);
                i = std::discrete_distribution<std::size_t>(wagi.begin(), wagi.end())(rng);
                a = fakty[i].a;
                b = fakty[i].b;
            }
            poprzedni = i;
            Fakt1& f = dziecko[i];
            const double krotka = nr - f.korektaNr < 1000 ? 0.6 * std::exp(-(nr - f.korektaNr) / 8.0) : 0.0;
            const double p = f.k + (1 - f.k) * krotka;
            const bool dobrze = std::uniform_real_distribution<double>(0, 1)(odpowiedzi) < p;
            double czas;
            if (dobrze) {
                czas = (900 + 3500 * std::pow(1 - f.k, 1.5)) * szum(odpowiedzi);
            } else {
                const double r = std::uniform_real_distribution<double>(0, 1)(odpowiedzi);
                czas = r < 0.25 ? 1200 * szum(odpowiedzi) : r < 0.6 ? 3000 * szum(odpowiedzi) : kCzasPytania;
            }
            // The drill's time: whole ticks, the question's time at most.
            const std::int32_t ms =
                std::min(kCzasPytania, static_cast<std::int32_t>(std::ceil(czas / kPredkosc)) * kPredkosc);
            const std::int64_t kiedy = teraz + nr * 10000;
            if (dobrze) {
                if (dzien - f.ostatnioDobrze >= 1) f.stabilnosc = std::min(365.0, f.stabilnosc * 2);
                f.ostatnioDobrze = dzien;
                f.k += 0.10 * f.uczenie * (1 - f.k);
                ++dobrych;
            } else {
                f.k += 0.25 * f.uczenie * (1 - f.k);
                f.korektaNr = nr;
            }
            plan.Oceniono(nr, {a, b, dobrze ? "1" : "", dobrze, ms});
            Zapamietaj(rekord[fakty[i]], dobrze, ms, kPredkosc, kiedy);
        }
        if (dzien > 0) w.sukcesy.push_back(static_cast<double>(dobrych) / kPytan);
    }
    return w;
}

// The parent's trial: a child who always misses 7 x 8, 8 x 7, 6 x 9 and
// 9 x 6 and answers the rest right in 0.6 s; how many of each practice
// drill's 30 questions are those four, and how many different facts it asks,
// from the second drill to the seventh (the fewest and the most).
void ProbaRodzica()
{
    RekordFaktow rekord;
    GeneratorLosowy los(4242);
    std::int64_t teraz = 1'800'000'000'000;
    int najmniejTrudnych = kPytan, najwiecejTrudnych = 0, najmniejRoznych = kPytan, najwiecejRoznych = 0;
    for (int dzien = 0; dzien < 7; ++dzien, teraz += kDzien) {
        Ustawienia u;
        u.Tryb = Losowanie::TrudneFakty;
        u.IloscPytan = kPytan;
        PlanPytan plan;
        plan.Rozpocznij(u, &rekord, teraz);
        int trudnych = 0;
        std::vector<Fakt> rozne;
        for (int nr = 1; nr <= kPytan; ++nr) {
            std::int32_t a = 0, b = 0;
            plan.Losuj(los, nr, a, b);
            const bool trudny = (a == 7 && b == 8) || (a == 8 && b == 7) || (a == 6 && b == 9) || (a == 9 && b == 6);
            const Fakt f = FaktPytania(DzialanieMnozenie, a, b);
            trudnych += trudny;
            if (std::find(rozne.begin(), rozne.end(), f) == rozne.end()) rozne.push_back(f);
            plan.Oceniono(nr, {a, b, "", !trudny, trudny ? kCzasPytania : 600});
            Zapamietaj(rekord[f], !trudny, trudny ? kCzasPytania : 600, kPredkosc, teraz + nr * 10000);
        }
        if (dzien == 0) continue;
        const int n = static_cast<int>(rozne.size());
        najmniejTrudnych = std::min(najmniejTrudnych, trudnych);
        najwiecejTrudnych = std::max(najwiecejTrudnych, trudnych);
        najmniejRoznych = std::min(najmniejRoznych, n);
        najwiecejRoznych = std::max(najwiecejRoznych, n);
    }
    std::printf("\na child always missing four facts, drills 2 to 7: %d-%d of %d questions on them, "
                "%d-%d different facts a drill\n",
                najmniejTrudnych, najwiecejTrudnych, kPytan, najmniejRoznych, najwiecejRoznych);
}

template <typename T>
T Mediana(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int dzieci = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::printf("simulated children practising multiplication (%d children, %d questions a drill, one drill a day)\n",
                dzieci, kPytan);
    std::printf("| Children | Draw | days until 90 %% of the facts are automatic (median; quartiles; mean) | "
                "against random (mean) | mean success of a drill from the second day | drills below 60 %% |\n"
                "|---|---|---|---|---|---|\n");
    for (int slabych : {5, 12}) {
        double losowaSrednia = 0;
        for (Dobor dobor : {Dobor::Losowy, Dobor::Cwiczenie, Dobor::Wyrocznia}) {
            std::vector<int> dni;
            double sukces = 0;
            long drilli = 0, ponizej = 0;
            for (int d = 0; d < dzieci; ++d) {
                const Wynik w = Dziecko(1000u + static_cast<std::uint32_t>(d), slabych, dobor);
                dni.push_back(w.dniDo90);
                for (double s : w.sukcesy) {
                    sukces += s;
                    ++drilli;
                    ponizej += s < 0.6;
                }
            }
            std::sort(dni.begin(), dni.end());
            double srednia = 0;
            for (int x : dni) srednia += x;
            srednia /= static_cast<double>(dni.size());
            if (dobor == Dobor::Losowy) losowaSrednia = srednia;
            std::printf("| %d weak | %s | %d (%d-%d; %.1f) | %.2f x | %.1f %% | %.2f %% |\n", slabych,
                        dobor == Dobor::Losowy      ? "random"
                        : dobor == Dobor::Cwiczenie ? "practice"
                                                    : "knowing the true state",
                        Mediana(dni), dni[dni.size() / 4], dni[dni.size() * 3 / 4], srednia, srednia / losowaSrednia,
                        drilli ? 100.0 * sukces / static_cast<double>(drilli) : 0.0,
                        drilli ? 100.0 * static_cast<double>(ponizej) / static_cast<double>(drilli) : 0.0);
        }
    }
    ProbaRodzica();
    return 0;
}
