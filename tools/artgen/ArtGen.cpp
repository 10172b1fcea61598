// Draws the program's artwork at build time: the digit and sign pictures,
// the cursor and the start/stop pictures into graphics/, and the window's
// background, the two chrome button strips and the icon into the resource
// folder.
//
//   zm_artgen <graphics-folder> <resource-folder>

#include "CatalogueFiles.h"
#include "Rle8.h"
#include "WindowShape.h"
#include "ZmConfig.h"

#include <QDir>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QColor kPanel = QColor::fromRgb(zm::KolorPanelu); // the display panel, behind every glyph
const QColor kCyfra(22, 64, 148);
const QColor kCyfraJasna(58, 116, 214);
const QColor kObrys(255, 255, 255);
const QColor kCien(118, 170, 222);
const QColor kZnak(226, 84, 24);
const QColor kZnakJasny(255, 150, 60);

constexpr int kWysokosc = 84;
constexpr int kSzerCyfry = 60;
constexpr int kSzerZnaku = 50;
constexpr int kSrodekY = 44; // vertical centre of the digits' ink

QFont czcionka(int px, bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setBold(bold);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

QImage nowy(int w, int h, const QColor& tlo)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(tlo);
    return img;
}

// A shape drawn the same way for every glyph: a soft shadow, a white outline,
// and a top-to-bottom gradient fill.
void rysujKsztalt(QPainter& p, const QPainterPath& path, const QColor& jasny, const QColor& ciemny)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.save();
    p.translate(3, 3);
    p.setPen(QPen(kCien, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kCien);
    p.drawPath(path);
    p.restore();
    p.setPen(QPen(kObrys, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kObrys);
    p.drawPath(path);
    const QRectF r = path.boundingRect();
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, jasny);
    g.setColorAt(1, ciemny);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(path);
}

QImage cyfra(int d)
{
    QImage img = nowy(kSzerCyfry, kWysokosc, kPanel);
    QPainter p(&img);
    QPainterPath path;
    const QFont f = czcionka(70);
    path.addText(0, 0, f, QString::number(d));
    const QRectF r = path.boundingRect();
    path.translate((kSzerCyfry - r.width()) / 2 - r.left() - 1.5, kSrodekY - r.center().y() - 1.5);
    rysujKsztalt(p, path, kCyfraJasna, kCyfra);
    return img;
}

QPainterPath pasekPoziomy(double cx, double cy, double dl, double gr)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(cx - dl / 2, cy - gr / 2, dl, gr), gr / 2, gr / 2);
    return path;
}

QPainterPath kolo(double cx, double cy, double r)
{
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy), r, r);
    return path;
}

QImage znak(char c)
{
    QImage img = nowy(kSzerZnaku, kWysokosc, kPanel);
    QPainter p(&img);
    const double cx = kSzerZnaku / 2.0 - 1.5, cy = kSrodekY - 1.5;
    QPainterPath path;
    switch (c) {
    case '*': // the school's multiplication dot
        path = kolo(cx, cy, 7.5);
        break;
    case '/': // the school's division colon
        path = kolo(cx, cy - 13, 7).united(kolo(cx, cy + 13, 7));
        break;
    case '+':
        path = pasekPoziomy(cx, cy, 34, 10);
        {
            QPainterPath pion;
            pion.addRoundedRect(QRectF(cx - 5, cy - 17, 10, 34), 5, 5);
            path = path.united(pion);
        }
        break;
    case '-':
        path = pasekPoziomy(cx, cy, 34, 10);
        break;
    case '=':
        path = pasekPoziomy(cx, cy - 9, 34, 10).united(pasekPoziomy(cx, cy + 9, 34, 10));
        break;
    default:
        break;
    }
    rysujKsztalt(p, path, c == '=' ? kCyfraJasna : kZnakJasny, c == '=' ? kCyfra : kZnak);
    return img;
}

QImage kursor()
{
    QImage img = nowy(34, kWysokosc, kPanel);
    QPainter p(&img);
    rysujKsztalt(p, pasekPoziomy(15, 72, 24, 7), kZnakJasny, kZnak);
    return img;
}

