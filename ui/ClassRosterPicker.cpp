#include "ClassRosterPicker.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <map>

namespace zm {

TFrmListaKlasy::TFrmListaKlasy(std::vector<DzieckoListy> lista, QWidget* rodzic)
    : QDialog(rodzic), lista_(std::move(lista)), imiona_(new QListWidget(this))
{
    setWindowTitle(QStringLiteral("Kto ćwiczy?"));
    auto* uklad = new QVBoxLayout(this);
    auto* opis = new QLabel(QStringLiteral("Wybierz swoje imię z listy klasy:"), this);
    opis->setBuddy(imiona_);
    uklad->addWidget(opis);
    std::map<std::string, int> ile;
    for (const DzieckoListy& d : lista_) ++ile[d.imie];
    for (const DzieckoListy& d : lista_) {
        QString tekst = QString::fromStdString(d.imie);
        if (ile[d.imie] > 1 && !d.uwaga.empty()) tekst += QStringLiteral(" (%1)").arg(QString::fromStdString(d.uwaga));
        imiona_->addItem(tekst);
    }
    imiona_->setObjectName(QStringLiteral("ListaKlasy"));
    imiona_->setAccessibleName(QStringLiteral("Lista klasy"));
    if (imiona_->count() > 0) imiona_->setCurrentRow(0);
    uklad->addWidget(imiona_);
    auto* przyciski = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    przyciski->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
    uklad->addWidget(przyciski);
    connect(przyciski, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(przyciski, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(imiona_, &QListWidget::itemActivated, this, &QDialog::accept);
}

std::optional<DzieckoListy> TFrmListaKlasy::Wybrane() const
{
    const int i = imiona_->currentRow();
    if (result() != QDialog::Accepted || i < 0 || i >= int(lista_.size())) return std::nullopt;
    return lista_[std::size_t(i)];
}

} // namespace zm
