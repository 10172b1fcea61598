#include "ResultsWindow.h"

#include "DialogSupport.h"
#include "DrillState.h"
#include "Children.h"
#include "ClassView.h"
#include "Fonts.h"
#include "Operations.h"
#include "ResultsCsv.h"
#include "ResultsFigures.h"
#include "ResultsJournal.h"
#include "ResultsReader.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTime>
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
#include <map>
#include <utility>

namespace zm {

namespace {

constexpr int kSzerokosc = 640, kWysokosc = 460;
// Rows read when the window opens, then at each scroll to the list's end.
constexpr int kPierwszaStrona = 200, kStrona = 1000;
// The chart's most points a line: about eight pixels each.
constexpr int kPrzedzialyWykresu = 72;
// The fact table's shorter period.
constexpr std::int64_t kDwaTygodnieMs = 14LL * 24 * 3600 * 1000;

const QString kCzekanie = QStringLiteral("Wczytywanie…");
const QString kPusto = QStringLiteral("Nie ma jeszcze zapisanych ćwiczeń.");

} // namespace

// The drills list, read a page at a time as it is scrolled.
class ModelCwiczen : public QAbstractTableModel {
public:
    ModelCwiczen(QObject* rodzic, std::function<void()> dociagnij, std::function<QString(std::int64_t)> imie)
        : QAbstractTableModel(rodzic), dociagnij_(std::move(dociagnij)), imie_(std::move(imie))
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
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : 7; }
    bool canFetchMore(const QModelIndex& p) const override { return !p.isValid() && !wszystkie_ && !pobiera_; }
    void fetchMore(const QModelIndex& p) override
    {
        if (!canFetchMore(p)) return;
        pobiera_ = true;
        dociagnij_();
    }
    QVariant headerData(int sekcja, Qt::Orientation o, int rola) const override
    {
        static const std::array<const char*, 7> naglowki{"Data",        "Działanie", "Pytania", "Tempo",
                                                         "Dobre / złe", "Ocena",     "Dziecko"};
        if (o != Qt::Horizontal || rola != Qt::DisplayRole || sekcja < 0 || sekcja >= 7) return {};
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
        case 5: return int(c.ocena);
        default: return imie_(c.dziecko);
        }
    }

private:
    std::function<void()> dociagnij_;
    std::function<QString(std::int64_t)> imie_;
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

// The facts of one operation (see RozmiarTabeli): each cell coloured by
// how hard the fact is, with its share of mistakes, its average time (when
// there is room) and how many times it was asked; addition that carries and
// subtraction that borrows marked in the cell's corner; for one child's whole
// record, the facts due again and those mastered marked too.
class TabelaFaktow : public QWidget {
public:
    explicit TabelaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("TabelaFaktow")); }
    void Ustaw(std::uint8_t dzialanie, const std::vector<KomorkaFaktu>& komorki, std::int64_t terazMs)
    {
        dzialanie_ = dzialanie;
        terazMs_ = terazMs;
        napis_.clear();
        const int n = RozmiarTabeli(dzialanie);
        siatka_.assign(static_cast<std::size_t>(n * n), std::nullopt);
        for (int w = 0; w < n; ++w)
            for (int k = 0; k < n; ++k) {
                const Fakt f = FaktKomorki(dzialanie, w, k);
                for (const KomorkaFaktu& c : komorki)
                    if (KomorkaWidoczna(c) && c.a == f.a && c.b == f.b) siatka_[static_cast<std::size_t>(w * n + k)] = c;
            }
        setAccessibleDescription(Opis());
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
        const int n = RozmiarTabeli(dzialanie_);
        const int naglowek = 34;
        const int bok = std::min((width() - naglowek) / n, (height() - naglowek) / n);
        p.setFont(fonts::MsSansSerif(11));
        for (int i = 0; i < n; ++i) {
            p.drawText(QRect(naglowek + i * bok, 0, bok, naglowek), Qt::AlignCenter, NaglowekKolumny(dzialanie_, i));
            p.drawText(QRect(0, naglowek + i * bok, naglowek, bok), Qt::AlignCenter, NaglowekWiersza(dzialanie_, i));
        }
        if (!napis_.isEmpty()) {
            p.drawText(QRect(naglowek, naglowek, n * bok, n * bok), Qt::AlignCenter | Qt::TextWordWrap, napis_);
            return;
        }
        const int linia = 13;
        for (int w = 0; w < n; ++w) {
            for (int k = 0; k < n; ++k) {
                const QRect kratka(naglowek + k * bok, naglowek + w * bok, bok - 2, bok - 2);
                const auto& komorka = siatka_[static_cast<std::size_t>(w * n + k)];
                p.fillRect(kratka, komorka ? KolorTrudnosci(Trudnosc(*komorka)) : KolorBrakuFaktu());
                if (ZPrzeniesieniem(FaktKomorki(dzialanie_, w, k))) {
                    // A small dark corner: the digits carry or borrow.
                    const QPolygon rog{kratka.topRight() - QPoint(7, 0), kratka.topRight(), kratka.topRight() + QPoint(0, 7)};
                    p.setPen(Qt::NoPen);
                    p.setBrush(QColor(60, 60, 60));
                    p.drawPolygon(rog);
                }
                // A division names itself: its quotient is the row.
                const bool dzielenie = dzialanie_ == DzialanieDzielenie;
                if (!komorka && !dzielenie) continue;
                QStringList linie;
                if (dzielenie) linie << NazwaKomorki(dzialanie_, w, k);
                if (komorka) {
                    linie << TekstBledow(*komorka) << TekstIlosci(*komorka);
                    if (!dzielenie && kratka.height() >= 3 * linia) linie.insert(1, TekstCzasu(*komorka));
                }
                p.setPen(Qt::black);
                const int gora = kratka.top() + (kratka.height() - linie.size() * linia) / 2;
                for (int i = 0; i < linie.size(); ++i)
                    p.drawText(QRect(kratka.left(), gora + i * linia, kratka.width(), linia), Qt::AlignCenter, linie[i]);
                if (!komorka || komorka->pudelko == 0) continue;
                // The practice's view of a child's fact: mastered, or due again.
                if (Opanowany(stan(*komorka))) {
                    p.setPen(QPen(QColor(0, 90, 30), 2));
                    p.drawPolyline(QPolygon{kratka.bottomLeft() + QPoint(2, -5), kratka.bottomLeft() + QPoint(4, -2),
                                            kratka.bottomLeft() + QPoint(8, -8)});
                } else if (Zalegly(stan(*komorka), terazMs_)) {
                    p.setPen(Qt::NoPen);
                    p.setBrush(QColor(20, 60, 200));
                    p.drawEllipse(QRect(kratka.left() + 2, kratka.bottom() - 7, 6, 6));
                }
            }
        }
    }

