// Every message box of the program goes through this seam, so that tests can
// answer them without a person.
#pragma once

#include <QString>

class QWidget;

namespace zm {

class IKomunikaty {
public:
    enum class Rodzaj { Blad, Ostrzezenie, Uwaga };
    virtual ~IKomunikaty() = default;
    // Shows a modal box and returns when it is dismissed. An error box has one
    // "OK" button, a warning box one "Cancel" button, a notice (a warning
    // that asks nothing) one "OK" button.
    virtual void Pokaz(QWidget* rodzic, Rodzaj rodzaj, const QString& tytul, const QString& tekst) = 0;
};

// The real boxes (QMessageBox).
class QtKomunikaty final : public IKomunikaty {
public:
    void Pokaz(QWidget* rodzic, Rodzaj rodzaj, const QString& tytul, const QString& tekst) override;
};

} // namespace zm
