#include "DialogSupport.h"

#include "Fonts.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QTranslator>

#include <algorithm>
#include <optional>

namespace zm {

namespace {

std::optional<bool> gWOknie;

// The caption drawn over a dialog inside the main window, and its border.
constexpr int kPasek = 20;
constexpr int kBrzeg = 1;

// Covers the main window under a dialog drawn inside it: takes every mouse
// event, so nothing behind the dialog reacts. It paints nothing.
class Tarcza : public QWidget {
public:
    explicit Tarcza(QWidget* okno) : QWidget(okno)
    {
        setObjectName(QStringLiteral("TarczaDialogu"));
        setCursor(Qt::ArrowCursor);
        hide();
    }

protected:
    bool event(QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            e->accept();
            return true;
        default: return QWidget::event(e);
        }
    }
};

// The frame of a dialog drawn inside the main window: a one-pixel border and
// a caption with the dialog's title and a close box.
class Ramka : public QWidget {
public:
    Ramka(QWidget* tarcza, QDialog& dialog) : QWidget(tarcza), dialog_(dialog)
    {
        setObjectName(QStringLiteral("RamkaDialogu"));
        setFixedSize(dialog.width() + 2 * kBrzeg, dialog.height() + kPasek + kBrzeg);
        auto* zamknij = new QToolButton(this);
        zamknij->setObjectName(QStringLiteral("ZamknijDialog"));
        zamknij->setAccessibleName(QStringLiteral("Zamknij"));
        zamknij->setFocusPolicy(Qt::NoFocus);
        zamknij->setAutoRaise(true);
        zamknij->setGeometry(width() - kBrzeg - 18, kBrzeg + 2, 16, 16);
        zamknij->setIcon(QIcon(ikonaZamknij()));
        QObject::connect(zamknij, &QToolButton::clicked, &dialog, [d = &dialog] { d->close(); });
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(64, 64, 64));
        QLinearGradient g(0, 0, width(), 0);
        g.setColorAt(0, QColor(10, 36, 106));
        g.setColorAt(1, QColor(88, 126, 196));
        const QRect pasek(kBrzeg, kBrzeg, width() - 2 * kBrzeg, kPasek - kBrzeg);
        p.fillRect(pasek, g);
        p.setPen(Qt::white);
        p.setFont(fonts::MsSansSerif(11, true));
        p.drawText(pasek.adjusted(5, 0, -24, 0), Qt::AlignVCenter | Qt::AlignLeft, dialog_.windowTitle());
    }

private:
    static QPixmap ikonaZamknij()
    {
        QPixmap x(16, 16);
        x.fill(Qt::transparent);
        QPainter p(&x);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(4, 4, 11, 11);
        p.drawLine(11, 4, 4, 11);
        return x;
    }

    QDialog& dialog_;
};

// Makes a dialog a part of the main window and keeps it modal there: shown,
// it lies centred over the window in its frame, above a shield that takes
// the mouse; the keyboard's focus is given to it and, when it closes, back
// to the control that had it. Tab stays within the dialog (a sub-window to
// Qt), and F2, which starts a drill from anywhere in the main window, is
// dropped while it is shown.
class Nakladka : public QObject {
public:
    Nakladka(QDialog& dialog, QWidget* okno) : QObject(&dialog), dialog_(dialog), okno_(okno)
    {
        tarcza_ = new Tarcza(okno);
        ramka_ = new Ramka(tarcza_, dialog);
        dialog.setParent(ramka_, Qt::SubWindow);
        dialog.move(kBrzeg, kPasek);
        dialog.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* obiekt, QEvent* e) override
    {
        if (obiekt == &dialog_ && e->type() == QEvent::ShowToParent) Pokaz();
        if (obiekt == &dialog_ && e->type() == QEvent::HideToParent) Ukryj();
        if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease ||
             e->type() == QEvent::ShortcutOverride) &&
            static_cast<QKeyEvent*>(e)->key() == Qt::Key_F2 && obiekt->isWidgetType() &&
            static_cast<QWidget*>(obiekt)->window() == okno_)
            return true;
        return false;
    }

