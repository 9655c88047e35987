// The scrollbar: its thumb placed from the value, dragged with the mouse, and
// bound to a setting that it writes and follows.

#include "ActorTestSupport.h"
#include "engine/core/Config.h"
#include "engine/ui/Scrollbar.h"

using namespace actortest;

namespace {

class ScrollbarTest : public ActorFixture
{
protected:
    void SetUp() override
    {
        ActorFixture::SetUp();
        AddImage("bkgTrackBar.png", 200, 16, 0xFF804020);
        AddImage("btnBlankSmall.png", 40, 40, 0xFFFFD54A, 4);
        config = std::make_unique<Config>(state);
        SetConfig(config.get());
        root = Make();
        root->SetSize(800, 600);
    }

    void TearDown() override
    {
        owned.clear();
        host->queue.Clear();
        SetConfig(nullptr);
        config.reset();
        ActorFixture::TearDown();
    }

    // A 0 to 100 scrollbar at (100, 200) on the screen.
    Scrollbar* Place(double value = 0.0, double minValue = 0.0, double maxValue = 100.0)
    {
        auto* scrollbar = new Scrollbar(value, minValue, maxValue);
        scrollbar->SetPosition(100, 200);
        root->AddChild(scrollbar);
        return scrollbar;
    }

    static EventRecord Mouse(std::uint8_t type, int x, int xrel = 0)
    {
        EventRecord event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.x = static_cast<Uint16>(x);
            event.motion.y = 220;
            event.motion.xrel = static_cast<Sint16>(xrel);
        } else {
            event.button.button = SDL_BUTTON_LEFT;
            event.button.x = static_cast<Uint16>(x);
            event.button.y = 220;
        }
        return event;
    }

    // The pointer comes onto the thumb and presses it, as the application tells them.
    static void Grab(Scrollbar* scrollbar)
    {
        Scrollbar::Thumb* thumb = scrollbar->GetThumb();
        thumb->OnEvent(MakeEventRecord(VELK_MOUSEENTER, 0, static_cast<Actor*>(thumb)));
        scrollbar->OnEvent(Mouse(SDL_MOUSEBUTTONDOWN, ThumbCentre(scrollbar)));
    }

    // The thumb's centre on the screen.
    static int ThumbCentre(Scrollbar* scrollbar)
    {
        Rect rect = scrollbar->GetThumb()->GetGlobalRect();
        return rect.x + rect.w / 2;
    }

    // Drags by dx with the pointer on the thumb.
    static void Drag(Scrollbar* scrollbar, int dx)
    {
        scrollbar->OnEvent(Mouse(SDL_MOUSEMOTION, ThumbCentre(scrollbar) + dx, dx));
    }

    double Setting(const std::string& key) { return config->Retrieve(key).ToDouble(); }

    std::unique_ptr<Config> config;
    Actor* root = nullptr;
};

TEST_F(ScrollbarTest, TheThumbStandsWhereTheValueSays)
{
    Scrollbar* scrollbar = Place();
    EXPECT_EQ(scrollbar->GetWidth(), 240) << "the track and the thumb";
    EXPECT_EQ(scrollbar->GetHeight(), 40);
    EXPECT_EQ(scrollbar->GetTrack()->GetX(), 20);
    EXPECT_EQ(scrollbar->GetTrack()->GetY(), 12);
    EXPECT_EQ(scrollbar->GetLeftEdge(), 20);
    EXPECT_EQ(scrollbar->GetRightEdge(), 220);
    EXPECT_DOUBLE_EQ(scrollbar->GetPosK(), 0.5);
    Scrollbar::Thumb* thumb = scrollbar->GetThumb();
    EXPECT_EQ(thumb->GetX(), 0) << "its centre on the left edge";
    EXPECT_EQ(thumb->GetStateName(), "Active");
    EXPECT_EQ(thumb->GetFrame(), 0);
    EXPECT_TRUE(thumb->IsRolloverable());
    EXPECT_TRUE(scrollbar->GetPlayScrollSound());
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 0.0);

    struct Case
    {
        double value;
        int thumbX;
    };
    for (const Case& c : {Case{25.0, 50}, Case{100.0, 200}, Case{33.3, 66}, Case{0.2, 0}}) {
        scrollbar->SetValue(c.value, true);
        EXPECT_EQ(thumb->GetX(), c.thumbX) << c.value;
        EXPECT_DOUBLE_EQ(scrollbar->RetrieveProperty("value").GetNumber(), c.value);
    }
    scrollbar->SetValue(50.0, false);
    EXPECT_EQ(thumb->GetX(), 0) << "left where it was";
    scrollbar->SetMaxValue(200.0, true);
    EXPECT_DOUBLE_EQ(scrollbar->GetPosK(), 1.0);
    EXPECT_EQ(thumb->GetX(), 50);

    // A thumb put on any pixel reads a value that puts it back on that pixel,
    // whatever rounding the value per pixel brings, and never passes the maximum.
    Scrollbar* odd = Place(0.0, 0.0, 60.0);
    for (int centre = 20; centre <= 220; ++centre) {
        odd->GetThumb()->SetPosition(centre - 20, 0);
        odd->ValueFromThumb();
        ASSERT_EQ(odd->GetThumb()->GetX(), centre - 20) << odd->GetValue().ToDouble();
    }
    EXPECT_DOUBLE_EQ(odd->GetValue().ToDouble(), 60.0);
}

