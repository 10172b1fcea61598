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

void Zaladuj()
{
    Rodziny& r = rodziny();
    if (!r.msSansSerif.isEmpty()) return;
    QString ms;
    if (QFile::exists(kMsSansSerifFile)) {
        const int id = QFontDatabase::addApplicationFont(kMsSansSerifFile);
        if (id >= 0) {
            const QStringList f = QFontDatabase::applicationFontFamilies(id);
            if (!f.isEmpty()) ms = f.first();
        }
    }
    // Without fonts-wine the nearest small sans is used; the layout is in
    // pixels, so the captions still fit. The font database is not listed
    // here: enumerating every installed font would cost the start-up more
    // than everything else the window does.
    r.msSansSerif = ms.isEmpty() ? QStringLiteral("DejaVu Sans") : ms;
    r.verdana = QStringLiteral("DejaVu Sans");
}

QString RodzinaMsSansSerif()
{
    Zaladuj();
    return rodziny().msSansSerif;
}

QString RodzinaVerdana()
{
    Zaladuj();
    return rodziny().verdana;
}

QFont MsSansSerif(int wysokoscZnaku, bool pogrubiona)
{
    // A bitmap face cannot be enlarged cleanly: on a scaled screen the small
    // captions use the outline sans instead, at the same size.
    if (qApp && qApp->devicePixelRatio() > 1.25) return Verdana(wysokoscZnaku, pogrubiona);
    QFont f(RodzinaMsSansSerif());
    // The bitmap face has strikes of 13, 16 and 20 pixel cells; a character
    // height of 11 px is the 13 px cell (8 pt at 96 dpi).
    f.setPixelSize(wysokoscZnaku + 2);
    f.setBold(pogrubiona);
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
