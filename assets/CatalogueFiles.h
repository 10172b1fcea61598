// The program's files as the catalogue lists them (catalogue.tsv), without
// Qt: the narrator, the artwork generator and the checks all read it here.
#pragma once

#include <span>
#include <string_view>

namespace zm::assets {

enum class Folder { Sounds, Graphics };

struct Plik {
    Folder folder;
    const char* nazwa;
    // Place in the verification run at activation (1-based), or 0 for a file
    // that is not verified there.
    int kolejnosc;
    // What the file is looked up by: a number, "20_" (a tens word said before
    // a unit word), a sign, "kursor", "start", "stop".
    const char* znaczenie;
};

// Every file, sounds first, in catalogue order.
std::span<const Plik> Katalog();

// The file of `folder` that stands for `znaczenie`, or null.
const char* PlikDla(Folder folder, std::string_view znaczenie);

} // namespace zm::assets
