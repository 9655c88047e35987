// What the end of a round leaves in the player's card: the level records with
// their merge rules, the quest's current level, the score lists, and the
// Classic top-ten check.

#include "../shell/ProgressFixture.h"
#include "game/rules/OldSchoolEndStates.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"

using namespace progresstest;

namespace {

class LevelRecordsTest : public ProgressFixture
{
protected:
    void SetUp() override
    {
        ProgressFixture::SetUp();
        ann = NamedPlayer(1, "Ann");
        ASSERT_NE(ann, nullptr);
        players->SetCurrentPlayer(ann, 1);
        ann->GetOptionsTable().SetString("game.mode", "Vevev");
    }

    LuaObject Record(int level) { return ann->FindLevelRecord(level); }

    int CurrentLevel()
    {
        const LuaObject level = ann->GetGameModeTable("Vevev")["currentLevel"];
        return level.IsInteger() ? level.GetInteger() : 0;
    }

    static void Record(bool completed, int level, std::int64_t score, bool secret, int butterflies, int seconds,
                       bool fullCard)
    {
        WoppleOldSchoolBaseLogic::RecordLevelResult(completed, level, score, secret, butterflies, seconds, fullCard);
    }

    WopplePlayer* ann = nullptr;
};

TEST_F(LevelRecordsTest, RecordsMergeSoThatNothingWonIsLost)
{
    // First try: failed, but with the secret and three butterflies; no time yet.
    Record(false, 3, 5000, true, 3, 40, false);
    LuaObject record = Record(3);
    ASSERT_TRUE(record.IsTable());
    EXPECT_FALSE(record["Completed"].GetBoolean());
    EXPECT_TRUE(record["SecretFound"].GetBoolean());
    EXPECT_EQ(record["NumberOfButterflies"].GetInteger(), 3);
    EXPECT_TRUE(record["SecondsTaken"].IsNil()) << "a failed try sets no time";

    // Completed, slower, fewer butterflies, a full card.
    Record(true, 3, 9000, false, 1, 90, true);
    record = Record(3);
    EXPECT_TRUE(record["Completed"].GetBoolean());
    EXPECT_TRUE(record["SecretFound"].GetBoolean()) << "the flags only ever turn on";
    EXPECT_TRUE(record["FullCard"].GetBoolean());
    EXPECT_EQ(record["NumberOfButterflies"].GetInteger(), 3) << "the butterflies only rise";
    EXPECT_EQ(record["SecondsTaken"].GetInteger(), 90);

    // A fast failed try: completed stays, the best time stays too.
    Record(false, 3, 100, false, 0, 12, false);
    record = Record(3);
    EXPECT_TRUE(record["Completed"].GetBoolean());
    EXPECT_EQ(record["SecondsTaken"].GetInteger(), 90);
    // A faster completed one lowers it.
    Record(true, 3, 100, false, 0, 60, false);
    EXPECT_EQ(Record(3)["SecondsTaken"].GetInteger(), 60);

    // Every result went to the player's list of the level, the save included.
    EXPECT_EQ(Scores(PlayerLevelListKey(GuidOf(ann), "Vevev", 3)).front(), 9000);
    std::ifstream card(root / "data" / "Wopple Vevev Documents" / "Player Cards" / "Player1.card");
    std::stringstream text;
    text << card.rdbuf();
    EXPECT_NE(text.str().find("SecondsTaken"), std::string::npos);
}

TEST_F(LevelRecordsTest, TheFirstCompletionMovesTheCurrentLevelOnOnlyInsideTheStandardLevels)
{
    struct Case
    {
        int level;
        int expected;
    };
    for (const Case& c : {Case{4, 5}, Case{5, 6}, Case{50, 0}, Case{60, 0}}) {
        ann->GetGameModeTable("Vevev").SetNil("currentLevel");
        Record(true, c.level, 1000, false, 0, 30, false);
        EXPECT_EQ(CurrentLevel(), c.expected) << "level " << c.level;
    }
    // A second completion changes nothing, nor does a failed try.
    ann->GetGameModeTable("Vevev").SetInteger("currentLevel", 2);
    Record(true, 4, 1000, false, 0, 30, false);
    Record(false, 7, 1000, false, 0, 30, false);
    EXPECT_EQ(CurrentLevel(), 2);
}

TEST_F(LevelRecordsTest, ClassicGamesGoToTheClassicListAndLeaveNoLevelRecord)
{
    ann->GetOptionsTable().SetString("game.mode", "Classic");
    Record(true, 0, 45000, false, 0, 0, false);
    EXPECT_EQ(Scores("Top Classic Scores").front(), 45000);
    EXPECT_TRUE(ann->FindLevelRecord(0).IsNil());
}

TEST_F(LevelRecordsTest, TheClassicTopTenCheck)
{
    using ClassicStates::ProcessEndGame;
    for (TopRecordsList* list : [&] { std::vector<TopRecordsList*> v; lists->GetLists(v); return v; }())
        list->ClearRecords();
    // An empty list: anything above 0 is the top score.
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(0), "");
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(1), "High Score");

    // Fewer than ten entries: any score above 0 gets a place.
    for (std::int64_t score : {30000, 20000, 10000})
        AddScore(ann, score, "Classic", 0);
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(30001), "High Score");
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(30000), "Top Ten Score");
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(500), "Top Ten Score");
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(0), "");

    // Ten entries: the tenth is the bar, and equal is not enough.
    for (std::int64_t score = 9000; score >= 3000; score -= 1000)
        AddScore(ann, score, "Classic", 0);
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(3000), "");
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(3001), "Top Ten Score");
    // Scores past 32 bits compare whole.
    EXPECT_EQ(ProcessEndGame::TopScoreHeading(std::int64_t{1} << 40), "High Score");
}

} // namespace
