#include "Screen.h"

#include <QTemporaryDir>

#include <QGuiApplication>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>
#include <xcb/xcb.h>

#include <cstdlib>

namespace zm::e2e {

QString Uruchom(const QString& program, const QStringList& argumenty, int msLimit)
{
    QProcess p;
    p.start(program, argumenty);
    if (!p.waitForFinished(msLimit)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

bool Czekaj(const std::function<bool()>& warunek, int msLimit, int msKrok)
{
    const auto koniec = Zegar::now() + std::chrono::milliseconds(msLimit);
    while (Zegar::now() < koniec) {
        if (warunek()) return true;
        QThread::msleep(static_cast<unsigned long>(msKrok));
    }
    return warunek();
}

Program::Program(const QString& katalog, const std::map<QString, QString>& srodowisko, QStringList przez)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    // Sound goes to the tests' own servers, never to a PipeWire the caller names.
    env.remove(QStringLiteral("PIPEWIRE_REMOTE"));
    // A data folder of its own, unless the test gives one: a child's
    // settings and drills never pass from one test to the next.
    dane_ = std::make_unique<QTemporaryDir>();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dane_->path());
    for (const auto& [k, v] : srodowisko) env.insert(k, v);
    proces_.setProcessEnvironment(env);
    proces_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    przez << katalog + QStringLiteral("/zoltava-mnozenia");
    proces_.start(przez.takeFirst(), przez);
    proces_.waitForStarted(5000);
}

Program::~Program()
{
    if (proces_.state() != QProcess::NotRunning) {
        proces_.terminate();
        if (!proces_.waitForFinished(3000)) {
            proces_.kill();
            proces_.waitForFinished(3000);
        }
    }
}

std::optional<QString> Program::CzekajNaOkno(const QString& tytul, int msLimit)
{
    QString id;
    const QString pid = QString::number(proces_.processId());
    Czekaj(
        [&] {
            const QStringList okna = Uruchom("xdotool", {"search", "--all", "--onlyvisible", "--pid", pid, "--name",
                                                         "^" + QRegularExpression::escape(tytul) + "$"})
                                         .split('\n', Qt::SkipEmptyParts);
            if (!okna.isEmpty()) id = okna.last();
            return !id.isEmpty();
        },
        msLimit, 50);
    if (id.isEmpty()) return std::nullopt;
    return id;
}

bool Program::CzekajNaOkno(int msLimit)
{
    const auto id = CzekajNaOkno(QString::fromUtf8("Zoltava mnożenia"), msLimit);
    if (!id) return false;
    okno_ = *id;
    Uruchom("xdotool", {"windowactivate", "--sync", okno_}, 3000);
    // Give the first frame time to be painted.
    return Czekaj([&] { return !Zrzut().isNull() && Zrzut().pixel(300, 25) == qRgb(218, 219, 222); }, 5000, 50);
}

bool Program::CzekajNaKoniec(int msLimit) { return proces_.waitForFinished(msLimit); }

QPoint PozycjaOkna(const QString& id)
{
    // Asked of the X server itself: xdotool's own answer is off by the
    // window manager's frame for decorated windows.
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return {};
    xcb_connection_t* c = x11->connection();
    const xcb_window_t okno = static_cast<xcb_window_t>(id.toULongLong());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> r(
        xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, okno, root, 0, 0), nullptr), &std::free);
    return r ? QPoint(r->dst_x, r->dst_y) : QPoint();
}

QPoint Program::Pozycja() const { return PozycjaOkna(okno_); }

QImage Program::Zrzut() const
{
    const QPoint p = Pozycja();
    return QGuiApplication::primaryScreen()->grabWindow(0, p.x(), p.y(), 682, 485).toImage().convertToFormat(
        QImage::Format_RGB32);
}

void Program::Kliknij(QPoint wOknie) const
{
    const QPoint p = Pozycja() + wOknie;
    // Without --sync: it would wait forever when the pointer is already there.
    Uruchom("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y()), "sleep", "0.05", "click", "1"});
}

void Program::Wpisz(const QString& tekst) const
{
    Uruchom("xdotool", {"type", "--delay", "15", tekst});
}

void Program::Klawisz(const QString& nazwa) const { Uruchom("xdotool", {"key", nazwa}); }

Glyphy::Glyphy(const QString& katalog)
{
    auto wczytaj = [&](const QString& n) { return QImage(katalog + "/" + n, "BMP").convertToFormat(QImage::Format_RGB32); };
    for (int d = 0; d <= 9; ++d) znaki_[QChar('0' + d)] = wczytaj(QString::number(d) + ".bmp");
    znaki_[QChar('=')] = wczytaj("rowne.bmp");
    znaki_[QChar('*')] = wczytaj("razy.bmp");
    znaki_[QChar('/')] = wczytaj("dzielone.bmp");
    znaki_[QChar('+')] = wczytaj("plus.bmp");
    znaki_[QChar('-')] = wczytaj("minus.bmp");
    kursor_ = wczytaj("kursor.bmp");
}

bool Glyphy::Pasuje(const QImage& okno, const QImage& g, int x, int y) const
{
    if (g.isNull() || x < 0 || x + g.width() > okno.width() || y + g.height() > okno.height()) return false;
    for (int yy = 0; yy < g.height(); yy += 2)
        for (int xx = 0; xx < g.width(); xx += 2)
            if (okno.pixel(x + xx, y + yy) != g.pixel(xx, yy)) return false;
    return true;
}

QString Glyphy::CzytajPytanie(const QImage& okno) const
{
    QString tekst;
    int koniec = 12 + 408;
    while (koniec > 12 && tekst.size() < 10) {
        bool znalezione = false;
        for (const auto& [znak, g] : znaki_) {
            if (Pasuje(okno, g, koniec - g.width(), 81)) {
                tekst.prepend(znak);
                koniec -= g.width();
                znalezione = true;
                break;
            }
        }
        if (!znalezione) break;
    }
    return tekst;
}

std::optional<QString> Glyphy::CzytajWynik(const QImage& okno) const
{
    QString cyfry;
    int x = 424;
    for (int i = 0; i < 4; ++i) {
        if (Pasuje(okno, kursor_, x, 81)) return cyfry;
        bool znalezione = false;
        for (int d = 0; d <= 9; ++d) {
            const QImage& g = znaki_.at(QChar('0' + d));
            if (Pasuje(okno, g, x, 81)) {
                cyfry += QChar('0' + d);
                x += g.width() + 3;
                znalezione = true;
                break;
            }
        }
        if (!znalezione) return std::nullopt;
    }
    return std::nullopt;
}

} // namespace zm::e2e
