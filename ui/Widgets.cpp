#include "Widgets.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

namespace zm {

QLabel* NowaEtykieta(QWidget* rodzic, const char* nazwa, const QRect& geometria, const QString& tekst,
                     const QFont& font, const QColor& kolor, Qt::Alignment wyrownanie)
{
    auto* l = new QLabel(tekst, rodzic);
    l->setObjectName(QString::fromLatin1(nazwa));
    l->setGeometry(geometria);
    l->setFont(font);
    l->setAlignment(wyrownanie);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, kolor);
    l->setPalette(pal);
    return l;
}

TImage::TImage(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void TImage::setPicture(const QImage& img)
{
    picture_ = img;
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

void TImage::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) lewy_ = true;
    emit mousePressed(e->button(), e->position().toPoint());
}

void TImage::mouseMoveEvent(QMouseEvent* e) { emit mouseMoved(e->globalPosition().toPoint()); }

void TImage::mouseReleaseEvent(QMouseEvent* e)
{
    const bool klik = e->button() == Qt::LeftButton && lewy_ && rect().contains(e->position().toPoint());
    if (e->button() == Qt::LeftButton) lewy_ = false;
    emit mouseReleased(e->button(), e->globalPosition().toPoint());
    if (klik) emit clicked();
}

TShape::TShape(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

void TShape::setBrushColor(const QColor& c)
{
    brush_ = c;
    update();
}
void TShape::setBrushVisible(bool v)
{
    brushVisible_ = v;
    update();
}
void TShape::setPenColor(const QColor& c)
{
    pen_ = c;
    update();
}
void TShape::setPenVisible(bool v)
{
    penVisible_ = v;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (brushVisible_) p.fillRect(rect(), brush_);
    if (penVisible_) {
        p.setPen(pen_);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TShape::mousePressEvent(QMouseEvent* e) { emit mousePressed(e->button()); }

TFlatSpeedButton::TFlatSpeedButton(const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TFlatSpeedButton::enterEvent(QEnterEvent* e)
{
    nad_ = true;
    update();
    QAbstractButton::enterEvent(e);
}

void TFlatSpeedButton::leaveEvent(QEvent* e)
{
    nad_ = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void TFlatSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const bool wcisniety = isDown();
    if (isEnabled() && (nad_ || wcisniety)) {
        p.setPen(wcisniety ? QColor(128, 128, 128) : Qt::white);
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(wcisniety ? Qt::white : QColor(128, 128, 128));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
    }
    const QRect tekst = rect().translated(wcisniety ? 1 : 0, wcisniety ? 1 : 0);
    if (isEnabled()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(tekst, Qt::AlignCenter, text());
    } else {
        p.setPen(Qt::white);
        p.drawText(tekst.translated(1, 1), Qt::AlignCenter, text());
        p.setPen(QColor(128, 128, 128));
        p.drawText(tekst, Qt::AlignCenter, text());
    }
}

} // namespace zm
