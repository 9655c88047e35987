// One reel: its strip, its landings (forced and random), what it answers while
// it runs and once it rests, the motion blur, and the number pictures.

#include "WheelTestSupport.h"
#include "engine/core/Exception.h"
#include "game/views/WoppleWheelAnimation.h"

using namespace wheeltest;

namespace {

class WheelViewTest : public WheelFixture
{
protected:
    void SetUp() override
    {
        WheelFixture::SetUp();
        set = MakeSet();
    }

    WoppleWheelView* Wheel(int i) { return set->GetWheelView(i); }

    // Spins the reel alone; the passes until it rests.
    int SpinAlone(WoppleWheelView* wheel)
    {
        wheel->Spin();
        for (int n = 1; n <= 200; ++n) {
            Pass();
            if (wheel->GetStateName() != "Spinning")
                return n;
        }
        return -1;
    }

    WoppleWheelSetView* set = nullptr;
};

TEST_F(WheelViewTest, AForcedNumberLandsInTheThirtyFifthFrameWhateverTheOrder)
{
    for (unsigned seed : {1u, 2u, 3u}) {
        std::srand(seed);
        WoppleWheelView* wheel = Wheel(3);
        wheel->BuildStrip();
        for (int number : {31, 38, 45}) {
            wheel->SetResult(WheelTypeNumber, number);
            EXPECT_EQ(SpinAlone(wheel), 35) << number;
            EXPECT_EQ(wheel->GetWheelNumber(), number);
            EXPECT_EQ(wheel->GetWheelType(false), WheelTypeNumber);
            // The result is used up.
            EXPECT_EQ(wheel->GetResultType(), WheelTypeBlank);
        }
    }
}

TEST_F(WheelViewTest, TheNumbersSitInAShuffledOrderOfTheirOwn)
{
    WoppleWheelView* wheel = Wheel(2);
    wheel->BuildStrip();
    const std::vector<int>& toSlot = wheel->GetNumberToSlot();
    const std::vector<int>& toNumber = wheel->GetSlotToNumber();
    ASSERT_EQ(toSlot.size(), 15u);
    std::vector<int> sorted = toSlot;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(sorted[i], i);
        EXPECT_EQ(toNumber[toSlot[i]], i);
    }
}

TEST_F(WheelViewTest, ForcedSymbolsLandOnTheirSquares)
{
    WoppleWheelView* wheel = Wheel(1);
    wheel->SetNumberOfTypedSquares(WheelTypeDevilCherub, 1);
    wheel->SetNumberOfTypedSquares(WheelTypeCoin, 2);
    wheel->BuildStrip();
    ASSERT_EQ(wheel->GetTotalSquares(), 18);

    // DevilCherub shows the devil's face but answers its own type.
    wheel->SetResult(WheelTypeDevilCherub, 0);
    EXPECT_EQ(SpinAlone(wheel), 35);
    EXPECT_EQ(wheel->GetWheelType(false), WheelTypeDevilCherub);
    EXPECT_EQ(wheel->GetWheelNumber(), -1);
    WoppleWheelAnimation* shown = wheel->GetFirstSquare();
    ASSERT_NE(shown, nullptr);
    Image* face = shown->GetSquareImage(shown->GetYPos() / 77);
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(PixelRow(face->GetSurface(), 10)[10], kDevilColor);

    // A type the strip does not carry lands on its last square.
    wheel->SetResult(WheelTypeJoker, 0);
    SpinAlone(wheel);
    EXPECT_EQ(wheel->GetWheelType(false), WheelTypeCoin);
    EXPECT_EQ(wheel->GetFirstSquare()->GetYPos(), 17 * 77);
}

TEST_F(WheelViewTest, WhileItRunsItAnswersSpinningAndBlursWithFadedCopies)
{
    WoppleWheelView* wheel = Wheel(4);
    wheel->BuildStrip();
    EXPECT_EQ(wheel->GetWheelType(false), WheelTypeBlank);  // nothing shown yet
    wheel->SetResult(WheelTypeNumber, 50);
    wheel->Spin();
    Pass();
    EXPECT_EQ(wheel->GetWheelType(false), WheelTypeSpinning);
    EXPECT_EQ(wheel->GetWheelTypeName(false), "WheelTypeSpinning");
    EXPECT_EQ(wheel->GetWheelType(true), WheelTypeNumber);
    EXPECT_EQ(wheel->GetWheelNumber(), -1);
    std::vector<WoppleWheelAnimation*> strips = wheel->GetShownStrips();
    ASSERT_EQ(strips.size(), 5u);
    for (WoppleWheelAnimation* strip : strips) {
        EXPECT_EQ(strip->GetAlpha(), 128);
        EXPECT_EQ(strip->GetParent(), wheel->FindChild("wheelButton4"));
    }
    EXPECT_GT(strips[0]->GetYPos(), strips[4]->GetYPos());
    EXPECT_TRUE(wheel->GetMotionOverlay()->IsVisible());

    Passes(34);
    strips = wheel->GetShownStrips();
    ASSERT_EQ(strips.size(), 1u);
    EXPECT_EQ(strips[0]->GetAlpha(), 255);
    EXPECT_FALSE(wheel->GetMotionOverlay()->IsVisible());
    EXPECT_EQ(wheel->GetWheelNumber(), 50);

    // A rebuilt strip shows nothing until the next spin.
    wheel->BuildStrip();
    EXPECT_EQ(wheel->GetWheelType(false), WheelTypeBlank);
    EXPECT_TRUE(wheel->GetShownStrips().empty());
}

