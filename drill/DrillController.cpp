#include "DrillController.h"

#include "Operations.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cmath>
#include <string>
#include <utility>

namespace zm {

namespace {

std::int64_t TerazMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

void DrillController::UstawDomyslne()
{
    stan_.StanStartStop = "start";
    ustawienia_.Lektor = true;
    ustawienia_.Dzialanie = DzialanieMnozenie;
    ustawienia_.IloscPytan = 10;
    ustawienia_.Predkosc = PredkoscSrednio;
    stan_.WpisAktywny = false;
}

void DrillController::ButtonStartStopClick()
{
    if (czyta_ || tykiPoprawki_ > 0) {
        // Handled after the last word (or the correction), once the next
        // question is on screen.
        ++czekajaceKlikniecia_;
        return;
    }
    if (stan_.StanStartStop == "start") {
        stan_.NrPytania = 0;
        stan_.Dobrze = 0;
        stan_.Zle = 0;
        tykiPoprawki_ = 0;
        plan_.Rozpocznij(ustawienia_, rekord_.get(), TerazMs());
        Powiadom([&](ISluchaczCwiczenia& s) { s.Rozpoczete(ustawienia_); });
        AktywujPrzyciski(false);
        okno_.UstawInterwalTimera(ustawienia_.Predkosc);
        stan_.StanStartStop = "stop";
        okno_.PokazStartStop(true);
        okno_.PokazOceny(false);
        okno_.PokazLicznikPytan(true);
        okno_.UstawPodpisLicznika("numer pytania");
        okno_.UstawFokusWyniku();
        NastepnePytanie();
    } else {
        stan_.StanStartStop = "start";
        okno_.PokazStartStop(false);
        AktywujPrzyciski(true);
        okno_.WylaczTimer();
        Powiadom([](ISluchaczCwiczenia& s) { s.Zatrzymane(); });
    }
}

void DrillController::NastepnePytanie()
{
    if (stan_.NrPytania == ustawienia_.IloscPytan) {
        okno_.WylaczTimer();
        AktywujPrzyciski(true);
        stan_.StanStartStop = "start";
        okno_.PokazStartStop(false);
        UstawProgres(0);
        okno_.WyczyscObrazy();
        PokazOcene();
        return;
    }
    ++stan_.NrPytania;
    plan_.Losuj(los_, stan_.NrPytania, stan_.Liczba1, stan_.Liczba2);
    stan_.CzasPytania = 0;
    stan_.OdpowiedzZatwierdzona = false;
    okno_.UstawLicznikPytan(std::to_string(stan_.NrPytania) + " z " + std::to_string(ustawienia_.IloscPytan));
    okno_.RysujPytanie(stan_.Liczba1, ustawienia_.Dzialanie, stan_.Liczba2);
    okno_.UstawDobrze(std::to_string(stan_.Dobrze));
    okno_.UstawZle(std::to_string(stan_.Zle));
    okno_.WyczyscWynik();
    okno_.WlaczTimer();
    Powiadom([&](ISluchaczCwiczenia& s) {
        s.PytanieZadane(stan_.NrPytania, stan_.Liczba1, ustawienia_.Dzialanie, stan_.Liczba2);
    });
}

void DrillController::TimerTimer()
{
    // The timer is off while the narrator reads; a tick already on its way
    // must not judge the next question before it is asked.
    if (czyta_) return;
    if (tykiPoprawki_ > 0) {
        // The correction stays until its last tick, then the next question.
        if (--tykiPoprawki_ == 0) Dalej();
        return;
    }
    stan_.WpisAktywny = true;
    stan_.CzasPytania += KrokCzasu;
    double percent = static_cast<double>(stan_.CzasPytania) / SzerokoscProgresTlo * 100.0;
    if (percent > 100.0) percent = 100.0;
    UstawProgres(percent);
    if (percent == 100.0 || stan_.OdpowiedzZatwierdzona) {
        SprawdzOdpowiedz();
        // A reading holds the rest of the tick until its last word, a
        // correction in the practice mode for its ticks.
        if (!czyta_ && tykiPoprawki_ == 0) NastepnePytanie();
    }
}

void DrillController::KoniecCzytania()
{
    if (!czyta_) return;
    czyta_ = false;
    Powiadom([](ISluchaczCwiczenia& s) { s.CzytanieZakonczone(); });
    Dalej();
}

void DrillController::Dalej()
{
    NastepnePytanie();
    // The clicks were made on STOP, for the drill that ran: when its last
    // question has just ended it, the grade stays and they are dropped (a
    // click meant to stop never starts a new drill).
    const int klikniecia = std::exchange(czekajaceKlikniecia_, 0);
    if (stan_.StanStartStop != "stop") return;
    for (int n = klikniecia; n > 0; --n) ButtonStartStopClick();
}

void DrillController::UstawProgres(double percent)
{
    const double f = percent * 0.01;
    // nearbyint rounds a half to the even neighbour in the default mode.
    const int szerokosc = static_cast<int>(std::nearbyint(SzerokoscProgresTlo * f));
    const int r = std::clamp(static_cast<int>(255.0 * f), 0, 255);
    okno_.UstawProgresPozycja(szerokosc, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(255 - r), 0);
}

void DrillController::FormKeyPress(char16_t& key)
{
    if (!stan_.WpisAktywny) {
        key = 0;
        return;
    }
    if ((key >= u'0' && key <= u'9') || key == 8) return;
    if (key == 13) {
        if (!okno_.TekstWyniku().empty()) stan_.OdpowiedzZatwierdzona = true;
        return;
    }
    key = 0;
}

void DrillController::EditWynikChange(std::string_view tekst) { okno_.RysujWynik(tekst); }

bool CzytajLiczbe(std::string_view tekst, double& wartosc)
{
    // Surrounding blanks are tolerated, as a decimal number reader does;
    // anything else that is not part of the number makes the text invalid.
    while (!tekst.empty() && std::isspace(static_cast<unsigned char>(tekst.front()))) tekst.remove_prefix(1);
    while (!tekst.empty() && std::isspace(static_cast<unsigned char>(tekst.back()))) tekst.remove_suffix(1);
    if (tekst.empty()) return false;
    if (tekst.front() == '+') tekst.remove_prefix(1);
    const char* first = tekst.data();
    const char* last = tekst.data() + tekst.size();
    const auto [ptr, ec] = std::from_chars(first, last, wartosc, std::chars_format::general);
    return ec == std::errc{} && ptr == last && std::isfinite(wartosc);
}

void DrillController::SprawdzOdpowiedz()
{
    const std::string tekst = okno_.TekstWyniku();
    const FaktyDzialania* fakty = Fakty(ustawienia_.Dzialanie);
    const double poprawny =
        (fakty ? *fakty : Dzialania().back()).wynikRzeczywisty(stan_.Liczba1, stan_.Liczba2);
    double odpowiedz = 0;
    const bool dobrze = !tekst.empty() && CzytajLiczbe(tekst, odpowiedz) && odpowiedz == poprawny;
    const PytanieCwiczenia pytanie{stan_.Liczba1, stan_.Liczba2, tekst, dobrze,
                                   stan_.CzasPytania / KrokCzasu * ustawienia_.Predkosc};
    plan_.Oceniono(stan_.NrPytania, pytanie);
    const std::int32_t wynik = WynikPoprawny(ustawienia_.Dzialanie, stan_.Liczba1, stan_.Liczba2);
    if (dobrze) {
        ++stan_.Dobrze;
        Powiadom([&](ISluchaczCwiczenia& s) { s.OdpowiedzOceniona(pytanie, wynik); });
        return;
    }
    ++stan_.Zle;
    okno_.RysujWynik(std::to_string(wynik));
    Powiadom([&](ISluchaczCwiczenia& s) { s.OdpowiedzOceniona(pytanie, wynik); });
    // Keys typed while the equation is read are not taken into the next
    // answer: entry stays refused until the next tick.
    const bool cwiczenie = ustawienia_.Tryb == Losowanie::TrudneFakty;
    if (ustawienia_.Lektor || cwiczenie) stan_.WpisAktywny = false;
    if (okno_.CzytajRownanie()) {
        // The time bar waits with the timer; the next question starts it.
        czyta_ = true;
        okno_.WylaczTimer();
    } else if (cwiczenie) {
        // No voice showed the correction: it stays for its own time.
        tykiPoprawki_ = TykiPoprawki(ustawienia_.Predkosc);
    }
}

void DrillController::AktywujPrzyciski(bool wlaczone)
{
    okno_.UstawDostepnosc(PrzyciskSzybki::Zamknij, wlaczone);
    okno_.UstawDostepnosc(PrzyciskSzybki::Ustawienia, wlaczone);
    okno_.UstawDostepnosc(PrzyciskSzybki::About, wlaczone);
}

void DrillController::PokazOcene()
{
    okno_.UstawDobrze(std::to_string(stan_.Dobrze));
    okno_.UstawZle(std::to_string(stan_.Zle));
    okno_.UstawPodpisLicznika("ocena");
    okno_.PokazOceny(true);
    okno_.PokazLicznikPytan(false);
    stan_.Ocena = ObliczOcene(stan_.Dobrze, ustawienia_.IloscPytan);
    for (int n = 1; n <= 6; ++n) okno_.UstawRozmiarOceny(n, 12);
    okno_.UstawRozmiarOceny(stan_.Ocena, 24);
    PodsumowanieCwiczenia podsumowanie;
    podsumowanie.koniecMs = TerazMs();
    podsumowanie.dzialanie = ustawienia_.Dzialanie;
    podsumowanie.iloscPytan = ustawienia_.IloscPytan;
    podsumowanie.predkosc = ustawienia_.Predkosc;
    podsumowanie.lektor = ustawienia_.Lektor;
    podsumowanie.dobrze = stan_.Dobrze;
    podsumowanie.zle = stan_.Zle;
    podsumowanie.ocena = stan_.Ocena;
    podsumowanie.losowanie = static_cast<std::uint8_t>(ustawienia_.Tryb);
    Powiadom([&](ISluchaczCwiczenia& s) { s.Zakonczone(podsumowanie); });
}

} // namespace zm
