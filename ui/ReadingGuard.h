// The window's side of a reading: the event loop runs on as always (the
// window paints, moves, minimises, closes, answers assistive technology),
// but clicks on the window's own flat buttons and its link wait until the
// drill goes on after the last word, then arrive in their order. START/STOP
// is not among them: the drill itself holds its clicks. Nothing here looks
// at when an event was made. Installed as an application-wide event filter
// by its window.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QWidget;

namespace zm {

class StraznikCzytania : public QObject {
public:
    // `okno`: the window guarded; `odkladane`: the widgets whose clicks
    // wait while `czyta` says so.
    StraznikCzytania(QWidget* okno, std::vector<QWidget*> odkladane, std::function<bool()> czyta);
    ~StraznikCzytania() override;

    // The reading is over: the clicks kept meanwhile are posted, in order.
    void Wypusc();

protected:
    bool eventFilter(QObject* obiekt, QEvent* zdarzenie) override;

private:
    std::vector<QWidget*> odkladane_;
    std::function<bool()> czyta_;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> odlozone_;
};

} // namespace zm
