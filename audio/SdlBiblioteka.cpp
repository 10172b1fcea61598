#include "SdlBiblioteka.h"

#include <dlfcn.h>

#include <type_traits>

namespace zm::sdl {

namespace {

// ALSA's library reports every device it fails to open on the terminal; the
// player says once, in one line, that it plays silently instead.
extern "C" void CichyAlsa(const char*, int, const char*, int, const char*, ...) {}

struct Biblioteka {
    std::mutex m;
    void* sdl = nullptr;
    void* alsa = nullptr;
    Sdl funkcje;
    int trzymajacy = 0;
};

// Never destroyed: a device thread held up by the sound server may outlive
// the program's static objects.
Biblioteka& Stan()
{
    static auto* b = new Biblioteka;
    return *b;
}

void Wyladuj(Biblioteka& b)
{
    // ALSA's library keeps the configuration it read until it is told to
    // free it: unloaded without that, each reading would leave it behind.
    if (b.alsa)
        if (auto zwolnij = reinterpret_cast<int (*)()>(::dlsym(b.alsa, "snd_config_update_free_global"))) zwolnij();
    if (b.alsa) ::dlclose(b.alsa);
    if (b.sdl) ::dlclose(b.sdl);
    b.alsa = b.sdl = nullptr;
    b.funkcje = {};
}

} // namespace

const Sdl* Sdl::Zaladuj()
{
    Biblioteka& b = Stan();
    std::lock_guard l(b.m);
    if (!b.sdl) {
        b.sdl = ::dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!b.sdl) return nullptr;
        auto wez = [&b](auto& wsk, const char* nazwa) {
            wsk = reinterpret_cast<std::remove_reference_t<decltype(wsk)>>(::dlsym(b.sdl, nazwa));
        };
#define ZM_WEZ(f) wez(b.funkcje.f, "SDL_" #f);
        ZM_SDL_FUNKCJE(ZM_WEZ)
#undef ZM_WEZ
#define ZM_JEST(f) &&b.funkcje.f
        const bool pelny = true ZM_SDL_FUNKCJE(ZM_JEST);
#undef ZM_JEST
        if (!pelny) {
            Wyladuj(b);
            return nullptr;
        }
        // SDL brings in ALSA's library; its handler lives as long as it.
        b.alsa = ::dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
        using Obsluga = void (*)(const char*, int, const char*, int, const char*, ...);
        if (auto ustaw = b.alsa ? reinterpret_cast<int (*)(Obsluga)>(::dlsym(b.alsa, "snd_lib_error_set_handler"))
                                : nullptr)
            ustaw(CichyAlsa);
    }
    ++b.trzymajacy;
    return &b.funkcje;
}

void Sdl::Zwolnij()
{
    Biblioteka& b = Stan();
    std::lock_guard l(b.m);
    if (b.trzymajacy == 0 || --b.trzymajacy > 0) return;
    // Nobody holds it: no SDL call is under way.
    b.funkcje.Quit();
    Wyladuj(b);
}

std::mutex& PodsystemSdl()
{
    static std::mutex m;
    return m;
}

} // namespace zm::sdl
