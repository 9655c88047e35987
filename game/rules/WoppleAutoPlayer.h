#pragma once

#include "engine/core/Object.h"
#include "game/rules/WoppleTimer.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

class Actor;
class Button;
class Screen;
class WoppleOldSchoolBaseLogic;

// Plays a round without a person, through the same clicks a person makes: it
// pulls the lever, clicks an available cell on the board, presses the buttons
// of the cherub's questions and the okay of a front dialog. It never calls the
// rules directly, so what it plays is what a person could play. Its choices
// come from its own generator, seeded, and leave the game's own random
// sequence alone. On a computer opponent's turn it only watches.
//
// It looks at the round once per Step: at most one click, then a few passes
// of rest so that the click's events arrive before it looks again. Tests call
// Step themselves or let StartStepping run it from a timer every pass; the
// program starts one from the console with Debug_AutoPlay.
class WoppleAutoPlayer : public Object
{
public:
    struct Options
    {
        std::uint32_t seed = 1;
        // Passes of rest after each click.
        int restPasses = 3;
        // Use a free spin when asked to buy or use one.
        bool useFreeSpins = true;
        // Cash out whenever it is offered (once the level's goal is met).
        bool cashOut = false;
        // With no round on, the button of the current screen that starts one
        // (the menu's "playClassicButton"); empty: wait for a round.
        std::string startButton;
        // Rounds to play, each answered at its end: "ReplayButton" until the
        // last, then "QuitButton" back to the menu (a quest level's results:
        // "ReplayButton", then "QuitToMapButton"). 0: stop at the first
        // round's results and answer nothing.
        int rounds = 0;
    };
    using LogicSource = std::function<WoppleOldSchoolBaseLogic*()>;

    WoppleAutoPlayer(LogicSource source, const Options& options);
    ~WoppleAutoPlayer() override;

    // One look at the round; what it clicked ("lever", "cell 1 3 4",
    // "buyButton", ...) or an empty string.
    std::string Step();
    void StartStepping();
    void StopStepping();
    bool OnTimer(const EventRecord& event) override;

    // The round has reached its results; with a number of rounds, the last
    // one has and the menu shows again.
    bool IsRoundOver() const { return m_RoundOver; }
    int GetRoundsPlayed() const { return m_RoundsPlayed; }
    const std::vector<std::string>& GetClicks() const { return m_Clicks; }
    int GetSpinsPulled() const { return m_SpinsPulled; }

private:
    std::string StartRound();
    std::string Act(WoppleOldSchoolBaseLogic& logic);
    std::string ClickCell(WoppleOldSchoolBaseLogic& logic);
    std::string Answer(WoppleOldSchoolBaseLogic& logic, const std::string& request);
    // The okay of the screen's front dialog, when it has one.
    std::string AnswerFrontDialog(Screen& screen);
    // At the results: the front dialog's okay, then replay or quit.
    std::string AnswerRoundEnd(WoppleOldSchoolBaseLogic& logic);
    // Presses and releases the button, as a click of the left mouse button does.
    std::string Click(Button* button, const std::string& what);
    // The first visible, enabled button of that name on the logic's screen.
    Button* FindButton(WoppleOldSchoolBaseLogic& logic, const std::string& name) const;
    bool Chance();

    LogicSource m_Source;
    Options m_Options;
    std::mt19937 m_Random;
    WoppleTimer m_Timer;
    int m_Rest = 0;
    bool m_RoundOver = false;
    bool m_AtRoundEnd = false;
    bool m_Leaving = false;
    int m_RoundsPlayed = 0;
    int m_SpinsPulled = 0;
    std::vector<std::string> m_Clicks;
};
