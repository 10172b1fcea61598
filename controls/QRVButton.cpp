#include "QRVButton.h"

#include "Fonts.h"

#include <QEnterEvent>
#include <QFontMetrics>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <cstdlib>
#include <initializer_list>
#include <utility>

namespace {

// Pixel drawing with the classic raster rules: a line colours its start and
// stops before its end; a box (x1, y1)-(x2, y2) covers columns x1..x2-1 and
// rows y1..y2-1. Everything outside the image is clipped.
class Raster {
public:
    explicit Raster(QImage& img) : img_(img) {}

    void punkt(int x, int y, QRgb c)
    {
        if (x >= 0 && y >= 0 && x < img_.width() && y < img_.height()) img_.setPixel(x, y, c);
    }

    void linia(int x0, int y0, int x1, int y1, QRgb c)
    {
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int err = dx + dy;
        while (x0 != x1 || y0 != y1) {
            punkt(x0, y0, c);
            const int e2 = 2 * err;
            if (e2 >= dy) {
                err += dy;
                x0 += sx;
            }
            if (e2 <= dx) {
                err += dx;
                y0 += sy;
            }
        }
    }

    void lamana(std::initializer_list<QPoint> punkty, int dx, int dy, QRgb c)
    {
        const QPoint* poprzedni = nullptr;
        for (const QPoint& p : punkty) {
            if (poprzedni) linia(poprzedni->x() + dx, poprzedni->y() + dy, p.x() + dx, p.y() + dy, c);
            poprzedni = &p;
        }
    }

    // A filled box with a one-pixel outline, both in the pass colour.
    void prostokat(int x1, int y1, int x2, int y2, QRgb c)
    {
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x) punkt(x, y, c);
    }

    // A filled ellipse inscribed in the box; pixel centres inside it are set.
    void elipsa(int x1, int y1, int x2, int y2, QRgb c)
    {
        const double rx = (x2 - x1) / 2.0, ry = (y2 - y1) / 2.0;
        if (rx <= 0 || ry <= 0) return;
        const double cx = x1 + rx, cy = y1 + ry;
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x) {
                const double u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
                if (u * u + v * v <= 1.0) punkt(x, y, c);
            }
    }

private:
    QImage& img_;
};

} // namespace

TQRVButton::TQRVButton(QWidget* parent) : QWidget(parent)
{
    // An image control is 105 x 105 when created and has no picture.
    resize(105, 105);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, false);

    font_ = zm::fonts::MsSansSerif(11);
    myszNad_ = false;
    caption_ = QStringLiteral("QRVButton");
    captionMargin_ = 10;
    captionSkroc_ = true;
    captionEnd_ = QStringLiteral("...");
    gryphCount_ = 1;
    aktywny_ = true;
    setEnabled(true);
    SkrocCaption();
    RysujStan(1);
}

TQRVButton::~TQRVButton() = default;

int TQRVButton::SzerokoscKlatki() const { return glyph_.width() / gryphCount_; }

void TQRVButton::setGlyph(const QImage& glyph)
{
    glyph_ = glyph.isNull() ? QImage() : glyph.convertToFormat(QImage::Format_RGB32);
    picture_ = glyph_.copy();
    SkrocCaption();
    DopasujRozmiar();
    RysujStan(1);
}

void TQRVButton::setGryphCount(int count)
{
    gryphCount_ = count < 1 ? 1 : (count > 4 ? 4 : count);
    SkrocCaption();
    DopasujRozmiar();
    RysujStan(1);
}

void TQRVButton::setCaption(const QString& caption)
{
    caption_ = caption;
    SkrocCaption();
    RysujStan(1);
}

void TQRVButton::setCaptionMargin(int margin)
{
    captionMargin_ = margin & 0xFF;
    SkrocCaption();
    RysujStan(1);
}

void TQRVButton::setCaptionSkroc(bool skroc)
{
    captionSkroc_ = skroc;
    SkrocCaption();
    RysujStan(1);
}

void TQRVButton::setCaptionEnd(const QString& end)
{
    captionEnd_ = end;
    SkrocCaption();
    RysujStan(1);
}

void TQRVButton::setAktywny(bool aktywny)
{
    if (gryphCount_ < 4) return;
    aktywny_ = aktywny;
    setEnabled(aktywny);
    RysujStan(1);
}

void TQRVButton::DopasujRozmiar()
{
    if (glyph_.width() == 0) return;
    resize(SzerokoscKlatki(), glyph_.height());
}

void TQRVButton::paintEvent(QPaintEvent*)
{
    if (picture_.isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

// Pointer enter and leave. Qt holds a pressed button's leave back until the
// release, so moves during a press report the crossings themselves; the flag
// keeps each crossing from being handled twice.
void TQRVButton::enterEvent(QEnterEvent*)
{
    if (wewnatrz_) return;
    wewnatrz_ = true;
    CMMouseEnter();
}

void TQRVButton::leaveEvent(QEvent*)
{
    if (!wewnatrz_) return;
    wewnatrz_ = false;
    CMMouseLeave();
}

void TQRVButton::mouseMoveEvent(QMouseEvent* event)
{
    const bool wewnatrz = rect().contains(event->position().toPoint());
    if (wewnatrz == wewnatrz_) return;
    wewnatrz_ = wewnatrz;
    if (wewnatrz)
        CMMouseEnter();
    else
        CMMouseLeave();
}

void TQRVButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) lewyWcisniety_ = true;
    const QPoint p = event->position().toPoint();
    MouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TQRVButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        const bool klik = lewyWcisniety_ && rect().contains(p) && isEnabled();
        lewyWcisniety_ = false;
        if (klik) emit clicked();
    }
    MouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void TQRVButton::CMMouseEnter()
{
    if (!aktywny_) return;
    RysujStan(gryphCount_ > 2 ? 3 : 1);
    myszNad_ = true;
    emit OnMouseEnter(this);
}

