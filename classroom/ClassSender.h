// The sender: takes this workstation's unsent drills from the outbox and
// puts them on the class's server, on a thread of its own. Each drill is one
// statement (one transaction) that the server ignores when it already holds
// the drill, so a drill sent twice is stored once; only then is it marked
// sent. A server that is down, slow or refuses waits: the drills stay in the
// outbox and the sender tries again after 2 s, 4 s, … up to 2 min, and at
// once when told a new drill exists. Why the class cannot be reached is
// said once for each cause, in Polish.
#pragma once

#include "ClassConfig.h"
#include "ClassDrill.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <thread>

namespace zm {

class NadawcaKlasy : public QObject {
    Q_OBJECT
public:
    struct Tempo {
        std::chrono::milliseconds pierwszaPrzerwa{2000}; // after a failure; doubled after each
        std::chrono::milliseconds najdluzszaPrzerwa{120000};
        int paczka = 20; // drills taken from the outbox at a time
    };

    // Starts the sender's thread, which sends at once what the outbox holds.
    // Give it the only reference to the outbox (see ISkrzynkaKlasy).
    NadawcaKlasy(const KonfiguracjaKlasy& konfiguracja, std::shared_ptr<ISkrzynkaKlasy> skrzynka,
                 QObject* rodzic = nullptr);
    NadawcaKlasy(const KonfiguracjaKlasy& konfiguracja, std::shared_ptr<ISkrzynkaKlasy> skrzynka, Tempo tempo,
                 QObject* rodzic = nullptr);
    // Zatrzymaj().
    ~NadawcaKlasy() override;

    // A new drill is in the outbox. Any thread; returns at once.
    void Obudz();
    // A child of the class's roster was chosen on this workstation: its
    // answers on the server are fetched (after the drills waiting are sent)
    // and given to the outbox to merge into the child's record
    // (ISkrzynkaKlasy::ScalRekord); asked again after each failure to reach
    // the server, dropped when the server refuses. Any thread; returns at
    // once.
    void PobierzRekord(std::int64_t idListy);

    // Stops the sender, waiting at most `limit` for its thread. A thread
    // still held by the server after that (a connection being made to a
    // server that does not answer) is left to end by itself: it touches
    // neither this object nor, once the program is ending, Qt or the outbox.
    // True when the thread ended in time.
    bool Zatrzymaj(std::chrono::milliseconds limit = std::chrono::milliseconds(200));

signals:
    // Why the class cannot be reached (or refused a drill), once for each
    // cause, in Polish; delivered on this object's thread.
    void Niedostepna(const QString& tekst);
    // The server now holds `ile` more drills (and the outbox marks them).
    void Wyslano(int ile);
    // Whether the last round reached the class (false: drills wait), each
    // change once: for a quiet mark in the window while a child practises,
    // where Niedostepna's sentence belongs to the teacher or the log.
    void Polaczono(bool tak);
    // The record of the roster's child `idListy` was merged with the
    // server's: read it again.
    void RekordScalony(qint64 idListy);

private:
    struct Wspolne;
    std::shared_ptr<Wspolne> w_;
    std::thread watek_;
};

} // namespace zm
