// The text box: typing at the caret up to the limit, the character filter and
// the Alt keys, Backspace, Delete and the arrows, where the caret stands, its
// blinking, hidden boxes, plain-text labels, the template, and keys arriving
// through the application from SDL's queue.

#include "ScreenTestSupport.h"
#include "WidgetTestSupport.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/TextBox.h"

#include <SDL.h>

using namespace widgettest;

namespace {

EventRecord Key(int sym, std::uint16_t unicode, int modifiers = 0)
{
    EventRecord event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = static_cast<SDLKey>(sym);
    event.key.keysym.unicode = unicode;
    event.key.keysym.mod = static_cast<SDLMod>(modifiers);
    return event;
}

class TextBoxTest : public WidgetFixture
{
protected:
    TextBox* NewBox(const std::string& text = "", int width = 200, int height = 40)
    {
        return Own(new TextBox(width, height, text));
    }

    static void Type(TextBox* box, const std::string& text, int modifiers = 0)
    {
        for (char ch : text)
            EXPECT_FALSE(box->OnEvent(Key(ch, static_cast<std::uint8_t>(ch), modifiers))) << "never handled";
    }

    static void Press(TextBox* box, int sym) { EXPECT_FALSE(box->OnEvent(Key(sym, 0))); }

    // Where the caret must stand for the caret index.
    static Point<int> CaretSpot(const TextBox& box)
    {
        const Label& label = *box.GetLabel();
        int width = label.GetFont()->GetTextSize(box.GetText().substr(0, box.GetCaretIndex())).x;
        return Point<int>(label.GetX() + width - 1, label.GetY() + label.GetHeight() / 2 - 20 / 2);
    }
};

} // namespace

TEST_F(TextBoxTest, TypingInsertsAtTheCaretUpToTheLimit)
{
    TextBox* box = NewBox();
    EXPECT_EQ(box->GetLimit(), 9u);
    Type(box, "abcdefghij");
    EXPECT_EQ(box->GetText(), "abcdefghi");
    EXPECT_EQ(box->GetCaretIndex(), 9u);
    EXPECT_EQ(box->GetLabel()->GetText(), "abcdefghi");

    box->SetLimit(4);
    box->SetText("ab");
    Press(box, SDLK_LEFT);
    Type(box, "XYZ");
    EXPECT_EQ(box->GetText(), "aXYb") << "inserted at the caret until full";
    EXPECT_EQ(box->GetCaretIndex(), 3u);
}

