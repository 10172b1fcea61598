// The results window's chart of grades over time.
#pragma once

#include "ResultsFigures.h"

#include <QWidget>

namespace zm {

// Grades 1..6 over time, one line per operation, oldest on the left.
class WykresOcen : public QWidget {
public:
    explicit WykresOcen(QWidget* rodzic) : QWidget(rodzic) { setObjectName(QStringLiteral("WykresOcen")); }
    void Ustaw(DaneWykresu dane)
    {
        dane_ = std::move(dane);
        napis_ = dane_.Puste() ? TekstBrakuCwiczen() : QString();
        update();
    }
    void Napisz(const QString& napis)
    {
        dane_ = {};
        napis_ = napis;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    DaneWykresu dane_;
    QString napis_ = TekstCzekania();
};

} // namespace zm
