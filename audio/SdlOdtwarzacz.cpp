#include "SdlOdtwarzacz.h"

#include "WavFile.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace zm {

namespace {

// SDL is loaded when the first sentence is read, not with the program: its
// sound back-ends bring in some thirty libraries that start-up need not wait
// for.
// The SDL functions the player needs, each named once.
#define ZM_SDL_FUNKCJE(X)                                                                                               \
    X(InitSubSystem) X(QuitSubSystem) X(OpenAudioDevice) X(CloseAudioDevice) X(GetCurrentAudioDriver)                  \
    X(PauseAudioDevice) X(SetHint) X(QueueAudio) X(GetQueuedAudioSize) X(ClearQueuedAudio) X(GetAudioDeviceStatus)     \
    X(GetError) X(LockAudioDevice) X(UnlockAudioDevice)

struct Sdl {
#define ZM_POLE(f) decltype(&SDL_##f) f = nullptr;
    ZM_SDL_FUNKCJE(ZM_POLE)
#undef ZM_POLE

    // The library with every needed function, or null.
    static const Sdl* Zaladuj()
    {
        static const Sdl sdl = [] {
            Sdl s;
            void* h = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
            if (!h) return s;
            auto wez = [h](auto& wsk, const char* nazwa) {
                wsk = reinterpret_cast<std::remove_reference_t<decltype(wsk)>>(dlsym(h, nazwa));
            };
#define ZM_WEZ(f) wez(s.f, "SDL_" #f);
            ZM_SDL_FUNKCJE(ZM_WEZ)
#undef ZM_WEZ
            return s;
        }();
#define ZM_JEST(f) && sdl.f
        const bool pelny = true ZM_SDL_FUNKCJE(ZM_JEST);
#undef ZM_JEST
        return pelny ? &sdl : nullptr;
    }
};
#undef ZM_SDL_FUNKCJE

using Zegar = std::chrono::steady_clock;

// ALSA's library reports every device it fails to open on the terminal; the
// player says once, in one line, that it plays silently instead.
extern "C" void CichyAlsa(const char*, int, const char*, int, const char*, ...) {}

void UciszAlsa()
{
    void* h = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!h) return;
    using Obsluga = void (*)(const char*, int, const char*, int, const char*, ...);
    if (auto ustaw = reinterpret_cast<int (*)(Obsluga)>(dlsym(h, "snd_lib_error_set_handler"))) ustaw(CichyAlsa);
}

// Every SDL call of the device thread goes through here, so that a test can
// stand in for a call that the sound server holds up.
template <class F, class... A>
auto Wolaj(const char* nazwa, F f, A... a)
{
    if (auto przed = SdlOdtwarzacz::przedWywolaniemSdl.load()) przed(nazwa);
    return f(a...);
}
#define ZM_SDL(f, ...) Wolaj(#f, sdl->f __VA_OPT__(, ) __VA_ARGS__)

// SDL's audio subsystem is one for the process: a device thread left behind
// by an earlier player must not start or stop it at the same time as the
// current one.
std::mutex& PodsystemSdl()
{
    static std::mutex m;
    return m;
}

Zegar::duration CzasProbek(std::size_t probki)
{
    return std::chrono::duration_cast<Zegar::duration>(
        std::chrono::duration<double>(static_cast<double>(probki) / SdlOdtwarzacz::kCzestotliwosc));
}

// 120 ms of a soft 660 Hz tone with short fades.
std::vector<std::int16_t> Pisk()
{
    constexpr int f = SdlOdtwarzacz::kCzestotliwosc;
    const int n = f * 12 / 100;
    std::vector<std::int16_t> p(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double obwiednia = std::min({1.0, i / (0.01 * f), (n - i) / (0.02 * f)});
        p[static_cast<std::size_t>(i)] =
            static_cast<std::int16_t>(4000.0 * obwiednia * std::sin(2 * M_PI * 660.0 * i / f));
    }
    return p;
}

// One sample of frame `ramka`, channels mixed, as a 16-bit value.
double Probka(const Nagranie& n, std::size_t ramka)
{
    double suma = 0;
    for (int k = 0; k < n.kanaly; ++k) {
        const std::size_t i = ramka * static_cast<std::size_t>(n.kanaly) + static_cast<std::size_t>(k);
        const std::uint8_t* d = n.probki.data();
        switch (n.format) {
        case Nagranie::Format::U8: suma += (static_cast<int>(d[i]) - 128) * 256.0; break;
        case Nagranie::Format::S16: {
            std::int16_t v;
            std::memcpy(&v, d + 2 * i, 2);
            suma += v;
            break;
        }
        case Nagranie::Format::S32: {
            std::int32_t v;
            std::memcpy(&v, d + 4 * i, 4);
            suma += v / 65536.0;
            break;
        }
        case Nagranie::Format::F32: {
            float v;
            std::memcpy(&v, d + 4 * i, 4);
            suma += std::isfinite(v) ? std::clamp(static_cast<double>(v), -1.0, 1.0) * 32767.0 : 0.0;
            break;
        }
        }
    }
    return suma / n.kanaly;
}

