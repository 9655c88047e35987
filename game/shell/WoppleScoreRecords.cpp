#include "game/shell/WoppleScoreRecords.h"

#include "engine/core/Class.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Label.h"

#include <boost/format.hpp>

#include <cmath>
#include <limits>
#include <memory>

GameRecord MakeWoppleScoreRecord(Player* player, std::int64_t gameScore, const std::string& gameType, int level)
{
    VELK_ASSERT(player != nullptr);
    GameRecord record(0, kWoppleScoreRecordType);
    LuaObject table = record.GetTable();
    table.SetObject("playerGuid", player->GetTable()["guid"]);
    table.SetInteger("level", level);
    table.SetNumber("gameScore", static_cast<double>(gameScore));
    table.SetString("gameType", gameType);
    return record;
}

void LoadWoppleProgressScripts(LuaState state)
{
    VelkLuaState::DoResourceFile(state, "WoppleAwards.lua");
    VelkLuaState::DoResourceFile(state, "WoppleScoreRow.lua");
}

namespace {

bool ByGreaterScore(const GameRecord& a, const GameRecord& b)
{
    return a.GetTable()["gameScore"].GetNumber() > b.GetTable()["gameScore"].GetNumber();
}

bool HasPositiveScore(const GameRecord& record)
{
    LuaObject score = record.GetTable()["gameScore"];
    return score.IsNumber() && score.GetNumber() > 0;
}

std::vector<int> QuestLevelKeys(LuaState state)
{
    std::vector<int> levels;
    int level = 0;
    for (LuaTableIterator it(state.GetGlobal("WoppleQuestLevels")); it; ++it)
        if (ReadWholeInt(it.GetKey(), level))
            levels.push_back(level);
    return levels;
}

} // namespace

int AddWoppleTopRecordsLists(TopRecordsManager& manager, LuaState state)
{
    Class* row = ClassManager::GetInstance()->GetClass("WoppleScoreRow");
    const std::vector<int> levels = QuestLevelKeys(state);
    int count = 0;
    auto add = [&manager, &count](TopRecordsList* list) {
        manager.AddList(list);
        ++count;
    };
    add(new TopWoppleOverallRecordsList("High Scores", row, ByGreaterScore, HasPositiveScore));
    for (int player = 1; player <= 4; ++player) {
        add(new TopWopplePlayerRecordsList(player, "%1%'s Top Scores", row, ByGreaterScore, HasPositiveScore, false));
        add(new TopWopplePlayerGameTypeRecordsList(player, "Classic", "%1%'s Top %2% Scores", row, ByGreaterScore,
                                                   HasPositiveScore, false));
        for (int level : levels)
            add(new TopWopplePlayerGameTypeLevelRecordsList(level, player, "Vevev",
                                                            "%1%'s Top %2% Scores for Level %3%", row,
                                                            ByGreaterScore, HasPositiveScore, false));
    }
    add(new TopWoppleGameTypeRecordsList("Classic", "Top Classic Scores", row, ByGreaterScore, HasPositiveScore));
    for (int level : levels)
        add(new TopWoppleGameTypeLevelRecordsList(level, "Vevev", "Top %1% Scores for Level %2%", row,
                                                  ByGreaterScore, HasPositiveScore));
    Log(2, "WoppleApp::CreateTopRecordsLists: %d top-score lists\n", count);
    return count;
}

