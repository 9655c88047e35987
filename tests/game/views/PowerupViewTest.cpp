// The power-up bar: items rebuilt from the ordered records, their faces by
// type, the multiplier's digits and the burst on new or changed records.

#include "CharacterTestSupport.h"
#include "engine/ui/Label.h"
#include "game/views/WopplePowerupView.h"

using namespace viewtest;

namespace {

class PowerupViewTest : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        // As a layout makes it: by class, the template applied by the bar itself.
        bar = dynamic_cast<WopplePowerupView*>(ClassManager::GetInstance()->InstantiateObject(
            Eval("{ class = 'WopplePowerupView' }")));
        ASSERT_NE(bar, nullptr);
        bar->SetPosition(500, 300);
        screen->AddChild(bar, "wopplePowerupView_1");
        Pass();
    }

    WopplePowerupViewItem* Item(int i) { return bar->GetItem(i); }

    // What the visible items show, in item order: "type:image:text".
    std::vector<std::string> Shown()
    {
        std::vector<std::string> shown;
        for (int i = 1; i <= WopplePowerupView::kNumItems; ++i) {
            WopplePowerupViewItem* item = Item(i);
            if (!item->IsVisible())
                continue;
            Label* label = item->GetPowerupLabel();
            shown.push_back(item->GetName() + ":" + item->GetImageName() + ":" + (label ? label->GetText() : "?"));
        }
        return shown;
    }

    int Bursts()
    {
        int n = 0;
        for (int i = 1; i <= WopplePowerupView::kNumItems; ++i)
            n += Item(i)->GetBurstCount();
        return n;
    }

    WopplePowerupView* bar = nullptr;
};

} // namespace

TEST_F(PowerupViewTest, NineItemsFillThreeRowsAndStartHidden)
{
    const Rect barRect = bar->GetGlobalRect();
    for (int i = 1; i <= 9; ++i) {
        WopplePowerupViewItem* item = Item(i);
        ASSERT_NE(item, nullptr) << i;
        EXPECT_FALSE(item->IsVisible()) << i;
        const Rect r = item->GetGlobalRect();
        const int column = (i - 1) % 3, row = (i - 1) / 3;
        // Left, middle and right; top, middle and bottom of the bar.
        const int x[] = {barRect.x, barRect.x + barRect.w / 2 - r.w / 2, barRect.x + barRect.w - r.w};
        const int y[] = {barRect.y, barRect.y + barRect.h / 2 - r.h / 2, barRect.y + barRect.h - r.h};
        EXPECT_EQ(r.x, x[column]) << i;
        EXPECT_EQ(r.y, y[row]) << i;
    }
    EXPECT_GT(Item(1)->GetZOrder(), Item(4)->GetZOrder());
    EXPECT_GT(Item(4)->GetZOrder(), Item(7)->GetZOrder());
}

TEST_F(PowerupViewTest, RemovingTheFirstOfThreeMovesTheOthersUp)
{
    bar->AddFreeSpin();
    bar->AddDevilProtection();
    bar->AddPowerup("x", "Lucky", 2);
    Pass();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"FreeSpin:freespin.png:", "DevilProtection:devil_prot.png:",
                                                 "Lucky:powerup.png:x2"}));
    EXPECT_EQ(Bursts(), 3);

    bar->RemoveFreeSpin();
    Pass();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"DevilProtection:devil_prot.png:", "Lucky:powerup.png:x2"}));
    EXPECT_FALSE(Item(3)->IsVisible());
    EXPECT_EQ(Item(2)->GetPowerupType(), "Lucky");
    // Already shown: moving up is no news.
    EXPECT_EQ(Bursts(), 3);
}

