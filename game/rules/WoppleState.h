#pragma once

#include "engine/core/Object.h"
#include "game/rules/WoppleEventHandler.h"

#include <string>

// The game's State: the engine's handlers first, then the game handler of a
// game event. Every state of the game logics, the scoring logics and the
// participants derives from it.
class WoppleState : public State, public WoppleEventHandler
{
public:
    // An engine or SDL event goes to its engine handler; a game event not
    // handled there goes to its game handler.
    bool RouteEvent(const EventRecord& event) override;
};

// What the states read of the engine's events: the name of the clicked button
// of a VELK_BUTTONCLICK, and whether a VELK_DIALOGSTOPPED is the named dialog's.
std::string ButtonName(const EventRecord& buttonClick);
// A text of an event's payload table ("motive", "action"); empty when it has none.
std::string PayloadString(Event* event, const char* key);
// Throws the failed assertion "<what> == "<name>"", with the message when given.
void AssertNamed(bool holds, const char* what, const std::string& name, const std::string& message = "");
bool IsDialogNamed(const EventRecord& dialogStopped, const char* name);
