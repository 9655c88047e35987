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

// A wait for the participant to pick a cell. The cell events and the
// countdown's end are the participant's to answer; its answers come back as
// actions whose motive is the state's name.
class CellWait : public Base
{
public:
    using Base::Base;
    bool OnEvent(const EventRecord& event) override;
    bool OnParticipantAction(Event* event) override;

protected:
    // Asks the participant, reminds of vision once a spin (not on the turn
    // it came, when asked), opens the cells to the person at the mouse and
    // runs the turn's countdown.
    void BeginWaiting(bool quietOnVisionsFirstTurn);
    // A cell that may still be taken was clicked: it is the chosen cell and
    // the countdown is paused.
    virtual void OnCellChosen() = 0;
    virtual void OnTimeRanOut() = 0;

private:
    void OnCellClicked(const LuaObject& cellData);
};

class WaitForMatch : public CellWait
{
public:
    explicit WaitForMatch(WoppleOldSchoolBaseLogic& owner) : CellWait(owner, "WaitForMatch") {}
    void OnEnterState() override;
    void OnExitState() override;

protected:
    void OnCellChosen() override;
    void OnTimeRanOut() override;
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
