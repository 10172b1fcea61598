#include "Pg.h"

#include "PgLibrary.h"

namespace zm::pg {

namespace {
// Only reached with a result or a connection, which libpq made: it is open.
const FunkcjePq& Pq() { return *Libpq(); }
} // namespace

Wynik::Wynik(PGresult* r, QString bladPolaczenia)
    : r_(r,
         [](PGresult* p) {
             if (p) Pq().PQclear(p);
         }),
      bladPolaczenia_(std::move(bladPolaczenia))
{
}

bool Wynik::Dobry() const
{
    if (!r_) return false;
    const ExecStatusType s = Pq().PQresultStatus(r_.get());
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

int Wynik::Wiersze() const { return Dobry() ? Pq().PQntuples(r_.get()) : 0; }

bool Wynik::Pusty(int w, int k) const { return !r_ || Pq().PQgetisnull(r_.get(), w, k) != 0; }

QString Wynik::Tekst(int w, int k) const
{
    if (!r_) return {};
    return QString::fromUtf8(Pq().PQgetvalue(r_.get(), w, k), Pq().PQgetlength(r_.get(), w, k));
}

long long Wynik::Int(int w, int k) const
{
    return r_ ? QByteArray(Pq().PQgetvalue(r_.get(), w, k)).toLongLong() : 0;
}

double Wynik::Rzeczywista(int w, int k) const
{
    return r_ ? QByteArray(Pq().PQgetvalue(r_.get(), w, k)).toDouble() : 0;
}

bool Wynik::Prawda(int w, int k) const { return r_ && Pq().PQgetvalue(r_.get(), w, k)[0] == 't'; }

QString Wynik::Kod() const
{
    if (!r_) return {};
    const char* kod = Pq().PQresultErrorField(r_.get(), PG_DIAG_SQLSTATE);
    return kod ? QString::fromLatin1(kod) : QString();
}

QString Wynik::Komunikat() const
{
    if (!r_) return bladPolaczenia_;
    const QString m = QString::fromUtf8(Pq().PQresultErrorMessage(r_.get()));
    return m.isEmpty() ? bladPolaczenia_ : m;
}

bool Polaczenie::Otworz(const std::vector<std::pair<const char*, QByteArray>>& parametry)
{
    Zamknij();
    bladBiblioteki_.clear();
    if (!Libpq(&bladBiblioteki_)) return false;
    std::vector<const char*> klucze, wartosci;
    for (const auto& [k, w] : parametry) {
        klucze.push_back(k);
        wartosci.push_back(w.constData());
    }
    klucze.push_back(nullptr);
    wartosci.push_back(nullptr);
    c_ = Pq().PQconnectdbParams(klucze.data(), wartosci.data(), 0);
    return Otwarte();
}

bool Polaczenie::Otwarte() const { return c_ && Pq().PQstatus(c_) == CONNECTION_OK; }

void Polaczenie::Zamknij()
{
    if (c_) Pq().PQfinish(c_);
    c_ = nullptr;
}

Wynik Polaczenie::Wykonaj(const char* sql, const std::vector<Wartosc>& wartosci)
{
    if (!c_) return {nullptr, QStringLiteral("no connection to the server")};
    std::vector<const char*> teksty;
    for (const Wartosc& w : wartosci) teksty.push_back(w ? w->constData() : nullptr);
    PGresult* r = Pq().PQexecParams(c_, sql, int(teksty.size()), nullptr, teksty.data(), nullptr, nullptr, 0);
    return {r, Blad()};
}

QString Polaczenie::Blad() const
{
    if (c_) return QString::fromUtf8(Pq().PQerrorMessage(c_));
    return BezBiblioteki() ? bladBiblioteki_ : QStringLiteral("no connection to the server");
}

} // namespace zm::pg
