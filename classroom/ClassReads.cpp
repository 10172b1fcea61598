#include "ClassReads.h"

#include "ClassServer.h"
#include "OperandRanges.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QSqlQuery>

#include <algorithm>

namespace zm {

namespace {

const QString kEpokaMs = QStringLiteral("CAST(round(extract(epoch FROM %1) * 1000) AS bigint)");
// A drill the reads take: its time finite and in this world (the server's
// rules; rows made before them are skipped).
const QString kDobreCwiczenie =
    QStringLiteral("d.ended_at >= '2000-01-01 00:00:00+00' AND d.ended_at < '2200-01-01 00:00:00+00'"
                   " AND d.operation BETWEEN 0 AND 3 AND d.pace_ms > 0");
const QString kDobraOdpowiedz =
    QStringLiteral("zoltava.operands_in_range(d.operation, a.operand1, a.operand2) AND a.time_ms >= 0");
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

bool OdczytKlasy::porazka(const QSqlError& blad)
{
    const StanKlasy stan = polaczenie_->Blad(blad);
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
        QSqlQuery q(polaczenie_->Baza());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT child, count(*), %1, string_agg(DISTINCT workstation, E'\\n')"
                                 " FROM zoltava.drills d WHERE class = ? AND child > ? AND %2"
                                 " GROUP BY child ORDER BY child LIMIT ?")
                      .arg(kEpokaMs.arg(QStringLiteral("max(ended_at)")), kDobreCwiczenie));
        // A page at a time, by the server's order of the names.
        for (QString po = QStringLiteral(""); !wiecej;) {
            q.addBindValue(konfiguracja_.klasa);
            q.addBindValue(po);
            q.addBindValue(kStronaDzieci);
            if (!q.exec()) return porazka(q.lastError());
            int wStronie = 0;
            while (q.next()) {
                ++wStronie;
                po = q.value(0).toString();
                if (int(dzieci.size()) == kMaksDzieci) {
                    wiecej = true;
                    break;
                }
                QStringList stanowiska = q.value(3).toString().split(QLatin1Char('\n'));
                stanowiska.sort();
                dzieci.push_back({po, q.value(1).toInt(), q.value(2).toLongLong(), stanowiska});
            }
            q.finish();
            if (wStronie < kStronaDzieci) break;
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
        QSqlQuery q(polaczenie_->Baza());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT CAST(id AS text), workstation, %1, operation, questions, pace_ms, narrator,"
                                 " good, bad, grade, draw, CAST(ended_at AS text) FROM zoltava.drills d"
                                 " WHERE class = ? AND child = ? AND %2%3"
                                 " ORDER BY ended_at DESC, id DESC LIMIT ?")
                      .arg(kEpokaMs.arg(QStringLiteral("ended_at")), kDobreCwiczenie,
                           po ? QStringLiteral(" AND (ended_at, id) < (CAST(? AS timestamptz), CAST(? AS uuid))")
                              : QString()));
        q.addBindValue(konfiguracja_.klasa);
        q.addBindValue(imie);
        if (po) {
            q.addBindValue(po->koniec);
            q.addBindValue(po->id);
        }
        q.addBindValue(std::max(ile, 1));
        if (!q.exec()) return porazka(q.lastError());
        while (q.next()) {
            CwiczenieZKlasy c{q.value(0).toString(), q.value(11).toString(), imie, q.value(1).toString(), {}};
            ZapisCwiczenia& z = c.zapis;
            z.koniecMs = q.value(2).toLongLong();
            z.dzialanie = static_cast<std::uint8_t>(q.value(3).toInt());
            z.iloscPytan = q.value(4).toInt();
            z.predkosc = q.value(5).toInt();
            z.lektor = q.value(6).toBool();
            z.dobrze = q.value(7).toInt();
            z.zle = q.value(8).toInt();
            z.ocena = static_cast<std::uint8_t>(q.value(9).toInt());
            z.losowanie = static_cast<std::uint8_t>(q.value(10).toInt());
            cwiczenia.push_back(std::move(c));
        }
        q.finish();
        if (!zPytaniami || cwiczenia.empty()) return true;

        // The questions of this page's drills.
        QHash<QString, ZapisCwiczenia*> wedlugId;
        QStringList ids;
        for (CwiczenieZKlasy& c : cwiczenia) {
            wedlugId.insert(c.id, &c.zapis);
            ids << c.id;
        }
        q.prepare(QStringLiteral("SELECT CAST(a.drill_id AS text), a.operand1, a.operand2, a.answer, a.correct,"
                                 " a.time_ms FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"
                                 " WHERE a.drill_id = ANY (CAST(string_to_array(?, ',') AS uuid[])) AND %1"
                                 " ORDER BY a.drill_id, a.number")
                      .arg(kDobraOdpowiedz));
        q.addBindValue(ids.join(QLatin1Char(',')));
        if (!q.exec()) return porazka(q.lastError());
        while (q.next()) {
            ZapisCwiczenia* z = wedlugId.value(q.value(0).toString());
            const qint64 a = q.value(1).toLongLong(), b = q.value(2).toLongLong();
            if (!z || !OperandyWZakresie(z->dzialanie, a, b)) continue;
            z->pytania.push_back({std::int32_t(a), std::int32_t(b), q.value(3).toString().toStdString(),
                                  q.value(4).toBool(), q.value(5).toInt()});
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
        QSqlQuery q(polaczenie_->Baza());
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT a.operand1, a.operand2, count(*), count(*) FILTER (WHERE NOT a.correct),"
                                 " sum(a.time_ms), sum(CAST(a.time_ms AS float8) / d.pace_ms)"
                                 " FROM zoltava.answers a JOIN zoltava.drills d ON d.id = a.drill_id"
                                 " WHERE d.class = ? AND d.operation = ? AND %2 AND %3"
                                 " AND d.ended_at >= to_timestamp(CAST(? AS bigint) / 1000.0)%1"
                                 " GROUP BY a.operand1, a.operand2 ORDER BY a.operand1, a.operand2")
                      .arg(imie ? QStringLiteral(" AND d.child = ?") : QString(), kDobreCwiczenie, kDobraOdpowiedz));
        q.addBindValue(konfiguracja_.klasa);
        q.addBindValue(int(dzialanie));
        q.addBindValue(qint64(odMs));
        if (imie) q.addBindValue(*imie);
        if (!q.exec()) return porazka(q.lastError());
        while (q.next())
            if (OperandyWZakresie(dzialanie, q.value(0).toLongLong(), q.value(1).toLongLong()))
                fakty.push_back({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(), q.value(3).toInt(),
                                 q.value(4).toLongLong(), q.value(5).toDouble()});
        return true;
    });
    if (!ok) return std::nullopt;
    return fakty;
}

} // namespace zm
