#include "game/rules/WopplePiratesFortuneGameLogic.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Actor.h"
#include "game/rules/WoppleAIParticipantLogic.h"
#include "game/rules/WoppleGameMessages.h"
#include "game/rules/WoppleHumanParticipantLogic.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleCharacter.h"
#include "game/views/WopplePowerupView.h"

#include <boost/format.hpp>

namespace {

// The message numbers the duel speaks itself.
enum
{
    kAskPirateAboutTreasureGame = 5,
    kDidNotCompleteLevel = 16,
    kGreatJob = 21,
    kNoMatches = 29,
    kPirateMyTurn = 31,
    kPirateWillUseFreeSpinLater = 32,
    kPirateWillUseFreeSpinNow = 33,
    kPiratesFortuneGameDescription = 34,
    kPiratesFortunePirateIntro = 35,
    kWaitForTurn = 46,
    kAIReactsCellTreasure = 47,
    kAIReactsCellPirate = 48,
    kPirateFortuneYouWon = 49,
    kPirateFortunePirateWon = 50,
    kPirateYar = 52,
    kPirateStopClicking = 53,
    kAIReactsPlayerGotTreasure = 54,
    kAIReactsPlayerGotDevil = 55,
};

// Clicks on the pirate before he loses his patience.
constexpr int kPirateClicksTolerated = 3;
// How often a no-match wait looks whether the pirate's line still runs.
constexpr uint32_t kSpeechWatchMs = 250;

Actor* ActorOf(WoppleTalkingCharacter* character)
{
    return character ? character->GetCharacterActor() : nullptr;
}

// The duel's speakers and lines: the girl keeps the round's own messages and
// the verdict, the pirate speaks for himself; everything else is the base's.
class PiratesFortuneMessages : public WoppleGameMessages
{
public:
    explicit PiratesFortuneMessages(WopplePiratesFortuneGameLogic& logic)
        : WoppleGameMessages(logic), m_Duel(logic)
    {
    }

    WoppleTalkingCharacter* GetSpeakerForMessage(int id) override
    {
        switch (id) {
        case kAskPirateAboutTreasureGame:
        case kDidNotCompleteLevel:
        case kGreatJob:
        case kPiratesFortuneGameDescription: return m_Girl;
        case kPirateMyTurn:
        case kNoMatches:
        case kPirateWillUseFreeSpinLater:
        case kPirateWillUseFreeSpinNow:
        case kPiratesFortunePirateIntro:
        case kWaitForTurn:
        case kAIReactsCellTreasure:
        case kAIReactsCellPirate:
        case kPirateFortuneYouWon:
        case kPirateFortunePirateWon:
        case kPirateYar:
        case kPirateStopClicking:
        case kAIReactsPlayerGotTreasure:
        case kAIReactsPlayerGotDevil: return m_Duel.GetPirateCharacter();
        default: return WoppleGameMessages::GetSpeakerForMessage(id);
        }
    }

