#include "game/rules/OldSchoolStates.h"

#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Dialog.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/shell/WoppleDialogs.h"
#include "game/shell/WoppleScreen.h"
#include "game/views/CocoDropButton.h"
#include "game/views/WoppleCharacter.h"
#include "game/views/WopplePowerupView.h"

#include <boost/format.hpp>

namespace OldSchoolStates {

namespace {

constexpr int kLevelIntroMessage = 27;
constexpr std::uint32_t kExplainPauseMs = 500;

bool ClosesCherub(const std::string& name)
{
    return name == "cherubOkayButton" || name == "cherubSkipButton" || name == "cherubBucketGuy" ||
           name == "SpeechBubbleCloseButton";
}

std::string StringOr(const LuaObject& value, const std::string& otherwise)
{
    return value.IsString() ? value.GetString() : otherwise;
}

bool IsSet(const LuaObject& value)
{
    return !value.IsNil();
}

} // namespace

void Base::GoToNextState()
{
    if (*m_Next)
        m_Owner.SetState(m_Next);
}

// ---------------------------------------------------------------- InitialState

void InitialState::OnEnterState()
{
    m_Owner.SetLevelName();
    if (Actor* girl = m_Owner.GetCherubGirl())
        girl->RunScript("GirlIdle", "Girl");
    GoToNextState();
}

// ---------------------------------------------------------------- LevelIntroDialog

void LevelIntroDialog::OnEnterState()
{
    Log(3, "m_LevelNumber = %d\n", m_Owner.levelNumber);
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->PlayMidi("Wopple.mid", m_Owner.levelMusic + " Intro", false);

    const int level = m_Owner.levelNumber;
    WoppleScreen* screen = m_Owner.GetTargetScreen();
    if (level == 0) {
        if (!screen || screen->IsTipShown("ClassicGame", "levelIntroDialog")) {
            GoToNextState();
            return;
        }
        LuaObject table = ObjectLuaState().GetGlobal("WoppleClassicLevel");
        const std::string title =
            table.IsTable() ? StringOr(table["levelIntroTitle"], "Welcome To Classic") : "Welcome To Classic";
        const std::string text = table.IsTable() ? StringOr(table["levelIntroDialog"], "") : "";
        screen->MarkTipShown("ClassicGame", "levelIntroDialog");
        if (!ShowIntro(title, text))
            GoToNextState();
        return;
    }
    if (level < 0) {
        GoToNextState();
        return;
    }

    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetCurrentPlayer(1) : nullptr;
    LuaObject mode = player ? player->GetGameModeTable(m_Owner.GetNameOfGameMode()) : LuaObject();
    LuaObject record;
    if (mode.IsTable()) {
        LuaObject records = mode["LevelRecords"];
        if (!records.IsTable())
            records = mode.CreateTable("LevelRecords");
        record = records[level];
        if (!record.IsTable()) {
            record.AssignNewTable(ObjectLuaState());
            records.SetObject(level, record);
        }
    }
    LuaObject seen = record.IsTable() ? record["seenIntro"] : LuaObject();
    if (seen.IsBoolean() && seen.GetBoolean()) {
        GoToNextState();
        return;
    }
    LuaObject text = m_Owner.RetrieveProperty("levelIntroDialog");
    if (!text.IsString()) {
        GoToNextState();
        return;
    }
    const std::string title = StringOr(m_Owner.RetrieveProperty("levelIntroTitle"), "Level Introduction");
    if (record.IsTable()) {
        record.SetBoolean("seenIntro", true);
        if (GameDataIO* io = GameDataIO::GetInstance())
            io->SaveAllPlayerData();
    }
    if (!ShowIntro(title, text.GetString()))
        GoToNextState();
}

bool LevelIntroDialog::ShowIntro(const std::string& title, const std::string& text)
{
    Screen* screen = m_Owner.GetTargetScreen();
    if (!screen)
        return false;
    screen->StartDialog(new WoppleBigHelpDialog(title, text), true);
    return true;
}

bool LevelIntroDialog::OnDialogStopped(const EventRecord& event)
{
    auto* dialog = static_cast<Dialog*>(event.user.data1);
    if (!dialog || dialog->GetName() != "WoppleHelpDialog")
        return false;
    GoToNextState();
    return true;
}

// ---------------------------------------------------------------- AssignNumbers

void AssignNumbers::OnEnterState()
{
    Actor* root = m_Owner.GetRootActor();
    if (CocoDropButton* lever = m_Owner.GetCocoDropButton())
        lever->SetVisible(false);
    if (!root)
        return;
    Script* script = root->RunScript("DisplayLevelActors", "");
    script->AddArgument(&m_Owner);
    script->AddArgument(m_Owner.GetAssignedNumbers());
    script->AddArgument(m_Owner.GetTargetScreen());
    m_Script = script->GetLuaObject();
}

void AssignNumbers::OnExitState()
{
    m_Script = LuaObject();
    if (Actor* root = m_Owner.GetRootActor())
        root->StopScriptsWithTag("DisplayLevelActors");
}

bool AssignNumbers::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload || m_Script.IsNil())
        return false;
    const LuaObject& payload = *event->payload;
    Actor* root = m_Owner.GetRootActor();
    if (!root || Object::FromLuaObject(payload["actor"]) != root || !(payload["script"] == m_Script))
        return false;
    m_Owner.SetState("ExplainGame");
    return true;
}

// ---------------------------------------------------------------- ExplainGame

