// The real program from outside: Ctrl+C and SIGTERM.

#include "ProgramFixture.h"

#include <poll.h>

namespace {

// Reads the program's output into seen until it holds the text; fails after
// a minute without it.
void ReadUntil(const Running& r, std::string& seen, const std::string& text)
{
    char buffer[4096];
    while (seen.find(text) == std::string::npos) {
        pollfd request = {r.output, POLLIN, 0};
        ASSERT_EQ(poll(&request, 1, 60000), 1) << "no \"" << text << "\" in:\n" << seen;
        const ssize_t n = read(r.output, buffer, sizeof(buffer));
        ASSERT_GT(n, 0) << "no \"" << text << "\" in:\n" << seen;
        seen.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

TEST_F(ProgramTest, CtrlCBreaksAnEndlessConsoleLineAndTheGameGoesOn)
{
    Running r = Start({"--console", "-w"});
    std::string seen;
    Send(r, "logprint('spinning') while true do end\n");
    ReadUntil(r, seen, "spinning\n");
    ASSERT_EQ(kill(r.pid, SIGINT), 0);
    ReadUntil(r, seen, "interrupted!\n");
    EXPECT_NE(seen.find("ERROR: "), std::string::npos) << seen;

    // The game goes on and the console still works.
    Send(r, "logprint('still ' .. 'here')\nAppQuit()\n");
    std::string rest;
    EXPECT_EQ(Finish(r, rest), 0) << seen << rest;
    EXPECT_NE((seen + rest).find("still here\n"), std::string::npos) << seen << rest;
    EXPECT_EQ((seen + rest).find("received, quitting"), std::string::npos) << seen << rest;
}

TEST_F(ProgramTest, CtrlCOutsideAConsoleLineAndSigtermEndTheGameTheNormalWay)
{
    const struct
    {
        int signal;
        const char* input;
        const char* runningWhen;
        const char* line;
    } cases[] = {
        {SIGINT, "", "Starting main loop.\n", "Application::RunPass, SIGINT received, quitting.\n"},
        // Even a line that never ends, and catches the errors inside it.
        {SIGTERM, "logprint('spinning') while true do pcall(function() while true do end end) end\n", "spinning\n",
         "Application::RunPass, SIGTERM received, quitting.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        fs::remove(ConfigFile());
        Running r = Start({"--console", "-w"});
        std::string seen;
        Send(r, c.input);
        ReadUntil(r, seen, c.runningWhen);
        ASSERT_EQ(kill(r.pid, c.signal), 0);
        std::string rest;
        EXPECT_EQ(Finish(r, rest), 0) << seen << rest;
        ExpectInOrder(seen + rest, {c.line, "writing cfg to: "});
        EXPECT_EQ(ReadFile(ConfigFile()).rfind("LoadConfig {\n", 0), 0u);
    }
}
