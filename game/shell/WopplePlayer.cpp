#include "game/shell/WopplePlayer.h"

#include "engine/core/Class.h"
#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/TopRecords.h"
#include "game/shell/WoppleScoreRecords.h"

#include <boost/format.hpp>

#include <algorithm>
#include <cinttypes>

#include <lua.hpp>

VELK_REGISTER_CLASS(WopplePlayer, "Player", nullptr, InstantiateObjectOfClass<WopplePlayer>);

namespace {

constexpr int kNumRanks = 8;

LuaObject Global(const LuaObject& anyObject, const char* name)
{
    return anyObject.GetState().GetGlobal(name);
}

// The table under the key, made empty and stored when it is missing.
LuaObject TableIn(LuaObject owner, const char* key)
{
    LuaObject table = owner[key];
    if (table.IsNil())
        table = owner.CreateTable(key);
    return table;
}

bool IsTrue(const LuaObject& value)
{
    return value.IsBoolean() && value.GetBoolean();
}

int WholeOr(const LuaObject& value, int otherwise)
{
    return value.IsInteger() ? value.GetInteger() : otherwise;
}

// Treasure-box lines of a quest level: every column and row of its boxes and
// every diagonal; each needs a butterfly for the butterfly star.
int CountTreasureBoxLines(const LuaObject& levelEntry)
{
    if (!levelEntry.IsTable())
        return 0;
    LuaObject details = levelEntry["treasureBoxManagerDetails"];
    if (!details.IsTable() || !details["boxSpecifics"].IsTable())
        return 0;
    int lines = 0;
    for (LuaTableIterator it(details["boxSpecifics"]); it; ++it) {
        const LuaObject& box = it.GetValue();
        if (!it.GetKey().IsInteger() || !box.IsTable())
            continue;
        if (box["columns"].IsTable())
            lines += box["columns"].GetN();
        if (box["rows"].IsTable())
            lines += box["rows"].GetN();
        if (box["upwardDiagonal"].IsTable())
            ++lines;
        if (box["downwardDiagonal"].IsTable())
            ++lines;
    }
    return lines;
}

// The quest's level numbers, in the table's order.
std::vector<int> QuestLevelNumbers(const LuaObject& anyObject)
{
    std::vector<int> levels;
    int level = 0;
    for (LuaTableIterator it(Global(anyObject, "WoppleQuestLevels")); it; ++it)
        if (ReadWholeInt(it.GetKey(), level))
            levels.push_back(level);
    return levels;
}

// The award keys in name order: one stable order for the lists of earned awards.
std::vector<std::string> AwardKeys(const LuaObject& awards)
{
    std::vector<std::string> keys;
    for (LuaTableIterator it(awards); it; ++it)
        if (it.GetKey().IsString())
            keys.push_back(it.GetKey().GetString());
    std::sort(keys.begin(), keys.end());
    return keys;
}

} // namespace

// ---------------------------------------------------------------- level records

LuaObject WopplePlayer::FindLevelRecords() const
{
    LuaObject modes = GetTable()["Game_Modes"];
    if (!modes.IsTable() || !modes[kQuestMode].IsTable())
        return LuaObject();
    return modes[kQuestMode]["LevelRecords"];
}

LuaObject WopplePlayer::FindLevelRecord(int level) const
{
    LuaObject records = FindLevelRecords();
    if (!records.IsTable())
        return LuaObject();
    LuaObject record = records[level];
    return record.IsTable() ? record : LuaObject();
}

LuaObject WopplePlayer::GetLevelRecordForWriting(int level)
{
    LuaObject records = TableIn(GetGameModeTable(kQuestMode), "LevelRecords");
    LuaObject record = records[level];
    if (!record.IsTable())
        record = records.CreateTable(level);
    return record;
}

unsigned WopplePlayer::GetTotalSecretsFound() const
{
    LuaObject records = FindLevelRecords();
    unsigned found = 0;
    if (records.IsTable())
        for (LuaTableIterator it(records); it; ++it)
            if (it.GetValue().IsTable() && IsTrue(it.GetValue()["SecretFound"]))
                ++found;
    return found;
}

