#include "engine/runtime/PlayerManager.h"

#include "engine/core/Class.h"
#include "engine/core/Config.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/GameDataIO.h"
#include "platform/lua/LuaFunction.h"

#include <climits>
#include <cmath>

VELK_REGISTER_CLASS(Player, "Object", nullptr, InstantiateObjectOfClass<Player>);

namespace {

PlayerManager* g_PlayerManager = nullptr;

PlayerManager& RequireManager()
{
    VELK_ASSERT(PlayerManager::GetInstance() != 0);
    return *PlayerManager::GetInstance();
}

LuaObject ScriptFunction(LuaState state, const char* name)
{
    return state.GetGlobal(name);
}

// list[name], made empty when absent.
LuaObject SubList(LuaObject table, const char* name)
{
    LuaObject list = table[name];
    if (list.IsNil())
        list = table.CreateTable(name);
    VELK_ASSERT_MSG(list.IsTable(), (boost::format("\"%1%\" must be a table.") % name).str());
    return list;
}

// Entries that are not tables or lack a number rank below every record.
double RankOf(const LuaObject& entry, const std::string& key)
{
    LuaObject value = entry.IsTable() ? entry[key] : LuaObject();
    return value.IsNumber() ? std::trunc(value.GetNumber()) : -HUGE_VAL;
}

std::string ValueText(const LuaObject& value)
{
    switch (value.Type()) {
    case LUA_TNUMBER:
    case LUA_TSTRING: {
        value.Push();
        lua_State* L = value.GetState().GetMainState().GetCState();
        size_t length = 0;
        const char* text = lua_tolstring(L, -1, &length);
        std::string result(text, length);
        lua_pop(L, 1);
        return result;
    }
    case LUA_TBOOLEAN:
        return value.GetBoolean() ? "true" : "false";
    default:
        return value.TypeName();
    }
}

void PostPlainEvent(int type)
{
    RequireCoreHost().PostEvent(nullptr, MakeEventRecord(static_cast<uint8_t>(type)));
}

} // namespace

bool ReadWholeInt(const LuaObject& value, int& result)
{
    if (!value.IsNumber())
        return false;
    double n = value.GetNumber();
    if (!std::isfinite(n) || std::floor(n) != n || n < INT_MIN || n > INT_MAX)
        return false;
    result = static_cast<int>(n);
    return true;
}

// ---------------------------------------------------------------- top-ten lists

int InsertRecordInTopTen(const LuaObject& record, const std::string& key, LuaObject list)
{
    VELK_ASSERT(list.IsTable());
    LuaObject value = record[key];
    VELK_ASSERT_MSG(value.IsNumber(), (boost::format("A record's \"%1%\" must be a number.") % key).str());
    const double v = std::trunc(value.GetNumber());

    int count = 0;
    while (!list[count + 1].IsNil())
        ++count;

    int position = 0;
    for (int p = 1; p <= 10 && p <= count; ++p) {
        if (v >= RankOf(list[p], key)) {
            position = p;
            break;
        }
    }
    if (position == 0) {
        if (count >= 10)
            return 0;
        position = count + 1;
    }
    for (int k = count; k >= position; --k)
        list.SetObject(k + 1, list[k]);
    list.SetObject(position, record);
    for (int k = count + 1; k > 10; --k)
        list.SetNil(k);
    return position;
}

bool IsRecordInList(const LuaObject& record, const LuaObject& list, const std::string& extraKey)
{
    if (!list.IsTable())
        return false;
    LuaObject gameGuid = record["game_guid"];
    for (LuaTableIterator it(list); it; ++it) {
        const LuaObject& entry = it.GetValue();
        if (!entry.IsTable() || !(entry["game_guid"] == gameGuid))
            continue;
        if (extraKey.empty() || entry[extraKey] == record[extraKey])
            return true;
    }
    return false;
}

// ---------------------------------------------------------------- Player

void Player::SetPlayerData(const LuaObject& data)
{
    VELK_ASSERT(data.IsTable());
    m_Data = data;
}

LuaObject Player::GetTable() const
{
    VELK_ASSERT_MSG(m_Data.IsNil() == false, "Player::SetPlayerData must be called before Player::GetTable will work");
    return m_Data;
}

LuaObject Player::GetOptionsTable() const
{
    LuaObject gameTable = GetTable()["Options"];
    VELK_ASSERT(gameTable.IsTable());
    return gameTable;
}

LuaObject Player::GetGameRecordsTable()
{
    LuaObject table = GetTable();
    LuaObject records = table["Game_Records"];
    if (records.IsNil())
        records = table.CreateTable("Game_Records");
    VELK_ASSERT(records.IsTable());
    return records;
}

