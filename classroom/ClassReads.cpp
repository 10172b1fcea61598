#include "ClassReads.h"

#include "ClassServer.h"
#include "OperandRanges.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>

namespace zm {

namespace {

// Every value is a bound parameter ($n): the statements' texts, which other
// sessions may see, hold none.
#define ZM_EPOKA_MS(x) "CAST(round(extract(epoch FROM " x ") * 1000) AS bigint)"
// A drill the reads take: its time finite and in this world (the server's
// rules; rows made before them are skipped).
#define ZM_DOBRE_CWICZENIE                                                                                             \
    "d.ended_at >= '2000-01-01 00:00:00+00' AND d.ended_at < '2200-01-01 00:00:00+00'"                               \
    " AND d.operation BETWEEN 0 AND 3 AND d.pace_ms > 0"
#define ZM_DOBRA_ODPOWIEDZ "zoltava.operands_in_range(d.operation, a.operand1, a.operand2) AND a.time_ms >= 0"

const char kDzieci[] = "SELECT child, count(*), " ZM_EPOKA_MS("max(ended_at)") ", string_agg(DISTINCT workstation, E'\\n')"
                       " FROM zoltava.drills d WHERE class = $1 AND child > $2 AND " ZM_DOBRE_CWICZENIE
                       " GROUP BY child ORDER BY child LIMIT $3";
#define ZM_CWICZENIA(po)                                                                                               \
    "SELECT CAST(id AS text), workstation, " ZM_EPOKA_MS("ended_at") ", operation, questions, pace_ms, narrator,"      \
    " good, bad, grade, draw, CAST(ended_at AS text) FROM zoltava.drills d"                                            \
    " WHERE class = $1 AND child = $2 AND " ZM_DOBRE_CWICZENIE po " ORDER BY ended_at DESC, id DESC LIMIT $3"
const char kCwiczenia[] = ZM_CWICZENIA("");
const char kCwiczeniaPo[] = ZM_CWICZENIA(" AND (ended_at, id) < (CAST($4 AS timestamptz), CAST($5 AS uuid))");
const char kPytania[] = "SELECT CAST(a.drill_id AS text), a.operand1, a.operand2, a.answer, a.correct, a.time_ms"
                        " FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"
                        " WHERE a.drill_id = ANY (CAST(string_to_array($1, ',') AS uuid[])) AND " ZM_DOBRA_ODPOWIEDZ
                        " ORDER BY a.drill_id, a.number";
#define ZM_FAKTY(dziecko)                                                                                              \
    "SELECT a.operand1, a.operand2, count(*), count(*) FILTER (WHERE NOT a.correct), sum(a.time_ms),"                 \
    " sum(CAST(a.time_ms AS float8) / d.pace_ms) FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"   \
    " WHERE d.class = $1 AND d.operation = CAST($2 AS smallint) AND " ZM_DOBRE_CWICZENIE " AND " ZM_DOBRA_ODPOWIEDZ     \
    " AND d.ended_at >= to_timestamp(CAST($3 AS bigint) / 1000.0)" dziecko                                             \
    " GROUP BY a.operand1, a.operand2 ORDER BY a.operand1, a.operand2"
const char kFakty[] = ZM_FAKTY("");
const char kFaktyDziecka[] = ZM_FAKTY(" AND d.child = $4");
#undef ZM_FAKTY
#undef ZM_CWICZENIA
#undef ZM_DOBRA_ODPOWIEDZ
#undef ZM_DOBRE_CWICZENIE
#undef ZM_EPOKA_MS

const int kStronaDzieci = 250;

} // namespace

OdczytKlasy::OdczytKlasy(const KonfiguracjaKlasy& konfiguracja)
    : konfiguracja_(konfiguracja),
      polaczenie_(std::make_unique<PolaczenieKlasy>(konfiguracja, konfiguracja.nauczyciel.value_or(DostepDoSerwera())))
{
}

OdczytKlasy::~OdczytKlasy() = default;

bool OdczytKlasy::czytaj(const std::function<bool()>& zapytania)
{
    LokalC lokal;
    for (int proba = 0; proba < 2; ++proba) {
        const bool ponownie = polaczenie_->Otwarte();
        blad_.clear();
        if (const StanKlasy stan = polaczenie_->Otworz(); !stan) {
            blad_ = OpisPrzyczyny(stan, konfiguracja_, polaczenie_->Dostep());
            return false;
        }
        if (zapytania()) return true;
        if (!ponownie || przyczyna_ != PrzyczynaKlasy::Nieosiagalny) return false;
        polaczenie_->Zamknij();
    }
    return false;
}

bool OdczytKlasy::porazka(const pg::Wynik& wynik)
{
    const StanKlasy stan = polaczenie_->Blad(wynik);
    przyczyna_ = stan.przyczyna;
    blad_ = OpisPrzyczyny(stan, konfiguracja_, polaczenie_->Dostep());
    return false;
}

std::optional<std::vector<DzieckoKlasy>> OdczytKlasy::Dzieci(bool* obcieto)
{
    std::vector<DzieckoKlasy> dzieci;
    bool wiecej = false;
    const bool ok = czytaj([&] {
        dzieci.clear();
        wiecej = false;
        // A page at a time, by the server's order of the names.
        for (QString po = QStringLiteral(""); !wiecej;) {
            const pg::Wynik w =
                polaczenie_->Wykonaj(kDzieci, {pg::Tekst(konfiguracja_.klasa), pg::Tekst(po), pg::Liczba(kStronaDzieci)});
            if (!w.Dobry()) return porazka(w);
            for (int i = 0; i < w.Wiersze(); ++i) {
                po = w.Tekst(i, 0);
                if (int(dzieci.size()) == kMaksDzieci) {
                    wiecej = true;
                    break;
                }
                QStringList stanowiska = w.Tekst(i, 3).split(QLatin1Char('\n'));
                stanowiska.sort();
                dzieci.push_back({po, int(w.Int(i, 1)), w.Int(i, 2), stanowiska});
            }
            if (w.Wiersze() < kStronaDzieci) break;
        }
        return true;
    });
    if (!ok) return std::nullopt;
    if (obcieto) *obcieto = wiecej;
    QCollator polski{QLocale(QLocale::Polish, QLocale::Poland)};
    std::sort(dzieci.begin(), dzieci.end(), [&](const DzieckoKlasy& a, const DzieckoKlasy& b) {
        const int r = polski.compare(a.imie, b.imie);
        return r != 0 ? r < 0 : a.imie < b.imie;
    });
    return dzieci;
}

std::optional<std::vector<CwiczenieZKlasy>> OdczytKlasy::Cwiczenia(const QString& imie, bool zPytaniami,
                                                                   const CwiczenieZKlasy* po, int ile)
{
    std::vector<CwiczenieZKlasy> cwiczenia;
    const bool ok = czytaj([&] {
        cwiczenia.clear();
        std::vector<pg::Wartosc> wartosci = {pg::Tekst(konfiguracja_.klasa), pg::Tekst(imie),
                                             pg::Liczba(std::max(ile, 1))};
        if (po) {
            wartosci.push_back(pg::Tekst(po->koniec));
            wartosci.push_back(pg::Tekst(po->id));
        }
        const pg::Wynik w = polaczenie_->Wykonaj(po ? kCwiczeniaPo : kCwiczenia, wartosci);
        if (!w.Dobry()) return porazka(w);
        for (int i = 0; i < w.Wiersze(); ++i) {
            CwiczenieZKlasy c{w.Tekst(i, 0), w.Tekst(i, 11), imie, w.Tekst(i, 1), {}};
            ZapisCwiczenia& z = c.zapis;
            z.koniecMs = w.Int(i, 2);
            z.dzialanie = static_cast<std::uint8_t>(w.Int(i, 3));
            z.iloscPytan = std::int32_t(w.Int(i, 4));
            z.predkosc = std::int32_t(w.Int(i, 5));
            z.lektor = w.Prawda(i, 6);
            z.dobrze = std::int32_t(w.Int(i, 7));
            z.zle = std::int32_t(w.Int(i, 8));
            z.ocena = static_cast<std::uint8_t>(w.Int(i, 9));
            z.losowanie = static_cast<std::uint8_t>(w.Int(i, 10));
            cwiczenia.push_back(std::move(c));
        }
        if (!zPytaniami || cwiczenia.empty()) return true;

        // The questions of this page's drills.
        QHash<QString, ZapisCwiczenia*> wedlugId;
        QStringList ids;
        for (CwiczenieZKlasy& c : cwiczenia) {
            wedlugId.insert(c.id, &c.zapis);
            ids << c.id;
        }
        const pg::Wynik p = polaczenie_->Wykonaj(kPytania, {pg::Tekst(ids.join(QLatin1Char(',')))});
        if (!p.Dobry()) return porazka(p);
        for (int i = 0; i < p.Wiersze(); ++i) {
            ZapisCwiczenia* z = wedlugId.value(p.Tekst(i, 0));
            const long long a = p.Int(i, 1), b = p.Int(i, 2);
            if (!z || !OperandyWZakresie(z->dzialanie, a, b)) continue;
            z->pytania.push_back({std::int32_t(a), std::int32_t(b), p.Tekst(i, 3).toStdString(), p.Prawda(i, 4),
                                  std::int32_t(p.Int(i, 5))});
        }
        return true;
    });
    if (!ok) return std::nullopt;
    return cwiczenia;
}

std::optional<std::vector<FaktKlasy>> OdczytKlasy::Fakty(std::uint8_t dzialanie, const std::optional<QString>& imie,
                                                         std::int64_t odMs)
{
    std::vector<FaktKlasy> fakty;
    const bool ok = czytaj([&] {
        fakty.clear();
        std::vector<pg::Wartosc> wartosci = {pg::Tekst(konfiguracja_.klasa), pg::Liczba(dzialanie), pg::Liczba(odMs)};
        if (imie) wartosci.push_back(pg::Tekst(*imie));
        const pg::Wynik w = polaczenie_->Wykonaj(imie ? kFaktyDziecka : kFakty, wartosci);
        if (!w.Dobry()) return porazka(w);
        for (int i = 0; i < w.Wiersze(); ++i)
            if (OperandyWZakresie(dzialanie, w.Int(i, 0), w.Int(i, 1)))
                fakty.push_back({std::int32_t(w.Int(i, 0)), std::int32_t(w.Int(i, 1)), int(w.Int(i, 2)),
                                 int(w.Int(i, 3)), w.Int(i, 4), w.Rzeczywista(i, 5)});
        return true;
    });
    if (!ok) return std::nullopt;
    return fakty;
}

} // namespace zm
