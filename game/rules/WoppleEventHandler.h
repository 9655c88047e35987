#pragma once

#include "game/rules/WoppleGameEvents.h"

// What receives the game's events: one handler per game event, in number order,
// each given the event's counted Event (sender and user data) and answering
// whether it handled it. The game logics and the board and cell views carry it
// beside Object.
class WoppleEventHandler
{
public:
    virtual ~WoppleEventHandler() = default;

    // A game event goes to its handler; any other record is not handled here.
    virtual bool RouteEvent(const EventRecord& event);

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
