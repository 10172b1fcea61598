#include "ResultsWindow.h"

#include "DialogSupport.h"
#include "DrillState.h"
#include "Fonts.h"
#include "Operations.h"
#include "ResultsCsv.h"

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

#include <algorithm>
#include <array>

namespace zm {

namespace {

// One colour per operation, in the order of their codes.
const std::array<QColor, 4> kKolorDzialania{QColor(79, 136, 167), QColor(200, 62, 52), QColor(52, 150, 62),
                                           QColor(214, 132, 20)};

constexpr int kSzerokosc = 640, kWysokosc = 460;

// Reads the journal without creating, locking or changing it; nothing while
// there is no file yet.
template <class Czytanie>
auto czytaj(const QString& plik, Czytanie czytanie) -> decltype(czytanie(std::declval<BazaWynikow&>()))
{
    if (!QFile::exists(plik)) return {};
    BazaWynikow baza(plik, BazaWynikow::Tryb::Odczyt, QStringLiteral("wyniki-odczyt"), 200);
    return czytanie(baza);
}

// A grade's colour in the list: red for 1, through orange, to green for 6.
QColor kolorOceny(int ocena)
{
    static const std::array<QColor, 6> kolory{QColor(190, 30, 30), QColor(205, 90, 20), QColor(190, 130, 0),
                                              QColor(110, 140, 20), QColor(40, 140, 40), QColor(0, 110, 50)};
    return kolory[static_cast<std::size_t>(std::clamp(ocena, 1, 6) - 1)];
}

} // namespace

// The drills list.
class ModelCwiczen : public QAbstractTableModel {
public:
    explicit ModelCwiczen(QObject* rodzic) : QAbstractTableModel(rodzic) {}

    void Ustaw(const std::vector<WierszCwiczenia>* lista)
    {
        beginResetModel();
        lista_ = lista;
        endResetModel();
    }
    int rowCount(const QModelIndex& p) const override { return p.isValid() || !lista_ ? 0 : int(lista_->size()); }
    int columnCount(const QModelIndex& p) const override { return p.isValid() ? 0 : 6; }
    QVariant headerData(int sekcja, Qt::Orientation o, int rola) const override
    {
        static const std::array<const char*, 6> naglowki{"Data", "Działanie", "Pytania", "Tempo", "Dobre / złe",
                                                         "Ocena"};
        if (o != Qt::Horizontal || rola != Qt::DisplayRole || sekcja < 0 || sekcja >= 6) return {};
        return QString::fromUtf8(naglowki[static_cast<std::size_t>(sekcja)]);
    }
    QVariant data(const QModelIndex& i, int rola) const override
    {
        if (!lista_ || !i.isValid()) return {};
        const WierszCwiczenia& c = (*lista_)[static_cast<std::size_t>(i.row())];
        if (rola == Qt::TextAlignmentRole)
            return QVariant::fromValue(i.column() >= 2 && i.column() != 3 ? Qt::AlignCenter
                                                                         : Qt::AlignLeft | Qt::AlignVCenter);
        if (rola == Qt::ForegroundRole && i.column() == 5) return kolorOceny(c.ocena);
        if (rola == Qt::FontRole && i.column() == 5) {
            QFont f = fonts::MsSansSerif(11, true);
            return f;
        }
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
    const std::vector<WierszCwiczenia>* lista_ = nullptr;
};

// Grades 1..6 over time, one line per operation, oldest on the left.
class WykresOcen : public QWidget {
public:
    explicit WykresOcen(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("WykresOcen")); }
    void Ustaw(const std::vector<WierszCwiczenia>* lista)
    {
        lista_ = lista;
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
            p.fillRect(QRect(x, 10, 12, 12), kKolorDzialania[f.dzialanie]);
            const QString nazwa = QString::fromUtf8(f.etykieta);
            p.setPen(Qt::black);
            p.drawText(QRect(x + 16, 6, 120, 20), Qt::AlignLeft | Qt::AlignVCenter, nazwa);
            x += 16 + p.fontMetrics().horizontalAdvance(nazwa) + 20;
        }
        if (!lista_ || lista_->empty()) {
            p.drawText(pole, Qt::AlignCenter, QStringLiteral("Nie ma jeszcze zapisanych ćwiczeń."));
            return;
        }
        const qint64 od = lista_->back().koniecMs, doKonca = lista_->front().koniecMs;
        const double zakres = std::max<qint64>(1, doKonca - od);
        p.drawText(QRect(pole.left(), pole.bottom() + 6, 200, 16), Qt::AlignLeft, DataCwiczenia(od));
        p.drawText(QRect(pole.right() - 200, pole.bottom() + 6, 200, 16), Qt::AlignRight, DataCwiczenia(doKonca));
        p.setRenderHint(QPainter::Antialiasing);
        // Many drills are drawn as the mean grade of equal stretches of
        // time, about eight pixels each; a few as they are.
        const int przedzialy = std::max(1, pole.width() / 8);
        for (const FaktyDzialania& f : Dzialania()) {
            std::vector<std::pair<double, double>> punkty; // x 0..1, grade
            std::vector<double> suma(static_cast<std::size_t>(przedzialy)), ile(suma.size());
            int wszystkie = 0;
            for (const WierszCwiczenia& c : *lista_)
                if (c.dzialanie == f.dzialanie) ++wszystkie;
            for (auto it = lista_->rbegin(); it != lista_->rend(); ++it) {
                if (it->dzialanie != f.dzialanie) continue;
                const double x = lista_->size() == 1 ? 0.5 : (it->koniecMs - od) / zakres;
                if (wszystkie <= przedzialy) {
                    punkty.emplace_back(x, it->ocena);
                    continue;
                }
                const auto i = static_cast<std::size_t>(std::min(przedzialy - 1, int(x * przedzialy)));
                suma[i] += it->ocena;
                ile[i] += 1;
            }
            for (std::size_t i = 0; i < suma.size(); ++i)
                if (ile[i] > 0) punkty.emplace_back((i + 0.5) / przedzialy, suma[i] / ile[i]);
            QPainterPath linia;
            const QColor kolor = kKolorDzialania[f.dzialanie];
            for (std::size_t i = 0; i < punkty.size(); ++i) {
                const QPointF pt(pole.left() + punkty[i].first * pole.width(),
                                 pole.bottom() - (punkty[i].second - 1) * pole.height() / 5.0);
                if (i == 0)
                    linia.moveTo(pt);
                else
                    linia.lineTo(pt);
                p.setPen(Qt::NoPen);
                p.setBrush(kolor);
                p.drawEllipse(pt, 3, 3);
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(kolor, 2));
            p.drawPath(linia);
        }
    }

private:
    const std::vector<WierszCwiczenia>* lista_ = nullptr;
};

