#pragma once

#include "game/rules/OutputStates.h"
#include "game/rules/WoppleOutputBaseLogic.h"

class WopplePatternsGameLogic;

// The scoring logic of a pattern level: a scored match that completes the
// pattern is celebrated (fanfare, cells x 200 points, the cells flashing, the
// girl's line) before the full-board check.
class WopplePatternsOutputLogic : public WoppleOutputBaseLogic
{
public:
    explicit WopplePatternsOutputLogic(WopplePatternsGameLogic& logic);

    WopplePatternsGameLogic& GetPatternsLogic() const { return m_PatternsLogic; }

private:
    WopplePatternsGameLogic& m_PatternsLogic;
};

namespace PatternsOutputStates {

// As the old-school step, on to the celebration when this match completes the pattern.
class ProcessMatch : public OutputStates::ProcessMatch
{
public:
    ProcessMatch(WopplePatternsOutputLogic& owner) : OutputStates::ProcessMatch(owner), m_Patterns(owner) {}
    void GoToNextState() override;

private:
    WopplePatternsOutputLogic& m_Patterns;
};

// The completed pattern's celebration; its animation's end moves on.
class ProcessCompletedPattern : public OutputStates::Base
{
public:
    explicit ProcessCompletedPattern(WopplePatternsOutputLogic& owner)
        : OutputStates::Base(owner, "ProcessCompletedPattern"), m_Patterns(owner)
    {
    }
    void OnEnterState() override;
    bool OnPatternCompletionAnimationFinished(Event* event) override;

private:
    WopplePatternsOutputLogic& m_Patterns;
};

} // namespace PatternsOutputStates
