// Reads a sentence through a player and waits for its end, as the window's
// loop would.
#pragma once

#include "Narrator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace zm::test {

// Seconds from the start of the sentence to its end (the end must come
// within 10 s).
inline double CzytajIZaczekaj(IOdtwarzacz& o, std::vector<std::string> pliki)
{
    std::promise<void> koniec;
    auto f = koniec.get_future();
    const auto t0 = std::chrono::steady_clock::now();
    o.Czytaj(std::move(pliki), [&] { koniec.set_value(); });
    EXPECT_EQ(f.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the sentence never ended";
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

} // namespace zm::test
