#include "ResultsWindow.h"

#include "Children.h"
#include "ClassOverview.h"
#include "ClassView.h"
#include "FactTable.h"
#include "GradeChart.h"
#include "Operations.h"
#include "ResultsJournal.h"
#include "ResultsList.h"
#include "ResultsReader.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <map>
#include <utility>

namespace zm {

namespace {

constexpr int kSzerokosc = 640, kWysokosc = 460;
// Rows read when the window opens, then at each scroll to the list's end.
constexpr int kPierwszaStrona = 200, kStrona = 1000;
// The fact table's shorter period.
constexpr std::int64_t kDwaTygodnieMs = 14LL * 24 * 3600 * 1000;

const QString kCzekanie = TekstCzekania();
const QString kPusto = TekstBrakuCwiczen();

CwiczenieNaWykresie NaWykres(const WierszCwiczenia& c)
{
    return {c.koniecMs, c.dzialanie, c.ocena, c.losowanie == static_cast<std::uint8_t>(Losowanie::TrudneFakty)};
}

} // namespace


TFrmWyniki::TFrmWyniki(QWidget* parent, const QString& plik, IKomunikaty* komunikaty, DziennikWynikow* dziennik,
                       const ListaDzieci* dzieci, const KonfiguracjaKlasy* klasa, const QString& uwagaKlasy)
    : DialogProgramu(parent, "FrmWyniki", QStringLiteral("Wyniki"), QSize(kSzerokosc, kWysokosc)), plik_(plik),
      komunikaty_(komunikaty), dziennik_(dziennik), dzieci_(dzieci), czytnik_(new CzytnikWynikow(plik, this))
{

    Zakladki = new QTabWidget(this);
    Zakladki->setObjectName(QStringLiteral("Zakladki"));
    Zakladki->setGeometry(8, 8, kSzerokosc - 16, kWysokosc - 52);

    auto* strona = new QWidget;
    auto* uklad = new QVBoxLayout(strona);
    uklad->setContentsMargins(0, 0, 0, 0);
    uklad->setSpacing(0);
    LabelPlik = EtykietaUwagi(strona, "LabelPlik");
    uklad->addWidget(LabelPlik);
    ListaCwiczen = new QTableView;
    ListaCwiczen->setObjectName(QStringLiteral("ListaCwiczen"));
    model_ = new ModelCwiczen(this, [this] { czytajStrone(model_->Klucz(), kStrona); },
                              [this](std::int64_t dziecko) { return imie(dziecko); });
    ListaCwiczen->setModel(model_);
    ListaCwiczen->verticalHeader()->hide();
    ListaCwiczen->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListaCwiczen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListaCwiczen->setAlternatingRowColors(true);
    // Tab leaves the list; the arrows move in it.
    ListaCwiczen->setTabKeyNavigation(false);
    ListaCwiczen->verticalHeader()->setDefaultSectionSize(18);
    ListaCwiczen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int k = 0; k < ModelCwiczen::kKolumn; ++k)
        ListaCwiczen->setColumnWidth(k, std::array{105, 85, 50, 62, 70, 42, 110, 60}[static_cast<std::size_t>(k)]);
    ListaCwiczen->horizontalHeader()->setStretchLastSection(true);
    ListaCwiczen->setAccessibleName(QStringLiteral("Ćwiczenia"));
    uklad->addWidget(ListaCwiczen);
    Zakladki->addTab(strona, QStringLiteral("Ćwiczenia"));
    LabelPusto = new QLabel(kCzekanie, ListaCwiczen->viewport());
    LabelPusto->setObjectName(QStringLiteral("LabelPusto"));
    LabelPusto->setGeometry(10, 40, kSzerokosc - 44, 60);
    LabelPusto->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LabelPusto->setWordWrap(true);

