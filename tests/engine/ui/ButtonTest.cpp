// Buttons: the pointer's press, release and click with the looks they show
// and the events they send, one click per pass, keys and key tips, disabled
// and deaf buttons, blinking, properties, and a drawn button's pixels.

#include "ButtonTestSupport.h"
#include "engine/core/TimerManager.h"
#include "engine/ui/Label.h"

#include <gmock/gmock.h>

using namespace buttontest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

class ButtonTest : public ButtonFixture
{
};

// A button that tells what its own internal events say.
class VisibilityButton : public Button
{
public:
    VisibilityButton() : Button("frames.png") {}
    bool OnInternalEvent(const EventRecord& e) override
    {
        heard.push_back(std::to_string(reinterpret_cast<std::intptr_t>(e.user.data1)) + " " +
                        static_cast<LuaObject*>(e.user.data2)->GetString());
        return true;
    }
    std::vector<std::string> heard;
};

} // namespace

TEST_F(ButtonTest, APressAndAReleaseOverTheButtonClickOnceWithEveryLookAnnounced)
{
    Button* ok = MakeButton("ok", 2, 2);
    Pass();
    recorder->Take();
    EXPECT_EQ(ok->GetStateName(), "Active");
    EXPECT_EQ(ok->GetFrame(), 0);

    Hover(*ok);
    Down(*ok);
    Pass();
    EXPECT_EQ(ok->GetStateName(), "Pressed");
    EXPECT_TRUE(ok->IsPressed());
    EXPECT_EQ(ok->GetFrame(), 3);
    EXPECT_THAT(recorder->Take(), ElementsAre("look ok Highlighted", "look ok Pressed", "press ok"));

    Up(*ok);
    Pass();
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
    EXPECT_FALSE(ok->IsPressed());
    EXPECT_THAT(recorder->Take(), ElementsAre("click ok", "look ok Highlighted"));

    Unhover();
    Pass();
    EXPECT_EQ(ok->GetStateName(), "Active");
    EXPECT_THAT(recorder->Take(), ElementsAre("look ok Active"));
}

TEST_F(ButtonTest, APressThatLeavesComesBackOrIsAbandoned)
{
    Button* ok = MakeButton("ok", 2, 2);
    Pass();
    recorder->Take();

    // Off and back on: pressed again, and the release inside clicks once.
    Hover(*ok);
    Down(*ok);
    Pass();
    Unhover();
    EXPECT_EQ(ok->GetStateName(), "Active");
    Hover(*ok);
    EXPECT_EQ(ok->GetStateName(), "Pressed");
    Up(*ok);
    Pass();
    EXPECT_THAT(recorder->Take(), ElementsAre("look ok Highlighted", "look ok Pressed", "press ok", "look ok Active",
                                              "look ok Pressed", "press ok", "click ok", "look ok Highlighted"));

    // Off and released outside: no click, and the press is over.
    Down(*ok);
    Pass();
    Unhover();
    UpAt(14, 7);
    Pass();
    EXPECT_FALSE(ok->IsPressed());
    Hover(*ok);
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
    Pass();
    EXPECT_THAT(recorder->Take(),
                ElementsAre("look ok Pressed", "press ok", "look ok Active", "look ok Highlighted"));
}

TEST_F(ButtonTest, WithoutPressUpOnMouseLeaveAPressSticksAndAReleaseAnywhereClicks)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->SetPressUpOnMouseLeave(false);
    Pass();
    Hover(*ok);
    Down(*ok);
    Pass();
    Unhover();
    EXPECT_EQ(ok->GetStateName(), "Pressed");
    recorder->Take();
    UpAt(14, 7);
    Pass();
    EXPECT_EQ(ok->GetStateName(), "Active");
    EXPECT_THAT(recorder->Take(), ElementsAre("click ok", "look ok Active"));
}

TEST_F(ButtonTest, OnlyThePrimaryMouseButtonCounts)
{
    Button* ok = MakeButton("ok", 2, 2);
    Pass();
    Hover(*ok);
    Pass();
    recorder->Take();
    Down(*ok, SDL_BUTTON_RIGHT);
    Up(*ok, SDL_BUTTON_RIGHT);
    Pass();
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
    EXPECT_THAT(recorder->Take(), IsEmpty());
}

