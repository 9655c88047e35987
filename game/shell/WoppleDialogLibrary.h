#pragma once

#include "engine/ui/CommonDialogs.h"

// The game's standard dialogs: the application installs this library before the
// engine starts, so every screen and script that asks for a standard dialog gets
// the game's own. The saved-game question stays the engine's.
class WoppleDialogLibrary : public CommonDialogLibrary
{
public:
    // The new player's wizard.
    Dialog* CreateEnterNameDialog(const std::string& initialName) override;
    Dialog* CreateOptionsDialog() override;
    Dialog* CreateChooseActivePlayerDialog(const std::string& cardName, int cardMode) override;
    Dialog* CreateAreYouSureQuitDialog() override;
};
