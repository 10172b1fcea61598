#include "JournalFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "QuestionGenerator.h"
#include "WaitingReserve.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zm {

namespace {

QByteArray nazwa(const QString& sciezka) { return QFile::encodeName(sciezka); }

// The files beside the journal named `<plik>.<rodzaj>` followed by `czesci`
// numbers joined by "-" (no regular expression: it would bring in a library
// the program does not otherwise need).
QStringList pasujace(const QString& plik, const QString& rodzaj, int czesci)
{
    const QFileInfo info(plik);
    const QString poczatek = info.fileName() + QLatin1Char('.') + rodzaj;
    QStringList wynik;
    for (const QString& n : QDir(info.absolutePath()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        if (!n.startsWith(poczatek)) continue;
        const QStringList liczby = n.mid(poczatek.size()).split(QLatin1Char('-'));
        const bool dobra = liczby.size() == czesci && std::all_of(liczby.begin(), liczby.end(), [](const QString& l) {
            return !l.isEmpty() && std::all_of(l.begin(), l.end(), [](QChar c) { return c.isDigit(); });
        });
        if (dobra) wynik << info.absolutePath() + QLatin1Char('/') + n;
    }
    return wynik;
}

} // namespace

BlokadaDziennika::BlokadaDziennika(const QString& plik) : sciezka_(plik + QStringLiteral(".stan")) {}

BlokadaDziennika::~BlokadaDziennika()
{
    if (fd_ >= 0) ::close(fd_); // releases the lock
}

bool BlokadaDziennika::Zajmij(const std::atomic<bool>& przerwij, std::chrono::milliseconds limit)
{
    if (fd_ < 0) fd_ = ::open(nazwa(sciezka_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return false;
    const auto koniec = std::chrono::steady_clock::now() + limit;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (przerwij.load() || std::chrono::steady_clock::now() > koniec) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

BlokadaDziennika::Stan BlokadaDziennika::Czytaj() const
{
    Stan s;
    if (fd_ < 0) return s;
    char bufor[512];
    const ssize_t n = ::pread(fd_, bufor, sizeof bufor, 0);
    if (n <= 0) return s;
    for (const QString& linia : QString::fromUtf8(bufor, n).split(QLatin1Char('\n'))) {
        if (linia.startsWith(QLatin1String("wersja="))) s.wersja = linia.mid(7);
        if (linia.startsWith(QLatin1String("sprawdzono="))) s.sprawdzonoMs = linia.mid(11).toLongLong();
    }
    return s;
}

void BlokadaDziennika::Zapisz(const Stan& stan)
{
    if (fd_ < 0) return;
    const QByteArray tekst = QStringLiteral("wersja=%1\nsprawdzono=%2\n").arg(stan.wersja).arg(stan.sprawdzonoMs).toUtf8();
    if (::ftruncate(fd_, 0) != 0) return;
    [[maybe_unused]] const ssize_t n = ::pwrite(fd_, tekst.constData(), static_cast<std::size_t>(tekst.size()), 0);
}

QStringList ZnakPracy::Porzucone(const QString& plik)
{
    QStringList porzucone;
    for (const QString& znak : pasujace(plik, QStringLiteral("dziala-"), 1)) {
        const int fd = ::open(nazwa(znak).constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0) continue;
        // A running copy holds its mark's lock; the lock dies with it.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) porzucone << znak;
        ::close(fd);
    }
    return porzucone;
}

bool ZnakPracy::Postaw(const QString& plik)
{
    Zdejmij();
    sciezka_ = QStringLiteral("%1.dziala-%2").arg(plik).arg(::getpid());
    fd_ = ::open(nazwa(sciezka_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0) return true;
    // Held already (another journal of this process on the same file): it
    // is that journal's to take down.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return false;
}

void ZnakPracy::Zdejmij()
{
    if (fd_ < 0) return;
    ::unlink(nazwa(sciezka_).constData());
    ::close(fd_);
    fd_ = -1;
}

QByteArray DokumentOczekujacych(const std::vector<ZapisCwiczenia>& zapisy, const std::vector<ZmianaDziecka>& zmiany)
{
    QJsonArray cwiczenia;
    for (const ZapisCwiczenia& z : zapisy) {
        QJsonArray pytania;
        for (const PytanieCwiczenia& p : z.pytania)
            pytania.append(QJsonArray{p.liczba1, p.liczba2, QString::fromStdString(p.odpowiedz), p.dobrze, p.czasMs});
        cwiczenia.append(QJsonObject{{QStringLiteral("koniec"), double(z.koniecMs)},
                                     {QStringLiteral("dzialanie"), z.dzialanie},
                                     {QStringLiteral("pytan"), z.iloscPytan},
                                     {QStringLiteral("tempo"), z.predkosc},
                                     {QStringLiteral("lektor"), z.lektor},
                                     {QStringLiteral("dobrze"), z.dobrze},
                                     {QStringLiteral("zle"), z.zle},
                                     {QStringLiteral("ocena"), z.ocena},
                                     {QStringLiteral("dziecko"), QString::number(z.dziecko)},
                                     {QStringLiteral("losowanie"), z.losowanie},
                                     {QStringLiteral("pytania"), pytania}});
    }
    QJsonArray dzieci;
    for (const ZmianaDziecka& z : zmiany) {
        const Ustawienia& u = z.ustawienia;
        dzieci.append(QJsonObject{{QStringLiteral("rodzaj"), static_cast<int>(z.rodzaj)},
                                  {QStringLiteral("id"), QString::number(z.id)},
                                  {QStringLiteral("imie"), z.imie},
                                  {QStringLiteral("kiedy"), double(z.kiedyMs)},
                                  {QStringLiteral("ustawienia"),
                                   QJsonArray{u.Dzialanie, u.IloscPytan, u.Predkosc, u.Lektor, static_cast<int>(u.Tryb),
                                              u.Tabliczki}}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("cwiczenia"), cwiczenia}, {QStringLiteral("dzieci"), dzieci}})
        .toJson(QJsonDocument::Compact);
}

bool ZapiszCaly(const QString& sciezka, const QByteArray& dane)
{
    // Every write and the flush to the disk checked (a buffered write that
    // failed on a full disk must not pass for a written file), then renamed
    // into place: a whole file or none.
    const QByteArray tymczasowy = nazwa(sciezka + QStringLiteral(".tmp"));
    const int fd = ::open(tymczasowy.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool dobrze = true;
    for (qsizetype zapisane = 0; dobrze && zapisane < dane.size();) {
        const ssize_t n = ::write(fd, dane.constData() + zapisane, static_cast<std::size_t>(dane.size() - zapisane));
        if (n > 0) zapisane += n;
        else dobrze = n < 0 && errno == EINTR;
    }
    dobrze = dobrze && ::fsync(fd) == 0;
    dobrze = ::close(fd) == 0 && dobrze;
    dobrze = dobrze && ::rename(tymczasowy.constData(), nazwa(sciezka).constData()) == 0;
    if (!dobrze) ::unlink(tymczasowy.constData());
    return dobrze;
}

bool ZapiszOczekujace(const QString& plik, const std::vector<ZapisCwiczenia>& zapisy,
                      const std::vector<ZmianaDziecka>& zmiany)
{
    const QString sciezka = QStringLiteral("%1.oczekujace-%2-%3").arg(plik).arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch());
    return ZapiszCaly(sciezka, DokumentOczekujacych(zapisy, zmiany));
}

bool CzytajDokumentOczekujacych(const QByteArray& dane, Oczekujace& o)
{
    QJsonParseError blad{};
    const QJsonDocument dok = QJsonDocument::fromJson(dane, &blad);
    if (!dok.isObject()) return false;
    for (const QJsonValue& v : dok.object().value(QStringLiteral("cwiczenia")).toArray()) {
        const QJsonObject c = v.toObject();
        ZapisCwiczenia z;
        z.koniecMs = static_cast<std::int64_t>(c.value(QStringLiteral("koniec")).toDouble());
        const int dzialanie = c.value(QStringLiteral("dzialanie")).toInt(-1), ocena = c.value(QStringLiteral("ocena")).toInt();
        if (dzialanie < 0 || dzialanie > 3 || ocena < 1 || ocena > 6 || z.koniecMs <= 0) continue;
        z.dzialanie = static_cast<std::uint8_t>(dzialanie);
        z.ocena = static_cast<std::uint8_t>(ocena);
        z.iloscPytan = c.value(QStringLiteral("pytan")).toInt();
        z.predkosc = c.value(QStringLiteral("tempo")).toInt();
        z.lektor = c.value(QStringLiteral("lektor")).toBool();
        z.dobrze = c.value(QStringLiteral("dobrze")).toInt();
        z.zle = c.value(QStringLiteral("zle")).toInt();
        z.dziecko = c.value(QStringLiteral("dziecko")).toString().toLongLong();
        z.losowanie = static_cast<std::uint8_t>(c.value(QStringLiteral("losowanie")).toInt() == 1);
        // A question the drill could never have asked makes the drill
        // another program's: it is skipped whole.
        bool mozliwe = true;
        for (const QJsonValue& pv : c.value(QStringLiteral("pytania")).toArray()) {
            const QJsonArray p = pv.toArray();
            const double l1 = p.at(0).toDouble(), l2 = p.at(1).toDouble();
            mozliwe = mozliwe && l1 == std::trunc(l1) && l2 == std::trunc(l2) && std::abs(l1) < 1e9 &&
                      std::abs(l2) < 1e9 && PytanieMozliwe(dzialanie, std::int64_t(l1), std::int64_t(l2));
            z.pytania.push_back({p.at(0).toInt(), p.at(1).toInt(), p.at(2).toString().toStdString(), p.at(3).toBool(),
                                 p.at(4).toInt()});
        }
        if (mozliwe) o.zapisy.push_back(std::move(z));
    }
    for (const QJsonValue& v : dok.object().value(QStringLiteral("dzieci")).toArray()) {
        const QJsonObject c = v.toObject();
        const int rodzaj = c.value(QStringLiteral("rodzaj")).toInt(-1);
        ZmianaDziecka z;
        z.id = c.value(QStringLiteral("id")).toString().toLongLong();
        if (rodzaj < 0 || rodzaj > static_cast<int>(ZmianaDziecka::Rodzaj::UsunZWynikami) || z.id <= 0) continue;
        z.rodzaj = static_cast<ZmianaDziecka::Rodzaj>(rodzaj);
        z.imie = UporzadkujImie(c.value(QStringLiteral("imie")).toString()).left(kMaksDlugoscImienia);
        if (z.rodzaj == ZmianaDziecka::Rodzaj::Imie && z.imie.isEmpty()) continue;
        z.kiedyMs = static_cast<std::int64_t>(c.value(QStringLiteral("kiedy")).toDouble());
        const QJsonArray u = c.value(QStringLiteral("ustawienia")).toArray();
        if (u.size() == 6) {
            z.ustawienia.Dzialanie = static_cast<std::uint8_t>(std::clamp(u.at(0).toInt(), 0, 3));
            if (const int v = u.at(1).toInt(); v == 10 || v == 30 || v == 70 || v == 100) z.ustawienia.IloscPytan = v;
            if (const int v = u.at(2).toInt(); NazwaPredkosci(v)) z.ustawienia.Predkosc = v;
            z.ustawienia.Lektor = u.at(3).toBool();
            z.ustawienia.Tryb = u.at(4).toInt() == 1 ? Losowanie::TrudneFakty : Losowanie::Losowe;
            if (const int v = u.at(5).toInt(); (v & WszystkieTabliczki) && !(v & ~int{WszystkieTabliczki}))
                z.ustawienia.Tabliczki = static_cast<std::uint16_t>(v);
        }
        o.zmiany.push_back(std::move(z));
    }
    return true;
}

std::vector<Oczekujace> CzytajOczekujace(const QString& plik)
{
    std::vector<Oczekujace> wynik;
    for (const QString& sciezka : pasujace(plik, QStringLiteral("oczekujace-"), 2)) {
        QFile f(sciezka);
        Oczekujace o;
        o.sciezka = sciezka;
        o.nieczytelny = !(f.open(QIODevice::ReadOnly) && f.size() < (64 << 20) && CzytajDokumentOczekujacych(f.readAll(), o));
        wynik.push_back(std::move(o));
    }
    // The reserves of copies that are gone: what the last one wrote, or
    // nothing (an empty reserve is removed).
    for (const QString& sciezka : pasujace(plik, QStringLiteral("zapas-"), 2)) {
        const auto dane = CzytajZapas(sciezka);
        if (!dane) continue; // its copy still runs
        Oczekujace o;
        o.sciezka = sciezka;
        if (dane->isEmpty()) {
            QFile::remove(sciezka);
            continue;
        }
        o.nieczytelny = !CzytajDokumentOczekujacych(*dane, o);
        wynik.push_back(std::move(o));
    }
    for (const Oczekujace& o : wynik)
        if (o.nieczytelny)
            std::fprintf(stderr, "Zoltava mnożenia: cannot read the waiting drills in %s\n", qUtf8Printable(o.sciezka));
    return wynik;
}

bool MaOczekujace(const QString& plik)
{
    if (!pasujace(plik, QStringLiteral("oczekujace-"), 2).isEmpty()) return true;
    const QStringList zapasy = pasujace(plik, QStringLiteral("zapas-"), 2);
    return std::any_of(zapasy.begin(), zapasy.end(), [](const QString& z) { return !ZapasZajety(z); });
}

namespace {

bool plikDziennika(const QString& plik, const QString& sciezka)
{
    const QFileInfo dziennik(plik), cel(sciezka);
    const QString folderDziennika = QFileInfo(dziennik.absolutePath()).canonicalFilePath();
    const QString folderCelu = QFileInfo(cel.absolutePath()).canonicalFilePath();
    const QString n = dziennik.fileName(), c = cel.fileName();
    if (!folderDziennika.isEmpty() && folderDziennika == folderCelu &&
        (c == n || c.startsWith(n + QLatin1Char('-')) || c.startsWith(n + QLatin1Char('.'))))
        return true;
    // Another name for the same file (a link).
    struct stat s {};
    if (::stat(nazwa(sciezka).constData(), &s) != 0) return false;
    for (const char* dopisek : {"", "-wal", "-shm"}) {
        struct stat d {};
        if (::stat(nazwa(plik + QLatin1String(dopisek)).constData(), &d) == 0 && d.st_dev == s.st_dev && d.st_ino == s.st_ino)
            return true;
    }
    return false;
}

} // namespace

QString OdmowaEksportu(const QString& plik, const QString& cel)
{
    return plikDziennika(plik, cel) ? QStringLiteral("to jest plik z wynikami programu") : QString();
}

std::optional<TozsamoscPliku> Tozsamosc(const QString& plik, TozsamoscPliku domyslna)
{
    struct stat s {};
    if (::stat(QFile::encodeName(plik).constData(), &s) == 0) return TozsamoscPliku{s.st_dev, s.st_ino};
    if (errno == ENOENT) return std::nullopt;
    return domyslna;
}

} // namespace zm
