// The results window: the journal's drills newest first, a chart of grades
// over time for each operation, and a table of the facts coloured by how
// often each was missed and how slowly it was answered; "Eksportuj CSV"
// writes the list for a spreadsheet.
#pragma once

#include "Messages.h"
#include "ResultsStore.h"

#include <QDialog>

#include <vector>

class QButtonGroup;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;

namespace zm {

class ModelCwiczen;
class WykresOcen;
class TabelaFaktow;

class TFrmWyniki : public QDialog {
    Q_OBJECT
public:
    TFrmWyniki(QWidget* parent, QString plik, IKomunikaty* komunikaty);

    // Reads the journal afresh (read-only: never creates, locks or changes
    // the file).
    void Odswiez();
    const std::vector<WierszCwiczenia>& Cwiczenia() const { return cwiczenia_; }
    // Writes the list as CSV; tells the user when it cannot.
    bool Eksportuj(const QString& plik);

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void pokazFakty();
    void ButEksportClick();

    QString plik_;
    IKomunikaty* komunikaty_;
    std::vector<WierszCwiczenia> cwiczenia_;
    bool faktyAktualne_ = false;

    QTabWidget* Zakladki = nullptr;
    QTableView* ListaCwiczen = nullptr;
    ModelCwiczen* model_ = nullptr;
    QLabel* LabelPusto = nullptr;
    WykresOcen* Wykres = nullptr;
    TabelaFaktow* Tabela = nullptr;
    QButtonGroup* Dzialania = nullptr;
    QPushButton* ButEksport = nullptr;
    QPushButton* ButZamknij = nullptr;
};

} // namespace zm
