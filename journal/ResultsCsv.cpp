#include "ResultsCsv.h"

#include "DrillState.h"
#include "Operations.h"

#include <QDateTime>
#include <QSaveFile>
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

QByteArray TekstCsv(const std::vector<WierszCwiczenia>& cwiczenia)
{
    QString tekst = QStringLiteral("Data;Działanie;Pytania;Tempo;Lektor;Dobre;Złe;Ocena\r\n");
    for (const WierszCwiczenia& c : cwiczenia) {
        const QStringList pola{DataCwiczenia(c.koniecMs),     NazwaDzialania(c.dzialanie),
                               QString::number(c.iloscPytan), NazwaTempa(c.predkosc),
                               c.lektor ? QStringLiteral("tak") : QStringLiteral("nie"),
                               QString::number(c.dobrze),     QString::number(c.zle),
                               QString::number(c.ocena)};
        QStringList wyjscie;
        for (const QString& p : pola) wyjscie << pole(p);
        tekst += wyjscie.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + tekst.toUtf8();
}

bool ZapiszCsv(const QString& plik, const std::vector<WierszCwiczenia>& cwiczenia, QString* blad)
{
    QSaveFile f(plik);
    if (f.open(QIODevice::WriteOnly) && f.write(TekstCsv(cwiczenia)) >= 0 && f.commit()) return true;
    if (blad) *blad = f.errorString();
    return false;
}

} // namespace zm
