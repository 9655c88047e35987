#pragma once

// The game's events by number; WoppleApp registers their names in this order from 57.
enum WoppleEventType
{
    // the board
    WOPPLE_CELLCLICK = 60,
    WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED = 64,
    WOPPLE_WOPPLEANIMATIONFINISHED = 65,
    WOPPLE_SUPERWOPPLEANIMATIONFINISHED = 66,
    WOPPLE_CELLENTER = 69,
    WOPPLE_CELLLEAVE = 70,
    WOPPLE_WOPPLEREVERSEANIMATIONFINISHED = 72,
};
