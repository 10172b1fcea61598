// The benchmarks' drills: `iloscPytan` questions of the drill's operation,
// four in five answered right, each after a random number of the pace's
// ticks; the counts and the grade follow.
#pragma once

#include "DrillRecord.h"
#include "DrillState.h"
#include "QuestionGenerator.h"

#include <string>
#include <utility>

namespace zm::bench {

inline void LosowePytania(ZapisCwiczenia& z, GeneratorLosowy& los)
{
    for (int i = 0; i < z.iloscPytan; ++i) {
        PytanieCwiczenia p;
        LosujPytanie(z.dzialanie, los, p.liczba1, p.liczba2);
        p.dobrze = los.Random(5) != 0;
        const int w = WynikPoprawny(z.dzialanie, p.liczba1, p.liczba2);
        p.odpowiedz = std::to_string(p.dobrze ? w : w + 1);
        p.czasMs = static_cast<std::int32_t>(1 + los.Random(67)) * z.predkosc;
        (p.dobrze ? z.dobrze : z.zle)++;
        z.pytania.push_back(std::move(p));
    }
    z.ocena = ObliczOcene(z.dobrze, z.iloscPytan);
}

} // namespace zm::bench
