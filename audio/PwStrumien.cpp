#include "PwStrumien.h"

#include "SerwerPulse.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string_view>
#include <thread>

namespace zm::pw {

#define ZM_PW_FUNKCJE(X)                                                                                                \
    X(pw_init) X(pw_thread_loop_new) X(pw_thread_loop_start) X(pw_thread_loop_stop) X(pw_thread_loop_destroy)          \
    X(pw_thread_loop_lock) X(pw_thread_loop_unlock) X(pw_thread_loop_get_loop) X(pw_stream_new_simple)                 \
    X(pw_stream_connect) X(pw_stream_destroy) X(pw_stream_dequeue_buffer) X(pw_stream_queue_buffer)                    \
    X(pw_properties_new)

struct Strumien::Funkcje {
#define ZM_POLE(f) decltype(&::f) f = nullptr;
    ZM_PW_FUNKCJE(ZM_POLE)
#undef ZM_POLE
};

namespace {

// The library with every function, loaded and initialised once; or null.
const Strumien::Funkcje* Biblioteka()
{
    static const Strumien::Funkcje* const f = []() -> const Strumien::Funkcje* {
        void* b = ::dlopen("libpipewire-0.3.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!b) return nullptr;
        static Strumien::Funkcje funkcje;
        bool wszystkie = true;
#define ZM_WCZYTAJ(n)                                                                                                   \
    funkcje.n = reinterpret_cast<decltype(funkcje.n)>(::dlsym(b, #n));                                                 \
    wszystkie &= funkcje.n != nullptr;
        ZM_PW_FUNKCJE(ZM_WCZYTAJ)
#undef ZM_WCZYTAJ
        if (!wszystkie) {
            ::dlclose(b);
            return nullptr;
        }
        funkcje.pw_init(nullptr, nullptr);
        return &funkcje;
    }();
    return f;
}

} // namespace

bool PrzezPipeWire()
{
    static const bool tak = [] {
        // A driver asked of SDL: PipeWire alone is played here, another or a
        // list is SDL's.
        if (const char* s = std::getenv("SDL_AUDIODRIVER"); s && *s) return ZadanyWSrodowisku();
        return pulse::JestPipeWire() && pulse::ToPipeWire(pulse::Gniazdo()) && Zaladuj();
    }();
    return tak;
}

bool Zaladuj()
{
    return Biblioteka() != nullptr;
}

bool ZadanyWSrodowisku()
{
    const char* s = std::getenv("SDL_AUDIODRIVER");
    if (!s) return false;
    // A list of drivers is left to SDL, which falls back along it; its
    // choice of PipeWire is then played here as well.
    return std::string_view(s) == "pipewire";
}

struct Zdarzenia {
    static void Stan(void* dane, pw_stream_state, pw_stream_state stan, const char* blad)
    {
        auto& s = *static_cast<Strumien*>(dane);
        if (stan == PW_STREAM_STATE_ERROR || stan == PW_STREAM_STATE_UNCONNECTED) {
            if (blad && s.blad_.empty()) s.blad_ = blad;
            s.zatrzymany_.store(true, std::memory_order_release);
        }
        // Linked to a sink and running (a node with no sink stays paused).
        if (stan == PW_STREAM_STATE_STREAMING) s.gotowy_.store(true, std::memory_order_release);
    }

    // In the data thread, every cycle.
    static void Proces(void* dane)
    {
        auto& s = *static_cast<Strumien*>(dane);
        pw_buffer* b = s.f_->pw_stream_dequeue_buffer(s.strumien_);
        if (!b) return;
        spa_data& d = b->buffer->datas[0];
        if (!d.data) {
            s.f_->pw_stream_queue_buffer(s.strumien_, b);
            return;
        }
        std::uint32_t probek = d.maxsize / sizeof(std::int16_t);
        if (b->requested) probek = static_cast<std::uint32_t>(std::min<std::uint64_t>(probek, b->requested));
        const int bajty = static_cast<int>(probek * sizeof(std::int16_t));
        if (s.dostep_.try_lock()) {
            s.wypelnij_(s.dane_, static_cast<unsigned char*>(d.data), bajty);
            s.dostep_.unlock();
        } else
            std::memset(d.data, 0, static_cast<std::size_t>(bajty));
        d.chunk->offset = 0;
        d.chunk->stride = sizeof(std::int16_t);
        d.chunk->size = static_cast<std::uint32_t>(bajty);
        b->size = probek;
        s.cykl_.store(probek, std::memory_order_relaxed);
        s.f_->pw_stream_queue_buffer(s.strumien_, b);
    }

    static constexpr pw_stream_events kZdarzenia = [] {
        pw_stream_events z{};
        z.version = PW_VERSION_STREAM_EVENTS;
        z.state_changed = Stan;
        z.process = Proces;
        return z;
    }();
};

std::unique_ptr<Strumien> Strumien::Otworz(const std::string& program, const std::string& nazwa, int czestotliwosc,
                                           Wypelniacz f, void* dane, std::string& blad)
{
    const Funkcje* pw = Biblioteka();
    if (!pw) {
        blad = "libpipewire-0.3.so.0 cannot be loaded";
        return nullptr;
    }
    std::unique_ptr<Strumien> s(new Strumien);
    s->f_ = pw;
    s->wypelnij_ = f;
    s->dane_ = dane;
    s->petla_ = pw->pw_thread_loop_new("zm-lektor", nullptr);
    if (!s->petla_ || pw->pw_thread_loop_start(s->petla_) < 0) {
        blad = "PipeWire's thread cannot start";
        return nullptr;
    }
    const std::string okres = std::to_string(kOkres) + "/" + std::to_string(czestotliwosc);
    pw->pw_thread_loop_lock(s->petla_);
    pw_properties* w = pw->pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                                             PW_KEY_MEDIA_ROLE, "Game", PW_KEY_APP_NAME, program.c_str(),
                                             PW_KEY_NODE_NAME, program.c_str(), PW_KEY_MEDIA_NAME, nazwa.c_str(),
                                             PW_KEY_NODE_LATENCY, okres.c_str(), nullptr);
    s->strumien_ = pw->pw_stream_new_simple(pw->pw_thread_loop_get_loop(s->petla_), nazwa.c_str(), w,
                                            &Zdarzenia::kZdarzenia, s.get());
    int wynik = -1;
    if (s->strumien_) {
        std::uint8_t miejsce[512];
        spa_pod_builder b{};
        spa_pod_builder_init(&b, miejsce, sizeof miejsce);
        spa_audio_info_raw format{};
        format.format = SPA_AUDIO_FORMAT_S16;
        format.rate = static_cast<std::uint32_t>(czestotliwosc);
        format.channels = 1;
        format.position[0] = SPA_AUDIO_CHANNEL_MONO;
        const spa_pod* parametry[] = {spa_format_audio_raw_build(&b, SPA_PARAM_EnumFormat, &format)};
        wynik = pw->pw_stream_connect(
            s->strumien_, PW_DIRECTION_OUTPUT, PW_ID_ANY,
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                         PW_STREAM_FLAG_RT_PROCESS),
            parametry, 1);
    }
    pw->pw_thread_loop_unlock(s->petla_);
    if (wynik < 0) {
        blad = s->strumien_ ? "no PipeWire server" : "PipeWire's stream cannot be made";
        return nullptr;
    }
    // Running, or the server's refusal, or neither in time (no sink).
    const auto termin = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitPolaczeniaMs);
    while (!s->gotowy_.load(std::memory_order_acquire) && !s->Zatrzymany()) {
        if (std::chrono::steady_clock::now() > termin) {
            blad = "PipeWire did not take the stream in time";
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (s->Zatrzymany()) {
        pw->pw_thread_loop_lock(s->petla_);
        blad = s->blad_.empty() ? "PipeWire closed the stream" : s->blad_;
        pw->pw_thread_loop_unlock(s->petla_);
        return nullptr;
    }
    return s;
}

Strumien::~Strumien()
{
    if (!petla_) return;
    if (strumien_) {
        f_->pw_thread_loop_lock(petla_);
        f_->pw_stream_destroy(strumien_);
        f_->pw_thread_loop_unlock(petla_);
    }
    f_->pw_thread_loop_stop(petla_);
    f_->pw_thread_loop_destroy(petla_);
}

} // namespace zm::pw
