// The main window's side of the learner: who practises (the "ButDziecko"
// button in the menu strip, the picker at start when there are several
// children), each child's settings restored and kept, each finished drill
// recorded as that child's and handed to the results journal, the child's
// record for the practice mode, the results window, and the journal's
// problems, told once no drill runs. The main window creates it and tells it
// when the settings were chosen.
#pragma once

#include "Children.h"
#include "ClassConfig.h"
#include "ClassDrill.h"
#include "DrillController.h"
#include "DrillEvents.h"
#include "Messages.h"
#include "ResultsStore.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QWidget;

namespace zm {

class CzytnikWynikow;
class DziennikWynikow;
class ListaDzieci;
class NadawcaKlasy;
class Oglaszacz;
class TFlatSpeedButton;
class TFrmDzieci;

class ProfilDziecka : public QObject, public ISluchaczCwiczenia {
    Q_OBJECT
public:
    struct Okno {
        QWidget* okno;
        TFlatSpeedButton* przycisk;  // shows who practises, opens the picker
        DrillController& kontroler;
        Oglaszacz* oglaszacz;
        // Shows a message box unless the program ends.
        std::function<void(IKomunikaty::Rodzaj, const QString&, const QString&)> komunikat;
        IKomunikaty* komunikaty;
        // Resets the idle display to the settings.
        std::function<void()> odswiez;
    };
    // `dziennik` may be null: drills are not kept, one child practises.
    ProfilDziecka(Okno okno, DziennikWynikow* dziennik);
    ~ProfilDziecka() override;

    const ListaDzieci& Dzieci() const { return *dzieci_; }
    IDzieci& DzieciDoZmiany();

    // The window is being shown: the children are read on a reader's thread
    // (the answer comes before its first frame, as a rule), and the class's
    // configuration (with a class, its drills are sent to the school's
    // server).
    void Wczytaj();
    // The program ends: the class's sender is stopped (briefly waited for).
    void ZakonczKlase();
    // A problem to tell the user once no drill runs.
    void Problem(const QString& tekst) { problem(tekst); }
    // The picker, between drills.
    void WybierzDziecko();
    // The settings dialog chose these for the one who practises.
    void ZapiszUstawienia(const Ustawienia& ustawienia);
    // The results window, between drills.
    void PokazWyniki();
    // Whether a problem waits to be told (told after the next drill).
    bool MaProblemy() const { return !problemy_.isEmpty(); }

    // ISluchaczCwiczenia
    void Rozpoczete(const Ustawienia&) override;
    void PytanieZadane(std::int32_t, std::int32_t, std::uint8_t, std::int32_t) override {}
    void OdpowiedzOceniona(const PytanieCwiczenia&, std::int32_t) override {}
    void CzytanieZakonczone() override {}
    void Zakonczone(const PodsumowanieCwiczenia&) override;
    void Zatrzymane() override;

private:
    void zmienionoDziecko();
    void zastosujUstawienia();
    void czytajRekord();
    void pobierzRekord();
    void problem(const QString& tekst);
    void pokazProblemy();
    void poCwiczeniu();
    void wlaczKlase(const WczytanieKlasy& klasa);
    // The class's roster as last fetched; empty without a class.
    std::vector<DzieckoListy> listaKlasy() const;
    // Reads the journal on a reader of its own, gone with the answer (no
    // thread or connection stays between reads).
    template <class W>
    void czytaj(std::function<W(BazaWynikow*, WynikBazy&)> praca, std::function<void(W, const WynikBazy&)> odpowiedz);

    Okno okno_;
    DziennikWynikow* dziennik_;
    std::unique_ptr<ListaDzieci> dzieci_;
    std::unique_ptr<ZapisywaczCwiczen> zapisywacz_;
    std::optional<KonfiguracjaKlasy> klasa_; // the class, when this workstation has one
    std::unique_ptr<NadawcaKlasy> nadawca_;
    TFrmDzieci* wybor_ = nullptr;
    QStringList problemy_;
    int probyWczytania_ = 0;         // reads of the children at start that met a lock
    QString bladKonfiguracji_; // the class's configuration could not be read
    bool klasaOsiagalna_ = true; // the class's server was reached (or there is no class)
    QString powodKlasy_;         // why it was not, the sender's words
    bool trwa_ = false;              // a drill runs
    bool poCwiczeniu_ = false;       // a drill has ended and no other runs
    bool ustawieniaCzekaja_ = false; // the child changed during a drill
    std::int64_t pokazaneDziecko_ = -1;
};

} // namespace zm
