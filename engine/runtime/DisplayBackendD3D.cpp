#include "engine/runtime/DisplayBackendD3D.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/CDXImage.h"
#include "engine/runtime/CDXScreen.h"
#include "engine/runtime/D3DImageRenderer.h"
#include "engine/runtime/Resource.h"
#include "engine/runtime/SDLVideo.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

DisplayBackendD3D* g_CurrentBackend = nullptr;

std::string NoDeviceText(const char* clsid, DDResult result)
{
    return (boost::format("Could not create Direct3D device with clsid=%1%: %2%") % clsid % DDErrorText(result)).str();
}

void RealSleep(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

DisplayBackendD3D::SleepFunction g_Sleep = &RealSleep;

const char* const kPrefix = "DisplayBackendD3D::ApplyDisplayParams: ";

void Step(const char* text)
{
    LogWrite("%s%s\n", kPrefix, text);
}

std::string Bytes(std::uint32_t bytes)
{
    // "1,234,567": thousands grouped for reading.
    std::string digits = std::to_string(bytes);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

std::unique_ptr<DisplayBackend> MakeD3DBackend()
{
    return std::make_unique<DisplayBackendD3D>();
}

// The accelerated back end is there for the display manager from the start.
[[maybe_unused]] const bool g_FactoryInstalled = [] {
    DisplayManager::SetAcceleratedBackendFactory(&MakeD3DBackend);
    return true;
}();

} // namespace

[[noreturn]] void ThrowDXError(const char* function, const char* what, DDResult result)
{
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(result));
    throw Exception(__FILE__, __LINE__, function, __DATE__, __TIME__,
                    (boost::format("%1%: %2%, %3%") % what % code % DDErrorText(result)).str());
}

// ---------------------------------------------------------------- D3DDividedTexture

D3DDividedTexture::D3DDividedTexture(DisplayBackendD3D* backend, int width, int height)
    : m_Width(width), m_Height(height), m_Backend(backend)
{
}

D3DDividedTexture::~D3DDividedTexture()
{
    try {
        for (Piece& piece : m_Pieces) {
            if (piece.isSet && m_Backend)
                m_Backend->ClearTexturePiece();
            AddMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM, -piece.textureWidth * piece.textureHeight * 4);
            if (piece.texture)
                piece.texture->Release();
        }
    } catch (...) {
    }
}

// ---------------------------------------------------------------- DisplayBackendD3D

DisplayBackendD3D::DisplayBackendD3D()
{
    g_CurrentBackend = this;
    SurfaceManager::GetInstance()->SetDividedTextureMaker(this);
    // A surface with a source file reloads itself through the image readers.
    const CDXImageLoadFunction loader = &CDXImage::GetImage;
    SetCDXImageLoader(loader);
}

DisplayBackendD3D::~DisplayBackendD3D()
{
    try {
        if (g_CurrentBackend == this)
            g_CurrentBackend = nullptr;
        m_Frame.reset();
        m_ImageRenderer.reset();
        ShutdownD3D();
        SurfaceManager::GetInstance()->SetDividedTextureMaker(nullptr);
        ShutdownSDLVideo();
        m_CurrentDisplayParams.reset();
    } catch (...) {
    }
}

DisplayBackendD3D* DisplayBackendD3D::GetCurrent()
{
    return g_CurrentBackend;
}

void DisplayBackendD3D::SetSleepFunction(SleepFunction function)
{
    g_Sleep = function ? function : &RealSleep;
}

