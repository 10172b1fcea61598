#include "SdlStan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <string_view>

namespace zm {

Zegar::duration CzasProbek(std::size_t probki)
{
    return std::chrono::duration_cast<Zegar::duration>(
        std::chrono::duration<double>(static_cast<double>(probki) / SdlOdtwarzacz::kCzestotliwosc));
}

void SdlOdtwarzacz::Stan::ZglosCisze(const char* dlaczego)
{
    std::lock_guard l(m);
    if (cichyZgloszony) return;
    cichyZgloszony = true;
    std::fprintf(stderr, "%s: brak dźwięku (%s); lektor czyta po cichu.\n", nazwaProgramu.c_str(), dlaczego);
}

// Called by SDL on its own thread, under the device's lock.
void SdlOdtwarzacz::Stan::Wypelnij(void* odczyt, Uint8* strumien, int bajty)
{
    auto& o = *static_cast<Odczyt*>(odczyt);
    const std::size_t chce = static_cast<std::size_t>(bajty) / sizeof(std::int16_t);
    const std::size_t od = o.wydane.load(std::memory_order_relaxed);
    const std::size_t n = std::min(chce, o.probki.size() - std::min(od, o.probki.size()));
    if (n) std::memcpy(strumien, o.probki.data() + od, n * sizeof(std::int16_t));
    std::memset(strumien + n * sizeof(std::int16_t), 0, static_cast<std::size_t>(bajty) - n * sizeof(std::int16_t));
    if (n) o.wydane.store(od + n, std::memory_order_release);
}

// Called without the lock.
void SdlOdtwarzacz::Stan::Podaj(std::vector<std::int16_t> probki)
{
    // Under the lock that the callback is called under (SDL's) or tries (PipeWire's).
    if (pw)
        pw->Zablokuj();
    else
        ZM_SDL(LockAudioDevice, id);
    odczyt.probki = std::move(probki);
    odczyt.wydane.store(0, std::memory_order_relaxed);
    if (pw)
        pw->Odblokuj();
    else
        ZM_SDL(UnlockAudioDevice, id);
    Pusc();
}

// Called without the lock.
void SdlOdtwarzacz::Stan::Zamknij()
{
    if (pw) {
        pw.reset();
    } else {
        if (!sdlInit) return;
        std::lock_guard podsystem(sdl::PodsystemSdl());
        if (id && wstrzymany) ZM_SDL(UnlockAudioDevice, id); // its thread waits for it to close
        wstrzymany = false;
        if (id) ZM_SDL(CloseAudioDevice, id);
        id = 0;
        ZM_SDL(QuitSubSystem, SDL_INIT_AUDIO);
        sdlInit = false;
    }
    std::lock_guard l(m);
    sterownik.clear();
}

// Called without the lock.
void SdlOdtwarzacz::Stan::ZwolnijSdl()
{
    Zamknij();
    if (sdl) sdl::Sdl::Zwolnij();
    sdl = nullptr;
}

// Called without the lock.
bool SdlOdtwarzacz::Stan::OtworzPipeWire(bool& nowe, bool cicho)
{
    nowe = false;
    if (pw && pw->Zatrzymany()) Zamknij();
    if (pw) return true;
    std::string blad;
    pw = pw::Strumien::Otworz(nazwaProgramu, nazwaStrumienia, kCzestotliwosc, Wypelnij, &odczyt, blad);
    if (!pw) {
        if (!cicho) ZglosCisze(blad.c_str());
        return false;
    }
    std::lock_guard l(m);
    sterownik = "pipewire";
    nowe = true;
    return true;
}

// Called without the lock.
bool SdlOdtwarzacz::Stan::OtworzUrzadzenie(bool& nowe)
{
    if (!drogaWybrana) {
        przezPipeWire = pw::PrzezPipeWire();
        pipeWireNaProbe = przezPipeWire && !pw::ZadanyWSrodowisku();
        drogaWybrana = true;
    }
    if (przezPipeWire) {
        const bool otwarte = OtworzPipeWire(nowe, pipeWireNaProbe);
        if (otwarte || !pipeWireNaProbe) {
            pipeWireNaProbe = false;
            return otwarte;
        }
        przezPipeWire = pipeWireNaProbe = false;
    }
    nowe = false;
    if (!sdl) sdl = sdl::Sdl::Zaladuj();
    if (!sdl) {
        ZglosCisze("libSDL2-2.0.so.0 cannot be loaded");
        return false;
    }
    // A device whose sound server went away is opened anew, on a fresh
    // connection.
    if (id && ZM_SDL(GetAudioDeviceStatus, id) == SDL_AUDIO_STOPPED) Zamknij();
    if (id) return true;
    std::string blad;
    {
        std::lock_guard podsystem(sdl::PodsystemSdl());
        if (!sdlInit) {
            // The program handles its own signals; SDL must not take them.
            ZM_SDL(SetHint, SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            ZM_SDL(SetHint, "SDL_AUDIO_DEVICE_APP_NAME", nazwaProgramu.c_str());
            ZM_SDL(SetHint, "SDL_AUDIO_DEVICE_STREAM_NAME", nazwaStrumienia.c_str());
            if (ZM_SDL(InitSubSystem, SDL_INIT_AUDIO) == 0)
                sdlInit = true;
            else
                blad = ZM_SDL(GetError);
            // SDL's own choice of PipeWire is played as when asked for.
            const char* d = sdlInit ? ZM_SDL(GetCurrentAudioDriver) : nullptr;
            if (d && std::string_view(d) == "pipewire") {
                ZM_SDL(QuitSubSystem, SDL_INIT_AUDIO);
                sdlInit = false;
                przezPipeWire = true;
            }
        }
        if (sdlInit) {
            SDL_AudioSpec chce{};
            chce.freq = SdlOdtwarzacz::kCzestotliwosc;
            chce.format = AUDIO_S16SYS;
            chce.channels = 1;
            chce.callback = Wypelnij;
            chce.userdata = &odczyt;
            chce.samples = SdlOdtwarzacz::kBufor;
            SDL_AudioSpec ma{};
            // SDL converts the one stream format to whatever the device takes.
            id = ZM_SDL(OpenAudioDevice, nullptr, 0, &chce, &ma, 0);
            // It starts paused, and feeds the server silence while paused:
            // it is held until the sentence is handed over, so that the first
            // word does not wait behind the server's buffer of silence.
            if (id) {
                ZM_SDL(LockAudioDevice, id);
                bufor = ma.samples;
            } else
                blad = ZM_SDL(GetError);
        }
    }
    if (przezPipeWire) {
        ZwolnijSdl();
        return OtworzPipeWire(nowe);
    }
    if (!id) {
        ZglosCisze(blad.c_str());
        Zamknij();
        return false;
    }
    const char* s = ZM_SDL(GetCurrentAudioDriver);
    wstrzymany = true;
    std::lock_guard l(m);
    sterownik = s ? s : "";
    nowe = true;
    return true;
}

// Watches the sentence handed over until the device has taken it all, the
// sentence is interrupted, or the device is lost or falls behind. Called and
// returns with the lock held; drops it for every SDL call.
SdlOdtwarzacz::Stan::Wynik SdlOdtwarzacz::Stan::Graj(std::unique_lock<std::mutex>& l, std::uint64_t moj,
                                                     std::size_t probek, bool nowe)
{
    auto przerwane = [&] { return moj != nr || koniecPracy; };
    // A new stream must start taking samples within kLimitStartu (a running
    // one within kLimitPostoju), and once it has, take them all within the
    // sentence's length and kLimitOpoznienia: that deadline is set once.
    auto termin = Zegar::now() + (nowe ? kLimitStartu : kLimitPostoju);
    bool ruszylo = false;
    auto ostatniRuch = Zegar::now();
    for (std::size_t zostalo = probek; !przerwane();) {
        cv.wait_for(l, std::chrono::milliseconds(5), przerwane);
        if (przerwane()) break;
        l.unlock();
        const bool zatrzymane = pw ? pw->Zatrzymany() : ZM_SDL(GetAudioDeviceStatus, id) == SDL_AUDIO_STOPPED;
        const std::size_t teraz = probek - odczyt.wydane.load(std::memory_order_acquire);
        l.lock();
        if (zatrzymane) return Wynik::Utracone;
        const auto t = Zegar::now();
        if (teraz != zostalo) {
            if (!ruszylo) termin = t + CzasProbek(probek) + kLimitOpoznienia;
            ruszylo = true;
            ostatniRuch = t;
            zostalo = teraz;
        }
        if (zostalo == 0) {
            // The last chunk is still in the device's buffer, and, through
            // PulseAudio's library, what it keeps at the server.
            // On PipeWire's stream, what the next cycle plays.
            const auto ogon = CzasProbek(pw ? pw->Cykl() : bufor) +
                              (sterownik == "pulseaudio" ? std::chrono::milliseconds(kOpoznienieSerweraMs)
                                                         : std::chrono::milliseconds(0));
            cv.wait_until(l, t + ogon, przerwane);
            return Wynik::Zagrane;
        }
        if (ruszylo && t - ostatniRuch > kLimitPostoju) return Wynik::Utracone;
        if (t > termin) return ruszylo || nowe ? Wynik::Wstrzymane : Wynik::Nieruszone;
    }
    return Wynik::Zagrane;
}

void SdlOdtwarzacz::Stan::Urzadzenie()
{
    std::unique_lock l(m);
    auto praca = [&] { return koniecPracy || (zajety && otwarcie == Otwarcie::Czeka); };
    for (;;) {
        if (!cv.wait_for(l, kBezczynnosc, praca)) {
            // At rest: the device is closed and SDL unloaded; the thread
            // ends unless a sentence came meanwhile.
            l.unlock();
            ZwolnijSdl();
            // What the sentences and the sound server's client took goes
            // back to the system (each thread's malloc arena keeps its pages).
            ::malloc_trim(0);
            l.lock();
            if (praca()) continue;
            break;
        }
        if (koniecPracy) {
            l.unlock();
            ZwolnijSdl();
            l.lock();
            break;
        }
        const std::uint64_t moj = nrGrania;
        std::vector<std::int16_t> probki = std::move(doZagrania);
        const std::size_t probek = probki.size();
        l.unlock();
        bool nowe = false;
        bool otwarte = OtworzUrzadzenie(nowe); // may take as long as the server likes
        l.lock();
        otwarcie = otwarte ? Otwarcie::Otwarte : Otwarcie::Nieudane;
        cv.notify_all();
        Wynik w = otwarte ? Wynik::Zagrane : Wynik::Wstrzymane; // a device opened late is kept
        for (bool ponownie = false; otwarte && moj == nrGrania && moj == nr && !koniecPracy; ponownie = true) {
            l.unlock();
            if (ponownie) {
                // A running stream that took nothing (SDL's PipeWire stream
                // after the server's graph changed) is opened anew, once.
                Zamknij();
                probki = std::move(odczyt.probki); // SDL's thread that read them has ended
                otwarte = OtworzUrzadzenie(nowe);
                if (!otwarte) {
                    l.lock();
                    w = Wynik::Utracone;
                    break;
                }
            }
            Podaj(std::move(probki));
            l.lock();
            w = Graj(l, moj, probek, nowe);
            if (w != Wynik::Nieruszone) break;
        }
        // The sentence's end is known before the device is tidied up.
        wynik = w;
        zagrane = true;
        zajety = false;
        cv.notify_all();
        if (otwarte) {
            l.unlock();
            // Whatever is left (an interrupted sentence, a stalled device)
            // must not play later; a device lost or stalled is opened anew
            // for the next sentence.
            Podaj({});
            if (w != Wynik::Zagrane) Zamknij();
            l.lock();
        }
    }
    urzadzenieDziala = false;
    cv.notify_all();
}

} // namespace zm
