// The results journal: every drill that reaches its grade is written to the
// database in the user's data folder. The database lives on a thread of its
// own, started after the window's first frame; the grade's tick waits for
// the commit only briefly, so a program killed right after the grade keeps
// the drill, while a locked, slow or missing database never holds the drill
// up (the record waits in memory and in a reserve beside the journal made at
// start while there was room, and what still waits when the program ends is
// kept in a spool file, or that reserve, and written at the next start).
// Problems are reported once each, in Polish; drills that cannot be kept
// anywhere but in memory are named each time.
#pragma once

#include "DrillRecord.h"
#include "ResultsStore.h"
#include "WaitingReserve.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>
#include <set>
#include <thread>

namespace zm {

class PracownikDziennika;

class DziennikWynikow : public QObject, public IZapisWynikow {
    Q_OBJECT
public:
    // The database file of the user's data folder.
    static QString DomyslnyPlik();
    // How long the end of the program may take for the journal.
    static constexpr std::chrono::milliseconds kCzasKonca{300};

    // Nothing is opened yet: see Otworz. `zapasBajtow`: the room kept beside
    // the file for drills that cannot be written (WaitingReserve.h).
    explicit DziennikWynikow(const QString& plik, QObject* rodzic = nullptr,
                             std::chrono::milliseconds czekanieNaZapis = std::chrono::milliseconds(50),
                             std::int64_t zapasBajtow = ZapasOczekujacych::kRozmiar);
    // Zamknij, unless it was called.
    ~DziennikWynikow() override;

    const QString& Plik() const { return plik_; }

    // Starts the journal's thread, which opens the file (and checks it when
    // there is a reason: an unclean end of the last run, a new program
    // version, an error from SQLite, a month since the last check) and
    // writes the drills a previous run left in its spool. The first drill
    // handed over starts it too.
    void Otworz();

    // Hands the drill over and waits at most `czekanieNaZapis` for its
    // commit (not at all while the file is being opened or checked).
    void Zapisz(const ZapisCwiczenia& zapis) override;

    // Hands over a change of the children, written with the next drills (or
    // at once); it never waits.
    void ZmienDziecko(const ZmianaDziecka& zmiana);

    // Waits (for tests) until every handed-over drill was tried; true when
    // nothing waits.
    bool Dokoncz(std::chrono::milliseconds limit);

    // Ends the journal within `limit`: a last try to write what waits, then
    // the rest goes to the spool. False when the journal's thread did not
    // stop (the program must then end without waiting for it).
    bool Zamknij(std::chrono::milliseconds limit = kCzasKonca);

    // Writes what waits to the spool, from any thread, even while the
    // program is stuck (a signal's last resort). Safe after the journal is
    // gone.
    std::function<void()> Ratunek() const;

    // A reader found the file damaged: check it now (and set it aside if
    // SQLite cannot read it).
    void SprawdzPlik();

    // What happened to the file in this run (set aside, replaced), newest
    // last, for the results window.
    const QStringList& ZmianyPliku() const { return zmiany_; }

    // Why the journal cannot be used, as a clause ("plik … jest zajęty
    // przez inny program").
    static QString Przyczyna(BladBazy blad, const QString& plik);
    // The sentence for a problem of saving; for a damaged file, where it
    // was set aside.
    static QString Opis(BladBazy blad, const QString& plik, const QString& odlozony = {});
    // The sentence for drills that neither the file nor the reserve beside
    // it could take (each "2026-12-08 15:03 Mnożenie (ocena 6)").
    static QString Niezachowane(BladBazy blad, const QString& plik, const QStringList& cwiczenia);

signals:
    // Delivered on the object's thread, once for each kind of problem.
    void Problem(const QString& tekst);
    // A drill was committed (the results window refreshes).
    void Zapisano();
    // The file was set aside or found replaced (the results window says so).
    void ZmianaPliku(const QString& tekst);

private:
    void uruchom();
    void zglos(BladBazy blad, const QString& tekst, bool zmianaPliku, bool zawsze);

    QString plik_;
    std::chrono::milliseconds czekanie_;
    std::shared_ptr<PracownikDziennika> pracownik_;
    std::thread watek_;
    std::set<BladBazy> zgloszone_;
    QStringList zmiany_;
    bool zamkniety_ = false;
};

} // namespace zm