int SeedWoppleDefaultHighScores(PlayerManager& players, LuaState state)
{
    LuaObject levels = state.GetGlobal("WoppleQuestLevels");
    const int numLevels = levels.IsTable() ? levels.GetN() : 0;
    LuaObject defaultTop = state.GetGlobal("DefaultTopScore");
    int count = 0;
    for (int m = 1; m <= 10; ++m) {
        Player* dummy = players.GetDummyPlayer(m);
        VELK_ASSERT_MSG(dummy != nullptr, "The placeholder players must be loaded before the default high scores.");
        MakeWoppleScoreRecord(dummy, 30000LL * m / 10, "Classic", 0).NotifyObservers();
        ++count;
        for (int n = 1; n <= numLevels; ++n) {
            LuaObject entry = levels[n];
            LuaObject top = entry.IsTable() ? entry["topScore"] : LuaObject();
            const std::int64_t best = TruncateToInt64((top.IsInteger() ? top : defaultTop).GetNumber());
            MakeWoppleScoreRecord(dummy, best * m / 10, "Vevev", n).NotifyObservers();
            ++count;
        }
    }
    Log(2, "WoppleApp::CreateDefaultHighScores: %d records seeded, Classic from %d down to %d\n", count, 30000,
        3000);
    return count;
}