TEST_F(ButtonTest, AtMostOneClickIsFiredInAPass)
{
    Button* first = MakeButton("first", 2, 2);
    Button* second = MakeButton("second", 9, 2);
    first->SetShortcutKey('f');
    Pass();
    Hover(*second);
    Down(*second);
    Pass();
    recorder->Take();

    // A key release and a mouse release in the same pass: only the first clicks.
    Key(SDL_KEYDOWN, 'f');
    Key(SDL_KEYUP, 'f');
    Up(*second);
    Pass();
    std::vector<std::string> log = recorder->Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "click first"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "click second"), 0);
    EXPECT_FALSE(second->IsPressed()) << "the release still ends the press";

    // The next pass has its own permit.
    Stroke('f');
    log = recorder->Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "click first"), 1);
}

// A pointer that jumps onto a button and clicks at once (a tablet, a quick
// hand, a test driver) brings the move, the press and the release in one pass.
TEST_F(ButtonTest, AMoveAndAClickInOnePassClickTheButtonUnderThePointer)
{
    Button* left = MakeButton("left", 2, 2);
    Button* right = MakeButton("right", 9, 2);
    Pass();
    Hover(*left);
    Pass();
    recorder->Take();

    const Rect rect = right->GetGlobalRect();
    SDL_Event motion{};
    motion.motion.type = SDL_MOUSEMOTION;
    motion.motion.state = 0;
    motion.motion.x = static_cast<Uint16>(rect.x + 1);
    motion.motion.y = static_cast<Uint16>(rect.y + 1);
    ASSERT_EQ(SDL_PushEvent(&motion), 0);
    Down(*right);
    Up(*right);
    Pass();
    std::vector<std::string> log = recorder->Take();
    EXPECT_EQ(std::count(log.begin(), log.end(), "click right"), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "click left"), 0);
    EXPECT_EQ(left->GetStateName(), "Active");
}

TEST_F(ButtonTest, EventsGoToTheReceiversElseToTheParentAndDieWithTheButton)
{
    Button* ok = MakeButton("ok", 2, 2);
    Recorder elsewhere;
    ok->AddToGroup(&elsewhere);
    Pass();
    recorder->Take();
    ok->ManuallyPressButton();
    ok->ManuallyReleaseButton();
    Pass();
    EXPECT_THAT(elsewhere.Take(), ElementsAre("press ok", "click ok"));
    EXPECT_THAT(recorder->Take(), ElementsAre("look ok Pressed", "look ok Active")) << "the parent only observes";

    // Without parent or receivers a click reaches nobody.
    Button orphan("frames.png");
    orphan.ManuallyPressButton();
    orphan.ManuallyReleaseButton();
    Pass();

    // Destroyed before its events are delivered: they are not.
    Button* gone = MakeButton("gone", 9, 2);
    Pass();
    recorder->Take();
    gone->ManuallyPressButton();
    gone->ManuallyReleaseButton();
    recorder->DestroyChild(gone);
    app->DeleteFlaggedObjects();
    Pass();
    EXPECT_THAT(recorder->Take(), ElementsAre("look ? Pressed", "look ? Active")) << "observers still hear";
}

TEST_F(ButtonTest, ADisabledButtonLooksDisabledKeepsItsStateAndIgnoresPressesAndKeys)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->SetShortcutKey('o');
    ok->SetText("Ok");
    Label* label = ok->GetLabel();
    const Color ink = label->GetFgColor();
    Pass();
    Hover(*ok);
    Pass();
    recorder->Take();

    ok->Disable();
    Pass();
    EXPECT_THAT(recorder->Take(), ElementsAre("look ok Disabled"));
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
    EXPECT_EQ(ok->GetFrame(), 1);
    EXPECT_EQ(label->GetFgColor(), Colors::Gray);

    Down(*ok);
    Up(*ok);
    Stroke('o');
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
    EXPECT_THAT(recorder->Take(), IsEmpty());
    ok->OnAppearanceStateChanged("Pressed");
    EXPECT_EQ(ok->GetFrame(), 1) << "every look shows the disabled frame";
    ok->OnAppearanceStateChanged("Highlighted");

    Unhover();
    ok->Enable();
    EXPECT_EQ(ok->GetStateName(), "Active");
    EXPECT_EQ(ok->GetFrame(), 0);
    EXPECT_EQ(label->GetFgColor(), ink);
    // Enabled under the pointer, it is highlighted.
    ok->Disable();
    Hover(*ok);
    ok->Enable();
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
}

