#include "ClassConfig.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zm {

namespace {

constexpr qint64 kNajwiekszyPlik = 64 * 1024;

struct Odczyt {
    std::optional<QByteArray> tresc;
    int blad = 0; // errno, or -1: not a regular file, -2: too big
};

// A small regular file, read without ever blocking on a FIFO or device.
Odczyt CzytajMalyPlik(const QString& sciezka)
{
    Odczyt wynik;
    const int fd = ::open(QFile::encodeName(sciezka).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        wynik.blad = errno;
        return wynik;
    }
    struct stat st {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        wynik.blad = -1;
    } else if (st.st_size > kNajwiekszyPlik) {
        wynik.blad = -2;
    } else {
        QByteArray dane;
        char bufor[4096];
        for (;;) {
            const ssize_t n = ::read(fd, bufor, sizeof bufor);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                wynik.blad = errno;
                break;
            }
            if (n == 0) {
                wynik.tresc = dane;
                break;
            }
            dane.append(bufor, n);
            if (dane.size() > kNajwiekszyPlik) {
                wynik.blad = -2;
                break;
            }
        }
    }
    ::close(fd);
    return wynik;
}

QString OpisBleduOdczytu(int blad)
{
    switch (blad) {
    case ENOENT:
        return QStringLiteral("nie ma takiego pliku");
    case EACCES:
        return QStringLiteral("brak uprawnień do odczytu");
    case ENOTDIR:
        return QStringLiteral("w ścieżce jest coś, co nie jest folderem");
    case -1:
        return QStringLiteral("to nie jest zwykły plik");
    case -2:
        return QStringLiteral("plik jest za duży");
    default:
        return QString::fromLocal8Bit(std::strerror(blad));
    }
}

bool MaZnakiSterujace(const QString& s)
{
    for (const QChar c : s)
        if (c.category() == QChar::Other_Control) return true;
    return false;
}

// "klucz = wartość" lines; what is wrong, or "" and the pairs.
QString Rozbierz(const QByteArray& dane, const QSet<QString>& klucze, QMap<QString, QString>& pary)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString tekst = utf8.decode(dane);
    if (utf8.hasError()) return QStringLiteral("plik nie jest zapisany w UTF-8");
    const QStringList wiersze = tekst.split(QLatin1Char('\n'));
    for (int i = 0; i < wiersze.size(); ++i) {
        const QString wiersz = wiersze[i].trimmed();
        if (wiersz.isEmpty() || wiersz.startsWith(QLatin1Char('#'))) continue;
        const auto gdzie = QStringLiteral("wiersz %1: ").arg(i + 1);
        const qsizetype rowne = wiersz.indexOf(QLatin1Char('='));
        if (rowne < 0) return gdzie + QStringLiteral("brak znaku „=” (oczekiwano „klucz = wartość”)");
        const QString klucz = wiersz.left(rowne).trimmed();
        QString wartosc = wiersz.mid(rowne + 1).trimmed();
        if (!klucze.contains(klucz)) return gdzie + QStringLiteral("nieznany klucz „%1”").arg(klucz);
        if (pary.contains(klucz)) return gdzie + QStringLiteral("klucz „%1” powtórzony").arg(klucz);
        if (wartosc.size() >= 2 && wartosc.startsWith(QLatin1Char('"')) && wartosc.endsWith(QLatin1Char('"')))
            wartosc = wartosc.mid(1, wartosc.size() - 2);
        if (MaZnakiSterujace(wartosc))
            return gdzie + QStringLiteral("znak sterujący w wartości klucza „%1”").arg(klucz);
        pary.insert(klucz, wartosc);
    }
    return {};
}

// A credentials file: "" and the user and password, or what is wrong.
QString CzytajDostep(const QString& plik, DostepDoSerwera& dostep, int& bladOdczytu)
{
    dostep.plik = plik;
    const Odczyt odczyt = CzytajMalyPlik(plik);
    bladOdczytu = odczyt.blad;
    if (!odczyt.tresc) return OpisBleduOdczytu(odczyt.blad);
    QMap<QString, QString> pary;
    const QString blad = Rozbierz(*odczyt.tresc, {QStringLiteral("uzytkownik"), QStringLiteral("haslo")}, pary);
    if (!blad.isEmpty()) return blad;
    dostep.uzytkownik = pary.value(QStringLiteral("uzytkownik"));
    dostep.haslo = pary.value(QStringLiteral("haslo"));
    if (dostep.uzytkownik.isEmpty()) return QStringLiteral("brak klucza „uzytkownik”");
    if (dostep.haslo.isEmpty()) return QStringLiteral("brak klucza „haslo”");
    return {};
}

} // namespace

QString PlikKonfiguracjiKlasy()
{
    const QString zZmiennej = qEnvironmentVariable(kZmiennaKonfiguracjiKlasy);
    return zZmiennej.isEmpty() ? QString::fromLatin1(kDomyslnyPlikKlasy) : zZmiennej;
}

