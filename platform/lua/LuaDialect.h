#pragma once

#include <string>

// The game's scripts are written for a Lua dialect with two extensions over
// Lua 5.1: a generic `for` over a plain table (`for k, v in t do`) and a
// `continue` statement in `for`, `while` and `repeat` loops. Every chunk the
// engine compiles passes through this rewrite first. It works on tokens, so
// strings, long strings and comments are never touched, and it inserts text
// only on existing lines, so error messages keep the original line numbers.
//
// - `for namelist in explist do` becomes `for namelist in __velk_forin(explist) do`;
//   the helper (a global installed by LuaState::Create) turns a table into
//   `next, t` and passes iterator triples through unchanged.
// - A loop whose own body holds `continue` gets its body wrapped in
//   `local __velk_brkN = false repeat ... until true if __velk_brkN then break end`;
//   its `continue` becomes `do break end` and its own `break` sets the flag first.
//   (In a `repeat` loop with `continue`, the `until` condition can no longer see
//   locals declared in the body.)
//
// Source that does not tokenise (an unfinished string, say) is returned unchanged
// so that Lua reports the error itself.
std::string RewriteLuaDialect(const std::string& source);

// Name of the global helper used by the generic-for rewrite.
inline constexpr const char* kLuaForInHelper = "__velk_forin";