// ---------------------------------------------------------------- scores and stars

std::int64_t WopplePlayer::GetBestLevelScore(int level) const
{
    TopRecordsList* list =
        TopRecordsManager::GetInstance()->GetList(PlayerLevelListKey(GetTable()["guid"].GetInteger(), kQuestMode, level));
    if (list->GetNumRecords() == 0)
        return 0;
    return TruncateToInt64(list->GetRecord(0).GetTable()["gameScore"].GetNumber());
}

std::int64_t WopplePlayer::GetTotalScore() const
{
    if (IsUnused())
        VELK_THROW(Exception, AssertionText("IsCardEmpty() == false"));
    std::int64_t total = 0;
    for (int level : QuestLevelNumbers(GetTable()))
        total += GetBestLevelScore(level);
    return total;
}

bool WopplePlayer::GetStarStatus(int level, int star) const
{
    LuaObject levelEntry = Global(GetTable(), "WoppleQuestLevels")[level];
    LuaObject record = FindLevelRecord(level);
    // A level never played reads as an empty record: nothing is stored for it.
    auto field = [&record](const char* key) { return record.IsTable() ? record[key] : LuaObject(); };
    auto levelField = [&levelEntry](const char* key) { return levelEntry.IsTable() ? levelEntry[key] : LuaObject(); };
    switch (star) {
    case STAR_SCORE: {
        const int target = WholeOr(levelField("starScore"), Global(GetTable(), "DefaultStarScore").GetInteger());
        return GetBestLevelScore(level) >= target;
    }
    case STAR_SECRET:
        return IsTrue(field("SecretFound"));
    case STAR_TIME: {
        const int seconds = WholeOr(field("SecondsTaken"), -1);
        const int target = WholeOr(levelField("starTime"), Global(GetTable(), "DefaultStarTime").GetInteger());
        return seconds != -1 && seconds <= target;
    }
    case STAR_BUTTERFLIES:
        return WholeOr(field("NumberOfButterflies"), 0) >= CountTreasureBoxLines(levelEntry);
    case STAR_FULLCARD:
        return IsTrue(field("FullCard"));
    default:
        VELK_ASSERT(0);
    }
    return false;
}

int WopplePlayer::GetTotalStars() const
{
    if (IsUnused())
        VELK_THROW(Exception, AssertionText("IsCardEmpty() == false"));
    int stars = 0;
    for (int level : QuestLevelNumbers(GetTable()))
        for (int star = 0; star < kNumStars; ++star)
            if (GetStarStatus(level, star))
                ++stars;
    return stars;
}

bool WopplePlayer::HasPlayedLevel(int level) const
{
    if (level == 0)
        return false;
    return TopRecordsManager::GetInstance()
               ->GetList(PlayerLevelListKey(GetTable()["guid"].GetInteger(), kQuestMode, level))
               ->GetNumRecords() > 0;
}

// ---------------------------------------------------------------- awards

bool WopplePlayer::HasAward(const std::string& awardKey) const
{
    LuaObject awards = GetTable()["Awards"];
    return awards.IsTable() && IsTrue(awards[awardKey]);
}

void WopplePlayer::SetAward(const std::string& awardKey, bool held)
{
    TableIn(GetTable(), "Awards").SetBoolean(awardKey.c_str(), held);
    if (GameDataIO* io = GameDataIO::GetInstance())
        io->SaveAllPlayerData();
}

bool WopplePlayer::AreAwardRequirementsMet(const std::string& awardKey)
{
    LuaObject award = Global(GetTable(), "WoppleAwardsList")[awardKey];
    VELK_ASSERT_MSG(award.IsTable(), "No award \"" + awardKey + "\" in WoppleAwardsList.");
    LuaObject requirements = award["requirements"];
    LuaObject requiredLevels = award["requiredLevels"];
    bool met = true;
    for (int i = 1; requirements[i].IsString(); ++i)
        // Every statistic is read, even after a failed one, so all get their initial values.
        if (!(requiredLevels[i].GetNumber() <= static_cast<double>(GetAchievementLevel(requirements[i].GetString()))))
            met = false;
    return met;
}

// ---------------------------------------------------------------- statistics

