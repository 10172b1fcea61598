// The narrator: reads an equation aloud by playing recorded words one after
// another from the sounds folder.
#pragma once

#include "DrillState.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zm {

// Plays a sentence: WAV files one after another, as one continuous stream.
// `Czytaj` returns at once; `koniec` is called exactly once, from any thread,
// when the last word has been heard, or when the sentence's own length has
// passed in silence (no device, a server that does not answer). A file that
// is missing or cannot be played must not stop the sentence.
class IOdtwarzacz {
public:
    virtual ~IOdtwarzacz() = default;
    virtual void Czytaj(std::vector<std::string> pliki, std::function<void()> koniec) = 0;
    // Ends the sentence being read at once. Once it returns, the sentence's
    // `koniec` is not called any more.
    virtual void Przerwij() = 0;
    // Sentences may come at any moment (a drill with the narrator runs), or
    // no more than the last one. A player may get ready for the first word
    // ahead (no sound, no device).
    virtual void Przygotuj(bool) {}
};

class Narrator {
public:
    // `katalogDzwiekow` gives the sounds folder (ending in "/") at every use.
    Narrator(IOdtwarzacz& odtwarzacz, std::function<std::string()> katalogDzwiekow)
        : odtwarzacz_(odtwarzacz), katalog_(std::move(katalogDzwiekow))
    {
    }

    // The files of one token (a sign or the decimal text of a whole number),
    // in the order they are played.
    static std::vector<std::string> PlikiSlowa(std::string_view token);

    // The files that read the current question with its correct result
    // (the operand, the sign, the operand, "=", the result).
    static std::vector<std::string> PlikiRownania(const Ustawienia& ustawienia, const StanCwiczenia& stan);

    // Starts reading the current question with its correct result when the
    // narrator is on and returns true; `koniec` follows the last word. Does
    // nothing and returns false when it is off. It only turns values into
    // words.
    bool CzytajRownanie(const Ustawienia& ustawienia, const StanCwiczenia& stan, std::function<void()> koniec);

    // Ends the sentence being read at once.
    void Przerwij() { odtwarzacz_.Przerwij(); }

    // A drill starts (`trwa`) or ends: the player gets ready while one with
    // the narrator on runs.
    void Przygotuj(const Ustawienia& ustawienia, bool trwa) { odtwarzacz_.Przygotuj(trwa && ustawienia.Lektor); }

private:
    IOdtwarzacz& odtwarzacz_;
    std::function<std::string()> katalog_;
};

} // namespace zm
