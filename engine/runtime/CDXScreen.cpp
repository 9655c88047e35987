#include "engine/runtime/CDXScreen.h"

#include "engine/runtime/CDXLog.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>

namespace {

std::uint64_t RealMilliseconds()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

CDXScreen::TimeSource g_TimeSource = &RealMilliseconds;

constexpr int kDDVersion = 0x700;

int WindowId(DDWindow window)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(window));
}

} // namespace

void CDXScreen::SetTimeSource(TimeSource source)
{
    g_TimeSource = source ? source : &RealMilliseconds;
}

CDXScreen::CDXScreen()
{
    CDXLOG("START: CDXScreen::CDXScreen()");
    InitCDXScreen();
    CDXLOG("END: CDXScreen::CDXScreen()");
}

void CDXScreen::InitCDXScreen()
{
    m_BackBufferInVRAM = 1;
    m_LastFlipTime = g_TimeSource();
    CDXLOG("CDX_DDVER: 0x%X (%i)", kDDVersion, kDDVersion);
    CDXLOG("DIRECTDRAW_VERSION: 0x%X (%i)", kDDVersion, kDDVersion);
    CDXLOG("Attempting a DirectDrawCreateEx");
    if (DDFailed(DDraw::Create(&m_DD))) {
        m_DD = nullptr;
        CDXLOG("Failed to create an IID_IDirectDraw7 Interface!");
        EnumDrivers();
        return;
    }
    EnumDrivers();
    EnumVideoModes();
}

DDResult CDXScreen::EnumDrivers()
{
    CDXLOG("START: CDXScreen::EnumDrivers");
    CDXLOG("DirectDrawEnumerateEx");
    const DDResult result = DDraw::EnumerateDrivers(
        5,
        [](const DDDriverInfo& info, void* context) {
            auto* drivers = static_cast<std::vector<Driver>*>(context);
            Driver driver;
            driver.primary = info.guid == nullptr;
            driver.name = info.name;
            driver.description = info.description;
            DDraw* dd = nullptr;
            // A driver whose object or caps cannot be had is left out.
            if (DDFailed(DDraw::Create(&dd)))
                return true;
            const DDResult caps = dd->GetCaps(&driver.hardwareCaps, &driver.emulationCaps);
            dd->Release();
            if (!DDFailed(caps))
                drivers->push_back(driver);
            return true;
        },
        &m_Drivers);
    CDXLOG("Get the number of drivers");
    for (const Driver& driver : m_Drivers)
        CDXLOG("%s", driver.description.c_str());
    CDXLOG("END: CDXScreen::EnumDrivers");
    return result;
}

DDResult CDXScreen::EnumVideoModes()
{
    CDXLOG("START: CDXScreen::EnumVideoModes");
    CDXLOG("Do some init'ing");
    CDXLOG("EnumDisplayModes");
    const DDResult result = m_DD->EnumDisplayModes(
        DDEDM_STANDARDVGAMODES,
        [](const DDSurfaceDesc& desc, void* context) {
            static_cast<std::vector<VideoMode>*>(context)->push_back(
                VideoMode{static_cast<std::int32_t>(desc.width), static_cast<std::int32_t>(desc.height),
                          static_cast<std::int32_t>(desc.pixelFormat.rgbBitCount)});
            return true;
        },
        &m_VideoModes);
    if (DDFailed(result)) {
        CDXLOG("END: CDXScreen::EnumVideoModes");
        return result;
    }
    CDXLOG("Get the number of video modes");
    for (const VideoMode& mode : m_VideoModes)
        CDXLOG("w:%i, h:%i, bpp:%i", mode.width, mode.height, mode.bitsPerPixel);
    CDXLOG("END: CDXScreen::EnumVideoModes");
    return result;
}

void CDXScreen::DeleteBuffers()
{
    m_BackBuffer.reset();
    m_FrontBuffer.reset();
}

