// Fonts from the built game data, found by file name through the resource
// catalogue: measuring, rendering with and without fixed spacing, the shared
// renderers, script properties and templates, and the errors of bad fonts.

#include "engine/runtime/Font.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/DrawableImageCollection.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ResourceExtensions.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/Utility.h"
#include "OsTestSupport.h"
#include "support/FakeCoreHost.h"
#include "support/Failure.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

const std::string kFontsDir = std::string(VELK_GAME_DATA_DIR) + "/fonts";
const std::string kSans = "DejaVuSans.ttf";
const Color kInk{200, 30, 60, 255};

std::uint32_t PixelAt(const Image& image, int x, int y)
{
    return PixelRow(image.GetSurface(), y)[x];
}

// The width and height of one character as the font's renderer measures it alone.
Point<int> CharSize(const Font& font, char c)
{
    FontRendererInfo info;
    font.SaveFontRendererInfo(info);
    return FontRendererCache::Find(info.fontName, info.pointSize, info.fontIndex)->GetTextSize(std::string(1, c));
}

std::string CouldNotSetFont(const std::string& name, int size, int index, const std::string& error)
{
    return "Assertion failed: (m_TTFFont != 0)\nMessage: Could not set font:\nname = " + name + "\npoint size = " +
           std::to_string(size) + "\nindex = " + std::to_string(index) +
           "\nerror (from TTF_OpenFontIndexRW) = " + error;
}

// The fonts of the data folder in the catalogue, SDL_ttf running, and the
// core's classes and the templates as the application loads them.
class FontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearLogCache();
        state = VelkLuaState::Create();
        VelkLuaState::RunStartupScript(state);
        TypeConversion::InitializeTypeTables();
        ClassManager::GetInstance()->InitializeClasses();
        manager = std::make_unique<ResourceManager>();
        manager->AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(kFontsDir, true, true));
        manager->ScanAll();
        VelkLuaState::DoResourceFile(state, "ResourceLoader.lua");
        ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    }

    void TearDown() override
    {
        EXPECT_EQ(FontRendererCache::GetRendererCount(), 0u) << "a font kept its renderer";
        TTF_Quit();
        manager.reset();
        host.DeleteFlaggedObjects();
        ClassManager::DestroyInstance();
        VelkLuaState::Destroy();
        ClearLogCache();
    }

    void Run(const std::string& source) { VelkLuaState::LoadStringA(state, source, 0, 0); }

    LuaObject Eval(const std::string& expression)
    {
        VelkLuaState::LoadStringA(state, "return " + expression, 0, 1);
        return LuaObject::PopFrom(state);
    }

    // A catalogue entry of the given bytes under the name.
    void AddFile(const std::string& name, const std::string& bytes)
    {
        auto info = std::make_unique<ResourceInfo>();
        info->SetLocation(name);
        info->SetReader(new FakeCoreHost::MemoryReader(bytes));
        manager->AddInfo(name, std::move(info));
    }

    static std::string LogText()
    {
        std::string text;
        for (const std::string& line : GetCachedLogLines())
            text += line;
        return text;
    }

    FakeCoreHost host{4};
    LuaState state;
    std::unique_ptr<ResourceManager> manager;
};

} // namespace

TEST_F(FontTest, MeasuresTextCharacterByCharacterWithSpacingAndLines)
{
    Font font(kSans, 24, 0);
    const Point<int> i = CharSize(font, 'i');
    const Point<int> w = CharSize(font, 'W');
    ASSERT_GT(i.x, 0);
    ASSERT_GT(w.x, i.x);
    ASSERT_GT(i.y, 20);
    ASSERT_EQ(w.y, i.y);

    EXPECT_EQ(font.GetTextSize(""), Point<int>(0, 0));
    EXPECT_EQ(font.GetTextSize("iW"), Point<int>(i.x + w.x, i.y));

    // The adjustment goes before every character but the text's first, also
    // before the first character of a later line.
    font.SetCharacterSpacingAdjustment(2);
    EXPECT_EQ(font.GetTextSize("iW"), Point<int>(i.x + w.x + 2, i.y));
    EXPECT_EQ(font.GetTextSize("i\nWW"), Point<int>(w.x + 2 + w.x + 2, 2 * i.y));
    EXPECT_EQ(font.GetTextSize("WWWW\ni"), Point<int>(4 * w.x + 3 * 2, 2 * i.y));
    // An empty line adds no height; a final line feed ends the last line.
    EXPECT_EQ(font.GetTextSize("i\n\ni\n"), Point<int>(i.x + 2, 2 * i.y));
    // The spacing setting decides rendering only; measuring is always spaced.
    EXPECT_FALSE(font.GetUseAdjustedCharacterSpacing());
}

