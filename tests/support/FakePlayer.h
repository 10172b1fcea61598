// The one stand-in for the sound player in the tests: it remembers every
// sentence and takes its time like a real voice (a thread of its own, as the
// real player has), or none at all.
#pragma once

#include "Narrator.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zm::test {

class ZapisujacyOdtwarzacz final : public IOdtwarzacz {
public:
    std::vector<std::string> pliki; // every file asked for, in order, with its folder
    int msNaSlowo = 0;              // 0: the end is reported at once, from Czytaj
    bool przerwany = false;

    ~ZapisujacyOdtwarzacz() override { Przerwij(); }

    // The file names alone, without their folder.
    std::vector<std::string> Nazwy() const
    {
        std::vector<std::string> n;
        for (const auto& p : pliki) n.push_back(p.substr(p.rfind('/') + 1));
        return n;
    }

    void Czytaj(std::vector<std::string> zdanie, std::function<void()> koniec) override
    {
        Przerwij();
        pliki.insert(pliki.end(), zdanie.begin(), zdanie.end());
        przerwany = false;
        if (msNaSlowo == 0) {
            koniec();
            return;
        }
        watek_ = std::thread([this, ms = msNaSlowo * static_cast<int>(zdanie.size()), koniec = std::move(koniec)] {
            std::unique_lock l(m_);
            if (!cv_.wait_for(l, std::chrono::milliseconds(ms), [&] { return przerwany; })) koniec();
        });
    }

    void Przerwij() override
    {
        {
            std::lock_guard l(m_);
            przerwany = true;
        }
        cv_.notify_all();
        if (watek_.joinable()) watek_.join();
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::thread watek_;
};

} // namespace zm::test
