#pragma once

#include "engine/core/Events.h"

// One handler per game event (57 to 74, in WoppleApp's order), none handling
// it by default. The board and cell views derive from it beside Actor and
// offer every event to RouteWoppleEvent before the engine's own routing.
class WoppleEventHandler
{
public:
    virtual ~WoppleEventHandler() = default;

    // True when the event is a game event and its handler took it.
    bool RouteWoppleEvent(const EventRecord& event);

#define WOPPLE_EVENT_HANDLER(name) \
    virtual bool name(const EventRecord&) { return false; }
    WOPPLE_EVENT_HANDLER(OnBlastCellClick)
    WOPPLE_EVENT_HANDLER(OnBlastWheelFinished)
    WOPPLE_EVENT_HANDLER(OnBoardNumbersGenerated)
    WOPPLE_EVENT_HANDLER(OnCellClick)
    WOPPLE_EVENT_HANDLER(OnCountdownFinished)
    WOPPLE_EVENT_HANDLER(OnLevelCompleted)
    WOPPLE_EVENT_HANDLER(OnParticipantAction)
    WOPPLE_EVENT_HANDLER(OnPatternCompletionAnimationFinished)
    WOPPLE_EVENT_HANDLER(OnWoppleAnimationFinished)
    WOPPLE_EVENT_HANDLER(OnSuperWoppleAnimationFinished)
    WOPPLE_EVENT_HANDLER(OnTreasureBoxAnimationFinished)
    WOPPLE_EVENT_HANDLER(OnWheelAnimationUpdate)
    WOPPLE_EVENT_HANDLER(OnCellEnter)
    WOPPLE_EVENT_HANDLER(OnCellLeave)
    WOPPLE_EVENT_HANDLER(OnMakeMatch)
    WOPPLE_EVENT_HANDLER(OnWoppleReverseAnimationFinished)
    WOPPLE_EVENT_HANDLER(OnMatchQueued)
    WOPPLE_EVENT_HANDLER(OnMatchQueueEmpty)
#undef WOPPLE_EVENT_HANDLER
};
