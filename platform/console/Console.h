#pragma once

#include <memory>
#include <string>

// The text console a developer types into, read key by key without blocking.
// Key codes are those of a character reader: a typed byte is its own code, and
// an extended key (an arrow key and its kin) comes as kExtendedKey followed by
// the key's code.
class Console
{
public:
    static constexpr int kExtendedKey = 224;
    // A typed byte that equals kExtendedKey (a UTF-8 lead byte) comes with this
    // bit set, so it is never taken for an extended key; the byte is code & 0xFF.
    static constexpr int kTypedByteFlag = 0x100;

    // Codes following kExtendedKey.
    static constexpr int kKeyHome = 71;
    static constexpr int kKeyUp = 72;
    static constexpr int kKeyPageUp = 73;
    static constexpr int kKeyLeft = 75;
    static constexpr int kKeyRight = 77;
    static constexpr int kKeyEnd = 79;
    static constexpr int kKeyDown = 80;
    static constexpr int kKeyPageDown = 81;
    static constexpr int kKeyInsert = 82;
    static constexpr int kKeyDelete = 83;

    virtual ~Console() = default;

    // Whether a key can be read now; never blocks.
    virtual bool KeyWaiting() = 0;
    // The next key, not echoed; -1 when none is waiting.
    virtual int ReadKey() = 0;
    // Writes the text as it stands.
    virtual void Write(const std::string& text) = 0;
};

// The process's console, opened by the application when the console is enabled.
// Opening replaces (and closes) one that is open already.
void OpenConsole();  // over standard input and standard output
void OpenConsole(std::unique_ptr<Console> console);
void CloseConsole();
// The open console, or null.
Console* GetConsole();
// Writes the text to the open console, if any (a log echo writer).
void WriteToConsole(const std::string& text);
