#pragma once

#include "engine/core/Variant.h"
#include "platform/lua/LuaObject.h"

#include <string>

// The engine's operations on the one Lua state of the process.
class VelkLuaState
{
public:
    // The process's state: created with the standard libraries, the panic
    // handler and a seeded random generator on the first call; later calls
    // return the same state and do not reseed.
    static LuaState Create();
    // The state made by Create, or a null handle before that.
    static LuaState Get();
    // Closes the state (shutdown and tests); the next Create makes a new one.
    static void Destroy();

    // Runs the Lua script filed in the resource catalogue under the file name.
    static void DoResourceFile(LuaState state, const std::string& fileName);
    // Compiles the text as an anonymous chunk and calls it in protected mode;
    // the arguments, if any, are on the stack. Returns 0.
    static int LoadStringA(LuaState state, const std::string& source, int numArgs, int numResults);
    static Variant GetVariant(LuaState state, int index);
    // Assigns the value to the Lua expression on the left-hand side.
    static void Store(LuaState state, const std::string& leftHandSide, const Variant& value);
    // Runs the start-up source, then makes every registered script function a global.
    static void RunStartupScript(LuaState state);
};

// The panic handler: an error outside any protected call throws LuaException.
int VelkLuaState_FatalError(lua_State* L);

// Typed reads: the value when it has the type; a function is called with no
// arguments and its result taken; anything else throws the mismatch text.
int ReadIntegerFromObject(const LuaObject& object);
double ReadNumberFromObject(const LuaObject& object);
std::string ReadStringFromObject(const LuaObject& object);
bool ReadBooleanFromObject(const LuaObject& object);
// As above, but a value that is neither of the type nor a function gives the default.
int ReadIntegerOrDefault(const LuaObject& object, int defaultValue);
std::string ReadStringOrDefault(const LuaObject& object, const std::string& defaultValue);
bool ReadBooleanOrDefault(const LuaObject& object, bool defaultValue);

// Calls the start-up source's "OpenOutputFile" / "CloseOutputFile".
void OpenOutputFile(const std::string& fileName, LuaState state);
void CloseOutputFile(LuaState state);
