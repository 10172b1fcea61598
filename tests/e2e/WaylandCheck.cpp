// Checks a screenshot of the main window on a Wayland desktop: the window is
// found by its background picture; no magenta pixel is left in it, and
// outside the rounded outline the desktop behind it shows, as in a
// screenshot of the desktop taken without the window.
//   zm_wayland_check <background-picture> <desktop.png> <with-window.png>
//   zm_wayland_check --desktop <desktop.png>   (the desktop is drawn)
#include "WindowShape.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The desktop alone is drawn: not black where the window will be.
    if (argc == 3 && QByteArray(argv[1]) == "--desktop") {
        const QImage pulpit(argv[2]);
        return !pulpit.isNull() && pulpit.pixel(pulpit.rect().center()) != qRgb(0, 0, 0) ? 0 : 1;
    }
    if (argc != 4) return 2;
    const QImage tlo = QImage(argv[1]).convertToFormat(QImage::Format_RGB32);
    const QImage pulpit = QImage(argv[2]).convertToFormat(QImage::Format_RGB32);
    const QImage zrzut = QImage(argv[3]).convertToFormat(QImage::Format_RGB32);
    if (tlo.isNull() || pulpit.isNull() || zrzut.isNull() || pulpit.size() != zrzut.size()) {
        std::printf("cannot read the pictures\n");
        return 2;
    }
    // Points of the background that no control covers.
    const QPoint punkty[] = {{300, 8}, {100, 45}, {640, 45}, {6, 200}, {675, 200}, {150, 262}, {540, 262},
                             {300, 410}, {20, 468}, {660, 468}, {340, 476}};
    QPoint okno(-1, -1);
    for (int y = 0; y + tlo.height() <= zrzut.height() && okno.x() < 0; ++y)
        for (int x = 0; x + tlo.width() <= zrzut.width(); ++x) {
            bool pasuje = true;
            for (const QPoint& p : punkty)
                if (zrzut.pixel(x + p.x(), y + p.y()) != tlo.pixel(p)) {
                    pasuje = false;
                    break;
                }
            if (pasuje) {
                okno = {x, y};
                break;
            }
        }
    if (okno.x() < 0) {
        std::printf("the window is not on the screenshot\n");
        return 1;
    }
    const QRegion obrys = zm::ObrysOkna();
    int magenta = 0, naroza = 0, zle = 0;
    for (int y = 0; y < tlo.height(); ++y)
        for (int x = 0; x < tlo.width(); ++x) {
            const QRgb c = zrzut.pixel(okno + QPoint(x, y));
            magenta += c == qRgb(254, 2, 254);
            if (obrys.contains(QPoint(x, y))) continue;
            ++naroza;
            zle += c != pulpit.pixel(okno + QPoint(x, y));
        }
    std::printf("window at %d,%d: %d magenta pixels; %d of %d corner pixels differ from the desktop\n", okno.x(),
                okno.y(), magenta, zle, naroza);
    return magenta == 0 && zle == 0 && naroza > 0 ? 0 : 1;
}
