// The numerical overlays: numbers drawn from glyphs on a white box, the frame
// rate measured over stepped frames with its prefix, the resource-memory
// bytes, and the application showing, telling and drawing both.

#include "WidgetTestSupport.h"
#include "engine/core/EmbeddedFiles.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/ui/NumericalStatDisplay.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"
#include "support/SteppedLoopClock.h"

#include <SDL.h>

#include <unistd.h>

#include <filesystem>
#include <functional>

using namespace widgettest;

namespace {

// The drawing step itself, for drawing a text as the displays would.
class OpenDisplay : public NumericalStatDisplay
{
public:
    using NumericalStatDisplay::DrawNumbers;
};

std::vector<std::uint32_t> Pixels(SDL_Surface* surface, int w, int h)
{
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels.push_back(PixelRow(surface, y)[x] & 0xFFFFFFu);
    return pixels;
}

std::vector<std::uint32_t> Pixels(const Canvas& canvas)
{
    SDL_Surface* surface = canvas.GetTargetSurface()->GetSurface();
    return Pixels(surface, surface->w, surface->h);
}

class NumericalStatDisplayTest : public WidgetFixture
{
protected:
    void SetUp() override
    {
        WidgetFixture::SetUp();
        ResetMemUsage();
        reference = Own(new OpenDisplay());
    }

    void TearDown() override
    {
        WidgetFixture::TearDown();
        ResetMemUsage();
    }

    // What the drawing leaves on a green canvas.
    static std::vector<std::uint32_t> Drawn(const std::function<void(Canvas&)>& draw)
    {
        auto canvas = FilledCanvas(300, 40, Colors::Green);
        draw(*canvas);
        return Pixels(*canvas);
    }

    std::vector<std::uint32_t> DrawnText(const std::string& text, Actor* prefix = nullptr)
    {
        return Drawn([&](Canvas& canvas) { reference->DrawNumbers(canvas, text, prefix); });
    }

    OpenDisplay* reference = nullptr;
};

} // namespace

TEST_F(NumericalStatDisplayTest, ValuesDrawAsTheirFormattedTexts)
{
    struct Case
    {
        std::function<void(Canvas&)> draw;
        std::string text;
    };
    NumericalStatDisplay* display = Own(new NumericalStatDisplay());
    const Case cases[] = {
        {[&](Canvas& c) { display->FormatValue(c, 7.5, nullptr); }, "07.5"},
        {[&](Canvas& c) { display->FormatValue(c, 123, nullptr); }, "123.0"},
        {[&](Canvas& c) { display->FormatValue(c, 0.04, nullptr); }, "00.0"},
        {[&](Canvas& c) { display->SetValue(c, 1234567, nullptr, true); }, "1,234,567"},
        {[&](Canvas& c) { display->SetValue(c, 1234567, nullptr, false); }, "1234567"},
        {[&](Canvas& c) { display->SetValue(c, 999, nullptr, true); }, "999"},
        // Widened with its sign, then shown unsigned.
        {[&](Canvas& c) { display->SetValue(c, -1, nullptr, true); }, "18,446,744,073,709,551,615"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Drawn(c.draw), DrawnText(c.text));
    }
    EXPECT_NE(DrawnText("07.5"), DrawnText("7.5"));
    // Characters without a glyph are skipped: a minus sign takes no room.
    EXPECT_EQ(DrawnText("-5"), DrawnText("5"));
    EXPECT_EQ(Drawn([&](Canvas& c) { display->SetValue(c, -5, nullptr, false); }), DrawnText("5"));
}

