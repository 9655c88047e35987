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
bool IsDialogNamed(const EventRecord& dialogStopped, const char* name);
