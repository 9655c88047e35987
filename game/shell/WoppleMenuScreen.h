#pragma once

#include "game/shell/WoppleScreen.h"

#include <string>

class AmbientLoop;
class CardView;
class Dialog;
class TopRecordsView;

// The game's main menu ("MenuScreen"): the current player's card, the board of
// top scores that pages through the classic list and the quest levels the
// player has played, and the ways into a game, the stamps, the options, help,
// another player and quitting. Seven states: "ChoosingPlayer",
// "EnteringPlayerName", "Inactive", "Normal", "ShowingOptions", "ShowingHelp"
// and "QuittingApp". The layout is the template "WoppleMenuScreen".
class WoppleMenuScreen : public WoppleScreen
{
public:
    static constexpr int kRecordRows = 10;

    WoppleMenuScreen();

    // Ctrl+Alt keys reach the state before the buttons, whose shortcuts ignore Ctrl+Alt.
    bool OnEvent(const EventRecord& event) override;
    bool OnScreenTransition(Event* event) override;

    // The list of the shown level: 0 the classic list, else the quest level's.
    void ShowTopList();
    int GetListLevel() const { return m_ListLevel; }
    // One page forward or back through the lists, past the levels the
    // current player has not played, wrapping at both ends.
    void StepList(bool forward);

    // The name typed in the new-player dialog becomes the current player's.
    void ApplyNewPlayerName(Dialog* dialog);

    CardView* GetCardView() const { return m_CardView; }
    TopRecordsView* GetTopRecordsView() const { return m_TopRecords; }
    AmbientLoop* GetAmbientLoop() const { return m_AmbientLoop; }

private:
    friend class WoppleMenuNormal;

    void EnterNormal();
    bool OnNormalButtonClick(const EventRecord& event);
    bool OnNormalKeyDown(const EventRecord& event);
    void MakeCheaterRecord();
    void FitRowsToContainers();
    // A way in that is not built yet: a note on the button and a warning, not a dead click.
    void ShowNotYet(Actor* button, const std::string& what);
    static bool HasScreen(const std::string& name);

    TopRecordsView* m_TopRecords = nullptr;
    CardView* m_CardView = nullptr;
    AmbientLoop* m_AmbientLoop = nullptr;
    int m_ListLevel = 0;
};
