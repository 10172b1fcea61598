#include "Pg.h"

namespace zm::pg {

Wynik::Wynik(PGresult* r, QString bladPolaczenia) : r_(r, PQclear), bladPolaczenia_(std::move(bladPolaczenia)) {}

bool Wynik::Dobry() const
{
    if (!r_) return false;
    const ExecStatusType s = PQresultStatus(r_.get());
    return s == PGRES_COMMAND_OK || s == PGRES_TUPLES_OK;
}

int Wynik::Wiersze() const { return Dobry() ? PQntuples(r_.get()) : 0; }

bool Wynik::Pusty(int w, int k) const { return PQgetisnull(r_.get(), w, k) != 0; }

QString Wynik::Tekst(int w, int k) const
{
    return QString::fromUtf8(PQgetvalue(r_.get(), w, k), PQgetlength(r_.get(), w, k));
}

long long Wynik::Int(int w, int k) const { return QByteArray(PQgetvalue(r_.get(), w, k)).toLongLong(); }

double Wynik::Rzeczywista(int w, int k) const { return QByteArray(PQgetvalue(r_.get(), w, k)).toDouble(); }

bool Wynik::Prawda(int w, int k) const { return PQgetvalue(r_.get(), w, k)[0] == 't'; }

QString Wynik::Kod() const
{
    if (!r_) return {};
    const char* kod = PQresultErrorField(r_.get(), PG_DIAG_SQLSTATE);
    return kod ? QString::fromLatin1(kod) : QString();
}

QString Wynik::Komunikat() const
{
    if (!r_) return bladPolaczenia_;
    const QString m = QString::fromUtf8(PQresultErrorMessage(r_.get()));
    return m.isEmpty() ? bladPolaczenia_ : m;
}

bool Polaczenie::Otworz(const std::vector<std::pair<const char*, QByteArray>>& parametry)
{
    Zamknij();
    std::vector<const char*> klucze, wartosci;
    for (const auto& [k, w] : parametry) {
        klucze.push_back(k);
        wartosci.push_back(w.constData());
    }
    klucze.push_back(nullptr);
    wartosci.push_back(nullptr);
    c_ = PQconnectdbParams(klucze.data(), wartosci.data(), 0);
    return Otwarte();
}

void Polaczenie::Zamknij()
{
    if (c_) PQfinish(c_);
    c_ = nullptr;
}

Wynik Polaczenie::Wykonaj(const char* sql, const std::vector<Wartosc>& wartosci)
{
    if (!c_) return {nullptr, QStringLiteral("no connection to the server")};
    std::vector<const char*> teksty;
    for (const Wartosc& w : wartosci) teksty.push_back(w ? w->constData() : nullptr);
    PGresult* r = PQexecParams(c_, sql, int(teksty.size()), nullptr, teksty.data(), nullptr, nullptr, 0);
    return {r, Blad()};
}

QString Polaczenie::Blad() const
{
    return c_ ? QString::fromUtf8(PQerrorMessage(c_)) : QStringLiteral("no connection to the server");
}

} // namespace zm::pg
