// Damaged variants of a file, for robustness tests: truncations, empty and
// random files, flipped bytes, header fields set to absurd values, and a
// damaged page inside an SQLite database.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdint>
#include <random>

namespace zm::test {

struct Wariant {
    QString opis;
    QByteArray dane;
};

inline void zapisz32(QByteArray& b, int przesuniecie, std::uint32_t v)
{
    if (przesuniecie + 4 > b.size()) return;
    for (int i = 0; i < 4; ++i) b[przesuniecie + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void zapisz16(QByteArray& b, int przesuniecie, std::uint16_t v)
{
    if (przesuniecie + 2 > b.size()) return;
    b[przesuniecie] = static_cast<char>(v & 0xFF);
    b[przesuniecie + 1] = static_cast<char>(v >> 8);
}

// `pola32` and `pola16` are header offsets of 32- and 16-bit fields to set to
// extreme values; `obce` is a file of another format.
inline QList<Wariant> Uszkodzone(const QByteArray& dobry, const QList<int>& pola32, const QList<int>& pola16,
                                 const QByteArray& obce, std::uint32_t ziarno = 1)
{
    QList<Wariant> w;
    std::mt19937 rng(ziarno);
    w.append(Wariant{"pusty", QByteArray()});
    for (int n : {1, 2, 4, 8, 12, 14, 18, 26, 30, 34, 44, 54, 60, 100, 500})
        if (n < dobry.size()) w.append({QString("obciety do %1").arg(n), dobry.left(n)});
    w.append({"obciety o polowe", dobry.left(dobry.size() / 2)});
    w.append({"bez ostatniego bajtu", dobry.left(dobry.size() - 1)});
    for (int i = 0; i < 10; ++i) {
        QByteArray losowe(static_cast<int>(rng() % 5000) + 1, Qt::Uninitialized);
        for (char& c : losowe) c = static_cast<char>(rng());
        w.append({QString("losowe %1").arg(i), losowe});
    }
    for (int i = 0; i < 5; ++i) {
        QByteArray b = dobry.left(4);
        QByteArray reszta(2000, Qt::Uninitialized);
        for (char& c : reszta) c = static_cast<char>(rng());
        w.append({QString("naglowek i smieci %1").arg(i), b + reszta});
    }
    for (int p : pola32)
        for (std::uint32_t v : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 0x80000000u, 0x00FFFFFFu}) {
            QByteArray b = dobry;
            zapisz32(b, p, v);
            w.append({QString("pole32 @%1 = %2").arg(p).arg(v), b});
        }
    for (int p : pola16)
        for (std::uint16_t v : {std::uint16_t(0), std::uint16_t(3), std::uint16_t(7), std::uint16_t(64), std::uint16_t(0xFFFF)}) {
            QByteArray b = dobry;
            zapisz16(b, p, v);
            w.append({QString("pole16 @%1 = %2").arg(p).arg(v), b});
        }
    for (int i = 0; i < 30; ++i) {
        QByteArray b = dobry;
        const int ile = 1 + static_cast<int>(rng() % 8);
        for (int k = 0; k < ile; ++k) b[static_cast<int>(rng() % std::min<qsizetype>(b.size(), 64))] = static_cast<char>(rng());
        w.append({QString("przestawione bajty naglowka %1").arg(i), b});
    }
    w.append({"inny format", obce});
    w.append({"tekst", QByteArray("To nie jest plik z obrazkiem ani z dzwiekiem.\n")});
    return w;
}

// Fills page `strona` (1-based) of the SQLite database `plik` with bytes no
// page can hold, leaving the header and every other page as they were.
inline bool UszkodzStroneSqlite(const QString& plik, int strona)
{
    QFile f(plik);
    if (!f.open(QIODevice::ReadWrite)) return false;
    const QByteArray naglowek = f.read(100);
    if (naglowek.size() < 100) return false;
    int rozmiar = (static_cast<unsigned char>(naglowek[16]) << 8) | static_cast<unsigned char>(naglowek[17]);
    if (rozmiar == 1) rozmiar = 65536;
    return f.seek(qint64(strona - 1) * rozmiar) && f.write(QByteArray(rozmiar, '\xFF')) == rozmiar;
}

} // namespace zm::test