// The facts of one operation: 3..9 by 3..9 for multiplication and division
// (division by quotient and divisor), the tens 1..9 by 1..9 for addition
// and subtraction. Green: always right and quick; red: often missed or slow.
class TabelaFaktow : public QWidget {
public:
    explicit TabelaFaktow(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("TabelaFaktow")); }
    void Ustaw(std::uint8_t dzialanie, std::vector<KomorkaFaktu> komorki)
    {
        dzialanie_ = dzialanie;
        komorki_ = std::move(komorki);
        update();
    }
    // How hard a fact is, 0 (green) to 1 (red): missed half the time or
    // answered when the bar is full is red; a quarter missed or answered at
    // 60 per cent of the bar is yellow; never missed and answered within
    // the first fifth of the bar is green.
    static double Trudnosc(const KomorkaFaktu& k)
    {
        const double bledy = 2.0 * k.bledy / std::max(1, k.ile);
        const double czas = (k.sredniUdzialCzasu - 0.2) / 0.8;
        return std::clamp(std::max(bledy, czas), 0.0, 1.0);
    }
    static QColor Kolor(double t)
    {
        // green (0) → yellow (0.5) → red (1)
        const QColor zielony(120, 200, 110), zolty(245, 220, 90), czerwony(225, 80, 70);
        auto mieszaj = [](QColor a, QColor b, double u) {
            return QColor(int(a.red() + (b.red() - a.red()) * u), int(a.green() + (b.green() - a.green()) * u),
                          int(a.blue() + (b.blue() - a.blue()) * u));
        };
        return t < 0.5 ? mieszaj(zielony, zolty, t * 2) : mieszaj(zolty, czerwony, (t - 0.5) * 2);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        const bool dziesiatki = dzialanie_ > DzialanieDzielenie;
        const int od = dziesiatki ? 1 : 3, n = dziesiatki ? 9 : 7;
        const int naglowek = 34;
        const int bok = std::min((width() - naglowek) / n, (height() - naglowek) / n);
        p.setFont(fonts::MsSansSerif(11));
        // The signs as a Polish school writes them.
        static const std::array<const char*, 4> kZnaki{"×", ":", "+", "−"};
        const QString znak = QString::fromUtf8(kZnaki[dzialanie_ % 4]);
        p.drawText(QRect(0, 0, naglowek, naglowek), Qt::AlignCenter, znak);
        auto opis = [&](int v) { return dziesiatki ? QStringLiteral("%1…").arg(v * 10) : QString::number(v); };
        for (int i = 0; i < n; ++i) {
            p.drawText(QRect(naglowek + i * bok, 0, bok, naglowek), Qt::AlignCenter, opis(od + i));
            p.drawText(QRect(0, naglowek + i * bok, naglowek, bok), Qt::AlignCenter, opis(od + i));
        }
        QFont maly = fonts::MsSansSerif(11);
        for (int w = 0; w < n; ++w) {
            for (int k = 0; k < n; ++k) {
                const QRect kratka(naglowek + k * bok, naglowek + w * bok, bok - 2, bok - 2);
                const auto it = std::find_if(komorki_.begin(), komorki_.end(), [&](const KomorkaFaktu& c) {
                    return c.wiersz == od + w && c.kolumna == od + k;
                });
                if (it == komorki_.end()) {
                    p.fillRect(kratka, QColor(236, 236, 238));
                    continue;
                }
                p.fillRect(kratka, Kolor(Trudnosc(*it)));
                p.setPen(Qt::black);
                p.setFont(maly);
                p.drawText(kratka.adjusted(0, 2, 0, -kratka.height() / 2), Qt::AlignCenter,
                           QStringLiteral("%1%").arg(std::lround(100.0 * it->bledy / std::max(1, it->ile))));
                p.drawText(kratka.adjusted(0, kratka.height() / 2, 0, -2), Qt::AlignCenter,
                           QLocale(QLocale::Polish).toString(it->sredniCzasMs / 1000.0, 'f', 1) + QStringLiteral(" s"));
            }
        }
    }

