#pragma once

#include "game/rules/WoppleInfo.h"
#include "game/rules/WoppleState.h"
#include "game/rules/WoppleTimer.h"

#include <cstdint>
#include <string>

class Script;
class WoppleOutputBaseLogic;
class WoppleOldSchoolBaseLogic;

// The steps one matched cell goes through in the scoring logic.
namespace OutputStates {

class Base : public WoppleState
{
public:
    Base(WoppleOutputBaseLogic& owner, const char* name) : m_Owner(owner), m_Name(name) {}
    std::string GetName() const override { return m_Name; }

protected:
    WoppleOldSchoolBaseLogic& Logic() const;
    WoppleCellView* Match() const;

    WoppleOutputBaseLogic& m_Owner;
    const char* m_Name;
};

class InitialState : public Base
{
public:
    explicit InitialState(WoppleOutputBaseLogic& owner) : Base(owner, "InitialState") {}
    void OnEnterState() override;
};

// Takes the next queued cell, or tells the game logic the queue has run empty.
class WaitForMatch : public Base
{
public:
    explicit WaitForMatch(WoppleOutputBaseLogic& owner) : Base(owner, "WaitForMatch") {}
    void OnEnterState() override;
    bool OnMatchQueued(Event* event) override;
};

// The cell's announcement (secret square, gold coin, multiplier cell) and the
// level's tips; a second later for those, on the next pass for the rest.
class ProcessMatch : public Base
{
public:
    explicit ProcessMatch(WoppleOutputBaseLogic& owner) : Base(owner, "ProcessMatch") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;
    // The patterns mode goes elsewhere.
    virtual void GoToNextState();
    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

private:
    WoppleTimer m_Timer;
};

// A full board among several boards: its script, then 10000 points.
class ProcessIndividualFullBoard : public Base
{
public:
    explicit ProcessIndividualFullBoard(WoppleOutputBaseLogic& owner) : Base(owner, "ProcessIndividualFullBoard") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnActorScriptFinished(Event* event) override;

private:
    // The "FullBoardCompletion" script started here: the script itself is gone when its end arrives.
    LuaObject m_Script;
};

// The bonus hidden under the cell: devil protection, a devil (with or
// without a cherub), a free spin, wopple vision.
class ProcessCellBonuses : public Base
{
public:
    explicit ProcessCellBonuses(WoppleOutputBaseLogic& owner) : Base(owner, "ProcessCellBonuses") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;

    virtual void ProcessFreeSpinCell();
    virtual void ProcessDevilCell();
    virtual void ProcessWoppleVisionCell();
    virtual void ProcessDevilCherubCell();
    virtual void ProcessDevilProtectionCell();
    virtual void DimCellBonusOverlay();

    int GetDevilPercentage() const { return m_DevilPercentage; }
    int GetBonusKind() const { return m_BonusKind; }
    bool GetCherubDoubles() const { return m_CherubDoubles; }
    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

private:
    // The bonus picture (with a child picture when named) fitted to the cell as its contents.
    Actor* ShowContents(const std::string& image, const std::string& child = "");
    void Burst(const std::string& large, const std::string& small);
    void ShowDevil();

    WoppleTimer m_Timer;
    std::int32_t m_DevilPercentage = 0;
    std::int32_t m_InternalState = 0;
    bool m_CherubDoubles = false;
    std::int32_t m_BonusKind = 0;
};

// The completed lines through the cell, one after the other.
class ProcessWopples : public Base
{
public:
    explicit ProcessWopples(WoppleOutputBaseLogic& owner) : Base(owner, "ProcessWopples") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;
    bool OnDialogStopped(const EventRecord& event) override;
    bool OnWoppleAnimationFinished(Event* event) override;
    bool OnWoppleReverseAnimationFinished(Event* event) override;
    bool OnTreasureBoxAnimationFinished(Event* event) override;

    const WoppleLineList& GetWopples() const { return m_Wopples; }

protected:
    void StartNextWopple();
    void ProcessNextWopple();

    WoppleLineList m_Wopples;
    WoppleTimer m_Timer;
};

// The super lines across linked boards through the cell.
class ProcessSuperWopples : public Base
{
public:
    explicit ProcessSuperWopples(WoppleOutputBaseLogic& owner) : Base(owner, "ProcessSuperWopples") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnDialogStopped(const EventRecord& event) override;
    bool OnSuperWoppleAnimationFinished(Event* event) override;
    virtual void StartNextSuperWopple();

protected:
    // Lines (bouncing as the level says) plus super lines through the cell, for the statistic.
    void RaiseSimultaneousBouncingWopples();

    SuperWoppleList m_SuperWopples;
};

} // namespace OutputStates
