#include "ResultsCsv.h"

#include "DrillState.h"
#include "Operations.h"

#include <QDateTime>
#include <QStringList>

namespace zm {

QString NazwaDzialania(std::uint8_t dzialanie)
{
    const FaktyDzialania* f = Fakty(dzialanie);
    return f ? QString::fromUtf8(f->etykieta) : QString::number(dzialanie);
}

QString NazwaTempa(std::int32_t predkosc)
{
    if (const char* nazwa = NazwaPredkosci(predkosc)) return QString::fromUtf8(nazwa);
    return QStringLiteral("%1 ms").arg(predkosc);
}

QString DataCwiczenia(qint64 koniecMs)
{
    // A time from the file may be anything: only the years 1 to 9999 are dates.
    if (koniecMs < -62135596800000LL || koniecMs > 253402300799999LL) return QStringLiteral("?");
    return QDateTime::fromMSecsSinceEpoch(koniecMs).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

namespace {

QString pole(QString tekst)
{
    if (!tekst.contains(QLatin1Char(';')) && !tekst.contains(QLatin1Char('"')) && !tekst.contains(QLatin1Char('\n')))
        return tekst;
    return QLatin1Char('"') + tekst.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

} // namespace

QByteArray PoczatekCsv()
{
    return QByteArray("\xEF\xBB\xBF") + QStringLiteral("Data;Działanie;Pytania;Tempo;Lektor;Dobre;Złe;Ocena\r\n").toUtf8();
}

QByteArray WierszCsv(const WierszCwiczenia& c)
{
    const QStringList pola{DataCwiczenia(c.koniecMs),     NazwaDzialania(c.dzialanie),
                           QString::number(c.iloscPytan), NazwaTempa(c.predkosc),
                           c.lektor ? QStringLiteral("tak") : QStringLiteral("nie"),
                           QString::number(c.dobrze),     QString::number(c.zle),
                           QString::number(c.ocena)};
    QStringList wyjscie;
    for (const QString& p : pola) wyjscie << pole(p);
    return (wyjscie.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8();
}

QByteArray TekstCsv(const std::vector<WierszCwiczenia>& cwiczenia)
{
    QByteArray tekst = PoczatekCsv();
    for (const WierszCwiczenia& c : cwiczenia) tekst += WierszCsv(c);
    return tekst;
}

} // namespace zm
