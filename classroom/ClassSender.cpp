#include "ClassSender.h"

#include "ClassRecord.h"
#include "ClassServer.h"
#include "QuestionGenerator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtDebug>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <set>
#include <unistd.h>

namespace zm {

namespace {

// A drill in one statement (one transaction): zoltava.add_drill stores the
// drill and its answers whole, or says the server holds it already ('same')
// or holds another drill under its id ('other').
// Its values are bound: the text other sessions may see holds none.
const char kWstawCwiczenie[] =
    "SELECT zoltava.add_drill(CAST($1 AS uuid), $2, $3, $4, CAST($5 AS bigint), CAST($6 AS smallint),"
    " CAST($7 AS smallint), CAST($8 AS integer), CAST($9 AS boolean), CAST($10 AS smallint), CAST($11 AS smallint),"
    " CAST($12 AS smallint), CAST($13 AS smallint), CAST($14 AS json), CAST($15 AS bigint))";

// PostgreSQL's text cannot hold NUL.
QString Tekst(const std::string& s)
{
    QString t = QString::fromStdString(s);
    t.replace(QChar(0), QChar(QChar::ReplacementCharacter));
    return t;
}

// Why a drill cannot go as it is (it stays on the workstation), or "".
QString Niewysylalne(const CwiczenieKlasy& c)
{
    const ZapisCwiczenia& z = c.zapis;
    if (c.idListy <= 0 && QString::fromStdString(c.imie).trimmed().isEmpty())
        return QStringLiteral("dziecko nie ma imienia");
    if (z.pytania.size() != std::size_t(z.iloscPytan) || z.dobrze < 0 || z.zle < 0 ||
        z.dobrze + z.zle != z.iloscPytan)
        return QStringLiteral("w dzienniku brakuje części jego pytań (%1 z %2)").arg(z.pytania.size()).arg(z.iloscPytan);
    for (const PytanieCwiczenia& p : z.pytania)
        if (!PytanieMozliwe(z.dzialanie, p.liczba1, p.liczba2) || p.czasMs < 0)
            return QStringLiteral("pytanie %1 %2 %3 nie jest pytaniem tego programu")
                .arg(p.liczba1)
                .arg(QLatin1Char(z.dzialanie < 4 ? "*/+-"[z.dzialanie] : '?'))
                .arg(p.liczba2);
    return {};
}

QString Odpowiedzi(const ZapisCwiczenia& z)
{
    QJsonArray tablica;
    int numer = 0;
    for (const PytanieCwiczenia& p : z.pytania)
        tablica.append(QJsonObject{{QStringLiteral("n"), ++numer},
                                   {QStringLiteral("a"), p.liczba1},
                                   {QStringLiteral("b"), p.liczba2},
                                   {QStringLiteral("o"), Tekst(p.odpowiedz)},
                                   {QStringLiteral("d"), p.dobrze},
                                   {QStringLiteral("t"), p.czasMs}});
    return QString::fromUtf8(QJsonDocument(tablica).toJson(QJsonDocument::Compact));
}

// A thread left behind at the end of the program must not touch Qt or the
// outbox once the program's own clean-up has begun: the first thread left
// behind registers a handler that runs before Qt's, and each thread does
// its clean-up under this lock, or never.
std::mutex koniecMutex;
bool koniecProgramu = false;

void PilnujKoncaProgramu()
{
    static std::once_flag raz;
    std::call_once(raz, [] {
        std::atexit([] {
            std::lock_guard<std::mutex> l(koniecMutex);
            koniecProgramu = true;
        });
    });
}

} // namespace

struct NadawcaKlasy::Wspolne {
    KonfiguracjaKlasy konfiguracja;
    Tempo tempo;

    std::mutex m;
    std::condition_variable cv;
    std::atomic<bool> stop{false};
    bool budzik = true; // the first round sends what earlier runs left
    bool koniec = false;
    NadawcaKlasy* wlasciciel = nullptr;

    // Only the sender's thread.
    std::set<PrzyczynaKlasy> zgloszone;
    QString ostatnioZapisane;

