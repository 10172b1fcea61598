// The results window's table of the facts of one operation and its legend.
// The table is a table to screen readers too: a cell per fact, each named in
// a parent's words, moved through by the arrows.
#pragma once

#include "ResultsFigures.h"

#include <QTableView>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;

namespace zm {

class ModelFaktow;

// The facts of one operation (see RozmiarTabeli): each cell coloured by
// how hard the fact is, with its share of mistakes, its average time (when
// there is room, or when it is slow) and how many times it was asked;
// addition that carries and subtraction that borrows marked in the cell's
// corner; for one child's whole record, the facts due again and those
// mastered marked too.
class TabelaFaktow : public QTableView {
public:
    explicit TabelaFaktow(QWidget* rodzic);
    void Ustaw(std::uint8_t dzialanie, const std::vector<KomorkaFaktu>& komorki, std::int64_t terazMs);
    // No facts to show: `napis` says why (waiting, an error).
    void Napisz(std::uint8_t dzialanie, const QString& napis);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void ulozKratki();

    ModelFaktow* model_;
    QLabel* napis_;
};

// What the fact table's colours and marks mean, each beside its sign; a
// screen reader reads the same lines.
class LegendaFaktow : public QWidget {
public:
    explicit LegendaFaktow(QWidget* rodzic);

protected:
    void paintEvent(QPaintEvent*) override;
};

} // namespace zm
