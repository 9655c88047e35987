#include "game/rules/OldSchoolEndStates.h"

#include "engine/core/Log.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/views/CocoDropButton.h"
#include "engine/core/TimerManager.h"
#include "engine/core/Script.h"
#include "engine/core/Exception.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/TopRecords.h"
#include "engine/ui/Dialog.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/rules/WoppleTalkingCharacter.h"
#include "game/shell/WoppleAwardDialog.h"
#include "game/shell/WoppleDialogs.h"
#include "game/shell/WoppleEndLevelDialog.h"
#include "game/shell/WoppleGameStart.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScoreRecords.h"
#include "game/shell/WoppleScreen.h"

#include <boost/format.hpp>

#include <memory>
#include <vector>

namespace {

constexpr int kAskAboutPlayingAgain = 4;

Player* CurrentPlayer()
{
    PlayerManager* players = PlayerManager::GetInstance();
    return players ? players->GetCurrentPlayer(1) : nullptr;
}

std::int32_t IntegerOr(const LuaObject& value, std::int32_t otherwise)
{
    return value.IsInteger() ? value.GetInteger() : otherwise;
}

// The list answering to the key, or null: a missing list counts as empty
// rather than failing the end of the round.
TopRecordsList* FindTopList(const std::string& key)
{
    TopRecordsManager* manager = TopRecordsManager::GetInstance();
    std::vector<TopRecordsList*> lists;
    if (manager)
        manager->GetLists(lists);
    for (TopRecordsList* list : lists)
        if (list->MatchesKey(key))
            return list;
    return nullptr;
}

// The player's best score of a quest level, 0 without one.
std::int64_t PreviousBestScore(Player& player, int level)
{
    TopRecordsList* list =
        FindTopList(PlayerLevelListKey(player.GetTable()["guid"].GetInteger(), WopplePlayer::kQuestMode, level));
    if (!list || list->GetNumRecords() < 1)
        return 0;
    const LuaObject score = list->GetRecord(0).GetTable()["gameScore"];
    return score.IsNumber() ? TruncateToInt64(score.GetNumber()) : 0;
}

} // namespace