QImage przyciskStartStop(const QString& napis, const QColor& jasny, const QColor& ciemny)
{
    const QColor tlo(187, 190, 200); // the window body around the button
    QImage img = nowy(95, 34, tlo);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1.5, 1.5, 92, 31);
    p.setPen(QPen(QColor(70, 74, 90), 1));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, jasny.lighter(125));
    g.setColorAt(0.5, jasny);
    g.setColorAt(1, ciemny);
    p.setBrush(g);
    p.drawRoundedRect(r, 15, 15);
    // Gloss on the upper half.
    QLinearGradient blask(0, 3, 0, 16);
    blask.setColorAt(0, QColor(255, 255, 255, 150));
    blask.setColorAt(1, QColor(255, 255, 255, 20));
    p.setPen(Qt::NoPen);
    p.setBrush(blask);
    p.drawRoundedRect(QRectF(6, 3, 83, 13), 6, 6);
    const QFont f = czcionka(15);
    p.setFont(f);
    p.setPen(QColor(0, 0, 0, 110));
    p.drawText(QRectF(1, 1, 95, 34), Qt::AlignCenter, napis);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 95, 34), Qt::AlignCenter, napis);
    return img;
}

// A strip of three 17 x 13 frames (normal, pressed, pointer over) for a
// chrome button; `krzyzyk` draws a close cross, else a minimise dash.
QImage pasekChrome(bool krzyzyk)
{
    QImage img = nowy(51, 13, QColor(24, 41, 51));
    QPainter p(&img);
    const QColor wypelnienia[3] = {QColor(44, 78, 132), QColor(20, 40, 78),
                                   krzyzyk ? QColor(206, 52, 44) : QColor(78, 122, 186)};
    for (int k = 0; k < 3; ++k) {
        const int x0 = k * 17;
        const QRect r(x0, 0, 17, 13);
        p.fillRect(r, wypelnienia[k]);
        p.setPen(k == 1 ? QColor(10, 20, 40) : QColor(150, 182, 226));
        p.drawLine(x0, 0, x0 + 16, 0);
        p.drawLine(x0, 0, x0, 12);
        p.setPen(k == 1 ? QColor(120, 150, 200) : QColor(14, 28, 56));
        p.drawLine(x0 + 16, 1, x0 + 16, 12);
        p.drawLine(x0 + 1, 12, x0 + 16, 12);
        const int o = k == 1 ? 1 : 0;
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap));
        if (krzyzyk) {
            p.drawLine(x0 + 5 + o, 3 + o, x0 + 11 + o, 9 + o);
            p.drawLine(x0 + 11 + o, 3 + o, x0 + 5 + o, 9 + o);
        } else {
            p.drawLine(x0 + 5 + o, 9 + o, x0 + 11 + o, 9 + o);
        }
    }
    return img;
}

void gradientPionowy(QPainter& p, const QRect& r, const QColor& gora, const QColor& dol)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, gora);
    g.setColorAt(1, dol);
    p.fillRect(r, g);
}

