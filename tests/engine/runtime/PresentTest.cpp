// Presenting the frame: only the rectangles that changed reach SDL, nothing
// for an unchanged frame, and the whole frame again once the window may have
// lost what it showed.

#include "engine/runtime/Application.h"

#include "engine/core/EmbeddedFiles.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/DisplayBackendSDL.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/SurfaceManager.h"
#include "support/SteppedLoopClock.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

const char kDefaults[] = "LoadConfig { }";
const char kConst[] = "LoadConstConfig { }";
EmbeddedFileRegistration s_Defaults("PresentApp_Defaults.cfg", reinterpret_cast<const unsigned char*>(kDefaults),
                                    sizeof(kDefaults) - 1);
EmbeddedFileRegistration s_Const("PresentApp_Const.cfg", reinterpret_cast<const unsigned char*>(kConst),
                                 sizeof(kConst) - 1);

// Draws what the test says over whatever the screens draw.
class PresentApp : public Application
{
public:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 100;
    PresentApp() : Application("PresentApp", "Present Test", AppCodeFromString("PRSN"), kWidth, kHeight) {}
    void DrawScreens() override
    {
        Application::DrawScreens();
        if (draw)
            draw(*GetMainCanvas());
    }
    std::function<void(Canvas&)> draw;
};

// A 4 by 4 sprite of one ARGB colour.
SDL_Surface* SolidSprite(std::uint32_t argb)
{
    SDL_Surface* sprite = SurfaceManager::GetInstance()->CreateSurface(4, 4, true);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            PixelRow(sprite, y)[x] = argb;
    return sprite;
}

struct Presented
{
    std::uint32_t count;
    std::vector<std::string> rects;
};

std::string Text(const SDL_Rect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
}

class PresentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = std::filesystem::temp_directory_path() / ("velk-present-" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "cwd" / "data");
        setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", root.c_str(), 1);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(root / "cwd");
        app = std::make_unique<PresentApp>();
        // The program lives in the test's own folder, so no stray start-up script is found.
        const std::string program = (root / "PresentApp").string();
        const char* args[] = {program.c_str(), "--multiapp", "--keepcwd", "--nopkg", "-w"};
        app->InitEngine(5, args);
        app->SetLoopClock(&clock);
        app->CreateWindow();
        app->StartLoop();
        app->RunPass();
    }
    void TearDown() override
    {
        app.reset();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(root);
    }

    DisplayBackendSDL& Backend() const
    {
        return dynamic_cast<DisplayBackendSDL&>(*app->GetDisplayManager()->GetBackend());
    }

    // What one more pass presented: how many updates, and their rectangles.
    Presented Pass()
    {
        const std::uint32_t before = Backend().GetPresentCount();
        app->RunPass();
        Presented result{Backend().GetPresentCount() - before, {}};
        if (result.count)
            for (const SDL_Rect& r : Backend().GetLastPresented())
                result.rects.push_back(Text(r));
        return result;
    }

    // Fills the rectangles white, over the black frame.
    void DrawWhite(std::vector<Rect> rects)
    {
        app->draw = [rects](Canvas& canvas) {
            for (const Rect& r : rects)
                canvas.FillRectAt(r, Colors::White);
        };
    }

    std::filesystem::path root;
    std::filesystem::path previous;
    SteppedLoopClock clock;
    std::unique_ptr<PresentApp> app;
};

const std::vector<std::string> kWholeFrame = {"0,0 200x100"};

} // namespace

TEST_F(PresentTest, AnUnchangedFrameIsNotPresented)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Pass().count, 0u) << i;
    DrawWhite({Rect(10, 20, 3, 2)});
    EXPECT_EQ(Pass().count, 1u);
    EXPECT_EQ(Pass().count, 0u) << "drawn again the same";
}

