// The results window's rules as plain functions, apart from the painting:
// the grades chart's points, the fact table's averages, colours and texts.
// Every value may come from a file another program wrote: each function is
// correct for any order and any value.
#pragma once

#include "ResultsStore.h"

#include <QColor>
#include <QString>
#include <QStringList>

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

// A fact cell is shown when it was asked at all.
bool KomorkaWidoczna(const KomorkaFaktu& k);
// The share of wrong answers, 0..1.
double UdzialBledow(const KomorkaFaktu& k);
// The average answer time, and its share of the question's whole time.
double SredniCzasMs(const KomorkaFaktu& k);
double UdzialCzasu(const KomorkaFaktu& k);
// How hard a fact is, 0 (green) to 1 (red): missed half the time or
// answered when the bar is full is red; a quarter missed or answered slower
// than a quick answer of the practice (Szybka, on average) is yellow, or
// redder as the mean time nears the bar's end; never missed and quick is
// green.
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

// A cell's lines in a space of `linii` lines: the division's own name, the
// share wrong, the time (when there is room, or when slowness is what
// colours the cell) and how many times it was asked.
QStringList LinieKomorki(std::uint8_t dzialanie, int wiersz, int kolumna, const KomorkaFaktu* k, int linii);
// Whether slowness, more than the mistakes, makes the cell yellow or red.
bool WolnaKomorka(const KomorkaFaktu& k);
// The practice's view of a child's fact in the cell.
bool OpanowanaKomorka(const KomorkaFaktu& k);
bool ZaleglaKomorka(const KomorkaFaktu& k, std::int64_t terazMs);
// What a screen reader says of a cell, in a parent's words: "7 razy 8: 2 z 5
// źle, średnio 3,1 s, do powtórki"; addition and subtraction say whether the
// ones carry or borrow, with an example ("dodawanie z przeniesieniem: 7 + 5,
// np. 27 + 15: …").
QString OpisKomorki(std::uint8_t dzialanie, int wiersz, int kolumna, const KomorkaFaktu* k, std::int64_t terazMs);
// How to read the table of an operation, beside its legend.
QString OpisTabeli(std::uint8_t dzialanie);
// The legend's lines, also read by a screen reader.
QStringList LiniaLegendy();

} // namespace zm
