#include "platform/d3d/D3DLayer.h"

#include "platform/d3d/GLFunctions.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

GLFunctions g_GL;

// What the player's environment asked of SDL, before the program sets SDL's
// driver for its own start-up.
D3DLayerTestHook MakeHook()
{
    D3DLayerTestHook hook;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    hook.playerAskedForDummyVideo = driver && std::string(driver) == "dummy";
    const char* software = std::getenv("VELK_ALLOW_SOFTWARE_OPENGL");
    hook.allowSoftwareOpenGL = software && std::string(software) == "1";
    return hook;
}

D3DLayerTestHook g_Hook = MakeHook();
// Every live display object; the one whose front buffer made the OpenGL context.
std::vector<DDraw*> g_LiveDDraws;
DDraw* g_ContextOwner = nullptr;

// A nominal budget: OpenGL 1.x cannot say how much memory the card has.
constexpr std::uint32_t kNominalVideoMemory = 256u << 20;
std::uint32_t g_TextureBytes = 0;

std::int32_t PitchOf(int width, std::uint32_t bits)
{
    return static_cast<std::int32_t>(((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4);
}

DDPixelFormat StandardFormat()
{
    DDPixelFormat format;
    format.flags = DDPF_RGB | DDPF_ALPHAPIXELS;
    format.rgbBitCount = 32;
    format.rMask = 0x00FF0000;
    format.gMask = 0x0000FF00;
    format.bMask = 0x000000FF;
    format.aMask = 0xFF000000;
    return format;
}

void SetOrtho(int width, int height)
{
    const GLFunctions& gl = GL();
    gl.glViewport(0, 0, width, height);
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
}

void ClearRect(int windowHeight, const DDRect* rect, std::uint32_t argb)
{
    const GLFunctions& gl = GL();
    gl.glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                    (argb >> 24) / 255.0f);
    if (rect) {
        gl.glEnable(GL_SCISSOR_TEST);
        gl.glScissor(rect->left, windowHeight - rect->bottom, rect->right - rect->left, rect->bottom - rect->top);
    }
    gl.glClear(GL_COLOR_BUFFER_BIT);
    if (rect)
        gl.glDisable(GL_SCISSOR_TEST);
}

GLenum BlendFactor(std::uint32_t blend)
{
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    default:
        return GL_ONE;
    }
}

GLint CombineSource(std::uint32_t arg)
{
    return arg == D3DTA_TEXTURE ? GL_TEXTURE : GL_PRIMARY_COLOR;
}

// One texture-stage operation (colour or alpha) as OpenGL's combiner.
void SetCombiner(std::uint32_t op, std::uint32_t arg1, std::uint32_t arg2, GLenum combine, GLenum source0,
                 GLenum source1)
{
    const GLFunctions& gl = GL();
    switch (op) {
    case D3DTOP_SELECTARG2:
        gl.glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
        gl.glTexEnvi(GL_TEXTURE_ENV, source0, CombineSource(arg2));
        break;
    case D3DTOP_MODULATE:
        gl.glTexEnvi(GL_TEXTURE_ENV, combine, GL_MODULATE);
        gl.glTexEnvi(GL_TEXTURE_ENV, source0, CombineSource(arg1));
        gl.glTexEnvi(GL_TEXTURE_ENV, source1, CombineSource(arg2));
        break;
    default:
        gl.glTexEnvi(GL_TEXTURE_ENV, combine, GL_REPLACE);
        gl.glTexEnvi(GL_TEXTURE_ENV, source0, CombineSource(arg1));
        break;
    }
}

} // namespace

// ---------------------------------------------------------------- OpenGL

