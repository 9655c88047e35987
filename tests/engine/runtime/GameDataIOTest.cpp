#include "PlayersTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace playertest;

namespace {

class PlayerCardsTest : public PlayersFixture
{
protected:
    // The game's lists: every score, and Classic scores only.
    void AddLists()
    {
        overall = new ScoreList("High Scores", "");
        classic = new ScoreList("Top Classic Scores", "Classic");
        top->AddList(overall);
        top->AddList(classic);
    }

    void Load() { io->LoadAllPlayerData(false); }

    void RestartAndLoad()
    {
        Restart();
        AddLists();
        Load();
    }

    ScoreList* overall = nullptr;
    ScoreList* classic = nullptr;
};

const char* const kGoodCard = "Player {\n    guid = 4001,\n    Name = \"Keeper\",\n    Options = {\n    },\n"
                              "    Game_Modes = {\n    },\n}\n";

} // namespace

TEST_F(PlayerCardsTest, HostileTextComesBackAsItWasAndRunsNothing)
{
    const std::vector<std::string> hostile = {
        "Ann \"the Quick\" O'Hare",
        "back\\slash\\",
        "two\nlines\r\nand a \\n",
        std::string("nul\0byte", 8),
        "]] pwned = true --[[",
        "\" } pwned = true Player { Name = \"",
        "tab\tbell\a del\x7f",
        "\xc3\xa9t\xc3\xa9 \xe2\x98\x85 \xff\xfe",
        "end",
        "",
    };
    Load();
    for (int i = 1; i <= 4; ++i) {
        LuaObject player = players->GetPlayer(i)->GetTable();
        player.SetString("Name", hostile[static_cast<std::size_t>(i) - 1]);
        // Text a player types may become keys too.
        LuaObject typed = player["Options"].CreateTable("typed");
        for (const std::string& text : hostile) {
            LuaObject key;
            key.AssignString(state, text);
            LuaObject value;
            value.AssignString(state, text);
            typed.SetObject(key, value);
        }
    }
    io->SaveAllPlayerData();
    EXPECT_EQ(ReadTextFile(CardPath(1)).rfind("Player {\n", 0), 0u);

    RestartAndLoad();
    EXPECT_EQ(CountInLog("Couldn't load player"), 4) << "only the first run's";
    EXPECT_TRUE(Eval("pwned").IsNil());
    for (int i = 1; i <= 4; ++i) {
        LuaObject player = players->GetPlayer(i)->GetTable();
        EXPECT_EQ(player["Name"].GetString(), hostile[static_cast<std::size_t>(i) - 1]) << i;
        LuaObject typed = player["Options"]["typed"];
        EXPECT_EQ(typed.GetTableCount(), static_cast<int>(hostile.size()));
        for (const std::string& text : hostile) {
            LuaObject key;
            key.AssignString(state, text);
            EXPECT_EQ(typed[key].GetString(), text);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(CardPath(1) + ".bad"));
}

TEST_F(PlayerCardsTest, ACardThatCannotBeUsedIsKeptAsideAndTheOthersLoad)
{
    struct Case
    {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"cut short", "Player {\n    guid = 4002,\n    Name = \"Bo"},
        {"code", "os.remove('x') Player { guid = 4002, Options = {}, Game_Modes = {} }"},
        {"a function of the program", "Player(CreatePlayer())"},
        {"two players", "Player { guid = 4002, Options = {}, Game_Modes = {} } Player { guid = 4003, Options = {}, "
                        "Game_Modes = {} }"},
        {"no player", "local x = 1"},
        {"empty", ""},
        {"a guid that is no number", "Player { guid = \"4002\", Options = {}, Game_Modes = {} }"},
        {"a guid out of range", "Player { guid = 1e300, Options = {}, Game_Modes = {} }"},
        {"a name that is no text", "Player { guid = 4002, Name = {}, Options = {}, Game_Modes = {} }"},
        {"no options", "Player { guid = 4002, Game_Modes = {} }"},
        {"records that are no table", "Player { guid = 4002, Options = {}, Game_Modes = {}, Game_Records = 3 }"},
    };
    WriteTextFile(CardPath(1), kGoodCard);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearLogCache();
        WriteTextFile(CardPath(2), c.text);
        RestartAndLoad();

        EXPECT_EQ(players->GetPlayer(1)->GetTable()["Name"].GetString(), "Keeper");
        EXPECT_TRUE(players->GetPlayer(2)->IsUnused());
        EXPECT_EQ(players->GetPlayerCount(), 4);
        EXPECT_EQ(ReadTextFile(CardPath(2) + ".bad"), c.text);
        EXPECT_NE(LogText().find("WARNING: Could not load \"" + CardPath(2) + "\""), std::string::npos);
        EXPECT_EQ(CountInLog("Couldn't load player 2, err=\"" + CardPath(2) + " could not be loaded and was kept aside\""),
                  1);

        // The next save writes a fresh card; the bad one stays as it was.
        io->SaveAllPlayerData();
        EXPECT_EQ(ReadTextFile(CardPath(2) + ".bad"), c.text);
        EXPECT_NE(ReadTextFile(CardPath(2)).find("guid = "), std::string::npos);
        std::filesystem::remove(CardPath(2) + ".bad");
    }
}