namespace {

// The "game.mode" option of current player 1, when there is one.
bool CurrentGameMode(std::string& mode)
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* current = players ? players->GetCurrentPlayer(1) : nullptr;
    if (!current)
        return false;
    LuaObject value = current->GetOptionsTable()["game.mode"];
    if (!value.IsString() || value.GetString().empty())
        return false;
    mode = value.GetString();
    return true;
}

} // namespace

LuaObject Player::GetGameModeTable(const std::string& mode)
{
    LuaObject gameModesTable = GetTable()["Game_Modes"];
    VELK_ASSERT(gameModesTable.IsTable());
    std::string name = mode;
    if (name.empty())
        VELK_ASSERT_MSG(CurrentGameMode(name), "Current player 1 has no \"game.mode\" option.");
    LuaObject table = gameModesTable[name];
    if (table.IsNil()) {
        table = LuaFunction<LuaObject>{ScriptFunction(m_Data.GetState(), "CreateGameModeTable")}();
        gameModesTable.SetObject(name.c_str(), table);
    }
    return table;
}

std::string Player::GetTopStatisticStr(const std::string& listName, const std::string& fieldName,
                                       const std::string& defaultText)
{
    std::string mode;
    if (!CurrentGameMode(mode))
        return defaultText;
    LuaObject table = GetGameModeTable(mode)[listName];
    VELK_ASSERT(table.IsTable());
    LuaObject first = table[1];
    if (first.IsNil())
        return defaultText;
    return ValueText(first[fieldName]);
}

void Player::AddScoreRecord(const LuaObject& record)
{
    VELK_ASSERT(record.IsTable());
    VELK_ASSERT_MSG(record["game_mode"].IsString() && !record["game_mode"].GetString().empty(),
                    "A score record must name its game mode.");
    LuaObject gameModeTable = GetGameModeTable(record["game_mode"].GetString());
    VELK_ASSERT(gameModeTable.IsTable());
    LuaObject scores = SubList(gameModeTable, "Top_Scores");
    if (!IsRecordInList(record, scores))
        InsertRecordInTopTen(record, "total_score", scores);
    LuaObject percentages = SubList(gameModeTable, "Top_Percentages");
    if (!IsRecordInList(record, percentages))
        InsertRecordInTopTen(record, "percentage", percentages);
}

void Player::AddWordRecord(const LuaObject& record)
{
    VELK_ASSERT(record.IsTable());
    VELK_ASSERT_MSG(record["game_mode"].IsString() && !record["game_mode"].GetString().empty(),
                    "A word record must name its game mode.");
    LuaObject gameModeTable = GetGameModeTable(record["game_mode"].GetString());
    VELK_ASSERT(gameModeTable.IsTable());
    LuaObject words = SubList(gameModeTable, "Top_Words");
    if (!IsRecordInList(record, words, "word"))
        InsertRecordInTopTen(record, "word_score", words);
}

bool Player::IsUnused() const
{
    return GetTable()["Name"].IsNil();
}

int Player::GetIndex() const
{
    LuaObject guid = GetTable()["guid"];
    if (!guid.IsInteger())
        return 0;
    LuaObject index = LuaFunction<LuaObject>{ScriptFunction(m_Data.GetState(), "GetPlayerIndexWithGuid")}(guid);
    int result = 0;
    return ReadWholeInt(index, result) ? result : 0;
}

bool Player::IsEqualTo(const Player* player) const
{
    VELK_ASSERT(player != 0);
    VELK_ASSERT(GetTable()["guid"].IsInteger());
    VELK_ASSERT(player->GetTable()["guid"].IsInteger());
    return GetTable()["guid"].GetNumber() == player->GetTable()["guid"].GetNumber();
}

// ---------------------------------------------------------------- PlayerManager

PlayerManager::PlayerManager() : m_State(VelkLuaState::Get())
{
    VELK_ASSERT(m_State);
    VelkLuaState::DoResourceFile(m_State, "PlayerManager.lua");
    VELK_ASSERT(GameRecordManager::GetInstance() != 0);
    m_PlayerClass = ClassManager::GetInstance()->GetClass("Player");
    GameRecordManager::GetInstance()->AddObserver(this);
    g_PlayerManager = this;
}

PlayerManager::~PlayerManager()
{
    if (GameRecordManager* records = GameRecordManager::GetInstance())
        records->RemoveObserver(this);
    if (g_PlayerManager == this)
        g_PlayerManager = nullptr;
    m_Players.clear();
    m_RetiredPlayers.clear();
}

PlayerManager* PlayerManager::GetInstance()
{
    return g_PlayerManager;
}

void PlayerManager::SetPlayerClass(const std::string& className)
{
    m_PlayerClass = ClassManager::GetInstance()->GetClass(className);
}