WczytanieKlasy WczytajKonfiguracjeKlasy(const QString& plik)
{
    WczytanieKlasy wynik;
    const auto blad = [&](const QString& co) {
        wynik.stan = WczytanieKlasy::Stan::Blad;
        wynik.blad = QStringLiteral("Plik konfiguracji klasy %1: %2. Wyniki nie trafiają na serwer klasy, "
                                    "zostają na tym komputerze.")
                         .arg(plik, co);
        return wynik;
    };
    const Odczyt odczyt = CzytajMalyPlik(plik);
    if (!odczyt.tresc) {
        if (odczyt.blad == ENOENT) return wynik; // no class: everything as before
        return blad(OpisBleduOdczytu(odczyt.blad));
    }
    QMap<QString, QString> p;
    const QString zlyWiersz =
        Rozbierz(*odczyt.tresc,
                 {QStringLiteral("serwer"), QStringLiteral("port"), QStringLiteral("baza"), QStringLiteral("klasa"),
                  QStringLiteral("stanowisko"), QStringLiteral("dostep"), QStringLiteral("dostep_nauczyciela"),
                  QStringLiteral("tls"), QStringLiteral("tls_ca")},
                 p);
    if (!zlyWiersz.isEmpty()) return blad(zlyWiersz);
    for (const char* wymagany : {"serwer", "baza", "klasa"})
        if (p.value(QLatin1String(wymagany)).isEmpty())
            return blad(QStringLiteral("brak klucza „%1”").arg(QLatin1String(wymagany)));
    // A workstation sends (dostep); a teacher's computer may only read
    // (dostep_nauczyciela alone).
    if (p.value(QStringLiteral("dostep")).isEmpty() && p.value(QStringLiteral("dostep_nauczyciela")).isEmpty())
        return blad(QStringLiteral("brak klucza „dostep”"));

    KonfiguracjaKlasy& k = wynik.konfiguracja;
    k.plik = plik;
    k.serwer = p.value(QStringLiteral("serwer"));
    if (k.serwer.contains(QLatin1Char(' '))) return blad(QStringLiteral("„serwer” nie może zawierać spacji"));
    if (p.contains(QStringLiteral("port"))) {
        bool liczba = false;
        k.port = p.value(QStringLiteral("port")).toInt(&liczba);
        if (!liczba || k.port < 1 || k.port > 65535)
            return blad(QStringLiteral("„port” musi być liczbą od 1 do 65535"));
    }
    k.baza = p.value(QStringLiteral("baza"));
    if (k.baza.toUtf8().size() > 63) return blad(QStringLiteral("nazwa bazy jest dłuższa niż 63 bajty"));
    k.klasa = p.value(QStringLiteral("klasa"));
    if (k.klasa.size() > 100) return blad(QStringLiteral("nazwa klasy jest dłuższa niż 100 znaków"));
    k.stanowisko = p.value(QStringLiteral("stanowisko"), QSysInfo::machineHostName());
    if (k.stanowisko.isEmpty()) k.stanowisko = QStringLiteral("stanowisko");
    if (k.stanowisko.size() > 100) return blad(QStringLiteral("nazwa stanowiska jest dłuższa niż 100 znaków"));
    k.tls = p.value(QStringLiteral("tls"), k.tls);
    static const QStringList trybyTls = {QStringLiteral("disable"),   QStringLiteral("allow"),
                                         QStringLiteral("prefer"),    QStringLiteral("require"),
                                         QStringLiteral("verify-ca"), QStringLiteral("verify-full")};
    if (!trybyTls.contains(k.tls))
        return blad(QStringLiteral("„tls” musi być jednym z: %1").arg(trybyTls.join(QStringLiteral(", "))));
    k.tlsCa = p.value(QStringLiteral("tls_ca"));
    // The driver splits its options at ';'.
    if (k.tlsCa.contains(QLatin1Char(';'))) return blad(QStringLiteral("ścieżka „tls_ca” nie może zawierać średnika"));

    int bladOdczytu = 0;
    const QString plikStanowisk = p.value(QStringLiteral("dostep"));
    k.wysyla = !plikStanowisk.isEmpty();
    if (k.wysyla) {
        const QString zlyDostep = CzytajDostep(plikStanowisk, k.stanowiska, bladOdczytu);
        if (!zlyDostep.isEmpty()) return blad(QStringLiteral("plik dostępu %1: %2").arg(plikStanowisk, zlyDostep));
    }

    const QString plikNauczyciela = p.value(QStringLiteral("dostep_nauczyciela"));
    if (!plikNauczyciela.isEmpty()) {
        DostepDoSerwera nauczyciel;
        const QString zly = CzytajDostep(plikNauczyciela, nauczyciel, bladOdczytu);
        if (zly.isEmpty())
            k.nauczyciel = nauczyciel;
        else if (bladOdczytu != EACCES) // a pupil may not read it: no view, no message
            k.bladNauczyciela = QStringLiteral("Plik dostępu nauczyciela %1: %2. Wyniki klasy nie są dostępne.")
                                    .arg(plikNauczyciela, zly);
    }
    wynik.stan = WczytanieKlasy::Stan::Wlaczona;
    return wynik;
}

} // namespace zm
