#pragma once

#include "engine/core/Object.h"
#include "game/rules/WoppleEventHandler.h"

#include <string>

class Actor;
class Screen;
class WoppleScreen;

// What a game logic asks of the game screen that shows it, beyond what every
// WoppleScreen does. The game screen implements it; a screen without it simply
// shows no quit or options dialog for the logic.
class WoppleGameLogicHost
{
public:
    virtual ~WoppleGameLogicHost() = default;
    virtual void ShowAreYouSureQuitDialog() = 0;
    virtual void ShowOptionsDialog() = 0;
};

// The base of everything that runs the rules of a game on the game screen: the
// game-logic manager and every mode logic. It builds and owns the root actor
// that holds the mode's layout, wires the screen's options, help and quit
// buttons, pauses once when the window loses focus, and offers every event in
// the rules' order: the scoring logic, the current participant, its own state,
// its own handlers (game events before engine ones). Once marked for deletion
// it takes no event at all.
//
// Going away: the logic deletes its states while it is still whole, each state
// freeing its own timers (see WoppleTimer); the engine then frees whatever
// timer is still addressed to the logic and drops its queued events and its
// places in observer lists.
class WoppleGameLogic : public Object, public WoppleEventHandler
{
public:
    WoppleGameLogic();
    ~WoppleGameLogic() override;

    Class* GetClass() const override { return s_Class; }
    bool OnEvent(const EventRecord& event) override;
    // Game events to their game handlers first; the engine handlers never see one.
    bool RouteEvent(const EventRecord& event) override;
    // The root actor's children, then its scripts once.
    void Update() override;

    // CreateStates, the root actor under the target screen with the layout of
    // GetScreenLayoutName, InitControls, ResetBoardViews, the help button placed.
    virtual void CreateRootActor();
    // Switches to the state "InitialState".
    virtual void Start();
    // Destroys the root actor (deferred) and sets the music tempo back; twice is harmless.
    virtual void Stop();
    virtual void ApplyPause(bool pause);
    virtual void ShowHelp() {}
    virtual void CreateStates() = 0;
    // Registers the logic with "optionsButton", "helpButton" and "quitButton".
    virtual void InitControls();
    virtual void ResetBoardViews() {}
    virtual std::string GetScreenLayoutName() const = 0;
    virtual std::string GetNameOfGameMode() const = 0;
    // A new empty table; the mode logics fill theirs.
    virtual LuaObject GetRoundResults();

    bool OnActiveEvent(const EventRecord& event) override;
    bool OnButtonPress(const EventRecord& event) override;
    bool OnButtonClick(const EventRecord& event) override;

    // Where the logic is shown; the screen links itself with SetGameLogic.
    void SetTargetScreen(WoppleScreen* screen) { m_TargetScreen = screen; }
    WoppleScreen* GetTargetScreen() const { return m_TargetScreen; }
    // Null once the root actor is gone, whoever deleted it.
    Actor* GetRootActor() const;
    bool IsPausedForFocus() const { return m_FocusPause != 0; }

    // Switches screens; going to "MapScreen" also puts the map into "AdvanceToNewIsland"
    // (without a map in this build: the menu).
    static void GoToScreen(const std::string& screenName);
    // Shows the map and returns it; without a map in this build, the menu
    // (with a warning) and null, so the player is never left on a finished round.
    static Screen* SwitchToMapOrMenu();

    static Class* s_Class;
    static int Script_GetNameOfGameMode(lua_State* L);

protected:
    // Who sees an event before the logic's own state: the scoring logic and the
    // current participant's logic of a mode logic. None in the base.
    virtual Object* GetOutputLogic() const { return nullptr; }
    virtual Object* GetCurrentParticipantLogic() const { return nullptr; }

    WoppleScreen* m_TargetScreen = nullptr;
    Actor* m_RootActor = nullptr;
    // The root actor's Lua self: it leads nowhere once the actor is deleted, so
    // a screen torn down before the logic leaves no dangling root behind.
    LuaObject m_RootActorSelf;
    unsigned char m_FocusPause = 0;
};
