#include "AssetCatalogue.h"

#include "ZmConfig.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace zm::assets {

namespace {

const std::vector<Plik>& weryfikowane()
{
    static const std::vector<Plik> lista = [] {
        std::vector<Plik> v;
        std::copy_if(Katalog().begin(), Katalog().end(), std::back_inserter(v), [](const Plik& p) { return p.kolejnosc > 0; });
        std::sort(v.begin(), v.end(), [](const Plik& a, const Plik& b) { return a.kolejnosc < b.kolejnosc; });
        return v;
    }();
    return lista;
}

} // namespace

std::span<const Plik> DoWeryfikacji() { return weryfikowane(); }

QString Sciezki::KatalogProgramu() const
{
    QString k = katalogStaly_.isEmpty() ? QCoreApplication::applicationDirPath() : katalogStaly_;
    if (!k.endsWith(QLatin1Char('/'))) k += QLatin1Char('/');
    return k;
}

QString Sciezki::Sciezka(const Plik& p) const
{
    const QString nazwa = QString::fromLatin1(p.nazwa);
    return p.folder == Folder::Sounds ? Dzwiek(nazwa) : Grafika(nazwa);
}

std::optional<QString> PierwszyBrakujacy(const Sciezki& sciezki)
{
    for (const Plik& p : DoWeryfikacji()) {
        const QString s = sciezki.Sciezka(p);
        if (!QFileInfo::exists(s)) return s;
    }
    return std::nullopt;
}

QString TekstKomunikatu(int index)
{
    static const QStringList komunikaty{
        QStringLiteral("Brak wymaganego pliku.\nProszę przeinstalować program."),
    };
    const QString tresc = index >= 0 && index < komunikaty.size() ? komunikaty[index] : komunikaty[0];
    return QStringLiteral("MERVALDO\n") + tresc;
}

QString TekstOstrzezenia(const QString& sciezka)
{
    return QStringList{QStringLiteral("Brak pliku: "), sciezka, QStringLiteral("Proszę przeinstalować program."),
                       QString(), QStringLiteral("Program można pobrać ze strony:"),
                       QString::fromUtf8(config::kAdresWww)}
        .join(QLatin1Char('\n'));
}

} // namespace zm::assets
