#include "ProcesOdtwarzacz.h"

#include "PlayerProtocol.h"
#include "SdlOdtwarzacz.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zm {

namespace {

using Zegar = std::chrono::steady_clock;

// Set while this thread calls a sentence's `koniec`.
thread_local bool tWKoncu = false;

// One player process and the thread that looks after it.
struct Proces {
    pid_t pid = 0;
    int gniazdo = -1; // our end of the socket, its standard input and output
    int dziecko = -1; // its end, until it has been started
    int budzik = -1;  // wakes the thread
    bool zamkniete = false; // its input has been closed: it ends
    Zegar::time_point ostatnio = Zegar::now(), zamknieteOd;
    int odpowiedzi = 0;

    void Obudz() const
    {
        const std::uint64_t jeden = 1;
        [[maybe_unused]] const ssize_t n = ::write(budzik, &jeden, sizeof jeden);
    }
    // Whole, at once, or not at all.
    bool Wyslij(std::string_view linia) const
    {
        return ::send(gniazdo, linia.data(), linia.size(), MSG_NOSIGNAL | MSG_DONTWAIT) ==
               static_cast<ssize_t>(linia.size());
    }
};

} // namespace

struct ProcesOdtwarzacz::Stan : std::enable_shared_from_this<ProcesOdtwarzacz::Stan> {
    std::mutex m;
    std::condition_variable cv;
    std::string program, nazwa;
    std::shared_ptr<Proces> proces; // the one sentences go to, or null
    std::uint64_t nr = 0;           // a new sentence or Przerwij changes it
    struct Zdanie {
        std::uint64_t nr = 0;
        std::vector<std::string> pliki;
        std::function<void()> koniec;
        Zegar::time_point t0, termin;
        std::optional<Zegar::duration> dlugosc;
        std::shared_ptr<Proces> proces;
    };
    std::optional<Zdanie> zdanie;
    bool koniecWToku = false, konczy = false, domyslny = false;
    bool przygotowany = false; // a drill with the narrator runs
    std::string sterownik;
    int nieudane = 0; // processes in a row that ended without a line
    std::unique_ptr<SdlOdtwarzacz> zapasowy;

    // The sentence being read, taken away: a new one or Przerwij ends it
    // without its `koniec`. Under the lock; the caller lets it go after.
    std::optional<Zdanie> Porzuc()
    {
        ++nr;
        std::optional<Zdanie> z = std::move(zdanie);
        zdanie.reset();
        return z;
    }
    void CzekajNaKoniec(std::unique_lock<std::mutex>& l)
    {
        if (!tWKoncu) cv.wait(l, [&] { return !koniecWToku; });
    }
    void Zapasowy(const std::string& dlaczego)
    {
        if (zapasowy) return;
        std::fprintf(stderr, "%s: lektor czyta w programie, nie w osobnym procesie (%s).\n", nazwa.c_str(),
                     dlaczego.c_str());
        zapasowy = std::make_unique<SdlOdtwarzacz>(nazwa);
    }
    // Calls the sentence's `koniec` without the lock.
    void Zakoncz(std::unique_lock<std::mutex>& l)
    {
        Zdanie z = std::move(*zdanie);
        zdanie.reset();
        koniecWToku = true;
        l.unlock();
        tWKoncu = true;
        z.koniec();
        z = {};
        tWKoncu = false;
        l.lock();
        koniecWToku = false;
        cv.notify_all();
    }
    // A new process for sentences, its thread started; null when none can be.
    std::shared_ptr<Proces> Nowy();
    void Obsluz(const std::shared_ptr<Proces>& p);
    // 0, or why the process could not be started.
    int Uruchom(Proces& p);
    void Odpowiedz(std::unique_lock<std::mutex>& l, Proces& p, std::string_view linia);
};

