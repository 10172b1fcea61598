// TFrmOpcje: the settings dialog. Shown with the drill's settings, it
// reflects them; OK returns the chosen ones, which the caller applies.
#pragma once

#include "DrillState.h"

#include "DialogSupport.h"

#include <optional>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace zm {

class KontrolkiCwiczenia;

class TFrmOpcje : public DialogProgramu {
    Q_OBJECT
public:
    explicit TFrmOpcje(QWidget* parent = nullptr);

    // Shows the dialog modally with `obecne`; the chosen settings after OK,
    // nothing when it was closed another way.
    std::optional<Ustawienia> Wybierz(const Ustawienia& obecne);

private:
    void PrzedPokazaniem() override { FormShow(); }
    void FormShow();
    void ZmianaUstawien();

    Ustawienia wybrane_;
    QGroupBox* GroupBox4 = nullptr;
    QRadioButton* RadioDzialanieMnozenie = nullptr;
    QRadioButton* RadioDzialanieDzielenie = nullptr;
    QRadioButton* RadioDzialanieDodawanie = nullptr;
    QRadioButton* RadioDzialanieOdejmowanie = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioIloscPytan1 = nullptr;
    QRadioButton* RadioIloscPytan2 = nullptr;
    QRadioButton* RadioIloscPytan3 = nullptr;
    QRadioButton* RadioIloscPytan4 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QRadioButton* RadioPredkoscWolno = nullptr;
    QRadioButton* RadioPredkoscSrednio = nullptr;
    QRadioButton* RadioPredkoscSzybko = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* CheckBoxLektor = nullptr;
    QWidget* Panel1 = nullptr;
    QPushButton* ButtonOK = nullptr;
    KontrolkiCwiczenia* cwiczenie_ = nullptr; // the practice's groups
};

} // namespace zm