TEST_F(ButtonTest, AButtonIgnoringUserInputHearsNoPointerAndNoKeys)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->SetShortcutKey('o');
    Pass();
    Hover(*ok);
    ok->SetIgnoreUserInput(true);
    Pass();
    recorder->Take();
    Down(*ok);
    Up(*ok);
    Stroke('o');
    Unhover();
    EXPECT_EQ(ok->GetStateName(), "Highlighted");
    EXPECT_THAT(recorder->Take(), IsEmpty());
    // Code can still press it.
    ok->ManuallyPressButton();
    ok->ManuallyReleaseButton();
    Pass();
    EXPECT_THAT(recorder->Take(), ElementsAre("look ok Pressed", "press ok", "click ok", "look ok Active"));
}

TEST_F(ButtonTest, KeysPressOnDownAndClickOnUpByTheirRules)
{
    struct Case
    {
        const char* what;
        std::function<void(Button&)> setUp;
        int key;
        int modifiers;
        bool clicks;
    };
    const Case cases[] = {
        {"bare shortcut", [](Button& b) { b.SetShortcutKey('q'); }, 'q', KMOD_NONE, true},
        {"shortcut, any modifiers", [](Button& b) { b.SetShortcutKey('q'); }, 'q', KMOD_LCTRL, true},
        {"Alt shortcut with Alt", [](Button& b) { b.SetShortcutKey('q'); b.SetUseAltShortcutKey(true); }, 'q',
         KMOD_LALT, true},
        {"Alt shortcut, right Alt and NumLock", [](Button& b) { b.SetShortcutKey('q'); b.SetUseAltShortcutKey(true); },
         'q', KMOD_RALT | KMOD_NUM, true},
        {"Alt shortcut without Alt", [](Button& b) { b.SetShortcutKey('q'); b.SetUseAltShortcutKey(true); }, 'q',
         KMOD_NONE, false},
        {"Alt shortcut with Alt and Shift",
         [](Button& b) { b.SetShortcutKey('q'); b.SetUseAltShortcutKey(true); }, 'q', KMOD_LALT | KMOD_LSHIFT, false},
        {"Return", [](Button& b) { b.SetEnterKey(true); }, SDLK_RETURN, KMOD_NONE, true},
        {"keypad Enter", [](Button& b) { b.SetEnterKey(true); }, SDLK_KP_ENTER, KMOD_NONE, true},
        {"Return with Alt", [](Button& b) { b.SetEnterKey(true); }, SDLK_RETURN, KMOD_LALT, false},
        {"Escape", [](Button& b) { b.SetEscapeKey(true); }, SDLK_ESCAPE, KMOD_NONE, true},
        {"Space", [](Button& b) { b.SetSpaceKey(true); }, SDLK_SPACE, KMOD_NONE, true},
        {"Backspace", [](Button& b) { b.SetBackspaceKey(true); }, SDLK_BACKSPACE, KMOD_NONE, true},
        {"function key", [](Button& b) { b.SetFunctionKey(SDLK_F2); }, SDLK_F2, KMOD_NONE, true},
        {"function key with Alt", [](Button& b) { b.SetFunctionKey(SDLK_F2); }, SDLK_F2, KMOD_LALT, false},
        {"Alt function key", [](Button& b) { b.SetAltFunctionKey(SDLK_F3); }, SDLK_F3, KMOD_LALT, true},
        {"Alt function key bare", [](Button& b) { b.SetAltFunctionKey(SDLK_F3); }, SDLK_F3, KMOD_NONE, false},
        {"no tip, still a shortcut", [](Button& b) { b.SetShortcutKey(SDLK_RIGHT); }, SDLK_RIGHT, KMOD_NONE, true},
        {"other key", [](Button& b) { b.SetShortcutKey('q'); }, 'w', KMOD_NONE, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* button = MakeButton("k", 2, 2);
        c.setUp(*button);
        Pass();
        recorder->Take();
        Stroke(c.key, c.modifiers);
        std::vector<std::string> log = recorder->Take();
        EXPECT_EQ(std::count(log.begin(), log.end(), "click k"), c.clicks ? 1 : 0);
        EXPECT_EQ(std::count(log.begin(), log.end(), "press k"), c.clicks ? 1 : 0);
        EXPECT_EQ(button->GetStateName(), "Active");
        recorder->DestroyChild(button);
        Pass();
    }
}

TEST_F(ButtonTest, TheShortcutKeysReleaseGoesOnToOthersTheOtherKeysReleaseDoesNot)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->SetShortcutKey('q');
    ok->SetEnterKey(true);
    Pass();
    auto up = [](int sym) {
        SDL_Event e{};
        e.key.type = SDL_KEYUP;
        e.key.keysym.sym = static_cast<SDLKey>(sym);
        return e;
    };
    ok->ManuallyPressButton();
    EXPECT_FALSE(ok->OnEvent(up('q')));
    EXPECT_FALSE(ok->IsPressed());
    ok->ManuallyPressButton();
    EXPECT_TRUE(ok->OnEvent(up(SDLK_RETURN)));
    EXPECT_FALSE(ok->OnEvent(up(SDLK_RETURN))) << "only while pressed";
}

