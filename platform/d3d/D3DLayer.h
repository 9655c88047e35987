#pragma once

#include <cstdint>
#include <vector>

// Our own small stand-in for the 2002-era DirectDraw 7 / Direct3D 7 pair the
// accelerated display was written against, over OpenGL 1.x fixed function in
// SDL 1.2's OpenGL mode. It offers only what the screen layer (CDXScreen,
// CDXSurface) and the accelerated back end use: one display object with
// cooperative level, modes, drivers and caps; surfaces (the window's front
// buffer, its back buffer, plain surfaces in system memory, textures) with
// counted-free Lock/Unlock, Blt and colour fill; a clipper; and a device that
// draws strips of pre-transformed vertices with a small set of blend and
// texture-stage states. Results are HRESULT-style codes.
//
// What it cannot do: more than one render target (the window's back buffer),
// depth buffers, palettes, mip maps, or any primitive but strips and lists of
// pre-transformed vertices. OpenGL never loses its surfaces; the test hook
// below makes lost surfaces and a busy display happen on demand.
// Main thread only, one window at a time.

using DDResult = std::int32_t;

constexpr DDResult DD_OK = 0;
constexpr DDResult DDERR_GENERIC = static_cast<DDResult>(0x80004005);
constexpr DDResult DDERR_UNSUPPORTED = static_cast<DDResult>(0x80004001);
constexpr DDResult DDERR_INVALIDPARAMS = static_cast<DDResult>(0x80070057);
constexpr DDResult DDERR_OUTOFMEMORY = static_cast<DDResult>(0x8007000E);
constexpr DDResult DDERR_INVALIDOBJECT = static_cast<DDResult>(0x88760082);
constexpr DDResult DDERR_NOTLOCKED = static_cast<DDResult>(0x887601CC);
constexpr DDResult DDERR_OUTOFVIDEOMEMORY = static_cast<DDResult>(0x8876017C);
constexpr DDResult DDERR_SURFACEBUSY = static_cast<DDResult>(0x887601AE);
constexpr DDResult DDERR_SURFACELOST = static_cast<DDResult>(0x887601C2);
constexpr DDResult DDERR_NOCOOPERATIVELEVELSET = static_cast<DDResult>(0x887600D4);
constexpr DDResult DDERR_EXCLUSIVEMODEALREADYSET = static_cast<DDResult>(0x88760245);
constexpr DDResult DDERR_WRONGMODE = static_cast<DDResult>(0x8876024B);
constexpr DDResult DDERR_NOTINITIALIZED = static_cast<DDResult>(0x800401F0);
constexpr DDResult DDERR_NO3D = static_cast<DDResult>(0x8876005A);
constexpr DDResult D3DERR_SCENE_IN_SCENE = static_cast<DDResult>(0x88760337);
constexpr DDResult D3DERR_SCENE_NOT_IN_SCENE = static_cast<DDResult>(0x88760338);

inline bool DDFailed(DDResult result) { return result < 0; }
// The code's name and what it means, for log lines and exceptions.
const char* DDErrorText(DDResult result);

// The layer's own version, reported where the system's graphics version is asked for.
constexpr int kD3DLayerVersionMajor = 7;
constexpr int kD3DLayerVersionMinor = 0;

using DDWindow = void*;

// ---- surfaces ---------------------------------------------------------------

enum DDPixelFormatFlags : std::uint32_t
{
    DDPF_ALPHAPIXELS = 0x1,
    DDPF_PALETTEINDEXED8 = 0x20,
    DDPF_RGB = 0x40,
};

struct DDPixelFormat
{
    std::uint32_t flags = 0;
    std::uint32_t rgbBitCount = 0;
    std::uint32_t rMask = 0, gMask = 0, bMask = 0, aMask = 0;
};

