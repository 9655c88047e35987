#include "game/rules/WoppleAIParticipantLogic.h"

#include "engine/core/Exception.h"
#include "engine/core/Script.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Button.h"
#include "engine/ui/SpeechBubble.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleHumanParticipantLogic.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WopplePiratesFortuneGameLogic.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleCharacter.h"

VELK_REGISTER_CLASS(WoppleAIParticipantLogic, "WoppleParticipantLogic", nullptr,
                    InstantiateObjectOfClass<WoppleAIParticipantLogic>);

namespace {

// Tag of every decision script.
const char* const kDecisionTag = "AI";

int MessageId(const char* name)
{
    return WoppleGameMessages::GetMessageId(name);
}

// A button takes or ignores the person's mouse and keys.
void IgnorePerson(Button* button, bool ignore)
{
    if (button)
        button->SetIgnoreUserInput(ignore);
}

} // namespace

void WoppleAIParticipantLogic::CreateStates()
{
    namespace S = WoppleAIParticipantLogicStates;
    using S::Decision;
    using Tell = WoppleHumanParticipantLogicStates::TellUserAboutCell;
    auto* self = static_cast<WoppleParticipantLogic*>(this);
    AddState(new CommonParticipantLogic::Idle(*self), true);
    AddState(new S::PassOrKeepPirateOrTreasure(*this), true);
    AddState(new Decision(*this, "PromptForFreeSpinWithCashOut", "AI_ChooseToBuyOrUseFreeSpinOrCashOut",
                          Decision::LogicAndSelf),
             true);
    AddState(new S::PromptForBuyWithCashOut(*this), true);
    AddState(new Decision(*this, "PromptForFreeSpin", "AI_ChooseToBuyOrUseFreeSpin", Decision::LogicAndSelf), true);
    // The cherub tells of the pirate's chest, then the pirate reacts.
    AddState(new Tell(*self, "TellUserAboutCellPirate", "AI_RECEIVED_CELL_PIRATE", "AIReceivesCellPirateMessage",
                      "AI_REACTS_CELL_PIRATE"),
             true);
    AddState(new Tell(*self, "TellUserAboutCellTreasure", "AI_RECEIVED_CELL_TREASURE",
                      "AIReceivesCellTreasureMessage", "AI_REACTS_CELL_TREASURE"),
             true);
    AddState(new S::WaitForSpin(*this), true);
    for (const char* name : {"WaitForMatch", "WaitForSuperJokerMatch", "WaitForCellJokerMatch"})
        AddState(new Decision(*this, name, "AI_ChooseAndSelectCell", Decision::MotiveLogicAndSelf), true);
    AddState(new Decision(*this, "PromptForImmediateFreeSpinUsage", "AI_DecideOnImmediateFreeSpinUsage",
                          Decision::LogicAndSelf),
             true);
}

Script* WoppleAIParticipantLogic::RunDecision(const char* function)
{
    Actor* root = m_GameLogic ? m_GameLogic->GetRootActor() : nullptr;
    return root ? root->RunScript(function, kDecisionTag) : nullptr;
}

void WoppleAIParticipantLogic::StopDecisions()
{
    // A decision that answers stops itself here; the script list lets it end its step.
    if (Actor* root = m_GameLogic ? m_GameLogic->GetRootActor() : nullptr)
        root->StopScriptsWithTag(kDecisionTag);
}

