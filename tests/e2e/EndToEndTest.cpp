// The real program, as a child would use it: on a virtual X screen, clicked
// and typed at with xdotool, read back from screenshots.
#include "Screen.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include "PostgresServer.h"
#include "SdlOdtwarzacz.h"
#include "WordFinder.h"

#include <csignal>
#include <unistd.h>
#include <cstring>
#include <string_view>

using namespace zm::e2e;

namespace {

const QString kInstalacja = QStringLiteral(ZM_TEST_INSTALL_DIR);
constexpr QRgb kPanel = 0xFFA6D6FF;

int wynikPytania(const QString& p)
{
    // "a<op>b="
    const qsizetype op = p.indexOf(QRegularExpression("[*/+-]"));
    const int a = p.left(op).toInt(), b = p.mid(op + 1, p.size() - op - 2).toInt();
    switch (p[op].toLatin1()) {
    case '*': return a * b;
    case '/': return a / b;
    case '+': return a + b;
    default: return a - b;
    }
}

// White pixels in a grade label: its digit's ink.
int atramentOceny(const QImage& okno, int n)
{
    int ile = 0;
    for (int y = 293; y < 333; ++y)
        for (int x = 247 + 33 * (n - 1); x < 279 + 33 * (n - 1); ++x) ile += okno.pixel(x, y) == qRgb(255, 255, 255);
    return ile;
}

// Waits for a new question: its row is on screen and the answer shows the
// cursor alone. Returns the question read, or an empty text.
QString czekajNaPytanie(const Program& program, const Glyphy& glyphy, int msKrok = 10, int msLimit = 3000)
{
    QString pytanie;
    const bool jest = Czekaj(
        [&] {
            const QImage z = program.Zrzut();
            pytanie = glyphy.CzytajPytanie(z);
            return pytanie.endsWith('=') && glyphy.CzytajWynik(z) == QString();
        },
        msLimit, msKrok);
    return jest ? pytanie : QString();
}

std::map<QString, QString> srodowiskoDzwieku(const QString& plik)
{
    return {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", plik}, {"SDL_DISKAUDIODELAY", "0"}};
}

} // namespace

TEST(EndToEnd, WindowLooksRightAndTenRightAnswersGetGradeSix)
{
    QTemporaryDir tmp;
    Program program(kInstalacja, srodowiskoDzwieku(tmp.filePath("audio.raw")));
    ASSERT_TRUE(program.CzekajNaOkno()) << "the main window did not appear";
    const Glyphy glyphy(kInstalacja + "/graphics");

    // The idle window: rounded corners, its regions, an empty time bar.
    const QPoint poz = program.Pozycja();
    const QImage ekran = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage okno = program.Zrzut();
    EXPECT_EQ(okno.pixel(0, 0), ekran.pixel(poz.x() - 1, poz.y() - 1)) << "corner not cut away";
    EXPECT_EQ(okno.pixel(681, 484), ekran.pixel(poz.x() + 683, poz.y() + 486));
    for (int y = 0; y < 485; ++y)
        for (int x = 0; x < 682; ++x) ASSERT_NE(okno.pixel(x, y), qRgb(254, 2, 254)) << "magenta at " << x << "," << y;
    EXPECT_EQ(okno.pixel(300, 25), qRgb(218, 219, 222));
    EXPECT_EQ(okno.pixel(30, 120), kPanel);
    EXPECT_EQ(okno.pixel(600, 120), kPanel);
    EXPECT_EQ(okno.pixel(200, 233), qRgb(167, 170, 179)); // the bar looks empty
    EXPECT_EQ(okno.pixel(500, 233), qRgb(167, 170, 179));

    program.Kliknij({344, 375}); // the start picture
    for (int q = 1; q <= 10; ++q) {
        const QString pytanie = czekajNaPytanie(program, glyphy);
        ASSERT_FALSE(pytanie.isEmpty()) << "question " << q << " did not appear";
        QThread::msleep(120); // keys count from the first tick on
        const QString odp = QString::number(wynikPytania(pytanie));
        program.Wpisz(odp);
        ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) == odp; }, 2000))
            << "typed digits not shown for " << pytanie.toStdString();
        if (q == 3 && qEnvironmentVariableIsSet("ZM_E2E_SCREENSHOT"))
            program.Zrzut().save(qEnvironmentVariable("ZM_E2E_SCREENSHOT"));
        program.Klawisz("Return");
        // Judged on the next tick: the answer image changes (next question or the end).
        ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) != odp; }, 2000));
    }
    // The grade: all six labels, the 6 drawn twice as large.
    QImage koniec;
    ASSERT_TRUE(Czekaj(
        [&] {
            koniec = program.Zrzut();
            return atramentOceny(koniec, 1) > 0 && atramentOceny(koniec, 6) > 0;
        },
        2000));
    for (int n = 1; n <= 5; ++n) EXPECT_GT(atramentOceny(koniec, 6), 2 * atramentOceny(koniec, n)) << n;
    EXPECT_EQ(koniec.pixel(30, 120), kPanel);
    EXPECT_TRUE(glyphy.CzytajPytanie(koniec).isEmpty());
    // No sound for right answers.
    EXPECT_EQ(QFileInfo(tmp.filePath("audio.raw")).size(), 0);
    // The close cross ends the program cleanly (under the sanitizers this is
    // also where leaks would be reported, with a non-zero exit).
    program.Kliknij({669, 11});
    ASSERT_TRUE(program.CzekajNaKoniec(15000));
    EXPECT_EQ(program.KodWyjscia(), 0);
}

TEST(EndToEnd, UnansweredQuestionTimesOutAfter67TicksAndShowsTheCorrectResult)
{
    QTemporaryDir tmp;
    const QString audio = tmp.filePath("audio.raw");
    Program program(kInstalacja, srodowiskoDzwieku(audio));
    ASSERT_TRUE(program.CzekajNaOkno());
    const Glyphy glyphy(kInstalacja + "/graphics");
    program.Kliknij({344, 375});
    const QString pytanie = czekajNaPytanie(program, glyphy, 2);
    ASSERT_FALSE(pytanie.isEmpty()) << "no question";
    const auto t0 = Zegar::now();
    std::optional<QString> pokazany;
    ASSERT_TRUE(Czekaj(
        [&] {
            pokazany = glyphy.CzytajWynik(program.Zrzut());
            return pokazany && !pokazany->isEmpty();
        },
        6000, 2));
    const double sekundy = std::chrono::duration<double>(Zegar::now() - t0).count();
    // 67 ticks of 60 ms.
    EXPECT_NEAR(sekundy, 4.02, 0.3);
    EXPECT_EQ(*pokazany, QString::number(wynikPytania(pytanie)));
    // The narrator reads the equation; the sound output grows with it.
    EXPECT_TRUE(Czekaj([&] { return QFileInfo(audio).size() > 20000; }, 3000));
}

