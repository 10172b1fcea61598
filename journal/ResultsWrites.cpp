// The journal's writes: the children's changes and the drills, each
// child's record of every fact with them, in one transaction.
#include "ResultsStore.h"

#include "DrillState.h"
#include "Practice.h"
#include "QuestionGenerator.h"
#include "Sqlite.h"

#include <algorithm>
#include <set>

namespace zm {

int BazaWynikow::zapiszFakt(std::int64_t dziecko, const Fakt& f, const StanFaktu& s, double tykniecia)
{
    sql::Zapytanie q(db_, "INSERT OR REPLACE INTO child_facts (child_id, operation, a, b, asked, missed, time_ms, ticks,"
                          " last_ms, box) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Wiaz(1, dziecko).Wiaz(2, f.dzialanie).Wiaz(3, f.a).Wiaz(4, f.b).Wiaz(5, s.pytan).Wiaz(6, s.bledow);
    q.Wiaz(7, s.czasMs).Wiaz(8, tykniecia).Wiaz(9, s.ostatnioMs).Wiaz(10, s.pudelko);
    return q.Krok();
}

void BazaWynikow::zapamietaj(StanFaktu& s, double& tykniecia, bool dobrze, std::int32_t czasMs, std::int32_t predkosc,
                             std::int64_t kiedyMs)
{
    Zapamietaj(s, dobrze, czasMs, predkosc, kiedyMs);
    tykniecia += static_cast<double>(czasMs) / predkosc;
}

WynikBazy BazaWynikow::Zapisz(std::span<const ZmianaDziecka> zmiany, std::span<const ZapisCwiczenia> zapisy)
{
    if (!otwarcie_) return otwarcie_;
    return wTransakcji([&]() -> int {
        // A child removed with its drills takes those that waited with the
        // removal too (its ids are never given again).
        std::set<std::int64_t> usunieteZWynikami;
        for (const ZmianaDziecka& z : zmiany) {
            if (const int kod = zmienDziecko(z); kod != SQLITE_OK && kod != SQLITE_DONE) return kod;
            if (z.rodzaj == ZmianaDziecka::Rodzaj::UsunZWynikami) usunieteZWynikami.insert(z.id);
        }
        sql::Zapytanie cw(db_, "INSERT INTO drills (ended_at_ms, operation, questions, pace_ms, narrator, good, bad,"
                               " grade, child_id, draw, uid) SELECT ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10,"
                               " lower(hex(randomblob(16))) WHERE NOT EXISTS (SELECT 1 FROM drills"
                               " WHERE ended_at_ms = ?1 AND operation = ?2 AND questions = ?3 AND pace_ms = ?4"
                               " AND good = ?6 AND bad = ?7 AND grade = ?8 AND child_id = ?9)");
        sql::Zapytanie odp(db_, "INSERT INTO answers (drill_id, number, operand1, operand2, answer, correct, time_ms)"
                                " VALUES (?, ?, ?, ?, ?, ?, ?)");
        // A drill of a child the file does not know (its name was not
        // written) still has a child.
        sql::Zapytanie dz(db_, "INSERT OR IGNORE INTO children (id, name) VALUES (?1, 'Dziecko ' || ?1)");
        sql::Zapytanie fakt(db_, "SELECT asked, missed, time_ms, ticks, last_ms, box FROM child_facts"
                                 " WHERE child_id = ? AND operation = ? AND a = ? AND b = ?");
        for (const sql::Zapytanie* z : {&cw, &odp, &dz, &fakt})
            if (z->Kod() != SQLITE_OK) return z->Kod();
        for (const ZapisCwiczenia& z : zapisy) {
            const std::int64_t dziecko = z.dziecko > 0 ? z.dziecko : kPierwszeDziecko;
            if (usunieteZWynikami.contains(dziecko)) continue;
            cw.Zeruj();
            cw.Wiaz(1, z.koniecMs).Wiaz(2, z.dzialanie).Wiaz(3, z.iloscPytan).Wiaz(4, z.predkosc).Wiaz(5, z.lektor);
            cw.Wiaz(6, z.dobrze).Wiaz(7, z.zle).Wiaz(8, z.ocena).Wiaz(9, dziecko).Wiaz(10, z.losowanie);
            if (const int kod = cw.Krok(); kod != SQLITE_DONE) return kod;
            if (sqlite3_changes(db_) == 0) continue; // already in the file
            const std::int64_t id = sqlite3_last_insert_rowid(db_);
            dz.Zeruj();
            dz.Wiaz(1, dziecko);
            if (const int kod = dz.Krok(); kod != SQLITE_DONE) return kod;
            std::int64_t nr = 0;
            for (const PytanieCwiczenia& p : z.pytania) {
                odp.Zeruj();
                odp.Wiaz(1, id).Wiaz(2, ++nr).Wiaz(3, p.liczba1).Wiaz(4, p.liczba2);
                odp.Wiaz(5, QString::fromStdString(p.odpowiedz)).Wiaz(6, p.dobrze).Wiaz(7, p.czasMs);
                if (const int kod = odp.Krok(); kod != SQLITE_DONE) return kod;
                // The child's record of the fact, by the practice's rule.
                if (z.predkosc <= 0 || !PytanieMozliwe(z.dzialanie, p.liczba1, p.liczba2)) continue;
                const Fakt f = FaktPytania(z.dzialanie, p.liczba1, p.liczba2);
                StanFaktu s;
                double tykniecia = 0;
                fakt.Zeruj();
                fakt.Wiaz(1, dziecko).Wiaz(2, f.dzialanie).Wiaz(3, f.a).Wiaz(4, f.b);
                // A record that cannot be read is an error, never a fact
                // asked for the first time. Its counts come from the file:
                // kept where one more answer cannot overflow them.
                if (const int kod = fakt.Krok(); kod == SQLITE_ROW) {
                    const std::int64_t pytan = std::clamp<std::int64_t>(fakt.Int(0), 0, INT32_MAX - 1);
                    s = {static_cast<std::int32_t>(pytan),
                         static_cast<std::int32_t>(std::clamp<std::int64_t>(fakt.Int(1), 0, pytan)),
                         std::clamp<std::int64_t>(fakt.Int(2), 0, INT64_MAX / 2), fakt.Int(4),
                         static_cast<std::uint8_t>(std::clamp<std::int64_t>(fakt.Int(5), 0, 5))};
                    tykniecia = fakt.Real(3);
                } else if (kod != SQLITE_DONE) {
                    return kod;
                }
                fakt.Zeruj();
                zapamietaj(s, tykniecia, p.dobrze, p.czasMs, z.predkosc, z.koniecMs);
                if (const int kod = zapiszFakt(dziecko, f, s, tykniecia); kod != SQLITE_DONE) return kod;
            }
        }
        return SQLITE_OK;
    });
}

int BazaWynikow::zmienDziecko(const ZmianaDziecka& z)
{
    using R = ZmianaDziecka::Rodzaj;
    switch (z.rodzaj) {
    case R::Imie: {
        sql::Zapytanie q(db_, "INSERT INTO children (id, name) VALUES (?1, ?2)"
                              " ON CONFLICT (id) DO UPDATE SET name = ?2, removed = 0");
        q.Wiaz(1, z.id).Wiaz(2, z.imie);
        return q.Krok();
    }
    case R::Ustawienia: {
        const Ustawienia& u = z.ustawienia;
        sql::Zapytanie q(db_, "UPDATE children SET operation = ?, questions = ?, pace_ms = ?, narrator = ?, draw = ?,"
                              " tables = ? WHERE id = ?");
        q.Wiaz(1, u.Dzialanie).Wiaz(2, u.IloscPytan).Wiaz(3, u.Predkosc).Wiaz(4, u.Lektor);
        q.Wiaz(5, static_cast<std::int64_t>(u.Tryb)).Wiaz(6, u.Tabliczki).Wiaz(7, z.id);
        return q.Krok();
    }
    case R::Wybrane: {
        sql::Zapytanie q(db_, "UPDATE children SET chosen_at_ms = ? WHERE id = ?");
        q.Wiaz(1, z.kiedyMs).Wiaz(2, z.id);
        return q.Krok();
    }
    case R::Usun: {
        sql::Zapytanie q(db_, "UPDATE children SET removed = 1 WHERE id = ?");
        q.Wiaz(1, z.id);
        return q.Krok();
    }
    case R::UsunZWynikami:
        for (const char* polecenie : {"DELETE FROM answers WHERE drill_id IN (SELECT id FROM drills WHERE child_id = ?)",
                                      "DELETE FROM drills WHERE child_id = ?", "DELETE FROM child_facts WHERE child_id = ?",
                                      "DELETE FROM children WHERE id = ?"}) {
            sql::Zapytanie q(db_, polecenie);
            q.Wiaz(1, z.id);
            if (const int kod = q.Krok(); kod != SQLITE_DONE) return kod;
        }
        return SQLITE_DONE;
    }
    return SQLITE_DONE;
}

} // namespace zm