TEST_F(ButtonTest, KeyTipsShowTheLetterOnTheScreensLayerWhileTheFlagIsSet)
{
    Button* quit = MakeButton("quit", 4, 2);
    quit->SetShortcutKey('q');
    EXPECT_EQ(quit->GetKeyTipCharacter(), 'Q');
    Actor* tip = quit->GetKeyTip();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(static_cast<Label*>(tip->FindChild("KeyTipLabel"))->GetText(), "Q");
    Button* digit = MakeButton("digit", 2, 2);
    digit->SetShortcutKey('7');
    EXPECT_EQ(digit->GetKeyTipCharacter(), '7');
    Button* arrow = MakeButton("arrow", 2, 2);
    arrow->SetShortcutKey(SDLK_RIGHT);
    EXPECT_EQ(arrow->GetKeyTip(), nullptr);
    EXPECT_EQ(arrow->GetKeyTipCharacter(), 0);

    Pass();
    EXPECT_EQ(tip->GetParent(), nullptr) << "not shown yet";
    app->SetFlags(app->GetFlags() | APPFLAG_SHOW_KEY_TIPS);
    Pass();
    EXPECT_EQ(tip->GetParent(), screen->GetKeyTipLayer());
    EXPECT_TRUE(tip->IsVisible());
    // Centred 3 pixels in from the button's top right corner.
    Rect rect = tip->GetGlobalRect();
    EXPECT_EQ(rect.x + rect.w / 2, 4 + kButtonWidth - 3);
    EXPECT_EQ(rect.y + rect.h / 2, 2 + 3);

    quit->SetVisible(false);
    Pass();
    EXPECT_FALSE(tip->IsVisible()) << "a hidden button shows no tip";
    quit->SetVisible(true);
    app->SetFlags(app->GetFlags() & ~APPFLAG_SHOW_KEY_TIPS);
    Pass();
    EXPECT_FALSE(tip->IsVisible());

    // The tip goes with its button.
    auto tips = [&] {
        const Actor::ChildList& shown = screen->GetKeyTipLayer()->GetChildren();
        return std::count_if(shown.begin(), shown.end(), [](Actor* a) { return !a->IsBeingDestroyed(); });
    };
    EXPECT_EQ(tips(), 2) << "Q and 7";
    recorder->DestroyChild(quit);
    Pass();
    EXPECT_EQ(tips(), 1);
}

TEST_F(ButtonTest, AKeyTipNeedsAKeyTipLayer)
{
    Button loose("frames.png");
    loose.SetShortcutKey('x');
    EXPECT_THAT(FailureOf([&] { loose.ShowKeyTip(true); }), HasSubstr("keyTipLayerObject.IsUserData()"));
    loose.ShowKeyTip(false);
}

TEST_F(ButtonTest, BlinkingAlternatesColourAndFrameUntilTheButtonIsHighlighted)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->SetText("Ok");
    Label* label = ok->GetLabel();
    const Color ink = label->GetFgColor();
    Pass();
    ok->SetBlink(true, Colors::Green);
    std::vector<std::pair<int, bool>> seen;
    for (int pass = 0; pass < 32; ++pass) {
        Pass();
        seen.emplace_back(ok->GetFrame(), label->GetFgColor() == Colors::Green);
    }
    // Every 500 ms, in passes of 32 ms: changes after the 16th and 32nd.
    EXPECT_EQ(seen[14], std::make_pair(0, false));
    EXPECT_EQ(seen[15], std::make_pair(1, true));
    EXPECT_EQ(seen[30], std::make_pair(1, true));
    EXPECT_EQ(seen[31], std::make_pair(0, false));

    // Blinking on again in the middle keeps the label's own colour.
    for (int pass = 0; pass < 16; ++pass)
        Pass();
    ASSERT_EQ(label->GetFgColor(), Colors::Green);
    ok->SetBlink(true, Colors::Red);
    Hover(*ok);
    EXPECT_FALSE(ok->IsBlinking());
    EXPECT_EQ(label->GetFgColor(), ink);
    EXPECT_EQ(ok->GetFrame(), 2);

    // Stopped by hand, the look of the state comes back.
    Unhover();
    ok->SetBlink(true, Colors::Green);
    for (int pass = 0; pass < 16; ++pass)
        Pass();
    ASSERT_EQ(ok->GetFrame(), 1);
    ok->SetBlink(false, Colors::Green);
    EXPECT_EQ(ok->GetFrame(), 0);
    EXPECT_EQ(label->GetFgColor(), ink);
}

