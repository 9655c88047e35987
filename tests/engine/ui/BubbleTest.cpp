// Speech and note bubbles built from the game's pictures: the stack of pieces
// and the label for short and long texts, the wrap (room for the close box,
// hyphens, long words, line feeds), the arrow on every side, the close box and
// who hears it, building again only on a change, the key-tip layer, and
// bubbles made by scripts.

#include "ButtonTestSupport.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"
#include "engine/ui/NoteBubble.h"
#include "engine/ui/SpeechBubble.h"

#include <gmock/gmock.h>

using namespace buttontest;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// The "White" pictures of the game data.
constexpr int kWidth = 260;
constexpr int kTopHeight = 30;
constexpr int kMiddleHeight = 22;
constexpr int kBottomHeight = 24;
constexpr int kTextLimit = kWidth - 10;

class BubbleTest : public ButtonFixture
{
protected:
    void SetUp() override
    {
        ButtonFixture::SetUp();
        // Both bubbles write in this face and size.
        font = SpeechBubble::CreateBubbleFont();
    }

    void TearDown() override
    {
        font.reset();
        ButtonFixture::TearDown();
    }

    int Width(const std::string& text) const { return font->GetTextSize(text).x; }

    // "on on on ..." at least minWidth wide; one more word adds less than 30 pixels.
    std::string WordsAtLeast(int minWidth) const
    {
        std::string text = "on";
        while (Width(text) < minWidth)
            text += " on";
        return text;
    }

    // On the screen, so that it is updated and hears keys.
    template <typename T>
    T* Show(T* bubble)
    {
        screen->AddChild(bubble);
        return bubble;
    }

    // The top at the bubble's origin, every further piece centred under the one above.
    static void ExpectStack(const Actor& bubble, const bubble::Pieces& pieces, int lines)
    {
        Actor* top = pieces.Top();
        ASSERT_NE(top, nullptr);
        EXPECT_EQ(top->GetParent(), &bubble);
        EXPECT_EQ(top->GetImageName(), "objBubble.White.Top.png");
        EXPECT_EQ(top->GetPosition(), Point<int>(0, 0));
        const std::vector<Actor*> middles = pieces.Middles();
        EXPECT_EQ(middles.size(), static_cast<std::size_t>(lines - 1));
        Actor* above = top;
        for (Actor* middle : middles) {
            EXPECT_EQ(middle->GetParent(), above);
            EXPECT_EQ(middle->GetImageName(), "objBubble.White.Middle.png");
            EXPECT_EQ(middle->GetPosition(), Point<int>(0, above->GetHeight()));
            above = middle;
        }
        Actor* bottom = pieces.Bottom();
        ASSERT_NE(bottom, nullptr);
        EXPECT_EQ(bottom->GetParent(), above);
        EXPECT_EQ(bottom->GetImageName(), "objBubble.White.Bottom.png");
        EXPECT_EQ(bottom->GetPosition(), Point<int>(0, above->GetHeight()));
        EXPECT_EQ(bubble.GetWidth(), kWidth);
        EXPECT_EQ(bubble.GetHeight(), kTopHeight + (lines - 1) * kMiddleHeight + kBottomHeight);
    }

    // The label shows the text, centred in the bubble.
    static void ExpectLabel(const Actor& bubble, const bubble::Pieces& pieces, const std::string& text)
    {
        Label* label = pieces.GetLabel();
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->GetParent(), &bubble);
        EXPECT_EQ(label->GetText(), text);
        EXPECT_EQ(label->GetWidthLimit(), kTextLimit);
        EXPECT_EQ(label->GetX(), bubble.GetWidth() / 2 - label->GetWidth() / 2);
        EXPECT_EQ(label->GetY(), bubble.GetHeight() / 2 - label->GetHeight() / 2);
    }

    static Actor* KeyTipLayerOf(Actor& bubble)
    {
        return dynamic_cast<Actor*>(Object::FromLuaObject(bubble.RetrieveProperty("keyTipLayer")));
    }

    static std::vector<Actor*> ChildrenOf(const Actor& actor)
    {
        return std::vector<Actor*>(actor.GetChildren().begin(), actor.GetChildren().end());
    }

    std::unique_ptr<Font> font;
};

} // namespace

