#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

class CDXScreen;

// The screen layer's own log. Each line is "CDX: <ms since start>: <text>"
// and goes to the outputs the flags select. The application routes it into
// the engine log (the text function, flag 0x400), so no file of its own is
// written in this program.
class CDXLog
{
public:
    enum Flags : std::uint32_t
    {
        CDXLOG_FILE = 1,
        CDXLOG_STDOUT = 2,
        CDXLOG_STDERR = 4,
        CDXLOG_COM1 = 8,
        CDXLOG_COM2 = 16,
        CDXLOG_LPT1 = 32,
        CDXLOG_LPT2 = 64,
        CDXLOG_GUIWIN = 128,
        CDXLOG_DEBUGGER = 0x200,
        CDXLOG_TEXTFUNCTION = 0x400,
    };
    using TextFunction = void (*)(const char* format, ...);

    // The one process-wide log.
    static CDXLog& GetInstance();

    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Written only at level 2.
    void WriteDetail(const char* format, ...) __attribute__((format(printf, 2, 3)));

    std::uint32_t GetFlags() const { return m_Flags; }
    void SetFlags(std::uint32_t flags) { m_Flags = flags; }
    std::uint32_t GetLevel() const { return m_Level; }
    void SetLevel(std::uint32_t level) { m_Level = level; }
    // Called with "%s" and the finished line.
    void SetTextFunction(TextFunction function) { m_TextFunction = function; }
    void SetScreen(CDXScreen* screen) { m_Screen = screen; }
    const std::string& GetFileName() const { return m_FileName; }
    // The on-screen window's last lines, oldest first.
    std::vector<std::string> GetWindowLines() const;

    CDXLog();

private:
    void Emit(const char* prefix, const char* format, va_list args);

    std::uint32_t m_Flags = CDXLOG_FILE;
    std::uint32_t m_Level = 1;
    std::uint64_t m_StartTime;
    std::string m_FileName;
    TextFunction m_TextFunction = nullptr;
    CDXScreen* m_Screen = nullptr;
    std::string m_WindowLines[5];
    int m_NextWindowLine = 0;
};

// A line of the screen layer's log (through CDXLog::GetInstance).
#define CDXLOG(...) CDXLog::GetInstance().Write(__VA_ARGS__)