enum DDSurfaceCaps : std::uint32_t
{
    DDSCAPS_BACKBUFFER = 0x4,
    DDSCAPS_COMPLEX = 0x8,
    DDSCAPS_FLIP = 0x10,
    DDSCAPS_OFFSCREENPLAIN = 0x40,
    DDSCAPS_PRIMARYSURFACE = 0x200,
    DDSCAPS_SYSTEMMEMORY = 0x800,
    DDSCAPS_TEXTURE = 0x1000,
    DDSCAPS_3DDEVICE = 0x2000,
    DDSCAPS_VIDEOMEMORY = 0x4000,
};

// Which fields of a description are set.
enum DDSurfaceDescFlags : std::uint32_t
{
    DDSD_CAPS = 0x1,
    DDSD_HEIGHT = 0x2,
    DDSD_WIDTH = 0x4,
    DDSD_PITCH = 0x8,
    DDSD_BACKBUFFERCOUNT = 0x20,
    DDSD_PIXELFORMAT = 0x1000,
};

struct DDSurfaceDesc
{
    std::uint32_t flags = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t pitch = 0;
    std::uint32_t backBufferCount = 0;
    void* surface = nullptr;  // the pixels while locked
    DDPixelFormat pixelFormat;
    std::uint32_t caps = 0;
};

struct DDRect
{
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

enum DDBltFlags : std::uint32_t
{
    DDBLT_COLORFILL = 0x400,
    DDBLT_WAIT = 0x1000000,
};

enum DDFlipFlags : std::uint32_t
{
    DDFLIP_WAIT = 0x1,
    DDFLIP_NOVSYNC = 0x8,
};

class DDraw;
void LoseAllD3DLayerSurfaces();

// One surface. Reference counted: Release at the last reference frees it.
class DDSurface
{
public:
    std::uint32_t AddRef() { return ++m_RefCount; }
    std::uint32_t Release();

    // Fills desc with the size, format, pitch and pixel pointer. Pixels of the
    // window's buffers are read back; those of a texture are sent at Unlock.
    DDResult Lock(const DDRect* rect, DDSurfaceDesc* desc, std::uint32_t flags);
    DDResult Unlock(const DDRect* rect);
    DDResult GetSurfaceDesc(DDSurfaceDesc* desc) const;
    DDResult GetPixelFormat(DDPixelFormat* format) const;
    // Colour fill (DDBLT_COLORFILL with fillColor) or a copy from source,
    // scaled to the destination. A copy from the back buffer to the front
    // buffer presents the frame.
    DDResult Blt(const DDRect* destRect, DDSurface* source, const DDRect* srcRect, std::uint32_t flags,
                 std::uint32_t fillColor);
    // On the front buffer of a flipping chain: presents the back buffer.
    DDResult Flip(DDSurface* target, std::uint32_t flags);
    DDResult GetAttachedSurface(std::uint32_t caps, DDSurface** out);
    DDResult IsLost() const { return m_Lost ? DDERR_SURFACELOST : DD_OK; }
    // Brings a lost surface back; its pixels are not kept.
    DDResult Restore();
    DDResult SetClipper(class DDClipper* clipper);
    // The palette of an 8-bit surface: 256 entries of 0x00RRGGBB.
    DDResult GetPalette(std::vector<std::uint32_t>* entries) const;
    DDResult SetPalette(const std::vector<std::uint32_t>* entries);

    std::uint32_t GetCaps() const { return m_Caps; }
    // The OpenGL texture name of a texture surface; 0 otherwise.
    unsigned int GetTextureName() const { return m_Texture; }
    int GetLockDepth() const { return m_Locked ? 1 : 0; }

private:
    friend class DDraw;
    friend class D3D;
    friend class D3DDevice;
    friend void LoseAllD3DLayerSurfaces();
    enum class Kind
    {
        Memory,      // our own pixels
        FrontBuffer, // the window as shown
        BackBuffer,  // the window's OpenGL back buffer, the one render target
        Texture,
    };
    DDSurface(DDraw* owner, Kind kind, std::uint32_t caps, int width, int height, const DDPixelFormat& format);
    ~DDSurface();
    void ReadBack();
    void WriteBack();

