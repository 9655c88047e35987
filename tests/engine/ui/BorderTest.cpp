// The border: a frame on its parent's edge pixels, and nothing without a parent.

#include "ScreenTestSupport.h"
#include "engine/core/Class.h"
#include "engine/core/VelkLuaState.h"
#include "engine/ui/Border.h"

using namespace screentest;

namespace {

class BorderTest : public ScreenFixture
{
protected:
    // The screen's picture with a blue 8 x 4 box at (4, 2) holding the border.
    std::unique_ptr<Canvas> DrawBoxWith(Border* border, int w = 8, int h = 4)
    {
        Screen* screen = manager->GetCurrentScreen();
        if (!screen) {
            screen = AddScreen("", "Borders", nullptr);
            manager->SwitchToScreen("Borders");
        }
        auto* box = new Actor(Colors::Blue);
        box->SetPosition(4, 2);
        box->SetSize(w, h);
        screen->AddChild(box);
        if (border)
            box->AddChild(border);
        auto canvas = std::make_unique<Canvas>(ScreenApp::kWidth, ScreenApp::kHeight, CANVAS_DESTROY_TARGET);
        screen->Draw(*canvas);
        screen->DestroyChild(box);
        return canvas;
    }
};

} // namespace

TEST_F(BorderTest, ItOutlinesItsParentOnTheParentsEdgePixels)
{
    std::unique_ptr<Canvas> canvas = DrawBoxWith(new Border);
    struct Case
    {
        int x, y;
        std::uint32_t color;
    };
    // The box spans x 4..11 and y 2..5.
    const Case cases[] = {
        {4, 2, kRed},  {11, 2, kRed},  {4, 5, kRed},  {11, 5, kRed},  {7, 2, kRed},  {7, 5, kRed},
        {4, 3, kRed},  {11, 4, kRed},  // the four edges
        {5, 3, kBlue}, {10, 4, kBlue}, {7, 3, kBlue},                   // one pixel in
        {3, 2, 0},     {12, 2, 0},     {4, 1, 0},     {4, 6, 0},     {12, 5, 0}, {11, 6, 0},  // one pixel out
    };
    for (const Case& c : cases)
        EXPECT_EQ(Rgb(*canvas, c.x, c.y), c.color) << c.x << ", " << c.y;
}

TEST_F(BorderTest, ItTakesItsColourFromItsPropertiesAndDrawsNothingAlone)
{
    LuaState state = app->GetLuaState();
    VelkLuaState::LoadStringA(state, "BorderSpec = { class = 'Border', color = 'Green' }", 0, 0);
    Object* made = ClassManager::GetInstance()->InstantiateObject(state.GetGlobal("BorderSpec"));
    auto* border = dynamic_cast<Border*>(made);
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->GetWidth(), 0) << "it never takes the pointer";
    std::unique_ptr<Canvas> canvas = DrawBoxWith(border);
    EXPECT_EQ(Rgb(*canvas, 4, 2), kGreen);
    EXPECT_EQ(Rgb(*canvas, 5, 3), kBlue);

    // A thin parent is all edge.
    canvas = DrawBoxWith(new Border, 1, 4);
    EXPECT_EQ(Rgb(*canvas, 4, 3), kRed);
    EXPECT_EQ(Rgb(*canvas, 5, 3), 0u);

    Border alone;
    Canvas empty(ScreenApp::kWidth, ScreenApp::kHeight, CANVAS_DESTROY_TARGET);
    alone.Draw(empty);
    for (int y = 0; y < ScreenApp::kHeight; ++y)
        for (int x = 0; x < ScreenApp::kWidth; ++x)
            ASSERT_EQ(Rgb(empty, x, y), 0u) << x << ", " << y;
}
