#include "engine/runtime/D3DImageRenderer.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DisplayBackendD3D.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/PerformanceCounters.h"
#include "engine/runtime/SurfaceManager.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

void Count(const char* counter)
{
    if (PerformanceCounterManager* counters = PerformanceCounterManager::GetInstance())
        counters->AddToIntCounter(counter, 1);
}

bool FirstDraw()
{
    Application* app = APP;
    return app && app->IsFirstDraw();
}

// The engine packs colours red-lowest; vertices take alpha-red-green-blue.
std::uint32_t ToARGB(const Color& color)
{
    return (static_cast<std::uint32_t>(color.a) << 24) | (static_cast<std::uint32_t>(color.r) << 16) |
           (static_cast<std::uint32_t>(color.g) << 8) | color.b;
}

D3DTLVertex Vertex(float x, float y, float u, float v, std::uint32_t color)
{
    return D3DTLVertex{x, y, 0.0f, 1.0f, color, 0, u, v};
}

} // namespace

// ---------------------------------------------------------------- D3DState

D3DState::D3DState(DisplayBackendD3D* backend) : m_Backend(backend) {}

void D3DState::InitStates()
{
    D3DDevice* device = m_Backend->GetDevice();
    device->GetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, &m_AlphaBlend);
    device->GetRenderState(D3DRENDERSTATE_SRCBLEND, &m_SrcBlend);
    device->GetRenderState(D3DRENDERSTATE_DESTBLEND, &m_DestBlend);
    device->GetTextureStageState(0, D3DTSS_COLORARG1, &m_ColorArg1);
    device->GetTextureStageState(0, D3DTSS_ALPHAARG1, &m_AlphaArg1);
    device->GetTextureStageState(0, D3DTSS_ALPHAARG2, &m_AlphaArg2);
    device->GetTextureStageState(0, D3DTSS_ALPHAOP, &m_AlphaOp);
    device->GetTextureStageState(0, D3DTSS_MINFILTER, &m_MinFilter);
    device->GetTextureStageState(0, D3DTSS_MAGFILTER, &m_MagFilter);
    device->GetTextureStageState(0, D3DTSS_MIPFILTER, &m_MipFilter);
}

void D3DState::RenderState(std::uint32_t type, std::uint32_t& cached, std::uint32_t value)
{
    if (cached == value)
        return;
    const DDResult hr = m_Backend->GetDevice()->SetRenderState(type, value);
    if (DDFailed(hr))
        ThrowDXError("D3DState::SetDrawState", "IDirect3DDevice7::SetRenderState failed", hr);
    cached = value;
    Count("SetRenderState");
}

void D3DState::StageState(std::uint32_t type, std::uint32_t& cached, std::uint32_t value)
{
    if (cached == value)
        return;
    const DDResult hr = m_Backend->GetDevice()->SetTextureStageState(0, type, value);
    if (DDFailed(hr))
        ThrowDXError("D3DState::SetDrawState", "IDirect3DDevice7::SetTextureStageState failed", hr);
    cached = value;
    Count("SetTextureStageState");
}

void D3DState::SetDrawState(int drawState, std::uint8_t alpha, bool pointFiltering)
{
    bool blend = true;
    std::uint32_t colorArg = D3DTA_TEXTURE, alphaOp = D3DTOP_SELECTARG1, alphaArg1 = D3DTA_TEXTURE,
                  alphaArg2 = m_AlphaArg2;
    switch (drawState) {
    case SHADERTYPE_COPY:
        blend = false;
        break;
    case SHADERTYPE_BLENDPIXELALPHA:
        break;
    case SHADERTYPE_BLENDCONSTANTALPHA:
        alphaArg1 = D3DTA_DIFFUSE;
        break;
    case SHADERTYPE_BLENDCOMBINEDALPHA:
        alphaOp = D3DTOP_MODULATE;
        alphaArg2 = D3DTA_DIFFUSE;
        break;
    case 6:
        blend = alpha < 255;
        colorArg = D3DTA_DIFFUSE;
        alphaArg1 = D3DTA_DIFFUSE;
        break;
    default:
        VELK_THROW(Exception, (boost::format("Unknown draw state: %1%") % drawState).str());
    }
    RenderState(D3DRENDERSTATE_ALPHABLENDENABLE, m_AlphaBlend, blend ? 1 : 0);
    RenderState(D3DRENDERSTATE_SRCBLEND, m_SrcBlend, D3DBLEND_SRCALPHA);
    RenderState(D3DRENDERSTATE_DESTBLEND, m_DestBlend, D3DBLEND_INVSRCALPHA);
    StageState(D3DTSS_COLORARG1, m_ColorArg1, colorArg);
    StageState(D3DTSS_ALPHAOP, m_AlphaOp, alphaOp);
    StageState(D3DTSS_ALPHAARG1, m_AlphaArg1, alphaArg1);
    StageState(D3DTSS_ALPHAARG2, m_AlphaArg2, alphaArg2);
    StageState(D3DTSS_MINFILTER, m_MinFilter, pointFiltering ? D3DTFG_POINT : D3DTFG_LINEAR);
    StageState(D3DTSS_MAGFILTER, m_MagFilter, pointFiltering ? D3DTFG_POINT : D3DTFG_LINEAR);
    StageState(D3DTSS_MIPFILTER, m_MipFilter, pointFiltering ? D3DTFP_POINT : D3DTFP_LINEAR);
}

