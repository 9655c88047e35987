#include "game/rules/WoppleState.h"

bool WoppleState::RouteEvent(const EventRecord& event)
{
    if (State::RouteEvent(event))
        return true;
    return IsWoppleGameEvent(event.type) && WoppleEventHandler::RouteEvent(event);
}
