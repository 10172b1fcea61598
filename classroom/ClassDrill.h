// A finished drill on its way to the class's server, and the outbox it
// waits in. The local results journal is the truth on each workstation and
// implements the outbox; the sender (ClassSender.h) takes drills from it.
#pragma once

#include "DrillRecord.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zm {

struct CwiczenieKlasy {
    std::string id;   // NowyIdentyfikatorCwiczenia(), made once when the drill is recorded
    std::string imie; // the child's name, UTF-8
    ZapisCwiczenia zapis;
    std::int64_t idListy = 0; // the child's id on the class's roster (0: not on it; known by name)
};

// A child of the class's roster, as the workstations read it.
struct DzieckoListy {
    std::int64_t id = 0;
    std::string imie;  // UTF-8
    std::string uwaga; // the teacher's note that tells two of one name apart
    bool operator==(const DzieckoListy&) const = default;
};

// One answer of a child of the class's roster as the server gives it to the
// workstations (zoltava.child_facts): what the practice's record is made of,
// nothing more. A workstation merges these with its own answers
// (ISkrzynkaKlasy::ScalRekord), so that the child's record follows the child.
struct OdpowiedzDziecka {
    std::string idCwiczenia; // the drill's id, lower-case hex digits without dashes (as the journal keeps it)
    std::int64_t koniecMs = 0;
    std::uint8_t dzialanie = 0;
    std::int32_t predkosc = 0;
    std::int32_t numer = 0; // the question's number in its drill, from 1
    std::int32_t liczba1 = 0;
    std::int32_t liczba2 = 0;
    bool dobrze = false;
    std::int32_t czasMs = 0;
};

// A new drill's unique id: a random UUID as text, 36 characters, lower
// case, e.g. "3f2b8c1e-0d4a-4f6e-9b7a-1c2d3e4f5a6b".
std::string NowyIdentyfikatorCwiczenia();

// The drills of this workstation that the server does not hold yet. Called
// only on the sender's thread, one call at a time (never on the GUI
// thread); give the sender the only reference, so that the outbox is also
// destroyed on that thread. Each call should return within a few
// milliseconds: open the file with a short busy timeout and fail rather
// than wait.
class ISkrzynkaKlasy {
public:
    virtual ~ISkrzynkaKlasy() = default;
    // Up to `ile` drills not marked sent, oldest first (none when there are
    // none), or nothing when they cannot be read now: the sender then tries
    // again later, as after a server's failure.
    virtual std::optional<std::vector<CwiczenieKlasy>> Niewyslane(int ile) = 0;
    // The server holds these drills: never offer them again. False when
    // they could not be marked; they are then offered and sent again (after
    // the sender's pause), which the server ignores.
    virtual bool Wyslane(const std::vector<std::string>& ids) = 0;
    // The class's roster as the server gives it now, to keep for when the
    // server is away.
    virtual void ZapiszListe(const std::vector<DzieckoListy>& lista) { (void)lista; }
    // The answers the server holds of the roster's child `idListy`, to be
    // merged into the record of this computer's child bound to it; false
    // when they could not be (the sender asks again later).
    virtual bool ScalRekord(std::int64_t idListy, const std::vector<OdpowiedzDziecka>& odpowiedzi)
    {
        (void)idListy;
        (void)odpowiedzi;
        return true;
    }
};

} // namespace zm
