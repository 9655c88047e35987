#pragma once

#include "platform/lua/LuaObject.h"

#include <string>

// Turns a Lua value, normally a table of tables, into Lua source that rebuilds
// it: one line per entry, four blanks per level of nesting. Saved files are this
// text behind a prefix that makes it a call ("LoadConfig ", "Player "); they are
// read back with LoadDataFile (DataFile.h).

// Bits of the flags passed down the whole walk.
enum SerializeFlags : unsigned int
{
    // Keys in a stable order: odd keys, then names ignoring case, then whole numbers.
    SERIALIZE_SORTED = 1,
    // A string without its quotes (keys written as names).
    SERIALIZE_UNQUOTED = 2,
    // Full userdata written as its address instead of refused (diagnostic dumps).
    SERIALIZE_USERDATA = 4,
};

// Tables nested deeper than this are refused: deeper text could not be read back.
inline constexpr int kMaxSerializeDepth = 100;

// Writes the value through the writer, a Lua function called with each piece.
// Numbers are handed over as numbers, so the writer's own conversion makes
// their text (fourteen digits); a whole number that fourteen digits would not
// keep goes as its exact text instead. Functions are written as nil; light userdata, threads, tables that
// contain themselves and tables nested too deeply throw Exception. What was
// written before a failure stays written.
void Serialize(const LuaObject& value, const LuaObject& writer, unsigned int flags, const std::string& indentation);

// Writes to the state's default output through io.write: the prefix first (a
// string as is, a function's result; anything else writes nothing), then the
// value. With a file name the text replaces that file only when all of it was
// written (WriteOutputFile). A null state means the application's.
void SerializeToFile(const LuaObject& value, const std::string& fileName, const LuaObject& prefix,
                     unsigned int flags, LuaState state = LuaState());
void SerializeToFile(const LuaObject& value, const std::string& fileName, const std::string& header,
                     unsigned int flags, LuaState state = LuaState());

// Appends the text of the value to output.
void SerializeLuaObjectToString(const LuaObject& value, std::string& output, unsigned int flags = SERIALIZE_SORTED,
                                LuaState state = LuaState(), const std::string& indentation = std::string());

// The body of a double-quoted Lua string literal that reads back as text:
// quote, backslash and every control byte escaped.
std::string EscapeLuaString(const std::string& text);

// True when the key may be written bare: a Lua name that is not a keyword.
bool IsPlainLuaName(const std::string& key);
