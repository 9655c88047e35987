#include "engine/core/CrashReport.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "platform/crash/CrashReportLibrary.h"

#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

struct CrashReporter
{
    CrashReportLibrary* library = nullptr;
    void* handle = nullptr;
    std::vector<std::pair<std::string, std::string>> files;
};

CrashReporter& Reporter()
{
    static CrashReporter reporter;
    return reporter;
}

std::string TemporaryFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return (tmp && *tmp) ? tmp : "/tmp";
}

// The log lines held in memory, in a new temporary file named by the system
// with the prefix "LOG"; empty on any failure.
std::string WriteCachedLogToTemporaryFile()
{
    std::string path = TemporaryFolder() + "/LOGXXXXXX";
    int fd = mkstemp(path.data());
    if (fd < 0)
        return std::string();
    FILE* file = fdopen(fd, "w");
    if (!file) {
        close(fd);
        unlink(path.c_str());
        return std::string();
    }
    WriteCachedLogLines(file);
    bool ok = std::ferror(file) == 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok) {
        unlink(path.c_str());
        return std::string();
    }
    return path;
}

} // namespace

void ReportException(const Exception& exception)
{
    std::string report = exception.GetReport();
    LogWrite("%s\n", report.c_str());
    CrashReporter& reporter = Reporter();
    if (!IsCrashReporterInstalled()) {
        // No message box here: the report goes to standard error for the player.
        std::fprintf(stderr, "%s\n", report.c_str());
        std::fflush(stderr);
        return;
    }
    reporter.library->GenerateErrorReport(reporter.handle);
}

void ReportCurrentException()
{
    if (!std::current_exception())
        return;
    try {
        try {
            throw;
        } catch (const Exception& e) {
            ReportException(e);
            return;
        } catch (...) {
        }
        std::string report = "Unexpected exception (" + CurrentExceptionTypeName() + "): " + CurrentExceptionMessage();
        LogWrite("%s\n", report.c_str());
        std::fprintf(stderr, "%s\n", report.c_str());
    } catch (...) {
        // Out of memory while reporting, most likely: a fixed line is all there is.
        std::fputs("Unexpected exception; it could not be described.\n", stderr);
    }
    std::fflush(stderr);
}

void InstallCrashReporter(int argc, const char* const* argv, const std::string& appName, bool extraInfo)
{
    for (int i = 1; i < argc; ++i)
        if (argv[i] && strcasecmp(argv[i], "--disableCrashRpt") == 0)
            return;
    CrashReportLibrary* library = LoadCrashReportLibrary("CrashRpt");
    if (!library)
        return;
    std::string title = (boost::format("Crash Report for %1%") % appName).str();
    void* handle = library->Install(CrashReportLogCollectCallback, kSupportEmailAddress, title,
                                    CrashReportNoticeCallback, extraInfo);
    Reporter().library = library;
    Reporter().handle = handle;
}

bool IsCrashReporterInstalled()
{
    return Reporter().handle != nullptr;
}

void UninstallCrashReporter()
{
    Reporter().library = nullptr;
    Reporter().handle = nullptr;
}

void AddCrashReportFile(const std::string& path, const std::string& description)
{
    Reporter().files.emplace_back(path, description);
}

const std::vector<std::pair<std::string, std::string>>& GetCrashReportFiles()
{
    return Reporter().files;
}

void ClearCrashReportFiles()
{
    Reporter().files.clear();
}

bool CrashReportLogCollectCallback(void* reportState)
{
    CrashReporter& reporter = Reporter();
    if (!reporter.library)
        return true;
    for (const auto& [path, description] : reporter.files)
        reporter.library->AddFile(reportState, path, description, 0);
    if (GetLogFilePath().empty()) {
        std::string copy = WriteCachedLogToTemporaryFile();
        if (!copy.empty())
            reporter.library->AddFile(reportState, copy, "Engine Log File (app-cached version)", 1);
    }
    return true;
}

bool CrashReportNoticeCallback()
{
    // There is no dialog to ask with; the text goes to standard error and the
    // answer is Cancel.
    std::fprintf(stderr, "Notice\n%s%s%s%s%s\n%s%s",
                 "We were unable to automatically detect an application that could be\n",
                 "used to send e-mail.  If you would still like to help us diagnose\n",
                 "the cause of the error, we can save the error report to a location\n",
                 "of your choosing.  This report can then be e-mailed to us manually.\n",
                 kSupportEmailAddress, "\n", "To save the report, press OK.  Otherwise, press Cancel to exit.\n");
    return false;
}
