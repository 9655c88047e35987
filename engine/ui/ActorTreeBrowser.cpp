#include "engine/ui/ActorTreeBrowser.h"

#include "engine/ui/Actor.h"

ActorTreeBrowser::ActorTreeBrowser(ScreenSource currentScreen) : m_CurrentScreen(std::move(currentScreen))
{
    SetActorTreeAccess(this);
}

ActorTreeBrowser::~ActorTreeBrowser()
{
    SetActorTreeAccess(nullptr);
}

Object* ActorTreeBrowser::GetCurrentScreen()
{
    return m_CurrentScreen ? m_CurrentScreen() : nullptr;
}

Object* ActorTreeBrowser::FindActorBelow(Object* start, const std::string& name)
{
    auto* actor = dynamic_cast<Actor*>(start);
    return actor ? actor->FindChild(name, true) : nullptr;
}

std::vector<Object*> ActorTreeBrowser::GetChildren(Object* object)
{
    std::vector<Object*> children;
    if (auto* actor = dynamic_cast<Actor*>(object))
        children.assign(actor->GetChildren().begin(), actor->GetChildren().end());
    return children;
}
