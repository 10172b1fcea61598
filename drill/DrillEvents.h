// What happens in a drill, as the controller tells it: the window's
// announcements for screen readers and the record kept for the results
// journal both follow from these calls and from nothing else.
#pragma once

#include "DrillRecord.h"
#include "DrillState.h"

#include <cstdint>

namespace zm {

class ISluchaczCwiczenia {
public:
    virtual ~ISluchaczCwiczenia() = default;

    // A drill started with these settings (the counters are zero).
    virtual void Rozpoczete(const Ustawienia& ustawienia) = 0;
    // Question `nr` is on screen.
    virtual void PytanieZadane(std::int32_t nr, std::int32_t liczba1, std::uint8_t dzialanie,
                               std::int32_t liczba2) = 0;
    // The current question was judged: the text given, right or wrong, the
    // drill's own time, and the correct result.
    virtual void OdpowiedzOceniona(const PytanieCwiczenia& pytanie, std::int32_t poprawny) = 0;
    // The narrator has read the last word of the equation; the drill goes on.
    virtual void CzytanieZakonczone() = 0;
    // The drill ran to its end: its settings, counts, grade and end time.
    virtual void Zakonczone(const PodsumowanieCwiczenia& podsumowanie) = 0;
    // STOP ended the drill without a grade.
    virtual void Zatrzymane() = 0;
};

// Keeps the drill in progress question by question (from its start) and
// hands it to `zapis` when it reaches its grade, as the drill of the child
// who practised when it started (a change of child during a drill is for
// the next one); a stopped drill is never handed over.
class ZapisywaczCwiczen final : public ISluchaczCwiczenia {
public:
    explicit ZapisywaczCwiczen(IZapisWynikow& zapis) : zapis_(zapis) {}

    void UstawDziecko(std::int64_t dziecko) { dziecko_ = dziecko; }

    void Rozpoczete(const Ustawienia&) override
    {
        biezacy_ = ZapisCwiczenia{};
        biezacy_.dziecko = dziecko_;
    }
    void PytanieZadane(std::int32_t, std::int32_t, std::uint8_t, std::int32_t) override {}
    void OdpowiedzOceniona(const PytanieCwiczenia& pytanie, std::int32_t) override
    {
        biezacy_.pytania.push_back(pytanie);
    }
    void CzytanieZakonczone() override {}
    void Zakonczone(const PodsumowanieCwiczenia& podsumowanie) override
    {
        const std::int64_t dziecko = biezacy_.dziecko;
        static_cast<PodsumowanieCwiczenia&>(biezacy_) = podsumowanie;
        biezacy_.dziecko = dziecko;
        zapis_.Zapisz(biezacy_);
    }
    void Zatrzymane() override {}

private:
    IZapisWynikow& zapis_;
    ZapisCwiczenia biezacy_;
    std::int64_t dziecko_ = 0;
};

} // namespace zm
