#include "game/shell/WoppleDialogLibrary.h"

// Each of the game's dialogs takes its factory over when it is built; until
// then the engine's dialog asks the same question.

Dialog* WoppleDialogLibrary::CreateEnterNameDialog(const std::string& initialName)
{
    // Becomes SetupNewPlayerWizard.
    return CommonDialogLibrary::CreateEnterNameDialog(initialName);
}

Dialog* WoppleDialogLibrary::CreateOptionsDialog()
{
    // Becomes WoppleOptionsDialog.
    return CommonDialogLibrary::CreateOptionsDialog();
}

Dialog* WoppleDialogLibrary::CreateChooseActivePlayerDialog(const std::string& cardName, int cardMode)
{
    // Becomes WoppleChooseActivePlayerDialog.
    return CommonDialogLibrary::CreateChooseActivePlayerDialog(cardName, cardMode);
}

Dialog* WoppleDialogLibrary::CreateAreYouSureQuitDialog()
{
    // Becomes WoppleAreYouSureQuitDialog(0); the engine's without the saved-game line meanwhile.
    return CommonDialogLibrary::CreateAreYouSureQuitDialog();
}
