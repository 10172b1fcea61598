// The narrator's player in a process of its own (ZM_PROGRAM_LEKTORA): the
// program starts it for its readings and ends it at rest, so that SDL and the
// sound servers' clients it loads (PulseAudio's stay mapped once loaded) go
// with it. It plays through SdlOdtwarzacz and speaks PlayerProtocol.h on its
// standard input and output, which are one socket.
//   zoltava-mnozenia-lektor <name-in-the-mixer> <parent's-pid>
// Asked to get ready (a drill with the narrator runs), it keeps SDL loaded
// until it ends. It ends when its input ends, when the program that started it is gone, and
// at SIGTERM at once (the stream on the sound server goes with the process).
#include "PlayerProtocol.h"
#include "PwStrumien.h"
#include "SdlBiblioteka.h"
#include "SdlOdtwarzacz.h"

#include <cerrno>
#include <dlfcn.h>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

std::mutex gWyjscieM;

void Napisz(const std::string& linia)
{
    std::lock_guard l(gWyjscieM);
    for (std::size_t zapisane = 0; zapisane < linia.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, linia.data() + zapisane, linia.size() - zapisane);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return; // the program is gone: its end of the socket too
        zapisane += static_cast<std::size_t>(n);
    }
}

// Loads SDL, and the sound server's client library its driver will load,
// held until the process ends: the first word then waits only for the device.
// PipeWire, asked for or behind the PulseAudio server, is played without SDL
// (PwStrumien.h).
void Przygotuj()
{
    if (zm::pw::PrzezPipeWire()) {
        zm::pw::Zaladuj();
        return;
    }
    zm::sdl::Sdl::Zaladuj();
    const char* s = std::getenv("SDL_AUDIODRIVER");
    if (!s || !*s || std::string_view(s).find("pulse") != std::string_view::npos)
        ::dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
}

} // namespace

int main(int argc, char** argv)
{
    // What the program's thread had blocked or ignored does not hold here.
    sigset_t wszystkie;
    sigemptyset(&wszystkie);
    ::sigprocmask(SIG_SETMASK, &wszystkie, nullptr);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) std::signal(s, SIG_DFL);
    std::signal(SIGPIPE, SIG_IGN);
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (argc < 3 || ::getppid() != static_cast<pid_t>(std::atoll(argv[2]))) return 2; // started by hand, or orphaned

    std::optional<zm::SdlOdtwarzacz> odtwarzacz(std::in_place, argv[1]);
    bool przygotowany = false;
    std::string bufor;
    char kawalek[4096];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, kawalek, sizeof kawalek);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        bufor.append(kawalek, static_cast<std::size_t>(n));
        for (std::size_t k; (k = bufor.find('\n')) != std::string::npos; bufor.erase(0, k + 1)) {
            const auto p = zm::lektor::CzytajPolecenie(std::string_view(bufor).substr(0, k));
            if (!p) continue;
            if (p->przerwij) {
                odtwarzacz->Przerwij();
                continue;
            }
            if (p->przygotuj) {
                if (!przygotowany) Przygotuj();
                przygotowany = true;
                continue;
            }
            // Its length, for the program to wait no longer than that should
            // this process stop answering.
            const auto dlugosc = zm::SdlOdtwarzacz::DlugoscZdania(p->pliki);
            Napisz(zm::lektor::Dlugosc(p->nr, std::chrono::duration_cast<std::chrono::milliseconds>(dlugosc).count()));
            zm::SdlOdtwarzacz& o = *odtwarzacz;
            odtwarzacz->Czytaj(p->pliki, [&o, nr = p->nr] {
                Napisz(zm::lektor::Koniec(nr, o.OstatnioDomyslny(), o.Sterownik()));
            });
        }
    }
    // The device is closed now; a device thread held up by the sound server
    // is not waited for.
    odtwarzacz.reset();
    ::_exit(0);
}