    void Zglos(const StanKlasy& stan)
    {
        // The log gets each new failure, not each retry of the same one.
        const QString log = stan.calosc.isEmpty() ? QStringLiteral("cause %1").arg(int(stan.przyczyna)) : stan.calosc;
        if (log != ostatnioZapisane) qWarning("zoltava-mnozenia: klasa: %s", qUtf8Printable(log));
        ostatnioZapisane = log;
        if (!zgloszone.insert(stan.przyczyna).second) return;
        const QString tekst =
            OpisPrzyczyny(stan, konfiguracja, konfiguracja.stanowiska) +
            (stan.przyczyna == PrzyczynaKlasy::Odrzucone || stan.przyczyna == PrzyczynaKlasy::Niewysylane
                 ? QStringLiteral(" To ćwiczenie zostaje na tym komputerze.")
                 : QStringLiteral(" Wyniki czekają na tym komputerze i zostaną wysłane, gdy to będzie możliwe."));
        std::lock_guard<std::mutex> l(m);
        if (NadawcaKlasy* o = wlasciciel)
            QMetaObject::invokeMethod(o, [o, tekst] { emit o->Niedostepna(tekst); }, Qt::QueuedConnection);
    }

    // A failure of this workstation's own (not the server's): the log only.
    void Zapisz(const QString& log)
    {
        if (log != ostatnioZapisane) qWarning("zoltava-mnozenia: klasa: %s", qUtf8Printable(log));
        ostatnioZapisane = log;
    }

    std::optional<bool> polaczono;
    void Polaczono(bool tak)
    {
        if (polaczono == tak) return;
        polaczono = tak;
        std::lock_guard<std::mutex> l(m);
        if (NadawcaKlasy* o = wlasciciel)
            QMetaObject::invokeMethod(o, [o, tak] { emit o->Polaczono(tak); }, Qt::QueuedConnection);
    }

    // The roster's children whose records are asked for (under m), each
    // with the number of its request: a request made while its record was
    // being fetched stays.
    std::map<std::int64_t, std::uint64_t> rekordy;
    std::uint64_t prosby = 0;

    void Scalono(std::int64_t idListy, std::uint64_t prosba, bool powiadom)
    {
        std::lock_guard<std::mutex> l(m);
        if (const auto i = rekordy.find(idListy); i != rekordy.end() && i->second == prosba) rekordy.erase(i);
        if (NadawcaKlasy* o = wlasciciel; o && powiadom)
            QMetaObject::invokeMethod(o, [o, idListy] { emit o->RekordScalony(idListy); }, Qt::QueuedConnection);
    }

    void Wyslano(int ile)
    {
        std::lock_guard<std::mutex> l(m);
        if (NadawcaKlasy* o = wlasciciel)
            QMetaObject::invokeMethod(o, [o, ile] { emit o->Wyslano(ile); }, Qt::QueuedConnection);
    }
};

namespace {

class Wysylka {
public:
    Wysylka(NadawcaKlasy::Tempo tempo, ISkrzynkaKlasy& skrzynka, PolaczenieKlasy& polaczenie)
        : tempo_(tempo), skrzynka_(skrzynka), polaczenie_(polaczenie)
    {
    }

    // Sends until the outbox is empty (true) or something fails (false): the
    // server, the outbox's read, or its marking of the drills sent.
    template <class Wspolne> bool Runda(Wspolne& w)
    {
        while (!w.stop) {
            std::optional<std::vector<CwiczenieKlasy>> paczka =
                skrzynka_.Niewyslane(tempo_.paczka + int(odrzucone_.size()));
            if (!paczka) {
                w.Zapisz(QStringLiteral("the outbox cannot be read now"));
                return false;
            }
            std::erase_if(*paczka, [&](const CwiczenieKlasy& c) { return odrzucone_.count(c.id) > 0; });
            if (paczka->empty()) return PobierzListe(w) && PobierzRekordy(w);
            if (const StanKlasy stan = Przygotuj(); !stan) {
                w.Zglos(stan);
                return false;
            }
            std::vector<std::string> wyslane;
            StanKlasy blad;
            for (const CwiczenieKlasy& c : *paczka) {
                if (w.stop) break;
                const StanKlasy stan = Wyslij(c);
                if (stan) {
                    wyslane.push_back(c.id);
                } else if (stan.przyczyna == PrzyczynaKlasy::Odrzucone ||
                           stan.przyczyna == PrzyczynaKlasy::Niewysylane) {
                    // It stays in the outbox (and is offered again at the
                    // next start); the others go on.
                    odrzucone_.insert(c.id);
                    w.Zglos(stan);
                } else {
                    blad = stan;
                    break;
                }
            }
            // An id refused once is never marked: two drills of one id
            // stay together.
            std::erase_if(wyslane, [&](const std::string& id) { return odrzucone_.count(id) > 0; });
            if (!blad) {
                Rozlacz();
                w.Zglos(blad);
            }
            if (!wyslane.empty()) {
                if (!skrzynka_.Wyslane(wyslane)) {
                    w.Zapisz(QStringLiteral("the outbox could not mark %1 drills sent").arg(wyslane.size()));
                    return false;
                }
                w.Wyslano(int(wyslane.size()));
            }
            if (!blad) return false;
        }
        return true;
    }

