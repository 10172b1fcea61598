// Start-up beside the floor, in one interleaved run on an X server of the
// benchmark's own (Xvfb, never the user's screen): the program with no
// journal, with 10,000 and with 1,000,000 drills, the minimal Qt window
// (the floor) and the minimal window with one label. For each: the time
// from process start to the window's map (seen on the X server) and to its
// first painted frame (Qt's own painting log), warm and cold (the page
// cache of every file the program maps or reads dropped first); the
// resident and proportional memory once the program is idle; the CPU the
// journal's thread spent after start; the time from SIGTERM to the end of
// the process, once idle (median) and 100 ms after the first frame, while
// the journal may still be at work (worst). With two children in the
// 10,000 drills' journal the child picker opens at start: its first frame
// is the one awaited. Each run ends with SIGTERM, so
// the next start follows a clean end. Every program runs with a home and data
// folders of the benchmark's own.
//   zm_bench_startup <journals-folder> [warm-runs] [cold-runs] [program=name...]
// The folder holds drills-10000.sqlite and drills-1000000.sqlite
// (zm_bench_results makes them). Other builds of the program (an earlier
// version, say) may be given to run in the same interleaving; by default
// the program built beside the benchmark.
#include <sqlite3.h>
#include <xcb/xcb.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Zegar = std::chrono::steady_clock;