int BajtyProbki(Nagranie::Format f) { return f == Nagranie::Format::U8 ? 1 : f == Nagranie::Format::S16 ? 2 : 4; }

} // namespace

SdlOdtwarzacz::Slowo SdlOdtwarzacz::WczytajSlowo(const std::string& sciezka)
{
    const std::optional<Nagranie> wav = CzytajWavZPliku(sciezka, kMaksRozmiarPliku);
    if (!wav || wav->Sekundy() > kMaksSekundSlowa) return {Pisk(), true};
    const std::size_t ramki = wav->probki.size() / static_cast<std::size_t>(BajtyProbki(wav->format) * wav->kanaly);
    Slowo s;
    if (wav->czestotliwosc == kCzestotliwosc) {
        s.probki.resize(ramki);
        for (std::size_t i = 0; i < ramki; ++i)
            s.probki[i] = static_cast<std::int16_t>(std::lround(std::clamp(Probka(*wav, i), -32768.0, 32767.0)));
        return s;
    }
    // Another rate: linear interpolation between neighbouring frames. The
    // output's size follows the word's duration, bounded above.
    const double krok = static_cast<double>(wav->czestotliwosc) / kCzestotliwosc;
    const auto wyjscie = static_cast<std::size_t>(static_cast<double>(ramki) / krok);
    s.probki.resize(wyjscie);
    for (std::size_t i = 0; i < wyjscie; ++i) {
        const double poz = static_cast<double>(i) * krok;
        const auto j = std::min(static_cast<std::size_t>(poz), ramki - 1);
        const double u = poz - static_cast<double>(j);
        const double v = j + 1 < ramki ? Probka(*wav, j) * (1 - u) + Probka(*wav, j + 1) * u : Probka(*wav, j);
        s.probki[i] = static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    }
    return s;
}

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

    // Used by the device thread only.
    const Sdl* sdl = nullptr;
    bool sdlInit = false;
    SDL_AudioDeviceID id = 0;
    bool wstrzymany = false; // opened, held, and not started yet

    // Starts a device opened for a sentence. Called without the lock.
    void Pusc()
    {
        if (!wstrzymany) return;
        wstrzymany = false;
        ZM_SDL(PauseAudioDevice, id, 0);
        ZM_SDL(UnlockAudioDevice, id);
    }

    void Nadzorca();
    void Urzadzenie();
    Wynik Graj(std::unique_lock<std::mutex>& l, std::uint64_t moj, std::size_t probek, Uint32 poczatkowo, bool nowe);
    // Whether the device is open; `nowe` tells whether it was opened now.
    bool OtworzUrzadzenie(bool& nowe);
    void Zamknij();
    void ZglosCisze(const char* dlaczego);
    // Waits while a sentence's `koniec` runs, unless called from inside it.
    void CzekajNaKoniec(std::unique_lock<std::mutex>& l)
    {
        if (std::this_thread::get_id() != idNadzorcy) cv.wait(l, [&] { return !koniecWToku; });
    }
};

void SdlOdtwarzacz::Stan::ZglosCisze(const char* dlaczego)
{
    std::lock_guard l(m);
    if (cichyZgloszony) return;
    cichyZgloszony = true;
    std::fprintf(stderr, "%s: brak dźwięku (%s); lektor czyta po cichu.\n", nazwaProgramu.c_str(), dlaczego);
}

