// A child's record merged with the class's server. The record is what the
// practice's rule (Zapamietaj) makes of the child's answers in the order
// they were given; so merging is making it again from the union of the
// answers this file holds and those the server holds, each drill taken once
// by its id (lower-case hex digits; the server's uuid text without its
// dashes), sorted by the drill's end, its id and the question's number.
// That is deterministic and idempotent: merging twice, or a drill of this
// file that the server holds too, changes nothing; answers the server does
// not give (drills before the child was on the roster, or not yet sent)
// count from this file.
#include "ResultsStore.h"

#include "QuestionGenerator.h"
#include "Sqlite.h"
#include "StoreRules.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace zm {

WynikBazy BazaWynikow::ScalRekord(std::int64_t dziecko, const std::vector<OdpowiedzDziecka>& zSerwera)
{
    if (!otwarcie_) return otwarcie_;
    if (wersjaPliku_ != kWersjaSchematu) return {BladBazy::Nowsza, QStringLiteral("version %1").arg(wersjaPliku_)};
    return wTransakcji([&]() -> int {
        std::vector<OdpowiedzDziecka> odpowiedzi;
        std::set<std::string> tutaj;
        sql::Zapytanie q(db_, QStringLiteral("SELECT lower(replace(coalesce(d.uid, 'plik-' || d.id), '-', '')),"
                                             " d.ended_at_ms, d.operation, d.pace_ms, a.number, a.operand1, a.operand2,"
                                             " a.correct, a.time_ms FROM answers a JOIN drills d ON d.id = a.drill_id"
                                             " WHERE d.child_id = ?1 AND %1 AND %2 AND %3")
                                  .arg(kDobreCwiczenie, kDobraOdpowiedz, kPytanieMozliwe));
        if (q.Kod() != SQLITE_OK) return q.Kod();
        q.Wiaz(1, dziecko);
        int kod;
        while ((kod = q.Krok()) == SQLITE_ROW) {
            odpowiedzi.push_back({q.Tekst(0).toStdString(), q.Int(1), static_cast<std::uint8_t>(q.Int(2)),
                                  static_cast<std::int32_t>(q.Int(3)), static_cast<std::int32_t>(q.Int(4)),
                                  static_cast<std::int32_t>(q.Int(5)), static_cast<std::int32_t>(q.Int(6)), q.Int(7) != 0,
                                  static_cast<std::int32_t>(q.Int(8))});
            tutaj.insert(odpowiedzi.back().idCwiczenia);
        }
        if (kod != SQLITE_DONE) return kod;
        // The server's answers of drills this file does not hold, checked
        // as the file's are (a server may hold anything).
        for (const OdpowiedzDziecka& o : zSerwera)
            if (!tutaj.contains(o.idCwiczenia) && o.predkosc > 0 && o.czasMs >= 0 && o.czasMs <= 86400000 &&
                PytanieMozliwe(o.dzialanie, o.liczba1, o.liczba2))
                odpowiedzi.push_back(o);
        std::sort(odpowiedzi.begin(), odpowiedzi.end(), [](const OdpowiedzDziecka& a, const OdpowiedzDziecka& b) {
            return std::tie(a.koniecMs, a.idCwiczenia, a.numer) < std::tie(b.koniecMs, b.idCwiczenia, b.numer);
        });
        std::map<Fakt, std::pair<StanFaktu, double>> fakty;
        for (const OdpowiedzDziecka& o : odpowiedzi) {
            auto& [stan, tykniecia] = fakty[FaktPytania(o.dzialanie, o.liczba1, o.liczba2)];
            zapamietaj(stan, tykniecia, o.dobrze, o.czasMs, o.predkosc, o.koniecMs);
        }
        sql::Zapytanie usun(db_, "DELETE FROM child_facts WHERE child_id = ?");
        usun.Wiaz(1, dziecko);
        if (const int k = usun.Krok(); k != SQLITE_DONE) return k;
        for (const auto& [fakt, s] : fakty)
            if (const int k = zapiszFakt(dziecko, fakt, s.first, s.second); k != SQLITE_DONE) return k;
        return SQLITE_OK;
    });
}

} // namespace zm
