// TFrmOpcje: the settings dialog. It holds no settings of its own: shown, it
// reflects the main window's settings; its OK button writes them back.
#pragma once

#include "DrillState.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

namespace zm {

class TFrmOpcje : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOpcje(Ustawienia& ustawienia, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void FormShow();
    void ZmianaUstawien();

    Ustawienia& ustawienia_;
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
};

} // namespace zm
