// TFrmOprogramie: the about dialog. The program's name, a version text, the
// credits and a link to the maker's web site.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zm {

class TFrmOprogramie : public QDialog {
    Q_OBJECT
public:
    explicit TFrmOprogramie(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* obiekt, QEvent* e) override;

private:
    void FormCreate();
    void Label6Click();
    void ButCloseClick();

    QLabel* Label1 = nullptr;
    QLabel* LabelWersja = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    QPushButton* FlatButton1 = nullptr;
};

} // namespace zm
