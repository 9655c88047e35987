#include "game/shell/WoppleDialogLibrary.h"

#include "game/shell/WoppleCommonDialogs.h"
#include "game/shell/WoppleOptionsDialog.h"

// Each of the game's dialogs takes its factory over when it is built; until
// then the engine's dialog asks the same question.

Dialog* WoppleDialogLibrary::CreateEnterNameDialog(const std::string& initialName)
{
    // Becomes SetupNewPlayerWizard.
    return CommonDialogLibrary::CreateEnterNameDialog(initialName);
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