namespace OldSchoolStates {

namespace {

constexpr int kWow = 42;
constexpr int kGreatJob = 21;
constexpr int kDidNotCompleteLevel = 16;
constexpr int kPirateFortuneYouWon = 49;
constexpr int kPirateFortunePirateWon = 50;

void StopGirlSpeaking(WoppleOldSchoolBaseLogic& logic)
{
    if (Actor* girl = logic.GetCherubGirl())
        girl->StopScriptsWithTag("Speaking");
}

// The duel's verdict: the winner's score sign lights up with a burst.
void LightWinnersSign(WoppleOldSchoolBaseLogic& logic, int winner)
{
    Actor* root = logic.GetRootActor();
    if (!root)
        return;
    Actor* sign = root->FindChild((boost::format("scoreLabelContainer_%1%") % winner).str(), true);
    Actor* other = root->FindChild((boost::format("scoreLabelContainer_%1%") % (1 - winner)).str(), true);
    if (sign) {
        if (auto* screen = dynamic_cast<WoppleGameScreen*>(logic.GetTargetScreen())) {
            const Rect r = sign->GetGlobalRect();
            screen->StartParticleEmitter("RainbowBurstEffect", r.x + r.w / 2, r.y + r.h / 2);
        }
        if (Actor* blink = sign->FindChild("scoreBlink", true))
            blink->SetVisible(true, false);
    }
    if (other)
        if (Actor* blink = other->FindChild("scoreBlink", true))
            blink->SetVisible(false, false);
}

} // namespace

// ---------------------------------------------------------------- ProcessFullBoards

std::int64_t ProcessFullBoards::FullBoardBonus(std::int32_t fullBoardScore, std::int32_t spin)
{
    return fullBoardScore + (fullBoardScore / 4) * std::max(0, 20 - spin);
}

void ProcessFullBoards::StartFullBoardsAnimation()
{
    VELK_ASSERT(m_NumScriptsPending == 0);
    Actor* root = m_Owner.GetRootActor();
    Script* script = root ? root->RunScript("ShowBoardCompletionFX_Expand", "FullBoardCompletion") : nullptr;
    if (!script)
        return;
    script->AddArgument(&m_Owner);
    script->AddArgument(m_Owner.GetTargetScreen());
    // The end arrives after the script object is gone: its Lua object tells it.
    m_Script = script->GetLuaObject();
    ++m_NumScriptsPending;
}

void ProcessFullBoards::OnEnterState()
{
    m_NumScriptsPending = 0;
    StartFullBoardsAnimation();
    m_Owner.SayGameMessage(kWow, nullptr, "", "", "");
    Rect r(0, 0, 800, 600);
    if (Screen* screen = m_Owner.GetTargetScreen())
        r = screen->GetGlobalRect();
    m_Owner.ShowScoreFlash(FullBoardBonus(m_Owner.fullBoardScore, m_Owner.GetSpinCount()),
                           r.x + static_cast<int>(static_cast<unsigned>(r.w) / 2),
                           r.y + static_cast<int>(static_cast<unsigned>(r.h) / 2), "DefaultScoreFlash");
    // Without the effect there is nothing to wait for.
    if (m_NumScriptsPending == 0)
        GoToNextState();
}

void ProcessFullBoards::OnExitState()
{
    if (Actor* root = m_Owner.GetRootActor())
        root->StopScriptsWithTag("FullBoardCompletion");
    m_NumScriptsPending = 0;
    m_Script = LuaObject();
}

bool ProcessFullBoards::OnActorScriptFinished(Event* event)
{
    Actor* root = m_Owner.GetRootActor();
    if (!event || !event->payload || !root || m_Script.IsNil())
        return false;
    const LuaObject& payload = *event->payload;
    if (Object::FromLuaObject(payload["actor"]) != root || !(payload["script"] == m_Script))
        return false;
    if (--m_NumScriptsPending > 0)
        return true;
    m_Script = LuaObject();
    const bool awarded =
        m_Owner.AchieveForHuman("fullCardMargin", 20 - static_cast<std::int64_t>(m_Owner.GetSpinCount()), true, true) > 0;
    if (!awarded)
        GoToNextState();
    return true;
}

bool ProcessFullBoards::OnDialogStopped(const EventRecord& event)
{
    if (!IsDialogNamed(event, "WoppleAwardDialog"))
        return false;
    if (Application* app = Application::GetInstance())
        app->PauseGame(false);
    GoToNextState();
    return true;
}

// ---------------------------------------------------------------- EndGameTransition

void EndGameTransition::OnEnterState()
{
    if (CocoDropButton* lever = m_Owner.GetCocoDropButton())
        lever->Pullup();
    m_Owner.GetRoundStopwatch().Reset();
    // A bonus timer still running at the end earns the speed award; its dialogs
    // hold the ending music back until one of them closes.
    int awards = 0;
    if (Actor* bonusTimer = m_Owner.GetBonusTimer();
        bonusTimer && bonusTimer->RetrieveBoolProperty("hasAppeared", false) &&
        !bonusTimer->RetrieveBoolProperty("hasExpired", false)) {
        PlayerManager* players = PlayerManager::GetInstance();
        if (auto* player = players ? dynamic_cast<WopplePlayer*>(players->GetCurrentPlayer(1)) : nullptr)
            for (const std::string& award : player->RaiseAchievementLevel("didSpeedDemon", 1)) {
                WoppleOldSchoolBaseLogic::ShowAwardDialog(m_Owner.GetTargetScreen(), award, false);
                ++awards;
            }
    }
    if (awards == 0)
        m_Owner.PlayLevelMusicOnce("Ending");
    StopGirlSpeaking(m_Owner);
    const bool duel = m_Owner.GetNameOfGameMode() == "Pirate's Fortune";
    if (m_Owner.IsLevelGoalMet()) {
        m_Owner.SayGameMessage(kGreatJob, nullptr, "", "", "");
        if (duel) {
            LightWinnersSign(m_Owner, 0);
            for (const char* sound : {"C_wopple.ogg", "combo.ogg", "claps.ogg"})
                m_Owner.PlayGameSound(sound);
        }
        m_Timer.CreateOrRestart(&m_Owner, kSignalPeriodMs, 4, TIMER_REAL_TIME);
    } else {
        m_Owner.SayGameMessage(kDidNotCompleteLevel, nullptr, "", "", "");
        if (duel) {
            LightWinnersSign(m_Owner, 1);
            m_Owner.PlayGameSound("C_debit.ogg");
        }
        m_Timer.CreateOrRestart(&m_Owner, kSignalPeriodMs, 4, TIMER_LIMITED_TO_FRAMERATE);
    }
}

bool EndGameTransition::OnTimer(const EventRecord& event)
{
    if (!m_Timer.IsFrom(event))
        return false;
    const auto remaining = static_cast<int>(reinterpret_cast<intptr_t>(event.user.data2));
    if (remaining == 3 && m_Owner.GetNameOfGameMode() == "Pirate's Fortune")
        m_Owner.SayGameMessage(m_Owner.IsLevelGoalMet() ? kPirateFortuneYouWon : kPirateFortunePirateWon, nullptr, "",
                               "", "");
    if (remaining == 0) {
        m_Timer.Free();
        GoToNextState();
        StopGirlSpeaking(m_Owner);
    }
    return true;
}

bool EndGameTransition::OnDialogStopped(const EventRecord& event)
{
    if (!IsDialogNamed(event, "WoppleAwardDialog"))
        return false;
    m_Owner.PlayLevelMusicOnce("Ending");
    return true;
}

// ---------------------------------------------------------------- ProcessEndGame

void ProcessEndGame::OnEnterState()
{
    LogWrite("ProcessEndGame:OnEnterState\n");
    m_Owner.GetRoundStopwatch().Reset();
    MusicManager::SetMasterTempo(1.0f);
    m_Results = m_Owner.GetRoundResults();
    m_Owner.PlayLevelMusicOnce("Loop");
    if (Actor* girl = m_Owner.GetCherubGirl())
        girl->RunScript("GirlIdle", "Girl");
    ExtractData();
    RecordData();
    // Asked from the timer: the state is fully entered by then.
    m_Timer.CreateOrRestart(&m_Owner, 1, 1, TIMER_LIMITED_TO_FRAMERATE);
    LogWrite("ProcessEndGame:OnEnterState:FINISHED\n");
}

void ProcessEndGame::OnExitState()
{
    m_Timer.Free();
    if (m_Owner.IsBeingDestroyed())
        return;
    if (auto* girl = dynamic_cast<WoppleTalkingCharacter*>(m_Owner.GetCherubGirl()))
        girl->CloseBubble();
}

bool ProcessEndGame::OnTimer(const EventRecord& event)
{
    // Only its own: another timer of the logic would ask a second time.
    if (!m_Timer.IsFrom(event))
        return false;
    AskUserForNextAction();
    m_Timer.Free();
    return true;
}

void ProcessEndGame::ExtractData()
{
    const int level = m_Owner.levelNumber;
    if (level == 0)
        return;
    LogWrite("ProcessEndGame:ExtractData\n");
    const LuaObject secret = m_Results["secretWasFound"];
    m_SecretFound = secret.IsBoolean() && secret.GetBoolean();
    m_Butterflies = IntegerOr(m_Results["butterfliesWereFound"], 0);
    m_TimeTaken = IntegerOr(m_Results["timeTaken"], 0);

    LuaState lua = ObjectLuaState();
    const LuaObject entry = GetQuestLevel(level);
    const LuaObject starScore = entry.IsTable() ? entry["starScore"] : LuaObject();
    m_StarScore = starScore.IsInteger() ? starScore.GetInteger() : IntegerOr(lua.GetGlobal("DefaultStarScore"), 0);
    const LuaObject starTime = entry.IsTable() ? entry["starTime"] : LuaObject();
    m_StarTime = starTime.IsInteger() ? starTime.GetInteger() : IntegerOr(lua.GetGlobal("DefaultStarTime"), 0);
    m_TreasureBoxCount = CountTreasureBoxColumns(level) + CountTreasureBoxRows(level) +
                         CountTreasureBoxUpwardDiagonals(level) + CountTreasureBoxDownwardDiagonals(level);

    auto* player = dynamic_cast<WopplePlayer*>(CurrentPlayer());
    for (int star = 0; star < kNumStars; ++star)
        m_Stars[star] = player && player->GetStarStatus(level, star);
    m_PreviousBest = player ? PreviousBestScore(*player, level) : 0;
    LogWrite("ProcessEndGame:ExtractData: FINISHED\n");
}

bool ProcessEndGame::IsAnyBoardFull() const
{
    for (int board = 1; board <= m_Owner.GetNumBoards(); ++board)
        if (m_Owner.IsBoardFull(board, true))
            return true;
    return false;
}

void ProcessEndGame::RecordData()
{
    const int level = m_Owner.levelNumber;
    if (level < 1)
        return;
    LogWrite("ProcessEndGame:RecordData\n");
    const bool fullCard = IsAnyBoardFull() && m_Owner.GetCurrentParticipant() == 0;
    const LuaObject completed = m_Results["roundCompletedSuccessfully"];
    WoppleOldSchoolBaseLogic::RecordLevelResult(completed.IsBoolean() && completed.GetBoolean(), level,
                                                m_Owner.GetScore(0), m_SecretFound, m_Butterflies, m_TimeTaken,
                                                fullCard);
    if (auto* player = dynamic_cast<WopplePlayer*>(CurrentPlayer()))
        for (const std::string& award : player->RaiseAchievementLevel("bestScore", m_Owner.GetScore(0)))
            WoppleOldSchoolBaseLogic::ShowAwardDialog(m_Owner.GetTargetScreen(), award, true);
    LogWrite("ProcessEndGame:RecordData: FINISHED\n");
}

void ProcessEndGame::AskUserForNextAction()
{
    LogWrite("ProcessEndGame:AskUserForNextAction\n");
    const int level = m_Owner.levelNumber;
    if (level < 1) {
        m_Owner.SayGameMessage(kAskAboutPlayingAgain, &m_Owner, "", "", "");
    } else if (Screen* screen = m_Owner.GetTargetScreen()) {
        const bool fullCard = IsAnyBoardFull();
        const auto& participants = m_Owner.GetParticipants();
        const bool secondFoundSecret = participants.size() > 1 && participants[1].secretFound;
        const std::uint32_t current = m_Owner.GetCurrentParticipant();
        const LuaObject completed = m_Results["roundCompletedSuccessfully"];
        WoppleEndLevelDialog::StarFlags stars{};
        for (int star = 0; star < kNumStars; ++star)
            stars[star] = m_Stars[star];
        auto dialog = std::make_unique<WoppleEndLevelDialog>(
            level, (boost::format("%1% Mode") % m_Owner.GetNameOfGameMode()).str(), m_Owner.GetLevelGoalText(),
            m_Owner.GetScore(0), m_StarScore, m_TimeTaken, m_StarTime, m_Butterflies, m_TreasureBoxCount,
            m_SecretFound, secondFoundSecret, fullCard && current == 0, fullCard && current == 1,
            completed.IsBoolean() && completed.GetBoolean(), m_PreviousBest, stars);
        WoppleEndLevelDialog* shown = dialog.get();
        screen->StartDialog(dialog.release(), false);
        shown->StartTimer();
    }
    LogWrite("ProcessEndGame:AskUserForNextAction: FINISHED\n");
}

bool ProcessEndGame::OnButtonClick(const EventRecord& event)
{
    const std::string name = ButtonName(event);
    if (name == "TryAgainButton" || name == "ReplayButton") {
        RequestRestart();
        return true;
    }
    if (name == "QuitButton") {
        WoppleGameLogic::GoToScreen("MenuScreen");
        return true;
    }
    return false;
}

bool ProcessEndGame::OnDialogStopped(const EventRecord& event)
{
    auto* dialog = static_cast<Dialog*>(event.user.data1);
    if (!dialog)
        return false;
    if (dialog->GetName() == "WoppleAwardDialog") {
        if (Application* app = Application::GetInstance())
            app->PauseGame(false);
        return true;
    }
    if (dialog->GetName() == "WoppleEndLevelDialog") {
        const std::string button = dialog->GetResultButtonName();
        if (button == "QuitToMapButton")
            WoppleGameLogic::GoToScreen("MapScreen");
        else if (button == "ReplayButton")
            RequestRestart();
        else if (button == "NextButton")
            RequestAdvance();
    }
    return false;
}

void ProcessEndGame::RequestRestart()
{
    m_Owner.PostLevelCompleted("RestartCurrentLevel");
}

void ProcessEndGame::RequestAdvance()
{
    m_Owner.PostLevelCompleted("AdvanceToNextLevel");
}

} // namespace OldSchoolStates

