#include "SdlOdtwarzacz.h"

#include "WavFile.h"

#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
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
    X(GetError)

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
constexpr int kBufor = 512; // samples: about 23 ms at 22 kHz

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

// Everything the player's two threads and its owner share, under one lock.
// The threads hold it by a shared pointer, so that a device thread held up
// by the sound server may outlive the player.
struct SdlOdtwarzacz::Stan {
    std::mutex m;
    std::condition_variable cv;
    std::string nazwaProgramu, nazwaStrumienia;

    // The sentence being read: a new one or Przerwij changes the number.
    std::uint64_t nr = 0;
    std::optional<std::pair<std::vector<std::string>, std::function<void()>>> zlecenie;
    bool koniecPracy = false;
    bool domyslny = false;
    std::string sterownik;

    // The device thread's work: the samples of sentence `nrGrania`.
    std::vector<std::int16_t> doZagrania;
    std::uint64_t nrGrania = 0;
    bool zajety = false;        // the device thread has work (and may be held up in it)
    enum class Otwarcie { Czeka, Otwarte, Nieudane } otwarcie = Otwarcie::Czeka;
    bool zagrane = false;
    // How the sentence went on the device: heard to the end, cut short by a
    // lost device, or not heard (a device that takes nothing).
    enum class Wynik { Zagrane, Utracone, Wstrzymane } wynik = Wynik::Zagrane;
    bool urzadzenieZakonczone = false;
    bool cichyZgloszony = false;

    // Used by the device thread only.
    const Sdl* sdl = nullptr;
    bool sdlInit = false;
    SDL_AudioDeviceID urzadzenie = 0;

    void Nadzorca();
    void Urzadzenie();
    bool OtworzUrzadzenie();
    void Zamknij();
    void ZglosCisze(const char* dlaczego);
};

void SdlOdtwarzacz::Stan::ZglosCisze(const char* dlaczego)
{
    std::lock_guard l(m);
    if (cichyZgloszony) return;
    cichyZgloszony = true;
    std::fprintf(stderr, "%s: brak dźwięku (%s); lektor czyta po cichu.\n", nazwaProgramu.c_str(), dlaczego);
}

void SdlOdtwarzacz::Stan::Zamknij()
{
    if (urzadzenie) sdl->CloseAudioDevice(urzadzenie);
    urzadzenie = 0;
    if (sdlInit) sdl->QuitSubSystem(SDL_INIT_AUDIO);
    sdlInit = false;
    std::lock_guard l(m);
    sterownik.clear();
}

bool SdlOdtwarzacz::Stan::OtworzUrzadzenie()
{
    if (!sdl) sdl = Sdl::Zaladuj();
    if (!sdl) {
        ZglosCisze("libSDL2-2.0.so.0 cannot be loaded");
        return false;
    }
    // A device whose sound server went away is opened anew, on a fresh
    // connection.
    if (urzadzenie && sdl->GetAudioDeviceStatus(urzadzenie) == SDL_AUDIO_STOPPED) Zamknij();
    if (urzadzenie) return true;
    if (!sdlInit) {
        // The program handles its own signals; SDL must not take them.
        sdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        UciszAlsa();
        sdl->SetHint("SDL_AUDIO_DEVICE_APP_NAME", nazwaProgramu.c_str());
        sdl->SetHint("SDL_AUDIO_DEVICE_STREAM_NAME", nazwaStrumienia.c_str());
        if (sdl->InitSubSystem(SDL_INIT_AUDIO) != 0) {
            ZglosCisze(sdl->GetError());
            return false;
        }
        sdlInit = true;
    }
    SDL_AudioSpec chce{};
    chce.freq = SdlOdtwarzacz::kCzestotliwosc;
    chce.format = AUDIO_S16SYS;
    chce.channels = 1;
    chce.samples = kBufor;
    SDL_AudioSpec ma{};
    // SDL converts the one stream format to whatever the device takes.
    urzadzenie = sdl->OpenAudioDevice(nullptr, 0, &chce, &ma, 0);
    if (!urzadzenie) {
        ZglosCisze(sdl->GetError());
        Zamknij();
        return false;
    }
    sdl->PauseAudioDevice(urzadzenie, 0);
    std::lock_guard l(m);
    if (const char* s = sdl->GetCurrentAudioDriver()) sterownik = s;
    return true;
}

