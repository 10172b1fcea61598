// The results window's view of the class on the school's server, for the
// teacher: the children of the class, a child's drills (for the list, the
// chart and the CSVs) and the facts of the class or of one child. Each read
// runs on a thread of its own with a connection of its own (a server that
// does not answer never holds the window); its answer comes back on the
// window's thread, and never after the window is gone.
#pragma once

#include "ClassConfig.h"
#include "ClassReads.h"
#include "ResultsStore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zm {

class WidokKlasy : public QObject {
public:
    WidokKlasy(const KonfiguracjaKlasy& konfiguracja, QObject* rodzic);
    ~WidokKlasy() override;

    const QString& Klasa() const { return konfiguracja_.klasa; }

    // The newest drills of a child the window shows (its list and chart).
    static constexpr int kCwiczenWOknie = 2000;

    // Every answer: the result, or why the server could not give it ("").
    void Dzieci(std::function<void(std::vector<DzieckoKlasy>, QString blad)> odpowiedz);
    // The same for the teacher's overview (TabelaKlasy): with each child's
    // most missed questions.
    void Przeglad(std::function<void(std::vector<DzieckoKlasy>, QString blad)> odpowiedz);
    void Cwiczenia(const KtoWKlasie& kto, bool zPytaniami,
                   std::function<void(std::vector<CwiczenieZKlasy>, QString blad)> odpowiedz);
    // The class's facts (or one child's), summed into the fact table's cells.
    void Fakty(std::uint8_t dzialanie, const std::optional<KtoWKlasie>& kto, std::int64_t odMs,
               std::function<void(std::vector<KomorkaFaktu>, QString blad)> odpowiedz);
    // The class's facts of every operation as they are, with who missed
    // each (the overview).
    void FaktyKlasy(std::function<void(std::vector<FaktKlasy>, QString blad)> odpowiedz);
    // Writes the drills (or every question) of one child, or of the whole
    // class, as CSV into `cel` in one step, never over this computer's
    // journal `dziennik` or its companion files; the answer is "" or why not.
    void Eksportuj(const std::optional<KtoWKlasie>& kto, bool pytania, const QString& cel, const QString& dziennik,
                   std::function<void(bool, QString blad)> odpowiedz);

private:
    template <class W>
    void czytaj(std::function<std::optional<W>(OdczytKlasy&)> praca, std::function<void(W, QString)> odpowiedz);

    KonfiguracjaKlasy konfiguracja_;
    // Whether this view still takes answers, shared with its reading
    // threads, which may outlive it (a server that does not answer): a
    // thread posts its answer under the lock, and the destructor clears the
    // flag under it, so nothing is ever posted to a view being destroyed or
    // after the application is gone.
    struct Zywy {
        std::mutex m;
        bool zywy = true;
    };
    std::shared_ptr<Zywy> zywy_ = std::make_shared<Zywy>();
};

// A class's facts as the fact table's cells: the answers of each fact (see
// FaktPytania) summed.
std::vector<KomorkaFaktu> KomorkiKlasy(std::uint8_t dzialanie, const std::vector<FaktKlasy>& fakty);

} // namespace zm
