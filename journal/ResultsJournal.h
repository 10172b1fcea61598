// The results journal: every drill that reaches its grade is written to the
// database in the user's data folder. The database lives on a thread of its
// own; the grade's tick waits for the commit only briefly, so a program
// killed right after the grade keeps the drill, while a locked or slow
// database never holds the drill up (the record waits in memory and is
// written as soon as it can be). Problems are reported once each, in Polish.
#pragma once

#include "DrillRecord.h"
#include "ResultsStore.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

class QThread;

namespace zm {

class PracownikDziennika;

class DziennikWynikow : public QObject, public IZapisWynikow {
    Q_OBJECT
public:
    // The database file of the user's data folder.
    static QString DomyslnyPlik();

    // Opens `plik` on the journal's thread (the constructor does not wait).
    explicit DziennikWynikow(const QString& plik, QObject* rodzic = nullptr,
                             std::chrono::milliseconds czekanieNaZapis = std::chrono::milliseconds(50));
    // Writes what still waits, for a bounded time.
    ~DziennikWynikow() override;

    const QString& Plik() const { return plik_; }

    // Hands the drill over and waits at most `czekanieNaZapis` for its commit.
    void Zapisz(const ZapisCwiczenia& zapis) override;

    // Waits (for tests and the end of the program) until every handed-over
    // drill is written or has failed; true when nothing waits.
    bool Dokoncz(std::chrono::milliseconds limit);

    // The Polish sentence for a problem, naming the file where useful.
    static QString Opis(BladBazy blad, const QString& plik, const QString& odlozony = {});

signals:
    // Delivered on the object's thread, once for each kind of problem.
    void Problem(const QString& tekst);
    // A drill was committed (the results window refreshes).
    void Zapisano();

private:
    // Writes what waits: whether all was written, or nothing if the
    // journal's thread did not answer in time.
    std::optional<bool> ostatniaProba(std::chrono::milliseconds limit);

    QString plik_;
    std::chrono::milliseconds czekanie_;
    QThread* watek_;
    PracownikDziennika* pracownik_;
};

} // namespace zm
