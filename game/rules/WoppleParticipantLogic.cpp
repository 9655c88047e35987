#include "game/rules/WoppleParticipantLogic.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/shell/WoppleScoreRecords.h"
#include "game/views/CocoDropButton.h"

#include <boost/format.hpp>

#include <memory>

namespace {

constexpr int kBuyOrCashOut = 6;

void WoppleParticipantLogicClassHook(Class* c)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(
        "SignalGameLogic", WoppleParticipantLogic::Script_SignalGameLogic));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("SignalGameLogic"));
}

// The script method's own checks name the method as the rules know it.
[[noreturn]] void FailSignalCheck(const char* condition)
{
    throw Exception(__FILE__, __LINE__, "WoppleParticipantLogic::SignalGameLogic", __DATE__, __TIME__,
                    AssertionText(condition));
}

} // namespace

// Abstract: the game logics make the person's and the computer's.
VELK_REGISTER_CLASS(WoppleParticipantLogic, "Object", WoppleParticipantLogicClassHook, nullptr);

bool WoppleParticipantLogic::OnEvent(const EventRecord& event)
{
    // Flagged for deletion with its game logic: a late click must not answer.
    if (IsBeingDestroyed())
        return false;
    return Object::OnEvent(event);
}

void WoppleParticipantLogic::Start()
{
    SetState("Idle");
}

void WoppleParticipantLogic::SetState(const std::string& name)
{
    Object::SetState(name);
}

void WoppleParticipantLogic::SetGameLogic(WoppleOldSchoolBaseLogic* logic)
{
    m_GameLogic = logic;
    CreateStates();
}

// Each request is its own method so that a failed check names it.
#define WOPPLE_PARTICIPANT_REQUEST(Request)             \
    void WoppleParticipantLogic::Request()              \
    {                                                   \
        VELK_ASSERT(m_GameLogic != 0);                  \
        VELK_ASSERT(GetStateName() == "Idle");          \
        SetState(#Request);                             \
    }

WOPPLE_PARTICIPANT_REQUEST(WaitForSpin)
WOPPLE_PARTICIPANT_REQUEST(WaitForMatch)
WOPPLE_PARTICIPANT_REQUEST(WaitForSuperJokerMatch)
WOPPLE_PARTICIPANT_REQUEST(WaitForCellJokerMatch)
WOPPLE_PARTICIPANT_REQUEST(PromptForFreeSpin)
WOPPLE_PARTICIPANT_REQUEST(PromptForFreeSpinWithCashOut)
WOPPLE_PARTICIPANT_REQUEST(PromptForBuyWithCashOut)
WOPPLE_PARTICIPANT_REQUEST(PromptForImmediateFreeSpinUsage)
WOPPLE_PARTICIPANT_REQUEST(PassOrKeepPirateOrTreasure)
WOPPLE_PARTICIPANT_REQUEST(TellUserAboutCellPirate)
WOPPLE_PARTICIPANT_REQUEST(TellUserAboutCellTreasure)

#undef WOPPLE_PARTICIPANT_REQUEST

void WoppleParticipantLogic::SignalGameLogic(const std::string& motive, const std::string& action,
                                             const LuaObject& extraData)
{
    // With no logic the answer would go to the application.
    VELK_ASSERT(m_GameLogic != 0);
    LuaState lua = ObjectLuaState();
    auto answer = std::make_shared<LuaObject>(lua);
    answer->AssignNewTable(lua);
    answer->SetString("motive", motive);
    answer->SetString("action", action);
    if (extraData.IsTable())
        for (LuaTableIterator it(extraData); it; ++it)
            if (it.GetKey().IsString())
                answer->SetObject(it.GetKey(), it.GetValue());
    SendNewEvent(WOPPLE_PARTICIPANTACTION, m_GameLogic, this, answer);
}

int WoppleParticipantLogic::Script_SignalGameLogic(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        if (!lua_isuserdata(L, 1))
            FailSignalCheck("env->Stack(1).IsUserData()");
        if (lua_gettop(L) < 3)
            FailSignalCheck("env->GetTop() >= 3");
        if (lua_type(L, 2) != LUA_TSTRING)
            FailSignalCheck("env->Stack(2).IsString()");
        if (lua_type(L, 3) != LUA_TSTRING)
            FailSignalCheck("env->Stack(3).IsString()");
        auto* participant = RequireScriptObject<WoppleParticipantLogic>(L, 1, "a participant logic");
        const std::string motive = lua_tostring(L, 2);
        const std::string action = lua_tostring(L, 3);
        LuaObject extra = lua_gettop(L) >= 4 ? LuaObject(LuaState(L), 4) : LuaObject();
        participant->SignalGameLogic(motive, action, extra);
        return 0;
    });
}

// ---------------------------------------------------------------- shared states

namespace CommonParticipantLogic {

void WaitForSpin::OnEnterState()
{
    Sound::Play("C_takespin.ogg");
    if (CocoDropButton* lever = Logic().GetCocoDropButton()) {
        lever->Enable();
        lever->Present(true);
    }
}

void WaitForSpin::OnExitState()
{
    Logic().PresentSpinLever(false);
}

bool WaitForSpin::OnButtonPress(const EventRecord& event)
{
    if (NameOfEventButton(event) != "cocoDropButton")
        return false;
    // The lever drops and clicks as any pressed button does, then the answer.
    if (auto* lever = dynamic_cast<Button*>(static_cast<Actor*>(event.user.data1)))
        lever->OnButtonPress(event);
    m_Owner.SignalGameLogic("WaitForSpin", "start spin");
    return true;
}

bool WaitForSpin::OnButtonClick(const EventRecord& event)
{
    if (NameOfEventButton(event) != "cocoDropButton")
        return false;
    // The lever disables itself on release; the next request presents it again.
    if (auto* lever = dynamic_cast<Button*>(static_cast<Actor*>(event.user.data1)))
        lever->Enable();
    return true;
}

bool WaitForSpin::OnTimeExpired()
{
    m_Owner.SignalGameLogic("WaitForSpin", "timer expired");
    return true;
}

void PromptForBuyWithCashOut::OnEnterState()
{
    m_Message = Logic().SayGameMessage(kBuyOrCashOut, &m_Owner, SpinPriceText(Logic()), SpinPercentText(Logic()), "");
    Sound::Play("attention4.ogg");
}

void PromptForBuyWithCashOut::OnExitState()
{
    Logic().KillMessage(kBuyOrCashOut, nullptr);
    m_Message = nullptr;
}

bool PromptForBuyWithCashOut::OnButtonClick(const EventRecord& event)
{
    const std::string name = NameOfEventButton(event);
    if (name == "buyButton")
        m_Owner.SignalGameLogic("PromptForBuy", "buy spin");
    else if (name == "cashOutButton")
        m_Owner.SignalGameLogic("PromptForBuy", "cash out");
    else
        return false;
    return true;
}

} // namespace CommonParticipantLogic

// ---------------------------------------------------------------- helpers

std::string SpinPriceText(WoppleOldSchoolBaseLogic& logic)
{
    return (boost::format("%1%") % FormatInt64WithCommas(logic.GetMinimumAllowableScoreForSpin())).str();
}

std::string SpinPercentText(WoppleOldSchoolBaseLogic& logic)
{
    return (boost::format("%1%") % ((logic.GetSpinCount() - 16) * 10)).str();
}

std::string NameOfEventButton(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    return button ? button->GetName() : std::string();
}
