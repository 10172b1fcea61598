#include "Bitmap.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdint>
#include <algorithm>
#include <vector>

namespace zm::assets {

namespace {

// Pictures are small; anything larger is not one of ours.
constexpr qint64 kMaksRozmiar = 16 * 1024 * 1024;

// Little-endian fields of the header, read from a copy whose size the
// caller has checked.
std::uint32_t u32(const std::vector<std::uint8_t>& d, std::size_t poz)
{
    return d[poz] | d[poz + 1] << 8 | d[poz + 2] << 16 | static_cast<std::uint32_t>(d[poz + 3]) << 24;
}

std::uint16_t u16(const std::vector<std::uint8_t>& d, std::size_t poz)
{
    return static_cast<std::uint16_t>(d[poz] | d[poz + 1] << 8);
}

} // namespace

bool BmpKompletny(const QByteArray& bajty)
{
    const auto n = static_cast<std::uint64_t>(bajty.size());
    if (n < 14 + 12) return false;
    // A copy with room for the longest header read below; the sizes it
    // declares are checked against `n`, the bytes really there.
    std::vector<std::uint8_t> dane(bajty.begin(), bajty.end());
    dane.resize(std::max<std::size_t>(dane.size(), 14 + 40), 0);
    if (dane[0] != 'B' || dane[1] != 'M') return false;
    const std::uint64_t poczatekPikseli = u32(dane, 10);
    const std::uint32_t rozmiarNaglowka = u32(dane, 14);
    if (rozmiarNaglowka < 12 || 14 + static_cast<std::uint64_t>(rozmiarNaglowka) > n) return false;
    std::int64_t szerokosc, wysokosc;
    std::uint32_t bity, kompresja = 0, rozmiarObrazu = 0;
    if (rozmiarNaglowka == 12) { // the old core header
        szerokosc = u16(dane, 18);
        wysokosc = u16(dane, 20);
        bity = u16(dane, 24);
    } else {
        if (rozmiarNaglowka < 16 + 4) return false;
        const auto s = static_cast<std::int32_t>(u32(dane, 18));
        const auto w = static_cast<std::int32_t>(u32(dane, 22));
        szerokosc = s;
        wysokosc = w < 0 ? -static_cast<std::int64_t>(w) : w;
        bity = u16(dane, 28);
        if (rozmiarNaglowka >= 24) kompresja = u32(dane, 30);
        if (rozmiarNaglowka >= 24) rozmiarObrazu = u32(dane, 34);
    }
    if (szerokosc <= 0 || wysokosc <= 0 || bity == 0 || bity > 32) return false;
    if (poczatekPikseli < 14 + static_cast<std::uint64_t>(rozmiarNaglowka) || poczatekPikseli > n) return false;
    std::uint64_t pikseli;
    if (kompresja == 0 || kompresja == 3) { // plain rows (or bit fields)
        const std::uint64_t wiersz = (static_cast<std::uint64_t>(szerokosc) * bity + 31) / 32 * 4;
        pikseli = wiersz * static_cast<std::uint64_t>(wysokosc);
    } else { // run-length and others: the size the header declares
        pikseli = rozmiarObrazu;
        if (pikseli == 0) return false;
    }
    return poczatekPikseli + pikseli <= n;
}

Obrazek WczytajBmp(const QString& sciezka)
{
    const QFileInfo info(sciezka);
    if (!info.isFile()) return {{}, BladObrazka::NieOtwarty};
    QFile plik(sciezka);
    if (info.size() > kMaksRozmiar || !plik.open(QIODevice::ReadOnly)) return {{}, BladObrazka::NieOtwarty};
    const QByteArray dane = plik.read(kMaksRozmiar + 1);
    if (!BmpKompletny(dane)) return {{}, BladObrazka::Niepoprawny};
    QBuffer bufor;
    bufor.setData(dane);
    QImageReader czytnik(&bufor, "bmp");
    czytnik.setAutoDetectImageFormat(false); // Qt's BMP reader only, no image plugin
    const QImage obraz = czytnik.read();
    if (obraz.isNull()) return {{}, BladObrazka::Niepoprawny};
    return {obraz, BladObrazka::Brak};
}

QImage WczytajZasob(const QString& sciezka, const char* format)
{
    QImageReader czytnik(sciezka, format);
    czytnik.setAutoDetectImageFormat(false);
    return czytnik.read();
}

} // namespace zm::assets
