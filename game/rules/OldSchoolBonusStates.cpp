#include "game/rules/OldSchoolBonusStates.h"

namespace OldSchoolStates {

State* CreateBonusState(WoppleOldSchoolBaseLogic&, const std::string&)
{
    return nullptr;
}

} // namespace OldSchoolStates
