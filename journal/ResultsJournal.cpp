#include "ResultsJournal.h"

#include "JournalFiles.h"
#include "ResultsCsv.h"
#include "WaitingReserve.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <future>
#include <mutex>
#include <pthread.h>
#include <sys/stat.h>
#include <unordered_set>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zm {

namespace {

using Zegar = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long a check of the whole file may take before the drills go in
// without it (the next start checks again).
constexpr auto kCzasSprawdzania = 20s;
// A file is checked at least this often even without another reason.
constexpr std::int64_t kSprawdzajCoMs = 30LL * 24 * 3600 * 1000;
// A lock held by another program is tried again after this long.
constexpr auto kPonowPoBlokadzie = 3s;
// A run sets files aside at most this often (a disk that damages every new
// file must not fill the folder).
constexpr int kNajwiecejOdlozen = 3;
// The connection is closed (and its memory given back) after this long
// without a drill; the next drill opens it again in a few milliseconds.
constexpr auto kZamknijPoBezczynnosci = 10s;

void dziennikBledow(const char* format, const QString& a, const QString& b = {})
{
    std::fprintf(stderr, format, qUtf8Printable(a), qUtf8Printable(b));
}

// Makes the folder and its parents; 0, or the errno of the first that
// cannot be made.
int zrobFolder(const QString& folder)
{
    QString droga;
    for (const QString& czesc : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        droga += QLatin1Char('/') + czesc;
        if (::mkdir(QFile::encodeName(droga).constData(), 0755) != 0 && errno != EEXIST) return errno;
    }
    struct stat s {};
    if (::stat(QFile::encodeName(folder).constData(), &s) != 0) return errno;
    return S_ISDIR(s.st_mode) ? 0 : ENOTDIR;
}

void oddajPamiec()
{
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

} // namespace

// Shared by the journal, its thread, and a signal's last resort; outlives
// the journal when its thread does not stop in time.
class PracownikDziennika {
public:
    PracownikDziennika(QString plik, QString wersja, std::int64_t zapas)
        : plik_(std::move(plik)), wersja_(std::move(wersja)), zapas_(zapas)
    {
    }

    struct Pozycja {
        std::uint64_t nr;
        ZapisCwiczenia zapis;
    };
    struct PozycjaZmiany {
        std::uint64_t nr;
        ZmianaDziecka zmiana;
    };

    // All of this under `m`.
    std::mutex m;
    std::condition_variable cv;
    std::deque<Pozycja> czekajace;
    std::deque<PozycjaZmiany> zmiany; // of the children, written before the drills
    QStringList schowki;            // spool files whose drills wait in `czekajace`
    std::uint64_t nastepny = 1;     // the next drill's number
    std::uint64_t obsluzone = 0;    // every drill up to this number was tried
    bool otwieraj = false;          // asked to open
    bool otwarcieProbowane = false;
    bool sprawdzaj = false;         // asked to check
    bool zajety = false;            // the thread is at work
    bool koniec = false;            // asked to end
    bool zakonczony = false;        // the thread has ended
    Zegar::time_point ponow = Zegar::time_point::max();
    Zegar::time_point terminKonca{};
    // Reports to the journal (unset once it is gone): the kind, the words,
    // whether the file was set aside or replaced, whether to tell it even
    // when the kind was told before.
    std::function<void(BladBazy, const QString&, bool, bool)> zglos;
    std::function<void()> zapisano;

    // The whole file is being checked: the grade's tick does not wait.
    std::atomic<bool> dlugaPraca{false};
    // Ends the running statement and any wait.
    std::atomic<bool> przerwij{false};

    void Praca();
    // Writes what waits to a spool file, replacing the spool files it came
    // from; true when nothing waits any more.
    bool DoSchowka();

private:
    // Opens the file; `leniwie` at start: only when it has to be checked
    // or drills from a spool wait, otherwise the first drill opens it.
    void otworz(bool sprawdzMimoTo, bool leniwie = false);
    void sprawdzTeraz();
    void zapisuj();
    bool odloz(QString opis);
    void powiadom(BladBazy blad, const QString& opis, const QString& odlozony = {});
    // What waits goes to the reserve; the user is told which drills it
    // cannot keep.
    void doZapasu(BladBazy blad);
    std::unique_ptr<BazaWynikow> polacz()
    {
        return std::make_unique<BazaWynikow>(plik_, BazaWynikow::Opcje{BazaWynikow::Tryb::Zapis, 2000ms, &przerwij});
    }

