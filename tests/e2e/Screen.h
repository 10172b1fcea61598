// Drives the real program on the X screen: starts it, finds its window with
// xdotool, clicks and types, and reads pictures back from screenshots.
#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>

class QTemporaryDir;

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace zm::e2e {

using Zegar = std::chrono::steady_clock;

// Runs a command and returns its standard output (trimmed).
QString Uruchom(const QString& program, const QStringList& argumenty, int msLimit = 10000);

class Program {
public:
    // Starts the executable in `katalog` with extra environment variables,
    // through `przez` if given (a command that ends by running it: setpriv).
    Program(const QString& katalog, const std::map<QString, QString>& srodowisko = {}, QStringList przez = {});
    ~Program();

    // The main window's X id, waiting for it to appear.
    bool CzekajNaOkno(int msLimit = 10000);
    // A window with this exact title (a message box, say), waiting for it.
    std::optional<QString> CzekajNaOkno(const QString& tytul, int msLimit);
    bool Dziala() const { return proces_.state() != QProcess::NotRunning; }
    bool CzekajNaKoniec(int msLimit);
    int KodWyjscia() const { return proces_.exitCode(); }
    qint64 Pid() const { return proces_.processId(); }

    QPoint Pozycja() const; // of the main window on the screen
    // A screenshot of the main window's 682 x 485 rectangle.
    QImage Zrzut() const;
    void Kliknij(QPoint wOknie) const;
    void Wpisz(const QString& tekst) const;
    void Klawisz(const QString& nazwa) const;

    const QString& Okno() const { return okno_; }

private:
    std::unique_ptr<QTemporaryDir> dane_;
    QProcess proces_;
    QString okno_;
};

// The glyph pictures of the installation, to read questions and answers.
class Glyphy {
public:
    explicit Glyphy(const QString& katalogGrafiki);
    // The question row, read from the right edge of the question image at
    // (12, 81) of the window, e.g. "7*8=". Empty if it cannot be read.
    QString CzytajPytanie(const QImage& okno) const;
    // The answer row from the left of the answer image at (424, 81): the
    // digits, or nullopt when the row does not end with the cursor.
    std::optional<QString> CzytajWynik(const QImage& okno) const;

private:
    bool Pasuje(const QImage& okno, const QImage& g, int x, int y) const;
    std::map<QChar, QImage> znaki_;
    QImage kursor_;
};

// Where the client area of X window `id` lies on the screen.
QPoint PozycjaOkna(const QString& id);

// Polls until `warunek` holds or the time is up.
bool Czekaj(const std::function<bool()>& warunek, int msLimit, int msKrok = 10);

} // namespace zm::e2e
