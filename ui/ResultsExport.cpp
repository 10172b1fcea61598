// The results window's exports: the list, or every question, as CSV.
#include "ResultsWindow.h"

#include "ClassView.h"
#include "Children.h"
#include "ResultsJournal.h"
#include "ResultsList.h"
#include "ResultsReader.h"

#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QStandardPaths>

#include <map>

namespace zm {

void TFrmWyniki::Eksportuj(const QString& plik, bool pytania)
{
    ButEksport->setEnabled(false);
    ButEksportPytan->setEnabled(false);
    if (wKlasie_) {
        klasa_->Eksportuj(dzieckoKlasy_, pytania, plik, plik_, [this, plik](bool dobrze, QString blad) {
            ButEksport->setEnabled(true);
            ButEksportPytan->setEnabled(true);
            if (!dobrze)
                komunikaty_->Pokaz(this, IKomunikaty::Rodzaj::Uwaga, QStringLiteral("Wyniki"),
                                   QStringLiteral("Nie można zapisać pliku %1: %2.").arg(QDir::toNativeSeparators(plik), blad));
            emit Wyeksportowano(dobrze);
        });
        return;
    }
    std::map<std::int64_t, QString> imiona;
    if (dzieci_) imiona = dzieci_->WszystkieImiona();
    czytnik_->Eksportuj(plik, pytania, dziecko_, std::move(imiona), [this, plik](const QString& blad) {
        ButEksport->setEnabled(!bladPokazany_ && !model_->Pusty());
        ButEksportPytan->setEnabled(!bladPokazany_ && !model_->Pusty());
        if (!blad.isEmpty())
            komunikaty_->Pokaz(this, IKomunikaty::Rodzaj::Uwaga, QStringLiteral("Wyniki"),
                               QStringLiteral("Nie można zapisać pliku %1: %2.").arg(QDir::toNativeSeparators(plik), blad));
        emit Wyeksportowano(blad.isEmpty());
    });
}

QString TFrmWyniki::FolderEksportu()
{
    const QString dokumenty = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !dokumenty.isEmpty() && QDir(dokumenty).exists() ? dokumenty : QDir::homePath();
}

void TFrmWyniki::ButEksportClick(bool pytania)
{
    const QString nazwa = pytania ? QStringLiteral("/pytania.csv") : QStringLiteral("/wyniki.csv");
    const QString plik = QFileDialog::getSaveFileName(this, QStringLiteral("Eksportuj CSV"), FolderEksportu() + nazwa,
                                                      QStringLiteral("Plik CSV (*.csv)"));
    if (!plik.isEmpty()) Eksportuj(plik, pytania);
}

} // namespace zm
