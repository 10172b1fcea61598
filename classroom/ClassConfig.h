// Where this workstation's class lives: the school's PostgreSQL server, as
// the administrator describes it once for the whole computer in
// /etc/zoltava-mnozenia/klasa.conf. No file there means no class: the
// program keeps its results on this computer alone, as it always did.
//
// The file is lines of "klucz = wartość" ('#' starts a comment line):
//   serwer              host name, address, or a Unix-socket folder (/…)
//   port                5432 when not given
//   baza                the database the setup script was run in
//   klasa               the class's name, e.g. "3b"
//   stanowisko          this workstation's name; the host name when not given
//   dostep              the file with the workstations' user name and password
//                       (not needed on a teacher's computer that only reads:
//                       without it nothing is sent from this computer)
//   dostep_nauczyciela  the teacher's file (optional); whoever can read it
//                       sees the class's results; one of the two is required
//   tls                 libpq's sslmode: disable, allow, prefer (when not
//                       given), require, verify-ca, verify-full
//   tls_ca              the certificate authority's file for verify-ca and
//                       verify-full
// A credentials file holds "uzytkownik = …" and "haslo = …". A value may be
// put in double quotes to keep blanks at its ends.
#pragma once

#include <QString>

#include <optional>

namespace zm {

// The environment variable that names another configuration file (tests,
// a second workstation on one computer).
inline constexpr char kZmiennaKonfiguracjiKlasy[] = "ZM_KLASA_CONF";
inline constexpr char kDomyslnyPlikKlasy[] = "/etc/zoltava-mnozenia/klasa.conf";

struct DostepDoSerwera {
    QString plik;
    QString uzytkownik;
    QString haslo;
};

struct KonfiguracjaKlasy {
    QString plik; // the configuration file it was read from
    QString serwer;
    int port = 5432;
    QString baza;
    QString klasa;
    QString stanowisko;
    DostepDoSerwera stanowiska;
    // Whether this computer sends its drills (and offers the roster): false
    // on a teacher's computer configured without "dostep".
    bool wysyla = true;
    // Present when the teacher's file is configured and this user can read
    // it.
    std::optional<DostepDoSerwera> nauczyciel;
    // Why the teacher's file is not usable ("" when it is, and when this
    // user may not read it, which is the pupils' case).
    QString bladNauczyciela;
    QString tls = QStringLiteral("prefer");
    QString tlsCa;
};

struct WczytanieKlasy {
    enum class Stan { Wylaczona, Wlaczona, Blad };
    Stan stan = Stan::Wylaczona;
    KonfiguracjaKlasy konfiguracja; // when Wlaczona
    QString blad;                   // when Blad: what is wrong, in Polish
};

// The file named by ZM_KLASA_CONF, or /etc/zoltava-mnozenia/klasa.conf.
QString PlikKonfiguracjiKlasy();

// Reads the configuration and the credentials files it names. A missing
// file turns the class off; a file that is there but cannot be read or is
// wrong turns it off with a message. Reads regular files only (a FIFO or a
// device never blocks it), at most 64 KiB each.
WczytanieKlasy WczytajKonfiguracjeKlasy(const QString& plik = PlikKonfiguracjiKlasy());

} // namespace zm
