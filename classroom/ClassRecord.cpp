#include "ClassRecord.h"

#include <algorithm>

namespace zm {

std::optional<std::vector<OdpowiedzDziecka>> OdpowiedziDziecka(PolaczenieKlasy& polaczenie, std::int64_t idListy,
                                                               StanKlasy& blad)
{
    const pg::Wynik r = polaczenie.Wykonaj(
        "SELECT replace(CAST(drill AS text), '-', ''), ended_ms, operation, pace_ms, number, operand1, operand2,"
        " correct, time_ms FROM zoltava.child_facts($1, CAST($2 AS bigint))",
        {pg::Tekst(polaczenie.Konfiguracja().klasa), pg::Liczba(idListy)});
    if (!r.Dobry()) {
        blad = polaczenie.Blad(r);
        return std::nullopt;
    }
    std::vector<OdpowiedzDziecka> wynik;
    wynik.reserve(std::size_t(std::max(0, r.Wiersze())));
    for (int i = 0; i < r.Wiersze(); ++i)
        wynik.push_back({r.Tekst(i, 0).toLower().toStdString(), r.Int(i, 1), static_cast<std::uint8_t>(r.Int(i, 2)),
                         static_cast<std::int32_t>(r.Int(i, 3)), static_cast<std::int32_t>(r.Int(i, 4)),
                         static_cast<std::int32_t>(r.Int(i, 5)), static_cast<std::int32_t>(r.Int(i, 6)), r.Prawda(i, 7),
                         static_cast<std::int32_t>(r.Int(i, 8))});
    return wynik;
}

} // namespace zm