private:
    static StanFaktu stan(const KomorkaFaktu& k)
    {
        return {static_cast<std::int32_t>(std::clamp<std::int64_t>(k.ile, 0, INT32_MAX)),
                static_cast<std::int32_t>(std::clamp<std::int64_t>(k.bledy, 0, INT32_MAX)), 0, k.ostatnioMs, k.pudelko};
    }
    // What a screen reader says of the table: every fact asked.
    QString Opis() const
    {
        QStringList czesci;
        const int n = RozmiarTabeli(dzialanie_);
        for (int w = 0; w < n; ++w)
            for (int k = 0; k < n; ++k)
                if (const auto& c = siatka_[static_cast<std::size_t>(w * n + k)])
                    czesci << QStringLiteral("%1: %2 źle, %3").arg(NazwaKomorki(dzialanie_, w, k), TekstBledow(*c),
                                                                  TekstIlosci(*c));
        return czesci.join(QStringLiteral("; "));
    }

    std::uint8_t dzialanie_ = DzialanieMnozenie;
    std::int64_t terazMs_ = 0;
    std::vector<std::optional<KomorkaFaktu>> siatka_;
    QString napis_ = kCzekanie;
};

// What the fact table's colours and marks mean, each beside its sign.
class LegendaFaktow : public QWidget {
public:
    explicit LegendaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("LegendaFaktow")); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setFont(fonts::MsSansSerif(11));
        p.drawText(QRect(0, 0, width(), 32), Qt::AlignLeft | Qt::AlignTop,
                   QStringLiteral("W kratce: ile odpowiedzi było złych,\nśredni czas i ile razy było pytanie."));
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
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(60, 60, 60));
        p.drawPolygon(QPolygon{QPoint(7, y), QPoint(14, y), QPoint(14, y + 7)});
        p.setBrush(QColor(20, 60, 200));
        p.drawEllipse(QRect(4, y + 22 + 4, 6, 6));
        p.setPen(QPen(QColor(0, 90, 30), 2));
        p.drawPolyline(QPolygon{QPoint(2, y + 44 + 9), QPoint(4, y + 44 + 12), QPoint(8, y + 44 + 6)});
        p.setPen(Qt::black);
        const char* znaki[] = {"Róg: z przeniesieniem albo pożyczką.", "Kropka: do powtórki (ćwiczenie trudnych).",
                               "Ptaszek: opanowane."};
        for (const char* tekst : znaki) {
            p.drawText(QRect(20, y - 1, width() - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(tekst));
            y += 22;
        }
    }
};