    void Rozlacz() { polaczenie_.Zamknij(); }

private:
    // The class's roster, once a run and after every round that sent
    // drills (the connection is open then), given to the outbox to keep.
    template <class Wspolne> bool PobierzListe(Wspolne& w)
    {
        // Nothing waits: a failure here is only logged (and tried again
        // after the pause); the user hears of the server when a drill waits.
        if (listaPobrana_ && !polaczenie_.Otwarte()) return true;
        if (const StanKlasy stan = Przygotuj(); !stan) {
            w.Zapisz(stan.calosc);
            return false;
        }
        const pg::Wynik r = polaczenie_.Wykonaj("SELECT id, name, note FROM zoltava.roster($1)",
                                                {pg::Tekst(polaczenie_.Konfiguracja().klasa)});
        if (!r.Dobry()) {
            w.Zapisz(polaczenie_.Blad(r).calosc);
            Rozlacz();
            return false;
        }
        std::vector<DzieckoListy> lista;
        for (int i = 0; i < r.Wiersze(); ++i)
            lista.push_back({r.Int(i, 0), r.Tekst(i, 1).toStdString(), r.Tekst(i, 2).toStdString()});
        skrzynka_.ZapiszListe(lista);
        listaPobrana_ = true;
        return true;
    }

    // The records of the roster's children chosen here, merged with what
    // the server holds. The server away: false (asked again after the
    // pause); a refusal (a server whose schema lacks the function) drops the
    // request, logged; a journal that cannot take the record now: false.
    template <class Wspolne> bool PobierzRekordy(Wspolne& w)
    {
        std::map<std::int64_t, std::uint64_t> prosby;
        {
            std::lock_guard<std::mutex> l(w.m);
            prosby = w.rekordy;
        }
        for (const auto& [idListy, prosba] : prosby) {
            if (w.stop) return true;
            if (const StanKlasy stan = Przygotuj(); !stan) {
                w.Zapisz(stan.calosc);
                return false;
            }
            StanKlasy blad;
            const auto odpowiedzi = OdpowiedziDziecka(polaczenie_, idListy, blad);
            if (!odpowiedzi) {
                w.Zapisz(QStringLiteral("the record of the roster's child %1 could not be read: %2")
                             .arg(idListy)
                             .arg(blad.calosc.isEmpty() ? blad.szczegoly : blad.calosc));
                Rozlacz();
                if (blad.przyczyna == PrzyczynaKlasy::Nieosiagalny || blad.przyczyna == PrzyczynaKlasy::Inny)
                    return false;
                w.Scalono(idListy, prosba, false);
                continue;
            }
            if (!skrzynka_.ScalRekord(idListy, *odpowiedzi)) {
                w.Zapisz(QStringLiteral("the record of the roster's child %1 could not be merged now").arg(idListy));
                return false;
            }
            w.Scalono(idListy, prosba, true);
        }
        return true;
    }

    StanKlasy Przygotuj()
    {
        // A connection held since the last batch: the schema may have moved.
        if (polaczenie_.Otwarte()) {
            StanKlasy stan = polaczenie_.SprawdzWersje();
            if (!stan) Rozlacz();
            return stan;
        }
        Rozlacz();
        return polaczenie_.Otworz();
    }

    StanKlasy Wyslij(const CwiczenieKlasy& c)
    {
        if (const QString powod = Niewysylalne(c); !powod.isEmpty())
            return {PrzyczynaKlasy::Niewysylane, powod, QStringLiteral("drill %1 kept: %2").arg(Tekst(c.id), powod)};
        const ZapisCwiczenia& z = c.zapis;
        const QString id = Tekst(c.id);
        const KonfiguracjaKlasy& k = polaczenie_.Konfiguracja();
        const pg::Wynik w = polaczenie_.Wykonaj(
            kWstawCwiczenie,
            {pg::Tekst(id), pg::Tekst(k.klasa), pg::Tekst(k.stanowisko), pg::Tekst(Tekst(c.imie)),
             pg::Liczba(z.koniecMs), pg::Liczba(z.dzialanie), pg::Liczba(z.iloscPytan), pg::Liczba(z.predkosc),
             pg::Prawda(z.lektor), pg::Liczba(z.dobrze), pg::Liczba(z.zle), pg::Liczba(z.ocena),
             pg::Liczba(z.losowanie), pg::Tekst(Odpowiedzi(z)),
             c.idListy > 0 ? pg::Liczba(c.idListy) : pg::Wartosc()});
        if (w.Wiersze() != 1) return polaczenie_.Blad(w);
        const QString wynik = w.Tekst(0, 0);
        if (wynik == QLatin1String("other"))
            return {PrzyczynaKlasy::Niewysylane, QStringLiteral("na serwerze jest już inne ćwiczenie o tym samym "
                                                                "identyfikatorze (%1)")
                                                     .arg(id),
                    QStringLiteral("drill %1: another drill holds its id").arg(id)};
        return {};
    }

