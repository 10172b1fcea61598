#include "CatalogueFiles.h"

#include <array>

namespace zm::assets {

namespace {

constexpr Plik kKatalog[] = {
#include "CatalogueRows.inc"
};

} // namespace

std::span<const Plik> Katalog() { return kKatalog; }

const char* PlikDla(Folder folder, std::string_view znaczenie)
{
    for (const Plik& p : kKatalog)
        if (p.folder == folder && znaczenie == p.znaczenie) return p.nazwa;
    return nullptr;
}

} // namespace zm::assets
