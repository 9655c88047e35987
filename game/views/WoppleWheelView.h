#pragma once

#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Image;
class WoppleWheelAnimation;
class WoppleWheelProgressOverlay;
class WoppleWheelSetView;

// What a reel's square shows. Spinning and Blank never sit on a strip: they
// are what a reel answers while it runs and while it has nothing to show.
enum WheelType : std::int32_t
{
    WheelTypeNumber = 0,
    WheelTypeFreeSpin = 1,
    WheelTypeJoker = 2,
    WheelTypeSuperJoker = 3,
    WheelTypeDevil = 4,
    WheelTypeDevilCherub = 5,
    WheelTypeCherub = 6,
    WheelTypeCoin = 7,
    WheelTypeGem = 8,
    WheelTypeWoppleVision = 9,
    WheelTypeMultiplier = 10,
    WheelTypeSpinning = 11,
    WheelTypeBlank = 12,
};

// A picture of a non-negative number from a strip of eleven digit frames
// (frame 9 is "0", frame d - 1 is d, frame 10 the closing marker), the digits
// left to right `spacing` pixels apart, then the marker. 0 or less shows the
// marker alone. The caller owns the image.
std::unique_ptr<Image> CreateNumberImageActor(int number, const std::string& digitStrip, int spacing);

class WoppleWheelView;

namespace WoppleWheelViewStates {

class NotYetStarted : public State
{
public:
    std::string GetName() const override { return "NotYetStarted"; }
};

class Spinning : public State
{
public:
    explicit Spinning(WoppleWheelView& wheel) : m_Wheel(wheel) {}
    std::string GetName() const override { return "Spinning"; }
    void Update() override;

private:
    WoppleWheelView& m_Wheel;
};

class Stopped : public State
{
public:
    explicit Stopped(WoppleWheelView& wheel) : m_Wheel(wheel) {}
    std::string GetName() const override { return "Stopped"; }
    void OnEnterState() override;

private:
    WoppleWheelView& m_Wheel;
};

} // namespace WoppleWheelViewStates

// One reel: a strip of typed squares (numbers first, in a shuffled order, then
// the symbols) looping behind a window one square high. Spin runs it fast and
// slows it down over 35 frames onto the forced result (SetResult), or onto a
// random square the reel set allows; then it plays its stop sound and the reel
// set tells its observers WOPPLE_WHEELANIMATIONUPDATE. While it runs, up to
// five faded copies of the strip, a little apart, make a motion blur.
class WoppleWheelView : public Actor
{
    VELK_DECLARE_CLASS(WoppleWheelView)
public:
    static constexpr int kNumStripTypes = 11;
    static constexpr int kFirstNumberImage = 13;
    static constexpr double kStartSpeed = 65.0;
    static constexpr double kDeceleration = 1.5;
    static constexpr double kLandingSpeed = 13.0;

    WoppleWheelView();
    ~WoppleWheelView() override;

    void OnPostSpawn() override;

    // ---- what the rules ask for
    // The next spin lands on this (number only for WheelTypeNumber); Blank lands anywhere.
    void SetResult(int type, int number);
    int GetResultType() const { return m_ResultType; }
    int GetResultNumber() const { return m_ResultNumber; }
    // How many squares of a type 0 to 10 the strip carries from the next BuildStrip.
    void SetNumberOfTypedSquares(int type, int count);
    int GetNumberOfTypedSquares(int type) const;
    void BuildStrip();
    void BuildSymbolImages();
    void Spin();
    // Spinning while running (unless ignoreSpinning), Blank with no strip shown,
    // else the square about to lie under the window.
    int GetWheelType(bool ignoreSpinning) const;
    std::string GetWheelTypeName(bool ignoreSpinning) const;
    // The number shown once stopped on a number square, else -1.
    int GetWheelNumber() const;
    WoppleWheelAnimation* GetFirstSquare() const;
    void ClearSquares();
    void ShowHilite();
    void HideHilite();
    // With "applyScale", fits the actor's image (and its children's) to a square.
    void ApplyScale(Actor& actor) const;
    // The "wheelButton%1%" child the strips run in (the reel itself without one).
    Actor* GetSymbolContainer() const;

