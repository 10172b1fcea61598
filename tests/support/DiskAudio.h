// A test of the sound player on SDL's disk driver, which writes what would be
// heard to a file of raw samples (a player process inherits the setting).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace zm::test {

class DyskSdl : public ::testing::Test {
protected:
    std::filesystem::path katalog, wyjscie;

    void SetUp() override
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string nazwa = "zm_" + std::string(test->test_suite_name()) + "_" + std::to_string(::getpid()) + "_" +
                            test->name();
        for (char& z : nazwa)
            if (z == '/') z = '_'; // a parameterised test's names
        katalog = std::filesystem::temp_directory_path() / nazwa;
        std::filesystem::create_directories(katalog);
        wyjscie = katalog / "out.raw";
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", wyjscie.c_str(), 1);
        ::setenv("SDL_DISKAUDIODELAY", "0", 1);
    }
    void TearDown() override { std::filesystem::remove_all(katalog); }

    // Every sample written to the driver's file.
    std::vector<std::int16_t> probki() const
    {
        std::ifstream f(wyjscie, std::ios::binary);
        std::vector<std::int16_t> v;
        for (std::int16_t s; f.read(reinterpret_cast<char*>(&s), 2);) v.push_back(s);
        return v;
    }
};

} // namespace zm::test
