// The lines the program and its narrator's player process (the program
// ZM_PROGRAM_LEKTORA next to it, see ProcesOdtwarzacz.h) exchange over one
// socket, the player's standard input and output. One line a message:
//   program → player   "C <nr>\t<file>\t<file>…"  read sentence <nr>
//                      "X"                        end the sentence being read
//                      "P"                        get ready for a sentence (load the
//                                                 sound library, open no device)
//   player → program   "D <nr> <ms>"              sentence <nr> decoded: it plays <ms> long
//                      "K <nr> <0|1> <driver>"    sentence <nr> ended (heard, or passed in
//                                                 silence); 1: a word fell back to the beep
// The player ends when its input ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zm::lektor {

inline constexpr std::string_view kPrzerwij = "X\n";
inline constexpr std::string_view kPrzygotuj = "P\n";

// The line that reads a sentence. A file name holding a tab or a line break
// cannot be sent: it is sent empty, and the player plays the beep for it.
std::string Zdanie(std::uint64_t nr, const std::vector<std::string>& pliki);

// What a program's line asks for; nothing for a line that is not one.
struct Polecenie {
    bool przerwij = false, przygotuj = false;
    std::uint64_t nr = 0;
    std::vector<std::string> pliki;
};
std::optional<Polecenie> CzytajPolecenie(std::string_view linia);

// The player's lines.
std::string Dlugosc(std::uint64_t nr, long long ms);
std::string Koniec(std::uint64_t nr, bool domyslny, std::string_view sterownik);

struct Odpowiedz {
    bool koniec = false; // "K"; otherwise "D"
    std::uint64_t nr = 0;
    long long ms = 0;
    bool domyslny = false;
    std::string sterownik;
};
std::optional<Odpowiedz> CzytajOdpowiedz(std::string_view linia);

} // namespace zm::lektor