    void PresentMessage(int id, WoppleTalkingCharacter* speaker, Object* listener, const std::string& text1,
                        const std::string& text2, const std::string& text3) override
    {
        // One line at a time from the pirate.
        if (WoppleCharacter* pirate = m_Duel.GetPirateCharacter())
            pirate->CloseBubble();
        Actor* actor = ActorOf(speaker);
        const bool pirateToPlay = m_Duel.GetCurrentParticipant() == WopplePiratesFortuneGameLogic::kPirate;
        switch (id) {
        case kAskPirateAboutTreasureGame:
            if (actor) {
                actor->RunScript("AskPirateAboutTreasureGame", "ASK_PIRATE_ABOUT_TREASURE_GAME");
                if (listener)
                    actor->AttachObserver(VELK_ACTORSCRIPTFINISHED, listener);
            }
            return;
        case kDidNotCompleteLevel:
        case kGreatJob:
            if (speaker) {
                const char* format = id == kGreatJob ? "%s, you beat the pirate!" : "%s, the pirate beat you!";
                const std::string name = WoppleGameMessages::CurrentPlayerName();
                speaker->Say((boost::format(PrintfToPositional(format)) % name).str(), 3000, "White", 0, 0);
            }
            return;
        case kNoMatches:
            if (Script* script = RunOnRoot(pirateToPlay ? "SayNO_MATCHES" : "SayNO_MATCHES_PLAYER", "Speaking", actor))
                script->AddTag("NO_MATCHES");
            return;
        case kPirateMyTurn: RunOnRoot("SayPirateMyTurn", "Speaking", actor); return;
        case kPirateWillUseFreeSpinLater: RunOnRoot("SayPIRATE_WILL_USE_FREE_SPIN_LATER", "Speaking", actor); return;
        case kPirateWillUseFreeSpinNow: RunOnRoot("SayPIRATE_WILL_USE_FREE_SPIN_NOW", "Speaking", actor); return;
        case kPiratesFortuneGameDescription:
            if (auto* girl = dynamic_cast<WoppleCharacter*>(actor))
                girl->SayWithOneButton("In Pirate's Fortune, you and the pirate will alternate turns.\n\n"
                                       "Whoever has the most points after 20 spins is the winner.\n\n",
                                       "Okay", "okayButton", 'o', &m_Duel, 0, "White");
            return;
        case kPiratesFortunePirateIntro:
            RunOnRoot("SayPiratesFortunePirateIntro", "PIRATES_FORTUNE_PIRATE_INTRO", actor);
            return;
        case kWaitForTurn:
            // He taps his fingers while the person takes their time.
            if (pirateToPlay)
                KillMessage(kWaitForTurn, listener);
            else if (actor)
                actor->RunScript("TapFingers", "WaitForTurn");
            return;
        case kAIReactsCellTreasure:
        case kAIReactsCellPirate:
        case kAIReactsPlayerGotTreasure:
        case kAIReactsPlayerGotDevil:
            if (actor) {
                actor->RunScript(ReactionScript(id), "AI_REACTS");
                if (listener)
                    actor->AttachObserver(VELK_ACTORSCRIPTFINISHED, listener);
            }
            return;
        case kPirateFortuneYouWon: RunOnRoot("SayPIRATE_I_LOST", "PIRATE_I_LOST", actor); return;
        case kPirateFortunePirateWon: RunOnRoot("SayPIRATE_I_WON", "PIRATE_I_WON", actor); return;
        case kPirateYar: RunOnRoot("SayPIRATE_YAR", "Speaking", actor); return;
        case kPirateStopClicking: RunOnRoot("SayPIRATE_STOP_CLICKING", "Speaking", actor); return;
        default: WoppleGameMessages::PresentMessage(id, speaker, listener, text1, text2, text3); return;
        }
    }

    void KillMessage(int id, Object* listener) override
    {
        Actor* actor = ActorOf(GetSpeakerForMessage(id));
        switch (id) {
        case kAskPirateAboutTreasureGame: Log(3, "KillMessage ASK_PIRATE_ABOUT_TREASURE_GAME\n"); return;
        case kWaitForTurn:
            if (actor) {
                actor->StopScriptsWithTag("WaitForTurn");
                actor->RunScript("ResetFingers", "");
            }
            return;
        case kAIReactsCellTreasure:
        case kAIReactsCellPirate:
        case kPirateFortuneYouWon:
        case kPirateFortunePirateWon:
        case kAIReactsPlayerGotTreasure:
        case kAIReactsPlayerGotDevil:
            if (actor && listener)
                actor->DetachObserver(VELK_ACTORSCRIPTFINISHED, listener);
            return;
        default: WoppleGameMessages::KillMessage(id, listener); return;
        }
    }

private:
    // "%s" as the positional "%1%" of boost::format.
    static std::string PrintfToPositional(const char* format)
    {
        std::string text = format;
        text.replace(text.find("%s"), 2, "%1%");
        return text;
    }

    static const char* ReactionScript(int id)
    {
        switch (id) {
        case kAIReactsCellTreasure: return "SayAI_REACTS_CELL_TREASURE";
        case kAIReactsCellPirate: return "SayAI_REACTS_CELL_PIRATE";
        case kAIReactsPlayerGotTreasure: return "SayAI_REACTS_PLAYER_GOT_TREASURE";
        default: return "SayAI_REACTS_PLAYER_GOT_DEVIL";
        }
    }

