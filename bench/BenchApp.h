#pragma once

#include "engine/runtime/Application.h"

#include <memory>

// The loop never sleeps: the cost measured is the pass itself.
class FreeRunningClock : public LoopClock
{
public:
    uint32_t GetTicks() override { return now += 32; }
    void Delay(uint32_t) override {}
    uint32_t now = 0;
};

// The engine brought up once for every benchmark that needs the application
// (there can be only one), headless, with its main loop started.
struct BenchApp
{
    BenchApp();
    FreeRunningClock clock;
    std::unique_ptr<Application> app;
};

BenchApp& TheBenchApp();