TEST_F(BubbleTest, AShortTextIsOneLineBetweenTheTopAndTheBottom)
{
    auto* speech = Show(new SpeechBubble("Hello!", SpeechBubble::TAIL_LEFT, "White", false, nullptr));
    EXPECT_EQ(speech->GetName(), "SpeechBubble");
    ExpectStack(*speech, speech->GetPieces(), 1);
    ExpectLabel(*speech, speech->GetPieces(), "Hello!");
    Label* label = speech->GetPieces().GetLabel();
    EXPECT_EQ(label->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    EXPECT_EQ(label->GetFont()->GetPointSize(), 18);
    EXPECT_EQ(label->GetFgColor(), Colors::Black);
    EXPECT_NE(label->GetFont(), speech->GetFont()) << "the label writes with a copy";

    // The note's label comes from its template.
    auto* note = Show(new NoteBubble("A note", NoteBubble::ARROW_LEFT, "White", false, nullptr));
    EXPECT_EQ(note->GetName(), "NoteBubble");
    EXPECT_TRUE(note->IsRolloverable());
    ExpectStack(*note, note->GetPieces(), 1);
    ExpectLabel(*note, note->GetPieces(), "A note");
    EXPECT_EQ(note->GetPieces().GetLabel()->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    EXPECT_EQ(note->GetPieces().GetLabel()->GetFgColor(), Colors::Black);
}

TEST_F(BubbleTest, ALongTextTakesOneMiddlePieceForEveryFurtherLine)
{
    // A line that fits, and no further word would.
    const std::string line = WordsAtLeast(kTextLimit - 25);
    ASSERT_LT(Width(line), kTextLimit);
    ASSERT_GE(Width(line + " on"), kTextLimit);
    const std::string text = line + " " + line + " " + line;

    auto* speech = Show(new SpeechBubble(text, SpeechBubble::TAIL_BELOW, "White", false, nullptr));
    ExpectStack(*speech, speech->GetPieces(), 3);
    EXPECT_EQ(speech->GetHeight(), kTopHeight + 2 * kMiddleHeight + kBottomHeight);
    ExpectLabel(*speech, speech->GetPieces(), line + "\n" + line + "\n" + line);
    EXPECT_GT(speech->GetPieces().GetLabel()->GetHeight(), 2 * kMiddleHeight);

    auto* note = Show(new NoteBubble(text, NoteBubble::ARROW_BELOW, "White", false, nullptr));
    ExpectStack(*note, note->GetPieces(), 3);
    ExpectLabel(*note, note->GetPieces(), line + "\n" + line + "\n" + line);
}

TEST_F(BubbleTest, TheWrapKeepsLineFeedsMakesRoomForTheCloseBoxAndBreaksAfterHyphensInSpeechOnly)
{
    // Wide enough that the close box's 40 pixels push its last word down.
    const std::string crowded = WordsAtLeast(kTextLimit - bubble::kCloseBoxReserve);
    ASSERT_LT(Width(crowded), kTextLimit - 10);
    const std::string crowdedBroken = crowded.substr(0, crowded.rfind(' ')) + "\non";
    // Fits up to its hyphen; the word after it does not.
    const std::string lead = WordsAtLeast(kTextLimit - 45);
    const std::string hyphenated = lead + "-wopple";
    ASSERT_LT(Width(lead + "-"), kTextLimit);
    ASSERT_GE(Width(hyphenated), kTextLimit);
    const std::string longWord(40, 'W');
    ASSERT_GE(Width(longWord), kTextLimit);

    struct Case
    {
        const char* what;
        std::string text;
        bool closeBox;
        std::string speech;
        std::string note;
    };
    const std::vector<Case> cases = {
        {"line feeds are kept", "One\nTwo\n\nFour", false, "One\nTwo\n\nFour", "One\nTwo\n\nFour"},
        {"without a close box it fits", crowded, false, crowded, crowded},
        {"the close box takes room on the first line", crowded, true, crowdedBroken, crowdedBroken},
        {"but not on the second", "Hi\n" + crowded, true, "Hi\n" + crowded, "Hi\n" + crowded},
        {"a word wider than a line stands alone", "Hi " + longWord + " there", false,
         "Hi\n" + longWord + "\nthere", "Hi\n" + longWord + "\nthere"},
        {"even at the start", longWord + " there", false, longWord + "\nthere", longWord + "\nthere"},
        {"speech breaks after a hyphen, a note before the word", hyphenated, false, lead + "-\nwopple",
         lead.substr(0, lead.rfind(' ')) + "\non-wopple"},
        {"nothing to say", "", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto lines = [](const std::string& text) { return 1 + std::count(text.begin(), text.end(), '\n'); };
        auto* speech = Show(new SpeechBubble("x", SpeechBubble::TAIL_LEFT, "White", c.closeBox, nullptr));
        speech->SetText(c.text);
        EXPECT_EQ(speech->GetPieces().GetLabel()->GetText(), c.speech);
        EXPECT_EQ(speech->GetPieces().Middles().size(), static_cast<std::size_t>(lines(c.speech) - 1));
        auto* note = Show(new NoteBubble("x", NoteBubble::ARROW_LEFT, "White", c.closeBox, nullptr));
        note->SetText(c.text);
        EXPECT_EQ(note->GetPieces().GetLabel()->GetText(), c.note);
        EXPECT_EQ(note->GetPieces().Middles().size(), static_cast<std::size_t>(lines(c.note) - 1));
    }
}

TEST_F(BubbleTest, ALineAsWideAsTheLimitBreaksAndOnePixelLessStaysWholeOnEveryLine)
{
    struct Case
    {
        const char* text;
        int limit;  // beyond the width of the measured line
        bool closeBox;
        const char* wrapped;
        int lines;
    };
    const int pair = Width("bb cc");
    const Case cases[] = {
        {"bb cc", pair, false, "bb\ncc", 2},
        {"bb cc", pair + 1, false, "bb cc", 1},
        {"bb cc bb cc", pair, false, "bb\ncc\nbb\ncc", 4},
        {"bb cc bb cc", pair + 1, false, "bb cc\nbb cc", 2},
        {"bb cc", pair + bubble::kCloseBoxReserve, true, "bb\ncc", 2},
        {"bb cc", pair + bubble::kCloseBoxReserve + 1, true, "bb cc", 1},
        {"x\nbb cc", pair + 1, true, "x\nbb cc", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.text << " in " << c.limit << (c.closeBox ? " with a close box" : ""));
        for (bool hyphens : {false, true}) {
            const bubble::WrappedText wrapped = bubble::WrapText(c.text, *font, c.limit, c.closeBox, hyphens);
            EXPECT_EQ(wrapped.text, c.wrapped);
            EXPECT_EQ(wrapped.lines, c.lines);
        }
    }
}

TEST_F(BubbleTest, TheArrowPointsOutOfTheSideTheDirectionNames)
{
    // Bubbles of one line are 54 high, of two lines 76; the speech's tail is
    // 30 x 30, the note's arrow 28 x 28.
    struct Case
    {
        bool note;
        int direction;
        bool twoLines;
        double rotation;
        Point<int> at;
    };
    const std::vector<Case> cases = {
        {false, SpeechBubble::TAIL_LEFT, false, 0, {-24, 12}},   {false, SpeechBubble::TAIL_LEFT, true, 0, {-27, 23}},
        {false, SpeechBubble::TAIL_RIGHT, false, 180, {254, 11}}, {false, SpeechBubble::TAIL_RIGHT, true, 180, {257, 22}},
        {false, SpeechBubble::TAIL_BELOW, false, 90, {111, 50}},  {false, SpeechBubble::TAIL_BELOW, true, 90, {111, 72}},
        {false, SpeechBubble::TAIL_ABOVE, false, -90, {111, -21}}, {false, SpeechBubble::TAIL_ABOVE, true, -90, {111, -21}},
        {true, NoteBubble::ARROW_LEFT, false, 0, {-22, 13}},       {true, NoteBubble::ARROW_LEFT, true, 0, {-25, 24}},
        {true, NoteBubble::ARROW_RIGHT, false, 180, {257, 13}},    {true, NoteBubble::ARROW_RIGHT, true, 180, {257, 24}},
        {true, NoteBubble::ARROW_BELOW, false, 90, {116, 51}},     {true, NoteBubble::ARROW_BELOW, true, 90, {116, 73}},
        {true, NoteBubble::ARROW_ABOVE, false, -90, {116, -22}},   {true, NoteBubble::ARROW_ABOVE, true, -90, {116, -22}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.note ? "note " : "speech ") + std::to_string(c.direction) + (c.twoLines ? " two lines" : ""));
        const std::string text = c.twoLines ? "One\nTwo" : "One";
        Actor* bubble;
        const bubble::Pieces* pieces;
        if (c.note) {
            auto* note = Show(new NoteBubble(text, c.direction, "White", false, nullptr));
            bubble = note;
            pieces = &note->GetPieces();
        } else {
            auto* speech = Show(new SpeechBubble(text, c.direction, "White", false, nullptr));
            bubble = speech;
            pieces = &speech->GetPieces();
        }
        Actor* arrow = pieces->Arrow();
        ASSERT_NE(arrow, nullptr);
        EXPECT_EQ(arrow, bubble->FindChild("bubbleArrow"));
        EXPECT_EQ(arrow->GetImageName(), c.note ? "objBubble.White.Arrow.png" : "objBubble.White.Triangle.png");
        EXPECT_EQ(arrow->GetZOrder(), 100);
        EXPECT_EQ(arrow->GetRotation(), c.rotation);
        EXPECT_EQ(arrow->GetPosition(), c.at);
    }

    // A note of direction 0 points nowhere; neither does a speech of an unknown side.
    auto* plain = Show(new NoteBubble("One", NoteBubble::ARROW_NONE, "White", false, nullptr));
    EXPECT_EQ(plain->FindChild("bubbleArrow"), nullptr);
    EXPECT_EQ(plain->GetPieces().Arrow(), nullptr);
    auto* odd = Show(new SpeechBubble("One", 7, "White", false, nullptr));
    EXPECT_EQ(odd->FindChild("bubbleArrow"), nullptr);
}

TEST_F(BubbleTest, TheCloseBoxSitsTopRightAndWhoeverHearsTheBubbleHearsItsClick)
{
    auto* speech = Show(new SpeechBubble("Hi", SpeechBubble::TAIL_LEFT, "White", true, recorder));
    auto* close = dynamic_cast<Button*>(speech->FindChild("SpeechBubbleCloseButton"));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->GetParent(), speech);
    EXPECT_EQ(close->GetImageName(), "btnClose.Circle.png");
    EXPECT_EQ(close->GetWidth(), 28);
    EXPECT_EQ(close->GetPosition(), Point<int>(kWidth - 2 - 28, 4));
    EXPECT_EQ(close->GetShortcutKey(), 'x');
    EXPECT_EQ(close->GetReceivers(), speech->GetReceivers());
    Pass();

    Stroke(SDLK_ESCAPE);
    EXPECT_THAT(recorder->TakeEvents(),
                ElementsAre("press SpeechBubbleCloseButton", "click SpeechBubbleCloseButton"));
    Stroke('x');
    EXPECT_THAT(recorder->TakeEvents(),
                ElementsAre("press SpeechBubbleCloseButton", "click SpeechBubbleCloseButton"));
    screen->DestroyChild(speech);

    auto* note = Show(new NoteBubble("Hi", NoteBubble::ARROW_LEFT, "White", true, recorder));
    auto* noteClose = dynamic_cast<Button*>(note->FindChild("BubbleCloseButton"));
    ASSERT_NE(noteClose, nullptr);
    EXPECT_EQ(noteClose->GetPosition(), Point<int>(kWidth - 2 - 28, 4));
    Pass();
    Stroke('x');
    EXPECT_THAT(recorder->TakeEvents(), ElementsAre("press BubbleCloseButton", "click BubbleCloseButton"));
}

TEST_F(BubbleTest, OnlyAChangeBuildsTheBubbleAgainAndThenEveryChildIsNew)
{
    auto* speech = Show(new SpeechBubble("Hello", SpeechBubble::TAIL_LEFT, "White", false, nullptr));
    const std::vector<Actor*> first = ChildrenOf(*speech);
    EXPECT_EQ(first.size(), 4u) << "key-tip layer, top, label, tail";

    speech->SetText("Hello");
    speech->SetShowCloseBox(false);
    speech->SetFont(nullptr);
    speech->SetFont(new Font("ComicNeue-Bold.otf", 18, 0));
    EXPECT_EQ(ChildrenOf(*speech), first) << "nothing changed";

    speech->SetText("Goodbye");
    for (Actor* old : first)
        EXPECT_TRUE(old->IsBeingDestroyed());
    const std::vector<Actor*> second = ChildrenOf(*speech);
    ASSERT_EQ(second.size(), 4u);
    for (Actor* now : second)
        EXPECT_EQ(std::count(first.begin(), first.end(), now), 0);
    Actor* layer = KeyTipLayerOf(*speech);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->GetParent(), speech);
    EXPECT_EQ(layer->GetName(), "SpeechBubbleKeyTipLayer");
    EXPECT_EQ(layer->GetZOrder(), 1002);
    EXPECT_EQ(speech->GetPieces().GetLabel()->GetText(), "Goodbye");

    speech->SetShowCloseBox(true);
    EXPECT_NE(speech->FindChild("SpeechBubbleCloseButton"), nullptr);
    EXPECT_NE(KeyTipLayerOf(*speech), layer);
    speech->SetFont(new Font("DejaVuSans.ttf", 12, 0));
    EXPECT_EQ(speech->GetPieces().GetLabel()->GetFont()->GetFontName(), "DejaVuSans.ttf");
    EXPECT_EQ(speech->GetPieces().GetLabel()->GetFont()->GetPointSize(), 12);
    speech->SetFont(nullptr);
    EXPECT_EQ(speech->GetPieces().GetLabel()->GetFont()->GetFontName(), "ComicNeue-Bold.otf");

    // The note builds again on a new direction or text; its close-box flag
    // waits for the next build.
    auto* note = Show(new NoteBubble("Hello", NoteBubble::ARROW_LEFT, "White", false, nullptr));
    const std::vector<Actor*> before = ChildrenOf(*note);
    note->SetDirection(NoteBubble::ARROW_LEFT);
    note->SetText("Hello");
    note->SetShowCloseBox(true);
    EXPECT_EQ(ChildrenOf(*note), before);
    EXPECT_EQ(note->FindChild("BubbleCloseButton"), nullptr);
    note->SetDirection(NoteBubble::ARROW_ABOVE);
    EXPECT_TRUE(before.front()->IsBeingDestroyed());
    EXPECT_EQ(note->GetPieces().Arrow()->GetRotation(), -90);
    EXPECT_NE(note->FindChild("BubbleCloseButton"), nullptr);
    Actor* noteLayer = KeyTipLayerOf(*note);
    ASSERT_NE(noteLayer, nullptr);
    EXPECT_EQ(noteLayer->GetName(), "NoteBubbleKeyTipLayer");
}

