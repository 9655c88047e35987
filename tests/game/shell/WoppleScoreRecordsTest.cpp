// The game's top-score lists: built and seeded at start, what each takes,
// the ten best kept, the player lists of an empty slot, and the score rows.

#include "ProgressFixture.h"
#include "engine/ui/GameRecordRow.h"
#include "engine/ui/Label.h"

#include <gmock/gmock.h>

using namespace progresstest;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using WoppleScoreRecordsTest = ProgressFixture;

std::vector<double> Tenths(double top)
{
    std::vector<double> scores;
    for (int m = 10; m >= 1; --m)
        scores.push_back(static_cast<double>(static_cast<std::int64_t>(top) * m / 10));
    return scores;
}

TEST_F(WoppleScoreRecordsTest, StartUpBuildsEveryListAndSeedsThem)
{
    std::vector<TopRecordsList*> all;
    lists->GetLists(all);
    EXPECT_EQ(all.size(), 310u);

    EXPECT_THAT(Scores("Top Classic Scores"), ElementsAreArray(Tenths(30000)));
    EXPECT_EQ(Scores("High Scores").front(), 120000);   // level 50's top score
    for (int level : {1, 37, 51, 60}) {
        const double top = app->GetLuaState().GetGlobal("WoppleQuestLevels")[level]["topScore"].GetNumber();
        EXPECT_THAT(Scores("Top Vevev Scores for Level " + std::to_string(level)), ElementsAreArray(Tenths(top)))
            << level;
    }
    EXPECT_THAT(LogText(), HasSubstr("WoppleApp::CreateTopRecordsLists: 310 top-score lists"));
    EXPECT_THAT(LogText(), HasSubstr("WoppleApp::CreateDefaultHighScores: 610 records seeded"));
}

TEST_F(WoppleScoreRecordsTest, ALevelWithoutATopScoreIsSeededFromTheDefault)
{
    LuaState state = app->GetLuaState();
    state.GetGlobal("WoppleQuestLevels")[4].SetNil("topScore");
    for (TopRecordsList* list : [&] { std::vector<TopRecordsList*> v; lists->GetLists(v); return v; }())
        list->ClearRecords();
    SeedWoppleDefaultHighScores(*players, state);
    EXPECT_THAT(Scores("Top Vevev Scores for Level 4"), ElementsAreArray(Tenths(30000)));
}

TEST_F(WoppleScoreRecordsTest, EachListTakesItsOwnRecordsAndKeepsTheBestTen)
{
    WopplePlayer* ann = NamedPlayer(1, "Ann");
    WopplePlayer* bo = NamedPlayer(2, "Bo");
    const std::string annLevel3 = PlayerLevelListKey(GuidOf(ann), "Vevev", 3);

    AddScore(ann, 500000, "Vevev", 3);
    AddScore(bo, 400000, "Vevev", 3);
    AddScore(ann, 300000, "Vevev", 0);     // not a level: no level list
    AddScore(ann, 200000, "Classic", 0);
    AddScore(ann, 0, "Classic", 0);        // no score: no list at all
    GameRecord odd = MakeWoppleScoreRecord(ann, 600000, "Vevev", 3);
    odd.GetTable().SetNumber("gameType", 7);
    odd.NotifyObservers();

    EXPECT_THAT(Scores(annLevel3), ElementsAre(500000));
    EXPECT_THAT(Scores(PlayerLevelListKey(GuidOf(bo), "Vevev", 3)), ElementsAre(400000));
    EXPECT_THAT(Scores("Ann's Top Scores"), ElementsAre(500000, 300000, 200000));
    EXPECT_THAT(Scores("'guid=" + std::to_string(GuidOf(ann)) + "''s Top Scores"),
                ElementsAre(500000, 300000, 200000));
    EXPECT_THAT(Scores("Ann's Top Classic Scores"), ElementsAre(200000));
    EXPECT_EQ(Scores("Top Classic Scores").front(), 200000);
    EXPECT_EQ(Scores("High Scores").front(), 600000);
    EXPECT_EQ(Scores("Top Vevev Scores for Level 3").size(), 10u);
    EXPECT_EQ(Scores("Top Vevev Scores for Level 3").front(), 500000);

    // Ten kept: an eleventh that sorts last is dropped, even a new one.
    for (int i = 1; i <= 10; ++i)
        AddScore(ann, 10000 * i, "Classic", 0);
    AddScore(ann, 5, "Classic", 0);
    const std::vector<double> classic = Scores("Ann's Top Classic Scores");
    EXPECT_EQ(classic.size(), 10u);
    EXPECT_EQ(classic.front(), 200000);
    EXPECT_EQ(classic.back(), 20000);

    // Removing a record a list does not hold changes nothing.
    lists->GetList(annLevel3)->OnGameRecordRemoved(odd.GetGuid());
    EXPECT_THAT(Scores(annLevel3), ElementsAre(500000));
}

