// A two-board level on the real program, played to its end by the automated
// player: the level is set up at the console, the boards are linked, the goal
// is met and the level is recorded as completed; then it is replayed from its
// results.

#include "ProgramFixture.h"

TEST_F(ProgramTest, TheAutomatedPlayerPlaysATwoBoardLevelToItsGoalAndReplaysItFromItsResults)
{
    std::string output;
    const std::string console =
        "Players[1].Name = 'Robo'\n"
        "SetCurrentPlayerFromIndex(1, 1)\n"
        "Players[1].Options['game.mode'] = 'Vevev'\n"
        // A level of the quest made a two-board one for this round.
        "local level = WoppleQuestLevels[46]; level.class = 'WoppleTwoBoardGameLogic'; "
        "level.numberOfWopplesRequired = 1; level.numberOfSuperWopplesRequired = 0\n"
        "Debug_StartQuestGame(46)\n"
        "Debug_AutoPlay(7, { rounds = 2, quitWhenOver = true, fastClock = true, stallPasses = 900, maxPasses = 40000 "
        "})\n";
    ASSERT_EQ(RunToEnd({"--console", "-w", "--log3"}, console, output), 0) << output;
    // The column links of the two boards, one above the other.
    for (int c = 1; c <= 5; ++c)
        EXPECT_NE(output.find("Connecting cells: {b=1, {c=" + std::to_string(c) + ", r=5}, North} <--> {b=2, {c=" +
                              std::to_string(c) + ", r=1}, South}\n"),
                  std::string::npos)
            << c;
    // Cells of both boards clicked, the goal reached, and the round to its results.
    ExpectInOrder(output, {"SetState: StartGame\n", "AutoPlay: cell ", "Level goal: 0 Wopples and 0 Super Wopples to go\n",
                           "Level goal reached: 100 bonus points\n", "SetState: EndGameTransition\n",
                           "SetState: ProcessEndGame\n", "AutoPlay: the round is over"});
    const std::string first = output.substr(0, output.find("AutoPlay: the round is over"));
    EXPECT_NE(first.find("AutoPlay: cell 1 "), std::string::npos);
    EXPECT_NE(first.find("AutoPlay: cell 2 "), std::string::npos);
    // Its bonus once in the round.
    EXPECT_EQ(first.find("Level goal reached", first.find("Level goal reached") + 1), std::string::npos);
    // Replayed from the results, the level starts afresh; the second round ends back on the map.
    ExpectInOrder(output, {"AutoPlay: the round is over", "AutoPlay: ReplayButton (ProcessEndGame)\n",
                           "SetState: InitialState\n", "SetState: ProcessEndGame\n", "AutoPlay: the round is over",
                           "AutoPlay: QuitToMapButton (ProcessEndGame)\n", "OnScreenTransition -> WoppleMapScreen\n",
                           "AutoPlay: back on the map after 2 rounds\n"});
    EXPECT_EQ(output.find("AutoPlay: stuck"), std::string::npos) << output;
    EXPECT_EQ(output.find("Assertion failed: (CurrentGameMode"), std::string::npos) << output;

    const std::string card = ReadFile(Documents() / "Player Cards" / "Player1.card");
    // The quest's record of the level (the mode's table holds the last one).
    const std::size_t record = card.rfind("[46] = {");
    ASSERT_NE(record, std::string::npos) << card;
    const std::string entry = card.substr(record, card.find('}', record) - record);
    EXPECT_NE(entry.find("Completed = true"), std::string::npos) << entry;
}
