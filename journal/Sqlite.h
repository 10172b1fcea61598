// A thin layer over SQLite's C interface for the journal: a connection that
// closes itself, and a statement that binds, steps and reads by column.
// Every value read is checked for its type by the caller (the file is not
// trusted).
#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <type_traits>
#include <utility>

namespace zm::sql {

class Polaczenie {
public:
    Polaczenie() = default;
    explicit Polaczenie(sqlite3* db) : db_(db) {}
    ~Polaczenie() { sqlite3_close_v2(db_); }
    Polaczenie(Polaczenie&& o) noexcept : db_(std::exchange(o.db_, nullptr)) {}
    Polaczenie& operator=(Polaczenie&& o) noexcept
    {
        std::swap(db_, o.db_);
        return *this;
    }
    sqlite3* get() const { return db_; }
    explicit operator bool() const { return db_ != nullptr; }

private:
    sqlite3* db_ = nullptr;
};

class Zapytanie {
public:
    Zapytanie(sqlite3* db, const char* tekst)
    {
        kod_ = sqlite3_prepare_v2(db, tekst, -1, &st_, nullptr);
    }
    Zapytanie(sqlite3* db, const QString& tekst) : Zapytanie(db, tekst.toUtf8().constData()) {}
    ~Zapytanie() { sqlite3_finalize(st_); }
    Zapytanie(const Zapytanie&) = delete;
    Zapytanie& operator=(const Zapytanie&) = delete;

    // SQLITE_OK when prepared.
    int Kod() const { return kod_; }

    Zapytanie& Wiaz(int i, std::int64_t v)
    {
        if (st_) sqlite3_bind_int64(st_, i, v);
        return *this;
    }
    Zapytanie& Wiaz(int i, double v)
    {
        if (st_) sqlite3_bind_double(st_, i, v);
        return *this;
    }
    // Every other number is a whole one.
    template <class T>
        requires std::is_integral_v<T>
    Zapytanie& Wiaz(int i, T v)
    {
        return Wiaz(i, static_cast<std::int64_t>(v));
    }
    Zapytanie& Wiaz(int i, const QString& v)
    {
        if (st_) {
            const QByteArray b = v.toUtf8();
            sqlite3_bind_text(st_, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Krok()
    {
        if (!st_) return kod_ == SQLITE_OK ? SQLITE_MISUSE : kod_;
        return sqlite3_step(st_);
    }
    void Zeruj()
    {
        if (st_) {
            sqlite3_reset(st_);
            sqlite3_clear_bindings(st_);
        }
    }
    int Typ(int k) const { return sqlite3_column_type(st_, k); }
    bool CalkowitaLiczba(int k) const { return Typ(k) == SQLITE_INTEGER; }
    std::int64_t Int(int k) const { return sqlite3_column_int64(st_, k); }
    double Real(int k) const { return sqlite3_column_double(st_, k); }
    QString Tekst(int k) const
    {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st_, k));
        return t ? QString::fromUtf8(t, sqlite3_column_bytes(st_, k)) : QString();
    }

private:
    sqlite3_stmt* st_ = nullptr;
    int kod_ = SQLITE_OK;
};

// Runs statements without results; SQLITE_OK or the error.
inline int Wykonaj(sqlite3* db, const char* tekst) { return sqlite3_exec(db, tekst, nullptr, nullptr, nullptr); }
inline int Wykonaj(sqlite3* db, const QString& tekst) { return Wykonaj(db, tekst.toUtf8().constData()); }

} // namespace zm::sql
