#pragma once

#include "game/rules/OutputStates.h"
#include "game/rules/WoppleOutputBaseLogic.h"

// The scoring logic of the multi-board modes: the old-school one, whose line
// states also count each finished line off the level's goal.
class WoppleMultiBoardOutputLogic : public WoppleOutputBaseLogic
{
public:
    explicit WoppleMultiBoardOutputLogic(WoppleOldSchoolBaseLogic& logic);

    // The old-school states, with the two line states counting the goal down.
    void CreateStates() override;
};

namespace MultiBoardStates {

class ProcessWopples : public OutputStates::ProcessWopples
{
public:
    using OutputStates::ProcessWopples::ProcessWopples;
    bool OnWoppleAnimationFinished(Event* event) override;
};

class ProcessSuperWopples : public OutputStates::ProcessSuperWopples
{
public:
    using OutputStates::ProcessSuperWopples::ProcessSuperWopples;
    bool OnSuperWoppleAnimationFinished(Event* event) override;
};

} // namespace MultiBoardStates
