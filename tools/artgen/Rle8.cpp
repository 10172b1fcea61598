#include "Rle8.h"

#include <QImage>
#include <QSaveFile>

#include <cstdint>
#include <vector>

namespace zm::artgen {

namespace {

void Dodaj16(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Dodaj32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    Dodaj16(b, v & 0xFFFF);
    Dodaj16(b, v >> 16);
}

} // namespace

bool ZapiszRle8(const QImage& img, const QString& sciezka)
{
    if (img.format() != QImage::Format_Indexed8 || img.colorCount() > 256) return false;
    // Bottom row first; each row runs of at most 255 pixels of one index,
    // then the end of the row; the end of the picture after the last.
    std::vector<std::uint8_t> dane;
    for (int y = img.height() - 1; y >= 0; --y) {
        const uchar* wiersz = img.constScanLine(y);
        for (int x = 0; x < img.width();) {
            int n = 1;
            while (x + n < img.width() && n < 255 && wiersz[x + n] == wiersz[x]) ++n;
            dane.push_back(static_cast<std::uint8_t>(n));
            dane.push_back(wiersz[x]);
            x += n;
        }
        dane.push_back(0);
        dane.push_back(y == 0 ? 1 : 0);
    }
    const std::uint32_t paleta = 256 * 4, przesuniecie = 14 + 40 + paleta;
    std::vector<std::uint8_t> plik;
    plik.push_back('B');
    plik.push_back('M');
    Dodaj32(plik, przesuniecie + static_cast<std::uint32_t>(dane.size()));
    Dodaj32(plik, 0);
    Dodaj32(plik, przesuniecie);
    Dodaj32(plik, 40); // BITMAPINFOHEADER
    Dodaj32(plik, static_cast<std::uint32_t>(img.width()));
    Dodaj32(plik, static_cast<std::uint32_t>(img.height()));
    Dodaj16(plik, 1);  // planes
    Dodaj16(plik, 8);  // bits per pixel
    Dodaj32(plik, 1);  // BI_RLE8
    Dodaj32(plik, static_cast<std::uint32_t>(dane.size()));
    Dodaj32(plik, 3780); // 96 dpi
    Dodaj32(plik, 3780);
    Dodaj32(plik, 256); // colours used
    Dodaj32(plik, 0);
    for (int i = 0; i < 256; ++i) {
        const QRgb c = i < img.colorCount() ? img.color(i) : qRgb(0, 0, 0);
        plik.push_back(static_cast<std::uint8_t>(qBlue(c)));
        plik.push_back(static_cast<std::uint8_t>(qGreen(c)));
        plik.push_back(static_cast<std::uint8_t>(qRed(c)));
        plik.push_back(0);
    }
    plik.insert(plik.end(), dane.begin(), dane.end());
    QSaveFile f(sciezka);
    const auto n = static_cast<qint64>(plik.size());
    return f.open(QIODevice::WriteOnly) && f.write(reinterpret_cast<const char*>(plik.data()), n) == n && f.flush() &&
           f.commit();
}

} // namespace zm::artgen