private:
    void Pokaz()
    {
        if (!tarcza_ || tarcza_->isVisible()) return;
        poprzedni_ = QApplication::focusWidget();
        tarcza_->setGeometry(okno_->rect());
        QRect r(QPoint(), ramka_->size());
        r.moveCenter(tarcza_->rect().center());
        ramka_->move(r.topLeft());
        tarcza_->raise();
        tarcza_->show();
        qApp->installEventFilter(this);
        // A control the dialog chose before it was shown takes the focus
        // now (the window only recorded it).
        QWidget* f = okno_->focusWidget();
        if (f && dialog_.isAncestorOf(f) && f->isVisibleTo(&dialog_) && f->isEnabled()) {
            f->setFocus(Qt::OtherFocusReason);
            return;
        }
        // The first control of the dialog's tab order.
        for (QWidget* w = dialog_.nextInFocusChain(); w && w != &dialog_; w = w->nextInFocusChain())
            if (dialog_.isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&dialog_) &&
                w->isEnabled()) {
                w->setFocus(Qt::TabFocusReason);
                return;
            }
    }
    void Ukryj()
    {
        qApp->removeEventFilter(this);
        if (tarcza_) tarcza_->hide();
        // Back where typing answers works (the main window's focus proxy),
        // never to a control of the hidden dialog.
        if (okno_ && okno_->focusProxy())
            okno_->setFocus(Qt::OtherFocusReason);
        else if (poprzedni_ && !dialog_.isAncestorOf(poprzedni_))
            poprzedni_->setFocus(Qt::OtherFocusReason);
    }

    QDialog& dialog_;
    QPointer<QWidget> okno_;
    QPointer<QWidget> tarcza_;
    QWidget* ramka_ = nullptr;
    QPointer<QWidget> poprzedni_;
};

} // namespace

