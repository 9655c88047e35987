#include "engine/ui/DrawOrderIterators.h"

#include "engine/core/Exception.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"

FullReverseDrawTreeIterator::FullReverseDrawTreeIterator(const ScreenManager* manager, Filter filter)
    : m_Manager(manager), m_Filter(std::move(filter))
{
    m_State = STATE_OVERLAY;
    Actor* overlay = m_Manager ? m_Manager->GetGlobalOverlay() : nullptr;
    if (!StartTree(overlay))
        NextTree();
}

FullReverseDrawTreeIterator::~FullReverseDrawTreeIterator() = default;

bool FullReverseDrawTreeIterator::StartTree(Actor* root)
{
    m_Walkers.clear();
    if (!root || Skips(*root))
        return false;
    m_Walkers.push_back({root, root->CreateReverseDrawIterator()});
    Descend();
    return true;
}

void FullReverseDrawTreeIterator::Descend()
{
    for (;;) {
        ActorIterator& children = *m_Walkers.back().children;
        while (children.HasValue() && Skips(*children.GetValue()))
            children.Advance();
        if (!children.HasValue())
            return;
        Actor* child = children.GetValue();
        m_Walkers.push_back({child, child->CreateReverseDrawIterator()});
    }
}

void FullReverseDrawTreeIterator::NextTree()
{
    m_Walkers.clear();
    if (m_State == STATE_OVERLAY) {
        m_State = STATE_SCREEN;
        Screen* screen = m_Manager ? m_Manager->GetCurrentScreen() : nullptr;
        if (screen && StartTree(screen))
            return;
    }
    m_State = STATE_FINISHED;
}

Actor* FullReverseDrawTreeIterator::GetValue() const
{
    switch (m_State) {
    case STATE_OVERLAY:
    case STATE_SCREEN:
        return m_Walkers.back().actor;
    case STATE_FINISHED:
        VELK_ASSERT_MSG(m_State != STATE_FINISHED, "Cannot retrieve a value from a finished iterator.");
        return nullptr;
    default:
        VELK_ASSERT_MSG(false, "An unknown error has occurred.");
        return nullptr;
    }
}

void FullReverseDrawTreeIterator::Advance()
{
    switch (m_State) {
    case STATE_OVERLAY:
    case STATE_SCREEN:
        // The deepest actor has been yielded: its parent's walk moves on.
        m_Walkers.pop_back();
        if (m_Walkers.empty()) {
            NextTree();
            return;
        }
        m_Walkers.back().children->Advance();
        Descend();
        return;
    case STATE_FINISHED:
        VELK_ASSERT_MSG(m_State != STATE_FINISHED, "Cannot advance a finished iterator.");
        return;
    default:
        VELK_ASSERT_MSG(false, "An unknown error has occurred.");
        return;
    }
}
