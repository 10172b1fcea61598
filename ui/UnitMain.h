// TFrmMain: the program's main window. A fixed 682 x 485 frameless window
// with rounded corners whose face is one background picture; labels, the
// time bar, the equation pictures and the buttons lie over it. It implements
// the drill's window interface and owns the drill controller.
#pragma once

#include "AssetCatalogue.h"
#include "Bitmap.h"
#include "DrillController.h"
#include "EquationPictures.h"
#include "MainLayout.h"
#include "Messages.h"
#include "Narrator.h"
#include "WindowDrag.h"
#include "WindowShape.h"

#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>


namespace zm {

class DziennikWynikow;
class Oglaszacz;
class ProfilDziecka;
class StraznikCzytania;

class TFrmMain : public QWidget, public IOknoCwiczenia, private KomponentyGlowne {
    Q_OBJECT
public:
    struct Opcje {
        QString katalogProgramu;             // empty: the executable's folder
        IKomunikaty* komunikaty = nullptr;    // empty: real message boxes
        IOdtwarzacz* odtwarzacz = nullptr;    // empty: the narrator is silent
        DziennikWynikow* dziennik = nullptr;  // empty: drills are not kept
    };

    TFrmMain();
    explicit TFrmMain(Opcje opcje);
    ~TFrmMain() override;

    DrillController& Kontroler() { return kontroler_; }
    ProfilDziecka& Profil() { return *profil_; }
    const assets::Sciezki& Sciezki() const { return sciezki_; }

    // Resets the labels to the idle display, then loads the glyph set.
    void UstawieniaKomponentow();
    // Shows the fatal message `index` and asks the program to end.
    void KomunikatAndClose(int index);
    // Whether a fatal message asked the program to end.
    bool Konczy() const { return konczy_; }
    // Checks that every verified file is there; names the first missing one
    // and closes the window.
    void SprawdzPliki();

    // The dialogs opened by "Ustawienia" and "O programie".
    void UstawDialogi(QWidget* opcje, QWidget* oProgramie);

    // The glyph for a question or answer character, or null.
    const QImage* GlyphDla(char znak) const;
    const QImage& BmpKursor() const { return Glyphy().Kursor(); }

    // IOknoCwiczenia
    void RysujPytanie(std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2) override;
    void RysujWynik(std::string_view tekst) override;
    void WyczyscObrazy() override;
    bool CzytajRownanie() override;
    void UstawLicznikPytan(const std::string& tekst) override;
    void PokazLicznikPytan(bool widoczny) override;
    void UstawDobrze(const std::string& tekst) override;
    void UstawZle(const std::string& tekst) override;
    void UstawPodpisLicznika(const std::string& tekst) override;
    void PokazOceny(bool widoczne) override;
    void UstawRozmiarOceny(int nr, int punkty) override;
    void UstawProgresPozycja(int szerokosc, std::uint8_t r, std::uint8_t g, std::uint8_t b) override;
    void UstawInterwalTimera(int ms) override;
    void WlaczTimer() override;
    void WylaczTimer() override;
    void PokazStartStop(bool stop) override;
    void UstawDostepnosc(PrzyciskSzybki przycisk, bool wlaczony) override;
    std::string TekstWyniku() const override;
    void WyczyscWynik() override;
    void UstawFokusWyniku() override;

protected:
    bool eventFilter(QObject* obiekt, QEvent* zdarzenie) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void FormCreate();
    void FormResize();
    void FormActivate();
    void FormDestroy();
    void UtworzKomponenty();
    void WczytajPrzyciskStartStop(QImage& cel, const char* nazwa);
    void WczytajGlyphy();
    const ZestawGlyphow& Glyphy() const;
    void ImgTloMouseDown(Qt::MouseButton przycisk, QPoint pozycja);
    void ImgTloMouseMove(QPoint globalna);
    void Shape1MouseDown();
    void ToolButton_KoniecClick();
    void ToolButton_UstawieniaClick();
    void ToolButton_WWWClick();
    void ToolButton_WynikiClick();
    void But_CloseClick();
    void But_MinimizeClick();
    void ButtonStartStopClick();
    void TimerTimer();
    void EditWynikChange(const QString& tekst);
    void FormKeyPress(QKeyEvent* e, bool& odrzuc);

    DrillController kontroler_{*this};
    assets::Sciezki sciezki_;
    std::unique_ptr<IKomunikaty> wlasneKomunikaty_;
    IKomunikaty* komunikaty_;
    std::unique_ptr<IOdtwarzacz> wlasnyOdtwarzacz_;
    Narrator narrator_;

    // The glyph set as loaded, until its first drawing; then as drawn.
    mutable SpakowaneGlyphy spakowane_;
    mutable std::optional<ZestawGlyphow> glyphy_;
    QImage BmpStart;
    QImage BmpStop;

    QObject* ThemeManager1 = nullptr;

    QWidget* frmOpcje_ = nullptr;
    QWidget* frmOprogramie_ = nullptr;
    ProfilDziecka* profil_ = nullptr; // who practises, the results

    // The reading in progress: its number (an end reported for another is
    // stale), the clicks that wait for it, and what the player's report of
    // the last word checks before it reaches a window that may be gone.
    std::uint64_t nrCzytania_ = 0;
    StraznikCzytania* straznik_ = nullptr;
    std::shared_ptr<const char> zywy_ = std::make_shared<const char>('\0');
    void KoniecCzytania(std::uint64_t nr);

    // The keyboard's way to start and stop: F2 at any time, Space in the
    // answer field while no drill runs, Escape during a drill.
    bool KlawiszStartStop(QObject* obiekt, QEvent* zdarzenie);

    // Announcements for screen readers.
    Oglaszacz* oglaszacz_ = nullptr;
    bool powitano_ = false;

    void Komunikat(IKomunikaty::Rodzaj rodzaj, const QString& tytul, const QString& tekst);
    // A picture of graphics/, or nothing after its message ("Cannot open
    // file" for one that cannot be opened, unless `gdyNieOtwarty` says it is
    // just invalid).
    std::optional<QImage> WczytajObrazek(const QString& sciezka, assets::BladObrazka gdyNieOtwarty);
    bool konczy_ = false;          // a fatal message was shown
    bool sprawdzanie_ = false;     // a verification box is on show
    PrzeciaganieOkna przeciaganie_{this}; // dragging by the background
};

} // namespace zm
