// The glyph set and the composition of the question and answer pictures, as
// functions on images: the main window draws with them, tests call them
// without a window.
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace zm {

// "0".."9", "=", the four signs in the order of their operation codes, the
// cursor.
struct ZestawGlyphow {
    static constexpr std::size_t kLiczba = 16;
    std::array<QImage, kLiczba> obrazy;

    // The picture files of the set, in its order.
    static std::array<QString, kLiczba> Pliki();
    // The picture for a question or answer character, or null.
    const QImage* Dla(char znak) const;
    const QImage& Kursor() const { return obrazy[kLiczba - 1]; }
};

// The set as it was loaded, as runs of equal pixels (a quarter of its size)
// until its first drawing: a window that has not drilled holds it so.
struct SpakowaneGlyphy {
    struct Przebiegi {
        std::vector<quint16> dlugosci; // how many equal pixels follow
        std::vector<quint32> piksele;  // the pixel of each run
    };
    std::array<Przebiegi, ZestawGlyphow::kLiczba> przebiegi; // empty: not loaded
    std::array<QSize, ZestawGlyphow::kLiczba> rozmiary;

    // Keeps the 32-bit picture `i`.
    void Zachowaj(std::size_t i, const QImage& obraz);
    // The set, every picture as it was kept.
    ZestawGlyphow Rozpakuj() const;
};

// The question's characters as the pictures show them: "7*8=" (at most ten).
std::string TekstRownania(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2);

// The question as a screen reader says it: "7 razy 8 równa się".
QString TekstPytania(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2);

// Draws the question row onto `obraz` (its size kept), ending at its right
// edge, the panel colour to its left; composed off-screen, copied in one step.
void KomponujPytanie(QImage& obraz, const ZestawGlyphow& glyphy, std::string_view tekst);

// The answer picture of the given size: the digits of `tekst` three pixels
// apart from the left, then the cursor.
QImage KomponujWynik(QSize rozmiar, const ZestawGlyphow& glyphy, std::string_view tekst);

} // namespace zm
