// The player choice: four cards on a dialog, a click that picks a player, the
// name asked for a new one and what Cancel then does, clearing a player, and
// the dialog library's factory.

#include "DialogTestSupport.h"
#include "engine/ui/CardView.h"
#include "engine/ui/CardViewDialog.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Label.h"

#include <gmock/gmock.h>

using namespace dialogtest;
using ::testing::ElementsAre;

namespace {

// Counts the player changes that reach the screen, with their first data word.
class ChangeCounter : public Actor
{
public:
    bool OnPlayerChange(const EventRecord& e) override
    {
        changes.push_back(reinterpret_cast<std::intptr_t>(e.user.data1));
        return false;
    }
    std::vector<std::intptr_t> changes;
};

class CardViewDialogTest : public DialogFixture
{
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        Lua("LoadConstConfig { CardViewNameFont = 'Dosis-ExtraBold.otf', CardViewNameFontSize = 20, "
            "CardViewFieldFont = 'Dosis-ExtraBold.otf', CardViewFieldFontSize = 14, "
            "CardViewWordFont = 'Dosis-ExtraBold.otf', CardViewWordFontSize = 20, "
            "CardViewModeFont = 'Dosis-ExtraBold.otf', CardViewModeFontSize = 18, CardViewModeOffset = { 0, -4 } }");
        players = PlayerManager::GetInstance();
        counter = new ChangeCounter;
        screen->AddChild(counter);
    }

    // Names the players of the slots (the others stay empty); the first is current.
    void Name(const std::vector<std::pair<int, std::string>>& named)
    {
        for (const auto& [index, name] : named)
            Lua("Players[" + std::to_string(index) + "].Name = '" + name + "'");
        if (!named.empty())
            players->SetCurrentPlayer(players->GetPlayer(named.front().first), 1);
    }

    ChooseActivePlayerDialog* ShowChoice()
    {
        dialog = Show(new ChooseActivePlayerDialog("CardView", 1));
        counter->changes.clear();
        return dialog;
    }

    // A press and a release of the left button over the card, as a person clicks.
    void ClickCard(int index)
    {
        CardView* card = dialog->GetCard(index);
        ASSERT_NE(card, nullptr);
        const Rect r = card->GetGlobalRect();
        const int x = r.x + r.w / 2, y = r.y + r.h / 2;
        app->ResetRolloverAt(x, y, true);
        for (std::uint8_t type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
            SDL_Event e{};
            e.button.type = type;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = static_cast<Uint16>(x);
            e.button.y = static_cast<Uint16>(y);
            ASSERT_EQ(SDL_PushEvent(&e), 0);
            Pass();
        }
        app->ResetRolloverAt(0, 0, true);
    }

    // The slots whose cards are shaded.
    std::vector<int> Shaded() const
    {
        std::vector<int> shaded;
        for (int i = 1; i <= 4; ++i)
            if (dialog->GetCard(i)->GetShade()->IsVisible())
                shaded.push_back(i);
        return shaded;
    }

    int Current() { return players->GetCurrentPlayer(1)->GetIndex(); }
    LuaObject NameOf(int index) { return Eval("Players[" + std::to_string(index) + "].Name"); }

    // The open name-entry dialog nearest the front, or null.
    Dialog* NameEntry() const
    {
        const std::vector<Actor*>& open = screen->GetDialogs();
        for (auto it = open.rbegin(); it != open.rend(); ++it)
            if ((*it)->GetName() == "EnterNameDialog" && !(*it)->IsBeingDestroyed())
                return dynamic_cast<Dialog*>(*it);
        return nullptr;
    }

    void Answer(const std::string& buttonName)
    {
        Dialog* entry = NameEntry();
        ASSERT_NE(entry, nullptr);
        Click(*entry->GetButton(buttonName));
        Passes(16);
    }

    PlayerManager* players = nullptr;
    ChangeCounter* counter = nullptr;
    ChooseActivePlayerDialog* dialog = nullptr;
};

} // namespace

TEST_F(CardViewDialogTest, FourCardsStandInABlockAndAClickPicksAPlayer)
{
    Name({{1, "Ann"}, {2, "Bo"}});
    ShowChoice();
    EXPECT_EQ(dialog->GetName(), "ChooseActivePlayerDialog");
    ASSERT_EQ(dialog->GetCards().size(), 4u);
    CardView* first = dialog->GetCard(1);
    const int w = first->GetWidth(), h = first->GetHeight();
    const int cx = dialog->GetWidth() / 2 - 45, cy = dialog->GetHeight() / 2 - 4;
    for (int i = 1; i <= 4; ++i) {
        CardView* card = dialog->GetCard(i);
        EXPECT_EQ(card->GetX() + w / 2, i % 2 ? cx - (w / 2 + 16) : cx + (w / 2 + 16)) << i;
        EXPECT_EQ(card->GetY() + h / 2, i <= 2 ? cy - (h / 2 + 8) : cy + (h / 2 + 8)) << i;
        EXPECT_EQ(card->GetPlayer()->GetIndex(), i);
    }
    EXPECT_EQ(dialog->GetCard(1)->GetField(CardView::FIELD_NAME)->GetText(), "Ann");
    for (const char* name : {"UpdateButton", "ClearPlayerButton", "OkayButton"})
        EXPECT_NE(dialog->GetButton(name), nullptr) << name;
    // The buttons stand to the right of the cards, on the dialog.
    Button* update = dialog->GetButton("UpdateButton");
    EXPECT_GT(update->GetX(), dialog->GetCard(2)->GetX() + w);
    EXPECT_LE(update->GetX() + update->GetWidth(), dialog->GetWidth());
    EXPECT_THAT(Shaded(), ElementsAre(2, 3, 4));
    EXPECT_EQ(dialog->GetSelectedCard(), dialog->GetCard(1));

    ClickCard(2);
    EXPECT_EQ(Current(), 2);
    EXPECT_THAT(Shaded(), ElementsAre(1, 3, 4));
    EXPECT_EQ(dialog->GetSelectedCard(), dialog->GetCard(2));
    EXPECT_EQ(dialog->GetPreviouslySelectedCard(), dialog->GetCard(1));
    EXPECT_THAT(counter->changes, ElementsAre(0, 1)) << "a change of player is told twice";
    EXPECT_EQ(NameEntry(), nullptr) << "a named player needs no name";

    // The player already chosen: one notice only.
    counter->changes.clear();
    ClickCard(2);
    EXPECT_EQ(Current(), 2);
    EXPECT_THAT(counter->changes, ElementsAre(0));

    Click(*dialog->GetButton("OkayButton"));
    Passes(16);
    EXPECT_THAT(screen->Take(), ElementsAre("stopped ChooseActivePlayerDialog OkayButton",
                                            "delete ChooseActivePlayerDialog"));
}