namespace {

// The recordings of the sentence that reads `pytanie` with its result.
QStringList plikiZdania(const QString& pytanie)
{
    QStringList slowa;
    auto liczba = [&](int n) {
        const QString t = QString::number(n);
        if (n < 20) slowa << t + ".wav";
        else if (t[1] == '0') slowa << t + ".wav";
        else slowa << QString(t[0]) + "0_.wav" << QString(t[1]) + ".wav";
    };
    const qsizetype op = pytanie.indexOf(QRegularExpression("[*/+-]"));
    liczba(pytanie.left(op).toInt());
    slowa << QString::fromLatin1(pytanie[op] == '*' ? "razy.wav" : pytanie[op] == '/' ? "dzielone_na.wav"
                                                                : pytanie[op] == '+' ? "dodac.wav" : "odjac.wav");
    liczba(pytanie.mid(op + 1, pytanie.size() - op - 2).toInt());
    slowa << "rowna_sie.wav";
    liczba(wynikPytania(pytanie));
    return slowa;
}

// A copy of the installation, executable included, to damage.
QString kopiaInstalacji(const QTemporaryDir& tmp)
{
    const QString cel = tmp.filePath("instalacja");
    for (const char* folder : {"graphics", "sounds"}) {
        QDir().mkpath(cel + "/" + folder);
        const QDir zrodlo(kInstalacja + "/" + folder);
        for (const QString& f : zrodlo.entryList(QDir::Files)) QFile::copy(zrodlo.filePath(f), cel + "/" + folder + "/" + f);
    }
    QFile::copy(kInstalacja + "/zoltava-mnozenia", cel + "/zoltava-mnozenia");
    return cel;
}

// Presses Return in a message box until it is gone (a box that has only
// just been mapped may not take the first key yet). The box is focused and
// the key released explicitly: a key sent to a window that closes on the
// press can stay held in the X server, repeating.
bool zamknijOknoKlawiszem(const QString& okno)
{
    for (int proba = 0; proba < 10; ++proba) {
        Uruchom("xdotool", {"windowactivate", "--sync", okno}, 2000);
        Uruchom("xdotool", {"windowfocus", "--sync", okno}, 2000);
        Uruchom("xdotool", {"key", "Return"});
        Uruchom("xdotool", {"keyup", "Return"});
        if (Czekaj([&] { return !Uruchom("xdotool", {"search", "--onlyvisible", "--all", "--name", ".*"})
                                       .split('\n')
                                       .contains(okno); },
                   500, 50))
            return true;
    }
    return false;
}

} // namespace

TEST(EndToEnd, TheSentenceIsReadBeforeTheNextQuestionAppears)
{
    QTemporaryDir tmp;
    const QString audio = tmp.filePath("audio.raw");
    // The disk driver at its real-time pace.
    Program program(kInstalacja, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", audio}});
    ASSERT_TRUE(program.CzekajNaOkno());
    const Glyphy glyphy(kInstalacja + "/graphics");
    program.Kliknij({344, 375});
    QString pytanie;
    ASSERT_TRUE(Czekaj([&] { return (pytanie = glyphy.CzytajPytanie(program.Zrzut())).endsWith('='); }, 3000));
    ASSERT_TRUE(Czekaj(
        [&] {
            const auto w = glyphy.CzytajWynik(program.Zrzut());
            return w && !w->isEmpty();
        },
        6000, 5));
    const auto t0 = Zegar::now();
    // While the sentence plays the window is not repainted: the result stays.
    ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) == QString(); }, 8000, 5));
    const double czytanie = std::chrono::duration<double>(Zegar::now() - t0).count();
    qint64 bajty = 0;
    for (const QString& f : plikiZdania(pytanie)) bajty += QFileInfo(kInstalacja + "/sounds/" + f).size() - 44;
    const double trwanie = static_cast<double>(bajty) / (2 * 22050);
    // (The disk driver writes through a buffer of its own.)
    EXPECT_TRUE(Czekaj([&] { return QFileInfo(audio).size() >= bajty; }, 1000))
        << "not every word of " << pytanie.toStdString() << " was played";
    EXPECT_GT(czytanie, 0.8 * trwanie);
}

namespace {

// Starts a copy of the installation without `plik`; the program must show a
// box titled `tytul` and end once it is dismissed.
void bezPlikuKonczySie(const char* plik, const char* tytul)
{
    QTemporaryDir tmp;
    const QString inst = kopiaInstalacji(tmp);
    ASSERT_TRUE(QFile::remove(inst + "/" + plik));
    Program program(inst, {{"SDL_AUDIODRIVER", "dummy"}});
    const auto box = program.CzekajNaOkno(QString::fromLatin1(tytul), 10000);
    ASSERT_TRUE(box.has_value()) << "no box titled " << tytul;
    EXPECT_TRUE(program.Dziala());
    EXPECT_TRUE(zamknijOknoKlawiszem(*box)); // its one button
    EXPECT_TRUE(program.CzekajNaKoniec(5000));
}

} // namespace

TEST(EndToEnd, MissingRecordingIsNamedInAWarningAndTheProgramEnds)
{
    bezPlikuKonczySie("sounds/dzielone_na.wav", "Warning");
}

TEST(EndToEnd, MissingStopPictureIsAnErrorAndTheProgramEnds)
{
    bezPlikuKonczySie("graphics/but_STOP.bmp", "Error");
}

namespace {

// The question counter as the window draws it: two labels, the shadow one
// pixel right and down in the darker grey, on the window body.
QImage licznikWzorzec(const QString& tekst)
{
    QWidget tlo;
    tlo.resize(379, 44);
    QPalette pal = tlo.palette();
    pal.setColor(QPalette::Window, QColor(187, 190, 200));
    tlo.setPalette(pal);
    tlo.setAutoFillBackground(true);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(37);
    f.setBold(true);
    for (const auto& [dx, kolor] : {std::pair{1, QColor(123, 126, 132)}, std::pair{0, QColor(158, 161, 169)}}) {
        auto* l = new QLabel(tekst, &tlo);
        l->setGeometry(dx, dx, 377, 42);
        l->setFont(f);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, kolor);
        l->setPalette(p);
    }
    QImage img(379, 44, QImage::Format_RGB32);
    tlo.render(&img);
    return img;
}

// How far the window's counter area is from `wzorzec`: the summed grey
// difference at the best alignment within two pixels.
double roznica(const QImage& okno, const QImage& wzorzec)
{
    double najmniej = 1e18;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            double suma = 0;
            for (int y = 2; y < 40; ++y)
                for (int x = 2; x < 375; ++x)
                    suma += std::abs(qGray(okno.pixel(158 + x + dx, 292 + y + dy)) - qGray(wzorzec.pixel(x, y)));
            najmniej = std::min(najmniej, suma);
        }
    return najmniej;
}

