#pragma once

#include "engine/ui/Actor.h"
#include "engine/ui/BubbleParts.h"

#include <cstdint>
#include <string>

// The balloon of a hint or tutorial note: built like the speech bubble from a
// top picture, middle pictures and a bottom picture, with an arrow pointing
// out of one side (or none) and an optional close box "BubbleCloseButton".
// Any change of text or direction builds it again from nothing; buttons
// inside it show their key tips on its own layer.
class NoteBubble : public Actor
{
    VELK_DECLARE_CLASS(NoteBubble)
public:
    // The side the arrow is on.
    enum Direction
    {
        ARROW_NONE = 0,
        ARROW_LEFT = 1,
        ARROW_RIGHT = 2,
        ARROW_BELOW = 3,
        ARROW_ABOVE = 4,
    };

    // For the class registry: the defaults, built as soon as it gets a text.
    NoteBubble();
    // The style names the pictures ("objBubble.<style>.Top.png" and so on); the
    // group, when given, receives the bubble's events. Built once, and only
    // when the text is not empty.
    NoteBubble(const std::string& text, int direction, const std::string& style, bool showCloseBox,
               EventReceiver* group);
    ~NoteBubble() override;

    // Each builds the bubble again when the value changed.
    void SetDirection(int direction);
    void SetText(const std::string& text);
    // Takes effect at the next build.
    void SetShowCloseBox(bool show) { m_ShowCloseBox = show; }
    // Lines of room kept free under the text for a row of buttons; builds again.
    void SetButtonLines(int lines);
    int GetButtonLines() const { return m_ButtonLines; }

    const std::string& GetText() const { return m_Text; }
    int GetDirection() const { return m_Direction; }
    const std::string& GetStyle() const { return m_Style; }
    bool GetShowCloseBox() const { return m_ShowCloseBox; }
    const bubble::Pieces& GetPieces() const { return m_Pieces; }

private:
    friend void NoteBubbleClassHook(Class* c);

    void Rebuild();
    void PlaceArrow(Actor& arrow, int lines) const;
    void SetTextProperty(const LuaObject& value);

    std::int32_t m_Direction = ARROW_LEFT;
    std::string m_Style = "White";
    bool m_ShowCloseBox = false;
    std::int32_t m_ButtonLines = 0;
    std::string m_Text;
    bubble::Pieces m_Pieces;
    std::uint8_t m_Built = 0;
};
