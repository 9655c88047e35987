#pragma once

#include "engine/core/Color.h"
#include "engine/core/Object.h"
#include "engine/core/Rect.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>

class Button;
class Label;
struct ButtonTemplate;

// The font face the configuration names under the key; the key must hold a string.
std::string ConfiguredFontFace(const std::string& key);

// The states a button moves through with the pointer and the keys. "Disabled"
// is only a look: a disabled button keeps its state.
namespace ButtonStates {

class Active : public State
{
public:
    explicit Active(Button& button) : m_Button(button) {}
    std::string GetName() const override { return "Active"; }
    void OnEnterState() override;
    bool OnMouseEnter(const EventRecord& event) override;
    bool OnMouseButtonUp(const EventRecord& event) override;

private:
    Button& m_Button;
};

class Highlighted : public State
{
public:
    explicit Highlighted(Button& button) : m_Button(button) {}
    std::string GetName() const override { return "Highlighted"; }
    void OnEnterState() override;
    bool OnMouseLeave(const EventRecord& event) override;
    bool OnMouseButtonDown(const EventRecord& event) override;

private:
    Button& m_Button;
};

class Pressed : public State
{
public:
    explicit Pressed(Button& button) : m_Button(button) {}
    std::string GetName() const override { return "Pressed"; }
    void OnEnterState() override;
    void OnExitState() override;
    bool OnMouseLeave(const EventRecord& event) override;
    bool OnMouseButtonUp(const EventRecord& event) override;

private:
    Button& m_Button;
};

} // namespace ButtonStates

// The clickable actor. The pointer and the keys move it between its states;
// it posts VELK_BUTTONPRESS when it goes down and VELK_BUTTONCLICK when a
// press ends over it (at most one click per main-loop pass, whichever button
// comes first), and tells its observers of every change of look with
// VELK_BUTTONAPPEARANCECHANGE. It shows a text label, optionally a frame per
// look (0 Active, 1 Disabled, 2 Highlighted, 3 Pressed), a key tip while Alt
// is held, and can blink.
class Button : public Actor
{
    VELK_DECLARE_CLASS(Button)
public:
    // Built on the resource (an image or a template).
    explicit Button(const std::string& resourceName);
    ~Button() override;

    // A button on the image with a label in the font; the caller adds it to a parent.
    static Button* Make(const std::string& resourceName, const std::string& text, const std::string& fontFace,
                        int fontSize, int x, int y, const std::string& name, EventReceiver* group = nullptr);
    // Face and size from the configuration keys the record names.
    static Button* MakeFromTemplate(const ButtonTemplate& buttonTemplate, EventReceiver* group = nullptr);

    // ---- Object and Actor
    // Input is dropped unanswered while user input is ignored.
    bool OnEvent(const EventRecord& event) override;
    void Destroy() override;
    void Update() override;
    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    LuaObject GetProperty(const std::string& name, LuaState state) override;
    void SetVisible(bool visible, bool recursive = false) override;

    bool OnKeyDown(const EventRecord& event) override;
    bool OnKeyUp(const EventRecord& event) override;
    bool OnButtonPress(const EventRecord& event) override;
    // The blink timer; any other timer is the actor's (a fade).
    bool OnTimer(const EventRecord& event) override;

    // ---- look
    virtual void SetLabel(Label* label);
    virtual void CreateLabel();
    virtual void SetText(const std::string& text);
    virtual void SetPressedLook(bool down);
    virtual void OnAppearanceStateChanged(const std::string& name);
    virtual void SetAppearanceFrame(std::uint32_t frame);
    // Created on first use.
    Label* GetLabel();
    Label* FindLabel() const;
    void SetTextAlignment(RectAlignment alignment);
    void SetTextAlignmentOffset(int x, int y);
    void ShowTextBackground(bool show);
    void ShowHighlightChild(bool show);
    Actor* GetTextBackground(int which) const;
    std::uint32_t GetAppearanceFrame() const { return m_AppearanceFrame; }
    bool GetUseFrames() const { return m_UseFrames != 0; }
    void SetUseFrames(bool on) { m_UseFrames = on ? 1 : 0; }