// The window's face. Regions are in pixels; the rounded outline is the same
// rule as the window mask (one pixel larger than the picture).
// `skala` 2 draws the same picture with twice the pixels, for scaled screens:
// every region at the same place, text and shading sharper.
QImage tlo(int skala = 1)
{
    constexpr int W = zm::SzerokoscOkna, H = zm::WysokoscOkna;
    const QColor magenta(254, 2, 254), obrys(24, 41, 51), okno(218, 219, 222), cialo(187, 190, 200),
        pasmo(79, 136, 167);
    QImage img = nowy(W * skala, H * skala, cialo);
    QPainter p(&img);
    p.scale(skala, skala);

    // Title strip.
    gradientPionowy(p, QRect(0, 0, W, 19), QColor(40, 76, 132), QColor(18, 38, 78));
    p.setPen(QColor(112, 150, 210));
    p.drawLine(0, 1, W, 1);
    QFont tytul = czcionka(12);
    tytul.setLetterSpacing(QFont::AbsoluteSpacing, 5);
    p.setFont(tytul);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(QRect(1, 1, W, 19), Qt::AlignCenter, QString::fromUtf8(zm::config::kTytul));
    p.setPen(QColor(236, 242, 252));
    p.drawText(QRect(0, 0, W, 19), Qt::AlignCenter, QString::fromUtf8(zm::config::kTytul));
    // The minimise and close boxes under the skinned buttons.
    p.drawImage(QPoint(641, 5), pasekChrome(false), QRect(0, 0, 17, 13));
    p.drawImage(QPoint(661, 5), pasekChrome(true), QRect(0, 0, 17, 13));

    // Button band.
    p.fillRect(QRect(0, 19, W, 19), okno);
    p.setPen(Qt::black);
    p.drawLine(0, 38, W, 38);
    p.setPen(Qt::white);
    p.drawLine(0, 39, W, 39);

    // Display panel: a bevelled frame, two dark bands and the light inner area.
    p.fillRect(QRect(7, 44, 668, 159), QColor(56, 104, 134));
    p.setPen(QColor(236, 242, 250));
    p.drawLine(7, 44, 674, 44);
    p.drawLine(7, 44, 7, 202);
    p.setPen(QColor(32, 60, 80));
    p.drawLine(8, 202, 674, 202);
    p.drawLine(674, 45, 674, 202);
    p.fillRect(QRect(11, 48, 662, 10), pasmo);
    p.fillRect(QRect(11, 189, 662, 10), pasmo);
    p.fillRect(QRect(11, 58, 662, 131), kPanel);

    // Time-bar strip, raised.
    gradientPionowy(p, QRect(6, 210, 669, 49), QColor(229, 230, 234), QColor(186, 188, 197));
    p.setPen(QColor(250, 251, 253));
    p.drawLine(6, 210, 674, 210);
    p.drawLine(6, 210, 6, 258);
    p.setPen(QColor(140, 143, 154));
    p.drawLine(7, 258, 674, 258);
    p.drawLine(674, 211, 674, 258);

    // Counter boxes.
    for (int x : {12, 554}) {
        p.fillRect(QRect(x, 283, 116, 48), QColor(242, 246, 255));
        p.setPen(QColor(214, 222, 238));
        p.drawRect(QRect(x, 283, 115, 47));
    }

    // Bottom panel with the maker's address.
    gradientPionowy(p, QRect(6, 400, 670, 79), QColor(232, 234, 240), QColor(204, 207, 216));
    p.setPen(QColor(250, 251, 253));
    p.drawLine(6, 400, 675, 400);
    p.setPen(QColor(150, 153, 164));
    p.drawLine(6, 478, 675, 478);
    QFont adres = czcionka(20);
    const QString www = QString::fromUtf8(zm::config::kAdresWww);
    // Fit the address into x 197..482, y 428..449.
    while (QFontMetricsF(adres).horizontalAdvance(www) > 285 && adres.pixelSize() > 8)
        adres.setPixelSize(adres.pixelSize() - 1);
    p.setFont(adres);
    p.setPen(QColor(138, 142, 152));
    p.drawText(QRect(197, 428, 286, 22), Qt::AlignCenter, www);
    p.end();

    // Corners and outline follow the window's shape.
    auto wewnatrz = [](int x, int y) {
        return x >= 0 && y >= 0 && x < W && y < H && zm::WewnatrzZaokraglenia(x, y, W + 1, H + 1, zm::ZaokraglenieOkna, zm::ZaokraglenieOkna);
    };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            QRgb c = 0;
            if (!wewnatrz(x, y))
                c = magenta.rgb();
            else if (!wewnatrz(x - 1, y) || !wewnatrz(x + 1, y) || !wewnatrz(x, y - 1) || !wewnatrz(x, y + 1))
                c = obrys.rgb();
            if (!c) continue;
            for (int dy = 0; dy < skala; ++dy)
                for (int dx = 0; dx < skala; ++dx) img.setPixel(x * skala + dx, y * skala + dy, c);
        }
    return img;
}

QImage ikona()
{
    QImage img(64, 64, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(80, 150, 235));
    g.setColorAt(1, QColor(22, 64, 148));
    p.setPen(QPen(QColor(255, 255, 255), 3));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 14, 14);
    p.setPen(QPen(kZnakJasny, 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(21, 21), QPointF(43, 43));
    p.drawLine(QPointF(43, 21), QPointF(21, 43));
    return img;
}

