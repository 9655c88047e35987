#include "game/views/WoppleEventHandler.h"

bool WoppleEventHandler::RouteWoppleEvent(const EventRecord& event)
{
    using Handler = bool (WoppleEventHandler::*)(const EventRecord&);
    static const Handler kHandlers[] = {
        &WoppleEventHandler::OnBlastCellClick,
        &WoppleEventHandler::OnBlastWheelFinished,
        &WoppleEventHandler::OnBoardNumbersGenerated,
        &WoppleEventHandler::OnCellClick,
        &WoppleEventHandler::OnCountdownFinished,
        &WoppleEventHandler::OnLevelCompleted,
        &WoppleEventHandler::OnParticipantAction,
        &WoppleEventHandler::OnPatternCompletionAnimationFinished,
        &WoppleEventHandler::OnWoppleAnimationFinished,
        &WoppleEventHandler::OnSuperWoppleAnimationFinished,
        &WoppleEventHandler::OnTreasureBoxAnimationFinished,
        &WoppleEventHandler::OnWheelAnimationUpdate,
        &WoppleEventHandler::OnCellEnter,
        &WoppleEventHandler::OnCellLeave,
        &WoppleEventHandler::OnMakeMatch,
        &WoppleEventHandler::OnWoppleReverseAnimationFinished,
        &WoppleEventHandler::OnMatchQueued,
        &WoppleEventHandler::OnMatchQueueEmpty,
    };
    // The first game event, WOPPLE_BLASTCELLCLICK.
    const int index = static_cast<int>(event.type) - 57;
    if (index < 0 || index >= static_cast<int>(sizeof kHandlers / sizeof kHandlers[0]))
        return false;
    return (this->*kHandlers[index])(event);
}
