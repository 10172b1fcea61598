// The grades chart's figures, apart from the painting: each operation's mean
// grade of each period (a day, a week from Monday or a month, by the span of
// the drills), random drills apart from the practice's, with how many drills
// are behind each point; the date axis's regular ticks; the chart's text for
// a screen reader. A drill's day is its own local date, whatever the UTC
// offset was then.
#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <vector>

namespace zm {

struct CwiczenieNaWykresie {
    std::int64_t koniecMs = 0;
    std::uint8_t dzialanie = 0;
    std::uint8_t ocena = 0;
    bool trudne = false; // drawn by the practice (trudne dla dziecka)
};

enum class Okres : std::uint8_t { Dzien, Tydzien, Miesiac };

struct PunktWykresu {
    std::int64_t dzien = 0; // the period's first day (a Julian day)
    std::uint8_t dzialanie = 0;
    bool trudne = false;
    int ile = 0;      // drills behind the point
    double ocena = 0; // their mean grade
    bool operator==(const PunktWykresu&) const = default;
};

struct DaneWykresu {
    Okres okres = Okres::Dzien;
    // The axis runs from the first period's first day to the day after the
    // last period (Julian days).
    std::int64_t odDnia = 0, doDnia = 0;
    // In time order; within a period by operation, random before practice.
    std::vector<PunktWykresu> punkty;
    bool Puste() const { return punkty.empty(); }
};

// The local date of a moment (ms since 1970), as a Julian day.
std::int64_t DzienWykresu(std::int64_t ms);

// The chart of `cwiczenia` (any order). Days over a span of at most 31 days,
// weeks up to 26 weeks, months beyond. A drill with a grade outside 1..6, an
// operation that is not one, or a date no drill can have (before 1970 or
// after 2200) is left out.
DaneWykresu PunktyWykresu(std::span<const CwiczenieNaWykresie> cwiczenia);

// Where a period starts on the axis, 0..1, and the period after it.
double PolozenieDnia(const DaneWykresu& d, std::int64_t dzien);
std::int64_t NastepnyOkres(Okres okres, std::int64_t dzien);

struct ZnacznikOsi {
    std::int64_t dzien = 0;
    QString napis; // empty: a tick without a label
    bool operator==(const ZnacznikOsi&) const = default;
};
// A tick at every period's start; a label on every n-th, so that there are
// at most `etykiet` labels ("8.12", "7.12" for a week's Monday, "wrz",
// "sty 2027" for a month — the year on January and the first label).
std::vector<ZnacznikOsi> ZnacznikiOsi(const DaneWykresu& d, int etykiet);

// A period in words: "8 grudnia 2026", "tydzień od 7 grudnia 2026",
// "grudzień 2026".
QString NazwaOkresu(Okres okres, std::int64_t dzien);
// A point in words: "mnożenie, losowe: 5 ćwiczeń, średnia ocena 4,6".
QString OpisPunktu(const PunktWykresu& p);
// The whole chart in words, a period a line, newest first.
QString OpisWykresu(const DaneWykresu& d);

} // namespace zm