// ---------------------------------------------------------------- D3DImageRenderer

D3DImageRenderer::D3DImageRenderer(DisplayBackendD3D* backend) : m_Backend(backend) {}

D3DImageRenderer::~D3DImageRenderer()
{
    try {
        EndScene();
    } catch (...) {
    }
}

D3DState& D3DImageRenderer::State()
{
    if (!m_State) {
        m_State = std::make_unique<D3DState>(m_Backend);
        m_State->InitStates();
    }
    return *m_State;
}

bool D3DImageRenderer::BeginScene()
{
    if (m_Backend->HasGivenUp())
        return false;
    const bool first = FirstDraw();
    if (first)
        LogWrite("D3DImageRenderer::BeginScene: BEGIN, this=%p\n", static_cast<void*>(this));
    D3DDevice* device = m_Backend->GetDevice();
    DDResult hr = device->BeginScene();
    if (hr == DDERR_SURFACELOST) {
        if (!m_Backend->HandleDisplayModeChange())
            return false;
        // A change of mode makes a new device.
        device = m_Backend->GetDevice();
        hr = device->BeginScene();
        if (DDFailed(hr))
            ThrowDXError("D3DImageRenderer::BeginScene", "Post surface-lost call to IDirect3DDevice::BeginScene failed",
                         hr);
    } else if (DDFailed(hr)) {
        ThrowDXError("D3DImageRenderer::BeginScene", "IDirect3DDevice7::BeginScene failed", hr);
    }
    const std::pair<std::uint32_t, std::uint32_t> renderStates[] = {
        {D3DRENDERSTATE_LIGHTING, 0},     {D3DRENDERSTATE_DITHERENABLE, 0}, {D3DRENDERSTATE_SPECULARENABLE, 0},
        {D3DRENDERSTATE_ZWRITEENABLE, 0}, {D3DRENDERSTATE_ZENABLE, 0},      {D3DRENDERSTATE_CULLMODE, D3DCULL_NONE}};
    for (const auto& [type, value] : renderStates) {
        hr = device->SetRenderState(type, value);
        if (DDFailed(hr))
            ThrowDXError("D3DImageRenderer::BeginScene", "IDirect3DDevice7::SetRenderState failed", hr);
    }
    const std::pair<std::uint32_t, std::uint32_t> stageStates[] = {
        {D3DTSS_MINFILTER, D3DTFG_POINT},     {D3DTSS_MAGFILTER, D3DTFG_POINT},
        {D3DTSS_MIPFILTER, D3DTFP_POINT},     {D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP},
        {D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP}};
    for (const auto& [type, value] : stageStates) {
        hr = device->SetTextureStageState(0, type, value);
        if (DDFailed(hr))
            ThrowDXError("D3DImageRenderer::BeginScene", "IDirect3DDevice7::SetTextureStageState failed", hr);
    }
    m_InScene = true;
    m_State.reset();
    if (first)
        LogWrite("D3DImageRenderer::BeginScene: END, this=%p\n", static_cast<void*>(this));
    return true;
}

void D3DImageRenderer::EndScene()
{
    if (!m_InScene)
        return;
    const bool first = FirstDraw();
    if (first)
        LogWrite("D3DImageRenderer::EndScene, BEGIN, this=%p\n", static_cast<void*>(this));
    m_InScene = false;
    m_State.reset();
    m_Backend->ClearTexturePiece();
    if (D3DDevice* device = m_Backend->GetDevice()) {
        const DDResult hr = device->EndScene();
        if (DDFailed(hr))
            ThrowDXError("D3DImageRenderer::EndScene", "IDirect3DDevice7::EndScene failed", hr);
    }
    if (first)
        LogWrite("D3DImageRenderer::EndScene, END, this=%p\n", static_cast<void*>(this));
}