    // The thread's own.
    QString plik_, wersja_;
    std::unique_ptr<BazaWynikow> baza_;
    std::optional<TozsamoscPliku> tozsamosc_; // of the file opened last
    ZnakPracy znak_;
    bool rozpoczety_ = false;
    Zegar::time_point ostatniaPraca_{};
    int odlozenia_ = 0;
    bool sprawdzonyPoBledzie_ = false;
    std::set<std::uint64_t> niezachowane_; // drills the user was told are only in memory
    BladBazy przeszkoda_ = BladBazy::Inny; // the last problem told
    std::mutex schowek_;                   // the spool and the reserve
    ZapasOczekujacych zapas_;
};

void PracownikDziennika::Praca()
{
    pthread_setname_np(pthread_self(), "Dziennik");
    std::unique_lock l(m);
    auto praca = [this] {
        return koniec || sprawdzaj || (otwieraj && !otwarcieProbowane) ||
               (!czekajace.empty() && (czekajace.back().nr > obsluzone || Zegar::now() >= ponow)) ||
               (!zmiany.empty() && (zmiany.back().nr > obsluzone || Zegar::now() >= ponow));
    };
    for (;;) {
        const auto zamknij = baza_ ? ostatniaPraca_ + kZamknijPoBezczynnosci : Zegar::time_point::max();
        const auto budzik = std::min(ponow, zamknij);
        if (budzik == Zegar::time_point::max())
            cv.wait(l, praca);
        else
            cv.wait_until(l, budzik, praca);
        if (koniec) break;
        if (!praca()) {
            if (baza_ && Zegar::now() >= zamknij) {
                // Idle: the connection and what it holds go.
                l.unlock();
                baza_.reset();
                oddajPamiec();
                l.lock();
            }
            continue;
        }
        zajety = true;
        const bool sprawdz = std::exchange(sprawdzaj, false);
        otwarcieProbowane = true;
        ponow = Zegar::time_point::max();
        l.unlock();
        if (!rozpoczety_) {
            rozpoczety_ = true;
            otworz(sprawdz, true);
        } else if (sprawdz) {
            sprawdzTeraz();
        }
        zapisuj();
        ostatniaPraca_ = Zegar::now();
        l.lock();
        zajety = false;
        cv.notify_all();
    }
    // The last try, bounded by the end's time; what it cannot write goes
    // to the spool (Zamknij).
    zajety = true;
    const bool cosCzeka = !czekajace.empty() || !zmiany.empty();
    l.unlock();
    przerwij = false;
    if (baza_ && cosCzeka) {
        baza_->UstawTermin(terminKonca);
        zapisuj();
    }
    baza_.reset();
    znak_.Zdejmij();
    oddajPamiec();
    l.lock();
    zakonczony = true;
    cv.notify_all();
}

void PracownikDziennika::powiadom(BladBazy blad, const QString& opis, const QString& odlozony)
{
    const QString tekst = DziennikWynikow::Opis(blad, plik_, odlozony);
    przeszkoda_ = blad;
    // The log gets every one; the user each kind once.
    dziennikBledow("Zoltava mnożenia: %s (%s)\n", tekst, opis);
    std::lock_guard l(m);
    if (zglos) zglos(blad, tekst, blad == BladBazy::Uszkodzona || blad == BladBazy::Podmieniona, false);
}

void PracownikDziennika::doZapasu(BladBazy blad)
{
    std::vector<ZapisCwiczenia> zapisy;
    std::vector<std::uint64_t> numery;
    std::vector<ZmianaDziecka> zmianyDzieci;
    {
        std::lock_guard l(m);
        for (const Pozycja& p : czekajace) {
            zapisy.push_back(p.zapis);
            numery.push_back(p.nr);
        }
        for (const PozycjaZmiany& p : zmiany) zmianyDzieci.push_back(p.zmiana);
    }
    std::optional<std::size_t> zachowane;
    {
        std::lock_guard s(schowek_);
        if (!zapas_.Jest()) zapas_.Zaloz(plik_);
        zachowane = zapas_.Zapisz(zapisy, zmianyDzieci);
    }
    QStringList nowe;
    for (std::size_t i = zachowane.value_or(0); i < zapisy.size(); ++i) {
        if (!niezachowane_.insert(numery[i]).second) continue;
        const ZapisCwiczenia& z = zapisy[i];
        nowe << QStringLiteral("%1 %2 (ocena %3)").arg(DataCwiczenia(z.koniecMs), NazwaDzialania(z.dzialanie)).arg(z.ocena);
    }
    if (nowe.isEmpty()) return;
    const QString tekst = DziennikWynikow::Niezachowane(blad, plik_, nowe);
    dziennikBledow("Zoltava mnożenia: %s%s\n", tekst);
    std::lock_guard l(m);
    if (zglos) zglos(blad, tekst, false, true);
}

void PracownikDziennika::otworz(bool sprawdzMimoTo, bool leniwie)
{
    struct Koniec {
        std::atomic<bool>& dluga;
        ~Koniec() { dluga = false; }
    } koniecDlugiejPracy{dlugaPraca};
    baza_.reset();
    const QString folder = QFileInfo(plik_).absolutePath();
    if (const int e = zrobFolder(folder)) {
        powiadom(e == EROFS ? BladBazy::SystemTylkoDoOdczytu
                 : e == EDQUOT ? BladBazy::Przydzial
                 : e == ENOSPC ? BladBazy::Pelny
                               : BladBazy::Folder,
                 QString::fromLocal8Bit(std::strerror(e)));
        return;
    }
    // The room for drills that cannot be written is taken while there is
    // some.
    {
        std::lock_guard s(schowek_);
        zapas_.Zaloz(plik_);
    }
    // One copy of the program at a time opens, checks and sets aside (two
    // copies starting on a damaged file set it aside once). A folder where
    // the lock cannot be made cannot take the journal either: the opening
    // below says why.
    BlokadaDziennika blokada(plik_);
    const bool zablokowana = blokada.Zajmij(przerwij, 10s);
    if (przerwij) return;
    // The whole file is read only when there is a reason to: it may have
    // been left half-written, or a new version of the program (or SQLite)
    // reads it, or it was not checked for a month, or SQLite has reported
    // an error. A damaged file is thus found before anything is added.
    const BlokadaDziennika::Stan stan = zablokowana ? blokada.Czytaj() : BlokadaDziennika::Stan{};
    const QStringList porzucone = zablokowana ? ZnakPracy::Porzucone(plik_) : QStringList{};
    const std::int64_t teraz = QDateTime::currentMSecsSinceEpoch();
    const char* powod = !porzucone.isEmpty()                        ? "the last run did not end cleanly"
                        : stan.wersja != wersja_                    ? "a new version of the program"
                        : teraz - stan.sprawdzonoMs > kSprawdzajCoMs ? "a month since the last check"
                        : sprawdzMimoTo                             ? "an error from SQLite"
                                                                    : nullptr;
    if (!znak_.Postawiony()) znak_.Postaw(plik_);
    // At start a file without a reason to be checked and without drills
    // waiting for it is left shut until the first drill.
    if (leniwie && !powod && !MaOczekujace(plik_)) return;
    const bool nowy = !QFile::exists(plik_);
    dlugaPraca = powod && !nowy;
    baza_ = polacz();
    if (baza_->Otwarcie().blad == BladBazy::Uszkodzona) {
        if (!odloz(baza_->Otwarcie().opis)) return;
        baza_ = polacz();
    }
    if (!baza_->Otwarcie()) {
        powiadom(baza_->Otwarcie().blad, baza_->Otwarcie().opis);
        if (baza_->Otwarcie().blad == BladBazy::Zablokowana) {
            std::lock_guard l(m);
            ponow = Zegar::now() + kPonowPoBlokadzie;
        }
        baza_.reset();
        return;
    }
    bool sprawdzony = nowy;
    if (!nowy && powod) {
        const auto t0 = Zegar::now();
        const WynikSprawdzenia w = baza_->Sprawdz(t0 + kCzasSprawdzania);
        std::fprintf(stderr, "Zoltava mnożenia: %s checked (%s) in %.0f ms: %s\n", qUtf8Printable(plik_), powod,
                     std::chrono::duration<double, std::milli>(Zegar::now() - t0).count(),
                     w.stan == WynikSprawdzenia::Stan::Dobra        ? "sound"
                     : w.stan == WynikSprawdzenia::Stan::Uszkodzona ? "damaged"
                     : w.stan == WynikSprawdzenia::Stan::Przerwana  ? "not finished"
                                                                    : "failed");
        if (w.zleWiersze > 0)
            std::fprintf(stderr, "Zoltava mnożenia: %d rows break the schema's rules and are skipped\n", w.zleWiersze);
        if (w.stan == WynikSprawdzenia::Stan::Uszkodzona) {
            if (!odloz(w.opis)) return;
            baza_ = polacz();
            if (!baza_->Otwarcie()) {
                powiadom(baza_->Otwarcie().blad, baza_->Otwarcie().opis);
                baza_.reset();
                return;
            }
        }
        sprawdzony = w.stan == WynikSprawdzenia::Stan::Dobra || w.stan == WynikSprawdzenia::Stan::Uszkodzona;
    }
    if (sprawdzony && zablokowana) {
        blokada.Zapisz({wersja_, teraz});
        for (const QString& znak : porzucone) QFile::remove(znak);
    }
    tozsamosc_ = Tozsamosc(plik_);
    baza_->ZwolnijPamiec();
    oddajPamiec();
    // Drills a previous run could not write go first.
    std::vector<Oczekujace> schowki = CzytajOczekujace(plik_);
    for (const Oczekujace& o : schowki) {
        if (!o.nieczytelny) continue;
        const QString tekst = QStringLiteral("Nie można odczytać wyników, które czekały na zapis w pliku %1. "
                                             "Plik zostaje na miejscu.")
                                  .arg(QDir::toNativeSeparators(o.sciezka));
        std::lock_guard l(m);
        if (zglos) zglos(BladBazy::Nieczytelna, tekst, false, true);
    }
    std::lock_guard l(m);
    for (auto it = schowki.rbegin(); it != schowki.rend(); ++it) {
        if (it->nieczytelny || this->schowki.contains(it->sciezka)) continue;
        this->schowki << it->sciezka;
        for (auto z = it->zapisy.rbegin(); z != it->zapisy.rend(); ++z) czekajace.push_front({nastepny++, std::move(*z)});
        for (auto z = it->zmiany.rbegin(); z != it->zmiany.rend(); ++z) zmiany.push_front({nastepny++, std::move(*z)});
    }
}

void PracownikDziennika::sprawdzTeraz()
{
    baza_.reset();
    otworz(true);
}

bool PracownikDziennika::odloz(QString opis)
{
    // `opis` is a copy: the caller's words may belong to the connection
    // that goes here.
    baza_.reset();
    const auto nowaNazwa = odlozenia_ < kNajwiecejOdlozen ? BazaWynikow::Odloz(plik_, QStringLiteral("uszkodzony"))
                                                          : std::nullopt;
    if (!nowaNazwa) {
        powiadom(BladBazy::Nieczytelna, opis);
        return false;
    }
    ++odlozenia_;
    powiadom(BladBazy::Uszkodzona, opis, *nowaNazwa);
    return true;
}

void PracownikDziennika::zapisuj()
{
    std::vector<ZapisCwiczenia> paczka;
    std::vector<ZmianaDziecka> zmianyDzieci;
    std::unordered_set<std::uint64_t> numery;
    std::uint64_t doNumeru = 0;
    {
        std::lock_guard l(m);
        for (const Pozycja& p : czekajace) {
            paczka.push_back(p.zapis);
            numery.insert(p.nr);
            doNumeru = std::max(doNumeru, p.nr);
        }
        for (const PozycjaZmiany& p : zmiany) {
            zmianyDzieci.push_back(p.zmiana);
            numery.insert(p.nr);
            doNumeru = std::max(doNumeru, p.nr);
        }
    }
    if (paczka.empty() && zmianyDzieci.empty()) return;
    WynikBazy w{BladBazy::Inny, {}};
    // The file deleted or replaced since it was opened: the drills would go
    // into a file nobody will see again. Start anew at the path; an old log
    // without its file is set aside.
    if (tozsamosc_) {
        const auto teraz = Tozsamosc(plik_, *tozsamosc_);
        if (teraz != tozsamosc_) {
            baza_.reset();
            tozsamosc_.reset();
            if (!teraz) BazaWynikow::Odloz(plik_, QStringLiteral("usuniety"));
            powiadom(BladBazy::Podmieniona, QStringLiteral("the file changed under the program"));
        }
    }
    if (!baza_) otworz(false);
    if (baza_) {
        w = baza_->Zapisz(zmianyDzieci, paczka);
        if (w.blad == BladBazy::Uszkodzona && odloz(w.opis)) {
            otworz(false);
            if (baza_) w = baza_->Zapisz(zmianyDzieci, paczka);
        }
    }
    {
        std::lock_guard l(m);
        obsluzone = std::max(obsluzone, doNumeru);
        if (w) {
            std::erase_if(czekajace, [&](const Pozycja& p) { return numery.contains(p.nr); });
            std::erase_if(zmiany, [&](const PozycjaZmiany& p) { return numery.contains(p.nr); });
            if (czekajace.empty() && zmiany.empty()) {
                for (const QString& s : schowki) QFile::remove(s);
                schowki.clear();
                niezachowane_.clear();
            }
        } else if (w.blad == BladBazy::Zablokowana) {
            // A lock passes: try again soon. Other problems are tried again
            // with the next drill and at the end.
            ponow = Zegar::now() + kPonowPoBlokadzie;
        } else if (w.blad == BladBazy::Inny && baza_ && !sprawdzonyPoBledzie_) {
            // An error SQLite cannot name may be damage: the file is
            // checked, once a run.
            sprawdzonyPoBledzie_ = true;
            sprawdzaj = true;
        }
        if (w && zapisano) zapisano();
        cv.notify_all();
    }
    if (!w && baza_) powiadom(w.blad, w.opis);
    if (!w) {
        // Without a connection, what kept the file from opening.
        doZapasu(baza_ ? w.blad : przeszkoda_);
    } else {
        std::lock_guard s(schowek_);
        std::lock_guard l(m);
        if (czekajace.empty() && zmiany.empty()) zapas_.Oproznij();
    }
}

bool PracownikDziennika::DoSchowka()
{
    std::lock_guard s(schowek_);
    std::vector<ZapisCwiczenia> zapisy;
    std::vector<ZmianaDziecka> zmianyDzieci;
    QStringList stare;
    {
        std::lock_guard l(m);
        for (const Pozycja& p : czekajace) zapisy.push_back(p.zapis);
        for (const PozycjaZmiany& p : zmiany) zmianyDzieci.push_back(p.zmiana);
        stare = schowki;
    }
    if (zapisy.empty() && zmianyDzieci.empty()) {
        zapas_.Oproznij();
        zapas_.Zamknij();
        return true;
    }
    // A spool file of its own; on a full disk, the reserve (left for the
    // next start).
    if (ZapiszOczekujace(plik_, zapisy, zmianyDzieci)) {
        zapas_.Oproznij();
        zapas_.Zamknij();
    } else {
        const std::size_t zachowane = zapas_.Zapisz(zapisy, zmianyDzieci).value_or(0);
        zapas_.Zamknij();
        if (zachowane < zapisy.size()) {
            dziennikBledow("Zoltava mnożenia: %s: %s\n", plik_,
                           QStringLiteral("%1 drills could not be saved and are lost").arg(zapisy.size() - zachowane));
            return false;
        }
    }
    for (const QString& p : stare) QFile::remove(p);
    std::lock_guard l(m);
    czekajace.clear();
    zmiany.clear();
    schowki.clear();
    cv.notify_all();
    return true;
}

QString DziennikWynikow::DomyslnyPlik()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/wyniki.sqlite");
}

