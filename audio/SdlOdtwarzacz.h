// Plays sentences through SDL2's audio subsystem, off the caller's thread.
//
// A sentence's words are read by our strict WAV reader, converted to the
// one stream format (22050 Hz, mono, 16-bit) and queued as one buffer, so
// that the words follow each other with no gap. A missing, empty, damaged or
// overlong file becomes a short soft beep.
//
// Two threads of the player's own do the work: the device thread makes every
// SDL call (a sound server that does not answer can hold it for as long as it
// likes), and the supervisor that decodes the words and ends each sentence
// on time whatever the device thread is doing: at the last word heard, or,
// when the device cannot be opened within kLimitOtwarcia or stalls, when the
// sentence's own length has passed in silence. A device that was lost (the
// sound server went away) or never opened is tried again at the next
// sentence.
#pragma once

#include "Narrator.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zm {

class SdlOdtwarzacz final : public IOdtwarzacz {
public:
    // `nazwaProgramu` and `nazwaStrumienia` are what the sound server's mixer shows.
    explicit SdlOdtwarzacz(std::string nazwaProgramu = "Zoltava mnożenia", std::string nazwaStrumienia = "Lektor");
    ~SdlOdtwarzacz() override;
    SdlOdtwarzacz(const SdlOdtwarzacz&) = delete;
    SdlOdtwarzacz& operator=(const SdlOdtwarzacz&) = delete;

    void Czytaj(std::vector<std::string> pliki, std::function<void()> koniec) override;
    void Przerwij() override;

    // Whether a word of the last sentence fell back to the beep.
    bool OstatnioDomyslny() const;
    // The driver of the open device; empty while none is open.
    std::string Sterownik() const;

    // The stream's format.
    static constexpr int kCzestotliwosc = 22050;
    // Files larger than this are not read.
    static constexpr std::uintmax_t kMaksRozmiarPliku = 16u * 1024 * 1024;
    // A word that would play longer than this plays the beep instead.
    static constexpr double kMaksSekundSlowa = 10.0;
    // The longest wait for the device to open before the sentence goes on in
    // silence; for a new stream to take its first samples; and how far a
    // playing one may fall behind the sentence's length before it counts as
    // stalled.
    static constexpr std::chrono::milliseconds kLimitOtwarcia{1000};
    static constexpr std::chrono::milliseconds kLimitStartu{1500};
    static constexpr std::chrono::milliseconds kLimitOpoznienia{1000};

    // One word as the stream plays it: 16-bit mono samples at kCzestotliwosc,
    // or the beep when the file cannot be played (`domyslny`).
    struct Slowo {
        std::vector<std::int16_t> probki;
        bool domyslny = false;
    };
    static Slowo WczytajSlowo(const std::string& sciezka);

    struct Stan;

private:
    std::shared_ptr<Stan> stan_;
    std::thread nadzorca_, urzadzenie_;
};

} // namespace zm
