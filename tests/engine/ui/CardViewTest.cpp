// Player cards: the press, leave and release of the pointer with the click
// they send, the pressed card's offset, the fields and pictures a player
// fills, an empty slot, and a name that must show as typed.

#include "ButtonTestSupport.h"
#include "engine/core/Config.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/ui/CardView.h"
#include "engine/ui/Label.h"

#include <gmock/gmock.h>

using namespace buttontest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// Writes down the cards that click.
class CardReceiver : public Actor
{
public:
    bool OnCardClick(const EventRecord& e) override
    {
        clicks.push_back(static_cast<Actor*>(e.user.data1));
        return true;
    }
    std::vector<Actor*> clicks;
};

class CardViewTest : public ButtonFixture
{
protected:
    void SetUp() override
    {
        ButtonFixture::SetUp();
        Lua("LoadConstConfig { CardViewNameFont = 'DejaVuSans.ttf', CardViewNameFontSize = 20, "
            "CardViewFieldFont = 'DejaVuSans.ttf', CardViewFieldFontSize = 14, "
            "CardViewWordFont = 'DejaVuSans.ttf', CardViewWordFontSize = 20, "
            "CardViewModeFont = 'DejaVuSans.ttf', CardViewModeFontSize = 18, CardViewModeOffset = { 0, -4 }, "
            "GameMode1 = 'Quest', GameMode2 = 'Classic', GameMode3 = 'Blast' }");
        players = PlayerManager::GetInstance();
        ASSERT_NE(players, nullptr);
        players->LoadGameData();
    }

    void Lua(const std::string& code) { VelkLuaState::LoadStringA(app->GetLuaState(), code, 0, 0); }

    // A card on the screen at (x, y) whose clicks reach the receiver.
    CardView* MakeCard(int x, int y)
    {
        auto* card = new CardView;
        card->SetPosition(x, y);
        screen->AddChild(card);
        card->AddToGroup(&receiver);
        return card;
    }

    // Player 1 named, current, in the mode, with a rank and some results.
    void NamePlayerOne(const std::string& name, const std::string& mode, const std::string& rank)
    {
        Lua("local p = Players[1]; p.Name = [[" + name + "]]; p.Options['game.mode'] = '" + mode +
            "'; local t = CreateGameModeTable(); t.Rank = '" + rank +
            "'; t.Rating = 555; t.Top_Scores = { { total_score = 12345 } }; "
            "t.Top_Percentages = { { percentage = 87 } }; p.Game_Modes['" + mode + "'] = t");
        players->SetCurrentPlayer(players->GetPlayer(1), 1);
    }

    std::vector<std::string> Texts(const CardView& card) const
    {
        std::vector<std::string> texts;
        for (int i = 0; i < CardView::NUM_FIELDS; ++i)
            texts.push_back(card.GetField(i)->GetText());
        return texts;
    }

    PlayerManager* players = nullptr;
    CardReceiver receiver;
};

} // namespace

TEST_F(CardViewTest, APressAndAReleaseOverTheCardClickItOnce)
{
    CardView* card = MakeCard(2, 2);
    Pass();
    EXPECT_EQ(card->GetStateName(), "Active");
    EXPECT_FALSE(card->GetHighlight()->IsVisible());

    Hover(*card);
    EXPECT_EQ(card->GetStateName(), "Highlighted");
    EXPECT_TRUE(card->GetHighlight()->IsVisible());

    // Another mouse button neither presses nor clicks.
    Down(*card, SDL_BUTTON_RIGHT);
    Pass();
    EXPECT_EQ(card->GetStateName(), "Highlighted");

    Down(*card);
    Pass();
    EXPECT_EQ(card->GetStateName(), "Pressed");
    EXPECT_TRUE(card->IsHeld());
    EXPECT_EQ(card->GetDrawOffset(), Point<int>(2, 2));
    EXPECT_THAT(receiver.clicks, IsEmpty());

    Up(*card);
    Pass();
    EXPECT_EQ(card->GetStateName(), "Highlighted");
    EXPECT_FALSE(card->IsHeld());
    EXPECT_EQ(card->GetDrawOffset(), Point<int>(0, 0));
    EXPECT_THAT(receiver.clicks, ElementsAre(card));
}

