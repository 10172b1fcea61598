#include "SdlOdtwarzacz.h"

#include "WavFile.h"

#include <SDL.h>
#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

namespace zm {

// SDL is loaded when the first word is played, not with the program: its
// sound back-ends bring in some thirty libraries that start-up need not wait
// for.
// The SDL functions the player needs, each named once.
#define ZM_SDL_FUNKCJE(X)                                                                                               \
    X(InitSubSystem) X(QuitSubSystem) X(OpenAudioDevice) X(CloseAudioDevice) X(GetCurrentAudioDriver)                  \
    X(PauseAudioDevice) X(SetHintWithPriority) X(BuildAudioCVT) X(ConvertAudio) X(QueueAudio) X(GetQueuedAudioSize)    \
    X(ClearQueuedAudio)

struct Sdl {
#define ZM_POLE(f) decltype(&SDL_##f) f = nullptr;
    ZM_SDL_FUNKCJE(ZM_POLE)
#undef ZM_POLE
    decltype(&SDL_ResetHint) ResetHint = nullptr; // optional (SDL 2.24 and later)

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
            wez(s.ResetHint, "SDL_ResetHint");
            return s;
        }();
#define ZM_JEST(f) && sdl.f
        const bool pelny = true ZM_SDL_FUNKCJE(ZM_JEST);
#undef ZM_JEST
        return pelny ? &sdl : nullptr;
    }
};
#undef ZM_SDL_FUNKCJE

namespace {

constexpr int kCzestotliwosc = 22050;
constexpr int kBufor = 512; // samples: about 23 ms at 22 kHz

using Zegar = std::chrono::steady_clock;

} // namespace

SdlOdtwarzacz::~SdlOdtwarzacz()
{
    if (!sdl_) return;
    if (urzadzenie_) sdl_->CloseAudioDevice(urzadzenie_);
    if (sdlInit_) sdl_->QuitSubSystem(SDL_INIT_AUDIO);
    // The silent-driver fallback is this player's choice, not the process's.
    if (wymuszonyCichy_ && sdl_->ResetHint) sdl_->ResetHint(SDL_HINT_AUDIODRIVER);
}

