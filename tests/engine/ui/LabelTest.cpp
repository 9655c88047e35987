// Labels in the game's fonts: line layout, wrapping, embedded expressions,
// fitting to a width, hand-spaced characters, when the label renders again,
// greying, the shadow and highlight copies, and the template.

#include "ActorTestSupport.h"
#include "engine/runtime/DrawableImageCollection.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"
#include "engine/core/Config.h"

#include <SDL_ttf.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace actortest;

namespace {

const std::string kSans = "DejaVuSans.ttf";
const Color kInk{200, 30, 60, 255};

std::string FontBytes(const std::string& name)
{
    std::ifstream in(std::string(VELK_GAME_DATA_DIR) + "/fonts/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The actor fixture with the data folder's fonts in the catalogue and the
// font library running.
class LabelTest : public ActorFixture
{
protected:
    void SetUp() override
    {
        ActorFixture::SetUp();
        for (const char* name : {"DejaVuSans.ttf", "DejaVuSansCondensed.ttf", "ComicNeue-Bold.otf"}) {
            auto info = std::make_unique<ResourceInfo>();
            info->SetLocation(name);
            info->SetReader(new FakeCoreHost::MemoryReader(FontBytes(name)));
            catalog.AddInfo(name, std::move(info));
        }
        ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    }

    void TearDown() override
    {
        ActorFixture::TearDown();
        EXPECT_EQ(FontRendererCache::GetRendererCount(), 0u) << "a label kept its font";
        TTF_Quit();
    }

    // A label the test owns.
    Label* Own(Label* label)
    {
        owned.emplace_back(label);
        return label;
    }

    Label* NewLabel(const std::string& text, int size = 20, int alignment = TEXTALIGN_CENTER)
    {
        return Own(new Label(text, new Font(kSans, size, 0), kInk, alignment));
    }

    // The line rendered alone, as the label's font renders it.
    static std::unique_ptr<Image> Line(const Label& label, const std::string& text)
    {
        return label.GetFont()->RenderToImage(text, label.GetFgColor());
    }

    static Point<int> Size(const Label& label, const std::string& text)
    {
        return label.GetFont()->GetTextSize(text);
    }

    // Whether the label's image holds the line image at (x, y), pixel for pixel
    // where either has some alpha.
    static ::testing::AssertionResult HoldsAt(const Label& label, const Image& line, int x, int y)
    {
        Image* image = label.GetOwnImage();
        if (!image)
            return ::testing::AssertionFailure() << "no image";
        for (std::uint32_t ly = 0; ly < line.GetSize().h; ++ly)
            for (std::uint32_t lx = 0; lx < line.GetSize().w; ++lx) {
                std::uint32_t want = imagetest::PixelAt(line, lx, ly);
                std::uint32_t got = imagetest::PixelAt(*image, x + lx, y + ly);
                // Fully clear pixels may differ in colour.
                if (want != got && ((want | got) >> 24) != 0)
                    return ::testing::AssertionFailure()
                           << std::hex << "at " << std::dec << x + lx << "," << y + ly << std::hex << " want "
                           << want << " got " << got;
            }
        return ::testing::AssertionSuccess();
    }

    // Blits may land a step or two short of a channel's value.
    static bool Near(std::uint32_t rgb, std::uint32_t expected, int tolerance = 1)
    {
        for (int shift = 0; shift <= 16; shift += 8)
            if (std::abs(static_cast<int>((rgb >> shift) & 0xFF) - static_cast<int>((expected >> shift) & 0xFF)) >
                tolerance)
                return false;
        return true;
    }

    // Columns of the picture with any ink in the rows.
    static std::pair<int, int> InkColumns(const Image& image, int top, int bottom)
    {
        int first = -1, last = -1;
        for (int x = 0; x < static_cast<int>(image.GetSize().w); ++x)
            for (int y = top; y < bottom; ++y)
                if (imagetest::PixelAt(image, x, y) >> 24) {
                    if (first < 0)
                        first = x;
                    last = x;
                    break;
                }
        return {first, last};
    }
};

} // namespace

TEST_F(LabelTest, LinesStackByTheirHeightsLessTheSpacingAndAlignInTheWidest)
{
    struct Case
    {
        int alignment;
        int lineSpacing;
    };
    const Case cases[] = {
        {TEXTALIGN_CENTER, 0}, {TEXTALIGN_LEFT, 0}, {TEXTALIGN_RIGHT, 0}, {TEXTALIGN_CENTER, 1}, {TEXTALIGN_LEFT, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "alignment " << c.alignment << " spacing " << c.lineSpacing);
        Label* label = NewLabel("", 20, c.alignment);
        label->SetLineSpacing(c.lineSpacing);
        label->SetText("WWWW\nil", true);
        const Point<int> wide = Size(*label, "WWWW");
        const Point<int> narrow = Size(*label, "il");
        ASSERT_GT(wide.x, narrow.x + 10);
        EXPECT_EQ(label->GetWidth(), wide.x);
        EXPECT_EQ(label->GetHeight(), wide.y + narrow.y - c.lineSpacing);

        const int x = c.alignment == TEXTALIGN_CENTER ? wide.x / 2 - narrow.x / 2
                      : c.alignment == TEXTALIGN_LEFT ? 0
                                                      : wide.x - narrow.x;
        EXPECT_TRUE(HoldsAt(*label, *Line(*label, "WWWW"), 0, 0));
        // The lower line overlaps the upper by the spacing and is drawn over it.
        EXPECT_TRUE(HoldsAt(*label, *Line(*label, "il"), x, wide.y - c.lineSpacing));
    }
}

TEST_F(LabelTest, AnEmptyLineTakesTheHeightOfASpaceAndTheOffsetMovesEveryLine)
{
    Label* label = NewLabel("");
    label->SetTextOffset(3, 2);
    label->SetText("ab\n\ncd", true);
    const Point<int> space = Size(*label, " ");
    const Point<int> ab = Size(*label, "ab");
    const Point<int> cd = Size(*label, "cd");
    const int widest = std::max({ab.x, cd.x, space.x});
    EXPECT_EQ(label->GetWidth(), 3 + widest);
    EXPECT_EQ(label->GetHeight(), 2 + ab.y + space.y + cd.y);
    EXPECT_TRUE(HoldsAt(*label, *Line(*label, "ab"), 3 + widest / 2 - ab.x / 2, 2));
    EXPECT_TRUE(HoldsAt(*label, *Line(*label, "cd"), 3 + widest / 2 - cd.x / 2, 2 + ab.y + space.y));
    // The offset is left clear.
    EXPECT_EQ(InkColumns(*label->GetOwnImage(), 0, label->GetHeight()).first >= 3, true);
}

TEST_F(LabelTest, TheTextStandsOnTheActorColourOrOnNothing)
{
    Label* label = NewLabel("");
    label->SetColor(Colors::White, false);
    label->SetText("H", true);
    Canvas clear(label->GetWidth(), label->GetHeight(), CANVAS_DESTROY_TARGET);
    clear.FillImageRect(Colors::Blue);
    label->Draw(clear);
    EXPECT_EQ(Rgb(clear, 0, 0), kBlue) << "a clear background shows what lies below";

    label->SetUseActorColorAsBG(true);
    label->ApplyStringProperty("color", "Red");
    Canvas filled(label->GetWidth(), label->GetHeight(), CANVAS_DESTROY_TARGET);
    filled.FillImageRect(Colors::Blue);
    label->Draw(filled);
    EXPECT_TRUE(Near(Rgb(filled, 0, 0), kRed));
    // The H's stem is white on red, whatever anti-aliasing does at its edges.
    int white = 0;
    for (int x = 0; x < label->GetWidth(); ++x)
        white += Near(Rgb(filled, x, label->GetHeight() / 2), kWhite);
    EXPECT_GT(white, 1);
}

TEST_F(LabelTest, WhiteTextWithABlackShadowShowsWhite)
{
    Label* label = NewLabel("");
    label->ApplyStringProperty("fgColor", "White");
    label->ApplyStringProperty("shadowColor", "Black");
    label->SetText("I", true);
    ASSERT_NE(label->GetShadow(), nullptr);
    Canvas canvas(label->GetWidth() + 2, label->GetHeight() + 2, CANVAS_DESTROY_TARGET);
    canvas.FillImageRect(Colors::Blue);
    canvas.Translate(1, 1);
    label->Draw(canvas);
    // Across the I's middle row: white ink, and black only at its left edge.
    const int y = 1 + label->GetHeight() / 2;
    int white = 0, firstInk = -1, firstWhite = -1;
    for (int x = 0; x < label->GetWidth() + 2; ++x) {
        const std::uint32_t rgb = Rgb(canvas, x, y);
        if (firstInk < 0 && !Near(rgb, kBlue, 40))
            firstInk = x;
        if (Near(rgb, kWhite, 8)) {
            ++white;
            if (firstWhite < 0)
                firstWhite = x;
        }
    }
    EXPECT_GT(white, 0) << "the shadow covers the text";
    EXPECT_LT(firstInk, firstWhite) << "the shadow shows left of the text";
}

TEST_F(LabelTest, WrappingBreaksAtTheFirstSpacePastTheLimitOncePerText)
{
    struct Case
    {
        int limit;
        const char* text;
        const char* wrapped;
    };
    const Case cases[] = {
        {10, "abcdefghijkl xy", "abcdefghijkl\nxy"},
        {10, "one two three four", "one two three\nfour"},
        {5, "ab\ncd efgh ij", "ab\ncd efgh\nij"},
        // A later line counts the break that began it.
        {5, "aaaaa bbb cc", "aaaaa\nbbb\ncc"},
        {5, "x\nbbb cc", "x\nbbb\ncc"},
        {10, "short", "short"},
        {4, "unbreakable", "unbreakable"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Label* label = NewLabel("");
        label->SetWrapLimit(c.limit, false);
        label->SetText(c.text, false);
        EXPECT_EQ(label->GetText(), c.wrapped);
        // Wrapping renders a text that is not empty even when asked not to.
        EXPECT_NE(label->GetRenderKey(), nullptr);
        EXPECT_EQ(label->GetRenderKey()->text, c.wrapped);
    }

    Label* label = NewLabel("");
    label->SetWrapLimit(10, false);
    label->SetText("one two three four", true);
    label->SetWrapLimit(3, true);
    EXPECT_EQ(label->GetText(), "one two three\nfour") << "a text is wrapped once";
    label->SetText("one two three four", true);
    EXPECT_EQ(label->GetText(), "one\ntwo\nthree\nfour");
}

TEST_F(LabelTest, PipesEmbedLuaExpressions)
{
    Run("points = 40 Players = { { score = 40 } }");
    struct Case
    {
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"", {""}},
        {"a\n\nb", {"a", "", "b"}},
        {"50||50", {"50|50"}},
        {"score |Players[1].score + 2| pts", {"score 42 pts"}},
        {"[|(function() end)()|] |true|", {"[] true"}},
        {"shown |hidden", {"shown "}},
        {"||\n|'x' .. 'y'|", {"|", "xy"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> lines;
        Label::ProcessLines(c.text, lines);
        EXPECT_EQ(lines, c.lines);
    }

    std::vector<std::string> lines;
    EXPECT_EQ(FailureOf([&] { Label::ProcessLines("|1 +\n2|", lines); }),
              "Assertion failed: (ch != '\\n')\nMessage: Cannot have a newline in an embedded Lua expression.");
    lines = {"x"};
    EXPECT_EQ(FailureOf([&] { Label::ProcessLines("a", lines); }), "Assertion failed: (output.empty())");
    lines.clear();
    EXPECT_NE(FailureOf([&] { Label::ProcessLines("|nosuch.field|", lines); }).find("nosuch"), std::string::npos);

    // A text may hold what a player typed: expressions read globals only,
    // reach no files or processes, change nothing and cannot run forever.
    const char* const hostile[] = {
        "|os.execute('touch /tmp/never')|", "|io.open('/tmp/never', 'w')|", "|_G.os|",
        "|loadstring('return 1')()|", "|rawset(_G, 'points', 0)|", "|(function() points = 0 end)()|",
        "|(function() while true do end end)()|",
    };
    for (const char* text : hostile) {
        lines.clear();
        EXPECT_NE(FailureOf([&] { Label::ProcessLines(text, lines); }), "no failure") << text;
    }
    EXPECT_EQ(state.GetGlobal("points").GetInteger(), 40);

    // What the label shows.
    Label* label = NewLabel("50||50");
    EXPECT_EQ(label->GetWidth(), Size(*label, "50|50").x);
    label->SetText("shown |hidden", true);
    EXPECT_EQ(label->GetWidth(), Size(*label, "shown ").x);
}

TEST_F(LabelTest, ExpressionsSeeOnlyReadOnlyViewsAndHarmlessLibraries)
{
    Config config(state);
    Run("Config.volume = 7 Players = { { Name = 'Ann', Options = { level = 3 } }, current = {} } "
        "Players.current[1] = Players[1] HighScores = { Ratings = { name = 'Top Ratings' } } "
        "function Secret() return 'reached' end");
    const std::string marker = (std::filesystem::temp_directory_path() /
                                ("velk-label-" + std::to_string(::getpid()) + ".txt"))
                                   .string();
    struct Case
    {
        std::string text;
        std::string shown;  // empty: the text must fail
    };
    const Case cases[] = {
        // What the game's own texts use.
        {"|Config.volume * 10|%", "70%"},
        {"Hi |Players.current[1].Name|, level |Players[1].Options.level|", "Hi Ann, level 3"},
        {"|HighScores.Ratings.name|", "Top Ratings"},
        {"|string.format('%03d', 7)| |('ab'):upper()| |math.max(2, 9)| |tonumber('5') + 1|", "007 AB 9 6"},
        {"|table.concat({ 'a', 'b' }, '-')| |select('#', 1, 2)| |type(Players)| |table.getn(Players)|",
         "a-b 2 table 1"},
        {"|unpack(Players).Name| |string.rep('ab', 3)|", "Ann ababab"},
        {"|(function() local n = 0 for k, v in pairs(Players[1]) do n = n + 1 end return n end)()|", "2"},
        {"|(function() local s = '' for i, p in ipairs(Players) do s = s .. i .. p.Name end return s end)()|",
         "1Ann"},
        {"|(function() local n = 0 for k, v in Players[1].Options do n = n + v end return n end)()|", "3"},
        // Nothing that quits, saves, loads or reaches the engine's natives.
        {"|AppQuit()|", ""},
        {"|Do_Serialize({}, '" + marker + "')|", ""},
        {"|Secret()|", ""},
        {"|GlobalApp|", "nil"},
        {"|loadstring|", "nil"},
        {"|string.dump(type)|", ""},
        {"|math.randomseed(1)|", ""},
        // Nothing that writes.
        {"|(function() Players[1].Name = 'Eve' end)()|", ""},
        {"|(function() Config.volume = 0 end)()|", ""},
        {"|table.insert(Players, 1)|", ""},
        {"|(function() volume = 0 end)()|", ""},
        // Nothing that grows without end, by function or by method.
        {"|string.rep('x', 2^30)|", ""},
        {"|('x'):rep(2^30)|", ""},
        {"|(string.gsub(string.rep('x', 5000), 'x', string.rep('y', 5000)))|", ""},
        {"|(function() while true do end end)()|", ""},
    };
    lua_State* L = state.GetCState();
    lua_Hook debugger = [](lua_State*, lua_Debug*) {};
    lua_sethook(L, debugger, LUA_MASKLINE, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> lines;
        std::string failure = FailureOf([&] { Label::ProcessLines(c.text, lines); });
        if (c.shown.empty()) {
            EXPECT_NE(failure, "no failure");
        } else {
            EXPECT_EQ(failure, "no failure");
            EXPECT_EQ(lines, std::vector<std::string>{c.shown});
        }
        // However it ended, the state is as it was.
        EXPECT_EQ(lua_gethook(L), debugger);
        EXPECT_EQ(lua_gethookmask(L), LUA_MASKLINE);
        EXPECT_EQ(state.GetTop(), 0);
    }
    lua_sethook(L, nullptr, 0, 0);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(Eval("Players[1].Name .. Config.volume .. table.getn(Players)").GetString(), "Ann71");
    EXPECT_EQ(Eval("('ab'):rep(2)").GetString(), "abab");
    EXPECT_TRUE(Eval("getmetatable('').__index == string and string.rep ~= nil").GetBoolean());
    SetConfig(nullptr);
}

TEST_F(LabelTest, TextFromDataIsShownNeverRun)
{
    const std::string marker = (std::filesystem::temp_directory_path() /
                                ("velk-label-" + std::to_string(::getpid()) + ".txt"))
                                   .string();
    const std::string names[] = {
        "|AppQuit()|", "|Do_Serialize({}, \"" + marker + "\")|", "|string.rep(\"x\", 2^30)|", "a|b", "||", "|",
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::vector<std::string> lines;
        Label::ProcessLines(PlainLabelText(name), lines);
        EXPECT_EQ(lines, std::vector<std::string>{name});

        // Scripts escape the same way; the label shows the name as typed.
        LuaObject text;
        text.AssignString(state, name);
        state.GetGlobals().SetObject("typed", text);
        Label* label = NewLabel("");
        Run("_label_text = PlainLabelText(typed) .. '!'");
        label->SetText(state.GetGlobal("_label_text"), true);
        EXPECT_EQ(label->GetWidth(), Size(*label, name + "!").x);
    }
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(Eval("PlainLabelText(12)").GetString(), "12");
    EXPECT_NE(FailureOf([&] { Run("PlainLabelText({})"); }).find("PlainLabelText(text): the text must be a string."),
              std::string::npos);
}

TEST_F(LabelTest, AWidthLimitShrinksTheFontNeverBelowSix)
{
    Label* label = NewLabel("", 20);
    label->ApplyStringProperty("shadowColor", "Black");
    label->SetWidthLimit(100);
    const std::string text = "Twenty points!";
    ASSERT_GT(Size(*label, text).x, 140);
    label->SetText(text, true);
    const int fitted = label->GetFont()->GetPointSize();
    EXPECT_LT(fitted, 20);
    EXPECT_LE(label->GetWidth(), 100);
    EXPECT_GT(Font(kSans, fitted + 1, 0).GetTextSize(text).x, 100) << "the largest size that fits";
    ASSERT_NE(label->GetShadow(), nullptr);
    EXPECT_EQ(label->GetShadow()->GetFont()->GetPointSize(), fitted) << "the shadow shrinks with the label";

    label->SetText("A much longer line that cannot fit in a hundred pixels at any size", true);
    EXPECT_EQ(label->GetFont()->GetPointSize(), 6);
    EXPECT_EQ(label->GetShadow()->GetFont()->GetPointSize(), 6);

    // A short text goes back to the size the font was set with.
    label->SetText("Hi", true);
    EXPECT_EQ(label->GetFont()->GetPointSize(), 20);
    EXPECT_EQ(label->GetShadow()->GetFont()->GetPointSize(), 20);
}

TEST_F(LabelTest, HandSpacedCharactersAreOnePictureOrOneImageEach)
{
    auto spacedFont = [] {
        auto* font = new Font(kSans, 20, 0);
        font->SetUseAdjustedCharacterSpacing(true);
        font->SetCharacterSpacingAdjustment(4);
        return font;
    };
    Label* picture = Own(new Label("ab\nc", spacedFont(), kInk, TEXTALIGN_RIGHT));
    const Point<int> ab = Size(*picture, "ab");
    const Point<int> c = Size(*picture, "c");
    EXPECT_EQ(picture->GetDrawableImageCollection(), nullptr);
    EXPECT_EQ(picture->GetWidth(), ab.x);
    EXPECT_TRUE(HoldsAt(*picture, *Line(*picture, "ab"), 0, 0));
    EXPECT_TRUE(HoldsAt(*picture, *Line(*picture, "c"), ab.x - c.x, ab.y));

    app->ApplyBoolProperty("renderManuallySpacedCharsToSeparateImages", true);
    Label* separate = Own(new Label("ab\nc", spacedFont(), kInk, TEXTALIGN_RIGHT));
    DrawableImageCollection* collection = separate->GetDrawableImageCollection();
    ASSERT_NE(collection, nullptr);
    EXPECT_EQ(separate->GetOwnImage(), nullptr);
    EXPECT_EQ(separate->GetRenderKey(), nullptr);
    ASSERT_EQ(collection->GetImageCount(), 3u);
    const int aWidth = static_cast<int>(collection->GetImage(0)->GetSize().w);
    EXPECT_EQ(collection->GetOffset(0), Point<int>(0, 0));
    EXPECT_EQ(collection->GetOffset(1), Point<int>(aWidth + 4, 0));
    EXPECT_EQ(collection->GetOffset(2), Point<int>(ab.x - c.x, ab.y));
    EXPECT_EQ(separate->GetWidth(), collection->GetExtent().x);
    EXPECT_EQ(separate->GetHeight(), collection->GetExtent().y);

    // Both draw the same pixels, but for the rounding of two ways of blending.
    Canvas one(ab.x, ab.y + c.y, CANVAS_DESTROY_TARGET);
    Canvas other(ab.x, ab.y + c.y, CANVAS_DESTROY_TARGET);
    picture->Draw(one);
    separate->Draw(other);
    int inked = 0;
    for (int y = 0; y < ab.y + c.y; ++y)
        for (int x = 0; x < ab.x; ++x) {
            ASSERT_TRUE(Near(Rgb(one, x, y), Rgb(other, x, y), 3)) << x << "," << y << std::hex << " " << Rgb(one, x, y) << " " << Rgb(other, x, y);
            inked += Rgb(one, x, y) != 0;
        }
    EXPECT_GT(inked, 20);

    // Without a key, every request renders again.
    separate->Render();
    EXPECT_NE(separate->GetDrawableImageCollection(), nullptr);
    EXPECT_EQ(separate->GetDrawableImageCollection()->GetImageCount(), 3u);
}

TEST_F(LabelTest, ItRendersAgainOnlyWhenThePictureWouldChange)
{
    Label* label = NewLabel("Hello");
    // A mark in the current picture survives as long as the label keeps it.
    auto mark = [&] { imagetest::SetPixel(*label->GetOwnImage(), 0, 0, 0x12345678u); };
    auto kept = [&] { return imagetest::PixelAt(*label->GetOwnImage(), 0, 0) == 0x12345678u; };
    struct Step
    {
        const char* what;
        std::function<void()> change;
        bool renders;
    };
    const Step steps[] = {
        {"the same text", [&] { label->SetText("Hello", true); }, false},
        {"a new text colour", [&] { label->ApplyStringProperty("fgColor", "Red"); }, true},
        {"the colour again", [&] { label->SetColor(Colors::Red, true); }, false},
        {"the actor colour under no background", [&] { label->ApplyStringProperty("color", "Blue"); }, false},
        {"an unknown alignment", [&] { label->ApplyStringProperty("textAlignment", "Middle"); }, false},
        {"a number for an alignment", [&] { label->ApplyIntegerProperty("textAlignment", 1); }, false},
        {"another alignment", [&] { label->ApplyStringProperty("textAlignment", "Left"); }, true},
        {"new text", [&] { label->ApplyStringProperty("text", "Hullo"); }, true},
        {"a line spacing, not yet", [&] { label->ApplyIntegerProperty("lineSpacing", 3); }, false},
        {"then any render", [&] { label->Render(); }, true},
        {"the background on", [&] { label->ApplyBoolProperty("useActorColorAsBG", true); }, false},
        {"then any render", [&] { label->Render(); }, true},
        {"the actor colour as background", [&] { label->ApplyStringProperty("color", "Green"); }, true},
        {"the same font", [&] { label->SetFont(new Font(kSans, 20, 0), true); }, false},
        {"another font", [&] { label->ApplyStringProperty("font", "InfoTextFont"); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        mark();
        step.change();
        EXPECT_EQ(!kept(), step.renders);
    }
    EXPECT_EQ(label->GetTextAlignment(), TEXTALIGN_LEFT);
    EXPECT_EQ(label->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    // The actor colour never turns the label into a coloured box.
    EXPECT_EQ(label->GetColorMode() & COLORMODE_FILL, 0u);
    Canvas canvas(label->GetWidth(), label->GetHeight(), CANVAS_DESTROY_TARGET);
    label->Draw(canvas);
    int red = 0;
    for (int x = 0; x < label->GetWidth(); ++x)
        for (int y = 0; y < label->GetHeight(); ++y)
            red += Near(Rgb(canvas, x, y), kRed);
    EXPECT_GT(red, 10) << "red text on the green background";
    EXPECT_TRUE(Near(Rgb(canvas, 0, label->GetHeight() - 1), kGreen));
}

TEST_F(LabelTest, GreyingKeepsTheColourToGoBackTo)
{
    Label* label = NewLabel("Off");
    label->SetGrayed(true);
    EXPECT_EQ(label->GetFgColor(), Colors::Gray);
    label->SetGrayed(true);
    EXPECT_EQ(label->GetFgColor(), Colors::Gray);
    label->SetGrayed(false);
    EXPECT_EQ(label->GetFgColor(), kInk) << "greying twice saves the colour once";
    label->SetGrayed(false);
    EXPECT_EQ(label->GetFgColor(), kInk);
    EXPECT_TRUE(HoldsAt(*label, *Line(*label, "Off"), 0, 0));
}

TEST_F(LabelTest, ShadowAndHighlightAreCopiesBuiltAtTheNextRendering)
{
    Label* label = NewLabel("");
    label->SetLineSpacing(2);
    label->SetWrapLimit(4, false);
    label->ApplyStringProperty("shadowColor", "Black");
    label->ApplyStringProperty("highlightColor", "White");
    EXPECT_EQ(label->GetNumChildren(), 0u) << "built when the label renders";
    label->SetText("Shiny letters", true);

    Label* shadow = label->GetShadow();
    Label* highlight = label->GetHighlight();
    ASSERT_NE(shadow, nullptr);
    ASSERT_NE(highlight, nullptr);
    EXPECT_EQ(label->GetChildren(), (Actor::ChildList{shadow, highlight}));
    EXPECT_EQ(shadow->GetPosition(), Point<int>(-1, -1));
    EXPECT_EQ(shadow->GetFgColor(), Colors::Black);
    EXPECT_EQ(highlight->GetPosition(), Point<int>(1, 1));
    EXPECT_LT(shadow->GetZOrder(), highlight->GetZOrder());
    EXPECT_LT(highlight->GetZOrder(), 0) << "both lie beneath the text";
    EXPECT_EQ(highlight->GetFgColor(), Colors::White);
    for (Label* copy : {shadow, highlight}) {
        EXPECT_EQ(copy->GetText(), "Shiny\nletters") << "the copies show the wrapped text";
        EXPECT_EQ(copy->GetLineSpacing(), 2);
        EXPECT_EQ(copy->GetHeight(), label->GetHeight());
        EXPECT_EQ(copy->GetFont()->GetFontName(), kSans);
    }

    // A new colour drops the old copy; the next rendering makes another.
    label->ApplyStringProperty("shadowColor", "Blue");
    EXPECT_TRUE(shadow->IsBeingDestroyed());
    EXPECT_EQ(label->GetShadow(), nullptr);
    label->SetText("Glow", true);
    ASSERT_NE(label->GetShadow(), nullptr);
    EXPECT_EQ(label->GetShadow()->GetFgColor(), Colors::Blue);
    EXPECT_EQ(highlight->GetText(), "Glow");
    label->SetTextAlignment(TEXTALIGN_RIGHT, true);
    EXPECT_EQ(highlight->GetTextAlignment(), TEXTALIGN_RIGHT);

    // So does a new font, so the copies never show another face.
    label->ApplyStringProperty("font", "InfoTextFont");
    EXPECT_TRUE(highlight->IsBeingDestroyed());
    ASSERT_NE(label->GetHighlight(), nullptr);
    EXPECT_EQ(label->GetHighlight()->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    EXPECT_EQ(label->GetShadow()->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    Pass(nullptr);

    // A copy deleted by someone else is made again, not used.
    label->DestroyChildren();
    Pass(nullptr);
    label->SetText("Again", true);
    EXPECT_EQ(label->GetNumChildren(), 2u);
}

TEST_F(LabelTest, TheTemplateAndTheScriptProperties)
{
    Run("label = CreateObject{ resource = 'Label', name = 'Caption' }");
    auto* label = dynamic_cast<Label*>(Object::FromLuaObject(state.GetGlobal("label")));
    ASSERT_NE(label, nullptr);
    Own(label);
    EXPECT_EQ(label->GetFont()->GetFontName(), "ComicNeue-Bold.otf");
    EXPECT_EQ(label->GetFont()->GetPointSize(), 16);
    EXPECT_EQ(Eval("label.text").GetString(), "Label");
    EXPECT_EQ(Eval("label.textAlignment").GetString(), "Center");
    EXPECT_EQ(Eval("label.lineSpacing").GetInteger(), 1);
    EXPECT_EQ(Eval("label.widthLimit").GetInteger(), 100);
    EXPECT_EQ(Eval("label.wrapLimit").GetInteger(), 80);
    EXPECT_EQ(Eval("label.fgColor").GetString(), "Black");
    EXPECT_EQ(Eval("label.shadowColor").GetString(), "DarkGray");
    EXPECT_EQ(Eval("label.highlightColor").GetString(), "LightGray");
    EXPECT_TRUE(Eval("label.useActorColorAsBG").GetBoolean());
    EXPECT_EQ(Eval("label.font.fontName").GetString(), "ComicNeue-Bold.otf");
    EXPECT_EQ(label->GetColor(), Colors::White);
    // The copies come with the first rendering after their colours are set.
    Run("label.text = 'Caption'");
    ASSERT_NE(label->GetShadow(), nullptr);
    EXPECT_EQ(label->GetShadow()->GetFgColor(), Color(169, 169, 169));
    ASSERT_NE(label->GetHighlight(), nullptr);
    EXPECT_EQ(label->GetHighlight()->GetFgColor(), Color(211, 211, 211));

    Run("label.text = function() return 'From a function' end");
    EXPECT_EQ(label->GetText(), "From a function");
    Run("label.text = 12");
    EXPECT_EQ(label->GetText(), "12");
    EXPECT_NE(FailureOf([&] { Run("label.text = {}"); }).find("Assertion failed: (object.IsConvertibleToString())"),
              std::string::npos);
    // "bgColor" is the colour's second name for the label, but templates keep it as a plain field.
    Run("label.bgColor = 'Red'");
    EXPECT_EQ(label->GetColor(), Colors::White);
    EXPECT_EQ(Eval("label.bgColor").GetString(), "Red");
    label->ApplyClassicProperty("bgColor", Eval("'Blue'"));
    EXPECT_EQ(label->GetColor(), Colors::Blue);

    LuaObject stored;
    stored.AssignNewTable(state);
    label->StoreClassAndName(stored);
    EXPECT_EQ(stored["text"].GetString(), "12");
    EXPECT_EQ(stored["font"]["fontSize"].GetInteger(), 16);
    EXPECT_EQ(stored["name"].GetString(), "Caption");

    Label* made = Own(Label::CreateWithText("Label", "Made"));
    EXPECT_EQ(made->GetText(), "Made");
    EXPECT_EQ(made->GetFont()->GetPointSize(), 16);
}

TEST_F(LabelTest, AnOversizedPictureIsNamedInTheLog)
{
    host->logLevel = 3;
    Label* label = NewLabel(std::string(120, 'W'));
    ASSERT_GT(label->GetWidth(), 1000);
    const std::string expected = "Why is this image so big? size = x: " + std::to_string(label->GetWidth()) +
                                 " y:" + std::to_string(label->GetHeight());
    bool found = false;
    for (const std::string& line : GetCachedLogLines())
        found = found || line.find(expected) != std::string::npos;
    EXPECT_TRUE(found);
}