TEST_F(BubbleTest, AnEmptyTextBuildsNothingUntilSomethingChangesThenOneEmptyLine)
{
    auto* speech = Show(new SpeechBubble("", SpeechBubble::TAIL_LEFT, "White", true, nullptr));
    Actor* layer = KeyTipLayerOf(*speech);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(ChildrenOf(*speech), std::vector<Actor*>{layer}) << "only the key-tip layer";
    EXPECT_EQ(speech->GetPieces().Top(), nullptr);
    EXPECT_EQ(speech->GetWidth(), 0);

    speech->SetShowCloseBox(false);
    ExpectStack(*speech, speech->GetPieces(), 1);
    ExpectLabel(*speech, speech->GetPieces(), "");
    EXPECT_EQ(speech->FindChild("SpeechBubbleCloseButton"), nullptr);

    auto* note = Show(new NoteBubble("", NoteBubble::ARROW_LEFT, "White", false, nullptr));
    EXPECT_EQ(note->GetNumChildren(), 1u);
    note->SetDirection(NoteBubble::ARROW_NONE);
    ExpectStack(*note, note->GetPieces(), 1);
    ExpectLabel(*note, note->GetPieces(), "");
}

TEST_F(BubbleTest, ButtonsInsideShowTheirTipsOnTheBubblesLayerAndARebuildMovesThemToTheNewOne)
{
    auto* speech = Show(new SpeechBubble("Hi", SpeechBubble::TAIL_LEFT, "White", true, nullptr));
    app->SetFlags(app->GetFlags() | APPFLAG_SHOW_KEY_TIPS);
    Pass();
    auto* close = dynamic_cast<Button*>(speech->FindChild("SpeechBubbleCloseButton"));
    ASSERT_NE(close, nullptr);
    Actor* layer = KeyTipLayerOf(*speech);
    ASSERT_NE(close->GetKeyTip(), nullptr);
    EXPECT_EQ(close->GetKeyTip()->GetParent(), layer);
    EXPECT_TRUE(close->GetKeyTip()->IsVisible());
    EXPECT_THAT(screen->GetKeyTipLayer()->GetChildren(), IsEmpty());

    speech->SetText("Bye");
    EXPECT_TRUE(layer->IsBeingDestroyed());
    Pass();
    auto* newClose = dynamic_cast<Button*>(speech->FindChild("SpeechBubbleCloseButton"));
    ASSERT_NE(newClose, nullptr);
    ASSERT_NE(newClose->GetKeyTip(), nullptr);
    EXPECT_EQ(newClose->GetKeyTip()->GetParent(), KeyTipLayerOf(*speech));
    EXPECT_TRUE(newClose->GetKeyTip()->IsVisible());
    EXPECT_EQ(KeyTipLayerOf(*speech)->GetNumChildren(), 1u);
}