TEST_F(PowerupViewTest, TwoFreeSpinsAreTwoItemsAndRemovingOneLeavesOne)
{
    bar->AddFreeSpin();
    bar->AddFreeSpin();
    EXPECT_EQ(Shown().size(), 2u);
    bar->RemoveFreeSpin();
    EXPECT_EQ(Shown(), (std::vector<std::string>{"FreeSpin:freespin.png:"}));
    EXPECT_TRUE(bar->HasPowerup("FreeSpin"));
    bar->RemoveFreeSpin();
    EXPECT_FALSE(bar->HasPowerup("FreeSpin"));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(PowerupViewTest, EachKnownTypeHasItsOwnFaceAndNoText)
{
    struct Case
    {
        const char* type;
        const char* image;
    };
    for (const Case& c : {Case{"FreeSpin", "freespin.png"}, Case{"AllSpinsFree", "spins_free.png"},
                          Case{"BounceWopples", "bouncewopple.png"}, Case{"BonusFrog", "bonusfrog.png"},
                          Case{"woppleVision", "wopplevision.png"}, Case{"DevilProtection", "devil_prot.png"},
                          Case{"freespin", "powerup.png"}}) {
        bar->AddPowerup("label", c.type, 0);
        EXPECT_EQ(Item(1)->GetImageName(), c.image) << c.type;
        // Only the tag of an unknown kind speaks; a near miss of a name is one.
        const bool plain = std::string(c.image) == "powerup.png";
        EXPECT_EQ(Item(1)->GetPowerupLabel()->GetText(), plain ? "label" : "") << c.type;
        bar->RemovePowerup(c.type);
    }
}

TEST_F(PowerupViewTest, TheMultiplierBurstsOnlyWhenItsValueChanges)
{
    bar->SetMultiplier(3);
    bar->SetMultiplier(3);
    EXPECT_EQ(Bursts(), 1);
    EXPECT_EQ(Item(1)->GetImageName(), "multiply_bg.png");

    bar->SetMultiplier(4);
    EXPECT_EQ(Bursts(), 2);
    // One graphic, the new one: the digit 4 and the "x" from the strip.
    std::vector<Actor*> graphics;
    for (Actor* child : Item(1)->GetChildren())
        if (child->GetName() == "multiplierGraphic" && !child->IsBeingDestroyed())
            graphics.push_back(child);
    ASSERT_EQ(graphics.size(), 1u);
    ASSERT_EQ(graphics[0]->GetNumChildren(), 2u);
    Actor* digit = graphics[0]->GetChildren().front();
    EXPECT_EQ(digit->GetImageName(), "text_numbers.png");
    EXPECT_EQ(digit->GetFrame(), 3);
    EXPECT_EQ(graphics[0]->GetChildren().back()->GetFrame(), 10);
    EXPECT_EQ(Item(1)->GetPowerupLabel()->GetText(), "");

    bar->SetMultiplier(1);
    EXPECT_FALSE(bar->HasPowerup("Multiplier"));
    EXPECT_TRUE(Shown().empty());
}

TEST_F(PowerupViewTest, ManyDigitsStandSideBySideOverlapping)
{
    bar->SetMultiplier(10);
    Actor* graphic = Item(1)->FindChild("multiplierGraphic");
    ASSERT_NE(graphic, nullptr);
    std::vector<int> frames, xs;
    for (Actor* digit : graphic->GetChildren()) {
        frames.push_back(digit->GetFrame());
        xs.push_back(digit->GetX());
    }
    // 1 is frame 0, 0 is frame 9, then the "x"; each 4 pixels into the one before.
    const int w = graphic->GetChildren().front()->GetWidth();
    EXPECT_EQ(frames, (std::vector<int>{0, 9, 10}));
    EXPECT_EQ(xs, (std::vector<int>{0, w - 4, 2 * (w - 4)}));
    EXPECT_EQ(graphic->GetWidth(), 3 * w - 2 * 4);
    // Centred on the tag.
    const Rect item = Item(1)->GetGlobalRect(), g = graphic->GetGlobalRect();
    EXPECT_EQ(g.x, item.x + item.w / 2 - g.w / 2);
}

TEST_F(PowerupViewTest, AnUpdateOfAnotherValueShowsTheNewTextWithABurst)
{
    bar->AddPowerup("x", "Lucky", 2);
    bar->UpdatePowerup("y", "Lucky", 2);
    EXPECT_EQ(Item(1)->GetPowerupLabel()->GetText(), "y2");
    EXPECT_EQ(Bursts(), 1);
    bar->UpdatePowerup("y", "Lucky", 5);
    EXPECT_EQ(Item(1)->GetPowerupLabel()->GetText(), "y5");
    EXPECT_EQ(Bursts(), 2);
    // An update of a type the bar does not hold adds nothing.
    bar->UpdatePowerup("z", "Other", 1);
    EXPECT_EQ(Shown().size(), 1u);
}

TEST_F(PowerupViewTest, TheBurstIsTheScreensWhiteBurstAtTheItemsCentre)
{
    // The game screen offers the effect as a script method taking the point
    // as one table; a plain screen takes a function of those arguments.
    Global("_screen", *screen);
    Lua("_bursts = {}\n"
        "_screen.StartParticleEmitter = function(screen, name, at)\n"
        "    table.insert(_bursts, name .. ' ' .. at[1] .. ' ' .. at[2])\n"
        "end\n");
    bar->AddFreeSpin();
    const Rect r = Item(1)->GetGlobalRect();
    EXPECT_EQ(Eval("_bursts[1]").GetString(),
              "WhiteBurstEffect " + std::to_string(r.x + r.w / 2) + " " + std::to_string(r.y + r.h / 2));
    bar->BurstPowerup("FreeSpin");
    bar->BurstPowerup("Lucky");
    EXPECT_EQ(Eval("table.getn(_bursts)").GetInteger(), 2);
}

TEST_F(PowerupViewTest, ClicksOnAnItemReachTheListener)
{
    ClickRecorder rules;
    bar->AddListenerToItems(&rules);
    bar->AddFreeSpin();
    bar->AddPowerup("x", "Lucky", 0);
    Pass();
    // The last pixel of the second tag is the tag; the one past it is the
    // hidden third item's place, which takes no click.
    const Rect r = Item(2)->GetGlobalRect();
    ClickAt(r.x + r.w - 1, r.y + r.h / 2);
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"Lucky"}));
    ClickAt(Item(3)->GetGlobalRect().x + Item(3)->GetWidth() - 1, r.y + r.h / 2);
    EXPECT_EQ(rules.clicks.size(), 1u);
    ClickOn(*Item(1));
    EXPECT_EQ(rules.clicks, (std::vector<std::string>{"Lucky", "FreeSpin"}));
}

TEST_F(PowerupViewTest, ATenthRecordWaitsAndLookUpsOutsideTheBarAreNil)
{
    for (int i = 1; i <= 10; ++i)
        bar->AddPowerup("p", "Kind" + std::to_string(i), 0);
    EXPECT_EQ(Shown().size(), 9u);
    EXPECT_EQ(Item(9)->GetName(), "Kind9");
    // The tenth moves in when a place comes free.
    bar->RemovePowerup("Kind1");
    EXPECT_EQ(Shown().size(), 9u);
    EXPECT_EQ(Item(9)->GetName(), "Kind10");

    EXPECT_EQ(bar->GetItem(0), nullptr);
    EXPECT_EQ(bar->GetItem(10), nullptr);
    Global("_bar", *bar);
    EXPECT_TRUE(Eval("_bar:GetItem(10)").IsNil());
    EXPECT_TRUE(Eval("_bar:GetItem(-1)").IsNil());
    EXPECT_EQ(Eval("_bar:GetItem(2).powerupType").GetString(), "Kind3");
}
