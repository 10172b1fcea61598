// The floor for start-up: the least Qt Widgets program with a window of the
// main window's size. With "text" as its argument it also shows one label,
// which brings in the font machinery that any window with words needs.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.setFixedSize(682, 485);
    if (argc > 1 && std::strcmp(argv[1], "text") == 0) {
        auto* l = new QLabel(QStringLiteral("numer pytania"), &w);
        l->move(282, 336);
    }
    w.show();
    return QApplication::exec();
}
