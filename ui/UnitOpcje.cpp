#include "UnitOpcje.h"

#include "DialogSupport.h"
#include "Fonts.h"
#include "Operations.h"
#include "PracticeSettings.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <array>
#include <utility>

namespace zm {

// The design's four groups, and to their right the practice's two.
TFrmOpcje::TFrmOpcje(QWidget* parent)
    : DialogProgramu(parent, "FrmOpcje", QStringLiteral("Ustawienia programu"), QSize(553, 313))
{

    GroupBox4 = Kontrolka<QGroupBox>(this, "GroupBox4", QStringLiteral(" Działanie "), {8, 8, 177, 129});
    auto etykieta = [](std::uint8_t d) { return QString::fromUtf8(Fakty(d)->etykieta); };
    RadioDzialanieMnozenie = Kontrolka<QRadioButton>(GroupBox4, "RadioDzialanieMnozenie", etykieta(DzialanieMnozenie), {16, 24, 113, 17});
    RadioDzialanieDzielenie = Kontrolka<QRadioButton>(GroupBox4, "RadioDzialanieDzielenie", etykieta(DzialanieDzielenie), {16, 48, 113, 17});
    RadioDzialanieDodawanie = Kontrolka<QRadioButton>(GroupBox4, "RadioDzialanieDodawanie", etykieta(DzialanieDodawanie), {16, 72, 113, 17});
    RadioDzialanieOdejmowanie = Kontrolka<QRadioButton>(GroupBox4, "RadioDzialanieOdejmowanie", etykieta(DzialanieOdejmowanie), {16, 96, 113, 17});

    GroupBox1 = Kontrolka<QGroupBox>(this, "GroupBox1", QStringLiteral(" Ilość pytań "), {192, 8, 169, 129});
    RadioIloscPytan1 = Kontrolka<QRadioButton>(GroupBox1, "RadioIloscPytan1", QStringLiteral("10"), {16, 24, 113, 17});
    RadioIloscPytan2 = Kontrolka<QRadioButton>(GroupBox1, "RadioIloscPytan2", QStringLiteral("30"), {16, 48, 113, 17});
    RadioIloscPytan3 = Kontrolka<QRadioButton>(GroupBox1, "RadioIloscPytan3", QStringLiteral("70"), {16, 72, 113, 17});
    RadioIloscPytan4 = Kontrolka<QRadioButton>(GroupBox1, "RadioIloscPytan4", QStringLiteral("100"), {16, 96, 113, 17});

    GroupBox2 = Kontrolka<QGroupBox>(this, "GroupBox2", QStringLiteral(" Tempo zadawania pytań "), {8, 144, 177, 105});
    RadioPredkoscWolno = Kontrolka<QRadioButton>(GroupBox2, "RadioPredkoscWolno", QString::fromUtf8(NazwaPredkosci(PredkoscWolno)), {16, 24, 113, 17});
    RadioPredkoscSrednio = Kontrolka<QRadioButton>(GroupBox2, "RadioPredkoscSrednio", QString::fromUtf8(NazwaPredkosci(PredkoscSrednio)), {16, 48, 113, 17});
    RadioPredkoscSzybko = Kontrolka<QRadioButton>(GroupBox2, "RadioPredkoscSzybko", QString::fromUtf8(NazwaPredkosci(PredkoscSzybko)), {16, 72, 113, 17});

    GroupBox3 = Kontrolka<QGroupBox>(this, "GroupBox3", QStringLiteral(" Dźwięk "), {192, 144, 169, 105});
    CheckBoxLektor = Kontrolka<QCheckBox>(GroupBox3, "CheckBoxLektor", QStringLiteral("Lektor"), {16, 24, 97, 17});

    cwiczenie_ = new KontrolkiCwiczenia(this, 368);
    for (auto [r, d] : {std::pair{RadioDzialanieMnozenie, DzialanieMnozenie}, std::pair{RadioDzialanieDzielenie, DzialanieDzielenie},
                        std::pair{RadioDzialanieDodawanie, DzialanieDodawanie},
                        std::pair{RadioDzialanieOdejmowanie, DzialanieOdejmowanie}})
        connect(r, &QRadioButton::toggled, this, [this, d = d](bool wlaczony) {
            if (wlaczony) cwiczenie_->DlaDzialania(d);
        });

    // The bottom panel (aligned to the bottom edge of the fixed-size dialog).
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 256, 553, 57);
    Panel1->setAccessibleName(QStringLiteral("Panel przycisków"));
    ButtonOK = Kontrolka<QPushButton>(Panel1, "ButtonOK", QStringLiteral("OK"), {239, 16, 75, 25});
    // Neither the default nor the cancel button: Enter does not apply.
    ButtonOK->setAutoDefault(false);
    ButtonOK->setDefault(false);
    connect(ButtonOK, &QPushButton::clicked, this, &TFrmOpcje::ZmianaUstawien);