TEST_F(FontTest, RendersWholeTextInTheInkColour)
{
    Font font(kSans, 32, 0);
    std::unique_ptr<Image> image = font.RenderToImage("Hi!", kInk);
    ASSERT_NE(image, nullptr);
    const Point<int> whole = FontRendererCache::Find(kSans, 32, 0)->GetTextSize("Hi!");
    EXPECT_EQ(image->GetSize().w, static_cast<std::uint32_t>(whole.x));
    EXPECT_EQ(image->GetSize().h, static_cast<std::uint32_t>(whole.y));
    EXPECT_EQ(image->GetNumFrames(), 1);
    EXPECT_EQ(image->GetFlags() & (IMAGEFLAG_NO_ALPHA | IMAGEFLAG_SHARED_PIXELS), 0u);

    int opaque = 0, clear = 0;
    for (int y = 0; y < whole.y; ++y) {
        for (int x = 0; x < whole.x; ++x) {
            const std::uint32_t pixel = PixelAt(*image, x, y);
            const std::uint32_t alpha = pixel >> 24;
            opaque += alpha == 255;
            clear += alpha == 0;
            if (alpha != 0) {
                ASSERT_EQ(pixel & 0xFFFFFF, 0xC81E3Cu) << x << "," << y;
            }
        }
    }
    EXPECT_GT(opaque, 50);
    EXPECT_GT(clear, opaque);
}

TEST_F(FontTest, SpacedRenderingComposesCharactersSideBySide)
{
    Font font(kSans, 28, 0);
    font.SetUseAdjustedCharacterSpacing(true);
    font.SetCharacterSpacingAdjustment(5);
    const Point<int> a = CharSize(font, 'a');
    const Point<int> l = CharSize(font, 'l');
    std::unique_ptr<Image> image = font.RenderToImage("al", kInk);
    ASSERT_EQ(image->GetSize().w, static_cast<std::uint32_t>(a.x + 5 + l.x));
    ASSERT_EQ(image->GetSize().h, static_cast<std::uint32_t>(std::max(a.y, l.y)));
    EXPECT_EQ(font.GetTextSize("al").x, a.x + 5 + l.x);
    EXPECT_NE(image->GetFlags() & IMAGEFLAG_SHARED_PIXELS, 0u);

    // Over the cleared picture each character arrives as rendered alone, alpha
    // included, and the gap between them stays clear.
    IndividualFontRenderer* renderer = FontRendererCache::Find(kSans, 28, 0);
    std::unique_ptr<Image> aAlone = renderer->RenderText("a", kInk, false);
    std::unique_ptr<Image> lAlone = renderer->RenderText("l", kInk, false);
    for (int y = 0; y < a.y; ++y) {
        for (int x = 0; x < a.x; ++x)
            ASSERT_EQ(PixelAt(*image, x, y), PixelAt(*aAlone, x, y)) << x << "," << y;
        for (int x = a.x; x < a.x + 5; ++x)
            ASSERT_EQ(PixelAt(*image, x, y), 0u) << x << "," << y;
        for (int x = 0; x < l.x; ++x)
            ASSERT_EQ(PixelAt(*image, a.x + 5 + x, y), PixelAt(*lAlone, x, y)) << x << "," << y;
    }

    // A negative adjustment overlaps the characters.
    font.SetCharacterSpacingAdjustment(-3);
    EXPECT_EQ(font.RenderToImage("al", kInk)->GetSize().w, static_cast<std::uint32_t>(a.x + l.x - 3));
    // One that leaves no width is refused.
    font.SetCharacterSpacingAdjustment(-1000);
    EXPECT_EQ(FailureOf([&] { font.RenderToImage("al", kInk); }), "Assertion failed: (finalSize.x > 0)");
}