TEST_F(TextBoxTest, KeysEditAndMoveTheCaret)
{
    struct Step
    {
        int sym;
        const char* text;
        unsigned caret;
    };
    TextBox* box = NewBox("hello");
    const Step steps[] = {
        {SDLK_LEFT, "hello", 4},   {SDLK_LEFT, "hello", 3},     {SDLK_BACKSPACE, "helo", 2},
        {SDLK_DELETE, "heo", 2},   {SDLK_RIGHT, "heo", 3},      {SDLK_RIGHT, "heo", 3},
        {SDLK_DELETE, "heo", 3},   {SDLK_HOME, "heo", 3},       {SDLK_BACKSPACE, "he", 2},
        {SDLK_BACKSPACE, "h", 1},  {SDLK_BACKSPACE, "", 0},     {SDLK_BACKSPACE, "", 0},
        {SDLK_LEFT, "", 0},        {SDLK_DELETE, "", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(::testing::Message() << "key " << step.sym << " to \"" << step.text << "\"");
        Press(box, step.sym);
        EXPECT_EQ(box->GetText(), step.text);
        EXPECT_EQ(box->GetCaretIndex(), step.caret);
        EXPECT_EQ(box->GetLabel()->GetText(), step.text);
        Point<int> spot = CaretSpot(*box);
        EXPECT_EQ(box->GetCaret()->GetX(), spot.x);
        EXPECT_EQ(box->GetCaret()->GetY(), spot.y);
    }
}

TEST_F(TextBoxTest, OnlyPrintableAsciiWithoutQuotesBackslashesOrPipesGoesInAndNotUnderAlt)
{
    struct Case
    {
        std::uint16_t unicode;
        int modifiers;
        bool inserted;
    };
    const Case cases[] = {
        {'a', 0, true},
        {' ', 0, true},
        {'~', 0, true},
        {'A', KMOD_LSHIFT, true},
        {'q', KMOD_LCTRL, true},
        {'x', KMOD_CAPS, true},
        {'"', 0, false},
        {'\\', 0, false},
        {'|', KMOD_LSHIFT, false},
        {31, 0, false},
        {127, 0, false},
        {0xE9, 0, false},   // an accented letter
        {0x20AC, 0, false}, // the euro sign
        {'a', KMOD_LALT, false},
        {'a', KMOD_RALT, false},
        {'a', KMOD_LALT | KMOD_NUM, false},
        {'a', KMOD_RALT | KMOD_CAPS, false},
        {'a', KMOD_LALT | KMOD_RALT, true},
        {'a', KMOD_LALT | KMOD_LCTRL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "unicode " << c.unicode << " modifiers " << c.modifiers);
        TextBox* box = NewBox();
        // The character comes from the event's Unicode value, not its key symbol.
        EXPECT_FALSE(box->OnEvent(Key(SDLK_1, c.unicode, c.modifiers)));
        EXPECT_EQ(box->GetText(), c.inserted ? std::string(1, static_cast<char>(c.unicode)) : std::string());
    }
    int accepted = 0;
    for (std::uint32_t code = 0; code < 0x10000; ++code)
        accepted += TextBox::IsAcceptedCharacter(code);
    EXPECT_EQ(accepted, 95 - 3);
}

TEST_F(TextBoxTest, TheCaretStandsAfterTheTypedTextInTheDrawnBox)
{
    TextBox* box = NewBox("", 200, 40);
    Type(box, "Wo");
    Press(box, SDLK_LEFT);
    ASSERT_EQ(box->GetCaretIndex(), 1u);
    EXPECT_EQ(box->GetLabel()->GetX(), 10);
    EXPECT_EQ(box->GetLabel()->GetY(), 20 - box->GetLabel()->GetHeight() / 2);

    auto canvas = FilledCanvas(200, 40, Colors::Green);
    box->Draw(*canvas);
    EXPECT_EQ(Rgb(*canvas, 199, 39), kWhite) << "the box is white";
    // Black exactly where the caret is: two columns after the "W", as high as the font size.
    const int caretX = 10 + box->GetLabel()->GetFont()->GetTextSize("W").x - 1;
    const int caretY = box->GetCaret()->GetY();
    EXPECT_EQ(caretY, box->GetLabel()->GetY() + box->GetLabel()->GetHeight() / 2 - 10);
    for (int y = caretY; y < caretY + 20; ++y) {
        EXPECT_EQ(Rgb(*canvas, caretX, y), 0u) << y;
        EXPECT_EQ(Rgb(*canvas, caretX + 1, y), 0u) << y;
    }
    bool blueInk = false;
    for (int x = 10; x < caretX; ++x)
        for (int y = 0; y < 40; ++y)
            blueInk = blueInk || ((Rgb(*canvas, x, y) & 0xFFFF00) == 0 && Rgb(*canvas, x, y) != 0);
    EXPECT_TRUE(blueInk) << "the text in the TextBoxFgColor before the caret";
}

TEST_F(TextBoxTest, TheCaretBlinksEveryHalfSecondWhileTheBoxLives)
{
    auto liveTimers = [this] {
        int live = 0;
        for (std::uint32_t id = 1; id < timers->GetTimerCount(); ++id)
            live += (timers->GetTimer(id).m_Flags & TIMER_FREED) == 0;
        return live;
    };
    const int before = liveTimers();
    TextBox* box = NewBox("x");
    EXPECT_EQ(liveTimers(), before + 1);
    std::vector<bool> shown;
    for (int pass = 1; pass <= 32; ++pass) {
        Pass(box);
        shown.push_back(box->GetCaret()->IsVisible());
    }
    // 32-millisecond passes: the caret turns at 512 and at 1024 milliseconds.
    for (int pass = 1; pass <= 32; ++pass)
        EXPECT_EQ(shown[pass - 1], pass < 16 || pass >= 32) << pass;
    owned.clear();
    EXPECT_EQ(liveTimers(), before) << "the caret's timer goes with it";
}

TEST_F(TextBoxTest, AHiddenBoxIgnoresKeysUntilShownAgain)
{
    TextBox* box = NewBox("ab");
    box->SetVisible(false);
    EXPECT_FALSE(box->IsActive());
    Type(box, "c");
    Press(box, SDLK_BACKSPACE);
    EXPECT_EQ(box->GetText(), "ab");
    box->SetVisible(true);
    Type(box, "c");
    EXPECT_EQ(box->GetText(), "abc");
}

TEST_F(TextBoxTest, SetTextShowsTheTextAsItIsAndPutsTheCaretAtTheEnd)
{
    TextBox* box = NewBox("start");
    Run("hits = 0 function Hit() hits = hits + 1 return 'X' end");
    // A card's name could carry anything: it must never run.
    box->SetText("|Hit()|a||b");
    EXPECT_EQ(box->GetText(), "|Hit()|a||b");
    EXPECT_EQ(box->GetCaretIndex(), 11u);
    EXPECT_EQ(Eval("hits").GetInteger(), 0);
    EXPECT_EQ(box->GetLabel()->GetText(), "||Hit()||a||||b");
    EXPECT_EQ(static_cast<int>(box->GetLabel()->GetWidth()), box->GetLabel()->GetFont()->GetTextSize("|Hit()|a||b").x);
    Point<int> spot = CaretSpot(*box);
    EXPECT_EQ(box->GetCaret()->GetX(), spot.x);
}

TEST_F(TextBoxTest, TheTemplateAndPropertiesBuildTheBoxInAnyOrder)
{
    LuaObject made = Eval("CreateObject{ resource = 'TextBox', limit = 3, clickSound = 'click.ogg' }");
    auto* box = dynamic_cast<TextBox*>(Object::FromLuaObject(made));
    ASSERT_NE(box, nullptr);
    Own(box);
    EXPECT_EQ(box->GetText(), "TextBox");
    EXPECT_EQ(box->GetLimit(), 3u);
    EXPECT_EQ(box->GetWidth(), 100);
    EXPECT_EQ(box->GetHeight(), 30);
    state.GetGlobals().SetObject("box", made);
    EXPECT_EQ(Eval("box.text").GetString(), "TextBox");
    EXPECT_EQ(Eval("box.boxSize.x").GetInteger(), 100);
    EXPECT_EQ(Eval("box.boxSize.y").GetInteger(), 30);
    EXPECT_EQ(Eval("box.clickSound").GetString(), "click.ogg");

    // The size given after the text still places label and caret in the box.
    box->ApplyProperty("text", Eval("'ab'"));
    box->ApplyProperty("boxSize", Eval("{ 160, 50 }"));
    EXPECT_EQ(box->GetLabel()->GetY(), 25 - box->GetLabel()->GetHeight() / 2);
    Point<int> spot = CaretSpot(*box);
    EXPECT_EQ(box->GetCaret()->GetX(), spot.x);
    EXPECT_EQ(box->GetCaret()->GetY(), spot.y);
}

namespace {

// The engine as the program runs it: keys come from SDL's queue through the
// application and the current screen.
class TextBoxInAppTest : public screentest::ScreenFixture
{
protected:
    static void PushKey(int sym, std::uint16_t unicode)
    {
        SDL_Event event = Key(sym, unicode);
        ASSERT_EQ(SDL_PushEvent(&event), 0);
    }

    static bool Playing(const std::string& name)
    {
        LuaState lua = APP->GetLuaState();
        return lua.DoString(("_playing = IsPlaying('" + name + "')").c_str()) == 0 &&
               lua.GetGlobal("_playing").IsBoolean() && lua.GetGlobal("_playing").GetBoolean();
    }
};

} // namespace

TEST_F(TextBoxInAppTest, KeysFromSDLsQueueReachTheBoxOfTheCurrentScreenWithTheirClick)
{
    ASSERT_TRUE(Sound::IsActive());
    Screen* screen = AddScreen<Screen>("", "Entry", nullptr);
    auto* box = new TextBox(100, 30, "");
    box->SetClickSound("click.ogg");
    screen->AddChild(box);
    manager->SwitchToScreen("Entry");
    app->RunPass();

    PushKey(SDLK_BACKSPACE, 8);
    PushKey(SDLK_DELETE, 127);
    app->RunPass();
    EXPECT_EQ(box->GetText(), "");
    EXPECT_FALSE(Playing("click.ogg")) << "nothing changed, nothing clicks";

    // Shifted keys carry their character in the Unicode value.
    for (auto [sym, unicode] : {std::pair{SDLK_h, 'H'}, std::pair{SDLK_i, 'i'}, std::pair{SDLK_1, '!'},
                                std::pair{SDLK_QUOTE, '"'}})
        PushKey(sym, static_cast<std::uint16_t>(unicode));
    app->RunPass();
    EXPECT_EQ(box->GetText(), "Hi!");
    EXPECT_TRUE(Playing("click.ogg"));
}
