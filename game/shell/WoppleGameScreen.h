#pragma once

#include "engine/ui/ActorGroup.h"
#include "game/rules/WoppleGameLogic.h"
#include "game/shell/WoppleScreen.h"

#include <string>

class ParticleEmitter;
class ParticleManager;

// The screen every game mode is played on ("GameScreen"). It hosts the current
// game logic: the logic sees every event and every pass before the screen,
// builds its root actor and starts when the screen is entered, and is stopped
// and destroyed when the screen is left. Beside the logic's layout it keeps a
// layer for speech and note bubbles ("BubbleLayer", layer 999) and the
// particles of every emitter started here (layer 996).
//
// A logic is attached with SetGameLogic before the switch here; arriving
// without one (a switch from the console) warns and goes back to the menu.
class WoppleGameScreen : public WoppleScreen, public WoppleGameLogicHost
{
    VELK_DECLARE_CLASS(WoppleGameScreen)
public:
    static constexpr int kBubbleLayer = 999;
    static constexpr int kParticleLayer = 996;

    WoppleGameScreen();
    ~WoppleGameScreen() override;

    // The last game screen made, or null once it is gone.
    static WoppleGameScreen* GetInstance();

    // The logic first; the screen only sees what the logic leaves.
    bool OnEvent(const EventRecord& event) override;
    void Update() override;
    bool OnScreenTransition(Event* event) override;
    // The quit dialog's okay leaves the game for the menu (Classic) or the map.
    bool OnDialogStopped(const EventRecord& event) override;

    // Links both ways: the screen keeps the logic, the logic shows on this screen.
    void SetGameLogic(WoppleGameLogic* logic);
    WoppleGameLogic* GetGameLogic() const { return m_GameLogic; }

    // An emitter of the named particle template centred on (x, y), started;
    // its particles go to the screen's particle manager.
    ParticleEmitter* StartParticleEmitter(const std::string& templateName, int x, int y);

    // Each shows its dialog (pausing the game) unless it is the front dialog already.
    void ShowOptionsDialog() override;
    void ShowAreYouSureQuitDialog() override;

    Actor* GetBubbleLayer() const { return m_BubbleLayer; }
    ParticleManager* GetParticleManager() const { return m_ParticleManager; }
    const ActorGroup& GetEffectsGroup() const { return m_Effects; }

private:
    void EnterWithLogic();
    void LeaveLogic();
    // Shows the library's dialog unless the front dialog has that name.
    void ShowDialogOnce(const std::string& name, bool quit);

    WoppleGameLogic* m_GameLogic = nullptr;
    // Set on arriving with no logic; the next pass goes back to the menu.
    bool m_ReturnToMenu = false;
    Actor* m_BubbleLayer = nullptr;
    ParticleManager* m_ParticleManager = nullptr;
    ActorGroup m_Effects;
};
