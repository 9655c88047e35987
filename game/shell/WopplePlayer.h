#pragma once

#include "engine/runtime/PlayerManager.h"

#include <cstdint>
#include <string>
#include <vector>

// The game's player: quest progress, stars, achievement statistics and the
// awards ("stamps") they earn. It keeps nothing of its own; every value lives
// in the player's table (saved as the card) and in the score records.
//
// Questions only read: asking about a level the player never finished leaves
// the card as it was. Level records are made by GetLevelRecordForWriting,
// which the end of a level calls.
class WopplePlayer : public Player
{
    VELK_DECLARE_CLASS(WopplePlayer)
public:
    WopplePlayer() = default;
    ~WopplePlayer() override = default;

    // The mode whose table holds the quest's level records.
    static constexpr const char* kQuestMode = "Vevev";
    // Star indices of a quest level.
    enum Star { STAR_SCORE = 0, STAR_SECRET = 1, STAR_TIME = 2, STAR_BUTTERFLIES = 3, STAR_FULLCARD = 4 };
    static constexpr int kNumStars = 5;

    // The level's record, or nil when the player has none.
    LuaObject FindLevelRecord(int level) const;
    // The level's record, made empty (with "LevelRecords" itself) when missing.
    LuaObject GetLevelRecordForWriting(int level);

    // Level records whose "SecretFound" is true.
    unsigned GetTotalSecretsFound() const;
    // Sum of the best quest score of every level; an assertion failure for an empty slot.
    std::int64_t GetTotalScore() const;
    // Star 0 to 4 of a quest level; any other star is an assertion failure.
    bool GetStarStatus(int level, int star) const;
    // Stars held over all quest levels; an assertion failure for an empty slot.
    int GetTotalStars() const;
    // The player's best quest score of the level: 0 without records.
    std::int64_t GetBestLevelScore(int level) const;
    // At least one score record of the quest level; false for level 0.
    bool HasPlayedLevel(int level) const;

    // Held only when "Awards"[key] is the boolean true.
    bool HasAward(const std::string& awardKey) const;
    // Stores the award and saves every player's card.
    void SetAward(const std::string& awardKey, bool held);
    // Every requirement of the award at or above its required level (each
    // statistic is read, so every one of them gets its initial value).
    bool AreAwardRequirementsMet(const std::string& awardKey);

    // The statistic's value; one never stored takes its initial value from
    // WopplePlayerStatistics, and an unknown one is an assertion failure.
    std::int64_t GetAchievementLevel(const std::string& name);
    // Stores the value, capped at the statistic's maximum, and returns the
    // awards it newly earns, in the order earned. A change of the number of
    // awards held raises "stamps" in the same call, and the stamp collector's
    // award joins the list when that earns it.
    std::vector<std::string> SetAchievementLevel(const std::string& name, std::int64_t value);
    // Stores only a value above the current one; nothing earned otherwise.
    std::vector<std::string> RaiseAchievementLevel(const std::string& name, std::int64_t value);
    std::vector<std::string> AddToAchievementLevel(const std::string& name, std::int64_t amount);

    // The highest of the configured ranks "rank.1" to "rank.8" whose
    // "rank.<name>.totalscore" the total score reaches, stored as "Rank";
    // "rank.1" below all of them.
    std::string UpdateRank();

private:
    // The quest's "LevelRecords", or nil; made by nothing that only reads.
    LuaObject FindLevelRecords() const;
};