QString DziennikWynikow::Przyczyna(BladBazy blad, const QString& plik)
{
    const QString folder = QDir::toNativeSeparators(QFileInfo(plik).absolutePath());
    const QString nazwa = QDir::toNativeSeparators(plik);
    switch (blad) {
    case BladBazy::Brak: return {};
    case BladBazy::Folder: return QStringLiteral("nie można utworzyć folderu %1").arg(folder);
    case BladBazy::TylkoOdczyt: return QStringLiteral("nie można pisać w %1").arg(nazwa);
    case BladBazy::SystemTylkoDoOdczytu: return QStringLiteral("dysk z folderem %1 jest tylko do odczytu").arg(folder);
    case BladBazy::Zablokowana: return QStringLiteral("plik %1 jest zajęty przez inny program").arg(nazwa);
    case BladBazy::Pelny: return QStringLiteral("na dysku brakuje miejsca");
    case BladBazy::Przydzial: return QStringLiteral("wyczerpał się przydział miejsca na dysku dla tego użytkownika");
    case BladBazy::Uszkodzona: return QStringLiteral("plik %1 jest uszkodzony").arg(nazwa);
    case BladBazy::Nowsza: return QStringLiteral("plik %1 pochodzi z nowszej wersji programu").arg(nazwa);
    case BladBazy::Nieczytelna: return QStringLiteral("nie można odczytać pliku %1").arg(nazwa);
    case BladBazy::Podmieniona: return QStringLiteral("plik %1 został usunięty albo podmieniony").arg(nazwa);
    case BladBazy::Inny: return QStringLiteral("błąd pliku %1").arg(nazwa);
    }
    return {};
}

