#include "FactTable.h"

#include "DrillState.h"
#include "Fonts.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <array>

namespace zm {

namespace {

constexpr int kNaglowek = 34;
constexpr int kLinia = 13;

} // namespace

class ModelFaktow : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Ustaw(std::uint8_t dzialanie, const std::vector<KomorkaFaktu>& komorki, std::int64_t terazMs)
    {
        beginResetModel();
        dzialanie_ = dzialanie;
        terazMs_ = terazMs;
        n_ = RozmiarTabeli(dzialanie);
        siatka_.assign(static_cast<std::size_t>(n_ * n_), std::nullopt);
        for (int w = 0; w < n_; ++w)
            for (int k = 0; k < n_; ++k) {
                const Fakt f = FaktKomorki(dzialanie, w, k);
                for (const KomorkaFaktu& c : komorki)
                    if (KomorkaWidoczna(c) && c.a == f.a && c.b == f.b) siatka_[static_cast<std::size_t>(w * n_ + k)] = c;
            }
        endResetModel();
    }
    void Wyczysc(std::uint8_t dzialanie)
    {
        beginResetModel();
        dzialanie_ = dzialanie;
        n_ = RozmiarTabeli(dzialanie);
        siatka_.clear();
        endResetModel();
    }
    std::uint8_t Dzialanie() const { return dzialanie_; }
    std::int64_t Teraz() const { return terazMs_; }
    const KomorkaFaktu* Komorka(const QModelIndex& i) const
    {
        const auto k = static_cast<std::size_t>(i.row() * n_ + i.column());
        return k < siatka_.size() && siatka_[k] ? &*siatka_[k] : nullptr;
    }

    int rowCount(const QModelIndex& p) const override { return p.isValid() || siatka_.empty() ? 0 : n_; }
    int columnCount(const QModelIndex& p) const override { return p.isValid() || siatka_.empty() ? 0 : n_; }
    QVariant headerData(int sekcja, Qt::Orientation o, int rola) const override
    {
        if (rola != Qt::DisplayRole || sekcja < 0 || sekcja >= n_) return {};
        return o == Qt::Horizontal ? NaglowekKolumny(dzialanie_, sekcja) : NaglowekWiersza(dzialanie_, sekcja);
    }
    QVariant data(const QModelIndex& i, int rola) const override
    {
        if (!i.isValid()) return {};
        const KomorkaFaktu* k = Komorka(i);
        switch (rola) {
        case Qt::DisplayRole: return LinieKomorki(dzialanie_, i.row(), i.column(), k, 2).join(QLatin1Char(' '));
        case Qt::AccessibleTextRole:
        case Qt::ToolTipRole: return OpisKomorki(dzialanie_, i.row(), i.column(), k, terazMs_);
        case Qt::BackgroundRole: return k ? KolorTrudnosci(Trudnosc(*k)) : KolorBrakuFaktu();
        default: return {};
        }
    }

private:
    std::uint8_t dzialanie_ = DzialanieMnozenie;
    std::int64_t terazMs_ = 0;
    int n_ = 7;
    std::vector<std::optional<KomorkaFaktu>> siatka_;
};

namespace {

// Draws a cell as the table always looked: a coloured square with a gap,
// its lines, and the marks of carrying, of a fact due again and of one
// mastered; the cell the keyboard is on has a dark frame.
class RysunekKomorki : public QStyledItemDelegate {
public:
    RysunekKomorki(ModelFaktow* model, QObject* rodzic) : QStyledItemDelegate(rodzic), model_(model) {}