void TQRVButton::CMMouseLeave()
{
    if (!aktywny_) return;
    RysujStan(1);
    myszNad_ = false;
}

void TQRVButton::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (!aktywny_) return;
    if (button == Qt::LeftButton) RysujStan(2);
    emit OnMouseDown(this, button, shift, x, y);
}

void TQRVButton::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (!aktywny_) return;
    RysujStan(gryphCount_ > 2 && myszNad_ ? 3 : 1);
    emit OnMouseUp(this, button, shift, x, y);
}

void TQRVButton::RysujStan(std::uint8_t stan)
{
    if (!aktywny_) stan = 4;
    const int w = SzerokoscKlatki();
    const int h = glyph_.height();
    if (picture_.isNull() || w == 0 || h == 0) {
        update();
        return;
    }
    // A frame the strip does not hold (a pressed frame asked of a one-frame
    // strip, or the inactive frame after the count was lowered) falls back to
    // the normal frame, so nothing outside the strip is ever read.
    int klatka = stan - 1;
    if (klatka >= gryphCount_) klatka = 0;

    QPainter p(&picture_);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), glyph_, QRect(klatka * w, 0, w, h));
    p.end();

    const QFontMetrics fm(font_, &picture_);
    const int tw = fm.horizontalAdvance(captionWidoczny_);
    const int th = fm.height();
    // Integer division truncates toward zero, as the centring expects.
    const int x = (w - tw) / 2;
    const int y = (h - th) / 2;

    if (!RysujPiktogram(y)) {
        QPainter t(&picture_);
        t.setBrush(Qt::NoBrush);
        t.setFont(font_);
        const std::pair<QPoint, QRgb> przebiegi[] = {
            {{x - 1, y - 1}, KolorPoswiaty}, {{x + 1, y + 1}, KolorPoswiaty}, {{x, y}, qRgb(0, 0, 0)}};
        for (const auto& [punkt, kolor] : przebiegi) {
            t.setPen(QColor::fromRgb(kolor));
            t.drawText(punkt.x(), punkt.y() + fm.ascent(), captionWidoczny_);
        }
    }
    update();
}

bool TQRVButton::RysujPiktogram(int y)
{
    if (funcTyp_ != 'a') return false;
    Raster r(picture_);
    // The regional decimal separator, looked up at every drawing.
    const QString separator = QLocale().decimalPoint();
    const bool przecinek = separator == QLatin1String(",");
    const bool kropka = separator == QLatin1String(".");
    const std::pair<int, QRgb> przebiegi[] = {{-1, KolorPoswiaty}, {1, KolorPoswiaty}, {0, qRgb(0, 0, 0)}};
    for (const auto& [o, c] : przebiegi) {
        const int Y = y + o; // every pass is moved by the same amount in x and y
        auto L = [&](int x0, int y0, int x1, int y1) { r.linia(x0 + o, Y + y0, x1 + o, Y + y1, c); };
        auto B = [&](int x1, int y1, int x2, int y2) { r.prostokat(x1 + o, Y + y1, x2 + o, Y + y2, c); };
        auto P = [&](std::initializer_list<QPoint> pts) { r.lamana(pts, o, Y, c); };
        switch (funcNumer_) {
        case 23: // plus
            L(28, 1, 28, 12);
            L(23, 6, 34, 6);
            break;
        case 24: // minus
            L(23, 7, 33, 7);
            break;
        case 26: // dot
            r.elipsa(25 + o, Y + 4, 31 + o, Y + 10, c);
            break;
        case 3: // decimal separator; any other than "," or "." leaves the caption
            if (przecinek) {
                B(19, 7, 21, 9);
                P({{20, 9}, {20, 10}, {19, 10}, {19, 12}});
            } else if (kropka) {
                B(19, 8, 21, 10);
            } else {
                return false;
            }
            break;
        case 20: // semicolon
            B(19, 2, 21, 4);
            B(19, 9, 21, 11);
            P({{20, 11}, {20, 12}, {19, 12}, {19, 14}});
            break;
        case 25: // slash
            L(30, 1, 25, 12);
            break;
        case 44: // radical with a small x
            P({{21, 7}, {25, 7}, {26, 9}, {27, 12}, {29, 1}, {40, 1}});
            L(21, 1, 26, 6);
            L(25, 1, 20, 6);
            break;
        case 32: // N with a small x
            P({{23, 11}, {23, 3}, {25, 5}, {25, 6}, {27, 8}, {27, 9}, {29, 11}, {29, 2}});
            L(32, 1, 37, 6);
            L(36, 1, 31, 6);
            break;
        default: // not a pictogram: the caption is drawn instead
            return false;
        }
    }
    return true;
}

void TQRVButton::SkrocCaption()
{
    if (!captionSkroc_) {
        captionWidoczny_ = caption_;
        return;
    }
    if (caption_.isEmpty()) {
        captionWidoczny_.clear();
        return;
    }
    const int w = SzerokoscKlatki();
    // Measured on a surface of the frame's width with the caption font.
    const QImage powierzchnia(qMax(w, 1), 1, QImage::Format_RGB32);
    const QFontMetrics fm(font_, &powierzchnia);
    if (fm.horizontalAdvance(caption_) + captionMargin_ < w) {
        captionWidoczny_ = caption_;
        return;
    }
    qsizetype n = caption_.size();
    for (qsizetype i = caption_.size(); i >= 1; --i) {
        if (fm.horizontalAdvance(caption_.left(i) + captionEnd_) + captionMargin_ < w) {
            n = i - 1;
            break;
        }
    }
    captionWidoczny_ = caption_.left(n) + captionEnd_;
}