    NadawcaKlasy::Tempo tempo_;
    ISkrzynkaKlasy& skrzynka_;
    PolaczenieKlasy& polaczenie_;
    std::set<std::string> odrzucone_; // this run's refused drills
    bool listaPobrana_ = false;
};

} // namespace

NadawcaKlasy::NadawcaKlasy(const KonfiguracjaKlasy& konfiguracja, std::shared_ptr<ISkrzynkaKlasy> skrzynka,
                           QObject* rodzic)
    : NadawcaKlasy(konfiguracja, std::move(skrzynka), Tempo(), rodzic)
{
}

NadawcaKlasy::NadawcaKlasy(const KonfiguracjaKlasy& konfiguracja, std::shared_ptr<ISkrzynkaKlasy> skrzynka, Tempo tempo,
                           QObject* rodzic)
    : QObject(rodzic), w_(std::make_shared<Wspolne>())
{
    w_->konfiguracja = konfiguracja;
    w_->tempo = tempo;
    w_->wlasciciel = this;
    watek_ = std::thread([w = w_, skrzynka = std::move(skrzynka), licznik = std::make_unique<WatekSerwera>()]() mutable {
        {
            LokalC lokal; // libpq's words in English, for RozpoznajBlad
            auto polaczenie = std::make_unique<PolaczenieKlasy>(w->konfiguracja, w->konfiguracja.stanowiska);
            auto wysylka = std::make_unique<Wysylka>(w->tempo, *skrzynka, *polaczenie);
            std::minstd_rand los(std::random_device{}());
            std::chrono::milliseconds przerwa{0};
            for (;;) {
                {
                    std::unique_lock<std::mutex> l(w->m);
                    const auto gotowe = [&] { return w->stop || w->budzik; };
                    if (przerwa.count() > 0) {
                        // Spread the workstations that failed together.
                        const auto czekaj = przerwa * std::uniform_int_distribution<int>(80, 120)(los) / 100;
                        w->cv.wait_for(l, czekaj, gotowe);
                    } else {
                        w->cv.wait(l, gotowe);
                    }
                    if (w->stop) break;
                    w->budzik = false;
                }
                const bool udana = wysylka->Runda(*w);
                w->Polaczono(udana);
                if (udana) {
                    przerwa = std::chrono::milliseconds(0);
                    wysylka->Rozlacz(); // nothing to send: no connection held open
                } else {
                    przerwa = przerwa.count() == 0 ? w->tempo.pierwszaPrzerwa
                                                   : std::min(przerwa * 2, w->tempo.najdluzszaPrzerwa);
                }
            }
            std::unique_lock<std::mutex> koniec(koniecMutex);
            if (koniecProgramu) {
                // The program is ending under this thread: leave everything
                // as it is; the process's end takes it.
                koniec.unlock();
                for (;;) pause();
            }
            wysylka.reset();
            polaczenie.reset();
            skrzynka.reset();
        }
        std::lock_guard<std::mutex> l(w->m);
        w->koniec = true;
        w->cv.notify_all();
    });
}

NadawcaKlasy::~NadawcaKlasy()
{
    Zatrzymaj();
}

void NadawcaKlasy::Obudz()
{
    {
        std::lock_guard<std::mutex> l(w_->m);
        w_->budzik = true;
    }
    w_->cv.notify_all();
}

void NadawcaKlasy::PobierzRekord(std::int64_t idListy)
{
    if (idListy <= 0) return;
    {
        std::lock_guard<std::mutex> l(w_->m);
        w_->rekordy[idListy] = ++w_->prosby;
        w_->budzik = true;
    }
    w_->cv.notify_all();
}

bool NadawcaKlasy::Zatrzymaj(std::chrono::milliseconds limit)
{
    if (!watek_.joinable()) return true;
    std::unique_lock<std::mutex> l(w_->m);
    w_->stop = true;
    w_->wlasciciel = nullptr;
    w_->cv.notify_all();
    const bool skonczyl = w_->cv.wait_for(l, limit, [&] { return w_->koniec; });
    l.unlock();
    if (skonczyl) {
        watek_.join();
    } else {
        PilnujKoncaProgramu();
        watek_.detach();
    }
    return skonczyl;
}

} // namespace zm
