// SIGINT, SIGTERM and SIGHUP end the program at any moment, during a reading
// or a message box too: the handler only writes the signal's number to a
// pipe, and the event loop that runs (the main one or a modal one) quits.
#pragma once

namespace zm {

// Installs the handlers; call once the application object exists.
void ZakonczNaSygnal();

// The signal that asked the program to end, or 0. Checked before the main
// loop starts, since a quit delivered inside a modal loop does not reach it.
int OtrzymanySygnal();

} // namespace zm
