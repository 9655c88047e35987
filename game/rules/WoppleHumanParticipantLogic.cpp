#include "game/rules/WoppleHumanParticipantLogic.h"

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/CocoDropButton.h"

#include <SDL.h>

VELK_REGISTER_CLASS(WoppleHumanParticipantLogic, "WoppleParticipantLogic", nullptr,
                    InstantiateObjectOfClass<WoppleHumanParticipantLogic>);

namespace {

int MessageId(const char* name)
{
    return WoppleGameMessages::GetMessageId(name);
}

} // namespace

void WoppleHumanParticipantLogic::CreateStates()
{
    // The states share their names with the requests: say whose.
    namespace S = WoppleHumanParticipantLogicStates;
    using S::CellRequest;
    using S::Question;
    using S::TellUserAboutCell;
    auto* self = static_cast<WoppleParticipantLogic*>(this);
    AddState(new CommonParticipantLogic::Idle(*self), true);
    AddState(new Question(*self, "PassOrKeepPirateOrTreasure", "KEEP_OR_PASS_PIRATE_OR_TREASURE",
                          "PassOrKeepPirateOrTreasure", {{"passButton", "pass"}, {"openButton", "keep"}}, false),
             true);
    // Both free-spin questions answer as "PromptForFreeSpin".
    AddState(new Question(*self, "PromptForFreeSpinWithCashOut", "BUY_OR_USE_FREE_SPIN_OR_CASH_OUT",
                          "PromptForFreeSpin",
                          {{"buyButton", "buy spin"}, {"useFreeSpinButton", "use free spin"}, {"cashOutButton", "cash out"}},
                          true),
             true);
    AddState(new CommonParticipantLogic::PromptForBuyWithCashOut(*self), true);
    AddState(new Question(*self, "PromptForFreeSpin", "BUY_OR_USE_FREE_SPIN", "PromptForFreeSpin",
                          {{"buyButton", "buy spin"}, {"useFreeSpinButton", "use free spin"}}, true),
             true);
    AddState(new Question(*self, "PromptForImmediateFreeSpinUsage", "ASK_ABOUT_IMMEDIATE_FREE_SPIN_USAGE",
                          "PromptForImmediateFreeSpinUsage",
                          {{"YesButton", "use free spin"}, {"NoButton", "don't use free spin"}}, false),
             true);
    AddState(new TellUserAboutCell(*self, "TellUserAboutCellPirate", "HUMAN_RECEIVED_CELL_PIRATE",
                                   "HumanReceivesCellPirateMessage", "AI_REACTS_PLAYER_GOT_DEVIL"),
             true);
    AddState(new TellUserAboutCell(*self, "TellUserAboutCellTreasure", "HUMAN_RECEIVED_CELL_TREASURE",
                                   "HumanReceivesCellTreasureMessage", "AI_REACTS_PLAYER_GOT_TREASURE"),
             true);
    AddState(new CellRequest(*self, "WaitForMatch"), true);
    AddState(new S::WaitForSpin(*self), true);
    AddState(new S::WaitForSuperJokerMatch(*self), true);
    AddState(new S::WaitForCellJokerMatch(*self), true);
}