    auto* oceny = new QWidget;
    auto* ukladOcen = new QVBoxLayout(oceny);
    ukladOcen->setContentsMargins(0, 0, 0, 0);
    ukladOcen->setSpacing(2);
    Wykres = new WykresOcen(oceny);
    Wykres->setAccessibleName(QStringLiteral("Oceny w czasie"));
    ukladOcen->addWidget(Wykres, 1);
    Wykres->Opis()->setFixedHeight(78);
    ukladOcen->addWidget(Wykres->Opis());
    Zakladki->addTab(oceny, QStringLiteral("Oceny"));

    auto* fakty = new QWidget;
    fakty->setObjectName(QStringLiteral("Fakty"));
    Dzialania = new QButtonGroup(this);
    int x = 8;
    std::vector<QRadioButton*> radia;
    for (const FaktyDzialania& f : zm::Dzialania()) {
        auto* r = new QRadioButton(QString::fromUtf8(f.etykieta), fakty);
        r->setObjectName(QStringLiteral("RadioFakty%1").arg(f.dzialanie));
        r->setGeometry(x, 6, 100, 17);
        Dzialania->addButton(r, f.dzialanie);
        radia.push_back(r);
        x += 104;
    }
    ComboOkres = new QComboBox(fakty);
    ComboOkres->setObjectName(QStringLiteral("ComboOkres"));
    ComboOkres->setGeometry(x + 4, 3, 190, 22);
    ComboOkres->addItem(QStringLiteral("Ostatnie 2 tygodnie"));
    ComboOkres->addItem(QStringLiteral("Od początku"));
    ComboOkres->setCurrentIndex(1);
    ComboOkres->setAccessibleName(QStringLiteral("Okres"));
    connect(ComboOkres, &QComboBox::currentIndexChanged, this, [this] { pokazFakty(); });
    Dzialania->button(DzialanieMnozenie)->setChecked(true);
    TabNaZaznaczony({radia[0], radia[1], radia[2], radia[3]});
    Tabela = new TabelaFaktow(fakty);
    Tabela->setGeometry(8, 30, 330, 330);
    Tabela->setAccessibleName(QStringLiteral("Tabela działań"));
    auto* legenda = new LegendaFaktow(fakty);
    legenda->setGeometry(350, 40, 270, 230);
    legenda->setAccessibleName(QStringLiteral("Objaśnienie kolorów"));
    LabelObjasnienie = new QLabel(OpisTabeli(DzialanieMnozenie), fakty);
    LabelObjasnienie->setObjectName(QStringLiteral("LabelObjasnienie"));
    LabelObjasnienie->setGeometry(350, 262, 266, 96);
    LabelObjasnienie->setWordWrap(true);
    LabelObjasnienie->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    UstawKolejnoscTab({radia[0], radia[1], radia[2], radia[3], ComboOkres, Tabela});
    Zakladki->addTab(fakty, QStringLiteral("Tabliczka"));
    connect(Dzialania, &QButtonGroup::idClicked, this, [this] { pokazFakty(); });
    connect(Zakladki, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 2 && !faktyAktualne_) pokazFakty();
    });

    ButEksport = new QPushButton(QStringLiteral("Eksportuj CSV"), this);
    ButEksport->setObjectName(QStringLiteral("ButEksport"));
    ButEksport->setGeometry(8, kWysokosc - 36, 100, 25);
    connect(ButEksport, &QPushButton::clicked, this, [this] { ButEksportClick(false); });
    ButEksportPytan = new QPushButton(QStringLiteral("Pytania CSV"), this);
    ButEksportPytan->setObjectName(QStringLiteral("ButEksportPytan"));
    ButEksportPytan->setGeometry(114, kWysokosc - 36, 90, 25);
    ButEksportPytan->setToolTip(QStringLiteral("Każde pytanie: dziecko, data, działanie, liczby, odpowiedź, "
                                               "czy dobra i czas — do arkusza nauczyciela."));
    connect(ButEksportPytan, &QPushButton::clicked, this, [this] { ButEksportClick(true); });
    auto* etykieta = new QLabel(QStringLiteral("&Dziecko:"), this);
    etykieta->setGeometry(222, kWysokosc - 33, 52, 19);
    ComboDziecko = new QComboBox(this);
    ComboDziecko->setObjectName(QStringLiteral("ComboDziecko"));
    ComboDziecko->setGeometry(276, kWysokosc - 36, 250, 25);
    ComboDziecko->setAccessibleName(QStringLiteral("Dziecko"));
    etykieta->setBuddy(ComboDziecko);
    ComboDziecko->addItem(QStringLiteral("Wszystkie dzieci"), QVariant::fromValue<qint64>(0));
    if (dzieci_) {
        for (const Dziecko& d : dzieci_->Lista()) ComboDziecko->addItem(d.imie, QVariant::fromValue<qint64>(d.id));
        // The one who practises, when there are several to choose from.
        if (dzieci_->Lista().size() > 1) {
            dziecko_ = dzieci_->Biezace();
            ComboDziecko->setCurrentIndex(std::max(0, ComboDziecko->findData(QVariant::fromValue<qint64>(dziecko_))));
        }
    }
    connect(ComboDziecko, &QComboBox::currentIndexChanged, this, &TFrmWyniki::wybranoZListy);
    ButZamknij = new QPushButton(QStringLiteral("Zamknij"), this);
    ButZamknij->setObjectName(QStringLiteral("ButZamknij"));
    ButZamknij->setGeometry(kSzerokosc - 83, kWysokosc - 36, 75, 25);
    connect(ButZamknij, &QPushButton::clicked, this, &QDialog::accept);
    UstawKolejnoscTab({Zakladki, ButEksport, ButEksportPytan, ComboDziecko, ButZamknij});

    if (klasa) wlaczKlase(*klasa, uwagaKlasy);
    if (dziennik_) {
        connect(dziennik_, &DziennikWynikow::Zapisano, this, &TFrmWyniki::Odswiez);
        connect(dziennik_, &DziennikWynikow::ZmianaPliku, this, [this] {
            // The file at the path is a new one: read that.
            delete czytnik_;
            czytnik_ = new CzytnikWynikow(plik_, this);
            sprawdzenieZlecone_ = false;
            pokazZmianePliku();
            Odswiez();
        });
        pokazZmianePliku();
    }
    Odswiez();
}