void DisplayBackendD3D::ApplyDisplayParams(const DisplayParams& params)
{
    if (m_CurrentDisplayParams) {
        Step("Deleting old display params.");
        m_CurrentDisplayParams.reset();
    }
    // Every apply starts from nothing but the renderer, which may be the
    // caller (a scene that found the display changed).
    ShutdownD3D();
    m_GaveUp = false;

    Step("Initializing Direct3DX.");
    bool mayHaveHardware = false;
    if (!CanBringUpD3DLayer(&mayHaveHardware))
        VELK_THROW(DisplayBackendInitError,
                   AssertionText("CanBringUpD3DLayer()", "OpenGL cannot be brought up on this display."));
    // Without direct rendering the hardware device would be refused anyway,
    // after loading a software renderer for nothing.
    if (params.use3DAcceleration && !mayHaveHardware)
        VELK_THROW(DisplayBackendInitError, NoDeviceText("IID_IDirect3DHALDevice", DDERR_NO3D));

    // A window in OpenGL mode cannot become an ordinary one again: each apply
    // makes it anew.
    Step("Shutting down SDL video subsystem.");
    ShutdownSDLVideo();
    m_hWnd = nullptr;
    Step("Trying to initialize SDL's x11 driver.");
    bool result = InitSDLVideo("x11");
    VELK_ASSERT_THROW(DisplayBackendInitError, result == true, GetSDLVideoInitError());

    Step("Setting window style + size.");
    Step("Displaying window.");

    Step("Creating CDXScreen.");
    m_CDXScreen = std::make_unique<CDXScreen>();
    DDraw* dd = m_CDXScreen->GetDD();
    if (!dd)
        VELK_THROW(DisplayBackendInitError, AssertionText("m_CDXScreen->GetDD() != 0", "No display object."));
    DDCaps driverCaps, emulationCaps;
    const DDResult capsResult = dd->GetCaps(&driverCaps, &emulationCaps);
    if (DDFailed(capsResult)) {
        LogWrite("DisplayBackendD3D::ApplyDisplayParams: WARNING: IDirectDraw7::GetCaps() failed, result=%x, "
                 "message=\"%s\".\n",
                 static_cast<unsigned>(capsResult), DDErrorText(capsResult));
    } else {
        LogWrite("DirectDraw caps:\n");
        for (const auto& [label, caps] : {std::pair{"Driver", &driverCaps}, {"Emulation", &emulationCaps}}) {
            LogWrite("  %s: dwCaps=%08X, dwCaps2=%08X\n", label, caps->caps, caps->caps2);
            LogWrite("  %s: total video memory: %s bytes (%d)\n", label, Bytes(caps->videoMemoryTotal).c_str(),
                     static_cast<int>(caps->videoMemoryTotal));
            LogWrite("  %s: free video memory: %s bytes (%d)\n", label, Bytes(caps->videoMemoryFree).c_str(),
                     static_cast<int>(caps->videoMemoryFree));
        }
    }

    Step("Retrieving Direct3D object.");
    DDResult hr = dd->QueryDirect3D(&m_D3D);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::ApplyDisplayParams", "IDirectDraw7::QueryInterface failed", hr);

    const int width = static_cast<int>(params.width), height = static_cast<int>(params.height);
    if (params.fullScreen) {
        Step("Calling CDXScreen::CreateFullScreen.");
        const std::int32_t created = m_CDXScreen->CreateFullScreen(nullptr, width, height, 32, 0);
        if (created < 0)
            VELK_THROW(DisplayBackendInitError,
                       (boost::format("m_CDXScreen->CreateFullScreen(GetHWND(), %1%, %2%, 32) failed: %3%") % width %
                        height % created)
                           .str());
    } else {
        Step("Calling CDXScreen::CreateWindowed.");
        const std::int32_t created = m_CDXScreen->CreateWindowed(nullptr, width, height);
        if (created < 0)
            VELK_THROW(DisplayBackendInitError,
                       (boost::format("m_CDXScreen->CreateWindowed(GetHWND(), %1%, %2%) failed: %3%") % width %
                        height % created)
                           .str());
        Step("Repositioning window.");
    }
    // The window exists from the screen's front buffer on.
    m_hWnd = GetSDLWindowHandle();
    if (Application* app = APP)
        app->SetWindowHandle(m_hWnd);
    Step("Applying SDL video size hack.");

    const char* clsid = params.use3DAcceleration ? "IID_IDirect3DHALDevice" : "IID_IDirect3DMMXDevice";
    LogWrite("%sCreating a Direct3D device with clsid=\"%s\"\n", kPrefix, clsid);
    hr = m_D3D->CreateDevice(clsid, m_CDXScreen->GetBack()->GetDDS(), &m_Device);
    if (DDFailed(hr))
        VELK_THROW(DisplayBackendInitError, NoDeviceText(clsid, hr));

    Step("Retrieving Direct3D device caps.");
    D3DDeviceDesc deviceCaps;
    hr = m_Device->GetCaps(&deviceCaps);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::ApplyDisplayParams", "IDirect3DDevice7::GetCaps failed", hr);
    Step("Initializing Direct3D viewport.");
    D3DViewport viewport;
    viewport.width = params.width;
    viewport.height = params.height;
    hr = m_Device->SetViewport(viewport);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::ApplyDisplayParams", "IDirect3DDevice7::SetViewport", hr);
    Step("Clearing the display.");
    hr = m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::ApplyDisplayParams", "IDirect3DDevice7::Clear", hr);

    m_MaxTextureDimension = static_cast<int>(std::max<std::uint32_t>(deviceCaps.maxTextureWidth, 1));
    if (Application* app = APP)
        SetTexturePieceSettings(app->RetrieveBoolProperty("useUniformTexturePieceDimensions", true),
                                app->RetrieveIntegerProperty("minimumTexturePieceDimension", 64),
                                app->RetrieveIntegerProperty("globalTexturePieceDimension", 64));
    else
        SetTexturePieceSettings(m_UseUniformPieces, m_MinimumPieceDimension, m_UniformPieceDimension);

    if (!m_ImageRenderer) {
        Step("Creating an ImageRenderer.");
        m_ImageRenderer = std::make_unique<D3DImageRenderer>(this);
        m_Frame = std::make_unique<FrameRecorder>(*m_ImageRenderer);
    }
    m_Frame->Invalidate();
    Step("Cleaning up old full-screen display settings.");
    m_SavedFullScreenDisplaySettings = false;
    m_CurrentDisplayParams = std::make_unique<DisplayParams>(params);
    if (!params.fullScreen)
        EnableMaximizeBox();
    m_ModalSystemDialogEnabled = false;
}

