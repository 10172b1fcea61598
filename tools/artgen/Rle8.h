// Writes an 8-bit picture as a BMP compressed with run lengths (BI_RLE8),
// which Qt's own BMP reader decodes: the window's background, mostly long
// runs of one colour, takes a few kilobytes in the program instead of 325,
// and needs no general-purpose decompressor at start.
#pragma once

#include <QString>

class QImage;

namespace zm::artgen {

// `img` is Format_Indexed8 with at most 256 colours; false when the file
// cannot be written whole.
bool ZapiszRle8(const QImage& img, const QString& sciezka);

} // namespace zm::artgen
