// What a closed dialog took goes back to the system. glibc keeps memory
// freed in the middle of the heap, and each thread's arena, for later use: a
// results window closed over a large journal would leave the program
// megabytes larger for the rest of its run.
#pragma once

#include <chrono>

class QCoreApplication;

namespace zm {

// Qt's global thread pool (painting, image conversions, the dialogs'
// readers) lets its threads go after `bezczynnosc`; once any dialog has been
// hidden (and, shortly after, destroyed with what its threads read), Qt's
// pixmap cache is emptied and the freed heap of every arena goes back to
// the system, and again once the pool's threads have ended. Large blocks are mapped apart from the heap,
// so that freeing them gives them back at once.
void OddawajPamiecWSpoczynku(QCoreApplication& app, std::chrono::milliseconds bezczynnosc);

} // namespace zm
