#pragma once

#include "game/rules/OldSchoolStates.h"

#include <string>

// What the stopped reels bring before the matching: the bonus reels one after
// the other, then a devil or a cherub; and, after a match, a pirate-or-treasure
// box to pass or keep.
namespace OldSchoolStates {

// The state of that name among these states, null for any other name.
State* CreateBonusState(WoppleOldSchoolBaseLogic& owner, const std::string& name);

} // namespace OldSchoolStates
