#pragma once

#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleTimer.h"

#include <string>

class WoppleCellView;

// The matching of a spin: the participant picks cells that the reels serve,
// each match is marked, scored and queued on the scoring logic, and the board
// is tested again, until nothing can be matched or the turn's time is out.
// Then the spin waits for the scoring logic to finish its queue.
namespace OldSchoolStates {

// The state of that name among the match states, null for any other name.
State* CreateMatchState(WoppleOldSchoolBaseLogic& owner, const std::string& name);

class WaitForMatch : public Base
{
public:
    explicit WaitForMatch(WoppleOldSchoolBaseLogic& owner) : Base(owner, "WaitForMatch") {}
    void OnEnterState() override;
    void OnExitState() override;
    // The cell events and the countdown's end are the participant's to answer.
    bool OnEvent(const EventRecord& event) override;
    bool OnParticipantAction(Event* event) override;

private:
    void OnCellClicked(const LuaObject& cellData);
};

// Marks the chosen cell matched and scores the match; a pass later the
// match is routed on.
class ProcessMatch : public Base
{
public:
    explicit ProcessMatch(WoppleOldSchoolBaseLogic& owner, const char* name = "ProcessMatch") : Base(owner, name) {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;
    bool OnDialogStopped(const EventRecord& event) override;
    // The reel that served the cell is spent on the cell's board this spin.
    virtual void MarkCellMatched();

    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

protected:
    // The chosen cell's board among the logic's boards, 0 when none.
    int ChosenBoardIndex() const;

private:
    WoppleTimer m_Timer;
};

// A hidden cell joker goes to its placing; anything else to the super joker's turn.
class RouteMatch : public Base
{
public:
    explicit RouteMatch(WoppleOldSchoolBaseLogic& owner) : Base(owner, "RouteMatch") {}
    void OnEnterState() override;
};

// The spin holds until the scoring logic has scored every queued match.
class WaitForOutputCompletion : public Base
{
public:
    explicit WaitForOutputCompletion(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "WaitForOutputCompletion", "RouteSpinCompletion")
    {
    }
    void OnEnterState() override;
    bool OnMatchQueueEmpty(Event* event) override;
};

} // namespace OldSchoolStates
