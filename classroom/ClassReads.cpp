#include "ClassReads.h"

#include "ClassServer.h"
#include "Operations.h"
#include "QuestionGenerator.h"

#include <QCollator>
#include <QHash>
#include <QLocale>

#include <algorithm>
#include <array>
#include <map>

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

// The roster's children with their drills, then every other name drills
// were sent under; a page after (name, id).
#define ZM_PRZEGLAD                                                                                                     \
    " count(d.id) FILTER (WHERE d.ended_at >= to_timestamp(CAST($5 AS bigint) / 1000.0)),"                            \
    " avg(d.grade), avg(d.grade) FILTER (WHERE d.ended_at >= to_timestamp(CAST($5 AS bigint) / 1000.0)) -"            \
    " avg(d.grade) FILTER (WHERE d.ended_at < to_timestamp(CAST($5 AS bigint) / 1000.0)),"                            \
    " (array_agg(d.workstation ORDER BY d.ended_at DESC))[1]"
const char kDzieci[] =
    "SELECT id, name, note, n, last_ms, stations, week, mean, trend, last_station FROM ("
    " SELECT c.id, c.name, c.note, count(d.id) AS n, " ZM_EPOKA_MS("max(d.ended_at)") " AS last_ms,"
    "  string_agg(DISTINCT d.workstation, E'\\n') AS stations," ZM_PRZEGLAD
    "  FROM zoltava.children c LEFT JOIN zoltava.drills d ON d.child_id = c.id AND " ZM_DOBRE_CWICZENIE
    "  WHERE c.class = $1 AND NOT c.removed GROUP BY c.id"
    " UNION ALL"
    " SELECT 0, d.child, '', count(*), " ZM_EPOKA_MS("max(d.ended_at)") ", string_agg(DISTINCT d.workstation, E'\\n'),"
    ZM_PRZEGLAD
    "  FROM zoltava.drills d WHERE d.class = $1 AND d.child_id IS NULL AND " ZM_DOBRE_CWICZENIE " GROUP BY d.child)"
    " AS u (id, name, note, n, last_ms, stations, week, mean, trend, last_station)"
    " WHERE (u.name, u.id) > ($2, CAST($3 AS bigint)) ORDER BY u.name, u.id LIMIT $4";
#undef ZM_PRZEGLAD
// One child: by its roster id, or ($2 = 0) by the name it has now.
#define ZM_DZIECKO                                                                                                     \
    " CASE WHEN CAST($2 AS bigint) = 0 THEN coalesce(c.name, d.child) = $3 ELSE d.child_id = CAST($2 AS bigint) END"
// A page of one child's drills, in the order of the indexes (class, child,
// ended_at, id) and (child_id, ended_at, id): by roster id; by a name no
// roster child has (the drills sent under it); by a name roster children
// have too (theirs and the drills sent under it).
#define ZM_CWICZENIA(kto, po)                                                                                          \
    "SELECT CAST(d.id AS text), d.workstation, " ZM_EPOKA_MS("d.ended_at") ", d.operation, d.questions, d.pace_ms,"   \
    " d.narrator, d.good, d.bad, d.grade, d.draw, CAST(d.ended_at AS text), coalesce(c.name, d.child)"               \
    " FROM zoltava.drills d LEFT JOIN zoltava.children c ON c.id = d.child_id"                                        \
    " WHERE d.class = $1 AND " kto " AND " ZM_DOBRE_CWICZENIE po " ORDER BY d.ended_at DESC, d.id DESC LIMIT $4"
#define ZM_PO " AND (d.ended_at, d.id) < (CAST($5 AS timestamptz), CAST($6 AS uuid))"
#define ZM_ID "d.child_id = CAST($2 AS bigint) AND CAST($3 AS text) IS NOT NULL"
#define ZM_IMIE "CAST($2 AS bigint) = 0 AND d.child_id IS NULL AND d.child = $3"
#define ZM_IMIE_I_LISTA                                                                                                \
    "CAST($2 AS bigint) = 0 AND (d.child_id IS NULL AND d.child = $3 OR d.child_id IN"                                \
    " (SELECT c2.id FROM zoltava.children c2 WHERE c2.class = $1 AND c2.name = $3))"
