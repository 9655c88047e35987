#include "platform/console/Interrupts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>

#include <lua.hpp>

namespace {

// raise(n): the signal arrives while the script is running.
int Raise(lua_State* L)
{
    ::raise(static_cast<int>(luaL_checkinteger(L, 1)));
    return 0;
}

class InterruptsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        L = luaL_newstate();
        luaL_openlibs(L);
        lua_register(L, "raise", Raise);
        lua_pushinteger(L, SIGINT);
        lua_setglobal(L, "SIGINT");
        lua_pushinteger(L, SIGTERM);
        lua_setglobal(L, "SIGTERM");
        Interrupts::Install(L);
    }
    void TearDown() override
    {
        Interrupts::Uninstall();
        lua_close(L);
    }

    // Lua's error message, or empty when the code ran to its end.
    std::string Run(const std::string& code)
    {
        if (luaL_dostring(L, code.c_str()) == 0)
            return std::string();
        std::string message = lua_tostring(L, -1);
        lua_pop(L, 1);
        return message;
    }

    static bool EndsWith(const std::string& text, const std::string& end)
    {
        return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
    }

    lua_State* L = nullptr;
};

} // namespace

TEST_F(InterruptsTest, CtrlCBreaksAConsoleChunkAndOtherwiseAsksTheProgramToEnd)
{
    const struct
    {
        bool inConsoleChunk;
        const char* signal;
        const char* error;
        int request;
    } cases[] = {
        {true, "SIGINT", "interrupted!", 0},
        {false, "SIGINT", "the program is ending", SIGINT},
        {true, "SIGTERM", "the program is ending", SIGTERM},
        {false, "SIGTERM", "the program is ending", SIGTERM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.signal) + (c.inConsoleChunk ? " in a console chunk" : " in a script"));
        {
            std::unique_ptr<Interrupts::ConsoleChunk> chunk;
            if (c.inConsoleChunk)
                chunk = std::make_unique<Interrupts::ConsoleChunk>();
            // An endless loop, one that catches errors inside it at that.
            const std::string error = Run(std::string("raise(") + c.signal +
                                          ") while true do pcall(function() while true do end end) end");
            EXPECT_TRUE(EndsWith(error, c.error)) << error;
        }
        if (c.request != 0) {
            // Every script fails until the main loop takes the request.
            EXPECT_TRUE(EndsWith(Run("x = 1"), "the program is ending"));
            EXPECT_EQ(Interrupts::TakeTerminationRequest(), c.request);
            // Asked again now, the program would end at once: start afresh.
            Interrupts::Uninstall();
            Interrupts::Install(L);
        }
        EXPECT_EQ(Interrupts::TakeTerminationRequest(), 0);
        EXPECT_EQ(Run("x = 1"), "");
    }
}

TEST_F(InterruptsTest, ASecondRequestBeforeTheFirstIsTakenEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ::raise(SIGTERM);
            ::raise(SIGTERM);
        },
        ::testing::KilledBySignal(SIGTERM), "");
    // Taken already and the program ending: the next one ends it at once too.
    EXPECT_EXIT(
        {
            ::raise(SIGINT);
            Interrupts::TakeTerminationRequest();
            ::raise(SIGINT);
        },
        ::testing::KilledBySignal(SIGINT), "");
}
