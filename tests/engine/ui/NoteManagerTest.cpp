// The screen's note manager: notes shown through its script methods, placed
// beside their spot, their button sets, closed by buttons and keys (and how
// lastButtonPressed tells which), reused, hidden with the manager, destroyed by
// their timer or on demand, and a help script that waits for the player.

#include "ButtonTestSupport.h"
#include "engine/core/TimerManager.h"
#include "engine/ui/Label.h"
#include "engine/ui/NoteBubble.h"
#include "engine/ui/NoteManager.h"
#include "engine/ui/BubbleParts.h"

#include <boost/format.hpp>

#include <gmock/gmock.h>

using namespace buttontest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// One line of note: 260 x 54; its arrow is 28 x 28.
constexpr int kNoteWidth = 260;
constexpr int kNoteHeight = 54;
constexpr int kArrow = 28;

class NoteManagerTest : public ButtonFixture
{
protected:
    void SetUp() override
    {
        ButtonFixture::SetUp();
        notes = screen->GetNoteManager();
        ASSERT_NE(notes, nullptr);
        app->GetLuaState().GetGlobals().SetObject("notes", notes->GetLuaObject());
    }

    void Lua(const std::string& source)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(source) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
    }

    LuaObject Eval(const std::string& expression)
    {
        Lua("_result = " + expression);
        return app->GetLuaState().GetGlobal("_result");
    }

    NoteBubble* Bubble() const { return notes->GetNoteBubble(); }
    Actor* ButtonSet() const { return Bubble() ? Bubble()->FindChild("NoteBubbleButtonSet") : nullptr; }
    Button* ButtonNamed(const std::string& name) const
    {
        Actor* set = ButtonSet();
        return set ? dynamic_cast<Button*>(set->FindChild(name)) : nullptr;
    }

    void Click(Button& button)
    {
        button.ManuallyPressButton();
        button.ManuallyReleaseButton();
        Pass();
    }

    // Passes of 32 ms until that much time has gone by.
    void Wait(std::uint32_t milliseconds)
    {
        for (std::uint32_t waited = 0; waited < milliseconds; waited += 32) {
            clock.now += 32;
            Pass();
        }
    }

    // Runs the global script function on the manager under the tag.
    void RunOnManager(const std::string& function, const std::string& tag)
    {
        notes->AddScript(app->GetLuaState().GetGlobal(function.c_str()), tag);
    }

    NoteManager* notes = nullptr;
};

EventRecord KeyDown(int sym)
{
    EventRecord record{};
    record.key.type = SDL_KEYDOWN;
    record.key.keysym.sym = static_cast<SDLKey>(sym);
    return record;
}

} // namespace

TEST_F(NoteManagerTest, EveryScreenHasAVisibleNoteManagerOverItOnLayer1001)
{
    EXPECT_EQ(notes->GetParent(), screen);
    EXPECT_TRUE(notes->HasLayer());
    EXPECT_EQ(notes->GetLayer(), 1001);
    EXPECT_TRUE(notes->IsVisible());
    EXPECT_EQ(notes->GetClass()->GetName(), "NoteManager");
    EXPECT_EQ(notes->GetClass()->GetParentName(), "Actor");
    EXPECT_EQ(notes->GetWidth(), 800);
    EXPECT_EQ(notes->GetHeight(), 600);
    EXPECT_EQ(Bubble(), nullptr);
    EXPECT_FALSE(Eval("notes:IsNoteBubbleVisible()").GetBoolean());
    EXPECT_EQ(Eval("BUBBLE_POINT_TOP").GetInteger(), NoteManager::PLACE_BELOW);
    EXPECT_EQ(Eval("BUBBLE_ALL_BUTTONS_OFF").GetInteger(), NoteManager::BUTTONS_NONE);
}

