#include "ClassOutbox.h"

#include "Children.h"
#include "JournalFiles.h"
#include "ResultsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

namespace zm {

namespace {

QString PlikListy(const QString& dziennik) { return dziennik + QStringLiteral(".lista-klasy"); }
QString PlikPowiazan(const QString& dziennik) { return dziennik + QStringLiteral(".dzieci-klasy"); }

// A small JSON file (at most 4 MiB): an empty object when there is none,
// nothing when it is there but cannot be read (a FIFO, a device, too large,
// not JSON), so that it is never written over as if it were empty.
std::optional<QJsonObject> Czytaj(const QString& plik)
{
    const QFileInfo info(plik);
    if (!info.exists() && !info.isSymLink()) return QJsonObject{};
    if (!info.isFile() || info.size() > 4 * 1024 * 1024) return std::nullopt;
    QFile f(plik);
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    QJsonParseError blad{};
    const QJsonDocument d = QJsonDocument::fromJson(f.read(4 * 1024 * 1024 + 1), &blad);
    if (blad.error != QJsonParseError::NoError || !d.isObject()) return std::nullopt;
    return d.object();
}

// In one step, every write and the flush to the disk checked.
bool Zapisz(const QString& plik, const QJsonObject& o)
{
    return ZapiszCaly(plik, QJsonDocument(o).toJson(QJsonDocument::Compact));
}

} // namespace

std::vector<DzieckoListy> ListaKlasyZapisana(const QString& dziennik)
{
    std::vector<DzieckoListy> lista;
    for (const QJsonValue& v : Czytaj(PlikListy(dziennik)).value_or(QJsonObject{}).value(QStringLiteral("dzieci")).toArray()) {
        const QJsonObject o = v.toObject();
        const qint64 id = o.value(QStringLiteral("id")).toInteger();
        const QString imie = o.value(QStringLiteral("imie")).toString();
        if (id > 0 && !imie.trimmed().isEmpty())
            lista.push_back({id, imie.toStdString(), o.value(QStringLiteral("uwaga")).toString().toStdString()});
    }
    return lista;
}

std::map<std::int64_t, std::int64_t> PowiazaniaZListaKlasy(const QString& dziennik)
{
    std::map<std::int64_t, std::int64_t> wynik;
    const QJsonObject o = Czytaj(PlikPowiazan(dziennik)).value_or(QJsonObject{});
    for (auto i = o.begin(); i != o.end(); ++i)
        if (const qint64 dziecko = i.key().toLongLong(), idListy = i.value().toInteger(); dziecko > 0 && idListy > 0)
            wynik[dziecko] = idListy;
    return wynik;
}

bool PowiazZListaKlasy(const QString& dziennik, std::int64_t dziecko, std::int64_t idListy)
{
    std::optional<QJsonObject> czytane = Czytaj(PlikPowiazan(dziennik));
    if (!czytane) return false; // the other children's links stay as they are
    QJsonObject& o = *czytane;
    // One child of this computer for each child of the roster.
    for (auto i = o.begin(); i != o.end();)
        i = i.value().toInteger() == idListy ? o.erase(i) : i + 1;
    o.insert(QString::number(dziecko), qint64(idListy));
    return Zapisz(PlikPowiazan(dziennik), o);
}

QString WybierzZListyKlasy(IDzieci& dzieci, const QString& dziennik, const DzieckoListy& wybrane)
{
    if (!Czytaj(PlikPowiazan(dziennik)))
        return QStringLiteral("Nie można odczytać pliku %1.").arg(PlikPowiazan(dziennik));
    const QList<Dziecko> lista = dzieci.Lista();
    for (const auto& [dziecko, idListy] : PowiazaniaZListaKlasy(dziennik))
        if (idListy == wybrane.id && std::any_of(lista.begin(), lista.end(), [&](const Dziecko& d) { return d.id == dziecko; })) {
            dzieci.Wybierz(dziecko);
            return {};
        }
    const QString imie = QString::fromStdString(wybrane.imie);
    const QString uwaga = QString::fromStdString(wybrane.uwaga);
    std::int64_t id = 0;
    QString blad = dzieci.Dodaj(imie, id);
    if (!blad.isEmpty() && !uwaga.isEmpty()) blad = dzieci.Dodaj(QStringLiteral("%1 (%2)").arg(imie, uwaga), id);
    if (!blad.isEmpty()) blad = dzieci.Dodaj(QStringLiteral("%1 (%2)").arg(imie).arg(wybrane.id), id);
    if (!blad.isEmpty()) return blad;
    if (!PowiazZListaKlasy(dziennik, id, wybrane.id))
        return QStringLiteral("Nie można zapisać pliku %1.").arg(PlikPowiazan(dziennik));
    dzieci.Wybierz(id);
    return {};
}

void SkrzynkaDziennika::ZapiszListe(const std::vector<DzieckoListy>& lista)
{
    QJsonArray dzieci;
    for (const DzieckoListy& d : lista)
        dzieci.append(QJsonObject{{QStringLiteral("id"), qint64(d.id)},
                                  {QStringLiteral("imie"), QString::fromStdString(d.imie)},
                                  {QStringLiteral("uwaga"), QString::fromStdString(d.uwaga)}});
    QDir().mkpath(QFileInfo(plik_).absolutePath());
    if (!Zapisz(PlikListy(plik_), QJsonObject{{QStringLiteral("dzieci"), dzieci}}))
        qWarning("zoltava-mnozenia: klasa: the roster could not be kept in %s", qUtf8Printable(PlikListy(plik_)));
}

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
    const std::map<std::int64_t, std::int64_t> powiazania = PowiazaniaZListaKlasy(plik_);
    for (auto& c : cwiczenia) {
        const QString imie = c.imie.trimmed().isEmpty() ? ImieDomyslne(c.zapis.dziecko) : c.imie;
        const auto p = powiazania.find(c.zapis.dziecko);
        const std::int64_t idListy = p != powiazania.end() ? p->second : 0;
        wynik.push_back({c.uid.toStdString(), imie.toStdString(), std::move(c.zapis), idListy});
    }
    return wynik;
}

bool SkrzynkaDziennika::ScalRekord(std::int64_t idListy, const std::vector<OdpowiedzDziecka>& odpowiedzi)
{
    std::int64_t dziecko = 0;
    for (const auto& [d, id] : PowiazaniaZListaKlasy(plik_))
        if (id == idListy) dziecko = d;
    if (dziecko == 0) return true;
    BazaWynikow* b = baza();
    if (!b) return false;
    if (const WynikBazy w = b->ScalRekord(dziecko, odpowiedzi); !w) {
        qWarning("zoltava-mnozenia: klasa: the record could not be merged: %s", qUtf8Printable(w.opis));
        baza_.reset();
        return false;
    }
    return true;
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
