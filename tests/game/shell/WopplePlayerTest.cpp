// A player's progress: statistics and their caps, awards and the stamp chain,
// the stars of a quest level, totals and ranks, and the stats log.

#include "ProgressFixture.h"
#include "support/Failure.h"

#include <gmock/gmock.h>

using namespace progresstest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

class WopplePlayerTest : public ProgressFixture
{
protected:
    void SetUp() override
    {
        ProgressFixture::SetUp();
        ann = NamedPlayer(1, "Ann");
        ASSERT_NE(ann, nullptr);
    }

    WopplePlayer* ann = nullptr;
};

TEST_F(WopplePlayerTest, PlayersAreMadeAsWopplePlayers)
{
    EXPECT_NE(dynamic_cast<WopplePlayer*>(players->GetDummyPlayer(1)), nullptr);
    EXPECT_EQ(ann->GetClass()->GetName(), "WopplePlayer");
}

TEST_F(WopplePlayerTest, StatisticsStartAtTheirInitialValueAndStopAtTheirCap)
{
    EXPECT_EQ(ann->GetAchievementLevel("wopples"), 0);
    EXPECT_TRUE(ann->GetTable()["Achievements"]["wopples"].IsNumber());

    EXPECT_THAT(ann->SetAchievementLevel("matches", 20000000), ElementsAre("matchMaker"));
    EXPECT_EQ(ann->GetAchievementLevel("matches"), 10000000);
    EXPECT_TRUE(ann->HasAward("matchMaker"));
    EXPECT_THAT(ann->SetAchievementLevel("matches", 20000000), IsEmpty());

    // Raising to the same value stores nothing and earns nothing.
    ann->SetAchievementLevel("jokers", 3);
    EXPECT_THAT(ann->RaiseAchievementLevel("jokers", 3), IsEmpty());
    EXPECT_THAT(ann->RaiseAchievementLevel("jokers", 2), IsEmpty());
    EXPECT_EQ(ann->GetAchievementLevel("jokers"), 3);
    EXPECT_THAT(ann->RaiseAchievementLevel("jokers", 5), ElementsAre("superJoker"));

    EXPECT_THAT(ann->AddToAchievementLevel("wopples", 999), IsEmpty());
    EXPECT_THAT(ann->AddToAchievementLevel("wopples", 1), ElementsAre("grandWopple"));
    EXPECT_EQ(ann->GetAchievementLevel("wopples"), 1000);

    EXPECT_THAT(FailureOf([&] { ann->GetAchievementLevel("noSuchStatistic"); }), HasSubstr("achievementDescription.IsTable()"));
}

TEST_F(WopplePlayerTest, AwardsHoldOnlyForTheBooleanTrueAndAreSaved)
{
    Lua("Players[1].Awards = { classic = 1, fullSpin = 'yes', cardRush = true }");
    EXPECT_FALSE(ann->HasAward("classic"));
    EXPECT_FALSE(ann->HasAward("fullSpin"));
    EXPECT_TRUE(ann->HasAward("cardRush"));

    ann->SetAward("classic", true);
    EXPECT_TRUE(ann->HasAward("classic"));
    const std::filesystem::path card = root / "data" / "Wopple Vevev Documents" / "Player Cards" / "Player1.card";
    ASSERT_TRUE(std::filesystem::exists(card));
}

TEST_F(WopplePlayerTest, TheEleventhStampEarnsTheStampCollectorInTheSameCall)
{
    // Ten stamps held; the eleventh comes from a statistic.
    Lua("for _, key in ipairs{ 'ticTacWopples', 'fullSpin', 'classic', 'grandWopple', 'matchMaker', 'superJoker',"
        "  'woppleBonanza', 'cardRush', 'speedDemon', 'tenAtOnce' } do"
        "  Players[1].Awards = Players[1].Awards or {}; Players[1].Awards[key] = true end");
    EXPECT_THAT(ann->RaiseAchievementLevel("bestScore", 10000000), ElementsAre("tenMillion", "stampCollector"));
    EXPECT_TRUE(ann->HasAward("stampCollector"));
    EXPECT_EQ(ann->GetAchievementLevel("stamps"), 12);
    EXPECT_THAT(ann->RaiseAchievementLevel("bestScore", 20000000), IsEmpty());
}

