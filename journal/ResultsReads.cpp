// The reads of the results window and the practice: every one skips the
// rows that break the schema's rules.
#include "ResultsStore.h"

#include "Practice.h"
#include "Sqlite.h"
#include "StoreRules.h"

#include <algorithm>
#include <cstdio>

namespace zm {

QString BazaWynikow::kolumnyCwiczenia() const
{
    // A file of the first version has no children: its drills are the
    // first child's.
    return QStringLiteral("d.ended_at_ms, d.operation, d.questions, d.pace_ms, d.narrator, d.good, d.bad, d.grade, %1")
        .arg(wersjaPliku_ >= 2 ? QStringLiteral("d.child_id, d.draw") : QStringLiteral("1, 0"));
}

QString BazaWynikow::tegoDziecka() const
{
    return wersjaPliku_ >= 2 ? QStringLiteral("(?9 = 0 OR d.child_id = ?9)") : QStringLiteral("(?9 IN (0, 1))");
}

WierszCwiczenia BazaWynikow::wiersz(const sql::Zapytanie& q, int k)
{
    WierszCwiczenia w{q.Int(k), static_cast<std::uint8_t>(q.Int(k + 1)), static_cast<std::int32_t>(q.Int(k + 2)),
                      static_cast<std::int32_t>(q.Int(k + 3)), q.Int(k + 4) != 0, static_cast<std::int32_t>(q.Int(k + 5)),
                      static_cast<std::int32_t>(q.Int(k + 6)), static_cast<std::uint8_t>(q.Int(k + 7))};
    w.dziecko = q.Int(k + 8);
    w.losowanie = static_cast<std::uint8_t>(std::clamp<std::int64_t>(q.Int(k + 9), 0, 1));
    return w;
}

WynikBazy BazaWynikow::Strona(KluczListy& po, int ile, std::vector<WierszCwiczenia>& wiersze, std::int64_t dziecko)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.id, %1 FROM drills d WHERE d.ended_at_ms <= ?1"
                                         " AND (d.ended_at_ms < ?1 OR d.id < ?2) AND %2 AND %3"
                                         " ORDER BY d.ended_at_ms DESC, d.id DESC LIMIT ?3")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie, tegoDziecka()));
    q.Wiaz(1, po.koniecMs).Wiaz(2, po.id).Wiaz(3, ile).Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        po = {q.Int(1), q.Int(0)};
        wiersze.push_back(wiersz(q, 1));
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Oceny(std::vector<OcenaWCzasie>& oceny, std::int64_t& pominiete, std::int64_t dziecko)
{
    pominiete = 0;
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT d.ended_at_ms, d.operation, d.grade, %1 FROM drills d WHERE %2")
                              .arg(kDobreCwiczenie, tegoDziecka()));
    q.Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        if (q.Int(3) == 0) {
            ++pominiete;
            continue;
        }
        oceny.push_back({q.Int(0), static_cast<std::uint8_t>(q.Int(1)), static_cast<std::uint8_t>(q.Int(2))});
    }
    if (pominiete > 0)
        std::fprintf(stderr, "Zoltava mnożenia: %s: %lld drills break the schema's rules and are skipped\n",
                     qUtf8Printable(plik_), static_cast<long long>(pominiete));
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Fakty(std::uint8_t dzialanie, std::vector<KomorkaFaktu>& komorki, std::int64_t dziecko,
                             std::int64_t odMs)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    // All time from each child's record; a period (or a file whose record,
    // if any, the journal has not yet made by the current schedule: before
    // version 3) from the answers themselves.
    const bool zRekordu = wersjaPliku_ >= 3 && odMs <= 0;
    sql::Zapytanie q(db_, zRekordu ? QStringLiteral("SELECT a, b, sum(asked), sum(missed), sum(time_ms), sum(ticks),"
                                                    " max(last_ms), CASE WHEN count(*) = 1 THEN max(box) ELSE 0 END"
                                                    " FROM child_facts WHERE operation = ?1 AND (?9 = 0 OR child_id = ?9)"
                                                    " AND asked > 0 GROUP BY a, b ORDER BY a, b")
                                   : QStringLiteral("SELECT %1, %2, count(*), sum(1 - a.correct), sum(a.time_ms),"
                                                    " sum(a.time_ms * 1.0 / d.pace_ms), max(d.ended_at_ms), 0"
                                                    " FROM answers a JOIN drills d ON d.id = a.drill_id"
                                                    " WHERE d.operation = ?1 AND d.ended_at_ms >= ?2 AND %3 AND %4 AND %5"
                                                    " AND %6 GROUP BY 1, 2 ORDER BY 1, 2")
                                         .arg(kFaktA, kFaktB, kDobreCwiczenie, kDobraOdpowiedz, tegoDziecka(),
                                              kPytanieMozliwe));
    q.Wiaz(1, dzialanie).Wiaz(9, dziecko);
    if (!zRekordu) q.Wiaz(2, odMs);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        KomorkaFaktu k{q.Int(0), q.Int(1), q.Int(2), q.Int(3), q.Real(4), q.Real(5)};
        k.ostatnioMs = q.Int(6);
        k.pudelko = static_cast<std::uint8_t>(std::clamp<std::int64_t>(q.Int(7), 0, 5));
        komorki.push_back(k);
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::KazdeCwiczenie(const std::function<bool(std::int64_t, const WierszCwiczenia&)>& wiersz,
                                      std::int64_t dziecko)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT %1, d.id FROM drills d WHERE %2 AND %3 ORDER BY d.ended_at_ms DESC, d.id DESC")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie, tegoDziecka()));
    q.Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW)
        if (!wiersz(q.Int(10), BazaWynikow::wiersz(q, 0))) return {BladBazy::Inny, QStringLiteral("stopped")};
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::KazdaOdpowiedz(
    const std::function<bool(std::int64_t, const WierszCwiczenia&, const PytanieCwiczenia&)>& odpowiedz, std::int64_t dziecko)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ == 0) return {};
    sql::Zapytanie q(db_, QStringLiteral("SELECT %1, a.operand1, a.operand2, a.answer, a.correct, a.time_ms, d.id"
                                         " FROM drills d JOIN answers a ON a.drill_id = d.id WHERE %2 AND %3 AND %4 AND %5"
                                         " ORDER BY d.ended_at_ms, d.id, a.number")
                              .arg(kolumnyCwiczenia(), kDobreCwiczenie, kDobraOdpowiedz, tegoDziecka(), kPytanieMozliwe));
    q.Wiaz(9, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const PytanieCwiczenia p{static_cast<std::int32_t>(q.Int(10)), static_cast<std::int32_t>(q.Int(11)),
                                 q.Tekst(12).toStdString(), q.Int(13) != 0, static_cast<std::int32_t>(q.Int(14))};
        if (!odpowiedz(q.Int(15), wiersz(q, 0), p)) return {BladBazy::Inny, QStringLiteral("stopped")};
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Dzieci(std::vector<WierszDziecka>& dzieci)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ < 2) return {}; // only the first child
    sql::Zapytanie q(db_, "SELECT id, name, removed, chosen_at_ms, operation, questions, pace_ms, narrator, draw, tables"
                          " FROM children WHERE typeof(id) = 'integer' AND typeof(name) = 'text' ORDER BY id");
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        WierszDziecka d;
        d.id = q.Int(0);
        d.imie = UporzadkujImie(q.Tekst(1)).left(kMaksDlugoscImienia);
        if (d.imie.isEmpty()) d.imie = ImieDomyslne(d.id);
        d.usuniete = q.Int(2) != 0;
        d.wybraneMs = q.Int(3);
        // Settings outside their choices keep the drill's defaults.
        Ustawienia& u = d.ustawienia;
        if (const auto v = q.Int(4); v >= 0 && v <= 3) u.Dzialanie = static_cast<std::uint8_t>(v);
        if (const auto v = q.Int(5); v == 10 || v == 30 || v == 70 || v == 100) u.IloscPytan = static_cast<std::int32_t>(v);
        if (const auto v = q.Int(6); NazwaPredkosci(static_cast<std::int32_t>(v))) u.Predkosc = static_cast<std::int32_t>(v);
        u.Lektor = q.Int(7) != 0;
        u.Tryb = q.Int(8) == 1 ? Losowanie::TrudneFakty : Losowanie::Losowe;
        if (const auto v = q.Int(9); (v & WszystkieTabliczki) && !(v & ~std::int64_t{WszystkieTabliczki}))
            u.Tabliczki = static_cast<std::uint16_t>(v);
        dzieci.push_back(std::move(d));
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

WynikBazy BazaWynikow::Rekord(std::int64_t dziecko, RekordFaktow& rekord)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ < 2) return {};
    sql::Zapytanie q(db_, "SELECT operation, a, b, asked, missed, time_ms, last_ms, box FROM child_facts"
                          " WHERE child_id = ? AND operation BETWEEN 0 AND 3 AND asked > 0 AND missed BETWEEN 0 AND asked");
    q.Wiaz(1, dziecko);
    int kod;
    while ((kod = q.Krok()) == SQLITE_ROW) {
        const Fakt f = FaktPytania(static_cast<std::uint8_t>(q.Int(0)), static_cast<std::int32_t>(q.Int(1)),
                                   static_cast<std::int32_t>(q.Int(2)));
        rekord[f] = {static_cast<std::int32_t>(std::min<std::int64_t>(q.Int(3), INT32_MAX)),
                     static_cast<std::int32_t>(std::min<std::int64_t>(q.Int(4), INT32_MAX)), std::max<std::int64_t>(q.Int(5), 0),
                     q.Int(6), static_cast<std::uint8_t>(std::clamp<std::int64_t>(q.Int(7), 1, 5))};
    }
    return kod == SQLITE_DONE ? WynikBazy{} : blad(kod);
}

} // namespace zm
