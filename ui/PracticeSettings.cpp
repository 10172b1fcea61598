#include "PracticeSettings.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>

namespace zm {

KontrolkiCwiczenia::KontrolkiCwiczenia(QWidget* dialog, int x) : QObject(dialog)
{
    GroupBox5 = new QGroupBox(QStringLiteral(" Pytania "), dialog);
    GroupBox5->setObjectName(QStringLiteral("GroupBox5"));
    GroupBox5->setGeometry(x, 8, 177, 129);
    RadioLosowanieLosowe = new QRadioButton(QStringLiteral("Losowe"), GroupBox5);
    RadioLosowanieLosowe->setObjectName(QStringLiteral("RadioLosowanieLosowe"));
    RadioLosowanieLosowe->setGeometry(16, 24, 153, 17);
    RadioLosowanieTrudne = new QRadioButton(QStringLiteral("Trudne dla dziecka"), GroupBox5);
    RadioLosowanieTrudne->setObjectName(QStringLiteral("RadioLosowanieTrudne"));
    RadioLosowanieTrudne->setGeometry(16, 48, 153, 17);
    RadioLosowanieTrudne->setToolTip(
        QStringLiteral("Częściej pytania, które dziecko myli albo rozwiązuje wolno; pomyłka wraca w tym samym "
                       "ćwiczeniu, a poprawny wynik zostaje chwilę na ekranie."));

    GroupBox6 = new QGroupBox(QStringLiteral(" Tabliczki "), dialog);
    GroupBox6->setObjectName(QStringLiteral("GroupBox6"));
    GroupBox6->setGeometry(x, 144, 177, 105);
    GroupBox6->setToolTip(QStringLiteral("Mnożenie i dzielenie: które liczby ćwiczyć (co najmniej jedna)."));
    for (int n = 3; n <= 9; ++n) {
        auto* c = new QCheckBox(QString::number(n), GroupBox6);
        const int i = n - 3;
        c->setObjectName(QStringLiteral("CheckBoxTabliczka%1").arg(n));
        c->setGeometry(16 + 40 * (i % 4), 24 + 24 * (i / 4), 36, 17);
        c->setAccessibleName(QStringLiteral("Tabliczka %1").arg(n));
        // The last table chosen cannot be left out.
        connect(c, &QCheckBox::toggled, this, [this, c](bool zaznaczony) {
            if (zaznaczony) return;
            for (const QCheckBox* inny : CheckBoxTabliczka)
                if (inny->isChecked()) return;
            c->setChecked(true);
        });
        CheckBoxTabliczka[static_cast<std::size_t>(i)] = c;
    }
}

void KontrolkiCwiczenia::Pokaz(const Ustawienia& u)
{
    (u.Tryb == Losowanie::TrudneFakty ? RadioLosowanieTrudne : RadioLosowanieLosowe)->setChecked(true);
    const std::uint16_t tabliczki = (u.Tabliczki & WszystkieTabliczki) ? u.Tabliczki : WszystkieTabliczki;
    // Checked first, then cleared, so that one always stays.
    for (int n = 3; n <= 9; ++n)
        if ((tabliczki >> n) & 1u) CheckBoxTabliczka[static_cast<std::size_t>(n - 3)]->setChecked(true);
    for (int n = 3; n <= 9; ++n)
        if (!((tabliczki >> n) & 1u)) CheckBoxTabliczka[static_cast<std::size_t>(n - 3)]->setChecked(false);
    DlaDzialania(u.Dzialanie);
}

void KontrolkiCwiczenia::DlaDzialania(std::uint8_t dzialanie)
{
    GroupBox6->setEnabled(dzialanie == DzialanieMnozenie || dzialanie == DzialanieDzielenie);
}

void KontrolkiCwiczenia::Zbierz(Ustawienia& u) const
{
    u.Tryb = RadioLosowanieTrudne->isChecked() ? Losowanie::TrudneFakty : Losowanie::Losowe;
    std::uint16_t tabliczki = 0;
    for (int n = 3; n <= 9; ++n)
        if (CheckBoxTabliczka[static_cast<std::size_t>(n - 3)]->isChecked()) tabliczki |= std::uint16_t(1u << n);
    u.Tabliczki = tabliczki ? tabliczki : WszystkieTabliczki;
}

} // namespace zm
