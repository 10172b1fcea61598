#include "ResultsWindow.h"

#include "DialogSupport.h"
#include "DrillState.h"
#include "Fonts.h"
#include "Operations.h"
#include "ResultsCsv.h"
#include "ResultsFigures.h"
#include "ResultsJournal.h"
#include "ResultsReader.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace zm {

namespace {

constexpr int kSzerokosc = 640, kWysokosc = 460;
// Rows read when the window opens, then at each scroll to the list's end.
constexpr int kPierwszaStrona = 200, kStrona = 1000;
// The chart's stretches of time: about eight pixels each.
constexpr int kPrzedzialyWykresu = 72;

const QString kCzekanie = QStringLiteral("Wczytywanie…");
const QString kPusto = QStringLiteral("Nie ma jeszcze zapisanych ćwiczeń.");

} // namespace

// The drills list, read a page at a time as it is scrolled.
class ModelCwiczen : public QAbstractTableModel {
public:
    ModelCwiczen(QObject* rodzic, std::function<void()> dociagnij)
        : QAbstractTableModel(rodzic), dociagnij_(std::move(dociagnij))
    {
    }

    void Wyczysc()
    {
        beginResetModel();
        wiersze_.clear();
        wiersze_.shrink_to_fit();
        klucz_ = {};
        wszystkie_ = false;
        pobiera_ = true;
        endResetModel();
    }
    void Dopisz(std::vector<WierszCwiczenia> wiersze, KluczListy klucz, bool ostatnia)
    {
        pobiera_ = false;
        wszystkie_ = ostatnia;
        klucz_ = klucz;
        if (wiersze.empty()) return;
        beginInsertRows({}, int(wiersze_.size()), int(wiersze_.size() + wiersze.size()) - 1);
        wiersze_.insert(wiersze_.end(), wiersze.begin(), wiersze.end());
        endInsertRows();
    }
    void Zatrzymaj()
    {
        pobiera_ = false;
        wszystkie_ = true;
    }
    const KluczListy& Klucz() const { return klucz_; }
    bool Pusty() const { return wiersze_.empty(); }

    int rowCount(const QModelIndex& p) const override { return p.isValid() ? 0 : int(wiersze_.size()); }
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : 6; }
    bool canFetchMore(const QModelIndex& p) const override { return !p.isValid() && !wszystkie_ && !pobiera_; }
    void fetchMore(const QModelIndex& p) override
    {
        if (!canFetchMore(p)) return;
        pobiera_ = true;
        dociagnij_();
    }
    QVariant headerData(int sekcja, Qt::Orientation o, int rola) const override
    {
        static const std::array<const char*, 6> naglowki{"Data", "Działanie", "Pytania", "Tempo", "Dobre / złe",
                                                         "Ocena"};
        if (o != Qt::Horizontal || rola != Qt::DisplayRole || sekcja < 0 || sekcja >= 6) return {};
        return QString::fromUtf8(naglowki[static_cast<std::size_t>(sekcja)]);
    }
    QVariant data(const QModelIndex& i, int rola) const override
    {
        if (!i.isValid() || i.row() >= int(wiersze_.size())) return {};
        const WierszCwiczenia& c = wiersze_[static_cast<std::size_t>(i.row())];
        if (rola == Qt::TextAlignmentRole)
            return QVariant::fromValue(i.column() >= 2 && i.column() != 3 ? Qt::AlignCenter
                                                                         : Qt::AlignLeft | Qt::AlignVCenter);
        if (rola == Qt::ForegroundRole && i.column() == 5) return KolorOceny(c.ocena);
        if (rola == Qt::FontRole && i.column() == 5) return fonts::MsSansSerif(11, true);
        if (rola != Qt::DisplayRole) return {};
        switch (i.column()) {
        case 0: return DataCwiczenia(c.koniecMs);
        case 1: return NazwaDzialania(c.dzialanie);
        case 2: return c.iloscPytan;
        case 3: return NazwaTempa(c.predkosc);
        case 4: return QStringLiteral("%1 / %2").arg(c.dobrze).arg(c.zle);
        default: return int(c.ocena);
        }
    }

