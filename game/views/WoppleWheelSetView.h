#pragma once

#include "engine/ui/Actor.h"

#include <cstdint>
#include <vector>

class WoppleWheelView;

// The wheel: a row of reels (five, or seven in the seven-by-seven game) in
// its child "wheelContainer". Reel i carries the numbers from 15 i - 14. A spin
// starts reel 1 at once and the others one by one, the last a second after the
// first; each reel, coming to rest, has the set tell its observers
// WOPPLE_WHEELANIMATIONUPDATE, {isFinished = true} after the last. The rules
// ask the set what the reels show.
class WoppleWheelSetView : public Actor
{
    VELK_DECLARE_CLASS(WoppleWheelSetView)
public:
    WoppleWheelSetView();
    ~WoppleWheelSetView() override;

    void OnPostSpawn() override;
    bool OnTimer(const EventRecord& event) override;

    int GetNumWheels() const { return m_NumberOfWheels; }
    // Reel i from 1; null (with a warning) for any other index.
    WoppleWheelView* GetWheelView(int index) const;
    Actor* GetWheelContainer() const { return m_WheelContainer; }
    std::uint32_t GetSpinAnimationTimerID() const { return m_SpinAnimationTimerID; }
    int GetNextWheelToStart() const { return m_NextWheelToStart; }

    // Reel 1 now, the others every 1000 / (n - 1) ms; a lone reel just spins.
    void StartSpin();
    void ClearAllSquares();
    // The first reel showing the type, or null.
    WoppleWheelView* FindWheelOfType(int type) const;
    int CountJokers() const;
    int CountSuperJokers() const;
    int CountAllJokers() const { return CountJokers() + CountSuperJokers(); }
    // The sum of the multipliers of the reels showing a multiplier.
    int GetTotalMultiplier() const;
    void FlashMultipliers();
    void GrayOutAllButSuperJokers();
    void HideGrayTints();
    void ClearGrayTints() { HideGrayTints(); }
    void ShowGrayTints();
    void ShowProgressOverlays();
    void ResetProgressOverlays();
    void AddListenerToWheelButtons(EventReceiver* receiver);
    // False for a one-of-a-kind symbol some reel already shows.
    bool IsTypeAllowed(int type) const;
    bool AreAllWheelsStopped() const;

private:
    void ArmSpinTimer();
    // One past the last reel built (none before OnPostSpawn).
    int WheelsEnd() const { return static_cast<int>(m_Wheels.size()); }
    int CountShowing(int type) const;

    Actor* m_WheelContainer = nullptr;
    std::int32_t m_NumberOfWheels = 5;
    // From 1; entry 0 unused. The reels belong to the container.
    std::vector<WoppleWheelView*> m_Wheels;
    std::int32_t m_NextWheelToStart = 0;
    std::uint32_t m_SpinAnimationTimerID = 0;
};
