// Checks a screenshot of the main window on a Wayland desktop: the window is
// found by its background picture; no magenta pixel is left in it, and
// outside the rounded outline the desktop behind it shows, as in a
// screenshot of the desktop taken without the window.
//   zm_wayland_check <background-picture> <desktop.png> <with-window.png>
//   zm_wayland_check --desktop <desktop.png>   (the desktop is drawn)
//   zm_wayland_check --dialog <background-picture> <desktop.png> <with-window.png> <with-dialog.png> <w> <h>
#include "WindowShape.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

// Where the window's background picture lies on a screenshot (-1, -1 when
// it is not there): points of the background that no control covers.
QPoint ZnajdzOkno(const QImage& tlo, const QImage& zrzut)
{
    const QPoint punkty[] = {{300, 8}, {100, 45}, {640, 45}, {6, 200}, {675, 200}, {150, 262}, {540, 262},
                             {300, 410}, {20, 468}, {660, 468}, {340, 476}};
    for (int y = 0; y + tlo.height() <= zrzut.height(); ++y)
        for (int x = 0; x + tlo.width() <= zrzut.width(); ++x) {
            bool pasuje = true;
            for (const QPoint& p : punkty)
                if (zrzut.pixel(x + p.x(), y + p.y()) != tlo.pixel(p)) {
                    pasuje = false;
                    break;
                }
            if (pasuje) return {x, y};
        }
    return {-1, -1};
}

// A dialog of client size w x h, opened over the window: drawn inside it,
// centred, in its frame (a one-pixel border, a caption of 20 pixels starting
// dark blue), and nothing else on the screen changed (no window of its own,
// no title bar with minimise or maximise anywhere).
int SprawdzDialog(const QImage& tlo, const QImage& pulpit, const QImage& zOknem, const QImage& zDialogiem, int w,
                  int h)
{
    const QPoint okno = ZnajdzOkno(tlo, zOknem);
    if (okno.x() < 0 || zDialogiem.size() != pulpit.size()) {
        std::printf("the window is not on the screenshot\n");
        return 1;
    }
    const QRect obszarOkna(okno, tlo.size());
    int poza = 0;
    for (int y = 0; y < pulpit.height(); ++y)
        for (int x = 0; x < pulpit.width(); ++x)
            poza += !obszarOkna.contains(x, y) && zDialogiem.pixel(x, y) != pulpit.pixel(x, y);
    QRect ramka(QPoint(), QSize(w + 2, h + 21));
    ramka.moveCenter(QRect(QPoint(), tlo.size()).center());
    ramka.translate(okno);
    // Within a step or two of each colour: mutter's screen cast passes the
    // frame through a colour conversion.
    const auto blisko = [&](QPoint p, QRgb c) {
        const QRgb z = zDialogiem.pixel(p);
        return std::abs(qRed(z) - qRed(c)) <= 2 && std::abs(qGreen(z) - qGreen(c)) <= 2 &&
               std::abs(qBlue(z) - qBlue(c)) <= 2;
    };
    const QRgb brzeg = qRgb(64, 64, 64);
    const bool narysowany = blisko(ramka.topLeft(), brzeg) && blisko(ramka.bottomRight(), brzeg) &&
                            blisko(ramka.topLeft() + QPoint(1, 1), qRgb(10, 36, 106));
    std::printf("window at %d,%d; dialog frame %s at %d,%d; %d pixels outside the window changed\n", okno.x(),
                okno.y(), narysowany ? "drawn" : "not drawn", ramka.x(), ramka.y(), poza);
    return narysowany && poza == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The desktop alone is drawn: not black where the window will be.
    if (argc == 3 && QByteArray(argv[1]) == "--desktop") {
        const QImage pulpit(argv[2]);
        return !pulpit.isNull() && pulpit.pixel(pulpit.rect().center()) != qRgb(0, 0, 0) ? 0 : 1;
    }
    if (argc == 8 && QByteArray(argv[1]) == "--dialog") {
        auto obraz = [&](int i) { return QImage(argv[i]).convertToFormat(QImage::Format_RGB32); };
        return SprawdzDialog(obraz(2), obraz(3), obraz(4), obraz(5), std::atoi(argv[6]), std::atoi(argv[7]));
    }
    if (argc != 4) return 2;
    const QImage tlo = QImage(argv[1]).convertToFormat(QImage::Format_RGB32);
    const QImage pulpit = QImage(argv[2]).convertToFormat(QImage::Format_RGB32);
    const QImage zrzut = QImage(argv[3]).convertToFormat(QImage::Format_RGB32);
    if (tlo.isNull() || pulpit.isNull() || zrzut.isNull() || pulpit.size() != zrzut.size()) {
        std::printf("cannot read the pictures\n");
        return 2;
    }
    const QPoint okno = ZnajdzOkno(tlo, zrzut);
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
