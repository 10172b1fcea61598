// The results journal's worker (ResultsJournal.h): the thread that owns the
// writing connection, the drills waiting for it, and the spool and the
// reserve they go to. Private to the journal.
#pragma once

#include "JournalFiles.h"
#include "ResultsJournal.h"
#include "WaitingReserve.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

namespace zm {

// A line for the log (stderr): `format` with `a` and `b`.
void DziennikBledow(const char* format, const QString& a, const QString& b = {});

// Shared by the journal, its thread, and a signal's last resort; outlives
// the journal when its thread does not stop in time.
class PracownikDziennika {
public:
    using Zegar = std::chrono::steady_clock;

    PracownikDziennika(QString plik, QString wersja, std::int64_t zapas)
        : plik_(std::move(plik)), wersja_(std::move(wersja)), zapas_(zapas)
    {
    }

    struct Pozycja {
        std::uint64_t nr;
        ZapisCwiczenia zapis;
    };
    struct PozycjaZmiany {
        std::uint64_t nr;
        ZmianaDziecka zmiana;
    };

    // All of this under `m`.
    std::mutex m;
    std::condition_variable cv;
    std::deque<Pozycja> czekajace;
    std::deque<PozycjaZmiany> zmiany; // of the children, written before the drills
    QStringList schowki;            // spool files whose drills wait in `czekajace`
    std::uint64_t nastepny = 1;     // the next drill's number
    std::uint64_t obsluzone = 0;    // every drill up to this number was tried
    bool otwieraj = false;          // asked to open
    bool otwarcieProbowane = false;
    bool sprawdzaj = false;         // asked to check
    bool zajety = false;            // the thread is at work
    bool koniec = false;            // asked to end
    bool zakonczony = false;        // the thread has ended
    Zegar::time_point ponow = Zegar::time_point::max();
    Zegar::time_point terminKonca{};
    // Reports to the journal (unset once it is gone): the kind, the words,
    // whether the file was set aside or replaced, whether to tell it even
    // when the kind was told before.
    std::function<void(BladBazy, const QString&, bool, bool)> zglos;
    std::function<void()> zapisano;

    // The whole file is being checked: the grade's tick does not wait.
    std::atomic<bool> dlugaPraca{false};
    // Ends the running statement and any wait.
    std::atomic<bool> przerwij{false};

    void Praca();
    // Writes what waits to a spool file, replacing the spool files it came
    // from; true when nothing waits any more.
    bool DoSchowka();

private:
    // Opens the file; `leniwie` at start: only when it has to be checked
    // or drills from a spool wait, otherwise the first drill opens it.
    void otworz(bool sprawdzMimoTo, bool leniwie = false);
    void sprawdzTeraz();
    void zapisuj();
    bool odloz(QString opis);
    void powiadom(BladBazy blad, const QString& opis, const QString& odlozony = {});
    // What waits goes to the reserve; the user is told which drills it
    // cannot keep.
    void doZapasu(BladBazy blad);
    std::unique_ptr<BazaWynikow> polacz()
    {
        return std::make_unique<BazaWynikow>(
            plik_, BazaWynikow::Opcje{BazaWynikow::Tryb::Zapis, std::chrono::milliseconds(2000), &przerwij});
    }

    // The thread's own.
    QString plik_, wersja_;
    std::unique_ptr<BazaWynikow> baza_;
    std::optional<TozsamoscPliku> tozsamosc_; // of the file opened last
    ZnakPracy znak_;
    bool rozpoczety_ = false;
    Zegar::time_point ostatniaPraca_{};
    int odlozenia_ = 0;
    bool sprawdzonyPoBledzie_ = false;
    std::set<std::uint64_t> niezachowane_; // drills the user was told are only in memory
    BladBazy przeszkoda_ = BladBazy::Inny; // the last problem told
    std::mutex schowek_;                   // the spool and the reserve
    ZapasOczekujacych zapas_;
};

} // namespace zm
