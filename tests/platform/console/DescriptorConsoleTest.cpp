#include "platform/console/DescriptorConsole.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kExt = Console::kExtendedKey;

std::vector<int> TakeKeys(Console& console)
{
    std::vector<int> keys;
    while (console.KeyWaiting())
        keys.push_back(console.ReadKey());
    return keys;
}

class PipeConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(::pipe(fds), 0);
        output = std::tmpfile();
        console = std::make_unique<DescriptorConsole>(fds[0], output);
    }
    void TearDown() override
    {
        console.reset();
        for (int fd : fds)
            if (fd >= 0)
                ::close(fd);
        std::fclose(output);
    }
    void Send(const std::string& bytes)
    {
        ASSERT_EQ(::write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void EndInput()
    {
        ::close(fds[1]);
        fds[1] = -1;
    }

    int fds[2] = {-1, -1};
    FILE* output = nullptr;
    std::unique_ptr<DescriptorConsole> console;
};

} // namespace

TEST_F(PipeConsoleTest, LinesAsTheyComeUntilEndOfInput)
{
    EXPECT_FALSE(console->IsRawTerminal());
    EXPECT_FALSE(console->KeyWaiting()) << "an empty pipe does not block";

    Send("ab\ncd\r\n\r\r\n");
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{'a', 'b', 13, 'c', 'd', 13, 13, 13}));
    Send("e\r");
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{'e', 13}));
    Send("\nf");
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{'f'})) << "a line end split between reads is one enter";

    EndInput();
    EXPECT_FALSE(console->KeyWaiting());
    EXPECT_FALSE(console->KeyWaiting());
    EXPECT_EQ(console->ReadKey(), -1);
}

TEST_F(PipeConsoleTest, EscapeSequencesBecomeExtendedKeys)
{
    struct Case
    {
        const char* bytes;
        std::vector<int> keys;
    };
    const Case cases[] = {
        {"\x1b[A", {kExt, Console::kKeyUp}},
        {"\x1b[B", {kExt, Console::kKeyDown}},
        {"\x1b[C", {kExt, Console::kKeyRight}},
        {"\x1b[D", {kExt, Console::kKeyLeft}},
        {"\x1bOA", {kExt, Console::kKeyUp}},       // application cursor mode
        {"\x1b[1;5D", {kExt, Console::kKeyLeft}},  // with Ctrl held
        {"\x1b[H", {kExt, Console::kKeyHome}},
        {"\x1b[4~", {kExt, Console::kKeyEnd}},
        {"\x1b[3~", {kExt, Console::kKeyDelete}},
        {"\x1b[6~", {kExt, Console::kKeyPageDown}},
        {"\x1bOP", {}},     // F1
        {"\x1b[15~", {}},   // F5
        {"\x1bx", {27, 'x'}},
        {"\x1b[\x01", {27, '[', 1}},
        {"\xe0\xa4\x95", {Console::kTypedByteFlag | 0xE0, 0xA4, 0x95}},
        {"\x7f\x08", {127, 8}},
    };
    for (const Case& c : cases) {
        Send(c.bytes);
        EXPECT_EQ(TakeKeys(*console), c.keys) << ::testing::PrintToString(std::string(c.bytes));
    }
}

TEST_F(PipeConsoleTest, SequenceSplitBetweenReadsWaitsForItsEnd)
{
    Send("a\x1b");
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{'a'}));
    Send("[1;");
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{}));
    Send("2A");
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{kExt, Console::kKeyUp}));

    // At end of input an unfinished sequence is what was typed.
    Send("\x1b[");
    EndInput();
    EXPECT_EQ(TakeKeys(*console), (std::vector<int>{27, '['}));
}

TEST_F(PipeConsoleTest, WritesGoToTheOutputStream)
{
    console->Write("x = 1\r\n");
    console->Write("ERROR: boom\n");
    std::rewind(output);
    char buffer[64] = {};
    std::fread(buffer, 1, sizeof(buffer) - 1, output);
    EXPECT_STREQ(buffer, "x = 1\r\nERROR: boom\n");
}

namespace {

class TerminalConsoleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            GTEST_SKIP() << "no pseudo-terminal";
        terminal = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(terminal, 0);
        ASSERT_TRUE(IsCooked());
    }
    void TearDown() override
    {
        if (terminal >= 0)
            ::close(terminal);
        if (master >= 0)
            ::close(master);
    }
    bool IsCooked() const
    {
        termios settings;
        return ::tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ICANON) && (settings.c_lflag & ECHO) &&
               (settings.c_iflag & ICRNL);
    }
    // Typed bytes reach the terminal side a little later; waits for them there.
    std::vector<int> WaitForKeys(Console& console, std::size_t count)
    {
        std::vector<int> keys;
        while (keys.size() < count) {
            if (console.KeyWaiting()) {
                keys.push_back(console.ReadKey());
                continue;
            }
            pollfd request = {terminal, POLLIN, 0};
            if (::poll(&request, 1, 5000) <= 0)
                break;
        }
        return keys;
    }

    int master = -1;
    int terminal = -1;
};

DescriptorConsole* g_LeftOpen = nullptr;

} // namespace

TEST_F(TerminalConsoleTest, RawWhileOpenAndRestoredAfter)
{
    {
        DescriptorConsole console(terminal, stdout);
        EXPECT_TRUE(console.IsRawTerminal());
        EXPECT_FALSE(IsCooked());

        const std::string typed = "\x1b[Ax\r";
        ASSERT_EQ(::write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
        EXPECT_EQ(WaitForKeys(console, 4), (std::vector<int>{kExt, Console::kKeyUp, 'x', 13}));
    }
    EXPECT_TRUE(IsCooked());
}

TEST_F(TerminalConsoleTest, RestoredWhenTheProcessEndsWithTheConsoleOpen)
{
    struct Case
    {
        const char* how;
        void (*end)();
        int signal;  // 0: a normal exit
    };
    const Case cases[] = {
        {"exit", [] { std::exit(0); }, 0},
        {"SIGTERM", [] { ::raise(SIGTERM); }, SIGTERM},
        {"abort", [] { std::abort(); }, SIGABRT},
    };
    for (const Case& c : cases) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            g_LeftOpen = new DescriptorConsole(terminal, stdout);
            if (!g_LeftOpen->IsRawTerminal())
                ::_exit(3);
            c.end();
            ::_exit(4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (c.signal == 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.how << " " << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.how << " " << status;
        }
        EXPECT_TRUE(IsCooked()) << c.how;
    }
}
