// The narrator: reads an equation aloud by playing recorded words one after
// another from the sounds folder.
#pragma once

#include "DrillState.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zm {

// Plays one WAV file and returns when it has finished. A file that is
// missing or cannot be played must not stop the caller.
class IOdtwarzacz {
public:
    virtual ~IOdtwarzacz() = default;
    virtual void Odtworz(const std::string& sciezka) = 0;
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

    // Plays the files of one token.
    void PowiedzSlowo(std::string_view token);

    // Reads the current question with its correct result when the narrator
    // is on; clears the keyboard-entry flag first. Does nothing when it is off.
    void CzytajRownanie(Ustawienia& ustawienia, const StanCwiczenia& stan);

private:
    IOdtwarzacz& odtwarzacz_;
    std::function<std::string()> katalog_;
};

} // namespace zm
