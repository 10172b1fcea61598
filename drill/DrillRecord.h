// What a finished drill leaves behind for the results journal: its settings,
// its counts and grade, and every question with the answer given. The
// controller fills it while the drill runs and hands it over at the grade;
// a drill ended with STOP or by closing is never handed over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zm {

struct PytanieCwiczenia {
    std::int32_t liczba1 = 0;
    std::int32_t liczba2 = 0;
    std::string odpowiedz; // as typed; empty when none was given
    bool dobrze = false;
    std::int32_t czasMs = 0; // the drill's own time: ticks until judged x pace
};

// A finished drill without its questions: one row of the results list.
struct PodsumowanieCwiczenia {
    std::int64_t koniecMs = 0; // when the grade was given, ms since 1970 (UTC)
    std::uint8_t dzialanie = 0;
    std::int32_t iloscPytan = 0;
    std::int32_t predkosc = 0; // the pace: the timer's interval in ms
    bool lektor = false;
    std::int32_t dobrze = 0;
    std::int32_t zle = 0;
    std::uint8_t ocena = 0;
    std::int64_t dziecko = 0;   // who practised (0: not known)
    std::uint8_t losowanie = 0; // how the questions were drawn (a Losowanie)
};

struct ZapisCwiczenia : PodsumowanieCwiczenia {
    std::vector<PytanieCwiczenia> pytania;
};

// Where finished drills go. Called in the grade's tick: it must return at
// once and never fail the drill.
class IZapisWynikow {
public:
    virtual ~IZapisWynikow() = default;
    virtual void Zapisz(const ZapisCwiczenia& zapis) = 0;
};

} // namespace zm
