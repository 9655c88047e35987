#include "PlayersTestSupport.h"

#include <gtest/gtest.h>

using namespace playertest;

// A class the registry can make that is no player.
class NotAPlayer : public Object
{
    VELK_DECLARE_CLASS(NotAPlayer)
};
VELK_REGISTER_CLASS(NotAPlayer, "Object", nullptr, InstantiateObjectOfClass<NotAPlayer>);

namespace {

class PlayerManagerTest : public PlayersFixture
{
protected:
    // A card as the program writes it, for a player of that guid and name.
    void WriteCard(int index, int guid, const std::string& name)
    {
        LuaObject player = LuaFunction<LuaObject>{state.GetGlobal("CreatePlayer")}();
        player.SetInteger("guid", guid);
        player.SetString("Name", name);
        LuaFunction<void>{state.GetGlobal("Serialize")}(player, CardPath(index), "Player ");
    }

    std::vector<int> QueuedEvents()
    {
        std::vector<int> types;
        EventReceiver* receiver = nullptr;
        EventRecord record;
        bool dropped = false;
        while (host.queue.Pop(receiver, record, dropped)) {
            types.push_back(record.type);
            host.queue.ReleaseEventData(record);
        }
        return types;
    }
};

} // namespace

TEST_F(PlayerManagerTest, PlayerScriptsMakeAndFindPlayers)
{
    LuaObject first = Eval("CreatePlayer()");
    LuaObject second = Eval("CreatePlayer()");
    EXPECT_GT(first["guid"].GetNumber(), 1000);
    EXPECT_GT(second["guid"].GetNumber(), 1000);
    EXPECT_NE(first["guid"].GetNumber(), second["guid"].GetNumber());
    EXPECT_EQ(first["Card_Version"].GetInteger(), 4);
    EXPECT_EQ(first["Rank"].GetString(), "Novice");
    EXPECT_EQ(first["Options"]["player.picture"].GetString(), "female_hs.jpg");
    EXPECT_TRUE(first["Name"].IsNil());

    LuaObject named = Eval("CreatePlayer({ guid = 5, Name = 'x' })");
    EXPECT_EQ(named["guid"].GetInteger(), 5);
    EXPECT_EQ(named["Name"].GetString(), "x");
    EXPECT_TRUE(named["Game_Records"].IsTable());

    // Without a configuration the rank of a new game mode falls back.
    EXPECT_EQ(Eval("CreateGameModeTable().Rank").GetString(), "???");
    Run("LoadConstConfig({ ['rank.1'] = 'Novice' })");
    EXPECT_EQ(Eval("CreateGameModeTable().Rank").GetString(), "Novice");

    EXPECT_FALSE(Eval("LoadFile('" + cards + "nothing.card')").GetBoolean());
    EXPECT_EQ(Eval("GetLastError()").GetString(), "cannot open " + cards + "nothing.card");

    Run("Players = CreatePlayersTable() DummyPlayers = CreateDummyPlayersTable()");
    EXPECT_EQ(Eval("GetPlayerWithGuid(3).Name").GetString(), "Marigold");
    EXPECT_TRUE(Eval("GetPlayerWithGuid(4242, true)").IsNil());
    EXPECT_NE(FailureOf([&] { Run("GetPlayerWithGuid(4242)"); }).find("GetPlayerWithGuid failed, invalid guid=4242"),
              std::string::npos);
    EXPECT_EQ(Eval("JoinTables({ a = 1, b = 1 }, nil, { b = 2 }).b").GetInteger(), 2);

    // A record goes onto its player's card once.
    Run("Player(CreatePlayer({ guid = 2001, Name = 'Ada' }))"
        "record = { guid = 17, player_guid = 2001 }"
        "PlayerManager_AddRecordToCard(record) PlayerManager_AddRecordToCard(record)");
    EXPECT_EQ(Eval("table.getn(Players[1].Game_Records)").GetInteger(), 1);
    EXPECT_EQ(Eval("GetPlayerIndexWithGuid(2001)").GetInteger(), 1);
}

