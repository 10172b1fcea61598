// The recorder of the narrator benchmark: the sink "zm"'s monitor, with the
// time each chunk arrived.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace zm::bench {

using Zegar = std::chrono::steady_clock;

// Records the sink "zm"'s monitor with parec, noting when each chunk arrived
// (at a latency that does not set a shorter period for the whole graph).
class Nagrywarka {
public:
    Nagrywarka()
    {
        int rura[2];
        if (::pipe(rura) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(rura[1], 1);
            ::close(rura[0]);
            ::close(rura[1]);
            ::setpriority(PRIO_PROCESS, 0, -10); // the recorder must not lose samples to the load
            ::execlp("parec", "parec", "-d", "zm.monitor", "--raw", "--format=s16le", "--rate=22050", "--channels=1",
                     "--latency-msec=50", nullptr);
            ::_exit(127);
        }
        ::close(rura[1]);
        fd_ = rura[0];
        watek_ = std::thread([this] {
            char bufor[4096];
            std::vector<char> reszta;
            for (;;) {
                const ssize_t n = ::read(fd_, bufor, sizeof bufor);
                if (n <= 0) break;
                const auto teraz = Zegar::now();
                reszta.insert(reszta.end(), bufor, bufor + n);
                std::lock_guard l(m_);
                const std::size_t cale = reszta.size() / 2;
                const std::size_t stare = probki_.size();
                probki_.resize(stare + cale);
                std::memcpy(probki_.data() + stare, reszta.data(), cale * 2);
                reszta.erase(reszta.begin(), reszta.begin() + static_cast<long>(cale * 2));
                znaczniki_.emplace_back(teraz, probki_.size());
            }
        });
    }
    ~Nagrywarka() { Zatrzymaj(); }
    void Zatrzymaj()
    {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
        watek_.join();
        ::close(fd_);
    }
    std::vector<std::int16_t> Probki()
    {
        std::lock_guard l(m_);
        return probki_;
    }
    // Lets go of the recording (before the memory at rest is measured).
    void Oproznij()
    {
        std::lock_guard l(m_);
        std::vector<std::int16_t>().swap(probki_);
        std::vector<std::pair<Zegar::time_point, std::size_t>>().swap(znaczniki_);
    }
    std::size_t Ile()
    {
        std::lock_guard l(m_);
        return probki_.size();
    }
    // When sample `i` reached the recorder.
    Zegar::time_point Kiedy(std::size_t i)
    {
        std::lock_guard l(m_);
        for (const auto& [t, n] : znaczniki_)
            if (n > i) return t - Zegar::duration(std::chrono::duration_cast<Zegar::duration>(
                                   std::chrono::duration<double>(static_cast<double>(n - 1 - i) / 22050)));
        return Zegar::now();
    }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread watek_;
    std::mutex m_;
    std::vector<std::int16_t> probki_;
    std::vector<std::pair<Zegar::time_point, std::size_t>> znaczniki_;
};

} // namespace zm::bench