QString DziennikWynikow::Opis(BladBazy blad, const QString& plik, const QString& odlozony)
{
    switch (blad) {
    case BladBazy::Brak: return {};
    case BladBazy::Uszkodzona:
        return QStringLiteral("Plik z wynikami był uszkodzony. Odłożono go jako %1, a nowe wyniki "
                              "zapisują się w nowym pliku.")
            .arg(QDir::toNativeSeparators(odlozony));
    case BladBazy::Podmieniona:
        return QStringLiteral("Plik z wynikami %1 został usunięty albo podmieniony w czasie pracy programu. "
                              "Nowe wyniki zapisują się w nowym pliku w tym samym miejscu.")
            .arg(QDir::toNativeSeparators(plik));
    default:
        return QStringLiteral("Wyników nie można zapisać: %1. Ćwiczenia działają dalej; "
                              "program spróbuje zapisać je później.")
            .arg(Przyczyna(blad, plik));
    }
}

QString DziennikWynikow::Niezachowane(BladBazy blad, const QString& plik, const QStringList& cwiczenia)
{
    return QStringLiteral("Wyniki tych ćwiczeń są tylko w pamięci, bo %1: %2. Przepadną przy zamknięciu programu, "
                          "jeśli do tego czasu nie uda się ich zapisać.")
        .arg(Przyczyna(blad, plik), cwiczenia.join(QStringLiteral(", ")));
}

