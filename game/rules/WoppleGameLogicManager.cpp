#include "game/rules/WoppleGameLogicManager.h"

#include "engine/core/Class.h"
#include "engine/core/Events.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/shell/WoppleDialogs.h"
#include "game/shell/WoppleMapScreen.h"
#include "game/shell/WoppleGameStart.h"

#include <boost/format.hpp>

VELK_REGISTER_CLASS(WoppleGameLogicManager, "WoppleGameLogic", nullptr, InstantiateObjectOfClass<WoppleGameLogicManager>);

namespace {

std::string TargetScreenMessage(const char* operation)
{
    return (boost::format("m_TargetScreen must be set (via WoppleGameScreen::SetGameLogic) before calling "
                          "WoppleGameLogicManager::%1%.") %
            operation)
        .str();
}

int GlobalInteger(const char* name)
{
    const LuaObject value = ObjectLuaState().GetGlobal(name);
    return value.IsInteger() ? value.GetInteger() : 0;
}

int NumberOfQuestLevels()
{
    const LuaObject levels = ObjectLuaState().GetGlobal("WoppleQuestLevels");
    return levels.IsTable() ? levels.GetTableCount() : 0;
}

LuaObject CurrentGameModeTable(const std::string& mode)
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetCurrentPlayer(1) : nullptr;
    if (!player)
        return LuaObject();
    // A player who never chose a mode has no current mode table to write.
    if (mode.empty() && !player->GetOptionsTable()["game.mode"].IsString())
        return LuaObject();
    return player->GetGameModeTable(mode);
}

} // namespace

WoppleGameLogicManager::WoppleGameLogicManager() = default;

WoppleGameLogicManager::~WoppleGameLogicManager()
{
    try {
        DropCurrentGame();
    } catch (...) {
        LogWrite("WARNING: WoppleGameLogicManager::~WoppleGameLogicManager: %s\n", CurrentExceptionMessage().c_str());
    }
}

bool WoppleGameLogicManager::OnEvent(const EventRecord& event)
{
    if (IsBeingDestroyed())
        return false;
    if (m_CurrentGame && !m_CurrentGame->IsBeingDestroyed() && m_CurrentGame->OnEvent(event))
        return true;
    return WoppleGameLogic::OnEvent(event);
}

void WoppleGameLogicManager::Update()
{
    if (m_CurrentGame && !m_CurrentGame->IsBeingDestroyed())
        m_CurrentGame->Update();
}

void WoppleGameLogicManager::Start()
{
    if (m_CurrentGame)
        m_CurrentGame->Start();
}

void WoppleGameLogicManager::Stop()
{
    if (!m_CurrentGame)
        return;
    WoppleGameLogic* game = m_CurrentGame;
    m_CurrentGame = nullptr;
    game->Stop();
    game->Destroy();
}

void WoppleGameLogicManager::DropCurrentGame()
{
    if (!m_CurrentGame)
        return;
    WoppleGameLogic* game = m_CurrentGame;
    m_CurrentGame = nullptr;
    game->Stop();
    delete game;
}

void WoppleGameLogicManager::RequireTargetScreen(const char* operation) const
{
    if (!m_TargetScreen)
        VELK_THROW(Exception, AssertionText("m_TargetScreen != 0", TargetScreenMessage(operation)));
}

void WoppleGameLogicManager::TakeNewGame(WoppleGameLogic* game, int level)
{
    m_CurrentGame = game;
    m_CurrentLevel = level;
    if (!game)
        return;
    game->ApplyIntegerProperty("levelNumber", level);
    game->SetTargetScreen(m_TargetScreen);
    game->CreateRootActor();
    // The game updates its own layout from the manager's update, once a pass.
    if (Actor* root = game->GetRootActor())
        root->SetUpdating(false);
}

void WoppleGameLogicManager::StartClassicGame()
{
    RequireTargetScreen("StartClassicGame");
    DropCurrentGame();
    TakeNewGame(MakeWoppleGameLogic("Classic", 0), 0);
    LuaObject vevev = CurrentGameModeTable("Vevev");
    if (vevev.IsTable())
        vevev.SetInteger("lastPlayedLevel", 0);
}

void WoppleGameLogicManager::StartGameAtSpecificLevel(int level)
{
    RequireTargetScreen("StartGameAtSpecificLevel");
    DropCurrentGame();
    TakeNewGame(MakeWoppleGameLogic("Vevev", level), level);
    LuaObject mode = CurrentGameModeTable("");
    if (mode.IsTable()) {
        mode.SetInteger("currentLevel", level);
        mode.SetInteger("lastPlayedLevel", level);
    }
    if (GameDataIO* io = GameDataIO::GetInstance())
        io->SaveAllPlayerData();
}

