#include "MainLayout.h"

#include "Accessibility.h"
#include "Bitmap.h"
#include "Compositing.h"
#include "DrillState.h"
#include "Fonts.h"
#include "QRVButton.h"
#include "Widgets.h"
#include "WindowShape.h"
#include "ZmConfig.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QRegularExpressionValidator>
#include <QTimer>

#include <variant>
#include <vector>

namespace zm {

namespace {

using K = KomponentyGlowne;

// A grade label: LabelOcena[n].
struct Ocena {
    int n;
};

struct Wiersz {
    std::variant<TImage* K::*, TShape* K::*, QLabel* K::*, TQRVButton* K::*, TFlatSpeedButton* K::*, Ocena> pole;
    const char* nazwa;
    QRect geometria;       // a chrome button takes its size from its strip
    const char* tekst;     // a label's text, a flat button's caption, a chrome button's strip
    QFont (*czcionka)();   // labels
    QColor kolor;          // a label's text, a shape's brush (invalid: none)
    QColor obrys;          // a shape's pen (invalid: none)
};

QFont licznik() { return fonts::Verdana(48, true); }
QFont numer() { return fonts::Verdana(37, true); }
QFont maly() { return fonts::MsSansSerif(11); }
QFont ocena() { return fonts::Verdana(16, true); }
QFont ocenaDuza() { return fonts::Verdana(32, true); }

const QColor kSzaryPaska(167, 170, 179);

const std::vector<Wiersz>& tabela()
{
    static const std::vector<Wiersz> t{
        {&K::ImgTlo, "ImgTlo", {0, 0, SzerokoscOkna, WysokoscOkna}, nullptr, nullptr, {}, {}},
        {&K::LabelZle, "LabelZle", {554, 275, 114, 59}, "100", licznik, QColor(255, 0, 0), {}},
        {&K::ProgresTlo, "ProgresTlo", {179, 226, SzerokoscProgresTlo, 15}, nullptr, nullptr, kSzaryPaska,
         QColor(225, 227, 235)},
        {&K::ProgresPozycja, "ProgresPozycja", {180, 227, SzerokoscProgresTlo, 14}, nullptr, nullptr, kSzaryPaska, {}},
        {&K::LabelDobrze, "LabelDobrze", {12, 275, 114, 59}, "100", licznik, QColor(0, 128, 0), {}},
        // The grades in the stacking order of the design: 5, 4, 3, 6, 2, 1.
        {Ocena{5}, "LabelOcena5", {379, 293, 32, 40}, "5", ocenaDuza, Qt::white, {}},
        {Ocena{4}, "LabelOcena4", {346, 293, 32, 40}, "4", ocena, Qt::white, {}},
        {Ocena{3}, "LabelOcena3", {313, 293, 32, 40}, "3", ocena, Qt::white, {}},
        {Ocena{6}, "LabelOcena6", {412, 293, 32, 40}, "6", ocena, Qt::white, {}},
        {Ocena{2}, "LabelOcena2", {280, 293, 32, 40}, "2", ocena, Qt::white, {}},
        {Ocena{1}, "LabelOcena1", {247, 293, 32, 40}, "1", ocena, Qt::white, {}},
        {&K::ImgPytanie, "ImgPytanie", {12, 81, 408, 84}, nullptr, nullptr, {}, {}},
        {&K::ImgWynik, "ImgWynik", {424, 81, 244, 84}, nullptr, nullptr, {}, {}},
        {&K::Label1, "Label1", {6, 336, 127, 13}, "dobre odpowiedzi", maly, Qt::black, {}},
        {&K::Label2, "Label2", {547, 336, 127, 13}, "złe odpowiedzi", maly, Qt::black, {}},
        {&K::LabelPytanieNrCien, "LabelPytanieNrCien", {159, 293, 377, 42}, "0z0", numer, QColor(123, 126, 132), {}},
        {&K::LabelPytanieNr, "LabelPytanieNr", {158, 292, 377, 42}, "0z0", numer, QColor(158, 161, 169), {}},
        {&K::Label_NrPytaniaOcena, "Label_NrPytaniaOcena", {282, 336, 127, 13}, "numer pytania", maly, Qt::black, {}},
        {&K::But_Close, "But_Close", {661, 5, 0, 0}, ":/zamknij.bmp", nullptr, {}, {}},
        {&K::But_Minimize, "But_Minimize", {641, 5, 0, 0}, ":/minimalizuj.bmp", nullptr, {}, {}},
        {&K::ButStartStop, "ButStartStop", {297, 358, 95, 34}, nullptr, nullptr, {}, {}},
        {&K::Shape1, "Shape1", {192, 424, 297, 33}, nullptr, nullptr, {}, {}},
        {&K::ButZamknij, "ButZamknij", {7, 19, 74, 19}, "Zamknij", nullptr, {}, {}},
        {&K::ButUstawienia, "ButUstawienia", {81, 19, 74, 19}, "Ustawienia", nullptr, {}, {}},
        {&K::ButAbout, "ButAbout", {155, 19, 74, 19}, "O programie", nullptr, {}, {}},
        {&K::ButWyniki, "ButWyniki", {229, 19, 74, 19}, "Wyniki", nullptr, {}, {}},
        {&K::ButDziecko, "ButDziecko", {435, 19, 200, 19}, "", nullptr, {}, {}},
    };
    return t;
}

QLabel* etykieta(QWidget* okno, const Wiersz& w)
{
    return NowaEtykieta(okno, w.nazwa, w.geometria, QString::fromUtf8(w.tekst), w.czcionka(), w.kolor);
}

// The background: twice the pixels on a scaled screen. Wayland does not
// shape a window by its mask (it only limits input), and a compositing X
// window manager may ignore the shape: there the window is translucent and
// its background is painted through the same outline the mask uses, so the
// corners show the desktop.
QImage tlo(QWidget* okno)
{
    QImage tlo;
    if (qApp->devicePixelRatio() > 1.25) {
        tlo = assets::WczytajZasob(QStringLiteral(":/tlo@2x.png"), "png").convertToFormat(QImage::Format_RGB32);
        tlo.setDevicePixelRatio(2.0);
    } else {
        // Kept in its 256 colours (a quarter of the memory): the painter
        // takes the colours of the part it draws from the palette.
        tlo = assets::WczytajZasob(QStringLiteral(":/tlo.bmp"), "bmp");
    }
    if (PrzezroczysteNaroza()) {
        okno->setAttribute(Qt::WA_TranslucentBackground);
        tlo = tlo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter p(&tlo);
        const QRect cale(0, 0, SzerokoscOkna, WysokoscOkna);
        p.setClipRegion(QRegion(cale) - ObrysOkna());
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillRect(cale, Qt::transparent);
    }
    return tlo;
}

// A style whose text caret has no width.
class BezKursora : public QProxyStyle {
public:
    int pixelMetric(PixelMetric m, const QStyleOption* o = nullptr, const QWidget* w = nullptr) const override
    {
        return m == PM_TextCursorWidth ? 0 : QProxyStyle::pixelMetric(m, o, w);
    }
};

// The answer field, the only control that takes the keyboard focus. It lies
// under the answer picture, where a magnifier that follows the focus shows
// the answer, and draws nothing of its own. Only digits get in: keys through
// the window's filter, pasted text through the validator.
QLineEdit* poleWyniku(QWidget* okno, TImage* obraz)
{
    auto* e = new QLineEdit(okno);
    e->setObjectName(QStringLiteral("EditWynik"));
    e->setGeometry(obraz->geometry());
    e->stackUnder(obraz);
    e->setFrame(false);
    QPalette p = e->palette();
    for (QPalette::ColorRole r : {QPalette::Base, QPalette::Text, QPalette::Highlight, QPalette::HighlightedText})
        p.setColor(r, Qt::transparent);
    e->setPalette(p);
    // A touch desktop offers a number pad, not a full keyboard.
    e->setInputMethodHints(Qt::ImhDigitsOnly);
    // Its text is never seen (transparent, under the answer picture): it
    // takes the window's own face, already loaded for the labels, before its
    // text, so that no other face is loaded before the first frame (a
    // regular sans face of its own cost a font file and its engine at start).
    e->setFont(fonts::MsSansSerif(11));
    e->setMaxLength(3);
    e->setText(QStringLiteral("0"));
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), e));
    e->setContextMenuPolicy(Qt::NoContextMenu);
    // Its text caret would blink through the answer picture (which shows a
    // cursor of its own): the field's style gives it no width.
    auto* styl = new BezKursora;
    styl->setParent(e);
    e->setStyle(styl);
    return e;
}

} // namespace

