#include "Children.h"

namespace zm {

QString UporzadkujImie(const QString& imie)
{
    // Control characters become blanks, then blanks are folded.
    QString i = imie;
    for (QChar& c : i)
        if (!c.isPrint() && !c.isSpace()) c = QLatin1Char(' ');
    return i.simplified();
}

QString BladImienia(const QString& imie, const QList<Dziecko>& dzieci, std::int64_t pomin)
{
    const QString i = UporzadkujImie(imie);
    if (i.isEmpty()) return QStringLiteral("Wpisz imię dziecka.");
    if (i.size() > kMaksDlugoscImienia)
        return QStringLiteral("Imię może mieć najwyżej %1 znaków.").arg(kMaksDlugoscImienia);
    for (const Dziecko& d : dzieci)
        if (d.id != pomin && d.imie.compare(i, Qt::CaseInsensitive) == 0)
            return QStringLiteral("Dziecko o imieniu „%1” już jest.").arg(d.imie);
    return {};
}

} // namespace zm
