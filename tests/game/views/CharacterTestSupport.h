#pragma once

#include "../shell/GameTestSupport.h"
#include "engine/runtime/ResourceExtensions.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/ui/Screen.h"

#include <SDL.h>

#include <fstream>
#include <string>
#include <vector>

namespace viewtest {

using namespace gametest;

// A stand-in picture: a plain colour, split into frames side by side.
struct Picture
{
    std::string name;
    int frameWidth;
    int height;
    int frames = 1;
};

// The power-up pictures and the girl's layers that the views name, in
// sizes of their own; drawn art of the same names wins over them.
inline const std::vector<Picture>& StandInPictures()
{
    static const std::vector<Picture> pictures = {
        {"powerup.png", 60, 64},        {"pwrup_rope.png", 8, 30},      {"powerupHighlight.png", 64, 68},
        {"freespin.png", 60, 64},       {"spins_free.png", 60, 64},     {"bouncewopple.png", 60, 64},
        {"bonusfrog.png", 60, 64},      {"wopplevision.png", 60, 64},   {"devil_prot.png", 60, 64},
        {"multiply_bg.png", 60, 64},    {"text_numbers.png", 14, 20, 11},
        {"girl_body.png", 152, 225},    {"girl_foot_left.png", 152, 225}, {"girl_foot_right.png", 152, 225},
        {"girl_head.png", 152, 225},    {"girl_eyelids.png", 152, 225}, {"girl_tear.png", 152, 225},
        {"girl_mouth.png", 152, 225, 7},
    };
    return pictures;
}

// The engine with the game's scripts and a current plain screen "Views" that
// holds a "BubbleLayer", as the game screen will.
class ViewFixture : public GameFixture
{
protected:
    void SetUp() override
    {
        Start();
        AddStandInPictures();
        screen = AddScreen<Screen>("", "Views", nullptr);
        manager->SwitchToScreen("Views");
        bubbleLayer = new Actor();
        bubbleLayer->SetLayer(999);
        screen->AddChild(bubbleLayer, "BubbleLayer");
        Pass();
    }

    // Writes the pictures the data does not have yet into a folder of the
    // test's own and enters only those into the catalogue.
    void AddStandInPictures()
    {
        const std::filesystem::path folder = root / "standins";
        std::filesystem::create_directories(folder);
        std::ofstream metadata(folder / "metadata.cfg");
        metadata << "Metadata {\n";
        for (const Picture& p : StandInPictures()) {
            SDL_Surface* surface =
                SDL_CreateRGBSurface(SDL_SWSURFACE, p.frameWidth * p.frames, p.height, 32, 0xFF0000, 0xFF00, 0xFF, 0);
            SDL_FillRect(surface, nullptr, 0x40A0E0);
            SDL_SaveBMP(surface, (folder / p.name).c_str());
            SDL_FreeSurface(surface);
            if (p.frames > 1)
                metadata << "  [\"" << p.name << "\"] = { numFrames = " << p.frames << ", width = " << p.frameWidth
                         << ", height = " << p.height << " },\n";
        }
        metadata << "}\n";
        metadata.close();
        ResourceManager* resources = ResourceManager::GetInstance();
        WindowsDirectoryResourceScanner scanner(folder.string(), false, true);
        ResourceInfoMap found;
        scanner.Scan(found);
        for (auto& [name, info] : found)
            if (!resources->ResourceExists(name))
                resources->AddInfo(name, std::move(info));
    }

    // A press and a release at the middle of the actor, through SDL's queue
    // and the roll-over walk, one pass each.
    void ClickOn(const Actor& actor)
    {
        const Rect r = actor.GetGlobalRect();
        ClickAt(r.x + r.w / 2, r.y + r.h / 2);
    }

    void ClickAt(int x, int y)
    {
        app->ResetRolloverAt(x, y, true);
        for (std::uint8_t type : {std::uint8_t(SDL_MOUSEBUTTONDOWN), std::uint8_t(SDL_MOUSEBUTTONUP)}) {
            SDL_Event e{};
            e.button.type = type;
            e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.button.button = SDL_BUTTON_LEFT;
            e.button.x = static_cast<Uint16>(x);
            e.button.y = static_cast<Uint16>(y);
            ASSERT_EQ(SDL_PushEvent(&e), 0);
            Pass();
        }
        app->ResetRolloverAt(0, 0, true);
    }

    void Lua(const std::string& chunk)
    {
        LuaState lua = app->GetLuaState();
        if (lua.DoString(chunk) != 0)
            ADD_FAILURE() << lua.PopErrorMessage();
    }

    // The object's script self under a global name.
    void Global(const char* name, Object& object)
    {
        LuaState lua = app->GetLuaState();
        object.GetLuaObject().Push(lua);
        lua.SetGlobal(name);
    }

    Screen* screen = nullptr;
    Actor* bubbleLayer = nullptr;
};

// Writes down the names of the buttons whose clicks reach it.
class ClickRecorder : public Object
{
public:
    bool OnButtonClick(const EventRecord& e) override
    {
        clicks.push_back(static_cast<Actor*>(e.user.data1)->GetName());
        return true;
    }
    std::vector<std::string> clicks;
};

} // namespace viewtest