    // ---- what the bonus reels leave on a stopped reel, until its next spin
    // The cherub who came to the reel: into the symbol container, in place of
    // the one before, which is destroyed. The reel keeps it, not the caller.
    void SetCherubPicture(std::unique_ptr<Actor> picture);
    Actor* GetCherubPicture() const;
    // The lit multiplier badge over the reel, in place of the one before.
    void SetMultiplierOverlay(std::unique_ptr<Actor> overlay);
    Actor* GetMultiplierOverlay() const;
    // Both go; a spin starts with this.
    void ClearBonusPictures();
    static std::string GetWheelTypeString(int type);

    // ---- place in the set
    void SetWheelNumber(int n);
    int GetWheelNumberInSet() const { return m_WheelNumber; }
    void SetBaseNumber(int n) { m_BaseNumber = n; }
    int GetBaseNumber() const { return m_BaseNumber; }
    void SetMultiplier(int multiplier) { m_Multiplier = multiplier; }
    int GetMultiplier() const { return m_Multiplier; }
    Point<int> GetSquareSize() const { return m_WheelSize; }
    // The set the reel sits in (its grandparent), or null.
    WoppleWheelSetView* GetSetView() const;

    // ---- children
    Actor* GetWheelButton() const { return m_WheelButton; }
    Actor* GetWheelCover() const { return m_WheelCover; }
    Actor* GetWheelHilite() const { return m_WheelHilite; }
    Actor* GetMotionOverlay() const { return m_MotionOverlay; }
    Actor* GetGrayTint() const { return m_GrayTintFull; }
    WoppleWheelProgressOverlay* GetProgressOverlay() const;

    // ---- inner workings, open to the states and the tests
    const std::vector<int>& GetSquareTypes() const { return m_SquareTypes; }
    const std::vector<int>& GetNumberToSlot() const { return m_NumberToSlot; }
    const std::vector<int>& GetSlotToNumber() const { return m_SlotToNumber; }
    const WoppleWheelAnimation* GetMasterStrip() const { return m_MasterStrip.get(); }
    Image* GetSymbolImage(int index) const;
    int GetNumSymbolImages() const { return static_cast<int>(m_SymbolImages.size()); }
    std::vector<WoppleWheelAnimation*> GetShownStrips() const;
    double GetScrollPosition() const { return m_Position; }
    double GetSpeed() const { return m_Speed; }
    int GetTotalSquares() const;
    // One frame of the run and, when it is time, the landing.
    void StepSpin();
    // Entering "Stopped": sounds, the set's event, the result used up.
    void OnStopped();

private:
    friend void WoppleWheelViewClassHook(Class* c);
    void SetWheelNumberProperty(const LuaObject& value);
    void ShowStrips(int count);
    void DestroyStrip(const LuaObject& handle);
    std::unique_ptr<Image> MakeSymbolImage(const std::string& imageName) const;
    std::unique_ptr<Image> MakeMultiplierImage() const;

    Point<int> m_WheelSize{88, 77};
    std::array<std::int32_t, kNumStripTypes> m_SquareCounts{15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    std::int32_t m_WheelNumber = 1;
    std::int32_t m_BaseNumber = 1;
    std::int32_t m_Multiplier = 1;
    std::vector<int> m_NumberToSlot;
    std::vector<int> m_SlotToNumber;
    std::vector<int> m_SquareTypes;
    std::unique_ptr<WoppleWheelAnimation> m_MasterStrip;
    std::uint32_t m_SpinSoundA = 0;
    std::uint32_t m_SpinSoundB = 0;
    // Held through their script selves, which read as nothing once the tree deleted them.
    std::vector<LuaObject> m_ShownStrips;
    LuaObject m_CherubPicture;
    LuaObject m_MultiplierOverlay;
    Actor* m_WheelCover = nullptr;
    Actor* m_WheelHilite = nullptr;
    Actor* m_MotionOverlay = nullptr;
    Actor* m_WheelButton = nullptr;
    Actor* m_GrayTintFull = nullptr;
    Actor* m_ProgressOverlay = nullptr;
    double m_Position = 0.0;
    double m_Speed = 0.0;
    std::int32_t m_ResultType = WheelTypeBlank;
    std::int32_t m_ResultNumber = 0;
    std::vector<std::unique_ptr<Image>> m_SymbolImages;
};