DziennikWynikow::DziennikWynikow(const QString& plik, QObject* rodzic, std::chrono::milliseconds czekanieNaZapis,
                                 std::int64_t zapasBajtow)
    : QObject(rodzic), plik_(plik), czekanie_(czekanieNaZapis),
      pracownik_(std::make_shared<PracownikDziennika>(plik, QCoreApplication::applicationVersion(), zapasBajtow))
{
    pracownik_->zglos = [this](BladBazy blad, const QString& tekst, bool zmianaPliku, bool zawsze) {
        QMetaObject::invokeMethod(this, [this, blad, tekst, zmianaPliku, zawsze] { zglos(blad, tekst, zmianaPliku, zawsze); },
                                  Qt::QueuedConnection);
    };
    pracownik_->zapisano = [this] { QMetaObject::invokeMethod(this, &DziennikWynikow::Zapisano, Qt::QueuedConnection); };
}

DziennikWynikow::~DziennikWynikow()
{
    if (!zamkniety_) Zamknij();
}

void DziennikWynikow::zglos(BladBazy blad, const QString& tekst, bool zmianaPliku, bool zawsze)
{
    if (zmianaPliku) {
        zmiany_ << tekst;
        emit ZmianaPliku(tekst);
    }
    if (zgloszone_.insert(blad).second || zawsze) emit Problem(tekst);
}

