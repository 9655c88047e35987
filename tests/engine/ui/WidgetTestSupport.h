#pragma once

#include "ActorTestSupport.h"
#include "engine/core/Config.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"

#include <SDL_ttf.h>

#include <fstream>
#include <sstream>

namespace widgettest {

using namespace actortest;

inline std::string FontBytes(const std::string& name)
{
    std::ifstream in(std::string(VELK_GAME_DATA_DIR) + "/fonts/" + name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The actor fixture with the data folder's fonts, the font library and the
// settings the widgets read.
class WidgetFixture : public ActorFixture
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
        config = std::make_unique<Config>(state);
        SetConfig(config.get());
        Run("LoadConstConfig { TextBoxFont = 'DejaVuSans.ttf', TextBoxFontSize = 20, TextBoxFgColor = 'Blue', "
            "FPSFont = 'DejaVuSans.ttf', FPSFontSize = 14, FPSCounterColor = 'Red' }");
    }

    void TearDown() override
    {
        owned.clear();
        SetConfig(nullptr);
        config.reset();
        ActorFixture::TearDown();
        EXPECT_EQ(FontRendererCache::GetRendererCount(), 0u) << "a widget kept its font";
        TTF_Quit();
    }

    // An object the test owns, as an actor.
    template <typename T>
    T* Own(T* actor)
    {
        owned.emplace_back(actor);
        return actor;
    }

    // A canvas of w x h filled with one colour.
    static std::unique_ptr<Canvas> FilledCanvas(int w, int h, const Color& color)
    {
        auto canvas = std::make_unique<Canvas>(w, h, CANVAS_DESTROY_TARGET);
        canvas->FillImageRect(color);
        return canvas;
    }

    std::unique_ptr<Config> config;
};

} // namespace widgettest