const char* const kCwiczenia[3][2] = {
    {ZM_CWICZENIA(ZM_ID, ""), ZM_CWICZENIA(ZM_ID, ZM_PO)},
    {ZM_CWICZENIA(ZM_IMIE, ""), ZM_CWICZENIA(ZM_IMIE, ZM_PO)},
    {ZM_CWICZENIA(ZM_IMIE_I_LISTA, ""), ZM_CWICZENIA(ZM_IMIE_I_LISTA, ZM_PO)},
};
#undef ZM_IMIE_I_LISTA
#undef ZM_IMIE
#undef ZM_ID
#undef ZM_PO
// Each child's three most missed questions (ties by operation and operands),
// keyed as Dzieci keys the children: by roster id, or (0) by name.
const char kNajslabsze[] =
    "SELECT id, name, operation, operand1, operand2 FROM ("
    " SELECT coalesce(d.child_id, 0) AS id, CASE WHEN d.child_id IS NULL THEN d.child ELSE '' END AS name,"
    "  d.operation, a.operand1, a.operand2, row_number() OVER (PARTITION BY coalesce(d.child_id, 0),"
    "  CASE WHEN d.child_id IS NULL THEN d.child ELSE '' END ORDER BY count(*) FILTER (WHERE NOT a.correct) DESC,"
    "  d.operation, a.operand1, a.operand2) AS r"
    " FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"
    " WHERE d.class = $1 AND " ZM_DOBRE_CWICZENIE " AND " ZM_DOBRA_ODPOWIEDZ
    " GROUP BY 1, 2, d.operation, a.operand1, a.operand2 HAVING count(*) FILTER (WHERE NOT a.correct) > 0) t"
    " WHERE r <= 3 ORDER BY id, name, r";
const char kImieNaLiscie[] = "SELECT EXISTS (SELECT FROM zoltava.children WHERE class = $1 AND name = $2)";
const char kPytania[] = "SELECT CAST(a.drill_id AS text), a.operand1, a.operand2, a.answer, a.correct, a.time_ms"
                        " FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"
                        " WHERE a.drill_id = ANY (CAST(string_to_array($1, ',') AS uuid[])) AND " ZM_DOBRA_ODPOWIEDZ
                        " ORDER BY a.drill_id, a.number";
#define ZM_FAKTY(dziecko)                                                                                              \
    "SELECT a.operand1, a.operand2, count(*), count(*) FILTER (WHERE NOT a.correct), sum(a.time_ms),"                 \
    " sum(CAST(a.time_ms AS float8) / d.pace_ms),"                                                                   \
    " string_agg(DISTINCT coalesce(c.name, d.child), E'\\n') FILTER (WHERE NOT a.correct)"                          \
    " FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"                                               \
    " LEFT JOIN zoltava.children c ON c.id = d.child_id"                                                               \
    " WHERE d.class = $1 AND d.operation = CAST($4 AS smallint) AND " ZM_DOBRE_CWICZENIE " AND " ZM_DOBRA_ODPOWIEDZ     \
    " AND d.ended_at >= to_timestamp(CAST($5 AS bigint) / 1000.0)" dziecko                                             \
    " GROUP BY a.operand1, a.operand2 ORDER BY a.operand1, a.operand2"
const char kFakty[] = ZM_FAKTY(" AND CAST($2 AS bigint) = 0 AND CAST($3 AS text) = ''");
const char kFaktyDziecka[] = ZM_FAKTY(" AND" ZM_DZIECKO);
#undef ZM_FAKTY
#undef ZM_DZIECKO
#undef ZM_CWICZENIA
#undef ZM_DOBRA_ODPOWIEDZ
#undef ZM_DOBRE_CWICZENIE
#undef ZM_EPOKA_MS