std::int64_t TruncateToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 itself does not fit; doubles below it do.
    if (value >= 9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::max();
    if (value <= -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(value);
}

std::string FormatInt64WithCommas(std::int64_t value)
{
    // Through the unsigned magnitude, so that the smallest value has one too.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits = std::to_string(magnitude);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return value < 0 ? "-" + text : text;
}

std::string PlayerFilterText(int playerGuid)
{
    return (boost::format("'guid=%1%'") % playerGuid).str();
}

std::string PlayerLevelListKey(int playerGuid, const std::string& gameType, int level)
{
    return (boost::format("%1%'s Top %2% Scores for Level %3%") % PlayerFilterText(playerGuid) % gameType % level).str();
}

namespace {

// Every record is offered to every list (hundreds of lists when the default
// scores are made): the fields are read in place rather than as handles.
bool IsGameType(const LuaObject& table, const std::string& gameType)
{
    return table.TestRawField("gameType",
                              [&](const LuaStackObject& type) { return type.IsString() && type.GetString() == gameType; });
}

bool IsLevel(const LuaObject& table, int level)
{
    return table.TestRawField("level",
                              [&](const LuaStackObject& value) { return value.IsInteger() && value.GetNumber() == level; });
}

} // namespace

// ---------------------------------------------------------------- shared

Actor* TopWoppleRecordsList::CreateTitleActor()
{
    return Label::CreateWithText("TopRecordsTitleLabel", PlainLabelText(GetKey()));
}

Actor* TopWoppleRecordsList::CreateRowActor(int index)
{
    VELK_ASSERT(m_RowClass != nullptr);
    LuaObject params;
    params.AssignNewTable(VelkLuaState::Get());
    std::unique_ptr<Object> object(m_RowClass->Instantiate(params));
    auto* row = dynamic_cast<WoppleScoreRow*>(object.get());
    VELK_ASSERT_MSG(row != nullptr, "The row class of a score list must be a WoppleScoreRow.");
    object.release();
    row->SetIndex(index);
    row->SetRecord(GetRecord(index));
    return row;
}

// ---------------------------------------------------------------- overall

TopWoppleOverallRecordsList::TopWoppleOverallRecordsList(std::string title, Class* rowClass, Comparison comparison,
                                                         Filter extraFilter)
    : TopWoppleRecordsList(rowClass, std::move(comparison), std::move(extraFilter)), m_Title(std::move(title))
{
}

bool TopWoppleOverallRecordsList::AcceptsRecord(uint32_t, const LuaObject&) const
{
    return true;
}

// ---------------------------------------------------------------- game type

TopWoppleGameTypeRecordsList::TopWoppleGameTypeRecordsList(std::string gameType, std::string title, Class* rowClass,
                                                           Comparison comparison, Filter extraFilter)
    : TopWoppleRecordsList(rowClass, std::move(comparison), std::move(extraFilter)),
      m_GameType(std::move(gameType)),
      m_Title(std::move(title))
{
}

std::string TopWoppleGameTypeRecordsList::GetKey() const
{
    return m_Title;
}

bool TopWoppleGameTypeRecordsList::AcceptsRecord(uint32_t, const LuaObject& table) const
{
    return IsGameType(table, m_GameType);
}

TopWoppleGameTypeLevelRecordsList::TopWoppleGameTypeLevelRecordsList(int level, std::string gameType,
                                                                     std::string titleFormat, Class* rowClass,
                                                                     Comparison comparison, Filter extraFilter)
    : TopWoppleGameTypeRecordsList(std::move(gameType), std::move(titleFormat), rowClass, std::move(comparison),
                                   std::move(extraFilter)),
      m_Level(level)
{
}

std::string TopWoppleGameTypeLevelRecordsList::GetKey() const
{
    return (boost::format(m_Title) % m_GameType % m_Level).str();
}

bool TopWoppleGameTypeLevelRecordsList::AcceptsRecord(uint32_t, const LuaObject& table) const
{
    return IsLevel(table, m_Level) && IsGameType(table, m_GameType);
}

// ---------------------------------------------------------------- player

TopWopplePlayerRecordsList::TopWopplePlayerRecordsList(int playerIndex, std::string titleFormat, Class* rowClass,
                                                       Comparison comparison, Filter extraFilter, bool hidden)
    : TopWoppleRecordsList(rowClass, std::move(comparison), std::move(extraFilter)),
      m_PlayerIndex(playerIndex),
      m_TitleFormat(std::move(titleFormat)),
      m_Hidden(hidden)
{
}

Player* TopWopplePlayerRecordsList::GetSlotPlayer() const
{
    PlayerManager* players = PlayerManager::GetInstance();
    Player* player = players ? players->GetPlayer(m_PlayerIndex) : nullptr;
    return player && !player->IsUnused() ? player : nullptr;
}

std::string TopWopplePlayerRecordsList::FillTitle(const std::string& player) const
{
    return (boost::format(m_TitleFormat) % player).str();
}

std::string TopWopplePlayerRecordsList::GetKey() const
{
    Player* player = GetSlotPlayer();
    LuaObject name = player ? player->GetTable()["Name"] : LuaObject();
    return FillTitle(name.IsString() ? name.GetString() : std::string());
}

void TopWopplePlayerRecordsList::GetAlternateKeys(std::vector<std::string>& keys) const
{
    if (Player* player = GetSlotPlayer())
        keys.push_back(FillTitle(PlayerFilterText(player->GetTable()["guid"].GetInteger())));
}

bool TopWopplePlayerRecordsList::IsSkippable() const
{
    return m_Hidden || GetSlotPlayer() == nullptr;
}

bool TopWopplePlayerRecordsList::MatchesKey(const std::string& key) const
{
    Player* player = GetSlotPlayer();
    if (!player)
        return false;
    return key == GetKey() || key == FillTitle(PlayerFilterText(player->GetTable()["guid"].GetInteger()));
}

bool TopWopplePlayerRecordsList::IsPlayersRecord(const LuaObject& table) const
{
    Player* player = GetSlotPlayer();
    if (!player)
        return false;
    return table.TestRawField("playerGuid", [&](const LuaStackObject& guid) {
        return guid.IsInteger() && guid.GetNumber() == player->GetTable()["guid"].GetNumber();
    });
}

bool TopWopplePlayerRecordsList::AcceptsRecord(uint32_t, const LuaObject& table) const
{
    // A record without a game type is left to the overall list.
    return table.TestRawField("gameType", [](const LuaStackObject& type) { return type.IsString(); }) &&
           IsPlayersRecord(table);
}

TopWopplePlayerGameTypeRecordsList::TopWopplePlayerGameTypeRecordsList(int playerIndex, std::string gameType,
                                                                       std::string titleFormat, Class* rowClass,
                                                                       Comparison comparison, Filter extraFilter,
                                                                       bool hidden)
    : TopWopplePlayerRecordsList(playerIndex, std::move(titleFormat), rowClass, std::move(comparison),
                                 std::move(extraFilter), hidden),
      m_GameType(std::move(gameType))
{
}

std::string TopWopplePlayerGameTypeRecordsList::FillTitle(const std::string& player) const
{
    return (boost::format(m_TitleFormat) % player % m_GameType).str();
}

bool TopWopplePlayerGameTypeRecordsList::IsGameTypeRecord(const LuaObject& table) const
{
    return IsGameType(table, m_GameType);
}

bool TopWopplePlayerGameTypeRecordsList::AcceptsRecord(uint32_t, const LuaObject& table) const
{
    return IsGameTypeRecord(table) && IsPlayersRecord(table);
}

TopWopplePlayerGameTypeLevelRecordsList::TopWopplePlayerGameTypeLevelRecordsList(
    int level, int playerIndex, std::string gameType, std::string titleFormat, Class* rowClass, Comparison comparison,
    Filter extraFilter, bool hidden)
    : TopWopplePlayerGameTypeRecordsList(playerIndex, std::move(gameType), std::move(titleFormat), rowClass,
                                         std::move(comparison), std::move(extraFilter), hidden),
      m_Level(level)
{
}

std::string TopWopplePlayerGameTypeLevelRecordsList::GetKey() const
{
    Player* player = GetSlotPlayer();
    const std::string filter = player ? PlayerFilterText(player->GetTable()["guid"].GetInteger()) : std::string();
    return (boost::format(m_TitleFormat) % filter % m_GameType % m_Level).str();
}

bool TopWopplePlayerGameTypeLevelRecordsList::MatchesKey(const std::string& key) const
{
    return GetSlotPlayer() != nullptr && key == GetKey();
}

bool TopWopplePlayerGameTypeLevelRecordsList::AcceptsRecord(uint32_t, const LuaObject& table) const
{
    return IsLevel(table, m_Level) && IsGameTypeRecord(table) && IsPlayersRecord(table);
}

// ---------------------------------------------------------------- row

VELK_REGISTER_CLASS(WoppleScoreRow, "GameRecordRow", nullptr, InstantiateObjectOfClass<WoppleScoreRow>);

WoppleScoreRow::WoppleScoreRow()
{
    SetSize(300, 30);
    m_IndexLabel = Label::Create("TopScores_IndexLabel");
    AddChild(m_IndexLabel, "TopScores_IndexLabel");
    m_PlayerNameLabel = Label::Create("TopScores_PlayerNameLabel");
    AddChild(m_PlayerNameLabel, "TopScores_PlayerNameLabel");
    m_GameScoreLabel = Label::Create("TopScores_GameScoreLabel");
    AddChild(m_GameScoreLabel, "TopScores_GameScoreLabel");
    m_GameTypeLabel = Label::Create("TopScores_GameTypeLabel");
    AddChild(m_GameTypeLabel, "TopScores_GameTypeLabel");
}

WoppleScoreRow::~WoppleScoreRow() = default;

void WoppleScoreRow::SetIndex(int index)
{
    m_IndexLabel->SetText((boost::format("%1%") % (index + 1)).str(), true);
}

void WoppleScoreRow::SetRecord(const GameRecord& entry)
{
    LuaObject table = entry.GetTable();
    std::string name;
    int guid = 0;
    PlayerManager* players = PlayerManager::GetInstance();
    // A record can outlive its player (a cleared slot): it shows no name.
    if (players && ReadWholeInt(table["playerGuid"], guid))
        if (Player* player = players->GetPlayerObject(guid)) {
            LuaObject playerName = player->GetTable()["Name"];
            if (playerName.IsString())
                name = playerName.GetString();
        }
    m_PlayerNameLabel->SetText(PlainLabelText(name), true);
    LuaObject score = table["gameScore"];
    m_GameScoreLabel->SetText(FormatInt64WithCommas(score.IsNumber() ? TruncateToInt64(score.GetNumber()) : 0), true);
}
