#pragma once

#include "engine/runtime/ImageRenderer.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

class SurfaceRecord;

// A renderer that can draw a picture from its surface record alone: a
// recorded frame keeps the records, as the images drawn may be gone by then.
class RecordedFrameTarget : public ImageRenderer
{
public:
    virtual void DrawSurfaceRecord(SurfaceRecord* record, int shaderType, const Rect* destRect, const Rect* srcRect,
                                   std::uint8_t alpha, float angle, bool reserved, bool pointFiltering) = 0;
};

// Stands in front of a screen renderer that redraws the whole frame each
// time (the accelerated back end): a frame's drawing is kept as a list, and
// the list is drawn only when it differs from the frame shown last. A screen
// that did not change is then neither drawn nor presented. A picture counts
// as changed when its surface's serial or version does, so one redrawn in
// place is seen.
class FrameRecorder : public ImageRenderer
{
public:
    explicit FrameRecorder(RecordedFrameTarget& target) : m_Target(target) {}
    ~FrameRecorder() override;
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;

    Image* GetTargetSurface() override { return m_Target.GetTargetSurface(); }
    void DrawCircle(int x, int y, int radius, const Color& color) override;
    void DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect, std::uint8_t alpha,
                   float angle, bool reserved, bool pointFiltering) override;
    void DrawLine(int x1, int y1, int x2, int y2, const Color& color) override;
    void DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color) override;
    void FillPolygon(const Poly& polygon, const Color& color, bool filled) override;
    void FillRect(const Rect& rect, const Color& color, bool filled) override;

    // A new frame, nothing drawn on it yet.
    void Clear();
    // Whether this frame differs from the last one drawn (always after Invalidate).
    bool HasChanged() const;
    // Draws the frame on the target and remembers it as the one shown.
    void Replay();
    // What is shown is not the last frame drawn any more (a new mode, lost surfaces).
    void Invalidate() { m_Valid = false; }

    std::size_t GetCommandCount() const { return m_Frame.size(); }

private:
    enum Kind : std::uint8_t
    {
        KIND_IMAGE,
        KIND_CIRCLE,
        KIND_LINE,
        KIND_PIE,
        KIND_POLYGON,
        KIND_RECT,
    };

    struct Command
    {
        Kind kind = KIND_RECT;
        bool flag = false;      // filled, or the image's point filtering
        bool reserved = false;  // the image's reserved value
        bool hasSrc = false;
        bool hasDest = false;
        std::uint8_t alpha = 0;
        std::int16_t shader = 0;
        std::int32_t values[8] = {};
        Color color;
        float angle = 0.0f;
        SurfaceRecord* record = nullptr;  // shared while the frame is kept
        std::uint64_t serial = 0;
        std::uint32_t version = 0;
        std::uint32_t polygon = 0;  // index into m_Polygons
        bool operator==(const Command& other) const;
    };

    // A new command of this frame: its kind, first values, colour and flag.
    Command& Record(Kind kind, std::initializer_list<std::int32_t> values, const Color& color, bool flag = false);
    static bool SamePolygon(const Poly& a, const Poly& b);
    void ReleaseShares();

    RecordedFrameTarget& m_Target;
    std::vector<Command> m_Frame;
    std::vector<Poly> m_Polygons;
    std::vector<Command> m_Shown;
    std::vector<Poly> m_ShownPolygons;
    bool m_Valid = false;
};