private:
    std::uint8_t dzialanie_ = DzialanieMnozenie;
    std::vector<KomorkaFaktu> komorki_;
};

TFrmWyniki::TFrmWyniki(QWidget* parent, QString plik, IKomunikaty* komunikaty)
    : QDialog(parent), plik_(std::move(plik)), komunikaty_(komunikaty)
{
    setObjectName(QStringLiteral("FrmWyniki"));
    PrzygotujDialog(*this, QStringLiteral("Wyniki"), QSize(kSzerokosc, kWysokosc));

    Zakladki = new QTabWidget(this);
    Zakladki->setObjectName(QStringLiteral("Zakladki"));
    Zakladki->setGeometry(8, 8, kSzerokosc - 16, kWysokosc - 52);

    ListaCwiczen = new QTableView;
    ListaCwiczen->setObjectName(QStringLiteral("ListaCwiczen"));
    model_ = new ModelCwiczen(this);
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
    Zakladki->addTab(ListaCwiczen, QStringLiteral("Ćwiczenia"));
    LabelPusto = new QLabel(QStringLiteral("Nie ma jeszcze zapisanych ćwiczeń."), ListaCwiczen->viewport());
    LabelPusto->setObjectName(QStringLiteral("LabelPusto"));
    LabelPusto->setGeometry(0, 40, kSzerokosc - 24, 20);
    LabelPusto->setAlignment(Qt::AlignCenter);

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
    auto* objasnienie =
        new QLabel(QStringLiteral("W kratce: ile odpowiedzi było złych\ni średni czas odpowiedzi.\n\n"
                                  "Zielony: zawsze dobrze i szybko.\nŻółty: co czwarta źle albo wolno.\n"
                                  "Czerwony: co druga źle albo bardzo wolno.\nSzary: jeszcze nie było."),
                   fakty);
    objasnienie->setObjectName(QStringLiteral("LabelObjasnienie"));
    objasnienie->setGeometry(350, 40, 260, 120);
    objasnienie->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
}

void TFrmWyniki::Odswiez()
{
    cwiczenia_ = czytaj(plik_, [](BazaWynikow& baza) { return baza.Cwiczenia(); });
    model_->Ustaw(&cwiczenia_);
    Wykres->Ustaw(&cwiczenia_);
    LabelPusto->setVisible(cwiczenia_.empty());
    ButEksport->setEnabled(!cwiczenia_.empty());
    faktyAktualne_ = false;
    if (Zakladki->currentIndex() == 2) pokazFakty();
}

void TFrmWyniki::pokazFakty()
{
    const auto dzialanie = static_cast<std::uint8_t>(std::max(0, Dzialania->checkedId()));
    Tabela->Ustaw(dzialanie, czytaj(plik_, [dzialanie](BazaWynikow& baza) { return baza.Fakty(dzialanie); }));
    faktyAktualne_ = true;
}

bool TFrmWyniki::Eksportuj(const QString& plik)
{
    QString blad;
    if (ZapiszCsv(plik, cwiczenia_, &blad)) return true;
    komunikaty_->Pokaz(this, IKomunikaty::Rodzaj::Uwaga, QStringLiteral("Wyniki"),
                       QStringLiteral("Nie można zapisać pliku %1: %2.").arg(QDir::toNativeSeparators(plik), blad));
    return false;
}

void TFrmWyniki::ButEksportClick()
{
    const QString start = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/wyniki.csv");
    const QString plik = QFileDialog::getSaveFileName(this, QStringLiteral("Eksportuj CSV"), start,
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