    for (auto grupa : {std::initializer_list<QRadioButton*>{RadioDzialanieMnozenie, RadioDzialanieDzielenie,
                                                             RadioDzialanieDodawanie, RadioDzialanieOdejmowanie},
                       std::initializer_list<QRadioButton*>{RadioIloscPytan1, RadioIloscPytan2, RadioIloscPytan3,
                                                             RadioIloscPytan4},
                       std::initializer_list<QRadioButton*>{RadioPredkoscWolno, RadioPredkoscSrednio,
                                                             RadioPredkoscSzybko},
                       std::initializer_list<QRadioButton*>{cwiczenie_->RadioLosowanieLosowe,
                                                             cwiczenie_->RadioLosowanieTrudne}})
        TabNaZaznaczony(grupa);
    const auto& t = cwiczenie_->CheckBoxTabliczka;
    UstawKolejnoscTab({RadioDzialanieMnozenie, RadioDzialanieDzielenie, RadioDzialanieDodawanie,
                       RadioDzialanieOdejmowanie, RadioIloscPytan1, RadioIloscPytan2, RadioIloscPytan3,
                       RadioIloscPytan4, RadioPredkoscWolno, RadioPredkoscSrednio, RadioPredkoscSzybko,
                       CheckBoxLektor, cwiczenie_->RadioLosowanieLosowe, cwiczenie_->RadioLosowanieTrudne, t[0], t[1],
                       t[2], t[3], t[4], t[5], t[6], ButtonOK});
}

void TFrmOpcje::FormShow()
{
    // A value that matches no button leaves its group as it was.
    const std::array<std::pair<QRadioButton*, int>, 4> dzialania{
        {{RadioDzialanieMnozenie, 0}, {RadioDzialanieDzielenie, 1}, {RadioDzialanieDodawanie, 2}, {RadioDzialanieOdejmowanie, 3}}};
    for (const auto& [r, v] : dzialania)
        if (wybrane_.Dzialanie == v) r->setChecked(true);
    const std::array<std::pair<QRadioButton*, int>, 3> predkosci{
        {{RadioPredkoscWolno, PredkoscWolno}, {RadioPredkoscSrednio, PredkoscSrednio}, {RadioPredkoscSzybko, PredkoscSzybko}}};
    for (const auto& [r, v] : predkosci)
        if (wybrane_.Predkosc == v) r->setChecked(true);
    const std::array<std::pair<QRadioButton*, int>, 4> ilosci{
        {{RadioIloscPytan1, 10}, {RadioIloscPytan2, 30}, {RadioIloscPytan3, 70}, {RadioIloscPytan4, 100}}};
    for (const auto& [r, v] : ilosci)
        if (wybrane_.IloscPytan == v) r->setChecked(true);
    CheckBoxLektor->setChecked(wybrane_.Lektor);
    cwiczenie_->Pokaz(wybrane_);
}

void TFrmOpcje::ZmianaUstawien()
{
    // The first selected button of each group, in the order of the mapping;
    // a group with none selected leaves its setting.
    auto pierwszy = [](std::initializer_list<std::pair<QRadioButton*, int>> grupa, auto& cel) {
        for (const auto& [r, v] : grupa)
            if (r->isChecked()) {
                cel = static_cast<std::remove_reference_t<decltype(cel)>>(v);
                return;
            }
    };
    pierwszy({{RadioDzialanieMnozenie, 0}, {RadioDzialanieDzielenie, 1}, {RadioDzialanieDodawanie, 2},
              {RadioDzialanieOdejmowanie, 3}},
             wybrane_.Dzialanie);
    pierwszy({{RadioPredkoscWolno, PredkoscWolno}, {RadioPredkoscSrednio, PredkoscSrednio},
              {RadioPredkoscSzybko, PredkoscSzybko}},
             wybrane_.Predkosc);
    pierwszy({{RadioIloscPytan1, 10}, {RadioIloscPytan2, 30}, {RadioIloscPytan3, 70}, {RadioIloscPytan4, 100}},
             wybrane_.IloscPytan);
    wybrane_.Lektor = CheckBoxLektor->isChecked();
    cwiczenie_->Zbierz(wybrane_);
    accept();
}

std::optional<Ustawienia> TFrmOpcje::Wybierz(const Ustawienia& obecne)
{
    wybrane_ = obecne;
    if (exec() != QDialog::Accepted) return std::nullopt;
    return wybrane_;
}

} // namespace zm