std::int64_t WopplePlayer::GetAchievementLevel(const std::string& name)
{
    LuaObject achievements = TableIn(GetTable(), "Achievements");
    LuaObject value = achievements[name];
    if (value.IsNumber())
        return TruncateToInt64(value.GetNumber());
    LuaObject achievementDescription = Global(GetTable(), "WopplePlayerStatistics")[name];
    VELK_ASSERT(achievementDescription.IsTable());
    LuaObject initial = achievementDescription["initialValue"];
    achievements.SetObject(name.c_str(), initial);
    return TruncateToInt64(initial.GetNumber());
}

std::vector<std::string> WopplePlayer::SetAchievementLevel(const std::string& name, std::int64_t value)
{
    LuaObject achievements = TableIn(GetTable(), "Achievements");
    LuaObject description = Global(GetTable(), "WopplePlayerStatistics")[name];
    if (description.IsTable() && description["maximumValue"].IsNumber()) {
        const std::int64_t maximum = TruncateToInt64(description["maximumValue"].GetNumber());
        value = std::min(value, maximum);
    }
    achievements.SetNumber(name.c_str(), static_cast<double>(value));

    std::vector<std::string> earned;
    int stamps = 0;
    for (const std::string& key : AwardKeys(Global(GetTable(), "WoppleAwardsList"))) {
        if (AreAwardRequirementsMet(key) && !HasAward(key)) {
            SetAward(key, true);
            earned.push_back(key);
        }
        if (HasAward(key))
            ++stamps;
    }
    // The stamps are a statistic of their own: the stamp collector's award
    // hangs on it, and is earned in the same call as the eleventh stamp.
    if (GetAchievementLevel("stamps") != stamps)
        for (std::string& key : RaiseAchievementLevel("stamps", stamps))
            earned.push_back(std::move(key));
    return earned;
}

std::vector<std::string> WopplePlayer::RaiseAchievementLevel(const std::string& name, std::int64_t value)
{
    if (value > GetAchievementLevel(name))
        return SetAchievementLevel(name, value);
    return {};
}

std::vector<std::string> WopplePlayer::AddToAchievementLevel(const std::string& name, std::int64_t amount)
{
    return SetAchievementLevel(name, GetAchievementLevel(name) + amount);
}

// ---------------------------------------------------------------- rank

std::string WopplePlayer::UpdateRank()
{
    Config* config = GetConfig();
    VELK_ASSERT(config != nullptr);
    const std::int64_t total = GetTotalScore();
    std::string rank = config->Retrieve("rank.1").ToString();
    // All eight ranks: the best player is a "Legend", not stuck one below.
    for (int i = 1; i <= kNumRanks; ++i) {
        const std::string name = config->Retrieve((boost::format("rank.%1%") % i).str()).ToString();
        const Variant threshold = config->Retrieve((boost::format("rank.%1%.totalscore") % name).str());
        if (!name.empty() && threshold.IsDouble() && static_cast<double>(total) >= threshold.ToDouble())
            rank = name;
    }
    GetTable().SetString("Rank", rank);
    return rank;
}

// ---------------------------------------------------------------- script functions

namespace {

int Script_PrintPlayerStats(lua_State* L)
{
    int index = 1;
    if (lua_gettop(L) > 0 && lua_isnumber(L, -1)) {
        const lua_Number number = lua_tonumber(L, -1);
        if (number == static_cast<lua_Number>(static_cast<int>(number)))
            index = static_cast<int>(number);
    }
    PlayerManager* players = PlayerManager::GetInstance();
    VELK_ASSERT(players != nullptr);
    auto* player = dynamic_cast<WopplePlayer*>(players->GetPlayer(index));
    if (!player || player->IsUnused()) {
        Log(2, "Player %d is an empty slot\n", index);
        return 0;
    }
    Log(2, "Player %d, best score = %" PRId64 "\n", index, player->GetTotalScore());
    Log(2, "Player %d, number of secrets = %u\n", index, player->GetTotalSecretsFound());
    return 0;
}

ScriptFunctionRegistration s_PrintPlayerStats(Script_PrintPlayerStats, "PrintPlayerStats");

} // namespace