    DDraw* m_Owner;
    Kind m_Kind;
    std::uint32_t m_Caps;
    int m_Width;
    int m_Height;
    DDPixelFormat m_Format;
    std::int32_t m_Pitch;
    std::vector<std::uint8_t> m_Pixels;  // memory surfaces always; the others while locked
    std::vector<std::uint32_t> m_Palette;
    bool m_Locked = false;
    bool m_Lost = false;
    unsigned int m_Texture = 0;
    DDSurface* m_Attached = nullptr;  // the back buffer of a flipping chain
    DDClipper* m_Clipper = nullptr;
    std::uint32_t m_RefCount = 1;
};

// Limits presenting to a window; here it only records the window.
class DDClipper
{
public:
    DDResult SetHWnd(std::uint32_t flags, DDWindow window);
    std::uint32_t AddRef() { return ++m_RefCount; }
    std::uint32_t Release();

private:
    friend class DDraw;
    DDClipper() = default;
    DDWindow m_Window = nullptr;
    std::uint32_t m_RefCount = 1;
};

// ---- the display object -----------------------------------------------------

enum DDCooperativeLevel : std::uint32_t
{
    DDSCL_FULLSCREEN = 0x1,
    DDSCL_ALLOWREBOOT = 0x2,
    DDSCL_NORMAL = 0x8,
    DDSCL_EXCLUSIVE = 0x10,
    DDSCL_ALLOWMODEX = 0x40,
};

enum DDEnumModesFlags : std::uint32_t
{
    DDEDM_STANDARDVGAMODES = 0x2,
};

enum DDSetModeFlags : std::uint32_t
{
    DDSDM_STANDARDVGAMODE = 0x1,
};

// Capabilities; only the fields the screen layer logs.
struct DDCaps
{
    std::uint32_t caps = 0;
    std::uint32_t caps2 = 0;
    std::uint32_t videoMemoryTotal = 0;
    std::uint32_t videoMemoryFree = 0;
};

struct DDDriverInfo
{
    const void* guid = nullptr;  // null for the primary display driver
    char name[512] = {};
    char description[512] = {};
    void* monitor = nullptr;
};

class D3D;

class DDraw
{
public:
    // Needs SDL's video started; fails without an OpenGL library.
    static DDResult Create(DDraw** out);
    // The display drivers: one, the OpenGL display.
    static DDResult EnumerateDrivers(std::uint32_t flags, bool (*callback)(const DDDriverInfo&, void*), void* context);

    std::uint32_t AddRef() { return ++m_RefCount; }
    std::uint32_t Release();

    DDResult SetCooperativeLevel(DDWindow window, std::uint32_t flags);
    // Taken when the front buffer is made (full screen only).
    DDResult SetDisplayMode(int width, int height, int bitsPerPixel, int refreshRate, std::uint32_t flags);
    DDResult RestoreDisplayMode();
    DDResult EnumDisplayModes(std::uint32_t flags, bool (*callback)(const DDSurfaceDesc&, void*), void* context);
    DDResult GetCaps(DDCaps* driverCaps, DDCaps* emulationCaps) const;
    // The front buffer opens the window in OpenGL mode: its description needs
    // the width and height here (the desktop's size in a window otherwise).
    DDResult CreateSurface(const DDSurfaceDesc& desc, DDSurface** out);
    DDResult CreateClipper(std::uint32_t flags, DDClipper** out);
    // DD_OK when the display may be drawn on; DDERR_EXCLUSIVEMODEALREADYSET
    // while another program holds it; DDERR_WRONGMODE when its mode changed.
    DDResult TestCooperativeLevel();
    DDResult FlipToGDISurface();
    DDResult QueryDirect3D(D3D** out);

