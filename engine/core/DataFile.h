#pragma once

#include "platform/lua/LuaObject.h"

#include <cstddef>
#include <functional>
#include <string>

// Files the program writes and reads back (settings, player cards, saved data)
// are data, not programs. They are written whole or not at all, and read in a
// sandbox where the only thing a file can do is hand one table to its loader.

// Receives the table a data file handed to its loader function.
using DataFileReceiver = std::function<void(const LuaObject& table)>;

enum class DataFileResult
{
    Loaded,  // the receiver got the table
    Missing, // no file at the path; nothing was done
    Bad,     // the file could not be loaded and was kept aside (see LoadDataFile)
};

// Budget of one load, far above what any saved file needs.
inline constexpr int kDataFileInstructionLimit = 10'000'000;
inline constexpr std::size_t kDataFileMemoryLimit = 64u << 20;

enum class ReadResult
{
    Read,
    Missing,
    Failed,
};

// Reads the whole file at path into text, in one block of its final size. A
// file larger than limit bytes is not read: Failed, as for any other error,
// with the reason in error.
ReadResult ReadWholeFile(const std::string& path, std::string& text, std::string& error, std::size_t limit);

// How often a data text may call its loader: exactly once (saved files), or
// once or more (files that hand their settings over in several tables).
enum class DataLoaderCalls
{
    Once,
    AtLeastOnce,
};

// Runs Lua source as data: plain Lua 5.1 text only (a precompiled chunk is
// refused; the scripts' dialect is not rewritten), in an environment holding
// nothing but the loader function, without the string methods, under the
// instruction and memory budget. The text must call the
// loader with a table of plain data (booleans, numbers, strings and tables; no
// cycles), as often as calls allows. Only once the whole text has run does
// receive get the tables, in call order. Any failure throws ScriptError with
// the reason; receive's own exceptions pass through.
void LoadDataText(LuaState state, const std::string& text, const std::string& chunkName,
                  const std::string& loaderName, const DataFileReceiver& receive,
                  DataLoaderCalls calls = DataLoaderCalls::Once);

// Loads the file at path as LoadDataText does. When the file cannot be read or
// loaded, or anything at all throws (receive, or memory running out), the file
// is renamed with a ".bad" suffix (".bad.2" and on when that is taken) and a
// "WARNING: " log line names both paths, so that nothing written later
// replaces it.
DataFileResult LoadDataFile(LuaState state, const std::string& path, const std::string& loaderName,
                            const DataFileReceiver& receive);
// The same with a Lua function as the receiver.
DataFileResult LoadDataFile(LuaState state, const std::string& path, const std::string& loaderName,
                            const LuaObject& receiveFunction);

// Makes the file at path Lua's default output while body runs, through the
// start-up source's OpenOutputFile and CloseOutputFile. The text goes to a
// temporary file in the same folder, which is flushed, synced and renamed over
// the old file only when body returns. When body throws, the old file stays as
// it was, the temporary file is removed and the previous default output is back.
void WriteOutputFile(LuaState state, const std::string& path, const std::function<void()>& body);