void DisplayBackendD3D::SetTexturePieceSettings(bool useUniformPieces, int minimumDimension, int uniformDimension)
{
    m_UseUniformPieces = useUniformPieces;
    // Textures of no size or beyond the device's limit cannot be made.
    m_UniformPieceDimension = std::clamp(uniformDimension, 1, m_MaxTextureDimension);
    m_MinimumPieceDimension = std::clamp(minimumDimension, 1, m_MaxTextureDimension);
    m_UniformPieceShift = 0;
    for (int d = m_UniformPieceDimension; d > 1; d >>= 1)
        ++m_UniformPieceShift;
}

ImageRenderer* DisplayBackendD3D::GetScreenImageRenderer()
{
    return m_Frame.get();
}

void DisplayBackendD3D::UpdateScreen()
{
    if (!m_ImageRenderer || !m_Frame || !m_CDXScreen || m_GaveUp)
        return;
    // Drawing on the renderer itself (not through the screen's recorder)
    // opened the scene already; that is presented as drawn.
    const bool drawnDirectly = m_ImageRenderer->IsInScene();
    if (!m_Frame->HasChanged() && !drawnDirectly)
        return;  // the front buffer still shows this frame
    if (!drawnDirectly) {
        if (!m_ImageRenderer->BeginScene())
            return;
        const DDResult hr = m_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        if (DDFailed(hr))
            ThrowDXError("DisplayBackendD3D::UpdateScreen", "IDirect3DDevice7::Clear", hr);
    }
    m_Frame->Replay();
    if (m_GaveUp || !m_ImageRenderer)
        return;
    m_ImageRenderer->EndScene();
    m_CDXScreen->Flip(m_CurrentDisplayParams && m_CurrentDisplayParams->waitForVSync ? 1 : 0, 1, 0);
}