std::int32_t CDXScreen::CreateWindowed(DDWindow window, int width, int height)
{
    CDXLOG("START: CDXScreen::CreateWindowed(hwnd:%i, width:%i, height:%i)", WindowId(window), width, height);
    if (!m_DD) {
        CDXLOG("DirectDraw Interface pointer is NULL");
        return -1;
    }
    if (m_FrontBuffer) {
        CDXLOG("Attempted to recreate windowed and the front buffer is not NULL");
        return -1;
    }
    CDXLOG("Set member variables");
    m_FullScreen = 0;
    m_Width = width;
    m_Height = height;
    m_Window = window;
    CDXLOG("Get Device Caps");
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (!info || !info->vfmt)
        return -1;
    m_BitsPerPixel = info->vfmt->BitsPerPixel;

    CDXLOG("Set cooperative level");
    if (DDFailed(m_DD->SetCooperativeLevel(window, DDSCL_NORMAL)))
        return -2;

    CDXLOG("Create front buffer");
    m_FrontBuffer = std::make_unique<CDXSurface>();
    CDXLOG("Create back buffer");
    m_BackBuffer = std::make_unique<CDXSurface>();
    CDXLOG("create front buffer surface");
    DDSurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.caps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_3DDEVICE;
    desc.width = static_cast<std::uint32_t>(width);
    desc.height = static_cast<std::uint32_t>(height);
    DDSurface* front = nullptr;
    if (DDFailed(m_DD->CreateSurface(desc, &front))) {
        DeleteBuffers();
        return -4;
    }
    m_FrontBuffer->Attach(front, width, height, this);

    CDXLOG("Create back buffer surface");
    desc = DDSurfaceDesc();
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.width = static_cast<std::uint32_t>(width);
    desc.height = static_cast<std::uint32_t>(height);
    desc.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE |
                (m_BackBufferInVRAM == 1 ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
    DDSurface* back = nullptr;
    DDResult result = m_DD->CreateSurface(desc, &back);
    if (DDFailed(result) && m_BackBufferInVRAM == 1) {
        CDXLOG("Try creating back buffer in system ram");
        desc.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
        result = m_DD->CreateSurface(desc, &back);
    }
    if (DDFailed(result)) {
        DeleteBuffers();
        return -8;
    }
    m_BackBuffer->Attach(back, width, height, this);

    std::int32_t status = 0;
    CDXLOG("Create clipper object");
    if (DDFailed(m_DD->CreateClipper(0, &m_Clipper))) {
        status = -16;
    } else {
        CDXLOG("Set Hwnd (%i) for clipper", WindowId(window));
        if (DDFailed(m_Clipper->SetHWnd(0, window)))
            status |= -32;
        CDXLOG("Assign clipper object to front surface");
        if (DDFailed(front->SetClipper(m_Clipper)))
            status |= -64;
    }

    CDXLOG("Set params for front buffer");
    CDXLOG("W: %i, H: %i", width, height);
    CDXLOG("Get RGB Format for front buffer");
    m_FrontBuffer->ReadPixelFormat();
    CDXLOG("Set params for back buffer");
    CDXLOG("Get RGB Format for back buffer");
    m_BackBuffer->ReadPixelFormat();
    CDXLOG("Load default palette");
    CDXLOG("Set palette for front surface");
    front->SetPalette(nullptr);
    CDXLOG("END: CDXScreen::CreateWindowed");
    return status;
}

std::int32_t CDXScreen::CreateFullScreen(DDWindow window, int width, int height, int bitsPerPixel, int standardVGA)
{
    CDXLOG("START: CDXScreen::CreateFullScreen(hwnd:%i, width:%i, height:%i, bpp:%i, bVGA:%i)", WindowId(window),
           width, height, bitsPerPixel, standardVGA);
    if (!m_DD) {
        CDXLOG("DirectDraw Interface pointer is NULL");
        return -1;
    }
    if (m_FrontBuffer) {
        CDXLOG("Attempted to recreate in Fullscreen and the front buffer is not NULL");
        return -1;
    }
    CDXLOG("Set member variables");
    m_FullScreen = 1;
    m_Width = width;
    m_Height = height;
    m_BitsPerPixel = bitsPerPixel;
    m_Window = window;
    CDXLOG("Set cooperative level");
    if (DDFailed(m_DD->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT |
                                                       DDSCL_ALLOWMODEX)))
        return -2;
    CDXLOG("Set video mode");
    if (DDFailed(m_DD->SetDisplayMode(width, height, bitsPerPixel, 0, standardVGA ? std::uint32_t{DDSDM_STANDARDVGAMODE} : 0u)))
        return -4;

    CDXLOG("Create front buffer");
    m_FrontBuffer = std::make_unique<CDXSurface>();
    CDXLOG("Create back buffer");
    m_BackBuffer = std::make_unique<CDXSurface>();

    DDSurfaceDesc desc;
    desc.flags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    const std::uint32_t chain = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    desc.caps = chain | (m_BackBufferInVRAM ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY);
    DDSurface* front = nullptr;
    DDResult result;
    bool systemRetry = false;
    if (m_TripleBuffering) {
        desc.backBufferCount = 2;
        CDXLOG("create front buffer surface (for triple buffering)");
        result = m_DD->CreateSurface(desc, &front);
        if (DDFailed(result)) {
            m_TripleBuffering = 0;
            desc.backBufferCount = 1;
            CDXLOG("create front buffer surface (can't use triple buffering)");
            result = m_DD->CreateSurface(desc, &front);
            if (DDFailed(result) && m_BackBufferInVRAM) {
                CDXLOG("create front buffer surface (in system ram, can't use triple buffering)");
                desc.caps = chain | DDSCAPS_SYSTEMMEMORY;
                systemRetry = true;
                result = m_DD->CreateSurface(desc, &front);
            }
        }
    } else {
        desc.backBufferCount = 1;
        CDXLOG("create front buffer surface");
        result = m_DD->CreateSurface(desc, &front);
        if (DDFailed(result) && m_BackBufferInVRAM) {
            CDXLOG("create front buffer surface (in system ram)");
            desc.caps = chain | DDSCAPS_SYSTEMMEMORY;
            systemRetry = true;
            result = m_DD->CreateSurface(desc, &front);
        }
    }
    if (DDFailed(result)) {
        DeleteBuffers();
        return systemRetry ? -8 : -16;
    }
    m_FrontBuffer->Attach(front, width, height, this);

    CDXLOG("Get the attached back buffer surface");
    DDSurface* back = nullptr;
    if (DDFailed(front->GetAttachedSurface(DDSCAPS_BACKBUFFER, &back))) {
        DeleteBuffers();
        return -32;
    }
    m_BackBuffer->Attach(back, width, height, this);

    CDXLOG("Set params for front buffer");
    CDXLOG("W: %i, H: %i", width, height);
    CDXLOG("Get RGB Format for front buffer");
    m_FrontBuffer->ReadPixelFormat();
    CDXLOG("Set params for back buffer");
    CDXLOG("Get RGB Format for back buffer");
    m_BackBuffer->ReadPixelFormat();
    CDXLOG("Load default palette");
    CDXLOG("Set palette for front surface");
    front->SetPalette(nullptr);
    CDXLOG("END: CDXScreen::CreateFullScreen");
    return 0;
}