TEST_F(FontTest, EmptyTextRendersToAnEmptyImageInBothModes)
{
    Font font(kSans, 16, 0);
    for (bool spaced : {false, true}) {
        SCOPED_TRACE(spaced);
        font.SetUseAdjustedCharacterSpacing(spaced);
        std::unique_ptr<Image> image = font.RenderToImage("", kInk);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetSize().w, 0u);
        EXPECT_EQ(image->GetSize().h, 0u);
        EXPECT_EQ(image->GetNumFrames(), 1);
        EXPECT_EQ(image->GetFlags(), 0u);
    }
}

TEST_F(FontTest, FontsOfOneKeyShareOneRendererUntilTheLastGoes)
{
    auto first = std::make_unique<Font>(kSans, 20, 0);
    auto second = std::make_unique<Font>(kSans, 20, 0);
    Font larger(kSans, 21, 0);
    IndividualFontRenderer* shared = FontRendererCache::Find(kSans, 20, 0);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->GetReferenceCount(), 2);
    EXPECT_EQ(FontRendererCache::GetRendererCount(), 2u);

    // Setting the same key again takes the new reference before dropping the old.
    first->SetFont(kSans, 20, 0);
    EXPECT_EQ(FontRendererCache::Find(kSans, 20, 0), shared);
    EXPECT_EQ(shared->GetReferenceCount(), 2);

    first.reset();
    ASSERT_EQ(FontRendererCache::Find(kSans, 20, 0), shared);
    EXPECT_EQ(shared->GetReferenceCount(), 1);
    EXPECT_GT(second->RenderToImage("still open", kInk)->GetSize().w, 0u);

    second.reset();
    EXPECT_EQ(FontRendererCache::Find(kSans, 20, 0), nullptr);
    EXPECT_EQ(FontRendererCache::GetRendererCount(), 1u);

    larger.SetPointSize(20);
    EXPECT_EQ(larger.GetPointSize(), 20);
    EXPECT_EQ(FontRendererCache::Find(kSans, 21, 0), nullptr);
    EXPECT_NE(FontRendererCache::Find(kSans, 20, 0), nullptr);
    EXPECT_EQ(FontRendererCache::GetRendererCount(), 1u);
}

TEST_F(FontTest, ABadFontIsAClearErrorAndTheFontKeepsItsFace)
{
    AddFile("NotAFont.ttf", std::string(4096, 'x'));
    AddFile("Empty.ttf", "");
    struct Case
    {
        std::string name;
        int size;
        int index;
        std::string error;  // empty: SDL_ttf's own text, whatever it is
    };
    const Case cases[] = {
        {"NoSuch.ttf", 16, 0, "Could not find resource info with name = NoSuch.ttf"},
        {"dejavusans.ttf", 16, 0, "Could not find resource info with name = dejavusans.ttf"},
        {"", 16, 0, "Could not find resource info with name = "},
        {"NotAFont.ttf", 16, 0, ""},
        {"Empty.ttf", 16, 0, "the font file is empty or too large"},
        {kSans, 16, 7, ""},
        {kSans, 0, 0, "the point size must be at least 1"},
        {kSans, -4, 0, "the point size must be at least 1"},
        {kSans, 16, -1, "the face index must not be negative"},
    };

    Font font(kSans, 18, 0);
    font.SetCharacterSpacingAdjustment(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.size) + " " + std::to_string(c.index));
        const std::string failure = FailureOf([&] { font.SetFont(c.name, c.size, c.index); });
        if (c.error.empty()) {
            const std::string prefix = CouldNotSetFont(c.name, c.size, c.index, "");
            EXPECT_EQ(failure.substr(0, prefix.size()), prefix);
            EXPECT_GT(failure.size(), prefix.size());
        } else {
            EXPECT_EQ(failure, CouldNotSetFont(c.name, c.size, c.index, c.error));
        }
        EXPECT_EQ(FailureOf([&] { Font fresh(c.name, c.size, c.index); }), failure);

        EXPECT_EQ(font.GetFontName(), kSans);
        EXPECT_EQ(font.GetPointSize(), 18);
        EXPECT_EQ(FontRendererCache::GetRendererCount(), 1u);
        EXPECT_GT(font.RenderToImage("ok", kInk)->GetSize().w, 0u);
    }
    // A wrong case gets a hint in the log.
    EXPECT_NE(LogText().find("There is no resource named \"dejavusans.ttf\", but there is \"DejaVuSans.ttf\""),
              std::string::npos);
}