// The children in one statement, bounded: one more than are shown tells
// that more were left out.
const int kStronaDzieci = OdczytKlasy::kMaksDzieci + 1;

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

std::optional<std::vector<DzieckoKlasy>> OdczytKlasy::Dzieci(bool* obcieto, std::int64_t tydzienOdMs,
                                                            bool zNajslabszymi)
{
    std::vector<DzieckoKlasy> dzieci;
    bool wiecej = false;
    const bool ok = czytaj([&] {
        dzieci.clear();
        wiecej = false;
        // A page at a time, by the server's order of the names.
        QString po = QStringLiteral("");
        for (long long poId = -1; !wiecej;) {
            const pg::Wynik w =
                polaczenie_->Wykonaj(kDzieci, {pg::Tekst(konfiguracja_.klasa), pg::Tekst(po), pg::Liczba(poId),
                                               pg::Liczba(kStronaDzieci), pg::Liczba(tydzienOdMs)});
            if (!w.Dobry()) return porazka(w);
            for (int i = 0; i < w.Wiersze(); ++i) {
                poId = w.Int(i, 0);
                po = w.Tekst(i, 1);
                if (int(dzieci.size()) == kMaksDzieci) {
                    wiecej = true;
                    break;
                }
                QStringList stanowiska = w.Tekst(i, 5).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
                stanowiska.sort();
                DzieckoKlasy d;
                d.id = poId;
                d.imie = po;
                d.uwaga = w.Tekst(i, 2);
                d.cwiczen = int(w.Int(i, 3));
                d.ostatnieMs = w.Int(i, 4);
                d.stanowiska = stanowiska;
                d.wTygodniu = int(w.Int(i, 6));
                if (!w.Pusty(i, 7)) d.sredniaOcen = w.Rzeczywista(i, 7);
                if (!w.Pusty(i, 8)) d.trend = w.Rzeczywista(i, 8);
                d.ostatnieStanowisko = w.Tekst(i, 9);
                dzieci.push_back(std::move(d));
            }
            if (w.Wiersze() < kStronaDzieci) break;
        }
        if (!zNajslabszymi) return true;
        const pg::Wynik n = polaczenie_->Wykonaj(kNajslabsze, {pg::Tekst(konfiguracja_.klasa)});
        if (!n.Dobry()) return porazka(n);
        std::map<std::pair<long long, QString>, QStringList> najslabsze;
        for (int i = 0; i < n.Wiersze(); ++i) {
            const auto dzialanie = static_cast<std::uint8_t>(n.Int(i, 2));
            const long long a = n.Int(i, 3), b = n.Int(i, 4);
            if (!PytanieMozliwe(dzialanie, a, b)) continue;
            najslabsze[{n.Int(i, 0), n.Tekst(i, 1)}] << QStringLiteral("%1 %2 %3").arg(a).arg(QString::fromUtf8(
                                                                                                  std::array{"×", ":", "+", "−"}[dzialanie]))
                                                                                         .arg(b);
        }
        for (DzieckoKlasy& d : dzieci) d.najslabsze = najslabsze[{d.id, d.id ? QString() : d.imie}];
        return true;
    });
    if (!ok) return std::nullopt;
    if (obcieto) *obcieto = wiecej;
    QCollator polski{QLocale(QLocale::Polish, QLocale::Poland)};
    std::sort(dzieci.begin(), dzieci.end(), [&](const DzieckoKlasy& a, const DzieckoKlasy& b) {
        const int r = polski.compare(a.imie, b.imie);
        return r != 0 ? r < 0 : a.imie != b.imie ? a.imie < b.imie : a.id < b.id;
    });
    return dzieci;
}

