// The class's outbox on the results journal: the drills of this workstation
// that the class's server does not hold yet are the journal's rows not
// marked sent. A connection of its own, opened on the sender's thread when
// first asked and only when the journal's file exists, with a short wait for
// the journal's own writes. A child whose name is blank goes as the default
// name of its id.
#pragma once

#include "ClassDrill.h"
#include "JournalFiles.h"

#include <QString>

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

private:
    BazaWynikow* baza();

    QString plik_;
    std::unique_ptr<BazaWynikow> baza_;
    std::optional<TozsamoscPliku> tozsamosc_; // of the file baza_ has open
};

} // namespace zm
