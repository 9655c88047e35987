#pragma once

#include "engine/core/Color.h"
#include "engine/core/Rect.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Image;
class ImageRenderer;

// Canvas options, given at construction.
enum CanvasOptions : std::uint32_t
{
    CANVAS_DESTROY_TARGET = 2,  // the canvas destroys its target image
    CANVAS_COMPOSE_ALPHA = 8,   // compose into an image that has its own alpha
};

// What actors draw through: a renderer and a stack of drawing states, each an
// origin offset, an alpha factor and flags. Drawing a tree pushes a state per
// actor, translates, draws and pops.
class Canvas
{
public:
    struct DrawState
    {
        std::int32_t x = 0;
        std::int32_t y = 0;
        float alpha = 1.0f;
        std::uint32_t flags = 0;  // CANVAS_COMPOSE_ALPHA: draw images with the compositing shader
    };

    // An off-screen canvas drawing into a new image of width x height with
    // alpha. The image is the canvas's with CANVAS_DESTROY_TARGET; otherwise it
    // outlives the canvas and belongs to whoever takes it (GetTargetSurface).
    Canvas(int width, int height, std::uint32_t options);
    // A canvas over an existing renderer (the screen's, which the back end owns).
    Canvas(ImageRenderer* renderer, bool ownsRenderer);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    // Pushes the first state {0, 0, 1.0, flags}; the stack must be empty.
    void InitStack(std::uint32_t flags);
    // A new top state copied from the one below; records above the top are reused.
    void PushState();
    void PopState();
    void Translate(int dx, int dy);

    // The top state, which the actor drawing reads and may adjust.
    DrawState& GetState() { return m_StateStack[m_Top]; }
    const DrawState& GetState() const { return m_StateStack[m_Top]; }
    std::size_t GetStateIndex() const { return m_Top; }
    // Records kept for reuse, the top one included.
    std::size_t GetStateRecordCount() const { return m_StateStack.size(); }

    ImageRenderer* GetImageRenderer() const { return m_Renderer; }
    Image* GetTargetSurface() const;

    // Draws one frame with its top-left corner at the origin.
    void DrawImageFrame(Image* image, int frame);
    // Outline of the rectangle as given, without the origin.
    void DrawRect(const Rect& rect, const Color& color);
    // Filled width x height at the origin.
    void FillRect(int width, int height, const Color& color);
    // Filled rectangle moved by the origin.
    void FillRectAt(const Rect& rect, const Color& color);
    // Fills the whole target image, moved by the origin.
    void FillImageRect(const Color& color);

private:
    Color Faded(const Color& color) const;

    ImageRenderer* m_Renderer;
    bool m_DestroyTarget;
    bool m_OwnsRenderer;
    std::vector<DrawState> m_StateStack;
    std::size_t m_Top = 0;
};
