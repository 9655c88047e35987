#pragma once

#include "engine/core/Events.h"
#include "engine/core/Object.h"
#include "engine/runtime/ScreenHost.h"
#include "engine/ui/ActorTreeBrowser.h"

#include <memory>
#include <string>
#include <vector>

class Actor;
class ActorGroup;
class Canvas;
class FPSCounter;
class ResourceMemoryUsageCounter;
class Screen;
class ViewableTransition;

// VELK_SCREENTRANSITION: every screen hears of a switch; the one equal to
// `newScreen` enters and the one equal to `oldScreen` leaves.
class ScreenTransitionEvent : public Event
{
public:
    ScreenTransitionEvent(Object* sender, Screen* oldScreen, Screen* newScreen)
        : Event(VELK_SCREENTRANSITION, sender), oldScreen(oldScreen), newScreen(newScreen)
    {
    }

    int kind = 1;
    Screen* oldScreen;
    Screen* newScreen;
};

// Holds every screen under its name, knows the current one, switches between
// them, draws and updates the current screen and routes events to it, and
// keeps a global overlay above all screens and the developer overlays above
// that. Scripts see the screens in the table "Screens" (also "ScreenManager"),
// whose key "currentScreen" holds the current screen. It is the application's
// ScreenHost, made at start-up.
class ScreenManager : public Object, public ScreenHost
{
public:
    ScreenManager();
    // Deletes every screen of the table and the overlays.
    ~ScreenManager() override;

    // The running application's screen manager, or null.
    static ScreenManager* GetInstance();

    // Own handlers first, then the global overlay, then the current screen.
    bool OnEvent(const EventRecord& event) override;
    // The current screen, then the transition until it is finished.
    void Update() override;
    // The transition in place of the current screen, then the global overlay.
    void Draw(Canvas& canvas);

    // ---- ScreenHost
    void UpdateScreens() override { Update(); }
    // Draw, then the developer overlays.
    void DrawScreens(Canvas& canvas) override;
    bool OfferEvent(const EventRecord& event) override { return OnEvent(event); }
    void ResetRolloverAt(int x, int y, bool hasMouseFocus) override;
    bool IsDialogShown() override;
    void ResetWindow() override { UpdateWindowButtons(); }
    void SwitchToNoScreen() override { DoSwitchToScreen(nullptr, true); }
    // Each overlay is made when shown and deleted when hidden.
    void ShowOverlays(bool frameRate, int memoryCategory) override;
    void CountPass(std::uint32_t start, std::uint32_t end) override;

    // The actor under the pointer, or null.
    Actor* GetRolloverActor() const;
    FPSCounter* GetFPSCounter() const { return m_FPSCounter.get(); }
    ResourceMemoryUsageCounter* GetResourceMemoryUsageCounter() const { return m_ResourceMemoryUsageCounter.get(); }

    // The manager owns the screen from now on; its name must be new.
    void AddScreen(Screen* screen);
    // An empty name gives the current screen (or null).
    Screen* GetScreen(const std::string& name) const;
    Screen* GetCurrentScreen() const;
    void SwitchToScreen(const std::string& name);
    // Null leaves no screen. Every screen hears of the switch, at once or
    // through the queue; then video memory is emptied.
    void DoSwitchToScreen(Screen* screen, bool sendAtOnce);
    // Every screen of the table, in the table's order.
    std::vector<Screen*> GetScreens() const;

    Actor* GetGlobalOverlay() const { return m_GlobalOverlay.get(); }
    // Takes the transition (null drops the one set).
    void SetTransition(ViewableTransition* transition);
    ViewableTransition* GetTransition() const { return m_Transition.get(); }

    // "WindowButtons" shows only when allowed here and the window is full screen.
    void SetShowWindowButtons(bool show);
    bool GetShowWindowButtons() const { return m_ShowWindowButtons; }
    Actor* GetWindowButtons() const { return m_WindowButtons; }
    void UpdateWindowButtons();

    bool OnButtonClick(const EventRecord& event) override;
    bool OnDisplayChange(const EventRecord& event) override;
    bool OnResetWindow(const EventRecord& event) override;

private:
    void CreateWindowsButtons();

    std::unique_ptr<ViewableTransition> m_Transition;
    LuaObject m_ScreenDictionary;
    std::unique_ptr<Actor> m_GlobalOverlay;
    // Holds at most the actor under the pointer.
    std::unique_ptr<ActorGroup> m_RolloverGroup;
    std::unique_ptr<FPSCounter> m_FPSCounter;
    std::unique_ptr<ResourceMemoryUsageCounter> m_ResourceMemoryUsageCounter;
    Actor* m_WindowButtons = nullptr;
    bool m_ShowWindowButtons = true;
    // "PrintActorInfo" starts at the current screen.
    ActorTreeBrowser m_TreeBrowser;
};