namespace {

constexpr const char* kKlatkaOkna = "Flushing QRegion(0,0 682x485) of";

struct Program {
    std::string nazwa, sciezka, argument, dane; // dane: the private home, or empty
    std::string klatka = kKlatkaOkna;           // the painting log's line of the first frame awaited
};

struct Pomiar {
    double mapa = -1, klatka = -1; // ms from the start
    double rssKiB = -1, pssKiB = -1;
    double cpuDziennikaMs = 0, cpuMs = 0;
    double koniec = -1; // ms from SIGTERM to the end of the process
};

double ms(Zegar::time_point t0) { return std::chrono::duration<double, std::milli>(Zegar::now() - t0).count(); }

std::string czytaj(const std::string& plik)
{
    std::ifstream f(plik);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

long poleSmaps(pid_t pid, const char* pole)
{
    std::istringstream s(czytaj("/proc/" + std::to_string(pid) + "/smaps_rollup"));
    std::string linia;
    while (std::getline(s, linia))
        if (linia.rfind(pole, 0) == 0) return std::strtol(linia.c_str() + std::strlen(pole), nullptr, 10);
    return -1;
}

// CPU time of the process, and of its threads whose name starts with
// `watek`, in ms.
std::pair<double, double> czasCpu(pid_t pid, const char* watek)
{
    double wszystko = 0, dziennik = 0;
    const std::string zadania = "/proc/" + std::to_string(pid) + "/task";
    std::error_code e;
    for (const auto& t : fs::directory_iterator(zadania, e)) {
        const double ns = std::strtod(czytaj(t.path().string() + "/schedstat").c_str(), nullptr);
        wszystko += ns / 1e6;
        if (czytaj(t.path().string() + "/comm").rfind(watek, 0) == 0) dziennik += ns / 1e6;
    }
    return {wszystko, dziennik};
}

// Every file the process maps (libraries, fonts, caches).
std::set<std::string> mapowane(pid_t pid)
{
    std::set<std::string> pliki;
    std::istringstream s(czytaj("/proc/" + std::to_string(pid) + "/maps"));
    std::string linia;
    while (std::getline(s, linia)) {
        const auto p = linia.find('/');
        if (p != std::string::npos && linia.find("(deleted)") == std::string::npos) pliki.insert(linia.substr(p));
    }
    return pliki;
}

void wyrzucZPamieci(const std::set<std::string>& pliki)
{
    for (const std::string& p : pliki) {
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void dodajDrzewo(std::set<std::string>& pliki, const fs::path& folder)
{
    std::error_code e;
    for (const auto& p : fs::recursive_directory_iterator(folder, e))
        if (p.is_regular_file()) pliki.insert(p.path().string());
}

class SerwerX {
public:
    SerwerX()
    {
        for (int proba = 0; proba < 3 && ekran_.empty(); ++proba) uruchom();
        if (ekran_.empty()) return;
        polaczenie_ = xcb_connect(ekran_.c_str(), nullptr);
        if (xcb_connection_has_error(polaczenie_)) {
            ekran_.clear();
            return;
        }
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(polaczenie_)).data->root;
        const std::uint32_t maska = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(polaczenie_, root, XCB_CW_EVENT_MASK, &maska);
        xcb_flush(polaczenie_);
    }
    ~SerwerX()
    {
        if (polaczenie_) xcb_disconnect(polaczenie_);
        zatrzymaj();
    }
    const std::string& Ekran() const { return ekran_; }
    int Deskryptor() const { return xcb_get_file_descriptor(polaczenie_); }
    // Whether a top-level window was mapped since the last call.
    bool Zmapowano()
    {
        bool jest = false;
        while (xcb_generic_event_t* z = xcb_poll_for_event(polaczenie_)) {
            if ((z->response_type & 0x7F) == XCB_MAP_NOTIFY &&
                !reinterpret_cast<xcb_map_notify_event_t*>(z)->override_redirect)
                jest = true;
            std::free(z);
        }
        return jest;
    }

private:
    void zatrzymaj()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    void uruchom()
    {
        zatrzymaj();
        int rura[2];
        if (::pipe(rura) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM); // gone with the benchmark
            ::close(rura[0]);
            const int nul = ::open("/dev/null", O_WRONLY);
            ::dup2(nul, 1);
            ::dup2(nul, 2);
            const std::string fd = std::to_string(rura[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(rura[1]);
        // The display's number, once the server listens (slow on a busy
        // machine).
        std::string bufor;
        char blok[32];
        pollfd p{rura[0], POLLIN, 0};
        while (bufor.find('\n') == std::string::npos && ::poll(&p, 1, 30000) == 1) {
            const ssize_t n = ::read(rura[0], blok, sizeof blok);
            if (n <= 0) break;
            bufor.append(blok, static_cast<std::size_t>(n));
        }
        ::close(rura[0]);
        if (bufor.find('\n') != std::string::npos) ekran_ = ":" + bufor.substr(0, bufor.find('\n'));
    }

    pid_t pid_ = -1;
    std::string ekran_;
    xcb_connection_t* polaczenie_ = nullptr;
};

// `odRazu`: SIGTERM 100 ms after the first frame (while the journal may
// still be opening or checking its file) instead of once idle.
Pomiar zmierz(const Program& program, SerwerX* x, std::set<std::string>* pliki, bool odRazu = false)
{
    int rura[2];
    if (::pipe(rura) != 0) return {};
    if (x) x->Zmapowano();
    const auto t0 = Zegar::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::dup2(rura[1], 2);
        ::close(rura[0]);
        ::setenv("QT_LOGGING_RULES", "qt.widgets.painting=true", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (x) {
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
            ::setenv("DISPLAY", x->Ekran().c_str(), 1);
        } else {
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        ::unsetenv("SESSION_MANAGER");
        if (!program.dane.empty()) {
            ::setenv("HOME", program.dane.c_str(), 1);
            for (const char* z : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
                ::setenv(z, (program.dane + "/" + z).c_str(), 1);
            ::setenv("XDG_RUNTIME_DIR", (program.dane + "/runtime").c_str(), 1);
        }
        if (program.argument.empty())
            ::execl(program.sciezka.c_str(), program.sciezka.c_str(), static_cast<char*>(nullptr));
        else
            ::execl(program.sciezka.c_str(), program.sciezka.c_str(), program.argument.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(rura[1]);
    Pomiar p;
    std::string bufor;
    char blok[4096];
    while (p.klatka < 0 || (x && p.mapa < 0)) {
        pollfd fds[2] = {{rura[0], POLLIN, 0}, {x ? x->Deskryptor() : -1, POLLIN, 0}};
        if (::poll(fds, x ? 2 : 1, 10000) <= 0) break;
        if (x && p.mapa < 0 && x->Zmapowano()) p.mapa = ms(t0);
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            const ssize_t n = ::read(rura[0], blok, sizeof blok);
            if (n <= 0) break;
            bufor.append(blok, static_cast<std::size_t>(n));
            if (p.klatka < 0 && bufor.find(program.klatka) != std::string::npos) p.klatka = ms(t0);
            if (bufor.size() > (1 << 20)) bufor.erase(0, bufor.size() - 4096);
        }
    }
    // Idle: the journal has opened its file (and checked it, if it had a
    // reason) and nothing runs any more.
    std::thread odbior([fd = rura[0]] {
        char b[4096];
        while (::read(fd, b, sizeof b) > 0) {
        }
    });
    double poprzedni = -1;
    for (int i = odRazu ? 600 : 0; i < 600; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(i < 10 ? 100 : 200));
        const auto [cpu, dziennik] = czasCpu(pid, "Dziennik");
        p.cpuMs = cpu;
        p.cpuDziennikaMs = dziennik;
        if (i >= 10 && cpu - poprzedni < 1.0) break;
        poprzedni = cpu;
    }
    if (odRazu) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } else {
        p.rssKiB = static_cast<double>(poleSmaps(pid, "Rss:"));
        p.pssKiB = static_cast<double>(poleSmaps(pid, "Pss:"));
    }
    if (pliki) *pliki = mapowane(pid);
    const auto sygnal = Zegar::now();
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    p.koniec = ms(sygnal);
    odbior.join();
    ::close(rura[0]);
    return p;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: zm_bench_startup <journals-folder> [program] [warm-runs] [cold-runs]\n");
        return 2;
    }
    const fs::path dzienniki = argv[1];
    const int ileCieplych = argc > 2 ? std::atoi(argv[2]) : 7, ileZimnych = argc > 3 ? std::atoi(argv[3]) : 5;
    std::vector<std::pair<std::string, std::string>> wersje; // name, path
    for (int i = 4; i < argc; ++i) {
        const std::string a = argv[i];
        const auto r = a.find('=');
        wersje.emplace_back(r == std::string::npos ? a : a.substr(r + 1), a.substr(0, r));
    }
    if (wersje.empty()) wersje.emplace_back("Zoltava mnożenia", ZM_BENCH_PROGRAM);
    char wzor[] = "/tmp/zm-bench-startup-XXXXXX";
    const fs::path tmp = ::mkdtemp(wzor);

    std::vector<Program> programy;
    // A home of the program's own; the data folder, where its journal goes.
    const auto nowyDom = [&](fs::path& dom) {
        dom = tmp / (std::string("dom-") + std::to_string(programy.size()));
        const fs::path folder = dom / "XDG_DATA_HOME" / "Quorvin" / "Zoltava mnożenia";
        fs::create_directories(folder);
        fs::create_directories(dom / "runtime");
        fs::permissions(dom / "runtime", fs::perms::owner_all);
        return folder;
    };
    const std::pair<const char*, const char*> rozmiary[] = {
        {"no journal", nullptr}, {"10,000 drills", "drills-10000.sqlite"}, {"1,000,000 drills", "drills-1000000.sqlite"}};
    for (const auto& [wersja, sciezka] : wersje)
    for (const auto& [nazwa, plik] : rozmiary) {
        fs::path dom;
        const fs::path folder = nowyDom(dom);
        if (plik) {
            std::error_code e;
            fs::copy_file(dzienniki / plik, folder / "wyniki.sqlite", e);
            if (e) {
                std::fprintf(stderr, "no journal %s: %s\n", (dzienniki / plik).c_str(), e.message().c_str());
                return 1;
            }
        }
        programy.push_back({wersja + ", " + nazwa, sciezka, "", dom.string()});
    }
    // Two children in the 10,000 drills' journal: the picker opens at start,
    // and its first frame is awaited.
    for (const auto& [wersja, sciezka] : wersje) {
        fs::path dom;
        const fs::path plik = nowyDom(dom) / "wyniki.sqlite";
        std::error_code e;
        fs::copy_file(dzienniki / "drills-10000.sqlite", plik, e);
        sqlite3* db = nullptr;
        const bool dodane = !e && sqlite3_open(plik.c_str(), &db) == SQLITE_OK &&
                            sqlite3_exec(db, "INSERT INTO children (id, name) VALUES (2, 'Ola')", nullptr, nullptr,
                                         nullptr) == SQLITE_OK;
        sqlite3_close(db);
        if (!dodane) {
            std::fprintf(stderr, "no second child in %s\n", plik.c_str());
            return 1;
        }
        programy.push_back({wersja + ", two children: the picker", sciezka, "", dom.string(),
                            "Flushing QRegion(0,0 300x300) of"});
    }
    const fs::path domMinimalny = tmp / "dom-minimalny";
    fs::create_directories(domMinimalny / "runtime");
    fs::permissions(domMinimalny / "runtime", fs::perms::owner_all);
    programy.push_back({"minimal Qt window (floor)", ZM_BENCH_MINIMAL, "", domMinimalny.string()});
    programy.push_back({"minimal window with a label", ZM_BENCH_MINIMAL, "text", domMinimalny.string()});

    SerwerX serwer;
    SerwerX* x = serwer.Ekran().empty() ? nullptr : &serwer;
    if (!x) std::fprintf(stderr, "no Xvfb: the offscreen platform, no map times\n");

    // Each program once to warm up (the first start with a journal checks
    // it), noting what it maps for the cold runs.
    std::vector<std::set<std::string>> pliki(programy.size());
    for (std::size_t k = 0; k < programy.size(); ++k) {
        zmierz(programy[k], x, &pliki[k]);
        dodajDrzewo(pliki[k], fs::path(programy[k].sciezka).parent_path() / "graphics");
        dodajDrzewo(pliki[k], programy[k].dane);
        pliki[k].insert(programy[k].sciezka);
    }
    std::map<std::size_t, std::vector<Pomiar>> cieplePomiary, zimnePomiary;
    std::map<std::size_t, std::vector<Pomiar>> konce;
    for (int i = 0; i < ileCieplych; ++i)
        for (std::size_t k = 0; k < programy.size(); ++k) {
            cieplePomiary[k].push_back(zmierz(programy[k], x, nullptr));
            konce[k].push_back(zmierz(programy[k], x, nullptr, true));
        }
    for (int i = 0; i < ileZimnych; ++i)
        for (std::size_t k = 0; k < programy.size(); ++k) {
            wyrzucZPamieci(pliki[k]);
            zimnePomiary[k].push_back(zmierz(programy[k], x, nullptr));
        }

    auto pole = [](const std::vector<Pomiar>& v, double Pomiar::*p) {
        std::vector<double> w;
        for (const Pomiar& m : v)
            if (m.*p >= 0) w.push_back(m.*p);
        return mediana(w);
    };
    std::printf("start-up on %s: medians of %d warm runs and %d cold runs (the page cache of every file the program "
                "maps or reads dropped before each), interleaved\n",
                x ? "a private Xvfb" : "the offscreen platform", ileCieplych, ileZimnych);
    std::printf("%-44s %9s %9s %9s %9s %9s %9s %11s %9s %9s %9s\n", "", "map", "paint", "map", "paint", "RSS", "PSS",
                "journal", "all", "SIGTERM", "SIGTERM");
    std::printf("%-44s %9s %9s %9s %9s %9s %9s %11s %9s %9s %9s\n", "", "warm ms", "warm ms", "cold ms", "cold ms",
                "idle MiB", "idle MiB", "CPU ms", "CPU ms", "idle ms", "early ms");
    const std::size_t podloga = programy.size() - 2;
    for (std::size_t k = 0; k < programy.size(); ++k) {
        const auto& c = cieplePomiary[k];
        const auto& z = zimnePomiary[k];
        std::vector<double> wczesne;
        for (const Pomiar& m : konce[k]) wczesne.push_back(m.koniec);
        std::printf("%-44s %9.1f %9.1f %9.1f %9.1f %9.1f %9.1f %11.1f %9.1f %9.1f %9.1f\n", programy[k].nazwa.c_str(),
                    pole(c, &Pomiar::mapa), pole(c, &Pomiar::klatka), pole(z, &Pomiar::mapa), pole(z, &Pomiar::klatka),
                    pole(c, &Pomiar::rssKiB) / 1024, pole(c, &Pomiar::pssKiB) / 1024, pole(c, &Pomiar::cpuDziennikaMs),
                    pole(c, &Pomiar::cpuMs), pole(c, &Pomiar::koniec), *std::max_element(wczesne.begin(), wczesne.end()));
    }
    // Each run beside the floor's run of the same round (the machine's load
    // drifts less within a round): the median of the ratios.
    auto stosunek = [](const std::vector<Pomiar>& v, const std::vector<Pomiar>& f, double Pomiar::*p) {
        std::vector<double> w;
        for (std::size_t i = 0; i < std::min(v.size(), f.size()); ++i)
            if (v[i].*p > 0 && f[i].*p > 0) w.push_back(v[i].*p / (f[i].*p));
        return mediana(w);
    };
    // Against the bare window, and against the window that draws a label
    // (the floor of any window with words).
    for (const std::size_t dno : {podloga, podloga + 1}) {
        std::printf("ratios to the %s, each run to its run of the same round (median)\n",
                    dno == podloga ? "bare window" : "window with a label");
        for (std::size_t k = 0; k < podloga; ++k) {
            const auto& c = cieplePomiary[k];
            const auto& z = zimnePomiary[k];
            const auto& f = cieplePomiary[dno];
            const auto& fz = zimnePomiary[dno];
            std::printf("%-44s %8.2fx %8.2fx %8.2fx %8.2fx %8.2fx %8.2fx\n", programy[k].nazwa.c_str(),
                        stosunek(c, f, &Pomiar::mapa), stosunek(c, f, &Pomiar::klatka), stosunek(z, fz, &Pomiar::mapa),
                        stosunek(z, fz, &Pomiar::klatka), stosunek(c, f, &Pomiar::rssKiB),
                        stosunek(c, f, &Pomiar::pssKiB));
        }
    }
    std::error_code e;
    fs::remove_all(tmp, e);
    return 0;
}