TEST_F(ScrollbarTest, ValuesAndBoundsOutOfOrderFailAndChangeNothing)
{
    Scrollbar* scrollbar = Place(10.0);
    EXPECT_EQ(FailureOf([&] { scrollbar->SetValue(-1.0, true); }), "Assertion failed: (value >= m_MinValue)");
    EXPECT_EQ(FailureOf([&] { scrollbar->SetValue(100.5, true); }), "Assertion failed: (value <= m_MaxValue)");
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 10.0);
    EXPECT_EQ(scrollbar->GetThumb()->GetX(), 20);
    EXPECT_EQ(FailureOf([&] { scrollbar->SetMaxValue(-5.0, true); }), "Assertion failed: (maxValue >= m_MinValue)");
    EXPECT_DOUBLE_EQ(scrollbar->GetMaxValue(), 100.0);
    EXPECT_EQ(FailureOf([&] { Scrollbar(5.0, 10.0, 0.0); }), "Assertion failed: (maxValue >= m_MinValue)");

    // A track without width leaves no room to slide.
    AddImage("bkgTrackBar.png", 0, 16, 0xFF804020);
    EXPECT_EQ(FailureOf([&] { Scrollbar(0.0, 0.0, 1.0); }), "Assertion failed: (m_RightEdge != m_LeftEdge)");
}

TEST_F(ScrollbarTest, DraggingWritesTheSettingAndTheSettingMovesTheThumb)
{
    config->Store("music_volume", Variant(40.0));
    Scrollbar* scrollbar = Place();
    Scrollbar::Thumb* thumb = scrollbar->GetThumb();
    scrollbar->BindValue(std::make_unique<ConfigDataBinder>("music_volume"));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 40.0);
    EXPECT_EQ(ThumbCentre(scrollbar), 100 + 20 + 80);
    ASSERT_EQ(scrollbar->GetListeners().size(), 1u);
    EXPECT_EQ(scrollbar->GetListeners()[0], scrollbar->GetBoundValue());

    thumb->OnEvent(MakeEventRecord(VELK_MOUSEENTER, 0, static_cast<Actor*>(thumb)));
    EXPECT_EQ(thumb->GetStateName(), "Highlighted");
    EXPECT_EQ(thumb->GetFrame(), 2);
    EventRecord right = Mouse(SDL_MOUSEBUTTONDOWN, ThumbCentre(scrollbar));
    right.button.button = SDL_BUTTON_RIGHT;
    EXPECT_FALSE(scrollbar->OnEvent(right)) << "only a primary button grabs";
    EXPECT_TRUE(scrollbar->OnEvent(Mouse(SDL_MOUSEBUTTONDOWN, ThumbCentre(scrollbar))));
    EXPECT_EQ(thumb->GetStateName(), "Scrolling");
    EXPECT_EQ(thumb->GetFrame(), 3);

    // 50 pixels from the left edge is a value of 25; the setting follows once the change is delivered.
    Drag(scrollbar, -30);
    EXPECT_EQ(ThumbCentre(scrollbar), 100 + 20 + 50);
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 25.0);
    EXPECT_DOUBLE_EQ(Setting("music_volume"), 40.0);
    host->DispatchEvents();
    EXPECT_DOUBLE_EQ(Setting("music_volume"), 25.0);

    // Past either end the thumb stops on the edge and the value on the bound.
    Drag(scrollbar, 500);
    EXPECT_EQ(ThumbCentre(scrollbar), 100 + 220);
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 100.0);
    Drag(scrollbar, -500);
    EXPECT_EQ(ThumbCentre(scrollbar), 100 + 20);
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 0.0);
    Drag(scrollbar, 30);
    host->DispatchEvents();
    EXPECT_DOUBLE_EQ(Setting("music_volume"), 15.0);

    EXPECT_TRUE(scrollbar->OnEvent(Mouse(SDL_MOUSEBUTTONUP, ThumbCentre(scrollbar))));
    EXPECT_EQ(thumb->GetStateName(), "Highlighted") << "released under the pointer";
    Drag(scrollbar, 30);
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 15.0) << "no drag without the button";

    // Changed elsewhere: the scrollbar follows; beyond its bounds it stops at the nearer one.
    config->Store("music_volume", Variant(10.0));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 10.0);
    EXPECT_EQ(ThumbCentre(scrollbar), 100 + 20 + 20);
    host->DispatchEvents();
    EXPECT_DOUBLE_EQ(Setting("music_volume"), 10.0);
    config->Store("music_volume", Variant(150.0));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 100.0);
    host->DispatchEvents();
    EXPECT_DOUBLE_EQ(Setting("music_volume"), 100.0) << "the setting is held to the bound too";
    config->Store("music_volume", Variant("loud"));
    config->Store("sfx_volume", Variant(30.0));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 100.0) << "neither a text nor another key moves it";
}

