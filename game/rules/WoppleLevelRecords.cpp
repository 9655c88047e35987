// The end of a round on the logic's side: its results, and what they leave in
// the player's card and score lists.

#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/shell/WoppleAwardDialog.h"
#include "game/shell/WoppleEndLevelDialog.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WopplePlayer.h"
#include "game/shell/WoppleScoreRecords.h"

#include <algorithm>
#include <memory>

namespace {

bool IsTrue(const LuaObject& value)
{
    return value.IsBoolean() && value.GetBoolean();
}

// The level's record by the merge rules; "currentLevel" moves on at a first completion.
void WriteLevelRecord(LuaObject& modeTable, bool completed, int level, bool secretFound, std::int32_t butterflies,
                      std::int32_t secondsTaken, bool fullCard)
{
    LuaObject records = modeTable["LevelRecords"];
    if (!records.IsTable())
        records = modeTable.CreateTable("LevelRecords");
    LuaObject record = records[level];
    if (!record.IsTable())
        record = records.CreateTable(level);
    const bool wasCompleted = IsTrue(record["Completed"]);
    record.SetBoolean("Completed", completed || wasCompleted);
    if (completed && !wasCompleted) {
        const int next = level + 1;
        LuaState lua = ObjectLuaState();
        const LuaObject bonusStart = lua.GetGlobal("BonusLevelsStartAt");
        const LuaObject levels = lua.GetGlobal("WoppleQuestLevels");
        const int numLevels = levels.IsTable() ? levels.GetTableCount() : 0;
        if (!(bonusStart.IsInteger() && next == bonusStart.GetInteger()) && next <= numLevels &&
            WoppleEndLevelDialog::IsLevelUnlocked(next))
            modeTable.SetInteger("currentLevel", next);
    }
    record.SetBoolean("SecretFound", secretFound || IsTrue(record["SecretFound"]));
    record.SetBoolean("FullCard", fullCard || IsTrue(record["FullCard"]));
    const LuaObject oldButterflies = record["NumberOfButterflies"];
    record.SetInteger("NumberOfButterflies",
                      std::max(oldButterflies.IsInteger() ? oldButterflies.GetInteger() : 0, butterflies));
    // Only a completed round sets a time: a quick failed try is no best time.
    if (completed) {
        const LuaObject oldSeconds = record["SecondsTaken"];
        int seconds = std::min(oldSeconds.IsInteger() ? oldSeconds.GetInteger() : -1, secondsTaken);
        if (seconds < 0)
            seconds = secondsTaken;
        record.SetInteger("SecondsTaken", seconds);
    }
}

} // namespace

LuaObject WoppleOldSchoolBaseLogic::GetRoundResults()
{
    LuaObject results = WoppleGameLogic::GetRoundResults();
    const ParticipantRecord first = m_Participants.empty() ? ParticipantRecord() : m_Participants[0];
    results.SetBoolean("roundCompletedSuccessfully", IsLevelGoalMet());
    results.SetNumber("score", static_cast<double>(first.score));
    results.SetInteger("timeTaken", m_RoundStopwatch.GetElapsed());
    results.SetBoolean("secretWasFound", first.secretFound);
    results.SetInteger("butterfliesWereFound", first.butterfliesFound);
    return results;
}

void WoppleOldSchoolBaseLogic::RecordLevelResult(bool completed, int level, std::int64_t score, bool secretFound,
                                                 std::int32_t butterflies, std::int32_t secondsTaken, bool fullCard)
{
    PlayerManager* players = PlayerManager::GetInstance();
    auto* player = dynamic_cast<WopplePlayer*>(players ? players->GetCurrentPlayer(1) : nullptr);
    if (!player) {
        LogWrite("WARNING: A round ended with no current player; nothing was recorded.\n");
        return;
    }
    const LuaObject modeName = player->GetOptionsTable()["game.mode"];
    const std::string mode = modeName.IsString() ? modeName.GetString() : std::string();

    MakeWoppleScoreRecord(player, score, mode, level).NotifyObservers();

    ScreenManager* screens = ScreenManager::GetInstance();
    Screen* gameScreen = screens ? screens->GetScreen("GameScreen") : nullptr;
    if (mode == "Classic")
        for (const std::string& award : player->RaiseAchievementLevel("classicScore", score))
            ShowAwardDialog(gameScreen, award, false);

    if (level != 0) {
        LuaObject modeTable = player->GetGameModeTable(mode);
        if (!modeTable.IsTable()) {
            LogWrite("WARNING: The player has no table for the mode \"%s\"; level %d was not recorded.\n",
                     mode.c_str(), level);
        } else {
            WriteLevelRecord(modeTable, completed, level, secretFound, butterflies, secondsTaken, fullCard);
        }
    }
    if (GameDataIO* io = GameDataIO::GetInstance())
        io->SaveAllPlayerData();
}

void WoppleOldSchoolBaseLogic::ShowAwardDialog(Screen* screen, const std::string& awardKey, bool pauseGame)
{
    if (!screen)
        return;
    screen->StartDialog(new WoppleAwardDialog(awardKey), true);
    if (pauseGame)
        if (Application* app = Application::GetInstance())
            app->PauseGame(true);
}

int WoppleOldSchoolBaseLogic::AchieveForHuman(const std::string& statistic, std::int64_t value, bool raise,
                                              bool pauseGame)
{
    PlayerManager* players = PlayerManager::GetInstance();
    auto* player = players ? dynamic_cast<WopplePlayer*>(players->GetCurrentPlayer(1)) : nullptr;
    if (m_CurrentParticipant != 0 || !player)
        return 0;
    const std::vector<std::string> awards =
        raise ? player->RaiseAchievementLevel(statistic, value) : player->AddToAchievementLevel(statistic, value);
    for (const std::string& award : awards)
        ShowAwardDialog(m_TargetScreen, award, pauseGame);
    return static_cast<int>(awards.size());
}

void WoppleOldSchoolBaseLogic::PostLevelCompleted(const std::string& action)
{
    auto* screen = dynamic_cast<WoppleGameScreen*>(m_TargetScreen);
    WoppleGameLogic* manager = screen ? screen->GetGameLogic() : nullptr;
    if (!manager || manager == this) {
        LogWrite("WARNING: \"%s\" asked for with no game manager to take it.\n", action.c_str());
        return;
    }
    auto payload = std::make_shared<LuaObject>();
    payload->AssignString(ObjectLuaState(), action);
    PostNewEvent(WOPPLE_LEVELCOMPLETED, manager, this, payload);
}
