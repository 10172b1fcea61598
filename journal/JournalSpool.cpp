// Where the waiting drills go when the journal cannot take them: the
// reserve while the program runs, a spool file (or the reserve) at its end.
#include "JournalWorker.h"

#include "ResultsCsv.h"

#include <QFile>

namespace zm {

void PracownikDziennika::doZapasu(BladBazy blad)
{
    std::vector<ZapisCwiczenia> zapisy;
    std::vector<std::uint64_t> numery;
    std::vector<ZmianaDziecka> zmianyDzieci;
    {
        std::lock_guard l(m);
        for (const Pozycja& p : czekajace) {
            zapisy.push_back(p.zapis);
            numery.push_back(p.nr);
        }
        for (const PozycjaZmiany& p : zmiany) zmianyDzieci.push_back(p.zmiana);
    }
    std::optional<std::size_t> zachowane;
    {
        std::lock_guard s(schowek_);
        if (!zapas_.Jest()) zapas_.Zaloz(plik_);
        zachowane = zapas_.Zapisz(zapisy, zmianyDzieci);
    }
    QStringList nowe;
    for (std::size_t i = zachowane.value_or(0); i < zapisy.size(); ++i) {
        if (!niezachowane_.insert(numery[i]).second) continue;
        const ZapisCwiczenia& z = zapisy[i];
        nowe << QStringLiteral("%1 %2 (ocena %3)").arg(DataCwiczenia(z.koniecMs), NazwaDzialania(z.dzialanie)).arg(z.ocena);
    }
    if (nowe.isEmpty()) return;
    const QString tekst = DziennikWynikow::Niezachowane(blad, plik_, nowe);
    DziennikBledow("Zoltava mnożenia: %s%s\n", tekst);
    std::lock_guard l(m);
    if (zglos) zglos(blad, tekst, false, true);
}
bool PracownikDziennika::DoSchowka()
{
    std::lock_guard s(schowek_);
    std::vector<ZapisCwiczenia> zapisy;
    std::vector<ZmianaDziecka> zmianyDzieci;
    QStringList stare;
    {
        std::lock_guard l(m);
        for (const Pozycja& p : czekajace) zapisy.push_back(p.zapis);
        for (const PozycjaZmiany& p : zmiany) zmianyDzieci.push_back(p.zmiana);
        stare = schowki;
    }
    if (zapisy.empty() && zmianyDzieci.empty()) {
        zapas_.Oproznij();
        zapas_.Zamknij();
        return true;
    }
    // A spool file of its own; on a full disk, the reserve (left for the
    // next start).
    if (ZapiszOczekujace(plik_, zapisy, zmianyDzieci)) {
        zapas_.Oproznij();
        zapas_.Zamknij();
    } else {
        const std::size_t zachowane = zapas_.Zapisz(zapisy, zmianyDzieci).value_or(0);
        zapas_.Zamknij();
        if (zachowane < zapisy.size()) {
            DziennikBledow("Zoltava mnożenia: %s: %s\n", plik_,
                           QStringLiteral("%1 drills could not be saved and are lost").arg(zapisy.size() - zachowane));
            return false;
        }
    }
    for (const QString& p : stare) QFile::remove(p);
    std::lock_guard l(m);
    czekajace.clear();
    zmiany.clear();
    schowki.clear();
    cv.notify_all();
    return true;
}

} // namespace zm
