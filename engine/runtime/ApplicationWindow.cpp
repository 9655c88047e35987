// The application's window: creating it, switching between full screen and a
// window, and what is drawn each pass.

#include "engine/core/Config.h"
#include "engine/core/Log.h"
#include "engine/runtime/Application.h"

void Application::ResetRollover() {}
void Application::UpdateScreens() {}
void Application::DrawScreens() {}
void Application::UpdateScreen() {}
void Application::TakeScreenshot() {}
void Application::SwitchToNoScreen() {}

void Application::CreateWindow()
{
    LogWrite("Application::CreateWindow called.\n");
    bool fullScreen = m_Config ? m_Config->Retrieve("full_screen").IsBool() && m_Config->Retrieve("full_screen").ToBool()
                               : false;
    LuaObject commandLine = RetrieveProperty("fullScreen");
    if (commandLine.IsBoolean())
        fullScreen = commandLine.GetBoolean();
    if (fullScreen && !RetrieveBoolProperty("enableEditor", false))
        UseFullScreen(m_ScreenWidth, m_ScreenHeight, 32);
    else
        UseWindowedScreen(m_ScreenWidth, m_ScreenHeight, 32);
    LogWrite("Application::CreateWindow finished.\n");
}

void Application::UseFullScreen(int width, int height, int depth)
{
    LogWrite("Application::UseFullScreen called: %dx%dx%d\n", width, height, depth);
    m_FullScreen = true;
    if (m_Config)
        m_Config->SetBool("full_screen", true);
    m_HWAccelChanged = false;
    m_FirstDraw = true;
    LogWrite("Application::UseFullScreen FINISHED.\n");
}

void Application::UseWindowedScreen(int width, int height, int depth)
{
    LogWrite("Application::UseWindowedScreen called: %dx%dx%d\n", width, height, depth);
    m_FullScreen = false;
    if (m_Config)
        m_Config->SetBool("full_screen", false);
    m_HWAccelChanged = false;
    m_FirstDraw = true;
    LogWrite("Application::UseWindowedScreen FINISHED.\n");
}

void Application::InitWindow() {}

void Application::SignalDisplayChange()
{
    SendEvent(nullptr, MakeEventRecord(VELK_DISPLAYCHANGE));
}