bool LoadGLFunctions()
{
    bool complete = true;
#define D3DLAYER_GL_LOAD(ret, name, args)                                                      \
    g_GL.name = reinterpret_cast<ret(*) args>(SDL_GL_GetProcAddress(#name));                  \
    complete = complete && g_GL.name != nullptr;
    D3DLAYER_GL_FUNCTIONS(D3DLAYER_GL_LOAD)
#undef D3DLAYER_GL_LOAD
    g_GL.loaded = complete;
    return complete;
}

const GLFunctions& GL()
{
    return g_GL;
}

void UnloadGLFunctions()
{
    g_GL = GLFunctions();
}

const char* DDErrorText(DDResult result)
{
    switch (result) {
    case DD_OK:
        return "DD_OK: The request completed successfully.";
    case DDERR_GENERIC:
        return "DDERR_GENERIC: There is an undefined error condition.";
    case DDERR_UNSUPPORTED:
        return "DDERR_UNSUPPORTED: The operation is not supported.";
    case DDERR_INVALIDPARAMS:
        return "DDERR_INVALIDPARAMS: One or more of the parameters passed to the method are incorrect.";
    case DDERR_OUTOFMEMORY:
        return "DDERR_OUTOFMEMORY: There is not enough memory to perform the operation.";
    case DDERR_INVALIDOBJECT:
        return "DDERR_INVALIDOBJECT: An invalid object was passed.";
    case DDERR_NOTLOCKED:
        return "DDERR_NOTLOCKED: The surface is not locked.";
    case DDERR_OUTOFVIDEOMEMORY:
        return "DDERR_OUTOFVIDEOMEMORY: There is not enough display memory to perform the operation.";
    case DDERR_SURFACEBUSY:
        return "DDERR_SURFACEBUSY: The surface is locked.";
    case DDERR_SURFACELOST:
        return "DDERR_SURFACELOST: The surface memory was lost and must be restored.";
    case DDERR_NOCOOPERATIVELEVELSET:
        return "DDERR_NOCOOPERATIVELEVELSET: No cooperative level was set.";
    case DDERR_EXCLUSIVEMODEALREADYSET:
        return "DDERR_EXCLUSIVEMODEALREADYSET: Another program holds the display in exclusive mode.";
    case DDERR_WRONGMODE:
        return "DDERR_WRONGMODE: The surface was made in another display mode.";
    case DDERR_NOTINITIALIZED:
        return "DDERR_NOTINITIALIZED: The object was used before it was initialized.";
    case DDERR_NO3D:
        return "DDERR_NO3D: No 3D hardware is present; the OpenGL renderer draws in software.";
    case D3DERR_SCENE_IN_SCENE:
        return "D3DERR_SCENE_IN_SCENE: A scene is already open.";
    case D3DERR_SCENE_NOT_IN_SCENE:
        return "D3DERR_SCENE_NOT_IN_SCENE: No scene is open.";
    default:
        return "Unknown error.";
    }
}

// ---------------------------------------------------------------- probes

bool IsD3DLayerLibraryPresent(const char* libraryName)
{
    void* library = dlopen(libraryName, RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return false;
    const bool found = dlsym(library, "glXGetProcAddressARB") != nullptr;
    dlclose(library);
    return found;
}

namespace {

bool OffersDirectRendering(Display* display)
{
    for (const char* extension : {"DRI3", "DRI2", "NV-GLX", "NV-CONTROL", "ATIFGLRXDRI"}) {
        int opcode = 0, eventBase = 0, errorBase = 0;
        if (XQueryExtension(display, extension, &opcode, &eventBase, &errorBase))
            return true;
    }
    return false;
}

} // namespace

bool CanBringUpD3DLayer(bool* mayHaveHardware)
{
    if (mayHaveHardware)
        *mayHaveHardware = false;
    if (g_Hook.noOpenGL)
        return false;
    if (g_Hook.playerAskedForDummyVideo)
        return false;
    void* library = dlopen("libGL.so.1", RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return false;
    using QueryExtension = int (*)(Display*, int*, int*);
    auto query = reinterpret_cast<QueryExtension>(dlsym(library, "glXQueryExtension"));
    bool result = false;
    if (query) {
        if (Display* display = XOpenDisplay(nullptr)) {
            int errorBase = 0, eventBase = 0;
            result = query(display, &errorBase, &eventBase) != 0;
            if (result && mayHaveHardware)
                *mayHaveHardware = g_Hook.allowSoftwareOpenGL || OffersDirectRendering(display);
            XCloseDisplay(display);
        }
    }
    dlclose(library);
    return result;
}

bool IsSoftwareOpenGLRenderer(const char* renderer)
{
    if (!renderer)
        return false;
    const std::string name = renderer;
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR", "GDI Generic"})
        if (name.find(software) != std::string::npos)
            return true;
    return false;
}

D3DLayerTestHook& GetD3DLayerTestHook()
{
    return g_Hook;
}

void LoseAllD3DLayerSurfaces()
{
    for (DDraw* dd : g_LiveDDraws)
        for (DDSurface* surface : dd->m_Surfaces)
            surface->m_Lost = true;
}

// ---------------------------------------------------------------- DDSurface

DDSurface::DDSurface(DDraw* owner, Kind kind, std::uint32_t caps, int width, int height, const DDPixelFormat& format)
    : m_Owner(owner), m_Kind(kind), m_Caps(caps), m_Width(width), m_Height(height), m_Format(format),
      m_Pitch(PitchOf(width, format.rgbBitCount))
{
    if (m_Kind == Kind::Memory)
        m_Pixels.assign(static_cast<std::size_t>(m_Pitch) * static_cast<std::size_t>(height), 0);
    if (format.rgbBitCount == 8)
        m_Palette.assign(256, 0);
    owner->m_Surfaces.push_back(this);
    owner->AddRef();
}

DDSurface::~DDSurface()
{
    if (m_Texture) {
        if (g_GL.loaded)
            g_GL.glDeleteTextures(1, &m_Texture);
        g_TextureBytes -= static_cast<std::uint32_t>(m_Width * m_Height * 4);
    }
    if (m_Attached)
        m_Attached->Release();
    if (m_Clipper)
        m_Clipper->Release();
    auto& list = m_Owner->m_Surfaces;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (m_Owner->m_FrontBuffer == this)
        m_Owner->m_FrontBuffer = nullptr;
    if (m_Owner->m_RenderTarget == this)
        m_Owner->m_RenderTarget = nullptr;
    m_Owner->Release();
}

std::uint32_t DDSurface::Release()
{
    const std::uint32_t count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

void DDSurface::ReadBack()
{
    m_Pixels.assign(static_cast<std::size_t>(m_Pitch) * static_cast<std::size_t>(m_Height), 0);
    if (!g_GL.loaded)
        return;
    g_GL.glReadBuffer(m_Kind == Kind::FrontBuffer ? GL_FRONT : GL_BACK);
    g_GL.glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::vector<std::uint8_t> rows(m_Pixels.size());
    g_GL.glReadPixels(0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
    // OpenGL counts rows from the bottom.
    for (int y = 0; y < m_Height; ++y)
        std::memcpy(&m_Pixels[static_cast<std::size_t>(y) * m_Pitch],
                    &rows[static_cast<std::size_t>(m_Height - 1 - y) * m_Pitch], static_cast<std::size_t>(m_Pitch));
}

void DDSurface::WriteBack()
{
    if (!g_GL.loaded)
        return;
    if (m_Kind == Kind::Texture) {
        g_GL.glBindTexture(GL_TEXTURE_2D, m_Texture);
        g_GL.glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        g_GL.glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE, m_Pixels.data());
    } else if (m_Kind == Kind::BackBuffer) {
        SetOrtho(m_Width, m_Height);
        g_GL.glDisable(GL_BLEND);
        g_GL.glDisable(GL_TEXTURE_2D);
        g_GL.glRasterPos2i(0, 0);
        g_GL.glPixelZoom(1.0f, -1.0f);
        g_GL.glDrawPixels(m_Width, m_Height, GL_BGRA, GL_UNSIGNED_BYTE, m_Pixels.data());
        g_GL.glPixelZoom(1.0f, 1.0f);
    }
}

DDResult DDSurface::Lock(const DDRect*, DDSurfaceDesc* desc, std::uint32_t)
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    if (m_Lost)
        return DDERR_SURFACELOST;
    if (m_Locked)
        return DDERR_SURFACEBUSY;
    if (m_Kind == Kind::Texture)
        m_Pixels.assign(static_cast<std::size_t>(m_Pitch) * static_cast<std::size_t>(m_Height), 0);
    else if (m_Kind != Kind::Memory)
        ReadBack();
    m_Locked = true;
    GetSurfaceDesc(desc);
    desc->surface = m_Pixels.data();
    return DD_OK;
}

DDResult DDSurface::Unlock(const DDRect*)
{
    if (!m_Locked)
        return DDERR_NOTLOCKED;
    m_Locked = false;
    if (m_Lost)
        return DDERR_SURFACELOST;
    if (m_Kind != Kind::Memory) {
        WriteBack();
        // Only memory surfaces keep their pixels here.
        std::vector<std::uint8_t>().swap(m_Pixels);
    }
    return DD_OK;
}

DDResult DDSurface::GetSurfaceDesc(DDSurfaceDesc* desc) const
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    *desc = DDSurfaceDesc();
    desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = static_cast<std::uint32_t>(m_Width);
    desc->height = static_cast<std::uint32_t>(m_Height);
    desc->pitch = m_Pitch;
    desc->pixelFormat = m_Format;
    desc->caps = m_Caps;
    return DD_OK;
}

DDResult DDSurface::GetPixelFormat(DDPixelFormat* format) const
{
    if (!format)
        return DDERR_INVALIDPARAMS;
    *format = m_Format;
    return DD_OK;
}

DDResult DDSurface::Blt(const DDRect* destRect, DDSurface* source, const DDRect* srcRect, std::uint32_t flags,
                        std::uint32_t fillColor)
{
    if (m_Lost || (source && source->m_Lost))
        return DDERR_SURFACELOST;
    if (m_Locked || (source && source->m_Locked))
        return DDERR_SURFACEBUSY;
    DDRect dest = destRect ? *destRect : DDRect{0, 0, m_Width, m_Height};
    dest.left = std::max(dest.left, 0);
    dest.top = std::max(dest.top, 0);
    dest.right = std::min(dest.right, static_cast<std::int32_t>(m_Width));
    dest.bottom = std::min(dest.bottom, static_cast<std::int32_t>(m_Height));
    if (dest.right <= dest.left || dest.bottom <= dest.top)
        return DD_OK;

    if (flags & DDBLT_COLORFILL) {
        if (m_Kind == Kind::BackBuffer) {
            if (!g_GL.loaded)
                return DDERR_NOTINITIALIZED;
            ClearRect(m_Height, &dest, fillColor | (m_Format.aMask ? 0 : 0xFF000000));
            return DD_OK;
        }
        if (m_Kind != Kind::Memory)
            return DDERR_UNSUPPORTED;
        const std::uint32_t bytes = m_Format.rgbBitCount / 8;
        for (int y = dest.top; y < dest.bottom; ++y) {
            std::uint8_t* row = &m_Pixels[static_cast<std::size_t>(y) * m_Pitch];
            for (int x = dest.left; x < dest.right; ++x)
                std::memcpy(row + static_cast<std::size_t>(x) * bytes, &fillColor, bytes);
        }
        return DD_OK;
    }

    if (!source)
        return DDERR_INVALIDPARAMS;
    if (source->m_Kind == Kind::BackBuffer && m_Kind == Kind::FrontBuffer) {
        // Our back buffer is the window's size: presenting is the swap.
        SDL_GL_SwapBuffers();
        return DD_OK;
    }
    if (source->m_Kind != Kind::Memory || (m_Kind != Kind::Memory && m_Kind != Kind::Texture &&
                                           m_Kind != Kind::BackBuffer))
        return DDERR_UNSUPPORTED;
    if (source->m_Format.rgbBitCount != m_Format.rgbBitCount)
        return DDERR_UNSUPPORTED;
    const DDRect src = srcRect ? *srcRect : DDRect{0, 0, source->m_Width, source->m_Height};
    const int srcW = src.right - src.left, srcH = src.bottom - src.top;
    if (srcW <= 0 || srcH <= 0 || src.left < 0 || src.top < 0 || src.right > source->m_Width ||
        src.bottom > source->m_Height)
        return DDERR_INVALIDPARAMS;
    const bool memory = m_Kind == Kind::Memory;
    if (!memory) {
        DDSurfaceDesc desc;
        const DDResult locked = Lock(nullptr, &desc, 0);
        if (DDFailed(locked))
            return locked;
    }
    // Scaled by picking the nearest source pixel.
    const std::uint32_t bytes = m_Format.rgbBitCount / 8;
    const int destW = destRect ? destRect->right - destRect->left : m_Width;
    const int destH = destRect ? destRect->bottom - destRect->top : m_Height;
    const int originX = destRect ? destRect->left : 0, originY = destRect ? destRect->top : 0;
    for (int y = dest.top; y < dest.bottom; ++y) {
        const int sy = src.top + (y - originY) * srcH / std::max(destH, 1);
        for (int x = dest.left; x < dest.right; ++x) {
            const int sx = src.left + (x - originX) * srcW / std::max(destW, 1);
            std::memcpy(&m_Pixels[static_cast<std::size_t>(y) * m_Pitch + static_cast<std::size_t>(x) * bytes],
                        &source->m_Pixels[static_cast<std::size_t>(sy) * source->m_Pitch +
                                          static_cast<std::size_t>(sx) * bytes],
                        bytes);
        }
    }
    return memory ? DD_OK : Unlock(nullptr);
}

DDResult DDSurface::Flip(DDSurface*, std::uint32_t)
{
    if (m_Kind != Kind::FrontBuffer || !m_Attached)
        return DDERR_UNSUPPORTED;
    if (m_Lost)
        return DDERR_SURFACELOST;
    SDL_GL_SwapBuffers();
    return DD_OK;
}

DDResult DDSurface::GetAttachedSurface(std::uint32_t caps, DDSurface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!m_Attached || !(caps & DDSCAPS_BACKBUFFER))
        return DDERR_INVALIDPARAMS;
    m_Attached->AddRef();
    *out = m_Attached;
    return DD_OK;
}

DDResult DDSurface::Restore()
{
    m_Lost = false;
    // The front buffer of a flipping chain brings its back buffer with it.
    if (m_Attached)
        m_Attached->m_Lost = false;
    return DD_OK;
}

DDResult DDSurface::SetClipper(DDClipper* clipper)
{
    if (clipper)
        clipper->AddRef();
    if (m_Clipper)
        m_Clipper->Release();
    m_Clipper = clipper;
    return DD_OK;
}

DDResult DDSurface::GetPalette(std::vector<std::uint32_t>* entries) const
{
    if (!entries)
        return DDERR_INVALIDPARAMS;
    if (m_Palette.empty())
        return DDERR_UNSUPPORTED;
    *entries = m_Palette;
    return DD_OK;
}

DDResult DDSurface::SetPalette(const std::vector<std::uint32_t>* entries)
{
    if (m_Format.rgbBitCount != 8)
        return entries ? DDERR_UNSUPPORTED : DD_OK;
    if (entries) {
        m_Palette = *entries;
        m_Palette.resize(256, 0);
    }
    return DD_OK;
}

// ---------------------------------------------------------------- DDClipper

DDResult DDClipper::SetHWnd(std::uint32_t, DDWindow window)
{
    m_Window = window;
    return DD_OK;
}

std::uint32_t DDClipper::Release()
{
    const std::uint32_t count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

// ---------------------------------------------------------------- DDraw

DDResult DDraw::Create(DDraw** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (g_Hook.failCreate)
        return DDERR_GENERIC;
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return DDERR_NOTINITIALIZED;
    *out = new DDraw();
    g_LiveDDraws.push_back(*out);
    return DD_OK;
}

DDraw::~DDraw()
{
    g_LiveDDraws.erase(std::remove(g_LiveDDraws.begin(), g_LiveDDraws.end(), this), g_LiveDDraws.end());
    if (g_ContextOwner == this) {
        g_ContextOwner = nullptr;
        UnloadGLFunctions();
    }
}

std::uint32_t DDraw::Release()
{
    const std::uint32_t count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

DDResult DDraw::EnumerateDrivers(std::uint32_t, bool (*callback)(const DDDriverInfo&, void*), void* context)
{
    if (!callback)
        return DDERR_INVALIDPARAMS;
    DDDriverInfo info;
    std::snprintf(info.name, sizeof(info.name), "display");
    std::snprintf(info.description, sizeof(info.description), "OpenGL display driver (%s)",
                  SDL_WasInit(SDL_INIT_VIDEO) ? "SDL" : "not started");
    callback(info, context);
    return DD_OK;
}

DDResult DDraw::SetCooperativeLevel(DDWindow window, std::uint32_t flags)
{
    if ((flags & DDSCL_EXCLUSIVE) && !(flags & DDSCL_FULLSCREEN))
        return DDERR_INVALIDPARAMS;
    m_Window = window;
    m_CooperativeLevel = flags;
    m_FullScreen = (flags & DDSCL_FULLSCREEN) != 0;
    return DD_OK;
}

DDResult DDraw::SetDisplayMode(int width, int height, int bitsPerPixel, int, std::uint32_t)
{
    if (!(m_CooperativeLevel & DDSCL_EXCLUSIVE))
        return DDERR_NOCOOPERATIVELEVELSET;
    if (width <= 0 || height <= 0 || bitsPerPixel != 32)
        return DDERR_INVALIDPARAMS;
    m_ModeWidth = width;
    m_ModeHeight = height;
    m_ModeBits = bitsPerPixel;
    return DD_OK;
}

DDResult DDraw::RestoreDisplayMode()
{
    // SDL gives the desktop its mode back when the window goes.
    m_ModeWidth = m_ModeHeight = m_ModeBits = 0;
    return DD_OK;
}

DDResult DDraw::EnumDisplayModes(std::uint32_t, bool (*callback)(const DDSurfaceDesc&, void*), void* context)
{
    if (!callback)
        return DDERR_INVALIDPARAMS;
    SDL_Rect** modes = SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_OPENGL);
    if (!modes)
        return DD_OK;
    auto report = [&](int w, int h) {
        DDSurfaceDesc desc;
        desc.flags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc.width = static_cast<std::uint32_t>(w);
        desc.height = static_cast<std::uint32_t>(h);
        desc.pixelFormat = StandardFormat();
        return callback(desc, context);
    };
    if (modes == reinterpret_cast<SDL_Rect**>(-1)) {
        // Any size will do: offer the usual ones.
        for (auto [w, h] : {std::pair{640, 480}, {800, 600}, {1024, 768}})
            if (!report(w, h))
                break;
        return DD_OK;
    }
    for (int i = 0; modes[i]; ++i)
        if (!report(modes[i]->w, modes[i]->h))
            break;
    return DD_OK;
}

DDResult DDraw::GetCaps(DDCaps* driverCaps, DDCaps* emulationCaps) const
{
    if (driverCaps) {
        // 3D, blits, colour-fill blits, stretched blits.
        driverCaps->caps = 0x00000001 | 0x00000040 | 0x04000000 | 0x00000200;
        driverCaps->caps2 = 0;
        driverCaps->videoMemoryTotal = kNominalVideoMemory;
        driverCaps->videoMemoryFree = kNominalVideoMemory - std::min(g_TextureBytes, kNominalVideoMemory);
    }
    if (emulationCaps)
        *emulationCaps = DDCaps{0x00000040 | 0x04000000 | 0x00000200, 0, 0, 0};
    return DD_OK;
}

DDResult DDraw::CreateSurface(const DDSurfaceDesc& desc, DDSurface** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!m_CooperativeLevel)
        return DDERR_NOCOOPERATIVELEVELSET;
    const std::uint32_t caps = desc.caps;
    const int width = static_cast<int>(desc.width), height = static_cast<int>(desc.height);

    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (m_FrontBuffer)
            return DDERR_INVALIDPARAMS;
        const int w = m_FullScreen ? m_ModeWidth : width;
        const int h = m_FullScreen ? m_ModeHeight : height;
        if (w <= 0 || h <= 0)
            return DDERR_INVALIDPARAMS;
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
        const Uint32 flags = SDL_OPENGL | (m_FullScreen ? SDL_FULLSCREEN : 0);
        if (!SDL_SetVideoMode(w, h, 32, flags))
            return DDERR_GENERIC;
        if (!LoadGLFunctions())
            return DDERR_GENERIC;
        g_ContextOwner = this;
        SetOrtho(w, h);
        auto* front = new DDSurface(this, DDSurface::Kind::FrontBuffer, caps | DDSCAPS_VIDEOMEMORY, w, h,
                                    StandardFormat());
        m_FrontBuffer = front;
        if ((caps & DDSCAPS_FLIP) && desc.backBufferCount > 0) {
            auto* back = new DDSurface(this, DDSurface::Kind::BackBuffer,
                                       DDSCAPS_BACKBUFFER | DDSCAPS_3DDEVICE | DDSCAPS_VIDEOMEMORY, w, h,
                                       StandardFormat());
            front->m_Attached = back;
            m_RenderTarget = back;
        }
        *out = front;
        return DD_OK;
    }

    if (width <= 0 || height <= 0)
        return DDERR_INVALIDPARAMS;
    const DDPixelFormat format = (desc.flags & DDSD_PIXELFORMAT) ? desc.pixelFormat : StandardFormat();
    if (format.rgbBitCount != 8 && format.rgbBitCount != 16 && format.rgbBitCount != 24 && format.rgbBitCount != 32)
        return DDERR_INVALIDPARAMS;

    if (caps & DDSCAPS_TEXTURE) {
        if (!g_GL.loaded)
            return DDERR_NOTINITIALIZED;
        if (format.rgbBitCount != 32)
            return DDERR_UNSUPPORTED;
        GLint maxSize = 0;
        g_GL.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        if (width > maxSize || height > maxSize)
            return DDERR_INVALIDPARAMS;
        auto* texture = new DDSurface(this, DDSurface::Kind::Texture, caps | DDSCAPS_VIDEOMEMORY, width, height, format);
        while (g_GL.glGetError() != GL_NO_ERROR) {
        }
        g_GL.glGenTextures(1, &texture->m_Texture);
        g_GL.glBindTexture(GL_TEXTURE_2D, texture->m_Texture);
        g_GL.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        g_TextureBytes += static_cast<std::uint32_t>(width * height * 4);
        if (g_GL.glGetError() != GL_NO_ERROR) {
            texture->Release();
            return DDERR_OUTOFVIDEOMEMORY;
        }
        *out = texture;
        return DD_OK;
    }

    if ((caps & DDSCAPS_3DDEVICE) && (caps & DDSCAPS_VIDEOMEMORY)) {
        // The one render target: the window's back buffer, of the window's size.
        if (!m_FrontBuffer || m_RenderTarget || width != m_FrontBuffer->m_Width || height != m_FrontBuffer->m_Height)
            return DDERR_OUTOFVIDEOMEMORY;
        m_RenderTarget = new DDSurface(this, DDSurface::Kind::BackBuffer, caps, width, height, StandardFormat());
        *out = m_RenderTarget;
        return DD_OK;
    }
    if (caps & DDSCAPS_3DDEVICE)
        return DDERR_UNSUPPORTED;
    *out = new DDSurface(this, DDSurface::Kind::Memory, caps, width, height, format);
    return DD_OK;
}

DDResult DDraw::CreateClipper(std::uint32_t, DDClipper** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new DDClipper();
    return DD_OK;
}

DDResult DDraw::TestCooperativeLevel()
{
    if (g_Hook.exclusiveModeHeldElsewhere != 0) {
        if (g_Hook.exclusiveModeHeldElsewhere > 0)
            --g_Hook.exclusiveModeHeldElsewhere;
        return DDERR_EXCLUSIVEMODEALREADYSET;
    }
    if (g_Hook.wrongMode > 0) {
        --g_Hook.wrongMode;
        return DDERR_WRONGMODE;
    }
    return m_CooperativeLevel ? DD_OK : DDERR_NOCOOPERATIVELEVELSET;
}

DDResult DDraw::FlipToGDISurface()
{
    // The window system draws its dialogs over ours already.
    return m_FullScreen ? DD_OK : DDERR_NOTINITIALIZED;
}

DDResult DDraw::QueryDirect3D(D3D** out)
{
    if (!out)
        return DDERR_INVALIDPARAMS;
    *out = new D3D(this);
    AddRef();
    return DD_OK;
}

// ---------------------------------------------------------------- D3D

std::uint32_t D3D::Release()
{
    const std::uint32_t count = --m_RefCount;
    if (count == 0) {
        m_Owner->Release();
        delete this;
    }
    return count;
}

DDResult D3D::CreateDevice(const char* deviceName, DDSurface* target, D3DDevice** out)
{
    if (!out || !target || !deviceName)
        return DDERR_INVALIDPARAMS;
    *out = nullptr;
    const std::string name = deviceName;
    if (name != "IID_IDirect3DHALDevice" && name != "IID_IDirect3DMMXDevice")
        return DDERR_UNSUPPORTED;
    if (target != m_Owner->m_RenderTarget || !(target->GetCaps() & DDSCAPS_3DDEVICE) || !g_GL.loaded)
        return DDERR_INVALIDPARAMS;
    // A rasteriser on the processor draws a whole frame slower than the
    // software display draws what changed: no hardware device on it.
    if (name == "IID_IDirect3DHALDevice" && !g_Hook.allowSoftwareOpenGL &&
        IsSoftwareOpenGLRenderer(reinterpret_cast<const char*>(g_GL.glGetString(GL_RENDERER))))
        return DDERR_NO3D;
    *out = new D3DDevice(m_Owner, target);
    return DD_OK;
}

// ---------------------------------------------------------------- D3DDevice

D3DDevice::D3DDevice(DDraw* owner, DDSurface* target) : m_Owner(owner), m_Target(target)
{
    m_Owner->AddRef();
    m_Target->AddRef();
    // The defaults a new device starts with.
    m_RenderStates[D3DRENDERSTATE_ZENABLE] = 1;
    m_RenderStates[D3DRENDERSTATE_ZWRITEENABLE] = 1;
    m_RenderStates[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    m_RenderStates[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    m_RenderStates[D3DRENDERSTATE_CULLMODE] = 3;
    m_RenderStates[D3DRENDERSTATE_LIGHTING] = 1;
    m_StageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    m_StageStates[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    m_StageStates[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    m_StageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    m_StageStates[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    m_StageStates[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    m_StageStates[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    m_StageStates[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    m_StageStates[D3DTSS_MAGFILTER] = D3DTFG_POINT;
    m_StageStates[D3DTSS_MINFILTER] = D3DTFG_POINT;
    m_StageStates[D3DTSS_MIPFILTER] = D3DTFP_NONE;
    m_Viewport.width = static_cast<std::uint32_t>(target->m_Width);
    m_Viewport.height = static_cast<std::uint32_t>(target->m_Height);
    g_GL.glDisable(GL_DEPTH_TEST);
    g_GL.glDisable(GL_CULL_FACE);
    g_GL.glDisable(GL_LIGHTING);
    g_GL.glDisable(GL_DITHER);
    g_GL.glShadeModel(GL_SMOOTH);
    SetOrtho(target->m_Width, target->m_Height);
}

D3DDevice::~D3DDevice()
{
    if (m_Texture)
        m_Texture->Release();
    m_Target->Release();
    m_Owner->Release();
}

std::uint32_t D3DDevice::Release()
{
    const std::uint32_t count = --m_RefCount;
    if (count == 0)
        delete this;
    return count;
}

DDResult D3DDevice::BeginScene()
{
    if (m_InScene)
        return D3DERR_SCENE_IN_SCENE;
    if (DDFailed(m_Target->IsLost()))
        return DDERR_SURFACELOST;
    m_InScene = true;
    m_StatesDirty = true;
    return DD_OK;
}

DDResult D3DDevice::EndScene()
{
    if (!m_InScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    m_InScene = false;
    return DD_OK;
}

DDResult D3DDevice::SetRenderState(std::uint32_t type, std::uint32_t value)
{
    if (type >= D3DRENDERSTATE_COUNT)
        return DDERR_INVALIDPARAMS;
    m_RenderStates[type] = value;
    m_StatesDirty = true;
    ++m_StateChangeCount;
    return DD_OK;
}

DDResult D3DDevice::GetRenderState(std::uint32_t type, std::uint32_t* value) const
{
    if (type >= D3DRENDERSTATE_COUNT || !value)
        return DDERR_INVALIDPARAMS;
    *value = m_RenderStates[type];
    return DD_OK;
}

DDResult D3DDevice::SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value)
{
    // One stage: the images need no more.
    if (stage != 0 || type >= D3DTSS_COUNT)
        return DDERR_INVALIDPARAMS;
    m_StageStates[type] = value;
    m_StatesDirty = true;
    ++m_StateChangeCount;
    return DD_OK;
}

DDResult D3DDevice::GetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t* value) const
{
    if (stage != 0 || type >= D3DTSS_COUNT || !value)
        return DDERR_INVALIDPARAMS;
    *value = m_StageStates[type];
    return DD_OK;
}

DDResult D3DDevice::SetTexture(std::uint32_t stage, DDSurface* texture)
{
    if (stage != 0 || (texture && !(texture->GetCaps() & DDSCAPS_TEXTURE)))
        return DDERR_INVALIDPARAMS;
    if (texture)
        texture->AddRef();
    if (m_Texture)
        m_Texture->Release();
    m_Texture = texture;
    m_StatesDirty = true;
    return DD_OK;
}

DDResult D3DDevice::GetTexture(std::uint32_t stage, DDSurface** texture)
{
    if (stage != 0 || !texture)
        return DDERR_INVALIDPARAMS;
    *texture = m_Texture;
    if (m_Texture)
        m_Texture->AddRef();
    return DD_OK;
}

void D3DDevice::ApplyStates()
{
    const GLFunctions& gl = g_GL;
    if (m_RenderStates[D3DRENDERSTATE_ALPHABLENDENABLE]) {
        gl.glEnable(GL_BLEND);
        gl.glBlendFunc(BlendFactor(m_RenderStates[D3DRENDERSTATE_SRCBLEND]),
                       BlendFactor(m_RenderStates[D3DRENDERSTATE_DESTBLEND]));
    } else {
        gl.glDisable(GL_BLEND);
    }
    const std::uint32_t* s = m_StageStates;
    if (m_Texture && s[D3DTSS_COLOROP] != D3DTOP_DISABLE) {
        gl.glEnable(GL_TEXTURE_2D);
        gl.glBindTexture(GL_TEXTURE_2D, m_Texture->m_Texture);
        const bool linearMin = s[D3DTSS_MINFILTER] == D3DTFG_LINEAR;
        const bool linearMag = s[D3DTSS_MAGFILTER] == D3DTFG_LINEAR;
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linearMin ? GL_LINEAR : GL_NEAREST);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                           s[D3DTSS_ADDRESSU] == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                           s[D3DTSS_ADDRESSV] == D3DTADDRESS_CLAMP ? GL_CLAMP_TO_EDGE : GL_REPEAT);
        gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        SetCombiner(s[D3DTSS_COLOROP], s[D3DTSS_COLORARG1], s[D3DTSS_COLORARG2], GL_COMBINE_RGB, GL_SOURCE0_RGB,
                    GL_SOURCE1_RGB);
        SetCombiner(s[D3DTSS_ALPHAOP], s[D3DTSS_ALPHAARG1], s[D3DTSS_ALPHAARG2], GL_COMBINE_ALPHA, GL_SOURCE0_ALPHA,
                    GL_SOURCE1_ALPHA);
    } else {
        gl.glDisable(GL_TEXTURE_2D);
    }
    m_StatesDirty = false;
}

DDResult D3DDevice::DrawPrimitive(std::uint32_t primitiveType, std::uint32_t vertexFormat, const void* vertices,
                                  std::uint32_t count, std::uint32_t)
{
    if (!m_InScene)
        return D3DERR_SCENE_NOT_IN_SCENE;
    if (vertexFormat != D3DFVF_TLVERTEX || !vertices || count < 3)
        return DDERR_INVALIDPARAMS;
    if (primitiveType != D3DPT_TRIANGLESTRIP && primitiveType != D3DPT_TRIANGLELIST)
        return DDERR_UNSUPPORTED;
    if (m_Target->m_Lost)
        return DDERR_SURFACELOST;
    // A texture's pixels may have changed the binding since the last draw.
    if (m_StatesDirty || m_Texture)
        ApplyStates();
    const GLFunctions& gl = g_GL;
    const auto* v = static_cast<const D3DTLVertex*>(vertices);
    gl.glBegin(primitiveType == D3DPT_TRIANGLESTRIP ? GL_TRIANGLE_STRIP : GL_TRIANGLES);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t c = v[i].color;
        gl.glColor4ub(static_cast<GLubyte>(c >> 16), static_cast<GLubyte>(c >> 8), static_cast<GLubyte>(c),
                      static_cast<GLubyte>(c >> 24));
        gl.glTexCoord2f(v[i].tu, v[i].tv);
        // Pixel centres lie on whole numbers here, half-way in OpenGL.
        gl.glVertex2f(v[i].sx + 0.5f, v[i].sy + 0.5f);
    }
    gl.glEnd();
    ++m_PrimitiveCount;
    return DD_OK;
}

DDResult D3DDevice::Clear(std::uint32_t count, const DDRect* rects, std::uint32_t flags, std::uint32_t color, float,
                          std::uint32_t)
{
    if (!(flags & D3DCLEAR_TARGET))
        return DD_OK;
    if (m_Target->m_Lost)
        return DDERR_SURFACELOST;
    const DDRect whole{static_cast<std::int32_t>(m_Viewport.x), static_cast<std::int32_t>(m_Viewport.y),
                       static_cast<std::int32_t>(m_Viewport.x + m_Viewport.width),
                       static_cast<std::int32_t>(m_Viewport.y + m_Viewport.height)};
    if (count == 0 || !rects) {
        ClearRect(m_Target->m_Height, &whole, color);
        return DD_OK;
    }
    for (std::uint32_t i = 0; i < count; ++i)
        ClearRect(m_Target->m_Height, &rects[i], color);
    return DD_OK;
}

DDResult D3DDevice::SetViewport(const D3DViewport& viewport)
{
    if (viewport.width == 0 || viewport.height == 0 ||
        viewport.x + viewport.width > static_cast<std::uint32_t>(m_Target->m_Width) ||
        viewport.y + viewport.height > static_cast<std::uint32_t>(m_Target->m_Height))
        return DDERR_INVALIDPARAMS;
    m_Viewport = viewport;
    const GLFunctions& gl = g_GL;
    gl.glViewport(static_cast<GLint>(viewport.x),
                  static_cast<GLint>(m_Target->m_Height - static_cast<int>(viewport.y + viewport.height)),
                  static_cast<GLsizei>(viewport.width), static_cast<GLsizei>(viewport.height));
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(viewport.x, viewport.x + viewport.width, viewport.y + viewport.height, viewport.y, -1.0, 1.0);
    gl.glMatrixMode(GL_MODELVIEW);
    return DD_OK;
}

DDResult D3DDevice::GetViewport(D3DViewport* viewport) const
{
    if (!viewport)
        return DDERR_INVALIDPARAMS;
    *viewport = m_Viewport;
    return DD_OK;
}

DDResult D3DDevice::GetCaps(D3DDeviceDesc* desc) const
{
    if (!desc)
        return DDERR_INVALIDPARAMS;
    GLint maxSize = 0;
    g_GL.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    desc->maxTextureWidth = desc->maxTextureHeight = static_cast<std::uint32_t>(maxSize);
    desc->devCaps = 0;
    return DD_OK;
}
