#include "PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace zm::test {

namespace {

bool ZapiszPlik(const QString& sciezka, const QByteArray& tresc)
{
    QFile f(sciezka);
    return f.open(QIODevice::WriteOnly) && f.write(tresc) == tresc.size();
}

} // namespace

SerwerPostgres::SerwerPostgres(bool trwaly) : trwaly_(trwaly)
{
    bin_ = QStringLiteral("/usr/lib/postgresql/15/bin");
    if (!folder_.isValid() || !QFile::exists(bin_ + QStringLiteral("/initdb"))) {
        blad_ = QStringLiteral("no temporary folder, or no PostgreSQL 15 in ") + bin_;
        return;
    }
    dane_ = folder_.filePath(QStringLiteral("dane"));
    gniazdo_ = folder_.filePath(QStringLiteral("gniazdo"));
    const QString hasloAdministratora = folder_.filePath(QStringLiteral("haslo"));
    QDir().mkpath(gniazdo_);
    ZapiszPlik(hasloAdministratora, kHasloAdministratora);
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody) {
            blad_ = QStringLiteral("no user nobody");
            return;
        }
        jakoNobody_ = true;
        for (const QString& p : {folder_.path(), gniazdo_, hasloAdministratora})
            if (chown(QFile::encodeName(p).constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
                blad_ = QStringLiteral("chown failed: ") + p;
                return;
            }
    }
    QString wyjscie;
    if (!uruchomProgram(bin_ + QStringLiteral("/initdb"),
                        {QStringLiteral("-D"), dane_, QStringLiteral("-U"), kAdministrator,
                         QStringLiteral("--pwfile=") + hasloAdministratora, QStringLiteral("-A"),
                         QStringLiteral("scram-sha-256"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                         QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync"),
                         QStringLiteral("--no-instructions")},
                        true, &wyjscie)) {
        blad_ = QStringLiteral("initdb failed: ") + wyjscie;
        return;
    }
    straznik_.start(QStringLiteral("sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("cat >/dev/null; p=$(head -n1 \"$1/postmaster.pid\" 2>/dev/null) && "
                                    "kill -CONT $p && kill -QUIT $p; sleep 1; rm -rf \"$2\""),
                     QStringLiteral("sh"), dane_, folder_.path()});
    if (!Uruchom()) return;
    if (!Psql(QStringLiteral("postgres"), {QStringLiteral("-c"), QStringLiteral("CREATE DATABASE %1").arg(kBaza)}) ||
        !Skrypt()) {
        blad_ = QStringLiteral("the class's database could not be set up");
        return;
    }
}

SerwerPostgres::~SerwerPostgres()
{
    if (dane_.isEmpty()) return;
    Odmroz();
    Zatrzymaj(true);
    straznik_.kill();
    straznik_.waitForFinished();
}

bool SerwerPostgres::uruchomProgram(const QString& program, const QStringList& argumenty, bool jakoSerwer,
                                    QString* wyjscie, const QByteArray& wejscie)
{
    QProcess p;
    QProcessEnvironment srodowisko = QProcessEnvironment::systemEnvironment();
    srodowisko.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    srodowisko.insert(QStringLiteral("PGPASSWORD"), kHasloAdministratora);
    srodowisko.remove(QStringLiteral("PGSERVICE"));
    p.setProcessEnvironment(srodowisko);
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (jakoSerwer && jakoNobody_)
        p.start(QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                            QStringLiteral("--clear-groups"), QStringLiteral("--"), program} +
                    argumenty);
    else
        p.start(program, argumenty);
    if (p.waitForStarted()) {
        p.write(wejscie);
        p.closeWriteChannel();
    }
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (wyjscie) *wyjscie = QString::fromUtf8(p.readAll());
    return ok;
}

bool SerwerPostgres::Uruchom()
{
    QString wyjscie;
    const QString opcje =
        QStringLiteral("-k %1 -c listen_addresses='' -c fsync=off -c full_page_writes=off -c log_statement=all")
            .arg(gniazdo_);
    if (uruchomProgram(bin_ + QStringLiteral("/pg_ctl"),
                       {QStringLiteral("-D"), dane_, QStringLiteral("-l"), folder_.filePath(QStringLiteral("log")),
                        QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("-o"), opcje,
                        QStringLiteral("start")},
                       true, &wyjscie))
        return true;
    blad_ = QStringLiteral("pg_ctl start failed: ") + wyjscie;
    return false;
}

bool SerwerPostgres::Zatrzymaj(bool natychmiast)
{
    return uruchomProgram(bin_ + QStringLiteral("/pg_ctl"),
                          {QStringLiteral("-D"), dane_, QStringLiteral("-m"),
                           natychmiast ? QStringLiteral("immediate") : QStringLiteral("fast"), QStringLiteral("-w"),
                           QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("stop")},
                          true);
}

qint64 SerwerPostgres::pidSerwera() const
{
    QFile f(dane_ + QStringLiteral("/postmaster.pid"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    return f.readLine().trimmed().toLongLong();
}

void SerwerPostgres::Zamroz()
{
    if (const qint64 pid = pidSerwera()) kill(pid_t(pid), SIGSTOP);
}

void SerwerPostgres::Odmroz()
{
    if (const qint64 pid = pidSerwera()) kill(pid_t(pid), SIGCONT);
}

bool SerwerPostgres::Skrypt(const QStringList& przed)
{
    // As the README says: psql -f, the passwords typed at its prompts.
    return Psql(kBaza, przed + QStringList{QStringLiteral("-f"), QStringLiteral(ZM_KLASA_SKRYPT)},
                QByteArray(kHasloStanowisk) + '\n' + kHasloNauczyciela + '\n')
        .has_value();
}

std::optional<QString> SerwerPostgres::Psql(const QString& baza, const QStringList& argumenty, const QByteArray& wejscie)
{
    QString wyjscie;
    if (!uruchomProgram(bin_ + QStringLiteral("/psql"),
                        QStringList{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"),
                                    QStringLiteral("-t"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                    QStringLiteral("-h"), gniazdo_, QStringLiteral("-U"), kAdministrator,
                                    QStringLiteral("-d"), baza} +
                            argumenty,
                        false, &wyjscie, wejscie))
        return std::nullopt;
    return wyjscie;
}

QString SerwerPostgres::Wartosc(const QString& sql)
{
    return Psql(kBaza, {QStringLiteral("-c"), sql}).value_or(QString()).trimmed();
}

KonfiguracjaKlasy SerwerPostgres::Konfiguracja(const QString& klasa) const
{
    KonfiguracjaKlasy k;
    k.serwer = gniazdo_;
    k.baza = kBaza;
    k.klasa = klasa;
    k.stanowisko = QStringLiteral("sala-12-pc-01");
    k.stanowiska = {folder_.filePath(QStringLiteral("stanowisko.dostep")), QStringLiteral("zoltava_stanowisko"),
                    QString::fromUtf8(kHasloStanowisk)};
    k.nauczyciel = DostepDoSerwera{folder_.filePath(QStringLiteral("nauczyciel.dostep")),
                                   QStringLiteral("zoltava_nauczyciel"), QString::fromUtf8(kHasloNauczyciela)};
    return k;
}

} // namespace zm::test
