// TQRVButton: a push button whose whole look comes from a strip of up to four
// equal frames (normal, pressed, pointer over, inactive). Over the frame it
// draws its caption, shortened with an ending when it does not fit, or one of
// nine built-in pictograms.
//
// It is a plain child widget without a native window and without keyboard
// focus. It draws into its drawing buffer (`Picture`) and paints only that
// buffer, unscaled, at its top-left corner.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>

class TQRVButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QImage Glyph READ Glyph WRITE setGlyph)
    Q_PROPERTY(int GryphCount READ GryphCount WRITE setGryphCount)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int CaptionMargin READ CaptionMargin WRITE setCaptionMargin)
    Q_PROPERTY(bool CaptionSkroc READ CaptionSkroc WRITE setCaptionSkroc)
    Q_PROPERTY(QString CaptionEnd READ CaptionEnd WRITE setCaptionEnd)
    Q_PROPERTY(bool Aktywny READ Aktywny WRITE setAktywny)
    Q_PROPERTY(int FuncNumer READ FuncNumer WRITE setFuncNumer)
    Q_PROPERTY(char FuncTyp READ FuncTyp WRITE setFuncTyp)

public:
    // Colour of the two highlight passes: one step off white in its red.
    static constexpr QRgb KolorPoswiaty = 0xFFFEFFFF;

    explicit TQRVButton(QWidget* parent = nullptr);
    ~TQRVButton() override;

    // Writing `Glyph` copies the bitmap; the caller keeps its own.
    const QImage& Glyph() const { return glyph_; }
    void setGlyph(const QImage& glyph);
    int GryphCount() const { return gryphCount_; }
    void setGryphCount(int count); // 0 -> 1, above 4 -> 4
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    int CaptionMargin() const { return captionMargin_; }
    void setCaptionMargin(int margin); // an unsigned byte
    bool CaptionSkroc() const { return captionSkroc_; }
    void setCaptionSkroc(bool skroc);
    QString CaptionEnd() const { return captionEnd_; }
    void setCaptionEnd(const QString& end);
    bool Aktywny() const { return aktywny_; }
    void setAktywny(bool aktywny); // ignored below four frames
    int FuncNumer() const { return funcNumer_; }
    void setFuncNumer(int numer) { funcNumer_ = numer; }
    char FuncTyp() const { return funcTyp_; }
    void setFuncTyp(char typ) { funcTyp_ = typ; }

    // The drawing buffer and the caption as drawn.
    const QImage& Picture() const { return picture_; }
    QString CaptionWidoczny() const { return captionWidoczny_; }
    bool MyszNad() const { return myszNad_; }
    QFont CaptionFont() const { return font_; }

signals:
    void OnMouseEnter(TQRVButton* sender);
    void OnMouseDown(TQRVButton* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void OnMouseUp(TQRVButton* sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    // Left button pressed over the button and released inside it.
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void CMMouseEnter();
    void CMMouseLeave();
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

    void DopasujRozmiar();
    void RysujStan(std::uint8_t stan);
    void SkrocCaption();
    // Draws the pictogram chosen by FuncTyp/FuncNumer; false when there is none.
    bool RysujPiktogram(int y);
    int SzerokoscKlatki() const;

    QImage glyph_;
    int gryphCount_ = 1;
    QString caption_;
    QString captionWidoczny_;
    int captionMargin_ = 10;
    bool captionSkroc_ = true;
    QString captionEnd_;
    bool myszNad_ = false;
    bool aktywny_ = true;
    int funcNumer_ = 0;
    char funcTyp_ = 0;

    QImage picture_;
    QFont font_;
    bool wewnatrz_ = false;  // pointer inside, as last reported
    bool lewyWcisniety_ = false;
};
