#pragma once

#include "engine/core/CoreHost.h"
#include "engine/core/EventQueue.h"
#include "engine/core/Object.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "platform/window/NativeWindow.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

class BlitPerformanceManager;
class Canvas;
class CommonDialogLibrary;
class Config;
class DisplayManager;
class EmbeddedFileReader;
class FileReader;
class GameDataIO;
class GameRecordManager;
class HighScoreManager;
class PerformanceCounterManager;
class PlayerManager;
class TopRecordsManager;
class ResourceManager;
class ScopedTickCounter;
class ScreenHost;
class Shell;
class SingleInstance;
class TickPerformanceManager;

// Application flag bits (m_Flags).
enum ApplicationFlags : uint32_t
{
    APPFLAG_FRAMERATE_UNCAPPED = 1,
    APPFLAG_GAME_PAUSED = 2,
    APPFLAG_GAME_PAUSE_PENDING = 4,
    APPFLAG_SHOW_KEY_TIPS = 8,
};

// The main loop's time: SDL's millisecond ticks and its sleep, unless a test
// steps time by hand.
class LoopClock
{
public:
    virtual ~LoopClock() = default;
    virtual uint32_t GetTicks() = 0;
    virtual void Delay(uint32_t milliseconds) = 0;
};

// "ABCD" -> 'A' + 'B'·256 + 'C'·65536 + 'D'·16777216; exactly four characters.
uint32_t AppCodeFromString(const std::string& inputStr);

// The process-wide owner of every engine manager: it brings the engine up in one
// fixed order, runs the main loop and tears everything down in a logged order.
// The game derives its own application from it.
class Application : public Object, public CoreHost, public TimerClock
{
    VELK_DECLARE_CLASS(Application)
public:
    Application(const std::string& appName, const std::string& productName, uint32_t appCode, int width,
                 int height);
    ~Application() override;

    static Application* GetInstance();

    // ---- start-up and shutdown
    virtual void InitEngine(int argc, const char* const* argv);
    virtual void ShutdownEngine();
    virtual void InitGame() {}
    virtual void ShutdownGame() {}
    virtual void SetConfigDefaults();
    virtual void ConvertCmdLineArgsToProperties();
    virtual void InitResourceScanners();
    virtual void LoadScripts();
    // The main loop: StartLoop, then RunPass while running, then EndLoop.
    virtual void Run();
    void StartLoop();
    void RunPass();
    void EndLoop();
    virtual void Quit();
    virtual void InitEventDataTypes();
    virtual void CreateWindow();
    virtual void UseFullScreen(int width, int height, int depth);
    virtual void UseWindowedScreen(int width, int height, int depth);
    virtual void InitWindow();
    virtual void DrawScreens();
    virtual void SignalDisplayChange();
    virtual void UpdateScreens();

