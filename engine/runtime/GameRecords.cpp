#include "engine/runtime/GameRecords.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/HighScoreManager.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/Utility.h"

#include <algorithm>
#include <cmath>

namespace {

GameRecordManager* g_GameRecordManager = nullptr;

GameRecordManager& RequireManager()
{
    VELK_ASSERT(GameRecordManager::GetInstance() != 0);
    return *GameRecordManager::GetInstance();
}

LuaObject GuidKey(LuaState state, GameRecordGuid guid)
{
    LuaObject key;
    key.AssignInteger(state, guid.value);
    return key;
}

} // namespace

bool ReadGameRecordGuid(const LuaObject& value, GameRecordGuid& guid)
{
    if (!value.IsNumber())
        return false;
    double n = value.GetNumber();
    if (!std::isfinite(n) || std::floor(n) != n || n < 0 || n > GameRecordGuid::kMaxValue)
        return false;
    guid.value = static_cast<int32_t>(n);
    return true;
}

// ---------------------------------------------------------------- GameRecordGuid

GameRecordGuid GameRecordGuid::GenerateNewGuidData()
{
    return RequireManager().GenerateNewGuidData();
}

// ---------------------------------------------------------------- GameRecord

GameRecord::GameRecord(uint32_t tag, const std::string& typeName) : m_Tag(tag)
{
    GameRecordManager& manager = RequireManager();
    m_Guid = manager.CreateRecordTable();
    manager.GetTableWithGuid(m_Guid).SetString("gameRecordType", typeName);
}

GameRecord::GameRecord(const LuaObject& table)
{
    VELK_ASSERT_MSG(table["gameRecordGuid"].IsInteger(), "A game record table must contain a guid.");
    VELK_ASSERT_MSG(table["gameRecordType"].IsString(), "Cannot deduce game record's type.");
    VELK_ASSERT_MSG(ReadGameRecordGuid(table["gameRecordGuid"], m_Guid),
                    (boost::format("A game record guid must lie in 0..%1%.") % GameRecordGuid::kMaxValue).str());
    RequireManager().RestoreTable(m_Guid, table);
}

LuaObject GameRecord::GetTable() const
{
    return RequireManager().GetTableWithGuid(m_Guid);
}

void GameRecord::NotifyObservers() const
{
    RequireManager().NotifyRecordAdded(m_Tag, m_Guid);
}

// ---------------------------------------------------------------- GameRecordManager

GameRecordManager::GameRecordManager(LuaState state) : m_State(state ? state : VelkLuaState::Get())
{
    VELK_ASSERT(m_State);
    m_Records.AssignNewTable(m_State);
    g_GameRecordManager = this;
}

GameRecordManager::~GameRecordManager()
{
    if (g_GameRecordManager == this)
        g_GameRecordManager = nullptr;
}

GameRecordManager* GameRecordManager::GetInstance()
{
    return g_GameRecordManager;
}

GameRecordGuid GameRecordManager::GenerateNewGuidData()
{
    for (int i = 0; i < kMaxGuidTries; ++i) {
        GameRecordGuid guid{RandomInt(GameRecordGuid::kMaxValue + 1)};
        if (!HasRecord(guid))
            return guid;
    }
    VELK_THROW(Exception,
               (boost::format("Could not generate a game record guid after %1% tries.") % kMaxGuidTries).str());
}

bool GameRecordManager::HasRecord(GameRecordGuid guid) const
{
    return !m_Records.RawGetByObject(GuidKey(m_State, guid)).IsNil();
}

void GameRecordManager::RestoreTable(GameRecordGuid guid, const LuaObject& table)
{
    LuaObject guidObject = GuidKey(m_State, guid);
    VELK_ASSERT_MSG(m_Records[guidObject].IsNil(),
                    (boost::format("A game record with the guid \"%1%\" already exists.") % guid.value).str());
    m_Records.RawSetObject(guidObject, table);
}

LuaObject GameRecordManager::GetTableWithGuid(GameRecordGuid guid) const
{
    LuaObject record = m_Records.RawGetByObject(GuidKey(m_State, guid));
    VELK_ASSERT_MSG(record.IsTable(), (boost::format("Invalud guid, record is of type \"%1%\"") % record.TypeName()).str());
    return record;
}

GameRecordGuid GameRecordManager::CreateRecordTable()
{
    GameRecordGuid guid = GenerateNewGuidData();
    LuaObject table;
    table.AssignNewTable(m_State);
    table.SetInteger("gameRecordGuid", guid.value);
    m_Records.RawSetObject(GuidKey(m_State, guid), table);
    return guid;
}

void GameRecordManager::AddObserver(GameRecordObserver* observer)
{
    m_Observers.push_back(observer);
}

void GameRecordManager::RemoveObserver(GameRecordObserver* observer)
{
    m_Observers.erase(std::remove(m_Observers.begin(), m_Observers.end(), observer), m_Observers.end());
}

void GameRecordManager::NotifyRecordAdded(uint32_t tag, GameRecordGuid guid)
{
    // A copy: an observer may add another while it is told.
    std::vector<GameRecordObserver*> observers = m_Observers;
    for (GameRecordObserver* observer : observers)
        observer->OnGameRecordAdded(tag, guid);
}

