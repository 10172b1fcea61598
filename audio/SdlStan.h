// The sound player's shared state and its two threads (see SdlOdtwarzacz.h):
// the supervisor, which takes the sentence queue (SdlOdtwarzacz.cpp), and the
// device thread, which opens, reopens and closes the device (SdlUrzadzenie.cpp).
#pragma once

#include "PwStrumien.h"
#include "SdlBiblioteka.h"
#include "SdlOdtwarzacz.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zm {

using Zegar = std::chrono::steady_clock;

// How long `probki` samples of the stream play.
Zegar::duration CzasProbek(std::size_t probki);

// Everything the player's threads and its owner share, under one lock that
// is never held during an SDL call or a sentence's `koniec`. The threads hold
// it by a shared pointer, so that a device thread held up by the sound
// server may outlive the player.
struct SdlOdtwarzacz::Stan : std::enable_shared_from_this<SdlOdtwarzacz::Stan> {
    std::mutex m;
    std::condition_variable cv;
    std::string nazwaProgramu, nazwaStrumienia;

    // The sentence being read: a new one or Przerwij changes the number.
    std::uint64_t nr = 0;
    struct Zlecenie {
        std::vector<std::string> pliki;
        std::function<void()> koniec;
    };
    std::optional<Zlecenie> zlecenie;
    bool koniecPracy = false;
    bool domyslny = false;
    std::string sterownik;

    // The threads, each running until it has been idle for kBezczynnosc.
    std::thread nadzorca, urzadzenie;
    bool nadzorcaDziala = false, urzadzenieDziala = false;
    std::thread::id idNadzorcy;
    // A sentence's `koniec` is being called (on the supervisor's thread).
    bool koniecWToku = false;

    // The device thread's work: the samples of sentence `nrGrania`.
    std::vector<std::int16_t> doZagrania;
    std::uint64_t nrGrania = 0;
    bool zajety = false; // the device thread has work (and may be held up in it)
    enum class Otwarcie { Czeka, Otwarte, Nieudane } otwarcie = Otwarcie::Czeka;
    bool zagrane = false;
    // How the sentence went on the device: heard to the end, cut short by a
    // lost device (the server went away or stopped taking samples), or not
    // heard in time (a new stream that never started, one that fell behind);
    // or not started by a stream that was running (tried again, anew).
    enum class Wynik { Zagrane, Utracone, Wstrzymane, Nieruszone } wynik = Wynik::Zagrane;
    bool cichyZgloszony = false;

    // The sentence as the device's callback hands it to SDL, then silence.
    // The samples change only under SDL's device lock, under which SDL calls
    // the callback; how far it has got is read without that lock, so that
    // nothing of the player's holds the lock while a sentence plays (SDL's
    // PipeWire driver fills the server's buffer under it, on time or not).
    struct Odczyt {
        std::vector<std::int16_t> probki;
        std::atomic<std::size_t> wydane{0}; // samples handed to SDL
    } odczyt;
    static void Wypelnij(void* odczyt, Uint8* strumien, int bajty);

    // Used by the device thread only.
    const sdl::Sdl* sdl = nullptr;
    bool sdlInit = false;
    SDL_AudioDeviceID id = 0;
    // PipeWire, asked for, behind the PulseAudio server or chosen by SDL, is
    // played on a stream of the player's own (PwStrumien.h) instead of SDL's
    // device; decided at the first opening. Chosen for the server behind
    // PulseAudio rather than asked for, it is on trial until its first stream
    // runs: should that fail, SDL's driver plays instead.
    bool przezPipeWire = false, drogaWybrana = false, pipeWireNaProbe = false;
    std::unique_ptr<pw::Strumien> pw;
    std::size_t bufor = SdlOdtwarzacz::kBufor; // the open device's buffer in samples
    bool wstrzymany = false; // opened, held, and not started yet

    // Starts a device opened for a sentence. Called without the lock.
    void Pusc()
    {
        if (!wstrzymany) return;
        wstrzymany = false;
        ZM_SDL(PauseAudioDevice, id, 0);
        ZM_SDL(UnlockAudioDevice, id);
    }

    // Hands `probki` to the callback from its first sample (none: silence),
    // then starts the device. Called without the lock.
    void Podaj(std::vector<std::int16_t> probki);
    void Nadzorca();
    void Urzadzenie();
    Wynik Graj(std::unique_lock<std::mutex>& l, std::uint64_t moj, std::size_t probek, bool nowe);
    // Whether the device is open; `nowe` tells whether it was opened now.
    bool OtworzUrzadzenie(bool& nowe);
    // `cicho`: a failure is not told (SDL's driver is tried next).
    bool OtworzPipeWire(bool& nowe, bool cicho = false);
    void Zamknij();
    // Closes the device and gives back the thread's hold on SDL.
    void ZwolnijSdl();
    void ZglosCisze(const char* dlaczego);
    // Waits while a sentence's `koniec` runs, unless called from inside it.
    void CzekajNaKoniec(std::unique_lock<std::mutex>& l)
    {
        if (std::this_thread::get_id() != idNadzorcy) cv.wait(l, [&] { return !koniecWToku; });
    }
};

} // namespace zm
