#include "engine/runtime/Shell.h"

#include "engine/core/Exception.h"
#include "engine/core/VelkLuaState.h"
#include "platform/console/DescriptorConsole.h"
#include "platform/lua/LuaObject.h"

#include <gtest/gtest.h>

#include <deque>
#include <unistd.h>

namespace {

// Keys typed ahead of time; everything written is kept.
class ScriptedConsole : public Console
{
public:
    bool KeyWaiting() override { return !keys.empty(); }
    int ReadKey() override
    {
        if (keys.empty())
            return -1;
        const int key = keys.front();
        keys.pop_front();
        return key;
    }
    void Write(const std::string& text) override { output += text; }

    std::deque<int> keys;
    std::string output;
};

class ShellTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto scripted = std::make_unique<ScriptedConsole>();
        console = scripted.get();
        OpenConsole(std::move(scripted));
    }
    void TearDown() override
    {
        CloseConsole();
        VelkLuaState::Destroy();
    }

    // A line feed in the text is the enter key.
    void Type(const std::string& text)
    {
        for (unsigned char c : text)
            console->keys.push_back(c == '\n' ? 13 : c);
    }
    void PressUp() { console->keys.insert(console->keys.end(), {Console::kExtendedKey, Console::kKeyUp}); }
    void PressBackspace() { console->keys.push_back(8); }
    // Polls, and returns what the shell wrote meanwhile.
    std::string Poll()
    {
        console->output.clear();
        shell.Poll();
        return console->output;
    }
    LuaObject Global(const char* name) { return state.GetGlobal(name); }
    std::vector<std::string> History() const
    {
        return {shell.GetHistory().begin(), shell.GetHistory().end()};
    }

    LuaState state = VelkLuaState::Create();
    Shell shell{state};
    ScriptedConsole* console = nullptr;
};

} // namespace

TEST_F(ShellTest, TypedLineRunsInTheGameStateAndStartsANewLine)
{
    Type("x = 40 + 2\n");
    EXPECT_EQ(Poll(), "x = 40 + 2\r\n");
    EXPECT_EQ(Global("x").GetInteger(), 42);
    EXPECT_EQ(History(), (std::vector<std::string>{"", "x = 40 + 2"}));
    EXPECT_EQ(shell.GetCurrentLine(), "");
}

TEST_F(ShellTest, EnterOnAnEmptyLineOnlyBreaksTheLine)
{
    Type("\n\n");
    EXPECT_EQ(Poll(), "\r\n\r\n");
    EXPECT_EQ(shell.GetHistorySize(), 1u);
}

TEST_F(ShellTest, BackspaceAndDeleteRemoveTheLastCharacter)
{
    for (int key : {8, 127}) {
        Type("ab");
        console->keys.push_back(key);
        EXPECT_EQ(Poll(), "ab\b \b") << key;
        EXPECT_EQ(shell.GetCurrentLine(), "a") << key;
        console->keys.insert(console->keys.end(), {key, key});
        EXPECT_EQ(Poll(), "\b \b") << "the second finds the line empty";
        EXPECT_EQ(shell.GetCurrentLine(), "");
    }
    // A character of several bytes goes at once, as the terminal shows it as one.
    Type("s = '\xC3\xA9");
    PressBackspace();
    Poll();
    EXPECT_EQ(shell.GetCurrentLine(), "s = '");
}

TEST_F(ShellTest, BackslashContinuesTheLineOnTheNextOne)
{
    Type("t = {1, \\  \t\n");
    EXPECT_EQ(Poll(), "t = {1, \\  \t\r\n");
    EXPECT_TRUE(Global("t").IsNil()) << "nothing runs yet";
    EXPECT_EQ(History(), (std::vector<std::string>{"t = {1,  "}));

    Type("2}\n");
    Poll();
    EXPECT_EQ(Global("t").Type(), LUA_TTABLE);
    VelkLuaState::LoadStringA(state, "n = #t", 0, 0);
    EXPECT_EQ(Global("n").GetInteger(), 2);
    EXPECT_EQ(History(), (std::vector<std::string>{"", "t = {1,  2}"}));
}

TEST_F(ShellTest, TrimLineWithoutABackslashFails)
{
    Type("x = 1 ");
    Poll();
    try {
        shell.TrimLine();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.GetMessage(), "Assertion failed: (false)");
        EXPECT_EQ(e.GetFunction(), "Shell::TrimLine");
    }
}

