#include "game/shell/WoppleGameStart.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/shell/WoppleApp.h"
#include "game/shell/WoppleGameScreen.h"

#include <map>
#include <memory>

namespace {

std::map<std::string, WoppleGameLogicFactory>& Factories()
{
    static std::map<std::string, WoppleGameLogicFactory> factories;
    return factories;
}

// A Classic game is the registered "WoppleClassicGameLogic"; a quest level is
// made from its level table, whose "class" names the mode's logic and whose
// other keys become the logic's properties.
WoppleGameLogic* MakeRegisteredLogic(const std::string& mode, int level)
{
    ClassManager* classes = ClassManager::GetInstance();
    if (!classes)
        return nullptr;
    LuaObject params;
    if (mode == "Classic") {
        Class* c = classes->GetClass("WoppleClassicGameLogic", true);
        if (!c || !c->CanInstantiate())
            return nullptr;
        params.AssignNewTable(ObjectLuaState());
        Object* object = c->Instantiate(params);
        auto* logic = dynamic_cast<WoppleGameLogic*>(object);
        if (!logic)
            delete object;
        return logic;
    }
    params = GetQuestLevel(level);
    const LuaObject className = params.IsTable() ? params["class"] : LuaObject();
    Class* c = className.IsString() ? classes->GetClass(className.GetString(), true) : nullptr;
    if (!c || !c->CanInstantiate())
        return nullptr;
    Object* object = classes->InstantiateObject(params);
    auto* logic = dynamic_cast<WoppleGameLogic*>(object);
    if (!logic && object)
        delete object;
    return logic;
}

bool StartGame(const std::string& mode, int level)
{
    ScreenManager* screens = ScreenManager::GetInstance();
    auto* screen = screens ? dynamic_cast<WoppleGameScreen*>(screens->GetScreen("GameScreen")) : nullptr;
    auto* app = dynamic_cast<WoppleApp*>(Application::GetInstance());
    if (!screen || !app) {
        LogWrite("WARNING: No game screen to start a %s game on.\n", mode.c_str());
        return false;
    }
    if (app->GetGameLogicManager() || screen->GetGameLogic()) {
        LogWrite("WARNING: A %s game was started while another game is on.\n", mode.c_str());
        return false;
    }
    WoppleGameLogicManager* manager = app->CreateGameLogicManager();
    screen->SetGameLogic(manager);
    // A start that fails leaves no manager behind, so the next start can run.
    auto drop = [&]() {
        screen->SetGameLogic(nullptr);
        app->ForgetGameLogicManager(manager);
        delete manager;
    };
    try {
        if (mode == "Classic")
            manager->StartClassicGame();
        else
            manager->StartGameAtSpecificLevel(level);
    } catch (...) {
        drop();
        throw;
    }
    if (!manager->GetCurrentGame()) {
        LogWrite("WARNING: No game logic for the mode \"%s\" in this build.\n", mode.c_str());
        drop();
        return false;
    }
    screens->SwitchToScreen("GameScreen");
    return true;
}

int LengthOf(const LuaObject& list)
{
    return list.IsTable() ? list.GetTableCount() : 0;
}

// The integer-keyed table entries of the level's box specifics.
template <typename F>
int SumOverBoxes(int level, F count)
{
    int sum = 0;
    const LuaObject specifics = GetTreasureBoxSpecifics(level);
    if (!specifics.IsTable())
        return 0;
    for (LuaTableIterator it(specifics); it; ++it)
        if (it.GetKey().IsInteger() && it.GetValue().IsTable())
            sum += count(it.GetValue());
    return sum;
}

int Script_Debug_StartClassicGame(lua_State* L)
{
    return CallBoundMember(L, []() -> int {
        StartClassicGame();
        return 0;
    });
}

int Script_Debug_StartQuestGame(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        // Only a real integer picks the level; "5" is no level.
        int level = 0;
        if (lua_gettop(L) >= 1 && lua_type(L, 1) == LUA_TNUMBER) {
            const lua_Number n = lua_tonumber(L, 1);
            if (n == static_cast<lua_Number>(static_cast<int>(n)))
                level = static_cast<int>(n);
        }
        StartQuestGameAtLevel(level ? level : GetCurrentQuestLevel());
        return 0;
    });
}

ScriptFunctionRegistration s_StartClassic(Script_Debug_StartClassicGame, "Debug_StartClassicGame");
ScriptFunctionRegistration s_StartQuest(Script_Debug_StartQuestGame, "Debug_StartQuestGame");

} // namespace

LuaObject GetQuestLevel(int level)
{
    return ObjectLuaState().GetGlobal("WoppleQuestLevels")[level];
}

LuaObject GetTreasureBoxSpecifics(int level)
{
    const LuaObject entry = GetQuestLevel(level);
    if (!entry.IsTable())
        return LuaObject();
    const LuaObject details = entry["treasureBoxManagerDetails"];
    if (!details.IsTable())
        return LuaObject();
    return details["boxSpecifics"];
}

int CountTreasureBoxColumns(int level)
{
    return SumOverBoxes(level, [](const LuaObject& box) { return LengthOf(box["columns"]); });
}

int CountTreasureBoxRows(int level)
{
    return SumOverBoxes(level, [](const LuaObject& box) { return LengthOf(box["rows"]); });
}

int CountTreasureBoxUpwardDiagonals(int level)
{
    return SumOverBoxes(level, [](const LuaObject& box) { return box["upwardDiagonal"].IsTable() ? 1 : 0; });
}

int CountTreasureBoxDownwardDiagonals(int level)
{
    return SumOverBoxes(level, [](const LuaObject& box) { return box["downwardDiagonal"].IsTable() ? 1 : 0; });
}

int GetCurrentQuestLevel()
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetCurrentPlayer(1) : nullptr;
    // A player who never chose a mode has no mode table to ask.
    if (!player || !player->GetOptionsTable()["game.mode"].IsString())
        return 1;
    const LuaObject mode = player->GetGameModeTable("");
    if (!mode.IsTable() || !mode["currentLevel"].IsNumber())
        return 1;
    return mode["currentLevel"].GetInteger();
}

WoppleGameLogic* MakeWoppleGameLogic(const std::string& mode, int level)
{
    auto it = Factories().find(mode);
    if (it != Factories().end() && it->second)
        return it->second(level);
    return MakeRegisteredLogic(mode, level);
}

WoppleGameLogicFactory SetWoppleGameLogicFactory(const std::string& mode, WoppleGameLogicFactory factory)
{
    WoppleGameLogicFactory old = Factories()[mode];
    Factories()[mode] = std::move(factory);
    return old;
}

bool StartClassicGame()
{
    return StartGame("Classic", 0);
}

bool StartQuestGameAtLevel(int level)
{
    return StartGame("Vevev", level);
}
