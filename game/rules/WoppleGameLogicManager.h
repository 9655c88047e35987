#pragma once

#include "game/rules/WoppleGameLogic.h"

#include <string>

// The one game logic the game screen holds while a game is on: it runs a
// Classic game or the quest's levels one after another, each by the mode
// logic its level names. It makes and replaces that logic, hands it every
// frame and every event first, and after a finished level decides what comes
// next: the next level at once, the map with a new island or a locked bonus
// level, or the map's end of the quest.
class WoppleGameLogicManager : public WoppleGameLogic
{
public:
    WoppleGameLogicManager();
    ~WoppleGameLogicManager() override;

    Class* GetClass() const override { return s_Class; }
    // The current game first; what it leaves, the manager's own handlers.
    bool OnEvent(const EventRecord& event) override;
    void Update() override;
    // The manager has no actors; each game makes its own root when it is made.
    void CreateRootActor() override {}
    void Start() override;
    // Stops the current game and lets it go (deferred).
    void Stop() override;
    void CreateStates() override {}
    std::string GetScreenLayoutName() const override { return ""; }
    std::string GetNameOfGameMode() const override { return "Vevev"; }
    // "AdvanceToNextLevel" or "RestartCurrentLevel"; any other word leaves the game be.
    bool OnLevelCompleted(Event* event) override;

    // Each replaces the current game with a new one, laid out but not started.
    void StartClassicGame();
    void StartGameAtSpecificLevel(int level);
    // The same game again from the start, started.
    void RestartCurrentLevel();
    // After a finished quest level: the next one, or the map.
    void AdvanceToNextLevel();

    WoppleGameLogic* GetCurrentGame() const { return m_CurrentGame; }
    // 0 for a Classic game.
    int GetCurrentLevel() const { return m_CurrentLevel; }

    static Class* s_Class;

private:
    void RequireTargetScreen(const char* operation) const;
    // Stops and deletes the current game at once.
    void DropCurrentGame();
    // The new game gets the level, the screen and its layout.
    void TakeNewGame(WoppleGameLogic* game, int level);
    // "MapScreen" in the state; the menu when the build has no map.
    void ShowMap(const std::string& state);

    WoppleGameLogic* m_CurrentGame = nullptr;
    int m_CurrentLevel = 0;
};
