#include "Messages.h"

#include <QMessageBox>

namespace zm {

void QtKomunikaty::Pokaz(QWidget* rodzic, Rodzaj rodzaj, const QString& tytul, const QString& tekst)
{
    const bool blad = rodzaj == Rodzaj::Blad;
    QMessageBox box(blad ? QMessageBox::Critical : QMessageBox::Warning, tytul, tekst,
                    rodzaj == Rodzaj::Ostrzezenie ? QMessageBox::Cancel : QMessageBox::Ok, rodzic);
    box.setObjectName(blad                             ? QStringLiteral("KomunikatBledu")
                      : rodzaj == Rodzaj::Ostrzezenie ? QStringLiteral("KomunikatOstrzezenia")
                                                      : QStringLiteral("KomunikatUwagi"));
    box.exec();
}

} // namespace zm
