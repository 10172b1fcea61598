#include "Signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <mutex>
#include <semaphore.h>
#include <thread>
#include <unistd.h>

namespace zm {

namespace {

int gPotok[2] = {-1, -1};
volatile std::sig_atomic_t gSygnal = 0;
sem_t gStraz;
std::mutex gRatunekM;
// Never destroyed: the guard may need it while the program ends.
auto* gRatunek = new std::function<void()>;

extern "C" void NaSygnal(int numer)
{
    gSygnal = numer;
    const unsigned char b = static_cast<unsigned char>(numer);
    [[maybe_unused]] const ssize_t n = ::write(gPotok[1], &b, 1);
    ::sem_post(&gStraz);
}

// The second line: needs no event loop. Waits for a signal, gives the
// ordinary end its time, then saves what it can and ends the process.
void Straz()
{
    while (::sem_wait(&gStraz) != 0) {
    }
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_until(t0 + std::chrono::milliseconds(kKoniecPoSygnaleMs - 50));
    std::function<void()> ratunek;
    {
        std::lock_guard l(gRatunekM);
        ratunek = *gRatunek;
    }
    if (ratunek) {
        // On a thread of its own: a folder that does not answer cannot
        // hold the end either.
        auto gotowe = std::make_shared<std::promise<void>>();
        auto f = gotowe->get_future();
        std::thread([ratunek, gotowe] {
            ratunek();
            gotowe->set_value();
        }).detach();
        f.wait_until(t0 + std::chrono::milliseconds(kKoniecPoSygnaleMs));
    }
    std::fprintf(stderr, "Zoltava mnożenia: ended %d ms after signal %d\n", kKoniecPoSygnaleMs, int(gSygnal));
    std::fflush(stderr);
    ::_exit(128 + gSygnal);
}

} // namespace

void ZakonczNaSygnal()
{
    if (::pipe2(gPotok, O_CLOEXEC | O_NONBLOCK) != 0) return;
    if (::sem_init(&gStraz, 0, 0) != 0) return;
    auto* powiadamiacz = new QSocketNotifier(gPotok[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(powiadamiacz, &QSocketNotifier::activated, [] {
        unsigned char b = 0;
        while (::read(gPotok[0], &b, 1) == 1) {
        }
        QCoreApplication::exit(128 + gSygnal);
    });
    // Signals go to the window's thread, not to the guard.
    sigset_t wszystkie, dotad;
    sigfillset(&wszystkie);
    pthread_sigmask(SIG_BLOCK, &wszystkie, &dotad);
    std::thread(Straz).detach();
    pthread_sigmask(SIG_SETMASK, &dotad, nullptr);
    struct sigaction sa {};
    sa.sa_handler = NaSygnal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &sa, nullptr);
}

void UstawRatunek(std::function<void()> ratunek)
{
    std::lock_guard l(gRatunekM);
    *gRatunek = std::move(ratunek);
}

int OtrzymanySygnal() { return gSygnal; }

} // namespace zm