// Whether the counter reads `tekst` rather than any of `inne`: the screen is
// clearly nearer to the first. (Text may be laid out a pixel apart from a
// label drawn here, so an exact match is not asked for.)
::testing::AssertionResult licznikCzyta(const QImage& okno, const QString& tekst, const QStringList& inne)
{
    const double d = roznica(okno, licznikWzorzec(tekst));
    for (const QString& t : inne) {
        const double e = roznica(okno, licznikWzorzec(t));
        if (!(d < 0.6 * e))
            return ::testing::AssertionFailure() << "counter is not clearly \"" << tekst.toStdString() << "\" rather than \""
                                                 << t.toStdString() << "\" (" << d << " vs " << e << ")";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(EndToEnd, SettingsChosenInTheDialogShapeTheNextDrill)
{
    Program program(kInstalacja, {{"SDL_AUDIODRIVER", "dummy"}});
    ASSERT_TRUE(program.CzekajNaOkno());
    program.Kliknij({118, 28}); // "Ustawienia"
    const auto dialog = program.CzekajNaOkno(QString::fromUtf8("Ustawienia programu"), 5000);
    ASSERT_TRUE(dialog.has_value()) << "the settings dialog did not open";
    QThread::msleep(300); // mapped and placed by the window manager
    const QPoint d = PozycjaOkna(*dialog);
    if (qEnvironmentVariableIsSet("ZM_E2E_SCREENSHOT_DIALOG"))
        QGuiApplication::primaryScreen()->grabWindow(0, d.x(), d.y(), 553, 313).save(qEnvironmentVariable("ZM_E2E_SCREENSHOT_DIALOG"));
    auto kliknij = [&](QPoint p) {
        Uruchom("xdotool", {"mousemove", QString::number(d.x() + p.x()), QString::number(d.y() + p.y()), "sleep",
                            "0.05", "click", "1"});
    };
    kliknij({8 + 16 + 8, 8 + 72 + 8});   // "Dodawanie"
    kliknij({192 + 16 + 8, 8 + 48 + 8}); // "30"
    kliknij({8 + 16 + 8, 144 + 72 + 8}); // "Szybkie"
    kliknij({239 + 30, 256 + 16 + 12});  // OK
    ASSERT_TRUE(Czekaj([&] { return !program.CzekajNaOkno(QString::fromUtf8("Ustawienia programu"), 0); }, 3000))
        << "the dialog did not close";
    ASSERT_TRUE(Czekaj([&] { return licznikCzyta(program.Zrzut(), "30", {"10", "70", "100"}); }, 3000))
        << licznikCzyta(program.Zrzut(), "30", {"10", "70", "100"}).message();

    const Glyphy glyphy(kInstalacja + "/graphics");
    program.Kliknij({344, 375});
    QString pytanie;
    QImage z;
    ASSERT_TRUE(Czekaj([&] { return (pytanie = glyphy.CzytajPytanie(z = program.Zrzut())).endsWith('='); }, 3000));
    EXPECT_TRUE(pytanie.contains('+')) << pytanie.toStdString();
    EXPECT_TRUE(licznikCzyta(z, "1 z 30", {"1 z 10", "1 z 70", "1 z 100"}));
    // The fast pace: the next question after 67 ticks of 20 ms and the reading.
    EXPECT_TRUE(Czekaj([&] { return licznikCzyta(program.Zrzut(), "2 z 30", {"1 z 30", "3 z 30"}); }, 8000, 20));
    program.Kliknij({344, 375}); // STOP

    // Opened again, the dialog is where it was the first time. Asked to
    // minimise it, the window manager never leaves the main window blocked
    // with its dialog hidden: the dialog stays, or both go and come back.
    ASSERT_TRUE(Czekaj([&] {
        program.Kliknij({118, 28});
        return program.CzekajNaOkno(QString::fromUtf8("Ustawienia programu"), 1000).has_value();
    }, 5000, 200));
    const auto znow = program.CzekajNaOkno(QString::fromUtf8("Ustawienia programu"), 1000);
    ASSERT_TRUE(znow.has_value());
    QThread::msleep(300);
    EXPECT_EQ(PozycjaOkna(*znow), d);
    Uruchom("xdotool", {"windowminimize", "--sync", *znow}, 3000);
    QThread::msleep(500);
    const QStringList widoczne = Uruchom("xdotool", {"search", "--onlyvisible", "--all", "--name", ".*"}).split('\n');
    EXPECT_TRUE(widoczne.contains(*znow) || !widoczne.contains(program.Okno()))
        << "the dialog was hidden and the main window left blocked";
    Uruchom("xdotool", {"windowactivate", program.Okno()}, 3000);
    EXPECT_TRUE(Czekaj([&] { return program.CzekajNaOkno(QString::fromUtf8("Ustawienia programu"), 0).has_value(); }, 3000))
        << "the dialog did not come back with the main window";
}

namespace {

// A sound server of the test's own, on a private socket, playing into a null
// sink "zm" at the narrator's format; `parec` records what it plays. Either
// a PulseAudio daemon, where a stream of silence keeps the sink running at a
// short latency, as a sound card's is (an idle null sink takes over a second
// to start a new stream, and its monitor loses the start); or PipeWire with
// wireplumber and pipewire-pulse on a session bus of their own, at the
// narrator's rate and a desktop's period (1024 samples at 48 kHz, about
// 21 ms), reached through pipewire-pulse or PipeWire's own protocol.
class SerwerDzwieku {
public:
    enum class Rodzaj { PulseAudio, PipeWire };
    explicit SerwerDzwieku(const QString& katalog, Rodzaj rodzaj = Rodzaj::PulseAudio)
        : katalog_(katalog), rodzaj_(rodzaj)
    {
        QDir().mkpath(katalog_ + "/rt");
        QFile::setPermissions(katalog_ + "/rt", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QDir().mkpath(katalog_ + "/config/pipewire/pipewire.conf.d");
        QFile pw(katalog_ + "/config/pipewire/pipewire.conf.d/zm.conf");
        pw.open(QIODevice::WriteOnly);
        pw.write("context.properties = { default.clock.rate = 22050 default.clock.quantum = 512 }\n");
        QFile konfig(katalog_ + "/default.pa");
        konfig.open(QIODevice::WriteOnly);
        konfig.write(QStringLiteral("load-module module-native-protocol-unix auth-anonymous=1 socket=%1/native\n"
                                    "load-module module-null-sink sink_name=zm rate=22050 channels=1 format=s16le\n"
                                    "set-default-sink zm\n")
                         .arg(katalog_)
                         .toUtf8());
    }
    ~SerwerDzwieku()
    {
        Nagrywaj({});
        Zabij();
        if (szyna_.state() != QProcess::NotRunning) {
            szyna_.kill();
            szyna_.waitForFinished(3000);
        }
    }
    QString Adres() const
    {
        return "unix:" + katalog_ + (rodzaj_ == Rodzaj::PulseAudio ? "/native" : "/rt/pulse/native");
    }
    // What the program needs to play there, through SDL's `sterownik` (its
    // own choice when empty, whatever the caller's environment asks).
    std::map<QString, QString> Srodowisko(const QString& sterownik) const
    {
        return {{"PULSE_SERVER", Adres()}, {"PIPEWIRE_RUNTIME_DIR", katalog_ + "/rt"}, {"SDL_AUDIODRIVER", sterownik}};
    }
    bool Uruchom()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", katalog_ + "/rt");
        env.insert("HOME", katalog_);
        if (rodzaj_ == Rodzaj::PipeWire) return UruchomPipeWire(env);
        demon_.setProcessEnvironment(env);
        demon_.setStandardOutputFile(katalog_ + "/pulse.log", QIODevice::Append);
        demon_.setStandardErrorFile(katalog_ + "/pulse.log", QIODevice::Append);
        demon_.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                    "--disable-shm=yes", "-F", katalog_ + "/default.pa"});
        if (!demon_.waitForStarted(5000) || !Czekaj([&] { return !Pactl({"info"}).isEmpty(); }, 10000, 50)) return false;
        env.insert("PULSE_SERVER", Adres());
        cisza_.setProcessEnvironment(env);
        cisza_.setStandardInputFile("/dev/zero");
        cisza_.start("pacat", {"--playback", "-d", "zm", "--raw", "--format=s16le", "--rate=22050", "--channels=1",
                               "--latency-msec=20", "--client-name=cisza"});
        return cisza_.waitForStarted(3000);
    }
    // The server dies (PipeWire first, then its helpers).
    void Zabij()
    {
        for (QProcess* p : {&demon_, &menedzer_, &pulse_, &cisza_}) {
            if (p->state() == QProcess::NotRunning) continue;
            ::kill(static_cast<pid_t>(p->processId()), SIGCONT);
            p->kill();
            p->waitForFinished(3000);
        }
    }
    void Sygnal(int s)
    {
        for (QProcess* p : {&demon_, &menedzer_, &pulse_})
            if (p->state() != QProcess::NotRunning) ::kill(static_cast<pid_t>(p->processId()), s);
    }
    // The servers' own logs, for a failure's message.
    std::string Dzienniki() const
    {
        QString tekst;
        for (const QString& n : QDir(katalog_).entryList({"*.log"}, QDir::Files)) {
            QFile f(katalog_ + "/" + n);
            f.open(QIODevice::ReadOnly);
            tekst += "\n== " + n + "\n" + QString::fromUtf8(f.readAll().right(1500));
        }
        return tekst.toStdString();
    }
    QString Pactl(const QStringList& a) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", Adres());
        p.setProcessEnvironment(env);
        p.start("pactl", a);
        if (!p.waitForFinished(2000) || p.exitCode() != 0) return {};
        return QString::fromUtf8(p.readAllStandardOutput()) + " ";
    }
    // Records into `plik` from now on, once samples come (an empty name stops
    // the recording).
    void Nagrywaj(const QString& plik)
    {
        if (nagrywanie_.state() != QProcess::NotRunning) {
            nagrywanie_.terminate();
            nagrywanie_.waitForFinished(2000);
        }
        if (plik.isEmpty()) return;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", Adres());
        nagrywanie_.setProcessEnvironment(env);
        nagrywanie_.setStandardOutputFile(plik);
        nagrywanie_.start("parec", {"-d", "zm.monitor", "--raw", "--format=s16le", "--rate=22050", "--channels=1",
                                    "--latency-msec=20"});
        nagrywanie_.waitForStarted(3000);
        // A sink just started takes a second or two to run.
        Czekaj([&] { return QFileInfo(plik).size() > 0; }, 5000, 20);
    }

private:
    bool UruchomPipeWire(QProcessEnvironment env)
    {
        const QString szyna = katalog_ + "/bus";
        if (szyna_.state() == QProcess::NotRunning) {
            szyna_.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + szyna});
            if (!szyna_.waitForStarted(3000) || !Czekaj([&] { return QFileInfo::exists(szyna); }, 5000, 20)) return false;
        }
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + szyna);
        // A killed server leaves its sockets: waiting for them must wait for
        // the new one.
        for (const QString& gniazdo : QDir(katalog_ + "/rt").entryList({"pipewire-0*"}, QDir::System | QDir::Files))
            QFile::remove(katalog_ + "/rt/" + gniazdo);
        QFile::remove(katalog_ + "/rt/pulse/native");
        env.insert("XDG_CONFIG_HOME", katalog_ + "/config");
        env.insert("XDG_STATE_HOME", katalog_ + "/state");
        for (auto [p, nazwa] : {std::pair{&demon_, "pipewire"}, {&menedzer_, "wireplumber"}, {&pulse_, "pipewire-pulse"}}) {
            p->setProcessEnvironment(env);
            p->setStandardOutputFile(katalog_ + "/" + nazwa + ".log", QIODevice::Append);
            p->setStandardErrorFile(katalog_ + "/" + nazwa + ".log", QIODevice::Append);
            p->start(nazwa, {});
            if (!p->waitForStarted(5000)) return false;
            // The session manager and pipewire-pulse connect to a running server.
            if (p == &demon_ && !Czekaj([&] { return QFileInfo::exists(katalog_ + "/rt/pipewire-0"); }, 5000, 20))
                return false;
        }
        // pipewire-pulse may answer before its own link to the server is up
        // (the sink's module then fails with a broken pipe): the sink is
        // asked for again until it is there, never twice.
        const auto ujscie = [&] { return Pactl({"list", "short", "sinks"}).contains("\tzm\t"); };
        return Czekaj([&] { return !Pactl({"info"}).isEmpty(); }, 10000, 50) && Czekaj([&] {
                   if (!ujscie())
                       Pactl({"load-module", "module-null-sink", "sink_name=zm", "rate=22050", "channels=1",
                              "format=s16le"});
                   return ujscie();
               }, 10000, 200) &&
               Czekaj([&] { return !Pactl({"set-default-sink", "zm"}).isEmpty(); }, 5000, 100);
    }

    QString katalog_;
    Rodzaj rodzaj_;
    // PulseAudio runs as `demon_` alone; PipeWire as `demon_` with
    // `menedzer_` (wireplumber) and `pulse_` (pipewire-pulse).
    QProcess demon_, menedzer_, pulse_, nagrywanie_, cisza_, szyna_;
};