void DziennikWynikow::uruchom()
{
    if (zamkniety_) return;
    {
        std::lock_guard l(pracownik_->m);
        pracownik_->otwieraj = true;
    }
    if (!watek_.joinable()) watek_ = std::thread([p = pracownik_] { p->Praca(); });
    pracownik_->cv.notify_all();
}

void DziennikWynikow::Otworz() { uruchom(); }

void DziennikWynikow::SprawdzPlik()
{
    {
        std::lock_guard l(pracownik_->m);
        pracownik_->sprawdzaj = true;
    }
    uruchom();
}

void DziennikWynikow::Zapisz(const ZapisCwiczenia& zapis)
{
    PracownikDziennika& p = *pracownik_;
    std::uint64_t nr = 0;
    bool czekaj = false;
    {
        std::lock_guard l(p.m);
        nr = p.nastepny++;
        p.czekajace.push_back({nr, zapis});
        // Committed within the tick, unless the whole file is being checked.
        czekaj = !p.dlugaPraca;
    }
    if (zamkniety_) {
        p.DoSchowka();
        return;
    }
    uruchom();
    if (!czekaj) return;
    std::unique_lock l(p.m);
    p.cv.wait_for(l, czekanie_, [&] { return p.obsluzone >= nr; });
}

void DziennikWynikow::ZmienDziecko(const ZmianaDziecka& zmiana)
{
    PracownikDziennika& p = *pracownik_;
    {
        std::lock_guard l(p.m);
        p.zmiany.push_back({p.nastepny++, zmiana});
    }
    if (zamkniety_) {
        p.DoSchowka();
        return;
    }
    uruchom();
}

