// What the two dialogs share: a fixed client size, a close box only, the
// button-face background and the small font, centring on the screen, and the
// tab order. Their icon is the application's.
#pragma once

#include <QDialog>
#include <QSize>
#include <initializer_list>

namespace zm {

void PrzygotujDialog(QDialog& dialog, const QString& tytul, QSize rozmiar);
void WysrodkujNaEkranie(QWidget& okno);
void UstawKolejnoscTab(std::initializer_list<QWidget*> kolejnosc);

} // namespace zm