std::vector<std::int16_t> probkiZPliku(const QString& plik)
{
    QFile f(plik);
    f.open(QIODevice::ReadOnly);
    const QByteArray b = f.readAll();
    std::vector<std::int16_t> v(static_cast<std::size_t>(b.size() / 2));
    std::memcpy(v.data(), b.constData(), v.size() * 2);
    return v;
}

// Types a wrong answer into the question on screen; returns the question once
// its correct result is shown, that is when the reading starts.
QString bladINaCzytanie(const Program& program, const Glyphy& glyphy)
{
    const QString pytanie = czekajNaPytanie(program, glyphy);
    if (pytanie.isEmpty()) return {};
    QThread::msleep(150);
    program.Wpisz("1");
    program.Klawisz("Return");
    const QString wynik = QString::number(wynikPytania(pytanie));
    // Judged on the next tick, or at the time-out should the keys come late.
    if (!Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) == wynik; }, 6000, 5)) return {};
    return pytanie;
}

// The narrator's player process of the program `rodzic`, or 0 when none runs.
pid_t procesLektora(qint64 rodzic)
{
    for (const QString& d : QDir("/proc").entryList(QDir::Dirs)) {
        QFile f("/proc/" + d + "/cmdline");
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> a = f.readAll().split('\0');
        if (a.size() >= 3 && a[0].endsWith("/zoltava-mnozenia-lektor") && a[2].toLongLong() == rodzic) return d.toInt();
    }
    return 0;
}

// The sound libraries the program has mapped.
QString bibliotekiDzwieku(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/maps").arg(pid));
    f.open(QIODevice::ReadOnly);
    QString znalezione;
    for (const QByteArray& linia : f.readAll().split('\n'))
        for (const char* b : {"libSDL2", "libpulse", "libasound", "libpipewire"})
            if (linia.contains(b)) znalezione += QString::fromUtf8(linia.mid(linia.lastIndexOf('/') + 1)) + " ";
    return znalezione;
}

} // namespace

// A sound stack of a Debian desktop, and the driver SDL is told to use.
struct Stos {
    const char* nazwa;
    SerwerDzwieku::Rodzaj rodzaj;
    const char* sterownik;
    bool wlasnyStrumien; // played on the player's own PipeWire stream, SDL not loaded
};

class DzwiekNaSerwerze : public ::testing::TestWithParam<Stos> {};

