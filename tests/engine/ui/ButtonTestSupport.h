#pragma once

#include "ScreenTestSupport.h"
#include "engine/ui/Button.h"

#include <SDL.h>

#include <string>
#include <vector>

namespace buttontest {

using namespace screentest;

// The four looks of "frames.png", one colour each.
inline constexpr std::uint32_t kActive = 0xFFFF0000;
inline constexpr std::uint32_t kDisabled = 0xFF808080;
inline constexpr std::uint32_t kHighlighted = 0xFF00FF00;
inline constexpr std::uint32_t kPressed = 0xFF0000FF;
inline constexpr int kButtonWidth = 6;
inline constexpr int kButtonHeight = 4;

// A parent that writes down the button events it is offered: presses (left
// for the button's own click sound), clicks, and the changes of look it
// observes.
class Recorder : public Actor
{
public:
    bool OnButtonPress(const EventRecord& e) override
    {
        log.push_back("press " + NameOf(e));
        return false;
    }
    bool OnButtonClick(const EventRecord& e) override
    {
        log.push_back("click " + NameOf(e));
        return true;
    }
    bool OnButtonAppearanceChange(Event* e) override
    {
        auto* button = dynamic_cast<Actor*>(Object::FromLuaObject((*e->payload)["button"]));
        log.push_back("look " + (button ? button->GetName() : std::string("?")) + " " +
                      (*e->payload)["appearanceState"].GetString());
        return true;
    }
    // The log so far, emptied.
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }

    // Only the presses and clicks, emptying the log.
    std::vector<std::string> TakeEvents()
    {
        std::vector<std::string> events;
        for (const std::string& entry : Take())
            if (entry.rfind("look ", 0) != 0)
                events.push_back(entry);
        return events;
    }

    std::vector<std::string> log;

private:
    static std::string NameOf(const EventRecord& e) { return static_cast<Actor*>(e.user.data1)->GetName(); }
};

// The engine with a current screen "Buttons" holding a recorder; input goes
// through SDL's queue and the main loop's passes, the pointer through the
// roll-over walk.
class ButtonFixture : public ScreenFixture
{
protected:
    void SetUp() override
    {
        ScreenFixture::SetUp();
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < kButtonHeight; ++y)
            for (std::uint32_t color : {kActive, kDisabled, kHighlighted, kPressed})
                pixels.insert(pixels.end(), kButtonWidth, color);
        Image(imagetest::MakeSurface(kButtonWidth * 4, kButtonHeight, pixels), 0, kButtonWidth, kButtonHeight, 4,
              nullptr)
            .RegisterAsResource("frames.png");
        screen = AddScreen("", "Buttons", nullptr);
        manager->SwitchToScreen("Buttons");
        recorder = new Recorder;
        screen->AddChild(recorder, "recorder");
    }

    // A button on "frames.png" under the recorder, which observes its looks.
    Button* MakeButton(const std::string& name, int x, int y)
    {
        auto* button = new Button("frames.png");
        button->SetName(name);
        button->SetPosition(x, y);
        button->SetPressUpOnMouseLeave(true);
        recorder->AddChild(button);
        button->AttachObserver(VELK_BUTTONAPPEARANCECHANGE, recorder);
        return button;
    }

    void Pass() { app->RunPass(); }

    // The roll-over walk with the pointer at the button's centre, or nowhere.
    void Hover(const Actor& actor)
    {
        Rect rect = actor.GetGlobalRect();
        app->ResetRolloverAt(rect.x + rect.w / 2, rect.y + rect.h / 2, true);
    }
    void Unhover() { app->ResetRolloverAt(-1, -1, false); }

    static void Mouse(std::uint8_t type, int x, int y, std::uint8_t sdlButton = SDL_BUTTON_LEFT)
    {
        SDL_Event e{};
        e.button.type = type;
        e.button.button = sdlButton;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.button.x = static_cast<Uint16>(x);
        e.button.y = static_cast<Uint16>(y);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    static void Down(const Actor& actor, std::uint8_t sdlButton = SDL_BUTTON_LEFT)
    {
        Rect rect = actor.GetGlobalRect();
        Mouse(SDL_MOUSEBUTTONDOWN, rect.x + 1, rect.y + 1, sdlButton);
    }
    static void UpAt(int x, int y, std::uint8_t sdlButton = SDL_BUTTON_LEFT)
    {
        Mouse(SDL_MOUSEBUTTONUP, x, y, sdlButton);
    }
    static void Up(const Actor& actor, std::uint8_t sdlButton = SDL_BUTTON_LEFT)
    {
        Rect rect = actor.GetGlobalRect();
        UpAt(rect.x + 1, rect.y + 1, sdlButton);
    }

    static void Key(std::uint8_t type, int sym, int modifiers = KMOD_NONE)
    {
        SDL_Event e{};
        e.key.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = static_cast<SDLKey>(sym);
        e.key.keysym.mod = static_cast<SDLMod>(modifiers);
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }
    // Down and up in one pass.
    void Stroke(int sym, int modifiers = KMOD_NONE)
    {
        Key(SDL_KEYDOWN, sym, modifiers);
        Key(SDL_KEYUP, sym, modifiers);
        Pass();
    }

    Screen* screen = nullptr;
    Recorder* recorder = nullptr;
};

} // namespace buttontest
