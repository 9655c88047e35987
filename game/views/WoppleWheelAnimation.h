#pragma once

#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <memory>
#include <vector>

class Image;

// A reel strip: a looping column of equal squares, each with an image centred
// in it (or nothing), of which a window ("wheelSize") is drawn starting "yPos"
// pixels below the strip's top. The window wraps from the last square to the first.
class WoppleWheelAnimation : public Actor
{
    VELK_DECLARE_CLASS(WoppleWheelAnimation)
public:
    WoppleWheelAnimation();
    ~WoppleWheelAnimation() override;

    void SetSquareSize(int width, int height);
    Point<int> GetSquareSize() const { return m_SquareSize; }
    // Takes the image; null leaves the square empty.
    void AddSquareImage(std::unique_ptr<Image> image);
    int GetNumSquares() const { return static_cast<int>(m_SquareImages.size()); }
    Image* GetSquareImage(int index) const { return m_SquareImages.at(index).get(); }
    // The whole strip: square width by square height times the squares.
    Point<int> GetWheelSize() const;

    void SetYPos(int yPos) { m_YPos = yPos; }
    int GetYPos() const { return m_YPos; }
    // The window drawn.
    void SetWindowSize(int width, int height);
    Point<int> GetWindowSize() const { return m_WindowSize; }

    // A copy with its own copies of the images, the same window and scroll.
    std::unique_ptr<WoppleWheelAnimation> Clone() const;

    void DrawImage(Canvas& canvas) override;

private:
    friend void WoppleWheelAnimationClassHook(Class* c);
    void SetWindowSizeProperty(const LuaObject& value);

    Point<int> m_SquareSize{1, 1};
    std::vector<std::unique_ptr<Image>> m_SquareImages;
    std::int32_t m_YPos = 0;
    Point<int> m_WindowSize{1, 1};
};
