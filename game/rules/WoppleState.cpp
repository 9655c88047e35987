#include "game/rules/WoppleState.h"

#include "engine/core/Exception.h"
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

std::string PayloadString(Event* event, const char* key)
{
    if (!event || !event->payload || !event->payload->IsTable())
        return std::string();
    const LuaObject value = (*event->payload)[key];
    return value.IsString() ? value.GetString() : std::string();
}

void AssertNamed(bool holds, const char* what, const std::string& name, const std::string& message)
{
    if (holds)
        return;
    const std::string condition = std::string(what) + " == \"" + name + "\"";
    VELK_THROW(Exception, message.empty() ? AssertionText(condition.c_str())
                                          : AssertionText(condition.c_str(), message));
}