TEST_P(DzwiekNaSerwerze, NeverHoldsTheDrillAndComesBack)
{
    QTemporaryDir tmp;
    SerwerDzwieku serwer(tmp.path(), GetParam().rodzaj);
    ASSERT_TRUE(serwer.Uruchom()) << GetParam().nazwa << " did not start" << serwer.Dzienniki();
    serwer.Nagrywaj(tmp.filePath("zdanie1.raw"));
    Program program(kInstalacja, serwer.Srodowisko(GetParam().sterownik));
    ASSERT_TRUE(program.CzekajNaOkno());
    const Glyphy glyphy(kInstalacja + "/graphics");
    program.Kliknij({344, 375});

    // A wrong answer: every word of the sentence is heard, in order, end to
    // end. (The first sentence opens the stream, and the sink's monitor may
    // lose the start of a new stream: the second one is examined.)
    ASSERT_FALSE(bladINaCzytanie(program, glyphy).isEmpty());
    EXPECT_TRUE(Czekaj([&] { return serwer.Pactl({"list", "sink-inputs"}).contains("application.name = \"Zoltava mnożenia\""); }, 2000))
        << serwer.Pactl({"list", "sink-inputs"}).toStdString();
    EXPECT_TRUE(serwer.Pactl({"list", "sink-inputs"}).contains("media.name = \"Lektor\""));
    ASSERT_FALSE(czekajNaPytanie(program, glyphy, 10, 8000).isEmpty());
    serwer.Nagrywaj(tmp.filePath("zdanie2.raw"));
    QThread::msleep(700); // the recording has started
    const QString pytanie = bladINaCzytanie(program, glyphy);
    ASSERT_FALSE(pytanie.isEmpty());
    ASSERT_FALSE(czekajNaPytanie(program, glyphy, 10, 8000).isEmpty());
    QThread::msleep(300);
    serwer.Nagrywaj({});
    auto slowaZdania = [&](const QString& p) {
        std::vector<std::vector<std::int16_t>> slowa;
        for (const QString& f : plikiZdania(p))
            slowa.push_back(zm::SdlOdtwarzacz::WczytajSlowo((kInstalacja + "/sounds/" + f).toStdString()).probki);
        return slowa;
    };
    const auto slowa = slowaZdania(pytanie);
    const auto znalezione = zm::test::ZnajdzSlowa(probkiZPliku(tmp.filePath("zdanie2.raw")), slowa);
    ASSERT_EQ(znalezione.size(), slowa.size());
    for (std::size_t i = 0; i < slowa.size(); ++i) {
        EXPECT_GE(znalezione[i].korelacja, 0.99) << "word " << i << " of " << pytanie.toStdString();
        if (i == 0) continue;
        const long przerwa = znalezione[i].poczatek - znalezione[i - 1].poczatek - static_cast<long>(slowa[i - 1].size());
        EXPECT_LE(std::abs(przerwa), 22050 * 5 / 1000) << "gap before word " << i << ": " << przerwa << " samples";
    }

    // The drill stopped: at rest the player process has ended, and the
    // program itself never held SDL or a sound server's client. Then a new
    // drill.
    program.Klawisz("Escape");
    EXPECT_TRUE(Czekaj([&] { return procesLektora(program.Pid()) == 0; }, 6000)) << "the player process stayed";
    EXPECT_EQ(bibliotekiDzwieku(program.Pid()), "");
    program.Kliknij({344, 375});

    // The server killed mid-sentence: the drill goes on within a second.
    ASSERT_FALSE(bladINaCzytanie(program, glyphy).isEmpty());
    QThread::msleep(200);
    serwer.Zabij();
    auto t0 = Zegar::now();
    ASSERT_FALSE(czekajNaPytanie(program, glyphy, 10, 8000).isEmpty());
    EXPECT_LT(Zegar::now() - t0, std::chrono::milliseconds(1000));

    // Started again: the next sentence is heard.
    ASSERT_TRUE(serwer.Uruchom()) << serwer.Dzienniki();
    serwer.Nagrywaj(tmp.filePath("zdanie3.raw"));
    QThread::msleep(700);
    const QString trzecie = bladINaCzytanie(program, glyphy);
    ASSERT_FALSE(trzecie.isEmpty());
    ASSERT_FALSE(czekajNaPytanie(program, glyphy, 10, 8000).isEmpty());
    QThread::msleep(300);
    serwer.Nagrywaj({});
    // The second word: the start of a new stream may be lost, see above.
    const auto poRestarcie = zm::test::ZnajdzSlowa(probkiZPliku(tmp.filePath("zdanie3.raw")), {slowaZdania(trzecie)[1]});
    EXPECT_GE(poRestarcie.front().korelacja, 0.99) << "no voice after the server came back";

    // A server that does not answer: the window still answers, the drill goes on.
    serwer.Sygnal(SIGSTOP);
    ASSERT_FALSE(bladINaCzytanie(program, glyphy).isEmpty());
    t0 = Zegar::now();
    EXPECT_EQ(Uruchom("xdotool", {"getwindowname", program.Okno()}, 100), QString::fromUtf8("Zoltava mnożenia"));
    EXPECT_LT(Zegar::now() - t0, std::chrono::milliseconds(100));
    EXPECT_FALSE(czekajNaPytanie(program, glyphy, 10, 8000).isEmpty()) << "the drill stopped with the server";
    serwer.Sygnal(SIGCONT);

    // SIGTERM during a reading: gone within half a second with its player
    // process, no stream left.
    ASSERT_FALSE(bladINaCzytanie(program, glyphy).isEmpty());
    QThread::msleep(200);
    const qint64 pid = program.Pid();
    const pid_t lektor = procesLektora(pid);
    EXPECT_GT(lektor, 0) << "the sentence was not read by the player process";
    // PipeWire with no driver asked for is played on the player's own stream, not SDL's.
    EXPECT_EQ(bibliotekiDzwieku(lektor).contains("libSDL2"), !GetParam().wlasnyStrumien)
        << bibliotekiDzwieku(lektor).toStdString();
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    t0 = Zegar::now();
    EXPECT_TRUE(program.CzekajNaKoniec(500));
    EXPECT_LT(Zegar::now() - t0, std::chrono::milliseconds(500));
    EXPECT_TRUE(Czekaj([&] { return procesLektora(pid) == 0; }, 500)) << "its player process stayed";
    EXPECT_TRUE(Czekaj([&] { return !serwer.Pactl({"list", "sink-inputs"}).contains("Zoltava"); }, 1000));
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, DzwiekNaSerwerze,
                         ::testing::Values(Stos{"PulseAudio", SerwerDzwieku::Rodzaj::PulseAudio, "", false},
                                           Stos{"PipeWirePulse", SerwerDzwieku::Rodzaj::PipeWire, "pulseaudio", false},
                                           Stos{"PipeWire", SerwerDzwieku::Rodzaj::PipeWire, "", true}),
                         [](const auto& i) { return std::string(i.param.nazwa); });

namespace {

// Plays a drill of ten right answers from START to its grade.
void grajDoOceny(const Program& program, const Glyphy& glyphy)
{
    program.Kliknij({344, 375});
    for (int q = 1; q <= 10; ++q) {
        const QString pytanie = czekajNaPytanie(program, glyphy);
        ASSERT_FALSE(pytanie.isEmpty()) << "question " << q << " did not appear";
        QThread::msleep(120);
        const QString odp = QString::number(wynikPytania(pytanie));
        program.Wpisz(odp);
        ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) == odp; }, 2000));
        program.Klawisz("Return");
        ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) != odp; }, 2000));
    }
    ASSERT_TRUE(Czekaj([&] { return atramentOceny(program.Zrzut(), 6) > 0; }, 2000)) << "no grade";
}

