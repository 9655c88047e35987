#pragma once

#include "engine/ui/Actor.h"

#include <functional>
#include <memory>
#include <vector>

class ScreenManager;

// Every drawn actor from the topmost down: the screen manager's global overlay
// first, then the current screen; in each tree a subtree comes before its root
// and siblings in reverse drawing order. The filter, when set, names actors
// whose whole subtree is skipped. Each level's walk is made only as the
// iterator descends into it, so a search that stops early touches little.
class FullReverseDrawTreeIterator : public ActorIterator
{
public:
    using Filter = std::function<bool(const Actor&)>;

    FullReverseDrawTreeIterator(const ScreenManager* manager, Filter filter);
    ~FullReverseDrawTreeIterator() override;
    FullReverseDrawTreeIterator(const FullReverseDrawTreeIterator&) = delete;
    FullReverseDrawTreeIterator& operator=(const FullReverseDrawTreeIterator&) = delete;

    Actor* GetValue() const override;
    bool HasValue() const override { return m_State != STATE_FINISHED; }
    void Advance() override;

private:
    enum State
    {
        STATE_OVERLAY = 1,
        STATE_SCREEN = 2,
        STATE_FINISHED = 3,
    };
    // One level of the descent: an actor and the walk over what it draws.
    struct Walker
    {
        Actor* actor;
        std::unique_ptr<ActorIterator> children;
    };

    bool Skips(const Actor& actor) const { return m_Filter && m_Filter(actor); }
    // Starts a tree at the root; false when the filter skips all of it.
    bool StartTree(Actor* root);
    // Goes down from the deepest walker to the first actor with nothing left above it.
    void Descend();
    // The tree in hand is done: the next one, or the end.
    void NextTree();

    const ScreenManager* m_Manager;
    Filter m_Filter;
    std::vector<Walker> m_Walkers;
    int m_State = STATE_FINISHED;
};
