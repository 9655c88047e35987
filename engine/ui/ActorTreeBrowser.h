#pragma once

#include "engine/runtime/Utility.h"

#include <functional>

class Actor;

// Lets the developer's actor dump ("PrintActorInfo") walk the actor tree. The
// current screen comes from whoever owns the screens.
class ActorTreeBrowser : public ActorTreeAccess
{
public:
    using ScreenSource = std::function<Actor*()>;

    // Installs itself for "PrintActorInfo"; the destructor removes it.
    explicit ActorTreeBrowser(ScreenSource currentScreen);
    ~ActorTreeBrowser() override;
    ActorTreeBrowser(const ActorTreeBrowser&) = delete;
    ActorTreeBrowser& operator=(const ActorTreeBrowser&) = delete;

    Object* GetCurrentScreen() override;
    Object* FindActorBelow(Object* start, const std::string& name) override;
    std::vector<Object*> GetChildren(Object* actor) override;

private:
    ScreenSource m_CurrentScreen;
};
