// The class's outbox on the results journal: the drills of this workstation
// that the class's server does not hold yet are the journal's rows not
// marked sent. A connection of its own, opened on the sender's thread when
// first asked and only when the journal's file exists, with a short wait for
// the journal's own writes. A child bound to the class's roster goes under
// its roster id; a child whose name is blank goes as the default name of its
// id.
#pragma once

#include "ClassDrill.h"
#include "JournalFiles.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>

namespace zm {

class BazaWynikow;

class SkrzynkaDziennika final : public ISkrzynkaKlasy {
public:
    explicit SkrzynkaDziennika(QString plik);
    ~SkrzynkaDziennika() override;

    std::optional<std::vector<CwiczenieKlasy>> Niewyslane(int ile) override;
    bool Wyslane(const std::vector<std::string>& ids) override;
    // Kept beside the journal (ListaKlasyZapisana).
    void ZapiszListe(const std::vector<DzieckoListy>& lista) override;
    // Into the record of this computer's child bound to `idListy` (none
    // bound: nothing to do).
    bool ScalRekord(std::int64_t idListy, const std::vector<OdpowiedzDziecka>& odpowiedzi) override;

private:
    BazaWynikow* baza();

    QString plik_;
    std::unique_ptr<BazaWynikow> baza_;
    std::optional<TozsamoscPliku> tozsamosc_; // of the file baza_ has open
};

// The class's roster as the sender last fetched it, kept beside the journal
// `dziennik` (so the picker offers it while the server is away); empty when
// never fetched or unreadable.
std::vector<DzieckoListy> ListaKlasyZapisana(const QString& dziennik);
// Which child of the roster each of this computer's children is (its id in
// the journal → its roster id), chosen in the picker; the outbox sends each
// drill of a bound child under its roster id (and the roster's name).
std::map<std::int64_t, std::int64_t> PowiazaniaZListaKlasy(const QString& dziennik);
// Binds a child of this computer to a child of the roster; false when the
// file could not be written.
bool PowiazZListaKlasy(const QString& dziennik, std::int64_t dziecko, std::int64_t idListy);

class IDzieci;
// A child picked their name from the roster: the child of this computer
// bound to it practises, or one added under the roster's name (with the
// teacher's note when this computer has a child of that name) and bound.
// "" or why not.
QString WybierzZListyKlasy(IDzieci& dzieci, const QString& dziennik, const DzieckoListy& wybrane);

} // namespace zm
