#pragma once

#include "engine/core/Point.h"
#include "engine/core/Rect.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>

class Button;
class NoteBubble;

// Shows one hint bubble at a time over a screen: a NoteBubble with a text, an
// arrow pointing at a spot, an optional close box and an optional set of
// buttons. Help and tip scripts call its script methods, wait while
// IsNoteBubbleVisible is true, then read lastButtonPressed. The manager covers
// the whole screen and owns the current bubble as its child.
class NoteManager : public Actor
{
    VELK_DECLARE_CLASS(NoteManager)
public:
    // Where the bubble sits relative to its spot.
    enum Placement
    {
        PLACE_CENTERED = 0,
        PLACE_RIGHT = 1,
        PLACE_LEFT = 2,
        PLACE_ABOVE = 3,
        PLACE_BELOW = 4,
    };

    // Which buttons PointOutWithNext shows.
    enum ButtonMode
    {
        BUTTONS_ALL = 0,
        BUTTONS_CLOSE_FOR_NEXT = 1,
        BUTTONS_NO_BACK = 2,
        BUTTONS_NONE = 3,
    };

    NoteManager();
    ~NoteManager() override;

    // Shows the bubble (made on first use, reused after) pointing at (x, y); a
    // positive duration in milliseconds destroys it when it runs out. The
    // colour names the bubble's pictures; buttonLines keeps that many lines
    // free under the text for the note's buttons.
    void ShowNoteBubble(const std::string& text, int x, int y, int direction, double durationMs,
                        const std::string& colour, int buttonLines = 0);
    // Puts the bubble beside (x, y) by the stored direction, its arrow's length away.
    void PlaceNoteBubble(int x, int y);
    // Hides the bubble, drops its buttons and stops the auto-close timer; the
    // bubble stays for the next note.
    void HideNoteBubble();
    void DestroyNoteBubble();
    bool IsNoteBubbleVisible() const;

    // What the script methods do.
    void PointOut(const std::string& text, const Point<int>& spot, int direction, double durationMs,
                  const std::string& colour);
    void PointOutNoButton(const std::string& text, const Point<int>& spot, int direction);
    void PointOutWithOkay(const std::string& text, const Point<int>& spot, int direction);
    void PointOutWithNext(const std::string& text, const Point<int>& spot, int direction, int mode);

    // The bubble's visibility follows the manager's.
    void SetVisible(bool visible, bool recursive = false) override;
    bool OnKeyDown(const EventRecord& event) override;
    bool OnButtonClick(const EventRecord& event) override;
    bool OnTimer(const EventRecord& event) override;

    // Null when there is none.
    NoteBubble* GetNoteBubble() const;
    int GetNoteBubbleDirection() const { return m_NoteBubbleDirection; }
    bool GetShowCloseBox() const { return m_ShowCloseBox; }
    void SetShowCloseBox(bool show) { m_ShowCloseBox = show; }
    const std::string& GetLastButtonPressed() const { return m_LastButtonPressed; }
    int GetButtonMode() const { return m_ButtonMode; }
    bool HasAutoCloseTimer() const { return m_AutoCloseTimerSet; }
    std::uint32_t GetAutoCloseTimerID() const { return m_AutoCloseTimerID; }

private:
    friend void NoteManagerClassHook(Class* c);

    // The button set made from the template, added to the bubble.
    Actor* AttachButtonSet(const std::string& templateName);
    // The set's button of that template child name, captioned, renamed, on the
    // key and reporting its clicks to the manager.
    Button* SetUpButton(Actor& set, const std::string& childName, const std::string& caption,
                        const std::string& name, int key);
    // Hides the bubble for the reason given by the button's name.
    void CloseWith(const std::string& buttonName);
    void StopAutoCloseTimer();

    // Held through its script self, which reads as nothing once it is deleted.
    LuaObject m_NoteBubble;
    std::int32_t m_NoteBubbleDirection = PLACE_CENTERED;
    bool m_ShowCloseBox = false;
    std::string m_LastButtonPressed;
    std::int32_t m_ButtonMode = BUTTONS_ALL;
    // Kept for the scripts; the placement does not use them.
    RectAlignment m_NoteBubbleAlignment = RectAlignment::Center;
    RectAlignment m_NoteBubbleAlignTo = RectAlignment::Center;
    Point<int> m_NoteBubbleAlignmentOffset;
    bool m_AutoCloseTimerSet = false;
    std::uint32_t m_AutoCloseTimerID = 0;
};
