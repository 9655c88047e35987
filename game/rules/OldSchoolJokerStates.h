#pragma once

#include "game/rules/OldSchoolStates.h"

#include <string>

// The jokers of a spin: the joker bonus, the super joker placed board by
// board, and the cell joker a matched cell reveals.
namespace OldSchoolStates {

// The state of that name among these states, null for any other name.
State* CreateJokerState(WoppleOldSchoolBaseLogic& owner, const std::string& name);

} // namespace OldSchoolStates