TEST_F(BubbleTest, ScriptsMakeBubblesAndGiveThemText)
{
    LuaState lua = app->GetLuaState();
    ASSERT_EQ(lua.DoString("_speech = CreateObject{ class = 'SpeechBubble', text = 'Hi there' }"), 0)
        << lua.PopErrorMessage();
    auto* speech = dynamic_cast<SpeechBubble*>(Object::FromLuaObject(lua.GetGlobal("_speech")));
    ASSERT_NE(speech, nullptr);
    Show(speech);
    EXPECT_EQ(speech->GetName(), "SpeechBubble");
    ExpectStack(*speech, speech->GetPieces(), 1);
    ExpectLabel(*speech, speech->GetPieces(), "Hi there");
    EXPECT_NE(KeyTipLayerOf(*speech), nullptr);
    ASSERT_EQ(lua.DoString("_speech.text = 'One\\nTwo'"), 0) << lua.PopErrorMessage();
    ExpectStack(*speech, speech->GetPieces(), 2);

    ASSERT_EQ(lua.DoString("_note = CreateObject{ class = 'NoteBubble' }"), 0) << lua.PopErrorMessage();
    auto* note = dynamic_cast<NoteBubble*>(Object::FromLuaObject(lua.GetGlobal("_note")));
    ASSERT_NE(note, nullptr);
    Show(note);
    EXPECT_EQ(note->GetPieces().Top(), nullptr);
    EXPECT_NE(KeyTipLayerOf(*note), nullptr);
    ASSERT_EQ(lua.DoString("_note.showCloseBox = true; _note.text = 'Hi'; _shown = _note.showCloseBox"), 0)
        << lua.PopErrorMessage();
    EXPECT_TRUE(lua.GetGlobal("_shown").GetBoolean());
    EXPECT_NE(note->FindChild("BubbleCloseButton"), nullptr);
    EXPECT_EQ(note->GetDirection(), NoteBubble::ARROW_LEFT) << "the default";
}

