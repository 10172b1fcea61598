// Where the waiting drills go when the journal cannot take them: the
// reserve while the program runs, a spool file (or the reserve) at its end.
#include "JournalWorker.h"

#include "ResultsCsv.h"

#include <QFile>

namespace zm {

QStringList PracownikDziennika::nazwy(const std::vector<ZapisCwiczenia>& zapisy)
{
    QStringList wynik;
    for (const ZapisCwiczenia& z : zapisy)
        wynik << QStringLiteral("%1 %2 (ocena %3)").arg(DataCwiczenia(z.koniecMs), NazwaDzialania(z.dzialanie)).arg(z.ocena);
    return wynik;
}

void PracownikDziennika::doZapasu(BladBazy blad)
{
    std::vector<ZapisCwiczenia> zapisy;
    std::vector<ZmianaDziecka> zmianyDzieci;
    {
        std::lock_guard l(m);
        for (const Pozycja& p : czekajace) zapisy.push_back(p.zapis);
        for (const PozycjaZmiany& p : zmiany) zmianyDzieci.push_back(p.zmiana);
    }
    std::optional<std::size_t> zachowane;
    {
        std::lock_guard s(schowek_);
        if (!zapas_.Jest()) zapas_.Zaloz(plik_);
        zachowane = zapas_.Zapisz(zapisy, zmianyDzieci);
    }
    const std::size_t ile = zachowane.value_or(0);
    if (ile == zapisy.size() || wPamieciZgloszone_) return;
    wPamieciZgloszone_ = true;
    const QString tekst = DziennikWynikow::Niezachowane(blad, plik_, nazwy({zapisy.begin() + static_cast<std::ptrdiff_t>(ile), zapisy.end()}));
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
