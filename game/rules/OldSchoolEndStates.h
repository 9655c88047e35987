#pragma once

#include "engine/core/VelkLuaState.h"
#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleTimer.h"

#include <cstdint>
#include <string>

// The last state of a round: its results are read, written into the player's
// card and score lists, and the player is asked what comes next (the
// end-of-level dialog in the quest, the girl's replay question elsewhere).
namespace OldSchoolStates {

// Every board full: the full-card bonus, the completion effect over the
// boards, the player's full-card margin, then the end of the round.
class ProcessFullBoards : public Base
{
public:
    explicit ProcessFullBoards(WoppleOldSchoolBaseLogic& owner) : Base(owner, "ProcessFullBoards", "EndGameTransition")
    {
    }

    void OnEnterState() override;
    void OnExitState() override;
    bool OnActorScriptFinished(Event* event) override;
    bool OnDialogStopped(const EventRecord& event) override;

    // fullBoardScore, plus a quarter of it for every spin left before the last.
    static std::int64_t FullBoardBonus(std::int32_t fullBoardScore, std::int32_t spin);

private:
    void StartFullBoardsAnimation();

    std::int32_t m_NumScriptsPending = 0;
    LuaObject m_Script;
};

// Between the last spin and the results: the lever goes, the clock stops,
// the girl says how it went, and three seconds later the results.
class EndGameTransition : public Base
{
public:
    static constexpr std::uint32_t kSignalPeriodMs = 750;

    explicit EndGameTransition(WoppleOldSchoolBaseLogic& owner) : Base(owner, "EndGameTransition", "ProcessEndGame") {}

    void OnEnterState() override;
    bool OnTimer(const EventRecord& event) override;
    bool OnDialogStopped(const EventRecord& event) override;

private:
    WoppleTimer m_Timer;
};

class ProcessEndGame : public Base
{
public:
    static constexpr int kNumStars = 5;

    explicit ProcessEndGame(WoppleOldSchoolBaseLogic& owner) : Base(owner, "ProcessEndGame") {}

    void OnEnterState() override;
    void OnExitState() override;
    // The question waits for the state's own timer, so that the state is current first.
    bool OnTimer(const EventRecord& event) override;
    // The replay question's buttons.
    bool OnButtonClick(const EventRecord& event) override;
    bool OnDialogStopped(const EventRecord& event) override;

    // From the results and the level's table; nothing for a game outside the quest.
    virtual void ExtractData();
    // Into the player's card; nothing for a game outside the quest.
    virtual void RecordData();
    virtual void AskUserForNextAction();

    // WOPPLE_LEVELCOMPLETED to the logic the game screen holds.
    void RequestRestart();
    void RequestAdvance();

    const LuaObject& GetResults() const { return m_Results; }
    std::int64_t GetStarScore() const { return m_StarScore; }
    std::int32_t GetStarTime() const { return m_StarTime; }
    std::int64_t GetPreviousBest() const { return m_PreviousBest; }
    std::int32_t GetTreasureBoxCount() const { return m_TreasureBoxCount; }
    bool GetStarFlag(int star) const { return star >= 0 && star < kNumStars && m_Stars[star]; }

protected:
    // Some board full, every match scored.
    bool IsAnyBoardFull() const;

    LuaObject m_Results;
    bool m_SecretFound = false;
    std::int32_t m_Butterflies = 0;
    std::int32_t m_TimeTaken = 0;
    std::int64_t m_StarScore = 0;
    std::int32_t m_TreasureBoxCount = 0;
    std::int32_t m_StarTime = 0;
    std::int64_t m_PreviousBest = 0;
    bool m_Stars[kNumStars] = {};
    WoppleTimer m_Timer;
};

} // namespace OldSchoolStates

namespace ClassicStates {

// The Classic ending: the top-ten check first, and the game recorded as the
// player's Classic score.
class ProcessEndGame : public OldSchoolStates::ProcessEndGame
{
public:
    using OldSchoolStates::ProcessEndGame::ProcessEndGame;

    void OnEnterState() override;
    void RecordData() override;

    // The dialog's heading for a score against the Classic list: "High Score",
    // "Top Ten Score", or empty for none. With fewer than ten entries any
    // score above 0 gets into the list.
    static std::string TopScoreHeading(std::int64_t score);
};

} // namespace ClassicStates