TEST_F(FontTest, NoFontOpensWhileTheFontLibraryIsDown)
{
    TTF_Quit();
    EXPECT_EQ(FailureOf([] { Font font(kSans, 16, 0); }),
              CouldNotSetFont(kSans, 16, 0, "the font library is not running"));
    ASSERT_EQ(TTF_Init(), 0);
    EXPECT_TRUE(Font(kSans, 16, 0).HasRenderer());
}

TEST_F(FontTest, ABadFontInAScriptTableLeavesTheFontUnsetWithTheReasonInTheLog)
{
    Font font(Eval("{ fontName = 'NoSuch.ttf', fontSize = 12 }"));
    EXPECT_FALSE(font.HasRenderer());
    EXPECT_NE(LogText().find("Could not set font:\nname = NoSuch.ttf\npoint size = 12"), std::string::npos)
        << LogText();
    EXPECT_EQ(FailureOf([&] { font.GetTextSize("x"); }), "Assertion failed: (m_Renderer != 0)");
    EXPECT_EQ(FailureOf([&] { font.RenderToImage("x", kInk); }), "Assertion failed: (m_Renderer != 0)");
    EXPECT_EQ(FailureOf([&] { font.GetFontName(); }), "Assertion failed: (m_Renderer)");
    EXPECT_EQ(FailureOf([&] { font.GetPointSize(); }), "Assertion failed: (m_Renderer)");
    EXPECT_EQ(FailureOf([&] { font.SetPointSize(10); }), "Assertion failed: (m_Renderer)");
}

TEST_F(FontTest, PropertiesAndTemplatesSetTheFontOnceNameAndSizeAreKnown)
{
    std::unique_ptr<Font> button = Font::CreateFromTable("ButtonFont");
    EXPECT_EQ(button->GetFontName(), "Dosis-ExtraBold.otf");
    EXPECT_EQ(button->GetPointSize(), 22);
    Font title(Eval("'DialogTitleFont'"));
    EXPECT_EQ(title.GetPointSize(), 32);
    // The base template names the plain style, which a font accepts.
    Font base(Eval("'Font'"));
    EXPECT_EQ(base.GetFontName(), kSans);
    EXPECT_EQ(base.GetPointSize(), 16);
    EXPECT_EQ(LogText().find("WARNING"), std::string::npos) << LogText();

    Font font(Eval("{ resource = 'ButtonFont', fontSize = 30, useAdjustedCharacterSpacing = true,"
                   "  characterSpacingAdjustment = -2 }"));
    EXPECT_EQ(font.GetFontName(), "Dosis-ExtraBold.otf");
    EXPECT_EQ(font.GetPointSize(), 30);
    EXPECT_TRUE(font.GetUseAdjustedCharacterSpacing());
    EXPECT_EQ(font.GetCharacterSpacingAdjustment(), -2);

    state.GetGlobals().SetObject("font", font.GetLuaObject());
    EXPECT_EQ(Eval("font.fontName").GetString(), "Dosis-ExtraBold.otf");
    EXPECT_EQ(Eval("font.fontSize").GetInteger(), 30);
    EXPECT_EQ(Eval("font.fontIndex").GetInteger(), 0);
    EXPECT_EQ(Eval("font.characterSpacingAdjustment").GetInteger(), -2);
    EXPECT_TRUE(Eval("font.useAdjustedCharacterSpacing").GetBoolean());
    Run("font.fontSize = 12; font.fontName = 'DejaVuSans.ttf'");
    EXPECT_EQ(font.GetFontName(), kSans);
    EXPECT_EQ(font.GetPointSize(), 12);
    EXPECT_NE(FailureOf([&] { Run("font.style = Resources.FontStyle.Bold"); }).find("Assertion failed: (false)"),
              std::string::npos);
    EXPECT_EQ(FailureOf([&] { font.ApplyIntegerProperty("style", 2); }), "Assertion failed: (false)");

    LuaObject stored;
    stored.AssignNewTable(state);
    font.StoreProperties(stored);
    EXPECT_EQ(stored["class"].GetString(), "Font");
    EXPECT_EQ(stored["fontName"].GetString(), kSans);
    EXPECT_EQ(stored["fontSize"].GetInteger(), 12);
    EXPECT_EQ(stored["fontIndex"].GetInteger(), 0);

    // A name alone is not enough to open anything.
    Font partial;
    partial.ApplyStringProperty("fontName", kSans);
    EXPECT_FALSE(partial.HasRenderer());
    partial.ApplyIntegerProperty("fontSize", 14);
    EXPECT_EQ(partial.GetPointSize(), 14);

    Run("made = CreateObject{ class = 'Font', fontName = 'DejaVuSans.ttf', fontSize = 10 }");
    std::unique_ptr<Object> made(Object::FromLuaObject(state.GetGlobal("made")));
    ASSERT_NE(dynamic_cast<Font*>(made.get()), nullptr);
    EXPECT_EQ(static_cast<Font*>(made.get())->GetPointSize(), 10);

    EXPECT_EQ(FailureOf([&] { Font number(Eval("5")); }), "Assertion failed: (Font::IsFont(params))");
}