void UtworzKomponenty(QWidget* okno, KomponentyGlowne& k)
{
    for (const Wiersz& w : tabela()) {
        std::visit(
            [&](auto pole) {
                using T = decltype(pole);
                if constexpr (std::is_same_v<T, TImage * K::*>) {
                    auto* img = new TImage(okno);
                    img->setObjectName(QString::fromLatin1(w.nazwa));
                    img->setGeometry(w.geometria);
                    k.*pole = img;
                } else if constexpr (std::is_same_v<T, TShape * K::*>) {
                    auto* s = new TShape(okno);
                    s->setObjectName(QString::fromLatin1(w.nazwa));
                    s->setGeometry(w.geometria);
                    s->setBrushVisible(w.kolor.isValid());
                    if (w.kolor.isValid()) s->setBrushColor(w.kolor);
                    s->setPenVisible(w.obrys.isValid());
                    if (w.obrys.isValid()) s->setPenColor(w.obrys);
                    k.*pole = s;
                } else if constexpr (std::is_same_v<T, QLabel * K::*>) {
                    k.*pole = etykieta(okno, w);
                } else if constexpr (std::is_same_v<T, Ocena>) {
                    QLabel* l = etykieta(okno, w);
                    l->setAutoFillBackground(true);
                    QPalette p = l->palette();
                    p.setColor(QPalette::Window, QColor(79, 136, 167));
                    l->setPalette(p);
                    l->hide();
                    k.LabelOcena[static_cast<std::size_t>(pole.n)] = l;
                } else if constexpr (std::is_same_v<T, TQRVButton * K::*>) {
                    auto* b = new TQRVButton(okno);
                    b->setObjectName(QString::fromLatin1(w.nazwa));
                    b->move(w.geometria.topLeft());
                    b->setGlyph(assets::WczytajZasob(QString::fromLatin1(w.tekst), "bmp"));
                    b->setGryphCount(3);
                    b->setCaption(QStringLiteral(" "));
                    b->setCaptionMargin(5);
                    b->setCaptionSkroc(true);
                    b->setCaptionEnd(QStringLiteral("..."));
                    b->setAktywny(true);
                    b->setFuncNumer(0);
                    b->setFuncTyp('\0');
                    k.*pole = b;
                } else {
                    auto* b = new TFlatSpeedButton(QString::fromUtf8(w.tekst), okno);
                    b->setObjectName(QString::fromLatin1(w.nazwa));
                    b->setGeometry(w.geometria);
                    k.*pole = b;
                }
            },
            w.pole);
    }
    k.ImgTlo->setPicture(tlo(okno));
    k.ButStartStop->setCursor(Qt::PointingHandCursor);
    k.Shape1->setCursor(Qt::PointingHandCursor);
    k.Shape1->setToolTip(QString::fromUtf8(config::kAdresWww));
    k.EditWynik = poleWyniku(okno, k.ImgWynik);

    k.Timer = new QTimer(okno);
    k.Timer->setObjectName(QStringLiteral("Timer"));
    k.Timer->setTimerType(Qt::PreciseTimer);
    k.Timer->setInterval(20);
}