void WoppleGameLogicManager::RestartCurrentLevel()
{
    if (!m_CurrentGame)
        VELK_THROW(Exception, AssertionText("m_CurrentGame != 0", "WoppleGameLogicManager::RestartCurrentLevel cannot "
                                                                  "be called as there is no game to restart."));
    RequireTargetScreen("RestartCurrentLevel");
    if (m_CurrentLevel != 0)
        StartGameAtSpecificLevel(m_CurrentLevel);
    else
        StartClassicGame();
    Start();
}

void WoppleGameLogicManager::ShowMap(const std::string& state)
{
    Screen* map = SwitchToMapOrMenu();
    if (map && !state.empty())
        map->SetState(state);
}

void WoppleGameLogicManager::AdvanceToNextLevel()
{
    if (!m_CurrentGame)
        VELK_THROW(Exception, AssertionText("m_CurrentGame != 0", "WoppleGameLogicManager::AdvanceToNextLevel cannot "
                                                                  "be called as there is no level to advance from."));
    RequireTargetScreen("AdvanceToNextLevel");
    const int next = m_CurrentLevel + 1;
    const int bonusStart = GlobalInteger("BonusLevelsStartAt");
    if (next == bonusStart) {
        ShowMap("FinishedQuest");
        return;
    }
    const LuaObject* optionalTable = TableResource::GetTableFromResource("WoppleIslands", true);
    if (!optionalTable || !optionalTable->IsTable())
        VELK_THROW(Exception, AssertionText("optionalTable"));
    const LuaObject islands = *optionalTable;

    auto startNext = [this, next]() {
        StartGameAtSpecificLevel(next);
        Start();
    };
    if (next < bonusStart) {
        for (int i = 1; i <= islands.GetN(); ++i) {
            const LuaObject levels = islands[i]["islandLevels"];
            if (levels.IsTable() && levels[1].IsInteger() && levels[1].GetInteger() == next) {
                // A new island: the player starts it from the map, with it selected.
                Screen* map = SwitchToMapOrMenu();
                if (auto* chart = dynamic_cast<WoppleMapScreen*>(map)) {
                    chart->UpdateIslandSign(i);
                    chart->UpdateLevelStars(next);
                }
                if (map)
                    map->SetState("AdvanceToNewIsland");
                return;
            }
        }
        startNext();
        return;
    }
    if (next > NumberOfQuestLevels()) {
        ShowMap("");
        return;
    }
    if (WoppleMapScreen::IsLevelUnlocked(next)) {
        startNext();
        return;
    }
    for (int i = 1; i <= islands.GetN(); ++i) {
        const LuaObject bonus = islands[i]["bonusLevel"];
        if (!bonus.IsInteger() || bonus.GetInteger() != next)
            continue;
        const LuaObject name = islands[i]["islandName"];
        Screen* map = SwitchToMapOrMenu();
        if (auto* chart = dynamic_cast<WoppleMapScreen*>(map)) {
            // The island's own levels when it is open, else the last level of the island before it.
            const LuaObject levels = islands[i]["islandLevels"];
            const int first = levels.IsTable() && levels[1].IsInteger() ? levels[1].GetInteger() : 0;
            if (WoppleMapScreen::IsLevelUnlocked(first)) {
                chart->UpdateIslandSign(i);
                chart->UpdateLevelStars(first);
            } else {
                if (i <= 1)
                    VELK_THROW(Exception, AssertionText("islandNumber > 1"));
                const LuaObject before = islands[i - 1]["islandLevels"];
                chart->UpdateIslandSign(i - 1);
                if (before.IsTable() && before[before.GetN()].IsInteger())
                    chart->UpdateLevelStars(before[before.GetN()].GetInteger());
            }
        }
        ScreenManager* screens = ScreenManager::GetInstance();
        if (Screen* shown = screens ? screens->GetCurrentScreen() : nullptr)
            shown->StartDialog(
                new WoppleHelpDialog(
                    "Bonus Level Not Unlocked",
                    (boost::format("The bonus level on %1% is still locked because you haven't found all the secret "
                                   "keys on that island.  Find all the secret keys to gain access to the bonus level.") %
                     (name.IsString() ? name.GetString() : std::string()))
                        .str()),
                false);
        return;
    }
}

bool WoppleGameLogicManager::OnLevelCompleted(Event* event)
{
    const LuaObject* data = event ? event->payload.get() : nullptr;
    if (!data || !data->IsString())
        VELK_THROW(Exception, AssertionText("eventData->GetUserData()->IsString()"));
    const std::string action = data->GetString();
    if (action == "AdvanceToNextLevel")
        AdvanceToNextLevel();
    else if (action == "RestartCurrentLevel")
        RestartCurrentLevel();
    return true;
}
