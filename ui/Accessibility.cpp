#include "Accessibility.h"

#include "DialogSupport.h"
#include "EquationPictures.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>

#include <utility>

namespace zm {

namespace {

const char* const kRola = "zmRolaDostepnosci";

// A picture the drill uses as a button.
class DostepnyPrzycisk : public QAccessibleWidget {
public:
    explicit DostepnyPrzycisk(QWidget* w) : QAccessibleWidget(w, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& akcja) override
    {
        // Not through a dialog open over the window, as no click goes there.
        if (akcja != pressAction() || DialogNadOknem(*widget())) return;
        // A click as the mouse makes it, posted: what holds back a click
        // (a reading in progress) holds back this one too.
        const QPointF srodek = QRectF(widget()->rect()).center();
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(widget(),
                                        new QMouseEvent(t, srodek, widget()->mapToGlobal(srodek), Qt::LeftButton,
                                                        t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                        Qt::NoModifier));
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// A window whose decorative children are left out.
class OknoBezDekoracji : public QAccessibleWidget {
public:
    explicit OknoBezDekoracji(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}
    int childCount() const override { return static_cast<int>(dzieci().size()); }
    QAccessibleInterface* child(int i) const override
    {
        const auto d = dzieci();
        return i >= 0 && i < d.size() ? QAccessible::queryAccessibleInterface(d[i]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* c) const override
    {
        return c ? static_cast<int>(dzieci().indexOf(c->object())) : -1;
    }

private:
    QList<QObject*> dzieci() const
    {
        QList<QObject*> d;
        for (QObject* o : widget()->children()) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && !w->isWindow() && w->property(kRola).toString() != QLatin1String("dekoracja")) d.append(w);
        }
        return d;
    }
};

class Powiadomienie : public QAccessibleWidget {
public:
    explicit Powiadomienie(QWidget* w) : QAccessibleWidget(w, QAccessible::Notification) {}
};

QAccessibleInterface* Fabryka(const QString&, QObject* o)
{
    auto* w = qobject_cast<QWidget*>(o);
    if (!w) return nullptr;
    const QString rola = w->property(kRola).toString();
    if (rola == QLatin1String("przycisk")) return new DostepnyPrzycisk(w);
    if (rola == QLatin1String("powiadomienie")) return new Powiadomienie(w);
    if (w->isWindow() && w->property("zmMaDekoracje").toBool()) return new OknoBezDekoracji(w);
    return nullptr;
}

} // namespace

void ZainstalujDostepnosc()
{
    static const bool zainstalowana = [] {
        QAccessible::installFactory(Fabryka);
        return true;
    }();
    (void)zainstalowana;
}

void OznaczJakoPrzycisk(QWidget* w)
{
    ZainstalujDostepnosc();
    w->setProperty(kRola, QStringLiteral("przycisk"));
}

void OznaczJakoDekoracje(QWidget* w)
{
    ZainstalujDostepnosc();
    w->setProperty(kRola, QStringLiteral("dekoracja"));
}

void OknoZDekoracjami(QWidget* okno)
{
    ZainstalujDostepnosc();
    okno->setProperty("zmMaDekoracje", true);
}

Oglaszacz::Oglaszacz(QWidget* rodzic, std::function<bool()> wstrzymane)
    : QWidget(rodzic), wstrzymane_(std::move(wstrzymane))
{
    ZainstalujDostepnosc();
    setObjectName(QStringLiteral("Oglaszacz"));
    setProperty(kRola, QStringLiteral("powiadomienie"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    setAccessibleName(QStringLiteral("Komunikaty"));
    hide();
}

void Oglaszacz::Oglos(const QString& tekst)
{
    ostatnie_ = tekst;
    hide();
    setAccessibleName(tekst);
    show();
}

void Oglaszacz::Rozpoczete(const Ustawienia&)
{
    zebrane_.start = true;
    Zaplanuj();
}

void Oglaszacz::Zatrzymane()
{
    zebrane_.stop = true;
    Zaplanuj();
}

void Oglaszacz::OdpowiedzOceniona(const PytanieCwiczenia& pytanie, std::int32_t poprawny)
{
    if (pytanie.dobrze) {
        zebrane_.dobrze = true;
    } else {
        zebrane_.zle = true;
        zebrane_.wynik = QString::number(poprawny);
    }
    Zaplanuj();
}

void Oglaszacz::CzytanieZakonczone() { Zaplanuj(); }

void Oglaszacz::PytanieZadane(std::int32_t, std::int32_t liczba1, std::uint8_t dzialanie, std::int32_t liczba2)
{
    zebrane_.pytanie = TekstPytania(liczba1, dzialanie, liczba2);
    Zaplanuj();
}

void Oglaszacz::Zakonczone(const PodsumowanieCwiczenia& p)
{
    zebrane_.ocena = true;
    zebrane_.tekstOceny =
        QStringLiteral("Koniec. Ocena: %1. Dobre odpowiedzi: %2, złe: %3.").arg(p.ocena).arg(p.dobrze).arg(p.zle);
    Zaplanuj();
}

void Oglaszacz::Zaplanuj()
{
    if (zaplanowane_) return;
    zaplanowane_ = true;
    QTimer::singleShot(0, this, &Oglaszacz::Zbierz);
}

void Oglaszacz::Zbierz()
{
    zaplanowane_ = false;
    if (wstrzymane_ && wstrzymane_()) return;
    const Zebrane z = std::exchange(zebrane_, {});
    QStringList czesci;
    if (z.start) czesci << QStringLiteral("Start.");
    if (z.zle) czesci << QStringLiteral("Źle. Wynik: %1.").arg(z.wynik);
    if (z.dobrze) czesci << QStringLiteral("Dobrze.");
    if (z.ocena)
        czesci << z.tekstOceny;
    else if (z.stop)
        czesci << QStringLiteral("Stop.");
    if (!z.pytanie.isEmpty() && !z.ocena && !z.stop) czesci << z.pytanie;
    if (!czesci.isEmpty()) Oglos(czesci.join(QLatin1Char(' ')));
}

} // namespace zm
