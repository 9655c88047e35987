#pragma once

#include "engine/ui/Actor.h"

#include <memory>

class Canvas;
class Image;

// A subtree drawn once into an off-screen canvas and then shown from there:
// a static group of actors costs one image per frame. The cache covers
// width x height from its own position in the source's coordinates.
class FlattenedActor : public Actor
{
public:
    // A transparent cache keeps per-pixel alpha; an opaque one is drawn by copy.
    // With sizeFromSource the cache takes the source's extent.
    FlattenedActor(Actor* source, bool transparent, bool sizeFromSource, int width, int height);
    ~FlattenedActor() override;

    void SetCacheSize(int width, int height);
    void SetSource(Actor* source);
    Actor* GetSource() const { return m_Source; }
    // The next draw renders the source again.
    void Invalidate();
    void CreateCanvas();
    // Renders the source when the cache is empty.
    void Render();
    // Null until something was rendered.
    Canvas* GetCanvas() const { return m_Canvas.get(); }
    Image* GetRenderedImage();

    void Draw(Canvas& canvas) override;

private:
    void DeleteCanvas();

    std::unique_ptr<Canvas> m_Canvas;
    Actor* m_Source = nullptr;
    bool m_Transparent;
    bool m_SizeFromSource;
};