QString plikWynikow(const QTemporaryDir& dane)
{
    return dane.filePath(QString::fromUtf8("Quorvin/Zoltava mnożenia/wyniki.sqlite"));
}

// Horizontal bands of the results window that hold the colour of grade 6.
int wierszeZSzostka(const QImage& okno)
{
    int pasma = 0, ostatni = -10;
    for (int y = 0; y < okno.height(); ++y) {
        bool jest = false;
        for (int x = 0; x < okno.width() && !jest; ++x) jest = okno.pixel(x, y) == qRgb(0, 110, 50);
        if (!jest) continue;
        if (y > ostatni + 4) ++pasma;
        ostatni = y;
    }
    return pasma;
}

} // namespace

TEST(EndToEnd, AKilledProgramKeepsItsGradedDrillAndTheResultsWindowListsBoth)
{
    QTemporaryDir dane;
    std::map<QString, QString> env{{"SDL_AUDIODRIVER", "dummy"}, {"XDG_DATA_HOME", dane.path()}};
    const Glyphy glyphy(kInstalacja + "/graphics");
    {
        Program program(kInstalacja, env);
        ASSERT_TRUE(program.CzekajNaOkno());
        grajDoOceny(program, glyphy);
        // Killed the moment the grade is on the screen.
        ::kill(static_cast<pid_t>(program.Pid()), SIGKILL);
        ASSERT_TRUE(program.CzekajNaKoniec(5000));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "e2e");
        db.setDatabaseName(plikWynikow(dane));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("SELECT count(*), sum(good), (SELECT count(*) FROM answers) FROM drills") && q.next());
        EXPECT_EQ(q.value(0).toInt(), 1);
        EXPECT_EQ(q.value(1).toInt(), 10);
        EXPECT_EQ(q.value(2).toInt(), 10);
    }
    QSqlDatabase::removeDatabase("e2e");

    Program program(kInstalacja, env);
    ASSERT_TRUE(program.CzekajNaOkno());
    grajDoOceny(program, glyphy);
    program.Kliknij({266, 28}); // "Wyniki"
    const auto okno = program.CzekajNaOkno("Wyniki", 5000);
    ASSERT_TRUE(okno.has_value()) << "the results window did not open";
    QImage zrzut;
    ASSERT_TRUE(Czekaj(
        [&] {
            const QPoint p = PozycjaOkna(*okno);
            zrzut = QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 640, 460).toImage();
            return wierszeZSzostka(zrzut) == 2;
        },
        3000, 100))
        << "rows with grade 6 in the list: " << wierszeZSzostka(zrzut);
    if (qEnvironmentVariableIsSet("ZM_E2E_SCREENSHOT_RESULTS")) zrzut.save(qEnvironmentVariable("ZM_E2E_SCREENSHOT_RESULTS"));
}

TEST(EndToEnd, AReadOnlyDataFolderIsToldOnceAndTheDrillsGoOn)
{
    QTemporaryDir dane;
    const QString folder = QFileInfo(plikWynikow(dane)).absolutePath();
    ASSERT_TRUE(QDir().mkpath(folder));
    const auto rx = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                    QFile::ExeOther;
    for (const QString& f : {dane.path(), QFileInfo(folder).absolutePath()})
        QFile::setPermissions(f, rx | QFile::WriteOwner);
    QFile::setPermissions(folder, rx);
    // Root writes anywhere: the program runs as nobody then.
    const QStringList przez = ::geteuid() == 0
                                  ? QStringList{"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"}
                                  : QStringList{};
    Program program(kInstalacja, {{"SDL_AUDIODRIVER", "dummy"}, {"XDG_DATA_HOME", dane.path()}, {"HOME", "/tmp"}},
                    przez);
    ASSERT_TRUE(program.CzekajNaOkno());
    const Glyphy glyphy(kInstalacja + "/graphics");
    grajDoOceny(program, glyphy);
    const auto box = program.CzekajNaOkno(QString::fromUtf8("Zapis wyników"), 5000);
    ASSERT_TRUE(box.has_value()) << "no message after the drill";
    EXPECT_TRUE(zamknijOknoKlawiszem(*box));
    grajDoOceny(program, glyphy);
    EXPECT_FALSE(program.CzekajNaOkno(QString::fromUtf8("Zapis wyników"), 1500).has_value()) << "told twice";
    EXPECT_TRUE(program.Dziala());
    EXPECT_FALSE(QFile::exists(plikWynikow(dane)));
}

// The data folder on a small disk of its own that fills up during the
// session (root mounts it; elsewhere the test is skipped).
#include <sys/mount.h>

TEST(EndToEnd, ADrillGradedOnAFullDiskIsInTheResultsOnceThereIsRoomAndTheProgramStartsAgain)
{
    QTemporaryDir dane;
    const QByteArray punkt = QFile::encodeName(dane.path());
    if (::mount("tmpfs", punkt.constData(), "tmpfs", 0, "size=4m") != 0) GTEST_SKIP() << "a tmpfs cannot be mounted here";
    struct Odmontuj {
        QByteArray punkt;
        ~Odmontuj() { ::umount2(punkt.constData(), MNT_DETACH); }
    } odmontuj{punkt};
    const QString plik = plikWynikow(dane), wypelniacz = dane.filePath("wypelniacz");
    const std::map<QString, QString> env{{"SDL_AUDIODRIVER", "dummy"}, {"XDG_DATA_HOME", dane.path()}};
    const Glyphy glyphy(kInstalacja + "/graphics");
    const auto cwiczen = [&] {
        int n = -1;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "pelny");
            db.setDatabaseName(plik);
            QSqlQuery q(db);
            if (QFile::exists(plik) && db.open() && q.exec("SELECT count(*) FROM drills WHERE good = 10") && q.next())
                n = q.value(0).toInt();
        }
        QSqlDatabase::removeDatabase("pelny");
        return n;
    };
    {
        Program program(kInstalacja, env);
        ASSERT_TRUE(program.CzekajNaOkno());
        // Once the journal has started (its reserve is beside the file),
        // the disk fills up.
        ASSERT_TRUE(Czekaj([&] { return !QDir(QFileInfo(plik).absolutePath()).entryList({"*.zapas-*"}, QDir::Files).isEmpty(); },
                           5000, 50));
        Uruchom("dd", {"if=/dev/zero", "of=" + wypelniacz, "bs=64k"}, 30000);
        grajDoOceny(program, glyphy);
        EXPECT_TRUE(program.CzekajNaOkno(QString::fromUtf8("Zapis wyników"), 5000).has_value()) << "not told";
        ::kill(static_cast<pid_t>(program.Pid()), SIGTERM);
        ASSERT_TRUE(program.CzekajNaKoniec(5000));
    }
    EXPECT_LE(cwiczen(), 0);
    ASSERT_TRUE(QFile::remove(wypelniacz));
    Program program(kInstalacja, env);
    ASSERT_TRUE(program.CzekajNaOkno());
    EXPECT_TRUE(Czekaj([&] { return cwiczen() == 1; }, 10000, 200)) << "drills in the file: " << cwiczen();
    ::kill(static_cast<pid_t>(program.Pid()), SIGTERM);
    EXPECT_TRUE(program.CzekajNaKoniec(5000));
}

