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
