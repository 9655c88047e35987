#include "engine/core/CrashReport.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "platform/crash/CrashReportLibrary.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <new>
#include <sstream>

namespace {

struct AddedFile
{
    std::string path;
    std::string description;
    int flags;
};

// Stands in for the crash-report library: records what the engine hands it.
class FakeCrashLibrary : public CrashReportLibrary
{
public:
    void* Install(LogCollectCallback logCallback, const std::string& email, const std::string& title,
                  NoticeCallback, bool extra) override
    {
        collect = logCallback;
        supportEmail = email;
        reportTitle = title;
        extraInfo = extra;
        return this;
    }
    void AddFile(void*, const std::string& path, const std::string& description, int flags) override
    {
        files.push_back({path, description, flags});
    }
    void GenerateErrorReport(void*) override { ++reports; }

    LogCollectCallback collect = nullptr;
    std::string supportEmail;
    std::string reportTitle;
    bool extraInfo = false;
    std::vector<AddedFile> files;
    int reports = 0;
};

FakeCrashLibrary* g_Library = nullptr;
std::string g_LoadedName;

CrashReportLibrary* LoadFake(const std::string& name)
{
    g_LoadedName = name;
    return g_Library;
}

class CrashReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Library = &library;
        SetCrashReportLibraryLoader(LoadFake);
        ClearCrashReportFiles();
        ClearLogCache();
        SetLogFilePath("");
    }
    void TearDown() override
    {
        UninstallCrashReporter();
        SetCrashReportLibraryLoader(nullptr);
        ClearCrashReportFiles();
        SetLogFilePath("");
        g_Library = nullptr;
    }
    FakeCrashLibrary library;
};

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void FailCheck(int value)
{
    VELK_ASSERT(value == 2);
}

} // namespace

TEST(ExceptionTest, ReportShowsClassVersionOriginAndMessage)
{
    ScriptError error("engine/core/Thing.cpp", 42, "Thing::Do", "Dec  9 2026", "10:11:12", "it broke");
    EXPECT_EQ(error.GetReport(),
              "Exception Thrown: ScriptError\n\nApp Version: nil\nCompile Date: Dec  9 2026\nCompile Time: 10:11:12\n"
              "Origin: engine/core/Thing.cpp:42\nFunction: Thing::Do\n\nit broke");
    SetAppVersionString("2.0.1");
    EXPECT_NE(error.GetReport().find("App Version: 2.0.1\n"), std::string::npos);
    SetAppVersionString("nil");

    ScriptError copy = error;
    EXPECT_EQ(copy.GetReport(), error.GetReport());
}

TEST(ExceptionTest, AssertionAndVerifyTexts)
{
    try {
        FailCheck(3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), "Assertion failed: (value == 2)");
        EXPECT_EQ(e.GetFunction(), "{anonymous}::FailCheck");
        EXPECT_EQ(e.GetBuildDate(), __DATE__);
        EXPECT_NE(e.GetOriginFile().find("ExceptionTest.cpp"), std::string::npos);
    }
    try {
        VELK_ASSERT_MSG(false, (boost::format("Could not find state \"%1%\"") % "Idle").str());
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), "Assertion failed: (false)\nMessage: Could not find state \"Idle\"");
    }
    try {
        VELK_VERIFY(1 + 1 == 3);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), "Verify failed: (1 + 1 == 3)");
    }
}

TEST(ExceptionTest, QualifiedFunctionNames)
{
    const std::pair<const char*, const char*> cases[] = {
        {"void Object::SetState(const std::string&)", "Object::SetState"},
        {"static LuaState VelkLuaState::Create()", "VelkLuaState::Create"},
        {"int main(int, char**)", "main"},
        {"std::map<int, std::string> Registry::Find(int) const", "Registry::Find"},
        {"bool Point<T>::operator()(int) [with T = int]", "Point<T>::operator()"},
        {"Object::Object()", "Object::Object"},
    };
    for (const auto& [pretty, expected] : cases)
        EXPECT_EQ(QualifiedFunctionName(pretty), expected) << pretty;
}

TEST_F(CrashReportTest, DisableSwitchInAnyCaseAfterTheProgramPath)
{
    struct Case
    {
        std::vector<const char*> args;
        bool installed;
    };
    const Case cases[] = {
        {{"Wopple2"}, true},
        {{"Wopple2", "--disableCrashRpt"}, false},
        {{"Wopple2", "-w", "--DISABLECRASHRPT"}, false},
        {{"--disableCrashRpt"}, true},  // position 0 is the program's own path
    };
    for (const Case& c : cases) {
        UninstallCrashReporter();
        InstallCrashReporter(static_cast<int>(c.args.size()), c.args.data(), "Wopple2", true);
        EXPECT_EQ(IsCrashReporterInstalled(), c.installed) << c.args.back();
    }
    EXPECT_EQ(g_LoadedName, "CrashRpt");
    EXPECT_EQ(library.reportTitle, "Crash Report for Wopple2");
    EXPECT_EQ(library.supportEmail, kSupportEmailAddress);
    EXPECT_TRUE(library.extraInfo);
}