void PlayerManager::LoadGameData()
{
    LuaObject globals = m_State.GetGlobals();
    LuaFunction<LuaObject> createPlayersTable{globals["CreatePlayersTable"]};
    LuaFunction<LuaObject> createDummyPlayersTable{globals["CreateDummyPlayersTable"]};
    LuaFunction<bool> loadFile{globals["LoadFile"]};
    LuaFunction<LuaObject> getLastError{globals["GetLastError"]};
    VELK_ASSERT_MSG(globals["CreatePlayer"].IsFunction(), "CreatePlayer() must be defined by every Velk app.");
    LuaFunction<LuaObject> createPlayer{globals["CreatePlayer"]};
    const std::string folder = PlayerCardFolder(m_State);

    LuaObject oldPlayers = globals["Players"];
    globals.SetObject("Players", createPlayersTable());
    globals.SetObject("DummyPlayers", createDummyPlayersTable());

    for (int i = 1; i <= 4; ++i) {
        LuaObject oldEntry = oldPlayers.IsTable() ? oldPlayers[i] : LuaObject();
        LuaObject tempData = oldEntry.IsTable() ? oldEntry["Temp_Data"] : LuaObject();
        std::string path = PlayerCardPath(folder, i);
        LuaObject players = globals["Players"];
        if (loadFile(path)) {
            LuaObject entry = players[i];
            if (tempData.IsTable() && entry.IsTable() && !oldEntry["guid"].IsNil() && oldEntry["guid"] == entry["guid"])
                entry.SetObject("Temp_Data", tempData);
        } else {
            LuaObject error = getLastError();
            LogWrite("Couldn't load player %d, err=\"%s\"\n", i, error.IsString() ? error.GetString().c_str() : "nil");
            LuaObject fresh = createPlayer();
            int count = players.GetN();
            for (int k = count; k >= i; --k)
                players.SetObject(k + 1, players[k]);
            players.SetObject(i, fresh);
        }
    }

    int guid = 0;
    Config* config = GetConfig();
    if (config && ReadWholeInt(config->GetLuaValue("current_player_1_guid"), guid)) {
        if (Player* player = GetPlayerObject(guid))
            SetCurrentPlayer(player, 1);
        else
            SetCurrentPlayer(GetPlayer(1), 1);
    } else {
        SetCurrentPlayer(GetPlayer(1), 1);
    }

    PostPlainEvent(VELK_PLAYERCHANGE);
    PostPlainEvent(VELK_HIGHSCORESUPDATED);
}

int PlayerManager::GetPlayerCount() const
{
    int count = 0;
    int key = 0;
    for (LuaTableIterator it(m_State.GetGlobal("Players")); it; ++it)
        if (ReadWholeInt(it.GetKey(), key) && key > 0)
            ++count;
    return count;
}

int PlayerManager::GetDummyPlayerCount() const
{
    int count = 0;
    int key = 0;
    for (LuaTableIterator it(m_State.GetGlobal("DummyPlayers")); it; ++it)
        if (ReadWholeInt(it.GetKey(), key) && key > 0)
            ++count;
    return count;
}

Player* PlayerManager::GetObjectForEntry(const LuaObject& entry)
{
    int guid = 0;
    if (!entry.IsTable() || !ReadWholeInt(entry["guid"], guid))
        return nullptr;
    return GetPlayerObject(guid);
}

Player* PlayerManager::GetPlayer(int index)
{
    return GetObjectForEntry(m_State.GetGlobal("Players")[index]);
}

Player* PlayerManager::GetDummyPlayer(int index)
{
    return GetObjectForEntry(m_State.GetGlobal("DummyPlayers")[index]);
}

Player* PlayerManager::GetCurrentPlayer(int slot)
{
    return GetObjectForEntry(m_State.GetGlobal("Players")["current"][slot]);
}

Player* PlayerManager::GetPlayerObject(int guid)
{
    LuaObject found = LuaFunction<LuaObject>{ScriptFunction(m_State, "GetPlayerWithGuid")}(guid, true);
    if (!found.IsTable())
        return nullptr;
    auto cached = m_Players.find(guid);
    if (cached != m_Players.end() && cached->second->GetTable() == found)
        return cached->second.get();

    LuaObject empty;
    empty.AssignNewTable(m_State);
    std::unique_ptr<Object> object(m_PlayerClass->Instantiate(empty));
    VELK_ASSERT_MSG(dynamic_cast<Player*>(object.get()) != 0,
                    (boost::format("The player class \"%1%\" is not a Player.") % m_PlayerClass->GetName()).str());
    std::unique_ptr<Player> player(static_cast<Player*>(object.release()));
    player->SetPlayerData(found);
    if (cached != m_Players.end()) {
        m_RetiredPlayers.push_back(std::move(cached->second));
        cached->second = std::move(player);
        return cached->second.get();
    }
    return (m_Players[guid] = std::move(player)).get();
}

