#include "SdlBiblioteka.h"

#include <dlfcn.h>

#include <type_traits>

namespace zm::sdl {

const Sdl* Sdl::Zaladuj()
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

namespace {
extern "C" void CichyAlsa(const char*, int, const char*, int, const char*, ...) {}
} // namespace

void UciszAlsa()
{
    void* h = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!h) return;
    using Obsluga = void (*)(const char*, int, const char*, int, const char*, ...);
    if (auto ustaw = reinterpret_cast<int (*)(Obsluga)>(dlsym(h, "snd_lib_error_set_handler"))) ustaw(CichyAlsa);
}

std::mutex& PodsystemSdl()
{
    static std::mutex m;
    return m;
}

} // namespace zm::sdl
