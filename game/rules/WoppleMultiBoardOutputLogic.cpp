#include "game/rules/WoppleMultiBoardOutputLogic.h"

#include "game/rules/WoppleMultiBoardBaseLogic.h"

namespace {

WoppleMultiBoardBaseLogic* MultiBoard(WoppleOutputBaseLogic& owner)
{
    return dynamic_cast<WoppleMultiBoardBaseLogic*>(&owner.GetGameLogic());
}

} // namespace

WoppleMultiBoardOutputLogic::WoppleMultiBoardOutputLogic(WoppleOldSchoolBaseLogic& logic)
    : WoppleOutputBaseLogic(logic)
{
    WoppleMultiBoardOutputLogic::CreateStates();
}

void WoppleMultiBoardOutputLogic::CreateStates()
{
    // The base constructor made the old-school states and entered them; only
    // the two line states change, and neither is current there.
    AddState(new MultiBoardStates::ProcessWopples(*this), true);
    AddState(new MultiBoardStates::ProcessSuperWopples(*this), true);
}

namespace MultiBoardStates {

bool ProcessWopples::OnWoppleAnimationFinished(Event* event)
{
    // Only the end of a line this state started counts: a stray one is not a line.
    if (!GetWopples().empty())
        if (WoppleMultiBoardBaseLogic* logic = MultiBoard(m_Owner))
            logic->CountWoppleDown();
    return OutputStates::ProcessWopples::OnWoppleAnimationFinished(event);
}

bool ProcessSuperWopples::OnSuperWoppleAnimationFinished(Event* event)
{
    if (!m_SuperWopples.empty())
        if (WoppleMultiBoardBaseLogic* logic = MultiBoard(m_Owner))
            logic->CountSuperWoppleDown();
    return OutputStates::ProcessSuperWopples::OnSuperWoppleAnimationFinished(event);
}

} // namespace MultiBoardStates
