// Helpers for tests of the windows: a message sink that records instead of
// showing boxes, and copies of the built installation to damage.
#pragma once

#include "Messages.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

namespace zm::test {

struct Komunikat {
    IKomunikaty::Rodzaj rodzaj;
    QString tytul;
    QString tekst;
};

class ZapisaneKomunikaty final : public IKomunikaty {
public:
    QList<Komunikat> lista;
    void Pokaz(QWidget*, Rodzaj rodzaj, const QString& tytul, const QString& tekst) override
    {
        lista.append({rodzaj, tytul, tekst});
    }
};

inline QString KatalogInstalacji() { return QStringLiteral(ZM_TEST_INSTALL_DIR); }

// A copy of the installation's graphics/ and sounds/ under `cel`.
inline bool KopiujInstalacje(const QString& cel)
{
    for (const char* folder : {"graphics", "sounds"}) {
        const QDir zrodlo(KatalogInstalacji() + "/" + folder);
        if (!QDir().mkpath(cel + "/" + folder)) return false;
        for (const QString& plik : zrodlo.entryList(QDir::Files))
            if (!QFile::copy(zrodlo.filePath(plik), cel + "/" + folder + "/" + plik)) return false;
    }
    return true;
}

inline QImage Grafika(const QString& nazwa)
{
    QImage img(KatalogInstalacji() + "/graphics/" + nazwa, "BMP");
    return img.convertToFormat(QImage::Format_RGB32);
}

} // namespace zm::test
