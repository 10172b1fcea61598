// The questions of one drill: the random draw, or in the practice mode a
// drill composed from the child's record so that the child mostly wins.
//
// The composition, as incremental rehearsal does it: a few weak facts (at
// most kSlabychNaCwiczenie, the weakest by WagaFaktu among those in box 1:
// missed, or not yet answered quickly since) each asked now and then among
// facts the child knows.
// - One question in kPytanNaSlaby is a weak fact's turn (and one in twenty,
//   rounded up, for each weak fact at most): the first after two known
//   facts, the others evenly through the drill, never two in a row. A turn
//   waits while more than a quarter of the drill's answers so far were
//   misses, and meanwhile the known facts are drawn the other way round,
//   the surest first.
// - A weak fact answered right and quickly is known from then on: it leaves
//   the weak facts and its turns go to the others (none come in its place).
// - A missed fact comes back once, kPowrotPo questions later (or as late as
//   the drill allows, never as the very next question); the miss of a fact
//   that came back, or of one already waiting to come back, brings nothing.
// - The other questions are the facts the child knows (box 2 and up) and a
//   few never asked (at most one in kPytanNaSlaby questions), drawn by
//   WagaFaktu (due ones twice as often, slower ones more, a never asked one
//   first), each at most as often as the drill's length needs to fill it
//   with them all; a fact missed in this drill not again (its return is its
//   one more chance). Weak facts beyond the drill's few wait for a later one.
// The drill's answers count at once. Never the same fact twice in a row
// (unless the tables hold one fact).
#pragma once

#include "DrillRecord.h"
#include "DrillState.h"
#include "Practice.h"
#include "QuestionGenerator.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zm {

inline constexpr std::size_t kSlabychNaCwiczenie = 4;
inline constexpr std::int32_t kPytanNaSlaby = 5;
inline constexpr std::int32_t kPowrotPo = 3;

class PlanPytan {
public:
    // With the random draw, or without a record of the operation, it draws
    // exactly as LosujPytanie does, call for call (within chosen tables the
    // draws outside them are drawn again).
    void Rozpocznij(const Ustawienia& ustawienia, const RekordFaktow* rekord, std::int64_t terazMs);
    // The operands of question `nr`.
    void Losuj(GeneratorLosowy& los, std::int32_t nr, std::int32_t& liczba1, std::int32_t& liczba2);
    // Question `nr` was judged.
    void Oceniono(std::int32_t nr, const PytanieCwiczenia& pytanie);

    // The weak facts this drill practises, weakest first (empty unless composed).
    std::vector<Fakt> Slabe() const;

private:
    enum class Rola : std::uint8_t { Znany, Slaby, Czeka, Nowy };
    enum class Rodzaj : std::uint8_t { Znany, Slaby, Powrot };
    struct Powrot {
        std::int32_t nr;
        std::size_t fakt;
        std::int32_t liczba1, liczba2;
    };

    std::uint32_t Waga(std::size_t i) const { return wagi_[i]; }
    std::uint32_t Zwaz(std::size_t i) const;
    bool TuraSlabego(std::int32_t nr) const;
    std::optional<std::size_t> WybierzSlaby() const;
    std::size_t WybierzZnany(GeneratorLosowy& los) const;
    void Zadaj(std::size_t i, Rodzaj rodzaj, GeneratorLosowy* los, std::int32_t& liczba1, std::int32_t& liczba2);

    Ustawienia ustawienia_;
    std::int64_t terazMs_ = 0;
    double typowyCzasMs_ = 0;
    bool wazone_ = false;
    std::vector<Fakt> fakty_;         // the facts in play
    std::vector<StanFaktu> stany_;    // what the record and this drill say of them
    std::vector<std::uint32_t> wagi_; // their WagaFaktu in thousandths
    std::vector<Rola> role_;
    std::vector<std::int32_t> razy_;  // times asked in this drill
    std::vector<bool> chybione_;      // missed in this drill
    std::vector<Rodzaj> rodzaje_;     // what each question of the drill was
    std::int32_t tur_ = 0;            // weak facts' turns in the drill
    std::int32_t turZadanych_ = 0;    // of them taken (or given up)
    std::int32_t limitZnanego_ = 1;   // how often a known fact may come
    std::int32_t zadanych_ = 0, bledow_ = 0;
    std::optional<std::size_t> ostatni_;
    std::vector<Powrot> powroty_;
};

} // namespace zm