    void paint(QPainter* p, const QStyleOptionViewItem& opcje, const QModelIndex& i) const override
    {
        const std::uint8_t dzialanie = model_->Dzialanie();
        const KomorkaFaktu* komorka = model_->Komorka(i);
        const QRect kratka = opcje.rect.adjusted(0, 0, -2, -2);
        p->save();
        p->fillRect(kratka, i.data(Qt::BackgroundRole).value<QColor>());
        if (ZPrzeniesieniem(FaktKomorki(dzialanie, i.row(), i.column()))) {
            const QPolygon rog{kratka.topRight() - QPoint(7, 0), kratka.topRight(), kratka.topRight() + QPoint(0, 7)};
            p->setPen(Qt::NoPen);
            p->setBrush(QColor(60, 60, 60));
            p->drawPolygon(rog);
        }
        const QStringList linie = LinieKomorki(dzialanie, i.row(), i.column(), komorka, kratka.height() / kLinia);
        p->setPen(Qt::black);
        p->setFont(fonts::MsSansSerif(11));
        const int gora = kratka.top() + (kratka.height() - int(linie.size()) * kLinia) / 2;
        for (int l = 0; l < linie.size(); ++l)
            p->drawText(QRect(kratka.left(), gora + l * kLinia, kratka.width(), kLinia), Qt::AlignCenter, linie[l]);
        if (komorka && OpanowanaKomorka(*komorka)) {
            p->setPen(QPen(QColor(0, 90, 30), 2));
            p->drawPolyline(QPolygon{kratka.bottomLeft() + QPoint(2, -5), kratka.bottomLeft() + QPoint(4, -2),
                                     kratka.bottomLeft() + QPoint(8, -8)});
        } else if (komorka && ZaleglaKomorka(*komorka, model_->Teraz())) {
            p->setPen(Qt::NoPen);
            p->setBrush(QColor(20, 60, 200));
            p->drawEllipse(QRect(kratka.left() + 2, kratka.bottom() - 7, 6, 6));
        }
        if (opcje.state & QStyle::State_HasFocus) {
            p->setPen(QPen(Qt::black, 2));
            p->setBrush(Qt::NoBrush);
            p->drawRect(kratka.adjusted(1, 1, -1, -1));
        }
        p->restore();
    }

private:
    ModelFaktow* model_;
};

} // namespace

TabelaFaktow::TabelaFaktow(QWidget* rodzic) : QTableView(rodzic), model_(new ModelFaktow(this))
{
    setObjectName(QStringLiteral("TabelaFaktow"));
    setModel(model_);
    setItemDelegate(new RysunekKomorki(model_, this));
    setFrameShape(QFrame::NoFrame);
    setShowGrid(false);
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->setMinimumSectionSize(1);
        h->setDefaultAlignment(Qt::AlignCenter);
        h->setHighlightSections(false);
        h->setFont(fonts::MsSansSerif(11));
    }
    horizontalHeader()->setFixedHeight(kNaglowek);
    verticalHeader()->setFixedWidth(kNaglowek);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    setPalette(pal);
    napis_ = new QLabel(viewport());
    napis_->setObjectName(QStringLiteral("NapisTabeli"));
    napis_->setAlignment(Qt::AlignCenter);
    napis_->setWordWrap(true);
    napis_->setText(TekstCzekania());
}

void TabelaFaktow::Ustaw(std::uint8_t dzialanie, const std::vector<KomorkaFaktu>& komorki, std::int64_t terazMs)
{
    model_->Ustaw(dzialanie, komorki, terazMs);
    napis_->hide();
    ulozKratki();
    setCurrentIndex(model_->index(0, 0));
}

void TabelaFaktow::Napisz(std::uint8_t dzialanie, const QString& napis)
{
    model_->Wyczysc(dzialanie);
    napis_->setText(napis);
    napis_->show();
    ulozKratki();
}

void TabelaFaktow::resizeEvent(QResizeEvent* e)
{
    QTableView::resizeEvent(e);
    ulozKratki();
}

void TabelaFaktow::ulozKratki()
{
    const int n = RozmiarTabeli(model_->Dzialanie());
    const int bok = std::max(1, std::min(width() - kNaglowek, height() - kNaglowek) / n);
    horizontalHeader()->setDefaultSectionSize(bok);
    verticalHeader()->setDefaultSectionSize(bok);
    napis_->setGeometry(0, 0, n * bok, n * bok);
}

LegendaFaktow::LegendaFaktow(QWidget* rodzic) : QWidget(rodzic)
{
    setObjectName(QStringLiteral("LegendaFaktow"));
    setAccessibleDescription(LiniaLegendy().join(QLatin1Char('\n')));
}

void LegendaFaktow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(fonts::MsSansSerif(11));
    const QStringList linie = LiniaLegendy();
    p.drawText(QRect(0, 0, width(), 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, linie[0]);
    const std::array<QColor, 4> kolory{KolorTrudnosci(0), KolorTrudnosci(0.5), KolorTrudnosci(1), KolorBrakuFaktu()};
    int y = 44;
    for (std::size_t i = 0; i < kolory.size(); ++i) {
        p.fillRect(QRect(0, y, 14, 14), kolory[i]);
        p.drawText(QRect(20, y - 1, width() - 20, 16), Qt::AlignLeft | Qt::AlignVCenter, linie[int(i) + 1]);
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
    // The marks' lines; the last may take two.
    for (int i = 5; i < linie.size(); ++i) {
        p.drawText(QRect(20, y, width() - 20, i + 1 < linie.size() ? 16 : 34),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, linie[i]);
        y += 22;
    }
}

} // namespace zm
