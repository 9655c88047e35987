// The program's entry: crash reporting first, then the game's application
// brought up, run and torn down. A failure that ends the run is reported to the
// log and to standard error, and the program exits with a non-zero code.

#include "engine/core/CrashReport.h"
#include "engine/core/Exception.h"
#include "engine/runtime/Utility.h"
#include "game/shell/WoppleApp.h"
#include "platform/os/Heap.h"

int main(int argc, char** argv)
{
    PrepareHeapForLargePictures();
    try {
        bool extraInfo = FileExists("REPORT_EXTRA_CRASH_INFO") || FileExists("REPORT_EXTRA_CRASH_INFO.txt");
        InstallCrashReporter(argc, argv, "Wopple2", extraInfo);
        WoppleApp app;
        app.InitEngine(argc, argv);
        app.CreateWindow();
        app.InitGame();
        app.Run();
    } catch (...) {
        // Anything at all, std::bad_alloc and foreign types too, is reported.
        ReportCurrentException();
        return 1;
    }
    return 0;
}
