#include "ClassView.h"

#include "Practice.h"
#include "ResultsCsv.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSaveFile>
#include <QStringList>

#include <map>
#include <thread>

namespace zm {

WidokKlasy::WidokKlasy(const KonfiguracjaKlasy& konfiguracja, QObject* rodzic)
    : QObject(rodzic), konfiguracja_(konfiguracja)
{
}

WidokKlasy::~WidokKlasy() { *zywy_ = false; }

template <class W>
void WidokKlasy::czytaj(std::function<std::optional<W>(OdczytKlasy&)> praca, std::function<void(W, QString)> odpowiedz)
{
    QPointer<WidokKlasy> ja(this);
    std::thread([konf = konfiguracja_, praca = std::move(praca), odpowiedz = std::move(odpowiedz), ja]() mutable {
        std::optional<W> wynik;
        QString blad;
        {
            OdczytKlasy odczyt(konf);
            wynik = praca(odczyt);
            if (!wynik) blad = odczyt.Blad();
        }
        auto* aplikacja = QCoreApplication::instance();
        if (!aplikacja) return;
        QMetaObject::invokeMethod(
            aplikacja,
            [ja, odpowiedz = std::move(odpowiedz), wynik = std::move(wynik), blad]() mutable {
                if (ja) odpowiedz(wynik ? std::move(*wynik) : W{}, blad);
            },
            Qt::QueuedConnection);
    }).detach();
}

void WidokKlasy::Dzieci(std::function<void(std::vector<DzieckoKlasy>, QString)> odpowiedz)
{
    czytaj<std::vector<DzieckoKlasy>>([](OdczytKlasy& o) { return o.Dzieci(); }, std::move(odpowiedz));
}

void WidokKlasy::Cwiczenia(const QString& imie, bool zPytaniami,
                           std::function<void(std::vector<CwiczenieZKlasy>, QString)> odpowiedz)
{
    czytaj<std::vector<CwiczenieZKlasy>>([imie, zPytaniami](OdczytKlasy& o) { return o.Cwiczenia(imie, zPytaniami); },
                                         std::move(odpowiedz));
}

void WidokKlasy::Fakty(std::uint8_t dzialanie, const std::optional<QString>& imie, std::int64_t odMs,
                       std::function<void(std::vector<KomorkaFaktu>, QString)> odpowiedz)
{
    czytaj<std::vector<KomorkaFaktu>>(
        [dzialanie, imie, odMs](OdczytKlasy& o) -> std::optional<std::vector<KomorkaFaktu>> {
            const auto fakty = o.Fakty(dzialanie, imie, odMs);
            if (!fakty) return std::nullopt;
            return KomorkiKlasy(dzialanie, *fakty);
        },
        std::move(odpowiedz));
}

void WidokKlasy::Eksportuj(const std::optional<QString>& imie, bool pytania, const QString& cel,
                           std::function<void(bool, QString)> odpowiedz)
{
    czytaj<bool>(
        [imie, pytania, cel](OdczytKlasy& o) -> std::optional<bool> {
            QStringList imiona;
            if (imie) {
                imiona << *imie;
            } else {
                const auto dzieci = o.Dzieci();
                if (!dzieci) return std::nullopt;
                for (const DzieckoKlasy& d : *dzieci) imiona << d.imie;
            }
            QSaveFile f(cel);
            if (!f.open(QIODevice::WriteOnly)) return false;
            f.write(pytania ? PoczatekCsvPytan() : PoczatekCsv());
            for (const QString& i : imiona) {
                const auto cwiczenia = o.Cwiczenia(i, pytania);
                if (!cwiczenia) return std::nullopt;
                for (const CwiczenieZKlasy& c : *cwiczenia) {
                    if (!pytania) f.write(WierszCsv(c.zapis, c.imie));
                    for (const PytanieCwiczenia& p : pytania ? c.zapis.pytania : std::vector<PytanieCwiczenia>{})
                        f.write(WierszCsvPytania(c.zapis, p, c.imie));
                }
            }
            return f.commit();
        },
        [odpowiedz = std::move(odpowiedz)](bool dobrze, QString blad) {
            odpowiedz(dobrze && blad.isEmpty(), blad.isEmpty() && !dobrze ? QStringLiteral("błąd zapisu pliku") : blad);
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
