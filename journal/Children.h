// The children who practise on this computer, as the windows see them: a
// list kept in memory by whoever stores it (the results journal), changed at
// once and written in the background, so that the window never waits for a
// file. Names are free text: Polish letters, spaces, quotes; at most
// kMaksDlugoscImienia characters; two children never share a name (letter
// case aside).
#pragma once

#include <QList>
#include <QString>

#include <cstdint>

namespace zm {

struct Dziecko {
    std::int64_t id = 0;
    QString imie;
};

inline constexpr int kMaksDlugoscImienia = 200;

// The name as it is kept (blanks at the ends dropped, runs of blanks made
// one space), or why it cannot be used, in Polish ("" when it can).
QString UporzadkujImie(const QString& imie);
QString BladImienia(const QString& imie, const QList<Dziecko>& dzieci, std::int64_t pomin = 0);

class IDzieci {
public:
    virtual ~IDzieci() = default;
    // The children, ordered by name as Polish orders them.
    virtual QList<Dziecko> Lista() const = 0;
    // The one who practises now (0 before the list is known).
    virtual std::int64_t Biezace() const = 0;
    virtual void Wybierz(std::int64_t id) = 0;
    // Adds a child; "" and its id, or why not.
    virtual QString Dodaj(const QString& imie, std::int64_t& id) = 0;
    virtual QString ZmienImie(std::int64_t id, const QString& imie) = 0;
    // Removes a child; its drills stay (under its name, in the results of all
    // children) only when `zachowajWyniki`.
    virtual void Usun(std::int64_t id, bool zachowajWyniki) = 0;
};

} // namespace zm
