// The children who practise on this computer: their names, their settings
// and who practises now. The windows see them as a list kept in memory
// (ListaDzieci), changed at once; every change is handed on as a
// ZmianaDziecka, which the results journal writes in the background, so
// that the window never waits for a file.
//
// Names are free text: Polish letters, spaces, quotes; at most
// kMaksDlugoscImienia characters; two children never share a name (letter
// case aside). A computer starts with one child, "Dziecko 1", with the
// drill's defaults.
#pragma once

#include "DrillState.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>

namespace zm {

struct Dziecko {
    std::int64_t id = 0;
    QString imie;
};

inline constexpr int kMaksDlugoscImienia = 200;
inline constexpr std::int64_t kPierwszeDziecko = 1;
// The name of a child the file holds no name for ("Dziecko 1" for the first,
// the child of a program started for the first time).
QString ImieDomyslne(std::int64_t id);
QString ImiePierwszegoDziecka();

// The name as it is kept (control characters and blanks at the ends
// dropped, runs of blanks made one space), or why it cannot be used, in
// Polish ("" when it can).
QString UporzadkujImie(const QString& imie);
QString BladImienia(const QString& imie, const QList<Dziecko>& dzieci, std::int64_t pomin = 0);

// A child as the journal keeps it.
struct WierszDziecka {
    std::int64_t id = 0;
    QString imie;
    bool usuniete = false;       // removed, its drills kept
    std::int64_t wybraneMs = 0;  // when last chosen
    Ustawienia ustawienia;
};

// What changed, to be written.
struct ZmianaDziecka {
    enum class Rodzaj : std::uint8_t {
        Imie,           // added, or renamed
        Ustawienia,     // its settings
        Wybrane,        // chosen to practise, at `kiedyMs`
        Usun,           // removed, its drills kept
        UsunZWynikami,  // removed with its drills
    };
    Rodzaj rodzaj = Rodzaj::Imie;
    std::int64_t id = 0;
    QString imie;
    Ustawienia ustawienia;
    std::int64_t kiedyMs = 0;
};

class IDzieci {
public:
    virtual ~IDzieci() = default;
    // The children, ordered by name as Polish orders them.
    virtual QList<Dziecko> Lista() const = 0;
    // The one who practises now.
    virtual std::int64_t Biezace() const = 0;
    virtual void Wybierz(std::int64_t id) = 0;
    // Adds a child; "" and its id, or why not.
    virtual QString Dodaj(const QString& imie, std::int64_t& id) = 0;
    virtual QString ZmienImie(std::int64_t id, const QString& imie) = 0;
    // Removes a child (never the last one); its drills stay (under its name,
    // in the results of all children) only when `zachowajWyniki`. Another
    // child practises when it was the one.
    virtual void Usun(std::int64_t id, bool zachowajWyniki) = 0;
};

class ListaDzieci : public QObject, public IDzieci {
    Q_OBJECT
public:
    // `wyslij` takes every change, to be written.
    explicit ListaDzieci(std::function<void(const ZmianaDziecka&)> wyslij, QObject* rodzic = nullptr);

    // The children as read from the journal (the one chosen last practises);
    // an empty list leaves the first child.
    void Wczytaj(const std::vector<WierszDziecka>& wiersze);
    bool Wczytana() const { return wczytana_; }

    QList<Dziecko> Lista() const override;
    std::int64_t Biezace() const override { return biezace_; }
    void Wybierz(std::int64_t id) override;
    QString Dodaj(const QString& imie, std::int64_t& id) override;
    QString ZmienImie(std::int64_t id, const QString& imie) override;
    void Usun(std::int64_t id, bool zachowajWyniki) override;

    QString Imie(std::int64_t id) const;
    // Every name the journal knows, removed children's too (their drills
    // may be shown).
    const std::map<std::int64_t, QString>& WszystkieImiona() const { return imiona_; }
    Ustawienia UstawieniaBiezacego() const;
    // The settings of the one who practises have changed.
    void ZapiszUstawienia(const Ustawienia& ustawienia);

signals:
    // Another child practises now, or the list changed.
    void Zmieniono();

private:
    struct Wpis {
        QString imie;
        Ustawienia ustawienia;
    };
    std::function<void(const ZmianaDziecka&)> wyslij_;
    std::map<std::int64_t, Wpis> dzieci_;
    std::map<std::int64_t, QString> imiona_;
    std::int64_t biezace_ = kPierwszeDziecko;
    bool wczytana_ = false;
};

} // namespace zm
