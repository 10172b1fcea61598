// Zoltava mnożenia: start-up. Creates the main window first (it becomes the
// program's main window), then the settings and the about dialogs, hidden,
// and runs the event loop until the main window is closed.
#include "Fonts.h"
#include "SdlOdtwarzacz.h"
#include "Signals.h"
#include "UnitMain.h"
#include "UnitOpcje.h"
#include "UnitOprogramie.h"
#include "ZmConfig.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(zm::config::kTytul));
    QApplication::setOrganizationName(QString::fromUtf8(zm::config::kFirma));
    QApplication::setApplicationVersion(QString::fromLatin1(zm::config::kWersjaPliku));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/ikona.png")));
    zm::fonts::Zaladuj();
    zm::ZakonczNaSygnal();

    // The sound device is opened at the first word, not here.
    zm::SdlOdtwarzacz odtwarzacz(zm::config::kTytul);
    zm::TFrmMain::Opcje opcje;
    opcje.odtwarzacz = &odtwarzacz;
    zm::TFrmMain FrmMain(opcje);
    zm::TFrmOpcje FrmOpcje(FrmMain.Kontroler().ustawienia());
    zm::TFrmOprogramie FrmOprogramie;
    FrmMain.UstawDialogi(&FrmOpcje, &FrmOprogramie);

    if (const int s = zm::OtrzymanySygnal()) return 128 + s;
    FrmMain.show();
    return QApplication::exec();
}
