#include "PgLibrary.h"

#include <dlfcn.h>

namespace zm::pg {

namespace {

template <typename F>
bool Znajdz(void* uchwyt, const char* nazwa, F& funkcja)
{
    funkcja = reinterpret_cast<F>(dlsym(uchwyt, nazwa));
    return funkcja != nullptr;
}

struct Otwarta {
    std::unique_ptr<const FunkcjePq> funkcje;
    QString blad;
};

} // namespace

std::unique_ptr<const FunkcjePq> OtworzBiblioteke(const char* nazwa, QString& blad)
{
    void* uchwyt = dlopen(nazwa, RTLD_NOW | RTLD_LOCAL);
    if (!uchwyt) {
        blad = QStringLiteral("brak biblioteki %1 (pakiet libpq5)").arg(QString::fromUtf8(nazwa));
        return nullptr;
    }
    auto f = std::make_unique<FunkcjePq>();
    const char* brakujaca = nullptr;
#define ZM_ZNAJDZ(nazwaFunkcji)                                                                                        \
    if (!brakujaca && !Znajdz(uchwyt, #nazwaFunkcji, f->nazwaFunkcji)) brakujaca = #nazwaFunkcji;
    ZM_ZNAJDZ(PQconnectdbParams)
    ZM_ZNAJDZ(PQstatus)
    ZM_ZNAJDZ(PQfinish)
    ZM_ZNAJDZ(PQerrorMessage)
    ZM_ZNAJDZ(PQexecParams)
    ZM_ZNAJDZ(PQresultStatus)
    ZM_ZNAJDZ(PQresultErrorField)
    ZM_ZNAJDZ(PQresultErrorMessage)
    ZM_ZNAJDZ(PQntuples)
    ZM_ZNAJDZ(PQgetisnull)
    ZM_ZNAJDZ(PQgetvalue)
    ZM_ZNAJDZ(PQgetlength)
    ZM_ZNAJDZ(PQclear)
#undef ZM_ZNAJDZ
    if (brakujaca) {
        // Nothing from it is in use yet: it may be closed.
        dlclose(uchwyt);
        blad = QStringLiteral("biblioteka %1 nie ma funkcji %2 (pakiet libpq5)")
                   .arg(QString::fromUtf8(nazwa), QString::fromLatin1(brakujaca));
        return nullptr;
    }
    return f;
}

const FunkcjePq* Libpq(QString* blad)
{
    static const Otwarta otwarta = [] {
        Otwarta o;
        o.funkcje = OtworzBiblioteke("libpq.so.5", o.blad);
        return o;
    }();
    if (!otwarta.funkcje && blad) *blad = otwarta.blad;
    return otwarta.funkcje.get();
}

} // namespace zm::pg
