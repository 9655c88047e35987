// A Pirate's Fortune duel in the real program: the level table set up at the
// console, the person's side played by the automated player, the pirate by his
// own decisions, to the level's results.

#include "ProgramFixture.h"

TEST_F(ProgramTest, ADuelAgainstThePirateIsPlayedToItsResultsWithTheTurnsChanging)
{
    std::string output;
    const std::string console =
        "Players[1].Name = 'Robo'\n"
        "SetCurrentPlayerFromIndex(1, 1)\n"
        "Players[1].Options['game.mode'] = 'Vevev'\n"
        // One line: the console runs each line as a chunk.
        "WoppleQuestLevels[10] = { class = 'WopplePiratesFortuneGameLogic', mapName = 'Pirate Port', "
        "cellFreeSpins = 4 }\n"
        "Debug_StartQuestGame(10)\n"
        "Debug_AutoPlay(3, { quitWhenOver = true, fastClock = true, stallPasses = 900, maxPasses = 30000 })\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    // The pirate introduces himself, the person pulls first, then the pirate takes his turn.
    ExpectInOrder(output, {"SetState: PirateIntro\n", "SetState: WaitingForGameStart\n",
                           "AutoPlay: lever (WaitingForGameStart)\n", "SetState: SpinWheel\n",
                           "SetState: NextPlayer\n", "SetState: SpinWheel\n", "SetState: NextPlayer\n",
                           "SetState: EndGameTransition\n", "SetState: ProcessEndGame\n",
                           "AutoPlay: the round is over"});
    // The display's fall-back at start-up is no part of the duel.
    const std::string duel = output.substr(output.find("AutoPlay: playing with seed"));
    EXPECT_EQ(duel.find("Assertion failed"), std::string::npos) << duel;
    EXPECT_EQ(duel.find("Exception thrown in Script"), std::string::npos) << duel;
    EXPECT_EQ(output.find("AutoPlay: stuck"), std::string::npos) << output;
    EXPECT_EQ(output.find("AutoPlay: stopped after"), std::string::npos) << output;
}
