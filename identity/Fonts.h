// The program's two type faces, in one place.
//
// "MS Sans Serif" (the small captions, the flat buttons, the skinned button's
// caption, the dialogs) is the bitmap face that Debian's fonts-wine ships,
// loaded from its file; "Verdana" (the counters and grades) is not on Linux
// and is replaced by DejaVu Sans, a wide humanist sans of the same build.
#pragma once

#include <QFont>
#include <QString>

namespace zm::fonts {

// Registers the bundled faces with the application; safe to call repeatedly.
// Needs a QGuiApplication.
void Zaladuj();
// The same from another file of the bitmap face (a missing one leaves the
// outline sans in its place); `odNowa` replaces what was loaded before.
void ZaladujZ(const QString& plikMsSansSerif, bool odNowa);

// "MS Sans Serif" with the given character height in pixels (11 is 8 pt);
// the outline sans where the bitmap face has no such strike.
QFont MsSansSerif(int wysokoscZnaku = 11, bool pogrubiona = false);

// The "Verdana" stand-in with the given character height in pixels.
QFont Verdana(int wysokoscZnaku, bool pogrubiona);

// Family names actually used (for tests and diagnostics).
QString RodzinaMsSansSerif();
QString RodzinaVerdana();

} // namespace zm::fonts