DDResult CDXScreen::Flip(int waitForVerticalBlank, int stretchWholeBuffer, int showFrameRate)
{
    CDXLog& log = CDXLog::GetInstance();
    log.WriteDetail("START: CDXScreen::Flip");
    const std::uint64_t now = g_TimeSource();
    m_MillisecondsCounted += now - m_LastFlipTime;
    m_LastFlipTime = now;
    if (m_MillisecondsCounted > 1000) {
        m_FPS = static_cast<std::int32_t>(static_cast<std::uint64_t>(m_FramesCounted) * 1000 / m_MillisecondsCounted);
        m_FramesCounted = 0;
        m_MillisecondsCounted = 0;
    }
    ++m_FramesCounted;
    if (!m_FrontBuffer || !m_BackBuffer)
        return DDERR_NOTINITIALIZED;
    // The frame-rate text needs a font on the back buffer, which this layer does not draw.
    (void)showFrameRate;

    DDResult result;
    if (m_FullScreen) {
        log.WriteDetail("do a fullscreen flip");
        result = m_FrontBuffer->GetDDS()->Flip(nullptr, waitForVerticalBlank == 1 ? DDFLIP_WAIT : DDFLIP_NOVSYNC);
    } else {
        log.WriteDetail("windowed mode flip");
        if (waitForVerticalBlank == 1)
            log.WriteDetail("START: CDXScreen::WaitForVerticalBlank");
        const DDRect dest{0, 0, m_FrontBuffer->GetWidth(), m_FrontBuffer->GetHeight()};
        const DDRect src = stretchWholeBuffer ? DDRect{0, 0, m_BackBuffer->GetWidth(), m_BackBuffer->GetHeight()}
                                              : DDRect{0, 0, std::min(dest.right, m_BackBuffer->GetWidth()),
                                                       std::min(dest.bottom, m_BackBuffer->GetHeight())};
        result = m_FrontBuffer->GetDDS()->Blt(&dest, m_BackBuffer->GetDDS(), &src, DDBLT_WAIT, 0);
    }
    if (result == DDERR_SURFACELOST)
        result = Restore();
    log.WriteDetail("END: CDXScreen::Flip");
    return result;
}

