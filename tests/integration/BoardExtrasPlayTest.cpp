// A quest level with every board extra on the Classic board (frogs, the
// bonus timer, treasure boxes beside most lines), played twice by the
// automated player, replayed from the end-of-level tally.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TwoRoundsWithFrogsTheBonusTimerAndTreasureBoxesRunWithoutAFault)
{
    std::string output;
    const std::string console =
        "Players[1].Name = 'Robo'\n"
        "SetCurrentPlayerFromIndex(1, 1)\n"
        "Players[1].Options['game.mode'] = 'Vevev'\n"
        "WoppleQuestLevels[7] = { class = 'WoppleClassicGameLogic', mapName = 'Extras', enableBonusTimer = true, "
        "bonusSquares = { resource = 'BonusSquaresDefaults', numSquares = 3 }, treasureBoxManagerDetails = { "
        "boxSpecifics = IncludeBoxes{ 'row 1', 'row 2', 'row 3', 'row 4', 'row 5', 'column 1', 'column 2', "
        "'column 3', 'column 4', 'column 5', 'downward', 'upward' } } }\n"
        "Debug_StartQuestGame(7)\n"
        "Debug_AutoPlay(4, { rounds = 2, quitWhenOver = true, fastClock = true, stallPasses = 900, "
        "maxPasses = 40000 })\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    ExpectInOrder(output, {"SetState: SpinWheel\n", "SetState: ProcessMatch\n", "SetState: ProcessEndGame\n",
                           "AutoPlay: the round is over", "AutoPlay: ReplayButton", "SetState: InitialState\n",
                           "SetState: ProcessEndGame\n", "AutoPlay: the round is over",
                           "AutoPlay: QuitToMapButton (ProcessEndGame)\n", "OnScreenTransition -> WoppleMapScreen\n",
                           "AutoPlay: back on the map after 2 rounds\n"});
    // The frogs hopped, and with every line boxed some box was opened.
    EXPECT_NE(output.find("WoppleBonusSquares::Rearrange: 3 squares on board 1\n"), std::string::npos);
    EXPECT_NE(output.find("WoppleTreasureBoxAnimation::Start: "), std::string::npos);
    const std::size_t playing = output.find("AutoPlay: playing with seed");
    ASSERT_NE(playing, std::string::npos);
    for (const char* fault : {"Assertion failed", "Exception thrown in Script", "AutoPlay: stuck",
                              "AutoPlay: stopped after"})
        EXPECT_EQ(output.find(fault, playing), std::string::npos) << fault << "\n" << output.substr(playing);
}