TFrmWyniki::TFrmWyniki(QWidget* parent, const QString& plik, IKomunikaty* komunikaty, DziennikWynikow* dziennik,
                       const ListaDzieci* dzieci, const KonfiguracjaKlasy* klasa)
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
    model_ = new ModelCwiczen(this, [this] { czytajStrone(model_->Klucz(), kStrona); },
                              [this](std::int64_t dziecko) { return imie(dziecko); });
    ListaCwiczen->setModel(model_);
    ListaCwiczen->verticalHeader()->hide();
    ListaCwiczen->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListaCwiczen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListaCwiczen->setAlternatingRowColors(true);
    ListaCwiczen->verticalHeader()->setDefaultSectionSize(18);
    ListaCwiczen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int k = 0; k < 7; ++k)
        ListaCwiczen->setColumnWidth(k, std::array<int, 7>{110, 90, 55, 70, 75, 50, 100}[static_cast<std::size_t>(k)]);
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
        r->setGeometry(x, 6, 100, 17);
        Dzialania->addButton(r, f.dzialanie);
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
    Tabela = new TabelaFaktow(fakty);
    Tabela->setGeometry(8, 30, 330, 330);
    Tabela->setAccessibleName(QStringLiteral("Tabela działań"));
    auto* legenda = new LegendaFaktow(fakty);
    legenda->setGeometry(350, 40, 270, 230);
    legenda->setAccessibleName(QStringLiteral("Objaśnienie kolorów"));
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
    if (klasa) {
        // The class's children from the server, after this computer's.
        klasa_ = new WidokKlasy(*klasa, this);
        klasa_->Dzieci([this](std::vector<DzieckoKlasy> dzieci, QString blad) {
            if (!blad.isEmpty()) {
                ComboDziecko->addItem(QStringLiteral("Klasa %1: %2").arg(klasa_->Klasa(), blad));
                ComboDziecko->setItemData(ComboDziecko->count() - 1, false, Qt::UserRole + 3);
                return;
            }
            ComboDziecko->addItem(QStringLiteral("Klasa %1: cała klasa").arg(klasa_->Klasa()));
            ComboDziecko->setItemData(ComboDziecko->count() - 1, true, Qt::UserRole + 1);
            for (const DzieckoKlasy& d : dzieci) {
                ComboDziecko->addItem(QStringLiteral("Klasa %1: %2").arg(klasa_->Klasa(), d.imie));
                ComboDziecko->setItemData(ComboDziecko->count() - 1, true, Qt::UserRole + 1);
                ComboDziecko->setItemData(ComboDziecko->count() - 1, d.imie, Qt::UserRole + 2);
            }
        });
    }
    ButZamknij = new QPushButton(QStringLiteral("Zamknij"), this);
    ButZamknij->setObjectName(QStringLiteral("ButZamknij"));
    ButZamknij->setGeometry(kSzerokosc - 83, kWysokosc - 36, 75, 25);
    connect(ButZamknij, &QPushButton::clicked, this, &QDialog::accept);
    UstawKolejnoscTab({Zakladki, ButEksport, ButEksportPytan, ComboDziecko, ButZamknij});

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
    if (ComboDziecko->currentData(Qt::UserRole + 1).toBool()) {
        const QVariant imie = ComboDziecko->currentData(Qt::UserRole + 2);
        wKlasie_ = true;
        dzieckoKlasy_ = imie.isValid() ? std::optional<QString>(imie.toString()) : std::nullopt;
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
            std::vector<OcenaWCzasie> oceny;
            for (const CwiczenieZKlasy& k : c) {
                wiersze.push_back(k.zapis);
                oceny.push_back({k.zapis.koniecMs, k.zapis.dzialanie, k.zapis.ocena});
            }
            model_->Dopisz(std::move(wiersze), {}, true);
            LabelPusto->setText(blad.isEmpty() ? kPusto : QStringLiteral("Nie można pokazać wyników klasy: %1").arg(blad));
            LabelPusto->setVisible(model_->Pusty());
            ButEksport->setEnabled(!model_->Pusty());
            ButEksportPytan->setEnabled(!model_->Pusty());
            Wykres->Ustaw(PunktyWykresu(oceny, kPrzedzialyWykresu, QDateTime::currentDateTime().offsetFromUtc()));
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
        [dziecko = dziecko_, strefa = QDateTime::currentDateTime().offsetFromUtc()](BazaWynikow* baza, WynikBazy& w) {
            std::vector<OcenaWCzasie> oceny;
            std::int64_t pominiete = 0;
            if (baza) w = baza->Oceny(oceny, pominiete, dziecko);
            return PunktyWykresu(oceny, kPrzedzialyWykresu, strefa);
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
    if (wKlasie_ && dzieckoKlasy_) return *dzieckoKlasy_;
    const QString i = dzieci_ ? dzieci_->Imie(dziecko) : QString();
    return !i.isEmpty() ? i : ImieDomyslne(dziecko);
}

} // namespace zm
