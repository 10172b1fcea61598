#include "MemoryAtRest.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace zm {

namespace {

class ZwrotPamieci : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Hide && qobject_cast<QDialog*>(o)) {
            // A modal dialog is destroyed after its own event loop returns,
            // and its reading threads end soon after: the heap is trimmed
            // then, once, however many dialogs closed meanwhile.
            if (!zwrot_.isActive()) {
                zwrot_.setSingleShot(true);
                zwrot_.setTimerType(Qt::PreciseTimer);
                zwrot_.callOnTimeout([] {
#ifdef __GLIBC__
                    ::malloc_trim(0);
#endif
                });
                zwrot_.start(200);
            }
        }
        return false;
    }

private:
    QTimer zwrot_;
};

} // namespace

void OddawajPamiecPoDialogach(QCoreApplication& app)
{
    app.installEventFilter(new ZwrotPamieci(&app));
}

} // namespace zm
