#pragma once

#include "engine/runtime/GameRecords.h"
#include "engine/runtime/TopRecords.h"
#include "engine/ui/Actor.h"
#include "engine/ui/GameRecordRow.h"

#include <cstdint>
#include <string>

class Label;
class Player;
class PlayerManager;

// Every finished game leaves a "WoppleScoreRecord": "playerGuid", "level" (0
// outside the quest), "gameScore" and "gameType" ("Classic", "Vevev"). The
// top-score lists below watch all records and keep the best ten that pass
// their test; the top-records views draw their entries as WoppleScoreRows.

inline constexpr const char* kWoppleScoreRecordType = "WoppleScoreRecord";

// A new score record with a fresh guid. Nobody hears of it until the caller
// calls NotifyObservers on it.
GameRecord MakeWoppleScoreRecord(Player* player, std::int64_t gameScore, const std::string& gameType, int level);

// The scripts that progress and the lists read besides the quest's levels:
// the statistics and awards, and the score rows' labels.
void LoadWoppleProgressScripts(LuaState state);
// Files every top-score list of the game with the manager, in the order the
// views expect; returns how many.
int AddWoppleTopRecordsLists(TopRecordsManager& manager, LuaState state);
// Announces the placeholder players' records; returns how many.
int SeedWoppleDefaultHighScores(PlayerManager& players, LuaState state);

// A number as a whole 64-bit integer, towards zero (clamped at the ends).
std::int64_t TruncateToInt64(double value);
// "1,234,567"; negative numbers keep their sign.
std::string FormatInt64WithCommas(std::int64_t value);

// "'guid=N'": how a player's own lists name the player in their keys.
std::string PlayerFilterText(int playerGuid);
// The key of a player's list of one quest level's scores.
std::string PlayerLevelListKey(int playerGuid, const std::string& gameType, int level);

// The shared part: entries best first by the application's comparison, at
// most ten, each a record that the extra filter and the list's own test take.
class TopWoppleRecordsList : public AbstractTopGameRecordsList
{
public:
    TopWoppleRecordsList(Class* rowClass, Comparison comparison, Filter extraFilter)
        : AbstractTopGameRecordsList(rowClass, std::move(comparison), std::move(extraFilter))
    {
    }

    void GetAlternateKeys(std::vector<std::string>&) const override {}
    // A "TopRecordsTitleLabel" label showing the key.
    Actor* CreateTitleActor() override;
    // A row of the row class given the index, then the entry.
    Actor* CreateRowActor(int index) override;
    bool IsSkippable() const override { return false; }
    bool MatchesKey(const std::string& key) const override { return key == GetKey(); }
};

// Every record: "High Scores".
class TopWoppleOverallRecordsList : public TopWoppleRecordsList
{
public:
    TopWoppleOverallRecordsList(std::string title, Class* rowClass, Comparison comparison, Filter extraFilter);
    std::string GetKey() const override { return m_Title; }
    bool AcceptsRecord(uint32_t tag, const LuaObject& table) const override;

private:
    std::string m_Title;
};

// Records of one game type; the title comes filled ("Top Classic Scores").
class TopWoppleGameTypeRecordsList : public TopWoppleRecordsList
{
public:
    TopWoppleGameTypeRecordsList(std::string gameType, std::string title, Class* rowClass, Comparison comparison,
                                 Filter extraFilter);
    std::string GetKey() const override;
    bool AcceptsRecord(uint32_t tag, const LuaObject& table) const override;

protected:
    std::string m_GameType;
    std::string m_Title;
};

// Records of one game type and quest level; the title is filled with both
// ("Top %1% Scores for Level %2%").
class TopWoppleGameTypeLevelRecordsList : public TopWoppleGameTypeRecordsList
{
public:
    TopWoppleGameTypeLevelRecordsList(int level, std::string gameType, std::string titleFormat, Class* rowClass,
                                      Comparison comparison, Filter extraFilter);
    std::string GetKey() const override;
    bool AcceptsRecord(uint32_t tag, const LuaObject& table) const override;

private:
    int m_Level;
};

// The records of whoever is in a player slot (1 to 4), looked up at every
// use; an empty slot takes nothing, is skipped and answers to no key. The
// title is filled with the player's name ("%1%'s Top Scores"); the list is
// also found by the same text with the player filter in place of the name.
class TopWopplePlayerRecordsList : public TopWoppleRecordsList
{
public:
    TopWopplePlayerRecordsList(int playerIndex, std::string titleFormat, Class* rowClass, Comparison comparison,
                               Filter extraFilter, bool hidden);
    std::string GetKey() const override;
    void GetAlternateKeys(std::vector<std::string>& keys) const override;
    bool IsSkippable() const override;
    bool MatchesKey(const std::string& key) const override;
    bool AcceptsRecord(uint32_t tag, const LuaObject& table) const override;

protected:
    // The slot's player, or null when the slot is empty.
    Player* GetSlotPlayer() const;
    // The title filled with this text in the place of the player.
    virtual std::string FillTitle(const std::string& player) const;
    bool IsPlayersRecord(const LuaObject& table) const;

    int m_PlayerIndex;
    std::string m_TitleFormat;
    bool m_Hidden;
};

// A player's records of one game type ("%1%'s Top %2% Scores").
class TopWopplePlayerGameTypeRecordsList : public TopWopplePlayerRecordsList
{
public:
    TopWopplePlayerGameTypeRecordsList(int playerIndex, std::string gameType, std::string titleFormat,
                                       Class* rowClass, Comparison comparison, Filter extraFilter, bool hidden);
    bool AcceptsRecord(uint32_t tag, const LuaObject& table) const override;

protected:
    std::string FillTitle(const std::string& player) const override;
    bool IsGameTypeRecord(const LuaObject& table) const;

    std::string m_GameType;
};

// A player's records of one quest level. Its title is the player filter's
// ("'guid=N''s Top Vevev Scores for Level 7"), which is how the player's
// progress finds it; it has no other key.
class TopWopplePlayerGameTypeLevelRecordsList : public TopWopplePlayerGameTypeRecordsList
{
public:
    TopWopplePlayerGameTypeLevelRecordsList(int level, int playerIndex, std::string gameType,
                                            std::string titleFormat, Class* rowClass, Comparison comparison,
                                            Filter extraFilter, bool hidden);
    std::string GetKey() const override;
    void GetAlternateKeys(std::vector<std::string>&) const override {}
    bool MatchesKey(const std::string& key) const override;
    bool AcceptsRecord(uint32_t tag, const LuaObject& table) const override;

private:
    int m_Level;
};

// One entry of a top-score view: place, player's name, score (with commas)
// and an empty game-type label.
class WoppleScoreRow : public GameRecordRow
{
    VELK_DECLARE_CLASS(WoppleScoreRow)
public:
    WoppleScoreRow();
    ~WoppleScoreRow() override;

    // Shows index + 1.
    void SetIndex(int index) override;
    // Shows the record's player (an empty name when no player has its guid) and score.
    void SetRecord(const GameRecord& entry) override;

    Label* GetIndexLabel() const { return m_IndexLabel; }
    Label* GetPlayerNameLabel() const { return m_PlayerNameLabel; }
    Label* GetGameScoreLabel() const { return m_GameScoreLabel; }
    Label* GetGameTypeLabel() const { return m_GameTypeLabel; }

private:
    Label* m_IndexLabel;
    Label* m_PlayerNameLabel;
    Label* m_GameScoreLabel;
    Label* m_GameTypeLabel;
};