void D3DImageRenderer::DrawQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                                std::uint32_t color, const char* function)
{
    const D3DTLVertex strip[4] = {Vertex(x0, y0, u0, v0, color), Vertex(x1, y0, u1, v0, color),
                                  Vertex(x0, y1, u0, v1, color), Vertex(x1, y1, u1, v1, color)};
    const DDResult hr = m_Backend->GetDevice()->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, strip, 4, 0);
    if (DDFailed(hr))
        ThrowDXError(function, "IDirect3DDevice7::DrawPrimitive failed", hr);
}

void D3DImageRenderer::DrawImage(Image* image, int shaderType, const Rect* destRect, const Rect* srcRect,
                                 std::uint8_t alpha, float angle, bool reserved, bool pointFiltering)
{
    DrawSurfaceRecord(image ? image->GetSurfaceRecord() : nullptr, shaderType, destRect, srcRect, alpha, angle,
                      reserved, pointFiltering);
}

void D3DImageRenderer::DrawSurfaceRecord(SurfaceRecord* record, int shaderType, const Rect* destRect,
                                         const Rect* srcRect, std::uint8_t alpha, float, bool, bool pointFiltering)
{
    if (!m_InScene && !BeginScene())
        return;
    SDL_Surface* surface = record ? record->GetSDLSurface() : nullptr;
    if (!surface)
        return;
    // Pixels changed since they were copied are copied again.
    D3DSurface* d3d = record->GetD3DSurface();
    auto* texture = d3d ? static_cast<D3DDividedTexture*>(d3d->GetTexture()) : nullptr;
    if (!texture || texture->GetSourceVersion() != record->GetVersion()) {
        d3d = static_cast<D3DSurface*>(
            SurfaceManager::GetInstance()->Node_RefreshSurfaceType(record, SURFACETYPE_D3D, SURFACETYPE_SDL));
        texture = d3d ? static_cast<D3DDividedTexture*>(d3d->GetTexture()) : nullptr;
        if (!texture)
            return;
        texture->SetSourceVersion(record->GetVersion());
    }
    const Rect src = srcRect ? *srcRect
                             : Rect(0, 0, static_cast<std::uint16_t>(surface->w), static_cast<std::uint16_t>(surface->h));
    const Rect dest = destRect ? *destRect : Rect(0, 0, src.w, src.h);
    DrawDividedTexture(texture, shaderType, dest, src, alpha, pointFiltering);
}

void D3DImageRenderer::DrawDividedTexture(D3DDividedTexture* texture, int shaderType, const Rect& destRect,
                                          const Rect& srcRect, std::uint8_t alpha, bool pointFiltering)
{
    if (srcRect.w == 0 || srcRect.h == 0)
        return;
    State().SetDrawState(shaderType, alpha, pointFiltering);
    const std::uint32_t color = (shaderType == SHADERTYPE_BLENDCONSTANTALPHA || shaderType == SHADERTYPE_BLENDCOMBINEDALPHA)
                                    ? ((static_cast<std::uint32_t>(alpha) << 24) | 0xFFFFFF)
                                    : 0xFFFFFFFF;
    const float scaleX = static_cast<float>(destRect.w) / srcRect.w;
    const float scaleY = static_cast<float>(destRect.h) / srcRect.h;
    const int sx0 = srcRect.x, sy0 = srcRect.y, sx1 = srcRect.x + srcRect.w, sy1 = srcRect.y + srcRect.h;
    for (D3DDividedTexture::Piece& piece : texture->GetPieces()) {
        const int px0 = piece.rect.x, py0 = piece.rect.y;
        const int ix0 = std::max(sx0, px0), iy0 = std::max(sy0, py0);
        const int ix1 = std::min(sx1, px0 + piece.rect.w), iy1 = std::min(sy1, py0 + piece.rect.h);
        if (ix0 >= ix1 || iy0 >= iy1)
            continue;
        // Corners half a pixel up and left: each texel's centre falls on a
        // pixel's centre, so an unscaled picture is copied exactly.
        const float x0 = destRect.x + (ix0 - sx0) * scaleX - 0.5f, y0 = destRect.y + (iy0 - sy0) * scaleY - 0.5f;
        const float x1 = destRect.x + (ix1 - sx0) * scaleX - 0.5f, y1 = destRect.y + (iy1 - sy0) * scaleY - 0.5f;
        const float tw = static_cast<float>(piece.textureWidth), th = static_cast<float>(piece.textureHeight);
        m_Backend->SetTexturePiece(piece);
        DrawQuad(x0, y0, x1, y1, (ix0 - px0) / tw, (iy0 - py0) / th, (ix1 - px0) / tw, (iy1 - py0) / th, color,
                 "D3DImageRenderer::DrawDividedTexture");
    }
}