void DisplayBackendD3D::InvalidateScreen()
{
    if (m_Frame)
        m_Frame->Invalidate();
}

void DisplayBackendD3D::ClearScreen()
{
    if (m_Frame && !m_GaveUp)
        m_Frame->Clear();
}

std::intptr_t DisplayBackendD3D::HandleWindowsMessage(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                                                      std::intptr_t)
{
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && IsFullScreen()) {
        LogWrite("DisplayBackendD3D::HandleWindowsMessage: Attempting to restore desktop's resolution.\n");
        m_SavedFullScreenDisplaySettings = true;
    } else if (message == WM_SIZE && wParam == SIZE_RESTORED && IsFullScreen() && m_SavedFullScreenDisplaySettings) {
        LogWrite("DisplayBackendD3D::HandleWindowsMessage: Attempting to switch back to fullscreen app (from "
                 "desktop.)\n");
        m_SavedFullScreenDisplaySettings = false;
        HandleDisplayModeChange();
    } else if (message == WM_ACTIVATE && wParam == WA_INACTIVE && IsFullScreen() && !m_ModalSystemDialogEnabled) {
        LogWrite("DisplayBackendD3D::HandleWindowsMessage: Attempting to minimize fullscreen window.\n");
        SDL_WM_IconifyWindow();
    }
    return 0;
}

bool DisplayBackendD3D::IsCurrentDisplayValid()
{
    return true;
}

void DisplayBackendD3D::MakeScreenshot(const std::string& path)
{
    if (!m_CDXScreen) {
        LogWrite("WARNING: Could not save screenshot: DisplayBackendD3D::m_CDXScreen == NULL\n");
        return;
    }
    CDXSurface* front = m_CDXScreen->GetFront();
    if (!front) {
        LogWrite("WARNING: Could not save screenshot: frontBuffer == NULL\n");
        return;
    }
    // The window's client area is the whole front buffer here.
    const DDRect area{0, 0, front->GetWidth(), front->GetHeight()};
    const int result = front->SaveAsBMP(path.c_str(), &area);
    if (result < 0) {
        LogWrite("WARNING: Could not save screenshot: %s\n",
                 result == -2 ? "The file could not be created." : "The front buffer could not be read.");
        return;
    }
    LogWrite("Screenshot successfully saved to \"%s\".\n", path.c_str());
}

void DisplayBackendD3D::PrepareForModalSystemDialog()
{
    VELK_ASSERT(m_CurrentDisplayParams != 0);
    if (m_CurrentDisplayParams->fullScreen && m_CDXScreen && m_CDXScreen->GetDD())
        m_CDXScreen->GetDD()->FlipToGDISurface();
    m_ModalSystemDialogEnabled = true;
}

void DisplayBackendD3D::CleanupFromModalSystemDialog()
{
    VELK_ASSERT(m_ModalSystemDialogEnabled == true);
    m_ModalSystemDialogEnabled = false;
}

DDSurface* DisplayBackendD3D::MakeTextureSurface(int width, int height)
{
    VELK_ASSERT(m_CDXScreen && m_CDXScreen->GetDD());
    DDSurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.caps = DDSCAPS_TEXTURE;
    desc.width = static_cast<std::uint32_t>(width);
    desc.height = static_cast<std::uint32_t>(height);
    DDSurface* texture = nullptr;
    const DDResult hr = m_CDXScreen->GetDD()->CreateSurface(desc, &texture);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::MakeTextureSurface", "D3DXCreateTexture failed", hr);
    return texture;
}

void DisplayBackendD3D::AddPiece(SDL_Surface* surface, D3DDividedTexture& texture, int x, int y, int w, int h,
                                 int size)
{
    D3DDividedTexture::Piece piece;
    piece.texture = MakeTextureSurface(size, size);
    piece.textureWidth = size;
    piece.textureHeight = size;
    piece.rect = Rect(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), static_cast<std::uint16_t>(w),
                      static_cast<std::uint16_t>(h));
    AddMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM, size * size * 4);
    texture.GetPieces().push_back(piece);
    CopySurfaceDataIntoTexture(surface, piece.texture, x, y, w, h);
}

