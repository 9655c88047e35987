#pragma once

#include "game/rules/OldSchoolStates.h"

#include <string>

class WoppleWheelView;

// The spin cycle: from the decision to spin, through the price of a spin and
// the reels, back to the next spin once the matches are scored. Spins 1 to 16
// are free; from spin 17 a spin takes a free spin or a share of the score, and
// once the level's goal is met the player may cash out instead.
namespace OldSchoolStates {

// The state of that name among the spin cycle's, null for any other name.
State* CreateSpinState(WoppleOldSchoolBaseLogic& owner, const std::string& name);

// A state that only leads on: entering it enters the next.
class PassOn : public Base
{
public:
    PassOn(WoppleOldSchoolBaseLogic& owner, const char* name, const char* next) : Base(owner, name, next) {}
    void OnEnterState() override { GoToNextState(); }
};

// Full boards, another spin, or the end of the round.
class NextSpin : public Base
{
public:
    explicit NextSpin(WoppleOldSchoolBaseLogic& owner) : Base(owner, "NextSpin") {}
    void OnEnterState() override;
};

// Free spins until 16; after that the spin is paid, with a free spin or points.
class RouteSpin : public Base
{
public:
    explicit RouteSpin(WoppleOldSchoolBaseLogic& owner) : Base(owner, "RouteSpin") {}
    void OnEnterState() override;
};

// The participant holds free spins: use one, buy, or (goal met) cash out.
class PromptForFreeSpin : public Base
{
public:
    explicit PromptForFreeSpin(WoppleOldSchoolBaseLogic& owner) : Base(owner, "PromptForFreeSpin") {}
    void OnEnterState() override;
    bool OnParticipantAction(Event* event) override;
};

// No free spin left: bought without asking until the goal is met.
class PromptForBuy : public Base
{
public:
    explicit PromptForBuy(WoppleOldSchoolBaseLogic& owner) : Base(owner, "PromptForBuy") {}
    void OnEnterState() override;
    bool OnParticipantAction(Event* event) override;
};

class DeductSpinPoints : public Base
{
public:
    explicit DeductSpinPoints(WoppleOldSchoolBaseLogic& owner) : Base(owner, "DeductSpinPoints", "WaitForSpin") {}
    void OnEnterState() override;
};

// The lever waits for the participant; the first spin goes at once, since
// the pull that started the game was its pull.
class WaitForSpin : public Base
{
public:
    explicit WaitForSpin(WoppleOldSchoolBaseLogic& owner) : Base(owner, "WaitForSpin") {}
    void OnEnterState() override;
    void OnExitState() override;
    // The lever's press and the end of the countdown are the participant's to answer.
    bool OnEvent(const EventRecord& event) override;
    bool OnParticipantAction(Event* event) override;
};

// Composes the reels and spins them; their stop leads to the bonus reels.
class SpinWheel : public Base
{
public:
    explicit SpinWheel(WoppleOldSchoolBaseLogic& owner) : Base(owner, "SpinWheel") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnWheelAnimationUpdate(Event* event) override;

    // What each reel's strip carries this spin, then the walkthrough's results.
    void GenerateWheels();
    void GenerateWheelFromSetOfFive(int index, WoppleWheelView& wheel);
    void GenerateWheelFromSetOfSeven(int index, WoppleWheelView& wheel);
    // The forced results of the first levels' walkthrough, once per player.
    void ApplyWalkthrough();

private:
    void SetDevilSquares(WoppleWheelView& wheel);
    void ShowFeatureTips();
};

// Nothing matched this spin: the girl says so, then the output is awaited.
// A mode that waits for her to finish answers ShouldTalk and leads on itself.
class NoMatches : public Base
{
public:
    explicit NoMatches(WoppleOldSchoolBaseLogic& owner) : Base(owner, "NoMatches", "WaitForOutputCompletion") {}
    void OnEnterState() override;
    virtual bool ShouldTalk() { return false; }
};

} // namespace OldSchoolStates