TEST_F(PlayerCardsTest, FirstRunWritesFourFreshCardsOnce)
{
    AddLists();
    Load();
    EXPECT_EQ(CountInLog("Couldn't load player "), 4);
    EXPECT_EQ(records->GetRecordsTable().GetTableCount(), 0);
    EXPECT_EQ(CountInLog("\tLoaded 0 records from player "), 4);
    EXPECT_EQ(CountInLog("\tLoaded 0 records from dummy player "), 10);

    io->SaveAllPlayerData();
    std::vector<std::string> written;
    for (int i = 1; i <= 4; ++i)
        written.push_back(ReadTextFile(CardPath(i)));
    EXPECT_NE(written[0], written[1]) << "each has its own guid";
    EXPECT_EQ(CountInLog("\tSaved player #"), 4);

    io->SaveAllPlayerData();
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(ReadTextFile(CardPath(i)), written[static_cast<std::size_t>(i) - 1]);

    EXPECT_NE(FailureOf([&] { Run("LoadData()"); })
                  .find("Assertion failed: (m_Internal->m_Loaded == false)\nMessage: Player data can only be loaded "
                        "once, for the time being."),
              std::string::npos);
    // Forced, it loads again.
    EXPECT_TRUE(io->LoadAllPlayerData(true));
}

TEST_F(PlayerCardsTest, CardsKeepTheRecordsThatStillRank)
{
    AddLists();
    Load();
    const int ada = GuidOf(1);
    const int bo = GuidOf(2);
    const int cy = GuidOf(3);
    Run("Players[1].Name = 'Ada' Players[2].Name = 'Bo' Players[3].Name = 'Cy'");

    GameRecordGuid standing = AddScore(ada, 500, "Classic");
    GameRecordGuid dropped = AddScore(ada, 10, "Vevev");
    for (int i = 1; i <= 9; ++i)
        AddScore(bo, 100 * i, "Classic");
    // Cy's only record stands in no list: the card keeps what it had.
    Run("Players[3].Game_Records = { { gameRecordGuid = 32000, gameRecordType = 'WoppleScoreRecord', playerGuid = " +
        std::to_string(cy) + ", gameScore = 1, gameType = 'Vevev' } }");
    EXPECT_EQ(overall->GetNumRecords(), 10);
    EXPECT_EQ(overall->Scores().back(), 100);

    io->SaveAllPlayerData();
    EXPECT_EQ(Eval("table.getn(Players[1].Game_Records)").GetInteger(), 1) << "once, though in two lists";
    EXPECT_EQ(Eval("Players[1].Game_Records[1].gameRecordGuid").GetInteger(), standing.value);
    EXPECT_EQ(Eval("table.getn(Players[2].Game_Records)").GetInteger(), 9);
    EXPECT_EQ(Eval("Players[3].Game_Records[1].gameRecordGuid").GetInteger(), 32000);
    EXPECT_NE(LogText().find("\tMarked 10 items from list \"High Scores\"\n"), std::string::npos);
    EXPECT_NE(LogText().find("\tAssociated 1 records with player {guid=" + std::to_string(ada) + ", name=Ada}\n"),
              std::string::npos);
    EXPECT_NE(LogText().find("\tSaved player #3 (\"Cy\") to path \"" + CardPath(3) + "\".\n"), std::string::npos);

    std::vector<double> before = overall->Scores();
    RestartAndLoad();
    EXPECT_EQ(overall->Scores(), before);
    EXPECT_EQ(classic->GetNumRecords(), 10);
    EXPECT_FALSE(records->HasRecord(dropped));
    EXPECT_TRUE(records->HasRecord(standing));
    EXPECT_TRUE(records->HasRecord(GameRecordGuid{32000}));
    EXPECT_NE(LogText().find("\tLoaded 9 records from player 2.\n"), std::string::npos);
}

