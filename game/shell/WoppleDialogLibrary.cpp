#include "game/shell/WoppleDialogLibrary.h"

#include "game/shell/SetupNewPlayerWizard.h"
#include "game/shell/WoppleCommonDialogs.h"
#include "game/shell/WoppleOptionsDialog.h"

// Each of the game's dialogs takes its factory over when it is built; until
// then the engine's dialog asks the same question.

// The wizard shows the name current player 1 has, whatever the caller had in mind.
Dialog* WoppleDialogLibrary::CreateEnterNameDialog(const std::string&)
{
    return new SetupNewPlayerWizard();
}

Dialog* WoppleDialogLibrary::CreateOptionsDialog()
{
    return new WoppleOptionsDialog();
}

Dialog* WoppleDialogLibrary::CreateChooseActivePlayerDialog(const std::string& cardName, int cardMode)
{
    return new WoppleChooseActivePlayerDialog(cardName, cardMode);
}

Dialog* WoppleDialogLibrary::CreateAreYouSureQuitDialog()
{
    return new WoppleAreYouSureQuitDialog(false);
}
