// The outlined label: its outline copies, its one rendering per text, and the
// score flash made from its templates.

#include "BoardTestSupport.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/SurfaceManager.h"
#include "engine/ui/Label.h"
#include "game/views/WoppleVisionLabel.h"

#include <memory>

using namespace boardtest;

namespace {

class WoppleVisionLabelTest : public BoardFixture
{
protected:
    std::unique_ptr<WoppleVisionLabel> Make(const std::string& resource)
    {
        std::unique_ptr<WoppleVisionLabel> label(dynamic_cast<WoppleVisionLabel*>(
            ClassManager::GetInstance()->InstantiateObjectFromResource(resource)));
        EXPECT_NE(label, nullptr) << resource;
        return label;
    }
};

} // namespace

TEST_F(WoppleVisionLabelTest, TheTemplatesHaveEightOutlinesAroundAColouredNumber)
{
    for (const char* resource :
         {"LargeWoppleVisionLabelDefaults", "SmallWoppleVisionLabelDefaults", "SevenBySevenWoppleVisionLabelDefaults"}) {
        auto label = Make(resource);
        ASSERT_NE(label->GetPrimaryLabel(), nullptr) << resource;
        EXPECT_EQ(label->GetOutlineLabels().size(), 8u) << resource;
        EXPECT_EQ(label->GetPrimaryLabel()->GetFgColor(), Colors::ByName("Gold")) << resource;
        for (Label* outline : label->GetOutlineLabels())
            EXPECT_EQ(outline->GetFgColor(), Colors::ByName("Black")) << resource;
    }
}

TEST_F(WoppleVisionLabelTest, AGapInTheOutlineNumbersEndsTheCollection)
{
    Eval(R"((function()
        local t = WoppleVisionLabelTemplate("CellFont", "Orange")
        t.children.outlineLabelContainer.children.outlineLabel3 = nil
        Resources.GappedVisionLabel = t
    end)())");
    auto label = Make("GappedVisionLabel");
    EXPECT_EQ(label->GetOutlineLabels().size(), 2u);
    EXPECT_EQ(label->GetPrimaryLabel()->GetFgColor(), Colors::ByName("Orange"));
}

TEST_F(WoppleVisionLabelTest, ATextIsRenderedOnceIntoOnePicture)
{
    auto label = Make("LargeWoppleVisionLabelDefaults");
    label->SetText("42");
    EXPECT_EQ(label->GetRenderCount(), 1);
    ASSERT_NE(label->GetOwnImage(), nullptr);
    EXPECT_GT(label->GetWidth(), label->GetPrimaryLabel()->GetWidth()) << "the outline reaches beyond the number";
    EXPECT_FALSE(label->GetPrimaryLabel()->IsVisible()) << "the picture is drawn in the labels' place";
    label->SetText("42");
    EXPECT_EQ(label->GetRenderCount(), 1);
    label->SetText("7");
    EXPECT_EQ(label->GetRenderCount(), 2);
    for (Label* outline : label->GetOutlineLabels())
        EXPECT_EQ(outline->GetText(), "7");
}

TEST_F(WoppleVisionLabelTest, AHiddenLabelRendersItsTextAllTheSame)
{
    // The cells number their hidden outlined labels; shown later, they must hold the number.
    auto label = Make("LargeWoppleVisionLabelDefaults");
    label->SetVisible(false);
    label->SetText("88");
    EXPECT_FALSE(label->IsVisible());
    ASSERT_NE(label->GetOwnImage(), nullptr);
    label->SetVisible(true);
    label->SetPosition(0, 0);
    Canvas canvas(label->GetWidth(), label->GetHeight(), CANVAS_DESTROY_TARGET);
    label->Draw(canvas);
    int gold = 0;
    SDL_Surface* surface = canvas.GetTargetSurface()->GetSurface();
    for (int y = 0; y < label->GetHeight(); ++y)
        for (int x = 0; x < label->GetWidth(); ++x) {
            const std::uint32_t rgb = PixelRow(surface, y)[x] & 0xFFFFFFu;
            const int r = static_cast<int>(rgb >> 16), g = static_cast<int>((rgb >> 8) & 0xFF),
                      b = static_cast<int>(rgb & 0xFF);
            gold += r > 200 && g > 150 && b < 80;
        }
    EXPECT_GT(gold, 20) << "the golden number";
}

TEST_F(WoppleVisionLabelTest, AScoreFlashIsCentredOnItsPointInItsParent)
{
    auto* parent = new Actor();
    parent->SetPosition(100, 50);
    screen->AddChild(parent);
    for (const char* resource : {"DefaultScoreFlash", "PinkScoreFlash", "GoldScoreFlash", "OrangeScoreFlash",
                                 "PurpleScoreFlash", "GemScoreFlash", "WoppleScoreFlash"}) {
        Actor* flash = ShowOutlinedFlashText("+1 Gem", 300, 200, resource, parent, false, 0);
        ASSERT_NE(flash, nullptr) << resource;
        EXPECT_EQ(flash->GetParent(), parent);
        EXPECT_EQ(dynamic_cast<WoppleVisionLabel*>(flash)->GetText(), "+1 Gem");
        const Rect rect = flash->GetGlobalRect();
        EXPECT_EQ(rect.x, 300 - flash->GetWidth() / 2) << resource;
        EXPECT_EQ(rect.y, 200 - flash->GetHeight() / 2) << resource;
    }
    // They rise, fade and go by themselves.
    Passes(80);
    EXPECT_EQ(parent->GetNumChildren(), 0u);
}
