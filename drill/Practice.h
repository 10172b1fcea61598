// Practice aimed at what a child misses: the facts of each operation, a
// child's record of them on a Leitner schedule, and the draw of a drill's
// questions weighted by that record.
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
#include <optional>
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
    std::int64_t ostatnioMs = 0; // when last asked (ms since 1970)
    std::uint8_t pudelko = 0; // Leitner box 1 to 5; 0 before the first answer
};

// The schedule. A wrong or missing answer puts the fact back in box 1; a
// right one within half of the question's time moves it up a box (at most
// 5); a right but slow one leaves it where it is (a first one in box 1).
// A fact in box n is due again kInterwalDni[n] days after it was last asked,
// less kWczesniejMs: a fact asked in today's practice is due in tomorrow's
// at any hour.
inline constexpr std::array<int, 6> kInterwalDni{0, 0, 1, 3, 7, 14};
inline constexpr std::int64_t kWczesniejMs = 6LL * 60 * 60 * 1000;
void Zapamietaj(StanFaktu& stan, bool dobrze, std::int32_t czasMs, std::int32_t predkosc, std::int64_t kiedyMs);
bool Zalegly(const StanFaktu& stan, std::int64_t terazMs);
bool Opanowany(const StanFaktu& stan);

// A child's record: every fact answered at least once.
using RekordFaktow = std::map<Fakt, StanFaktu>;

// The weight of a fact in the practice draw: by the square of its estimated
// chance of a miss (its share of misses, as if each fact had been missed
// once in four before it was first asked), raised for a fact never asked
// and for one whose last answer was a miss (box 1), halved while it is not
// due, and raised by the cube of its slowness: its mean answer time against
// `typowyCzasMs`, the child's typical one (up to four times; a fact answered
// as fast as the child's others is fluent, one answered slower is not yet,
// whatever the child's own speed at the keyboard). Never below
// kMinimalnaWaga, so that every fact still comes now and then.
inline constexpr double kMinimalnaWaga = 0.2;
double WagaFaktu(const StanFaktu* stan, std::int64_t terazMs, double typowyCzasMs);

// The child's typical answer time in `fakty`: the median of the mean times
// of the facts the record holds (0 when it holds none).
double TypowyCzasMs(const RekordFaktow& rekord, const std::vector<Fakt>& fakty);

// The questions of one drill. With the random draw and all tables it draws
// exactly as LosujPytanie does, call for call. In the practice mode with a
// record it draws by weight, never the same fact twice in a row, and asks a
// fact missed in this drill again three questions later (or as late as the
// drill allows, never as the very next question); the answers of the drill
// count in the weights at once. Without a record it draws as the random mode
// does.
class PlanPytan {
public:
    void Rozpocznij(const Ustawienia& ustawienia, const RekordFaktow* rekord, std::int64_t terazMs);
    // The operands of question `nr`.
    void Losuj(GeneratorLosowy& los, std::int32_t nr, std::int32_t& liczba1, std::int32_t& liczba2);
    // Question `nr` was judged.
    void Oceniono(std::int32_t nr, const PytanieCwiczenia& pytanie);

    // The chance of each fact in the weighted draw (its weight over the sum),
    // ignoring the rule against repeats; empty unless weighted.
    std::map<Fakt, double> Szanse() const;

private:
    std::uint32_t Waga(const StanFaktu& stan) const;

    struct Powrot {
        std::int32_t nr;
        std::int32_t liczba1, liczba2;
    };
    Ustawienia ustawienia_;
    std::int64_t terazMs_ = 0;
    double typowyCzasMs_ = 0;
    bool wazone_ = false;
    std::vector<Fakt> fakty_;            // the facts in play
    std::vector<StanFaktu> stany_;       // what the record and this drill say of them
    std::vector<std::uint32_t> wagi_;    // their weights in thousandths
    std::optional<Fakt> ostatni_;
    std::vector<Powrot> powroty_;
};

// Operands for `fakt`: the fact itself for multiplication and division; for
// addition and subtraction tens digits drawn evenly among those that keep the
// question within its ranges (one call of the random source).
void LosujPytanieFaktu(const Fakt& fakt, GeneratorLosowy& los, std::int32_t& liczba1, std::int32_t& liczba2);

} // namespace zm
