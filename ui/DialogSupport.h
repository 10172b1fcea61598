// What the dialogs share: a fixed client size, a close box only, the
// button-face background and the small font, their place centred over the
// main window, and the tab order. Their icon is the application's.
//
// Where a dialog lives: on X11 it is a window of its own, transient for the
// main window, whose client area is centred over the main window's. A
// Wayland client cannot place its windows (GNOME puts them in the top-left
// corner and gives them minimise and maximise buttons that never report
// back), so there the dialog is drawn inside the main window, centred, under
// a caption of its own with a close box: it cannot be minimised or lost, and
// it moves with the main window. While it is shown the rest of the main
// window takes no mouse, keyboard focus stays in the dialog, and F2 does not
// start a drill.
#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <initializer_list>

class QCoreApplication;
class QKeyEvent;
class QLabel;
class QRadioButton;

namespace zm {

// Called in the dialog's constructor, after QDialog's: the dialog's parent is
// the main window (or one of its widgets), which it is centred over.
void PrzygotujDialog(QDialog& dialog, const QString& tytul, QSize rozmiar);

// Whether dialogs with a parent are drawn inside the main window (on
// Wayland). Tests may choose, before the dialogs are made.
bool DialogiWOknieGlownym();
void UstawDialogiWOknieGlownym(bool wOknie);

// Whether a dialog is open over `okno` (a window of its own that is modal,
// or one drawn inside it): the window then takes no click of its own.
bool DialogNadOknem(const QWidget& okno);

// Called when the dialog is shown: a window of its own is centred over its
// parent's window (on the screen when it has none) and kept on the screen; a
// dialog drawn inside the main window is placed by it.
void WysrodkujNadRodzicem(QWidget& okno);

void UstawKolejnoscTab(std::initializer_list<QWidget*> kolejnosc);

// A notice at the top of a page (wrapped, selectable, on a pale yellow),
// hidden until it has something to say.
QLabel* EtykietaUwagi(QWidget* rodzic, const char* nazwa);

// A dialog's control of kind T (a button, a label, a group box…) with its
// name, text and place.
template <class T>
T* Kontrolka(QWidget* rodzic, const char* nazwa, const QString& tekst, QRect geometria)
{
    auto* w = new T(tekst, rodzic);
    w->setObjectName(QString::fromLatin1(nazwa));
    w->setGeometry(geometria);
    return w;
}

// Return and Enter click the focused push button, as Space does, whether or
// not it is a default button.
bool KliknijSkupionyPrzycisk(QDialog& dialog, QKeyEvent* e);

// Tab enters each group of radio buttons at its checked button: only the
// checked one takes focus by Tab (the arrows move within the group).
void TabNaZaznaczony(std::initializer_list<QRadioButton*> grupa);

// A modal dialog that the window manager minimises takes the program with
// it: the main window (its parent) is minimised in its place, and the dialog
// comes back with it. (A dialog drawn inside the main window is never
// minimised on its own.)
void MinimalizujZRodzicem(QDialog& dialog, QEvent* e);

// Qt's own texts (the file and message dialogs' buttons) in Polish, from
// Qt's translations when they are installed. Returns whether they were.
bool ZaladujTlumaczeniaQt(QCoreApplication& aplikacja);

// A dialog of the program with what they all do: made by PrzygotujDialog,
// centred over its parent when shown (after PrzedPokazaniem), Enter clicks
// the focused button, minimised with its parent; closed, the main window's
// keyboard is back in the answer field.
class DialogProgramu : public QDialog {
public:
    DialogProgramu(QWidget* parent, const char* nazwa, const QString& tytul, QSize rozmiar);

protected:
    virtual void PrzedPokazaniem() {}
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
};

} // namespace zm