TEST_F(CardViewTest, APressThatLeavesComesBackPressedOrEndsWithoutAClick)
{
    CardView* card = MakeCard(2, 2);
    CardView* other = MakeCard(200, 2);
    Pass();

    Hover(*card);
    Down(*card);
    Pass();
    Unhover();
    EXPECT_EQ(card->GetStateName(), "Active");
    EXPECT_TRUE(card->IsHeld()) << "the button is still down";
    EXPECT_EQ(card->GetDrawOffset(), Point<int>(0, 0));

    // Back over it with the button held: pressed at once.
    Hover(*card);
    EXPECT_EQ(card->GetStateName(), "Pressed");
    EXPECT_EQ(card->GetDrawOffset(), Point<int>(2, 2));

    // Off again, and released over the other card: no click anywhere.
    Unhover();
    Hover(*other);
    EXPECT_EQ(other->GetStateName(), "Highlighted");
    Up(*other);
    Pass();
    EXPECT_THAT(receiver.clicks, IsEmpty());
    EXPECT_FALSE(card->IsHeld());
    EXPECT_EQ(other->GetStateName(), "Highlighted");

    // The released card is an ordinary card again.
    Unhover();
    Hover(*card);
    EXPECT_EQ(card->GetStateName(), "Highlighted");
}

TEST_F(CardViewTest, APressedCardIsDrawnTwoPixelsRightAndDown)
{
    CardView* card = MakeCard(0, 0);
    Pass();
    Hover(*card);
    auto draw = [&] {
        auto canvas = std::make_unique<Canvas>(card->GetWidth() + 4, card->GetHeight() + 4, CANVAS_DESTROY_TARGET);
        card->Draw(*canvas);
        return canvas;
    };
    std::unique_ptr<Canvas> up = draw();
    card->SwitchState("Pressed");
    std::unique_ptr<Canvas> down = draw();

    int compared = 0;
    for (int y = 0; y < card->GetHeight(); y += 3)
        for (int x = 0; x < card->GetWidth(); x += 3, ++compared)
            ASSERT_EQ(Rgb(*down, x + 2, y + 2), Rgb(*up, x, y)) << x << ", " << y;
    EXPECT_GT(compared, 1000);
    // The top-left corner's outline has moved off the first rows and columns.
    EXPECT_NE(Rgb(*up, 1, card->GetHeight() / 2), 0u);
    EXPECT_EQ(Rgb(*down, 1, card->GetHeight() / 2), 0u);
}

TEST_F(CardViewTest, APlayersFieldsAndPicturesFollowTheModeAndTheRank)
{
    NamePlayerOne("Ann", "Classic", "Legend");
    CardView* card = MakeCard(0, 0);
    card->SetPlayer(players->GetPlayer(1));
    EXPECT_FALSE(card->IsEmptySlot());
    EXPECT_THAT(Texts(*card), ElementsAre("Ann", "Best Score:12345", "Best Level:87%", "", "", "", "the Legend",
                                          "Rating:555", "Classic"));
    EXPECT_EQ(card->GetRankPicture()->GetFrame(), 7);
    EXPECT_EQ(card->GetModePicture()->GetFrame(), 1);

    // Right-hand fields end 4 pixels inside the card; the mode reads upwards
    // with its bottom 4 pixels above the card's.
    const int w = card->GetWidth(), h = card->GetHeight();
    Label* rank = card->GetField(CardView::FIELD_RANK);
    EXPECT_EQ(rank->GetX() + rank->GetWidth(), w - 4);
    EXPECT_EQ(rank->GetY(), 18);
    Label* rating = card->GetField(CardView::FIELD_RATING);
    EXPECT_EQ(rating->GetX() + rating->GetWidth(), w - 4);
    EXPECT_EQ(rating->GetY(), 103);
    Label* mode = card->GetField(CardView::FIELD_MODE);
    const Image::Size turned = mode->GetImage()->GetSize();
    EXPECT_GT(turned.h, turned.w) << "the mode is turned on its side";
    EXPECT_EQ(mode->GetX() + mode->GetOverrideOffset().x, 0);
    EXPECT_EQ(mode->GetY() + mode->GetOverrideOffset().y + static_cast<int>(turned.h), h - 4);
    EXPECT_EQ(card->GetField(CardView::FIELD_BEST_SCORE)->GetX(), 30);
    EXPECT_EQ(card->GetField(CardView::FIELD_BEST_SCORE)->GetY(), 38);

    struct Case
    {
        const char* rank;
        int frame;
    };
    // An unknown rank leaves the medal as it was.
    for (Case c : {Case{"Pro", 4}, Case{"Novice", 0}, Case{"Captain", 0}, Case{"Champ", 6}}) {
        Lua(std::string("Players[1].Game_Modes.Classic.Rank = '") + c.rank + "'");
        card->ReadPlayer();
        EXPECT_EQ(card->GetRankPicture()->GetFrame(), c.frame) << c.rank;
    }

    // "Blast" counts levels without a percent sign and shows no rating.
    NamePlayerOne("Ann", "Blast", "Whiz");
    card->ReadPlayer();
    EXPECT_THAT(Texts(*card), ElementsAre("Ann", "Best Score:12345", "Best Level:87", "", "", "", "the Whiz", "",
                                          "Blast"));
    EXPECT_EQ(card->GetModePicture()->GetFrame(), 2);
    EXPECT_EQ(card->GetRankPicture()->GetFrame(), 2);
}