private:
    std::function<void()> dociagnij_;
    std::vector<WierszCwiczenia> wiersze_;
    KluczListy klucz_;
    bool wszystkie_ = false;
    bool pobiera_ = true;
};

// Grades 1..6 over time, one line per operation, oldest on the left.
class WykresOcen : public QWidget {
public:
    explicit WykresOcen(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("WykresOcen")); }
    void Ustaw(DaneWykresu dane)
    {
        dane_ = std::move(dane);
        napis_ = dane_.Puste() ? kPusto : QString();
        update();
    }
    void Napisz(const QString& napis)
    {
        dane_ = {};
        napis_ = napis;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        p.setFont(fonts::MsSansSerif(11));
        const QRect pole = rect().adjusted(34, 30, -14, -26);
        // The grade lines and their numbers.
        for (int ocena = 1; ocena <= 6; ++ocena) {
            const int y = pole.bottom() - (ocena - 1) * pole.height() / 5;
            p.setPen(QColor(218, 219, 222));
            p.drawLine(pole.left(), y, pole.right(), y);
            p.setPen(Qt::black);
            p.drawText(QRect(4, y - 8, 24, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(ocena));
        }
        // The legend.
        int x = pole.left();
        for (const FaktyDzialania& f : Dzialania()) {
            p.fillRect(QRect(x, 10, 12, 12), KolorDzialania(f.dzialanie));
            const QString nazwa = QString::fromUtf8(f.etykieta);
            p.setPen(Qt::black);
            p.drawText(QRect(x + 16, 6, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, nazwa);
            x += 16 + p.fontMetrics().horizontalAdvance(nazwa) + 20;
        }
        if (!napis_.isEmpty()) {
            p.drawText(pole.adjusted(20, 0, -20, 0), Qt::AlignCenter | Qt::TextWordWrap, napis_);
            return;
        }
        p.drawText(QRect(pole.left(), pole.bottom() + 6, 200, 16), Qt::AlignLeft, DataCwiczenia(dane_.od));
        p.drawText(QRect(pole.right() - 200, pole.bottom() + 6, 200, 16), Qt::AlignRight, DataCwiczenia(dane_.doKonca));
        p.setRenderHint(QPainter::Antialiasing);
        for (std::size_t k = 0; k < dane_.linie.size(); ++k) {
            const QColor kolor = KolorDzialania(static_cast<std::uint8_t>(k));
            QPainterPath linia;
            bool pierwszy = true;
            for (const PunktWykresu& pt : dane_.linie[k]) {
                const QPointF punkt(pole.left() + pt.x * pole.width(), pole.bottom() - (pt.ocena - 1) * pole.height() / 5.0);
                if (pierwszy)
                    linia.moveTo(punkt);
                else
                    linia.lineTo(punkt);
                pierwszy = false;
                p.setPen(Qt::NoPen);
                p.setBrush(kolor);
                p.drawEllipse(punkt, 3, 3);
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kolor, 2));
            p.drawPath(linia);
        }
    }

private:
    DaneWykresu dane_;
    QString napis_ = kCzekanie;
};

