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

// Calls the handler of a game event on anything that has the eighteen handlers
// (the handler interface and the game's State share this table).
template <typename Handler>
bool DispatchWoppleEvent(Handler& handler, const EventRecord& event)
{
    Event* e = WoppleEventOfRecord(event);
    switch (event.type) {
    case WOPPLE_BLASTCELLCLICK: return handler.OnBlastCellClick(e);
    case WOPPLE_BLASTWHEELFINISHED: return handler.OnBlastWheelFinished(e);
    case WOPPLE_BOARDNUMBERSGENERATED: return handler.OnBoardNumbersGenerated(e);
    case WOPPLE_CELLCLICK: return handler.OnCellClick(e);
    case WOPPLE_COUNTDOWNFINISHED: return handler.OnCountdownFinished(e);
    case WOPPLE_LEVELCOMPLETED: return handler.OnLevelCompleted(e);
    case WOPPLE_PARTICIPANTACTION: return handler.OnParticipantAction(e);
    case WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED: return handler.OnPatternCompletionAnimationFinished(e);
    case WOPPLE_WOPPLEANIMATIONFINISHED: return handler.OnWoppleAnimationFinished(e);
    case WOPPLE_SUPERWOPPLEANIMATIONFINISHED: return handler.OnSuperWoppleAnimationFinished(e);
    case WOPPLE_TREASUREBOXANIMATIONFINISHED: return handler.OnTreasureBoxAnimationFinished(e);
    case WOPPLE_WHEELANIMATIONUPDATE: return handler.OnWheelAnimationUpdate(e);
    case WOPPLE_CELLENTER: return handler.OnCellEnter(e);
    case WOPPLE_CELLLEAVE: return handler.OnCellLeave(e);
    case WOPPLE_MAKEMATCH: return handler.OnMakeMatch(e);
    case WOPPLE_WOPPLEREVERSEANIMATIONFINISHED: return handler.OnWoppleReverseAnimationFinished(e);
    case WOPPLE_MATCHQUEUED: return handler.OnMatchQueued(e);
    case WOPPLE_MATCHQUEUEEMPTY: return handler.OnMatchQueueEmpty(e);
    default: return false;
    }
}