bool SdlOdtwarzacz::OtworzUrzadzenie()
{
    if (sdl_->InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    sdlInit_ = true;
    SDL_AudioSpec chce{};
    chce.freq = kCzestotliwosc;
    chce.format = AUDIO_S16SYS;
    chce.channels = 1;
    chce.samples = kBufor;
    SDL_AudioSpec ma{};
    urzadzenie_ = sdl_->OpenAudioDevice(nullptr, 0, &chce, &ma, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (!urzadzenie_) {
        sdl_->QuitSubSystem(SDL_INIT_AUDIO);
        sdlInit_ = false;
        return false;
    }
    czestotliwosc_ = ma.freq;
    kanaly_ = ma.channels;
    format_ = ma.format;
    probki_ = ma.samples;
    if (const char* s = sdl_->GetCurrentAudioDriver()) sterownik_ = s;
    sdl_->PauseAudioDevice(urzadzenie_, 0);
    return true;
}

bool SdlOdtwarzacz::Otworz()
{
    if (proba_) return urzadzenie_ != 0;
    proba_ = true;
    sdl_ = Sdl::Zaladuj();
    if (!sdl_) return false;
    if (OtworzUrzadzenie()) return true;
    // No sound device: the silent driver keeps the timing of a real one.
    sdl_->SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    wymuszonyCichy_ = true;
    return OtworzUrzadzenie();
}

std::vector<std::uint8_t> SdlOdtwarzacz::Wczytaj(const std::string& sciezka)
{
    // Our own strict reader, not SDL_LoadWAV: damaged files must be refused,
    // never half-trusted.
    const std::optional<Nagranie> wav = CzytajWavZPliku(sciezka, kMaksRozmiarPliku);
    if (!wav) return {};
    SDL_AudioFormat format = AUDIO_S16LSB;
    switch (wav->format) {
    case Nagranie::Format::U8: format = AUDIO_U8; break;
    case Nagranie::Format::S16: format = AUDIO_S16LSB; break;
    case Nagranie::Format::S32: format = AUDIO_S32LSB; break;
    case Nagranie::Format::F32: format = AUDIO_F32LSB; break;
    }
    return Konwertuj(format, wav->kanaly, wav->czestotliwosc, wav->probki);
}

std::vector<std::uint8_t> SdlOdtwarzacz::Konwertuj(std::uint16_t format, int kanaly, int czestotliwosc,
                                                   const std::vector<std::uint8_t>& dane) const
{
    SDL_AudioCVT cvt{};
    const int b = sdl_->BuildAudioCVT(&cvt, format, static_cast<Uint8>(kanaly), czestotliwosc, format_,
                                    static_cast<Uint8>(kanaly_), czestotliwosc_);
    if (b < 0 || dane.empty() || dane.size() > kMaksRozmiarPliku) return {};
    if (b == 0) return dane;
    std::vector<std::uint8_t> praca(dane.size() * static_cast<std::size_t>(cvt.len_mult));
    std::copy(dane.begin(), dane.end(), praca.begin());
    cvt.buf = praca.data();
    cvt.len = static_cast<int>(dane.size());
    if (sdl_->ConvertAudio(&cvt) != 0) return {};
    praca.resize(static_cast<std::size_t>(cvt.len_cvt));
    return praca;
}

std::vector<std::uint8_t> SdlOdtwarzacz::Pisk() const
{
    // 120 ms of a soft 660 Hz tone with short fades, in 16-bit samples.
    const int n = czestotliwosc_ * 12 / 100;
    std::vector<Sint16> probki(static_cast<std::size_t>(n) * static_cast<std::size_t>(kanaly_));
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / czestotliwosc_;
        const double obwiednia = std::min({1.0, i / (0.01 * czestotliwosc_), (n - i) / (0.02 * czestotliwosc_)});
        const auto v = static_cast<Sint16>(4000.0 * obwiednia * std::sin(2 * M_PI * 660.0 * t));
        for (int k = 0; k < kanaly_; ++k) probki[static_cast<std::size_t>(i * kanaly_ + k)] = v;
    }
    const auto* surowe = reinterpret_cast<const std::uint8_t*>(probki.data());
    return Konwertuj(AUDIO_S16SYS, kanaly_, czestotliwosc_, {surowe, surowe + probki.size() * sizeof(Sint16)});
}

void SdlOdtwarzacz::Kolejkuj(const std::vector<std::uint8_t>& dane)
{
    if (dane.empty()) return;
    sdl_->QueueAudio(urzadzenie_, dane.data(), static_cast<Uint32>(dane.size()));
    const int bajtyNaRamke = SDL_AUDIO_BITSIZE(format_) / 8 * kanaly_;
    const double sekundy = static_cast<double>(dane.size()) / (bajtyNaRamke * czestotliwosc_);
    const auto teraz = Zegar::now();
    // Never wait much longer than the sound itself.
    const auto termin = teraz + std::chrono::milliseconds(static_cast<long>(sekundy * 1000) + 1000);
    while (sdl_->GetQueuedAudioSize(urzadzenie_) > 0 && Zegar::now() < termin)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // The last chunk is still in the device's buffer.
    const auto bufor = std::chrono::microseconds(static_cast<long>(1e6 * probki_ / czestotliwosc_));
    std::this_thread::sleep_for(std::min<Zegar::duration>(bufor, std::chrono::milliseconds(100)));
    sdl_->ClearQueuedAudio(urzadzenie_);
}

void SdlOdtwarzacz::Odtworz(const std::string& sciezka)
{
    if (!Otworz()) {
        // No SDL at all: the recording's own length passes in silence, so
        // that the drill keeps its pace.
        const auto wav = CzytajWavZPliku(sciezka, kMaksRozmiarPliku);
        ostatnioDomyslny_ = !wav;
        std::this_thread::sleep_for(std::chrono::duration<double>(wav ? wav->Sekundy() : 0.12));
        return;
    }
    std::vector<std::uint8_t> dane = Wczytaj(sciezka);
    ostatnioDomyslny_ = dane.empty();
    if (ostatnioDomyslny_) dane = Pisk();
    Kolejkuj(dane);
}

} // namespace zm
