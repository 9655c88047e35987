#pragma once

#include <string>

// The crash-report library as the engine calls it. The library is loaded by
// name at start-up; on Linux there is none, so loading always yields null and
// the engine runs without crash reports. Tests put a fake library in its place.
class CrashReportLibrary
{
public:
    // Called by the library while it builds a report, with the handle it passes
    // to AddFile; returns whether the report may go on.
    using LogCollectCallback = bool (*)(void* reportState);
    // Called by the library when no mail program can send the report; true
    // means save the report to a file of the user's choosing.
    using NoticeCallback = bool (*)();

    virtual ~CrashReportLibrary() = default;

    // Returns the install handle, or null when the library refused.
    virtual void* Install(LogCollectCallback logCallback, const std::string& supportEmail,
                          const std::string& title, NoticeCallback noticeCallback, bool extraInfo) = 0;
    virtual void AddFile(void* reportState, const std::string& path, const std::string& description,
                         int flags) = 0;
    virtual void GenerateErrorReport(void* installHandle) = 0;
};

// Loads the library by name; null when it cannot be loaded.
CrashReportLibrary* LoadCrashReportLibrary(const std::string& name);

// Replaces the loader (tests); null restores the platform's own.
using CrashReportLibraryLoader = CrashReportLibrary* (*)(const std::string& name);
void SetCrashReportLibraryLoader(CrashReportLibraryLoader loader);