    // ---- the window (ApplicationWindow.cpp)
    // Called by the display back end for every window it makes.
    void SetWindowHandle(WindowHandle hWnd);
    WindowHandle GetWindowHandle() const { return m_hWnd; }
    void InitWindowProc();
    void InitMainCanvas();
    // Takes the icon surface.
    void SetWindowIcon(SDL_Surface* hIcon);
    // The program's icon "Icon<number>.png"; a missing one is only logged.
    void TrySetWindowIcon(int iconResourceNumber);
    void MinimizeWindow();
    // Each returns the state before; the change is made only when the property
    // allowGrabInputStateChange (allowShowCursorStateChange) allows it.
    bool GrabInput(bool grab);
    bool ShowCursor(bool show);
    // The developer overlays, which the screens draw over everything.
    void ShowFPSCounter(bool show);
    bool IsFPSCounterShown() const { return m_FPSCounterShown; }
    // The mode is a memory-usage category (MEMUSAGE_IMAGES_IN_VIDMEM and on).
    void ShowResourceMemoryUsageCounter(int mode);
    void ToggleResourceMemoryUsageCounter(int mode);
    // -1 while the overlay is hidden.
    int GetResourceMemoryUsageCounterMode() const { return m_ResourceMemoryUsageCounterMode; }
    // The first free "<app>_Screenshot-NNNN.bmp" in the current folder; empty
    // when all 9999 names are taken.
    std::string FindScreenshotFileName() const;
    // A screenshot into that file after the next draw (the picture tour's);
    // an empty path takes the next free name, as Ctrl+P does.
    void RequestScreenshot(const std::string& path);
    // The main window's messages (see NativeWindow.h); unhandled ones go on to
    // the display manager.
    std::intptr_t WindowProc(WindowHandle hwnd, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
    bool OnKeyDown(const EventRecord& event) override;
    // Window messages posted to the main window.
    bool OnUserEvent(const EventRecord& event) override;
    DisplayManager* GetDisplayManager() const { return m_DisplayManager.get(); }
    // Full screen and window swap in the main loop's next pass.
    void RequestFullScreenToggle() { m_ToggleFullScreenOnNextDraw = true; }
    Canvas* GetMainCanvas() const { return m_MainCanvas.get(); }
    bool IsMinimized() const { return m_Minimized; }

    void InitPaths();
    void InitLog();
    void InitExePath(const char* argv0);
    void ChdirToExePath();
    void RunStartupScripts();
    void LoadLogLevel();
    void SetScriptPaths();
    std::string GetWindowCaption() const;

    // ---- command line and settings
    void ParseCmdLineArgs(int argc, const char* const* argv);
    std::string GetArg(std::size_t index) const;
    std::size_t GetNumArgs() const { return m_Args.size(); }
    bool HasArg(const std::string& text) const;
    void ReadConfig();
    void WriteConfig();
    void EnableHWAccel(bool enable);
    bool IsHWAccelEnabled() const { return m_HWAccelEnabled; }
    // The accelerated display gave up during play: the window is made again
    // without acceleration at the end of the pass, for this run only.
    void FallBackToSoftwareDisplay();
    // The first frame after a change of display mode.
    bool IsFirstDraw() const { return m_FirstDraw; }

    // ---- events
    bool OnEvent(const EventRecord& event) override;
    void SetEventDataType(const std::string& name, int type, int kind);
    void SetEventDataType(int type, int kind);
    void PauseGame(bool pause);
    void DoPauseApp(bool pause);
    bool IsPaused() const { return m_Paused; }
    bool IsGamePaused() const { return (m_Flags & (APPFLAG_GAME_PAUSED | APPFLAG_GAME_PAUSE_PENDING)) != 0; }
    bool IsRunning() const { return m_Running; }
    void DeleteFlaggedObjects();
    void RequestRolloverReset() { m_RolloverResetRequested = true; }
    // The screens' roll-over walk at a point (see ScreenHost).
    void ResetRolloverAt(int x, int y, bool hasMouseFocus);
    bool IsPrimaryMouseButton(int sdlButton) const;
    uint32_t GetFlags() const { return m_Flags; }
    void SetFlags(uint32_t flags) { m_Flags = flags; }
    // Consumed by the first button click of a pass.
    static bool TakeClickPermit();
    uint32_t GetFrameCounter() const { return m_FrameCounter; }
    void SetSlowMode(bool slow) { m_SlowMode = slow; }
    bool IsSlowMode() const { return m_SlowMode; }
    // Null restores SDL's clock.
    void SetLoopClock(LoopClock* clock);

    bool OnActiveEvent(const EventRecord& event) override;
    bool OnQuit() override;
    bool OnConfigUpdate(const EventRecord& event) override;
    bool OnTimer(const EventRecord& event) override;
    bool OnKeyUp(const EventRecord& event) override;
    bool OnMouseMotion(const EventRecord& event) override;
    bool OnVideoExpose(const EventRecord& event) override;
    bool OnResetWindow(const EventRecord& event) override;

    // ---- CoreHost
    int GetLogLevel() const override { return m_LogLevel; }
    void SetLogLevel(int level) { m_LogLevel = level; }
    bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry) override;
    ResourceEntry AcquireResource(const std::string& name) override;
    void PostEvent(EventReceiver* receiver, const EventRecord& record) override;
    bool SendEvent(EventReceiver* receiver, const EventRecord& record) override;
    void FlagForDeletion(Object* object) override;
    void ForgetObject(Object* object) override;
    // ---- TimerClock
    uint32_t GetFrameStartTime() const override { return m_PassStartTime; }

    // ---- accessors
    const std::string& GetAppName() const { return m_AppName; }
    const std::string& GetProductName() const { return m_ProductName; }
    uint32_t GetAppCode() const { return m_AppCode; }
    int GetScreenWidth() const { return m_ScreenWidth; }
    int GetScreenHeight() const { return m_ScreenHeight; }
    Config* GetConfig() const { return m_Config.get(); }
    ResourceManager* GetResourceManager() const { return m_ResourceManager.get(); }
    TimerManager* GetTimerManager() const { return m_TimerManager.get(); }
    // Null when no screens were registered.
    ScreenHost* GetScreenHost() const { return m_ScreenManager.get(); }
    // The standard dialogs' factories: the toolkit's library, made at start-up
    // unless the game has installed its own before.
    CommonDialogLibrary* GetCommonDialogs() const { return m_CommonDialogs; }
    // Takes the library (made by new) in place of the one installed before.
    void SetCommonDialogs(CommonDialogLibrary* library);
    LuaState GetLuaState() const { return m_LuaState; }
    const std::string& GetConfigFile() const { return m_ConfigFile; }
    const std::string& GetDocumentsBase() const { return m_DocumentsBase; }
    const std::string& GetConstConfigFile() const { return m_ConstConfigFile; }
    const std::string& GetConfigDefaultsFile() const { return m_ConfigDefaultsFile; }
    const std::string& GetPackageFile() const { return m_PackageFile; }
    void SetSiteConfigFile(const std::string& name) { m_SiteConfigFile = name; }
    bool IsFullScreen() const { return m_FullScreen; }

