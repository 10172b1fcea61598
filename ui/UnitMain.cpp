#include "UnitMain.h"

#include "Accessibility.h"
#include "AnswerKeys.h"
#include "ChildBar.h"
#include "Fonts.h"
#include "QRVButton.h"
#include "ReadingGuard.h"
#include "UnitOpcje.h"
#include "Widgets.h"
#include "ZmConfig.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <atomic>


namespace zm {

namespace {

// The theming component: the standard controls (the dialogs' buttons and
// check boxes) already draw in the platform's widget style under Qt, so it
// only marks the place where the window owns it, created first and released
// last.
class ThemeManager : public QObject {
public:
    explicit ThemeManager(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("ThemeManager1")); }
};

// The player used when none is given: plays nothing and ends at once.
class CichyOdtwarzacz final : public IOdtwarzacz {
public:
    void Czytaj(std::vector<std::string>, std::function<void()> koniec) override { koniec(); }
    void Przerwij() override {}
};

} // namespace

TFrmMain::TFrmMain() : TFrmMain(Opcje{}) {}

TFrmMain::TFrmMain(Opcje opcje)
    : sciezki_(opcje.katalogProgramu),
      wlasneKomunikaty_(opcje.komunikaty ? nullptr : std::make_unique<QtKomunikaty>()),
      komunikaty_(opcje.komunikaty ? opcje.komunikaty : wlasneKomunikaty_.get()),
      wlasnyOdtwarzacz_(opcje.odtwarzacz ? nullptr : std::make_unique<CichyOdtwarzacz>()),
      narrator_(opcje.odtwarzacz ? *opcje.odtwarzacz : *wlasnyOdtwarzacz_,
                [this] { return sciezki_.KatalogDzwiekow().toStdString(); })
{
    setObjectName(QStringLiteral("FrmMain"));
    OknoZDekoracjami(this);
    setWindowTitle(QString::fromUtf8(config::kTytul));
    setWindowFlag(Qt::FramelessWindowHint);
    setFixedSize(SzerokoscOkna, WysokoscOkna);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(218, 219, 222));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    setFont(fonts::MsSansSerif(11));
    // The icon is the application's (set once at start-up), shared by all windows.
    UtworzKomponenty();
    // The keyboard's start and stop, from any control of the window.
    qApp->installEventFilter(this);
    straznik_ = new StraznikCzytania(this, {ButZamknij, ButUstawienia, ButAbout, ButWyniki, ButDziecko, Shape1},
                                     [this] { return kontroler_.Czyta(); });
    FormCreate();
    kontroler_.DodajSluchacza(oglaszacz_);
    profil_ = new ProfilDziecka({this, ButDziecko, kontroler_, oglaszacz_,
                                 [this](IKomunikaty::Rodzaj r, const QString& t, const QString& s) { Komunikat(r, t, s); },
                                 komunikaty_, [this] { UstawieniaKomponentow(); }},
                                opcje.dziennik);
    if (const QScreen* ekran = QGuiApplication::primaryScreen())
        move(ekran->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

TFrmMain::~TFrmMain()
{
    // A sentence still playing is the player's to end: the end it reports
    // later finds no window and is dropped.
    FormDestroy();
}

void TFrmMain::UtworzKomponenty()
{
    zm::UtworzKomponenty(this, *this);
    connect(ImgTlo, &TImage::mousePressed, this, &TFrmMain::ImgTloMouseDown);
    connect(ImgTlo, &TImage::mouseMoved, this, &TFrmMain::ImgTloMouseMove);
    connect(ImgTlo, &TImage::mouseReleased, this, [this](Qt::MouseButton b, QPoint) { przeciaganie_.Puszczony(b); });
    connect(But_Close, &TQRVButton::clicked, this, &TFrmMain::But_CloseClick);
    connect(But_Minimize, &TQRVButton::clicked, this, &TFrmMain::But_MinimizeClick);
    connect(ButStartStop, &TImage::clicked, this, &TFrmMain::ButtonStartStopClick);
    connect(Shape1, &TShape::mousePressed, this, [this](Qt::MouseButton) { Shape1MouseDown(); });
    connect(ButZamknij, &QAbstractButton::clicked, this, &TFrmMain::ToolButton_KoniecClick);
    connect(ButUstawienia, &QAbstractButton::clicked, this, &TFrmMain::ToolButton_UstawieniaClick);
    connect(ButAbout, &QAbstractButton::clicked, this, &TFrmMain::ToolButton_WWWClick);
    connect(ButWyniki, &QAbstractButton::clicked, this, &TFrmMain::ToolButton_WynikiClick);
    connect(EditWynik, &QLineEdit::textChanged, this, &TFrmMain::EditWynikChange);
    connect(Timer, &QTimer::timeout, this, &TFrmMain::TimerTimer);
    EditWynik->installEventFilter(this);
    setFocusProxy(EditWynik);
    // The window starts with the keyboard in the answer field (the flat
    // buttons come before it in the tab order).
    EditWynik->setFocus(Qt::OtherFocusReason);
    oglaszacz_ = new Oglaszacz(this, [this] { return kontroler_.Czyta(); });
    NadajNazwyDostepnosci(this, *this);
}

void TFrmMain::FormCreate()
{
    ThemeManager1 = new ThemeManager(this);
    kontroler_.losowanie().Randomize();
    // The window is frameless and double-buffered already; its shape is set
    // whenever its size changes.
    FormResize();
    BmpStart = QImage();
    WczytajPrzyciskStartStop(BmpStart, assets::PlikDla(assets::Folder::Graphics, "start"));
    BmpStop = QImage();
    WczytajPrzyciskStartStop(BmpStop, assets::PlikDla(assets::Folder::Graphics, "stop"));
    ButStartStop->setPicture(BmpStart);
    kontroler_.UstawDomyslne();
    UstawieniaKomponentow();
}

void TFrmMain::FormDestroy()
{
    delete ThemeManager1;
    ThemeManager1 = nullptr;
}

void TFrmMain::WczytajPrzyciskStartStop(QImage& cel, const char* nazwa)
{
    const QString sciezka = sciezki_.Grafika(QString::fromLatin1(nazwa));
    if (!QFile::exists(sciezka)) {
        KomunikatAndClose(0);
        return;
    }
    // A picture that cannot be read is an invalid one here.
    if (const auto obraz = WczytajObrazek(sciezka, assets::BladObrazka::Niepoprawny)) cel = *obraz;
}

std::optional<QImage> TFrmMain::WczytajObrazek(const QString& sciezka, assets::BladObrazka gdyNieOtwarty)
{
    assets::Obrazek bmp = assets::WczytajBmp(sciezka);
    if (bmp.blad == assets::BladObrazka::NieOtwarty) bmp.blad = gdyNieOtwarty;
    if (bmp.blad == assets::BladObrazka::Brak) return bmp.obraz.convertToFormat(QImage::Format_RGB32);
    Komunikat(IKomunikaty::Rodzaj::Blad, QString::fromUtf8(config::kTytul),
              bmp.blad == assets::BladObrazka::NieOtwarty
                  ? QStringLiteral("Cannot open file %1").arg(sciezka)
                  : QStringLiteral("Bitmap image is not valid.\n%1").arg(sciezka));
    return std::nullopt;
}

void TFrmMain::Komunikat(IKomunikaty::Rodzaj rodzaj, const QString& tytul, const QString& tekst)
{
    // After a fatal message the program ends: no other box follows it.
    if (konczy_) return;
    komunikaty_->Pokaz(this, rodzaj, tytul, tekst);
}

void TFrmMain::KomunikatAndClose(int index)
{
    Komunikat(IKomunikaty::Rodzaj::Blad, QStringLiteral("Error"), assets::TekstKomunikatu(index));
    konczy_ = true;
    // Posted, so that it also works before the event loop has started; the
    // start-up also asks Konczy() before showing the window, since a quit
    // delivered inside another modal loop never reaches the main one.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TFrmMain::SprawdzPliki()
{
    const auto brak = assets::PierwszyBrakujacy(sciezki_);
    if (!brak) return;
    Komunikat(IKomunikaty::Rodzaj::Ostrzezenie, QStringLiteral("Warning"), assets::TekstOstrzezenia(*brak));
    close();
}

void TFrmMain::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

void TFrmMain::FormActivate()
{
    // The warning box takes the activation away and gives it back; one
    // verification at a time.
    if (sprawdzanie_) return;
    sprawdzanie_ = true;
    SprawdzPliki();
    sprawdzanie_ = false;
}

void TFrmMain::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    FormResize();
}

void TFrmMain::FormResize()
{
    if (!ImgTlo) return;
    // The region follows the background picture's size, one pixel larger.
    setMask(ObrysOkna());
}

void TFrmMain::UstawDialogi(QWidget* opcje, QWidget* oProgramie)
{
    frmOpcje_ = opcje;
    frmOprogramie_ = oProgramie;
}


bool TFrmMain::CzytajRownanie()
{
    const std::uint64_t nr = ++nrCzytania_;
    auto skonczone = std::make_shared<std::atomic<bool>>(false);
    auto koniec = [this, zywy = std::weak_ptr<const char>(zywy_), nr, skonczone] {
        skonczone->store(true);
        // From the player's thread: the drill goes on in the window's event
        // loop, if the window is still there.
        QMetaObject::invokeMethod(
            qApp,
            [this, zywy, nr] {
                if (!zywy.expired()) KoniecCzytania(nr);
            },
            Qt::QueuedConnection);
    };
    if (!narrator_.CzytajRownanie(kontroler_.ustawienia(), kontroler_.stan(), std::move(koniec))) return false;
    // A sentence that ended before this returned needs no waiting.
    return !skonczone->load();
}

void TFrmMain::KoniecCzytania(std::uint64_t nr)
{
    if (nr != nrCzytania_ || !kontroler_.Czyta()) return;
    kontroler_.KoniecCzytania();
    straznik_->Wypusc();
}

bool TFrmMain::KlawiszStartStop(QObject* obiekt, QEvent* zdarzenie)
{
    if (zdarzenie->type() != QEvent::KeyPress || !obiekt->isWidgetType() ||
        static_cast<QWidget*>(obiekt)->window() != this ||
        !StartujeLubKonczy(static_cast<QKeyEvent*>(zdarzenie)->key(), kontroler_.trwa(), obiekt == EditWynik))
        return false;
    ButtonStartStopClick();
    return true;
}

void TFrmMain::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (powitano_) return;
    powitano_ = true;
    // After the window's own name: how to start.
    QTimer::singleShot(800, this, [this] {
        if (!kontroler_.trwa())
            oglaszacz_->Oglos(QStringLiteral("Aby zacząć ćwiczenie, naciśnij spację albo F2. F2 albo Escape kończy."));
    });
}