// Called without the lock.
void SdlOdtwarzacz::Stan::Zamknij()
{
    if (!sdlInit) return;
    {
        std::lock_guard podsystem(PodsystemSdl());
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
bool SdlOdtwarzacz::Stan::OtworzUrzadzenie(bool& nowe)
{
    nowe = false;
    if (!sdl) sdl = Sdl::Zaladuj();
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
        std::lock_guard podsystem(PodsystemSdl());
        if (!sdlInit) {
            // The program handles its own signals; SDL must not take them.
            ZM_SDL(SetHint, SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            UciszAlsa();
            ZM_SDL(SetHint, "SDL_AUDIO_DEVICE_APP_NAME", nazwaProgramu.c_str());
            ZM_SDL(SetHint, "SDL_AUDIO_DEVICE_STREAM_NAME", nazwaStrumienia.c_str());
            if (ZM_SDL(InitSubSystem, SDL_INIT_AUDIO) == 0)
                sdlInit = true;
            else
                blad = ZM_SDL(GetError);
        }
        if (sdlInit) {
            SDL_AudioSpec chce{};
            chce.freq = SdlOdtwarzacz::kCzestotliwosc;
            chce.format = AUDIO_S16SYS;
            chce.channels = 1;
            chce.samples = SdlOdtwarzacz::kBufor;
            SDL_AudioSpec ma{};
            // SDL converts the one stream format to whatever the device takes.
            id = ZM_SDL(OpenAudioDevice, nullptr, 0, &chce, &ma, 0);
            // It starts paused, and feeds the server silence while paused:
            // it is held until the sentence is queued, so that the first
            // word does not wait behind the server's buffer of silence.
            if (id)
                ZM_SDL(LockAudioDevice, id);
            else
                blad = ZM_SDL(GetError);
        }
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

// Watches the queued sentence until it has been taken by the device, the
// sentence is interrupted, or the device is lost or falls behind. Called and
// returns with the lock held; drops it for every SDL call.
SdlOdtwarzacz::Stan::Wynik SdlOdtwarzacz::Stan::Graj(std::unique_lock<std::mutex>& l, std::uint64_t moj,
                                                     std::size_t probek, Uint32 poczatkowo, bool nowe)
{
    auto przerwane = [&] { return moj != nr || koniecPracy; };
    // A new stream must start taking samples within kLimitStartu (a running
    // one within kLimitPostoju), and once it has, take them all within the
    // sentence's length and kLimitOpoznienia: that deadline is set once.
    auto termin = Zegar::now() + (nowe ? kLimitStartu : kLimitPostoju);
    bool ruszylo = false;
    auto ostatniRuch = Zegar::now();
    for (Uint32 zostalo = poczatkowo; !przerwane();) {
        cv.wait_for(l, std::chrono::milliseconds(5), przerwane);
        if (przerwane()) break;
        l.unlock();
        const bool zatrzymane = ZM_SDL(GetAudioDeviceStatus, id) == SDL_AUDIO_STOPPED;
        const Uint32 teraz = ZM_SDL(GetQueuedAudioSize, id);
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
            const auto ogon = CzasProbek(SdlOdtwarzacz::kBufor) +
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
            // At rest: the device is closed; the thread ends unless a
            // sentence came meanwhile.
            l.unlock();
            Zamknij();
            l.lock();
            if (praca()) continue;
            break;
        }
        if (koniecPracy) {
            l.unlock();
            Zamknij();
            l.lock();
            break;
        }
        const std::uint64_t moj = nrGrania;
        std::vector<std::int16_t> probki = std::move(doZagrania);
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
                otwarte = OtworzUrzadzenie(nowe);
                if (!otwarte) {
                    l.lock();
                    w = Wynik::Utracone;
                    break;
                }
            }
            ZM_SDL(ClearQueuedAudio, id);
            ZM_SDL(QueueAudio, id, probki.data(), static_cast<Uint32>(probki.size() * sizeof(std::int16_t)));
            Pusc();
            const Uint32 poczatkowo = ZM_SDL(GetQueuedAudioSize, id);
            l.lock();
            w = Graj(l, moj, probki.size(), poczatkowo, nowe);
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
            ZM_SDL(ClearQueuedAudio, id);
            Pusc();
            if (w != Wynik::Zagrane) Zamknij();
            l.lock();
        }
    }
    urzadzenieDziala = false;
    cv.notify_all();
}

void SdlOdtwarzacz::Stan::Nadzorca()
{
    std::unique_lock l(m);
    for (;;) {
        if (!cv.wait_for(l, kBezczynnosc, [&] { return koniecPracy || zlecenie; }) || koniecPracy) break;
        Zlecenie z = std::move(*zlecenie);
        zlecenie.reset();
        const std::uint64_t moj = nr;
        l.unlock();
        std::vector<std::int16_t> probki;
        bool zPiskiem = false;
        for (const std::string& p : z.pliki) {
            Slowo s = WczytajSlowo(p);
            zPiskiem |= s.domyslny;
            probki.insert(probki.end(), s.probki.begin(), s.probki.end());
        }
        const auto dlugosc = CzasProbek(probki.size());
        l.lock();
        auto przerwane = [&] { return moj != nr || koniecPracy; };
        if (przerwane()) {
            l.unlock();
            z = {}; // its `koniec` is let go of without the lock
            l.lock();
            continue;
        }
        domyslny = zPiskiem;
        const auto start = Zegar::now();
        auto termin = start + dlugosc; // in silence
        if (!zajety) {
            // The device thread is free (started again if it has ended): it
            // opens the device if need be and plays. One held up by an
            // earlier sentence is left alone, and this one passes in silence.
            if (!urzadzenieDziala) {
                if (urzadzenie.joinable()) urzadzenie.join(); // it has ended
                urzadzenieDziala = true;
                urzadzenie = std::thread([s = shared_from_this()] { s->Urzadzenie(); });
            }
            doZagrania = std::move(probki);
            nrGrania = moj;
            zajety = true;
            otwarcie = Otwarcie::Czeka;
            zagrane = false;
            cv.notify_all();
            cv.wait_until(l, start + kLimitOtwarcia, [&] { return przerwane() || otwarcie != Otwarcie::Czeka; });
            if (otwarcie == Otwarcie::Otwarte) {
                // The device thread watches the stream; this deadline only
                // guards against an SDL call that never returns.
                cv.wait_until(l, Zegar::now() + dlugosc + kLimitStartu + kLimitOpoznienia + std::chrono::seconds(1),
                              [&] { return przerwane() || zagrane; });
                // A sentence not heard still takes its time; one heard, or
                // whose device was lost, ends now.
                if (zagrane && wynik != Wynik::Wstrzymane) termin = Zegar::now();
            } else {
                nrGrania = 0; // a device that opens late must not play it
            }
        }
        cv.wait_until(l, termin, przerwane);
        if (!przerwane()) {
            // Called without the lock, so that it may call the player again;
            // Przerwij waits for it to return.
            koniecWToku = true;
            l.unlock();
            z.koniec();
            z = {};
            l.lock();
            koniecWToku = false;
            cv.notify_all();
        } else {
            l.unlock();
            z = {};
            l.lock();
        }
    }
    nadzorcaDziala = false;
    idNadzorcy = {};
    cv.notify_all();
}
SdlOdtwarzacz::SdlOdtwarzacz(std::string nazwaProgramu, std::string nazwaStrumienia) : stan_(std::make_shared<Stan>())
{
    // Set here, on the owner's thread before any sentence, not when SDL
    // starts on the device thread.
    ::setenv("PULSE_LATENCY_MSEC", std::to_string(kOpoznienieSerweraMs).c_str(), 0);
    stan_->nazwaProgramu = std::move(nazwaProgramu);
    stan_->nazwaStrumienia = std::move(nazwaStrumienia);
}

SdlOdtwarzacz::~SdlOdtwarzacz()
{
    std::optional<Stan::Zlecenie> porzucone; // let go of after the lock
    std::unique_lock l(stan_->m);
    stan_->koniecPracy = true;
    ++stan_->nr;
    porzucone = std::move(stan_->zlecenie);
    stan_->zlecenie.reset();
    stan_->cv.notify_all();
    stan_->CzekajNaKoniec(l);
    // The supervisor ends at once (unless this is its own `koniec`); the
    // device thread closes the device on its way out, and a sound server
    // that does not answer may hold it: it is then left to end by itself.
    const bool zeSrodka = std::this_thread::get_id() == stan_->idNadzorcy;
    const bool zakonczone =
        stan_->cv.wait_for(l, std::chrono::milliseconds(300), [&] { return !stan_->urzadzenieDziala; });
    std::thread nadzorca = std::move(stan_->nadzorca), urzadzenie = std::move(stan_->urzadzenie);
    l.unlock();
    if (nadzorca.joinable()) {
        if (zeSrodka)
            nadzorca.detach();
        else
            nadzorca.join();
    }
    if (urzadzenie.joinable()) {
        if (zakonczone)
            urzadzenie.join();
        else
            urzadzenie.detach();
    }
}

void SdlOdtwarzacz::Czytaj(std::vector<std::string> pliki, std::function<void()> koniec)
{
    std::optional<Stan::Zlecenie> porzucone;
    std::unique_lock l(stan_->m);
    ++stan_->nr;
    porzucone = std::move(stan_->zlecenie);
    stan_->zlecenie.emplace(Stan::Zlecenie{std::move(pliki), std::move(koniec)});
    stan_->CzekajNaKoniec(l);
    if (!stan_->nadzorcaDziala) {
        // Started for a sentence, ended at rest; each keeps the shared state.
        if (stan_->nadzorca.joinable()) stan_->nadzorca.join(); // it has ended
        stan_->nadzorcaDziala = true;
        stan_->nadzorca = std::thread([s = stan_] { s->Nadzorca(); });
        stan_->idNadzorcy = stan_->nadzorca.get_id();
    }
    stan_->cv.notify_all();
}

void SdlOdtwarzacz::Przerwij()
{
    std::optional<Stan::Zlecenie> porzucone;
    std::unique_lock l(stan_->m);
    ++stan_->nr;
    porzucone = std::move(stan_->zlecenie);
    stan_->zlecenie.reset();
    stan_->cv.notify_all();
    stan_->CzekajNaKoniec(l);
}

bool SdlOdtwarzacz::OstatnioDomyslny() const
{
    std::lock_guard l(stan_->m);
    return stan_->domyslny;
}

std::string SdlOdtwarzacz::Sterownik() const
{
    std::lock_guard l(stan_->m);
    return stan_->sterownik;
}

} // namespace zm