// A results file that is a pipe: opening it would block for good. The
// results window reads the journal off its thread, so it keeps answering
// the window manager; a signal ends the program at once even then.
#include <sys/stat.h>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* nazwa)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(nazwa)), nazwa), nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Sends _NET_WM_PING to the window and waits for its answer on the root
// window, as a window manager does to tell a hung program.
bool odpowiadaNaPing(const QString& okno, int msLimit)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> straz(c, &xcb_disconnect);
    if (xcb_connection_has_error(c)) return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Qt answers to the root window for clients selecting its structure.
    const std::uint32_t maska = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &maska);
    const xcb_atom_t protokoly = atom(c, "WM_PROTOCOLS"), ping = atom(c, "_NET_WM_PING");
    const xcb_window_t id = static_cast<xcb_window_t>(okno.toULongLong());
    static std::uint32_t znacznik = 1000;
    const std::uint32_t moj = ++znacznik;
    xcb_client_message_event_t z{};
    z.response_type = XCB_CLIENT_MESSAGE;
    z.format = 32;
    z.window = id;
    z.type = protokoly;
    z.data.data32[0] = ping;
    z.data.data32[1] = moj;
    z.data.data32[2] = id;
    xcb_send_event(c, 0, id, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&z));
    xcb_flush(c);
    const auto koniec = Zegar::now() + std::chrono::milliseconds(msLimit);
    while (Zegar::now() < koniec) {
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            const bool odpowiedz = (e->response_type & 0x7F) == XCB_CLIENT_MESSAGE &&
                                   reinterpret_cast<xcb_client_message_event_t*>(e)->data.data32[0] == ping &&
                                   reinterpret_cast<xcb_client_message_event_t*>(e)->data.data32[1] == moj;
            std::free(e);
            if (odpowiedz) return true;
        }
        QThread::msleep(5);
    }
    return false;
}

} // namespace

TEST(EndToEnd, AResultsFileThatIsAPipeNeverStopsTheResultsWindowAndSigtermEndsTheProgramAtOnce)
{
    QTemporaryDir dane;
    const QString plik = plikWynikow(dane);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(plik).absolutePath()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(plik).constData(), 0644), 0);
    Program program(kInstalacja, {{"SDL_AUDIODRIVER", "dummy"}, {"XDG_DATA_HOME", dane.path()}});
    ASSERT_TRUE(program.CzekajNaOkno());
    program.Kliknij({266, 28}); // "Wyniki"
    const auto okno = program.CzekajNaOkno("Wyniki", 5000);
    ASSERT_TRUE(okno.has_value()) << "the results window did not open";
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(odpowiadaNaPing(*okno, 1000)) << "ping " << i;
        QThread::msleep(100);
    }
    EXPECT_TRUE(odpowiadaNaPing(program.Okno(), 1000)) << "the main window";
    const auto t0 = Zegar::now();
    ::kill(static_cast<pid_t>(program.Pid()), SIGTERM);
    ASSERT_TRUE(program.CzekajNaKoniec(3000));
    EXPECT_LT(Zegar::now() - t0, std::chrono::milliseconds(500));
    EXPECT_EQ(program.KodWyjscia(), 128 + SIGTERM);
    QFileInfo fifo(plik);
    EXPECT_TRUE(fifo.exists() && !fifo.isFile()) << "the pipe was replaced";
}

namespace {

QStringList wierszeBazy(const QString& plik, const QString& sql)
{
    QStringList wynik;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "e2e-dzieci");
        db.setDatabaseName(plik);
        if (db.open()) {
            QSqlQuery q(db);
            q.exec(sql);
            while (q.next()) {
                QStringList pola;
                for (int i = 0; q.value(i).isValid(); ++i) pola << q.value(i).toString();
                wynik << pola.join('|');
            }
        }
    }
    QSqlDatabase::removeDatabase("e2e-dzieci");
    return wynik;
}

// Keys typed into whatever window has the focus.
void klawisze(const QStringList& nazwy)
{
    for (const QString& k : nazwy) {
        Uruchom("xdotool", {"key", k});
        QThread::msleep(60);
    }
}

} // namespace

TEST(EndToEnd, TwoChildrenChosenByKeyboardKeepTheirOwnDrillsAndTheResultsShowOneChild)
{
    QTemporaryDir dane;
    const std::map<QString, QString> env{{"SDL_AUDIODRIVER", "dummy"}, {"XDG_DATA_HOME", dane.path()}};
    const Glyphy glyphy(kInstalacja + "/graphics");
    {
        Program program(kInstalacja, env);
        ASSERT_TRUE(program.CzekajNaOkno());
        // One child: no picker at start. "Ćwiczy: Dziecko 1" opens it.
        QThread::msleep(800);
        ASSERT_FALSE(program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 0).has_value());
        program.Kliknij({535, 28});
        const auto wybor = program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 5000);
        ASSERT_TRUE(wybor.has_value()) << "the picker did not open";
        QThread::msleep(300);
        // The keyboard alone: to the name; the first name typed names the
        // first run's child (no drills yet); the second, Enter adds her,
        // Enter in the list chooses her.
        klawisze({"Tab"});
        program.Wpisz(QString::fromUtf8("Ania"));
        klawisze({"Return", "Tab"});
        program.Wpisz(QString::fromUtf8("Ola"));
        klawisze({"Return", "Return"});
        ASSERT_TRUE(Czekaj([&] { return !program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 0).has_value(); }, 3000));
        grajDoOceny(program, glyphy);
        program.Klawisz("Escape");
        ::kill(static_cast<pid_t>(program.Pid()), SIGTERM);
        ASSERT_TRUE(program.CzekajNaKoniec(5000));
    }
    Program program(kInstalacja, env);
    ASSERT_TRUE(program.CzekajNaOkno());
    // Two children: asked at start, the last one chosen (Ola) preselected;
    // Up moves to Ania.
    const auto wybor = program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 5000);
    ASSERT_TRUE(wybor.has_value()) << "no picker at start";
    QThread::msleep(300);
    klawisze({"Up", "Return"});
    ASSERT_TRUE(Czekaj([&] { return !program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 0).has_value(); }, 3000));
    grajDoOceny(program, glyphy);
    const QString plik = plikWynikow(dane);
    EXPECT_EQ(wierszeBazy(plik, "SELECT c.name, count(*) FROM drills d JOIN children c ON c.id = d.child_id"
                                " GROUP BY c.name ORDER BY c.name"),
              (QStringList{"Ania|1", "Ola|1"}));
    // The results show the child who practises: one drill.
    program.Kliknij({266, 28});
    const auto okno = program.CzekajNaOkno("Wyniki", 5000);
    ASSERT_TRUE(okno.has_value()) << "the results window did not open";
    QImage zrzut;
    EXPECT_TRUE(Czekaj(
        [&] {
            const QPoint p = PozycjaOkna(*okno);
            zrzut = QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 640, 460).toImage();
            return wierszeZSzostka(zrzut) == 1;
        },
        3000, 100))
        << "rows with grade 6 in the list: " << wierszeZSzostka(zrzut);
}

