#pragma once

#include "engine/core/Exception.h"

// A failed call from C++ into Lua through this layer (a Lua error, or a call of
// something that is not a function). It is a ScriptError, so catchers of script
// failures see it.
class LuaException : public ScriptError
{
public:
    using ScriptError::ScriptError;
};

#define VELK_THROW_LUA(message) VELK_THROW(LuaException, (message))
