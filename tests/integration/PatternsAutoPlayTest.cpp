// The automated player on pattern levels of the real program: a quest level's
// table replaced at the console (the top-score lists are made for the levels
// the table has at start), the level started, played by clicks to its end and left for the map.

#include "ProgramFixture.h"

namespace {

std::string PlayLevel(const std::string& levelTable, int seed, int rounds = 0)
{
    return "Players[1].Name = 'Robo'\n"
           "SetCurrentPlayerFromIndex(1, 1)\n"
           "Players[1].Options['game.mode'] = 'Vevev'\n"
           "SwitchToScreen('MenuScreen')\n"
           "WoppleQuestLevels[12] = " + levelTable + "\n"
           "Debug_StartQuestGame(12)\n"
           "Debug_AutoPlay(" + std::to_string(seed) + ", { rounds = " + std::to_string(rounds) +
           ", quitWhenOver = true, fastClock = true, "
           "stallPasses = 900, maxPasses = 30000 })\n";
}

} // namespace

TEST_F(ProgramTest, APatternLevelIsPlayedToItsEndWithThePatternMarkedAfterItsIntroThenLeftForTheMap)
{
    std::string output;
    const std::string console = PlayLevel(
        "{ class = 'WopplePatternsGameLogic', patternIndex = 26, mapName = 'Test Lagoon', "
        "levelIntroTitle = 'Coconut', levelIntroDialog = 'Match every square of the coconut.' }", 5, 1);
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    ExpectInOrder(output, {"SetState: LevelIntroDialog\n", "AutoPlay: playing with seed 5\n",
                           "AutoPlay: OkayButton (LevelIntroDialog)\n", "SetState: AssignPattern\n",
                           "SetState: AssignNumbers\n", "SetState: ExplainGame\n", "SetState: StartGame\n",
                           "Game sound: sparkle_little.ogg\n", "SetState: EndGameTransition\n",
                           "SetState: ProcessEndGame\n", "AutoPlay: the round is over",
                           // The results' Map button leads to the map, which ends the automated player.
                           "AutoPlay: QuitToMapButton (ProcessEndGame)\n", "OnScreenTransition -> WoppleMapScreen\n",
                           "AutoPlay: back on the map after 1 rounds\n"});
    // The coconut's 21 squares are rarely all matched in twenty spins; when
    // they are, the celebration comes once.
    const std::string celebration = "output Logic SetState: ProcessCompletedPattern\n";
    const std::size_t first = output.find(celebration);
    if (first != std::string::npos) {
        EXPECT_EQ(output.find(celebration, first + 1), std::string::npos);
    }
    // The start-up's own findings (the display falling back) come before the round.
    EXPECT_EQ(output.find("Assertion failed", output.find("AutoPlay: playing")), std::string::npos) << output;
    EXPECT_EQ(output.find("AutoPlay: stuck"), std::string::npos) << output;
    EXPECT_EQ(output.find("AutoPlay: stopped after"), std::string::npos) << output;
}

TEST_F(ProgramTest, ASevenBySevenLevelIsPlayedToItsEndOnSevenReels)
{
    std::string output;
    const std::string console = PlayLevel(
        "{ class = 'WoppleSevenBySevenLogic', patternIndex = 51, mapName = 'Test Atoll' }", 9);
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    ExpectInOrder(output, {"SetState: AssignPattern\n", "SetState: StartGame\n", "SetState: SpinWheel\n",
                           "AutoPlay: cell 1 ", "SetState: ProcessEndGame\n", "AutoPlay: the round is over"});
    // Cells of the sixth and seventh columns are played too.
    EXPECT_TRUE(output.find("AutoPlay: cell 1 6 ") != std::string::npos ||
                output.find("AutoPlay: cell 1 7 ") != std::string::npos)
        << output;
    // The start-up's own findings (the display falling back) come before the round.
    EXPECT_EQ(output.find("Assertion failed", output.find("AutoPlay: playing")), std::string::npos) << output;
    EXPECT_EQ(output.find("AutoPlay: stuck"), std::string::npos) << output;
}