void SdlOdtwarzacz::Stan::Urzadzenie()
{
    std::unique_lock l(m);
    for (;;) {
        cv.wait(l, [&] { return koniecPracy || (zajety && otwarcie == Otwarcie::Czeka); });
        if (koniecPracy) break;
        const std::uint64_t moj = nrGrania;
        std::vector<std::int16_t> probki = std::move(doZagrania);
        l.unlock();
        const bool otwarte = OtworzUrzadzenie(); // may take as long as the server likes
        l.lock();
        otwarcie = otwarte ? Otwarcie::Otwarte : Otwarcie::Nieudane;
        cv.notify_all();
        if (otwarte && moj == nrGrania && moj == nr && !koniecPracy) {
            l.unlock();
            sdl->ClearQueuedAudio(urzadzenie);
            sdl->QueueAudio(urzadzenie, probki.data(), static_cast<Uint32>(probki.size() * sizeof(std::int16_t)));
            l.lock();
            // Until the queue is empty, the sentence is interrupted, the
            // device is lost (the server went away: the drill need not wait
            // for the rest), or the device falls behind: a new stream must
            // start taking samples within kLimitStartu, and once it has, take
            // them all within the sentence's length and kLimitOpoznienia.
            const auto poczatkowo = sdl->GetQueuedAudioSize(urzadzenie);
            auto termin = Zegar::now() + kLimitStartu;
            bool ruszylo = false;
            wynik = Wynik::Zagrane;
            for (auto zostalo = poczatkowo; moj == nr && !koniecPracy && zostalo > 0;
                 zostalo = sdl->GetQueuedAudioSize(urzadzenie)) {
                if (sdl->GetAudioDeviceStatus(urzadzenie) == SDL_AUDIO_STOPPED) {
                    wynik = Wynik::Utracone;
                    break;
                }
                if (!ruszylo && zostalo != poczatkowo) {
                    ruszylo = true;
                    termin = Zegar::now() + CzasProbek(probki.size()) + kLimitOpoznienia;
                }
                if (Zegar::now() > termin) {
                    wynik = Wynik::Wstrzymane;
                    break;
                }
                cv.wait_for(l, std::chrono::milliseconds(2));
            }
            // The last chunk is still in the device's buffer.
            if (wynik == Wynik::Zagrane)
                cv.wait_until(l, Zegar::now() + CzasProbek(kBufor), [&] { return moj != nr || koniecPracy; });
            // Whatever is left (a stalled device) must not play later.
            sdl->ClearQueuedAudio(urzadzenie);
        } else {
            wynik = Wynik::Wstrzymane;
        }
        zagrane = true;
        zajety = false;
        cv.notify_all();
    }
    l.unlock();
    if (sdl) Zamknij();
    l.lock();
    urzadzenieZakonczone = true;
    cv.notify_all();
}

void SdlOdtwarzacz::Stan::Nadzorca()
{
    std::unique_lock l(m);
    for (;;) {
        cv.wait(l, [&] { return koniecPracy || zlecenie; });
        if (koniecPracy) break;
        auto [pliki, koniec] = std::move(*zlecenie);
        zlecenie.reset();
        const std::uint64_t moj = nr;
        l.unlock();
        std::vector<std::int16_t> probki;
        bool zPiskiem = false;
        for (const std::string& p : pliki) {
            Slowo s = WczytajSlowo(p);
            zPiskiem |= s.domyslny;
            probki.insert(probki.end(), s.probki.begin(), s.probki.end());
        }
        const auto dlugosc = CzasProbek(probki.size());
        l.lock();
        auto przerwane = [&] { return moj != nr || koniecPracy; };
        if (przerwane()) continue;
        domyslny = zPiskiem;
        const auto start = Zegar::now();
        auto termin = start + dlugosc; // in silence
        if (!zajety) {
            // The device thread is free: it opens the device if need be and
            // plays. One held up by an earlier sentence is left alone, and
            // this one passes in silence.
            doZagrania = std::move(probki);
            nrGrania = moj;
            zajety = true;
            otwarcie = Otwarcie::Czeka;
            zagrane = false;
            cv.notify_all();
            cv.wait_until(l, start + kLimitOtwarcia, [&] { return przerwane() || otwarcie != Otwarcie::Czeka; });
            if (otwarcie == Otwarcie::Otwarte) {
                // The device thread never waits on SDL from here on; the
                // deadline only guards against the unforeseen.
                cv.wait_until(l, Zegar::now() + dlugosc + kLimitStartu + kLimitOpoznienia + std::chrono::seconds(1),
                              [&] { return przerwane() || zagrane; });
                // A sentence not heard still takes its time; one whose device
                // was lost ends now.
                if (zagrane && wynik != Wynik::Wstrzymane) termin = Zegar::now();
            } else {
                nrGrania = 0; // a device that opens late must not play it
            }
        }
        cv.wait_until(l, termin, [&] { return przerwane(); });
        // Called under the lock, so that once Przerwij has returned it is not.
        if (!przerwane()) koniec();
    }
}

SdlOdtwarzacz::SdlOdtwarzacz(std::string nazwaProgramu, std::string nazwaStrumienia) : stan_(std::make_shared<Stan>())
{
    stan_->nazwaProgramu = std::move(nazwaProgramu);
    stan_->nazwaStrumienia = std::move(nazwaStrumienia);
}

SdlOdtwarzacz::~SdlOdtwarzacz()
{
    if (!nadzorca_.joinable()) return;
    std::unique_lock l(stan_->m);
    stan_->koniecPracy = true;
    stan_->cv.notify_all();
    // The device thread closes the device on its way out; a sound server that
    // does not answer may hold it, and then it is left to end with the
    // process.
    const bool zakonczone =
        stan_->cv.wait_for(l, std::chrono::milliseconds(300), [&] { return stan_->urzadzenieZakonczone; });
    l.unlock();
    nadzorca_.join();
    if (zakonczone)
        urzadzenie_.join();
    else
        urzadzenie_.detach();
}

void SdlOdtwarzacz::Czytaj(std::vector<std::string> pliki, std::function<void()> koniec)
{
    std::lock_guard l(stan_->m);
    ++stan_->nr;
    stan_->zlecenie.emplace(std::move(pliki), std::move(koniec));
    if (!nadzorca_.joinable()) {
        // Started at the first sentence; each keeps the shared state.
        nadzorca_ = std::thread([s = stan_] { s->Nadzorca(); });
        urzadzenie_ = std::thread([s = stan_] { s->Urzadzenie(); });
    }
    stan_->cv.notify_all();
}

void SdlOdtwarzacz::Przerwij()
{
    std::lock_guard l(stan_->m);
    ++stan_->nr;
    stan_->zlecenie.reset();
    stan_->cv.notify_all();
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
