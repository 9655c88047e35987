#include "engine/runtime/GameDataIO.h"

#include "engine/core/DataFile.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/TopRecords.h"
#include "platform/lua/LuaFunction.h"

#include <climits>
#include <cmath>
#include <exception>
#include <map>
#include <vector>

namespace {

GameDataIO* g_GameDataIO = nullptr;

PlayerManager& RequirePlayerManager()
{
    VELK_ASSERT(PlayerManager::GetInstance() != 0);
    return *PlayerManager::GetInstance();
}

// The Name of a player table for the log: escaped, or "nil".
std::string NameForLog(const LuaObject& player)
{
    LuaObject name = player.IsTable() ? player["Name"] : LuaObject();
    return name.IsString() ? EscapeLuaString(name.GetString()) : std::string("nil");
}

bool IsWholeNumberIn(const LuaObject& value, double low, double high)
{
    if (!value.IsNumber())
        return false;
    double n = value.GetNumber();
    return std::isfinite(n) && std::floor(n) == n && n >= low && n <= high;
}

// What the rest of the program takes for granted of a player table; a card
// that breaks it is unusable and is kept aside rather than half loaded.
void CheckPlayerCard(const LuaObject& player)
{
    auto fail = [](const char* why) { VELK_THROW(ScriptError, std::string("the card's ") + why); };
    if (!IsWholeNumberIn(player["guid"], 1, INT_MAX))
        fail("guid is not a whole number from 1 to 2147483647");
    if (!player["Name"].IsNil() && !player["Name"].IsString())
        fail("Name is not a text");
    if (!player["Options"].IsTable())
        fail("Options is not a table");
    if (!player["Game_Modes"].IsTable())
        fail("Game_Modes is not a table");
    for (const char* key : {"Game_Records", "Game_Saves", "Temp_Data"})
        if (!player[key].IsNil() && !player[key].IsTable())
            fail((std::string(key) + " is not a table").c_str());
}

// Files the records of one player table; records without a valid guid and
// type, or already filed from another card, are left out with a warning.
int FileRecordsOfPlayer(Player* player, const char* kind, int index)
{
    GameRecordManager* manager = GameRecordManager::GetInstance();
    VELK_ASSERT(manager != 0);
    std::vector<LuaObject> tables;
    for (LuaTableIterator it(player->GetGameRecordsTable()); it; ++it)
        tables.push_back(it.GetValue());
    int count = 0;
    for (const LuaObject& table : tables) {
        GameRecordGuid guid;
        if (!table.IsTable() || !ReadGameRecordGuid(table["gameRecordGuid"], guid) ||
            !table["gameRecordType"].IsString()) {
            LogWrite("WARNING: A game record of %s %d has no valid guid and type; it was left out.\n", kind, index);
            continue;
        }
        if (manager->HasRecord(guid)) {
            if (manager->GetTableWithGuid(guid) != table)
                LogWrite("WARNING: The game record %d of %s %d is already held by another player; it was left "
                         "out.\n",
                         guid.value, kind, index);
            continue;
        }
        GameRecord record(table);
        record.NotifyObservers();
        ++count;
    }
    return count;
}

} // namespace

std::string PlayerCardPath(const std::string& folder, int index)
{
    std::string separator = (!folder.empty() && folder.back() != '/') ? "/" : "";
    return (boost::format("%1%%2%Player%3%.card") % folder % separator % index).str();
}

bool LoadPlayerCard(LuaState state, const std::string& path, std::string& error)
{
    LuaObject player;
    DataFileResult result = LoadDataFile(state, path, "Player", [&](const LuaObject& table) {
        CheckPlayerCard(table);
        player = table;
    });
    switch (result) {
    case DataFileResult::Missing:
        error = "cannot open " + path;
        return false;
    case DataFileResult::Bad:
        error = path + " could not be loaded and was kept aside";
        return false;
    case DataFileResult::Loaded:
        break;
    }
    // Outside the load: a failure here is the program's, not the card's.
    LuaFunction<void>{state.GetGlobal("Player")}(player);
    return true;
}

// ---------------------------------------------------------------- GameDataIO

GameDataIO::GameDataIO() : m_Internal(std::make_unique<Internal>())
{
    m_Internal->m_Owner = this;
    g_GameDataIO = this;
}

GameDataIO::~GameDataIO()
{
    if (g_GameDataIO == this)
        g_GameDataIO = nullptr;
}

GameDataIO* GameDataIO::GetInstance()
{
    return g_GameDataIO;
}