TEST_F(FontTest, ACopyTakesTheFaceButNotTheSpacing)
{
    Font source(kSans, 20, 0);
    Font plainCopy(source);
    EXPECT_TRUE(plainCopy == source);
    EXPECT_EQ(FontRendererCache::Find(kSans, 20, 0)->GetReferenceCount(), 2);

    source.SetUseAdjustedCharacterSpacing(true);
    Font spacedCopy(source);
    EXPECT_FALSE(spacedCopy.GetUseAdjustedCharacterSpacing());
    EXPECT_FALSE(spacedCopy == source);
    source.SetUseAdjustedCharacterSpacing(false);
    source.SetCharacterSpacingAdjustment(3);
    EXPECT_FALSE(Font(source) == source);
    EXPECT_FALSE(Font(kSans, 19, 0) == Font(kSans, 20, 0));

    FontRendererInfo info;
    source.SaveFontRendererInfo(info);
    EXPECT_EQ(info.fontName, kSans);
    EXPECT_EQ(info.pointSize, 20);
    EXPECT_EQ(info.fontIndex, 0);

    // A font never set copies as one not set, rather than failing to open "".
    Font unset;
    Font unsetCopy(unset);
    EXPECT_FALSE(unsetCopy.HasRenderer());
    EXPECT_TRUE(unsetCopy == unset);
    EXPECT_EQ(FailureOf([&] { unset.SaveFontRendererInfo(info); }), "Assertion failed: (m_Renderer)");
}

TEST_F(FontTest, CharactersAsSeparateImagesSitWhereSpacedRenderingPutsThem)
{
    Font font(kSans, 24, 0);
    font.SetCharacterSpacingAdjustment(3);
    const Point<int> a = CharSize(font, 'a');
    const Point<int> b = CharSize(font, 'b');

    DrawableImageCollection collection;
    collection.SetOrigin(10, 4);
    font.RenderToDrawableImageCollection("ab", kInk, collection);
    ASSERT_EQ(collection.GetImageCount(), 2u);
    EXPECT_EQ(collection.GetOffset(0), Point<int>(10, 4));
    EXPECT_EQ(collection.GetOffset(1), Point<int>(10 + a.x + 3, 4));
    EXPECT_EQ(collection.GetExtent(), Point<int>(10 + a.x + 3 + b.x, 4 + std::max(a.y, b.y)));

    const Point<int> extent = collection.GetExtent();
    Canvas canvas(extent.x + 8, extent.y + 8, CANVAS_DESTROY_TARGET);
    canvas.Translate(2, 1);
    collection.Draw(canvas);
    const Image& target = *canvas.GetTargetSurface();
    auto inked = [&](int left, int top, int right, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += PixelAt(target, x, y) != 0;
        return count;
    };
    EXPECT_GT(inked(12, 5, 12 + a.x, 5 + a.y), 20);
    EXPECT_GT(inked(12 + a.x + 3, 5, 12 + a.x + 3 + b.x, 5 + b.y), 20);
    EXPECT_EQ(inked(0, 0, 12, extent.y + 8), 0);
    EXPECT_EQ(inked(0, 0, extent.x + 8, 5), 0);

    collection.Clear();
    EXPECT_EQ(collection.GetImageCount(), 0u);
}

