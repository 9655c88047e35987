#include "PlayersTestSupport.h"

#include <gtest/gtest.h>

using namespace playertest;

namespace {

class HighScoresTest : public PlayersFixture
{
protected:
    std::vector<int> Values(const std::string& list, const std::string& field)
    {
        std::vector<int> values;
        for (int i = 1; !Eval("HighScores." + list + "[" + std::to_string(i) + "]").IsNil(); ++i)
            values.push_back(Eval("HighScores." + list + "[" + std::to_string(i) + "]." + field).GetInteger());
        return values;
    }

    LuaObject Record(const std::string& fields)
    {
        return Eval("{ " + fields + " }");
    }
};

} // namespace

TEST_F(HighScoresTest, TablesStartWithTheDummyScoresBestFirst)
{
    EXPECT_EQ(Values("SolitaireScores", "total_score"),
              (std::vector<int>{52000, 47500, 43000, 39000, 35500, 31000, 27500, 24000, 20500, 17000}));
    EXPECT_EQ(Values("BlastScores", "total_score").size(), 10u);
    EXPECT_EQ(Values("Percentages", "percentage"), (std::vector<int>{90, 88, 84, 81, 79, 76, 74, 72, 70, 68}));
    for (int i = 1; i <= 10; ++i)
        EXPECT_NE(Eval("HighScores.Percentages[" + std::to_string(i) + "].game_mode").GetString(), "Blast");
    EXPECT_EQ(Eval("HighScores.WordsByLength.display_field_as_score").GetString(), "word_length");
    EXPECT_EQ(Values("WordsByLength", "word_length").front(), 8) << "TREASURE";
    EXPECT_EQ(Eval("HighScores.Ratings.name").GetString(), "Top Ratings");
    EXPECT_EQ(Eval("HighScores.SolitaireScores[1].game_guid").GetInteger(), -1);
    EXPECT_EQ(Eval("HighScores.SolitaireScores[1].date").GetInteger(), 0);

    // Clearing brings the dummy scores back, not empty lists.
    scores->AddScoreRecord(Record("game_guid = 5, player_guid = 1, game_mode = 'Solitaire', total_score = 99000, "
                                  "percentage = 99"),
                           true);
    EXPECT_EQ(Values("SolitaireScores", "total_score").front(), 99000);
    records->ClearHighScores();
    EXPECT_EQ(Values("SolitaireScores", "total_score").front(), 52000);
    EXPECT_EQ(Values("Percentages", "percentage").front(), 90);
}

TEST_F(HighScoresTest, ScoreRecordsAreListedOncePerTable)
{
    LuaObject record = Record("game_guid = 5, player_guid = 1, game_mode = 'Compete', total_score = 70000, "
                              "percentage = 95");
    scores->AddScoreRecord(record, false);
    scores->AddScoreRecord(record, false);
    EXPECT_EQ(Values("CompeteScores", "total_score").front(), 70000);
    EXPECT_EQ(Values("CompeteScores", "total_score")[1], 61000);
    EXPECT_EQ(Values("Percentages", "percentage")[1], 90);

    // Listed by score already but not by percentage: only the percentage is added.
    Run("HighScores.Percentages = { name = 'Top Percentages', is_percentage_list = true }");
    scores->AddScoreRecord(record, false);
    EXPECT_EQ(Values("Percentages", "percentage"), (std::vector<int>{95}));
    EXPECT_EQ(Values("CompeteScores", "total_score")[1], 61000);

    // Another player's record of the same game is a different entry.
    scores->AddScoreRecord(Record("game_guid = 5, player_guid = 2, game_mode = 'Compete', total_score = 70000, "
                                  "percentage = 95"),
                           false);
    EXPECT_EQ(Values("CompeteScores", "total_score")[1], 70000);

    // Blast never reaches Percentages; a mode without a table reaches only Percentages.
    scores->AddScoreRecord(Record("game_guid = 6, player_guid = 1, game_mode = 'Blast', total_score = 90000, "
                                  "percentage = 100"),
                           false);
    EXPECT_EQ(Values("BlastScores", "total_score").front(), 90000);
    EXPECT_EQ(Values("Percentages", "percentage").front(), 95);
    scores->AddScoreRecord(Record("game_guid = 7, player_guid = 1, game_mode = 'Puzzle', total_score = 1, "
                                  "percentage = 100"),
                           false);
    EXPECT_EQ(Values("Percentages", "percentage").front(), 100);
    EXPECT_TRUE(Eval("HighScores.PuzzleScores").IsNil());
}

