#pragma once

// The game for the benchmarks: headless on the built data (or in a window
// for the accelerated display), four named players, time a tick a pass, and
// its busiest frame timed pass by pass.

#include "engine/core/Log.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleAutoPlayer.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/rules/WoppleInfo.h"
#include "game/rules/WoppleOldSchoolBaseLogic.h"
#include "game/shell/WoppleApp.h"
#include "game/shell/WoppleGameScreen.h"
#include "game/shell/WoppleGameStart.h"
#include "game/views/WoppleAnimation.h"
#include "game/views/WoppleBoardView.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

namespace gamebench {

// Game time advances a tick a pass and is never waited for.
class FreeRunningClock : public LoopClock
{
public:
    std::uint32_t GetTicks() override { return now += 32; }
    void Delay(std::uint32_t) override {}
    std::uint32_t now = 0;
};

inline WoppleOldSchoolBaseLogic* CurrentRound()
{
    WoppleGameScreen* screen = WoppleGameScreen::GetInstance();
    auto* manager = screen ? dynamic_cast<WoppleGameLogicManager*>(screen->GetGameLogic()) : nullptr;
    return manager ? dynamic_cast<WoppleOldSchoolBaseLogic*>(manager->GetCurrentGame()) : nullptr;
}

// The game on the built data, with four named players: headless, or in a
// window with acceleration asked for.
struct GameBench
{
    explicit GameBench(bool inWindow = false)
    {
        const std::filesystem::path root = std::filesystem::temp_directory_path() / "wopple-bench";
        std::filesystem::remove_all(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        if (inWindow)
            unsetenv("SDL_VIDEODRIVER");
        else
            setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::filesystem::create_directories(root);
        std::filesystem::current_path(std::filesystem::path(WOPPLE_BENCH_DATA_DIR).parent_path());
        app = std::make_unique<WoppleApp>();
        const std::string program = (root / "Wopple2").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "--log0",
                              inWindow ? "--hwaccel" : "--nohwaccel"};
        app->InitEngine(6, args);
        app->SetLoopClock(&clock);
        // Headless, SDL's dummy driver takes the frames; in a window they are shown.
        app->CreateWindow();
        app->StartLoop();
        app->InitGame();
        Lua("for i, name in ipairs{ 'Ann', 'Ben', 'Cat', 'Dov' } do Players[i].Name = name end\n"
            "SetCurrentPlayerFromIndex(1, 1)\n"
            "Players[1].Options['ClassicGame.levelIntroDialog.shown'] = true\n"
            "SwitchToScreen('MenuScreen')");
        Passes(10);
    }

    void Lua(const std::string& code)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(code) != 0)
            throw std::runtime_error(lua.PopErrorMessage());
    }

    void Passes(int n)
    {
        for (int i = 0; i < n; ++i)
            app->RunPass();
    }

    FreeRunningClock clock;
    std::unique_ptr<WoppleApp> app;
};

inline int SpinningReels(WoppleOldSchoolBaseLogic& round)
{
    WoppleWheelSetView* reels = round.GetWheelsView();
    int spinning = 0;
    for (int i = 1; reels && i <= reels->GetNumWheels(); ++i)
        spinning += reels->GetWheelView(i)->GetWheelType(false) == WheelTypeSpinning ? 1 : 0;
    return spinning;
}

inline double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Times passes while all five reels spin, a line of the board lights up and a
// burst flies: the player pulls the lever and clicks between the windows,
// untimed; each timed pass is one frame of that window.
inline void TimeBusiestFrames(GameBench& game, benchmark::State& state)
{
    // Without a display the passes would update and draw nothing.
    if (!game.app->GetDisplayManager() || !game.app->GetDisplayManager()->GetBackend()) {
        state.SkipWithError("no display back end: the frames would not be drawn");
        return;
    }
    StartClassicGame();
    WoppleAutoPlayer::Options options;
    options.seed = 7;
    options.rounds = 1 << 20;
    WoppleAutoPlayer player(CurrentRound, options);
    std::unique_ptr<WoppleAnimation> line;
    bool inWindow = false;
    for (auto _ : state) {
        WoppleOldSchoolBaseLogic* round = CurrentRound();
        while (!round || SpinningReels(*round) < 5) {
            inWindow = false;
            player.Step();
            game.app->RunPass();
            round = CurrentRound();
        }
        if (!inWindow) {
            inWindow = true;
            // The top row lights up as a scored line would, with its bursts.
            WoppleLineInfo row{round->GetBoardView(1), 1, 1, 1};
            line.reset(round->ShowWoppleScore(row));
            line->Start();
            if (WoppleGameScreen* screen = WoppleGameScreen::GetInstance())
                for (int x : {260, 400, 540})
                    screen->StartParticleEmitter("YellowBurstEffect", x, 300);
        }
        const auto start = std::chrono::steady_clock::now();
        game.app->RunPass();
        state.SetIterationTime(Milliseconds(std::chrono::steady_clock::now() - start) / 1000.0);
    }
    line.reset();
}
} // namespace gamebench
