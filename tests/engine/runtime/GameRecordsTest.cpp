#include "PlayersTestSupport.h"

#include <gtest/gtest.h>

using namespace playertest;

namespace {

class GameRecordsTest : public PlayersFixture
{
protected:
    void SetUp() override
    {
        PlayersFixture::SetUp();
        players->LoadGameData();
        Run("Players[1].Name = 'Ada' Players[2].Name = 'Bo'");
    }

    // A record table as a card holds it.
    LuaObject RecordTable(int guid, int playerGuid)
    {
        LuaObject table;
        table.AssignNewTable(state);
        table.SetInteger("gameRecordGuid", guid);
        table.SetString("gameRecordType", "WoppleScoreRecord");
        table.SetInteger("playerGuid", playerGuid);
        table.SetNumber("gameScore", guid);
        return table;
    }

    std::vector<std::string> notices;
};

} // namespace

TEST_F(GameRecordsTest, ObserversHearOfRecordsInTheOrderTheyRegistered)
{
    RecordingObserver first(notices, "first");
    RecordingObserver second(notices, "second");
    records->AddObserver(&first);
    records->AddObserver(&second);
    records->AddObserver(&first);

    GameRecord record(9, "WoppleScoreRecord");
    EXPECT_TRUE(notices.empty()) << "nobody is told before NotifyObservers";
    LuaObject table = record.GetTable();
    EXPECT_EQ(table["gameRecordGuid"].GetInteger(), record.GetGuid().value);
    EXPECT_EQ(table["gameRecordType"].GetString(), "WoppleScoreRecord");
    record.NotifyObservers();
    const std::string id = "9/" + std::to_string(record.GetGuid().value);
    EXPECT_EQ(notices, (std::vector<std::string>{"first added " + id, "second added " + id, "first added " + id}));

    records->RemoveObserver(&first);
    records->RemoveObserver(&second);
}

TEST_F(GameRecordsTest, FailuresLeaveTheRecordsAsTheyWere)
{
    EXPECT_EQ(FailureOf([&] { records->GetTableWithGuid(GameRecordGuid{123}); }),
              "Assertion failed: (record.IsTable())\nMessage: Invalud guid, record is of type \"nil\"");

    GameRecord kept(RecordTable(123, GuidOf(1)));
    EXPECT_EQ(FailureOf([&] { GameRecord again(RecordTable(123, GuidOf(2))); }),
              "Assertion failed: (m_Records[guidObject].IsNil())\nMessage: A game record with the guid \"123\" already "
              "exists.");
    EXPECT_EQ(records->GetTableWithGuid(GameRecordGuid{123})["playerGuid"].GetInteger(), GuidOf(1));

    LuaObject untyped = RecordTable(124, GuidOf(1));
    untyped.SetNil("gameRecordType");
    EXPECT_EQ(FailureOf([&] { GameRecord record(untyped); }),
              "Assertion failed: (table[\"gameRecordType\"].IsString())\nMessage: Cannot deduce game record's type.");
    LuaObject unnumbered = RecordTable(124, GuidOf(1));
    unnumbered.SetString("gameRecordGuid", "124");
    EXPECT_EQ(FailureOf([&] { GameRecord record(unnumbered); }),
              "Assertion failed: (table[\"gameRecordGuid\"].IsInteger())\nMessage: A game record table must contain a "
              "guid.");
    EXPECT_FALSE(records->HasRecord(GameRecordGuid{124}));

    // Every guid taken: the search gives up.
    LuaObject empty;
    empty.AssignNewTable(state);
    for (int guid = 0; guid <= GameRecordGuid::kMaxValue; ++guid)
        if (guid != 123)
            records->RestoreTable(GameRecordGuid{guid}, empty);
    EXPECT_EQ(FailureOf([&] { GameRecord record(0, "WoppleScoreRecord"); }),
              "Could not generate a game record guid after 100000 tries.");
}