void DisplayBackendD3D::CutUniformPieces(SDL_Surface* surface, D3DDividedTexture& texture)
{
    const int P = m_UniformPieceDimension, shift = m_UniformPieceShift;
    const int W = surface->w, H = surface->h;
    const int step = 1 << shift;
    const int columns = (W + step - 1) >> shift, rows = (H + step - 1) >> shift;
    for (int c = 0; c < columns; ++c)
        for (int r = 0; r < rows; ++r) {
            const int x = c << shift, y = r << shift;
            AddPiece(surface, texture, x, y, std::min(P, W - x), std::min(P, H - y), P);
        }
}

void DisplayBackendD3D::CutFittedPieces(SDL_Surface* surface, D3DDividedTexture& texture, int x, int y, int w, int h)
{
    const int M = m_MinimumPieceDimension;
    while (h > 0 && w > 0) {
        const int s = std::min(w, h);
        const int half = (M + s - 1) / 2;
        int P = 1;
        while (P <= half)
            P <<= 1;
        AddPiece(surface, texture, x, y, std::min(P, w), std::min(P, h), P);
        if (w > P)
            CutFittedPieces(surface, texture, x + P, y, w - P, std::min(P, h));
        y += P;
        h -= P;
    }
}

std::unique_ptr<DividedTexture> DisplayBackendD3D::MakeDividedTexture(SDL_Surface* surface)
{
    if (!surface || surface->w == 0 || surface->h == 0)
        return nullptr;
    auto texture = std::make_unique<D3DDividedTexture>(this, surface->w, surface->h);
    if (m_UseUniformPieces)
        CutUniformPieces(surface, *texture);
    else
        CutFittedPieces(surface, *texture, 0, 0, surface->w, surface->h);
    return texture;
}

void CopySurfaceDataIntoTexture(SDL_Surface* surface, DDSurface* texture, int x, int y, int width, int height)
{
    DDSurfaceDesc desc;
    DDResult hr = texture->Lock(nullptr, &desc, DDBLT_WAIT);
    if (DDFailed(hr))
        ThrowDXError("CopySurfaceDataIntoTexture", "IDirectDrawSurface7::Lock failed", hr);
    auto* out = static_cast<std::uint32_t*>(desc.surface);
    CopySurfaceRect(surface, out, desc.pitch, x, y, width, height);
    // What SDL's blits leave out is see-through here: the colour key, and
    // the alpha of a picture drawn without its own alpha.
    const bool keyed = (surface->flags & SDL_SRCCOLORKEY) != 0;
    const bool opaque = !(surface->flags & SDL_SRCALPHA);
    if (keyed || opaque) {
        const std::uint32_t key = surface->format->colorkey & 0x00FFFFFF;
        for (int row = 0; row < height; ++row) {
            std::uint32_t* p = reinterpret_cast<std::uint32_t*>(reinterpret_cast<std::uint8_t*>(out) + row * desc.pitch);
            for (int i = 0; i < width; ++i) {
                if (opaque)
                    p[i] |= 0xFF000000;
                if (keyed && (p[i] & 0x00FFFFFF) == key)
                    p[i] &= 0x00FFFFFF;
            }
        }
    }
    hr = texture->Unlock(nullptr);
    if (DDFailed(hr))
        ThrowDXError("CopySurfaceDataIntoTexture", "IDirectDrawSurface7::Unlock failed", hr);
}

void DisplayBackendD3D::SetTexturePiece(D3DDividedTexture::Piece& piece)
{
    const DDResult hr = m_Device->SetTexture(0, piece.texture);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::SetTexturePiece", "IDirect3DDevice7::SetTexture(T) failed", hr);
    piece.isSet = true;
}