TEST_F(WopplePlayerTest, StampsCountOnlyThePlayersOwnAwards)
{
    WopplePlayer* bo = NamedPlayer(2, "Bo");
    EXPECT_THAT(bo->SetAchievementLevel("jokers", 5), ElementsAre("superJoker"));
    EXPECT_EQ(bo->GetAchievementLevel("stamps"), 1);
    EXPECT_EQ(ann->GetAchievementLevel("stamps"), 0);
}

TEST_F(WopplePlayerTest, StarsOfAQuestLevel)
{
    // Level 1 takes the defaults; levels 2 and 3 have their own.
    Lua("WoppleQuestLevels[1].starScore = nil; WoppleQuestLevels[1].starTime = nil;"
        "WoppleQuestLevels[2].starScore = 50000; WoppleQuestLevels[2].starTime = 90;"
        "WoppleQuestLevels[3].treasureBoxManagerDetails = { boxSpecifics = {"
        "  [1] = { columns = { 1, 3 } }, [2] = { rows = { 2 }, upwardDiagonal = {} } } }");
    using S = WopplePlayer;
    // A new player: only the butterflies of levels without treasure boxes.
    for (int star = 0; star < S::kNumStars; ++star)
        EXPECT_EQ(ann->GetStarStatus(1, star), star == S::STAR_BUTTERFLIES) << star;
    EXPECT_FALSE(ann->GetStarStatus(3, S::STAR_BUTTERFLIES));

    struct Case
    {
        const char* record;
        int level;
        int star;
        bool held;
    };
    const Case cases[] = {
        {"{ SecretFound = true }", 1, S::STAR_SECRET, true},
        {"{ SecretFound = 1 }", 1, S::STAR_SECRET, false},
        {"{ FullCard = true }", 1, S::STAR_FULLCARD, true},
        {"{ SecondsTaken = 120 }", 1, S::STAR_TIME, true},   // DefaultStarTime
        {"{ SecondsTaken = 121 }", 1, S::STAR_TIME, false},
        {"{ SecondsTaken = 90 }", 2, S::STAR_TIME, true},    // the level's own
        {"{ SecondsTaken = 91 }", 2, S::STAR_TIME, false},
        {"{ }", 2, S::STAR_TIME, false},                     // never timed
        {"{ NumberOfButterflies = 3 }", 3, S::STAR_BUTTERFLIES, false},
        {"{ NumberOfButterflies = 4 }", 3, S::STAR_BUTTERFLIES, true},
    };
    for (const Case& c : cases) {
        Lua("Players[1].Game_Modes.Vevev = { LevelRecords = { [" + std::to_string(c.level) + "] = " + c.record + " } }");
        EXPECT_EQ(ann->GetStarStatus(c.level, c.star), c.held) << c.record << " star " << c.star;
    }

    // The score star: the player's best on the level against its target.
    AddScore(ann, 29999, "Vevev", 1);
    EXPECT_FALSE(ann->GetStarStatus(1, S::STAR_SCORE));
    AddScore(ann, 30000, "Vevev", 1);
    EXPECT_TRUE(ann->GetStarStatus(1, S::STAR_SCORE));
    AddScore(ann, 49999, "Vevev", 2);
    EXPECT_FALSE(ann->GetStarStatus(2, S::STAR_SCORE));

    EXPECT_THAT(FailureOf([&] { ann->GetStarStatus(1, 5); }), HasSubstr("Assertion failed: (0)"));
}

