// The window's side of a reading: while the narrator reads, the event loop
// runs on (the window paints, moves, minimises, closes, answers assistive
// technology), but keys are dropped and clicks on the drill's own buttons
// wait until the last word; keys typed during a reading and delivered after
// it are dropped too, by their timestamps. Installed as an application-wide
// event filter by its window.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QEvent;
class QEventLoop;
class QInputEvent;
class QWidget;

namespace zm {

class StraznikCzytania : public QObject {
public:
    // `okno`: the window guarded; `odkladane`: the widgets whose clicks wait.
    StraznikCzytania(QWidget* okno, std::vector<QWidget*> odkladane);
    ~StraznikCzytania() override;

    // Runs the reading: `rozpocznij` starts it with the function to call
    // (from any thread) after the last word, and returns false when there is
    // nothing to read. Returns after the last word, or at once when the
    // window closes or the program ends (then `przerwij` stops the sentence).
    // Clicks kept meanwhile are delivered afterwards, in their order.
    void Czytaj(const std::function<bool(std::function<void()>)>& rozpocznij, const std::function<void()>& przerwij);
    bool Trwa() const { return petla_ != nullptr; }
    // Leaves a reading at once (the window is closing).
    void Opusc();

    // Whether a key was typed before the end of the last reading.
    bool WpisanyPodczasCzytania(const QInputEvent* e) const;

protected:
    bool eventFilter(QObject* obiekt, QEvent* zdarzenie) override;

private:
    static qint64 Teraz();

    QWidget* okno_;
    std::vector<QWidget*> odkladane_;
    QEventLoop* petla_ = nullptr;
    bool trwa_ = false;
    quint64 nr_ = 0;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> odlozone_;
    // Input events carry the window system's clock; the smallest gap seen
    // between it and ours (an event handled at once) maps the one onto the
    // other.
    std::optional<qint64> kalibracja_;
    std::optional<qint64> koniec_;
};

} // namespace zm
