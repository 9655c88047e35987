// The quest's first level as it ships, played by the automated player in the
// real program: its intro, its pattern, the round to its end and its result.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TheQuestsFirstLevelIsPlayedToItsEndAfterItsIntro)
{
    std::string output;
    const std::string console = "Players[1].Name = 'Robo'\n"
                                "SetCurrentPlayerFromIndex(1, 1)\n"
                                "Players[1].Options['game.mode'] = 'Vevev'\n"
                                "SwitchToScreen('MenuScreen')\n"
                                "Debug_StartQuestGame(1)\n"
                                "Debug_AutoPlay(3, { rounds = 1, quitWhenOver = true, fastClock = true, "
                                "stallPasses = 900, maxPasses = 30000 })\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    ExpectInOrder(output, {">>> SetLevelName Sandy Start\n", "SetState: LevelIntroDialog\n",
                           "AutoPlay: playing with seed 3\n", "AutoPlay: OkayButton (LevelIntroDialog)\n",
                           "SetState: AssignPattern\n", "SetState: StartGame\n", "SetState: SpinWheel\n",
                           "SetState: ProcessEndGame\n", "AutoPlay: the round is over", "; level 1 ",
                           "AutoPlay: QuitToMapButton (ProcessEndGame)\n", "AutoPlay: back on the "});
    // The reels are the game's own draw: won or lost, the round says which.
    const std::size_t result = output.find("; level 1 ");
    ASSERT_NE(result, std::string::npos);
    const std::string word = output.substr(result + 10, 4);
    EXPECT_TRUE(word == "won\n" || word == "lost") << word;
    // The start-up's own findings (the display falling back) come before the round.
    const std::size_t playing = output.find("AutoPlay: playing");
    for (const char* failure : {"Assertion failed", "Exception thrown in Script", "AutoPlay: stuck",
                                "AutoPlay: stopped after"})
        EXPECT_EQ(output.find(failure, playing), std::string::npos) << failure << "\n" << output;
}
