#pragma once

#include "engine/core/Object.h"

class Actor;

// Places the children of an actor. An actor with a layout manager is laid out
// when the manager is set and whenever a child comes or goes.
class LayoutManager : public Object
{
    VELK_DECLARE_CLASS(LayoutManager)
public:
    virtual void LayoutContainer(Actor* container) = 0;
};
