#include "engine/runtime/Application.h"

#include "engine/core/Config.h"
#include "engine/core/EmbeddedFiles.h"
#include "engine/core/Log.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/PerformanceCounters.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char kDefaults[] = "LoadConfig { music_volume = 40 }";
const char kConst[] = "LoadConstConfig { ShortcutKeyTimeout = 1000 }";
EmbeddedFileRegistration s_Defaults("LoopApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
EmbeddedFileRegistration s_Const("LoopApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

std::vector<std::string>* g_Trace = nullptr;

void Trace(const std::string& what)
{
    if (g_Trace)
        g_Trace->push_back(what);
}

// Time stands still unless the loop sleeps.
class SteppedLoopClock : public LoopClock
{
public:
    uint32_t GetTicks() override { return now; }
    void Delay(uint32_t milliseconds) override
    {
        delays.push_back(milliseconds);
        now += milliseconds;
    }
    uint32_t now = 1000;
    std::vector<uint32_t> delays;
};

class LoopApp : public Application
{
public:
    LoopApp() : Application("LoopApp", "Loop Test", AppCodeFromString("LOOP"), 800, 600) {}
    void UpdateScreens() override { Trace("ticking"); }
    void DrawScreens() override { Trace("drawing"); }
    bool OnAppQuit(const EventRecord&) override
    {
        Trace("app quit");
        return true;
    }
};

class Recorder : public Object
{
public:
    explicit Recorder(std::string name) : m_Name(std::move(name)) {}
    ~Recorder() override { Trace(m_Name + " deleted"); }
    bool OnSelect(const EventRecord& e) override
    {
        Trace(m_Name + " got " + std::to_string(e.user.code));
        if (e.user.code == 1)
            APP->PostEvent(this, MakeEventRecord(VELK_SELECT, 3));
        return true;
    }
    bool OnAnimationFinished(Event* e) override
    {
        Trace(m_Name + " got event");
        payloadUses = e->payload.use_count();
        return true;
    }
    bool OnTimer(const EventRecord&) override
    {
        Trace(m_Name + " timer");
        return true;
    }
    long payloadUses = 0;

private:
    std::string m_Name;
};

class MainLoopTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("velk-loop-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "cwd" / "data");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(root / "cwd");
        g_Trace = &trace;
        app = std::make_unique<LoopApp>();
        std::string program = (root / "LoopApp").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "--log0"};
        app->InitEngine(5, args);
        app->SetLoopClock(&clock);
        app->StartLoop();
    }
    void TearDown() override
    {
        g_Trace = nullptr;
        app.reset();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }
    std::filesystem::path TechnicalSupportFiles() const
    {
        return root / "data" / "Loop Test Documents" / "Technical Support Files";
    }
    std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    std::vector<std::string> trace;
    SteppedLoopClock clock;
    std::unique_ptr<LoopApp> app;
};

} // namespace

TEST_F(MainLoopTest, AnObjectWhoseSettingDetachFailsIsStillDeletedAndForgotten)
{
    Config* config = app->GetConfig();
    ASSERT_NE(config, nullptr);
    auto* binder = new ConfigDataBinder("loop_setting");
    VelkLuaState::LoadStringA(app->GetLuaState(), "Config_DetachObserver = function() error('detach refused', 0) end",
                              0, 0);
    ::testing::internal::CaptureStdout();
    delete binder;
    std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("WARNING: ConfigDataBinder could not detach from \"loop_setting\": detach refused"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("WARNING: Object::~Object: detach refused"), std::string::npos) << log;
    // Off the list all the same: a later write must not reach the freed binder.
    EXPECT_TRUE(app->GetLuaState().GetGlobal("Config_Metadata")["loop_setting"]["observers"].IsNil());
    config->Store("loop_setting", Variant(20.0));
    EXPECT_EQ(config->GetDouble("loop_setting"), 20);
}