namespace WoppleHumanParticipantLogicStates {

// ---------------------------------------------------------------- questions

void Question::OnEnterState()
{
    const std::string price = m_WithPrice ? SpinPriceText(Logic()) : std::string();
    const std::string percent = m_WithPrice ? SpinPercentText(Logic()) : std::string();
    Logic().SayGameMessage(MessageId(m_Message), &m_Owner, price, percent, "");
    // The immediate free spin is a plain question, without the call for attention.
    if (std::string(m_Name) != "PromptForImmediateFreeSpinUsage")
        Sound::Play("attention4.ogg");
}

void Question::OnExitState()
{
    // The pirate's question ends with the treasure's scripts, not here.
    if (std::string(m_Name) != "PassOrKeepPirateOrTreasure")
        Logic().KillMessage(MessageId(m_Message), nullptr);
}

bool Question::OnButtonClick(const EventRecord& event)
{
    const std::string name = NameOfEventButton(event);
    for (const Answer& answer : m_Answers)
        if (name == answer.button) {
            m_Owner.SignalGameLogic(m_Motive, answer.action);
            return true;
        }
    return false;
}

// ---------------------------------------------------------------- the lever

bool WaitForSpin::OnMouseButtonDown(const EventRecord& event)
{
    if (event.button.button != SDL_BUTTON_RIGHT)
        return false;
    if (CocoDropButton* lever = Logic().GetCocoDropButton()) {
        lever->ManuallyPressButton();
        lever->ManuallyReleaseButton();
    }
    return true;
}

// ---------------------------------------------------------------- cells

bool CellRequest::Answer(const char* action, Event* event)
{
    LuaState lua = ObjectLuaState();
    LuaObject extra(lua);
    extra.AssignNewTable(lua);
    if (event && event->payload)
        extra.SetObject("cellSelectionData", *event->payload);
    m_Owner.SignalGameLogic(m_Name, action, extra);
    return true;
}

bool CellRequest::OnCountdownFinished(Event*)
{
    m_Owner.SignalGameLogic(m_Name, "timer expired");
    // The game logic's own countdown handling sees it too.
    return false;
}

void WaitForSuperJokerMatch::OnEnterState()
{
    Logic().SayGameMessage(MessageId("PROMPT_FOR_SUPER_JOKER_USAGE"), nullptr, "", "", "");
}

void WaitForSuperJokerMatch::OnExitState()
{
    Logic().KillMessage(MessageId("PROMPT_FOR_SUPER_JOKER_USAGE"), nullptr);
}

void WaitForCellJokerMatch::OnEnterState()
{
    WoppleOldSchoolBaseLogic& logic = Logic();
    auto* screen = dynamic_cast<WoppleScreen*>(logic.GetTargetScreen());
    auto* joker = dynamic_cast<Actor*>(logic.GetActiveCellJoker());
    if (logic.levelNumber == 2 && screen && joker && screen->IsTipNotShown("gameIntroduceFeature", "celljoker")) {
        const Rect r = joker->GetGlobalRect();
        screen->PointOutOneThing("gameIntroduceFeature", "celljoker", r.x + r.w / 2 - 5, r.y + r.h / 2, true);
        return;
    }
    logic.SayGameMessage(MessageId("PROMPT_FOR_CELL_JOKER_USAGE"), nullptr, "", "", "");
}

void WaitForCellJokerMatch::OnExitState()
{
    Logic().KillMessage(MessageId("PROMPT_FOR_CELL_JOKER_USAGE"), nullptr);
}

// ---------------------------------------------------------------- pirate and treasure

void TellUserAboutCell::Say(const char* message, const char* script)
{
    m_Speaker = Logic().SayGameMessage(MessageId(message), &m_Owner, "", "", "");
    m_Running = LuaObject();
    // The finished script reaches us only by its Lua self: note it while it runs.
    std::vector<Script*> scripts;
    if (m_Speaker && m_Speaker->FindScriptsWithTag(script, &scripts) > 0)
        m_Running = scripts.back()->GetLuaObject();
}

void TellUserAboutCell::OnEnterState()
{
    m_Reacting = false;
    Say(m_Message, m_Script);
}

void TellUserAboutCell::OnExitState()
{
    if (m_Speaker) {
        Logic().KillMessage(MessageId(m_Message), &m_Owner);
        Logic().KillMessage(MessageId(m_Reaction), &m_Owner);
    }
    m_Speaker = nullptr;
    m_Running = LuaObject();
}

bool TellUserAboutCell::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload)
        return false;
    const LuaObject& payload = *event->payload;
    auto* actor = dynamic_cast<Actor*>(Object::FromLuaObject(payload["actor"]));
    if (std::string(m_Name) == "TellUserAboutCellPirate")
        Log(3, "TellUserAboutCellPirate:OnActorScriptFinished: %s\n", actor ? actor->GetName().c_str() : "");
    if (!actor || actor != m_Speaker || m_Running.IsNil() || !(payload["script"] == m_Running))
        return false;
    if (!m_Reacting) {
        // The message is over; the speaker's reaction follows.
        m_Reacting = true;
        Say(m_Reaction, "AI_REACTS");
        return true;
    }
    m_Owner.SignalGameLogic(m_Name, "finished");
    return true;
}

} // namespace WoppleHumanParticipantLogicStates