void ExplainGame::OnEnterState()
{
    struct Feature
    {
        const char* page;
        const char* word;
        bool on;
        const char* powerup;
    };
    WoppleOldSchoolBaseLogic& l = m_Owner;
    auto has = [&l](const char* key) { return IsSet(l.RetrieveProperty(key)); };
    const Feature features[] = {
        {"Explain.WheelMultipliers", "ExplainWord.WheelMultipliers", l.wheelMultipliers, nullptr},
        {"Explain.AllowBounceWopples", "ExplainWord.AllowBounceWopples", l.bounceWopples, "BounceWopples"},
        {"Explain.CellMultipliers", "ExplainWord.CellMultipliers", has("cellMultipliers"), nullptr},
        {"Explain.AllSpinsFree", "ExplainWord.AllSpinsFree", l.allSpinsFree, "AllSpinsFree"},
        {"Explain.CellDevilProtection", "ExplainWord.CellDevilProtection",
         has("cellDevilProtection") || l.wheelDevilProtection, nullptr},
        {"Explain.CellCoins", "ExplainWord.CellCoins", has("cellCoins"), nullptr},
        {"Explain.CellJokers", "ExplainWord.CellJokers", has("cellJokers"), nullptr},
        {"Explain.BonusSquares", "ExplainWord.BonusSquares", has("bonusSquares"), "BonusFrog"},
        {"Explain.TimeLimit", "ExplainWord.TimeLimit", l.timeLimitted, nullptr},
        {"Explain.WoppleVision", "ExplainWord.WoppleVision", has("cellWoppleVision") || l.wheelWoppleVision, nullptr},
        {"Explain.CellDevils", "ExplainWord.CellDevils", has("cellDevils") || has("cellDevilCherubs"), nullptr},
        {"Explain.CellFreeSpins", "ExplainWord.CellFreeSpins", has("cellFreeSpins"), nullptr},
    };

    m_Pages.clear();
    m_Explanation = ReadGameText("ExplainWord.Start");
    WopplePowerupView* bar = nullptr;
    if (l.GetCurrentParticipant() < l.GetParticipants().size())
        bar = l.GetParticipants()[l.GetCurrentParticipant()].powerupView;
    for (const Feature& feature : features) {
        if (!feature.on)
            continue;
        m_Pages.push_back(ReadGameText(feature.page));
        m_Explanation = (boost::format("%1% %2%") % m_Explanation % ReadGameText(feature.word)).str();
        if (feature.powerup && bar)
            bar->AddPowerup("", feature.powerup, 0);
    }
    m_Explanation += ReadGameText("ExplainWord.End");
    if (!m_Pages.empty())
        m_Pages.assign(1, m_Explanation);

    if (!ShowNextPage()) {
        GoToNextState();
        return;
    }
    StartTimer();
}

void ExplainGame::OnExitState()
{
    m_Timer.Free();
}

void ExplainGame::StartTimer()
{
    m_Timer.CreateOrRestart(&m_Owner, kExplainPauseMs, 1, TIMER_LIMITED_TO_FRAMERATE);
}

bool ExplainGame::ShowNextPage()
{
    if (m_Pages.empty())
        return false;
    auto* cherub = dynamic_cast<WoppleCharacter*>(m_Owner.GetCherubBucketGuy());
    const std::string page = m_Pages.back();
    m_Pages.pop_back();
    if (!cherub)
        return true;
    if (!cherub->IsVisible())
        cherub->RunScript("GuyCherubPopOut", "Babble");
    if (m_Pages.empty())
        cherub->SayWithCloseButton(page, &m_Owner, 0, "White");
    else
        cherub->SayWithButtons(page, "Okay", "cherubOkayButton", 'o', "Skip", "cherubSkipButton", 's',
                               static_cast<Object*>(&m_Owner), 0.0, "White");
    cherub->RunScript("Babble", "Babble");
    return true;
}

bool ExplainGame::OnButtonClick(const EventRecord& event)
{
    if (!ClosesCherub(ButtonName(event)))
        return false;
    m_Owner.CloseCherubSpeech();
    StartTimer();
    return true;
}

bool ExplainGame::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    m_Timer.Free();
    GoToNextState();
    return true;
}

// ---------------------------------------------------------------- WaitingForGameStart

void WaitingForGameStart::OnEnterState()
{
    m_Owner.PresentSpinLever(true);
    m_Owner.SayGameMessage(kLevelIntroMessage, nullptr, "", "", "");
    WoppleScreen* screen = m_Owner.GetTargetScreen();
    if (screen && (m_Owner.levelNumber == 0 || m_Owner.levelNumber == 1))
        screen->PointOutNoButtonOneThing("gameWalkthrough", "spin");
    Sound::Play("C_takespin.ogg");
}

void WaitingForGameStart::OnExitState()
{
    m_Owner.PresentSpinLever(false);
    if (WoppleScreen* screen = m_Owner.GetTargetScreen())
        screen->ClosePointOut("gameWalkthrough", "spin");
    m_Owner.CloseCherubSpeech();
}

bool WaitingForGameStart::OnButtonClick(const EventRecord& event)
{
    const std::string name = ButtonName(event);
    if (name == "cocoDropButton") {
        m_Owner.SetState("StartGame");
        return true;
    }
    if (!ClosesCherub(name))
        return false;
    m_Owner.CloseCherubSpeech();
    return true;
}

bool WaitingForGameStart::OnMouseButtonDown(const EventRecord& event)
{
    if (event.button.button != SDL_BUTTON_RIGHT)
        return false;
    if (CocoDropButton* lever = m_Owner.GetCocoDropButton()) {
        lever->ManuallyPressButton();
        lever->ManuallyReleaseButton();
    }
    return true;
}

// ---------------------------------------------------------------- StartGame

void StartGame::OnEnterState()
{
    m_Owner.GetRoundStopwatch().Start();
    GoToNextState();
}

} // namespace OldSchoolStates