TEST_F(NumericalStatDisplayTest, GlyphsStandSideBySideOnAWhiteBoxAtTheDisplaysPlace)
{
    auto* display = Own(new ResourceMemoryUsageCounter(MEMUSAGE_SOUNDS));
    AddMemUsage(MEMUSAGE_SOUNDS, 1234);
    display->SetPosition(5, 3);
    const Point<int> size = display->CalcTextSize("1,234");
    EXPECT_EQ(size.x, display->CalcTextSize("1").x + display->CalcTextSize(",").x + display->CalcTextSize("234").x);
    EXPECT_EQ(size.y, display->CalcTextSize("1").y);
    EXPECT_EQ(display->CalcTextSize("1a,2 3-4"), size);

    auto canvas = FilledCanvas(300, 40, Colors::Green);
    display->Draw(*canvas);
    const std::uint32_t green = 0x00FF00;
    EXPECT_EQ(Rgb(*canvas, 4, 3), green);
    EXPECT_EQ(Rgb(*canvas, 5, 2), green);
    EXPECT_EQ(Rgb(*canvas, 5 + size.x, 3), green);
    EXPECT_EQ(Rgb(*canvas, 5, 3 + size.y), green);
    // Within the box: white, or red ink in every glyph's own columns.
    int x = 5;
    for (char ch : std::string("1,234")) {
        int w = display->CalcTextSize(std::string(1, ch)).x;
        bool ink = false;
        for (int gx = x; gx < x + w; ++gx)
            for (int y = 3; y < 3 + size.y; ++y) {
                std::uint32_t rgb = Rgb(*canvas, gx, y);
                EXPECT_NE(rgb, green) << gx << "," << y;
                ink = ink || (rgb != kWhite && (rgb & 0xFF0000) == 0xFF0000);
            }
        EXPECT_TRUE(ink) << ch;
        x += w;
    }
    // The box is drawn at the display's place, translated as the canvas stands.
    EXPECT_EQ(Drawn([&](Canvas& c) { display->Draw(c); }),
              Drawn([&](Canvas& c) {
                  c.Translate(5, 3);
                  reference->DrawNumbers(c, "1,234", nullptr);
              }));
}

TEST_F(NumericalStatDisplayTest, TheMemoryCounterShowsItsCategorysBytesInGroups)
{
    auto* display = Own(new ResourceMemoryUsageCounter(MEMUSAGE_SOUNDS));
    AddMemUsage(MEMUSAGE_SOUNDS, 1234567);
    EXPECT_EQ(Drawn([&](Canvas& c) { display->Draw(c); }), DrawnText("1,234,567"));
    AddMemUsage(MEMUSAGE_SOUNDS, -1234000);
    EXPECT_EQ(Drawn([&](Canvas& c) { display->Draw(c); }), DrawnText("567"));
    display->SetCategory(MEMUSAGE_IMAGES_IN_VIDMEM);
    EXPECT_EQ(Drawn([&](Canvas& c) { display->Draw(c); }), DrawnText("0"));
}

TEST_F(NumericalStatDisplayTest, TheFrameRateAveragesWindowsOfAtLeastATenthOfASecond)
{
    auto* fps = Own(new FPSCounter());
    ASSERT_NE(fps->GetPrefix(), nullptr);
    EXPECT_EQ(fps->GetPrefix()->GetText(), "SW: ");
    const auto untouched = Drawn([](Canvas&) {});
    EXPECT_EQ(Drawn([&](Canvas& c) { fps->Draw(c); }), untouched) << "nothing before the first frame";
    fps->FrameEnd(5000);
    EXPECT_EQ(Drawn([&](Canvas& c) { fps->Draw(c); }), untouched);

    struct Frame
    {
        std::uint32_t begin;
        std::uint32_t end;
        float rate;
    };
    const Frame frames[] = {
        {1000, 1030, 0.0f}, {1040, 1070, 0.0f}, {1080, 1110, 0.0f},
        // 4 frames in 120 milliseconds of work; the gaps between frames do not count.
        {1120, 1150, 4 / 0.12f},
        {1200, 1250, 4 / 0.12f}, {1250, 1300, 20.0f},
        {1300, 1400, 10.0f},
    };
    for (const Frame& f : frames) {
        fps->FrameBegin(f.begin);
        fps->FrameEnd(f.end);
        EXPECT_FLOAT_EQ(fps->GetFramesPerSecond(), f.rate) << f.end;
    }
    fps->FrameBegin(2000);
    EXPECT_EQ(Drawn([&](Canvas& c) { fps->Draw(c); }), DrawnText("10.0", fps->GetPrefix()));
    EXPECT_NE(DrawnText("10.0", fps->GetPrefix()), DrawnText("10.0"));
}

