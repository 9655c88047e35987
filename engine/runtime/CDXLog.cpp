#include "engine/runtime/CDXLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

std::uint64_t NowMilliseconds()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// The log's serial and parallel port outputs, as Linux names them.
// Opened per line without waiting; one that cannot be opened is skipped.
void WriteToDevice(const char* path, const std::string& line)
{
    const int fd = ::open(path, O_WRONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return;
    ssize_t ignored = ::write(fd, line.data(), line.size());
    (void)ignored;
    ::close(fd);
}

constexpr std::size_t kMaxLine = 255;

} // namespace

CDXLog& CDXLog::GetInstance()
{
    static CDXLog instance;
    return instance;
}

CDXLog::CDXLog() : m_StartTime(NowMilliseconds())
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char name[64];
    std::snprintf(name, sizeof(name), "cdx%.4d%.2d%.2d%.2d%.2d%.2d.log", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    m_FileName = name;
}

void CDXLog::Write(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit("CDX: %u: ", format, args);
    va_end(args);
}

void CDXLog::WriteDetail(const char* format, ...)
{
    if (m_Level != 2)
        return;
    va_list args;
    va_start(args, format);
    Emit("CDX: %d: ", format, args);
    va_end(args);
}

void CDXLog::Emit(const char* prefix, const char* format, va_list args)
{
    char text[kMaxLine + 1];
    const int used = std::snprintf(text, sizeof(text), prefix, static_cast<unsigned>(NowMilliseconds() - m_StartTime));
    if (used >= 0 && static_cast<std::size_t>(used) < sizeof(text))
        std::vsnprintf(text + used, sizeof(text) - static_cast<std::size_t>(used), format, args);
    // A line holds at most 255 characters; longer text is cut.
    std::string line = text;
    line += "\n";

    if (m_Flags & CDXLOG_FILE) {
        if (FILE* file = std::fopen(m_FileName.c_str(), "a")) {
            std::fputs(line.c_str(), file);
            std::fclose(file);
        }
    }
    if (m_Flags & CDXLOG_STDOUT)
        std::fputs(line.c_str(), stdout);
    if (m_Flags & CDXLOG_STDERR)
        std::fputs(line.c_str(), stderr);
    if (m_Flags & CDXLOG_COM1)
        WriteToDevice("/dev/ttyS0", line);
    if (m_Flags & CDXLOG_COM2)
        WriteToDevice("/dev/ttyS1", line);
    if (m_Flags & CDXLOG_LPT1)
        WriteToDevice("/dev/lp0", line);
    if (m_Flags & CDXLOG_LPT2)
        WriteToDevice("/dev/lp1", line);
    if (m_Flags & CDXLOG_GUIWIN) {
        if (m_Screen) {
            m_WindowLines[m_NextWindowLine] = std::string(text);
            m_NextWindowLine = (m_NextWindowLine + 1) % 5;
        } else if (FILE* file = std::fopen(m_FileName.c_str(), "a")) {
            std::fputs("No CDXScreen object supplied for GUIWIN output\n", file);
            std::fclose(file);
        }
    }
    // The line is data, never a format.
    if ((m_Flags & CDXLOG_TEXTFUNCTION) && m_TextFunction)
        m_TextFunction("%s", line.c_str());
    // No debugger channel on this system: the text function reaches the engine log.
}

std::vector<std::string> CDXLog::GetWindowLines() const
{
    std::vector<std::string> lines;
    for (int i = 0; i < 5; ++i) {
        const std::string& line = m_WindowLines[(m_NextWindowLine + i) % 5];
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}
