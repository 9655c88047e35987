#pragma once

#include "engine/core/Object.h"

#include <deque>
#include <string>

class WoppleCellView;
class WoppleOldSchoolBaseLogic;

// The scoring logic of an old-school round: every matched cell is queued here
// and turned into its consequences one at a time, in a fixed order: its
// announcement, a full board among several, its hidden bonus, its completed
// lines, its super lines. Whenever it comes back to "WaitForMatch" with an
// empty queue it posts WOPPLE_MATCHQUEUEEMPTY to the game logic, which waits
// for that before the spin ends. Its states are in OutputStates.
class WoppleOutputBaseLogic : public Object
{
public:
    // Makes the states and runs on to "WaitForMatch".
    explicit WoppleOutputBaseLogic(WoppleOldSchoolBaseLogic& logic);
    ~WoppleOutputBaseLogic() override;

    // Queues a cell already marked matched; when idle, WOPPLE_MATCHQUEUED wakes this logic.
    virtual void QueueMatch(WoppleCellView* cell);
    // No queued match and waiting for one.
    virtual bool IsIdle() const;
    // Logs "output Logic SetState: <name>" at level 3 and switches.
    virtual void SetState(const std::string& name);
    virtual void CreateStates();

    // The front of the queue becomes the current match; false when the queue is empty.
    bool TakeNextMatch();
    WoppleOldSchoolBaseLogic& GetGameLogic() const { return m_Logic; }
    WoppleCellView* GetCurrentMatch() const { return m_CurrentMatch; }
    std::size_t GetQueueLength() const { return m_Queue.size(); }

private:
    WoppleOldSchoolBaseLogic& m_Logic;
    std::deque<WoppleCellView*> m_Queue;
    WoppleCellView* m_CurrentMatch = nullptr;
};