TEST_F(NumericalStatDisplayTest, ADisplayChangeSwitchesThePrefixBetweenHardwareAndSoftware)
{
    auto* fps = Own(new FPSCounter());
    app->EnableHWAccel(true);
    EXPECT_FALSE(fps->OnEvent(MakeEventRecord(VELK_DISPLAYCHANGE))) << "others hear of it too";
    EXPECT_EQ(fps->GetPrefix()->GetText(), "HW: ");
    app->EnableHWAccel(false);
    fps->OnEvent(MakeEventRecord(VELK_DISPLAYCHANGE));
    EXPECT_EQ(fps->GetPrefix()->GetText(), "SW: ");
}

// ---------------------------------------------------------------- in the application

namespace {

const char kDefaults[] = "LoadConfig { }";
const char kConst[] = "LoadConstConfig { FPSFont = \"DejaVuSans.ttf\", FPSFontSize = 14, FPSCounterColor = \"Red\" }";
EmbeddedFileRegistration s_Defaults("OverlayApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
EmbeddedFileRegistration s_Const("OverlayApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

// Each pass's screen work takes 40 milliseconds of the stepped clock.
class OverlayApp : public Application
{
public:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 40;
    explicit OverlayApp(SteppedLoopClock& clock)
        : Application("OverlayApp", "Overlay Test", AppCodeFromString("OVLY"), kWidth, kHeight), clock(clock)
    {
    }
    void UpdateScreens() override
    {
        clock.now += 40;
        Application::UpdateScreens();
    }
    SteppedLoopClock& clock;
};

EventRecord CtrlKey(int sym)
{
    EventRecord event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = static_cast<SDLKey>(sym);
    event.key.keysym.mod = KMOD_LCTRL;
    return event;
}

// The engine as the program brings it up, with the built game data, in a
// 160 x 40 window showing a red screen.
class OverlayAppTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("velk-overlays-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(std::filesystem::path(VELK_GAME_DATA_DIR).parent_path());
        app = std::make_unique<OverlayApp>(clock);
        std::string program = (root / "OverlayApp").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "-w"};
        app->InitEngine(5, args);
        app->SetLoopClock(&clock);
        app->CreateWindow();
        auto screen = std::make_unique<Screen>("", "Red", nullptr);
        screen->AddChild(Actor::CreateRectangle(Colors::Red, 0, 0, OverlayApp::kWidth, OverlayApp::kHeight, 0, nullptr));
        ScreenManager::GetInstance()->AddScreen(screen.release());
        ScreenManager::GetInstance()->SwitchToScreen("Red");
        app->StartLoop();
        app->RunPass();
    }

    void TearDown() override
    {
        app.reset();
        SetLogFilePath("");
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    std::vector<std::uint32_t> ShownPixels() const
    {
        return Pixels(app->GetMainCanvas()->GetImageRenderer()->GetTargetSurface()->GetSurface(), OverlayApp::kWidth,
                      OverlayApp::kHeight);
    }

    // The red screen with the drawing over it.
    static std::vector<std::uint32_t> RedWith(const std::function<void(Canvas&)>& draw)
    {
        Canvas canvas(OverlayApp::kWidth, OverlayApp::kHeight, CANVAS_DESTROY_TARGET);
        canvas.FillImageRect(Colors::Red);
        draw(canvas);
        return Pixels(canvas);
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    SteppedLoopClock clock;
    std::unique_ptr<OverlayApp> app;
};

} // namespace

TEST_F(OverlayAppTest, TheFrameRateIsToldEachPassAndDrawnOverTheScreens)
{
    const auto plain = ShownPixels();
    EXPECT_EQ(plain, RedWith([](Canvas&) {}));

    EXPECT_TRUE(app->OnEvent(CtrlKey(SDLK_F1)));
    FPSCounter* fps = ScreenManager::GetInstance()->GetFPSCounter();
    ASSERT_NE(fps, nullptr);
    // 40 milliseconds a pass: the third pass completes a window of 120.
    app->RunPass();
    app->RunPass();
    EXPECT_EQ(fps->GetFramesPerSecond(), 0.0f);
    app->RunPass();
    EXPECT_FLOAT_EQ(fps->GetFramesPerSecond(), 25.0f);
    app->RunPass();
    EXPECT_EQ(ShownPixels(), RedWith([&](Canvas& c) {
                  OpenDisplay reference;
                  reference.DrawNumbers(c, "25.0", fps->GetPrefix());
              }));

    // Offered events before the application: a display change reaches it, and
    // the keys still reach the application's shortcuts.
    app->EnableHWAccel(true);
    app->SignalDisplayChange();
    EXPECT_EQ(fps->GetPrefix()->GetText(), "HW: ");
    app->EnableHWAccel(false);

    ASSERT_EQ(app->GetLuaState().DoString("ShowFPS()"), 0);
    EXPECT_EQ(ScreenManager::GetInstance()->GetFPSCounter(), nullptr);
    app->RunPass();
    EXPECT_EQ(ShownPixels(), plain);
    ASSERT_EQ(app->GetLuaState().DoString("ShowFPS(true) ShowFPS(true)"), 0);
    EXPECT_NE(ScreenManager::GetInstance()->GetFPSCounter(), nullptr);
    EXPECT_TRUE(app->OnEvent(CtrlKey(SDLK_1)));
    EXPECT_EQ(ScreenManager::GetInstance()->GetFPSCounter(), nullptr);
}

TEST_F(OverlayAppTest, TheMemoryCounterShowsItsCategoryAndGoesWhenToggledAgain)
{
    // Read before the reference is made: its own pictures are counted too.
    auto shows = [this](int category) {
        const std::string bytes = FormatUnsigned64WithCommas(
            static_cast<std::uint64_t>(GetMemUsage(static_cast<MemUsageCategory>(category))));
        return RedWith([&](Canvas& c) {
            OpenDisplay reference;
            reference.DrawNumbers(c, bytes, nullptr);
        });
    };
    EXPECT_TRUE(app->OnEvent(CtrlKey(SDLK_F3)));
    ResourceMemoryUsageCounter* counter = ScreenManager::GetInstance()->GetResourceMemoryUsageCounter();
    ASSERT_NE(counter, nullptr);
    EXPECT_EQ(counter->GetCategory(), MEMUSAGE_IMAGES_IN_SYSMEM);
    app->RunPass();
    EXPECT_NE(GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM), 0);
    EXPECT_EQ(ShownPixels(), shows(MEMUSAGE_IMAGES_IN_SYSMEM));

    EXPECT_TRUE(app->OnEvent(CtrlKey(SDLK_F4)));
    EXPECT_EQ(ScreenManager::GetInstance()->GetResourceMemoryUsageCounter(), counter) << "switched, not made again";
    EXPECT_EQ(counter->GetCategory(), MEMUSAGE_IMAGES_IN_VIDMEM);
    app->RunPass();
    EXPECT_EQ(ShownPixels(), shows(MEMUSAGE_IMAGES_IN_VIDMEM));

    EXPECT_TRUE(app->OnEvent(CtrlKey(SDLK_F4)));
    EXPECT_EQ(ScreenManager::GetInstance()->GetResourceMemoryUsageCounter(), nullptr);
    EXPECT_EQ(app->GetResourceMemoryUsageCounterMode(), -1);
    app->RunPass();
    EXPECT_EQ(ShownPixels(), RedWith([](Canvas&) {}));
}

TEST_F(OverlayAppTest, AHiddenOverlayLeavesNothingBehindWhereNoScreenDraws)
{
    ScreenManager::GetInstance()->DoSwitchToScreen(nullptr, true);
    auto black = [] {
        Canvas canvas(OverlayApp::kWidth, OverlayApp::kHeight, CANVAS_DESTROY_TARGET);
        canvas.FillImageRect(Colors::Black);
        return Pixels(canvas);
    }();
    app->RunPass();
    EXPECT_EQ(ShownPixels(), black);

    app->ShowFPSCounter(true);
    for (int i = 0; i < 4; ++i)
        app->RunPass();
    ASSERT_NE(ShownPixels(), black);
    app->ShowFPSCounter(false);
    app->RunPass();
    EXPECT_EQ(ShownPixels(), black);
}
