#include "platform/console/DescriptorConsole.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The terminal held in raw mode and its settings before, for the exit and
// signal handlers; only what a signal handler may touch.
volatile sig_atomic_t g_RawFd = -1;
termios g_SavedSettings;

const int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTERM, SIGINT, SIGHUP, SIGQUIT};
constexpr std::size_t kFatalSignalCount = sizeof(kFatalSignals) / sizeof(kFatalSignals[0]);
struct sigaction g_PreviousActions[kFatalSignalCount];

void OnFatalSignal(int signal, siginfo_t* info, void*)
{
    const int savedErrno = errno;
    RestoreRawTerminal();
    for (std::size_t i = 0; i < kFatalSignalCount; ++i)
        if (kFatalSignals[i] == signal)
            ::sigaction(signal, &g_PreviousActions[i], nullptr);
    // A fault comes back when the faulting instruction runs again and then goes
    // to the previous handler with its true details; a sent signal is sent again.
    if (!info || info->si_code <= 0 || (signal != SIGSEGV && signal != SIGBUS && signal != SIGFPE && signal != SIGILL))
        ::raise(signal);
    errno = savedErrno;
}

void InstallRestoreHandlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    std::atexit(RestoreRawTerminal);
    for (std::size_t i = 0; i < kFatalSignalCount; ++i) {
        struct sigaction previous = {};
        if (::sigaction(kFatalSignals[i], nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN)
            continue;
        g_PreviousActions[i] = previous;
        struct sigaction action = {};
        action.sa_sigaction = OnFatalSignal;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(kFatalSignals[i], &action, nullptr);
    }
}

// The extended-key code of a sequence's final byte ("ESC [ A", "ESC O A"), or 0.
int CodeForFinalByte(unsigned char final)
{
    switch (final) {
    case 'A': return Console::kKeyUp;
    case 'B': return Console::kKeyDown;
    case 'C': return Console::kKeyRight;
    case 'D': return Console::kKeyLeft;
    case 'H': return Console::kKeyHome;
    case 'F': return Console::kKeyEnd;
    default: return 0;
    }
}

// The extended-key code of "ESC [ n ~", or 0.
int CodeForTildeNumber(int number)
{
    switch (number) {
    case 1:
    case 7: return Console::kKeyHome;
    case 2: return Console::kKeyInsert;
    case 3: return Console::kKeyDelete;
    case 4:
    case 8: return Console::kKeyEnd;
    case 5: return Console::kKeyPageUp;
    case 6: return Console::kKeyPageDown;
    default: return 0;
    }
}

} // namespace

void RestoreRawTerminal()
{
    const int fd = g_RawFd;
    if (fd < 0)
        return;
    g_RawFd = -1;
    ::tcsetattr(fd, TCSANOW, &g_SavedSettings);
}

DescriptorConsole::DescriptorConsole(int inputFd, FILE* output) : m_Fd(inputFd), m_Output(output)
{
    termios settings;
    // Only one terminal is held at a time: the handlers keep one set of settings.
    if (g_RawFd >= 0 || !::isatty(m_Fd) || ::tcgetattr(m_Fd, &settings) != 0)
        return;
    g_SavedSettings = settings;
    // Keys arrive one by one and unechoed; signals still work, and output keeps
    // its line-end translation for the log.
    settings.c_lflag &= ~(ICANON | ECHO | IEXTEN);
    settings.c_iflag &= ~(IXON | ICRNL | INLCR | IGNCR);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    InstallRestoreHandlers();
    std::atomic_signal_fence(std::memory_order_seq_cst);
    g_RawFd = m_Fd;
    if (::tcsetattr(m_Fd, TCSANOW, &settings) != 0) {
        g_RawFd = -1;
        return;
    }
    m_RawTerminal = true;
}

DescriptorConsole::~DescriptorConsole()
{
    if (m_RawTerminal)
        RestoreRawTerminal();
}

bool DescriptorConsole::KeyWaiting()
{
    if (m_Keys.empty())
        ReadAvailable();
    return !m_Keys.empty();
}

int DescriptorConsole::ReadKey()
{
    if (!KeyWaiting())
        return -1;
    const int key = m_Keys.front();
    m_Keys.pop_front();
    return key;
}

void DescriptorConsole::Write(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), m_Output);
    std::fflush(m_Output);
}

void DescriptorConsole::ReadAvailable()
{
    // Goes on while bytes come but make no key yet (the start of a sequence),
    // so that the end of input right behind them is seen too.
    while (m_Keys.empty() && !m_EndOfInput) {
        pollfd request = {m_Fd, POLLIN, 0};
        if (::poll(&request, 1, 0) <= 0)
            return;
        if (request.revents & POLLNVAL) {
            m_EndOfInput = true;
        } else {
            char buffer[4096];
            const ssize_t count = ::read(m_Fd, buffer, sizeof(buffer));
            if (count > 0)
                m_Pending.append(buffer, static_cast<std::size_t>(count));
            else if (count == 0 || (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK))
                m_EndOfInput = true;
            else
                return;
        }
        Decode();
    }
}

void DescriptorConsole::Decode()
{
    std::size_t i = 0;
    while (i < m_Pending.size()) {
        const unsigned char byte = static_cast<unsigned char>(m_Pending[i]);
        if (byte == '\n' && m_AfterCarriageReturn) {
            m_AfterCarriageReturn = false;
            ++i;
            continue;
        }
        m_AfterCarriageReturn = byte == '\r';
        if (byte == '\r' || byte == '\n') {
            m_Keys.push_back(13);
            ++i;
        } else if (byte == 0x1B) {
            const std::size_t used = DecodeEscape(i);
            if (used == 0) {
                // The rest of the sequence has not arrived; at end of input it never will.
                if (!m_EndOfInput)
                    break;
                m_Keys.push_back(0x1B);
                ++i;
            }
            i += used;
        } else {
            m_Keys.push_back(byte == kExtendedKey ? (byte | kTypedByteFlag) : byte);
            ++i;
        }
    }
    m_Pending.erase(0, i);
}

std::size_t DescriptorConsole::DecodeEscape(std::size_t start)
{
    const std::size_t size = m_Pending.size();
    if (size - start < 2)
        return 0;
    const char introducer = m_Pending[start + 1];
    std::size_t finalAt = start + 2;
    if (introducer == '[') {
        while (finalAt < size && m_Pending[finalAt] >= 0x30 && m_Pending[finalAt] <= 0x3F)
            ++finalAt;
        while (finalAt < size && m_Pending[finalAt] >= 0x20 && m_Pending[finalAt] <= 0x2F)
            ++finalAt;
    } else if (introducer != 'O') {
        // Escape on its own, or with Alt held: the escape key, then the next byte as typed.
        m_Keys.push_back(0x1B);
        return 1;
    }
    if (finalAt >= size)
        return 0;
    const unsigned char final = static_cast<unsigned char>(m_Pending[finalAt]);
    if (final < 0x40 || final > 0x7E) {
        m_Keys.push_back(0x1B);
        return 1;
    }
    int code = 0;
    if (introducer == '[' && final == '~')
        code = CodeForTildeNumber(std::atoi(m_Pending.substr(start + 2, finalAt - start - 2).c_str()));
    else
        code = CodeForFinalByte(final);
    // Other keys' sequences (function keys and the like) have no use here and
    // are dropped rather than typed into the line as control bytes.
    if (code != 0) {
        m_Keys.push_back(kExtendedKey);
        m_Keys.push_back(code);
    }
    return finalAt - start + 1;
}
