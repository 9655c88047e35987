// The real program's game screen from the console: reached without a game it
// warns and goes back to the menu on its next pass.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TheGameScreenWithoutAGameSendsThePlayerBackToTheMenu)
{
    std::string output;
    const std::string input =
        "SwitchToScreen('GameScreen')\n"
        "AppQuit()\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log2"}, input, output), 0) << output;
    // The console's lines run before the loop's first pass, which goes back.
    ExpectInOrder(output, {"OnScreenTransition -> WoppleGameScreen\n",
                           "WARNING: The game screen was entered with no game to play; back to the menu.\n",
                           "OnScreenTransition -> WoppleMenuScreen\n"});
}
