#include "ClassServer.h"

#include <QSqlQuery>
#include <QStringList>

#include <atomic>
#include <cstring>

namespace zm {

namespace {

const QString kSterownik = QStringLiteral("QPSQL");

// A value of a libpq connection option, quoted as libpq reads it.
QString Cytuj(QString s)
{
    s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    s.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

bool Zawiera(const QString& tekst, std::initializer_list<const char*> wzorce)
{
    for (const char* w : wzorce)
        if (tekst.contains(QLatin1String(w), Qt::CaseInsensitive)) return true;
    return false;
}

} // namespace

PrzyczynaKlasy RozpoznajBlad(const QSqlError& blad, bool polaczenieOtwarte)
{
    const QString kod = blad.nativeErrorCode();
    const QString tekst = blad.databaseText();
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

StanKlasy StanBledu(const QSqlError& blad, bool polaczenieOtwarte)
{
    const QString calosc = blad.databaseText().trimmed();
    // The first line, without libpq's "connection to server … failed:" and
    // the server's "ERROR:  ".
    QString zdanie = calosc.section(QLatin1Char('\n'), 0, 0);
    for (const char* przed : {"FATAL:  ", "ERROR:  ", "failed: "})
        if (const qsizetype i = zdanie.indexOf(QLatin1String(przed)); i >= 0) {
            zdanie = zdanie.mid(i + qsizetype(std::strlen(przed)));
            break;
        }
    return {RozpoznajBlad(blad, polaczenieOtwarte), zdanie.trimmed(), calosc};
}

QString OpisPrzyczyny(const StanKlasy& stan, const KonfiguracjaKlasy& k, const DostepDoSerwera& d)
{
    const QString serwer =
        k.serwer.startsWith(QLatin1Char('/')) ? k.serwer : QStringLiteral("%1:%2").arg(k.serwer).arg(k.port);
    switch (stan.przyczyna) {
    case PrzyczynaKlasy::Brak:
        return {};
    case PrzyczynaKlasy::Sterownik:
        return QStringLiteral("Brak sterownika PostgreSQL dla Qt (pakiet libqt6sql6-psql), więc nie ma połączenia "
                              "z serwerem klasy.");
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
    case PrzyczynaKlasy::Inny:
        return QStringLiteral("Serwer klasy %1 zgłosił błąd: %2.").arg(serwer, stan.szczegoly);
    }
    return {};
}

PolaczenieKlasy::PolaczenieKlasy(const KonfiguracjaKlasy& konfiguracja, const DostepDoSerwera& dostep)
    : konfiguracja_(konfiguracja), dostep_(dostep)
{
    static std::atomic<int> licznik{0};
    nazwa_ = QStringLiteral("zm_klasa_%1").arg(++licznik);
}

PolaczenieKlasy::~PolaczenieKlasy()
{
    Zamknij();
}

QSqlDatabase PolaczenieKlasy::Baza() const
{
    return QSqlDatabase::database(nazwa_, false);
}

bool PolaczenieKlasy::Otwarte() const
{
    return QSqlDatabase::contains(nazwa_) && Baza().isOpen();
}

void PolaczenieKlasy::Zamknij()
{
    if (!QSqlDatabase::contains(nazwa_)) return;
    {
        QSqlDatabase baza = Baza();
        baza.close();
    }
    QSqlDatabase::removeDatabase(nazwa_);
}

StanKlasy PolaczenieKlasy::Otworz()
{
    if (Otwarte()) return {};
    Zamknij();
    if (!QSqlDatabase::isDriverAvailable(kSterownik))
        return {PrzyczynaKlasy::Sterownik, {}, QStringLiteral("no QPSQL driver")};
    LokalC lokal;
    QSqlDatabase baza = QSqlDatabase::addDatabase(kSterownik, nazwa_);
    baza.setHostName(konfiguracja_.serwer);
    baza.setPort(konfiguracja_.port);
    baza.setDatabaseName(konfiguracja_.baza);
    baza.setUserName(dostep_.uzytkownik);
    baza.setPassword(dostep_.haslo);
    // A short wait for the server; a statement the server does not finish
    // in 15 s is cancelled; over TCP a silent server is noticed in about
    // 20 s rather than the system's two hours.
    QStringList opcje = {QStringLiteral("connect_timeout=%1").arg(kLimitPolaczeniaS),
                         QStringLiteral("sslmode=") + Cytuj(konfiguracja_.tls),
                         QStringLiteral("application_name=zoltava-mnozenia"),
                         QStringLiteral("options='-c statement_timeout=15000'"),
                         QStringLiteral("keepalives=1"),
                         QStringLiteral("keepalives_idle=10"),
                         QStringLiteral("keepalives_interval=5"),
                         QStringLiteral("keepalives_count=2"),
                         QStringLiteral("tcp_user_timeout=20000")};
    if (!konfiguracja_.tlsCa.isEmpty()) opcje << QStringLiteral("sslrootcert=") + Cytuj(konfiguracja_.tlsCa);
    baza.setConnectOptions(opcje.join(QLatin1Char(';')));
    StanKlasy stan;
    if (!baza.open()) stan = StanBledu(baza.lastError(), false);
    baza = QSqlDatabase();
    if (stan) stan = SprawdzWersje();
    if (!stan) Zamknij();
    return stan;
}

StanKlasy PolaczenieKlasy::SprawdzWersje()
{
    QSqlDatabase baza = Baza();
    QSqlQuery q(baza);
    StanKlasy stan;
    if (!q.exec(QStringLiteral("SELECT zoltava.schema_version()")) || !q.next()) {
        stan = StanBledu(q.lastError(), baza.isOpen());
        // Any refusal here means the script has not made what it should.
        if (stan.przyczyna == PrzyczynaKlasy::Dostep || stan.przyczyna == PrzyczynaKlasy::Inny)
            stan.przyczyna = PrzyczynaKlasy::SchematStary;
    } else if (const int wersja = q.value(0).toInt(); wersja != kWersjaSchematuKlasy) {
        stan = {wersja > kWersjaSchematuKlasy ? PrzyczynaKlasy::SchematNowszy : PrzyczynaKlasy::SchematStary,
                QString::number(wersja), QStringLiteral("schema version %1").arg(wersja)};
    }
    return stan;
}

StanKlasy PolaczenieKlasy::Blad(const QSqlError& blad) const
{
    return StanBledu(blad, Otwarte());
}

namespace {
std::atomic<int> gWatkiSerwera{0};
} // namespace

WatekSerwera::WatekSerwera() { gWatkiSerwera.fetch_add(1); }
WatekSerwera::~WatekSerwera() { gWatkiSerwera.fetch_sub(1); }
int WatkiSerwera() { return gWatkiSerwera.load(); }

} // namespace zm
