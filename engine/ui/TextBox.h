#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>

class Label;

// The text box's caret: a black bar that blinks on its own timer.
class IBeam : public Actor
{
public:
    IBeam(int width, int height);
    ~IBeam() override;

    bool OnTimer(const EventRecord& event) override;

private:
    std::uint32_t m_TimerID = 0;
};

// A one-line entry field: a white box with a label and a blinking caret. Key
// presses insert printable characters at the caret up to the limit; Backspace,
// Delete and the arrows edit and move. The text is the player's: the label
// shows it as plain text, never as an expression.
class TextBox : public Actor
{
    VELK_DECLARE_CLASS(TextBox)
public:
    TextBox();
    TextBox(int width, int height, const std::string& text);
    ~TextBox() override;

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    void StoreProperties(LuaObject& table) override;
    // A hidden box ignores keys.
    void SetVisible(bool visible, bool recursive = false) override;
    // Never reports the key as handled: other receivers see it too.
    bool OnKeyDown(const EventRecord& event) override;

    // Puts the caret after the last character.
    void SetText(const std::string& text);
    void SetSizeAndText(int width, int height, const std::string& text);
    std::string GetText() const { return m_Text; }
    void SetLimit(std::uint32_t limit) { m_Limit = limit; }
    std::uint32_t GetLimit() const { return m_Limit; }
    void SetClickSound(const std::string& name) { m_ClickSound = name; }
    std::uint32_t GetCaretIndex() const { return m_CaretIndex; }
    IBeam* GetCaret() const { return m_Caret; }
    Label* GetLabel() const { return m_Label; }
    bool IsActive() const { return m_Active != 0; }

    // Printable ASCII without the double quote, the backslash and the vertical bar.
    static bool IsAcceptedCharacter(std::uint32_t code);

private:
    friend void TextBoxClassHook(Class* c);

    void MakeControls();
    void SetBoxSize(int width, int height);
    void ShowTextInLabel();
    void PlaceCaret();
    void AfterEdit();

    std::uint8_t m_Active = 1;
    IBeam* m_Caret = nullptr;
    std::uint32_t m_CaretIndex = 0;
    Label* m_Label = nullptr;
    std::string m_Text;
    std::uint32_t m_Limit = 9;
    std::string m_ClickSound;
    std::uint16_t m_BoxWidth = 0;
    std::uint16_t m_BoxHeight = 0;
};
