// The main window's face as the drill sees it (IOknoCwiczenia): the labels,
// the counters, the grades, the time bar, the question and answer pictures
// and the answer field.
#include "UnitMain.h"

#include "Accessibility.h"
#include "QRVButton.h"
#include "Widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace zm {

namespace {

constexpr int kPunktNaPiksel96(int punkty) { return punkty * 96 / 72; }

} // namespace

void TFrmMain::UstawieniaKomponentow()
{
    const QString ilosc = QString::number(kontroler_.ustawienia().IloscPytan);
    LabelPytanieNr->setText(ilosc);
    LabelPytanieNrCien->setText(ilosc);
    LabelDobrze->setText(QStringLiteral("0"));
    LabelZle->setText(QStringLiteral("0"));
    Label_NrPytaniaOcena->setText(QStringLiteral("numer pytania"));
    for (QLabel* l : {LabelDobrze, LabelZle, LabelPytanieNr, LabelPytanieNrCien}) OdswiezNazwe(l);
    for (int n = 1; n <= 6; ++n) LabelOcena[static_cast<std::size_t>(n)]->hide();
    LabelPytanieNr->show();
    LabelPytanieNrCien->show();
    WczytajGlyphy();
}

void TFrmMain::WczytajGlyphy()
{
    const QString katalog = sciezki_.KatalogGrafiki();
    const auto pliki = ZestawGlyphow::Pliki();
    // A new set replaces the old one; loading stops at the first file that
    // fails, and the ones after it stay empty (they then draw nothing). The
    // set is kept as runs of pixels until its first drawing (Glyphy).
    spakowane_ = SpakowaneGlyphy{};
    glyphy_.reset();
    for (std::size_t i = 0; i < pliki.size(); ++i) {
        const auto obraz = WczytajObrazek(katalog + pliki[i], assets::BladObrazka::NieOtwarty);
        if (!obraz) return;
        spakowane_.Zachowaj(i, *obraz);
    }
}

const ZestawGlyphow& TFrmMain::Glyphy() const
{
    if (!glyphy_) {
        glyphy_ = spakowane_.Rozpakuj();
        spakowane_ = {}; // the set drawn from now on is the unpacked one
    }
    return *glyphy_;
}

const QImage* TFrmMain::GlyphDla(char znak) const { return Glyphy().Dla(znak); }

void TFrmMain::RysujPytanie(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2)
{
    // The question text selects the glyphs; it is never shown as text.
    QImage& obraz = ImgPytanie->Picture();
    if (obraz.size() != ImgPytanie->size()) obraz = QImage(ImgPytanie->size(), QImage::Format_RGB32);
    KomponujPytanie(obraz, Glyphy(), TekstRownania(liczba1, dzialanie, liczba2));
    ImgPytanie->setAccessibleName(TekstPytania(liczba1, dzialanie, liczba2));
    ImgPytanie->update();
}

void TFrmMain::RysujWynik(std::string_view tekst)
{
    ImgWynik->Picture() = KomponujWynik(ImgWynik->size(), Glyphy(), tekst);
    QString cyfry;
    for (char c : tekst)
        if (c >= '0' && c <= '9') cyfry += QLatin1Char(c);
    ImgWynik->setAccessibleName(cyfry.isEmpty() ? QStringLiteral("Odpowiedź") : cyfry);
    ImgWynik->repaint();
}

void TFrmMain::WyczyscObrazy()
{
    for (TImage* obraz : {ImgWynik, ImgPytanie}) {
        QImage& img = obraz->Picture();
        if (img.size() != obraz->size()) img = QImage(obraz->size(), QImage::Format_RGB32);
        img.fill(KolorPanelu);
        obraz->setAccessibleName(QString());
        obraz->repaint();
    }
}
void TFrmMain::UstawLicznikPytan(const std::string& tekst)
{
    LabelPytanieNr->setText(QString::fromStdString(tekst));
    LabelPytanieNrCien->setText(QString::fromStdString(tekst));
    OdswiezNazwe(LabelPytanieNr);
    OdswiezNazwe(LabelPytanieNrCien);
}

void TFrmMain::PokazLicznikPytan(bool widoczny)
{
    LabelPytanieNr->setVisible(widoczny);
    LabelPytanieNrCien->setVisible(widoczny);
}

void TFrmMain::UstawDobrze(const std::string& tekst)
{
    LabelDobrze->setText(QString::fromStdString(tekst));
    OdswiezNazwe(LabelDobrze);
}

void TFrmMain::UstawZle(const std::string& tekst)
{
    LabelZle->setText(QString::fromStdString(tekst));
    OdswiezNazwe(LabelZle);
}

void TFrmMain::UstawPodpisLicznika(const std::string& tekst)
{
    Label_NrPytaniaOcena->setText(QString::fromStdString(tekst));
}

void TFrmMain::PokazOceny(bool widoczne)
{
    for (int n = 1; n <= 6; ++n) LabelOcena[static_cast<std::size_t>(n)]->setVisible(widoczne);
}

void TFrmMain::UstawRozmiarOceny(int nr, int punkty)
{
    // The grade labels are found by name.
    auto* l = findChild<QLabel*>(QStringLiteral("LabelOcena%1").arg(nr), Qt::FindDirectChildrenOnly);
    if (!l) return;
    QFont f = l->font();
    f.setPixelSize(kPunktNaPiksel96(punkty));
    l->setFont(f);
    // The grade obtained is the large one; a screen reader hears it as such.
    l->setAccessibleName(punkty > 12 ? QStringLiteral("Otrzymana ocena: %1").arg(nr) : QStringLiteral("Ocena %1").arg(nr));
}

void TFrmMain::UstawProgresPozycja(int szerokosc, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    ProgresPozycja->resize(szerokosc, ProgresPozycja->height());
    ProgresPozycja->setBrushColor(QColor(r, g, b));
}

void TFrmMain::UstawInterwalTimera(int ms) { Timer->setInterval(ms); }
void TFrmMain::WlaczTimer()
{
    // A running timer keeps its rhythm.
    if (!Timer->isActive()) Timer->start();
}
void TFrmMain::WylaczTimer() { Timer->stop(); }

void TFrmMain::PokazStartStop(bool stop)
{
    narrator_.Przygotuj(kontroler_.ustawienia(), stop);
    ButStartStop->setPicture(stop ? BmpStop : BmpStart);
    ButStartStop->setAccessibleName(stop ? QStringLiteral("Stop") : QStringLiteral("Start"));
    ButStartStop->repaint();
}

void TFrmMain::UstawDostepnosc(PrzyciskSzybki przycisk, bool wlaczony)
{
    switch (przycisk) {
    case PrzyciskSzybki::Zamknij: ButZamknij->setEnabled(wlaczony); break;
    case PrzyciskSzybki::Ustawienia:
        ButUstawienia->setEnabled(wlaczony);
        // The results open only between drills, as the settings do.
        ButWyniki->setEnabled(wlaczony);
        break;
    case PrzyciskSzybki::About: ButAbout->setEnabled(wlaczony); break;
    }
}

std::string TFrmMain::TekstWyniku() const { return EditWynik->text().toStdString(); }

void TFrmMain::WyczyscWynik()
{
    // The change handler runs also when the field was empty already.
    if (EditWynik->text().isEmpty())
        EditWynikChange(QString());
    else
        EditWynik->clear();
}

void TFrmMain::UstawFokusWyniku() { EditWynik->setFocus(Qt::OtherFocusReason); }

} // namespace zm
