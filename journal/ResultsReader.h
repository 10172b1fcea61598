// Reads the journal for the results window on a thread of its own, on a
// read-only connection, so that the window never waits for the file —
// whatever it is: a pipe, a huge file, a file another program locked, a
// folder on a network that does not answer. Each answer is delivered on
// the reader's own thread (the window's), never after the reader is gone.
#pragma once

#include "ResultsStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace zm {

class WatekCzytnika;

class CzytnikWynikow : public QObject {
    Q_OBJECT
public:
    explicit CzytnikWynikow(const QString& plik, QObject* rodzic = nullptr);
    // Stops what runs and never waits long for it: a thread that does not
    // stop at once ends on its own.
    ~CzytnikWynikow() override;

    const QString& Plik() const { return plik_; }

    // Runs `praca` on the reader's thread with the connection, and hands
    // its result to `odpowiedz` on the reader's own thread. The connection
    // is null while the file does not exist yet (a journal without drills)
    // or when it cannot be opened (`w` then says why).
    template <class Wynik>
    void Czytaj(std::function<Wynik(BazaWynikow* baza, WynikBazy& w)> praca,
                std::function<void(const WynikBazy& w, Wynik wynik)> odpowiedz)
    {
        auto wynik = std::make_shared<std::optional<Wynik>>();
        zlec([praca = std::move(praca), wynik](BazaWynikow* baza, WynikBazy& w) { *wynik = praca(baza, w); },
             [odpowiedz = std::move(odpowiedz), wynik](const WynikBazy& w) { odpowiedz(w, std::move(**wynik)); });
    }

    // Writes every drill (or every question) of `dziecko` (0: of every
    // child) as CSV into `cel` (in one step), each with its child's name
    // from `imiona`; refuses the journal's own files. The answer is empty, or
    // why it failed.
    void Eksportuj(const QString& cel, bool pytania, std::int64_t dziecko, std::map<std::int64_t, QString> imiona,
                   std::function<void(const QString& blad)> odpowiedz);

private:
    void zlec(std::function<void(BazaWynikow*, WynikBazy&)> praca, std::function<void(const WynikBazy&)> odpowiedz);

    QString plik_;
    std::shared_ptr<WatekCzytnika> watek_;
};

} // namespace zm
