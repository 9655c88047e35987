#pragma once

#include "engine/core/Point.h"
#include "engine/ui/Button.h"
#include "game/rules/WoppleTalkingCharacter.h"

#include <cstdint>
#include <string>

class Font;
class SpeechBubble;

// A figure on the game screen that talks in a speech bubble: the cherub girl
// who explains the rules, the cherub with the bucket, the pirate of the duel.
// It is a button (it can be clicked); its bubble lives on the nearest
// "BubbleLayer" above it, placed by the template's bubble properties, closes
// itself after the given time, and may carry reply buttons or a close box
// whose clicks go to a receiver the caller names.
class WoppleCharacter : public Button, public WoppleTalkingCharacter
{
    VELK_DECLARE_CLASS(WoppleCharacter)
public:
    WoppleCharacter();
    ~WoppleCharacter() override;

    // Shows or hides the bubble with the figure.
    void SetVisible(bool visible, bool recursive = false) override;
    // The close timer destroys the bubble; other timers are the button's.
    bool OnTimer(const EventRecord& event) override;

    // Shows the text; a duration above 0 closes the bubble after that many
    // milliseconds, else it stays until closed. The font is taken (null: the
    // bubble's own). The first speech makes the bubble, later ones reuse it.
    void Say(const std::string& text, double durationMs, const std::string& colourName, Font* font,
             bool closeBox);
    // Replies: each button carries the name given and reports its click to
    // the receiver; the keys are the buttons' shortcut keys.
    void SayWithOneButton(const std::string& text, const std::string& text1, const std::string& name1, int key1,
                          EventReceiver* receiver, double durationMs, const std::string& colourName);
    void SayWithButtons(const std::string& text, const std::string& leftText, const std::string& leftName,
                        int leftKey, const std::string& rightText, const std::string& rightName, int rightKey,
                        EventReceiver* receiver, double durationMs, const std::string& colourName);
    void SayWithThreeButtons(const std::string& text, const std::string& leftText, const std::string& leftName,
                             int leftKey, const std::string& centerText, const std::string& centerName,
                             int centerKey, const std::string& rightText, const std::string& rightName,
                             int rightKey, EventReceiver* receiver, double durationMs,
                             const std::string& colourName);
    void SayWithCloseButton(const std::string& text, EventReceiver* receiver, double durationMs,
                            const std::string& colourName);

    // Hides the bubble and drops its replies; the bubble stays for the next speech.
    void CloseBubble() override;

    // The rules' side: the same speeches, with the rules' keys and listener.
    Actor* GetCharacterActor() override { return this; }
    void Say(const std::string& text, double durationMs, const std::string& colourName, int font,
             unsigned char layoutOption) override;
    void SayWithButtons(const std::string& text, const std::string& firstText, const std::string& firstName,
                        char firstKey, const std::string& secondText, const std::string& secondName, char secondKey,
                        Object* listener, double durationMs, const std::string& colourName) override;
    void SayWithThreeButtons(const std::string& text, const std::string& firstText, const std::string& firstName,
                             char firstKey, const std::string& secondText, const std::string& secondName,
                             char secondKey, const std::string& thirdText, const std::string& thirdName,
                             char thirdKey, Object* listener, double durationMs,
                             const std::string& colourName) override;
    // The bubble goes for good; the next speech makes a new one.
    void DestroyBubble();
    bool IsBubbleVisible() const;

    SpeechBubble* GetBubble() const;
    // The nearest "BubbleLayer" child of an ancestor; null when there is none.
    Actor* GetBubbleLayer();
    bool IsCloseTimerActive() const { return m_CloseTimerActive; }

private:
    friend void WoppleCharacterClassHook(Class* c);

    struct ReplyButton
    {
        const char* child;
        std::string text;
        std::string name;
        int key;
    };
    void SayWithSet(const std::string& setName, const std::string& text, const ReplyButton* buttons,
                    int numButtons, EventReceiver* receiver, double durationMs, const std::string& colourName);
    void PlaceBubble(SpeechBubble& bubble);
    void CancelCloseTimer();

    LuaObject m_Bubble;
    LuaObject m_BubbleLayer;
    std::int32_t m_BubbleType = 0;
    RectAlignment m_BubbleAlignment = RectAlignment::Center;
    RectAlignment m_BubbleAlignTo = RectAlignment::Center;
    Point<int> m_BubbleAlignmentOffset{0, 0};
    Point<int> m_BubblePosition{-1, -1};
    bool m_CloseTimerActive = false;
    std::uint32_t m_CloseTimerID = 0;
};
