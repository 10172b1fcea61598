// Practice aimed at what a child misses: the facts of each operation, a
// child's record of them on a Leitner schedule in the child's calendar days,
// and how weak each fact is by that record (the drill composed of them is
// PlanPytan, PracticePlan.h).
//
// A fact is what the child computes: for multiplication the ordered pair of
// factors, for division the dividend and the divisor (24 : 8), for addition
// and subtraction the pair of ones digits (the tens follow without carrying
// or borrowing; 7 + 5 carries, 3 - 8 borrows).
#pragma once

#include "DrillRecord.h"
#include "DrillState.h"
#include "QuestionGenerator.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace zm {

struct Fakt {
    std::uint8_t dzialanie = 0;
    std::int8_t a = 0; // the first factor, the dividend, or a ones digit
    std::int8_t b = 0; // the second factor, the divisor, or a ones digit
    auto operator<=>(const Fakt&) const = default;
};

// The fact a question asks: (liczba1, liczba2) for multiplication and
// division, their ones digits for addition and subtraction.
Fakt FaktPytania(std::uint8_t dzialanie, std::int32_t liczba1, std::int32_t liczba2);
// Whether adding the ones digits carries, or subtracting them borrows.
bool ZPrzeniesieniem(const Fakt& fakt);

// Whether a fact belongs to the chosen tables: a multiplication with either
// factor among them, a division whose divisor or quotient is among them;
// addition and subtraction always.
bool WTabliczkach(const Fakt& fakt, std::uint16_t tabliczki);
// Every fact of an operation within the tables, in a fixed order.
std::vector<Fakt> WszystkieFakty(std::uint8_t dzialanie, std::uint16_t tabliczki = WszystkieTabliczki);

// What a child's answers to one fact say, kept up to date answer by answer.
struct StanFaktu {
    std::int32_t pytan = 0;   // times asked
    std::int32_t bledow = 0;  // of them wrong or unanswered
    std::int64_t czasMs = 0;  // the sum of the times taken
    std::int64_t ostatnioMs = 0; // when the schedule last counted it (ms since 1970): see Zapamietaj
    std::uint8_t pudelko = 0; // Leitner box 1 to 5; 0 before the first answer
};

// The child's own calendar day of a moment: the local date (with its summer
// time) as a count of days since 1970-01-01.
std::int64_t DzienLokalny(std::int64_t ms);

// A quick answer: within kSzybkoMs and before the question's time ran out.
inline constexpr std::int32_t kSzybkoMs = 3000;
bool Szybka(std::int32_t czasMs, std::int32_t predkosc);

// The schedule, in the child's calendar days. A fact in box n is due
// kInterwalDni[n] days after the day the schedule last counted it: box 1 at
// once, box 2 from the next day's first drill, then after 3, 7 and 14 days.
// A wrong or missing answer puts the fact in box 1 (and counts it); a right,
// quick answer while the fact is due moves it up a box (at most 5) and
// counts it, a first one straight to box 2; any other right answer leaves
// the box and the day as they are (a first one in box 1). So box 4, the
// mastered fact (Opanowany), takes right, quick answers on three different
// days at least. A time from the future counts as the moment it is compared
// with: Zalegly takes it as now, and the next answer brings it down to its
// own time, so a clock set wrong once moves a fact by one interval at most.
inline constexpr std::array<int, 6> kInterwalDni{0, 0, 1, 3, 7, 14};
void Zapamietaj(StanFaktu& stan, bool dobrze, std::int32_t czasMs, std::int32_t predkosc, std::int64_t kiedyMs);
bool Zalegly(const StanFaktu& stan, std::int64_t terazMs);
bool Opanowany(const StanFaktu& stan);

// A child's record: every fact answered at least once.
using RekordFaktow = std::map<Fakt, StanFaktu>;

// How weak a fact is, the order in which the practice takes facts: by the
// square of its estimated chance of a miss (its share of misses, as if each
// fact had been missed once in four before it was first asked), raised for a
// fact never asked and for one in box 1, halved while it is not due, and
// raised by the cube of its slowness: its mean answer time against the
// child's typical one `typowyCzasMs`, or kSzybkoMs when that is slower (up to
// four times; a fact answered as fast as the child's others is fluent, one
// answered slower is not yet, and one slower than a quick answer never is).
// Never below kMinimalnaWaga, so that every fact still comes now and then.
inline constexpr double kMinimalnaWaga = 0.2;
double WagaFaktu(const StanFaktu* stan, std::int64_t terazMs, double typowyCzasMs);

// The child's typical answer time in `fakty`: the median of the mean times
// of the facts the record holds (0 when it holds none).
double TypowyCzasMs(const RekordFaktow& rekord, const std::vector<Fakt>& fakty);

// Operands for `fakt`: the fact itself for multiplication and division; for
// addition and subtraction tens digits drawn evenly among those that keep the
// question within its ranges (one call of the random source).
void LosujPytanieFaktu(const Fakt& fakt, GeneratorLosowy& los, std::int32_t& liczba1, std::int32_t& liczba2);

} // namespace zm
