#include "ResultsReader.h"

#include "JournalFiles.h"
#include "ResultsCsv.h"
#include "ResultsJournal.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <pthread.h>
#include <thread>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zm {

// The reader's thread and what it shares with the reader; outlives the
// reader while a statement or a system call still runs.
class WatekCzytnika {
public:
    explicit WatekCzytnika(QString plik) : plik_(std::move(plik)) {}

    std::mutex m;
    std::condition_variable cv;
    std::deque<std::function<void(BazaWynikow*, WynikBazy&)>> zadania;
    bool koniec = false, zakonczony = false;
    std::atomic<bool> przerwij{false};
    // Posts an answer to the reader's thread; unset once the reader is gone.
    std::function<void(std::function<void()>)> odpowiedz;

    void Praca()
    {
        pthread_setname_np(pthread_self(), "Czytnik wynikow");
        std::unique_lock l(m);
        for (;;) {
            cv.wait(l, [this] { return koniec || !zadania.empty(); });
            if (koniec) break;
            auto zadanie = std::move(zadania.front());
            zadania.pop_front();
            l.unlock();
            WynikBazy otwarcie;
            BazaWynikow* baza = polacz(otwarcie);
            zadanie(baza, otwarcie);
            l.lock();
        }
        l.unlock();
        baza_.reset();
#if defined(__GLIBC__)
        // What the reads used goes back to the system with the window.
        ::malloc_trim(0);
#endif
        l.lock();
        zakonczony = true;
        cv.notify_all();
    }

private:
    // The connection, opened at the first request and again after a
    // failure, and while the file had no schema yet when it was opened (the
    // journal was making it); none (and no failure) while the file does not
    // exist.
    BazaWynikow* polacz(WynikBazy& otwarcie)
    {
        if (baza_ && baza_->Otwarcie() && baza_->WersjaPliku() > 0) return baza_.get();
        baza_.reset();
        if (!QFile::exists(plik_)) return nullptr;
        baza_ = std::make_unique<BazaWynikow>(
            plik_, BazaWynikow::Opcje{BazaWynikow::Tryb::Odczyt, std::chrono::milliseconds(500), &przerwij});
        otwarcie = baza_->Otwarcie();
        return otwarcie ? baza_.get() : nullptr;
    }

    QString plik_;
    std::unique_ptr<BazaWynikow> baza_;
};

CzytnikWynikow::CzytnikWynikow(const QString& plik, QObject* rodzic)
    : QObject(rodzic), plik_(plik), watek_(std::make_shared<WatekCzytnika>(plik))
{
    watek_->odpowiedz = [this](std::function<void()> f) {
        QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
    };
    std::thread([w = watek_] { w->Praca(); }).detach();
}

CzytnikWynikow::~CzytnikWynikow()
{
    watek_->przerwij = true;
    std::unique_lock l(watek_->m);
    watek_->odpowiedz = nullptr;
    watek_->zadania.clear();
    watek_->koniec = true;
    watek_->cv.notify_all();
    // A moment for the thread to let its memory go; never longer.
    watek_->cv.wait_for(l, std::chrono::milliseconds(50), [this] { return watek_->zakonczony; });
}

void CzytnikWynikow::zlec(std::function<void(BazaWynikow*, WynikBazy&)> praca,
                          std::function<void(const WynikBazy&)> odpowiedz)
{
    std::weak_ptr<WatekCzytnika> slaby = watek_;
    std::lock_guard l(watek_->m);
    watek_->zadania.push_back([slaby, praca = std::move(praca), odpowiedz = std::move(odpowiedz)](
                                  BazaWynikow* baza, WynikBazy& otwarcie) {
        WynikBazy w = otwarcie;
        praca(w ? baza : nullptr, w);
        const auto watek = slaby.lock();
        if (!watek) return;
        std::lock_guard l(watek->m);
        if (watek->odpowiedz) watek->odpowiedz([odpowiedz, w] { odpowiedz(w); });
    });
    watek_->cv.notify_all();
}

void CzytnikWynikow::Eksportuj(const QString& cel, bool pytania, std::int64_t dziecko,
                               std::map<std::int64_t, QString> imiona, std::function<void(const QString& blad)> odpowiedz)
{
    const QString plik = plik_;
    Czytaj<QString>(
        [plik, cel, pytania, dziecko, imiona = std::move(imiona)](BazaWynikow* baza, WynikBazy& w) -> QString {
            auto imie = [&](std::int64_t id) {
                const auto it = imiona.find(id);
                return it != imiona.end() ? it->second : ImieDomyslne(id);
            };
            if (const QString odmowa = OdmowaEksportu(plik, cel); !odmowa.isEmpty()) return odmowa;
            if (!w) return DziennikWynikow::Przyczyna(w.blad, plik);
            QSaveFile f(cel);
            if (!f.open(QIODevice::WriteOnly)) return f.errorString();
            bool dobrze = f.write(pytania ? PoczatekCsvPytan() : PoczatekCsv()) >= 0;
            if (baza && dobrze) {
                if (pytania)
                    w = baza->KazdaOdpowiedz(
                        [&](std::int64_t id, const WierszCwiczenia& c, const PytanieCwiczenia& p) {
                            dobrze = f.write(WierszCsvPytania(c, p, imie(c.dziecko), QString::number(id))) >= 0;
                            return dobrze;
                        },
                        dziecko);
                else
                    w = baza->KazdeCwiczenie(
                        [&](std::int64_t id, const WierszCwiczenia& c) {
                            dobrze = f.write(WierszCsv(c, imie(c.dziecko), QString::number(id))) >= 0;
                            return dobrze;
                        },
                        dziecko);
                if (!w && dobrze) return DziennikWynikow::Przyczyna(w.blad, plik);
            }
            // The flush checked first: a buffered write that failed on a
            // full disk would otherwise pass as an empty file written.
            if (dobrze && f.flush() && f.commit()) return {};
            return f.errorString();
        },
        [odpowiedz = std::move(odpowiedz)](const WynikBazy&, QString blad) { odpowiedz(blad); });
}

} // namespace zm