namespace WoppleAIParticipantLogicStates {

// ---------------------------------------------------------------- decisions

void Decision::OnEnterState()
{
    Script* script = m_AI.RunDecision(m_Function);
    if (!script)
        return;
    if (m_Arguments == MotiveLogicAndSelf)
        script->AddArgument(std::string(m_Name));
    script->AddArgument(&Logic());
    script->AddArgument(&m_Owner);
}

void Decision::OnExitState()
{
    m_AI.StopDecisions();
}

// ---------------------------------------------------------------- the lever

void WaitForSpin::OnEnterState()
{
    CommonParticipantLogic::WaitForSpin::OnEnterState();
    CocoDropButton* lever = Logic().GetCocoDropButton();
    IgnorePerson(lever, true);
    if (Script* script = m_AI.RunDecision("AI_WaitForSpin"))
        script->AddArgument(lever);
}

void WaitForSpin::OnExitState()
{
    m_AI.StopDecisions();
    IgnorePerson(Logic().GetCocoDropButton(), false);
    CommonParticipantLogic::WaitForSpin::OnExitState();
}

// ---------------------------------------------------------------- buy or cash out

void PromptForBuyWithCashOut::OnEnterState()
{
    CommonParticipantLogic::PromptForBuyWithCashOut::OnEnterState();
    m_BuyButton = m_CashOutButton = nullptr;
    // The question's buttons live in the speaker's bubble.
    auto* speaker = dynamic_cast<WoppleCharacter*>(m_Message);
    if (Actor* bubble = speaker ? speaker->GetBubble() : nullptr) {
        m_BuyButton = dynamic_cast<Button*>(bubble->FindChild("buyButton", true));
        m_CashOutButton = dynamic_cast<Button*>(bubble->FindChild("cashOutButton", true));
    }
    IgnorePerson(m_BuyButton, true);
    IgnorePerson(m_CashOutButton, true);
    if (Script* script = m_AI.RunDecision("AI_DecideOnBuyOrCashOut")) {
        script->AddArgument(&Logic());
        script->AddArgument(m_BuyButton);
        script->AddArgument(m_CashOutButton);
        // Without the question on screen the decision answers directly.
        script->AddArgument(&m_Owner);
    }
}

void PromptForBuyWithCashOut::OnExitState()
{
    m_AI.StopDecisions();
    IgnorePerson(m_BuyButton, false);
    IgnorePerson(m_CashOutButton, false);
    m_BuyButton = m_CashOutButton = nullptr;
    CommonParticipantLogic::PromptForBuyWithCashOut::OnExitState();
}

// ---------------------------------------------------------------- the treasure chest

void PassOrKeepPirateOrTreasure::OnEnterState()
{
    m_Question = LuaObject();
    m_Speaker = Logic().SayGameMessage(MessageId("ASK_PIRATE_ABOUT_TREASURE_GAME"), &m_Owner, "", "", "");
    std::vector<Script*> scripts;
    if (m_Speaker && m_Speaker->FindScriptsWithTag("ASK_PIRATE_ABOUT_TREASURE_GAME", &scripts) > 0)
        m_Question = scripts.back()->GetLuaObject();
}

void PassOrKeepPirateOrTreasure::OnExitState()
{
    m_AI.StopDecisions();
    if (m_Speaker)
        m_Speaker->DetachObserver(VELK_ACTORSCRIPTFINISHED, &m_Owner);
    m_Speaker = nullptr;
    m_Question = LuaObject();
}

bool PassOrKeepPirateOrTreasure::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload || m_Question.IsNil() || !((*event->payload)["script"] == m_Question))
        return false;
    m_Question = LuaObject();
    Logic().KillMessage(MessageId("ASK_PIRATE_ABOUT_TREASURE_GAME"), nullptr);
    WoppleOldSchoolBaseLogic* gameLogic = &Logic();
    auto* duel = dynamic_cast<WopplePiratesFortuneGameLogic*>(gameLogic);
    if (!duel)
        throw Exception(__FILE__, __LINE__,
                        "WoppleAIParticipantLogicStates::PassOrKeepPirateOrTreasure::OnActorScriptFinished",
                        __DATE__, __TIME__,
                        AssertionText("dynamic_cast<WopplePiratesFortuneGameLogic *>(gameLogic) != 0"));
    if (Script* script = m_AI.RunDecision("AI_PassOrKeepPirateOrTreasure")) {
        script->AddArgument(duel);
        script->AddArgument(&m_Owner);
        script->AddArgument(duel->GetPirateCharacter());
        script->AddArgument(WoppleGameMessages::CurrentPlayerName());
    }
    return true;
}

} // namespace WoppleAIParticipantLogicStates