std::optional<std::vector<CwiczenieZKlasy>> OdczytKlasy::Cwiczenia(const KtoWKlasie& kto, bool zPytaniami,
                                                                   const CwiczenieZKlasy* po, int ile)
{
    std::vector<CwiczenieZKlasy> cwiczenia;
    const bool ok = czytaj([&] {
        cwiczenia.clear();
        std::vector<pg::Wartosc> wartosci = {pg::Tekst(konfiguracja_.klasa), pg::Liczba(kto.id), pg::Tekst(kto.imie),
                                             pg::Liczba(std::max(ile, 1))};
        if (po) {
            wartosci.push_back(pg::Tekst(po->koniec));
            wartosci.push_back(pg::Tekst(po->id));
        }
        int rodzaj = 0;
        if (kto.id == 0 && kto.tylkoImie) {
            rodzaj = 1;
        } else if (kto.id == 0) {
            const pg::Wynik n =
                polaczenie_->Wykonaj(kImieNaLiscie, {pg::Tekst(konfiguracja_.klasa), pg::Tekst(kto.imie)});
            if (n.Wiersze() != 1) return porazka(n);
            rodzaj = n.Prawda(0, 0) ? 2 : 1;
        }
        const pg::Wynik w = polaczenie_->Wykonaj(kCwiczenia[rodzaj][po ? 1 : 0], wartosci);
        if (!w.Dobry()) return porazka(w);
        for (int i = 0; i < w.Wiersze(); ++i) {
            CwiczenieZKlasy c{w.Tekst(i, 0), w.Tekst(i, 11), w.Tekst(i, 12), w.Tekst(i, 1), {}};
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
            if (!z || !PytanieMozliwe(z->dzialanie, a, b)) continue;
            z->pytania.push_back({std::int32_t(a), std::int32_t(b), p.Tekst(i, 3).toStdString(), p.Prawda(i, 4),
                                  std::int32_t(p.Int(i, 5))});
        }
        return true;
    });
    if (!ok) return std::nullopt;
    return cwiczenia;
}

std::optional<std::vector<FaktKlasy>> OdczytKlasy::Fakty(std::uint8_t dzialanie, const std::optional<KtoWKlasie>& kto,
                                                         std::int64_t odMs)
{
    std::vector<FaktKlasy> fakty;
    const bool ok = czytaj([&] {
        fakty.clear();
        const pg::Wynik w = polaczenie_->Wykonaj(
            kto ? kFaktyDziecka : kFakty, {pg::Tekst(konfiguracja_.klasa), pg::Liczba(kto ? kto->id : 0),
                                           pg::Tekst(kto ? kto->imie : QString()), pg::Liczba(dzialanie), pg::Liczba(odMs)});
        if (!w.Dobry()) return porazka(w);
        for (int i = 0; i < w.Wiersze(); ++i)
            if (PytanieMozliwe(dzialanie, w.Int(i, 0), w.Int(i, 1)))
                fakty.push_back({std::int32_t(w.Int(i, 0)), std::int32_t(w.Int(i, 1)), int(w.Int(i, 2)),
                                 int(w.Int(i, 3)), w.Int(i, 4), w.Rzeczywista(i, 5),
                                 w.Tekst(i, 6).split(QLatin1Char('\n'), Qt::SkipEmptyParts), dzialanie});
        return true;
    });
    if (!ok) return std::nullopt;
    return fakty;
}

std::optional<std::vector<FaktKlasy>> OdczytKlasy::FaktyWszystkichDzialan()
{
    std::vector<FaktKlasy> wszystkie;
    for (const FaktyDzialania& d : Dzialania()) {
        auto fakty = Fakty(d.dzialanie);
        if (!fakty) return std::nullopt;
        wszystkie.insert(wszystkie.end(), fakty->begin(), fakty->end());
    }
    return wszystkie;
}

