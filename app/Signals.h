// SIGINT, SIGTERM and SIGHUP end the program at any moment, during a reading
// or a message box too: the handler only writes the signal's number to a
// pipe, and the event loop that runs (the main one or a modal one) quits.
// When the program has not ended a moment later (its window's thread is
// stuck and never reads the pipe), a thread of its own ends it anyway.
#pragma once

#include <functional>

namespace zm {

// How long after a signal the program ends at the latest.
inline constexpr int kKoniecPoSygnaleMs = 450;

// Installs the handlers; call once the application object exists.
void ZakonczNaSygnal();

// What to save before the program is ended that way (the journal's waiting
// drills): called from another thread while the program may be stuck, and
// given a few milliseconds.
void UstawRatunek(std::function<void()> ratunek);

// The signal that asked the program to end, or 0. Checked before the main
// loop starts, since a quit delivered inside a modal loop does not reach it.
int OtrzymanySygnal();

} // namespace zm