// An 8-bit, 256-colour copy: the given colours are kept exactly, the rest of
// the palette goes to the most frequent colours, every pixel to its nearest.
QImage do8Bitow(const QImage& rgb, const std::vector<QRgb>& wymagane)
{
    QHash<QRgb, int> ile;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) ++ile[rgb.pixel(x, y) | 0xFF000000u];
    std::vector<std::pair<int, QRgb>> wg;
    for (auto it = ile.cbegin(); it != ile.cend(); ++it) wg.emplace_back(it.value(), it.key());
    std::sort(wg.begin(), wg.end(), [](auto a, auto b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    QList<QRgb> paleta;
    for (QRgb c : wymagane)
        if (!paleta.contains(c | 0xFF000000u)) paleta.append(c | 0xFF000000u);
    for (const auto& [n, c] : wg) {
        if (paleta.size() >= 256) break;
        if (!paleta.contains(c)) paleta.append(c);
    }
    QImage out = rgb.convertToFormat(QImage::Format_Indexed8, paleta, Qt::ThresholdDither | Qt::AvoidDither);
    out.setColorCount(256); // keeps the file 8-bit even with few colours
    return out;
}

// The program's own 8-bit pictures are compressed with run lengths.
bool zapisz(const QImage& img, const QString& sciezka, bool rle8 = false)
{
    if (rle8 ? zm::artgen::ZapiszRle8(img, sciezka) : img.save(sciezka, "BMP")) return true;
    std::fprintf(stderr, "zm_artgen: cannot write %s\n", qPrintable(sciezka));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: zm_artgen <graphics-folder> <resource-folder>\n");
        return 2;
    }
    const QString grafika = QString::fromLocal8Bit(argv[1]);
    const QString zasoby = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(grafika);
    QDir().mkpath(zasoby);

    bool ok = true;
    // The catalogue's pictures, each drawn for what it stands for.
    for (const zm::assets::Plik& p : zm::assets::Katalog()) {
        if (p.folder != zm::assets::Folder::Graphics) continue;
        const std::string_view z = p.znaczenie;
        const QString sciezka = grafika + QLatin1Char('/') + QString::fromLatin1(p.nazwa);
        if (z.size() == 1 && z[0] >= '0' && z[0] <= '9')
            ok &= zapisz(cyfra(z[0] - '0'), sciezka);
        else if (z.size() == 1)
            ok &= zapisz(znak(z[0]), sciezka);
        else if (z == "kursor")
            ok &= zapisz(kursor(), sciezka);
        else if (z == "start")
            ok &= zapisz(przyciskStartStop(QStringLiteral("START"), QColor(64, 178, 72), QColor(28, 110, 40)), sciezka);
        else if (z == "stop")
            ok &= zapisz(przyciskStartStop(QStringLiteral("STOP"), QColor(222, 70, 58), QColor(140, 28, 24)), sciezka);
        else {
            std::fprintf(stderr, "zm_artgen: no drawing for %s (%s)\n", p.nazwa, p.znaczenie);
            ok = false;
        }
    }

    const std::vector<QRgb> kolory{qRgb(254, 2, 254),   qRgb(24, 41, 51),    qRgb(218, 219, 222),
                                   qRgb(187, 190, 200), qRgb(79, 136, 167),  kPanel.rgb(),
                                   qRgb(242, 246, 255), qRgb(229, 230, 234), qRgb(186, 188, 197),
                                   qRgb(0, 0, 0),       qRgb(255, 255, 255)};
    ok &= zapisz(do8Bitow(tlo(), kolory), zasoby + "/tlo.bmp", true);
    ok &= tlo(2).save(zasoby + "/tlo@2x.png", "PNG");
    ok &= zapisz(do8Bitow(pasekChrome(true), {}), zasoby + "/zamknij.bmp", true);
    ok &= zapisz(do8Bitow(pasekChrome(false), {}), zasoby + "/minimalizuj.bmp", true);
    ok &= ikona().save(zasoby + "/ikona.png", "PNG");
    return ok ? 0 : 1;
}
