#pragma once

#include "engine/ui/CardViewDialog.h"
#include "engine/ui/CommonDialogs.h"

// The engine's quit question on the game's large paper, hung from the rope.
class WoppleAreYouSureQuitDialog : public AreYouSureQuitDialog
{
public:
    explicit WoppleAreYouSureQuitDialog(bool showSavedLine);
};

// The engine's player choice, its cards and buttons placed for the game's
// paper. The cards are made from the card name the library passes.
class WoppleChooseActivePlayerDialog : public ChooseActivePlayerDialog
{
public:
    WoppleChooseActivePlayerDialog(const std::string& cardName, int cardMode);
};
