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

// The results window's "loading" and "no drills yet".
QString TekstCzekania();
QString TekstBrakuCwiczen();

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

// The chart of `oceny`: each operation's mean grade of each day that holds
// any (days in the time zone `przesuniecieS` seconds from UTC), at the mean
// time of that day's drills; an operation with drills on more than
// `przedzialy` days, of each week instead.
DaneWykresu PunktyWykresu(std::span<const OcenaWCzasie> oceny, int przedzialy, int przesuniecieS = 0);

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
// The cell's lines: "25%", "1,3 s" and "12×" (how many times it was asked).
QString TekstBledow(const KomorkaFaktu& k);
QString TekstCzasu(const KomorkaFaktu& k);
QString TekstIlosci(const KomorkaFaktu& k);

// The fact table's layout: rows and columns of an operation (7 for
// multiplication and division, 10 for addition and subtraction), the fact of
// each cell, the headers and the cell's own name. Multiplication: the first
// factor down, the second across; division: the quotient down, the divisor
// across, each cell a division ("24 : 8"); addition and subtraction: the ones
// digit of the first number down, of the second across (the tens do not
// change what the child works out, only whether it carries or borrows).
int RozmiarTabeli(std::uint8_t dzialanie);
Fakt FaktKomorki(std::uint8_t dzialanie, int wiersz, int kolumna);
QString NaglowekWiersza(std::uint8_t dzialanie, int wiersz);
QString NaglowekKolumny(std::uint8_t dzialanie, int kolumna);
QString NazwaKomorki(std::uint8_t dzialanie, int wiersz, int kolumna);

} // namespace zm
