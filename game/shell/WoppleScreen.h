#pragma once

#include "engine/ui/Screen.h"

#include <memory>
#include <string>

class Image;
class Script;


// The base of the game's menu, map, game and award screens: the help button
// kept clear of the full-screen window buttons, a background that goes into
// the cached background layer, the screen's help tour and one-time tips in
// its note manager, and the once-per-player game-complete dialogs.
//
// Tips are remembered in the current player's options as "<section>.<tip>.shown",
// game-complete dialogs in the player's "Vevev" game-mode table as "<key>.shown";
// both are saved with the player's card. The tips' texts and spots are the
// script table HelpScripts[section][tip] ("WoppleHelp.lua").
class WoppleScreen : public Screen
{
    VELK_DECLARE_CLASS(WoppleScreen)
public:
    WoppleScreen();
    WoppleScreen(const std::string& backgroundResource, const std::string& screenName);

    // Sets the picture of the background layer's "Background", not the screen's own.
    void SetImage(std::unique_ptr<Image> image, const std::string& name) override;
    // "helpButton" anywhere in the tree at (-5, 25) in full screen, else (-5, 5).
    void PositionHelpButton();
    bool OnDisplayChange(const EventRecord& event) override;
    bool OnScreenTransition(Event* event) override;

    // The whole tour of the section, step by step.
    void PointOutScreen(const std::string& section);
    // The help button: closes a note that shows, else starts the tour.
    void ToggleScreenHelp(const std::string& section);
    void HideNotes();

    bool IsTipShown(const std::string& section, const std::string& tip) const;
    bool IsTipNotShown(const std::string& section, const std::string& tip) const { return !IsTipShown(section, tip); }
    void MarkTipShown(const std::string& section, const std::string& tip);

    // A one-time tip with an okay button, pointing at (x, y), or at the tip's
    // own spot when x is -1. Nothing when the tip was shown already.
    void PointOutOneThing(const std::string& section, const std::string& tip, int x, int y, bool markShown);
    // The same, with the tip's text a format for the argument ("%1%").
    void PointOutFormatted(const std::string& section, const std::string& tip, int x, int y,
                           const std::string& argument, bool markShown);
    // A tip without buttons, shown on every call until ClosePointOut.
    void PointOutNoButtonOneThing(const std::string& section, const std::string& tip);
    void ClosePointOut(const std::string& section, const std::string& tip);

    // Shows the milestone's dialog once per player (always when forced), saves
    // the players' data and says whether it showed.
    bool ShowGameCompleteDialog(const std::string& key, bool force);

protected:
    static std::string TipKey(const std::string& section, const std::string& tip);

private:
    // The note manager's script of that name, tagged "PointOut"; the screen hears when it ends.
    Script* StartPointOut(const std::string& scriptName);
};
