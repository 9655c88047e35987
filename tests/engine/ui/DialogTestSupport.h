#pragma once

#include "ScreenTestSupport.h"
#include "engine/core/Config.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/Button.h"
#include "engine/ui/Dialog.h"

#include <SDL.h>

#include <string>
#include <vector>

namespace dialogtest {

using namespace screentest;

// The game's window, with the game's dialog settings (DialogApp_*.cfg).
class DialogApp : public Application
{
public:
    DialogApp() : Application("DialogApp", "Dialog Test", AppCodeFromString("DLGT"), 800, 600) {}
};

// The screen the dialogs go on: it writes down which dialogs stopped (with the
// button that stopped them) and which it was told were deleted, in order.
class DialogScreen : public Screen
{
public:
    explicit DialogScreen(const std::string& name = "Dialogs") : Screen("", name, nullptr) {}
    bool OnDialogStopped(const EventRecord& e) override
    {
        auto* dialog = static_cast<Dialog*>(static_cast<Actor*>(e.user.data1));
        log.push_back("stopped " + dialog->GetName() + " " + dialog->GetResultButtonName());
        return false;
    }
    bool OnDialogDelete(const EventRecord& e) override
    {
        const bool stacked = Screen::OnDialogDelete(e);
        log.push_back(std::string("delete ") + static_cast<Actor*>(e.user.data1)->GetName() +
                      (stacked ? "" : " (not stacked)"));
        return stacked;
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }
    std::vector<std::string> log;
};

// The engine as the program brings it up, 800 x 600, with the built game data,
// the players loaded and a current screen "Dialogs". Time is stepped.
class DialogFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() /
               ("velk-dialogs-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(VELK_GAME_DATA_DIR).parent_path());
        app = std::make_unique<DialogApp>();
        // The program lives in the test's own folder, so no stray start-up script is found.
        const std::string program = (root / "DialogApp").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg"};
        app->InitEngine(4, args);
        app->SetLoopClock(&clock);
        app->StartLoop();
        PlayerManager::GetInstance()->LoadGameData();
        screen = new DialogScreen;
        ScreenManager::GetInstance()->AddScreen(screen);
        ScreenManager::GetInstance()->SwitchToScreen("Dialogs");
    }

    void TearDown() override
    {
        app.reset();
        SetLogFilePath("");
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    void Pass() { app->RunPass(); }
    void Passes(int n)
    {
        for (int i = 0; i < n; ++i)
            Pass();
    }

    void Lua(const std::string& source)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(source) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
    }
    LuaObject Eval(const std::string& expression)
    {
        Lua("_result = " + expression);
        return app->GetLuaState().GetGlobal("_result");
    }

    static void Key(std::uint8_t type, int sym, int modifiers = KMOD_NONE, int unicode = 0)
    {
        SDL_Event e{};
        e.key.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = static_cast<SDLKey>(sym);
        e.key.keysym.mod = static_cast<SDLMod>(modifiers);
        e.key.keysym.unicode = static_cast<Uint16>(unicode);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    // Down and up in one pass; letters carry their character.
    void Stroke(int sym, int modifiers = KMOD_NONE)
    {
        const int unicode = sym >= 32 && sym < 127 ? sym : 0;
        Key(SDL_KEYDOWN, sym, modifiers, unicode);
        Key(SDL_KEYUP, sym, modifiers, unicode);
        Pass();
    }
    // In a pass of its own: a pass allows one click.
    void Click(Button& button)
    {
        Pass();
        button.ManuallyPressButton();
        button.ManuallyReleaseButton();
        Pass();
    }

    // Started on the screen, and its intro played out.
    template <typename T>
    T* Show(T* dialog, bool pauseGame = false)
    {
        screen->StartDialog(dialog, pauseGame);
        Passes(16);
        return dialog;
    }

    // A w x h picture of one colour (0xAARRGGBB) filed under the name.
    static void AddImage(const std::string& name, int w, int h, std::uint32_t color)
    {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h), color);
        Image(imagetest::MakeSurface(w, h, pixels), 0, nullptr).RegisterAsResource(name);
    }

    static Variant Setting(const std::string& key) { return GetConfig()->Retrieve(key); }

    std::filesystem::path root;
    std::filesystem::path previous;
    SteppedLoopClock clock;
    std::unique_ptr<DialogApp> app;
    DialogScreen* screen = nullptr;
};

} // namespace dialogtest
