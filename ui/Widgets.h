// Small windowless controls of the main window: an image that paints its
// picture, a rectangle shape, and a flat speed button.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QImage>
#include <QPen>
#include <QWidget>

namespace zm {

// A label with its name, place, font and text colour; the text is drawn from
// the label's top.
QLabel* NowaEtykieta(QWidget* rodzic, const char* nazwa, const QRect& geometria, const QString& tekst,
                     const QFont& font, const QColor& kolor, Qt::Alignment wyrownanie = Qt::AlignHCenter | Qt::AlignTop);

// Paints its picture at the top-left corner, unscaled and opaque, clipped to
// the control. With no picture it is fully transparent.
class TImage : public QWidget {
    Q_OBJECT
public:
    explicit TImage(QWidget* parent = nullptr);

    const QImage& Picture() const { return picture_; }
    QImage& Picture() { return picture_; }
    void setPicture(const QImage& img);

signals:
    void mousePressed(Qt::MouseButton button, QPoint pos);
    void mouseMoved(QPoint pos);
    void mouseReleased(Qt::MouseButton button, QPoint pos);
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QImage picture_;
    bool lewy_ = false;
};

// A rectangle with a brush and a one-pixel pen; either may be switched off.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);

    void setBrushColor(const QColor& c);
    void setBrushVisible(bool v);
    void setPenColor(const QColor& c);
    void setPenVisible(bool v);
    QColor brushColor() const { return brush_; }

signals:
    void mousePressed(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QColor brush_{Qt::white};
    QColor pen_{Qt::black};
    bool brushVisible_ = true;
    bool penVisible_ = true;
};

// A flat button: its caption on the parent's background, a thin raised
// border under the pointer, sunken while pressed, embossed grey when
// disabled. It never takes the keyboard focus.
class TFlatSpeedButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TFlatSpeedButton(const QString& caption, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {74, 19}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    bool nad_ = false;
};

} // namespace zm
