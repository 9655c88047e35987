#pragma once

#include "engine/core/Object.h"
#include "game/rules/WoppleState.h"

#include <string>

class Actor;
class WoppleOldSchoolBaseLogic;

// A player of a round, the person at the mouse or a computer opponent. The
// game logic never reads the turn's input itself: it makes one request of the
// participant at a time (each request is a state of the same name, entered
// from "Idle"), and the participant answers with SignalGameLogic: a motive
// (the request it answers) and an action word, sent at once to the game
// logic as WOPPLE_PARTICIPANTACTION. The game logic puts the participant back
// in "Idle" with Start before it asks again.
//
// The game logic owns its participants; SetGameLogic binds one and builds its
// states. Once it is being destroyed a participant takes no event.
class WoppleParticipantLogic : public Object
{
public:
    WoppleParticipantLogic() = default;

    Class* GetClass() const override { return s_Class; }
    bool OnEvent(const EventRecord& event) override;

    virtual void CreateStates() = 0;
    // Back to "Idle".
    virtual void Start();
    virtual void SetState(const std::string& name);

    // Stores the game logic, then builds the states.
    void SetGameLogic(WoppleOldSchoolBaseLogic* logic);
    WoppleOldSchoolBaseLogic* GetGameLogic() const { return m_GameLogic; }

    // The requests. Each asserts a bound game logic and "Idle", then enters
    // the state of its name; a failed request leaves the state as it was.
    void WaitForSpin();
    void WaitForMatch();
    void WaitForSuperJokerMatch();
    void WaitForCellJokerMatch();
    void PromptForFreeSpin();
    void PromptForFreeSpinWithCashOut();
    void PromptForBuyWithCashOut();
    void PromptForImmediateFreeSpinUsage();
    void PassOrKeepPirateOrTreasure();
    void TellUserAboutCellPirate();
    void TellUserAboutCellTreasure();

    // The answer: a table {motive, action} plus every string key of the extra
    // data when that is a table (a "motive" or "action" there wins), sent at
    // once. The game logic may have moved on, and asked again, by the time
    // this returns: a caller must not touch its own state afterwards.
    void SignalGameLogic(const std::string& motive, const std::string& action,
                         const LuaObject& extraData = LuaObject());

    static Class* s_Class;
    // partLogic:SignalGameLogic(motive, action [, data]).
    static int Script_SignalGameLogic(lua_State* L);

protected:
    WoppleOldSchoolBaseLogic* m_GameLogic = nullptr;
};

// A state of a participant: it knows its participant and reports its name.
class WoppleParticipantState : public WoppleState
{
public:
    WoppleParticipantState(WoppleParticipantLogic& owner, const char* name) : m_Owner(owner), m_Name(name) {}
    std::string GetName() const override { return m_Name; }

protected:
    // The owner's game logic; bound before any state exists.
    WoppleOldSchoolBaseLogic& Logic() const { return *m_Owner.GetGameLogic(); }

    WoppleParticipantLogic& m_Owner;
    const char* m_Name;
};

// The states that the person and the computer share.
namespace CommonParticipantLogic {

class Idle : public WoppleParticipantState
{
public:
    explicit Idle(WoppleParticipantLogic& owner) : WoppleParticipantState(owner, "Idle") {}
};

// The lever is enabled and flashes; its press is the answer "start spin".
class WaitForSpin : public WoppleParticipantState
{
public:
    explicit WaitForSpin(WoppleParticipantLogic& owner) : WoppleParticipantState(owner, "WaitForSpin") {}
    void OnEnterState() override;
    void OnExitState() override;
    bool OnButtonPress(const EventRecord& event) override;
    bool OnButtonClick(const EventRecord& event) override;
    // Answers "timer expired"; nothing calls it today.
    virtual bool OnTimeExpired();
};

// The cherub asks to buy the spin (its price and share) or cash out.
class PromptForBuyWithCashOut : public WoppleParticipantState
{
public:
    explicit PromptForBuyWithCashOut(WoppleParticipantLogic& owner)
        : WoppleParticipantState(owner, "PromptForBuyWithCashOut")
    {
    }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnButtonClick(const EventRecord& event) override;

protected:
    // The speaker of the question, null when none.
    Actor* m_Message = nullptr;
};

} // namespace CommonParticipantLogic

// The texts of a spin's price: the price as a grouped number and its share of
// the score in percent, "%1%" each.
std::string SpinPriceText(WoppleOldSchoolBaseLogic& logic);
std::string SpinPercentText(WoppleOldSchoolBaseLogic& logic);
// The name of the button an engine button event is about, empty when none.
std::string NameOfEventButton(const EventRecord& event);
