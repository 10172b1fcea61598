// Helpers for tests of the windows: a message sink that records instead of
// showing boxes, and copies of the built installation to damage.
#pragma once

#include "Messages.h"
#include "QtPrint.h"
#include "UnitMain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

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

// A main window on the given installation whose message boxes go to
// `komunikaty` (and whose narrator plays through `odtwarzacz`, and drills go
// to `dziennik`, if given).
inline std::unique_ptr<TFrmMain> NoweOkno(IKomunikaty& komunikaty, const QString& katalog = KatalogInstalacji(),
                                         IOdtwarzacz* odtwarzacz = nullptr, DziennikWynikow* dziennik = nullptr)
{
    TFrmMain::Opcje o;
    o.katalogProgramu = katalog;
    o.komunikaty = &komunikaty;
    o.odtwarzacz = odtwarzacz;
    o.dziennik = dziennik;
    return std::make_unique<TFrmMain>(o);
}

inline QImage Grafika(const QString& nazwa)
{
    QImage img(KatalogInstalacji() + "/graphics/" + nazwa, "BMP");
    return img.convertToFormat(QImage::Format_RGB32);
}

} // namespace zm::test
