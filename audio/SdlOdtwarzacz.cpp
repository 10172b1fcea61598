#include "SdlOdtwarzacz.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

namespace zm {

namespace {

constexpr int kCzestotliwosc = 22050;
constexpr int kBufor = 512; // samples: about 23 ms at 22 kHz

using Zegar = std::chrono::steady_clock;

} // namespace

SdlOdtwarzacz::~SdlOdtwarzacz()
{
    if (urzadzenie_) SDL_CloseAudioDevice(urzadzenie_);
    if (sdlInit_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlOdtwarzacz::OtworzUrzadzenie()
{
    // A file that ends before its header says is damaged: the beep, not a fragment.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    sdlInit_ = true;
    SDL_AudioSpec chce{};
    chce.freq = kCzestotliwosc;
    chce.format = AUDIO_S16SYS;
    chce.channels = 1;
    chce.samples = kBufor;
    SDL_AudioSpec ma{};
    urzadzenie_ = SDL_OpenAudioDevice(nullptr, 0, &chce, &ma, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (!urzadzenie_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlInit_ = false;
        return false;
    }
    czestotliwosc_ = ma.freq;
    kanaly_ = ma.channels;
    format_ = ma.format;
    probki_ = ma.samples;
    if (const char* s = SDL_GetCurrentAudioDriver()) sterownik_ = s;
    SDL_PauseAudioDevice(urzadzenie_, 0);
    return true;
}

bool SdlOdtwarzacz::Otworz()
{
    if (proba_) return urzadzenie_ != 0;
    proba_ = true;
    if (OtworzUrzadzenie()) return true;
    // No sound device: the silent driver keeps the timing of a real one.
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    return OtworzUrzadzenie();
}

std::vector<std::uint8_t> SdlOdtwarzacz::Wczytaj(const std::string& sciezka)
{
    std::error_code ec;
    const auto rozmiar = std::filesystem::file_size(sciezka, ec);
    if (ec || rozmiar == 0 || rozmiar > kMaksRozmiarPliku) return {};

    SDL_AudioSpec spec{};
    Uint8* bufor = nullptr;
    Uint32 dlugosc = 0;
    if (!SDL_LoadWAV(sciezka.c_str(), &spec, &bufor, &dlugosc)) return {};
    std::vector<std::uint8_t> wynik;
    SDL_AudioCVT cvt{};
    const int b = SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, format_,
                                    static_cast<Uint8>(kanaly_), czestotliwosc_);
    if (b >= 0 && dlugosc > 0 && dlugosc <= kMaksRozmiarPliku) {
        std::vector<std::uint8_t> praca(static_cast<std::size_t>(dlugosc) * static_cast<std::size_t>(cvt.len_mult));
        std::copy(bufor, bufor + dlugosc, praca.begin());
        cvt.buf = praca.data();
        cvt.len = static_cast<int>(dlugosc);
        if (b == 0 || SDL_ConvertAudio(&cvt) == 0) {
            praca.resize(static_cast<std::size_t>(b == 0 ? cvt.len : cvt.len_cvt));
            wynik = std::move(praca);
        }
    }
    SDL_FreeWAV(bufor);
    return wynik;
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
    SDL_AudioCVT cvt{};
    const int b = SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, static_cast<Uint8>(kanaly_), czestotliwosc_, format_,
                                    static_cast<Uint8>(kanaly_), czestotliwosc_);
    const auto* surowe = reinterpret_cast<const std::uint8_t*>(probki.data());
    const std::size_t bajty = probki.size() * sizeof(Sint16);
    if (b <= 0) return {surowe, surowe + bajty};
    std::vector<std::uint8_t> praca(bajty * static_cast<std::size_t>(cvt.len_mult));
    std::copy(surowe, surowe + bajty, praca.begin());
    cvt.buf = praca.data();
    cvt.len = static_cast<int>(bajty);
    if (SDL_ConvertAudio(&cvt) != 0) return {};
    praca.resize(static_cast<std::size_t>(cvt.len_cvt));
    return praca;
}

void SdlOdtwarzacz::Kolejkuj(const std::vector<std::uint8_t>& dane)
{
    if (dane.empty()) return;
    SDL_QueueAudio(urzadzenie_, dane.data(), static_cast<Uint32>(dane.size()));
    const int bajtyNaRamke = SDL_AUDIO_BITSIZE(format_) / 8 * kanaly_;
    const double sekundy = static_cast<double>(dane.size()) / (bajtyNaRamke * czestotliwosc_);
    const auto teraz = Zegar::now();
    // Never wait much longer than the sound itself.
    const auto termin = teraz + std::chrono::milliseconds(static_cast<long>(sekundy * 1000) + 1000);
    while (SDL_GetQueuedAudioSize(urzadzenie_) > 0 && Zegar::now() < termin)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    // The last chunk is still in the device's buffer.
    const auto bufor = std::chrono::microseconds(static_cast<long>(1e6 * probki_ / czestotliwosc_));
    std::this_thread::sleep_for(std::min<Zegar::duration>(bufor, std::chrono::milliseconds(100)));
    SDL_ClearQueuedAudio(urzadzenie_);
}

void SdlOdtwarzacz::Odtworz(const std::string& sciezka)
{
    if (!Otworz()) return; // not even the silent driver: nothing can be played
    std::vector<std::uint8_t> dane = Wczytaj(sciezka);
    ostatnioDomyslny_ = dane.empty();
    if (ostatnioDomyslny_) dane = Pisk();
    Kolejkuj(dane);
}

} // namespace zm
