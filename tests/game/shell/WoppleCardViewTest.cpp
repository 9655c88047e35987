#include "ProgressFixture.h"
#include "engine/core/Class.h"
#include "engine/runtime/Image.h"
#include "engine/ui/Label.h"
#include "game/shell/WoppleCardView.h"

#include <SDL.h>

#include <filesystem>
#include <memory>

namespace {

using progresstest::ProgressFixture;

class WoppleCardViewTest : public ProgressFixture
{
protected:
    std::unique_ptr<WoppleCardView> Card()
    {
        std::unique_ptr<WoppleCardView> card(dynamic_cast<WoppleCardView*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource("DefaultWoppleCardView")));
        EXPECT_NE(card, nullptr);
        return card;
    }

    static std::string Text(Label* label) { return label ? label->GetText() : "<no label>"; }
};

TEST_F(WoppleCardViewTest, ShowsThePlayersFigures)
{
    WopplePlayer* ann = NamedPlayer(1, "A|nn|");
    AddScore(ann, 40000, "Vevev", 5);
    AddScore(ann, 3000000000LL, "Vevev", 60);
    ann->GetLevelRecordForWriting(4).SetBoolean("SecretFound", true);
    auto card = Card();
    card->SetPlayer(ann);

    // A name from a card is shown, never run; a total past 32 bits keeps its digits.
    EXPECT_EQ(Text(card->GetNameLabel()), "A||nn||");
    EXPECT_EQ(Text(card->GetScoreLabel()), "Total Score: 3,000,040,000");
    EXPECT_EQ(Text(card->GetKeysLabel()), "Keys: 1");
    EXPECT_EQ(Text(card->GetRankLabel()), "Rank: Legend");
    EXPECT_EQ(Text(card->GetRankText()), "");
    EXPECT_EQ(Text(card->GetStarLabel()), "Stars: " + std::to_string(ann->GetTotalStars()));
    EXPECT_EQ(ann->GetTable()["Rank"].GetString(), "Legend");
    // The player's own picture (the defaults give "female_hs.jpg").
    ASSERT_NE(card->GetPicture(), nullptr);
    EXPECT_EQ(card->GetPicture()->GetPictureName(), "female_hs.jpg");
}

TEST_F(WoppleCardViewTest, BelowTheFirstThresholdTheRankIsTheFirst)
{
    WopplePlayer* bo = NamedPlayer(2, "Bo");
    AddScore(bo, 99999, "Vevev", 1);
    auto card = Card();
    card->SetPlayer(bo);
    EXPECT_EQ(Text(card->GetScoreLabel()), "Total Score: 99,999");
    EXPECT_EQ(Text(card->GetRankLabel()), "Rank: Novice");
}

TEST_F(WoppleCardViewTest, AnEmptySlotInvitesAPlayerAndShowsTheDefaultPhoto)
{
    auto card = Card();
    WopplePlayer* ann = NamedPlayer(1, "Ann");
    // An empty slot's player still has the defaults' picture; no player at all has none.
    struct Case
    {
        Player* player;
        std::string picture;
    };
    for (const Case& c : {Case{players->GetPlayer(4), "female_hs.jpg"}, Case{nullptr, "photoPlayer.custom.png"}}) {
        // After a full card, so every label must be emptied.
        card->SetPlayer(ann);
        card->SetPlayer(c.player);
        EXPECT_EQ(Text(card->GetNameLabel()), "Click To Add Player");
        for (Label* label : {card->GetScoreLabel(), card->GetKeysLabel(), card->GetRankLabel(), card->GetRankText(),
                             card->GetStarLabel()})
            EXPECT_EQ(Text(label), "");
        EXPECT_EQ(card->GetPicture()->GetPictureName(), c.picture);
    }
}

TEST_F(WoppleCardViewTest, ThePhotoTakesThePlaceHoldersPlaceAndSize)
{
    auto card = Card();
    Actor* placeholder = card->FindChild("PhotoPlaceHolder", true);
    ASSERT_NE(placeholder, nullptr);
    EXPECT_FALSE(placeholder->IsVisible());
    PlayerPicture* picture = card->GetPicture();
    EXPECT_EQ(picture->GetPosition().x, placeholder->GetPosition().x);
    EXPECT_EQ(picture->GetPosition().y, placeholder->GetPosition().y);
    EXPECT_EQ(picture->GetZOrder(), placeholder->GetZOrder());
    // Photo and frame are the game's card, not the engine's smaller one.
    EXPECT_EQ(card->GetWidth(), 214);
    EXPECT_EQ(card->GetHeight(), 114);
}

TEST_F(WoppleCardViewTest, PicturesFromFilesAreScaledAndMissingOnesFallBack)
{
    WopplePlayer* ann = NamedPlayer(1, "Ann");
    // A 20 x 10 picture of the player's own.
    const std::string path = (root / "me.bmp").string();
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 20, 10, 32, 0xff0000, 0xff00, 0xff, 0);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(SDL_SaveBMP(surface, path.c_str()), 0);
    SDL_FreeSurface(surface);

    struct Case
    {
        std::string picture;
        float width, height;
        std::string shown;
        unsigned w, h;
    };
    const Case cases[] = {
        {path, 74, 78, path, 74, 78},
        // The size it already has: left as it is.
        {path, 20, 10, path, 20, 10},
        {path, 0, 0, path, 20, 10},
        {(root / "gone.png").string(), 74, 78, "photoPlayer.custom.png", 74, 78},
        {"male_hs.jpg", 37, 39, "male_hs.jpg", 37, 39},
    };
    for (const Case& c : cases) {
        ann->GetTable()["Options"].SetString("player.picture", c.picture);
        PlayerPicture picture;
        picture.SetTargetSize(c.width, c.height);
        picture.SetPlayer(ann);
        EXPECT_EQ(picture.GetPictureName(), c.shown) << c.picture;
        ASSERT_NE(picture.GetImage(), nullptr) << c.picture;
        EXPECT_EQ(picture.GetImage()->GetSize().w, c.w) << c.picture;
        EXPECT_EQ(picture.GetImage()->GetSize().h, c.h) << c.picture;
    }
}

} // namespace