TEST_F(CardViewTest, AnEmptySlotOrAPlayerWithoutAModeShowsNoStaleText)
{
    NamePlayerOne("Ann", "Classic", "Pro");
    CardView* card = MakeCard(0, 0);
    card->SetPlayer(players->GetPlayer(1));
    ASSERT_EQ(card->GetField(CardView::FIELD_NAME)->GetText(), "Ann");

    EXPECT_TRUE(card->GetRankPicture()->IsVisible());
    card->SetPlayer(players->GetPlayer(2));
    EXPECT_TRUE(card->IsEmptySlot());
    EXPECT_THAT(Texts(*card), ElementsAre("", "", "", "", "", "", "", "", ""));
    EXPECT_FALSE(card->GetRankPicture()->IsVisible()) << "no medal on an empty card";
    card->SetPlayer(nullptr);
    EXPECT_TRUE(card->IsEmptySlot());
    EXPECT_THAT(Texts(*card), ElementsAre("", "", "", "", "", "", "", "", ""));

    // A named player while nobody has chosen a mode: the results read 0.
    Lua("Players[1].Options['game.mode'] = nil");
    card->SetPlayer(players->GetPlayer(1));
    EXPECT_THAT(Texts(*card), ElementsAre("Ann", "Best Score:0", "Best Level:0%", "", "", "", "", "", ""));
}

TEST_F(CardViewTest, ANameShowsAsTypedAndRunsNothing)
{
    NamePlayerOne("|AppQuit()|", "Classic", "Pro");
    Lua("Players[1].Game_Modes.Classic.Rank = '|AppQuit()|'");
    CardView* card = MakeCard(0, 0);
    card->SetPlayer(players->GetPlayer(1));
    std::vector<std::string> lines;
    Label::ProcessLines(card->GetField(CardView::FIELD_NAME)->GetText(), lines);
    EXPECT_THAT(lines, ElementsAre("|AppQuit()|"));
    lines.clear();
    Label::ProcessLines(card->GetField(CardView::FIELD_RANK)->GetText(), lines);
    EXPECT_THAT(lines, ElementsAre("the |AppQuit()|"));
    EXPECT_TRUE(app->IsRunning());
}

TEST_F(CardViewTest, TheClassRegistryMakesCardsFromTheTemplate)
{
    Lua("Resources.TestCard = Resources.CardView:new{ name = 'made', position = { 5, 6 } }");
    LuaObject table = app->GetLuaState().GetGlobal("Resources")["TestCard"];
    std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObject(table));
    auto* card = dynamic_cast<CardView*>(made.get());
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->GetName(), "made");
    EXPECT_EQ(card->GetX(), 5);
    EXPECT_EQ(card->GetWidth(), card->GetBackground()->GetWidth());
    EXPECT_EQ(card->GetStateName(), "Active");
    EXPECT_EQ(card->GetRankPicture()->GetImage()->GetNumFrames(), 8);
    EXPECT_EQ(card->GetModePicture()->GetImage()->GetNumFrames(), 3);
    EXPECT_FALSE(card->GetShade()->IsVisible());
    EXPECT_EQ(card->GetShade()->GetZOrder(), 20);
    EXPECT_EQ(card->GetShade()->GetAlpha(), 128);
}
