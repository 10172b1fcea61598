// The results window's chart of grades over time: a line per operation,
// random drills as dots, the practice's as hollow diamonds on a dashed line,
// the number of drills over each point, and a date axis with regular ticks.
// A screen reader reads the same figures as text: the chart's description,
// and the list beside it, a period a line.
#pragma once

#include "ChartFigures.h"

#include <QWidget>

class QListWidget;

namespace zm {

class WykresOcen : public QWidget {
public:
    explicit WykresOcen(QWidget* rodzic);
    void Ustaw(DaneWykresu dane);
    // No chart: `napis` says why (waiting, no drills, an error).
    void Napisz(const QString& napis);
    // The chart's figures as text, filled by Ustaw.
    QListWidget* Opis() const { return opis_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    DaneWykresu dane_;
    QString napis_;
    QListWidget* opis_;
};

} // namespace zm
