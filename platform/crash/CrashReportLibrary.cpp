#include "platform/crash/CrashReportLibrary.h"

namespace {

// No crash-report library exists for this platform.
CrashReportLibrary* LoadNothing(const std::string&)
{
    return nullptr;
}

CrashReportLibraryLoader g_Loader = LoadNothing;

} // namespace

CrashReportLibrary* LoadCrashReportLibrary(const std::string& name)
{
    return g_Loader(name);
}

void SetCrashReportLibraryLoader(CrashReportLibraryLoader loader)
{
    g_Loader = loader ? loader : LoadNothing;
}