TEST_F(PlayerManagerTest, NoCardsGiveFourFreshPlayers)
{
    players->LoadGameData();
    EXPECT_EQ(players->GetPlayerCount(), 4);
    EXPECT_EQ(players->GetDummyPlayerCount(), 10);
    EXPECT_EQ(CountInLog("Couldn't load player "), 4);
    EXPECT_NE(LogText().find("Couldn't load player 2, err=\"cannot open " + CardPath(2) + "\"\n"), std::string::npos);
    for (int i = 1; i <= 4; ++i) {
        ASSERT_NE(players->GetPlayer(i), nullptr);
        EXPECT_TRUE(players->GetPlayer(i)->IsUnused());
        EXPECT_EQ(players->GetPlayer(i)->GetIndex(), i);
    }
    EXPECT_EQ(players->GetPlayer(5), nullptr);
    EXPECT_EQ(players->GetCurrentPlayer(1), players->GetPlayer(1));
    EXPECT_EQ(players->GetCurrentPlayer(2), nullptr);
    EXPECT_EQ(config->Retrieve("current_player_1_guid").ToDouble(), GuidOf(1));
    // The first two are SetCurrentPlayer's and LoadGameData's player changes.
    EXPECT_EQ(QueuedEvents(), (std::vector<int>{VELK_PLAYERCHANGE, VELK_PLAYERCHANGE, VELK_HIGHSCORESUPDATED}));
}

TEST_F(PlayerManagerTest, MissingCardKeepsThePlaceOfTheOthers)
{
    WriteCard(1, 5001, "Ada");
    WriteCard(3, 5003, "Cy");
    WriteCard(4, 5004, "Di");
    players->LoadGameData();
    EXPECT_EQ(CountInLog("Couldn't load player "), 1);
    EXPECT_EQ(GuidOf(1), 5001);
    EXPECT_TRUE(players->GetPlayer(2)->IsUnused());
    EXPECT_EQ(GuidOf(3), 5003);
    EXPECT_EQ(Eval("Players[4].Name").GetString(), "Di");
    EXPECT_EQ(players->GetPlayer(4)->GetIndex(), 4);
}

TEST_F(PlayerManagerTest, CurrentPlayerComesBackFromTheSettings)
{
    WriteCard(1, 5001, "Ada");
    WriteCard(2, 5002, "Bo");

    config->Store("current_player_1_guid", Variant(5002.0));
    players->LoadGameData();
    EXPECT_EQ(players->GetCurrentPlayer(1), players->GetPlayer(2));

    // A dummy player's guid makes the dummy current.
    config->Store("current_player_1_guid", Variant(7.0));
    players->LoadGameData();
    EXPECT_EQ(players->GetCurrentPlayer(1), players->GetDummyPlayer(7));
    EXPECT_EQ(players->GetCurrentPlayer(1)->GetIndex(), 7);

    // A guid nobody has, or no number at all, falls back to player 1.
    for (const Variant& value : {Variant(9999.0), Variant("5002")}) {
        config->Store("current_player_1_guid", value);
        players->LoadGameData();
        EXPECT_EQ(players->GetCurrentPlayer(1), players->GetPlayer(1));
        EXPECT_EQ(config->Retrieve("current_player_1_guid").ToDouble(), 5001);
    }

    EXPECT_FALSE(Eval("SetCurrentPlayerFromGuid(9999, 1)").GetBoolean());
    EXPECT_TRUE(Eval("SetCurrentPlayerFromGuid(5002, 1)").GetBoolean());
    EXPECT_EQ(players->GetCurrentPlayer(1), players->GetPlayer(2));
    Run("SetCurrentPlayerFromIndex(1, 2)");
    EXPECT_EQ(players->GetCurrentPlayer(2), players->GetPlayer(1));
    EXPECT_NE(FailureOf([&] { Run("SetCurrentPlayerFromIndex(9, 1)"); }).find("there is no player at index 9"),
              std::string::npos);
    EXPECT_EQ(FailureOf([&] { players->SetCurrentPlayer(players->GetPlayer(1), 3); }),
              "Assertion failed: (index <= 2)");
}

