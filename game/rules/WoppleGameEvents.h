#pragma once

#include "engine/core/Events.h"

// The game's own event numbers, after the engine's. The application registers
// them by name at start in this order; 57 to 59 are never raised but keep their
// places so that the others keep their numbers.
enum WoppleEventType
{
    WOPPLE_BLASTCELLCLICK = VELK_LAST_ENGINE_EVENT + 2,  // 57
    WOPPLE_BLASTWHEELFINISHED,
    WOPPLE_BOARDNUMBERSGENERATED,
    WOPPLE_CELLCLICK,  // 60
    WOPPLE_COUNTDOWNFINISHED,
    WOPPLE_LEVELCOMPLETED,
    WOPPLE_PARTICIPANTACTION,
    WOPPLE_PATTERNCOMPLETIONANIMATIONFINISHED,
    WOPPLE_WOPPLEANIMATIONFINISHED,  // 65
    WOPPLE_SUPERWOPPLEANIMATIONFINISHED,
    WOPPLE_TREASUREBOXANIMATIONFINISHED,
    WOPPLE_WHEELANIMATIONUPDATE,
    WOPPLE_CELLENTER,
    WOPPLE_CELLLEAVE,  // 70
    WOPPLE_MAKEMATCH,
    WOPPLE_WOPPLEREVERSEANIMATIONFINISHED,
    WOPPLE_MATCHQUEUED,
    WOPPLE_MATCHQUEUEEMPTY,  // 74
    WOPPLE_FIRST_GAME_EVENT = WOPPLE_BLASTCELLCLICK,
    WOPPLE_LAST_GAME_EVENT = WOPPLE_MATCHQUEUEEMPTY,
};

static_assert(WOPPLE_BLASTCELLCLICK == 57 && WOPPLE_MATCHQUEUEEMPTY == 74);

inline bool IsWoppleGameEvent(int type)
{
    return type >= WOPPLE_FIRST_GAME_EVENT && type <= WOPPLE_LAST_GAME_EVENT;
}

// The counted Event a game event's record carries in its first data word.
inline Event* WoppleEventOfRecord(const EventRecord& record)
{
    return static_cast<Event*>(record.user.data1);
}