TEST_F(ScrollbarTest, ThePointerMustStayOverTheThumbToDragIt)
{
    Scrollbar* scrollbar = Place(50.0);
    Scrollbar::Thumb* thumb = scrollbar->GetThumb();
    Grab(scrollbar);
    thumb->OnEvent(MakeEventRecord(VELK_MOUSELEAVE, 0, static_cast<Actor*>(thumb)));
    EXPECT_FALSE(thumb->IsMouseOver());
    EXPECT_EQ(thumb->GetStateName(), "Scrolling") << "a drag outlives leaving the thumb";

    // Off the thumb: only while the pointer's x is still over it.
    Rect rect = thumb->GetGlobalRect();
    scrollbar->OnEvent(Mouse(SDL_MOUSEMOTION, rect.x + rect.w + 5, 10));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 50.0);
    scrollbar->OnEvent(Mouse(SDL_MOUSEMOTION, rect.x + rect.w - 1, 10));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 55.0);

    host->logLevel = 3;
    ClearLogCache();
    scrollbar->OnEvent(Mouse(SDL_MOUSEBUTTONUP, 0));
    EXPECT_EQ(thumb->GetStateName(), "Active") << "released away from the thumb";
    EXPECT_EQ(thumb->GetFrame(), 0);
    std::vector<std::string> lines = GetCachedLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Scrollbar::Thumb::SetState: Active\n"), lines.end());

    // Shown again under a pointer that is still there, the thumb lights up by itself.
    thumb->OnEvent(MakeEventRecord(VELK_MOUSEENTER, 0, static_cast<Actor*>(thumb)));
    thumb->SetState("Active");
    auto* visibility = new LuaObject;
    visibility->AssignString(state, "visibility changed");
    host->PostEvent(thumb, MakeEventRecord(VELK_INTERNALEVENT, 0, reinterpret_cast<void*>(1), visibility));
    host->DispatchEvents();
    EXPECT_EQ(thumb->GetStateName(), "Highlighted");
}

TEST_F(ScrollbarTest, OffTheThumbADragFollowsFromItsFirstColumnToItsLast)
{
    struct Case
    {
        int dx;  // the pointer's column from the thumb's left
        bool follows;
    };
    const Case cases[] = {{-1, false}, {0, true}, {39, true}, {40, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "column " << c.dx);
        Scrollbar* scrollbar = Place(50.0);
        Scrollbar::Thumb* thumb = scrollbar->GetThumb();
        Grab(scrollbar);
        thumb->OnEvent(MakeEventRecord(VELK_MOUSELEAVE, 0, static_cast<Actor*>(thumb)));
        const Rect rect = thumb->GetGlobalRect();
        ASSERT_EQ(rect.w, 40);
        scrollbar->OnEvent(Mouse(SDL_MOUSEMOTION, rect.x + c.dx, 10));
        EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), c.follows ? 55.0 : 50.0);
        root->RemoveChild(scrollbar);
        delete scrollbar;
    }
}

