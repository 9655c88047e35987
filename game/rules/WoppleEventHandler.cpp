#include "game/rules/WoppleEventHandler.h"

bool WoppleEventHandler::RouteEvent(const EventRecord& event)
{
    Event* e = WoppleEventOfRecord(event);
    switch (event.type) {
    case WOPPLE_BLASTCELLCLICK: return OnBlastCellClick(e);
    case WOPPLE_BLASTWHEELFINISHED: return OnBlastWheelFinished(e);
    case WOPPLE_BOARDNUMBERSGENERATED: return OnBoardNumbersGenerated(e);
    case WOPPLE_CELLCLICK: return OnCellClick(e);
    case WOPPLE_COUNTDOWNFINISHED: return OnCountdownFinished(e);
    case WOPPLE_LEVELCOMPLETED: return OnLevelCompleted(e);
    case WOPPLE_PARTICIPANTACTION: return OnParticipantAction(e);
    case WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED: return OnPatternCompletionAnimationFinished(e);
    case WOPPLE_WOPPLEANIMATIONFINISHED: return OnWoppleAnimationFinished(e);
    case WOPPLE_SUPERWOPPLEANIMATIONFINISHED: return OnSuperWoppleAnimationFinished(e);
    case WOPPLE_TREASUREBOXANIMATIONFINISHED: return OnTreasureBoxAnimationFinished(e);
    case WOPPLE_WHEELANIMATIONUPDATE: return OnWheelAnimationUpdate(e);
    case WOPPLE_CELLENTER: return OnCellEnter(e);
    case WOPPLE_CELLLEAVE: return OnCellLeave(e);
    case WOPPLE_MAKEMATCH: return OnMakeMatch(e);
    case WOPPLE_WOPPLEREVERSEANIMATIONFINISHED: return OnWoppleReverseAnimationFinished(e);
    case WOPPLE_MATCHQUEUED: return OnMatchQueued(e);
    case WOPPLE_MATCHQUEUEEMPTY: return OnMatchQueueEmpty(e);
    default: return false;
    }
}
