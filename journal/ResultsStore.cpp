#include "ResultsStore.h"

#include "DrillState.h"

#include <QDateTime>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <functional>

namespace zm {

namespace {

constexpr const char* kSchemat[] = {
    "CREATE TABLE IF NOT EXISTS drills ("
    " id INTEGER PRIMARY KEY,"
    " ended_at_ms INTEGER NOT NULL,"          // UTC, ms since 1970
    " operation INTEGER NOT NULL CHECK (operation BETWEEN 0 AND 3),"
    " questions INTEGER NOT NULL,"
    " pace_ms INTEGER NOT NULL,"              // the timer's interval
    " narrator INTEGER NOT NULL,"
    " good INTEGER NOT NULL,"
    " bad INTEGER NOT NULL,"
    " grade INTEGER NOT NULL CHECK (grade BETWEEN 1 AND 6))",
    "CREATE INDEX IF NOT EXISTS drills_by_end ON drills (ended_at_ms)",
    "CREATE TABLE IF NOT EXISTS answers ("
    " drill_id INTEGER NOT NULL REFERENCES drills (id) ON DELETE CASCADE,"
    " number INTEGER NOT NULL,"               // 1-based
    " operand1 INTEGER NOT NULL,"
    " operand2 INTEGER NOT NULL,"
    " answer TEXT NOT NULL,"                  // as typed; '' when none
    " correct INTEGER NOT NULL,"
    " time_ms INTEGER NOT NULL,"
    " PRIMARY KEY (drill_id, number)) WITHOUT ROWID",
};

WynikBazy blad(const QSqlError& e)
{
    bool ok = false;
    const int kod = e.nativeErrorCode().toInt(&ok);
    return {ok ? RodzajBledu(kod) : BladBazy::Inny, e.text()};
}

// Runs `kroki` between BEGIN IMMEDIATE and COMMIT; on the first failure the
// transaction is rolled back and the failure returned.
WynikBazy wTransakcji(const QSqlDatabase& db, const std::function<bool(QSqlQuery&)>& kroki)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE"))) return blad(q.lastError());
    if (kroki(q) && q.exec(QStringLiteral("COMMIT"))) return {};
    const WynikBazy w = blad(q.lastError());
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return w;
}

// A question's whole time at a pace: the ticks until the bar is full.
double czasPytaniaMs(std::int32_t predkosc)
{
    return static_cast<double>((SzerokoscProgresTlo + KrokCzasu - 1) / KrokCzasu) * predkosc;
}

} // namespace

BladBazy RodzajBledu(int kodSqlite)
{
    switch (kodSqlite & 0xFF) {
    case 0: return BladBazy::Brak;
    case 5:  // SQLITE_BUSY
    case 6:  // SQLITE_LOCKED
        return BladBazy::Zablokowana;
    case 8:  // SQLITE_READONLY
    case 14: // SQLITE_CANTOPEN
    case 23: // SQLITE_AUTH
    case 3:  // SQLITE_PERM
        return BladBazy::TylkoOdczyt;
    case 13: // SQLITE_FULL
        return BladBazy::Pelny;
    case 11: // SQLITE_CORRUPT
    case 26: // SQLITE_NOTADB
        return BladBazy::Uszkodzona;
    default: return BladBazy::Inny;
    }
}

BazaWynikow::BazaWynikow(const QString& plik, Tryb tryb, const QString& nazwaPolaczenia, int czekanieMs)
    : nazwa_(nazwaPolaczenia)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nazwa_);
    if (!db.isValid()) {
        otwarcie_ = {BladBazy::Inny, QStringLiteral("no QSQLITE driver")};
        return;
    }
    db.setDatabaseName(plik);
    QString opcje = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(czekanieMs);
    if (tryb == Tryb::Odczyt) opcje += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(opcje);
    otwarcie_ = przygotuj(tryb);
}

BazaWynikow::~BazaWynikow()
{
    {
        QSqlDatabase db = QSqlDatabase::database(nazwa_, false);
        if (db.isValid()) db.close();
    }
    QSqlDatabase::removeDatabase(nazwa_);
}

WynikBazy BazaWynikow::przygotuj(Tryb tryb)
{
    QSqlDatabase db = QSqlDatabase::database(nazwa_, false);
    if (!db.open()) return blad(db.lastError());
    QSqlQuery q(db);
    // A file that is not a database fails at its first read; the writer
    // also checks the pages before it adds to them.
    if (tryb == Tryb::Zapis) {
        if (!q.exec(QStringLiteral("PRAGMA quick_check")) || !q.next()) return blad(q.lastError());
        if (q.value(0).toString() != QLatin1String("ok")) return {BladBazy::Uszkodzona, q.value(0).toString()};
        q.finish();
    }
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) return blad(q.lastError());
    const int wersja = q.value(0).toInt();
    q.finish();
    if (wersja > kWersjaSchematu) return {BladBazy::Nowsza, QStringLiteral("schema version %1").arg(wersja)};
    if (tryb == Tryb::Odczyt) return {};

    // Written in the journal beside the file: a killed program keeps every
    // committed drill, and a reader never waits for the writer. NORMAL sync
    // is safe in this mode (a power cut may lose the last drill, never
    // damage the file).
    if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))) return blad(q.lastError());
    q.finish();
    q.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    q.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    if (wersja == kWersjaSchematu) return {};
    // A new file: the schema and its version in one transaction, which a
    // second copy starting at the same moment waits for.
    return wTransakcji(db, [](QSqlQuery& t) {
        for (const char* polecenie : kSchemat)
            if (!t.exec(QString::fromLatin1(polecenie))) return false;
        return t.exec(QStringLiteral("PRAGMA user_version=%1").arg(kWersjaSchematu));
    });
}