std::shared_ptr<Proces> ProcesOdtwarzacz::Stan::Nowy()
{
    auto p = std::make_shared<Proces>();
    int s[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s) != 0) return nullptr;
    p->gniazdo = s[0];
    p->dziecko = s[1];
    p->budzik = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    try {
        if (p->budzik < 0) throw std::system_error(errno, std::generic_category());
        // It starts the process itself: the process ends with the thread
        // that started it (PR_SET_PDEATHSIG), and this one lives as long.
        std::thread([s = shared_from_this(), p] { s->Obsluz(p); }).detach();
    } catch (const std::system_error&) {
        for (int fd : {p->gniazdo, p->dziecko, p->budzik})
            if (fd >= 0) ::close(fd);
        return nullptr;
    }
    return p;
}

int ProcesOdtwarzacz::Stan::Uruchom(Proces& p)
{
    posix_spawn_file_actions_t akcje;
    posix_spawnattr_t atrybuty;
    posix_spawn_file_actions_init(&akcje);
    posix_spawn_file_actions_adddup2(&akcje, p.dziecko, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&akcje, p.dziecko, STDOUT_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&akcje, STDERR_FILENO + 1);
    posix_spawnattr_init(&atrybuty);
    sigset_t zadne, domyslne;
    sigemptyset(&zadne);
    sigemptyset(&domyslne);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) sigaddset(&domyslne, s);
    posix_spawnattr_setsigmask(&atrybuty, &zadne);
    posix_spawnattr_setsigdefault(&atrybuty, &domyslne);
    posix_spawnattr_setflags(&atrybuty, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const std::string rodzic = std::to_string(::getpid());
    char* argumenty[] = {program.data(), nazwa.data(), const_cast<char*>(rodzic.c_str()), nullptr};
    pid_t pid = 0;
    const int blad = ::posix_spawn(&pid, program.c_str(), &akcje, &atrybuty, argumenty, environ);
    posix_spawn_file_actions_destroy(&akcje);
    posix_spawnattr_destroy(&atrybuty);
    ::close(p.dziecko);
    p.dziecko = -1;
    std::lock_guard l(m);
    if (blad != 0) return blad;
    p.pid = pid;
    if (konczy) ::kill(pid, SIGTERM);
    return 0;
}

void ProcesOdtwarzacz::Stan::Odpowiedz(std::unique_lock<std::mutex>& l, Proces& p, std::string_view linia)
{
    const auto o = lektor::CzytajOdpowiedz(linia);
    if (!o) return;
    ++p.odpowiedzi;
    p.ostatnio = Zegar::now();
    const bool nasze = zdanie && zdanie->nr == o->nr && zdanie->proces.get() == &p;
    if (!o->koniec) {
        if (nasze) {
            zdanie->dlugosc = std::chrono::milliseconds(o->ms);
            zdanie->termin = zdanie->t0 + *zdanie->dlugosc + kZapas;
        }
        return;
    }
    // A late end of an interrupted sentence tells nothing of the last one.
    if (!nasze) return;
    domyslny = o->domyslny;
    sterownik = o->sterownik;
    Zakoncz(l);
}

