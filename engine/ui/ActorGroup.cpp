#include "engine/ui/ActorGroup.h"

#include "engine/ui/Actor.h"

#include <algorithm>

VELK_REGISTER_CLASS(ActorGroup, "Object", nullptr, InstantiateObjectOfClass<ActorGroup>);

ActorGroup::~ActorGroup()
{
    Clear();
}

bool ActorGroup::OnEvent(const EventRecord& event)
{
    if (Object::OnEvent(event))
        return true;
    // A handler may change the membership: members that left are skipped.
    std::vector<Actor*> members = m_Members;
    for (Actor* member : members)
        if (HasMember(member) && member->OnEvent(event))
            return true;
    return false;
}

void ActorGroup::AddMember(Actor* actor)
{
    m_Members.push_back(actor);
    actor->AddSecondaryListener(this);
}

bool ActorGroup::HasMember(const Actor* actor) const
{
    return std::find(m_Members.begin(), m_Members.end(), actor) != m_Members.end();
}

void ActorGroup::DropMember(Actor* actor)
{
    m_Members.erase(std::remove(m_Members.begin(), m_Members.end(), actor), m_Members.end());
}

void ActorGroup::Clear()
{
    std::vector<Actor*> members = m_Members;
    for (Actor* member : members) {
        DropMember(member);
        member->RemoveListener(this);
    }
}

void ActorGroup::UpdateMembers()
{
    std::vector<Actor*> members = m_Members;
    for (Actor* member : members)
        if (HasMember(member))
            member->Update();
}
