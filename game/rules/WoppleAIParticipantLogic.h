#pragma once

#include "game/rules/WoppleParticipantLogic.h"

class Button;
class Script;

// The computer's player (the duel's pirate). Its requests decide nothing
// here: each starts a Lua function "AI_<decision>" of the opponent's script
// as a coroutine on the game logic's root actor, tagged "AI". The function
// waits a moment, so a person can follow the move, then answers through
// SignalGameLogic or presses the buttons a person would press. While it
// decides, those buttons ignore the person's input.
//
// A decision still running when its request is left (the round stopped, or
// the logic moved on) is stopped with it: it must not answer a request it no
// longer holds.
class WoppleAIParticipantLogic : public WoppleParticipantLogic
{
    VELK_DECLARE_CLASS(WoppleAIParticipantLogic)
public:
    void CreateStates() override;

    // Starts the named decision on the game logic's root actor; null without one.
    Script* RunDecision(const char* function);
    // Stops every decision still running.
    void StopDecisions();
};

namespace WoppleAIParticipantLogicStates {

// A request answered by one decision function, started on entry.
class Decision : public WoppleParticipantState
{
public:
    enum Arguments
    {
        LogicAndSelf,           // (game logic, participant)
        MotiveLogicAndSelf,     // (the state's name, game logic, participant)
    };
    Decision(WoppleAIParticipantLogic& owner, const char* name, const char* function, Arguments arguments)
        : WoppleParticipantState(owner, name), m_AI(owner), m_Function(function), m_Arguments(arguments)
    {
    }
    void OnEnterState() override;
    void OnExitState() override;

private:
    WoppleAIParticipantLogic& m_AI;
    const char* m_Function;
    Arguments m_Arguments;
};

// The shared lever, which ignores the person while the computer pulls it.
class WaitForSpin : public CommonParticipantLogic::WaitForSpin
{
public:
    explicit WaitForSpin(WoppleAIParticipantLogic& owner) : CommonParticipantLogic::WaitForSpin(owner), m_AI(owner) {}
    void OnEnterState() override;
    void OnExitState() override;

private:
    WoppleAIParticipantLogic& m_AI;
};

// The cherub's buy-or-cash-out question; its two buttons ignore the person
// while the computer picks one.
class PromptForBuyWithCashOut : public CommonParticipantLogic::PromptForBuyWithCashOut
{
public:
    explicit PromptForBuyWithCashOut(WoppleAIParticipantLogic& owner)
        : CommonParticipantLogic::PromptForBuyWithCashOut(owner), m_AI(owner)
    {
    }
    void OnEnterState() override;
    void OnExitState() override;

private:
    WoppleAIParticipantLogic& m_AI;
    Button* m_BuyButton = nullptr;
    Button* m_CashOutButton = nullptr;
};

// The girl asks the pirate about the treasure chest; once she has asked, the
// pirate's decision runs.
class PassOrKeepPirateOrTreasure : public WoppleParticipantState
{
public:
    explicit PassOrKeepPirateOrTreasure(WoppleAIParticipantLogic& owner)
        : WoppleParticipantState(owner, "PassOrKeepPirateOrTreasure"), m_AI(owner)
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnActorScriptFinished(Event* event) override;

private:
    WoppleAIParticipantLogic& m_AI;
    Actor* m_Speaker = nullptr;
    LuaObject m_Question;
};

} // namespace WoppleAIParticipantLogicStates