    void StoreProperties(LuaObject& table) override;

protected:
    // Dispatches one record the way the events phase does, then frees its payload.
    void DispatchQueuedEvent(EventReceiver* receiver, EventRecord& record, bool dropped);
    void CheckSingleInstance();
    void PollRelaunch();
    virtual void OnRelaunched();
    void LaunchOnRunHook();
    void RecreateWindowIfNeeded();
    void InitResourceManager();
    void ScanResources();
    // Steps whose owners (screens, display) plug in here.
    virtual void ResetRollover();
    virtual void UpdateScreen();
    virtual void TakeScreenshot();
    virtual void SwitchToNoScreen();
    // Whether the current screen shows a dialog; false while there is none.
    virtual bool CurrentScreenShowsDialog();
    void UseScreen(bool fullScreen, int width, int height, int depth);

    // names
    std::string m_AppName;
    std::string m_ProductName;
    uint32_t m_AppCode;
    std::string m_ConstConfigFile;
    std::string m_SiteConfigFile;
    std::string m_ConfigDefaultsFile;
    std::string m_ConfigFile;
    std::string m_PackageFile;
    std::string m_WindowCaption;
    std::string m_AppDataFolderName;
    std::string m_DocumentsFolderName;
    std::string m_DocumentsBase;
    std::string m_StartDirectory;
    int m_ScreenWidth;
    int m_ScreenHeight;

    // managers
    LuaState m_LuaState;
    std::unique_ptr<ResourceManager> m_ResourceManager;
    std::unique_ptr<GameRecordManager> m_GameRecordManager;
    std::unique_ptr<HighScoreManager> m_HighScoreManager;
    std::unique_ptr<PlayerManager> m_PlayerManager;
    std::unique_ptr<TopRecordsManager> m_TopRecordsManager;
    std::unique_ptr<GameDataIO> m_GameDataIO;
    // Owned; made and freed through the toolkit's DialogLibraryHooks.
    CommonDialogLibrary* m_CommonDialogs = nullptr;
    std::unique_ptr<Config> m_Config;
    std::unique_ptr<TimerManager> m_TimerManager;
    std::unique_ptr<Shell> m_Shell;
    std::unique_ptr<SingleInstance> m_SingleInstance;
    std::unique_ptr<PerformanceCounterManager> m_PerformanceCounterManager;
    std::unique_ptr<TickPerformanceManager> m_TickPerformanceManager;
    std::unique_ptr<BlitPerformanceManager> m_BlitPerformanceManager;
    std::vector<std::unique_ptr<ScopedTickCounter>> m_TickCounters;
    std::map<std::string, std::unique_ptr<FileReader>> m_EmbeddedReaders;
    std::unique_ptr<DisplayManager> m_DisplayManager;
    std::unique_ptr<Canvas> m_MainCanvas;
    std::unique_ptr<ScreenHost> m_ScreenManager;
    LoopClock* m_LoopClock;

    // state
    uint32_t m_Flags = 0;
    int m_LogLevel = 2;
    bool m_Running = false;
    bool m_Paused = false;
    bool m_LastPaused = false;
    bool m_SlowMode = false;
    bool m_FullScreen = false;
    bool m_Minimized = false;
    bool m_CheckVideo = false;
    bool m_ToggleFullScreenOnNextDraw = false;
    bool m_ForceDisplayReset = false;
    bool m_HWAccelEnabled = false;
    bool m_HWAccelChanged = false;
    bool m_FirstDraw = false;
    bool m_ScreenshotRequested = false;
    std::string m_ScreenshotPath;
    bool m_RolloverResetRequested = false;
    bool m_InputWasGrabbed = false;
    bool m_WasCursorShown = true;
    bool m_UseUniformTexturePieceDimensions = false;
    int m_MinimumTexturePieceDimension = 64;
    int m_GlobalTexturePieceDimension = 64;
    bool m_LogTickInfo = false;
    bool m_UseAggressiveGarbageCollection = false;
    bool m_UseIndividuallyRenderedCharCache = false;
    bool m_RenderManuallySpacedCharsToSeparateImages = false;
    MouseButtonSet m_PrimaryMouseButtons = MOUSEBUTTON_LEFT;
    uint32_t m_FrameCounter = 0;
    uint32_t m_NextTickTime = 0;
    uint32_t m_PassStartTime = 0;
    uint32_t m_ShortcutKeyTimer = 0;

    // window
    struct IconDeleter
    {
        void operator()(SDL_Surface* icon) const { SDL_FreeSurface(icon); }
    };
    WindowHandle m_hWnd = nullptr;
    std::unique_ptr<SDL_Surface, IconDeleter> m_WindowIcon;
    bool m_FPSCounterShown = false;
    int m_ResourceMemoryUsageCounterMode = -1;

    std::vector<std::string> m_Args;
    EventQueue m_EventQueue;
    std::deque<Object*> m_FlaggedObjects;

    friend void ApplicationClassHook(Class* c);
};

// The running application, or null.
#define APP (Application::GetInstance())