TEST_F(NoteManagerTest, PointOutShowsANoteWithoutButtonsThatItsTimerDestroys)
{
    Lua("notes:PointOut('Look here', {400, 300}, BUBBLE_POINT_TOP)");
    NoteBubble* bubble = Bubble();
    ASSERT_NE(bubble, nullptr);
    EXPECT_EQ(bubble->GetParent(), notes);
    EXPECT_EQ(bubble->GetZOrder(), 100);
    EXPECT_EQ(bubble->GetText(), "Look here");
    EXPECT_EQ(bubble->GetStyle(), "White");
    EXPECT_EQ(bubble->GetDirection(), NoteBubble::ARROW_ABOVE);
    EXPECT_FALSE(bubble->GetShowCloseBox());
    EXPECT_EQ(bubble->GetPosition(), Point<int>(400 - kNoteWidth / 2, 300 + kArrow));
    EXPECT_EQ(ButtonSet(), nullptr);
    EXPECT_TRUE(Eval("notes:IsNoteBubbleVisible()").GetBoolean());
    EXPECT_TRUE(notes->HasAutoCloseTimer());

    // 5000 ms when no duration is given.
    Wait(4900);
    EXPECT_EQ(Bubble(), bubble);
    Wait(200);
    EXPECT_EQ(Bubble(), nullptr);
    EXPECT_FALSE(notes->HasAutoCloseTimer());
    EXPECT_FALSE(Eval("notes:IsNoteBubbleVisible()").GetBoolean());

    // A duration of its own; what is not a number or a colour name counts as none.
    Lua("notes:PointOut('Quick', {400, 300}, BUBBLE_POINT_NONE, 1000)");
    Wait(1100);
    EXPECT_EQ(Bubble(), nullptr);
    Lua("notes:PointOut('Slow', {400, 300}, BUBBLE_POINT_NONE, 'soon', 7)");
    ASSERT_NE(Bubble(), nullptr);
    EXPECT_EQ(Bubble()->GetStyle(), "White");
    Wait(4900);
    EXPECT_NE(Bubble(), nullptr);
    Wait(200);
    EXPECT_EQ(Bubble(), nullptr);
}

