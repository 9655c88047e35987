#include "engine/runtime/Shell.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"
#include "platform/console/Console.h"
#include "platform/console/Interrupts.h"

#include <cctype>

namespace {

constexpr int kBackspace = 8;
constexpr int kDelete = 127;
constexpr int kEnter = 13;
const char* const kEraseCharacter = "\b \b";

bool IsContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// A terminal shows a UTF-8 character in one place, so erasing and deleting go
// by characters, not bytes.
std::size_t CountCharacters(const std::string& text)
{
    std::size_t count = 0;
    for (char byte : text)
        if (!IsContinuationByte(byte))
            ++count;
    return count;
}

void RemoveLastCharacter(std::string& text)
{
    std::size_t cut = text.size() - 1;
    while (cut > 0 && IsContinuationByte(text[cut]) && text.size() - cut < 4)
        --cut;
    text.erase(cut);
}

// The length of the text without its trailing white space.
std::size_t EndOfContent(const std::string& text)
{
    std::size_t end = text.size();
    while (end > 0 && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return end;
}

} // namespace

Shell::Shell(LuaState luaState) : m_LuaState(luaState)
{
    m_History.emplace_front();
    m_Current = m_History.begin();
}

void Shell::Poll()
{
    // Looked up for every key: a line that runs may close the console.
    while (Console* console = GetConsole()) {
        if (!console->KeyWaiting())
            return;
        const int key = console->ReadKey();
        if (key == kBackspace || key == kDelete) {
            OnBackspace();
        } else if (key == kEnter) {
            OnEnter();
        } else if (key == Console::kExtendedKey) {
            if (!OnExtendedKey())
                return;
        } else if (key >= 0) {
            OnTyped(static_cast<char>(key & 0xFF));
        }
    }
}

void Shell::OnBackspace()
{
    if (m_Current->empty())
        return;
    if (m_Current != m_History.begin()) {
        // The recalled entry keeps its text; the edit goes to a copy.
        m_History.push_front(*m_Current);
        m_Current = m_History.begin();
    }
    RemoveLastCharacter(*m_Current);
    WriteToConsole(kEraseCharacter);
}

void Shell::OnEnter()
{
    WriteToConsole("\r\n");
    if (EndsInContinuation()) {
        // The line stays current, so what is typed next joins it.
        TrimLine();
        return;
    }
    EvaluateLine();
    NewLine();
}

bool Shell::OnExtendedKey()
{
    if (m_History.size() == 1) {
        GetConsole()->ReadKey();
        return false;
    }
    std::string erase;
    for (std::size_t i = CountCharacters(*m_Current); i > 0; --i)
        erase += kEraseCharacter;
    WriteToConsole(erase);
    if (++m_Current == m_History.end())
        m_Current = m_History.begin();
    WriteToConsole(*m_Current);
    // Every extended key steps back alike; which key it was does not matter.
    GetConsole()->ReadKey();
    return true;
}

void Shell::OnTyped(char byte)
{
    // On a recalled entry this edits the entry itself.
    m_Current->push_back(byte);
    WriteToConsole(std::string(1, byte));
}

bool Shell::EndsInContinuation() const
{
    const std::size_t end = EndOfContent(*m_Current);
    return end > 0 && (*m_Current)[end - 1] == '\\';
}

void Shell::EvaluateLine()
{
    if (m_Current->empty())
        return;
    const int top = m_LuaState.GetTop();
    try {
        // Ctrl+C breaks this line rather than ending the program.
        Interrupts::ConsoleChunk chunk;
        VelkLuaState::LoadStringA(m_LuaState, *m_Current, 0, 0);
        if (m_LuaState.GetTop() != top)
            VELK_THROW(Exception, AssertionText("m_LuaState->GetTop() == top"));
    } catch (const Exception& e) {
        WriteToConsole("ERROR: " + e.GetMessage() + "\n");
    } catch (...) {
        WriteToConsole("ERROR: Unknown\n");
    }
    // A failed line leaves nothing behind on the stack of the game's state.
    if (m_LuaState.GetTop() > top)
        m_LuaState.SetTop(top);
}

void Shell::TrimLine()
{
    std::string& line = *m_Current;
    const std::size_t end = EndOfContent(line);
    if (end == 0 || line[end - 1] != '\\')
        VELK_ASSERT(false);
    line.erase(end - 1);
    line += ' ';
}

void Shell::NewLine()
{
    if (m_Current->empty())
        return;
    m_History.emplace_front();
    m_Current = m_History.begin();
}
