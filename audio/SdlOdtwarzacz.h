// Plays sentences through SDL2's audio subsystem, off the caller's thread.
//
// A sentence's words are read by our strict WAV reader, converted to the
// one stream format (22050 Hz, mono, 16-bit) and handed to SDL as one buffer, so
// that the words follow each other with no gap. A missing, empty, damaged or
// overlong file becomes a short soft beep.
//
// Two threads of the player's own do the work, started for a sentence and
// ended a few seconds after the last one: the device thread makes every SDL
// call (a sound server that does not answer can hold it for as long as it
// likes), and the supervisor decodes the words and ends each sentence on
// time whatever the device thread is doing: at the last word heard, or, when
// the device cannot be opened within kLimitOtwarcia or stalls, when the
// sentence's own length has passed in silence. No SDL call and no `koniec`
// is ever made under the lock that the caller's thread takes, so the
// caller's calls return at once whatever SDL is doing, and `koniec` may call
// the player again. The device is closed kBezczynnosc after the last
// sentence (at rest the program holds no stream on the sound server and uses
// no CPU), and so is a device that was lost or stalled: the next sentence
// opens it anew.
//
// When SDL_AUDIODRIVER asks for PipeWire, or SDL chooses it, or no driver is
// asked for and the PulseAudio server is PipeWire's (SerwerPulse.h), the
// device is a stream on PipeWire's own protocol instead (PwStrumien.h),
// filled by the same callback.
//
// PrzygotujSrodowisko, called at the start of main, sets PULSE_LATENCY_MSEC
// (unless the user has) so that the PulseAudio client library keeps
// kOpoznienieSerweraMs of sound at the server, which SDL cannot ask for.
#pragma once

#include "Narrator.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
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
    // A playing stream that takes no samples for this long was lost (a sound
    // server that went away is still "playing" for SDL's PipeWire driver).
    static constexpr std::chrono::milliseconds kLimitPostoju{500};
    // How long the device and the threads stay after a sentence.
    static constexpr std::chrono::milliseconds kBezczynnosc{3000};
    // The device's buffer in samples (about 23 ms), which SDL hands to the
    // sound server at a time; the server keeps kOpoznienieSerwera of them
    // (through pulseaudio and pipewire-pulse): a narrator needs no low
    // latency, and a server buffer of one device buffer (SDL's own choice)
    // leaves holes under load.
    static constexpr int kBufor = 512;
    static constexpr int kOpoznienieSerweraMs = 100;

    // Sets what the sound server's client library reads from the
    // environment (PULSE_LATENCY_MSEC=kOpoznienieSerweraMs, unless the user
    // has set it). Call it at the start of main, before any thread starts:
    // setenv is not safe while another thread may read the environment.
    static void PrzygotujSrodowisko();

    // One word as the stream plays it: 16-bit mono samples at kCzestotliwosc,
    // or the beep when the file cannot be played (`domyslny`).
    struct Slowo {
        std::vector<std::int16_t> probki;
        bool domyslny = false;
    };
    static Slowo WczytajSlowo(const std::string& sciezka);
    // How long the sentence plays (each word read as above).
    static std::chrono::microseconds DlugoscZdania(const std::vector<std::string>& pliki);

    // For tests: called on the device thread before every SDL call with the
    // function's name without "SDL_"; it may block, as a stalled call does.
    static inline std::atomic<void (*)(const char*)> przedWywolaniemSdl{nullptr};

    struct Stan;

private:
    std::shared_ptr<Stan> stan_;
};

} // namespace zm
