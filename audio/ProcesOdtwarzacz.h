// Plays sentences through a player process of the program's own (the
// program ZM_PROGRAM_LEKTORA, PlayerMain.cpp, which runs SdlOdtwarzacz):
// SDL and the sound servers' clients it loads live in that process, and go
// with it at rest. PulseAudio's client libraries, once loaded, stay mapped
// for the life of a process (they are linked with `-z nodelete`), so only a
// process that ends can give them back.
//
// The process is started for a sentence, or ahead when a drill with the
// narrator starts (Przygotuj), and ended kBezczynnosc after the last
// sentence and the drill's end (its input is closed). The caller's calls never wait for it: they
// write one line to a non-blocking socket. A thread of the player's own,
// one for each player process and ending with it, starts the process, reads
// its lines and ends each sentence: when the process reports it heard, or,
// when the process dies or stops answering (it is then killed), when the
// sentence's own length has passed in silence. `koniec` is called exactly
// once, never under the lock the caller's calls take, and never after
// Przerwij has returned. When the player program is missing, or its
// processes keep ending without a word, the sentences are played in this
// process by SdlOdtwarzacz (said once on stderr).
#pragma once

#include "Narrator.h"

#include <chrono>
#include <memory>
#include <string>

namespace zm {

class ProcesOdtwarzacz final : public IOdtwarzacz {
public:
    // `program`: the player program's path; `nazwaProgramu`: what the sound
    // server's mixer shows.
    ProcesOdtwarzacz(std::string program, std::string nazwaProgramu);
    ~ProcesOdtwarzacz() override;
    ProcesOdtwarzacz(const ProcesOdtwarzacz&) = delete;
    ProcesOdtwarzacz& operator=(const ProcesOdtwarzacz&) = delete;

    void Czytaj(std::vector<std::string> pliki, std::function<void()> koniec) override;
    void Przerwij() override;
    // While a drill with the narrator runs, the player process is started
    // ahead, gets SDL ready and stays; it ends kBezczynnosc after the drill
    // and the last sentence.
    void Przygotuj(bool tak) override;

    // Whether a word of the last sentence fell back to the beep, and the
    // driver it was played by (empty while none has been).
    bool OstatnioDomyslny() const;
    std::string Sterownik() const;
    // The running player process's id, or 0 (none, or in-process playing).
    int Pid() const;

    // The player program next to this program's executable.
    static std::string ProgramObok();

    // The longest wait for a started sentence's length from the process; and
    // how far past that length its end may come (SdlOdtwarzacz's own limits
    // and a margin) before the process counts as stalled and is killed.
    static constexpr std::chrono::milliseconds kLimitDlugosci{2000};
    static constexpr std::chrono::milliseconds kZapas{5000};
    // How long a process whose input has been closed may take to end.
    static constexpr std::chrono::milliseconds kLimitZakonczenia{1000};

    struct Stan;

private:
    std::shared_ptr<Stan> stan_;
};

} // namespace zm
