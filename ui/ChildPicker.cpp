#include "ChildPicker.h"

#include "DialogSupport.h"
#include "Fonts.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPointer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace zm {

namespace {

// "1 ćwiczenie", "3 ćwiczenia", "12 ćwiczeń".
QString LiczbaCwiczen(std::int64_t n)
{
    if (n == 1) return QStringLiteral("1 ćwiczenie");
    const std::int64_t j = n % 10, d = n % 100;
    return QStringLiteral("%1 %2").arg(n).arg(j >= 2 && j <= 4 && !(d >= 12 && d <= 14) ? QStringLiteral("ćwiczenia")
                                                                                       : QStringLiteral("ćwiczeń"));
}

QPushButton* Przycisk(QWidget* rodzic, const char* nazwa, const QString& tekst, QRect geometria)
{
    auto* b = Kontrolka<QPushButton>(rodzic, nazwa, tekst, geometria);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFrmDzieci::TFrmDzieci(IDzieci& dzieci, QWidget* parent, IleCwiczen ileCwiczen)
    : DialogProgramu(parent, "FrmDzieci", QStringLiteral("Kto ćwiczy?"), QSize(300, 300)), dzieci_(dzieci),
      ileCwiczen_(std::move(ileCwiczen))
{

    LabelKto = Kontrolka<QLabel>(this, "LabelKto", QStringLiteral("Wybierz dziecko, które będzie ćwiczyć:"), {12, 10, 276, 16});
    ListaDzieci = new QListWidget(this);
    ListaDzieci->setObjectName(QStringLiteral("ListaDzieci"));
    ListaDzieci->setGeometry(12, 30, 276, 126);
    ListaDzieci->setAccessibleName(QStringLiteral("Dzieci"));
    ListaDzieci->setFont(fonts::MsSansSerif(13));
    LabelKto->setBuddy(ListaDzieci);
    connect(ListaDzieci, &QListWidget::itemActivated, this, [this] { OkClick(); });
    connect(ListaDzieci, &QListWidget::currentRowChanged, this, [this] {
        if (const auto* i = ListaDzieci->currentItem()) EditImie->setText(i->text());
    });

    LabelImie = Kontrolka<QLabel>(this, "LabelImie", QStringLiteral("&Imię:"), {12, 167, 40, 17});
    EditImie = new QLineEdit(this);
    EditImie->setObjectName(QStringLiteral("EditImie"));
    EditImie->setGeometry(52, 165, 236, 21);
    EditImie->setMaxLength(kMaksDlugoscImienia + 20);
    EditImie->setAccessibleName(QStringLiteral("Imię"));
    LabelImie->setBuddy(EditImie);
    connect(EditImie, &QLineEdit::returnPressed, this, [this] { DodajClick(); });

    ButDodaj = Przycisk(this, "ButDodaj", QStringLiteral("Dodaj"), {12, 194, 86, 25});
    ButZmienImie = Przycisk(this, "ButZmienImie", QStringLiteral("Zmień imię"), {107, 194, 86, 25});
    ButUsun = Przycisk(this, "ButUsun", QStringLiteral("Usuń…"), {202, 194, 86, 25});
    connect(ButDodaj, &QPushButton::clicked, this, &TFrmDzieci::DodajClick);
    connect(ButZmienImie, &QPushButton::clicked, this, &TFrmDzieci::ZmienImieClick);
    connect(ButUsun, &QPushButton::clicked, this, &TFrmDzieci::UsunClick);

    LabelBlad = Kontrolka<QLabel>(this, "LabelBlad", QString(), {12, 224, 276, 30});
    LabelBlad->setWordWrap(true);
    QPalette czerwony = LabelBlad->palette();
    czerwony.setColor(QPalette::WindowText, QColor(192, 0, 0));
    LabelBlad->setPalette(czerwony);

    // The question before a removal takes the place of the name row.
    PanelUsuwania = new QWidget(this);
    PanelUsuwania->setObjectName(QStringLiteral("PanelUsuwania"));
    PanelUsuwania->setGeometry(0, 158, 300, 100);
    LabelPytanie = Kontrolka<QLabel>(PanelUsuwania, "LabelPytanie", QString(), {12, 0, 276, 44});
    LabelPytanie->setWordWrap(true);
    LabelPytanie->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ButZachowaj = Przycisk(PanelUsuwania, "ButZachowaj", QStringLiteral("Usuń, zachowaj wyniki"), {12, 46, 135, 25});
    ButUsunWyniki = Przycisk(PanelUsuwania, "ButUsunWyniki", QStringLiteral("Usuń razem z wynikami"), {153, 46, 135, 25});
    ButAnuluj = Przycisk(PanelUsuwania, "ButAnuluj", QStringLiteral("Nie usuwaj"), {107, 74, 86, 25});
    connect(ButZachowaj, &QPushButton::clicked, this, [this] { Usun(true); });
    connect(ButUsunWyniki, &QPushButton::clicked, this, &TFrmDzieci::UsunWynikiClick);
    connect(ButAnuluj, &QPushButton::clicked, this, [this] { PokazPytanie(false); });
    PanelUsuwania->hide();

    ButtonOK = Przycisk(this, "ButtonOK", QStringLiteral("OK"), {112, 264, 75, 25});
    connect(ButtonOK, &QPushButton::clicked, this, &TFrmDzieci::OkClick);
    UstawKolejnoscTab({ListaDzieci, EditImie, ButDodaj, ButZmienImie, ButUsun, ButZachowaj, ButUsunWyniki, ButAnuluj,
                       ButtonOK});
}

bool TFrmDzieci::Wybierz()
{
    Odswiez(dzieci_.Biezace());
    // The first run's child may be named by the first name typed.
    if (dzieci_.Lista().size() == 1) zapytajOIlosc(dzieci_.Lista().front().id);
    PokazPytanie(false);
    Blad({});
    return exec() == QDialog::Accepted;
}

void TFrmDzieci::PrzedPokazaniem() { ListaDzieci->setFocus(); }

void TFrmDzieci::Odswiez(std::int64_t zaznacz)
{
    ListaDzieci->clear();
    for (const Dziecko& d : dzieci_.Lista()) {
        auto* i = new QListWidgetItem(d.imie, ListaDzieci);
        i->setData(Qt::UserRole, QVariant::fromValue<qint64>(d.id));
        i->setToolTip(d.imie);
        if (d.id == zaznacz) ListaDzieci->setCurrentItem(i);
    }
    if (!ListaDzieci->currentItem() && ListaDzieci->count() > 0) ListaDzieci->setCurrentRow(0);
    ButUsun->setEnabled(ListaDzieci->count() > 1); // someone always practises
}

std::int64_t TFrmDzieci::Zaznaczone() const
{
    const auto* i = ListaDzieci->currentItem();
    return i ? i->data(Qt::UserRole).value<qint64>() : 0;
}

void TFrmDzieci::Blad(const QString& tekst)
{
    LabelBlad->setText(tekst);
    LabelBlad->setAccessibleName(tekst);
    if (!tekst.isEmpty()) EditImie->setFocus();
}

void TFrmDzieci::zapytajOIlosc(std::int64_t dziecko)
{
    pytanyO_ = dziecko;
    ileJego_ = ileCwiczen_ ? -1 : 0;
    if (!ileCwiczen_) return;
    ileCwiczen_(dziecko, [this, dziecko, zywy = QPointer<TFrmDzieci>(this)](std::int64_t ile) {
        if (!zywy || dziecko != pytanyO_) return;
        ileJego_ = ile;
        if (potwierdza_) UsunWynikiClick();
    });
}

bool TFrmDzieci::tylkoDomyslne() const
{
    const QList<Dziecko> lista = dzieci_.Lista();
    return lista.size() == 1 && lista.front().imie == ImieDomyslne(lista.front().id) && pytanyO_ == lista.front().id &&
           ileJego_ == 0;
}

void TFrmDzieci::DodajClick()
{
    if (tylkoDomyslne()) {
        // Named, not a second child beside a phantom one.
        const std::int64_t id = dzieci_.Lista().front().id;
        const QString blad = dzieci_.ZmienImie(id, EditImie->text());
        Blad(blad);
        if (!blad.isEmpty()) return;
        Odswiez(id);
        ListaDzieci->setFocus();
        return;
    }
    std::int64_t id = 0;
    const QString blad = dzieci_.Dodaj(EditImie->text(), id);
    Blad(blad);
    if (!blad.isEmpty()) return;
    Odswiez(id);
    ListaDzieci->setFocus();
}

void TFrmDzieci::ZmienImieClick()
{
    const std::int64_t id = Zaznaczone();
    if (!id) return;
    const QString blad = dzieci_.ZmienImie(id, EditImie->text());
    Blad(blad);
    if (!blad.isEmpty()) return;
    Odswiez(id);
    ListaDzieci->setFocus();
}

void TFrmDzieci::UsunClick()
{
    const auto* i = ListaDzieci->currentItem();
    if (!i || ListaDzieci->count() < 2) return;
    const QString imie = QFontMetrics(LabelPytanie->font()).elidedText(i->text(), Qt::ElideMiddle, 200);
    LabelPytanie->setText(QStringLiteral("Usunąć „%1” z listy? Czy usunąć też wyniki dziecka „%1”?").arg(imie));
    LabelPytanie->setAccessibleName(LabelPytanie->text());
    ButAnuluj->setAccessibleDescription(LabelPytanie->text());
    ButUsunWyniki->setText(QStringLiteral("Usuń razem z wynikami"));
    potwierdza_ = false;
    zapytajOIlosc(Zaznaczone());
    PokazPytanie(true);
}

void TFrmDzieci::PokazPytanie(bool pokaz)
{
    for (QWidget* w : std::initializer_list<QWidget*>{LabelImie, EditImie, ButDodaj, ButZmienImie, ButUsun, LabelBlad})
        w->setVisible(!pokaz);
    PanelUsuwania->setVisible(pokaz);
    ListaDzieci->setEnabled(!pokaz);
    ButtonOK->setEnabled(!pokaz);
    if (pokaz)
        ButAnuluj->setFocus();
    else
        ListaDzieci->setFocus();
}

void TFrmDzieci::UsunWynikiClick()
{
    // Results gone are gone for good: a child with drills is asked again,
    // told how many.
    if (ileJego_ == 0 || (potwierdza_ && sender() == ButUsunWyniki)) {
        Usun(false);
        return;
    }
    potwierdza_ = true;
    const QString imie = QFontMetrics(LabelPytanie->font()).elidedText(ListaDzieci->currentItem()->text(), Qt::ElideMiddle, 200);
    LabelPytanie->setText(ileJego_ > 0 ? QStringLiteral("Na pewno? Zniknie %1 dziecka „%2” i nie da się ich przywrócić.")
                                             .arg(LiczbaCwiczen(ileJego_), imie)
                                       : QStringLiteral("Na pewno? Znikną wszystkie ćwiczenia dziecka „%1” i nie da się "
                                                        "ich przywrócić.")
                                             .arg(imie));
    LabelPytanie->setAccessibleName(LabelPytanie->text());
    ButAnuluj->setAccessibleDescription(LabelPytanie->text());
    ButUsunWyniki->setText(QStringLiteral("Tak, usuń wyniki"));
    ButAnuluj->setFocus();
}

void TFrmDzieci::Usun(bool zachowajWyniki)
{
    potwierdza_ = false;
    const std::int64_t id = Zaznaczone();
    if (id) dzieci_.Usun(id, zachowajWyniki);
    PokazPytanie(false);
    Odswiez(dzieci_.Biezace());
}

void TFrmDzieci::OkClick()
{
    const std::int64_t id = Zaznaczone();
    if (!id) return;
    dzieci_.Wybierz(id);
    accept();
}

} // namespace zm