namespace {

// Why a roster's name cannot be taken, or "".
QString ZleImie(const QString& imie, const QString& uwaga)
{
    if (imie.trimmed().isEmpty()) return QStringLiteral("Imię dziecka nie może być puste.");
    if (imie.size() > 200 || uwaga.size() > 200) return QStringLiteral("Imię lub uwaga ma więcej niż 200 znaków.");
    return {};
}

} // namespace

std::optional<std::int64_t> OdczytKlasy::DodajDoListy(const QString& imie, const QString& uwaga)
{
    if (const QString zle = ZleImie(imie, uwaga); !zle.isEmpty()) return blad_ = zle, std::nullopt;
    std::int64_t id = 0;
    const bool ok = czytaj([&] {
        const pg::Wynik w = polaczenie_->Wykonaj(
            "INSERT INTO zoltava.children (class, name, note) VALUES ($1, $2, $3) RETURNING id",
            {pg::Tekst(konfiguracja_.klasa), pg::Tekst(imie.trimmed()), pg::Tekst(uwaga.trimmed())});
        if (w.Wiersze() != 1) return porazka(w);
        id = w.Int(0, 0);
        return true;
    });
    if (!ok) return std::nullopt;
    return id;
}

bool OdczytKlasy::ZmienNaLiscie(std::int64_t id, const QString& imie, const QString& uwaga)
{
    if (const QString zle = ZleImie(imie, uwaga); !zle.isEmpty()) return blad_ = zle, false;
    bool jest = false;
    return czytaj([&] {
        const pg::Wynik w = polaczenie_->Wykonaj(
            "UPDATE zoltava.children SET name = $3, note = $4 WHERE class = $1 AND id = CAST($2 AS bigint) RETURNING id",
            {pg::Tekst(konfiguracja_.klasa), pg::Liczba(id), pg::Tekst(imie.trimmed()), pg::Tekst(uwaga.trimmed())});
        if (!w.Dobry()) return porazka(w);
        jest = w.Wiersze() == 1;
        return true;
    }) && jest;
}

bool OdczytKlasy::UsunZListy(std::int64_t id)
{
    bool jest = false;
    return czytaj([&] {
        const pg::Wynik w = polaczenie_->Wykonaj(
            "UPDATE zoltava.children SET removed = true WHERE class = $1 AND id = CAST($2 AS bigint) RETURNING id",
            {pg::Tekst(konfiguracja_.klasa), pg::Liczba(id)});
        if (!w.Dobry()) return porazka(w);
        jest = w.Wiersze() == 1;
        return true;
    }) && jest;
}

std::optional<int> OdczytKlasy::ImportujListe(const QString& lista)
{
    QStringList imiona;
    for (const QString& wiersz : lista.split(QLatin1Char('\n'))) {
        const QString imie = wiersz.trimmed();
        if (imie.isEmpty()) continue;
        if (const QString zle = ZleImie(imie, {}); !zle.isEmpty()) return blad_ = zle, std::nullopt;
        imiona << imie;
    }
    int dodane = 0;
    const bool ok = czytaj([&] {
        // In the list's order, each name once, none already on the roster.
        const pg::Wynik w = polaczenie_->Wykonaj(
            "INSERT INTO zoltava.children (class, name)"
            " SELECT $1, l.n FROM (SELECT n, min(o) AS o FROM unnest(string_to_array($2, E'\\n')) WITH ORDINALITY"
            " AS t(n, o) GROUP BY n) l WHERE NOT EXISTS (SELECT FROM zoltava.children c"
            " WHERE c.class = $1 AND c.name = l.n AND NOT c.removed) ORDER BY l.o RETURNING id",
            {pg::Tekst(konfiguracja_.klasa), pg::Tekst(imiona.join(QLatin1Char('\n')))});
        if (!w.Dobry()) return porazka(w);
        dodane = w.Wiersze();
        return true;
    });
    if (!ok) return std::nullopt;
    return dodane;
}

} // namespace zm