    // A speech run on the root actor with the speaker to say it; nothing
    // without a speaker (a layout without the pirate).
    Script* RunOnRoot(const char* script, const char* tag, Actor* speaker)
    {
        Actor* root = m_Duel.GetRootActor();
        if (!root || !speaker)
            return nullptr;
        Script* s = root->RunScript(script, tag);
        s->AddArgument(speaker);
        return s;
    }

    WopplePiratesFortuneGameLogic& m_Duel;
};

void Method(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

void WopplePiratesFortuneGameLogicClassHook(Class* c)
{
    Method(c, "GetHumanScore", WopplePiratesFortuneGameLogic::Script_GetHumanScore);
    Method(c, "GetAIScore", WopplePiratesFortuneGameLogic::Script_GetAIScore);
}

} // namespace

// Quest levels name it in their table ("class").
VELK_REGISTER_CLASS(WopplePiratesFortuneGameLogic, "WoppleOldSchoolBaseLogic", WopplePiratesFortuneGameLogicClassHook,
                    InstantiateObjectOfClass<WopplePiratesFortuneGameLogic>);

WopplePiratesFortuneGameLogic::WopplePiratesFortuneGameLogic()
{
    m_Messages = std::make_unique<PiratesFortuneMessages>(*this);
}

WopplePiratesFortuneGameLogic::~WopplePiratesFortuneGameLogic()
{
    try {
        ForgetPirate();
    } catch (...) {
        LogWrite("WARNING: WopplePiratesFortuneGameLogic::~WopplePiratesFortuneGameLogic: %s\n",
                 CurrentExceptionMessage().c_str());
    }
}

void WopplePiratesFortuneGameLogic::ForgetPirate()
{
    // The pirate keeps his listeners as plain pointers and outlives us until
    // the deletion phase.
    if (m_PirateCharacter && GetRootActor())
        m_PirateCharacter->RemoveFromGroup(this);
    m_PirateCharacter = nullptr;
}

void WopplePiratesFortuneGameLogic::Stop()
{
    ForgetPirate();
    WoppleOldSchoolBaseLogic::Stop();
}

void WopplePiratesFortuneGameLogic::CreateStates()
{
    using namespace PiratesFortuneStates;
    WoppleOldSchoolBaseLogic::CreateStates();
    AddState(new PiratesFortuneStates::ExplainGame(*this), true);
    AddState(new PiratesFortuneStates::NextPlayer(*this), true);
    AddState(new PiratesFortuneStates::NoMatches(*this), true);
    AddState(new PiratesFortuneStates::RouteSpinCompletion(*this), true);
    AddState(new PirateIntro(*this), true);
    AddState(new PromptForImmediateFreeSpinUsage(*this), true);
}

void WopplePiratesFortuneGameLogic::CreateBoardViews()
{
    Actor* root = GetRootActor();
    auto* board = root ? dynamic_cast<WoppleBoardView*>(root->FindChild("theBoard", true)) : nullptr;
    if (!board) {
        LogWrite("WARNING: The Pirate's Fortune layout has no board \"theBoard\"\n");
        return;
    }
    board->boardIndex = 1;
    board->AttachObserver(WOPPLE_CELLCLICK, this);
    m_BoardViews.push_back(board);
}

void WopplePiratesFortuneGameLogic::InitControls()
{
    ApplyBoolProperty("enableBonusTimer", false);
    WoppleOldSchoolBaseLogic::InitControls();
    Actor* root = GetRootActor();
    m_PirateCharacter = root ? dynamic_cast<WoppleCharacter*>(root->FindChild("pirateCharacter", true)) : nullptr;
    if (m_PirateCharacter)
        m_PirateCharacter->AddToGroup(this);
    else if (root)
        LogWrite("WARNING: The Pirate's Fortune layout has no \"pirateCharacter\"\n");
}

void WopplePiratesFortuneGameLogic::SetLevelName()
{
    WoppleOldSchoolBaseLogic::SetLevelName();
    m_Duel = true;
    m_PirateClickCount = 0;
    // The scores' reset glowed on both signs: only the side to play glows.
    SetCurrentParticipant(GetCurrentParticipant());
}

void WopplePiratesFortuneGameLogic::InitParticipants()
{
    m_NumParticipants = 2;
    WoppleOldSchoolBaseLogic::InitParticipants();
}

WoppleParticipantLogic* WopplePiratesFortuneGameLogic::CreateParticipantLogic(int index)
{
    if (index == static_cast<int>(kHuman))
        return new WoppleHumanParticipantLogic();
    if (index == static_cast<int>(kPirate))
        return new WoppleAIParticipantLogic();
    VELK_ASSERT_MSG(false, (boost::format("Invalid participant index: %1%") % index).str());
    return nullptr;
}

void WopplePiratesFortuneGameLogic::SetCurrentParticipant(std::uint32_t index)
{
    WoppleOldSchoolBaseLogic::SetCurrentParticipant(index);
    Actor* root = GetRootActor();
    if (!root)
        return;
    for (std::uint32_t i = kHuman; i <= kPirate; ++i) {
        Actor* sign = root->FindChild((boost::format("scoreLabelContainer_%1%") % i).str(), true);
        if (!sign)
            continue;
        if (Actor* blink = sign->FindChild("scoreBlink", true)) {
            // The score counter fades the same glow while it counts: the turn wins.
            blink->StopFade();
            blink->SetAlpha(255);
            blink->SetVisible(i == index, false);
        }
        // The counter leaves the rim alone: it marks the turn until it passes.
        if (Actor* rim = sign->FindChild("turnGlow", true))
            rim->SetVisible(i == index, false);
    }
}

bool WopplePiratesFortuneGameLogic::IsLevelGoalMet()
{
    return GetScore(kHuman) > GetScore(kPirate);
}

std::string WopplePiratesFortuneGameLogic::GetLevelGoalText()
{
    return "You must out-score the pirates\nto unlock the next round.";
}

bool WopplePiratesFortuneGameLogic::OnButtonClick(const EventRecord& event)
{
    if (ButtonName(event) != "pirateCharacter")
        return WoppleOldSchoolBaseLogic::OnButtonClick(event);
    ++m_PirateClickCount;
    SayGameMessage(m_PirateClickCount > kPirateClicksTolerated ? kPirateStopClicking : kPirateYar, nullptr, "", "",
                   "");
    return true;
}

int WopplePiratesFortuneGameLogic::Script_GetHumanScore(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* logic = RequireScriptObject<WopplePiratesFortuneGameLogic>(L, 1, "a Pirate's Fortune game logic");
        lua_pushnumber(L, static_cast<lua_Number>(logic->GetScore(kHuman)));
        return 1;
    });
}