bool DziennikWynikow::Dokoncz(std::chrono::milliseconds limit)
{
    uruchom();
    PracownikDziennika& p = *pracownik_;
    std::unique_lock l(p.m);
    const std::uint64_t ostatni = p.nastepny - 1;
    p.cv.wait_for(l, limit, [&] {
        return p.otwarcieProbowane && !p.zajety && !p.sprawdzaj && p.obsluzone >= ostatni;
    });
    return p.czekajace.empty() && p.zmiany.empty() && p.obsluzone >= ostatni;
}

bool DziennikWynikow::Zamknij(std::chrono::milliseconds limit)
{
    if (zamkniety_) return true;
    zamkniety_ = true;
    const auto t0 = Zegar::now();
    PracownikDziennika& p = *pracownik_;
    bool stoi = true;
    if (watek_.joinable()) {
        p.przerwij = true;
        {
            std::lock_guard l(p.m);
            p.koniec = true;
            p.terminKonca = t0 + limit / 2;
        }
        p.cv.notify_all();
        std::unique_lock l(p.m);
        stoi = p.cv.wait_until(l, t0 + limit * 3 / 4, [&] { return p.zakonczony; });
    }
    // What still waits goes to the spool, written on a thread of its own
    // so that a folder that does not answer cannot hold the end.
    {
        std::lock_guard l(p.m);
        p.zglos = nullptr;
        p.zapisano = nullptr;
    }
    auto gotowe = std::make_shared<std::promise<void>>();
    auto zrzut = gotowe->get_future();
    std::thread([p = pracownik_, gotowe] {
        p->DoSchowka();
        gotowe->set_value();
    }).detach();
    zrzut.wait_until(t0 + limit);
    if (stoi && watek_.joinable()) watek_.join();
    if (!stoi) watek_.detach();
    return stoi;
}

std::function<void()> DziennikWynikow::Ratunek() const
{
    return [p = pracownik_] { p->DoSchowka(); };
}

} // namespace zm
