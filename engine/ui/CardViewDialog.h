#pragma once

#include "engine/ui/Dialog.h"

#include <string>
#include <vector>

class CardView;
class Player;

// The four player slots as four cards on one dialog ("bkgDialogLarge.png"),
// in a two-by-two block, with "Update" (rename) and "Clear" buttons to their
// right. Card i shows player i; the dialog hears the cards' clicks. Renaming
// opens the application's name-entry dialog; clearing empties the subject
// player's slot, rebuilds the records and high scores without it, and makes
// the first player left current (or asks for a new name when none is left).
class CardViewDialog : public Dialog
{
public:
    // Cards made from the card name: mode 1 a class name, mode 2 a script
    // template; any other mode, or a name that makes no CardView, makes none.
    CardViewDialog(const std::string& cardName, int cardMode);
    ~CardViewDialog() override;

    // The player that renaming and clearing act on.
    virtual Player* GetSubjectPlayer() = 0;
    // Shows which card is chosen; nothing here.
    virtual void UpdateHighlight() {}

    // "ChangeNameButton" and "UpdateButton" rename, "ClearPlayerButton"
    // clears; any other button is the dialog's.
    bool OnButtonClick(const EventRecord& event) override;
    bool OnDialogStarted(const EventRecord& event) override;
    // A name-entry dialog of ours closed: Okay refreshes everything; Cancel on
    // a player still without a name goes back to the player chosen before, or
    // names the new one "Player <n>".
    bool OnDialogStopped(const EventRecord& event) override;

    // Every card reads its player again.
    void RefreshCards();
    // The cards still there, in slot order (a slot without a card is left out).
    std::vector<CardView*> GetCards() const;
    // The card of slot i (1 to 4), or null.
    CardView* GetCard(int index) const;
    CardView* GetSelectedCard() const;
    CardView* GetPreviouslySelectedCard() const;

    static CardView* CreateCard(const std::string& cardName, int cardMode);

protected:
    void SetSelectedCard(CardView* card);
    void SetPreviouslySelectedCard(CardView* card);
    // The application's name-entry dialog with the name, started modal on the
    // current screen; false when there is no library, screen or dialog.
    static bool StartNameEntry(const std::string& name, bool unlessShown);
    // Posted to the application with no receiver.
    static void PostPlainEvent(int type, void* data = nullptr);

private:
    void ClearSubjectPlayer();
    // Records and the lists follow the players again.
    static void ResetRecordLists();

    // The cards are held through their script selves, which read as nothing
    // once something else has deleted them; a slot without a card holds nil.
    std::vector<LuaObject> m_Cards;
    LuaObject m_SelectedCard;
    LuaObject m_PreviouslySelectedCard;
};

// The player choice: a click on a card makes its player current player 1 (a
// click on an empty card then asks for the new player's name); every card but
// the current player's is shaded.
class ChooseActivePlayerDialog : public CardViewDialog
{
public:
    ChooseActivePlayerDialog(const std::string& cardName, int cardMode);

    // Current player 1.
    Player* GetSubjectPlayer() override;
    void UpdateHighlight() override;
    bool OnCardClick(const EventRecord& event) override;
};