    // ---- behaviour
    void Enable();
    void Disable();
    bool IsEnabled() const { return m_Enabled != 0; }
    bool IsPressed() const { return m_Pressed != 0; }
    void SetIgnoreUserInput(bool ignore) { m_IgnoreUserInput = ignore ? 1 : 0; }
    bool GetIgnoreUserInput() const { return m_IgnoreUserInput != 0; }
    void SetPressUpOnMouseLeave(bool on) { m_PressUpOnMouseLeave = on ? 1 : 0; }
    bool GetPressUpOnMouseLeave() const { return m_PressUpOnMouseLeave != 0; }
    void ManuallyPressButton();
    void ManuallyReleaseButton();
    // Posts VELK_BUTTONCLICK when the pass's click permit is still free.
    void FireClick();
    void SetBlink(bool on, const Color& color);
    bool IsBlinking() const { return m_BlinkTimerID != 0; }
    void SetClickSound(const std::string& name) { m_ClickSound = name; }
    void SetClickUpSound(const std::string& name) { m_ClickUpSound = name; }
    void SetHighlightSound(const std::string& name) { m_HighlightSound = name; }
    void SetHighlightChild(const std::string& name) { m_HighlightChild = name; }

    // ---- keys
    void SetShortcutKey(int key);
    int GetShortcutKey() const { return m_ShortcutKey; }
    // The character the tip shows, 0 when there is none.
    char GetKeyTipCharacter() const { return static_cast<char>(m_KeyTipChar); }
    Actor* GetKeyTip() const;
    void ShowKeyTip(bool show);
    void SetUseAltShortcutKey(bool on) { m_UseAltShortcutKey = on ? 1 : 0; }
    void SetEnterKey(bool on) { m_EnterKey = on ? 1 : 0; }
    void SetEscapeKey(bool on) { m_EscapeKey = on ? 1 : 0; }
    void SetSpaceKey(bool on) { m_SpaceKey = on ? 1 : 0; }
    void SetBackspaceKey(bool on) { m_BackspaceKey = on ? 1 : 0; }
    void SetFunctionKey(int key) { m_FunctionKey = key; }
    void SetAltFunctionKey(int key) { m_AltFunctionKey = key; }

protected:
    friend class ButtonStates::Active;
    friend class ButtonStates::Highlighted;
    friend class ButtonStates::Pressed;
    friend void ButtonClassHook(Class* c);

    // Posts the event about this button: to the parent when nobody else
    // receives the button's events, then to the receivers.
    void PostButtonEvent(int type);
    void PlaySound(const std::string& name) const;
    // The press ended: click, stop blinking, not pressed any more.
    void CompletePress();
    void CreateKeyTip();
    void DestroyKeyTip();
    void SetTextBackground(int which, const LuaObject& value);
    void ApplyTextColor(const LuaObject& value);
    void ApplyTextAlignmentToLabel();
    bool IsShortcut(int key, int modifiers) const;
    bool MatchesOtherKeyDown(int key, int modifiers) const;
    bool MatchesOtherKeyUp(int key) const;

    // Forwards the events posted for the parent to whoever is the parent when
    // they arrive; it goes with the button, and so do those events.
    struct ParentRelay : public Object
    {
        explicit ParentRelay(Button& owner) : owner(owner) {}
        bool OnEvent(const EventRecord& event) override;
        Button& owner;
    };

    // Children and the tip are held through their script selves, which read as
    // nothing once something else has deleted them.
    LuaObject m_Label;
    std::string m_ClickSound = "click.ogg";
    std::string m_ClickUpSound;
    std::string m_HighlightSound;
    std::string m_HighlightChild;
    std::int32_t m_PressedOffsetX = 1;
    std::int32_t m_PressedOffsetY = 1;
    RectAlignment m_TextAlignment = RectAlignment::Center;
    std::int32_t m_TextAlignmentOffsetX = 0;
    std::int32_t m_TextAlignmentOffsetY = 0;
    std::uint8_t m_GrayOutLabelWhenDisabled = 1;
    std::uint8_t m_IgnoreUserInput = 0;
    std::uint8_t m_Pressed = 0;
    std::uint8_t m_Enabled = 1;
    std::uint8_t m_PressUpOnMouseLeave = 0;
    std::uint32_t m_AppearanceFrame = 0;
    std::uint32_t m_BlinkTimerID = 0;
    Color m_BlinkColor;
    Color m_LabelColor;
    std::int32_t m_ShortcutKey = 0;
    std::uint8_t m_KeyTipChar = 0;
    std::uint8_t m_UseAltShortcutKey = 0;
    LuaObject m_KeyTip;
    // Whether the tip was ever put on a layer; until then it is hidden and in
    // no tree, and the per-frame check need not look it up.
    bool m_KeyTipPlaced = false;
    LuaObject m_TextBackground1;
    LuaObject m_TextBackground2;
    std::int32_t m_EnterKey = 0;
    std::int32_t m_EscapeKey = 0;
    std::int32_t m_SpaceKey = 0;
    std::int32_t m_BackspaceKey = 0;
    std::int32_t m_FunctionKey = 0;
    std::int32_t m_AltFunctionKey = 0;
    std::uint8_t m_UseFrames = 1;
    ParentRelay m_ParentRelay{*this};
};
