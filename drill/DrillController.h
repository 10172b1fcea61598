// Runs a drill: start and stop, the questions one after another, the pacing
// ticks, the keys typed into the hidden answer field, judging and the grade.
#pragma once

#include "DrillRecord.h"
#include "DrillState.h"
#include "DrillView.h"
#include "QuestionGenerator.h"

#include <string_view>

namespace zm {

class DrillController {
public:
    explicit DrillController(IOknoCwiczenia& okno) : okno_(okno) {}

    DrillController(const DrillController&) = delete;
    DrillController& operator=(const DrillController&) = delete;

    // Window creation: the defaults, in order ("start", narrator on,
    // multiplication, 10 questions, medium pace, keys refused).
    void UstawDomyslne();
    // Where finished drills are written (none: they are not kept).
    void UstawZapis(IZapisWynikow* zapis) { zapis_ = zapis; }

    // Applies the settings chosen in the settings dialog.
    void ZmienUstawienia(const Ustawienia& ustawienia) { ustawienia_ = ustawienia; }

    // Event handlers.
    void ButtonStartStopClick();
    void TimerTimer();
    // `key` is a typed character; it is set to 0 when the key is discarded.
    void FormKeyPress(char16_t& key);
    void EditWynikChange(std::string_view tekst);

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

private:
    IOknoCwiczenia& okno_;
    Ustawienia ustawienia_;
    StanCwiczenia stan_;
    GeneratorLosowy los_;
    IZapisWynikow* zapis_ = nullptr;
    ZapisCwiczenia biezacy_; // the drill in progress, question by question
};

// Reads an answer typed (or pasted) into the answer field as a decimal number.
// Returns false for a text that is not a number, which is judged wrong.
bool CzytajLiczbe(std::string_view tekst, double& wartosc);

} // namespace zm
