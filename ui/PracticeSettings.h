// The settings dialog's part for practice: how the questions are drawn
// ("Losowe", the drill as it always was, or the child's difficult facts)
// and which tables multiplication and division practise (at least one).
// Two group boxes to the right of the dialog's own four.
#pragma once

#include "DrillState.h"

#include <QObject>

#include <array>

class QCheckBox;
class QGroupBox;
class QRadioButton;
class QWidget;

namespace zm {

class KontrolkiCwiczenia : public QObject {
public:
    // Made in `dialog`, their group boxes left-aligned at `x`.
    KontrolkiCwiczenia(QWidget* dialog, int x);

    // Shows `ustawienia`; the tables are offered for multiplication and
    // division only.
    void Pokaz(const Ustawienia& ustawienia);
    // Whether the tables apply to the operation chosen now.
    void DlaDzialania(std::uint8_t dzialanie);
    // Writes the choices into `ustawienia`.
    void Zbierz(Ustawienia& ustawienia) const;

    // In the dialog's tab order, after its own controls.
    QRadioButton* RadioLosowanieLosowe = nullptr;
    QRadioButton* RadioLosowanieTrudne = nullptr;
    std::array<QCheckBox*, 7> CheckBoxTabliczka{}; // 3 to 9

private:
    QGroupBox* GroupBox5 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
};

} // namespace zm
