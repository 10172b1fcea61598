// A copy of the program that opens the journal and then waits to be killed:
// the journal tests end it with SIGKILL, as a crash or a power cut would.
//   journal_child <file>
#include "ResultsJournal.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    zm::DziennikWynikow dziennik(QString::fromLocal8Bit(argv[1]));
    if (!dziennik.Dokoncz(std::chrono::seconds(10))) return 1;
    std::puts("otwarty");
    std::fflush(stdout);
    for (;;) ::pause();
}
