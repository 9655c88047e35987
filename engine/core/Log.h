#pragma once

#include <cstdio>
#include <string>
#include <vector>

// The process-wide text log. Every line goes to standard output (and to standard
// error when a debugger is attached), and to the log file once the application
// has created it; earlier lines are held in memory and written out then.

// Writes a printf-style line at every level.
void LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes a printf-style line when level does not exceed the application's log level.
void Log(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same two writes for a ready text, written unchanged.
void LogWriteString(const std::string& text);
void Log(int level, const std::string& text);

// Writes the held lines, in order, to an open file (and to the console when one is open).
void WriteCachedLogLines(FILE* file);
std::vector<std::string> GetCachedLogLines();
void ClearLogCache();

// The log file counts as existing exactly when its path is set.
void SetLogFilePath(const std::string& path);
const std::string& GetLogFilePath();

// The console the application opened, if any: while set, every line is also written to it.
using LogConsoleWriter = void (*)(const std::string& line);
void SetLogConsole(LogConsoleWriter writer);
bool GetLogConsoleFlag();

// At most this many lines are held before the log file exists; older ones are
// dropped and counted in one warning line.
inline constexpr std::size_t kMaxCachedLogLines = 10000;

// Registers "logprint" (text): writes the text and a line end at every level.
int Script_logprint(struct lua_State* L);