TEST_F(PlayerManagerTest, CurrentSlotsOfPlayers)
{
    players->LoadGameData();
    Player* first = players->GetPlayer(1);
    Player* third = players->GetPlayer(3);
    players->SetCurrentPlayer(third, 2);
    EXPECT_EQ(players->GetCurrentSlot(first), 1);
    EXPECT_EQ(players->GetCurrentSlot(third), 2);
    EXPECT_EQ(players->GetCurrentSlot(players->GetPlayer(4)), 0);
    // Only slot 1 is remembered in the settings.
    EXPECT_EQ(config->Retrieve("current_player_1_guid").ToDouble(), GuidOf(1));
}

TEST_F(PlayerManagerTest, OnePlayerObjectPerPlayerTable)
{
    WriteCard(1, 5001, "Ada");
    players->LoadGameData();
    Player* ada = players->GetPlayer(1);
    EXPECT_EQ(players->GetPlayerObject(5001), ada);
    EXPECT_EQ(players->GetCurrentPlayer(1), ada);
    EXPECT_EQ(players->GetPlayerObject(123456), nullptr);
    EXPECT_EQ(ada->GetClass()->GetName(), "Player");

    // A reload makes new tables: a new object, while the old one stays usable.
    ada->GetTable().SetString("Name", "changed but never saved");
    Run("LoadGameData()");
    Player* reloaded = players->GetPlayer(1);
    EXPECT_NE(reloaded, ada);
    EXPECT_EQ(reloaded->GetTable()["Name"].GetString(), "Ada");
    EXPECT_EQ(ada->GetTable()["Name"].GetString(), "changed but never saved");

    EXPECT_THROW(players->SetPlayerClass("NoSuchPlayerClass"), ClassNotFoundException);
    players->SetPlayerClass("NotAPlayer");
    EXPECT_EQ(FailureOf([&] { players->GetPlayer(2); }),
              "Assertion failed: (dynamic_cast<Player*>(object.get()) != 0)\nMessage: The player class \"NotAPlayer\" "
              "is not a Player.");
}

TEST_F(PlayerManagerTest, TempDataSurvivesAReloadOfTheSameGuid)
{
    WriteCard(1, 5001, "Ada");
    players->LoadGameData();
    Run("Players[1].Temp_Data = { seen = true } Players[2].Temp_Data = { seen = true }");
    players->LoadGameData();
    EXPECT_TRUE(Eval("Players[1].Temp_Data.seen").GetBoolean());
    // Player 2 is a fresh player again, with a new guid.
    EXPECT_TRUE(Eval("Players[2].Temp_Data").IsNil());
}

TEST_F(PlayerManagerTest, ClearingAPlayerReplacesItInItsSlots)
{
    WriteCard(1, 5001, "Ada");
    players->LoadGameData();
    Player* ada = players->GetPlayer(1);
    LuaObject old = players->ClearPlayer(1);
    EXPECT_EQ(old["Name"].GetString(), "Ada");
    Player* fresh = players->GetPlayer(1);
    EXPECT_NE(fresh, ada);
    EXPECT_TRUE(fresh->IsUnused());
    EXPECT_EQ(players->GetCurrentPlayer(1), fresh);
}

