#include "engine/runtime/DisplayManager.h"

#include "engine/core/Color.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Rect.h"
#include "engine/runtime/DisplayBackendSDL.h"
#include "engine/runtime/SDLImageRenderer.h"
#include "engine/runtime/SurfaceManager.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

namespace {

AcceleratedBackendFactory g_AcceleratedBackendFactory = nullptr;

const char* const kRule = "-------------------------------------------------------------------------\n";

std::string TypeNameOf(const DisplayBackend& backend)
{
    const char* mangled = typeid(backend).name();
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(mangled, nullptr, nullptr, &status),
                                                     std::free);
    return (status == 0 && demangled) ? std::string(demangled.get()) : std::string(mangled);
}

} // namespace

const char* OnOffText(bool flag)
{
    return flag ? "ON" : "OFF";
}

void DisplayManager::SetAcceleratedBackendFactory(AcceleratedBackendFactory factory)
{
    g_AcceleratedBackendFactory = factory;
}

DisplayManager::DisplayManager() = default;

DisplayManager::~DisplayManager()
{
    LogWrite("DisplayManager::~DisplayManager: START\n");
    m_DisplayBackend.reset();
    LogWrite("DisplayManager::~DisplayManager: END\n");
}

void DisplayManager::ApplyDisplayParams(DisplayParams& params)
{
    DisplayParams copy = params;
    LogWrite("DisplayManager::ApplyDisplayParams: Called with 3daccel=%s, fullscreen=%s\n",
             OnOffText(copy.use3DAcceleration), OnOffText(copy.fullScreen));
    try {
        CreateAndInitBackend(copy);
    } catch (const DisplayBackendInitError& e) {
        LogWrite("%s", kRule);
        LogWrite("%s: Error initializing display:\nPARAMS: 3daccel=%s, fullscreen=%s\nEXCEPTION INFO:\n%s\n",
                 "DisplayManager::ApplyDisplayParams", OnOffText(copy.use3DAcceleration), OnOffText(copy.fullScreen),
                 e.GetReport().c_str());
        LogWrite("%s", kRule);
        LogWrite("DisplayManager::ApplyDisplayParams: Deleting uninitialized backend.\n");
        m_DisplayBackend.reset();
    }
    if (!m_DisplayBackend) {
        if (!copy.use3DAcceleration)
            VELK_THROW(Exception, AssertionText("false", "Could not initialize display."));
        LogWrite("DisplayManager::ApplyDisplayParams: Trying to reinitialize display without 3D acceleration.\n");
        copy.use3DAcceleration = false;
        CreateAndInitBackend(copy);
    }
    params = copy;
    LogWrite("DisplayManager::ApplyDisplayParams: Success, backend=\"%s\", 3daccel=%s, fullscreen=%s\n",
             TypeNameOf(*m_DisplayBackend).c_str(), OnOffText(params.use3DAcceleration), OnOffText(params.fullScreen));
}

void DisplayManager::CreateAndInitBackend(const DisplayParams& params)
{
    LogWrite("DisplayManager::CreateAndInitBackend: START\n");
    // Only a change of acceleration replaces the back end; a change between a
    // window and full screen re-applies the one there is.
    const bool needNew = !m_DisplayBackend || m_DisplayBackend->IsAccelerated() != params.use3DAcceleration;
    if (needNew) {
        LogWrite("DisplayManager::CreateAndInitBackend: Deleting m_DisplayBackend\n");
        m_DisplayBackend.reset();
        if (!params.use3DAcceleration) {
            m_DisplayBackend = std::make_unique<DisplayBackendSDL>();
        } else {
            if (!g_AcceleratedBackendFactory)
                VELK_THROW(DisplayBackendInitError,
                           AssertionText("g_AcceleratedBackendFactory != 0",
                                         "The accelerated display back end is not available."));
            m_DisplayBackend = g_AcceleratedBackendFactory();
            VELK_ASSERT(m_DisplayBackend != 0);
        }
    }
    m_DisplayBackend->ApplyDisplayParams(params);
    if (ImageRenderer* renderer = m_DisplayBackend->GetScreenImageRenderer()) {
        const Rect screen(0, 0, static_cast<std::uint16_t>(params.width), static_cast<std::uint16_t>(params.height));
        renderer->FillRect(screen, Color(0, 0, 0, 255), true);
        m_DisplayBackend->UpdateScreen();
    }
    LogWrite("DisplayManager::CreateAndInitBackend: END\n");
}

ImageRenderer* DisplayManager::GetScreenImageRenderer() const
{
    return m_DisplayBackend ? m_DisplayBackend->GetScreenImageRenderer() : nullptr;
}

void DisplayManager::UpdateScreen()
{
    VELK_ASSERT(m_DisplayBackend != 0);
    m_DisplayBackend->UpdateScreen();
}

void DisplayManager::InvalidateScreen()
{
    if (m_DisplayBackend)
        m_DisplayBackend->InvalidateScreen();
}

void DisplayManager::ClearScreen()
{
    if (m_DisplayBackend)
        m_DisplayBackend->ClearScreen();
}

std::intptr_t DisplayManager::HandleWindowsMessage(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam,
                                                   std::intptr_t lParam)
{
    if (!m_DisplayBackend)
        return 0;
    return m_DisplayBackend->HandleWindowsMessage(hwnd, message, wParam, lParam);
}

bool DisplayManager::IsCurrentDisplayValid()
{
    VELK_ASSERT(m_DisplayBackend != 0);
    return m_DisplayBackend->IsCurrentDisplayValid();
}

void DisplayManager::MakeScreenshot(const std::string& path)
{
    VELK_ASSERT(m_DisplayBackend != 0);
    m_DisplayBackend->MakeScreenshot(path);
}

void DisplayManager::PrepareForModalSystemDialog()
{
    VELK_ASSERT(m_DisplayBackend != 0);
    m_DisplayBackend->PrepareForModalSystemDialog();
}

void DisplayManager::CleanupFromModalSystemDialog()
{
    VELK_ASSERT(m_DisplayBackend != 0);
    m_DisplayBackend->CleanupFromModalSystemDialog();
}

std::unique_ptr<SDLImageRenderer> DisplayManager::MakeImageRenderer(Image* image)
{
    return std::make_unique<SDLImageRenderer>(image);
}

std::unique_ptr<SDLImageRenderer> DisplayManager::MakeOffscreenImageRenderer(int width, int height)
{
    SDL_Surface* targetSurface = SurfaceManager::GetInstance()->CreateSurface(width, height, true);
    VELK_ASSERT(targetSurface != 0);
    return std::make_unique<SDLImageRenderer>(targetSurface);
}
