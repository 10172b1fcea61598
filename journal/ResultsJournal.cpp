#include "ResultsJournal.h"

#include "JournalWorker.h"

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
} // namespace

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
