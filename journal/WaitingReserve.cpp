#include "WaitingReserve.h"

#include "JournalFiles.h"

#include <QDateTime>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zm {

namespace {

// A record: the mark, its number (the newer counts), the length of what
// follows and its checksum, then the spool's form of the waiting drills.
constexpr char kZnak[8] = {'Z', 'M', 'Z', 'A', 'P', 'A', 'S', '1'};
constexpr std::size_t kNaglowek = 24;

std::uint32_t sumaKontrolna(const char* dane, std::size_t dlugosc)
{
    std::uint32_t h = 2166136261u; // FNV-1a
    for (std::size_t i = 0; i < dlugosc; ++i) h = (h ^ static_cast<unsigned char>(dane[i])) * 16777619u;
    return h;
}

bool piszCalosc(int fd, const char* dane, std::size_t dlugosc, off_t gdzie)
{
    while (dlugosc > 0) {
        const ssize_t n = ::pwrite(fd, dane, dlugosc, gdzie);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        dane += n;
        dlugosc -= static_cast<std::size_t>(n);
        gdzie += n;
    }
    return true;
}

} // namespace

bool ZapasOczekujacych::Zaloz(const QString& plik)
{
    if (fd_ >= 0) return true;
    const QString sciezka =
        QStringLiteral("%1.zapas-%2-%3").arg(plik).arg(::getpid()).arg(QDateTime::currentMSecsSinceEpoch());
    const QByteArray nazwa = QFile::encodeName(sciezka);
    const int fd = ::open(nazwa.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    // Every block allocated now, while there is room (where the file system
    // cannot allocate ahead, by writing the zeros).
    int e = ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? ::posix_fallocate(fd, 0, rozmiar_) : errno;
    if (e == EOPNOTSUPP || e == EINVAL) {
        const QByteArray zera(64 * 1024, '\0');
        e = 0;
        for (std::int64_t gdzie = 0; e == 0 && gdzie < rozmiar_; gdzie += zera.size())
            if (!piszCalosc(fd, zera.constData(), static_cast<std::size_t>(std::min<std::int64_t>(zera.size(), rozmiar_ - gdzie)),
                            static_cast<off_t>(gdzie)))
                e = errno ? errno : EIO;
    }
    if (e == 0 && ::fsync(fd) != 0) e = errno;
    if (e != 0) {
        std::fprintf(stderr, "Zoltava mnożenia: no reserve for waiting drills (%s)\n", std::strerror(e));
        ::unlink(nazwa.constData());
        ::close(fd);
        return false;
    }
    fd_ = fd;
    sciezka_ = sciezka;
    numer_ = 0;
    pusty_ = true;
    return true;
}

bool ZapasOczekujacych::zapiszRekord(const QByteArray& dane)
{
    const std::size_t polowa = static_cast<std::size_t>(rozmiar_ / 2);
    if (fd_ < 0 || kNaglowek + static_cast<std::size_t>(dane.size()) > polowa) return false;
    const std::uint64_t numer = numer_ + 1;
    QByteArray rekord(kNaglowek, '\0');
    const auto dlugosc = static_cast<std::uint32_t>(dane.size());
    const std::uint32_t suma = sumaKontrolna(dane.constData(), dane.size());
    std::memcpy(rekord.data(), kZnak, 8);
    std::memcpy(rekord.data() + 8, &numer, 8);
    std::memcpy(rekord.data() + 16, &dlugosc, 4);
    std::memcpy(rekord.data() + 20, &suma, 4);
    rekord += dane;
    // Into the half the newer record is not in.
    if (!piszCalosc(fd_, rekord.constData(), static_cast<std::size_t>(rekord.size()), static_cast<off_t>((numer % 2) * polowa)) ||
        ::fdatasync(fd_) != 0)
        return false;
    numer_ = numer;
    return true;
}

std::optional<std::size_t> ZapasOczekujacych::Zapisz(const std::vector<ZapisCwiczenia>& zapisy,
                                                     const std::vector<ZmianaDziecka>& zmiany)
{
    if (fd_ < 0) return std::nullopt;
    // As many drills as the half takes, the oldest first.
    const std::size_t miejsce = static_cast<std::size_t>(rozmiar_ / 2) - kNaglowek;
    std::size_t ile = zapisy.size();
    QByteArray dane = DokumentOczekujacych(zapisy, zmiany);
    while (static_cast<std::size_t>(dane.size()) > miejsce && ile > 0) {
        // Each drill takes about the same room: guess how many fit, then
        // one fewer at a time.
        const std::size_t zgadniete = ile * miejsce / static_cast<std::size_t>(dane.size());
        ile = std::min(ile - 1, zgadniete);
        dane = DokumentOczekujacych({zapisy.begin(), zapisy.begin() + static_cast<std::ptrdiff_t>(ile)}, zmiany);
    }
    if (!zapiszRekord(dane)) return std::nullopt;
    pusty_ = zapisy.empty() && zmiany.empty();
    return ile;
}

void ZapasOczekujacych::Oproznij()
{
    if (fd_ < 0 || pusty_) return;
    if (zapiszRekord(QByteArray())) pusty_ = true;
}

void ZapasOczekujacych::Zamknij()
{
    if (fd_ < 0) return;
    if (pusty_) ::unlink(QFile::encodeName(sciezka_).constData());
    ::close(fd_); // lets the lock go
    fd_ = -1;
}

std::optional<QByteArray> CzytajZapas(const QString& sciezka)
{
    const int fd = ::open(QFile::encodeName(sciezka).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return QByteArray();
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd);
        return std::nullopt;
    }
    struct stat s {};
    QByteArray wynik;
    std::uint64_t najnowszy = 0;
    if (::fstat(fd, &s) == 0 && S_ISREG(s.st_mode) && s.st_size <= (64 << 20)) {
        const std::size_t polowa = static_cast<std::size_t>(s.st_size / 2);
        for (int i = 0; i < 2; ++i) {
            char naglowek[kNaglowek];
            const off_t poczatek = static_cast<off_t>(i * polowa);
            if (polowa < kNaglowek || ::pread(fd, naglowek, kNaglowek, poczatek) != static_cast<ssize_t>(kNaglowek) ||
                std::memcmp(naglowek, kZnak, 8) != 0)
                continue;
            std::uint64_t numer = 0;
            std::uint32_t dlugosc = 0, suma = 0;
            std::memcpy(&numer, naglowek + 8, 8);
            std::memcpy(&dlugosc, naglowek + 16, 4);
            std::memcpy(&suma, naglowek + 20, 4);
            if (numer <= najnowszy || dlugosc > polowa - kNaglowek) continue;
            QByteArray dane(static_cast<qsizetype>(dlugosc), '\0');
            if (::pread(fd, dane.data(), dlugosc, poczatek + static_cast<off_t>(kNaglowek)) != static_cast<ssize_t>(dlugosc) ||
                sumaKontrolna(dane.constData(), dlugosc) != suma)
                continue;
            najnowszy = numer;
            wynik = dane;
        }
    }
    ::close(fd);
    return wynik;
}

bool ZapasZajety(const QString& sciezka)
{
    const int fd = ::open(QFile::encodeName(sciezka).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool zajety = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    ::close(fd);
    return zajety;
}

} // namespace zm
