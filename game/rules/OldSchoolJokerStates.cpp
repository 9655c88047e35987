#include "game/rules/OldSchoolJokerStates.h"

namespace OldSchoolStates {

State* CreateJokerState(WoppleOldSchoolBaseLogic&, const std::string&)
{
    return nullptr;
}

} // namespace OldSchoolStates
