#include "JournalWorker.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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


void DziennikBledow(const char* format, const QString& a, const QString& b)
{
    std::fprintf(stderr, format, qUtf8Printable(a), qUtf8Printable(b));
}

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
    DziennikBledow("Zoltava mnożenia: %s (%s)\n", tekst, opis);
    std::lock_guard l(m);
    if (zglos) zglos(blad, tekst, blad == BladBazy::Uszkodzona || blad == BladBazy::Podmieniona, false);
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

} // namespace zm