    bool IsFullScreen() const { return m_FullScreen; }

private:
    friend class DDSurface;
    friend class D3D;
    friend class D3DDevice;
    friend void LoseAllD3DLayerSurfaces();
    DDraw() = default;
    ~DDraw();

    DDWindow m_Window = nullptr;
    std::uint32_t m_CooperativeLevel = 0;
    bool m_FullScreen = false;
    int m_ModeWidth = 0, m_ModeHeight = 0, m_ModeBits = 0;
    DDSurface* m_FrontBuffer = nullptr;
    DDSurface* m_RenderTarget = nullptr;
    std::vector<DDSurface*> m_Surfaces;
    std::uint32_t m_RefCount = 1;
};

// ---- the device -------------------------------------------------------------

enum D3DRenderStateType : std::uint32_t
{
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_ZWRITEENABLE = 14,
    D3DRENDERSTATE_SRCBLEND = 19,
    D3DRENDERSTATE_DESTBLEND = 20,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_DITHERENABLE = 26,
    D3DRENDERSTATE_ALPHABLENDENABLE = 27,
    D3DRENDERSTATE_SPECULARENABLE = 29,
    D3DRENDERSTATE_LIGHTING = 137,
    D3DRENDERSTATE_COUNT = 256,
};

enum D3DBlend : std::uint32_t
{
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
};

enum D3DCull : std::uint32_t
{
    D3DCULL_NONE = 1,
};

enum D3DTextureStageStateType : std::uint32_t
{
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
    D3DTSS_COUNT = 32,
};

enum D3DTextureOp : std::uint32_t
{
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
};

enum D3DTextureArg : std::uint32_t
{
    D3DTA_DIFFUSE = 0,
    D3DTA_CURRENT = 1,
    D3DTA_TEXTURE = 2,
};

enum D3DTextureFilter : std::uint32_t
{
    D3DTFG_POINT = 1,
    D3DTFG_LINEAR = 2,
    D3DTFP_NONE = 1,
    D3DTFP_POINT = 2,
    D3DTFP_LINEAR = 3,
};

enum D3DTextureAddress : std::uint32_t
{
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_CLAMP = 3,
};

enum D3DPrimitiveType : std::uint32_t
{
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
};

enum D3DClearFlags : std::uint32_t
{
    D3DCLEAR_TARGET = 1,
};

// A pre-transformed, lit vertex: screen position (pixel centres on whole
// numbers), depth, reciprocal w, colour as 0xAARRGGBB, specular, texture position.
struct D3DTLVertex
{
    float sx, sy, sz, rhw;
    std::uint32_t color;
    std::uint32_t specular;
    float tu, tv;
};
constexpr std::uint32_t D3DFVF_TLVERTEX = 0x1C4;

struct D3DViewport
{
    std::uint32_t x = 0, y = 0, width = 0, height = 0;
    float minZ = 0.0f, maxZ = 1.0f;
};

struct D3DDeviceDesc
{
    std::uint32_t maxTextureWidth = 0;
    std::uint32_t maxTextureHeight = 0;
    std::uint32_t devCaps = 0;
};

class D3DDevice;

// The Direct3D side of the display object.
class D3D
{
public:
    std::uint32_t AddRef() { return ++m_RefCount; }
    std::uint32_t Release();
    // "IID_IDirect3DHALDevice" draws through OpenGL; "IID_IDirect3DMMXDevice" too
    // (OpenGL picks its own renderer). The target must be the window's back buffer.
    DDResult CreateDevice(const char* deviceName, DDSurface* target, D3DDevice** out);

private:
    friend class DDraw;
    explicit D3D(DDraw* owner) : m_Owner(owner) {}
    DDraw* m_Owner;
    std::uint32_t m_RefCount = 1;
};

class D3DDevice
{
public:
    std::uint32_t AddRef() { return ++m_RefCount; }
    // The count left; the device goes at 0.
    std::uint32_t Release();