TEST_F(PlayerCardsTest, RecordsThatCannotBeFiledAreLeftOutWithAWarning)
{
    const std::string record = "{ gameRecordGuid = 77, gameRecordType = 'WoppleScoreRecord', playerGuid = 4001, "
                               "gameScore = 50, gameType = 'Classic' }";
    WriteTextFile(CardPath(1), "Player { guid = 4001, Name = 'A', Options = {}, Game_Modes = {}, Game_Records = { " +
                                   record + ", { gameRecordGuid = 78 }, { gameRecordGuid = 40000, gameRecordType = "
                                            "'WoppleScoreRecord' } } }");
    // The same record on a second card, as when a card was copied.
    WriteTextFile(CardPath(2),
                  "Player { guid = 4002, Name = 'B', Options = {}, Game_Modes = {}, Game_Records = { " + record + " } }");
    AddLists();
    Load();
    EXPECT_EQ(overall->GetNumRecords(), 1);
    EXPECT_EQ(CountInLog("WARNING: A game record of player 1 has no valid guid and type; it was left out.\n"), 2);
    EXPECT_EQ(CountInLog("WARNING: The game record 77 of player 2 is already held by another player"), 1);
    EXPECT_NE(LogText().find("\tLoaded 1 records from player 1.\n"), std::string::npos);
    EXPECT_NE(LogText().find("\tLoaded 0 records from player 2.\n"), std::string::npos);
}

TEST_F(PlayerCardsTest, NothingIsWrittenUntilLoadingHasFinished)
{
    const std::string stopper = "Player { guid = 4002, Name = 'Stop', Options = {}, Game_Modes = {} }";
    WriteTextFile(CardPath(1), kGoodCard);
    WriteTextFile(CardPath(2), stopper);

    // Before any load, as when start-up failed before the cards were read.
    io->SaveAllPlayerData();
    // A load that fails half way, with the first card read.
    Run("original = Player function Player(p) if p.Name == 'Stop' then error('stopped') end original(p) end");
    EXPECT_NE(FailureOf([&] { Load(); }).find("stopped"), std::string::npos);
    ASSERT_EQ(players->GetPlayerCount(), 1);
    io->SaveAllPlayerData();

    EXPECT_EQ(ReadTextFile(CardPath(1)), kGoodCard);
    EXPECT_EQ(ReadTextFile(CardPath(2)), stopper);
    EXPECT_FALSE(std::filesystem::exists(CardPath(3)));
    EXPECT_EQ(CountInLog("Player data was not loaded; the player cards are left as they are.\n"), 2);

    // Once a load finishes, saving works again.
    Run("Player = original");
    RestartAndLoad();
    io->SaveAllPlayerData();
    EXPECT_TRUE(std::filesystem::exists(CardPath(4)));
}

TEST_F(PlayerCardsTest, ACardThatCannotBeWrittenKeepsItsOldFileAndTheOthersAreWritten)
{
    WriteTextFile(CardPath(1), kGoodCard);
    Load();
    players->GetPlayer(1)->GetTable().SetString("Name", "Renamed");
    // Nothing can be made where the card's temporary file goes.
    std::filesystem::create_directories(CardPath(1) + ".tmp");
    std::string failure = FailureOf([&] { io->SaveAllPlayerData(); });
    EXPECT_NE(failure.find("Could not open output file \"" + CardPath(1) + "\""), std::string::npos) << failure;
    EXPECT_EQ(ReadTextFile(CardPath(1)), kGoodCard);
    for (int i = 2; i <= 4; ++i)
        EXPECT_TRUE(std::filesystem::exists(CardPath(i))) << i;
    EXPECT_EQ(CountInLog("WARNING: Could not save player #1 to path"), 1);

    // Without a folder of cards nothing is written anywhere else.
    Run("Paths.PlayerData = nil");
    EXPECT_EQ(FailureOf([&] { io->SaveAllPlayerData(); }),
              "Assertion failed: (folder.IsString() && !folder.GetString().empty())\nMessage: Paths.PlayerData must "
              "name the folder of player cards.");
}
