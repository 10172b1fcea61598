#include "ClassOutbox.h"

#include "Children.h"
#include "ResultsStore.h"

namespace zm {

SkrzynkaDziennika::SkrzynkaDziennika(QString plik) : plik_(std::move(plik)) {}

SkrzynkaDziennika::~SkrzynkaDziennika() = default;

BazaWynikow* SkrzynkaDziennika::baza()
{
    // The file at the path now; a file deleted or replaced while the
    // program runs (the journal then starts a new one) is let go.
    const std::optional<TozsamoscPliku> tozsamosc = Tozsamosc(plik_);
    if (baza_ && baza_->Otwarcie() && tozsamosc == tozsamosc_) return baza_.get();
    baza_.reset();
    // Never the one to make the file: the journal makes it.
    if (!tozsamosc) return nullptr;
    baza_ = std::make_unique<BazaWynikow>(
        plik_, BazaWynikow::Opcje{BazaWynikow::Tryb::Zapis, std::chrono::milliseconds(200), nullptr, 64});
    tozsamosc_ = tozsamosc;
    if (baza_->Otwarcie()) return baza_.get();
    baza_.reset();
    return nullptr;
}

std::optional<std::vector<CwiczenieKlasy>> SkrzynkaDziennika::Niewyslane(int ile)
{
    std::vector<CwiczenieKlasy> wynik;
    BazaWynikow* b = baza();
    // No file yet: nothing to send. A file that cannot be opened or read
    // now: a failure, tried again later.
    if (!b) return Tozsamosc(plik_) ? std::nullopt : std::optional(wynik);
    std::vector<BazaWynikow::DoWyslania> cwiczenia;
    if (!b->Niewyslane(ile, cwiczenia)) {
        baza_.reset();
        return std::nullopt;
    }
    for (auto& c : cwiczenia) {
        const QString imie = c.imie.trimmed().isEmpty() ? ImieDomyslne(c.zapis.dziecko) : c.imie;
        wynik.push_back({c.uid.toStdString(), imie.toStdString(), std::move(c.zapis)});
    }
    return wynik;
}

bool SkrzynkaDziennika::Wyslane(const std::vector<std::string>& ids)
{
    BazaWynikow* b = baza();
    if (!b) return false;
    std::vector<QString> uid;
    for (const std::string& i : ids) uid.push_back(QString::fromStdString(i));
    return static_cast<bool>(b->OznaczWyslane(uid));
}

} // namespace zm
