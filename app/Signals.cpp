#include "Signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace zm {

namespace {

int gPotok[2] = {-1, -1};
volatile std::sig_atomic_t gSygnal = 0;

extern "C" void NaSygnal(int numer)
{
    gSygnal = numer;
    const unsigned char b = static_cast<unsigned char>(numer);
    [[maybe_unused]] const ssize_t n = ::write(gPotok[1], &b, 1);
}

} // namespace

void ZakonczNaSygnal()
{
    if (::pipe2(gPotok, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* powiadamiacz = new QSocketNotifier(gPotok[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(powiadamiacz, &QSocketNotifier::activated, [] {
        unsigned char b = 0;
        while (::read(gPotok[0], &b, 1) == 1) {
        }
        QCoreApplication::exit(128 + gSygnal);
    });
    struct sigaction sa {};
    sa.sa_handler = NaSygnal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &sa, nullptr);
}

int OtrzymanySygnal() { return gSygnal; }

} // namespace zm
