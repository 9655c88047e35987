#include "game/views/ComboMeter.h"

#include "engine/core/Class.h"
#include "engine/core/TimerManager.h"
#include "engine/ui/Button.h"
#include "engine/ui/Label.h"

#include <algorithm>

namespace {

void FreeTimerId(std::uint32_t& id)
{
    if (id != 0)
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimer(id);
    id = 0;
}

void NoProperties(Class*) {}

} // namespace

VELK_REGISTER_CLASS(ComboMeter, "Actor", NoProperties, InstantiateObjectOfClass<ComboMeter>);
VELK_REGISTER_CLASS(WoppleMessageBoard, "Actor", NoProperties, InstantiateObjectOfClass<WoppleMessageBoard>);

// ---------------------------------------------------------------- ComboMeter

ComboMeter::ComboMeter()
{
    ApplyNamedResource("ComboMeter");
    fillGraphic = FindChild("FillGraphic", true);
}

ComboMeter::~ComboMeter()
{
    try {
        FreeDrainTimer();
    } catch (...) {
    }
}

void ComboMeter::FreeDrainTimer()
{
    FreeTimerId(timerId);
}

void ComboMeter::StartDrain()
{
    FreeDrainTimer();
    TimerManager* timers = TimerManager::GetInstance();
    if (!timers)
        return;
    timerId = timers->CreateTimer(this, static_cast<std::uint32_t>(std::max(timeToDecrease, 1)), 1,
                                  TIMER_LIMITED_TO_FRAMERATE, "default");
}

void ComboMeter::SetFill(double value)
{
    fill = std::clamp(value, 0.0, 1.0);
    ShowFill();
}

void ComboMeter::ShowFill()
{
    if (!fillGraphic)
        return;
    fillGraphic->SetSize(fillGraphic->GetWidth(), static_cast<int>((GetHeight() - 2) * fill));
    fillGraphic->UpdateAlignment();
}

bool ComboMeter::OnTimer(const EventRecord& event)
{
    if (timerId == 0 || TimerIDOfEvent(event) != timerId)
        return Actor::OnTimer(event);
    fill = std::max(fill - amountOfDecrease, 0.0);
    // Below a hair's breadth is empty: tenths do not add up exactly in binary.
    if (fill < 1e-9)
        fill = 0.0;
    ShowFill();
    FreeDrainTimer();
    if (fill > 0.0)
        StartDrain();
    return true;
}

// ---------------------------------------------------------------- WoppleMessageBoard

WoppleMessageBoard::WoppleMessageBoard() = default;

WoppleMessageBoard::~WoppleMessageBoard()
{
    try {
        FreeTimer();
    } catch (...) {
    }
}

void WoppleMessageBoard::OnPostSpawn()
{
    Actor::OnPostSpawn();
    boardTextLabel = dynamic_cast<Label*>(FindChild("boardTextLabel", true));
    messageBoardButtonOne = dynamic_cast<Button*>(FindChild("messageBoardButtonOne", true));
    messageBoardButtonTwo = dynamic_cast<Button*>(FindChild("messageBoardButtonTwo", true));
}

void WoppleMessageBoard::FreeTimer()
{
    FreeTimerId(timerId);
    isTimerRunning = false;
}

void WoppleMessageBoard::SetMessage(const std::string& text, const std::string& buttonOneText,
                                    const std::string& buttonTwoText)
{
    // A new message is not cleared by the old one's timer.
    if (isTimerRunning)
        FreeTimer();
    if (boardTextLabel)
        boardTextLabel->SetText(text, true);
    auto setButton = [](Button* button, const std::string& label) {
        if (!button)
            return;
        button->SetVisible(!label.empty());
        button->SetText(label);
    };
    setButton(messageBoardButtonOne, buttonOneText);
    setButton(messageBoardButtonTwo, buttonTwoText);
    UpdateAlignment();
}

void WoppleMessageBoard::ClearAfter(int milliseconds)
{
    FreeTimer();
    if (TimerManager* timers = TimerManager::GetInstance()) {
        timerId = timers->CreateTimer(this, static_cast<std::uint32_t>(std::max(milliseconds, 1)), 1,
                                      TIMER_LIMITED_TO_FRAMERATE, "default");
        isTimerRunning = true;
    }
}

bool WoppleMessageBoard::OnTimer(const EventRecord& event)
{
    // Only its own timer: the actor's scripts wait on timers too.
    if (timerId == 0 || TimerIDOfEvent(event) != timerId)
        return Actor::OnTimer(event);
    FreeTimer();
    SetMessage("", "", "");
    return true;
}
