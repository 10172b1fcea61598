#include "DialogSupport.h"

#include "Fonts.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace zm {

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
}

void WysrodkujNaEkranie(QWidget& okno)
{
    // The client area is placed, not the frame: the frame is not known
    // before the first showing, and every showing must land in one place.
    if (const QScreen* ekran = QGuiApplication::primaryScreen())
        okno.setGeometry(QRect(ekran->availableGeometry().center() - QPoint(okno.width() / 2, okno.height() / 2),
                               okno.size()));
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
    if (e->type() != QEvent::WindowStateChange || !dialog.isMinimized()) return;
    QWidget* rodzic = dialog.parentWidget();
    if (!rodzic) return;
    dialog.setWindowState(dialog.windowState() & ~Qt::WindowMinimized);
    rodzic->showMinimized();
}

void UstawKolejnoscTab(std::initializer_list<QWidget*> kolejnosc)
{
    QWidget* poprzedni = nullptr;
    for (QWidget* w : kolejnosc) {
        if (poprzedni) QWidget::setTabOrder(poprzedni, w);
        poprzedni = w;
    }
}

} // namespace zm
