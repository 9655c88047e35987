#pragma once

#include "engine/core/Config.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"
#include "game/shell/WoppleApp.h"
#include "support/SteppedLoopClock.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace gametest {

// The game's application, its window state open to the tests.
class TestWoppleApp : public WoppleApp
{
public:
    using Application::m_FullScreen;
};

// XDG folders in a temporary directory, the built data, a stepped clock.
class GameFixture : public ::testing::Test
{
protected:
    // The engine with the game's scripts; the game itself (players, screens)
    // only when asked, else the test brings its own screens.
    void Start(std::vector<std::string> extraArgs = {}, bool initGame = false)
    {
        root = std::filesystem::temp_directory_path() /
               ("wopple-game-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(VELK_GAME_DATA_DIR).parent_path());
        app = std::make_unique<TestWoppleApp>();
        std::vector<std::string> args = {(root / "Wopple2").string(), "--multiapp", "--keepcwd", "--nopkg"};
        args.insert(args.end(), extraArgs.begin(), extraArgs.end());
        std::vector<const char*> argv;
        for (const std::string& a : args)
            argv.push_back(a.c_str());
        app->InitEngine(static_cast<int>(argv.size()), argv.data());
        app->SetLoopClock(&clock);
        app->StartLoop();
        if (initGame)
            app->InitGame();
        manager = ScreenManager::GetInstance();
    }

    void TearDown() override
    {
        app.reset();
        SetLogFilePath("");
        if (!previous.empty())
            std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    template <typename T, typename... Args>
    T* AddScreen(Args&&... args)
    {
        auto screen = std::make_unique<T>(std::forward<Args>(args)...);
        manager->AddScreen(screen.get());
        return screen.release();
    }

    void Pass() { app->RunPass(); }
    void Passes(int n)
    {
        for (int i = 0; i < n; ++i)
            Pass();
    }

    static void Key(int sym, int modifiers = KMOD_NONE)
    {
        for (std::uint8_t type : {std::uint8_t(SDL_KEYDOWN), std::uint8_t(SDL_KEYUP)}) {
            SDL_Event e{};
            e.key.type = type;
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.sym = static_cast<SDLKey>(sym);
            e.key.keysym.mod = static_cast<SDLMod>(modifiers);
            ASSERT_EQ(SDL_PushEvent(&e), 0);
        }
    }

    LuaObject Eval(const std::string& expression)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString("_result = " + expression) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
        return lua.GetGlobal("_result");
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    SteppedLoopClock clock;
    std::unique_ptr<TestWoppleApp> app;
    ScreenManager* manager = nullptr;
};

// The log so far: the application's log file once it has one, else the
// lines cached before it.
inline std::string LogText()
{
    std::string log;
    if (GetLogFilePath().empty()) {
        for (const std::string& line : GetCachedLogLines())
            log += line;
        return log;
    }
    std::ifstream file(GetLogFilePath());
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

// How often the text stands in the log from the given offset on.
inline int CountLines(const std::string& text, std::size_t from = 0)
{
    const std::string log = LogText();
    int n = 0;
    for (std::size_t at = log.find(text, from); at != std::string::npos; at = log.find(text, at + 1))
        ++n;
    return n;
}

} // namespace gametest