bool DialogiWOknieGlownym()
{
    if (gWOknie) return *gWOknie;
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void UstawDialogiWOknieGlownym(bool wOknie) { gWOknie = wOknie; }

void PrzygotujDialog(QDialog& dialog, const QString& tytul, QSize rozmiar)
{
    dialog.setWindowTitle(tytul);
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    dialog.setFixedSize(rozmiar);
    dialog.setModal(true);
    dialog.setFont(fonts::MsSansSerif(11));
    QPalette pal = dialog.palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    dialog.setPalette(pal);
    dialog.setAutoFillBackground(true);
    QWidget* rodzic = dialog.parentWidget();
    if (!rodzic || !DialogiWOknieGlownym()) return;
    // A dialog too large for the main window stays a window of its own.
    QWidget* okno = rodzic->window();
    if (rozmiar.width() + 2 * kBrzeg > okno->width() || rozmiar.height() + kPasek + kBrzeg > okno->height()) return;
    new Nakladka(dialog, okno);
}

bool DialogNadOknem(const QWidget& okno)
{
    const QWidget* modalny = QApplication::activeModalWidget();
    if (modalny && modalny != okno.window()) return true;
    const auto tarcze = okno.window()->findChildren<QWidget*>(QStringLiteral("TarczaDialogu"));
    return std::any_of(tarcze.begin(), tarcze.end(), [](const QWidget* t) { return !t->isHidden(); });
}

void WysrodkujNadRodzicem(QWidget& okno)
{
    if (!okno.isWindow()) return;
    const QScreen* ekran = okno.screen() ? okno.screen() : QGuiApplication::primaryScreen();
    if (!ekran) return;
    // The client area is placed, not the frame: the frame is not known
    // before the first showing, and every showing must land in one place.
    QRect r(QPoint(), okno.size());
    const QWidget* rodzic = okno.parentWidget() ? okno.parentWidget()->window() : nullptr;
    r.moveCenter(rodzic ? rodzic->geometry().center() : ekran->availableGeometry().center());
    // Kept on the screen when the main window lies at its edge.
    const QRect dostepny = ekran->availableGeometry();
    r.moveLeft(std::clamp(r.left(), dostepny.left(), std::max(dostepny.left(), dostepny.right() - r.width() + 1)));
    r.moveTop(std::clamp(r.top(), dostepny.top(), std::max(dostepny.top(), dostepny.bottom() - r.height() + 1)));
    okno.setGeometry(r);
}

bool KliknijSkupionyPrzycisk(QDialog& dialog, QKeyEvent* e)
{
    if (e->key() != Qt::Key_Return && e->key() != Qt::Key_Enter) return false;
    auto* przycisk = qobject_cast<QPushButton*>(dialog.focusWidget());
    if (!przycisk || !przycisk->isEnabled()) return false;
    przycisk->animateClick();
    return true;
}

void TabNaZaznaczony(std::initializer_list<QRadioButton*> grupa)
{
    for (QRadioButton* r : grupa) {
        r->setFocusPolicy(r->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
        QObject::connect(r, &QRadioButton::toggled, r,
                         [r](bool zaznaczony) { r->setFocusPolicy(zaznaczony ? Qt::StrongFocus : Qt::ClickFocus); });
    }
}

void MinimalizujZRodzicem(QDialog& dialog, QEvent* e)
{
    if (e->type() != QEvent::WindowStateChange || !dialog.isWindow() || !dialog.isMinimized()) return;
    QWidget* rodzic = dialog.parentWidget();
    if (!rodzic) return;
    dialog.setWindowState(dialog.windowState() & ~Qt::WindowMinimized);
    rodzic->showMinimized();
}

QLabel* EtykietaUwagi(QWidget* rodzic, const char* nazwa)
{
    auto* l = new QLabel(rodzic);
    l->setObjectName(QString::fromLatin1(nazwa));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setContentsMargins(6, 4, 6, 4);
    l->setStyleSheet(QStringLiteral("background: rgb(255, 244, 200);"));
    l->hide();
    return l;
}

void UstawKolejnoscTab(std::initializer_list<QWidget*> kolejnosc)
{
    QWidget* poprzedni = nullptr;
    for (QWidget* w : kolejnosc) {
        if (poprzedni) QWidget::setTabOrder(poprzedni, w);
        poprzedni = w;
    }
}

bool ZaladujTlumaczeniaQt(QCoreApplication& aplikacja)
{
    auto* tlumaczenia = new QTranslator(&aplikacja);
    if (!tlumaczenia->load(QLocale(QLocale::Polish, QLocale::Poland), QStringLiteral("qtbase"),
                           QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete tlumaczenia;
        return false;
    }
    return QCoreApplication::installTranslator(tlumaczenia);
}

DialogProgramu::DialogProgramu(QWidget* parent, const char* nazwa, const QString& tytul, QSize rozmiar)
    : QDialog(parent)
{
    setObjectName(QString::fromLatin1(nazwa));
    PrzygotujDialog(*this, tytul, rozmiar);
}

void DialogProgramu::showEvent(QShowEvent* e)
{
    PrzedPokazaniem();
    WysrodkujNadRodzicem(*this);
    QDialog::showEvent(e);
}

void DialogProgramu::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    // A window of its own gives the main window's keyboard back to where
    // typing answers works, whichever button opened it.
    if (isWindow() && parentWidget() && parentWidget()->window()->focusProxy())
        parentWidget()->window()->setFocus(Qt::OtherFocusReason);
}

void DialogProgramu::keyPressEvent(QKeyEvent* e)
{
    if (!KliknijSkupionyPrzycisk(*this, e)) QDialog::keyPressEvent(e);
}

void DialogProgramu::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    MinimalizujZRodzicem(*this, e);
}

} // namespace zm
