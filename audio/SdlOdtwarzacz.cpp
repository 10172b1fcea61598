#include "SdlStan.h"

#include <cstdlib>

namespace zm {

void SdlOdtwarzacz::Stan::Nadzorca()
{
    std::unique_lock l(m);
    for (;;) {
        if (!cv.wait_for(l, kBezczynnosc, [&] { return koniecPracy || zlecenie; }) || koniecPracy) break;
        Zlecenie z = std::move(*zlecenie);
        zlecenie.reset();
        const std::uint64_t moj = nr;
        l.unlock();
        std::vector<std::int16_t> probki;
        bool zPiskiem = false;
        for (const std::string& p : z.pliki) {
            Slowo s = WczytajSlowo(p);
            zPiskiem |= s.domyslny;
            probki.insert(probki.end(), s.probki.begin(), s.probki.end());
        }
        const auto dlugosc = CzasProbek(probki.size());
        l.lock();
        auto przerwane = [&] { return moj != nr || koniecPracy; };
        if (przerwane()) {
            l.unlock();
            z = {}; // its `koniec` is let go of without the lock
            l.lock();
            continue;
        }
        domyslny = zPiskiem;
        const auto start = Zegar::now();
        auto termin = start + dlugosc; // in silence
        if (!zajety) {
            // The device thread is free (started again if it has ended): it
            // opens the device if need be and plays. One held up by an
            // earlier sentence is left alone, and this one passes in silence.
            if (!urzadzenieDziala) {
                if (urzadzenie.joinable()) urzadzenie.join(); // it has ended
                urzadzenieDziala = true;
                urzadzenie = std::thread([s = shared_from_this()] { s->Urzadzenie(); });
            }
            doZagrania = std::move(probki);
            nrGrania = moj;
            zajety = true;
            otwarcie = Otwarcie::Czeka;
            zagrane = false;
            cv.notify_all();
            cv.wait_until(l, start + kLimitOtwarcia, [&] { return przerwane() || otwarcie != Otwarcie::Czeka; });
            if (otwarcie == Otwarcie::Otwarte) {
                // The device thread watches the stream; this deadline only
                // guards against an SDL call that never returns.
                cv.wait_until(l, Zegar::now() + dlugosc + kLimitStartu + kLimitOpoznienia + std::chrono::seconds(1),
                              [&] { return przerwane() || zagrane; });
                // A sentence not heard still takes its time; one heard, or
                // whose device was lost, ends now.
                if (zagrane && wynik != Wynik::Wstrzymane) termin = Zegar::now();
            } else {
                nrGrania = 0; // a device that opens late must not play it
            }
        }
        cv.wait_until(l, termin, przerwane);
        if (!przerwane()) {
            // Called without the lock, so that it may call the player again;
            // Przerwij waits for it to return.
            koniecWToku = true;
            l.unlock();
            z.koniec();
            z = {};
            l.lock();
            koniecWToku = false;
            cv.notify_all();
        } else {
            l.unlock();
            z = {};
            l.lock();
        }
    }
    nadzorcaDziala = false;
    idNadzorcy = {};
    cv.notify_all();
}

void SdlOdtwarzacz::PrzygotujSrodowisko()
{
    ::setenv("PULSE_LATENCY_MSEC", std::to_string(kOpoznienieSerweraMs).c_str(), 0);
}

SdlOdtwarzacz::SdlOdtwarzacz(std::string nazwaProgramu, std::string nazwaStrumienia) : stan_(std::make_shared<Stan>())
{
    stan_->nazwaProgramu = std::move(nazwaProgramu);
    stan_->nazwaStrumienia = std::move(nazwaStrumienia);
}

SdlOdtwarzacz::~SdlOdtwarzacz()
{
    std::optional<Stan::Zlecenie> porzucone; // let go of after the lock
    std::unique_lock l(stan_->m);
    stan_->koniecPracy = true;
    ++stan_->nr;
    porzucone = std::move(stan_->zlecenie);
    stan_->zlecenie.reset();
    stan_->cv.notify_all();
    stan_->CzekajNaKoniec(l);
    // The supervisor ends at once (unless this is its own `koniec`); the
    // device thread closes the device on its way out, and a sound server
    // that does not answer may hold it: it is then left to end by itself.
    const bool zeSrodka = std::this_thread::get_id() == stan_->idNadzorcy;
    const bool zakonczone =
        stan_->cv.wait_for(l, std::chrono::milliseconds(300), [&] { return !stan_->urzadzenieDziala; });
    std::thread nadzorca = std::move(stan_->nadzorca), urzadzenie = std::move(stan_->urzadzenie);
    l.unlock();
    if (nadzorca.joinable()) {
        if (zeSrodka)
            nadzorca.detach();
        else
            nadzorca.join();
    }
    if (urzadzenie.joinable()) {
        if (zakonczone)
            urzadzenie.join();
        else
            urzadzenie.detach();
    }
}

void SdlOdtwarzacz::Czytaj(std::vector<std::string> pliki, std::function<void()> koniec)
{
    std::optional<Stan::Zlecenie> porzucone;
    std::unique_lock l(stan_->m);
    ++stan_->nr;
    porzucone = std::move(stan_->zlecenie);
    stan_->zlecenie.emplace(Stan::Zlecenie{std::move(pliki), std::move(koniec)});
    stan_->CzekajNaKoniec(l);
    if (!stan_->nadzorcaDziala) {
        // Started for a sentence, ended at rest; each keeps the shared state.
        if (stan_->nadzorca.joinable()) stan_->nadzorca.join(); // it has ended
        stan_->nadzorcaDziala = true;
        stan_->nadzorca = std::thread([s = stan_] { s->Nadzorca(); });
        stan_->idNadzorcy = stan_->nadzorca.get_id();
    }
    stan_->cv.notify_all();
}

void SdlOdtwarzacz::Przerwij()
{
    std::optional<Stan::Zlecenie> porzucone;
    std::unique_lock l(stan_->m);
    ++stan_->nr;
    porzucone = std::move(stan_->zlecenie);
    stan_->zlecenie.reset();
    stan_->cv.notify_all();
    stan_->CzekajNaKoniec(l);
}

bool SdlOdtwarzacz::OstatnioDomyslny() const
{
    std::lock_guard l(stan_->m);
    return stan_->domyslny;
}

std::string SdlOdtwarzacz::Sterownik() const
{
    std::lock_guard l(stan_->m);
    return stan_->sterownik;
}

} // namespace zm
