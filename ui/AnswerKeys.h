// The main window's keyboard, apart from the window: which keys start and
// stop a drill, and how typed characters pass the drill's filter into the
// answer field.
#pragma once

#include <QString>

#include <functional>

class QLineEdit;

namespace zm {

// F2 at any time, Escape during a drill, Space in the answer field while no
// drill runs.
bool StartujeLubKonczy(int klawisz, bool trwa, bool wPoluWyniku);

// Passes the characters of one key event through `filtr` (which clears a
// character it refuses). One character: the event goes on unless refused.
// Several (an input method): each goes through the filter, what passes is
// typed into `pole` (Backspace and Enter as keys), and the event is dropped.
// Returns whether the event is dropped.
bool PrzepuscPrzezFiltr(QLineEdit* pole, const QString& tekst, const std::function<void(char16_t&)>& filtr);

} // namespace zm