TEST_F(GameRecordsTest, RefreshingFromPlayersAddsEachRecordOnce)
{
    RecordingObserver observer(notices, "lists");
    records->AddObserver(&observer);
    LuaObject shared = RecordTable(11, GuidOf(1));
    players->GetPlayer(1)->GetGameRecordsTable().SetObject(1, shared);
    players->GetPlayer(1)->GetGameRecordsTable().SetObject(2, RecordTable(12, GuidOf(1)));
    // The same record in a second player's table, and a player slot left empty.
    players->GetPlayer(2)->GetGameRecordsTable().SetObject(1, shared);
    players->GetPlayer(3)->GetGameRecordsTable().SetObject(1, RecordTable(13, GuidOf(3)));

    Run("RefreshRecordsFromPlayers()");
    Run("RefreshRecordsFromPlayers()");
    std::sort(notices.begin(), notices.end());
    EXPECT_EQ(notices, (std::vector<std::string>{"lists added 0/11", "lists added 0/12"}));
    EXPECT_FALSE(records->HasRecord(GameRecordGuid{13}));
    records->RemoveObserver(&observer);
}

TEST_F(GameRecordsTest, ResettingDropsRecordsOfPlayersWhoAreGone)
{
    RecordingObserver observer(notices, "lists");
    records->AddObserver(&observer);
    const int ada = GuidOf(1);
    GameRecord kept(RecordTable(21, ada));
    GameRecord orphaned(RecordTable(22, GuidOf(2)));
    LuaObject table = RecordTable(23, 0);
    table.SetNil("playerGuid");
    GameRecord unattached(table);

    players->ClearPlayer(2);
    records->ResetRecords();
    EXPECT_EQ(notices, (std::vector<std::string>{"lists removed 22"}));
    EXPECT_TRUE(records->HasRecord(GameRecordGuid{21}));
    EXPECT_FALSE(records->HasRecord(GameRecordGuid{22}));
    EXPECT_FALSE(records->HasRecord(GameRecordGuid{23}));
    records->RemoveObserver(&observer);
}

TEST_F(GameRecordsTest, ScoreRecordsFromScriptsReachTheirPlayerAndTheHighScores)
{
    const int ada = GuidOf(1);
    Run("AddScoreRecords({ { player_guid = " + std::to_string(ada) +
        ", game_guid = 1, game_mode = 'Solitaire', total_score = 99999, percentage = 99 },"
        " { player_guid = 987654, game_guid = 2, game_mode = 'Solitaire', total_score = 88888, percentage = 98 },"
        " 'not a record' })");
    EXPECT_EQ(Eval("Players[1].Game_Modes.Solitaire.Top_Scores[1].total_score").GetInteger(), 99999);
    EXPECT_EQ(Eval("HighScores.SolitaireScores[1].total_score").GetInteger(), 99999);
    EXPECT_EQ(Eval("HighScores.SolitaireScores[2].total_score").GetInteger(), 52000) << "the unknown player's left out";
    EXPECT_EQ(CountInLog("WARNING: AddScoreRecords: no player has the guid of the record (player_guid = 987654)"), 1);

    Run("AddWordRecords({ { player_guid = " + std::to_string(ada) +
        ", game_guid = 1, game_mode = 'Solitaire', word = 'JACKPOTS', word_score = 120 } })");
    EXPECT_EQ(Eval("Players[1].Game_Modes.Solitaire.Top_Words[1].word").GetString(), "JACKPOTS");
    EXPECT_EQ(Eval("HighScores.WordsByScore[1].word").GetString(), "JACKPOTS");
    EXPECT_NE(FailureOf([&] { Run("AddWordRecords({ 5 })"); }).find("wordRecord.IsTable()"), std::string::npos);
}