TEST_F(HighScoresTest, WordRecordsGetTheirLengthInBytes)
{
    LuaObject word = Record("game_guid = 8, player_guid = 1, game_mode = 'Blast', word = 'S\xc3\x9cPERB', "
                            "word_score = 200");
    scores->AddWordRecord(word);
    EXPECT_EQ(word["word_length"].GetInteger(), 7);
    EXPECT_EQ(Eval("HighScores.WordsByScore[1].word_score").GetInteger(), 200);
    EXPECT_EQ(Values("WordsByLength", "word_length").front(), 8);
    EXPECT_EQ(Values("WordsByLength", "word_length")[1], 7);
    EXPECT_EQ(FailureOf([&] { scores->AddWordRecord(Record("word_score = 1")); }),
              "Assertion failed: (wordRecord[\"word\"].IsString())");
}

TEST_F(HighScoresTest, TheDisplayRotationPassesOverEmptyPlayerLists)
{
    players->LoadGameData();
    Run("Players[2].Name = 'Bo' Players[2].Options['game.mode'] = 'Solitaire'"
        "Players[2].Game_Modes.Solitaire = CreateGameModeTable()"
        "Players[2].Game_Modes.Solitaire.Top_Scores[1] = { total_score = 5 }");
    EXPECT_EQ(Eval("GetPlayerHighScores(1).name").GetString(), "Player 1's Top Scores");
    EXPECT_TRUE(Eval("GetPlayerHighScores(1).skippable").GetBoolean());
    EXPECT_EQ(Eval("GetPlayerHighScores(2).name").GetString(), "Bo's Top Scores");
    // A list's name is label text: a player's name in it is shown, never run.
    Run("Players[3].Name = '|AppQuit()|'");
    EXPECT_EQ(Eval("GetPlayerHighScores(3).name").GetString(), "||AppQuit()||'s Top Scores");
    EXPECT_EQ(Eval("GetPlayerBestWords(3).name").GetString(), "||AppQuit()||'s Top Words");
    Run("Players[3].Name = nil");
    EXPECT_EQ(Eval("GetPlayerHighScores(2)[1].total_score").GetInteger(), 5);
    EXPECT_TRUE(Eval("GetPlayerTopWords(2).is_word_list").GetBoolean());

    Run("DisplayList('Ratings')");
    EXPECT_EQ(Eval("HighScores.GetDisplayed().name").GetString(), "Top Ratings");
    // From Ratings the next list to show is player 2's words, then player 2's scores.
    Run("ShowNextHighScore()");
    EXPECT_EQ(Eval("HighScores.DisplayOrder[HighScores.DisplayIndex][1]").GetString(), "Player2Words");
    Run("ShowNextHighScore()");
    EXPECT_EQ(Eval("HighScores.DisplayOrder[HighScores.DisplayIndex][1]").GetString(), "Player2Scores");
    Run("ShowNextHighScore()");
    EXPECT_EQ(Eval("HighScores.DisplayIndex").GetInteger(), 1) << "after the last comes the first";
    Run("ShowPrevHighScore()");
    EXPECT_EQ(Eval("HighScores.DisplayOrder[HighScores.DisplayIndex][1]").GetString(), "Player2Scores");
    Run("DisplayList('NoSuchList')");
    EXPECT_EQ(Eval("HighScores.DisplayOrder[HighScores.DisplayIndex][1]").GetString(), "Player2Scores");
}
