// Saves a screenshot of the whole X screen: zm_grab <file.png>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    if (argc != 2) return 2;
    return QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
