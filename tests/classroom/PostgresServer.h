// A private PostgreSQL 15 server for the classroom tests and benchmark:
// a cluster made by Debian's initdb in a temporary folder, listening only on
// a Unix socket in that folder (no TCP port), run as "nobody" when we are
// root (PostgreSQL refuses root), stopped and removed at the end. The
// class's database is made with the setup script, through psql, as an
// administrator would. A process killed before its clean-up leaves no
// server behind.
#pragma once

#include "ClassConfig.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace zm::test {

class SerwerPostgres {
public:
    static constexpr char kAdministrator[] = "zm_admin";
    static constexpr char kHasloAdministratora[] = "admin-haslo";
    // Quotes, blanks, a semicolon, a backslash and Polish letters: every
    // layer must pass them on as they are.
    static constexpr char kHasloStanowisk[] = "Tajne 'hasło' stanowisk";
    static constexpr char kHasloNauczyciela[] = "nauczyciel;1\\\"";
    static constexpr char kBaza[] = "zoltava_klasa";

    // Makes the cluster, starts it and sets up the class's database;
    // Blad() says what failed. Tests run without flushing to disk; a
    // `trwaly` server flushes each commit, as a school's server does.
    explicit SerwerPostgres(bool trwaly = false);
    ~SerwerPostgres();

    const QString& Blad() const { return blad_; }
    const QString& Gniazdo() const { return gniazdo_; }

    bool Uruchom();
    // A fast shutdown (clients cut off), or an immediate one (a crash).
    bool Zatrzymaj(bool natychmiast = false);
    // Stops and resumes the postmaster (SIGSTOP, SIGCONT): it takes
    // connections into the socket's queue and answers none.
    void Zamroz();
    void Odmroz();

    // psql as the administrator in `baza`, given `wejscie` on its standard
    // input; its output, or nothing on failure.
    std::optional<QString> Psql(const QString& baza, const QStringList& argumenty, const QByteArray& wejscie = {});
    // The setup script run as the README says (the passwords at its
    // prompts), after psql's arguments `przed` (e.g. -c statements).
    bool Skrypt(const QStringList& przed = {});
    // The server's log (every statement is logged).
    QString Log() const { return folder_.filePath(QStringLiteral("log")); }
    // The single value of an administrator's query ("" on failure).
    QString Wartosc(const QString& sql);

    // A configuration for class `klasa` on this server, with both roles'
    // credentials.
    KonfiguracjaKlasy Konfiguracja(const QString& klasa) const;

private:
    bool uruchomProgram(const QString& program, const QStringList& argumenty, bool jakoSerwer,
                        QString* wyjscie = nullptr, const QByteArray& wejscie = {});
    qint64 pidSerwera() const;

    QTemporaryDir folder_;
    // Waits on a pipe from this process: if the process dies without its
    // clean-up (killed at a timeout), it stops the server and removes the
    // folder.
    QProcess straznik_;
    QString dane_, gniazdo_, bin_;
    QString blad_;
    bool jakoNobody_ = false;
    bool trwaly_;
};

} // namespace zm::test
