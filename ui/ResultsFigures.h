// The results window's rules as plain functions, apart from the painting:
// the grades chart's points, the fact table's averages, colours and texts.
// Every value may come from a file another program wrote: each function is
// correct for any order and any value.
#pragma once

#include "ResultsStore.h"

#include <QColor>
#include <QString>

#include <array>
#include <span>
#include <vector>

namespace zm {

// A grade's colour in the list: red for 1, through orange, to green for 6.
QColor KolorOceny(int ocena);
// Each operation's colour in the chart and its legend.
QColor KolorDzialania(std::uint8_t dzialanie);

struct PunktWykresu {
    double x = 0;     // 0 (the oldest drill) .. 1 (the newest)
    double ocena = 0; // 1..6
    bool operator==(const PunktWykresu&) const = default;
};

struct DaneWykresu {
    std::int64_t od = 0, doKonca = 0;               // the oldest and newest drill's time
    std::array<std::vector<PunktWykresu>, 4> linie; // one per operation, left to right
    bool Puste() const;
};

// The chart of `oceny`: an operation with no more drills than `przedzialy`
// shows each drill at its time; one with more shows the mean grade of each
// of `przedzialy` equal stretches of time that holds any.
DaneWykresu PunktyWykresu(std::span<const OcenaWCzasie> oceny, int przedzialy);

// A fact cell is shown when it was asked at all.
bool KomorkaWidoczna(const KomorkaFaktu& k);
// The share of wrong answers, 0..1.
double UdzialBledow(const KomorkaFaktu& k);
// The average answer time, and its share of the question's whole time.
double SredniCzasMs(const KomorkaFaktu& k);
double UdzialCzasu(const KomorkaFaktu& k);
// How hard a fact is, 0 (green) to 1 (red): missed half the time or
// answered when the bar is full is red; a quarter missed or answered at 60
// per cent of the bar is yellow; never missed and answered within the
// first fifth of the bar is green.
double Trudnosc(const KomorkaFaktu& k);
// green (0) → yellow (0.5) → red (1).
QColor KolorTrudnosci(double trudnosc);
// A fact not asked yet.
QColor KolorBrakuFaktu();
// The cell's two lines: "25%" and "1,3 s".
QString TekstBledow(const KomorkaFaktu& k);
QString TekstCzasu(const KomorkaFaktu& k);

} // namespace zm
