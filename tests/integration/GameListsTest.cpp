// The program builds the game's top-score lists and seeds them at every start.

#include "ProgramFixture.h"

TEST_F(ProgramTest, StartUpBuildsAndSeedsTheTopScoreLists)
{
    std::string output;
    ASSERT_EQ(RunToEnd({"--console", "-w"},
                       "PrintPlayerStats(1)\nAppQuit()\n", output), 0)
        << output;
    const std::string log = ReadFile(Documents() / "Technical Support Files" / "VelkEngine.log");
    ExpectInOrder(log, {
        "WoppleApp::CreateTopRecordsLists: 310 top-score lists\n",
        "Loading All Player Data...\n",
        "WoppleApp::CreateDefaultHighScores: 610 records seeded, Classic from 30000 down to 3000\n",
    });
    // A new player's slot is empty, and says so.
    EXPECT_NE(log.find("Player 1 is an empty slot\n"), std::string::npos) << log;
}