TFrmWyniki::~TFrmWyniki() = default;

void TFrmWyniki::wybranoZListy()
{
    // One child chosen while the class's page is shown: its drills.
    if (StronaPrzegladu && Zakladki->currentWidget() == StronaPrzegladu &&
        (ComboDziecko->currentData(Qt::UserRole + 2).isValid() || ComboDziecko->currentData().isValid()))
        Zakladki->setCurrentIndex(0);
    if (ComboDziecko->currentData(Qt::UserRole + 1).toBool()) {
        // The class's child by its roster id (two of one name stay apart).
        const QVariant imie = ComboDziecko->currentData(Qt::UserRole + 2);
        wKlasie_ = true;
        dzieckoKlasy_.reset();
        if (imie.isValid()) {
            DzieckoKlasy d;
            d.id = ComboDziecko->currentData(Qt::UserRole + 3).toLongLong();
            d.imie = imie.toString();
            dzieckoKlasy_.emplace(d);
        }
        Odswiez();
        return;
    }
    if (ComboDziecko->currentData().isValid()) {
        const bool bylWKlasie = std::exchange(wKlasie_, false);
        const std::int64_t dziecko = ComboDziecko->currentData().value<qint64>();
        if (bylWKlasie) dziecko_ = -1; // read again
        PokazDziecko(dziecko);
    }
}