void PlayerManager::SetCurrentPlayer(Player* player, int index)
{
    LuaObject players = m_State.GetGlobal("Players");
    VELK_ASSERT(players.IsTable());
    LuaObject currentPlayersTable = players["current"];
    VELK_ASSERT(currentPlayersTable.IsTable());
    VELK_ASSERT(index >= 1);
    VELK_ASSERT(index <= 2);
    VELK_ASSERT(player != 0);
    VELK_ASSERT(player->GetTable().IsTable());

    currentPlayersTable.SetObject(index, player->GetTable());
    if (index == 1) {
        Config* config = GetConfig();
        VELK_ASSERT(config != 0);
        LuaObject guid = player->GetTable()["guid"];
        VELK_ASSERT(guid.IsInteger());
        config->Store("current_player_1_guid", Variant(guid.GetNumber()));
    }
    PostPlainEvent(VELK_PLAYERCHANGE);
}

int PlayerManager::GetCurrentSlot(Player* player)
{
    for (int slot = 1;; ++slot) {
        Player* current = GetCurrentPlayer(slot);
        if (!current)
            return 0;
        if (player->IsEqualTo(current))
            return slot;
    }
}

LuaObject PlayerManager::ClearPlayer(int index)
{
    Player* player = GetPlayer(index);
    VELK_ASSERT_MSG(player != 0, (boost::format("There is no player at index %1%.") % index).str());
    int slot = GetCurrentSlot(player);
    LuaObject newPlayerTable = LuaFunction<LuaObject>{ScriptFunction(m_State, "CreatePlayer")}();
    VELK_ASSERT(newPlayerTable.IsTable());
    LuaObject oldTable = player->GetTable();
    LuaObject players = m_State.GetGlobal("Players");
    players.SetObject(index, newPlayerTable);
    if (slot > 0)
        players["current"].SetObject(slot, newPlayerTable);
    return oldTable;
}

void PlayerManager::OnGameRecordAdded(uint32_t tag, GameRecordGuid guid)
{
    const int count = GetPlayerCount();
    for (int i = 1; i <= count; ++i)
        if (Player* player = GetPlayer(i))
            player->OnGameRecordAdded(tag, guid);
}

void PlayerManager::OnGameRecordRemoved(GameRecordGuid guid)
{
    const int count = GetPlayerCount();
    for (int i = 1; i <= count; ++i)
        if (Player* player = GetPlayer(i))
            player->OnGameRecordRemoved(guid);
}

// ---------------------------------------------------------------- script functions

namespace {

int SlotArgument(lua_State* L, const char* usage)
{
    int slot = 0;
    if (!ReadWholeInt(LuaObject(LuaState(L), 2), slot))
        VELK_THROW(ScriptError, (boost::format("Bad parameter(s).\nUsage: %1%") % usage).str());
    return slot;
}

int Script_SetCurrentPlayerFromGuid(lua_State* L)
{
    PlayerManager& manager = RequireManager();
    int slot = SlotArgument(L, "SetCurrentPlayerFromGuid(guid, slot)");
    int guid = 0;
    Player* player = ReadWholeInt(LuaObject(LuaState(L), 1), guid) ? manager.GetPlayerObject(guid) : nullptr;
    if (player)
        manager.SetCurrentPlayer(player, slot);
    lua_pushboolean(L, player ? 1 : 0);
    return 1;
}

int Script_SetCurrentPlayerFromIndex(lua_State* L)
{
    PlayerManager& manager = RequireManager();
    int slot = SlotArgument(L, "SetCurrentPlayerFromIndex(index, slot)");
    int index = 0;
    Player* player = ReadWholeInt(LuaObject(LuaState(L), 1), index) ? manager.GetPlayer(index) : nullptr;
    if (!player)
        VELK_THROW(ScriptError, (boost::format("SetCurrentPlayerFromIndex: there is no player at index %1%.") %
                                 ValueText(LuaObject(LuaState(L), 1)))
                                    .str());
    manager.SetCurrentPlayer(player, slot);
    return 0;
}

int Script_LoadGameData(lua_State*)
{
    RequireManager().LoadGameData();
    return 0;
}

ScriptFunctionRegistration s_SetCurrentPlayerFromGuid(Script_SetCurrentPlayerFromGuid, "SetCurrentPlayerFromGuid");
ScriptFunctionRegistration s_SetCurrentPlayerFromIndex(Script_SetCurrentPlayerFromIndex, "SetCurrentPlayerFromIndex");
ScriptFunctionRegistration s_LoadGameData(Script_LoadGameData, "LoadGameData");

} // namespace