bool GameDataIO::LoadAllPlayerData(bool force)
{
    if (!force)
        VELK_ASSERT_MSG(m_Internal->m_Loaded == false, "Player data can only be loaded once, for the time being.");
    PlayerManager& players = RequirePlayerManager();
    // Until every card is read and filed: a half-read set is never written over the cards.
    m_Internal->m_Loaded = false;
    players.LoadGameData();

    Log(2, "Loading All Player Data...\n");
    const int count = players.GetPlayerCount();
    for (int i = 1; i <= count; ++i) {
        if (Player* player = players.GetPlayer(i))
            Log(2, "\tLoaded %d records from player %d.\n", FileRecordsOfPlayer(player, "player", i), i);
    }
    const int dummies = players.GetDummyPlayerCount();
    for (int i = 1; i <= dummies; ++i) {
        if (Player* player = players.GetDummyPlayer(i))
            Log(2, "\tLoaded %d records from dummy player %d.\n", FileRecordsOfPlayer(player, "dummy player", i),
                i);
    }
    m_Internal->m_Loaded = true;
    return true;
}

void GameDataIO::SaveAllPlayerData()
{
    if (!m_Internal->m_Loaded) {
        Log(1, "Player data was not loaded; the player cards are left as they are.\n");
        return;
    }
    Log(3, "Saving All Player Data...\n");
    PlayerManager& players = RequirePlayerManager();
    LuaState state = VelkLuaState::Get();

    // Player guid -> (record guid -> record table), each record once.
    std::map<int, std::map<int, LuaObject>> marks;
    if (TopRecordsManager* top = TopRecordsManager::GetInstance()) {
        std::vector<TopRecordsList*> lists;
        top->GetLists(lists);
        for (TopRecordsList* list : lists) {
            auto* gameList = dynamic_cast<TopGameRecordsList*>(list);
            if (!gameList)
                continue;
            const int count = gameList->GetNumRecords();
            for (int i = 0; i < count; ++i) {
                GameRecord record = gameList->GetRecord(i);
                LuaObject table = record.GetTable();
                int playerGuid = 0;
                if (ReadWholeInt(table["playerGuid"], playerGuid))
                    marks[playerGuid][record.GetGuid().value] = table;
            }
            Log(4, "\tMarked %d items from list \"%s\"\n", count, gameList->GetKey().c_str());
        }
    }

    for (const auto& [playerGuid, records] : marks) {
        Player* player = players.GetPlayerObject(playerGuid);
        if (!player) {
            Log(1, "WARNING: Could not find player with guid = %d\n", playerGuid);
            continue;
        }
        LuaObject gameRecords = player->GetTable().CreateTable("Game_Records");
        int position = 0;
        for (const auto& [recordGuid, table] : records)
            gameRecords.SetObject(++position, table);
        Log(3, "\tAssociated %d records with player {guid=%d, name=%s}\n", position, playerGuid,
            NameForLog(player->GetTable()).c_str());
    }

    const std::string folder = PlayerCardFolder(state);
    LuaObject playerTables = state.GetGlobal("Players");
    LuaFunction<void> serialize{state.GetGlobal("Serialize")};
    std::exception_ptr firstFailure;
    const int count = players.GetPlayerCount();
    for (int i = 1; i <= count; ++i) {
        std::string path = PlayerCardPath(folder, i);
        LuaObject table = playerTables[i];
        try {
            serialize(table, path, "Player ");
            Log(3, "\tSaved player #%d (\"%s\") to path \"%s\".\n", i, NameForLog(table).c_str(), path.c_str());
        } catch (const Exception& e) {
            LogWrite("WARNING: Could not save player #%d to path \"%s\": %s\n", i, path.c_str(),
                     e.GetMessage().c_str());
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
    }
    if (firstFailure)
        std::rethrow_exception(firstFailure);
}

std::string PlayerCardFolder(LuaState state)
{
    LuaObject folder = state.GetGlobal("Paths")["PlayerData"];
    VELK_ASSERT_MSG(folder.IsString() && !folder.GetString().empty(),
                    "Paths.PlayerData must name the folder of player cards.");
    return folder.GetString();
}

// ---------------------------------------------------------------- script functions

namespace {

GameDataIO& RequireGameDataIO()
{
    VELK_ASSERT(GameDataIO::GetInstance() != 0);
    return *GameDataIO::GetInstance();
}

// Do_LoadFile(path) -> true, or false and the reason: the card loader behind
// the player script's LoadFile.
int Script_Do_LoadFile(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING)
        VELK_THROW(ScriptError, "Do_LoadFile(path): the path must be a string.");
    LuaState state(L);
    std::string error;
    if (LoadPlayerCard(state, state.Stack(1).GetString(), error)) {
        lua_pushboolean(L, 1);
        return 1;
    }
    lua_pushboolean(L, 0);
    state.PushString(error);
    return 2;
}

int Script_LoadData(lua_State*)
{
    RequireGameDataIO().LoadAllPlayerData(false);
    return 0;
}

int Script_SaveData(lua_State*)
{
    RequireGameDataIO().SaveAllPlayerData();
    return 0;
}

ScriptFunctionRegistration s_Do_LoadFile(Script_Do_LoadFile, "Do_LoadFile");
ScriptFunctionRegistration s_LoadData(Script_LoadData, "LoadData");
ScriptFunctionRegistration s_SaveData(Script_SaveData, "SaveData");

} // namespace
