#pragma once

#include "engine/core/Object.h"
#include "game/rules/WoppleEventHandler.h"

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
