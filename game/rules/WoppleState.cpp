#include "game/rules/WoppleState.h"

#include "game/rules/WoppleEventHandler.h"

bool WoppleState::RouteEvent(const EventRecord& event)
{
    if (State::RouteEvent(event))
        return true;
    return IsWoppleGameEvent(event.type) && DispatchWoppleEvent(*this, event);
}