WynikBazy BazaWynikow::Zapisz(const ZapisCwiczenia& z)
{
    if (!otwarcie_) return otwarcie_;
    return wTransakcji(QSqlDatabase::database(nazwa_, false), [&z](QSqlQuery& q) {
        q.prepare(QStringLiteral("INSERT INTO drills (ended_at_ms, operation, questions, pace_ms, narrator, good, bad,"
                                 " grade) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
        for (const QVariant& v : {QVariant::fromValue<qint64>(z.koniecMs), QVariant(int(z.dzialanie)),
                                  QVariant(z.iloscPytan), QVariant(z.predkosc), QVariant(int(z.lektor)),
                                  QVariant(z.dobrze), QVariant(z.zle), QVariant(int(z.ocena))})
            q.addBindValue(v);
        if (!q.exec()) return false;
        const qint64 id = q.lastInsertId().toLongLong();
        q.prepare(QStringLiteral("INSERT INTO answers (drill_id, number, operand1, operand2, answer, correct, time_ms)"
                                 " VALUES (?, ?, ?, ?, ?, ?, ?)"));
        int nr = 0;
        for (const PytanieCwiczenia& p : z.pytania) {
            for (const QVariant& v : {QVariant(id), QVariant(++nr), QVariant(p.liczba1), QVariant(p.liczba2),
                                      QVariant(QString::fromStdString(p.odpowiedz)), QVariant(int(p.dobrze)),
                                      QVariant(p.czasMs)})
                q.addBindValue(v);
            if (!q.exec()) return false;
        }
        return true;
    });
}

std::vector<WierszCwiczenia> BazaWynikow::Cwiczenia()
{
    std::vector<WierszCwiczenia> lista;
    if (!otwarcie_) return lista;
    QSqlQuery q(QSqlDatabase::database(nazwa_, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT ended_at_ms, operation, questions, pace_ms, narrator, good, bad, grade"
                               " FROM drills ORDER BY ended_at_ms DESC, id DESC")))
        return lista;
    while (q.next()) {
        lista.push_back({q.value(0).toLongLong(), static_cast<std::uint8_t>(q.value(1).toInt()), q.value(2).toInt(),
                         q.value(3).toInt(), q.value(4).toBool(), q.value(5).toInt(), q.value(6).toInt(),
                         static_cast<std::uint8_t>(q.value(7).toInt())});
    }
    return lista;
}

std::vector<KomorkaFaktu> BazaWynikow::Fakty(std::uint8_t dzialanie)
{
    std::vector<KomorkaFaktu> komorki;
    if (!otwarcie_) return komorki;
    // Multiplication by its factors, division by quotient and divisor (the
    // fact it rests on); addition and subtraction by the operands' tens.
    const QString wiersz = dzialanie == DzialanieMnozenie   ? QStringLiteral("a.operand1")
                           : dzialanie == DzialanieDzielenie ? QStringLiteral("a.operand1 / a.operand2")
                                                              : QStringLiteral("a.operand1 / 10");
    const QString kolumna = dzialanie <= DzialanieDzielenie ? QStringLiteral("a.operand2") : QStringLiteral("a.operand2 / 10");
    QSqlQuery q(QSqlDatabase::database(nazwa_, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 AS r, %2 AS c, count(*), sum(1 - a.correct), avg(a.time_ms),"
                             " avg(a.time_ms * 1.0 / d.pace_ms)"
                             " FROM answers a JOIN drills d ON d.id = a.drill_id"
                             " WHERE d.operation = ? AND a.operand2 <> 0 GROUP BY r, c ORDER BY r, c")
                  .arg(wiersz, kolumna));
    q.addBindValue(int(dzialanie));
    if (!q.exec()) return komorki;
    const double tykniec = czasPytaniaMs(1);
    while (q.next())
        komorki.push_back({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toInt(), q.value(3).toInt(),
                           q.value(4).toDouble(), q.value(5).toDouble() / tykniec});
    return komorki;
}

std::optional<QString> BazaWynikow::OdlozUszkodzony(const QString& plik)
{
    if (!QFile::exists(plik)) return std::nullopt;
    const QString znacznik = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString cel = plik + QStringLiteral(".uszkodzony-") + znacznik;
    for (int n = 2; QFile::exists(cel); ++n) cel = plik + QStringLiteral(".uszkodzony-%1-%2").arg(znacznik).arg(n);
    if (!QFile::rename(plik, cel)) return std::nullopt;
    // Its journal files belong to it, not to the new file.
    for (const char* dopisek : {"-wal", "-shm"})
        if (QFile::exists(plik + QLatin1String(dopisek))) QFile::rename(plik + QLatin1String(dopisek), cel + QLatin1String(dopisek));
    return cel;
}

} // namespace zm
