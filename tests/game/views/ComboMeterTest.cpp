// The combo meter draining to empty, and the message board's buttons and timer.

#include "BoardTestSupport.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"
#include "game/views/ComboMeter.h"

using namespace boardtest;

namespace {

using ComboMeterTest = BoardFixture;

TEST_F(ComboMeterTest, AQuarterFullMeterDrainsInThreeStepsAndStops)
{
    auto* meter = dynamic_cast<ComboMeter*>(ClassManager::GetInstance()->InstantiateObject(Eval("{ class = \"ComboMeter\" }")));
    ASSERT_NE(meter, nullptr);
    screen->AddChild(meter);
    ASSERT_NE(meter->GetFillGraphic(), nullptr);
    EXPECT_EQ(meter->GetHeight(), 32);
    EXPECT_EQ(meter->timeToDecrease, 1000);
    meter->SetFill(0.25);
    EXPECT_EQ(meter->GetFillGraphic()->GetHeight(), 7);
    meter->StartDrain();
    std::vector<int> heights;
    for (int i = 0; i < 4 * 32; ++i) {
        const int before = meter->GetFillGraphic()->GetHeight();
        Pass();
        if (meter->GetFillGraphic()->GetHeight() != before)
            heights.push_back(meter->GetFillGraphic()->GetHeight());
    }
    EXPECT_EQ(heights, (std::vector<int>{4, 1, 0}));
    EXPECT_EQ(meter->GetFill(), 0.0);
    EXPECT_FALSE(meter->IsDraining());
    // The bar grows up from the meter's bottom edge.
    meter->SetFill(1.0);
    const Rect bar = meter->GetFillGraphic()->GetGlobalRect();
    const Rect whole = meter->GetGlobalRect();
    EXPECT_EQ(bar.y + bar.h, whole.y + whole.h - 1);
    EXPECT_EQ(bar.h, 30);
}

TEST_F(ComboMeterTest, TheMessageBoardShowsAButtonPerTextAndItsTimerClearsIt)
{
    auto* board = dynamic_cast<WoppleMessageBoard*>(
        ClassManager::GetInstance()->InstantiateObjectFromResource("WoppleMessageBoard"));
    ASSERT_NE(board, nullptr);
    screen->AddChild(board);
    ASSERT_NE(board->GetTextLabel(), nullptr);
    ASSERT_NE(board->GetButtonOne(), nullptr);
    ASSERT_NE(board->GetButtonTwo(), nullptr);

    board->SetMessage("Two frogs left!", "Okay", "Later");
    EXPECT_TRUE(board->GetButtonOne()->IsVisible());
    EXPECT_TRUE(board->GetButtonTwo()->IsVisible());
    board->SetMessage("One frog left!", "Okay", "");
    EXPECT_EQ(board->GetTextLabel()->GetText(), "One frog left!");
    EXPECT_TRUE(board->GetButtonOne()->IsVisible());
    EXPECT_FALSE(board->GetButtonTwo()->IsVisible());

    board->ClearAfter(500);
    EXPECT_TRUE(board->IsTimerRunning());
    Passes(20);
    EXPECT_EQ(board->GetTextLabel()->GetText(), "");
    EXPECT_FALSE(board->GetButtonOne()->IsVisible());
    EXPECT_FALSE(board->IsTimerRunning());

    // A new message is not cleared by the timer of the one before.
    board->ClearAfter(500);
    Passes(5);
    board->SetMessage("Still here", "", "");
    Passes(20);
    EXPECT_EQ(board->GetTextLabel()->GetText(), "Still here");
}

} // namespace
