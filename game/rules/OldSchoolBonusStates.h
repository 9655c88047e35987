#pragma once

#include "game/rules/OldSchoolStates.h"
#include "game/rules/WoppleTimer.h"

#include <cstdint>
#include <string>

class WoppleWheelView;

// What the stopped reels bring before the matching: the bonus reels one after
// the other, then a devil or a cherub; and, after a match, a pirate-or-treasure
// box to pass or keep.
namespace OldSchoolStates {

// The state of that name among these states, null for any other name.
State* CreateBonusState(WoppleOldSchoolBaseLogic& owner, const std::string& name);

// The reels are applied from the first to the last: coins, multipliers and
// free spins at once, a gem, a cherub and wopple vision each with a short
// wait that its timer (or the end of an animation) ends. Then the devils.
// One timer serves every wait and goes when the state is left.
class ProcessBonusWheels : public Base
{
public:
    explicit ProcessBonusWheels(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "ProcessBonusWheels", "ProcessDevils")
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;
    bool OnAnimationFinished(Event* event) override;
    // Five turns of vision (or, once, its tip), the cells it lights, a wait.
    virtual void ProcessWoppleVisionWheel();

    // Each reel's progress piece of a board where the reel can do nothing is ignored.
    void UpdateReelProgressOverlays();
    // The next reels up to one that waits; after the last, the devils.
    void ProcessNextWheel();

    int GetCurrentWheel() const { return m_CurrentWheel; }
    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

private:
    WoppleWheelView* CurrentWheel() const;
    void ProcessCoinWheel();
    void ProcessGemWheel();
    void ProcessFreeSpinWheel();
    void ProcessCherubWheel();
    void ProcessMultiplierWheel();
    // The burst of the one-board game, or its small one with more boards, on the current reel.
    void Burst(const char* oneBoard, const char* manyBoards);
    void Wait(std::uint32_t milliseconds);

    int m_CurrentWheel = 0;
    WoppleTimer m_Timer;
};

// The first devil or devil cherub on the reels decides: a cherub for a
// protected participant or a devil cherub, else the devil; no devil, the jokers.
class ProcessDevils : public Base
{
public:
    explicit ProcessDevils(WoppleOldSchoolBaseLogic& owner) : Base(owner, "ProcessDevils", "ProcessJokerBonus") {}
    void OnEnterState() override;
};

// The devil names his share (10 to 50 percent), takes it 1.5 s later, and a
// second after that the jokers follow.
class DevilAppearance : public Base
{
public:
    explicit DevilAppearance(WoppleOldSchoolBaseLogic& owner) : Base(owner, "DevilAppearance", "ProcessJokerBonus") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;

    int GetSharePercent() const { return m_SharePercent; }
    int GetInternalState() const { return m_InternalState; }
    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

private:
    WoppleTimer m_Timer;
    int m_SharePercent = 0;
    int m_InternalState = 0;
};

// The devil threatens, then a cherub comes to the reel and scares him away;
// one time in five the cherub also doubles the score. Ticks of 1.5 s: the
// cherub, the doubling when there is one, then the jokers.
class CherubAppearance : public Base
{
public:
    explicit CherubAppearance(WoppleOldSchoolBaseLogic& owner) : Base(owner, "CherubAppearance", "ProcessJokerBonus")
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnTimer(const EventRecord& event) override;

    bool IsDoubling() const { return m_Doubling; }
    std::uint32_t GetTimerID() const { return m_Timer.GetID(); }

private:
    void ShowCherub();
    void DoubleScore();

    WoppleTimer m_Timer;
    bool m_Doubling = false;
};

// A matched pirate-or-treasure cell: its box is passed or kept, then a coin
// decides whether the holder's score halves (a pirate) or doubles (treasure),
// and the holder is told. Any other cell goes straight on.
class ProcessPirateOrTreasure : public Base
{
public:
    explicit ProcessPirateOrTreasure(WoppleOldSchoolBaseLogic& owner)
        : Base(owner, "ProcessPirateOrTreasure", "RouteMatch")
    {
    }
    void OnEnterState() override;
    bool OnParticipantAction(Event* event) override;

private:
    void OpenBox(std::uint32_t holder);
    // The box's picture of that key in its "imageSequence".
    void ShowBoxPicture(const char* key);
};

} // namespace OldSchoolStates
