#pragma once

#include "platform/console/Console.h"

#include <cstdio>
#include <deque>
#include <string>

// A console over a file descriptor for input and a stream for output. A terminal
// is put in raw mode (no line editing, no echo) for the life of the console, and
// restored on exit and on a fatal signal too; a pipe or file is read as it comes.
// Line feed counts as enter (carriage return and line feed together as one), the
// arrow keys' escape sequences become extended keys, and end of input means no
// key is ever waiting again.
class DescriptorConsole : public Console
{
public:
    DescriptorConsole(int inputFd, FILE* output);
    ~DescriptorConsole() override;
    DescriptorConsole(const DescriptorConsole&) = delete;
    DescriptorConsole& operator=(const DescriptorConsole&) = delete;

    bool KeyWaiting() override;
    int ReadKey() override;
    void Write(const std::string& text) override;

    bool IsRawTerminal() const { return m_RawTerminal; }

private:
    void ReadAvailable();
    void Decode();
    // Decodes the escape sequence starting at the given pending byte; returns
    // the bytes it used, or 0 when the sequence is not complete yet.
    std::size_t DecodeEscape(std::size_t start);

    int m_Fd;
    FILE* m_Output;
    bool m_RawTerminal = false;
    bool m_EndOfInput = false;
    bool m_AfterCarriageReturn = false;
    std::string m_Pending;  // bytes read, not yet decoded
    std::deque<int> m_Keys;
};

// Puts the terminal a console holds in raw mode back as it was; safe in a
// signal handler, and does nothing when no terminal is held.
void RestoreRawTerminal();