DDResult CDXScreen::Restore()
{
    CDXLOG("START: CDXScreen::Restore");
    DDResult result = DD_OK;
    if (m_FrontBuffer && m_FrontBuffer->GetDDS()->IsLost() == DDERR_SURFACELOST)
        result = m_FrontBuffer->GetDDS()->Restore();
    if (!m_FullScreen && m_BackBuffer && m_BackBuffer->GetDDS()->IsLost() == DDERR_SURFACELOST)
        result = m_BackBuffer->GetDDS()->Restore();
    CDXLOG("END: CDXScreen::Restore");
    return result;
}

void CDXScreen::AddSurface(CDXSurface* surface)
{
    m_Surfaces.push_back(surface);
}

void CDXScreen::RemoveSurface(CDXSurface* surface)
{
    if (surface == m_FrontBuffer.get() || surface == m_BackBuffer.get())
        return;
    m_Surfaces.remove(surface);
}

void CDXScreen::ClearSurfaces(bool deleteThem)
{
    std::list<CDXSurface*> surfaces;
    surfaces.swap(m_Surfaces);
    if (deleteThem)
        for (CDXSurface* surface : surfaces)
            delete surface;
}

CDXScreen::~CDXScreen()
{
    try {
        CDXLOG("START: CDXScreen::~CDXScreen");
        if (m_DD) {
            CDXLOG("Modes Ptr: %i", static_cast<int>(m_VideoModes.size()));
            m_DD->SetCooperativeLevel(m_Window, DDSCL_NORMAL);
        }
        m_VideoModes.clear();
        CDXLOG("Drivers Ptr: %i", static_cast<int>(m_Drivers.size()));
        m_Drivers.clear();
        CDXLOG("Restore Display");
        if (m_DD)
            m_DD->RestoreDisplayMode();
        CDXLOG("Freeing all surfaces");
        ClearSurfaces(false);
        CDXLOG("Delete back buffer");
        m_BackBuffer.reset();
        CDXLOG("Delete front buffer");
        m_FrontBuffer.reset();
        CDXLOG("Start releasing objects");
        CDXLOG("Release zBuffer");
        CDXLOG("Release clipper");
        if (m_Clipper)
            m_Clipper->Release();
        CDXLOG("Release Palette");
        CDXLOG("Release DirectDraw");
        if (m_DD)
            m_DD->Release();
        CDXLOG("END: CDXScreen::~CDXScreen");
    } catch (...) {
    }
}