// The facts of one operation: 3..9 by 3..9 for multiplication and division
// (division by quotient and divisor), the tens 1..9 by 1..9 for addition
// and subtraction; the first operand (or the quotient) down, the second
// (or the divisor) across.
class TabelaFaktow : public QWidget {
public:
    explicit TabelaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("TabelaFaktow")); }
    void Ustaw(std::uint8_t dzialanie, const std::vector<KomorkaFaktu>& komorki)
    {
        dzialanie_ = dzialanie;
        napis_.clear();
        const int od = poczatek(), n = rozmiar();
        siatka_.assign(static_cast<std::size_t>(n * n), std::nullopt);
        for (const KomorkaFaktu& k : komorki) {
            if (!KomorkaWidoczna(k) || k.wiersz < od || k.wiersz >= od + n || k.kolumna < od || k.kolumna >= od + n) continue;
            siatka_[static_cast<std::size_t>((k.wiersz - od) * n + (k.kolumna - od))] = k;
        }
        update();
    }
    void Napisz(std::uint8_t dzialanie, const QString& napis)
    {
        dzialanie_ = dzialanie;
        siatka_.clear();
        napis_ = napis;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        const int od = poczatek(), n = rozmiar();
        const int naglowek = 34;
        const int bok = std::min((width() - naglowek) / n, (height() - naglowek) / n);
        p.setFont(fonts::MsSansSerif(11));
        // The signs as a Polish school writes them.
        static const std::array<const char*, 4> kZnaki{"×", ":", "+", "−"};
        p.drawText(QRect(0, 0, naglowek, naglowek), Qt::AlignCenter, QString::fromUtf8(kZnaki[dzialanie_ % 4]));
        auto opis = [&](int v) { return dzialanie_ > DzialanieDzielenie ? QStringLiteral("%1…").arg(v * 10) : QString::number(v); };
        for (int i = 0; i < n; ++i) {
            p.drawText(QRect(naglowek + i * bok, 0, bok, naglowek), Qt::AlignCenter, opis(od + i));
            p.drawText(QRect(0, naglowek + i * bok, naglowek, bok), Qt::AlignCenter, opis(od + i));
        }
        if (!napis_.isEmpty()) {
            p.drawText(QRect(naglowek, naglowek, n * bok, n * bok), Qt::AlignCenter | Qt::TextWordWrap, napis_);
            return;
        }
        for (int w = 0; w < n; ++w) {
            for (int k = 0; k < n; ++k) {
                const QRect kratka(naglowek + k * bok, naglowek + w * bok, bok - 2, bok - 2);
                const auto& komorka = siatka_[static_cast<std::size_t>(w * n + k)];
                if (!komorka) {
                    p.fillRect(kratka, KolorBrakuFaktu());
                    continue;
                }
                p.fillRect(kratka, KolorTrudnosci(Trudnosc(*komorka)));
                p.setPen(Qt::black);
                p.drawText(kratka.adjusted(0, 2, 0, -kratka.height() / 2), Qt::AlignCenter, TekstBledow(*komorka));
                p.drawText(kratka.adjusted(0, kratka.height() / 2, 0, -2), Qt::AlignCenter, TekstCzasu(*komorka));
            }
        }
    }

private:
    int poczatek() const { return dzialanie_ > DzialanieDzielenie ? 1 : 3; }
    int rozmiar() const { return dzialanie_ > DzialanieDzielenie ? 9 : 7; }

    std::uint8_t dzialanie_ = DzialanieMnozenie;
    std::vector<std::optional<KomorkaFaktu>> siatka_;
    QString napis_ = kCzekanie;
};

// What the fact table's colours mean, each beside its colour.
class LegendaFaktow : public QWidget {
public:
    explicit LegendaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("LegendaFaktow")); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(fonts::MsSansSerif(11));
        p.drawText(QRect(0, 0, width(), 32), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("W kratce: ile odpowiedzi było złych\ni średni czas odpowiedzi."));
        const std::array<std::pair<QColor, const char*>, 4> wiersze{{
            {KolorTrudnosci(0), "Zielony: zawsze dobrze i szybko."},
            {KolorTrudnosci(0.5), "Żółty: co czwarta źle albo wolno."},
            {KolorTrudnosci(1), "Czerwony: co druga źle albo bardzo wolno."},
            {KolorBrakuFaktu(), "Szary: jeszcze nie było."},
        }};
        int y = 44;
        for (const auto& [kolor, tekst] : wiersze) {
            p.fillRect(QRect(0, y, 14, 14), kolor);
            p.drawText(QRect(20, y - 1, width() - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(tekst));
            y += 22;
        }
    }
};