TEST_F(ScrollbarTest, TheScrollSoundIsPacedByOneTimer)
{
    Scrollbar* scrollbar = Place(50.0);
    Grab(scrollbar);
    Drag(scrollbar, 2);
    std::uint32_t id = scrollbar->GetSoundTimerID();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(timers->GetTimer(id).m_Group->m_Name, "default");
    EXPECT_NE(timers->GetTimer(id).m_Flags & TIMER_LIMITED_TO_FRAMERATE, 0u) << "counted in passes";
    std::size_t slots = timers->GetTimerCount();

    // 200 ms of dragging: one timer, gone at the seventh pass.
    for (int pass = 1; pass <= 7; ++pass) {
        Drag(scrollbar, 1);
        EXPECT_EQ(scrollbar->GetSoundTimerID(), id) << pass;
        Pass(root);
    }
    EXPECT_EQ(scrollbar->GetSoundTimerID(), 0u);
    EXPECT_NE(timers->GetTimer(id).m_Flags & TIMER_FREED, 0u) << "a spent timer is given back";
    for (int pass = 0; pass < 50; ++pass) {
        Drag(scrollbar, pass % 2 ? 1 : -1);
        Pass(root);
    }
    EXPECT_EQ(timers->GetTimerCount(), slots) << "a long drag does not pile up timers";

    scrollbar->SetPlayScrollSound(false);
    for (int pass = 0; pass < 8; ++pass)
        Pass(root);
    Drag(scrollbar, 1);
    EXPECT_EQ(scrollbar->GetSoundTimerID(), 0u);

    // A scrollbar deleted mid-pause frees its timer.
    scrollbar->SetPlayScrollSound(true);
    Drag(scrollbar, 1);
    id = scrollbar->GetSoundTimerID();
    ASSERT_NE(id, 0u);
    root->DestroyChild(scrollbar);
    Pass(root);
    EXPECT_NE(timers->GetTimer(id).m_Flags & TIMER_FREED, 0u);
}

TEST_F(ScrollbarTest, ANewBindingReplacesTheOldAndDeletionLetsGo)
{
    config->Store("music_volume", Variant(20.0));
    config->Store("sfx_volume", Variant(70.0));
    Scrollbar* scrollbar = Place();
    scrollbar->BindValue(std::make_unique<ConfigDataBinder>("music_volume"));
    scrollbar->BindValue(std::make_unique<ConfigDataBinder>("sfx_volume"));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 70.0);
    ASSERT_EQ(scrollbar->GetListeners().size(), 1u);
    EXPECT_EQ(scrollbar->GetBoundValue()->GetKey(), "sfx_volume");
    config->Store("music_volume", Variant(5.0));
    EXPECT_DOUBLE_EQ(scrollbar->GetValue().ToDouble(), 70.0);

    Grab(scrollbar);
    Drag(scrollbar, 20);
    host->DispatchEvents();
    EXPECT_DOUBLE_EQ(Setting("sfx_volume"), 80.0);
    EXPECT_DOUBLE_EQ(Setting("music_volume"), 5.0);

    // Gone, with a change still queued: nothing reaches it or its binder.
    Drag(scrollbar, 20);
    root->DestroyChild(scrollbar);
    Pass(root);
    config->Store("sfx_volume", Variant(10.0));
    EXPECT_EQ(host->DispatchEvents(), 0);
    EXPECT_DOUBLE_EQ(Setting("sfx_volume"), 10.0);
}

TEST_F(ScrollbarTest, ScriptsSeeTheValueAndTheSoundSwitch)
{
    Scrollbar* scrollbar = Place(30.0);
    LuaObject self = scrollbar->GetLuaObject();
    EXPECT_TRUE(self["playScrollSound"].GetBoolean());
    self.SetBoolean("playScrollSound", false);
    EXPECT_FALSE(scrollbar->GetPlayScrollSound());
    EXPECT_DOUBLE_EQ(self["value"].GetNumber(), 30.0);
    LuaObject table;
    table.AssignNewTable(state);
    scrollbar->StoreProperties(table);
    EXPECT_TRUE(table["playScrollSound"].IsBoolean());
    EXPECT_FALSE(table["playScrollSound"].GetBoolean());
    EXPECT_EQ(ClassManager::GetInstance()->GetClass("Scrollbar")->GetParentName(), "Actor");
}

} // namespace
