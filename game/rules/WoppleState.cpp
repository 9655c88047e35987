#include "game/rules/WoppleState.h"

#include "engine/ui/Actor.h"
#include "engine/ui/Dialog.h"

bool WoppleState::RouteEvent(const EventRecord& event)
{
    if (State::RouteEvent(event))
        return true;
    return IsWoppleGameEvent(event.type) && WoppleEventHandler::RouteEvent(event);
}

std::string ButtonName(const EventRecord& buttonClick)
{
    auto* button = static_cast<Actor*>(buttonClick.user.data1);
    return button ? button->GetName() : std::string();
}

bool IsDialogNamed(const EventRecord& dialogStopped, const char* name)
{
    auto* dialog = static_cast<Dialog*>(dialogStopped.user.data1);
    return dialog && dialog->GetName() == name;
}