void ProcesOdtwarzacz::Stan::Obsluz(const std::shared_ptr<Proces>& p)
{
    const int blad = Uruchom(*p);
    const bool uruchomiony = blad == 0;
    std::unique_lock l(m);
    std::string bufor;
    bool zabity = false;
    while (uruchomiony) {
        const auto teraz = Zegar::now();
        const bool nasze = zdanie && zdanie->proces == p;
        Zegar::time_point termin = p->zamkniete                ? p->zamknieteOd + kLimitZakonczenia
                                   : nasze                     ? zdanie->termin
                                   : przygotowany && proces == p ? teraz + std::chrono::hours(1)
                                                                 : p->ostatnio + SdlOdtwarzacz::kBezczynnosc;
        if (teraz >= termin) {
            if (p->zamkniete || nasze) {
                // It does not answer, or does not end: the sentence goes on
                // in silence, the next one in a new process.
                if (!zabity) ::kill(p->pid, SIGKILL);
                zabity = true;
                if (proces == p) proces = nullptr;
                termin = teraz + kLimitZakonczenia;
            } else {
                // At rest: its input ends, and so does it.
                p->zamkniete = true;
                p->zamknieteOd = teraz;
                ::shutdown(p->gniazdo, SHUT_WR);
                if (proces == p) proces = nullptr;
                continue;
            }
        }
        l.unlock();
        pollfd pf[2] = {{p->gniazdo, POLLIN, 0}, {p->budzik, POLLIN, 0}};
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(termin - Zegar::now()).count();
        ::poll(pf, 2, static_cast<int>(std::max<long long>(0, ms)));
        std::uint64_t pobudki;
        [[maybe_unused]] const ssize_t b = ::read(p->budzik, &pobudki, sizeof pobudki);
        char kawalek[1024];
        ssize_t n = -1;
        int bladOdczytu = 0; // before a sentence's `koniec` may change errno
        if (pf[0].revents != 0) {
            n = ::read(p->gniazdo, kawalek, sizeof kawalek);
            bladOdczytu = errno;
            if (n > 0) bufor.append(kawalek, static_cast<std::size_t>(n));
        }
        l.lock();
        for (std::size_t k; (k = bufor.find('\n')) != std::string::npos; bufor.erase(0, k + 1))
            Odpowiedz(l, *p, std::string_view(bufor).substr(0, k));
        if (pf[0].revents != 0 && n <= 0 && !(n < 0 && (bladOdczytu == EINTR || bladOdczytu == EAGAIN))) break; // it has ended
    }
    if (proces == p) proces = nullptr;
    l.unlock();
    if (uruchomiony) {
        if (!zabity) ::kill(p->pid, SIGKILL); // its socket closed: it has ended, or is about to
        ::waitpid(p->pid, nullptr, 0);
    }
    ::close(p->gniazdo);
    ::close(p->budzik);
    // At rest the freed heap of every thread's arena goes back to the system,
    // this thread's own included.
    if (p->zamkniete) ::malloc_trim(0);
    l.lock();
    if (!p->zamkniete && !konczy) {
        // Two processes in a row that never answered: the program cannot
        // run here (an error of the dynamic linker, a broken file).
        nieudane = p->odpowiedzi > 0 ? 0 : nieudane + 1;
        if (!uruchomiony || nieudane >= 2)
            Zapasowy(uruchomiony ? "jego procesy kończą się bez słowa" : program + ": " + std::strerror(blad));
    }
    if (!zdanie || zdanie->proces != p || konczy) return;
    // A sentence it did not end passes in silence for its own length.
    if (!zdanie->dlugosc) {
        const std::vector<std::string> pliki = zdanie->pliki;
        const std::uint64_t moj = zdanie->nr;
        l.unlock();
        const auto dlugosc = SdlOdtwarzacz::DlugoscZdania(pliki);
        l.lock();
        if (!zdanie || zdanie->nr != moj) return;
        zdanie->dlugosc = dlugosc;
    }
    const std::uint64_t moj = zdanie->nr;
    auto przerwane = [&] { return nr != moj || konczy; };
    cv.wait_until(l, zdanie->t0 + *zdanie->dlugosc, przerwane);
    if (!przerwane() && zdanie && zdanie->nr == moj) Zakoncz(l);
}

ProcesOdtwarzacz::ProcesOdtwarzacz(std::string program, std::string nazwaProgramu) : stan_(std::make_shared<Stan>())
{
    stan_->program = std::move(program);
    stan_->nazwa = std::move(nazwaProgramu);
    if (::access(stan_->program.c_str(), X_OK) != 0) stan_->Zapasowy(stan_->program + ": " + std::strerror(errno));
}

ProcesOdtwarzacz::~ProcesOdtwarzacz()
{
    std::optional<Stan::Zdanie> porzucone;
    std::unique_lock l(stan_->m);
    stan_->konczy = true;
    porzucone = stan_->Porzuc();
    // Its stream goes at once; the threads end with their processes.
    if (stan_->proces) {
        if (stan_->proces->pid > 0) ::kill(stan_->proces->pid, SIGTERM);
        stan_->proces->Obudz();
        stan_->proces = nullptr;
    }
    stan_->cv.notify_all();
    stan_->CzekajNaKoniec(l);
    std::unique_ptr<SdlOdtwarzacz> zapasowy = std::move(stan_->zapasowy);
    l.unlock();
}