void NadajNazwyDostepnosci(QWidget* okno, const KomponentyGlowne& k)
{
    // The drill's pictures that act as buttons are buttons; the flat buttons
    // are reached by Tab; the counter's shadow says nothing.
    for (QWidget* w : std::initializer_list<QWidget*>{k.ButStartStop, k.But_Close, k.But_Minimize})
        OznaczJakoPrzycisk(w);
    for (QWidget* w : std::initializer_list<QWidget*>{k.ButZamknij, k.ButUstawienia, k.ButAbout, k.ButWyniki, k.ButDziecko})
        w->setFocusPolicy(Qt::TabFocus);
    OznaczJakoDekoracje(k.LabelPytanieNrCien);
    // Every control has a Polish name; the counters, the pictures and the
    // start/stop picture keep theirs up to date.
    okno->setAccessibleName(QString::fromUtf8(config::kTytul));
    k.ImgTlo->setAccessibleName(QStringLiteral("Tło okna"));
    k.ImgPytanie->setAccessibleDescription(QStringLiteral("Pytanie"));
    k.ImgWynik->setAccessibleDescription(QStringLiteral("Odpowiedź"));
    k.ProgresTlo->setAccessibleName(QStringLiteral("Pasek czasu"));
    k.ProgresPozycja->setAccessibleName(QStringLiteral("Upływ czasu"));
    k.But_Close->setAccessibleName(QStringLiteral("Zamknij program"));
    k.But_Minimize->setAccessibleName(QStringLiteral("Minimalizuj"));
    k.ButStartStop->setAccessibleName(QStringLiteral("Start"));
    k.Shape1->setAccessibleName(QStringLiteral("Strona ") + QString::fromUtf8(config::kAdresWww));
    k.EditWynik->setAccessibleName(QStringLiteral("Odpowiedź"));
    k.LabelDobrze->setProperty("nazwaDostepnosci", QStringLiteral("Dobre odpowiedzi"));
    k.LabelZle->setProperty("nazwaDostepnosci", QStringLiteral("Złe odpowiedzi"));
    k.LabelPytanieNr->setProperty("nazwaDostepnosci", QStringLiteral("Numer pytania"));
    k.LabelPytanieNrCien->setProperty("nazwaDostepnosci", QStringLiteral("Numer pytania"));
    for (int n = 1; n <= 6; ++n) k.LabelOcena[static_cast<std::size_t>(n)]->setAccessibleName(QStringLiteral("Ocena %1").arg(n));
    for (QLabel* l : {k.LabelDobrze, k.LabelZle, k.LabelPytanieNr, k.LabelPytanieNrCien}) OdswiezNazwe(l);
}

void OdswiezNazwe(QLabel* l)
{
    l->setAccessibleName(l->property("nazwaDostepnosci").toString() + QStringLiteral(": ") + l->text());
}

} // namespace zm
