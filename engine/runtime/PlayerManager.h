#pragma once

#include "engine/core/Object.h"
#include "engine/runtime/GameRecords.h"
#include "platform/lua/LuaObject.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The native handle on one player's table in the script state: name, options,
// per-mode statistics and game records. The game's WopplePlayer adds progress.
class Player : public Object, public GameRecordObserver
{
    VELK_DECLARE_CLASS(Player)
public:
    Player() = default;
    ~Player() override = default;

    void SetPlayerData(const LuaObject& data);
    LuaObject GetTable() const;
    LuaObject GetOptionsTable() const;
    // "Game_Records", made empty when absent.
    LuaObject GetGameRecordsTable();
    // Game_Modes[mode], made by the script's CreateGameModeTable when absent.
    // An empty mode is the "game.mode" option of current player 1.
    LuaObject GetGameModeTable(const std::string& mode);
    // The field of the first entry of a list in the current mode's table, as
    // text; the default when the list is empty or there is no current mode.
    std::string GetTopStatisticStr(const std::string& listName, const std::string& fieldName,
                                   const std::string& defaultText);
    // Top_Scores by total_score and Top_Percentages by percentage of the
    // record's game mode, each unless the record's game is listed already.
    void AddScoreRecord(const LuaObject& record);
    // Top_Words by word_score, unless the same game's same word is listed.
    void AddWordRecord(const LuaObject& record);
    // An empty slot: the table has no Name.
    bool IsUnused() const;
    // The position in Players (or in DummyPlayers for a dummy); 0 when none.
    int GetIndex() const;
    bool IsEqualTo(const Player* player) const;

    void OnGameRecordAdded(uint32_t, GameRecordGuid) override {}
    void OnGameRecordRemoved(GameRecordGuid) override {}

private:
    LuaObject m_Data;
};

// Owns the script tables Players (the four card players, and in "current"
// the two current-player slots) and DummyPlayers (ten placeholders), hands
// out one Player object per player table, and passes record notices on to the
// card players. The application owns the one instance.
class PlayerManager : public Object, public GameRecordObserver
{
public:
    // Runs "PlayerManager.lua" and registers with the game-record manager.
    PlayerManager();
    ~PlayerManager() override;

    static PlayerManager* GetInstance();

    // Player objects made from now on are of this class (a subclass of Player).
    void SetPlayerClass(const std::string& className);
    // Rebuilds Players and DummyPlayers and reads the four cards from
    // Paths.PlayerData; a card that cannot be read gives a fresh player.
    void LoadGameData();

    int GetPlayerCount() const;
    int GetDummyPlayerCount() const;
    Player* GetPlayer(int index);
    Player* GetDummyPlayer(int index);
    Player* GetCurrentPlayer(int slot);
    // The cached object of the player table with that guid (a new one when the
    // table changed); null when no player has the guid.
    Player* GetPlayerObject(int guid);

    // Slot 1 or 2. Slot 1 is remembered in the setting "current_player_1_guid".
    void SetCurrentPlayer(Player* player, int slot);
    // The first current slot holding the player; 0 when none.
    int GetCurrentSlot(Player* player);
    // Puts a fresh player at the index (and in its current slot); returns the
    // old player's table so that the caller can drop its records.
    LuaObject ClearPlayer(int index);

    void OnGameRecordAdded(uint32_t tag, GameRecordGuid guid) override;
    void OnGameRecordRemoved(GameRecordGuid guid) override;

private:
    Player* GetObjectForEntry(const LuaObject& entry);
    LuaState m_State;
    Class* m_PlayerClass = nullptr;
    std::map<int, std::unique_ptr<Player>> m_Players;
    // Objects whose guid now names another table: callers may still hold
    // them, so they live as long as the manager.
    std::vector<std::unique_ptr<Player>> m_RetiredPlayers;
};

// A whole number that fits an int (guids, indices and slots in tables).
bool ReadWholeInt(const LuaObject& value, int& result);

// Inserts the record into a best-first list of at most ten by record[key]; a
// tie goes before the entry it ties with. Returns the position, or 0 when the
// list is full and the record ranks below all ten.
int InsertRecordInTopTen(const LuaObject& record, const std::string& key, LuaObject list);
// True when an entry of the list has the record's game_guid (and, when
// extraKey is not empty, the record's value under that key too).
bool IsRecordInList(const LuaObject& record, const LuaObject& list, const std::string& extraKey = std::string());