TEST_F(CardViewDialogTest, AnEmptyCardAsksForANameAndCancelNamesThePlayerByNumber)
{
    ShowChoice();
    ClickCard(3);
    EXPECT_EQ(Current(), 3);
    EXPECT_THAT(Shaded(), ElementsAre(1, 2, 4));
    ASSERT_NE(NameEntry(), nullptr);

    // A second click while the name is asked for asks nothing more. (The
    // name entry keeps the mouse from the cards, so the click comes as the
    // event itself, as a script would send it.)
    ClickCard(3);
    dialog->OnEvent(MakeEventRecord(VELK_CARDCLICK, 0, static_cast<Actor*>(dialog->GetCard(3))));
    Passes(16);
    int entries = 0;
    for (Actor* open : screen->GetDialogs())
        entries += open->GetName() == "EnterNameDialog" && !open->IsBeingDestroyed();
    EXPECT_EQ(entries, 1);

    // Nobody was playing before: Cancel names the new player after its slot.
    Answer("CancelButton");
    EXPECT_EQ(NameEntry(), nullptr);
    EXPECT_EQ(NameOf(3).GetString(), "Player 3");
    EXPECT_EQ(Current(), 3);
    EXPECT_EQ(dialog->GetCard(3)->GetField(CardView::FIELD_NAME)->GetText(), "Player 3");
}

TEST_F(CardViewDialogTest, CancellingANewPlayerGoesBackToThePlayerBefore)
{
    Name({{1, "Ann"}});
    ShowChoice();
    ClickCard(2);
    EXPECT_EQ(Current(), 2);
    Answer("CancelButton");
    EXPECT_EQ(Current(), 1);
    EXPECT_TRUE(NameOf(2).IsNil());
    EXPECT_THAT(Shaded(), ElementsAre(2, 3, 4));
    EXPECT_TRUE(dialog->GetCard(2)->IsEmptySlot());
}

TEST_F(CardViewDialogTest, ClearingEmptiesTheSlotAndTheFirstPlayerLeftTakesOver)
{
    Name({{2, "Bo"}, {4, "Di"}});
    ShowChoice();
    ASSERT_EQ(Current(), 2);
    Click(*dialog->GetButton("ClearPlayerButton"));
    EXPECT_TRUE(NameOf(2).IsNil());
    EXPECT_TRUE(dialog->GetCard(2)->IsEmptySlot());
    EXPECT_EQ(dialog->GetCard(2)->GetField(CardView::FIELD_NAME)->GetText(), "");
    EXPECT_EQ(Current(), 4);
    EXPECT_THAT(Shaded(), ElementsAre(1, 2, 3));
    EXPECT_EQ(NameEntry(), nullptr);

    // Clearing the only one left leaves nobody, and a name is asked for at once.
    Click(*dialog->GetButton("ClearPlayerButton"));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(dialog->GetCard(i)->IsEmptySlot()) << i;
    EXPECT_NE(NameEntry(), nullptr);
}

TEST_F(CardViewDialogTest, UpdateAsksForTheChosenPlayersNewName)
{
    Name({{1, "Ann"}});
    ShowChoice();
    Click(*dialog->GetButton("UpdateButton"));
    Passes(16);
    auto* entry = dynamic_cast<EnterNameDialog*>(NameEntry());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetEnteredName(), "Ann");
}

TEST_F(CardViewDialogTest, TheLibraryMakesTheChoiceFromATemplateOrAClass)
{
    CommonDialogLibrary* library = app->GetCommonDialogs();
    ASSERT_NE(library, nullptr);
    for (auto [name, mode] : {std::pair<const char*, int>{"CardView", 2}, {"CardView", 1}}) {
        std::unique_ptr<Dialog> made(library->CreateChooseActivePlayerDialog(name, mode));
        auto* choice = dynamic_cast<ChooseActivePlayerDialog*>(made.get());
        ASSERT_NE(choice, nullptr) << mode;
        EXPECT_EQ(choice->GetCards().size(), 4u) << mode;
    }
    // A name or a mode that makes no card: a dialog without cards.
    for (auto [name, mode] : {std::pair<const char*, int>{"CardView", 3}, {"Button", 1}, {"NoSuchCard", 2}}) {
        std::unique_ptr<Dialog> made(library->CreateChooseActivePlayerDialog(name, mode));
        auto* choice = dynamic_cast<ChooseActivePlayerDialog*>(made.get());
        ASSERT_NE(choice, nullptr) << name << " " << mode;
        EXPECT_TRUE(choice->GetCards().empty()) << name << " " << mode;
        EXPECT_NE(choice->GetButton("OkayButton"), nullptr);
    }
}