TEST_F(WopplePlayerTest, QuestionsLeaveTheCardAsItWas)
{
    ann->GetTotalStars();
    ann->GetTotalSecretsFound();
    ann->HasPlayedLevel(4);
    ann->HasAward("classic");
    const LuaObject modes = ann->GetTable()["Game_Modes"];
    EXPECT_TRUE(modes["Vevev"].IsNil() || modes["Vevev"]["LevelRecords"].IsNil());
    EXPECT_TRUE(ann->FindLevelRecord(4).IsNil());

    // Writing the results of a level is what makes its record.
    ann->GetLevelRecordForWriting(4).SetBoolean("SecretFound", true);
    EXPECT_TRUE(ann->GetTable()["Game_Modes"]["Vevev"]["LevelRecords"][4].IsTable());
    EXPECT_EQ(ann->GetTotalSecretsFound(), 1u);
    EXPECT_TRUE(ann->GetStarStatus(4, WopplePlayer::STAR_SECRET));
}

TEST_F(WopplePlayerTest, TotalsCountTheBestOfEachLevel)
{
    // Levels without treasure boxes, on the default star score.
    Lua("for _, level in ipairs(WoppleQuestLevels) do level.treasureBoxManagerDetails = nil; level.starScore = nil end");
    EXPECT_EQ(ann->GetTotalScore(), 0);
    EXPECT_FALSE(ann->HasPlayedLevel(5));
    EXPECT_FALSE(ann->HasPlayedLevel(0));
    AddScore(ann, 40000, "Vevev", 5);
    AddScore(ann, 45000, "Vevev", 5);
    AddScore(ann, 3000000000LL, "Vevev", 60);
    AddScore(ann, 90000, "Classic", 0);
    EXPECT_TRUE(ann->HasPlayedLevel(5));
    EXPECT_EQ(ann->GetTotalScore(), 3000045000LL);
    // Levels 5 and 60 have their score and butterfly stars; the other 58 their butterflies.
    EXPECT_EQ(ann->GetTotalStars(), 60 + 2);

    Player* empty = players->GetPlayer(3);
    ASSERT_NE(empty, nullptr);
    EXPECT_THAT(FailureOf([&] { dynamic_cast<WopplePlayer*>(empty)->GetTotalScore(); }), HasSubstr("IsCardEmpty() == false"));
}

TEST_F(WopplePlayerTest, EveryOneOfTheEightRanksCanBeReached)
{
    struct Case
    {
        std::int64_t total;
        const char* rank;
    };
    // Ascending: each score is the new best of level 1, so the total.
    const Case cases[] = {
        {1, "Novice"},          {99999, "Novice"},   {100000, "Novice"},   {249999, "Novice"},
        {250000, "Student"},    {500000, "Whiz"},    {1000000, "Expert"},  {2000000, "Pro"},
        {4000000, "Master"},    {5000000, "Champ"},  {7499999, "Champ"},   {7500000, "Legend"},
        {90000000, "Legend"},
    };
    for (const Case& c : cases) {
        AddScore(ann, c.total, "Vevev", 1);
        ASSERT_EQ(ann->GetTotalScore(), c.total);
        EXPECT_EQ(ann->UpdateRank(), c.rank) << c.total;
        EXPECT_EQ(ann->GetTable()["Rank"].GetString(), c.rank);
    }
}

TEST_F(WopplePlayerTest, PrintPlayerStatsLogsTheWholeTotalAndEmptySlots)
{
    AddScore(ann, 5000000000LL, "Vevev", 7);
    Lua("Players[1].Game_Modes.Vevev = { LevelRecords = { [7] = { SecretFound = true } } }");
    Lua("PrintPlayerStats(1)");
    Lua("PrintPlayerStats(3)");
    Lua("PrintPlayerStats()");
    const std::string log = LogText();
    EXPECT_THAT(log, HasSubstr("Player 1, best score = 5000000000\n"));
    EXPECT_THAT(log, HasSubstr("Player 1, number of secrets = 1\n"));
    EXPECT_THAT(log, HasSubstr("Player 3 is an empty slot\n"));
}

} // namespace