TEST(EndToEnd, APracticeDrillAsksTheWeakFactAndKeepsTheCorrectionOnScreen)
{
    QTemporaryDir dane;
    const QString plik = plikWynikow(dane);
    const std::map<QString, QString> env{{"SDL_AUDIODRIVER", "dummy"}, {"XDG_DATA_HOME", dane.path()}};
    const Glyphy glyphy(kInstalacja + "/graphics");
    {
        Program program(kInstalacja, env);
        ASSERT_TRUE(program.CzekajNaOkno());
        grajDoOceny(program, glyphy);
        ::kill(static_cast<pid_t>(program.Pid()), SIGTERM);
        ASSERT_TRUE(program.CzekajNaKoniec(5000));
    }
    // The child misses 7 x 8 and knows every other fact; it practises its
    // difficult facts, the narrator off.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "e2e-cwiczenie");
        db.setDatabaseName(plik);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("UPDATE children SET draw = 1, narrator = 0 WHERE id = 1"));
        ASSERT_TRUE(q.exec("DELETE FROM child_facts"));
        const qint64 teraz = QDateTime::currentMSecsSinceEpoch();
        for (int a = 3; a <= 9; ++a)
            for (int b = 3; b <= 9; ++b) {
                const bool slaby = a == 7 && b == 8;
                ASSERT_TRUE(q.exec(QString("INSERT INTO child_facts VALUES (1, 0, %1, %2, 10, %3, %4, %5, %6, %7)")
                                       .arg(a).arg(b).arg(slaby ? 9 : 0).arg(slaby ? 40200 : 6000)
                                       .arg(slaby ? 670 : 100).arg(teraz).arg(slaby ? 1 : 5)));
            }
    }
    QSqlDatabase::removeDatabase("e2e-cwiczenie");

    Program program(kInstalacja, env);
    ASSERT_TRUE(program.CzekajNaOkno());
    QThread::msleep(800); // the child's settings and record are read
    program.Kliknij({344, 375});
    // 7 x 8 comes among the first questions (it is never asked twice in a row).
    QString pytanie;
    for (int q = 1; q <= 3 && pytanie != "7*8="; ++q) {
        pytanie = czekajNaPytanie(program, glyphy);
        ASSERT_FALSE(pytanie.isEmpty());
        if (pytanie == "7*8=") break;
        QThread::msleep(120);
        program.Wpisz(QString::number(wynikPytania(pytanie)));
        program.Klawisz("Return");
        ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajPytanie(program.Zrzut()) != pytanie; }, 5000));
    }
    ASSERT_EQ(pytanie, "7*8=") << "the weak fact did not come";
    QThread::msleep(120);
    program.Wpisz("1");
    program.Klawisz("Return");
    // The correct result replaces the answer, and is still there 1.5 s on.
    ASSERT_TRUE(Czekaj([&] { return glyphy.CzytajWynik(program.Zrzut()) == QString("56"); }, 2000));
    const auto pokazany = Zegar::now();
    QThread::msleep(1500);
    const QImage z = program.Zrzut();
    EXPECT_LT(Zegar::now() - pokazany, std::chrono::milliseconds(2000));
    EXPECT_EQ(glyphy.CzytajWynik(z), QString("56"));
    EXPECT_EQ(glyphy.CzytajPytanie(z), "7*8=");
}

TEST(EndToEnd, TwoWorkstationsSendTheirDrillsAndTheTeachersResultsWindowShowsBothChildren)
{
    zm::test::SerwerPostgres serwer;
    ASSERT_TRUE(serwer.Blad().isEmpty()) << serwer.Blad().toStdString();
    QTemporaryDir tmp;
    const zm::KonfiguracjaKlasy k = serwer.Konfiguracja("5a");
    auto zapisz = [&](const QString& nazwa, const QString& tresc) {
        QFile f(tmp.filePath(nazwa));
        f.open(QIODevice::WriteOnly);
        f.write(tresc.toUtf8());
        return tmp.filePath(nazwa);
    };
    const QString dostep =
        zapisz("stanowisko.dostep", QString("uzytkownik = %1\nhaslo = %2\n").arg(k.stanowiska.uzytkownik, k.stanowiska.haslo));
    const QString dostepNauczyciela =
        zapisz("nauczyciel.dostep", QString("uzytkownik = %1\nhaslo = %2\n").arg(k.nauczyciel->uzytkownik, k.nauczyciel->haslo));
    auto konfiguracja = [&](const QString& stanowisko, bool nauczyciel) {
        return zapisz(stanowisko + ".conf",
                      QString("serwer = %1\nbaza = %2\nklasa = 5a\nstanowisko = %3\ndostep = %4\n")
                              .arg(k.serwer, k.baza, stanowisko, dostep) +
                          (nauczyciel ? "dostep_nauczyciela = " + dostepNauczyciela + "\n" : QString()));
    };
    const Glyphy glyphy(kInstalacja + "/graphics");
    // Two workstations, each with its own data: "Dziecko 1" on the first,
    // "Ola" on the second (the name typed names its first run's child); a
    // drill each.
    for (int s = 1; s <= 2; ++s) {
        Program program(kInstalacja, {{"SDL_AUDIODRIVER", "dummy"}, {"ZM_KLASA_CONF", konfiguracja(QString("pc-%1").arg(s), false)}});
        ASSERT_TRUE(program.CzekajNaOkno());
        QThread::msleep(500);
        if (s == 2) {
            program.Kliknij({535, 28});
            ASSERT_TRUE(program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 5000).has_value());
            QThread::msleep(300);
            klawisze({"Tab"});
            program.Wpisz("Ola");
            klawisze({"Return", "Return"});
            ASSERT_TRUE(Czekaj([&] { return !program.CzekajNaOkno(QString::fromUtf8("Kto ćwiczy?"), 0).has_value(); }, 3000));
        }
        grajDoOceny(program, glyphy);
        EXPECT_TRUE(Czekaj([&] { return serwer.Wartosc("SELECT count(*) FROM zoltava.drills WHERE class = '5a'").toInt() == s; },
                           10000, 100))
            << "the drill of workstation " << s << " did not reach the server";
    }
    EXPECT_EQ(serwer.Wartosc("SELECT string_agg(child || '@' || workstation, ',' ORDER BY child) FROM zoltava.drills"),
              "Dziecko 1@pc-1,Ola@pc-2");
    // The teacher's computer, with nothing of its own: in the results
    // window, each child of the class shows its one drill.
    Program nauczyciel(kInstalacja, {{"SDL_AUDIODRIVER", "dummy"}, {"ZM_KLASA_CONF", konfiguracja("pc-nauczyciel", true)}});
    ASSERT_TRUE(nauczyciel.CzekajNaOkno());
    QThread::msleep(1000);
    nauczyciel.Kliknij({266, 28});
    const auto okno = nauczyciel.CzekajNaOkno("Wyniki", 5000);
    ASSERT_TRUE(okno.has_value()) << "the results window did not open";
    const QPoint p = PozycjaOkna(*okno);
    // The child list: every child of this computer, this computer's own
    // "Dziecko 1", the whole class, the class's "Dziecko 1", its "Ola" (the
    // class's children come from the server: chosen again until they are
    // there).
    for (int ktory = 3; ktory <= 4; ++ktory) {
        QImage zrzut;
        EXPECT_TRUE(Czekaj(
            [&] {
                Uruchom("xdotool", {"mousemove", QString::number(p.x() + 400), QString::number(p.y() + 436), "sleep",
                                    "0.05", "click", "1"});
                QThread::msleep(300);
                klawisze({"Home"});
                for (int i = 0; i < ktory; ++i) klawisze({"Down"});
                klawisze({"Return"});
                return Czekaj(
                    [&] {
                        zrzut = QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 640, 460).toImage();
                        return wierszeZSzostka(zrzut) == 1;
                    },
                    1000, 100);
            },
            15000, 0))
            << "child " << ktory << ": rows with grade 6: " << wierszeZSzostka(zrzut);
    }
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