void ProcesOdtwarzacz::Czytaj(std::vector<std::string> pliki, std::function<void()> koniec)
{
    SdlOdtwarzacz* zapasowy = nullptr;
    {
        std::optional<Stan::Zdanie> porzucone;
        std::unique_lock l(stan_->m);
        porzucone = stan_->Porzuc();
        stan_->CzekajNaKoniec(l);
        if (!stan_->zapasowy && !stan_->proces) {
            if (!(stan_->proces = stan_->Nowy()))
                stan_->Zapasowy(std::strerror(errno));
            else if (stan_->przygotowany)
                stan_->proces->Wyslij(lektor::kPrzygotuj);
        }
        zapasowy = stan_->zapasowy.get();
        if (!zapasowy) {
            Proces& p = *stan_->proces;
            const auto teraz = Zegar::now();
            // A process that cannot take it is killed; its thread then lets
            // the sentence pass in silence.
            if (!p.Wyslij(lektor::Zdanie(stan_->nr, pliki)) && p.pid > 0) ::kill(p.pid, SIGKILL);
            p.ostatnio = teraz;
            p.Obudz();
            stan_->zdanie.emplace(Stan::Zdanie{stan_->nr, std::move(pliki), std::move(koniec), teraz,
                                               teraz + kLimitDlugosci, std::nullopt, stan_->proces});
            return;
        }
    }
    zapasowy->Czytaj(std::move(pliki), std::move(koniec));
}

void ProcesOdtwarzacz::Przerwij()
{
    SdlOdtwarzacz* zapasowy = nullptr;
    {
        std::optional<Stan::Zdanie> porzucone;
        std::unique_lock l(stan_->m);
        porzucone = stan_->Porzuc();
        if (porzucone && porzucone->proces == stan_->proces && stan_->proces) {
            stan_->proces->Wyslij(lektor::kPrzerwij);
            stan_->proces->ostatnio = Zegar::now();
            stan_->proces->Obudz();
        }
        stan_->cv.notify_all();
        stan_->CzekajNaKoniec(l);
        zapasowy = stan_->zapasowy.get();
    }
    if (zapasowy) zapasowy->Przerwij();
}

void ProcesOdtwarzacz::Przygotuj(bool tak)
{
    std::lock_guard l(stan_->m);
    if (stan_->zapasowy || stan_->konczy) return;
    stan_->przygotowany = tak;
    if (tak && !stan_->proces && !(stan_->proces = stan_->Nowy())) return; // the first sentence tries again
    if (!stan_->proces) return;
    if (tak) stan_->proces->Wyslij(lektor::kPrzygotuj);
    stan_->proces->ostatnio = Zegar::now();
    stan_->proces->Obudz();
}

bool ProcesOdtwarzacz::OstatnioDomyslny() const
{
    std::unique_lock l(stan_->m);
    if (stan_->zapasowy) {
        l.unlock();
        return stan_->zapasowy->OstatnioDomyslny();
    }
    return stan_->domyslny;
}

std::string ProcesOdtwarzacz::Sterownik() const
{
    std::unique_lock l(stan_->m);
    if (stan_->zapasowy) {
        l.unlock();
        return stan_->zapasowy->Sterownik();
    }
    return stan_->sterownik;
}

int ProcesOdtwarzacz::Pid() const
{
    std::lock_guard l(stan_->m);
    return stan_->proces ? stan_->proces->pid : 0;
}

std::string ProcesOdtwarzacz::ProgramObok()
{
    char sciezka[4096];
    const ssize_t n = ::readlink("/proc/self/exe", sciezka, sizeof sciezka - 1);
    std::string katalog = n > 0 ? std::string(sciezka, static_cast<std::size_t>(n)) : std::string();
    katalog.erase(katalog.rfind('/') + 1);
    return katalog + ZM_PROGRAM_LEKTORA;
}

} // namespace zm
