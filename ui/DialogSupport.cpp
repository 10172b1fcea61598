#include "DialogSupport.h"

#include "Fonts.h"

#include <QGuiApplication>
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
    if (const QScreen* ekran = QGuiApplication::primaryScreen())
        okno.move(ekran->availableGeometry().center() - QPoint(okno.width() / 2, okno.height() / 2));
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
