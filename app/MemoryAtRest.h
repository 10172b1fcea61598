// What a closed dialog took goes back to the system. glibc keeps memory
// freed in the middle of the heap, and each thread's arena, for later use: a
// results window closed over a large journal would leave the program
// megabytes larger for the rest of its run.
#pragma once

class QCoreApplication;

namespace zm {

// Once any dialog has been hidden (and, shortly after, destroyed with what
// its threads read), gives the freed heap of every arena back to the system.
void OddawajPamiecPoDialogach(QCoreApplication& app);

} // namespace zm