TEST_F(NoteManagerTest, TheNoteSitsBesideItsSpotItsArrowsLengthAway)
{
    struct Case
    {
        int direction;
        Point<int> at;
    };
    const Point<int> spot(400, 300);
    const std::vector<Case> cases = {
        {NoteManager::PLACE_CENTERED, {spot.x - kNoteWidth / 2, spot.y - kNoteHeight / 2}},
        {NoteManager::PLACE_RIGHT, {spot.x + kArrow, spot.y - kNoteHeight / 2}},
        {NoteManager::PLACE_LEFT, {spot.x - kArrow - kNoteWidth, spot.y - kNoteHeight / 2}},
        // Its bottom edge an arrow's height above the spot.
        {NoteManager::PLACE_ABOVE, {spot.x - kNoteWidth / 2, spot.y - kArrow - kNoteHeight}},
        {NoteManager::PLACE_BELOW, {spot.x - kNoteWidth / 2, spot.y + kArrow}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        notes->PointOutNoButton("A note", spot, c.direction);
        ASSERT_NE(Bubble(), nullptr);
        EXPECT_EQ(Bubble()->GetDirection(), c.direction);
        EXPECT_EQ(notes->GetNoteBubbleDirection(), c.direction);
        EXPECT_EQ(Bubble()->GetPosition(), c.at);
        EXPECT_EQ(Bubble()->GetHeight(), kNoteHeight);
    }

    // An unknown side leaves the note where it stands.
    const Point<int> before = Bubble()->GetPosition();
    notes->PointOutNoButton("A note", Point<int>(10, 10), 7);
    EXPECT_EQ(Bubble()->GetPosition(), before);
}

TEST_F(NoteManagerTest, AnotherPointOutReusesTheShownNoteWithItsNewTextSideAndPlace)
{
    Lua("notes:PointOut('First', {400, 300}, BUBBLE_POINT_RIGHT)");
    NoteBubble* bubble = Bubble();
    ASSERT_NE(bubble, nullptr);
    Lua("notes:PointOut('Second', {100, 200}, BUBBLE_POINT_LEFT)");
    EXPECT_EQ(Bubble(), bubble);
    EXPECT_EQ(bubble->GetText(), "Second");
    EXPECT_EQ(bubble->GetDirection(), NoteBubble::ARROW_RIGHT);
    EXPECT_EQ(bubble->GetPosition(), Point<int>(100 - kArrow - kNoteWidth, 200 - kNoteHeight / 2));
    EXPECT_EQ(bubble->GetPieces().GetLabel()->GetText(), "Second");
    // The timer starts again with the new note.
    Wait(4900);
    EXPECT_EQ(Bubble(), bubble);
}

TEST_F(NoteManagerTest, EachKindOfPointOutCarriesItsButtons)
{
    struct Expected
    {
        std::string name;
        std::string caption;
        int key;
        bool visible;
    };
    struct Case
    {
        const char* call;
        std::vector<Expected> buttons;
        bool hasSet;
    };
    const std::vector<Case> cases = {
        {"notes:PointOutNoButton('Note', {400, 300}, 0)", {}, true},
        {"notes:PointOutWithOkay('Note', {400, 300}, 0)", {{"okayButton", "Okay", 'o', true}}, true},
        {"notes:PointOutWithNext('Note', {400, 300}, 0, BUBBLE_ALL_BUTTONS_ON)",
         {{"backButton", "Back", 'b', true}, {"nextButton", "Next", 'n', true}},
         true},
        {"notes:PointOutWithNext('Note', {400, 300}, 0, BUBBLE_NEXT_BUTTON_OFF)",
         {{"backButton", "Back", 'b', true}, {"closeButton", "Close", 'c', true}},
         true},
        {"notes:PointOutWithNext('Note', {400, 300}, 0, BUBBLE_BACK_BUTTON_OFF)",
         {{"backButton", "Back", 'b', false}, {"nextButton", "Next", 'n', true}},
         true},
        {"notes:PointOutWithNext('Note', {400, 300}, 0, BUBBLE_ALL_BUTTONS_OFF)", {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        // Each showing starts from a hidden note.
        notes->HideNoteBubble();
        Lua(c.call);
        ASSERT_NE(Bubble(), nullptr);
        EXPECT_TRUE(notes->IsNoteBubbleVisible());
        EXPECT_FALSE(notes->HasAutoCloseTimer());
        Actor* set = ButtonSet();
        ASSERT_EQ(set != nullptr, c.hasSet);
        if (!set)
            continue;
        EXPECT_EQ(set->GetParent(), Bubble());
        EXPECT_EQ(set->GetWidth(), 155);
        EXPECT_EQ(set->GetHeight(), 40);
        std::size_t buttons = 0;
        for (Actor* child : set->GetChildren())
            buttons += dynamic_cast<Button*>(child) != nullptr;
        EXPECT_EQ(buttons, c.buttons.size());
        for (const Expected& e : c.buttons) {
            SCOPED_TRACE(e.name);
            Button* button = ButtonNamed(e.name);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->GetImageName(), "btnPin.png");
            EXPECT_EQ(button->GetLabel()->GetText(), e.caption);
            EXPECT_EQ(button->GetShortcutKey(), e.key);
            EXPECT_EQ(button->IsVisible(), e.visible);
            EXPECT_EQ(button->GetReceivers(), std::vector<EventReceiver*>{notes});
        }
    }
}

TEST_F(NoteManagerTest, ButtonsSitUnderTheLastLineOfTheTextAndANoteWithoutThemIsNoTaller)
{
    const std::string two = "A Super Joker! Click any square you like, on any board, any board at all.";
    const auto labelOf = [&] { return bubble::HeldActor(Bubble()->GetPieces().label); };
    Lua("notes:PointOutNoButton('" + two + "', {400, 300}, 0)");
    ASSERT_NE(labelOf(), nullptr);
    const int plainHeight = Bubble()->GetHeight();
    ASSERT_GT(labelOf()->GetHeight(), 30) << "two lines";
    for (const char* call : {"notes:PointOutWithOkay('%s', {400, 300}, 0)",
                             "notes:PointOutWithNext('%s', {400, 300}, 0, BUBBLE_ALL_BUTTONS_ON)"}) {
        SCOPED_TRACE(call);
        notes->HideNoteBubble();
        Lua((boost::format(call) % two).str());
        const Rect text = labelOf()->GetGlobalRect();
        for (Actor* child : ButtonSet()->GetChildren())
            if (auto* button = dynamic_cast<Button*>(child); button && button->IsVisible()) {
                EXPECT_GE(button->GetGlobalRect().y, text.y + text.h) << button->GetName();
            }
        EXPECT_GT(Bubble()->GetHeight(), plainHeight);
        // The text stays inside the bubble.
        EXPECT_GE(text.y, Bubble()->GetGlobalRect().y);
    }
    notes->HideNoteBubble();
    Lua("notes:PointOutNoButton('" + two + "', {400, 300}, 0)");
    EXPECT_EQ(Bubble()->GetHeight(), plainHeight);
}

TEST_F(NoteManagerTest, AButtonHidesTheNoteAndSaysWhichItWas)
{
    notes->SetShowCloseBox(true);
    Lua("notes:PointOutWithNext('Step one', {400, 300}, BUBBLE_POINT_RIGHT, BUBBLE_ALL_BUTTONS_ON)");
    NoteBubble* bubble = Bubble();
    ASSERT_NE(bubble, nullptr);
    Pass();

    Click(*ButtonNamed("nextButton"));
    EXPECT_EQ(notes->GetLastButtonPressed(), "nextButton");
    EXPECT_EQ(Eval("notes.lastButtonPressed").GetString(), "nextButton");
    EXPECT_FALSE(notes->IsNoteBubbleVisible());
    EXPECT_EQ(Bubble(), bubble) << "hidden, kept for the next note";
    EXPECT_EQ(ButtonSet(), nullptr);
    auto* close = dynamic_cast<Button*>(bubble->FindChild("BubbleCloseButton"));
    ASSERT_NE(close, nullptr);
    EXPECT_FALSE(close->IsEnabled());

    // Shown again with the same words: a fresh set, a live close box.
    Lua("notes:PointOutWithNext('Step one', {400, 300}, BUBBLE_POINT_RIGHT, BUBBLE_ALL_BUTTONS_ON)");
    EXPECT_TRUE(notes->IsNoteBubbleVisible());
    EXPECT_TRUE(close->IsEnabled());
    Pass();
    Click(*close);
    EXPECT_EQ(notes->GetLastButtonPressed(), "closeButton");
    EXPECT_FALSE(notes->IsNoteBubbleVisible());

    // Shown twice while visible: still one set.
    Lua("notes:PointOutWithOkay('Done', {400, 300}, 0)");
    Lua("notes:PointOutWithOkay('Done', {400, 300}, 0)");
    std::size_t sets = 0;
    for (Actor* child : Bubble()->GetChildren())
        sets += child->GetName() == "NoteBubbleButtonSet" && !child->IsBeingDestroyed();
    EXPECT_EQ(sets, 1u);
    Pass();

    // The buttons' own keys work too: Alt with the letter, Enter for the right one.
    Stroke('o', KMOD_LALT);
    EXPECT_EQ(notes->GetLastButtonPressed(), "okayButton");
    Lua("notes:PointOutWithNext('Step two', {400, 300}, 0, BUBBLE_ALL_BUTTONS_ON)");
    Pass();
    Stroke('b', KMOD_LALT);
    EXPECT_EQ(notes->GetLastButtonPressed(), "backButton");
    Lua("notes:PointOutWithNext('Step three', {400, 300}, 0, BUBBLE_NEXT_BUTTON_OFF)");
    Pass();
    Stroke(SDLK_RETURN);
    EXPECT_EQ(notes->GetLastButtonPressed(), "closeButton");
    EXPECT_FALSE(notes->IsNoteBubbleVisible());
}

TEST_F(NoteManagerTest, ArrowsSpaceAndBackspaceAnswerUnlessTheNoteHasNoButtonsAndF1AlwaysCloses)
{
    struct Case
    {
        int mode;
        int key;
        const char* pressed;  // null: the key is not the note's
    };
    const std::vector<Case> cases = {
        {NoteManager::BUTTONS_ALL, SDLK_RIGHT, "nextButton"},    {NoteManager::BUTTONS_ALL, SDLK_SPACE, "nextButton"},
        {NoteManager::BUTTONS_ALL, SDLK_LEFT, "backButton"},     {NoteManager::BUTTONS_ALL, SDLK_BACKSPACE, "backButton"},
        {NoteManager::BUTTONS_ALL, SDLK_F1, "closeButton"},      {NoteManager::BUTTONS_ALL, SDLK_q, nullptr},
        {NoteManager::BUTTONS_NONE, SDLK_RIGHT, nullptr},        {NoteManager::BUTTONS_NONE, SDLK_SPACE, nullptr},
        {NoteManager::BUTTONS_NONE, SDLK_LEFT, nullptr},         {NoteManager::BUTTONS_NONE, SDLK_BACKSPACE, nullptr},
        {NoteManager::BUTTONS_NONE, SDLK_F1, "closeButton"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(c.key));
        notes->PointOutWithNext("Note", Point<int>(400, 300), 0, c.mode);
        Pass();
        Lua("notes.lastButtonPressed = ''");
        // Through the screen, as the player's keys come.
        Stroke(c.key);
        EXPECT_EQ(notes->GetLastButtonPressed(), c.pressed ? c.pressed : "");
        EXPECT_EQ(notes->IsNoteBubbleVisible(), c.pressed == nullptr);
        notes->HideNoteBubble();
    }

    // With no note showing, no key is the manager's.
    EXPECT_FALSE(notes->OnKeyDown(KeyDown(SDLK_F1)));
    notes->DestroyNoteBubble();
    EXPECT_FALSE(notes->OnKeyDown(KeyDown(SDLK_RIGHT)));
}

TEST_F(NoteManagerTest, TheNoteIsShownAndHiddenWithTheManager)
{
    notes->SetVisible(false);
    Lua("notes:PointOutNoButton('Hidden', {400, 300}, 0)");
    ASSERT_NE(Bubble(), nullptr);
    EXPECT_FALSE(Bubble()->IsVisible());
    EXPECT_FALSE(Eval("notes:IsNoteBubbleVisible()").GetBoolean());
    notes->SetVisible(true);
    EXPECT_TRUE(notes->IsVisible());
    EXPECT_TRUE(Bubble()->IsVisible());
    notes->SetVisible(false);
    EXPECT_FALSE(Bubble()->IsVisible());
}

TEST_F(NoteManagerTest, DestroyingTheNoteStopsThePointOutScriptsAndTheTimer)
{
    Lua("function WaitForever(manager) while true do ScriptBreak() end end");
    RunOnManager("WaitForever", "PointOut");
    RunOnManager("WaitForever", "");
    Lua("notes:PointOut('Soon gone', {400, 300}, 0)");
    Pass();
    ASSERT_NE(Bubble(), nullptr);

    notes->HideNoteBubble();
    EXPECT_NE(Bubble(), nullptr) << "hiding keeps the note";
    EXPECT_FALSE(notes->HasAutoCloseTimer());
    EXPECT_EQ(notes->FindScriptsWithTag("PointOut", nullptr), 1);

    notes->DestroyNoteBubble();
    EXPECT_EQ(Bubble(), nullptr);
    EXPECT_EQ(notes->FindScriptsWithTag("PointOut", nullptr), 0);
    EXPECT_EQ(notes->GetScripts().size(), 1u) << "other scripts go on";
    EXPECT_EQ(notes->GetNumChildren(), 0u);
    // A second time finds nothing to do.
    notes->DestroyNoteBubble();

    // The next note is a new one.
    Lua("notes:PointOut('Back again', {400, 300}, 0)");
    ASSERT_NE(Bubble(), nullptr);
    EXPECT_EQ(Bubble()->GetText(), "Back again");
}

TEST_F(NoteManagerTest, AHelpScriptWaitsForThePlayerAndReadsWhatWasPressed)
{
    Lua(R"lua(
        function ShowTwoTips(manager)
            manager:PointOutWithNext("First tip", {200, 200}, BUBBLE_POINT_RIGHT, BUBBLE_ALL_BUTTONS_ON)
            while manager:IsNoteBubbleVisible() do ScriptBreak() end
            _first = manager.lastButtonPressed
            manager:PointOutWithNext("Last tip", {200, 200}, BUBBLE_POINT_RIGHT, BUBBLE_NEXT_BUTTON_OFF)
            while manager:IsNoteBubbleVisible() do ScriptBreak() end
            _last = manager.lastButtonPressed
        end
    )lua");
    RunOnManager("ShowTwoTips", "PointOut");
    Pass();
    Pass();
    ASSERT_TRUE(notes->IsNoteBubbleVisible());
    EXPECT_EQ(Bubble()->GetText(), "First tip");
    Stroke(SDLK_RIGHT);
    Pass();
    EXPECT_EQ(app->GetLuaState().GetGlobal("_first").GetString(), "nextButton");
    ASSERT_TRUE(notes->IsNoteBubbleVisible());
    EXPECT_EQ(Bubble()->GetText(), "Last tip");
    Click(*ButtonNamed("closeButton"));
    Pass();
    EXPECT_EQ(app->GetLuaState().GetGlobal("_last").GetString(), "closeButton");
    EXPECT_THAT(notes->GetScripts(), IsEmpty());
}

TEST_F(NoteManagerTest, ScriptsReadAndWriteTheManagersSettings)
{
    EXPECT_EQ(Eval("notes.noteBubbleDirection").GetInteger(), 0);
    EXPECT_FALSE(Eval("notes.showCloseBox").GetBoolean());
    EXPECT_EQ(Eval("notes.lastButtonPressed").GetString(), "");
    EXPECT_EQ(Eval("notes.noteBubbleAlignment").GetString(), "Center");
    EXPECT_EQ(Eval("notes.noteBubbleAlignTo").GetString(), "Center");
    EXPECT_EQ(Point<int>(Eval("notes.noteBubbleAlignmentOffset")), Point<int>(0, 0));

    Lua("notes.noteBubbleDirection = 3; notes.showCloseBox = true; notes.lastButtonPressed = 'skipButton'; "
        "notes.noteBubbleAlignment = 'MidTop'; notes.noteBubbleAlignTo = 'BottomLeft'; "
        "notes.noteBubbleAlignmentOffset = {4, -2}");
    EXPECT_EQ(notes->GetNoteBubbleDirection(), 3);
    EXPECT_EQ(Eval("notes.noteBubbleAlignment").GetString(), "MidTop");
    EXPECT_EQ(Eval("notes.noteBubbleAlignTo").GetString(), "BottomLeft");
    EXPECT_EQ(Point<int>(Eval("notes.noteBubbleAlignmentOffset")), Point<int>(4, -2));
    EXPECT_EQ(notes->GetLastButtonPressed(), "skipButton");

    // A new note takes the close box.
    Lua("notes:PointOut('With a box', {400, 300}, 0)");
    ASSERT_NE(Bubble(), nullptr);
    EXPECT_TRUE(Bubble()->GetShowCloseBox());
    EXPECT_NE(Bubble()->FindChild("BubbleCloseButton"), nullptr);
}

TEST_F(NoteManagerTest, AManagerThatGoesFreesItsTimer)
{
    auto* own = new NoteManager;
    screen->AddChild(own);
    own->PointOut("Timed", Point<int>(400, 300), 0, 3000, "White");
    const std::uint32_t id = own->GetAutoCloseTimerID();
    ASSERT_NE(id, 0u);
    TimerManager* timers = TimerManager::GetInstance();
    EXPECT_EQ(timers->GetTimer(id).m_RemainingSignals, 1);
    screen->DestroyChild(own);
    Pass();
    EXPECT_NE(timers->GetTimer(id).m_Flags & TIMER_FREED, 0u);
}
