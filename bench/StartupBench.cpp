// Start-up: from process start to the first painted frame of the window, and
// the peak resident memory then, for the program and for the minimal Qt
// Widgets window beside it. Both run on the offscreen platform; the first
// frame is seen through Qt's own painting log ("Flushing" of the whole
// window).
//   zm_bench_startup [runs]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Pomiar {
    double ms = -1;
    long kb = -1;
};

long szczytPamieci(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    std::string linia;
    while (std::getline(f, linia))
        if (linia.rfind("VmHWM:", 0) == 0) return std::strtol(linia.c_str() + 6, nullptr, 10);
    return -1;
}

Pomiar zmierz(const std::string& program, const char* argument = nullptr)
{
    int rura[2];
    if (pipe(rura) != 0) return {};
    const auto t0 = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(rura[1], 2);
        close(rura[0]);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("QT_LOGGING_RULES", "qt.widgets.painting=true", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(rura[1]);
    Pomiar p;
    std::string bufor;
    char blok[4096];
    ssize_t n;
    while ((n = read(rura[0], blok, sizeof blok)) > 0) {
        bufor.append(blok, static_cast<std::size_t>(n));
        if (bufor.find("Flushing QRegion(0,0 682x485) of") != std::string::npos) {
            p.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            p.kb = szczytPamieci(pid);
            break;
        }
        if (bufor.size() > (1 << 20)) bufor.erase(0, bufor.size() - 4096);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(rura[0]);
    return p;
}

double mediana(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int proby = argc > 1 ? std::atoi(argv[1]) : 9;
    const std::string programy[3] = {ZM_BENCH_PROGRAM, ZM_BENCH_MINIMAL, ZM_BENCH_MINIMAL};
    const char* argumenty[3] = {nullptr, nullptr, "text"};
    std::vector<double> czas[3], pamiec[3];
    for (int k = 0; k < 3; ++k) zmierz(programy[k], argumenty[k]); // warm the file cache
    for (int i = 0; i < proby; ++i)
        for (int k = 0; k < 3; ++k) { // interleaved, so all see the same machine
            const Pomiar p = zmierz(programy[k], argumenty[k]);
            if (p.ms < 0) {
                std::fprintf(stderr, "no first frame from %s\n", programy[k].c_str());
                return 1;
            }
            czas[k].push_back(p.ms);
            pamiec[k].push_back(static_cast<double>(p.kb));
        }
    const double t0 = mediana(czas[0]), t1 = mediana(czas[1]), t2 = mediana(czas[2]);
    const double m0 = mediana(pamiec[0]), m1 = mediana(pamiec[1]), m2 = mediana(pamiec[2]);
    std::printf("start-up to first frame, median of %d runs (offscreen platform)\n", proby);
    std::printf("%-30s %12s %16s\n", "", "time [ms]", "peak RSS [MiB]");
    std::printf("%-30s %12.1f %16.1f\n", "Zoltava mnożenia", t0, m0 / 1024);
    std::printf("%-30s %12.1f %16.1f\n", "minimal Qt window (floor)", t1, m1 / 1024);
    std::printf("%-30s %12.1f %16.1f\n", "minimal window with a label", t2, m2 / 1024);
    std::printf("%-30s %12.2f %16.2f\n", "ratio to the floor", t0 / t1, m0 / m1);
    std::printf("%-30s %12.2f %16.2f\n", "ratio to the labelled window", t0 / t2, m0 / m2);
    return 0;
}
