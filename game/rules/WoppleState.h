#pragma once

#include "engine/core/Object.h"
#include "game/rules/WoppleGameEvents.h"

// The game's State: the engine's handlers first, then one handler per game
// event. Every state of the game logics, the scoring logics and the
// participants derives from it.
class WoppleState : public State
{
public:
    // An engine or SDL event goes to its engine handler; a game event not
    // handled there goes to its game handler.
    bool RouteEvent(const EventRecord& event) override;

    virtual bool OnBlastCellClick(Event*) { return false; }
    virtual bool OnBlastWheelFinished(Event*) { return false; }
    virtual bool OnBoardNumbersGenerated(Event*) { return false; }
    virtual bool OnCellClick(Event*) { return false; }
    virtual bool OnCountdownFinished(Event*) { return false; }
    virtual bool OnLevelCompleted(Event*) { return false; }
    virtual bool OnParticipantAction(Event*) { return false; }
    virtual bool OnPatternCompletionAnimationFinished(Event*) { return false; }
    virtual bool OnWoppleAnimationFinished(Event*) { return false; }
    virtual bool OnSuperWoppleAnimationFinished(Event*) { return false; }
    virtual bool OnTreasureBoxAnimationFinished(Event*) { return false; }
    virtual bool OnWheelAnimationUpdate(Event*) { return false; }
    virtual bool OnCellEnter(Event*) { return false; }
    virtual bool OnCellLeave(Event*) { return false; }
    virtual bool OnMakeMatch(Event*) { return false; }
    virtual bool OnWoppleReverseAnimationFinished(Event*) { return false; }
    virtual bool OnMatchQueued(Event*) { return false; }
    virtual bool OnMatchQueueEmpty(Event*) { return false; }
};
