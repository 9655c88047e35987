#pragma once

#include "engine/runtime/Application.h"

class WoppleGameLogic;
class WoppleGameLogicManager;

// The game's application: its names, its window, its configuration files and
// the game's own start-up steps.
class WoppleApp : public Application
{
public:
    WoppleApp();

    void InitEngine(int argc, const char* const* argv) override;
    void SetConfigDefaults() override;
    void LoadScripts() override;
    void InitEventDataTypes() override;
    void InitGame() override;

    // The game's top-score lists: overall, per player slot (all games,
    // Classic, each quest level), Classic, and each quest level.
    virtual void CreateTopRecordsLists();
    // Ten records per list from the placeholder players, every start: Classic
    // 3,000 to 30,000, each quest level a tenth of its top score up to all of it.
    virtual void CreateDefaultHighScores();

    // The rules' one game-logic manager, made when a game starts (the menu,
    // the map and the developer functions call it); a second while one lives
    // is an assertion failure. The game screen owns and destroys it.
    WoppleGameLogicManager* CreateGameLogicManager();
    WoppleGameLogicManager* GetGameLogicManager() const { return m_GameLogicManager; }
    // The game screen lets go of it; another logic leaves it be.
    void ForgetGameLogicManager(const WoppleGameLogic* logic);

protected:
    // Constructs the game's screens and hands them to the screen manager, in order.
    virtual void AddScreens();

private:
    WoppleGameLogicManager* m_GameLogicManager = nullptr;

    // The splash screen, when there is one; else the window stays as it is.
    void SwitchToFirstScreen();
};