    DDResult BeginScene();
    DDResult EndScene();
    DDResult SetRenderState(std::uint32_t type, std::uint32_t value);
    DDResult GetRenderState(std::uint32_t type, std::uint32_t* value) const;
    DDResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value);
    DDResult GetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t* value) const;
    // Null unsets. The device holds a reference to the texture it has.
    DDResult SetTexture(std::uint32_t stage, DDSurface* texture);
    // The stage's texture with a reference added for the caller, or null.
    DDResult GetTexture(std::uint32_t stage, DDSurface** texture);
    DDResult DrawPrimitive(std::uint32_t primitiveType, std::uint32_t vertexFormat, const void* vertices,
                           std::uint32_t count, std::uint32_t flags);
    DDResult Clear(std::uint32_t count, const DDRect* rects, std::uint32_t flags, std::uint32_t color, float z,
                   std::uint32_t stencil);
    DDResult SetViewport(const D3DViewport& viewport);
    DDResult GetViewport(D3DViewport* viewport) const;
    DDResult GetCaps(D3DDeviceDesc* desc) const;

    // Primitives drawn, and render and texture-stage states set, since the device was made.
    std::uint64_t GetPrimitiveCount() const { return m_PrimitiveCount; }
    std::uint64_t GetStateChangeCount() const { return m_StateChangeCount; }

private:
    friend class D3D;
    D3DDevice(DDraw* owner, DDSurface* target);
    ~D3DDevice();
    void ApplyStates();

    DDraw* m_Owner;
    DDSurface* m_Target;
    DDSurface* m_Texture = nullptr;
    std::uint32_t m_RenderStates[D3DRENDERSTATE_COUNT] = {};
    std::uint32_t m_StageStates[D3DTSS_COUNT] = {};
    D3DViewport m_Viewport;
    bool m_InScene = false;
    bool m_StatesDirty = true;
    std::uint64_t m_PrimitiveCount = 0;
    std::uint64_t m_StateChangeCount = 0;
    std::uint32_t m_RefCount = 1;
};

// ---- probes -----------------------------------------------------------------

// Whether the system's OpenGL library is installed (it is loaded on demand).
bool IsD3DLayerLibraryPresent(const char* libraryName = "libGL.so.1");
// Whether OpenGL can be brought up on the display SDL would use: an X display
// with GLX, and SDL not told to run on its dummy driver. Asked for, it also
// says whether that display may draw OpenGL on a graphics card: it offers
// direct rendering (DRI2, DRI3 or a vendor's own), or a software OpenGL is
// allowed. That is known before OpenGL is loaded, as loading a software
// renderer costs a good part of start-up; the device's own renderer has the
// last word (IsSoftwareOpenGLRenderer).
bool CanBringUpD3DLayer(bool* mayHaveHardware = nullptr);
// Whether an OpenGL renderer of this name draws in software on the processor
// (Mesa's llvmpipe, softpipe and the like).
bool IsSoftwareOpenGLRenderer(const char* renderer);

// ---- test hook --------------------------------------------------------------

// Makes what real displays do now and then happen in tests.
struct D3DLayerTestHook
{
    // TestCooperativeLevel answers DDERR_EXCLUSIVEMODEALREADYSET this many
    // more times (-1: always).
    int exclusiveModeHeldElsewhere = 0;
    // TestCooperativeLevel answers DDERR_WRONGMODE this many more times.
    int wrongMode = 0;
    // CanBringUpD3DLayer answers false.
    bool noOpenGL = false;
    // Creating the display object fails.
    bool failCreate = false;
    // SDL was told to run on its dummy driver when the program started.
    bool playerAskedForDummyVideo = false;
    // The hardware device may be made on an OpenGL that draws in software
    // (set from VELK_ALLOW_SOFTWARE_OPENGL=1 at start-up).
    bool allowSoftwareOpenGL = false;
};
D3DLayerTestHook& GetD3DLayerTestHook();
// Every live surface of the display object becomes lost, as when another
// program took the display.
void LoseAllD3DLayerSurfaces();