TEST_F(WheelViewTest, ANumberOfAnotherReelIsRefusedByName)
{
    WoppleWheelView* wheel = Wheel(2);
    wheel->BuildStrip();
    for (int number : {15, 31, -1}) {
        try {
            wheel->SetResult(WheelTypeNumber, number);
            ADD_FAILURE() << number << " was taken";
        } catch (const Exception& e) {
            EXPECT_NE(e.GetMessage().find("Reel 2 cannot land on " + std::to_string(number)), std::string::npos)
                << e.GetMessage();
        }
    }
    EXPECT_NO_THROW(wheel->SetResult(WheelTypeNumber, 16));
    EXPECT_NO_THROW(wheel->SetResult(WheelTypeNumber, 30));
}

TEST_F(WheelViewTest, OnlyTypesOfTheStripCanBeCounted)
{
    EXPECT_THROW(Wheel(1)->SetNumberOfTypedSquares(11, 1), Exception);
    EXPECT_THROW(Wheel(1)->SetNumberOfTypedSquares(-1, 1), Exception);
    const std::pair<int, const char*> names[] = {
        {0, "WheelTypeNumber"}, {5, "WheelTypeDevilCherub"}, {12, "WheelTypeBlank"}, {13, "ERROR"}, {-1, "ERROR"}};
    for (const auto& [type, name] : names)
        EXPECT_EQ(WoppleWheelView::GetWheelTypeString(type), name);
}

TEST_F(WheelViewTest, TheReelsPlaceNamesItsButtonAndCover)
{
    WoppleWheelView* wheel = Wheel(3);
    EXPECT_EQ(wheel->GetWheelButton()->GetName(), "wheelButton3");
    EXPECT_EQ(wheel->GetWheelCover()->GetImageName(), "wheelBackground3.png");
    EXPECT_EQ(wheel->GetBaseNumber(), 31);
    wheel->HideHilite();
    EXPECT_FALSE(wheel->GetWheelHilite()->IsVisible());
    wheel->ShowHilite();
    EXPECT_TRUE(wheel->GetWheelHilite()->IsVisible());
}

TEST_F(WheelViewTest, TheMultiplierFaceCarriesTheReelsFactor)
{
    WoppleWheelView* wheel = Wheel(3);
    wheel->BuildSymbolImages();
    Image* face = wheel->GetSymbolImage(WheelTypeMultiplier);
    ASSERT_NE(face, nullptr);
    ASSERT_EQ(face->GetSize().w, 80u);
    // "5" and the marker, 20 x 14, in the middle of the 80 x 70 face.
    SDL_Surface* s = face->GetSurface();
    EXPECT_TRUE(Near(Rgb(s, 30, 35), DigitColor(4)));
    EXPECT_TRUE(Near(Rgb(s, 40, 35), DigitColor(10)));
    EXPECT_TRUE(Near(Rgb(s, 29, 35), 0x808080u));
    EXPECT_TRUE(Near(Rgb(s, 50, 35), 0x808080u));
    // Numbers from the reel's own range.
    EXPECT_EQ(wheel->GetNumSymbolImages(), 13 + 15);
}

// ---------------------------------------------------------------- number pictures

TEST_F(WheelViewTest, NumberPicturesShowTheDigitFramesThenTheMarker)
{
    struct Case
    {
        int number;
        int spacing;
        std::vector<int> frames;
    } cases[] = {
        {25, 0, {1, 4, 10}},
        {0, 0, {10}},
        {-3, 0, {10}},
        {107, 2, {0, 9, 6, 10}},
        {90, -4, {8, 9, 10}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Image> image = CreateNumberImageActor(c.number, "reel_text_numbers.png", c.spacing);
        const int count = static_cast<int>(c.frames.size());
        ASSERT_EQ(static_cast<int>(image->GetSize().w), 10 * count + (count - 1) * c.spacing) << c.number;
        EXPECT_EQ(image->GetSize().h, 14u);
        for (int i = 0; i < count; ++i) {
            // The first column of each frame: a later frame covers the end of an earlier one when the spacing is negative.
            const int x = i * (10 + c.spacing);
            EXPECT_TRUE(Near(Rgb(image->GetSurface(), x, 7), DigitColor(c.frames[i])))
                << c.number << " digit " << i;
        }
    }
}

} // namespace
