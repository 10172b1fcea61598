// libpq, opened at the first connection rather than linked: most
// workstations never reach a class server, and the library maps its TLS,
// Kerberos and LDAP dependencies at every start. Once open it stays open
// (the sender's thread may use it until the program ends).
#pragma once

#include <QString>

#include <libpq-fe.h>

#include <memory>

namespace zm::pg {

// The libpq functions the class code calls.
struct FunkcjePq {
    decltype(&::PQconnectdbParams) PQconnectdbParams;
    decltype(&::PQstatus) PQstatus;
    decltype(&::PQfinish) PQfinish;
    decltype(&::PQerrorMessage) PQerrorMessage;
    decltype(&::PQexecParams) PQexecParams;
    decltype(&::PQresultStatus) PQresultStatus;
    decltype(&::PQresultErrorField) PQresultErrorField;
    decltype(&::PQresultErrorMessage) PQresultErrorMessage;
    decltype(&::PQntuples) PQntuples;
    decltype(&::PQgetisnull) PQgetisnull;
    decltype(&::PQgetvalue) PQgetvalue;
    decltype(&::PQgetlength) PQgetlength;
    decltype(&::PQclear) PQclear;
};

// Opens the named library and finds every function in it; nullptr and, in
// `blad`, the reason in Polish when the library or a function is missing.
// Not cached: Libpq() opens the real one once.
std::unique_ptr<const FunkcjePq> OtworzBiblioteke(const char* nazwa, QString& blad);

// libpq.so.5, opened once (thread-safe) and never closed; nullptr when it
// cannot be opened, and then `blad` (if given) says why.
const FunkcjePq* Libpq(QString* blad = nullptr);

} // namespace zm::pg