void TFrmMain::closeEvent(QCloseEvent* e)
{
    // A window closed during the reading ends the sentence at once; the
    // drill ends with the window.
    if (kontroler_.Czyta()) {
        ++nrCzytania_;
        narrator_.Przerwij();
    }
    QWidget::closeEvent(e);
}


void TFrmMain::EditWynikChange(const QString& tekst) { kontroler_.EditWynikChange(tekst.toStdString()); }

void TFrmMain::ButtonStartStopClick() { kontroler_.ButtonStartStopClick(); }
void TFrmMain::TimerTimer() { kontroler_.TimerTimer(); }

bool TFrmMain::eventFilter(QObject* obiekt, QEvent* zdarzenie)
{
    if (KlawiszStartStop(obiekt, zdarzenie)) return true;
    if (obiekt == EditWynik && zdarzenie->type() == QEvent::KeyPress) {
        bool odrzuc = false;
        FormKeyPress(static_cast<QKeyEvent*>(zdarzenie), odrzuc);
        return odrzuc;
    }
    return QWidget::eventFilter(obiekt, zdarzenie);
}

void TFrmMain::FormKeyPress(QKeyEvent* e, bool& odrzuc)
{
    // Keys that produce no character (arrows, Delete, Home, End) act on the
    // field as they are.
    // While the narrator reads, or the practice's correction is shown, they
    // are dropped too: the correct result stays on screen, and the next
    // question clears the field anyway.
    // Tab and Shift+Tab move between the controls while no drill runs.
    if ((e->key() == Qt::Key_Tab || e->key() == Qt::Key_Backtab) && !kontroler_.trwa()) {
        odrzuc = false;
        return;
    }
    const QString tekst = e->text();
    if (tekst.isEmpty()) {
        odrzuc = kontroler_.Czyta() || kontroler_.PokazujePoprawke();
        return;
    }
    odrzuc = PrzepuscPrzezFiltr(EditWynik, tekst, [this](char16_t& key) { kontroler_.FormKeyPress(key); });
}

