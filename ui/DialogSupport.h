// What the two dialogs share: a fixed client size, a close box only, the
// button-face background and the small font, centring on the screen, and the
// tab order. Their icon is the application's.
#pragma once

#include <QDialog>
#include <QSize>
#include <initializer_list>

class QKeyEvent;
class QRadioButton;

namespace zm {

void PrzygotujDialog(QDialog& dialog, const QString& tytul, QSize rozmiar);
void WysrodkujNaEkranie(QWidget& okno);
void UstawKolejnoscTab(std::initializer_list<QWidget*> kolejnosc);

// Return and Enter click the focused push button, as Space does, whether or
// not it is a default button.
bool KliknijSkupionyPrzycisk(QDialog& dialog, QKeyEvent* e);

// Tab enters each group of radio buttons at its checked button: only the
// checked one takes focus by Tab (the arrows move within the group).
void TabNaZaznaczony(std::initializer_list<QRadioButton*> grupa);

// A modal dialog that the window manager minimises takes the program with
// it: the main window (its parent) is minimised in its place, and the dialog
// comes back with it.
void MinimalizujZRodzicem(QDialog& dialog, QEvent* e);

} // namespace zm
