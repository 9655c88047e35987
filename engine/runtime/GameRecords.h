#pragma once

#include "platform/lua/LuaObject.h"

#include <cstdint>
#include <string>
#include <vector>

class Player;

// The guid of a game record: 0 to 32767, the range of the shared random
// generator it is drawn from. In tables it is always a script integer.
struct GameRecordGuid
{
    static constexpr int32_t kMaxValue = 32767;

    int32_t value = 0;

    // A guid that no record holds yet, from the one GameRecordManager.
    static GameRecordGuid GenerateNewGuidData();

    bool operator==(const GameRecordGuid& other) const { return value == other.value; }
    bool operator!=(const GameRecordGuid& other) const { return value != other.value; }
};

// Told of every record that enters or leaves the manager's records table.
class GameRecordObserver
{
public:
    virtual ~GameRecordObserver() = default;
    virtual void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid) = 0;
    virtual void OnGameRecordRemoved(GameRecordGuid guid) = 0;
};

// A small handle on one record of the manager: the tag its maker gave it and
// its guid. The record's data is its table in the manager.
class GameRecord
{
public:
    // A new record with a fresh guid whose table holds "gameRecordGuid" and
    // "gameRecordType". Nobody is told until NotifyObservers.
    GameRecord(uint32_t tag, const std::string& typeName);
    // Files a record table read back from a player (tag 0). The table must hold
    // an integer "gameRecordGuid" and a text "gameRecordType".
    explicit GameRecord(const LuaObject& table);
    // A handle on a record already in the manager.
    GameRecord(uint32_t tag, GameRecordGuid guid) : m_Tag(tag), m_Guid(guid) {}

    LuaObject GetTable() const;
    // OnGameRecordAdded(tag, guid) on every observer, in registration order.
    void NotifyObservers() const;

    uint32_t GetTag() const { return m_Tag; }
    GameRecordGuid GetGuid() const { return m_Guid; }

private:
    uint32_t m_Tag = 0;
    GameRecordGuid m_Guid;
};

// All records of the players in the four slots, merged into one script table
// keyed by record guid. The application owns the one instance; each player's
// own copy under "Game_Records" is what reaches the card files.
class GameRecordManager
{
public:
    // Guid draws before giving up; with 32768 guids the table is full long before.
    static constexpr int kMaxGuidTries = 100000;

    // Makes the records table in the state (null: the process's state).
    explicit GameRecordManager(LuaState state = LuaState());
    GameRecordManager(const GameRecordManager&) = delete;
    GameRecordManager& operator=(const GameRecordManager&) = delete;
    ~GameRecordManager();

    // The one manager, or null.
    static GameRecordManager* GetInstance();

    GameRecordGuid GenerateNewGuidData();
    // Files an existing table under its guid; a guid already in use is an assertion failure.
    void RestoreTable(GameRecordGuid guid, const LuaObject& table);
    // The table of the record; an unknown guid is an assertion failure.
    LuaObject GetTableWithGuid(GameRecordGuid guid) const;
    bool HasRecord(GameRecordGuid guid) const;
    // A new empty record table with "gameRecordGuid" set; its guid.
    GameRecordGuid CreateRecordTable();

    // Observers are called in the order added; one added twice is called twice.
    void AddObserver(GameRecordObserver* observer);
    // For an observer that goes away before the manager.
    void RemoveObserver(GameRecordObserver* observer);
    const std::vector<GameRecordObserver*>& GetObservers() const { return m_Observers; }
    void NotifyRecordAdded(uint32_t tag, GameRecordGuid guid);

    // Drops records whose player no longer exists (telling the observers) and
    // records tied to no player (silently).
    void ResetRecords();
    // Merges the records of the players in slots 1 to 4.
    void RefreshRecordsFromPlayers();
    // Merges one player's "Game_Records": each valid record not yet known is
    // filed and announced; known ones are skipped. Returns how many were added.
    int AddRecordsFromPlayer(Player* player);
    // The high-score manager's clear, for the player dialogs.
    void ClearHighScores();

    LuaObject GetRecordsTable() const { return m_Records; }

private:
    LuaState m_State;
    LuaObject m_Records;
    std::vector<GameRecordObserver*> m_Observers;
};

// Reads a record guid from a table value: an integer within the guid range.
bool ReadGameRecordGuid(const LuaObject& value, GameRecordGuid& guid);
