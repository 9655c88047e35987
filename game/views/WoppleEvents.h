#pragma once

// The game's events by number; WoppleApp registers their names in this order from 57.
enum WoppleEventType
{
    // the reels
    WOPPLE_WHEELANIMATIONUPDATE = 68,
};
