// Reads the program's BMP pictures strictly: only a regular file (a pipe or
// a device would block the window for good), and only when the bytes present
// cover every size its header declares (a truncated file must fail as any
// invalid picture does, not load as a black rectangle).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace zm::assets {

enum class BladObrazka { Brak, NieOtwarty, Niepoprawny };

struct Obrazek {
    QImage obraz;
    BladObrazka blad = BladObrazka::Brak;
};

// Whether the header of `dane` is a BMP header whose declared sizes (pixel
// offset, rows of the declared width and depth, or the declared image size)
// fit within the bytes present.
bool BmpKompletny(const QByteArray& dane);

// NieOtwarty: not a regular file, or it cannot be read; Niepoprawny: not a
// complete BMP that decodes.
Obrazek WczytajBmp(const QString& sciezka);

// One of the program's own pictures (a resource), read as `format` ("png",
// "bmp") by Qt's own reader for it: Qt would otherwise load every image
// plugin it has (and libjpeg) to ask whether it can read the file.
QImage WczytajZasob(const QString& sciezka, const char* format);

} // namespace zm::assets
