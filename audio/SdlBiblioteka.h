// SDL2 as the sound player uses it: the library, opened when the first
// sentence is read and not with the program (its sound back-ends bring in
// some thirty libraries that start-up need not wait for), and the way every
// SDL call of the device thread is made.
#pragma once

#include "SdlOdtwarzacz.h"

#include <SDL.h>

#include <mutex>

namespace zm::sdl {

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
    static const Sdl* Zaladuj();
};

// ALSA's library reports every device it fails to open on the terminal; the
// player says once, in one line, that it plays silently instead.
void UciszAlsa();

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
