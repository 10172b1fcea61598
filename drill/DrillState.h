// Settings and state of one drill. There is exactly one drill in the program:
// the main window owns a DrillController, which owns these values.
#pragma once

#include <cstdint>
#include <string>

namespace zm {

// Operation codes of the `Dzialanie` setting.
enum : std::uint8_t {
    DzialanieMnozenie = 0,
    DzialanieDzielenie = 1,
    DzialanieDodawanie = 2,
    DzialanieOdejmowanie = 3,
};

// Pace (timer interval in ms) of the three speeds.
inline constexpr std::int32_t PredkoscWolno = 170;
inline constexpr std::int32_t PredkoscSrednio = 60;
inline constexpr std::int32_t PredkoscSzybko = 20;

// Width of the time bar background; it is also the time budget of a question
// in the units of `CzasPytania`.
inline constexpr std::int32_t SzerokoscProgresTlo = 331;
// What each tick adds to `CzasPytania`.
inline constexpr std::int32_t KrokCzasu = 5;

// How the questions of a drill are drawn.
enum class Losowanie : std::uint8_t {
    Losowe,      // every question of the chosen tables equally likely
    TrudneFakty, // weighted by the child's record, missed facts asked again
};

// The tables practised in multiplication and division: bit n set for the
// factor n (3 to 9).
inline constexpr std::uint16_t WszystkieTabliczki = 0x3F8;

// The user's choices (fields of the main window).
struct Ustawienia {
    bool Lektor = true;
    std::uint8_t Dzialanie = DzialanieMnozenie;
    std::int32_t IloscPytan = 10;
    std::int32_t Predkosc = PredkoscSrednio;
    Losowanie Tryb = Losowanie::Losowe;
    std::uint16_t Tabliczki = WszystkieTabliczki;

    bool operator==(const Ustawienia&) const = default;
};

// The progress of the drill. Everything starts at zero; the window's creation
// sets `StanStartStop` to "start".
struct StanCwiczenia {
    // Keys are taken only while set: each tick sets it, the reading of an
    // equation clears it.
    bool WpisAktywny = false;
    std::int32_t Liczba1 = 0;
    std::int32_t Liczba2 = 0;
    std::int32_t NrPytania = 0;
    std::int32_t CzasPytania = 0;
    bool OdpowiedzZatwierdzona = false;
    std::int32_t Dobrze = 0;
    std::int32_t Zle = 0;
    std::uint8_t Ocena = 0;
    std::string StanStartStop;
};

// The settings dialog's name of a pace ("Wolne", "Średnie", "Szybkie"), or
// null for another value.
const char* NazwaPredkosci(std::int32_t predkosc);

// The sign character of an operation ("*", "/", "+", "-"), or '\0' for a value
// that is not an operation.
char ZnakDzialania(std::uint8_t dzialanie);

// The correct result of a question, computed afresh from the operands.
// Division is exact for every question the generator draws.
std::int32_t WynikPoprawny(std::uint8_t dzialanie, std::int32_t liczba1, std::int32_t liczba2);

// Grade 1..6 on the Polish school scale for `dobrze` good answers out of
// `iloscPytan`, decided by exact integer comparison of the share.
std::uint8_t ObliczOcene(std::int32_t dobrze, std::int32_t iloscPytan);

} // namespace zm
