#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <string>

class Button;
class Label;

// A vertical bar (template "ComboMeter", its child "FillGraphic" growing up
// from the bottom) that drains by "amountOfDecrease" every "timeToDecrease"
// ms once StartDrain is called, until it is empty.
class ComboMeter : public Actor
{
    VELK_DECLARE_CLASS(ComboMeter)
public:
    ComboMeter();
    ~ComboMeter() override;

    void StartDrain();
    bool OnTimer(const EventRecord& event) override;
    // Sets the fill (clamped to 0..1) and the bar's height to match.
    void SetFill(double fill);
    double GetFill() const { return fill; }
    Actor* GetFillGraphic() const { return fillGraphic; }
    bool IsDraining() const { return timerId != 0; }

    double fill = 0.0;
    int timeToDecrease = 1000;
    double amountOfDecrease = 0.1;

private:
    void ShowFill();
    void FreeDrainTimer();

    std::uint32_t timerId = 0;
    Actor* fillGraphic = nullptr;
};

// A panel with a text and up to two buttons; a button without text is hidden.
// Its timer, when one is set on it, clears the message.
class WoppleMessageBoard : public Actor
{
    VELK_DECLARE_CLASS(WoppleMessageBoard)
public:
    WoppleMessageBoard();
    ~WoppleMessageBoard() override;

    void OnPostSpawn() override;
    void SetMessage(const std::string& text, const std::string& buttonOneText, const std::string& buttonTwoText);
    // Clears the message after the given milliseconds.
    void ClearAfter(int milliseconds);
    bool OnTimer(const EventRecord& event) override;

    Label* GetTextLabel() const { return boardTextLabel; }
    Button* GetButtonOne() const { return messageBoardButtonOne; }
    Button* GetButtonTwo() const { return messageBoardButtonTwo; }
    bool IsTimerRunning() const { return isTimerRunning; }

private:
    void FreeTimer();

    Label* boardTextLabel = nullptr;
    Button* messageBoardButtonOne = nullptr;
    Button* messageBoardButtonTwo = nullptr;
    bool isTimerRunning = false;
    std::uint32_t timerId = 0;
};