void TFrmWyniki::odswiezKlase()
{
    // One child of the class: its drills, its chart and its facts; the
    // whole class: its facts.
    const std::uint64_t pokolenie = pokolenie_;
    if (dzieckoKlasy_) {
        ++oczekujace_;
        klasa_->Cwiczenia(*dzieckoKlasy_, false, [this, pokolenie](std::vector<CwiczenieZKlasy> c, QString blad) {
            if (pokolenie != pokolenie_) return;
            std::vector<WierszCwiczenia> wiersze;
            std::vector<CwiczenieNaWykresie> cwiczenia;
            for (const CwiczenieZKlasy& k : c) {
                wiersze.push_back(k.zapis);
                cwiczenia.push_back(NaWykres(k.zapis));
            }
            model_->Dopisz(std::move(wiersze), {}, true);
            LabelPusto->setText(blad.isEmpty() ? kPusto : QStringLiteral("Nie można pokazać wyników klasy: %1").arg(blad));
            LabelPusto->setVisible(model_->Pusty());
            ButEksport->setEnabled(!model_->Pusty());
            ButEksportPytan->setEnabled(!model_->Pusty());
            Wykres->Ustaw(PunktyWykresu(cwiczenia));
            odpowiedziano();
        });
    } else {
        model_->Dopisz({}, {}, true);
        LabelPusto->setText(QStringLiteral("Wybierz dziecko klasy, aby zobaczyć jego ćwiczenia. Tabliczka pokazuje "
                                           "całą klasę."));
        LabelPusto->show();
        ButEksport->setEnabled(true);
        ButEksportPytan->setEnabled(true);
        Wykres->Napisz(QStringLiteral("Wybierz dziecko klasy."));
    }
    if (Zakladki->currentIndex() == 2) pokazFakty();
}

void TFrmWyniki::Odswiez()
{
    ++pokolenie_;
    oczekujace_ = 0;
    bladPokazany_ = false;
    faktyAktualne_ = false;
    model_->Wyczysc();
    LabelPusto->setText(kCzekanie);
    LabelPusto->show();
    ButEksport->setEnabled(false);
    ButEksportPytan->setEnabled(false);
    Wykres->Napisz(kCzekanie);
    Tabela->Napisz(static_cast<std::uint8_t>(std::max(0, Dzialania->checkedId())), kCzekanie);
    if (wKlasie_) {
        odswiezKlase();
        return;
    }
    czytajStrone({}, kPierwszaStrona);
    czytajWykres();
    if (Zakladki->currentIndex() == 2) pokazFakty();
}

void TFrmWyniki::czytajStrone(KluczListy po, int ile)
{
    using Strona = std::pair<KluczListy, std::vector<WierszCwiczenia>>;
    const std::uint64_t pokolenie = pokolenie_;
    ++oczekujace_;
    czytnik_->Czytaj<Strona>(
        [po, ile, dziecko = dziecko_](BazaWynikow* baza, WynikBazy& w) {
            Strona s{po, {}};
            if (baza) w = baza->Strona(s.first, ile, s.second, dziecko);
            return s;
        },
        [this, pokolenie, ile](const WynikBazy& w, Strona s) {
            if (pokolenie != pokolenie_) return;
            const bool ostatnia = int(s.second.size()) < ile;
            model_->Dopisz(std::move(s.second), s.first, ostatnia);
            if (!w) {
                model_->Zatrzymaj();
                pokazBlad(w);
            } else if (!bladPokazany_) {
                LabelPusto->setText(kPusto);
                LabelPusto->setVisible(model_->Pusty());
                ButEksport->setEnabled(!model_->Pusty());
                ButEksportPytan->setEnabled(!model_->Pusty());
            }
            odpowiedziano();
        });
}

void TFrmWyniki::czytajWykres()
{
    const std::uint64_t pokolenie = pokolenie_;
    ++oczekujace_;
    czytnik_->Czytaj<DaneWykresu>(
        [dziecko = dziecko_](BazaWynikow* baza, WynikBazy& w) {
            // Every drill: the list's rows say how each was drawn.
            std::vector<CwiczenieNaWykresie> cwiczenia;
            if (baza)
                w = baza->KazdeCwiczenie(
                    [&cwiczenia](std::int64_t, const WierszCwiczenia& c) {
                        cwiczenia.push_back(NaWykres(c));
                        return true;
                    },
                    dziecko);
            return PunktyWykresu(cwiczenia);
        },
        [this, pokolenie](const WynikBazy& w, DaneWykresu dane) {
            if (pokolenie != pokolenie_) return;
            if (w)
                Wykres->Ustaw(std::move(dane));
            else
                pokazBlad(w);
            odpowiedziano();
        });
}

