#include "ClassServer.h"


#include <atomic>
#include <cstring>

namespace zm {

namespace {

bool Zawiera(const QString& tekst, std::initializer_list<const char*> wzorce)
{
    for (const char* w : wzorce)
        if (tekst.contains(QLatin1String(w), Qt::CaseInsensitive)) return true;
    return false;
}

} // namespace

PrzyczynaKlasy RozpoznajBlad(const QString& kod, const QString& tekst, bool polaczenieOtwarte)
{
    if (kod.size() == 5) {
        if (kod.startsWith(QLatin1String("08")) || kod.startsWith(QLatin1String("57")))
            return PrzyczynaKlasy::Nieosiagalny;
        if (kod == QLatin1String("28P01")) return PrzyczynaKlasy::Haslo;
        if (kod.startsWith(QLatin1String("28")) || kod == QLatin1String("42501")) return PrzyczynaKlasy::Dostep;
        if (kod == QLatin1String("3D000")) return PrzyczynaKlasy::Baza;
        if (kod == QLatin1String("3F000") || kod == QLatin1String("42P01") || kod == QLatin1String("42703") ||
            kod == QLatin1String("42883"))
            return PrzyczynaKlasy::SchematStary;
        if (kod.startsWith(QLatin1String("22")) || kod.startsWith(QLatin1String("23")))
            return PrzyczynaKlasy::Odrzucone;
        return PrzyczynaKlasy::Inny;
    }
    // Connection failures come without a code: libpq's words, or the
    // server's, as libpq passes them on.
    if (Zawiera(tekst, {"does not exist"}) && tekst.contains(QLatin1String("database \""))) return PrzyczynaKlasy::Baza;
    if (Zawiera(tekst, {"pg_hba.conf", "permission denied for database", "not permitted to log in"}))
        return PrzyczynaKlasy::Dostep;
    if (Zawiera(tekst, {"password authentication failed", "no password supplied", "authentication failed for user",
                        "role \""}))
        return PrzyczynaKlasy::Haslo;
    if (Zawiera(tekst, {"SSL SYSCALL"})) return PrzyczynaKlasy::Nieosiagalny; // the line dropped under TLS
    if (Zawiera(tekst, {"SSL", "certificate", "sslmode", "GSSAPI"})) return PrzyczynaKlasy::Tls;
    if (Zawiera(tekst,
                {"could not connect", "connection to server", "Connection refused", "No such file or directory",
                 "could not translate host name", "timeout expired", "timed out", "unreachable", "No route to host",
                 "Host is down", "server closed the connection", "no connection to the server", "could not send data",
                 "could not receive data", "Connection reset", "Broken pipe", "the database system is",
                 "terminating connection", "too many clients"}))
        return PrzyczynaKlasy::Nieosiagalny;
    return polaczenieOtwarte ? PrzyczynaKlasy::Inny : PrzyczynaKlasy::Nieosiagalny;
}

StanKlasy StanBledu(const QString& kod, const QString& tekst, bool polaczenieOtwarte)
{
    const QString calosc = tekst.trimmed();
    // The first line, without libpq's "connection to server … failed:" and
    // the server's "ERROR:  ".
    QString zdanie = calosc.section(QLatin1Char('\n'), 0, 0);
    for (const char* przed : {"FATAL:  ", "ERROR:  ", "failed: "})
        if (const qsizetype i = zdanie.indexOf(QLatin1String(przed)); i >= 0) {
            zdanie = zdanie.mid(i + qsizetype(std::strlen(przed)));
            break;
        }
    return {RozpoznajBlad(kod, tekst, polaczenieOtwarte), zdanie.trimmed(), calosc};
}

QString OpisPrzyczyny(const StanKlasy& stan, const KonfiguracjaKlasy& k, const DostepDoSerwera& d)
{
    const QString serwer =
        k.serwer.startsWith(QLatin1Char('/')) ? k.serwer : QStringLiteral("%1:%2").arg(k.serwer).arg(k.port);
    switch (stan.przyczyna) {
    case PrzyczynaKlasy::Brak:
        return {};
    case PrzyczynaKlasy::Nieosiagalny:
        return QStringLiteral("Serwer klasy %1 nie odpowiada.").arg(serwer);
    case PrzyczynaKlasy::Haslo:
        return QStringLiteral("Serwer klasy %1 nie przyjął użytkownika „%2” lub jego hasła (plik %3).")
            .arg(serwer, d.uzytkownik, d.plik);
    case PrzyczynaKlasy::Dostep:
        return QStringLiteral("Serwer klasy %1 nie dopuszcza użytkownika „%2” do bazy „%3” z tego komputera "
                              "(pg_hba.conf lub uprawnienia).")
            .arg(serwer, d.uzytkownik, k.baza);
    case PrzyczynaKlasy::Baza:
        return QStringLiteral("Na serwerze klasy %1 nie ma bazy „%2”.").arg(serwer, k.baza);
    case PrzyczynaKlasy::Tls:
        return QStringLiteral("Nie udało się nawiązać szyfrowanego połączenia z serwerem klasy %1 (tls = %2).")
            .arg(serwer, k.tls);
    case PrzyczynaKlasy::SchematStary:
        return QStringLiteral("Baza „%1” na serwerze klasy %2 nie jest przygotowana dla tej wersji programu: "
                              "trzeba w niej uruchomić skrypt klasa-serwer.sql.")
            .arg(k.baza, serwer);
    case PrzyczynaKlasy::SchematNowszy:
        return QStringLiteral("Baza „%1” na serwerze klasy %2 pochodzi z nowszej wersji programu (schemat %3, "
                              "ten program zna %4).")
            .arg(k.baza, serwer, stan.szczegoly)
            .arg(kWersjaSchematuKlasy);
    case PrzyczynaKlasy::Odrzucone:
        return QStringLiteral("Serwer klasy %1 odrzucił ćwiczenie: %2.").arg(serwer, stan.szczegoly);
    case PrzyczynaKlasy::Niewysylane:
        return QStringLiteral("Ćwiczenie nie zostało wysłane na serwer klasy %1: %2.").arg(serwer, stan.szczegoly);
    case PrzyczynaKlasy::Biblioteka:
        return QStringLiteral("Nie można połączyć się z serwerem klasy %1: %2.").arg(serwer, stan.szczegoly);
    case PrzyczynaKlasy::Inny:
        return QStringLiteral("Serwer klasy %1 zgłosił błąd: %2.").arg(serwer, stan.szczegoly);
    }
    return {};
}

PolaczenieKlasy::PolaczenieKlasy(const KonfiguracjaKlasy& konfiguracja, const DostepDoSerwera& dostep)
    : konfiguracja_(konfiguracja), dostep_(dostep)
{
}

PolaczenieKlasy::~PolaczenieKlasy() = default;

StanKlasy PolaczenieKlasy::Otworz()
{
    if (Otwarte()) return {};
    Zamknij();
    LokalC lokal;
    // A short wait for the server; a statement the server does not finish
    // in 15 s is cancelled; over TCP a silent server is noticed in about
    // 20 s rather than the system's two hours.
    std::vector<std::pair<const char*, QByteArray>> opcje = {
        {"host", konfiguracja_.serwer.toUtf8()},
        {"port", QByteArray::number(konfiguracja_.port)},
        {"dbname", konfiguracja_.baza.toUtf8()},
        {"user", dostep_.uzytkownik.toUtf8()},
        {"password", dostep_.haslo.toUtf8()},
        {"connect_timeout", QByteArray::number(kLimitPolaczeniaS)},
        {"sslmode", konfiguracja_.tls.toUtf8()},
        {"application_name", "zoltava-mnozenia"},
        {"options", "-c statement_timeout=15000"},
        {"client_encoding", "UTF8"},
        {"keepalives", "1"},
        {"keepalives_idle", "10"},
        {"keepalives_interval", "5"},
        {"keepalives_count", "2"},
        {"tcp_user_timeout", "20000"}};
    if (!konfiguracja_.tlsCa.isEmpty()) opcje.push_back({"sslrootcert", konfiguracja_.tlsCa.toUtf8()});
    StanKlasy stan;
    if (!pg_.Otworz(opcje))
        stan = pg_.BezBiblioteki() ? StanKlasy{PrzyczynaKlasy::Biblioteka, pg_.Blad(), pg_.Blad()}
                                   : StanBledu({}, pg_.Blad(), false);
    else
        stan = SprawdzWersje();
    if (!stan) Zamknij();
    return stan;
}

StanKlasy PolaczenieKlasy::SprawdzWersje()
{
    const pg::Wynik w = pg_.Wykonaj("SELECT zoltava.schema_version()");
    StanKlasy stan;
    if (w.Wiersze() != 1 || w.Pusty(0, 0)) {
        stan = Blad(w);
        // Any refusal here means the script has not made what it should.
        if (stan.przyczyna == PrzyczynaKlasy::Dostep || stan.przyczyna == PrzyczynaKlasy::Inny)
            stan.przyczyna = PrzyczynaKlasy::SchematStary;
    } else if (const int wersja = int(w.Int(0, 0)); wersja != kWersjaSchematuKlasy) {
        stan = {wersja > kWersjaSchematuKlasy ? PrzyczynaKlasy::SchematNowszy : PrzyczynaKlasy::SchematStary,
                QString::number(wersja), QStringLiteral("schema version %1").arg(wersja)};
    }
    return stan;
}

StanKlasy PolaczenieKlasy::Blad(const pg::Wynik& wynik) const
{
    return StanBledu(wynik.Kod(), wynik.Komunikat(), Otwarte());
}

namespace {
std::atomic<int> gWatkiSerwera{0};
} // namespace

WatekSerwera::WatekSerwera() { gWatkiSerwera.fetch_add(1); }
WatekSerwera::~WatekSerwera() { gWatkiSerwera.fetch_sub(1); }
int WatkiSerwera() { return gWatkiSerwera.load(); }

} // namespace zm
