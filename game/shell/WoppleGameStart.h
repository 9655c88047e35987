#pragma once

#include "engine/core/VelkLuaState.h"

#include <functional>
#include <string>

class WoppleGameLogic;

// The Vevev lookups and the game starts that the menu, the map, the views and
// the developer functions ("Debug_StartClassicGame", "Debug_StartQuestGame")
// share. The outlined flash text lives with the vision label.

// ---- the quest tables
// The level's entry in WoppleQuestLevels; nil when absent.
LuaObject GetQuestLevel(int level);
// The level's treasureBoxManagerDetails.boxSpecifics; nil without details.
LuaObject GetTreasureBoxSpecifics(int level);
// Summed over the box specifics: the sizes of their "columns" and "rows" lists,
// and how many have an "upwardDiagonal" or "downwardDiagonal" table. 0 without.
int CountTreasureBoxColumns(int level);
int CountTreasureBoxRows(int level);
int CountTreasureBoxUpwardDiagonals(int level);
int CountTreasureBoxDownwardDiagonals(int level);
// "currentLevel" of player 1's current game-mode table, else 1.
int GetCurrentQuestLevel();

// ---- starting a game
// What a start makes the logic of a mode with ("Classic", "Vevev"): by default
// the registered class "Wopple<mode>GameLogic". Null when the mode has none.
using WoppleGameLogicFactory = std::function<WoppleGameLogic*(int level)>;
// The new logic of a mode ("Classic", or "Vevev" at a quest level), made by
// its factory; null when the build has none for it.
WoppleGameLogic* MakeWoppleGameLogic(const std::string& mode, int level);
// Replaces the mode's factory (an empty one restores the default); returns the old one.
WoppleGameLogicFactory SetWoppleGameLogicFactory(const std::string& mode, WoppleGameLogicFactory factory);

// Makes the game-logic manager, attaches it to "GameScreen", has it make the
// mode's logic and switches there, which starts it. A mode without a logic in this build, or a game already
// running, logs a warning and stays where it is; the result says whether the
// game started.
bool StartClassicGame();
bool StartQuestGameAtLevel(int level);
