#pragma once

#include "engine/runtime/CDXSurface.h"
#include "platform/d3d/D3DLayer.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

// The screen the accelerated back end draws on: creates the display object,
// lists its drivers and video modes, builds the front buffer and the back
// buffer for a window or full screen (once per screen: a second create is
// refused with -1), presents a frame (Flip), restores lost surfaces, and
// releases everything in a fixed order. Each step is a line of CDXLog.
// Results: 0 or positive is success; the create operations' own negative
// numbers, or the layer's codes.
class CDXScreen
{
public:
    struct VideoMode
    {
        std::int32_t width = 0, height = 0, bitsPerPixel = 0;
    };
    struct Driver
    {
        bool primary = true;
        std::string name;
        std::string description;
        DDCaps hardwareCaps;
        DDCaps emulationCaps;
    };

    CDXScreen();
    CDXScreen(const CDXScreen&) = delete;
    CDXScreen& operator=(const CDXScreen&) = delete;
    virtual ~CDXScreen();

    std::int32_t CreateWindowed(DDWindow window, int width, int height);
    std::int32_t CreateFullScreen(DDWindow window, int width, int height, int bitsPerPixel, int standardVGA = 0);
    DDResult Flip(int waitForVerticalBlank, int stretchWholeBuffer, int showFrameRate);
    DDResult Restore();

    DDraw* GetDD() const { return m_DD; }
    CDXSurface* GetFront() const { return m_FrontBuffer.get(); }
    CDXSurface* GetBack() const { return m_BackBuffer.get(); }
    bool IsFullScreen() const { return m_FullScreen != 0; }
    int GetWidth() const { return m_Width; }
    int GetHeight() const { return m_Height; }
    int GetBitsPerPixel() const { return m_BitsPerPixel; }
    const std::vector<VideoMode>& GetVideoModes() const { return m_VideoModes; }
    const std::vector<Driver>& GetDrivers() const { return m_Drivers; }
    // Frames per second over the last full second of flips.
    std::int32_t GetFPS() const { return m_FPS; }
    // The millisecond clock of the frame rate; null restores the real one.
    using TimeSource = std::uint64_t (*)();
    static void SetTimeSource(TimeSource source);

    // Surfaces other than the two buffers register themselves here.
    void AddSurface(CDXSurface* surface);
    void RemoveSurface(CDXSurface* surface);
    // Empties the list, deleting the surfaces when asked.
    void ClearSurfaces(bool deleteThem);

private:
    void InitCDXScreen();
    DDResult EnumDrivers();
    DDResult EnumVideoModes();
    void DeleteBuffers();

    DDraw* m_DD = nullptr;
    std::unique_ptr<CDXSurface> m_FrontBuffer;
    std::unique_ptr<CDXSurface> m_BackBuffer;
    DDClipper* m_Clipper = nullptr;
    int m_Width = 0, m_Height = 0, m_BitsPerPixel = 0;
    DDWindow m_Window = nullptr;
    int m_FullScreen = 0;
    std::vector<VideoMode> m_VideoModes;
    int m_TripleBuffering = 0;
    int m_BackBufferInVRAM = 1;
    std::vector<Driver> m_Drivers;
    std::int32_t m_FramesCounted = 0;
    std::uint64_t m_MillisecondsCounted = 0;
    std::uint64_t m_LastFlipTime = 0;
    std::int32_t m_FPS = 0;
    std::list<CDXSurface*> m_Surfaces;
};
