#include "ReadingGuard.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>

namespace zm {

StraznikCzytania::StraznikCzytania(QWidget* okno, std::vector<QWidget*> odkladane)
    : QObject(okno), okno_(okno), odkladane_(std::move(odkladane))
{
    qApp->installEventFilter(this);
}

StraznikCzytania::~StraznikCzytania() = default;

void StraznikCzytania::Czytaj(const std::function<bool(std::function<void()>)>& rozpocznij,
                              const std::function<void()>& przerwij)
{
    const quint64 nr = ++nr_;
    trwa_ = true;
    const bool czyta = rozpocznij([this, nr] {
        // From the player's thread: the end is handled in the window's loop.
        QMetaObject::invokeMethod(
            this,
            [this, nr] {
                if (nr != nr_ || !trwa_) return;
                trwa_ = false;
                if (petla_) petla_->quit();
            },
            Qt::QueuedConnection);
    });
    if (!czyta) {
        trwa_ = false;
        return;
    }
    QEventLoop petla;
    petla_ = &petla;
    if (trwa_) petla.exec();
    petla_ = nullptr;
    if (trwa_) {
        // Left before the last word: the window closes or the program ends.
        trwa_ = false;
        przerwij();
    }
    koniec_ = Teraz();
    // Clicks made during the reading are handled after it, in their order.
    for (auto& [cel, zdarzenie] : odlozone_)
        if (cel) QCoreApplication::postEvent(cel, zdarzenie.release());
    odlozone_.clear();
}

void StraznikCzytania::Opusc()
{
    if (petla_) petla_->quit();
}

qint64 StraznikCzytania::Teraz()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool StraznikCzytania::WpisanyPodczasCzytania(const QInputEvent* e) const
{
    if (!koniec_ || !kalibracja_) return false;
    return static_cast<qint64>(e->timestamp()) + *kalibracja_ < *koniec_;
}

bool StraznikCzytania::eventFilter(QObject* obiekt, QEvent* zdarzenie)
{
    switch (zdarzenie->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        if (const auto* we = static_cast<const QInputEvent*>(zdarzenie); we->timestamp() != 0) {
            const qint64 roznica = Teraz() - static_cast<qint64>(we->timestamp());
            if (!kalibracja_ || roznica < *kalibracja_) kalibracja_ = roznica;
        }
        break;
    default:
        break;
    }
    if (!petla_ || !obiekt->isWidgetType() || static_cast<QWidget*>(obiekt)->window() != okno_) return false;
    switch (zdarzenie->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        // The drill's own buttons wait; the background (dragging), the close
        // cross and the minimise button act at once.
        if (std::find(odkladane_.begin(), odkladane_.end(), obiekt) == odkladane_.end()) return false;
        odlozone_.emplace_back(obiekt, static_cast<QMouseEvent*>(zdarzenie)->clone());
        return true;
    default:
        return false;
    }
}

} // namespace zm