TEST_F(ShellTest, AFailingLineIsReportedAndTheNextOneRuns)
{
    struct Case
    {
        std::string line;
        std::string report;
    };
    const Case cases[] = {
        {"x = = 1", "ERROR: Error in LoadString: [string \"x = = 1\"]:1: unexpected symbol near '='\n\n"},
        {"error('boom')", "ERROR: Error in PCall: [string \"error('boom')\"]:1: boom\n\n"},
        {"error({})", "ERROR: Unknown error in PCall\n\n"},
    };
    const int top = state.GetTop();
    for (const Case& c : cases) {
        Type(c.line + "\ny = [[" + c.line + "]]\n");
        EXPECT_EQ(Poll(), c.line + "\r\n" + c.report + "y = [[" + c.line + "]]\r\n");
        EXPECT_EQ(Global("y").GetString(), c.line);
        EXPECT_EQ(state.GetTop(), top);
        // The failed line stays in the history.
        EXPECT_EQ(*std::next(shell.GetHistory().begin(), 2), c.line);
    }
}

TEST_F(ShellTest, ArrowKeyWithOnlyTheEditedLineEndsThePoll)
{
    PressUp();
    Type("a");
    EXPECT_EQ(Poll(), "");
    EXPECT_EQ(shell.GetCurrentLine(), "");
    EXPECT_EQ(shell.GetHistorySize(), 1u);
    EXPECT_EQ(console->keys.size(), 1u) << "the other keys wait for the next poll";
    EXPECT_EQ(Poll(), "a");
}

TEST_F(ShellTest, ArrowKeysStepBackAndWrapToTheNewestLine)
{
    Type("a = 1\nb = 2\nxy");
    Poll();
    VelkLuaState::LoadStringA(state, "a = 0", 0, 0);

    // Any extended key steps back, whichever key it is.
    const std::pair<int, std::string> steps[] = {
        {Console::kKeyUp, "\b \b\b \bb = 2"},
        {Console::kKeyDown, "\b \b\b \b\b \b\b \b\b \ba = 1"},
        {Console::kKeyLeft, "\b \b\b \b\b \b\b \b\b \bxy"},
        {Console::kKeyUp, "\b \b\b \bb = 2"},
        {Console::kKeyDelete, "\b \b\b \b\b \b\b \b\b \ba = 1"},
    };
    for (const auto& [key, shown] : steps) {
        console->keys.insert(console->keys.end(), {Console::kExtendedKey, key});
        EXPECT_EQ(Poll(), shown) << key;
    }
    EXPECT_EQ(History(), (std::vector<std::string>{"xy", "b = 2", "a = 1"}));

    // Enter runs the recalled line again.
    Type("\n");
    Poll();
    EXPECT_EQ(Global("a").GetInteger(), 1);
}

TEST_F(ShellTest, EditingARecalledLine)
{
    Type("x = 12\n");
    PressUp();
    Poll();

    // Backspace edits a copy at the front; the recalled entry keeps its text.
    PressBackspace();
    Type("\n");
    Poll();
    EXPECT_EQ(Global("x").GetInteger(), 1);
    EXPECT_EQ(History(), (std::vector<std::string>{"", "x = 1", "", "x = 12"}));

    // Typing changes the recalled entry itself.
    PressUp();
    PressUp();
    PressUp();
    Type("3\n");
    Poll();
    EXPECT_EQ(Global("x").GetInteger(), 123);
    EXPECT_EQ(History(), (std::vector<std::string>{"", "", "x = 1", "", "x = 123"}));
}

TEST_F(ShellTest, TypedByteLikeTheExtendedKeyIsText)
{
    // U+0915 begins with the byte that introduces extended keys.
    Type("s = '");
    console->keys.insert(console->keys.end(), {Console::kTypedByteFlag | 0xE0, 0xA4, 0x95});
    Type("'\n");
    Poll();
    EXPECT_EQ(Global("s").GetString(), "\xE0\xA4\x95");
}

TEST_F(ShellTest, WithoutAConsolePollDoesNothing)
{
    Type("x = 1\n");
    CloseConsole();
    shell.Poll();
    EXPECT_TRUE(Global("x").IsNil());
    EXPECT_EQ(shell.GetHistorySize(), 1u);
}

TEST_F(ShellTest, LinesFromAPipeUntilItsEnd)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    FILE* output = std::tmpfile();
    OpenConsole(std::make_unique<DescriptorConsole>(fds[0], output));
    const std::string input = "n = 1\r\nn = n + 1\nn = n \\\n * 10\n";
    ASSERT_EQ(::write(fds[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
    ::close(fds[1]);

    shell.Poll();
    shell.Poll();
    EXPECT_EQ(Global("n").GetInteger(), 20);
    EXPECT_EQ(History(), (std::vector<std::string>{"", "n = n   * 10", "n = n + 1", "n = 1"}));

    CloseConsole();
    std::fclose(output);
    ::close(fds[0]);
}
