#pragma once

#include "engine/core/Object.h"

#include <vector>

class Actor;

// A set of actors that is offered events as one (a dialog's buttons, a set of
// radio buttons, the actor under the pointer). It does not own its members;
// an actor leaves its groups when it goes.
class ActorGroup : public Object
{
    VELK_DECLARE_CLASS(ActorGroup)
public:
    ActorGroup() = default;
    // Every member leaves.
    ~ActorGroup() override;

    // Own state and handlers first, then each member in order until one handles it.
    bool OnEvent(const EventRecord& event) override;
    virtual void AddMember(Actor* actor);
    bool HasMember(const Actor* actor) const;
    // Only the group's side: the actor keeps the group in its memberships.
    void DropMember(Actor* actor);
    void Clear();
    void UpdateMembers();
    const std::vector<Actor*>& GetMembers() const { return m_Members; }
    std::size_t GetNumMembers() const { return m_Members.size(); }

private:
    std::vector<Actor*> m_Members;
};
