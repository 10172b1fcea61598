// A connection to the class's server (libpq), and what
// went wrong with it, named by cause. Used by the sender and the teacher's
// reads, each on a thread of its own: an object is used and destroyed on
// the thread that made it, and every call may wait for the server (at most
// the connection's timeout to connect, the statement timeout to run).
#pragma once

#include "ClassConfig.h"
#include "Pg.h"

#include <QString>

#include <clocale>
#include <locale.h>

namespace zm {

// The version of the schema klasa-serwer.sql makes, kept in
// zoltava.schema_version; a server with another version is refused.
inline constexpr int kWersjaSchematuKlasy = 2;
// Seconds to wait for the server to answer a connection.
inline constexpr int kLimitPolaczeniaS = 3;

enum class PrzyczynaKlasy {
    Brak,
    Nieosiagalny,  // no answer: unknown host, refused, timed out, stopped, cut off
    Haslo,         // the user name or password was refused
    Dostep,        // pg_hba.conf or the role's rights keep this user out
    Baza,          // no such database
    Tls,           // the encrypted connection could not be made
    SchematStary,  // the database was not set up by the script, or by an older one
    SchematNowszy, // the database was set up by a newer program
    Odrzucone,     // the server refused one drill's data
    Niewysylane,   // a drill kept on the workstation: not whole, or its id taken by another drill
    Biblioteka,    // libpq could not be opened on this workstation
    Inny,
};

struct StanKlasy {
    PrzyczynaKlasy przyczyna = PrzyczynaKlasy::Brak;
    QString szczegoly; // the server's or libpq's message in one line, or the schema's version
    QString calosc;    // the whole message, for the log
    explicit operator bool() const { return przyczyna == PrzyczynaKlasy::Brak; }
};

// A failure of the connection or of a statement, by cause, with its words:
// its SQLSTATE ("" when none) and the server's or libpq's message.
StanKlasy StanBledu(const QString& kod, const QString& tekst, bool polaczenieOtwarte);

// The cause of a failure, by its SQLSTATE, else by libpq's words (which the
// connection makes in English, whatever the user's language).
PrzyczynaKlasy RozpoznajBlad(const QString& kod, const QString& tekst, bool polaczenieOtwarte);

// The Polish sentence for a cause, naming the server, database, user and
// file as they apply.
QString OpisPrzyczyny(const StanKlasy& stan, const KonfiguracjaKlasy& konfiguracja, const DostepDoSerwera& dostep);

// While it lives, the calling thread uses the C locale, so that libpq's
// messages are in English (glibc's gettext follows the thread's locale).
class LokalC {
public:
    LokalC() : c_(newlocale(LC_ALL_MASK, "C", locale_t(nullptr))), stary_(c_ ? uselocale(c_) : locale_t(nullptr)) {}
    ~LokalC()
    {
        if (!c_) return;
        uselocale(stary_);
        freelocale(c_);
    }
    LokalC(const LokalC&) = delete;
    LokalC& operator=(const LokalC&) = delete;

private:
    locale_t c_;
    locale_t stary_;
};

class PolaczenieKlasy {
public:
    PolaczenieKlasy(const KonfiguracjaKlasy& konfiguracja, const DostepDoSerwera& dostep);
    ~PolaczenieKlasy();
    PolaczenieKlasy(const PolaczenieKlasy&) = delete;
    PolaczenieKlasy& operator=(const PolaczenieKlasy&) = delete;

    // Connects (when not connected) and checks the schema's version.
    StanKlasy Otworz();
    // Asks the open connection for the schema's version again (one short
    // statement): a server moved to another schema while connected.
    StanKlasy SprawdzWersje();
    bool Otwarte() const { return pg_.Otwarte(); }
    void Zamknij() { pg_.Zamknij(); }
    // Runs one statement, its values bound (never in its text).
    pg::Wynik Wykonaj(const char* sql, const std::vector<pg::Wartosc>& wartosci = {})
    {
        return pg_.Wykonaj(sql, wartosci);
    }
    // A failed statement's cause (close the connection after any but
    // Odrzucone).
    StanKlasy Blad(const pg::Wynik& wynik) const;

    const KonfiguracjaKlasy& Konfiguracja() const { return konfiguracja_; }
    const DostepDoSerwera& Dostep() const { return dostep_; }

private:
    KonfiguracjaKlasy konfiguracja_;
    DostepDoSerwera dostep_;
    pg::Polaczenie pg_;
};

// A thread that may wait for the server, counted from its making to its
// end: the program's end can tell whether one still runs (and then ends the
// process without the static clean-up such a thread could run into). Made
// by the thread's maker and moved into the thread.
class WatekSerwera {
public:
    WatekSerwera();
    ~WatekSerwera();
    WatekSerwera(const WatekSerwera&) = delete;
    WatekSerwera& operator=(const WatekSerwera&) = delete;
};
// How many such threads run now.
int WatkiSerwera();

} // namespace zm