// The character cache follows the application's setting, so this one runs an
// application (which also shuts SDL_ttf down at its end).
TEST(FontCharacterCacheTest, SingleCharactersComeFromTheCacheOnlyWhenAllowedAndAsked)
{
    TempFolder root;
    ScopedEnvironment data("XDG_DATA_HOME", root / "data");
    ScopedEnvironment config("XDG_CONFIG_HOME", root / "config");
    auto app = std::make_unique<Application>("FontTest", "Font Test", AppCodeFromString("FNT1"), 800, 600);
    VelkLuaState::RunStartupScript(VelkLuaState::Create());
    TypeConversion::InitializeTypeTables();
    ClassManager::GetInstance()->InitializeClasses();
    ASSERT_EQ(TTF_Init(), 0) << TTF_GetError();
    {
        ResourceManager manager;
        manager.AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>(kFontsDir, true, true));
        manager.ScanAll();
        Font font(kSans, 20, 0);
        IndividualFontRenderer* renderer = FontRendererCache::Find(kSans, 20, 0);
        auto sameRecord = [&](const std::string& text, const Color& first, const Color& second, bool allow) {
            std::unique_ptr<Image> one = renderer->RenderText(text, first, allow);
            std::unique_ptr<Image> two = renderer->RenderText(text, second, allow);
            return one->GetSurfaceRecord() == two->GetSurfaceRecord();
        };
        const Color blue{0, 0, 255, 255};

        EXPECT_FALSE(sameRecord("a", kInk, kInk, true));
        EXPECT_EQ(renderer->GetCachedCharacterCount(), 0u);

        app->ApplyBoolProperty("useIndividuallyRenderedCharCache", true);
        EXPECT_TRUE(sameRecord("a", kInk, kInk, true));
        EXPECT_EQ(renderer->GetCachedCharacterCount(), 1u);
        EXPECT_FALSE(sameRecord("a", kInk, kInk, false));
        EXPECT_FALSE(sameRecord("ab", kInk, kInk, true));
        EXPECT_EQ(renderer->GetCachedCharacterCount(), 1u);

        // A cached glyph is not handed out in another colour.
        std::unique_ptr<Image> inBlue = renderer->RenderText("a", blue, true);
        EXPECT_EQ(renderer->GetCachedCharacterCount(), 2u);
        const Image::Size size = inBlue->GetSize();
        int blueInk = 0;
        for (int y = 0; y < static_cast<int>(size.h); ++y)
            for (int x = 0; x < static_cast<int>(size.w); ++x)
                if (PixelAt(*inBlue, x, y) >> 24)
                    blueInk += (PixelAt(*inBlue, x, y) & 0xFFFFFF) == 0x0000FF;
        EXPECT_GT(blueInk, 20);

        // Spaced rendering goes through the cache and gives the same picture.
        font.SetUseAdjustedCharacterSpacing(true);
        std::unique_ptr<Image> cached = font.RenderToImage("aba", kInk);
        app->ApplyBoolProperty("useIndividuallyRenderedCharCache", false);
        std::unique_ptr<Image> fresh = font.RenderToImage("aba", kInk);
        ASSERT_EQ(cached->GetSize().w, fresh->GetSize().w);
        for (int y = 0; y < static_cast<int>(fresh->GetSize().h); ++y)
            for (int x = 0; x < static_cast<int>(fresh->GetSize().w); ++x)
                ASSERT_EQ(PixelAt(*cached, x, y), PixelAt(*fresh, x, y));
    }
    EXPECT_EQ(FontRendererCache::GetRendererCount(), 0u);
    app.reset();
}
