#include "Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

namespace zm::fonts {

namespace {

constexpr const char* kMsSansSerifFile = "/usr/share/wine/fonts/ms_sans_serif.ttf";

struct Rodziny {
    QString msSansSerif;
    QString verdana;
};

Rodziny& rodziny()
{
    static Rodziny r;
    return r;
}

} // namespace

void Zaladuj() { ZaladujZ(QString::fromLatin1(kMsSansSerifFile), false); }

void ZaladujZ(const QString& plik, bool odNowa)
{
    Rodziny& r = rodziny();
    if (!r.msSansSerif.isEmpty() && !odNowa) return;
    QString ms;
    if (QFile::exists(plik)) {
        const int id = QFontDatabase::addApplicationFont(plik);
        if (id >= 0) {
            const QStringList f = QFontDatabase::applicationFontFamilies(id);
            if (!f.isEmpty()) ms = f.first();
        }
    }
    // Without fonts-wine the outline sans stands in (see MsSansSerif). The
    // font database is not listed here: enumerating every installed font
    // would cost the start-up more than everything else the window does.
    r.msSansSerif = ms;
    r.verdana = QStringLiteral("DejaVu Sans");
}

QString RodzinaMsSansSerif()
{
    Zaladuj();
    return rodziny().msSansSerif.isEmpty() ? RodzinaVerdana() : rodziny().msSansSerif;
}

QString RodzinaVerdana()
{
    Zaladuj();
    return rodziny().verdana;
}

QFont MsSansSerif(int wysokoscZnaku, bool pogrubiona)
{
    // The bitmap face has one strike: regular, 13-pixel cells (a character
    // height of 11 px, 8 pt at 96 dpi). Other sizes, bold, a scaled screen
    // (a bitmap cannot be enlarged cleanly) and a machine without the face
    // use the outline sans: at the same character height, and for the 8-pt
    // captions a pixel smaller, since the outline face is wider and every
    // caption must fit the place laid out for the bitmap face.
    Zaladuj();
    const bool skalowany = qApp && qApp->devicePixelRatio() > 1.25;
    if (skalowany || pogrubiona || wysokoscZnaku != 11 || rodziny().msSansSerif.isEmpty())
        return Verdana(wysokoscZnaku == 11 && !skalowany ? 10 : wysokoscZnaku, pogrubiona);
    QFont f(rodziny().msSansSerif);
    f.setPixelSize(wysokoscZnaku + 2);
    f.setStyleStrategy(QFont::NoAntialias);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QFont Verdana(int wysokoscZnaku, bool pogrubiona)
{
    QFont f(RodzinaVerdana());
    f.setPixelSize(wysokoscZnaku);
    f.setBold(pogrubiona);
    // Set explicitly, so that a label does not take the bitmap face's
    // rendering from the window's font.
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferDefaultHinting);
    return f;
}

} // namespace zm::fonts
