// Simulated children practising multiplication: the practice mode's draw
// against the random draw over the same number of questions.
//
// The model: each of the 49 facts has a probability that the child misses
// it. Five facts start weak (missed with probability 0.6 to 0.8), ten half
// known (0.2 to 0.35), the others known (0.02 to 0.08). A miss is followed by
// the correction (shown, or read), after which that fact's miss probability
// falls by 20 %; a right answer teaches nothing. A right answer takes 0.6 s
// plus up to 3 s more the weaker the fact is, a miss takes the whole question
// (medium pace).
// One drill of 30 questions a day. The child's miss share is the mean miss
// probability over all facts: what a random drill would see.
//
//   zm_bench_practice [children]
#include "Practice.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <vector>

using namespace zm;

namespace {

constexpr int kPytan = 30;
constexpr int kDrillDoLiczenia = 10; // drills over which the weak facts are counted
constexpr int kMaksDrilli = 400;
constexpr std::int64_t kDzien = 86400000;

struct Wynik {
    double slabychRazyJednolite = 0; // weak facts asked, against a uniform draw
    int drilliDo10 = kMaksDrilli;    // drills until the miss share is below 10 %
};

// Drawn as the practice mode draws, or, from the second drill, by a draw
// that knows the child's true chances (weights p^3, never the same fact
// twice in a row): how far a record of answers is from knowing the child.
Wynik Dziecko(std::uint32_t ziarno, Losowanie tryb, bool znaSzanse = false)
{
    std::mt19937 rng(ziarno);
    std::uniform_real_distribution<double> u01(0, 1);
    const std::vector<Fakt> fakty = WszystkieFakty(DzialanieMnozenie);
    std::map<Fakt, double> p;
    std::vector<Fakt> kolejne = fakty;
    std::shuffle(kolejne.begin(), kolejne.end(), rng);
    for (std::size_t i = 0; i < kolejne.size(); ++i)
        p[kolejne[i]] = i < 5 ? 0.6 + 0.05 * static_cast<double>(i) : i < 15 ? 0.2 + 0.15 * u01(rng) : 0.02 + 0.06 * u01(rng);
    const std::vector<Fakt> slabe(kolejne.begin(), kolejne.begin() + 5);

    Ustawienia u;
    u.IloscPytan = kPytan;
    u.Tryb = tryb;
    RekordFaktow rekord;
    GeneratorLosowy los(ziarno * 2654435761u);
    std::int64_t teraz = 1'800'000'000'000;
    Wynik w;
    int slabychZadanych = 0;
    Fakt poprzedni{};
    for (int drill = 1; drill <= kMaksDrilli; ++drill) {
        PlanPytan plan;
        plan.Rozpocznij(u, &rekord, teraz);
        for (int nr = 1; nr <= kPytan; ++nr) {
            std::int32_t a = 0, b = 0;
            plan.Losuj(los, nr, a, b);
            if (znaSzanse && drill > 1) {
                std::vector<double> wagi;
                for (const Fakt& g : fakty) wagi.push_back(nr > 1 && g == poprzedni ? 0 : std::pow(p[g], 3));
                const Fakt& g = fakty[std::discrete_distribution<std::size_t>(wagi.begin(), wagi.end())(rng)];
                a = g.a;
                b = g.b;
            }
            const Fakt f = FaktPytania(DzialanieMnozenie, a, b);
            poprzedni = f;
            const bool dobrze = u01(rng) >= p[f];
            const std::int32_t czas = dobrze ? 600 + static_cast<std::int32_t>(3000 * p[f]) : 67 * 60;
            Zapamietaj(rekord[f], dobrze, czas / 60 * 60, 60, teraz + nr * 10000);
            plan.Oceniono(nr, {a, b, dobrze ? "1" : "", dobrze, czas / 60 * 60});
            if (!dobrze) p[f] *= 0.8;
            if (drill <= kDrillDoLiczenia && std::find(slabe.begin(), slabe.end(), f) != slabe.end()) ++slabychZadanych;
        }
        double udzial = 0;
        for (const auto& [f, q] : p) udzial += q;
        udzial /= static_cast<double>(p.size());
        if (udzial < 0.10 && w.drilliDo10 == kMaksDrilli) w.drilliDo10 = drill;
        if (drill >= kDrillDoLiczenia && w.drilliDo10 < kMaksDrilli) break;
        teraz += kDzien;
    }
    const double jednolite = kDrillDoLiczenia * kPytan * 5.0 / static_cast<double>(fakty.size());
    w.slabychRazyJednolite = slabychZadanych / jednolite;
    return w;
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
    std::printf("| Draw | 5 weakest facts asked in the first %d drills, against a uniform draw | drills until the miss "
                "share is below 10 %% (median; quartiles; mean) |\n|---|---|---|\n",
                kDrillDoLiczenia);
    for (int wariant = 0; wariant < 3; ++wariant) {
        const Losowanie tryb = wariant == 0 ? Losowanie::Losowe : Losowanie::TrudneFakty;
        std::vector<double> razy;
        std::vector<int> drille;
        for (int d = 0; d < dzieci; ++d) {
            const Wynik w = Dziecko(1000u + static_cast<std::uint32_t>(d), tryb, wariant == 2);
            razy.push_back(w.slabychRazyJednolite);
            drille.push_back(w.drilliDo10);
        }
        std::sort(drille.begin(), drille.end());
        double srednia = 0;
        for (int d : drille) srednia += d;
        srednia /= static_cast<double>(drille.size());
        std::printf("| %s | %.2f x | %d (%d-%d; %.2f) |\n", wariant == 0   ? "random (as before)"
                    : wariant == 1 ? "practice"
                                   : "knowing the true chances",
                    Mediana(razy), Mediana(drille), drille[drille.size() / 4], drille[drille.size() * 3 / 4], srednia);
    }
    return 0;
}