int WopplePiratesFortuneGameLogic::Script_GetAIScore(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* logic = RequireScriptObject<WopplePiratesFortuneGameLogic>(L, 1, "a Pirate's Fortune game logic");
        lua_pushnumber(L, static_cast<lua_Number>(logic->GetScore(kPirate)));
        return 1;
    });
}

// ---------------------------------------------------------------- states

namespace PiratesFortuneStates {

namespace {

std::string UnknownAction(const std::string& action, const std::string& motive)
{
    return (boost::format("Unknown action=\"%1%\", motive=\"%2%\"") % action % motive).str();
}

} // namespace

void PirateIntro::OnEnterState()
{
    m_Owner.SayGameMessage(kPiratesFortunePirateIntro, &m_Owner, "", "", "");
    GoToNextState();
}

void RouteSpinCompletion::OnEnterState()
{
    // A free spin is no use once the board is full or the spins are played.
    const bool canSpinAgain = !m_Owner.AllBoardsFull(true) && m_Owner.GetSpinCount() < m_Owner.GetSpinsPerLevel();
    m_Owner.SetState(canSpinAgain && m_Owner.freeSpinsWonThisSpin > 0 ? "PromptForImmediateFreeSpinUsage"
                                                                        : "NextPlayer");
}

void PromptForImmediateFreeSpinUsage::OnEnterState()
{
    m_Owner.RequestOfParticipant("PromptForImmediateFreeSpinUsage");
}

void PromptForImmediateFreeSpinUsage::OnExitState()
{
    m_Owner.ReturnParticipantToIdle();
}

bool PromptForImmediateFreeSpinUsage::OnParticipantAction(Event* event)
{
    const std::string motive = PayloadString(event, "motive");
    const std::string action = PayloadString(event, "action");
    VELK_ASSERT(motive == "PromptForImmediateFreeSpinUsage");
    if (action == "use free spin") {
        m_Owner.SetFreeSpins(m_Owner.GetFreeSpins(WoppleOldSchoolBaseLogic::kNoParticipant) - 1,
                             WoppleOldSchoolBaseLogic::kNoParticipant);
        if (WopplePowerupView* bar = m_Owner.GetPowerupView(-1))
            bar->RemoveFreeSpin();
        // The same side spins again, and that spin is paid for.
        m_Owner.SetFreeSpin(true);
        m_Owner.SetState("NextSpin");
    } else if (action == "don't use free spin") {
        m_Owner.SetState("NextPlayer");
    } else {
        VELK_ASSERT_MSG(false, UnknownAction(action, motive));
    }
    return true;
}

void NextPlayer::OnEnterState()
{
    if (!m_Owner.AllBoardsFull(true)) {
        const std::uint32_t current = m_Owner.GetCurrentParticipant();
        VELK_ASSERT(current == WopplePiratesFortuneGameLogic::kHuman || current == WopplePiratesFortuneGameLogic::kPirate);
        if (current == WopplePiratesFortuneGameLogic::kHuman) {
            m_Owner.SetCurrentParticipant(WopplePiratesFortuneGameLogic::kPirate);
            m_Owner.SayGameMessage(kPirateMyTurn, nullptr, "", "", "");
        } else {
            m_Owner.SetCurrentParticipant(WopplePiratesFortuneGameLogic::kHuman);
        }
    }
    GoToNextState();
}

void NoMatches::OnEnterState()
{
    m_Speech = LuaObject();
    if (m_Owner.GetSpinCount() == m_Owner.GetSpinsPerLevel()) {
        GoToNextState();
        return;
    }
    m_Owner.SayGameMessage(kNoMatches, &m_Owner, "", "", "");
    m_Owner.PlayGameSound("C_bonk.ogg");
    // His line ends the wait; the end arrives after the script object is gone.
    std::vector<Script*> speeches;
    if (Actor* root = m_Owner.GetRootActor(); root && root->FindScriptsWithTag("NO_MATCHES", &speeches) > 0)
        m_Speech = speeches.back()->GetLuaObject();
    if (m_Speech.IsNil())
        GoToNextState();
    else
        m_Watch.CreateOrRestart(&m_Owner, kSpeechWatchMs, -1, TIMER_LIMITED_TO_FRAMERATE);
}

void NoMatches::OnExitState()
{
    m_Watch.Free();
    m_Speech = LuaObject();
}

bool NoMatches::SpeechStillRuns() const
{
    std::vector<Script*> speeches;
    Actor* root = m_Owner.GetRootActor();
    if (!root || root->FindScriptsWithTag("NO_MATCHES", &speeches) == 0)
        return false;
    for (Script* speech : speeches)
        if (speech->GetLuaObject() == m_Speech)
            return true;
    return false;
}

bool NoMatches::OnTimer(const EventRecord& event)
{
    if (!m_Watch.IsFrom(event))
        return false;
    if (!m_Speech.IsNil() && !SpeechStillRuns())
        GoToNextState();
    return true;
}

bool NoMatches::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload || m_Speech.IsNil())
        return false;
    const LuaObject& payload = *event->payload;
    if (!(payload["script"] == m_Speech))
        return false;
    GoToNextState();
    return true;
}

} // namespace PiratesFortuneStates