TEST_F(BubbleTest, TheSpeechSpacesItsLettersByTheWholeNumberTheSettingsGive)
{
    LuaState lua = app->GetLuaState();
    auto spacedBy = [&](const std::string& value) {
        EXPECT_EQ(lua.DoString("Config.BubbleFontSpacing = " + value), 0) << lua.PopErrorMessage();
        auto* speech = Show(new SpeechBubble("Hi", SpeechBubble::TAIL_LEFT, "White", false, nullptr));
        Font* labelFont = speech->GetPieces().GetLabel()->GetFont();
        EXPECT_EQ(labelFont->GetCharacterSpacingAdjustment(), speech->GetFontSpacing());
        EXPECT_EQ(labelFont->GetUseAdjustedCharacterSpacing(), speech->GetFontSpacing() != 0);
        return speech->GetFontSpacing();
    };
    EXPECT_EQ(spacedBy("3"), 3);
    EXPECT_EQ(spacedBy("-1"), -1);
    EXPECT_EQ(spacedBy("2.5"), 0);
    EXPECT_EQ(spacedBy("'wide'"), 0);
}

TEST_F(BubbleTest, TheReplySetsCarryPinsSideBySideThatAnswerTheirKeys)
{
    struct Stroked
    {
        int key;
        int modifiers;
        const char* clicked;
    };
    struct Case
    {
        const char* set;
        std::vector<const char*> buttons;
        std::vector<Stroked> strokes;
    };
    const std::vector<Case> cases = {
        {"BubbleButtonSet",
         {"leftButton", "rightButton"},
         {{SDLK_RETURN, 0, "leftButton"}, {SDLK_SPACE, 0, "leftButton"}, {SDLK_ESCAPE, 0, "rightButton"}}},
        {"BubbleButtonSet1",
         {"centerButton"},
         {{SDLK_RETURN, 0, "centerButton"}, {SDLK_SPACE, 0, "centerButton"}, {SDLK_ESCAPE, 0, "centerButton"}}},
        {"BubbleButtonSet3",
         {"leftButton", "centerButton", "rightButton"},
         {{SDLK_RETURN, 0, "leftButton"}, {'c', KMOD_LALT, "centerButton"}, {SDLK_ESCAPE, 0, "rightButton"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set);
        auto* speech = Show(new SpeechBubble("Pick one\n\n", SpeechBubble::TAIL_BELOW, "White", false, nullptr));
        auto* set = dynamic_cast<Actor*>(ClassManager::GetInstance()->InstantiateObjectFromResource(c.set));
        ASSERT_NE(set, nullptr);
        speech->AddChild(set);
        EXPECT_EQ(set->GetName(), "BubbleButtonSet");
        EXPECT_EQ(set->GetWidth(), 155);
        EXPECT_EQ(set->GetY() + set->GetHeight(), speech->GetHeight() - 10) << "at the bubble's foot";

        int right = -1000;
        for (const char* name : c.buttons) {
            SCOPED_TRACE(name);
            auto* button = dynamic_cast<Button*>(set->FindChild(name));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->GetImageName(), "btnPin.png");
            EXPECT_EQ(button->GetLabel()->GetFont()->GetFontName(), "Dosis-ExtraBold.otf");
            EXPECT_EQ(button->GetLabel()->GetFgColor(), Colors::Black);
            // Left to right within the bubble, none over another.
            const Rect rect = button->GetGlobalRect();
            const Rect bubbleRect = speech->GetGlobalRect();
            EXPECT_GE(rect.x, bubbleRect.x);
            EXPECT_LE(rect.x + rect.w, bubbleRect.x + bubbleRect.w);
            EXPECT_GE(rect.x, right);
            right = rect.x + rect.w;
            button->AddToGroup(recorder);
        }
        Pass();
        for (const Stroked& stroke : c.strokes) {
            Stroke(stroke.key, stroke.modifiers);
            EXPECT_THAT(recorder->TakeEvents(), ElementsAre(std::string("press ") + stroke.clicked,
                                                            std::string("click ") + stroke.clicked));
        }
        screen->DestroyChild(speech);
    }
}
