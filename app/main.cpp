// Zoltava mnożenia: start-up. Creates the main window first (it becomes the
// program's main window), then the settings and the about dialogs, hidden,
// and runs the event loop until the main window is closed.
#include "Bitmap.h"
#include "ChildBar.h"
#include "ClassServer.h"
#include "DialogSupport.h"
#include "Fonts.h"
#include "MemoryAtRest.h"
#include "ProcesOdtwarzacz.h"
#include "ResultsJournal.h"
#include "SdlOdtwarzacz.h"
#include "Signals.h"
#include "UnitMain.h"
#include "UnitOpcje.h"
#include "UnitOprogramie.h"
#include "ZmConfig.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

// Until the application exists Qt's messages are held back: when no window
// system can be reached Qt ends with advice to reinstall the program, and
// the user is told in one line what is really wrong instead.
QList<QString> gWstrzymane;

void PrzedStartem(QtMsgType typ, const QMessageLogContext& kontekst, const QString& tekst)
{
    if (typ == QtFatalMsg && tekst.contains(QLatin1String("platform plugin"))) {
        std::fprintf(stderr, "%s: nie ma pulpitu, na którym można pokazać okno (DISPLAY=%s, WAYLAND_DISPLAY=%s).\n",
                     zm::config::kTytul, qgetenv("DISPLAY").constData(), qgetenv("WAYLAND_DISPLAY").constData());
        std::_Exit(1);
    }
    gWstrzymane.append(qFormatLogMessage(typ, kontekst, tekst));
    if (typ == QtFatalMsg) {
        for (const QString& w : gWstrzymane) std::fprintf(stderr, "%s\n", qPrintable(w));
        std::abort();
    }
}

// Runs `co` once the window's first frame is on the screen.
class PoPierwszejKlatce : public QObject {
public:
    PoPierwszejKlatce(QWidget* okno, std::function<void()> co) : QObject(okno), co_(std::move(co))
    {
        okno->installEventFilter(this);
    }
    bool eventFilter(QObject* okno, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            okno->removeEventFilter(this);
            // After the paint and its flush to the screen.
            QTimer::singleShot(0, this, [this] {
                co_();
                deleteLater();
            });
        }
        return false;
    }

private:
    std::function<void()> co_;
};

} // namespace

int main(int argc, char** argv)
{
    // Before any thread starts (Qt's and the libraries' own included).
    zm::SdlOdtwarzacz::PrzygotujSrodowisko();
    qInstallMessageHandler(PrzedStartem);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    for (const QString& w : gWstrzymane) std::fprintf(stderr, "%s\n", qPrintable(w));
    gWstrzymane.clear();
    QApplication::setApplicationName(QString::fromUtf8(zm::config::kTytul));
    QApplication::setOrganizationName(QString::fromUtf8(zm::config::kFirma));
    QApplication::setApplicationVersion(QString::fromLatin1(zm::config::kWersjaPliku));
    // The icon is a PNG: read as one, without loading every image plugin
    // to ask whether it can read it.
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(zm::assets::WczytajZasob(QStringLiteral(":/ikona.png"), "png"))));
    // At rest no idle pooled thread is kept, and what a closed dialog took
    // goes back to the system.
    zm::OddawajPamiecWSpoczynku(app, zm::SdlOdtwarzacz::kBezczynnosc);
    zm::fonts::Zaladuj();
    zm::ZaladujTlumaczeniaQt(app); // Qt's standard dialogs in Polish
    zm::ZakonczNaSygnal();

    // The narrator's player process is started at the first word, not here,
    // and ends at rest with the sound library it loaded.
    zm::ProcesOdtwarzacz odtwarzacz(zm::ProcesOdtwarzacz::ProgramObok(), zm::config::kTytul);
    // Finished drills are kept in the user's data folder; the file is
    // opened on the journal's own thread after the window's first frame.
    zm::DziennikWynikow dziennik(zm::DziennikWynikow::DomyslnyPlik());
    zm::UstawRatunek(dziennik.Ratunek());
    zm::TFrmMain::Opcje opcje;
    opcje.odtwarzacz = &odtwarzacz;
    opcje.dziennik = &dziennik;
    zm::TFrmMain FrmMain(opcje);
    // The dialogs belong to the main window (the window manager keeps them
    // with it).
    zm::TFrmOpcje FrmOpcje(&FrmMain);
    zm::TFrmOprogramie FrmOprogramie(&FrmMain);
    FrmMain.UstawDialogi(&FrmOpcje, &FrmOprogramie);

    if (const int s = zm::OtrzymanySygnal()) return 128 + s;
    if (FrmMain.Konczy()) return 1; // a fatal start-up error: never a usable window
    // Who practises is read on a reader's thread while the window is shown:
    // the answer is there by the first frame, as a rule, so the first frame
    // shows the child's own settings and the picker follows it at once.
    FrmMain.Profil().Wczytaj();
    FrmMain.show();
    new PoPierwszejKlatce(&FrmMain, [&dziennik] { dziennik.Otworz(); });
    const int kod = QApplication::exec();
    // The journal's last try and its spool take a bounded time; a journal
    // whose file does not answer is not waited for, nor a thread still
    // waiting for the class's server (it must not run into the static
    // clean-up).
    FrmMain.Profil().ZakonczKlase();
    if (!dziennik.Zamknij() || zm::WatkiSerwera() > 0) {
        std::fflush(nullptr);
        std::_Exit(kod);
    }
    return kod;
}