TEST_F(PresentTest, OnlyTheChangedRectanglesArePresented)
{
    struct Case
    {
        std::vector<Rect> white;
        std::vector<std::string> presented;
    };
    const int band = ChangedRegions::kBandHeight;
    const Case cases[] = {
        {{Rect(10, 20, 3, 2)}, {"10,20 3x2"}},
        // Gone again: the same place, black once more.
        {{}, {"10,20 3x2"}},
        // The last pixel of the frame.
        {{Rect(199, 99, 1, 1)}, {"199,99 1x1"}},
        {{}, {"199,99 1x1"}},
        // Two places in one band give their common rectangle; in two bands, one each.
        {{Rect(0, 1, 1, 1), Rect(50, 3, 2, 1)}, {"0,1 52x3"}},
        {{}, {"0,1 52x3"}},
        {{Rect(5, 0, 1, 1), Rect(5, 3 * band, 1, 1)},
         {"5,0 1x1", "5," + std::to_string(3 * band) + " 1x1"}},
        {{}, {"5,0 1x1", "5," + std::to_string(3 * band) + " 1x1"}},
        // Across bands with the same columns: one rectangle.
        {{Rect(7, band - 2, 4, band + 4)}, {"7," + std::to_string(band - 2) + " 4x" + std::to_string(band + 4)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.presented.front());
        DrawWhite(c.white);
        const Presented p = Pass();
        EXPECT_EQ(p.count, 1u);
        EXPECT_EQ(p.rects, c.presented);
    }
}

TEST_F(PresentTest, TheWholeFrameIsPresentedAgainWhenTheWindowMayHaveLostIt)
{
    struct Case
    {
        const char* what;
        std::function<void()> happen;
    };
    const Case cases[] = {
        {"exposed", [&] {
             EventRecord expose{};
             expose.type = SDL_VIDEOEXPOSE;
             app->OnEvent(expose);
         }},
        {"restored", [&] { app->WindowProc(app->GetWindowHandle(), WM_SIZE, SIZE_RESTORED, 0); }},
        {"activated", [&] { app->WindowProc(app->GetWindowHandle(), WM_ACTIVATEAPP, 1, 0); }},
        {"made again", [&] { app->RequestFullScreenToggle(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Pass().count, 0u);
        c.happen();
        const Presented p = Pass();
        EXPECT_GE(p.count, 1u);
        EXPECT_EQ(p.rects, kWholeFrame);
        EXPECT_EQ(Pass().count, 0u);
    }
}

TEST_F(PresentTest, EveryKindOfDrawingIsPresentedAndClearedAfter)
{
    SDL_Surface* frame = Backend().GetDisplaySurface();
    auto rgb = [frame](int x, int y) { return PixelRow(frame, y)[x] & 0xFFFFFFu; };
    Image image(SolidSprite(0x80FFFFFFu), 0, nullptr);
    struct Case
    {
        const char* what;
        std::function<void(Canvas&)> draw;
        int x, y;  // a pixel it changes
    };
    const Case cases[] = {
        {"line", [](Canvas& c) { c.GetImageRenderer()->DrawLine(150, 10, 160, 30, Colors::White); }, 155, 20},
        {"circle", [](Canvas& c) { c.GetImageRenderer()->DrawCircle(100, 50, 20, Colors::White); }, 120, 50},
        {"outline", [](Canvas& c) { c.DrawRect(Rect(30, 60, 10, 10), Colors::White); }, 40, 70},
        {"image", [&](Canvas& c) {
             c.PushState();
             c.Translate(190, 90);
             c.DrawImageFrame(&image, 0);
             c.PopState();
         }, 193, 93},
        {"faded fill", [](Canvas& c) {
             c.PushState();
             c.GetState().alpha = 0.5f;
             c.FillRectAt(Rect(0, 95, 5, 5), Colors::White);
             c.PopState();
         }, 0, 99},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app->draw = c.draw;
        Presented p = Pass();
        EXPECT_EQ(p.count, 1u);
        EXPECT_NE(rgb(c.x, c.y), 0u);
        app->draw = nullptr;
        p = Pass();
        EXPECT_EQ(p.count, 1u);
        EXPECT_EQ(rgb(c.x, c.y), 0u);
        bool covered = false;
        for (const SDL_Rect& r : Backend().GetLastPresented())
            covered = covered || (c.x >= r.x && c.x < r.x + r.w && c.y >= r.y && c.y < r.y + r.h);
        EXPECT_TRUE(covered);
    }
}

TEST_F(PresentTest, OnlyWhatChangedIsDrawnAgainAndTheRestKeepsItsPixels)
{
    SDL_Surface* frame = Backend().GetDisplaySurface();
    auto rgb = [frame](int x, int y) { return PixelRow(frame, y)[x] & 0xFFFFFFu; };
    Image image(SolidSprite(0xFF2040FFu), 0, nullptr);
    int spriteX = 100;
    const Color red(255, 0, 0, 255);
    bool leftOnTop = false;  // two fills overlap: the one drawn last shows
    app->draw = [&](Canvas& c) {
        c.FillRectAt(Rect(10, 10, 5, 5), Color(0, 255, 0, 255));
        c.PushState();
        c.Translate(spriteX, 50);
        c.DrawImageFrame(&image, 0);
        c.PopState();
        const Rect left(150, 20, 6, 6), right(153, 20, 6, 6);
        c.FillRectAt(leftOnTop ? right : left, leftOnTop ? Colors::White : red);
        c.FillRectAt(leftOnTop ? left : right, leftOnTop ? red : Colors::White);
    };
    Pass();
    EXPECT_EQ(Pass().count, 0u);
    EXPECT_TRUE(Backend().GetLastRedrawn().empty()) << "an unchanged frame draws nothing";

    // The sprite moves: its old and new places are drawn again, nothing else.
    spriteX = 104;
    EXPECT_EQ(Pass().count, 1u);
    ASSERT_EQ(Backend().GetLastRedrawn().size(), 1u);
    const SDL_Rect r = Backend().GetLastRedrawn()[0];
    EXPECT_EQ(Text(r), "100,50 8x4");
    EXPECT_EQ(rgb(100, 50), 0u) << "where it was: black again";
    EXPECT_EQ(rgb(104, 50), 0x2040FFu);
    EXPECT_EQ(rgb(12, 12), 0x00FF00u) << "untouched, kept from the last frame";

    // Its pixels change in place: the same picture is drawn again.
    image.MarkPixelsChanged();
    PixelRow(image.GetSurface(), 0)[0] = 0xFF010203u;
    EXPECT_EQ(Pass().count, 1u);
    EXPECT_EQ(rgb(104, 50), 0x010203u);

    // The same two fills in the other order: the overlap shows the one drawn last.
    ASSERT_EQ(rgb(154, 22), 0xFFFFFFu);
    leftOnTop = true;
    EXPECT_EQ(Pass().count, 1u);
    EXPECT_EQ(rgb(154, 22), 0xFF0000u);
    EXPECT_EQ(rgb(157, 22), 0xFFFFFFu);
    EXPECT_EQ(rgb(12, 12), 0x00FF00u);
}
