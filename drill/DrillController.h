// Runs a drill: start and stop, the questions one after another, the pacing
// ticks, the keys typed into the hidden answer field, judging and the grade.
//
// The reading of an equation after a wrong answer is a state of the drill:
// the tick that judged the answer asks the window to read and ends there,
// with the timer off; the drill goes on (the next question, or the grade)
// when the window reports the last word. Meanwhile keys are refused
// (`WpisAktywny` is false) and clicks on START/STOP wait, in their order,
// until the next question is on screen.
//
// The questions come from a plan (`PlanPytan`): the random draw, or in the
// practice mode the child's record. In the practice mode a missed question's
// correct result also stays on screen for about two seconds of ticks when no
// reading shows it, with keys and clicks waiting as during a reading.
#pragma once

#include "DrillEvents.h"
#include "DrillRecord.h"
#include "DrillState.h"
#include "DrillView.h"
#include "PracticePlan.h"
#include "QuestionGenerator.h"

#include <memory>
#include <string_view>
#include <vector>

namespace zm {

class DrillController {
public:
    explicit DrillController(IOknoCwiczenia& okno) : okno_(okno) {}

    DrillController(const DrillController&) = delete;
    DrillController& operator=(const DrillController&) = delete;

    // Window creation: the defaults, in order ("start", narrator on,
    // multiplication, 10 questions, medium pace, keys refused).
    void UstawDomyslne();
    // Who is told what happens, in the order added.
    void DodajSluchacza(ISluchaczCwiczenia* sluchacz) { sluchacze_.push_back(sluchacz); }

    // Applies the settings chosen in the settings dialog.
    void ZmienUstawienia(const Ustawienia& ustawienia) { ustawienia_ = ustawienia; }
    // The child's record that the practice mode draws by, taken at the next
    // start (none: the random draw).
    void UstawRekord(std::shared_ptr<const RekordFaktow> rekord) { rekord_ = std::move(rekord); }

    // Event handlers.
    void ButtonStartStopClick();
    void TimerTimer();
    // `key` is a typed character; it is set to 0 when the key is discarded.
    void FormKeyPress(char16_t& key);
    void EditWynikChange(std::string_view tekst);
    // The narrator has read the last word (or the reading was cut short):
    // the drill goes on where the judging tick left it, then the clicks
    // that waited are handled.
    void KoniecCzytania();

    // Steps of a drill (public so that the window and tests can name them).
    void NastepnePytanie();
    void SprawdzOdpowiedz();
    void UstawProgres(double percent);
    void AktywujPrzyciski(bool wlaczone);
    void PokazOcene();

    Ustawienia& ustawienia() { return ustawienia_; }
    const Ustawienia& ustawienia() const { return ustawienia_; }
    const StanCwiczenia& stan() const { return stan_; }
    GeneratorLosowy& losowanie() { return los_; }

    bool trwa() const { return stan_.StanStartStop == "stop"; }
    // Whether the narrator is reading an equation of this drill.
    bool Czyta() const { return czyta_; }
    // Whether the correct result of a missed question is being shown
    // before the next question (the practice mode).
    bool PokazujePoprawke() const { return tykiPoprawki_ > 0; }

    // In the practice mode a missed question's correct result stays on
    // screen this long when no reading shows it: whole ticks of `predkosc`.
    static constexpr std::int32_t kPoprawkaMs = 2000;
    static std::int32_t TykiPoprawki(std::int32_t predkosc)
    {
        return predkosc > 0 ? (kPoprawkaMs + predkosc - 1) / predkosc : 1;
    }

private:
    // The rest of a judging tick that waited: the next question (or the
    // grade), then the clicks made meanwhile.
    void Dalej();

    template <typename F>
    void Powiadom(F&& f)
    {
        for (ISluchaczCwiczenia* s : sluchacze_) f(*s);
    }

    IOknoCwiczenia& okno_;
    Ustawienia ustawienia_;
    StanCwiczenia stan_;
    GeneratorLosowy los_;
    std::vector<ISluchaczCwiczenia*> sluchacze_;
    std::shared_ptr<const RekordFaktow> rekord_;
    PlanPytan plan_;
    bool czyta_ = false;
    std::int32_t tykiPoprawki_ = 0; // ticks left while a correction is shown
    int czekajaceKlikniecia_ = 0; // START/STOP clicks made while the drill waits
};

// Reads an answer typed (or pasted) into the answer field as a decimal number.
// Returns false for a text that is not a number, which is judged wrong.
bool CzytajLiczbe(std::string_view tekst, double& wartosc);

} // namespace zm
