#pragma once

#include "engine/ui/Dialog.h"

#include <string>

class Player;
class TextBox;

// Where screens and dialogs get the standard dialogs: one factory each. The
// application owns one library (made at start-up unless the game installed its
// own subclass first, Application::SetCommonDialogs) and deletes it at exit.
// A factory's dialog belongs to the caller until it is started on a screen.
class CommonDialogLibrary
{
public:
    virtual ~CommonDialogLibrary() = default;

    // The dialog stores what is typed into the current player 1 on Okay (see
    // EnterNameDialog::SetSubjectPlayer).
    virtual Dialog* CreateEnterNameDialog(const std::string& initialName);
    virtual Dialog* CreateOptionsDialog();
    virtual Dialog* CreateLoadSavedGameDialog();
    // Four cards of the players, made from the card name in the card mode.
    virtual Dialog* CreateChooseActivePlayerDialog(const std::string& cardName, int cardMode);
    // Without the saved-game line.
    virtual Dialog* CreateAreYouSureQuitDialog();
};

// Asks for a player's name: a box for up to 9 characters, Okay and Cancel
// (both with Alt, so that their letters can be typed). Okay stores the trimmed
// name, when it is not empty, as the "Name" of the subject player before the
// owner hears VELK_DIALOGSTOPPED; the text stays readable with GetEnteredName.
class EnterNameDialog : public Dialog
{
public:
    // The subject is the current player 1 of the moment.
    explicit EnterNameDialog(const std::string& initialName);

    bool OnButtonClick(const EventRecord& event) override;

    std::string GetEnteredName() const;
    TextBox* GetTextBox() const;
    // The player whose table takes the name; null: the name is only kept in the box.
    void SetSubjectPlayer(Player* player);

private:
    LuaObject m_TextBox;
    // The player's own table, so that a later change of slots cannot redirect it.
    LuaObject m_SubjectTable;
};

// Asks whether to resume the saved game ("ResumeButton", the Return key), begin
// a new one ("OkayButton", labelled "New") or do neither ("CancelButton").
class LoadSavedGameDialog : public Dialog
{
public:
    LoadSavedGameDialog();
};

// Asks for confirmation before quitting: "OkayButton" (Yes) or "CancelButton" (No).
class AreYouSureQuitDialog : public Dialog
{
public:
    explicit AreYouSureQuitDialog(bool showSavedLine);
};

// The colour of the dialogs' text: "Ink" when the scripts name it, else black.
Color DialogTextColor();
