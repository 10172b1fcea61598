#include "ResultsCsv.h"

#include "DrillState.h"
#include "Operations.h"
#include "QuestionGenerator.h"

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
    // A cell a spreadsheet would take for a formula (a child named "=1+1")
    // is kept as text, with the apostrophe spreadsheets read as "text".
    if (!tekst.isEmpty() && QStringLiteral("=+-@\t\r").contains(tekst.front())) tekst.prepend(QLatin1Char('\''));
    if (!tekst.contains(QLatin1Char(';')) && !tekst.contains(QLatin1Char('"')) && !tekst.contains(QLatin1Char('\n')) &&
        !tekst.contains(QLatin1Char('\r')))
        return tekst;
    return QLatin1Char('"') + tekst.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

QByteArray wiersz(const QStringList& pola)
{
    QStringList wyjscie;
    for (const QString& p : pola) wyjscie << pole(p);
    return (wyjscie.join(QLatin1Char(';')) + QStringLiteral("\r\n")).toUtf8();
}

// The class's two columns after the child's.
QStringList ZMiejscem(QStringList pola, const MiejsceCwiczenia* miejsce)
{
    if (miejsce) pola.insert(2, miejsce->klasa), pola.insert(3, miejsce->stanowisko);
    return pola;
}

// The header, after the byte order mark spreadsheets read UTF-8 by.
QByteArray Naglowek(const QStringList& kolumny, bool zKlasa)
{
    const MiejsceCwiczenia naglowek{QStringLiteral("Klasa"), QStringLiteral("Stanowisko")};
    return QByteArray("\xEF\xBB\xBF") + wiersz(ZMiejscem(kolumny, zKlasa ? &naglowek : nullptr));
}

} // namespace

QByteArray PoczatekCsv(bool zKlasa)
{
    return Naglowek({QStringLiteral("Nr ćwiczenia"), QStringLiteral("Dziecko"), QStringLiteral("Data"),
                     QStringLiteral("Działanie"), QStringLiteral("Pytania"), QStringLiteral("Tempo"),
                     QStringLiteral("Lektor"), QStringLiteral("Losowanie"), QStringLiteral("Dobre"),
                     QStringLiteral("Złe"), QStringLiteral("Ocena")},
                    zKlasa);
}

QByteArray WierszCsv(const WierszCwiczenia& c, const QString& dziecko, const QString& nr,
                     const MiejsceCwiczenia* miejsce)
{
    return wiersz(ZMiejscem({nr, dziecko, DataCwiczenia(c.koniecMs), NazwaDzialania(c.dzialanie),
                             QString::number(c.iloscPytan), NazwaTempa(c.predkosc),
                             c.lektor ? QStringLiteral("tak") : QStringLiteral("nie"),
                             c.losowanie ? QStringLiteral("trudne") : QStringLiteral("losowe"),
                             QString::number(c.dobrze), QString::number(c.zle), QString::number(c.ocena)},
                            miejsce));
}

QByteArray PoczatekCsvPytan(bool zKlasa)
{
    return Naglowek({QStringLiteral("Nr ćwiczenia"), QStringLiteral("Dziecko"), QStringLiteral("Data"),
                     QStringLiteral("Działanie"), QStringLiteral("Liczba 1"), QStringLiteral("Liczba 2"),
                     QStringLiteral("Wynik"), QStringLiteral("Odpowiedź"), QStringLiteral("Dobrze"),
                     QStringLiteral("Czas (ms)")},
                    zKlasa);
}

QByteArray WierszCsvPytania(const WierszCwiczenia& c, const PytanieCwiczenia& p, const QString& dziecko,
                            const QString& nr, const MiejsceCwiczenia* miejsce)
{
    // The result only of a question the drill could have asked (operands
    // from a file or a server may be anything: "-2147483648 : -1").
    const QString wynik = PytanieMozliwe(c.dzialanie, p.liczba1, p.liczba2)
                              ? QString::number(WynikPoprawny(c.dzialanie, p.liczba1, p.liczba2))
                              : QStringLiteral("?");
    return wiersz(ZMiejscem({nr, dziecko, DataCwiczenia(c.koniecMs), NazwaDzialania(c.dzialanie),
                             QString::number(p.liczba1), QString::number(p.liczba2), wynik,
                             QString::fromStdString(p.odpowiedz), p.dobrze ? QStringLiteral("tak") : QStringLiteral("nie"),
                             QString::number(p.czasMs)},
                            miejsce));
}

} // namespace zm
