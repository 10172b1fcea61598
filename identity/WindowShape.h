// The rounded outline of the main window: a rectangle whose corners are cut
// by an ellipse of the given size. The window mask and the background
// picture's magenta corners come from this one rule, so they always agree.
#pragma once

#include <QRegion>
#include <QRgb>

namespace zm {

// The main window's measures: its client area, the ellipse that rounds its
// corners, and the colour of the display panel behind the equation pictures.
inline constexpr int SzerokoscOkna = 682;
inline constexpr int WysokoscOkna = 485;
inline constexpr int ZaokraglenieOkna = 19;
inline constexpr QRgb KolorPanelu = 0xFFA6D6FF; // RGB(166, 214, 255)

// Whether pixel (x, y) lies inside the rounded rectangle (0, 0)-(w, h) whose
// corners are rounded by an ellipse ew x eh. A pixel is inside when its
// centre is.
inline bool WewnatrzZaokraglenia(int x, int y, int w, int h, int ew, int eh)
{
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    const double rx = ew / 2.0, ry = eh / 2.0;
    const double px = x + 0.5, py = y + 0.5;
    double cx = px, cy = py;
    if (px < rx)
        cx = rx;
    else if (px > w - rx)
        cx = w - rx;
    if (py < ry)
        cy = ry;
    else if (py > h - ry)
        cy = h - ry;
    const double u = (px - cx) / rx, v = (py - cy) / ry;
    return u * u + v * v <= 1.0;
}

// The region of that rounded rectangle, one span per row.
inline QRegion ZaokraglonyRegion(int w, int h, int ew, int eh)
{
    QRegion r;
    for (int y = 0; y < h; ++y) {
        int x0 = 0;
        while (x0 < w && !WewnatrzZaokraglenia(x0, y, w, h, ew, eh)) ++x0;
        int x1 = w;
        while (x1 > x0 && !WewnatrzZaokraglenia(x1 - 1, y, w, h, ew, eh)) --x1;
        if (x1 > x0) r += QRect(x0, y, x1 - x0, 1);
    }
    return r;
}

// The window's outline: its mask, and on Wayland the edge of its painting.
// One pixel larger than the background picture.
inline QRegion ObrysOkna()
{
    return ZaokraglonyRegion(SzerokoscOkna + 1, WysokoscOkna + 1, ZaokraglenieOkna, ZaokraglenieOkna);
}

} // namespace zm
