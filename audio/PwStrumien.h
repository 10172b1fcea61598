// A playback stream on PipeWire's own protocol, for the player's device
// thread when SDL's `pipewire` driver is asked for (SDL_AUDIODRIVER) or
// chosen, and when no driver is asked for and the PulseAudio server is
// PipeWire's own (pipewire-pulse): there SDL 2.26 takes its `pulseaudio`
// driver, whose every new stream waits for the server's buffer.
//
// SDL 2.26's driver fills each server buffer on a thread of its own that
// the stream's data thread wakes every cycle, one buffer of its device a
// cycle: under load a late wake is a hole. This stream is filled in PipeWire's
// data thread itself (PW_STREAM_FLAG_RT_PROCESS), from the sentence in
// memory, with as many samples as the cycle asks for, and asks the graph for
// a period of kOkres samples: one wake a cycle, with no lock but a try.
//
// libpipewire-0.3 is opened at the first stream and stays loaded (its
// plugins' threads and state are not made to be unloaded): the player's own
// process, where it runs, ends at rest.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

struct pw_thread_loop;
struct pw_stream;

namespace zm::pw {

// Whether SDL_AUDIODRIVER asks for PipeWire alone.
bool ZadanyWSrodowisku();
// Whether this process plays on the stream: PipeWire asked for, or no driver
// asked for, PipeWire's socket there, the PulseAudio server reached being
// PipeWire's and the library loaded. Decided once, at the first call.
bool PrzezPipeWire();
// Loads the library ahead of the first stream; whether it could be.
bool Zaladuj();

class Strumien {
public:
    // Called in PipeWire's data thread for `bajty` bytes of 16-bit mono
    // samples at the stream's rate; it must not block.
    using Wypelniacz = void (*)(void* dane, unsigned char* strumien, int bajty);

    // The period asked of the graph, in samples of the stream (93 ms): a
    // cycle's wake may come that late under load, and a new stream still
    // sounds within about a period. The graph gives at most its largest
    // period (2048 of its own samples: 43 ms at 48 kHz).
    static constexpr int kOkres = 2048;
    // The longest wait for the server to take the stream.
    static constexpr int kLimitPolaczeniaMs = 2000;

    // A stream connected to the default sink at `czestotliwosc` Hz, mono,
    // fed by `f` from its first cycle; or null, with `blad` saying why.
    static std::unique_ptr<Strumien> Otworz(const std::string& program, const std::string& nazwa, int czestotliwosc,
                                            Wypelniacz f, void* dane, std::string& blad);
    ~Strumien();
    Strumien(const Strumien&) = delete;
    Strumien& operator=(const Strumien&) = delete;

    // While held, the stream plays silence and `dane` may change.
    void Zablokuj() { dostep_.lock(); }
    void Odblokuj() { dostep_.unlock(); }
    // The server went away or refused the stream: it is opened anew.
    bool Zatrzymany() const { return zatrzymany_.load(std::memory_order_acquire); }
    // The samples of the last cycle (the period the graph gave), until the
    // first one kOkres.
    std::size_t Cykl() const { return cykl_.load(std::memory_order_relaxed); }

    struct Funkcje;

private:
    friend struct Zdarzenia;
    Strumien() = default;

    const Funkcje* f_ = nullptr;
    pw_thread_loop* petla_ = nullptr;
    pw_stream* strumien_ = nullptr;
    Wypelniacz wypelnij_ = nullptr;
    void* dane_ = nullptr;
    std::mutex dostep_;
    std::atomic<bool> zatrzymany_{false}, gotowy_{false};
    std::atomic<std::size_t> cykl_{kOkres};
    std::string blad_;
};

} // namespace zm::pw
