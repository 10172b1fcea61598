// A thin owner of libpq's connection and results. Every value goes to the
// server as a bound parameter of the extended protocol (PQexecParams): the
// statement's text, which other sessions may see in pg_stat_activity, holds
// only placeholders ($1, $2, …). Results come as text. libpq itself is
// opened at the first connection (PgLibrary.h).
#pragma once

#include <QByteArray>
#include <QString>

#include <libpq-fe.h>

#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zm::pg {

// A parameter's text, or NULL.
using Wartosc = std::optional<QByteArray>;
inline Wartosc Tekst(const QString& s) { return s.toUtf8(); }
inline Wartosc Liczba(long long n) { return QByteArray::number(n); }
inline Wartosc Prawda(bool b) { return QByteArray(b ? "true" : "false"); }

class Wynik {
public:
    Wynik() = default;
    Wynik(PGresult* r, QString bladPolaczenia);

    // The statement ran (with or without rows).
    bool Dobry() const;
    int Wiersze() const;
    bool Pusty(int w, int k) const;
    QString Tekst(int w, int k) const;
    long long Int(int w, int k) const;
    double Rzeczywista(int w, int k) const;
    bool Prawda(int w, int k) const;
    // The SQLSTATE ("" when none: the connection failed), and the message.
    QString Kod() const;
    QString Komunikat() const;

private:
    std::shared_ptr<PGresult> r_;
    QString bladPolaczenia_;
};

class Polaczenie {
public:
    Polaczenie() = default;
    ~Polaczenie() { Zamknij(); }
    Polaczenie(const Polaczenie&) = delete;
    Polaczenie& operator=(const Polaczenie&) = delete;

    // Connects with libpq's keywords and their values (waits as long as
    // connect_timeout allows); false: Blad() says why.
    bool Otworz(const std::vector<std::pair<const char*, QByteArray>>& parametry);
    bool Otwarte() const;
    // The last Otworz failed because libpq could not be opened.
    bool BezBiblioteki() const { return !bladBiblioteki_.isEmpty(); }
    void Zamknij();
    // Runs one statement with its parameters bound.
    Wynik Wykonaj(const char* sql, const std::vector<Wartosc>& wartosci = {});
    // libpq's message for the connection.
    QString Blad() const;

private:
    PGconn* c_ = nullptr;
    QString bladBiblioteki_;
};

} // namespace zm::pg
