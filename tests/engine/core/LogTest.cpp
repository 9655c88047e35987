#include "engine/core/Log.h"

#include "support/FakeCoreHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

class LogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearLogCache();
        SetLogFilePath("");
        dir = std::filesystem::temp_directory_path() /
              ("velk-log-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override
    {
        SetLogFilePath("");
        ClearLogCache();
        std::filesystem::remove_all(dir);
    }
    std::string ReadLog() const
    {
        std::ifstream in(dir / "VelkEngine.log");
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::filesystem::path dir;
};

} // namespace

TEST_F(LogTest, LevelsDecideWhatIsWritten)
{
    struct Case
    {
        int appLevel;
        int lineLevel;
        bool written;
    };
    const Case cases[] = {{1, 2, false}, {1, 1, true}, {0, 0, true}, {0, 1, false}, {4, 4, true}, {3, 4, false}};
    FakeCoreHost host;
    for (const Case& c : cases) {
        ClearLogCache();
        host.logLevel = c.appLevel;
        Log(c.lineLevel, "line at %d\n", c.lineLevel);
        EXPECT_EQ(GetCachedLogLines().size(), c.written ? 1u : 0u) << c.appLevel << " " << c.lineLevel;
    }
}

TEST_F(LogTest, WithoutAnApplicationEveryLineIsWrittenAfterANotice)
{
    Log(4, "detail\n");
    EXPECT_EQ(GetCachedLogLines(),
              (std::vector<std::string>{"Application not Instantiated: Assuming Max Log Level", "detail\n"}));
}

TEST_F(LogTest, CachedLinesComeFirstInTheFileThenCreationLinesThenAppendedOnes)
{
    FakeCoreHost host(3);
    LogWrite("first\n");
    Log(2, "second %s\n", "two");
    // What the application does when it creates the log file.
    std::string path = (dir / "VelkEngine.log").string();
    LogWrite("Created log file at \"%s\"\n", path.c_str());
    LogWrite("Writing previous log entries to disk.\n");
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    WriteCachedLogLines(file);
    std::fclose(file);
    ClearLogCache();
    SetLogFilePath(path);

    LogWrite("third\n");
    Log(4, "dropped\n");
    EXPECT_EQ(ReadLog(), "first\nsecond two\nCreated log file at \"" + path +
                             "\"\nWriting previous log entries to disk.\nthird\n");
    EXPECT_TRUE(GetCachedLogLines().empty());
}

TEST_F(LogTest, ReadyTextsAreWrittenUnchanged)
{
    FakeCoreHost host(0);
    LogWriteString("100% done %s %d\n");
    Log(0, std::string("50% %n\n"));
    EXPECT_EQ(GetCachedLogLines(), (std::vector<std::string>{"100% done %s %d\n", "50% %n\n"}));
}

TEST_F(LogTest, LongLinesAreCutToTheBuffer)
{
    std::string longText(5000, 'x');
    LogWrite("%s", longText.c_str());
    ASSERT_EQ(GetCachedLogLines().size(), 1u);
    EXPECT_EQ(GetCachedLogLines()[0].size(), 4095u);
}

TEST_F(LogTest, CacheKeepsTheMostRecentLinesAndCountsDropped)
{
    for (std::size_t i = 0; i < kMaxCachedLogLines + 5; ++i)
        LogWrite("%zu\n", i);
    std::vector<std::string> lines = GetCachedLogLines();
    ASSERT_EQ(lines.size(), kMaxCachedLogLines + 1);
    EXPECT_EQ(lines[0], "WARNING: 5 earlier log lines were dropped before the log file existed.\n");
    EXPECT_EQ(lines[1], "5\n");
    EXPECT_EQ(lines.back(), std::to_string(kMaxCachedLogLines + 4) + "\n");
}

TEST_F(LogTest, UnwritableLogFileKeepsLinesInMemory)
{
    SetLogFilePath((dir / "missing-folder" / "VelkEngine.log").string());
    LogWrite("kept\n");
    EXPECT_EQ(GetCachedLogLines(), std::vector<std::string>{"kept\n"});
}
