// TFrmDzieci: who practises. A list of this computer's children (the one
// practising now chosen), a name field with "Dodaj" and "Zmień imię", and
// "Usuń…", which asks whether that child's results stay (and, when they go,
// asks again, naming how many drills are lost). OK (or Enter in the
// list, or a double click) makes the chosen child the one who practises.
// Everything is reachable by the keyboard, and a screen reader hears the
// list's items, the buttons and what went wrong.
#pragma once

#include "Children.h"

#include "DialogSupport.h"

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace zm {

class TFrmDzieci : public DialogProgramu {
    Q_OBJECT
public:
    // Asks how many drills a child has; the answer may come later (a
    // journal read off the window's thread).
    using IleCwiczen = std::function<void(std::int64_t dziecko, std::function<void(std::int64_t ile)> odpowiedz)>;
    // Without `ileCwiczen` no child has drills (none are kept).
    TFrmDzieci(IDzieci& dzieci, QWidget* parent = nullptr, IleCwiczen ileCwiczen = {});

    // Shows the dialog modally; true when a child was chosen with OK.
    bool Wybierz();

private:
    void PrzedPokazaniem() override;
    void Odswiez(std::int64_t zaznacz);
    std::int64_t Zaznaczone() const;
    void Blad(const QString& tekst);
    void DodajClick();
    void ZmienImieClick();
    void UsunClick();
    void Usun(bool zachowajWyniki);
    void PokazPytanie(bool pokaz);
    void OkClick();
    void UsunWynikiClick();
    void zapytajOIlosc(std::int64_t dziecko);
    // The first run's child, with its default name and no drills yet: a
    // name typed is its name.
    bool tylkoDomyslne() const;

    IDzieci& dzieci_;
    IleCwiczen ileCwiczen_;
    std::int64_t pytanyO_ = 0;   // the child whose drills were counted
    std::int64_t ileJego_ = -1;  // its drills, -1 while not known
    bool potwierdza_ = false;    // the removal with results asks again
    QLabel* LabelKto = nullptr;
    QListWidget* ListaDzieci = nullptr;
    QLabel* LabelImie = nullptr;
    QLineEdit* EditImie = nullptr;
    QPushButton* ButDodaj = nullptr;
    QPushButton* ButZmienImie = nullptr;
    QPushButton* ButUsun = nullptr;
    QLabel* LabelBlad = nullptr;
    // The question before a removal, in place of the name row.
    QWidget* PanelUsuwania = nullptr;
    QLabel* LabelPytanie = nullptr;
    QPushButton* ButZachowaj = nullptr;
    QPushButton* ButUsunWyniki = nullptr;
    QPushButton* ButAnuluj = nullptr;
    QPushButton* ButtonOK = nullptr;
};

} // namespace zm
