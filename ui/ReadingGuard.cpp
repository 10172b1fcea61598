#include "ReadingGuard.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace zm {

StraznikCzytania::StraznikCzytania(QWidget* okno, std::vector<QWidget*> odkladane, std::function<bool()> czyta)
    : QObject(okno), odkladane_(std::move(odkladane)), czyta_(std::move(czyta))
{
    qApp->installEventFilter(this);
}

StraznikCzytania::~StraznikCzytania() = default;

void StraznikCzytania::Wypusc()
{
    for (auto& [cel, zdarzenie] : std::exchange(odlozone_, {}))
        if (cel) QCoreApplication::postEvent(cel, zdarzenie.release());
}

bool StraznikCzytania::eventFilter(QObject* obiekt, QEvent* zdarzenie)
{
    switch (zdarzenie->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return false;
    }
    if (!czyta_() || std::find(odkladane_.begin(), odkladane_.end(), obiekt) == odkladane_.end()) return false;
    odlozone_.emplace_back(obiekt, static_cast<QMouseEvent*>(zdarzenie)->clone());
    return true;
}

} // namespace zm
