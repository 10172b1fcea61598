// What the drill needs from its window. The drill logic never touches a
// widget: the main window implements this interface, tests use a fake.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zm {

// The three flat buttons of the main window, in the order the drill
// enables and disables them.
enum class PrzyciskSzybki { Zamknij, Ustawienia, About };

class IOknoCwiczenia {
public:
    virtual ~IOknoCwiczenia() = default;

    // Equation pictures.
    virtual void RysujPytanie(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2) = 0;
    virtual void RysujWynik(std::string_view tekst) = 0;
    virtual void WyczyscObrazy() = 0;

    // Starts reading the current equation aloud when the narrator is on and
    // returns true; the window then calls DrillController::KoniecCzytania
    // once the last word has been heard. Returns false when nothing is read
    // (the narrator is off, or the sentence ended already): the drill goes
    // on at once.
    virtual bool CzytajRownanie() = 0;

    // Labels. The question counter sets the main label, then its shadow.
    virtual void UstawLicznikPytan(const std::string& tekst) = 0;
    virtual void PokazLicznikPytan(bool widoczny) = 0;
    virtual void UstawDobrze(const std::string& tekst) = 0;
    virtual void UstawZle(const std::string& tekst) = 0;
    virtual void UstawPodpisLicznika(const std::string& tekst) = 0;
    virtual void PokazOceny(bool widoczne) = 0;
    // Font size in points of the grade label "LabelOcena<nr>".
    virtual void UstawRozmiarOceny(int nr, int punkty) = 0;

    // Time bar fill: width in pixels and brush colour.
    virtual void UstawProgresPozycja(int szerokosc, std::uint8_t r, std::uint8_t g, std::uint8_t b) = 0;

    // Pacing timer.
    virtual void UstawInterwalTimera(int ms) = 0;
    virtual void WlaczTimer() = 0;
    virtual void WylaczTimer() = 0;

    // Start/stop picture: shows a copy of the stop picture when `stop`, else
    // of the start picture, and repaints it at once.
    virtual void PokazStartStop(bool stop) = 0;

    virtual void UstawDostepnosc(PrzyciskSzybki przycisk, bool wlaczony) = 0;

    // Hidden answer field. Clearing it always runs its change handler, even
    // when it was empty already.
    virtual std::string TekstWyniku() const = 0;
    virtual void WyczyscWynik() = 0;
    virtual void UstawFokusWyniku() = 0;
};

} // namespace zm
