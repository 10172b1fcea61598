#include "Bitmap.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstring>

namespace zm::assets {

namespace {

// Pictures are small; anything larger is not one of ours.
constexpr qint64 kMaksRozmiar = 16 * 1024 * 1024;

std::uint32_t u32(const QByteArray& d, int poz)
{
    std::uint32_t v;
    std::memcpy(&v, d.constData() + poz, 4);
    return v;
}

std::uint16_t u16(const QByteArray& d, int poz)
{
    std::uint16_t v;
    std::memcpy(&v, d.constData() + poz, 2);
    return v;
}

} // namespace

bool BmpKompletny(const QByteArray& dane)
{
    const auto n = static_cast<std::uint64_t>(dane.size());
    if (n < 14 + 12 || dane[0] != 'B' || dane[1] != 'M') return false;
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
        std::int32_t s, w;
        std::memcpy(&s, dane.constData() + 18, 4);
        std::memcpy(&w, dane.constData() + 22, 4);
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
    QImage obraz;
    if (!BmpKompletny(dane) || !obraz.loadFromData(dane, "BMP")) return {{}, BladObrazka::Niepoprawny};
    return {obraz, BladObrazka::Brak};
}

} // namespace zm::assets
