// A child's practice record on the class's server: the answers of a child of
// the class's roster, read with the workstations' credentials through
// zoltava.child_facts (the only way they may read another workstation's
// answers: one child of their own class's roster, and only what the
// practice's schedule needs). Used on the sender's thread.
#pragma once

#include "ClassDrill.h"
#include "ClassServer.h"

#include <optional>
#include <vector>

namespace zm {

// The answers of the roster's child `idListy` of the connection's class, in
// the server's order, newest first (none for a child not on that class's
// roster; the merge puts them in the order they were given), or nothing and
// `blad` says why. The connection must be open.
std::optional<std::vector<OdpowiedzDziecka>> OdpowiedziDziecka(PolaczenieKlasy& polaczenie, std::int64_t idListy,
                                                               StanKlasy& blad);

} // namespace zm
