#include "game/rules/WoppleEventHandler.h"

bool WoppleEventHandler::RouteEvent(const EventRecord& event)
{
    return DispatchWoppleEvent(*this, event);
}
