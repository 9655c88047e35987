// The real program's engine log across runs.

#include "ProgramFixture.h"

TEST_F(ProgramTest, ThePreviousRunsLogIsKeptBesideTheNewOne)
{
    std::string output;
    ASSERT_EQ(RunToEnd({"--console", "-w"}, "logprint('the first run')\nAppQuit()\n", output), 0) << output;
    output.clear();
    ASSERT_EQ(RunToEnd({"--console", "-w"}, "logprint('the second run')\nAppQuit()\n", output), 0) << output;

    const fs::path folder = Documents() / "Technical Support Files";
    const std::string old = ReadFile(folder / "VelkEngine.log.old");
    const std::string current = ReadFile(folder / "VelkEngine.log");
    EXPECT_NE(old.find("the first run\n"), std::string::npos) << old;
    EXPECT_EQ(old.find("the second run\n"), std::string::npos) << old;
    EXPECT_NE(current.find("the second run\n"), std::string::npos) << current;
    EXPECT_EQ(current.find("the first run\n"), std::string::npos) << current;
}