void DisplayBackendD3D::ClearTexturePiece()
{
    if (!m_Device)
        return;
    const DDResult hr = m_Device->SetTexture(0, nullptr);
    if (DDFailed(hr))
        ThrowDXError("DisplayBackendD3D::ClearTexturePiece", "IDirect3DDevice7::SetTexture(NULL) failed", hr);
    // No piece of any picture is on the device any more.
    for (SurfaceRecord* record = SurfaceManager::GetInstance()->GetHead(); record; record = record->GetNext())
        if (D3DSurface* d3d = record->GetD3DSurface())
            for (auto& piece : static_cast<D3DDividedTexture*>(d3d->GetTexture())->GetPieces())
                piece.isSet = false;
}

bool DisplayBackendD3D::HandleDisplayModeChange()
{
    VELK_ASSERT(m_CDXScreen && m_CDXScreen->GetDD());
    DDraw* dd = m_CDXScreen->GetDD();
    DDResult hr = dd->TestCooperativeLevel();
    if (hr == DDERR_EXCLUSIVEMODEALREADYSET) {
        // Another program holds the display: wait for it, but not for ever.
        int tries = 1;
        while (hr == DDERR_EXCLUSIVEMODEALREADYSET && tries < kMaxBusyDisplayTries) {
            g_Sleep(100);
            hr = dd->TestCooperativeLevel();
            ++tries;
        }
        if (hr == DDERR_EXCLUSIVEMODEALREADYSET) {
            const std::string rule = "-------------------------------------------------------------------------\n";
            LogWrite("%s", rule.c_str());
            LogWrite("DisplayBackendD3D::HandleDisplayModeChange: Error initializing display:\nPARAMS: 3daccel=ON, "
                     "fullscreen=%s\nEXCEPTION INFO:\nThe display stayed in use by another program after %d tries "
                     "(%s)\n",
                     OnOffText(IsFullScreen()), tries, DDErrorText(hr));
            LogWrite("%s", rule.c_str());
            LogWrite("DisplayBackendD3D::HandleDisplayModeChange: Falling back to the display without 3D "
                     "acceleration.\n");
            m_GaveUp = true;
            SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
            if (Application* app = APP)
                app->FallBackToSoftwareDisplay();
            return false;
        }
        // Free again: the surfaces are still lost, and are restored below
        // (a scene could not begin on them).
        if (DDFailed(hr) && hr != DDERR_WRONGMODE)
            ThrowDXError("DisplayBackendD3D::HandleDisplayModeChange",
                         "Post DDERR_EXCLUSIVEMODEALREADYSET call to IDirectDraw7::TestCooperativeLevel failed", hr);
    }
    if (m_Frame)
        m_Frame->Invalidate();
    if (!DDFailed(hr)) {
        SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
        if (m_CDXScreen->Restore() != 0)
            VELK_THROW(Exception, "CDXScreen::Restore failed");
        return true;
    }
    if (hr == DDERR_WRONGMODE) {
        VELK_ASSERT(m_CurrentDisplayParams != 0);
        const DisplayParams params = *m_CurrentDisplayParams;
        ApplyDisplayParams(params);
        return true;
    }
    ThrowDXError("DisplayBackendD3D::HandleDisplayModeChange", "IDirectDraw7::TestCooperativeLevel failed", hr);
}

void DisplayBackendD3D::ShutdownD3D()
{
    if (m_Device) {
        DDSurface* texture = nullptr;
        const DDResult hr = m_Device->GetTexture(0, &texture);
        if (DDFailed(hr))
            ThrowDXError("DisplayBackendD3D::ShutdownD3D", "IDirect3DDevice7::GetTexture failed", hr);
        if (texture) {
            // A texture left set is unset rather than held past its device.
            texture->Release();
            ClearTexturePiece();
        }
        if (m_ImageRenderer)
            m_ImageRenderer->EndScene();
        SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
        const std::uint32_t count = m_Device->Release();
        m_Device = nullptr;
        VELK_ASSERT(count == 0);
    } else {
        SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
    }
    if (m_D3D) {
        m_D3D->Release();
        m_D3D = nullptr;
    }
    m_CDXScreen.reset();
}