void GameRecordManager::ResetRecords()
{
    PlayerManager* players = PlayerManager::GetInstance();
    std::vector<std::pair<LuaObject, GameRecordGuid>> orphaned;
    std::vector<LuaObject> unattached;
    for (LuaTableIterator it(m_Records); it; ++it) {
        const LuaObject& value = it.GetValue();
        LuaObject playerGuid = value.IsTable() ? value["playerGuid"] : LuaObject();
        if (!playerGuid.IsInteger()) {
            unattached.push_back(it.GetKey());
            continue;
        }
        int owner = 0;
        if (players && ReadWholeInt(playerGuid, owner) && players->GetPlayerObject(owner))
            continue;
        GameRecordGuid guid;
        if (ReadGameRecordGuid(it.GetKey(), guid))
            orphaned.emplace_back(it.GetKey(), guid);
        else
            unattached.push_back(it.GetKey());
    }

    LuaObject nil(m_State);
    for (const auto& [key, guid] : orphaned) {
        std::vector<GameRecordObserver*> observers = m_Observers;
        for (GameRecordObserver* observer : observers)
            observer->OnGameRecordRemoved(guid);
        m_Records.RawSetObject(key, nil);
    }
    for (const LuaObject& key : unattached)
        m_Records.RawSetObject(key, nil);
}

int GameRecordManager::AddRecordsFromPlayer(Player* player)
{
    VELK_ASSERT(player != 0);
    LuaObject records = player->GetGameRecordsTable();
    std::vector<LuaObject> fresh;
    for (LuaTableIterator it(records); it; ++it) {
        const LuaObject& value = it.GetValue();
        GameRecordGuid guid;
        if (!value.IsTable() || !ReadGameRecordGuid(value["gameRecordGuid"], guid) || HasRecord(guid))
            continue;
        fresh.push_back(value);
    }
    int added = 0;
    for (const LuaObject& table : fresh) {
        GameRecordGuid guid;
        ReadGameRecordGuid(table["gameRecordGuid"], guid);
        // The same table twice in one list is one record.
        if (HasRecord(guid))
            continue;
        if (!table["gameRecordType"].IsString()) {
            LogWrite("WARNING: A game record of player %d has no type; it was left out (guid = %d).\n",
                     player->GetIndex(), guid.value);
            continue;
        }
        GameRecord record(table);
        record.NotifyObservers();
        ++added;
    }
    return added;
}

void GameRecordManager::RefreshRecordsFromPlayers()
{
    PlayerManager* players = PlayerManager::GetInstance();
    VELK_ASSERT(players != 0);
    for (int slot = 1; slot <= 4; ++slot) {
        Player* player = players->GetPlayer(slot);
        if (player && !player->IsUnused())
            AddRecordsFromPlayer(player);
    }
}

void GameRecordManager::ClearHighScores()
{
    VELK_ASSERT(HighScoreManager::GetInstance() != 0);
    HighScoreManager::GetInstance()->ClearHighScores();
}

// ---------------------------------------------------------------- script functions

namespace {

int Script_RefreshRecordsFromPlayers(lua_State*)
{
    RequireManager().RefreshRecordsFromPlayers();
    return 0;
}

// The player a score or word record names; records of unknown players are
// left out with a warning rather than filed under nobody.
Player* OwnerOfRecord(const LuaObject& record, const char* function)
{
    PlayerManager* players = PlayerManager::GetInstance();
    VELK_ASSERT(players != 0);
    LuaObject guid = record["player_guid"];
    int playerGuid = 0;
    Player* player = ReadWholeInt(guid, playerGuid) ? players->GetPlayerObject(playerGuid) : nullptr;
    if (!player)
        LogWrite("WARNING: %s: no player has the guid of the record (player_guid = %s); it was left out.\n", function,
                 guid.IsNumber() ? (boost::format("%1%") % guid.GetNumber()).str().c_str() : guid.TypeName());
    return player;
}

LuaObject RecordListArgument(lua_State* L, const char* function)
{
    LuaState state(L);
    LuaObject records(state, lua_gettop(L));
    if (!records.IsTable())
        VELK_THROW(ScriptError, (boost::format("%1%(records): records must be a table of record tables.") % function).str());
    return records;
}

int Script_AddScoreRecords(lua_State* L)
{
    LuaObject records = RecordListArgument(L, "AddScoreRecords");
    HighScoreManager* scores = HighScoreManager::GetInstance();
    VELK_ASSERT(scores != 0);
    for (LuaTableIterator it(records); it; ++it) {
        const LuaObject& record = it.GetValue();
        if (!record.IsTable())
            continue;
        Player* player = OwnerOfRecord(record, "AddScoreRecords");
        if (!player)
            continue;
        player->AddScoreRecord(record);
        scores->AddScoreRecord(record, true);
    }
    return 0;
}

int Script_AddWordRecords(lua_State* L)
{
    LuaObject records = RecordListArgument(L, "AddWordRecords");
    HighScoreManager* scores = HighScoreManager::GetInstance();
    VELK_ASSERT(scores != 0);
    for (LuaTableIterator it(records); it; ++it) {
        const LuaObject& wordRecord = it.GetValue();
        VELK_ASSERT(wordRecord.IsTable());
        Player* player = OwnerOfRecord(wordRecord, "AddWordRecords");
        if (!player)
            continue;
        player->AddWordRecord(wordRecord);
        scores->AddWordRecord(wordRecord);
    }
    return 0;
}

ScriptFunctionRegistration s_RefreshRecordsFromPlayers(Script_RefreshRecordsFromPlayers, "RefreshRecordsFromPlayers");
ScriptFunctionRegistration s_AddScoreRecords(Script_AddScoreRecords, "AddScoreRecords");
ScriptFunctionRegistration s_AddWordRecords(Script_AddWordRecords, "AddWordRecords");

} // namespace
