#pragma once

#include "engine/ui/Button.h"

#include <string>

class CocoDropButton;

// Turns the lever button's press into the lever dropping and its click into
// the lever rising; it leaves the events to whoever else takes them.
class CocoDropAnimationHelper : public Actor
{
public:
    CocoDropAnimationHelper(Actor& lever, CocoDropButton& button) : m_Lever(lever), m_Button(button) {}
    bool OnButtonPress(const EventRecord& event) override;
    bool OnButtonClick(const EventRecord& event) override;

private:
    Actor& m_Lever;
    CocoDropButton& m_Button;
};

// The spin lever. The button itself is invisible and not rectangular; what the
// player sees is its child "cocoDropLever", which slides in when the rules
// present it, flashes to be pulled, drops while pressed, rises on release (and
// the button is disabled until the rules present it again), and slides away
// on Pullup. The lever's scripts live in "CocoDropButton.lua"; each one runs
// with its own name among its tags, so that it can be found and stopped by name.
class CocoDropButton : public Button
{
    VELK_DECLARE_CLASS(CocoDropButton)
public:
    CocoDropButton();
    ~CocoDropButton() override;

    void OnPostSpawn() override;
    void SetVisible(bool visible, bool recursive = false) override;
    void OnAppearanceStateChanged(const std::string& name) override;
    bool OnActorScriptFinished(Event* event) override;
    // Over the button, or over the shown lever's picture: the lever is what a person pulls.
    bool ContainsGlobalPoint(int x, int y) const override;

    // Slides the lever in (then flashes it, when asked), or, already shown,
    // switches between flashing and the plain look.
    void Present(bool flashing);
    // Slides the lever away and disables the button.
    void Pullup();
    void AdjustForAppearance(const std::string& stateName);

    Actor* GetLever() const { return m_Lever; }
    bool IsFlashingEnabled() const { return m_FlashingIsEnabled; }
    // Runs the lever script under its name and, when given, the tag.
    void RunLeverScript(const std::string& script, const std::string& tag);
    bool IsLeverScriptRunning(const std::string& script) const;

private:
    friend void CocoDropButtonClassHook(Class* c);

    Actor* m_Lever = nullptr;
    bool m_FlashingIsEnabled = false;
    // The present animation's script self, to know it when its end is announced.
    LuaObject m_PresentScript;
};
