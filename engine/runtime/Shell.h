#pragma once

#include "platform/lua/LuaState.h"

#include <cstddef>
#include <list>
#include <string>

// The developer console: Lua typed at the process's console, key by key, runs
// in the game's own Lua state while the game runs. Without an open console no
// key is ever waiting and polling does nothing.
class Shell
{
public:
    explicit Shell(LuaState luaState);

    // Handles every key that is waiting, then returns; never blocks.
    void Poll();
    // Runs the current line; a failure is reported on the console, not thrown.
    void EvaluateLine();
    // Cuts the current line at its closing backslash and leaves one blank there;
    // the next line typed continues it.
    void TrimLine();
    // Starts a new empty line at the front of the history, unless the current
    // line is empty already.
    void NewLine();

    // Newest first; the first line is the one being edited.
    const std::list<std::string>& GetHistory() const { return m_History; }
    std::size_t GetHistorySize() const { return m_History.size(); }
    const std::string& GetCurrentLine() const { return *m_Current; }

private:
    void OnBackspace();
    void OnEnter();
    // Returns false when the poll is to end.
    bool OnExtendedKey();
    void OnTyped(char byte);

    // The current line ends in a backslash and white space only.
    bool EndsInContinuation() const;

    LuaState m_LuaState;
    std::list<std::string> m_History;
    std::list<std::string>::iterator m_Current;
};
