#include "EquationPictures.h"

#include "CatalogueFiles.h"
#include "DrillState.h"
#include "Operations.h"
#include "WindowShape.h"

#include <QPainter>

#include <algorithm>
#include <limits>

namespace zm {

std::array<QString, ZestawGlyphow::kLiczba> ZestawGlyphow::Pliki()
{
    // The catalogue's pictures for "0".."9", "=", the signs and the cursor.
    std::array<std::string, kLiczba> znaczenia;
    for (int i = 0; i < 10; ++i) znaczenia[static_cast<std::size_t>(i)] = std::to_string(i);
    znaczenia[10] = "=";
    for (const FaktyDzialania& f : Dzialania()) znaczenia[11 + f.dzialanie] = std::string(1, f.znak);
    znaczenia[kLiczba - 1] = "kursor";
    std::array<QString, kLiczba> p;
    for (std::size_t i = 0; i < kLiczba; ++i)
        p[i] = QString::fromLatin1(assets::PlikDla(assets::Folder::Graphics, znaczenia[i]));
    return p;
}

const QImage* ZestawGlyphow::Dla(char znak) const
{
    int i = -1;
    if (znak >= '0' && znak <= '9') i = znak - '0';
    else if (znak == '=') i = 10;
    else
        for (const FaktyDzialania& f : Dzialania())
            if (f.znak == znak) i = 11 + f.dzialanie;
    if (i < 0 || obrazy[static_cast<std::size_t>(i)].isNull()) return nullptr;
    return &obrazy[static_cast<std::size_t>(i)];
}

void SpakowaneGlyphy::Zachowaj(std::size_t i, const QImage& obraz)
{
    // The drawn glyphs are a few flat areas: their runs of equal pixels
    // take a quarter of the 32-bit picture and are written in a tenth of
    // the time zlib takes (the start waits for the writing).
    const QImage rgb = obraz.convertToFormat(QImage::Format_RGB32);
    rozmiary[i] = rgb.size();
    Przebiegi& r = przebiegi[i];
    r = {};
    const auto* p = reinterpret_cast<const quint32*>(rgb.constBits());
    const qsizetype n = rgb.sizeInBytes() / 4;
    for (qsizetype k = 0; k < n;) {
        quint16 ile = 1;
        while (k + ile < n && ile < std::numeric_limits<quint16>::max() && p[k + ile] == p[k]) ++ile;
        r.dlugosci.push_back(ile);
        r.piksele.push_back(p[k]);
        k += ile;
    }
    r.dlugosci.shrink_to_fit();
    r.piksele.shrink_to_fit();
}

ZestawGlyphow SpakowaneGlyphy::Rozpakuj() const
{
    ZestawGlyphow z;
    for (std::size_t i = 0; i < ZestawGlyphow::kLiczba; ++i) {
        const Przebiegi& r = przebiegi[i];
        if (r.piksele.empty()) continue;
        QImage obraz(rozmiary[i], QImage::Format_RGB32);
        if (obraz.isNull()) continue;
        auto* cel = reinterpret_cast<quint32*>(obraz.bits());
        const qsizetype n = obraz.sizeInBytes() / 4;
        qsizetype k = 0;
        for (std::size_t j = 0; j < r.piksele.size(); ++j) {
            if (r.dlugosci[j] > n - k) break; // never the case for the runs written above
            std::fill_n(cel + k, r.dlugosci[j], r.piksele[j]);
            k += r.dlugosci[j];
        }
        if (k == n) z.obrazy[i] = obraz;
    }
    return z;
}

std::string TekstRownania(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2)
{
    std::string tekst = std::to_string(liczba1).substr(0, 10);
    if (const char op = ZnakDzialania(dzialanie); op && tekst.size() < 10) tekst += op;
    tekst = (tekst + std::to_string(liczba2)).substr(0, 10);
    if (tekst.size() < 10) tekst += '=';
    return tekst;
}

QString TekstPytania(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2)
{
    QString t = QString::number(liczba1);
    if (const FaktyDzialania* f = Fakty(dzialanie)) t += QLatin1Char(' ') + QString::fromUtf8(f->slowo);
    return t + QLatin1Char(' ') + QString::number(liczba2) + QStringLiteral(" równa się");
}

void KomponujPytanie(QImage& obraz, const ZestawGlyphow& glyphy, std::string_view tekst)
{
    const QSize rozmiar = obraz.size();
    QImage robocza(rozmiar, QImage::Format_RGB32);
    robocza.fill(KolorPanelu);
    int x = 0;
    {
        QPainter p(&robocza);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (char c : tekst) {
            const QImage* g = glyphy.Dla(c);
            if (!g) continue;
            p.drawImage(x, 0, *g);
            x += g->width();
        }
    }
    const int w = x, W0 = rozmiar.width();
    QPainter p(&obraz);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(W0 - w, 0, robocza);
    if (W0 - w > 0) p.fillRect(QRect(0, 0, W0 - w, rozmiar.height()), QColor::fromRgb(KolorPanelu));
}

QImage KomponujWynik(QSize rozmiar, const ZestawGlyphow& glyphy, std::string_view tekst)
{
    QImage robocza(rozmiar, QImage::Format_RGB32);
    robocza.fill(KolorPanelu);
    QPainter p(&robocza);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    int x = 0;
    for (char c : tekst) {
        // Only digits are ever drawn; anything else has no picture.
        if (c < '0' || c > '9') continue;
        const QImage* g = glyphy.Dla(c);
        if (!g) continue;
        p.drawImage(x, 0, *g);
        x += g->width() + 3;
    }
    if (!glyphy.Kursor().isNull()) p.drawImage(x, 0, glyphy.Kursor());
    return robocza;
}

} // namespace zm