TFrmWyniki::TFrmWyniki(QWidget* parent, const QString& plik, IKomunikaty* komunikaty, DziennikWynikow* dziennik)
    : QDialog(parent), plik_(plik), komunikaty_(komunikaty), dziennik_(dziennik),
      czytnik_(new CzytnikWynikow(plik, this))
{
    setObjectName(QStringLiteral("FrmWyniki"));
    PrzygotujDialog(*this, QStringLiteral("Wyniki"), QSize(kSzerokosc, kWysokosc));

    Zakladki = new QTabWidget(this);
    Zakladki->setObjectName(QStringLiteral("Zakladki"));
    Zakladki->setGeometry(8, 8, kSzerokosc - 16, kWysokosc - 52);

    auto* strona = new QWidget;
    auto* uklad = new QVBoxLayout(strona);
    uklad->setContentsMargins(0, 0, 0, 0);
    uklad->setSpacing(0);
    LabelPlik = new QLabel(strona);
    LabelPlik->setObjectName(QStringLiteral("LabelPlik"));
    LabelPlik->setWordWrap(true);
    LabelPlik->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelPlik->setContentsMargins(6, 4, 6, 4);
    LabelPlik->setStyleSheet(QStringLiteral("background: rgb(255, 244, 200);"));
    LabelPlik->hide();
    uklad->addWidget(LabelPlik);
    ListaCwiczen = new QTableView;
    ListaCwiczen->setObjectName(QStringLiteral("ListaCwiczen"));
    model_ = new ModelCwiczen(this, [this] { czytajStrone(model_->Klucz(), kStrona); });
    ListaCwiczen->setModel(model_);
    ListaCwiczen->verticalHeader()->hide();
    ListaCwiczen->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListaCwiczen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListaCwiczen->setAlternatingRowColors(true);
    ListaCwiczen->verticalHeader()->setDefaultSectionSize(18);
    ListaCwiczen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int k = 0; k < 6; ++k)
        ListaCwiczen->setColumnWidth(k, std::array<int, 6>{130, 110, 70, 90, 90, 60}[static_cast<std::size_t>(k)]);
    ListaCwiczen->horizontalHeader()->setStretchLastSection(true);
    ListaCwiczen->setAccessibleName(QStringLiteral("Ćwiczenia"));
    uklad->addWidget(ListaCwiczen);
    Zakladki->addTab(strona, QStringLiteral("Ćwiczenia"));
    LabelPusto = new QLabel(kCzekanie, ListaCwiczen->viewport());
    LabelPusto->setObjectName(QStringLiteral("LabelPusto"));
    LabelPusto->setGeometry(10, 40, kSzerokosc - 44, 60);
    LabelPusto->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    LabelPusto->setWordWrap(true);

    Wykres = new WykresOcen(nullptr);
    Wykres->setAccessibleName(QStringLiteral("Oceny w czasie"));
    Zakladki->addTab(Wykres, QStringLiteral("Oceny"));

    auto* fakty = new QWidget;
    fakty->setObjectName(QStringLiteral("Fakty"));
    Dzialania = new QButtonGroup(this);
    int x = 8;
    for (const FaktyDzialania& f : zm::Dzialania()) {
        auto* r = new QRadioButton(QString::fromUtf8(f.etykieta), fakty);
        r->setObjectName(QStringLiteral("RadioFakty%1").arg(f.dzialanie));
        r->setGeometry(x, 6, 110, 17);
        Dzialania->addButton(r, f.dzialanie);
        x += 118;
    }
    Dzialania->button(DzialanieMnozenie)->setChecked(true);
    Tabela = new TabelaFaktow(fakty);
    Tabela->setGeometry(8, 30, 330, 330);
    Tabela->setAccessibleName(QStringLiteral("Tabela działań"));
    auto* legenda = new LegendaFaktow(fakty);
    legenda->setGeometry(350, 40, 260, 140);
    legenda->setAccessibleName(QStringLiteral("Objaśnienie kolorów"));
    Zakladki->addTab(fakty, QStringLiteral("Tabliczka"));
    connect(Dzialania, &QButtonGroup::idClicked, this, [this] { pokazFakty(); });
    connect(Zakladki, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 2 && !faktyAktualne_) pokazFakty();
    });

    ButEksport = new QPushButton(QStringLiteral("Eksportuj CSV"), this);
    ButEksport->setObjectName(QStringLiteral("ButEksport"));
    ButEksport->setGeometry(8, kWysokosc - 36, 100, 25);
    connect(ButEksport, &QPushButton::clicked, this, &TFrmWyniki::ButEksportClick);
    ButZamknij = new QPushButton(QStringLiteral("Zamknij"), this);
    ButZamknij->setObjectName(QStringLiteral("ButZamknij"));
    ButZamknij->setGeometry(kSzerokosc - 83, kWysokosc - 36, 75, 25);
    connect(ButZamknij, &QPushButton::clicked, this, &QDialog::accept);
    UstawKolejnoscTab({Zakladki, ButEksport, ButZamknij});

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
    Wykres->Napisz(kCzekanie);
    Tabela->Napisz(static_cast<std::uint8_t>(std::max(0, Dzialania->checkedId())), kCzekanie);
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
        [po, ile](BazaWynikow* baza, WynikBazy& w) {
            Strona s{po, {}};
            if (baza) w = baza->Strona(s.first, ile, s.second);
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
            }
            odpowiedziano();
        });
}