TEST_F(ButtonTest, ScriptsSetItsPropertiesAndPressAndReleaseIt)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->GetLuaObject().Push();
    lua_setglobal(app->GetLuaState().GetCState(), "ok");
    auto run = [&](const std::string& source) {
        ASSERT_EQ(app->GetLuaState().DoString(source), 0) << app->GetLuaState().PopErrorMessage();
    };
    run("ok.text = 'Go' ok.textColor = { 1, 2, 3, 255, 'ButtonTestInk' } ok.shortcutKey = 'g'"
        " ok.useAltShortcutKey = false ok.textAlignment = 'Left' ok.textAlignmentOffset = { 2, 1 }"
        " ok.ignoreUserInput = true ok.pressUpOnMouseLeave = false ok.grayOutLabelWhenDisabled = false"
        " ok.textBackground1 = 'frames.png' ok.useFrames = false ok.active = false");
    Label* label = ok->GetLabel();
    EXPECT_EQ(label->GetText(), "Go");
    EXPECT_EQ(label->GetFgColor(), Color(1, 2, 3));
    EXPECT_EQ(Colors::ByName("ButtonTestInk"), Color(1, 2, 3));
    EXPECT_EQ(ok->GetShortcutKey(), 'g');
    EXPECT_EQ(label->GetAlignment(), RectAlignment::MidLeft);
    EXPECT_EQ(label->GetPosition(), Point<int>(2, kButtonHeight / 2 - label->GetHeight() / 2 + 1));
    EXPECT_FALSE(ok->IsEnabled());
    EXPECT_EQ(label->GetFgColor(), Color(1, 2, 3)) << "not greyed";
    ASSERT_NE(ok->GetTextBackground(1), nullptr);
    EXPECT_FALSE(ok->GetTextBackground(1)->IsVisible());
    EXPECT_EQ(ok->GetTextBackground(1)->GetZOrder(), 5);
    run("assert(ok.ignoreUserInput == true and ok.pressUpOnMouseLeave == false"
        " and ok.grayOutLabelWhenDisabled == false)");

    // A name already taken is used but not filed again; nil changes no colour;
    // a malformed offset is ignored.
    app->SetLogLevel(3);
    run("ok.textColor = { 9, 9, 9, 255, 'ButtonTestInk' } ok.textColor = nil ok.textShadowColor = nil"
        " ok.textAlignmentOffset = { 5 }");
    EXPECT_EQ(label->GetFgColor(), Color(9, 9, 9));
    EXPECT_EQ(Colors::ByName("ButtonTestInk"), Color(1, 2, 3));
    EXPECT_THAT(LogText(), HasSubstr("Tried to register color named ButtonTestInk twice"));
    EXPECT_EQ(label->GetPosition().x, 2);

    // Alt now goes with the shortcut, even though false was assigned.
    run("ok.active = true ok.ignoreUserInput = false");
    Pass();
    recorder->Take();
    Stroke('g');
    Stroke('g', KMOD_LALT);
    EXPECT_THAT(recorder->TakeEvents(), ElementsAre("press ok", "click ok"));

    Pass();  // that click took this pass's permit
    run("ok:ManuallyPressButton()");
    EXPECT_EQ(ok->GetStateName(), "Pressed");
    run("ok:ManuallyReleaseButton()");
    Pass();
    EXPECT_THAT(recorder->TakeEvents(), ElementsAre("press ok", "click ok"));
    EXPECT_EQ(ok->GetStateName(), "Active");
    // Released while not pressed, it clicks nothing.
    run("ok:ManuallyReleaseButton()");
    Pass();
    EXPECT_THAT(recorder->TakeEvents(), IsEmpty());
}

