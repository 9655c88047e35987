// The quest's sixty levels as the game loads them: every table whole, made
// into its logic by the class registry, and naming only patterns, music
// parts, resources and cells that exist; the modes in their mix; and an
// intro wherever a level brings something new.

#include "ProgressFixture.h"
#include "engine/core/Class.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "platform/lua/LuaObject.h"
#include "platform/music/MidiFile.h"

#include <iterator>
#include <map>
#include <memory>
#include <set>

using namespace progresstest;

namespace {

using WoppleQuestLevelsTest = ProgressFixture;

std::string Where(int level, const std::string& what)
{
    return "level " + std::to_string(level) + ": " + what;
}

bool IsPositiveInteger(const LuaObject& value)
{
    return value.IsInteger() && value.GetInteger() > 0;
}

// A level's place for a cell: board from 1 to the boards, column and row
// (negative from the far end) on a board of that size.
void ExpectCellOnBoards(int level, const std::string& key, const LuaObject& position, const LuaObject& board,
                        int boards, int size)
{
    const int b = board.IsNil() ? 1 : (board.IsInteger() ? board.GetInteger() : 0);
    EXPECT_TRUE(b >= 1 && b <= boards) << Where(level, key + " on a board the level does not have");
    if (position.IsNil())
        return;
    ASSERT_TRUE(position.IsTable() && position[1].IsInteger() && position[2].IsInteger())
        << Where(level, key + " has no {column, row}");
    for (int i : {1, 2}) {
        const int v = position[i].GetInteger();
        EXPECT_TRUE(v != 0 && v >= -size && v <= size) << Where(level, key + " lies off the board");
    }
}

// The shipped level music: the parts the rules play of it, by marker.
std::set<std::string> MusicMarkers()
{
    std::ifstream in(std::string(VELK_GAME_DATA_DIR) + "/music/Wopple.mid", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    MidiFile midi;
    std::string error;
    EXPECT_TRUE(midi.Parse(bytes.data(), bytes.size(), error)) << error;
    std::set<std::string> names;
    for (const MidiFile::Marker& marker : midi.GetMarkers())
        names.insert(marker.name);
    return names;
}

TEST_F(WoppleQuestLevelsTest, EveryLevelIsWholeAndNamesOnlyWhatExists)
{
    LuaState lua = app->GetLuaState();
    const LuaObject levels = lua.GetGlobal("WoppleQuestLevels");
    const LuaObject patterns = lua.GetGlobal("WopplePatterns");
    const LuaObject resources = lua.GetGlobal("Resources");
    ASSERT_TRUE(levels.IsTable());
    ASSERT_EQ(levels.GetN(), 60);
    ASSERT_EQ(lua.GetGlobal("BonusLevelsStartAt").GetInteger(), 51);
    const std::set<std::string> markers = MusicMarkers();

    std::map<std::string, int> modes;
    std::set<std::string> names;
    for (int level = 1; level <= 60; ++level) {
        const LuaObject entry = levels[level];
        ASSERT_TRUE(entry.IsTable()) << Where(level, "no table");
        EXPECT_EQ(entry["number"].GetInteger(), level);
        ASSERT_TRUE(entry["mapName"].IsString()) << Where(level, "no name");
        EXPECT_TRUE(names.insert(entry["mapName"].GetString()).second) << Where(level, "a name used twice");
        for (const char* key : {"starScore", "starTime", "topScore"})
            EXPECT_TRUE(IsPositiveInteger(entry[key])) << Where(level, key);

        // The registry makes the logic the level names, with the level's properties.
        std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObject(entry));
        auto* logic = dynamic_cast<WoppleOldSchoolBaseLogic*>(made.get());
        ASSERT_NE(logic, nullptr) << Where(level, "no game logic");
        const std::string mode = entry["class"].GetString();
        ++modes[mode];
        const int boards = logic->GetNumBoards();
        const int size = mode == "WoppleSevenBySevenLogic" ? 7 : 5;

        if (mode == "WopplePatternsGameLogic" || mode == "WoppleSevenBySevenLogic") {
            ASSERT_TRUE(entry["patternIndex"].IsInteger()) << Where(level, "no pattern");
            const LuaObject pattern = patterns[entry["patternIndex"].GetInteger()];
            ASSERT_TRUE(pattern.IsTable()) << Where(level, "a pattern that does not exist");
            const int patternSize = pattern["boardSize"].IsInteger() ? pattern["boardSize"].GetInteger() : 5;
            EXPECT_EQ(patternSize, size) << Where(level, "a pattern of another board");
        }
        if (mode.find("BoardGameLogic") != std::string::npos) {
            EXPECT_TRUE(IsPositiveInteger(entry["numberOfWopplesRequired"])) << Where(level, "no goal");
            EXPECT_TRUE(entry["numberOfSuperWopplesRequired"].IsInteger()) << Where(level, "no super goal");
        }

        ASSERT_TRUE(entry["levelMusic"].IsString()) << Where(level, "no music");
        for (const char* part : {"Intro", "Part 1", "Part 2", "Part 3", "Part 4", "Break", "Loop", "Ending"})
            EXPECT_EQ(markers.count(entry["levelMusic"].GetString() + " " + part), 1u)
                << Where(level, std::string("no music part ") + part);

        // Every level hides its key: the island's five open its bonus level.
        ASSERT_TRUE(entry["secretSquare"].IsTable()) << Where(level, "no secret square");
        ExpectCellOnBoards(level, "secretSquare", entry["secretSquare"]["position"], entry["secretSquare"]["board"],
                           boards, size);
        int hidden = 1;
        for (const char* key : {"cellCoins", "cellWoppleVision", "cellDevils", "cellDevilCherubs", "cellDevilProtection",
                                "cellFreeSpins", "cellJokers", "cellPirateOrTreasure", "cellMultipliers"}) {
            const LuaObject cells = entry[key];
            if (cells.IsInteger()) {
                hidden += cells.GetInteger();
            } else if (cells.IsTable()) {
                for (int i = 1; i <= cells.GetN(); ++i, ++hidden)
                    ExpectCellOnBoards(level, key, cells[i]["position"], cells[i]["board"], boards, size);
            } else {
                EXPECT_TRUE(cells.IsNil()) << Where(level, key);
            }
        }
        // Random places are drawn until a free cell comes: at least half the cells stay plain.
        EXPECT_LE(hidden, boards * size * size / 2) << Where(level, "too many hidden cells");

        const LuaObject frogs = entry["bonusSquares"];
        if (!frogs.IsNil()) {
            EXPECT_TRUE(frogs.IsTable() && resources[frogs["resource"].GetString()].IsTable())
                << Where(level, "frogs of no resource");
        }

        // Boxes only where the screen has their manager, and only beside lines the board has.
        const LuaObject details = entry["treasureBoxManagerDetails"];
        if (!details.IsNil()) {
            const LuaObject layout = resources[logic->GetScreenLayoutName()];
            EXPECT_TRUE(layout["children"]["treasureBoxManager"].IsTable()) << Where(level, "boxes on no manager");
            for (LuaTableIterator it(details["boxSpecifics"]); it; ++it) {
                EXPECT_TRUE(it.GetKey().IsInteger() && it.GetKey().GetInteger() >= 1 &&
                            it.GetKey().GetInteger() <= boards)
                    << Where(level, "boxes on a board the level does not have");
                for (const char* lines : {"rows", "columns"})
                    for (LuaTableIterator line(it.GetValue()[lines]); line; ++line)
                        EXPECT_TRUE(line.GetKey().IsInteger() && line.GetKey().GetInteger() >= 1 &&
                                    line.GetKey().GetInteger() <= size)
                            << Where(level, std::string("a box beside no line of ") + lines);
            }
        }

        EXPECT_EQ(entry["levelIntroTitle"].IsString(), entry["levelIntroDialog"].IsString())
            << Where(level, "an intro's title without its text, or its text without a title");
    }
    EXPECT_EQ(modes, (std::map<std::string, int>{{"WopplePatternsGameLogic", 44},
                                                  {"WoppleSevenBySevenLogic", 6},
                                                  {"WoppleFourBoardGameLogic", 5},
                                                  {"WopplePiratesFortuneGameLogic", 3},
                                                  {"WoppleThreeBoardGameLogic", 1},
                                                  {"WoppleTwoBoardGameLogic", 1}}));
}

// A player meets each mode and each extra first on some level, in the order
// the levels open; that level says what it is.
TEST_F(WoppleQuestLevelsTest, TheLevelThatBringsAModeOrAnExtraFirstIntroducesIt)
{
    const LuaObject levels = app->GetLuaState().GetGlobal("WoppleQuestLevels");
    std::set<std::string> met;
    for (int level = 1; level <= 60; ++level) {
        const LuaObject entry = levels[level];
        std::vector<std::string> brought;
        if (met.insert("class " + entry["class"].GetString()).second)
            brought.push_back(entry["class"].GetString());
        for (LuaTableIterator it(entry); it; ++it) {
            const std::string key = it.GetKey().IsString() ? it.GetKey().GetString() : "";
            const bool extra = key.rfind("cell", 0) == 0 || key == "bonusSquares" || key == "enableBonusTimer" ||
                               key == "treasureBoxManagerDetails" ||
                               ((key == "wheelMultipliers" || key == "wheelWoppleVision" || key == "bounceWopples" ||
                                 key == "timeLimitted" || key == "allSpinsFree") &&
                                it.GetValue().IsBoolean() && it.GetValue().GetBoolean());
            // Vision on the reels or on the card is the one thing.
            const std::string what = key == "wheelWoppleVision" ? "cellWoppleVision" : key;
            if (extra && met.insert(what).second)
                brought.push_back(what);
        }
        if (!brought.empty()) {
            EXPECT_TRUE(entry["levelIntroDialog"].IsString())
                << Where(level, "brings " + brought.front() + " without an intro");
        }
    }
}

} // namespace
