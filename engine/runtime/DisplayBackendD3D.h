#pragma once

#include "engine/runtime/FrameRecorder.h"

#include "engine/core/Rect.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/SurfaceManager.h"
#include "platform/d3d/D3DLayer.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CDXScreen;
class D3DImageRenderer;
class DisplayBackendD3D;

// A picture cut into textures of the accelerated back end, in creation order.
// Every texture counts width x height x 4 bytes of image memory in video
// memory while it lives.
class D3DDividedTexture : public DividedTexture
{
public:
    struct Piece
    {
        DDSurface* texture = nullptr;
        Rect rect;  // the part of the picture it holds, at its top-left corner
        int textureWidth = 0;
        int textureHeight = 0;
        bool isSet = false;  // the device's current texture
    };

    D3DDividedTexture(DisplayBackendD3D* backend, int width, int height);
    ~D3DDividedTexture() override;

    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    DisplayBackendD3D* GetBackend() const { return m_Backend; }
    std::vector<Piece>& GetPieces() { return m_Pieces; }
    const std::vector<Piece>& GetPieces() const { return m_Pieces; }
    // The surface record's version the pixels were copied at.
    std::uint32_t GetSourceVersion() const { return m_SourceVersion; }
    void SetSourceVersion(std::uint32_t version) { m_SourceVersion = version; }

private:
    int m_Width;
    int m_Height;
    DisplayBackendD3D* m_Backend;
    std::vector<Piece> m_Pieces;
    std::uint32_t m_SourceVersion = 0;
};

// The accelerated display: SDL's x11 driver for the window and its events, a
// CDXScreen in OpenGL mode on it, a device on its back buffer, every picture
// cut into textures, and a D3DImageRenderer drawing textured rectangles. It
// recovers from lost surfaces (textures are flushed and made again at their
// next draw). A display held elsewhere is waited for a bounded number of
// times; then the application falls back to software drawing.
class DisplayBackendD3D : public DisplayBackend, public DividedTextureMaker
{
public:
    // Tries of a display held by another program, 100 ms apart, before giving up.
    static constexpr int kMaxBusyDisplayTries = 30;

    DisplayBackendD3D();
    ~DisplayBackendD3D() override;

    // The current accelerated back end, or null.
    static DisplayBackendD3D* GetCurrent();

    void ApplyDisplayParams(const DisplayParams& params) override;
    ImageRenderer* GetScreenImageRenderer() override;
    void UpdateScreen() override;
    void InvalidateScreen() override;
    void ClearScreen() override;
    std::intptr_t HandleWindowsMessage(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam) override;
    bool IsCurrentDisplayValid() override;
    void MakeScreenshot(const std::string& path) override;
    void PrepareForModalSystemDialog() override;
    void CleanupFromModalSystemDialog() override;
    bool IsAccelerated() const override { return true; }

    std::unique_ptr<DividedTexture> MakeDividedTexture(SDL_Surface* surface) override;
    // A width x height texture in the screen's format.
    DDSurface* MakeTextureSurface(int width, int height);
    void SetTexturePiece(D3DDividedTexture::Piece& piece);
    void ClearTexturePiece();
    // Tells whether the display may be drawn on again, and makes it so:
    // textures flushed and surfaces restored, the display re-applied after a
    // change of mode. False when the display stayed busy and the application
    // was told to fall back to software drawing.
    bool HandleDisplayModeChange();
    void ShutdownD3D();

    // The piece settings the application's properties give at each apply.
    void SetTexturePieceSettings(bool useUniformPieces, int minimumDimension, int uniformDimension);

    D3DDevice* GetDevice() const { return m_Device; }
    CDXScreen* GetCDXScreen() const { return m_CDXScreen.get(); }
    D3DImageRenderer* GetRenderer() const { return m_ImageRenderer.get(); }
    // Gave up on a busy display: nothing is drawn until the window is made again.
    bool HasGivenUp() const { return m_GaveUp; }
    bool IsModalSystemDialogEnabled() const { return m_ModalSystemDialogEnabled; }

    // The wait between two looks at a busy display; null restores the real sleep.
    using SleepFunction = void (*)(std::uint32_t milliseconds);
    static void SetSleepFunction(SleepFunction function);

private:
    void CutUniformPieces(SDL_Surface* surface, D3DDividedTexture& texture);
    void CutFittedPieces(SDL_Surface* surface, D3DDividedTexture& texture, int x, int y, int w, int h);
    void AddPiece(SDL_Surface* surface, D3DDividedTexture& texture, int x, int y, int w, int h, int size);
    bool IsFullScreen() const { return m_CurrentDisplayParams && m_CurrentDisplayParams->fullScreen; }

    WindowHandle m_hWnd = nullptr;
    std::unique_ptr<CDXScreen> m_CDXScreen;
    D3D* m_D3D = nullptr;
    D3DDevice* m_Device = nullptr;
    std::unique_ptr<D3DImageRenderer> m_ImageRenderer;
    // What the screens draw goes here first: a frame like the one shown is
    // neither drawn nor presented (an idle screen costs next to nothing).
    std::unique_ptr<FrameRecorder> m_Frame;
    std::unique_ptr<DisplayParams> m_CurrentDisplayParams;
    bool m_SavedFullScreenDisplaySettings = false;
    bool m_ModalSystemDialogEnabled = false;
    bool m_UseUniformPieces = true;
    int m_MinimumPieceDimension = 64;
    int m_UniformPieceDimension = 64;
    int m_UniformPieceShift = 6;
    int m_MaxTextureDimension = 2048;
    bool m_GaveUp = false;
};

// Copies a rectangle of the surface's 32-bit pixels into the texture's
// top-left corner.
void CopySurfaceDataIntoTexture(SDL_Surface* surface, DDSurface* texture, int x, int y, int width, int height);

// Throws Exception "%1%: %2%, %3%" with what failed, the code and its text.
[[noreturn]] void ThrowDXError(const char* function, const char* what, DDResult result);