TEST_F(ButtonTest, ShowingOrHidingTellsTheButtonFirst)
{
    auto* button = new VisibilityButton;
    recorder->AddChild(button);
    button->SetVisible(false);
    button->SetVisible(true);
    EXPECT_THAT(button->heard, ElementsAre("0 visibility changed", "1 visibility changed"));
    EXPECT_TRUE(button->IsVisible());
}

TEST_F(ButtonTest, WithoutFramesAHighlightChildShowsWhileHighlighted)
{
    Button* ok = MakeButton("ok", 2, 2);
    ok->SetUseFrames(false);
    auto* glow = new Actor(Colors::Yellow);
    glow->SetVisible(false);
    ok->AddChild(glow, "glow");
    ok->SetHighlightChild("glow");
    Pass();
    Hover(*ok);
    EXPECT_TRUE(glow->IsVisible());
    EXPECT_EQ(ok->GetFrame(), 0);
    Unhover();
    EXPECT_FALSE(glow->IsVisible());
}

TEST_F(ButtonTest, ALabelIsRequired)
{
    Button* ok = MakeButton("ok", 2, 2);
    EXPECT_EQ(FailureOf([&] { ok->SetLabel(nullptr); }), "Assertion failed: (label != 0)");
}

TEST_F(ButtonTest, TheDrawnButtonShowsTheFrameOfItsLookAndSinksWhenPressed)
{
    Button* ok = MakeButton("ok", 2, 2);
    Pass();
    auto pixelAt = [&](int x, int y) {
        Canvas canvas(ScreenApp::kWidth, ScreenApp::kHeight, CANVAS_DESTROY_TARGET);
        screen->Draw(canvas);
        return Rgb(canvas, x, y);
    };
    EXPECT_EQ(pixelAt(2, 2), kActive & 0xFFFFFFu);
    EXPECT_EQ(pixelAt(1, 2), 0u);
    Hover(*ok);
    EXPECT_EQ(pixelAt(2, 2), kHighlighted & 0xFFFFFFu);
    ok->ManuallyPressButton();
    EXPECT_EQ(pixelAt(7, 5), kPressed & 0xFFFFFFu);
    ok->Disable();
    EXPECT_EQ(pixelAt(7, 5), kDisabled & 0xFFFFFFu);
    ok->Enable();
    Unhover();
    EXPECT_EQ(pixelAt(2, 2), kActive & 0xFFFFFFu);

    // Without frames the button itself moves down and right by one while pressed.
    ok->SetUseFrames(false);
    ok->ManuallyPressButton();
    EXPECT_EQ(pixelAt(2, 2), 0u);
    EXPECT_EQ(pixelAt(8, 6), kActive & 0xFFFFFFu);
    ok->ManuallyReleaseButton();
    EXPECT_EQ(pixelAt(2, 2), kActive & 0xFFFFFFu);
    EXPECT_EQ(pixelAt(8, 6), 0u);
}

TEST_F(ButtonTest, AReleaseOnTheLastPixelIsInsideAndOnePastIsOutsideOnEverySide)
{
    struct Case
    {
        int dx, dy;  // from the button's top left
        bool inside;
    };
    const Case cases[] = {
        {0, 0, true},
        {kButtonWidth - 1, kButtonHeight - 1, true},
        {kButtonWidth, 1, false},
        {1, kButtonHeight, false},
        {-1, 1, false},
        {1, -1, false},
    };
    for (bool pressUpOnLeave : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << c.dx << "," << c.dy << (pressUpOnLeave ? " released on leave" : ""));
            Button* ok = MakeButton("ok", 4, 2);
            ok->SetPressUpOnMouseLeave(pressUpOnLeave);
            Pass();
            Hover(*ok);
            Down(*ok);
            Pass();
            ASSERT_EQ(ok->GetStateName(), "Pressed");
            recorder->Take();
            // The pointer has not been walked off yet: only the release says where it is.
            const Rect rect = ok->GetGlobalRect();
            UpAt(rect.x + c.dx, rect.y + c.dy);
            Pass();
            if (c.inside || !pressUpOnLeave) {
                EXPECT_EQ(ok->GetStateName(), c.inside ? "Highlighted" : "Active");
                EXPECT_THAT(recorder->TakeEvents(), ElementsAre("click ok"));
            } else {
                EXPECT_THAT(recorder->TakeEvents(), IsEmpty()) << "no click off the button";
            }
            Unhover();
            recorder->RemoveChild(ok);
            delete ok;
        }
    }
}
