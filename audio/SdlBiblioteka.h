// SDL2 as the sound player uses it: the library, opened when a sentence is
// read and not with the program (it brings in some fifty libraries, the
// sound servers' clients among them, that start-up need not wait for) and
// unloaded again when no player's device thread holds it, and the way every
// SDL call of the device thread is made.
#pragma once

#include "SdlOdtwarzacz.h"

#include <SDL.h>

#include <mutex>

namespace zm::sdl {

// The SDL functions the player needs, each named once.
#define ZM_SDL_FUNKCJE(X)                                                                                               \
    X(InitSubSystem) X(QuitSubSystem) X(OpenAudioDevice) X(CloseAudioDevice) X(GetCurrentAudioDriver)                  \
    X(PauseAudioDevice) X(SetHint) X(GetAudioDeviceStatus) X(GetError) X(LockAudioDevice) X(UnlockAudioDevice) X(Quit)

struct Sdl {
#define ZM_POLE(f) decltype(&SDL_##f) f = nullptr;
    ZM_SDL_FUNKCJE(ZM_POLE)
#undef ZM_POLE

    // The library with every needed function, loaded if need be, or null.
    // Each call that returns it takes a hold on it, given back by Zwolnij.
    static const Sdl* Zaladuj();
    // Gives back a hold; the last one shuts SDL down and unloads it, with
    // the sound servers' clients it brought in.
    static void Zwolnij();
};

// SDL's audio subsystem is one for the process: a device thread left behind
// by an earlier player must not start or stop it at the same time as the
// current one.
std::mutex& PodsystemSdl();

// Every SDL call of the device thread goes through here, so that a test can
// stand in for a call that the sound server holds up.
template <class F, class... A>
auto Wolaj(const char* nazwa, F f, A... a)
{
    if (auto przed = SdlOdtwarzacz::przedWywolaniemSdl.load()) przed(nazwa);
    return f(a...);
}

} // namespace zm::sdl

#define ZM_SDL(f, ...) ::zm::sdl::Wolaj(#f, sdl->f __VA_OPT__(, ) __VA_ARGS__)
