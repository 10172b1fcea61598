#include "Messages.h"

#include <QMessageBox>

namespace zm {

void QtKomunikaty::Pokaz(QWidget* rodzic, Rodzaj rodzaj, const QString& tytul, const QString& tekst)
{
    const bool blad = rodzaj == Rodzaj::Blad;
    QMessageBox box(blad ? QMessageBox::Critical : QMessageBox::Warning, tytul, tekst,
                    blad ? QMessageBox::Ok : QMessageBox::Cancel, rodzic);
    box.setObjectName(blad ? QStringLiteral("KomunikatBledu") : QStringLiteral("KomunikatOstrzezenia"));
    box.exec();
}

} // namespace zm
