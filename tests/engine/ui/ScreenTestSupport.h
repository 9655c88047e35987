#pragma once

#include "../runtime/ImageTestSupport.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"
#include "support/Failure.h"
#include "support/SteppedLoopClock.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace screentest {

// Colours as the canvas holds them, without the alpha.
inline constexpr std::uint32_t kRed = 0xFF0000;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kBlue = 0x0000FF;
inline constexpr std::uint32_t kWhite = 0xFFFFFF;

// A 16 x 8 window, small enough to check by pixels.
class ScreenApp : public Application
{
public:
    static constexpr int kWidth = 16;
    static constexpr int kHeight = 8;
    ScreenApp() : Application("ScreenApp", "Screen Test", AppCodeFromString("SCRN"), kWidth, kHeight) {}
    using Application::CurrentScreenShowsDialog;
    using Application::m_FullScreen;
};

// Records what it is offered, by name; handles what it is told to.
class TracingActor : public Actor
{
public:
    TracingActor(std::vector<std::string>& trace, const std::string& name, bool handles = false)
        : trace(trace), handles(handles)
    {
        SetName(name);
    }
    bool OnSelect(const EventRecord&) override { return Record(""); }
    bool OnMouseEnter(const EventRecord& e) override { return e.user.data1 == this && Record("enter "); }
    bool OnMouseLeave(const EventRecord& e) override { return e.user.data1 == this && Record("leave "); }

    std::vector<std::string>& trace;
    bool handles;

private:
    bool Record(const std::string& what)
    {
        trace.push_back(what + GetName());
        return handles;
    }
};

// A dialog as the screen sees one: its flags, and an exit that closes it the
// way dialogs do (destroyed, then its screen told).
class TestDialog : public Actor, public ScreenDialog
{
public:
    TestDialog(const std::string& name, std::uint32_t flags, const Color& color, int w, int h)
        : Actor(color), flags(flags)
    {
        SetName(name);
        SetSize(w, h);
    }
    std::uint32_t GetDialogFlags() const override { return flags; }
    void StartIntro() override { ++intros; }
    void StartExit() override
    {
        ++exits;
        Actor* screen = GetParent();
        Destroy();
        SendEvent(screen, VELK_DIALOGDELETE, 0, this, nullptr);
    }

    std::uint32_t flags;
    int intros = 0;
    int exits = 0;
};

// The engine brought up as the program does (its screen manager included),
// with the built game data for fonts, in a 16 x 8 window. Time is stepped.
class ScreenFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() /
               ("velk-screens-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        // "--nopkg" reads the data folder beside the current folder.
        std::filesystem::current_path(std::filesystem::path(VELK_GAME_DATA_DIR).parent_path());
        app = std::make_unique<ScreenApp>();
        std::string program = (root / "ScreenApp").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg"};
        app->InitEngine(4, args);
        app->SetLoopClock(&clock);
        app->StartLoop();
        manager = ScreenManager::GetInstance();
        ASSERT_NE(manager, nullptr);
    }

    void TearDown() override
    {
        app.reset();
        SetLogFilePath("");
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    // A new screen given to the manager.
    template <typename T = Screen, typename... Args>
    T* AddScreen(Args&&... args)
    {
        auto screen = std::make_unique<T>(std::forward<Args>(args)...);
        manager->AddScreen(screen.get());
        return screen.release();
    }

    // A w x h picture of one colour (0xAARRGGBB) filed under the name.
    static void AddImage(const std::string& name, int w, int h, std::uint32_t color)
    {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h), color);
        Image(imagetest::MakeSurface(w, h, pixels), 0, nullptr).RegisterAsResource(name);
    }

    static Actor* ImageActor(const std::string& image, int x, int y, const std::string& name = "")
    {
        auto actor = std::make_unique<Actor>();
        actor->SetImageFromName(image);
        actor->SetPosition(x, y);
        actor->SetName(name);
        return actor.release();
    }

    static std::uint32_t Rgb(const Canvas& canvas, int x, int y)
    {
        return PixelRow(canvas.GetTargetSurface()->GetSurface(), y)[x] & 0xFFFFFFu;
    }

    std::string LogText() const
    {
        std::ifstream in(root / "data" / "Screen Test Documents" / "Technical Support Files" / "VelkEngine.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    SteppedLoopClock clock;
    std::unique_ptr<ScreenApp> app;
    ScreenManager* manager = nullptr;
};

} // namespace screentest