void TFrmWyniki::pokazFakty()
{
    const auto dzialanie = static_cast<std::uint8_t>(std::max(0, Dzialania->checkedId()));
    const std::uint64_t pokolenie = pokolenie_, zapytanie = ++zapytanieFaktow_;
    faktyAktualne_ = true;
    ++oczekujace_;
    if (!bladPokazany_) Tabela->Napisz(dzialanie, kCzekanie);
    LabelObjasnienie->setText(OpisTabeli(dzialanie));
    const std::int64_t teraz = QDateTime::currentMSecsSinceEpoch();
    const std::int64_t od = ComboOkres->currentIndex() == 0 ? teraz - kDwaTygodnieMs : 0;
    if (wKlasie_) {
        klasa_->Fakty(dzialanie, dzieckoKlasy_, od,
                      [this, pokolenie, zapytanie, dzialanie, teraz](std::vector<KomorkaFaktu> k, QString blad) {
                          if (pokolenie != pokolenie_) return;
                          if (zapytanie == zapytanieFaktow_) {
                              if (blad.isEmpty())
                                  Tabela->Ustaw(dzialanie, k, teraz);
                              else
                                  Tabela->Napisz(dzialanie, blad);
                          }
                          odpowiedziano();
                      });
        return;
    }
    czytnik_->Czytaj<std::vector<KomorkaFaktu>>(
        [dzialanie, dziecko = dziecko_, od](BazaWynikow* baza, WynikBazy& w) {
            std::vector<KomorkaFaktu> komorki;
            if (baza) w = baza->Fakty(dzialanie, komorki, dziecko, od);
            return komorki;
        },
        [this, pokolenie, zapytanie, dzialanie, teraz](const WynikBazy& w, std::vector<KomorkaFaktu> komorki) {
            if (pokolenie != pokolenie_) return;
            // Only the operation chosen last is shown.
            if (zapytanie == zapytanieFaktow_) {
                if (w)
                    Tabela->Ustaw(dzialanie, komorki, teraz);
                else
                    pokazBlad(w);
            }
            odpowiedziano();
        });
}

void TFrmWyniki::odpowiedziano()
{
    if (--oczekujace_ == 0) emit Wczytano();
}

void TFrmWyniki::pokazBlad(const WynikBazy& w)
{
    const QString tekst = QStringLiteral("Nie można pokazać wyników: %1.").arg(DziennikWynikow::Przyczyna(w.blad, plik_));
    bladPokazany_ = true;
    LabelPusto->setText(tekst);
    LabelPusto->show();
    ButEksport->setEnabled(false);
    ButEksportPytan->setEnabled(false);
    Wykres->Napisz(tekst);
    Tabela->Napisz(static_cast<std::uint8_t>(std::max(0, Dzialania->checkedId())), tekst);
    // A file SQLite cannot read is the journal's to set aside; the window
    // then reads the new one.
    if (w.blad == BladBazy::Uszkodzona && dziennik_ && !sprawdzenieZlecone_) {
        sprawdzenieZlecone_ = true;
        dziennik_->SprawdzPlik();
    }
}

void TFrmWyniki::pokazZmianePliku()
{
    const QStringList& zmiany = dziennik_->ZmianyPliku();
    LabelPlik->setText(zmiany.isEmpty() ? QString() : zmiany.last());
    LabelPlik->setVisible(!zmiany.isEmpty());
}

void TFrmWyniki::PokazDziecko(std::int64_t dziecko)
{
    if (dziecko == dziecko_) return;
    dziecko_ = dziecko;
    const int i = ComboDziecko->findData(QVariant::fromValue<qint64>(dziecko));
    if (i >= 0 && i != ComboDziecko->currentIndex()) ComboDziecko->setCurrentIndex(i);
    Odswiez();
}

QString TFrmWyniki::imie(std::int64_t dziecko) const
{
    if (wKlasie_ && dzieckoKlasy_) return dzieckoKlasy_->imie;
    const QString i = dzieci_ ? dzieci_->Imie(dziecko) : QString();
    return !i.isEmpty() ? i : ImieDomyslne(dziecko);
}

} // namespace zm