TEST_F(MainLoopTest, EventsDrainBothQueuesInOrderWithinOnePass)
{
    Recorder recorder("r");
    SDL_Event sdlEvent{};
    sdlEvent.type = SDL_USEREVENT;
    ASSERT_EQ(SDL_PushEvent(&sdlEvent), 0);
    app->PostEvent(&recorder, MakeEventRecord(VELK_SELECT, 1));  // posts 3 while handled
    app->PostEvent(&recorder, MakeEventRecord(VELK_SELECT, 2));
    app->RunPass();
    EXPECT_EQ(trace, (std::vector<std::string>{"r got 1", "r got 2", "r got 3", "ticking", "drawing"}));
}

TEST_F(MainLoopTest, PayloadsAreReleasedOnceAfterTheLastDelivery)
{
    Recorder first("first"), second("second");
    auto payload = std::make_shared<LuaObject>();
    payload->AssignNewTable(app->GetLuaState());
    PostNewEvent(VELK_ANIMATIONFINISHED, &first, nullptr, payload);
    PostNewEvent(VELK_ANIMATIONFINISHED, &second, nullptr, payload);
    EXPECT_EQ(payload.use_count(), 3);
    app->RunPass();
    EXPECT_EQ(first.payloadUses, 3);
    EXPECT_EQ(payload.use_count(), 1);
}

TEST_F(MainLoopTest, ObjectsAreDeletedOnlyInTheDeletionPhase)
{
    auto* doomed = new Recorder("doomed");
    doomed->Destroy();
    app->PostEvent(doomed, MakeEventRecord(VELK_SELECT, 7));  // still alive while events run
    auto* gone = new Recorder("gone");
    app->PostEvent(gone, MakeEventRecord(VELK_SELECT, 8));
    delete gone;  // deleted before dispatch: its record is dropped
    trace.clear();
    app->RunPass();
    EXPECT_EQ(trace, (std::vector<std::string>{"doomed got 7", "ticking", "drawing", "doomed deleted"}));
    trace.clear();
    app->RunPass();
    EXPECT_EQ(trace, (std::vector<std::string>{"ticking", "drawing"}));
}