void D3DImageRenderer::FillRect(const Rect& rect, const Color& color, bool filled)
{
    DrawRect(rect, color, filled);
}

void D3DImageRenderer::DrawRect(const Rect& rect, const Color& color, bool filled)
{
    if (color.a == 0)
        return;
    if (!filled) {
        // The software renderer's outline, edge by edge.
        const int x = rect.x, y = rect.y, w = rect.w, h = rect.h;
        DrawLine(x, y, x + w - 1, y, color);
        DrawLine(x + w, y, x + w, y + h - 1, color);
        DrawLine(x + w, y + h, x + 1, y + h, color);
        DrawLine(x, y + h, x, y + 1, color);
        return;
    }
    if (!m_InScene && !BeginScene())
        return;
    State().SetDrawState(6, color.a, true);
    m_Backend->ClearTexturePiece();
    DrawQuad(rect.x - 0.25f, rect.y - 0.25f, rect.x + rect.w - 0.25f, rect.y + rect.h - 0.25f, 0, 0, 0, 0,
             ToARGB(color), "D3DImageRenderer::DrawRect");
}

void D3DImageRenderer::DrawLine(int x1, int y1, int x2, int y2, const Color& color)
{
    if (color.a == 0)
        return;
    if (!m_InScene && !BeginScene())
        return;
    State().SetDrawState(6, color.a, true);
    m_Backend->ClearTexturePiece();
    const std::uint32_t argb = ToARGB(color);
    if (x1 == x2 || y1 == y2) {
        const int left = std::min(x1, x2), top = std::min(y1, y2);
        const int right = std::max(x1, x2) + 1, bottom = std::max(y1, y2) + 1;
        DrawQuad(left - 0.25f, top - 0.25f, right - 0.25f, bottom - 0.25f, 0, 0, 0, 0, argb, "D3DImageRenderer::DrawLine");
        return;
    }
    // Pixel by pixel as a software line would step, in one list of squares.
    std::vector<D3DTLVertex> squares;
    const int dx = std::abs(x2 - x1), dy = -std::abs(y2 - y1);
    const int stepX = x1 < x2 ? 1 : -1, stepY = y1 < y2 ? 1 : -1;
    int error = dx + dy, x = x1, y = y1;
    for (;;) {
        const float l = x - 0.25f, t = y - 0.25f, r = x + 0.75f, b = y + 0.75f;
        for (const D3DTLVertex& v : {Vertex(l, t, 0, 0, argb), Vertex(r, t, 0, 0, argb), Vertex(l, b, 0, 0, argb),
                                     Vertex(r, t, 0, 0, argb), Vertex(r, b, 0, 0, argb), Vertex(l, b, 0, 0, argb)})
            squares.push_back(v);
        if (x == x2 && y == y2)
            break;
        const int e2 = 2 * error;
        if (e2 >= dy) {
            error += dy;
            x += stepX;
        }
        if (e2 <= dx) {
            error += dx;
            y += stepY;
        }
    }
    const DDResult hr = m_Backend->GetDevice()->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, squares.data(),
                                                              static_cast<std::uint32_t>(squares.size()), 0);
    if (DDFailed(hr))
        ThrowDXError("D3DImageRenderer::DrawLine", "IDirect3DDevice7::DrawPrimitive failed", hr);
}

void D3DImageRenderer::DrawCircle(int, int, int, const Color&) {}

void D3DImageRenderer::DrawPie(int, int, int, int, int, const Color&) {}

void D3DImageRenderer::FillPolygon(const Poly& polygon, const Color& color, bool filled)
{
    if (filled)
        return;
    // The outline, as the software renderer draws it.
    for (const auto& edge : polygon.GetEdges())
        DrawLine(static_cast<int>(edge.start.x), static_cast<int>(edge.start.y), static_cast<int>(edge.end.x),
                 static_cast<int>(edge.end.y), color);
}
