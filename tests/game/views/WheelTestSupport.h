#pragma once

// The reels' tests: the game's scripts on a plain screen, small pictures of
// their own under the names the reels and the lever use, and a seeded rand.

#include "game/shell/GameTestSupport.h"

#include "engine/core/Class.h"
#include "engine/core/Events.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/SurfaceManager.h"
#include "engine/ui/Screen.h"
#include "game/rules/WoppleGameEvents.h"
#include "game/views/WoppleWheelSetView.h"
#include "game/views/WoppleWheelView.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace wheeltest {

// A w x h picture, frames side by side, each frame one colour of the list (0xAARRGGBB).
inline void AddStripImage(const std::string& name, int w, int h, const std::vector<std::uint32_t>& frameColors)
{
    const int frames = static_cast<int>(frameColors.size());
    SDL_Surface* surface = SurfaceManager::GetInstance()->CreateSurface(w * frames, h, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * frames; ++x)
            PixelRow(surface, y)[x] = frameColors[static_cast<std::size_t>(x / w)];
    Image(surface, 0, w, h, frames, nullptr).RegisterAsResource(name);
}

inline void AddImage(const std::string& name, int w, int h, std::uint32_t color)
{
    AddStripImage(name, w, h, {color});
}

// The colour of a digit frame f: tells the frames apart in a drawn number.
inline std::uint32_t DigitColor(int frame)
{
    return 0xFF000000u | static_cast<std::uint32_t>(0x10 + frame * 0x10) << 16 | 0x40u;
}

inline std::uint32_t Rgb(SDL_Surface* surface, int x, int y)
{
    return PixelRow(surface, y)[x] & 0xFFFFFFu;
}

// Colours equal but for the rounding of composing onto a clear picture.
inline bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift : {0, 8, 16}) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d < -2 || d > 2)
            return false;
    }
    return true;
}

constexpr std::uint32_t kDevilColor = 0xFFC00000u;
constexpr std::uint32_t kJokerColor = 0xFF00C000u;
constexpr std::uint32_t kCoinColor = 0xFFC0C000u;

class WheelFixture : public gametest::GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        AddPictures();
        screen = AddScreen<Screen>("", "Reels", nullptr);
        manager->SwitchToScreen("Reels");
        std::srand(7);
        Pass();
    }

    static void AddPictures()
    {
        for (const char* name : {"coco_center.png", "coco_motion.png", "cocoHighlight.png", "reelwithhole.png",
                                 "coconut_highlight.png", "reel_multiply_bg.png", "FreeSpin1.png", "cell_s_joker.png",
                                 "cell_mcherub.png", "cell_wopplevision.png", "coco_center_small.png",
                                 "coco_motion_small.png", "cocoHighlightSmall.png", "reelSmallWithHole.png",
                                 "coconut_hilight_small.png"})
            AddImage(name, 80, 70, 0xFF808080u);
        AddImage("cell_devil.png", 70, 70, kDevilColor);
        AddImage("cell_joker.png", 70, 70, kJokerColor);
        AddImage("cell_coin.png", 70, 70, kCoinColor);
        for (int i = 1; i <= 7; ++i) {
            AddImage("wheelBackground" + std::to_string(i) + ".png", 96, 90, 0x40FFFFFFu);
            AddImage("wheelSmallBackground" + std::to_string(i) + ".png", 60, 60, 0x40FFFFFFu);
            AddImage("wheelDesertBackground" + std::to_string(i) + ".png", 96, 90, 0x40FFE0A0u);
        }
        std::vector<std::uint32_t> digits;
        for (int f = 0; f < 11; ++f)
            digits.push_back(DigitColor(f));
        AddStripImage("reel_text_numbers.png", 10, 14, digits);
        AddStripImage("text_numbers.png", 10, 14, digits);
        for (const char* name : {"cocodrop_null.png", "cocodrop_blink1.png", "cocodrop_blink2.png"})
            AddImage(name, 60, 120, 0xFF2060A0u);
    }

    template <typename T>
    T* Make(const std::string& table)
    {
        auto* made = dynamic_cast<T*>(ClassManager::GetInstance()->InstantiateObject(Eval(table)));
        EXPECT_NE(made, nullptr) << table;
        return made;
    }

    WoppleWheelSetView* MakeSet(const std::string& table = "{ resource = \"DefaultWoppleWheelSetView\" }")
    {
        auto* set = Make<WoppleWheelSetView>(table);
        screen->AddChild(set);
        return set;
    }

    // Passes until no reel of the set spins (at most the limit); how many it took.
    int PassUntilStopped(WoppleWheelSetView* set, int limit = 200)
    {
        for (int n = 1; n <= limit; ++n) {
            Pass();
            if (set->AreAllWheelsStopped())
                return n;
        }
        return -1;
    }

    Screen* screen = nullptr;
};

// Keeps the "isFinished" of every WOPPLE_WHEELANIMATIONUPDATE it hears.
class WheelUpdateRecorder : public Object
{
public:
    bool OnEvent(const EventRecord& event) override
    {
        if (event.type != WOPPLE_WHEELANIMATIONUPDATE)
            return false;
        auto* record = static_cast<Event*>(event.user.data1);
        finished.push_back(record && record->payload && (*record->payload)["isFinished"].GetBoolean());
        return true;
    }
    std::vector<bool> finished;
};

} // namespace wheeltest
