#include "engine/core/Log.h"

#include "engine/core/CoreHost.h"
#include "engine/core/ScriptFunctionRegistration.h"

#include <cstdarg>
#include <cstring>
#include <deque>
#include <fstream>

#include <lua.hpp>

namespace {

struct LogState
{
    std::string filePath;
    std::deque<std::string> cache;
    std::size_t droppedLines = 0;
    LogConsoleWriter console = nullptr;
};

LogState& State()
{
    static LogState state;
    return state;
}

bool DebuggerAttached()
{
    static const bool attached = [] {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("TracerPid:", 0) == 0)
                return std::atoi(line.c_str() + 10) != 0;
        return false;
    }();
    return attached;
}

void EmitToOutputs(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    if (DebuggerAttached()) {
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
    if (State().console)
        State().console(line);
}

void WriteLine(const std::string& line)
{
    LogState& state = State();
    if (!state.filePath.empty()) {
        // Opened and closed per line so the file survives a crash up to the last line.
        if (FILE* file = std::fopen(state.filePath.c_str(), "a")) {
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
            EmitToOutputs(line);
            return;
        }
    }
    state.cache.push_back(line);
    while (state.cache.size() > kMaxCachedLogLines) {
        state.cache.pop_front();
        ++state.droppedLines;
    }
    EmitToOutputs(line);
}

std::string Format(const char* format, va_list args)
{
    char buffer[4096];
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    return std::string(buffer);
}

// True when a levelled line is to be written; writes the no-application prefix.
bool PassesLevel(int level)
{
    CoreHost* host = GetCoreHost();
    if (!host) {
        WriteLine("Application not Instantiated: Assuming Max Log Level");
        return true;
    }
    return level <= host->GetLogLevel();
}

std::string DroppedLinesNotice()
{
    return "WARNING: " + std::to_string(State().droppedLines) +
           " earlier log lines were dropped before the log file existed.\n";
}

} // namespace

void LogWrite(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string line = Format(format, args);
    va_end(args);
    WriteLine(line);
}

void Log(int level, const char* format, ...)
{
    if (!PassesLevel(level))
        return;
    va_list args;
    va_start(args, format);
    std::string line = Format(format, args);
    va_end(args);
    WriteLine(line);
}

void LogWriteString(const std::string& text)
{
    WriteLine(text);
}

void Log(int level, const std::string& text)
{
    if (PassesLevel(level))
        WriteLine(text);
}

std::vector<std::string> GetCachedLogLines()
{
    std::vector<std::string> lines;
    if (State().droppedLines)
        lines.push_back(DroppedLinesNotice());
    lines.insert(lines.end(), State().cache.begin(), State().cache.end());
    return lines;
}

void WriteCachedLogLines(FILE* file)
{
    for (const std::string& line : GetCachedLogLines()) {
        std::fwrite(line.data(), 1, line.size(), file);
        if (State().console)
            State().console(line);
    }
}

void ClearLogCache()
{
    State().cache.clear();
    State().droppedLines = 0;
}

void SetLogFilePath(const std::string& path)
{
    State().filePath = path;
}

const std::string& GetLogFilePath()
{
    return State().filePath;
}

void SetLogConsole(LogConsoleWriter writer)
{
    State().console = writer;
}

bool GetLogConsoleFlag()
{
    return State().console != nullptr;
}

int Script_logprint(lua_State* L)
{
    const char* text = lua_tostring(L, -1);
    LogWrite("%s\n", text ? text : "nil");
    return 0;
}

static ScriptFunctionRegistration s_logprint(Script_logprint, "logprint");
