#pragma once

#include "game/shell/WoppleScreen.h"

#include <string>

class Button;

// The quest map ("MapScreen"): a sea chart with the ten islands of
// Resources.WoppleIslands, the selected island's level list with five stars a
// level and its bonus level, the selected level's details and the buttons
// that play it, open the options, help, and go back to the menu.
//
// Nine states: "AdvanceToNewIsland", "CheckBonusLevel", "Inactive", "Normal",
// "ShowingOptions", "ShowingHelp", "MapIntroDialog", "FinishedQuest" and
// "GotAllFiveStars". Every arrival starts in "MapIntroDialog"; callers that
// switch here then set the state they need ("AdvanceToNewIsland" after a level).
//
// The map keeps no progress of its own: everything it shows is read again
// from the current player's quest table ("LevelRecords", "currentLevel") on
// each entry and each selection. The selection is saved as "currentLevel".
class WoppleMapScreen : public WoppleScreen
{
public:
    WoppleMapScreen();
    ~WoppleMapScreen() override;

    // Ctrl+Alt keys reach the state before the buttons, whose shortcuts ignore Ctrl+Alt.
    bool OnEvent(const EventRecord& event) override;
    bool OnScreenTransition(Event* event) override;

    // ---- the quest's rules, read from the current player's quest table
    // Level 0 counts as completed, so level 1 is always open.
    static bool IsLevelCompleted(int level);
    // A standard level opens when the one before it is completed; a bonus
    // level when all its island's secrets are found; none beyond the table.
    static bool IsLevelUnlocked(int level);
    // Every level of WoppleQuestLevels, the bonus levels included.
    static bool IsAllLevelsCompleted();
    static bool IsAllLevelsFiveStars();
    static bool IsAllBonusLevelsFiveStars();

    // ---- what the map shows
    // Builds the island buttons once.
    void CreateIslands();
    // Island images, name plates, chart stars and paths.
    void UpdateIslandVisibility();
    void UpdateIslandSelected();
    // Rebuilds the selected island's list; no level stays selected.
    void UpdateLevelButtons();
    // Selects the island and its first level; nothing for the island already selected.
    void UpdateIslandSign(int island);
    // Selects the level (its button must be in the list), pulses its chart
    // star and remembers it as the player's "currentLevel".
    void UpdateLevelStars(int level);
    // The details panel of the selected level.
    void UpdateLevelInformation();
    // Everything again from the player's data, selecting "currentLevel".
    void BringUpToDate();

    int GetSelectedIsland() const { return m_SelectedIsland; }
    int GetSelectedLevel() const { return m_SelectedLevel; }

private:
    friend class WoppleMapNormal;
    friend class WoppleMapCheckBonusLevel;

    void EnterNormal();
    bool OnNormalButtonClick(const EventRecord& event);
    bool OnNormalKeyDown(const EventRecord& event);
    void MoveSelection(int key);
    // The developer keys; false for a key that is none of them.
    bool FillProgress(int key);
    // Saves the cards; a failure is a warning, the old cards stay.
    static void SavePlayers();

    Button* m_SelectedIslandButton = nullptr;
    int m_SelectedIsland = 0;
    Button* m_SelectedLevelButton = nullptr;
    int m_SelectedLevel = 0;
};
