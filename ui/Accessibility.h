// What the main window tells a screen reader beyond the names of its
// controls: the drill's own picture buttons are buttons with a press action,
// decorative labels are left out, and announcements (a question as it
// appears, whether the answer was right, the grade) are spoken by showing a
// small notification whose name is the text. Qt 6.4 has no announcement
// event; a screen reader (Orca) speaks a notification each time it is shown.
#pragma once

#include <QString>
#include <QWidget>

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

// The notification that carries announcements.
class Oglaszacz : public QWidget {
    Q_OBJECT
public:
    explicit Oglaszacz(QWidget* rodzic);
    // Shows `tekst` anew, so that it is spoken even when the same as before.
    void Oglos(const QString& tekst);
    const QString& Ostatnie() const { return ostatnie_; }

private:
    QString ostatnie_;
};

} // namespace zm
