#pragma once

#include <string>
#include <utility>
#include <vector>

class Exception;

// Writes the exception's report to the log and then hands it to the crash
// reporter, or, when none is installed, to standard error.
void ReportException(const Exception& exception);

// Inside a catch block: reports the exception being handled, of any type. An
// Exception goes to ReportException; anything else (std::bad_alloc, a format
// error, a foreign type) is named with its type and message in the log and on
// standard error. Never throws.
void ReportCurrentException();

// Called once by the program's entry before anything else. Skipped when an
// argument after the program's own path is "--disableCrashRpt" (any case) or
// when the crash-report library cannot be loaded.
void InstallCrashReporter(int argc, const char* const* argv, const std::string& appName, bool extraInfo);
bool IsCrashReporterInstalled();
// Forgets the installed reporter (shutdown and tests).
void UninstallCrashReporter();

// Files a crash report carries, in the order they were added.
void AddCrashReportFile(const std::string& path, const std::string& description);
const std::vector<std::pair<std::string, std::string>>& GetCrashReportFiles();
void ClearCrashReportFiles();

// The callbacks given to the crash-report library.
bool CrashReportLogCollectCallback(void* reportState);
bool CrashReportNoticeCallback();

// The support address shown in crash reports.
inline constexpr const char* kSupportEmailAddress = "support@quillfen.example";