TEST_F(PlayerManagerTest, PlayerTableAccess)
{
    Player unset;
    EXPECT_EQ(FailureOf([&] { unset.GetTable(); }),
              "Assertion failed: (m_Data.IsNil() == false)\nMessage: Player::SetPlayerData must be called before "
              "Player::GetTable will work");

    players->LoadGameData();
    Player* player = players->GetPlayer(1);
    // Without a current game mode there is no statistic to show.
    EXPECT_EQ(player->GetTopStatisticStr("Top_Scores", "total_score", "none"), "none");
    EXPECT_NE(FailureOf([&] { player->GetGameModeTable(""); }).find("game.mode"), std::string::npos);

    player->GetOptionsTable().SetString("game.mode", "Solitaire");
    EXPECT_EQ(player->GetGameModeTable("")["Rating"].GetInteger(), 400);
    EXPECT_EQ(player->GetTopStatisticStr("Top_Scores", "total_score", "none"), "none");
    Run("Players[1].Game_Modes.Solitaire.Top_Scores[1] = { game_guid = 1, total_score = 12345 }");
    EXPECT_EQ(player->GetTopStatisticStr("Top_Scores", "total_score", "none"), "12345");

    EXPECT_TRUE(player->GetGameRecordsTable().IsTable());
    player->GetTable().SetNil("Game_Records");
    EXPECT_TRUE(player->GetGameRecordsTable().IsTable());
    EXPECT_TRUE(player->GetTable()["Game_Records"].IsTable());
}

TEST_F(PlayerManagerTest, TopTenInsertion)
{
    // Each case: the list's total_score values, the new value, the position
    // it takes (0 = left out) and the list afterwards.
    struct Case
    {
        std::vector<int> list;
        int value;
        int position;
        std::vector<int> after;
    };
    const std::vector<int> ten{100, 90, 80, 70, 60, 50, 40, 30, 20, 10};
    const Case cases[] = {
        {{}, 5, 1, {5}},
        {{50, 30}, 40, 2, {50, 40, 30}},
        {{50, 30}, 10, 3, {50, 30, 10}},
        {{50, 30}, 50, 1, {50, 50, 30}},
        {ten, 10, 10, {100, 90, 80, 70, 60, 50, 40, 30, 20, 10}},
        {ten, 9, 0, ten},
        {ten, 95, 2, {100, 95, 90, 80, 70, 60, 50, 40, 30, 20}},
    };
    for (const Case& c : cases) {
        LuaObject list;
        list.AssignNewTable(state);
        for (std::size_t i = 0; i < c.list.size(); ++i) {
            LuaObject entry = list.CreateTable(static_cast<int>(i) + 1);
            entry.SetInteger("total_score", c.list[i]);
            entry.SetInteger("game_guid", static_cast<int>(i) + 1);
        }
        LuaObject record;
        record.AssignNewTable(state);
        record.SetInteger("total_score", c.value);
        record.SetString("game_guid", "new");
        EXPECT_EQ(InsertRecordInTopTen(record, "total_score", list), c.position) << c.value;
        std::vector<int> after;
        for (int i = 1; !list[i].IsNil(); ++i)
            after.push_back(list[i]["total_score"].GetInteger());
        EXPECT_EQ(after, c.after) << c.value;
        // A tie goes before the entry it ties with.
        if (c.position > 0) {
            EXPECT_EQ(list[c.position]["game_guid"].GetString(), "new");
        }
    }
}

TEST_F(PlayerManagerTest, PlayerScoreAndWordRecordsAreListedOnce)
{
    players->LoadGameData();
    Player* player = players->GetPlayer(1);
    Run("score = { game_guid = 7, game_mode = 'Compete', total_score = 500, percentage = 80 }"
        "word = { game_guid = 7, game_mode = 'Compete', word = 'REEL', word_score = 12 }");
    player->AddScoreRecord(Eval("score"));
    player->AddScoreRecord(Eval("score"));
    player->AddWordRecord(Eval("word"));
    player->AddWordRecord(Eval("word"));
    Run("other = { game_guid = 7, game_mode = 'Compete', word = 'SPIN', word_score = 20 }");
    player->AddWordRecord(Eval("other"));
    EXPECT_EQ(Eval("table.getn(Players[1].Game_Modes.Compete.Top_Scores)").GetInteger(), 1);
    EXPECT_EQ(Eval("table.getn(Players[1].Game_Modes.Compete.Top_Percentages)").GetInteger(), 1);
    EXPECT_EQ(Eval("Players[1].Game_Modes.Compete.Top_Words[1].word").GetString(), "SPIN");
    EXPECT_EQ(Eval("table.getn(Players[1].Game_Modes.Compete.Top_Words)").GetInteger(), 2);
}