void TFrmMain::ImgTloMouseDown(Qt::MouseButton przycisk, QPoint) { przeciaganie_.Nacisniety(przycisk); }
void TFrmMain::ImgTloMouseMove(QPoint globalna) { przeciaganie_.Ruch(globalna); }

void TFrmMain::Shape1MouseDown() { QDesktopServices::openUrl(QUrl(QString::fromUtf8(config::kUrlWww))); }

void TFrmMain::ToolButton_KoniecClick() { close(); }
void TFrmMain::But_CloseClick() { close(); }
void TFrmMain::But_MinimizeClick() { showMinimized(); }

void TFrmMain::ToolButton_UstawieniaClick()
{
    if (auto* d = qobject_cast<TFrmOpcje*>(frmOpcje_))
        if (const auto wybrane = d->Wybierz(kontroler_.ustawienia())) {
            kontroler_.ZmienUstawienia(*wybrane);
            profil_->ZapiszUstawienia(*wybrane);
        }
    UstawieniaKomponentow();
}

void TFrmMain::ToolButton_WWWClick()
{
    if (auto* d = qobject_cast<QDialog*>(frmOprogramie_)) d->exec();
}

void TFrmMain::ToolButton_WynikiClick() { profil_->PokazWyniki(); }

} // namespace zm
