// A window for the drill logic that records what the drill asks of it and
// behaves like the real hidden answer field (3 characters at most, change
// event on every change and on every clearing).
#pragma once

#include "DrillController.h"

#include <array>
#include <string>
#include <vector>

namespace zm::test {

class FakeOkno : public IOknoCwiczenia {
public:
    DrillController ctl{*this};
    std::vector<std::string> log;

    std::string pole = "0"; // text of the answer field
    std::string obrazWynik;
    std::string obrazPytanie;
    std::string licznik, dobrze, zle, podpis;
    bool licznikWidoczny = true, ocenyWidoczne = false;
    std::array<int, 7> rozmiarOceny{};
    int progresSzer = SzerokoscProgresTlo, r = 167, g = 170, b = 179;
    int interwal = 20;
    bool timer = false;
    bool obrazStop = false;
    bool fokus = false;
    std::array<bool, 3> przyciski{true, true, true};
    int czytania = 0;
    // Whether a reading takes its time (the drill then waits for
    // ctl.KoniecCzytania()) or ends before CzytajRownanie returns.
    bool czytaDlugo = false;

    FakeOkno() { ctl.UstawDomyslne(); }

    // Types one character as the keyboard would: through the window's key
    // filter, then into the field.
    void wpisz(char c)
    {
        char16_t key = static_cast<unsigned char>(c);
        ctl.FormKeyPress(key);
        if (key == 0 || key == 13) return;
        if (key == 8) {
            if (pole.empty()) return;
            pole.pop_back();
        } else {
            if (pole.size() >= 3) return;
            pole.push_back(static_cast<char>(key));
        }
        ctl.EditWynikChange(pole);
    }
    void wpisz(const std::string& s)
    {
        for (char c : s) wpisz(c);
    }
    void tyknij(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            if (!timer) return;
            ctl.TimerTimer();
        }
    }
    const StanCwiczenia& stan() const { return ctl.stan(); }
    Ustawienia& ust() { return ctl.ustawienia(); }
    int wynik() const { return WynikPoprawny(ctl.ustawienia().Dzialanie, stan().Liczba1, stan().Liczba2); }

    void RysujPytanie(std::int32_t l1, std::uint8_t d, std::int32_t l2) override
    {
        obrazPytanie = std::to_string(l1) + ZnakDzialania(d) + std::to_string(l2) + "=";
        log.push_back("RysujPytanie");
    }
    void RysujWynik(std::string_view t) override
    {
        obrazWynik = std::string(t);
        log.push_back("RysujWynik(" + obrazWynik + ")");
    }
    void WyczyscObrazy() override
    {
        obrazWynik.clear();
        obrazPytanie.clear();
        log.push_back("WyczyscObrazy");
    }
    bool CzytajRownanie() override
    {
        ++czytania;
        log.push_back("CzytajRownanie");
        return ctl.ustawienia().Lektor && czytaDlugo;
    }
    void UstawLicznikPytan(const std::string& t) override
    {
        licznik = t;
        log.push_back("Licznik(" + t + ")");
    }
    void PokazLicznikPytan(bool v) override
    {
        licznikWidoczny = v;
        log.push_back(std::string("PokazLicznik(") + (v ? "1" : "0") + ")");
    }
    void UstawDobrze(const std::string& t) override
    {
        dobrze = t;
        log.push_back("Dobrze(" + t + ")");
    }
    void UstawZle(const std::string& t) override
    {
        zle = t;
        log.push_back("Zle(" + t + ")");
    }
    void UstawPodpisLicznika(const std::string& t) override
    {
        podpis = t;
        log.push_back("Podpis(" + t + ")");
    }
    void PokazOceny(bool v) override
    {
        ocenyWidoczne = v;
        log.push_back(std::string("PokazOceny(") + (v ? "1" : "0") + ")");
    }
    void UstawRozmiarOceny(int nr, int pt) override
    {
        rozmiarOceny.at(static_cast<std::size_t>(nr)) = pt;
        log.push_back("Rozmiar(" + std::to_string(nr) + "," + std::to_string(pt) + ")");
    }
    void UstawProgresPozycja(int w, std::uint8_t rr, std::uint8_t gg, std::uint8_t bb) override
    {
        progresSzer = w;
        r = rr;
        g = gg;
        b = bb;
        log.push_back("Progres(" + std::to_string(w) + ")");
    }
    void UstawInterwalTimera(int ms) override
    {
        interwal = ms;
        log.push_back("Interwal(" + std::to_string(ms) + ")");
    }
    void WlaczTimer() override
    {
        timer = true;
        log.push_back("WlaczTimer");
    }
    void WylaczTimer() override
    {
        timer = false;
        log.push_back("WylaczTimer");
    }
    void PokazStartStop(bool stop) override
    {
        obrazStop = stop;
        log.push_back(stop ? "ObrazStop" : "ObrazStart");
    }
    void UstawDostepnosc(PrzyciskSzybki p, bool w) override
    {
        przyciski.at(static_cast<std::size_t>(p)) = w;
        log.push_back("Przycisk(" + std::to_string(static_cast<int>(p)) + "," + (w ? "1" : "0") + ")");
    }
    std::string TekstWyniku() const override { return pole; }
    void WyczyscWynik() override
    {
        pole.clear();
        log.push_back("WyczyscWynik");
        ctl.EditWynikChange(pole);
    }
    void UstawFokusWyniku() override
    {
        fokus = true;
        log.push_back("Fokus");
    }
};

} // namespace zm::test
