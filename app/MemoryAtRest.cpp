#include "MemoryAtRest.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPixmapCache>
#include <QEvent>
#include <QThreadPool>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace zm {

namespace {

constexpr int kBlokOsobno = 128 * 1024;

void Oddaj()
{
    // The style's pictures of the frames, tabs and headers a closed window
    // drew (Qt keeps up to 10 MiB of them); the main window's few are drawn
    // again at its next paint.
    QPixmapCache::clear();
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
}

class ZwrotPamieci : public QObject {
public:
    ZwrotPamieci(QObject* rodzic, std::chrono::milliseconds bezczynnosc) : QObject(rodzic)
    {
        // A modal dialog is destroyed after its own event loop returns, and
        // its reading threads end soon after; the pool's threads, with
        // their arenas, end `bezczynnosc` after their last task.
        for (QTimer* t : {&poDialogu_, &poWatkach_}) {
            t->setSingleShot(true);
            t->setTimerType(Qt::PreciseTimer);
            t->callOnTimeout(&Oddaj);
        }
        poDialogu_.setInterval(kPoZamknieciu);
        poWatkach_.setInterval(bezczynnosc + kPoZamknieciu);
        // What the start read on the pool's threads (who practises, the
        // child's record) goes back once they have ended.
        poWatkach_.start();
    }

    bool eventFilter(QObject* o, QEvent* e) override
    {
        // Once, however many dialogs closed meanwhile.
        if (e->type() == QEvent::Hide && qobject_cast<QDialog*>(o) && !poDialogu_.isActive()) {
            poDialogu_.start();
            poWatkach_.start();
        }
        return false;
    }

private:
    static constexpr std::chrono::milliseconds kPoZamknieciu{200};
    QTimer poDialogu_, poWatkach_;
};

} // namespace

void OddawajPamiecWSpoczynku(QCoreApplication& app, std::chrono::milliseconds bezczynnosc)
{
#ifdef __GLIBC__
    // Blocks of 128 KiB and more (a page of the results list, a chart's
    // points, an export's buffer) are mapped of their own and unmapped when
    // freed. Left to itself glibc raises that threshold to the largest
    // block freed so far, and the next such blocks land in the heap, among
    // the small ones that stay: every opening of a large window left the
    // heap a little larger.
    ::mallopt(M_MMAP_THRESHOLD, kBlokOsobno);
#endif
    QThreadPool::globalInstance()->setExpiryTimeout(static_cast<int>(bezczynnosc.count()));
    app.installEventFilter(new ZwrotPamieci(&app, bezczynnosc));
}

} // namespace zm
