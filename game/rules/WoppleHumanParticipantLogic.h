#pragma once

#include "game/rules/WoppleParticipantLogic.h"

#include <vector>

// The person at the mouse. Each request shows what is asked (the cherub's
// question with its buttons, a sound, a one-time tip), turns the click on a
// named button or a board cell into the answer, and takes the question away
// when it is left. The game logics make one for every player of a
// single-player mode.
class WoppleHumanParticipantLogic : public WoppleParticipantLogic
{
    VELK_DECLARE_CLASS(WoppleHumanParticipantLogic)
public:
    void CreateStates() override;
};

namespace WoppleHumanParticipantLogicStates {

// A question of the cherub's: said on entry with the participant listening to
// its buttons, withdrawn on exit; a click on one of the named buttons is the
// answer (motive, action).
class Question : public WoppleParticipantState
{
public:
    struct Answer
    {
        const char* button;
        const char* action;
    };
    Question(WoppleParticipantLogic& owner, const char* name, const char* message, const char* motive,
             std::vector<Answer> answers, bool withPrice)
        : WoppleParticipantState(owner, name), m_Message(message), m_Motive(motive), m_Answers(std::move(answers)),
          m_WithPrice(withPrice)
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnButtonClick(const EventRecord& event) override;

protected:
    const char* m_Message;
    const char* m_Motive;
    std::vector<Answer> m_Answers;
    bool m_WithPrice;
};

// The lever of the shared state, and the right mouse button pulls it too.
class WaitForSpin : public CommonParticipantLogic::WaitForSpin
{
public:
    using CommonParticipantLogic::WaitForSpin::WaitForSpin;
    bool OnMouseButtonDown(const EventRecord& event) override;
};

// Cells clicked, entered and left become the answers with the cell's table;
// the end of the turn's countdown answers "timer expired" and goes on to others.
class CellRequest : public WoppleParticipantState
{
public:
    using WoppleParticipantState::WoppleParticipantState;
    bool OnCellClick(Event* event) override { return Answer("cell clicked", event); }
    bool OnCellEnter(Event* event) override { return Answer("cell entered", event); }
    bool OnCellLeave(Event* event) override { return Answer("cell left", event); }
    bool OnCountdownFinished(Event* event) override;

private:
    bool Answer(const char* action, Event* event);
};

class WaitForSuperJokerMatch : public CellRequest
{
public:
    explicit WaitForSuperJokerMatch(WoppleParticipantLogic& owner) : CellRequest(owner, "WaitForSuperJokerMatch") {}
    void OnEnterState() override;
    void OnExitState() override;
};

// In level 2 the first cell joker is pointed out with a tip; later ones are said.
class WaitForCellJokerMatch : public CellRequest
{
public:
    explicit WaitForCellJokerMatch(WoppleParticipantLogic& owner) : CellRequest(owner, "WaitForCellJokerMatch") {}
    void OnEnterState() override;
    void OnExitState() override;
};

// The cherub tells the player what a pirate or treasure cell did; the
// speaker's reaction follows, and its end is the answer "finished".
class TellUserAboutCell : public WoppleParticipantState
{
public:
    TellUserAboutCell(WoppleParticipantLogic& owner, const char* name, const char* message, const char* script,
                      const char* reaction)
        : WoppleParticipantState(owner, name), m_Message(message), m_Script(script), m_Reaction(reaction)
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnActorScriptFinished(Event* event) override;

private:
    // Says the message and notes the speaker and the script run for it.
    void Say(const char* message, const char* script);

    const char* m_Message;
    const char* m_Script;
    const char* m_Reaction;
    Actor* m_Speaker = nullptr;
    LuaObject m_Running;
    bool m_Reacting = false;
};

} // namespace WoppleHumanParticipantLogicStates
