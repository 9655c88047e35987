#pragma once

#include "engine/core/Color.h"
#include "engine/ui/Actor.h"
#include "engine/ui/BubbleParts.h"

#include <cstdint>
#include <memory>
#include <string>

class Font;

// The comic balloon a game character speaks in: a top picture, one middle
// picture per further line of text and a bottom picture, a tail on one side
// and an optional close box. Any change of text, font or close box builds it
// again from nothing; buttons inside it show their key tips on its own layer.
class SpeechBubble : public Actor
{
    VELK_DECLARE_CLASS(SpeechBubble)
public:
    // The side the tail is on.
    enum Direction
    {
        TAIL_LEFT = 0,
        TAIL_RIGHT = 1,
        TAIL_BELOW = 2,
        TAIL_ABOVE = 3,
    };

    // For the class registry: the defaults, built as soon as it gets a text.
    SpeechBubble();
    // The style names the pictures ("objBubble.<style>.Top.png" and so on); the
    // group, when given, receives the bubble's events. Built once, and only
    // when the text is not empty.
    SpeechBubble(const std::string& text, int direction, const std::string& style, bool closeBox,
                 EventReceiver* group);
    ~SpeechBubble() override;

    // Each builds the bubble again when the value changed.
    void SetText(const std::string& text);
    void SetShowCloseBox(bool show);
    // Takes the font; null stands for the bubble font. Fonts of the same
    // parameters are no change.
    void SetFont(Font* font);

    const std::string& GetText() const { return m_Text; }
    int GetDirection() const { return m_Direction; }
    const std::string& GetStyle() const { return m_Style; }
    bool GetShowCloseBox() const { return m_CloseBox != 0; }
    Font* GetFont() const { return m_Font.get(); }
    int GetFontSpacing() const { return m_FontSpacing; }
    const Color& GetTextColor() const { return m_TextColor; }
    const bubble::Pieces& GetPieces() const { return m_Pieces; }

    // The "BubbleFont" template when there is one, else the configured face
    // "BubbleFont" at "BubbleFontSize".
    static std::unique_ptr<Font> CreateBubbleFont();

private:
    friend void SpeechBubbleClassHook(Class* c);

    void Rebuild();
    void PlaceTail(Actor& tail, int lines) const;
    void SetTextProperty(const LuaObject& value);

    std::int32_t m_Direction = TAIL_LEFT;
    std::string m_Style = "White";
    Color m_TextColor = Colors::Black;
    std::uint8_t m_CloseBox = 0;
    std::string m_Text;
    std::unique_ptr<Font> m_Font;
    std::int32_t m_FontSpacing = 0;
    bubble::Pieces m_Pieces;
    std::uint8_t m_Built = 0;
};
