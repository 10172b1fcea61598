// The teacher's reads of the class's results, for the results window: the
// children of the class across all its workstations, a child's drills with
// their questions, and the facts the class (or one child) was asked. Each
// read waits for the server: make, use and destroy the object on a worker
// thread (e.g. inside QtConcurrent::run), never on the GUI thread. A read
// connects when needed (and once more when the connection broke since the
// last read: the server restarted) and says why it failed in Polish (Blad()).
#pragma once

#include "ClassConfig.h"
#include "DrillRecord.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zm {

namespace pg {
class Wynik;
}

class PolaczenieKlasy;
enum class PrzyczynaKlasy;

struct DzieckoKlasy {
    std::int64_t id = 0; // on the class's roster; 0: known only by the name its drills carry
    QString imie;        // the roster's name now (a rename keeps the child's drills)
    QString uwaga;       // the teacher's note that tells two of one name apart
    int cwiczen = 0;
    std::int64_t ostatnieMs = 0; // the newest drill's end, ms since 1970 (UTC)
    QStringList stanowiska;      // where the child practised, sorted
    // The teacher's overview: drills since the week's start (see Dzieci),
    // the mean grade, its trend (the week's mean less the mean before it;
    // none without drills on both sides), where the newest drill was made.
    int wTygodniu = 0;
    std::optional<double> sredniaOcen;
    std::optional<double> trend;
    QString ostatnieStanowisko;
    QStringList najslabsze; // its three most missed questions, "7 × 8" (when asked for)
};

// A child of the class as the reads name it: by its roster id, or (id 0) by
// name: every drill under that name, those of roster children of that name
// included.
struct KtoWKlasie {
    KtoWKlasie(const QString& imie) : imie(imie) {} // NOLINT: a name is a child
    KtoWKlasie(std::int64_t id, const QString& imie) : id(id), imie(imie) {}
    // A child as a row of OdczytKlasy::Dzieci names it: by its roster id, or
    // (id 0) by the drills under that name alone, never with those of a
    // roster child of the same name, which is a row of its own.
    explicit KtoWKlasie(const DzieckoKlasy& d) : id(d.id), imie(d.imie), tylkoImie(d.id == 0) {}
    std::int64_t id = 0;
    QString imie;
    bool tylkoImie = false;
};

struct CwiczenieZKlasy {
    QString id;
    QString koniec; // when it ended, as the server holds it: where the next page starts
    QString imie;
    QString stanowisko;
    ZapisCwiczenia zapis; // its questions only when asked for
};

// One fact (a pair of operands of an operation) as the class answered it.
// A table cell of the results window sums the facts it holds.
struct FaktKlasy {
    std::int32_t liczba1 = 0;
    std::int32_t liczba2 = 0;
    int ile = 0;
    int bledy = 0;
    std::int64_t sumaCzasuMs = 0;
    double sumaTykniec = 0; // Σ time / pace: the answers' times in the drill's ticks
    QStringList myla;       // the children who missed it at least once (the roster's names now), sorted
    std::uint8_t dzialanie = 0; // its operation
};

class OdczytKlasy {
public:
    // Reads the class of `konfiguracja` with the teacher's credentials
    // (konfiguracja.nauczyciel must be set). Does not connect yet.
    explicit OdczytKlasy(const KonfiguracjaKlasy& konfiguracja);
    ~OdczytKlasy();
    OdczytKlasy(const OdczytKlasy&) = delete;
    OdczytKlasy& operator=(const OdczytKlasy&) = delete;

    // Why the last read failed, in Polish; "" after a read that did not.
    const QString& Blad() const { return blad_; }

    // The class's children (the roster's, with or without drills, and every
    // other name drills were sent under), ordered by name as Polish orders
    // them: at most
    // kMaksDzieci (read a page at a time; `obcieto` says whether more were
    // left out).
    static constexpr int kMaksDzieci = 1000;
    // `tydzienOdMs`: the start of this week (the local Monday's midnight,
    // ms since 1970), for DzieckoKlasy::wTygodniu and the trend;
    // `zNajslabszymi`: also each child's most missed questions (one more
    // statement over every answer of the class: 0.4 s for 180,000).
    std::optional<std::vector<DzieckoKlasy>> Dzieci(bool* obcieto = nullptr, std::int64_t tydzienOdMs = 0,
                                                    bool zNajslabszymi = false);
    // A page of a child's drills, newest first, up to `ile` of them after
    // the drill `po` (the last of the page before; none: from the newest);
    // with every question when `zPytaniami`.
    std::optional<std::vector<CwiczenieZKlasy>> Cwiczenia(const KtoWKlasie& kto, bool zPytaniami = false,
                                                          const CwiczenieZKlasy* po = nullptr, int ile = 500);
    // The facts of one operation asked since `odMs` (0: ever), by the whole
    // class or by one child, ordered by operands.
    // Every read skips a row the server should not hold (a time that is not
    // finite, operands that are not a question of the drill) rather than
    // failing whole, and checks each operand before any arithmetic.
    std::optional<std::vector<FaktKlasy>> Fakty(std::uint8_t dzialanie, const std::optional<KtoWKlasie>& kto = {},
                                                std::int64_t odMs = 0);
    // The class's facts of every operation, one operation after another.
    std::optional<std::vector<FaktKlasy>> FaktyWszystkichDzialan();

    // The roster, kept by the teacher. A child added (its id), renamed or
    // noted (true when it is on the roster), taken off the roster (its
    // drills stay), and a list of names, one a line, added: blank lines,
    // names already on the roster and repeats skipped (how many were added).
    std::optional<std::int64_t> DodajDoListy(const QString& imie, const QString& uwaga = {});
    bool ZmienNaLiscie(std::int64_t id, const QString& imie, const QString& uwaga);
    bool UsunZListy(std::int64_t id);
    std::optional<int> ImportujListe(const QString& lista);

private:
    bool czytaj(const std::function<bool()>& zapytania);
    bool porazka(const pg::Wynik& wynik);

    KonfiguracjaKlasy konfiguracja_;
    std::unique_ptr<PolaczenieKlasy> polaczenie_;
    QString blad_;
    PrzyczynaKlasy przyczyna_{};
};

} // namespace zm