TEST_F(MainLoopTest, APausedPassRunsOnlyTheShellAndTheEvents)
{
    Recorder recorder("r");
    app->GetTimerManager()->CreateTimer(&recorder, 32, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
    app->DoPauseApp(true);
    clock.delays.clear();
    app->PostEvent(&recorder, MakeEventRecord(VELK_SELECT, 2));
    app->RunPass();  // the pause shows in this pass: nothing but events, then a short sleep
    EXPECT_EQ(trace, (std::vector<std::string>{"r got 2"}));
    EXPECT_EQ(clock.delays, std::vector<uint32_t>{10});
    trace.clear();
    app->DoPauseApp(false);
    app->RunPass();
    EXPECT_EQ(trace, (std::vector<std::string>{"r timer", "ticking", "drawing"}));
}

TEST_F(MainLoopTest, TheQuitPassCompletesAndSendsTheQuitEvent)
{
    auto* doomed = new Recorder("doomed");
    doomed->Destroy();
    app->Quit();
    app->RunPass();
    EXPECT_FALSE(app->IsRunning());
    EXPECT_EQ(trace, (std::vector<std::string>{"ticking", "drawing", "app quit", "doomed deleted"}));
}

TEST_F(MainLoopTest, EachPassWaitsOutItsTickAndSlowModeStretchesIt)
{
    clock.delays.clear();
    app->RunPass();
    clock.now += 5;  // time passes between passes
    app->RunPass();
    app->SetSlowMode(true);
    app->RunPass();
    app->RunPass();
    ASSERT_EQ(clock.delays.size(), 4u);
    EXPECT_EQ(clock.delays[0], 32u);
    EXPECT_EQ(clock.delays[1], 27u);
    EXPECT_EQ(clock.delays[2], 32u);   // the tick was set before slow mode began
    EXPECT_EQ(clock.delays[3], 960u);
}

TEST_F(MainLoopTest, TheTickLogNamesThePhasesInOrder)
{
    app->ApplyBoolProperty("logTickInfo", true);
    app->RunPass();
    app->RunPass();
    app->ApplyBoolProperty("logTickInfo", false);
    app->RunPass();
    // Beside the engine's log, not in the program's folder.
    EXPECT_FALSE(std::filesystem::exists(root / "cwd" / kTimeCountersLogFile));
    std::string log = Read(TechnicalSupportFiles() / kTimeCountersLogFile);
    std::string header = log.substr(0, log.find('\n'));
    size_t at = 0;
    for (const char* phase : {"all", "shell", "events", "timers", "delayed rollover reset", "ticking", "drawing",
                              "updating screen", "wait for tick end", "flagged deletions", "tick delay"}) {
        size_t found = header.find(phase, at);
        ASSERT_NE(found, std::string::npos) << phase << " in " << header;
        at = found;
    }
}

TEST_F(MainLoopTest, ATickLogFolderThatTakesNoFilesSwitchesTickLoggingOff)
{
    // A file where the folder should be: nothing can be created in it.
    std::filesystem::remove_all(TechnicalSupportFiles());
    std::ofstream(TechnicalSupportFiles()) << "in the way";
    app->ApplyBoolProperty("logTickInfo", true);
    ClearLogCache();
    ASSERT_NO_THROW(app->RunPass());
    EXPECT_FALSE(app->RetrieveBoolProperty("logTickInfo", true));
    std::string log;
    for (const std::string& line : GetCachedLogLines())
        log += line;
    EXPECT_NE(log.find("WARNING: Could not create a temporary file in \"" + TechnicalSupportFiles().string() +
                       "/\", reason=\"Not a directory\""),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("WARNING: Could not start measuring performance!"), std::string::npos) << log;
    EXPECT_EQ(log.find("Assertion failed"), std::string::npos) << log;
    EXPECT_NO_THROW(app->RunPass());
}

TEST_F(MainLoopTest, ThePauseFollowsTheFocusAndTheIconifiedState)
{
    auto active = [](int gain, int state) {
        EventRecord record{};
        record.active.type = SDL_ACTIVEEVENT;
        record.active.gain = static_cast<Uint8>(gain);
        record.active.state = static_cast<Uint8>(state);
        return record;
    };
    const struct
    {
        int gain, state;
        bool paused;
        const char* what;
    } steps[] = {
        {0, SDL_APPINPUTFOCUS, true, "another window took the focus"},
        {1, SDL_APPINPUTFOCUS, false, "the focus came back"},
        {0, SDL_APPMOUSEFOCUS, false, "the pointer left"},
        {0, SDL_APPACTIVE, true, "iconified"},
        {1, SDL_APPACTIVE, false, "restored"},
        {0, SDL_APPINPUTFOCUS | SDL_APPACTIVE, true, "both lost at once"},
        {1, SDL_APPINPUTFOCUS | SDL_APPACTIVE, false, "both back at once"},
    };
    for (const auto& step : steps) {
        app->OnEvent(active(step.gain, step.state));
        EXPECT_EQ(app->IsPaused(), step.paused) << step.what;
    }

    // The focus given to a window that is still iconified does not resume it.
    app->WindowProc(nullptr, WM_SIZE, SIZE_MINIMIZED, 0);
    app->OnEvent(active(0, SDL_APPACTIVE));
    app->OnEvent(active(1, SDL_APPINPUTFOCUS));
    EXPECT_TRUE(app->IsPaused());
    app->WindowProc(nullptr, WM_SIZE, SIZE_RESTORED, 0);
    app->OnEvent(active(1, SDL_APPACTIVE));
    EXPECT_FALSE(app->IsPaused());

    app->ApplyBoolProperty("NoPauseOnFocusLoss", true);
    app->OnEvent(active(0, SDL_APPINPUTFOCUS));
    EXPECT_FALSE(app->IsPaused());
}