TEST_F(GameRecordsTest, RecordsReachTheTopTenListsInOrderThroughTheirFilters)
{
    auto* overall = new ScoreList("High Scores", "");
    auto* classic = new ScoreList("Top Classic Scores", "Classic");
    // The game's filter: only scores above 0.
    auto* vevev = new ScoreList("Top Vevev Scores", "Vevev",
                                [](const GameRecord& record) { return record.GetTable()["gameScore"].GetNumber() > 0; });
    top->AddList(overall);
    top->AddList(classic);
    top->AddList(vevev);
    const int ada = GuidOf(1);

    AddScore(ada, 0, "Vevev");
    AddScore(ada, 30, "Vevev");
    for (int score : {50, 70, 10, 90, 30, 100, 20, 80, 60, 40})
        AddScore(ada, score, "Classic");
    EXPECT_EQ(classic->Scores(), (std::vector<double>{100, 90, 80, 70, 60, 50, 40, 30, 20, 10}));
    EXPECT_EQ(vevev->Scores(), (std::vector<double>{30}));
    EXPECT_EQ(overall->Scores(), (std::vector<double>{100, 90, 80, 70, 60, 50, 40, 30, 30, 20}));

    // An eleventh that sorts last goes, even though it is the new one; a tie
    // stays behind the entries it ties with.
    GameRecordGuid low = AddScore(ada, 5, "Classic");
    EXPECT_EQ(classic->GetNumRecords(), 10);
    EXPECT_EQ(classic->Scores().back(), 10);
    GameRecordGuid tie = AddScore(ada, 100, "Classic");
    EXPECT_EQ(classic->GetRecord(1).GetGuid(), tie);
    EXPECT_EQ(classic->Scores().back(), 20);

    // A record whose type is no text reaches only the list that takes every type.
    GameRecord odd(0, "WoppleScoreRecord");
    odd.GetTable().SetNumber("gameScore", 1000);
    odd.GetTable().SetInteger("gameType", 3);
    odd.NotifyObservers();
    EXPECT_EQ(overall->Scores().front(), 1000);
    EXPECT_EQ(classic->Scores().front(), 100);

    // Announced twice, a record is listed once; removing one a list lacks changes nothing.
    odd.NotifyObservers();
    EXPECT_EQ(overall->Scores()[1], 100);
    top->OnGameRecordRemoved(low);
    EXPECT_EQ(classic->GetNumRecords(), 10);
    top->OnGameRecordRemoved(tie);
    EXPECT_EQ(classic->Scores(), (std::vector<double>{100, 90, 80, 70, 60, 50, 40, 30, 20}));
}

TEST_F(GameRecordsTest, ListsAreFoundByKey)
{
    auto* first = new ScoreList("First", "", nullptr, {"'guid=1'"});
    auto* second = new ScoreList("Second", "");
    first->matchPrefix = "Any";
    second->matchPrefix = "Any";
    top->AddList(first);
    top->AddList(second);

    EXPECT_EQ(top->GetList("First"), first);
    EXPECT_EQ(top->GetList("'guid=1'"), first);
    EXPECT_EQ(top->GetList("Second"), second);
    // Both answer: the first added wins, and stays while it answers.
    EXPECT_EQ(top->GetList("Any list"), first);
    first->matchPrefix = "";
    EXPECT_EQ(top->GetList("Any list"), second);
    first->matchPrefix = "Any";
    EXPECT_EQ(top->GetList("Any list"), second) << "cached";

    EXPECT_EQ(FailureOf([&] { top->GetList("Nobody's"); }),
              "Assertion failed: (false)\nMessage: Cannot find a list with key \"Nobody's\"");
    EXPECT_EQ(FailureOf([&] { top->AddList(nullptr); }),
              "Assertion failed: (list != 0)\nMessage: A top-records list cannot be null.");

    // Keys filed again after players changed.
    first->alternateKeys = {"'guid=2'"};
    top->ResetLists();
    EXPECT_EQ(top->GetList("'guid=2'"), first);
    std::vector<TopRecordsList*> lists;
    top->GetLists(lists);
    EXPECT_EQ(lists, (std::vector<TopRecordsList*>{first, second}));
}

TEST_F(GameRecordsTest, ResettingTheListsDropsTheRecordsOfAClearedPlayer)
{
    auto* overall = new ScoreList("High Scores", "");
    top->AddList(overall);
    AddScore(GuidOf(1), 10);
    AddScore(GuidOf(2), 20);
    players->ClearPlayer(2);
    top->ResetLists();
    EXPECT_EQ(overall->Scores(), (std::vector<double>{10}));
}
