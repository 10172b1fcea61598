#include "ClassView.h"

#include "ClassOverview.h"
#include "ClassServer.h"
#include "JournalFiles.h"
#include "Practice.h"
#include "ResultsCsv.h"

#include <QDateTime>
#include <QSaveFile>
#include <QStringList>

#include <map>
#include <thread>

namespace zm {

namespace {
const int kStronaEksportu = 500;
} // namespace

WidokKlasy::WidokKlasy(const KonfiguracjaKlasy& konfiguracja, QObject* rodzic)
    : QObject(rodzic), konfiguracja_(konfiguracja)
{
}

WidokKlasy::~WidokKlasy()
{
    std::lock_guard<std::mutex> l(zywy_->m);
    zywy_->zywy = false;
}

template <class W>
void WidokKlasy::czytaj(std::function<std::optional<W>(OdczytKlasy&)> praca, std::function<void(W, QString)> odpowiedz)
{
    std::thread([konf = konfiguracja_, praca = std::move(praca), odpowiedz = std::move(odpowiedz), zywy = zywy_,
                 ja = this, licznik = std::make_unique<WatekSerwera>()]() mutable {
        std::optional<W> wynik;
        QString blad;
        {
            OdczytKlasy odczyt(konf);
            wynik = praca(odczyt);
            if (!wynik) blad = odczyt.Blad();
        }
        // Posted to the view while it lives (a call queued to an object
        // deleted before it is delivered is dropped with it).
        std::lock_guard<std::mutex> l(zywy->m);
        if (!zywy->zywy) return;
        QMetaObject::invokeMethod(
            ja,
            [odpowiedz = std::move(odpowiedz), wynik = std::move(wynik), blad]() mutable {
                odpowiedz(wynik ? std::move(*wynik) : W{}, blad);
            },
            Qt::QueuedConnection);
    }).detach();
}

void WidokKlasy::Dzieci(std::function<void(std::vector<DzieckoKlasy>, QString)> odpowiedz)
{
    const std::int64_t tydzien = PoczatekTygodniaMs(QDateTime::currentDateTime());
    czytaj<std::vector<DzieckoKlasy>>([tydzien](OdczytKlasy& o) { return o.Dzieci(nullptr, tydzien); },
                                      std::move(odpowiedz));
}

void WidokKlasy::Przeglad(std::function<void(std::vector<DzieckoKlasy>, QString)> odpowiedz)
{
    const std::int64_t tydzien = PoczatekTygodniaMs(QDateTime::currentDateTime());
    czytaj<std::vector<DzieckoKlasy>>([tydzien](OdczytKlasy& o) { return o.Dzieci(nullptr, tydzien, true); },
                                      std::move(odpowiedz));
}

void WidokKlasy::Cwiczenia(const KtoWKlasie& kto, bool zPytaniami,
                           std::function<void(std::vector<CwiczenieZKlasy>, QString)> odpowiedz)
{
    czytaj<std::vector<CwiczenieZKlasy>>(
        [kto, zPytaniami](OdczytKlasy& o) { return o.Cwiczenia(kto, zPytaniami, nullptr, kCwiczenWOknie); },
        std::move(odpowiedz));
}

void WidokKlasy::Fakty(std::uint8_t dzialanie, const std::optional<KtoWKlasie>& kto, std::int64_t odMs,
                       std::function<void(std::vector<KomorkaFaktu>, QString)> odpowiedz)
{
    czytaj<std::vector<KomorkaFaktu>>(
        [dzialanie, kto, odMs](OdczytKlasy& o) -> std::optional<std::vector<KomorkaFaktu>> {
            const auto fakty = o.Fakty(dzialanie, kto, odMs);
            if (!fakty) return std::nullopt;
            return KomorkiKlasy(dzialanie, *fakty);
        },
        std::move(odpowiedz));
}

void WidokKlasy::FaktyKlasy(std::function<void(std::vector<FaktKlasy>, QString)> odpowiedz)
{
    czytaj<std::vector<FaktKlasy>>(
        [](OdczytKlasy& o) { return o.FaktyWszystkichDzialan(); },
        std::move(odpowiedz));
}

void WidokKlasy::Eksportuj(const std::optional<KtoWKlasie>& kto, bool pytania, const QString& cel,
                           const QString& dziennik, std::function<void(bool, QString)> odpowiedz)
{
    // The answer is "" when the file is written, or why it is not; no answer
    // when the server failed (its reason comes instead).
    czytaj<QString>(
        [kto, pytania, cel, dziennik, klasa = konfiguracja_.klasa](OdczytKlasy& o) -> std::optional<QString> {
            if (const QString odmowa = OdmowaEksportu(dziennik, cel); !odmowa.isEmpty()) return odmowa;
            std::vector<KtoWKlasie> imiona;
            if (kto) {
                imiona.push_back(*kto);
            } else {
                const auto dzieci = o.Dzieci();
                if (!dzieci) return std::nullopt;
                for (const DzieckoKlasy& d : *dzieci) imiona.emplace_back(d);
            }
            QSaveFile f(cel);
            if (!f.open(QIODevice::WriteOnly)) return QStringLiteral("błąd zapisu pliku");
            // Every write checked: a full disk is not a file written.
            bool zapisano = true;
            const auto pisz = [&](const QByteArray& b) { zapisano = zapisano && f.write(b) == b.size(); };
            pisz(pytania ? PoczatekCsvPytan(true) : PoczatekCsv(true));
            // A page of drills at a time: a child with any number of drills
            // is written in bounded memory.
            for (const KtoWKlasie& i : imiona) {
                std::optional<CwiczenieZKlasy> po;
                for (;;) {
                    const auto cwiczenia = o.Cwiczenia(i, pytania, po ? &*po : nullptr, kStronaEksportu);
                    if (!cwiczenia) return std::nullopt;
                    for (const CwiczenieZKlasy& c : *cwiczenia) {
                        const MiejsceCwiczenia miejsce{klasa, c.stanowisko};
                        if (!pytania) pisz(WierszCsv(c.zapis, c.imie, c.id, &miejsce));
                        for (const PytanieCwiczenia& p : pytania ? c.zapis.pytania : std::vector<PytanieCwiczenia>{})
                            pisz(WierszCsvPytania(c.zapis, p, c.imie, c.id, &miejsce));
                    }
                    if (int(cwiczenia->size()) < kStronaEksportu) break;
                    po = cwiczenia->back();
                    po->zapis.pytania.clear();
                }
            }
            if (!zapisano || !f.flush()) {
                f.cancelWriting();
                return QStringLiteral("błąd zapisu pliku");
            }
            return f.commit() ? QString() : QStringLiteral("błąd zapisu pliku");
        },
        [odpowiedz = std::move(odpowiedz)](QString tekst, QString blad) {
            odpowiedz(blad.isEmpty() && tekst.isEmpty(), blad.isEmpty() ? tekst : blad);
        });
}

std::vector<KomorkaFaktu> KomorkiKlasy(std::uint8_t dzialanie, const std::vector<FaktKlasy>& fakty)
{
    std::map<Fakt, KomorkaFaktu> komorki;
    for (const FaktKlasy& f : fakty) {
        if (f.liczba2 == 0 || f.ile <= 0) continue;
        const Fakt klucz = FaktPytania(dzialanie, f.liczba1, f.liczba2);
        KomorkaFaktu& k = komorki[klucz];
        k.a = klucz.a;
        k.b = klucz.b;
        k.ile += f.ile;
        k.bledy += f.bledy;
        k.sumaCzasuMs += static_cast<double>(f.sumaCzasuMs);
        k.sumaTykniec += f.sumaTykniec;
    }
    std::vector<KomorkaFaktu> wynik;
    for (auto& [f, k] : komorki) wynik.push_back(k);
    return wynik;
}

} // namespace zm
