// The main window's components, written as a table of data: what each one
// is, its name, place, text, font and colours, in the design's stacking
// order. The window holds them under these names.
#pragma once

#include <array>

class QLabel;
class QLineEdit;
class QTimer;
class QWidget;
class TQRVButton;

namespace zm {

class TImage;
class TShape;
class TFlatSpeedButton;

struct KomponentyGlowne {
    TImage* ImgTlo = nullptr;
    QLabel* LabelZle = nullptr;
    TShape* ProgresTlo = nullptr;
    TShape* ProgresPozycja = nullptr;
    QLabel* LabelDobrze = nullptr;
    std::array<QLabel*, 7> LabelOcena{}; // [1]..[6]
    TImage* ImgPytanie = nullptr;
    TImage* ImgWynik = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* LabelPytanieNrCien = nullptr;
    QLabel* LabelPytanieNr = nullptr;
    QLabel* Label_NrPytaniaOcena = nullptr;
    TQRVButton* But_Close = nullptr;
    TQRVButton* But_Minimize = nullptr;
    TImage* ButStartStop = nullptr;
    TShape* Shape1 = nullptr;
    TFlatSpeedButton* ButZamknij = nullptr;
    TFlatSpeedButton* ButUstawienia = nullptr;
    TFlatSpeedButton* ButAbout = nullptr;
    TFlatSpeedButton* ButWyniki = nullptr;
    TFlatSpeedButton* ButDziecko = nullptr; // who practises
    QLineEdit* EditWynik = nullptr;
    QTimer* Timer = nullptr;
};

// Creates the components on `okno`, bottom to top (a later one paints over
// an earlier one and takes the mouse inside its rectangle), with the
// background picture for the screen's density and platform.
void UtworzKomponenty(QWidget* okno, KomponentyGlowne& k);

// The Polish names and roles screen readers use.
void NadajNazwyDostepnosci(QWidget* okno, const KomponentyGlowne& k);

// A counter's name with its current value: "Dobre odpowiedzi: 3".
void OdswiezNazwe(QLabel* etykieta);

} // namespace zm