namespace ClassicStates {

std::string ProcessEndGame::TopScoreHeading(std::int64_t score)
{
    std::int64_t top = 0;
    std::int64_t threshold = 0;
    TopRecordsList* list = FindTopList((boost::format("Top %1% Scores") % "Classic").str());
    const int n = list ? std::min(list->GetNumRecords(), 10) : 0;
    LogWrite("Current classic high score table:\n");
    for (int i = 0; i < n; ++i) {
        const LuaObject entry = list->GetRecord(i).GetTable();
        const std::int64_t entryScore = entry["gameScore"].IsNumber() ? TruncateToInt64(entry["gameScore"].GetNumber()) : 0;
        LogWrite("%d: %lld, from %d\n", i, static_cast<long long>(entryScore),
                 entry["playerGuid"].IsInteger() ? entry["playerGuid"].GetInteger() : 0);
        if (i == 0)
            top = entryScore;
        // Until the list holds ten, any score above 0 gets a place in it.
        if (n == 10 && i == n - 1)
            threshold = entryScore;
    }
    if (score > top)
        return "High Score";
    if (score > threshold)
        return "Top Ten Score";
    return "";
}

void ProcessEndGame::OnEnterState()
{
    const std::string heading = TopScoreHeading(m_Owner.GetScore(m_Owner.GetCurrentParticipant()));
    if (!heading.empty())
        if (Screen* screen = m_Owner.GetTargetScreen())
            screen->StartDialog(new WoppleHelpDialog(heading, heading == "High Score"
                                                                  ? "You've gained the top score for classic mode!"
                                                                  : "You've gained a score in the top ten for classic mode!"),
                                false);
    OldSchoolStates::ProcessEndGame::OnEnterState();
}

void ProcessEndGame::RecordData()
{
    WoppleOldSchoolBaseLogic::RecordLevelResult(true, 0, m_Owner.GetScore(m_Owner.GetCurrentParticipant()), false, 0,
                                                0, false);
}

} // namespace ClassicStates
