// The automated player on the real program: from the menu's Classic button
// into a round, played by clicks alone to its end.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TheAutomatedPlayerStartsAClassicRoundFromTheMenuAndPlaysIt)
{
    std::string output;
    const std::string console =
        "Players[1].Name = 'Robo'\n"
        "SetCurrentPlayerFromIndex(1, 1)\n"
        "SwitchToScreen('MenuScreen')\n"
        // One line: the console runs each line as a chunk.
        "Debug_AutoPlay(7, { startButton = 'playClassicButton', quitWhenOver = true, fastClock = true, "
        "stallPasses = 900, maxPasses = 20000 })\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    // The intro dialog is answered, the cherub closed and the lever pulled, all by clicks.
    ExpectInOrder(output, {"AutoPlay: playing with seed 7\n", "AutoPlay: playClassicButton\n",
                           "OnScreenTransition -> WoppleGameScreen\n", "SetState: LevelIntroDialog\n",
                           "AutoPlay: OkayButton (LevelIntroDialog)\n", "SetState: ExplainGame\n",
                           "AutoPlay: lever (WaitingForGameStart)\n", "SetState: StartGame\n",
                           "SetState: NextSpin\n"});
    // Twenty spins, cells matched by clicks, and the round reaches its end.
    ExpectInOrder(output, {"AutoPlay: lever", "SetState: SpinWheel\n", "SetState: ProcessMatch\n",
                           "SetState: EndGameTransition\n", "SetState: ProcessEndGame\n",
                           "Current classic high score table:\n", "AutoPlay: the round is over"});
    EXPECT_EQ(output.find("AutoPlay: stuck"), std::string::npos) << output;
    EXPECT_EQ(output.find("AutoPlay: stopped after"), std::string::npos) << output;
}

TEST_F(ProgramTest, TwoClassicRoundsFromTheMenuReplayThenQuitBackToTheMenuWithTheScoreInTheClassicList)
{
    std::string output;
    const std::string console =
        "Players[1].Name = 'Robo'\n"
        "SetCurrentPlayerFromIndex(1, 1)\n"
        "SwitchToScreen('MenuScreen')\n"
        "Debug_AutoPlay(11, { startButton = 'playClassicButton', rounds = 2, quitWhenOver = true, fastClock = true, "
        "stallPasses = 900, maxPasses = 40000 })\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    ExpectInOrder(output, {"SetState: ProcessEndGame\n", "AutoPlay: the round is over", "AutoPlay: ReplayButton",
                           "SetState: InitialState\n", "SetState: ProcessEndGame\n", "AutoPlay: the round is over",
                           "AutoPlay: QuitButton", "OnScreenTransition -> WoppleMenuScreen\n",
                           "AutoPlay: back on the menu after 2 rounds\n"});
    EXPECT_EQ(output.find("AutoPlay: stuck"), std::string::npos) << output;

    // The first round's score is in the list the second round's end reads.
    const std::string over = "AutoPlay: the round is over in ProcessEndGame after spin ";
    const std::size_t first = output.find(over);
    ASSERT_NE(first, std::string::npos);
    const std::size_t with = output.find(" with ", first);
    const long long score = std::stoll(output.substr(with + 6));
    ASSERT_GT(score, 0);
    const std::size_t table = output.find("Current classic high score table:\n", output.find("AutoPlay: ReplayButton"));
    ASSERT_NE(table, std::string::npos);
    const std::size_t entry = output.find(": " + std::to_string(score) + ", from ", table);
    EXPECT_NE(entry, std::string::npos) << output.substr(table, 300);
}