TEST_F(CrashReportTest, WithoutALibraryNothingIsInstalled)
{
    SetCrashReportLibraryLoader(nullptr);
    const char* args[] = {"Wopple2"};
    InstallCrashReporter(1, args, "Wopple2", false);
    EXPECT_FALSE(IsCrashReporterInstalled());
}

TEST_F(CrashReportTest, ReportCarriesCachedLogWhileTheLogFileDoesNotExist)
{
    const char* args[] = {"Wopple2"};
    InstallCrashReporter(1, args, "Wopple2", false);
    AddCrashReportFile("/data/Wopple2.cfg", "Global Config File");
    AddCrashReportFile("/data/Player1.card", "Player 1 Game Data");
    LogWrite("early line %d\n", 1);
    LogWriteString("early line 2\n");

    ASSERT_TRUE(library.collect(nullptr));
    ASSERT_EQ(library.files.size(), 3u);
    EXPECT_EQ(library.files[0].description, "Global Config File");
    EXPECT_EQ(library.files[0].flags, 0);
    EXPECT_EQ(library.files[1].path, "/data/Player1.card");
    EXPECT_EQ(library.files[2].description, "Engine Log File (app-cached version)");
    EXPECT_EQ(library.files[2].flags, 1);
    std::string tempName = library.files[2].path.substr(library.files[2].path.rfind('/') + 1);
    EXPECT_EQ(tempName.rfind("LOG", 0), 0u);
    EXPECT_EQ(ReadWhole(library.files[2].path), "early line 1\nearly line 2\n");
    std::remove(library.files[2].path.c_str());
}

TEST_F(CrashReportTest, ReportCarriesOnlyTheLogFileOnceItExists)
{
    const char* args[] = {"Wopple2"};
    InstallCrashReporter(1, args, "Wopple2", false);
    AddCrashReportFile("/logs/VelkEngine.log", "Engine Log File");
    SetLogFilePath("/logs/VelkEngine.log");
    library.collect(nullptr);
    ASSERT_EQ(library.files.size(), 1u);
    EXPECT_EQ(library.files[0].description, "Engine Log File");
}

TEST_F(CrashReportTest, ReportExceptionLogsAndUsesTheReporterWhenInstalled)
{
    Exception e("f.cpp", 1, "F", "d", "t", "reported");
    ReportException(e);
    EXPECT_EQ(library.reports, 0);
    std::vector<std::string> lines = GetCachedLogLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), e.GetReport() + "\n");

    const char* args[] = {"Wopple2"};
    InstallCrashReporter(1, args, "Wopple2", false);
    ReportException(e);
    EXPECT_EQ(library.reports, 1);
}

namespace {

struct ForeignFailure
{
};

// What the program's entry reports for an exception thrown by the action.
std::string ReportedFor(const std::function<void()>& action, std::string& logLine)
{
    ClearLogCache();
    ::testing::internal::CaptureStderr();
    try {
        action();
    } catch (...) {
        ReportCurrentException();
    }
    std::vector<std::string> lines = GetCachedLogLines();
    logLine = lines.empty() ? std::string() : lines.back();
    return ::testing::internal::GetCapturedStderr();
}

} // namespace

TEST_F(CrashReportTest, TheEntryReportsEveryKindOfExceptionOnStandardErrorAndInTheLog)
{
    struct Case
    {
        std::function<void()> action;
        std::string report;
    };
    const Case cases[] = {
        {[] { throw std::bad_alloc(); }, "Unexpected exception (std::bad_alloc): std::bad_alloc\n"},
        {[] { (void)(boost::format("%1%") % 1 % 2).str(); },
         "Unexpected exception (boost::wrapexcept<boost::io::too_many_args>): boost::too_many_args: format-string "
         "referred to fewer arguments than were passed\n"},
        {[] { throw ForeignFailure(); },
         "Unexpected exception ((anonymous namespace)::ForeignFailure): an exception of type (anonymous "
         "namespace)::ForeignFailure\n"},
        {[] { throw 7; }, "Unexpected exception (int): an exception of type int\n"},
    };
    for (const Case& c : cases) {
        std::string logLine;
        EXPECT_EQ(ReportedFor(c.action, logLine), c.report);
        EXPECT_EQ(logLine, c.report);
    }

    // The engine's own exceptions keep their full report.
    Exception e("f.cpp", 1, "F", "d", "t", "reported");
    std::string logLine;
    EXPECT_EQ(ReportedFor([&] { throw e; }, logLine), e.GetReport() + "\n");
    EXPECT_EQ(logLine, e.GetReport() + "\n");
}
