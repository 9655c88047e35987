#pragma once

#include "engine/runtime/Application.h"

#include <cstdint>

// The main loop's clock for tests: time moves only by the loop's own delays.
class SteppedLoopClock : public LoopClock
{
public:
    uint32_t GetTicks() override { return now; }
    void Delay(uint32_t milliseconds) override { now += milliseconds; }
    uint32_t now = 1000;
};