void TFrmWyniki::czytajWykres()
{
    const std::uint64_t pokolenie = pokolenie_;
    ++oczekujace_;
    czytnik_->Czytaj<DaneWykresu>(
        [](BazaWynikow* baza, WynikBazy& w) {
            std::vector<OcenaWCzasie> oceny;
            std::int64_t pominiete = 0;
            if (baza) w = baza->Oceny(oceny, pominiete);
            return PunktyWykresu(oceny, kPrzedzialyWykresu);
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
    czytnik_->Czytaj<std::vector<KomorkaFaktu>>(
        [dzialanie](BazaWynikow* baza, WynikBazy& w) {
            std::vector<KomorkaFaktu> komorki;
            if (baza) w = baza->Fakty(dzialanie, komorki);
            return komorki;
        },
        [this, pokolenie, zapytanie, dzialanie](const WynikBazy& w, std::vector<KomorkaFaktu> komorki) {
            if (pokolenie != pokolenie_) return;
            // Only the operation chosen last is shown.
            if (zapytanie == zapytanieFaktow_) {
                if (w)
                    Tabela->Ustaw(dzialanie, komorki);
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

void TFrmWyniki::Eksportuj(const QString& plik)
{
    ButEksport->setEnabled(false);
    czytnik_->Eksportuj(plik, [this, plik](const QString& blad) {
        ButEksport->setEnabled(!bladPokazany_ && !model_->Pusty());
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

void TFrmWyniki::ButEksportClick()
{
    const QString plik = QFileDialog::getSaveFileName(this, QStringLiteral("Eksportuj CSV"),
                                                      FolderEksportu() + QStringLiteral("/wyniki.csv"),
                                                      QStringLiteral("Plik CSV (*.csv)"));
    if (!plik.isEmpty()) Eksportuj(plik);
}

void TFrmWyniki::showEvent(QShowEvent* e)
{
    WysrodkujNaEkranie(*this);
    QDialog::showEvent(e);
}

void TFrmWyniki::changeEvent(QEvent* e)
{
    QDialog::changeEvent(e);
    MinimalizujZRodzicem(*this, e);
}

} // namespace zm