TEST_F(WoppleScoreRecordsTest, PlayerListsOfAnEmptySlotTakeAndAnswerNothing)
{
    std::vector<TopRecordsList*> all;
    lists->GetLists(all);
    // Slot 4's lists: after the overall list and three slots of 62 each.
    TopRecordsList* slot4 = all.at(1 + 3 * 62);
    TopRecordsList* slot4Level = all.at(1 + 3 * 62 + 2);
    EXPECT_TRUE(slot4->IsSkippable());
    EXPECT_EQ(slot4->GetKey(), "'s Top Scores");
    std::vector<std::string> keys;
    slot4->GetAlternateKeys(keys);
    EXPECT_THAT(keys, IsEmpty());
    EXPECT_FALSE(slot4->MatchesKey("'s Top Scores"));
    EXPECT_FALSE(slot4Level->MatchesKey(slot4Level->GetKey()));

    Player* empty = players->GetPlayer(4);
    ASSERT_NE(empty, nullptr);
    AddScore(empty, 70000, "Vevev", 1);
    EXPECT_EQ(slot4->GetNumRecords(), 0);
    EXPECT_EQ(slot4Level->GetNumRecords(), 0);

    // Named, the slot's lists follow its player.
    NamedPlayer(4, "Di");
    EXPECT_FALSE(slot4->IsSkippable());
    EXPECT_EQ(slot4->GetKey(), "Di's Top Scores");
    EXPECT_TRUE(slot4->MatchesKey("Di's Top Scores"));
}

TEST_F(WoppleScoreRecordsTest, RowsShowPlaceNameAndScore)
{
    WopplePlayer* ann = NamedPlayer(1, "A|nn|");
    AddScore(ann, 1234567, "Classic", 0);
    TopRecordsList* list = lists->GetList("Top Classic Scores");
    std::unique_ptr<Actor> title(list->CreateTitleActor());
    EXPECT_EQ(dynamic_cast<Label*>(title.get())->GetText(), "Top Classic Scores");

    std::unique_ptr<Actor> first(list->CreateRowActor(0));
    auto* row = dynamic_cast<WoppleScoreRow*>(first.get());
    ASSERT_NE(row, nullptr);
    // Registered beneath the engine's row class.
    EXPECT_TRUE(GameRecordRow::StaticClass()->IsA("WoppleScoreRow"));
    EXPECT_EQ(row->GetIndexLabel()->GetText(), "1");
    // A name from a card is shown, never run.
    EXPECT_EQ(row->GetPlayerNameLabel()->GetText(), "A||nn||");
    EXPECT_EQ(row->GetGameScoreLabel()->GetText(), "1,234,567");
    EXPECT_EQ(row->GetGameTypeLabel()->GetText(), "");

    std::unique_ptr<Actor> tenth(list->CreateRowActor(9));
    auto* last = dynamic_cast<WoppleScoreRow*>(tenth.get());
    EXPECT_EQ(last->GetIndexLabel()->GetText(), "10");
    EXPECT_EQ(last->GetGameScoreLabel()->GetText(), "6,000");
}

TEST_F(WoppleScoreRecordsTest, ARecordOfAPlayerWhoIsGoneShowsNoName)
{
    WopplePlayer* ann = NamedPlayer(1, "Ann");
    const GameRecordGuid guid = AddScore(ann, 2000000, "Classic", 0);
    // The record's player guid names nobody any more.
    GameRecordManager::GetInstance()->GetTableWithGuid(guid).SetInteger("playerGuid", 987654);
    WoppleScoreRow row;
    row.SetRecord(GameRecord(0, guid));
    EXPECT_EQ(row.GetPlayerNameLabel()->GetText(), "");
    EXPECT_EQ(row.GetGameScoreLabel()->GetText(), "2,000,000");
}

TEST(WoppleScoreNumbers, CommasAndTruncation)
{
    EXPECT_EQ(FormatInt64WithCommas(0), "0");
    EXPECT_EQ(FormatInt64WithCommas(999), "999");
    EXPECT_EQ(FormatInt64WithCommas(1000), "1,000");
    EXPECT_EQ(FormatInt64WithCommas(-1234567), "-1,234,567");
    EXPECT_EQ(FormatInt64WithCommas(5000000000LL), "5,000,000,000");
    EXPECT_EQ(FormatInt64WithCommas(INT64_MIN), "-9,223,372,036,854,775,808");
    EXPECT_EQ(TruncateToInt64(-2.9), -2);
    EXPECT_EQ(TruncateToInt64(1e30), INT64_MAX);
}

TEST_F(WoppleScoreRecordsTest, ARowsLabelsStayInsideItAndApart)
{
    // The longest name a player can type, against the widest score.
    WopplePlayer* ann = NamedPlayer(1, "WWWWWWWWW");
    AddScore(ann, 9999999999LL, "Classic", 0);
    std::unique_ptr<Actor> actor(lists->GetList("Top Classic Scores")->CreateRowActor(0));
    auto* row = dynamic_cast<WoppleScoreRow*>(actor.get());
    ASSERT_NE(row, nullptr);
    // Where a label sits in the row.
    auto place = [](const Label* label) {
        return Rect(static_cast<std::int16_t>(label->GetX()), static_cast<std::int16_t>(label->GetY()),
                    static_cast<std::uint16_t>(label->GetWidth()), static_cast<std::uint16_t>(label->GetHeight()));
    };
    const Rect index = place(row->GetIndexLabel());
    const Rect name = place(row->GetPlayerNameLabel());
    const Rect score = place(row->GetGameScoreLabel());
    for (const Rect& r : {index, name, score}) {
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.x + r.w, row->GetWidth());
        EXPECT_LE(r.y + r.h, row->GetHeight());
        EXPECT_GT(r.w, 0);
    }
    EXPECT_EQ(name.x, 36);
    EXPECT_EQ(score.x + score.w, row->GetWidth() - 4);
    EXPECT_LE(index.x + index.w, name.x);
    EXPECT_LE(name.x + name.w, score.x);
}

} // namespace
