// What the main window tells a screen reader beyond the names of its
// controls: the drill's own picture buttons are buttons with a press action,
// decorative labels are left out, and announcements (a question as it
// appears, whether the answer was right, the grade) are spoken by showing a
// small notification whose name is the text. Qt 6.4 has no announcement
// event; a screen reader (Orca) speaks a notification each time it is shown.
#pragma once

#include "DrillEvents.h"

#include <QString>
#include <QWidget>

#include <functional>

namespace zm {

// Installs the accessibility factory for the program's widgets; once.
void ZainstalujDostepnosc();

// Marks `w` as a button for assistive technology: role button, its
// accessible name, and a press action that clicks it as the mouse would
// (so that it obeys whatever the mouse obeys). Before its accessible name is
// set: interfaces are made once.
void OznaczJakoPrzycisk(QWidget* w);

// Leaves `w` out of what assistive technology sees (a decoration). Its
// window must have been marked with OknoZDekoracjami before its accessible
// interface was first asked for (before its title is set, say).
void OznaczJakoDekoracje(QWidget* w);
void OknoZDekoracjami(QWidget* okno);

// The notification that carries announcements: it listens to the drill.
// What happens over one pass of the event loop (start, right or wrong with
// the correct result, the next question, stop, the grade) is gathered into
// one announcement, held while `wstrzymane` says so (the narrator reads) and
// made after the last word.
class Oglaszacz : public QWidget, public ISluchaczCwiczenia {
    Q_OBJECT
public:
    Oglaszacz(QWidget* rodzic, std::function<bool()> wstrzymane);
    // Shows `tekst` anew, so that it is spoken even when the same as before.
    void Oglos(const QString& tekst);
    const QString& Ostatnie() const { return ostatnie_; }

    // ISluchaczCwiczenia
    void Rozpoczete(const Ustawienia& ustawienia) override;
    void PytanieZadane(std::int32_t nr, std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2) override;
    void OdpowiedzOceniona(const PytanieCwiczenia& pytanie, std::int32_t poprawny) override;
    void CzytanieZakonczone() override;
    void Zakonczone(const PodsumowanieCwiczenia& podsumowanie) override;
    void Zatrzymane() override;

private:
    // Makes what was gathered, unless held; called again after a hold.
    void Zaplanuj();
    void Zbierz();
    struct Zebrane {
        bool start = false, stop = false, dobrze = false, zle = false, ocena = false;
        QString pytanie, wynik, tekstOceny;
    };
    std::function<bool()> wstrzymane_;
    Zebrane zebrane_;
    bool zaplanowane_ = false;
    QString ostatnie_;
};

} // namespace zm
