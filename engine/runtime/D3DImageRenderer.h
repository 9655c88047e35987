#pragma once

#include "engine/runtime/FrameRecorder.h"

#include "engine/runtime/ImageRenderer.h"
#include "platform/d3d/D3DLayer.h"

#include <cstdint>
#include <memory>

class DisplayBackendD3D;
class D3DDividedTexture;

// The device's blend and texture-stage states as last sent, so that a state
// is sent only when it changes. Each one sent counts in "SetRenderState" or
// "SetTextureStageState".
class D3DState
{
public:
    explicit D3DState(DisplayBackendD3D* backend);
    // Reads the device's current values.
    void InitStates();
    // Draw states 1 to 4 are the shader types of those numbers, 6 a colour
    // fill; any other throws "Unknown draw state: %1%".
    void SetDrawState(int drawState, std::uint8_t alpha, bool pointFiltering);

private:
    void RenderState(std::uint32_t type, std::uint32_t& cached, std::uint32_t value);
    void StageState(std::uint32_t type, std::uint32_t& cached, std::uint32_t value);

    DisplayBackendD3D* m_Backend;
    std::uint32_t m_AlphaBlend = 0, m_SrcBlend = 0, m_DestBlend = 0;
    std::uint32_t m_ColorArg1 = 0, m_AlphaArg1 = 0, m_AlphaArg2 = 0, m_AlphaOp = 0;
    std::uint32_t m_MinFilter = 0, m_MagFilter = 0, m_MipFilter = 0;
};

// Draws onto the accelerated screen: images as textured, alpha-blended
// rectangles (scaled to the destination), fills, and lines. One scene per
// frame, opened by the first draw and closed by the back end's update; a
// scene that cannot begin because surfaces were lost gets one recovery.
// Circles, pies and polygons are not drawn on this screen.
class D3DImageRenderer : public RecordedFrameTarget
{
public:
    explicit D3DImageRenderer(DisplayBackendD3D* backend);
    ~D3DImageRenderer() override;

    Image* GetTargetSurface() override { return nullptr; }
    void DrawCircle(int x, int y, int radius, const Color& color) override;
    void DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect, std::uint8_t alpha,
                   float angle, bool reserved, bool pointFiltering) override;
    void DrawSurfaceRecord(SurfaceRecord* record, int shaderType, const Rect* destRect, const Rect* srcRect,
                           std::uint8_t alpha, float angle, bool reserved, bool pointFiltering) override;
    void DrawLine(int x1, int y1, int x2, int y2, const Color& color) override;
    void DrawPie(int x, int y, int radius, int startAngle, int endAngle, const Color& color) override;
    void FillPolygon(const Poly& polygon, const Color& color, bool filled) override;
    void FillRect(const Rect& rect, const Color& color, bool filled) override;

    void DrawDividedTexture(D3DDividedTexture* texture, int shaderType, const Rect& destRect, const Rect& srcRect,
                            std::uint8_t alpha, bool pointFiltering);
    void DrawRect(const Rect& rect, const Color& color, bool filled);
    // False when the display could not be drawn on (it is being given up).
    bool BeginScene();
    void EndScene();
    bool IsInScene() const { return m_InScene; }

private:
    D3DState& State();
    void DrawQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                  std::uint32_t color, const char* function);

    DisplayBackendD3D* m_Backend;
    std::unique_ptr<D3DState> m_State;
    bool m_InScene = false;
};
