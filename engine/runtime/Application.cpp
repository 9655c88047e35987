#include "engine/runtime/Application.h"

#include "engine/runtime/CDXLog.h"

#include "engine/runtime/Font.h"

#include "engine/core/Color.h"
#include "engine/core/Config.h"
#include "engine/core/CrashReport.h"
#include "engine/core/EmbeddedFiles.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/core/Script.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/DisplayManager.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/GameDataIO.h"
#include "engine/runtime/GameRecords.h"
#include "engine/runtime/HighScoreManager.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/MusicSegment.h"
#include "engine/runtime/PerformanceCounters.h"
#include "engine/runtime/PhysFSResourceExtensions.h"
#include "engine/runtime/PlayerManager.h"
#include "engine/runtime/TopRecords.h"
#include "engine/runtime/ResourceExtensions.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/ScreenHost.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Shell.h"
#include "engine/runtime/Utility.h"
#include "platform/console/Console.h"
#include "platform/console/Interrupts.h"
#include "platform/lua/LuaFunction.h"
#include "platform/os/Folders.h"
#include "platform/os/SingleInstance.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <utility>
#include <cstring>
#include <unistd.h>

namespace {

Application* g_App = nullptr;
bool g_ClickPermit = false;

const uint32_t kTickPeriod = 32;
const uint32_t kSlowTickPeriod = 960;

class SDLLoopClock : public LoopClock
{
public:
    uint32_t GetTicks() override { return SDL_GetTicks(); }
    void Delay(uint32_t milliseconds) override { SDL_Delay(milliseconds); }
};

SDLLoopClock g_SDLLoopClock;

} // namespace

// A program resource read straight from the files compiled into the program,
// until the resource catalogue takes over.
class EmbeddedFileReader : public FileReader
{
public:
    explicit EmbeddedFileReader(const EmbeddedFile& file) : m_File(file) {}
    void Read(const std::string&, const char*& data, std::size_t& size) override
    {
        data = reinterpret_cast<const char*>(m_File.data);
        size = m_File.size;
    }
    void Close() override {}

private:
    const EmbeddedFile& m_File;
};

namespace {

std::string WithTrailingSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string CurrentDirectory()
{
    char buffer[4096];
    return getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string();
}

} // namespace

uint32_t AppCodeFromString(const std::string& inputStr)
{
    VELK_ASSERT_MSG(inputStr.length() == 4, "An app code's string must be exactly four characters long.");
    uint32_t code = 0;
    for (int i = 3; i >= 0; --i)
        code = code * 256 + static_cast<unsigned char>(inputStr[i]);
    return code;
}

// ---------------------------------------------------------------- class and properties

namespace {

void ApplyBoolMember(bool Application::*member, Application* app, const LuaObject& value)
{
    app->*member = ReadBooleanFromObject(value);
}

} // namespace

void ApplicationClassHook(Class* c)
{
    auto boolMember = [c](const char* name, bool Application::*member) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, MemberOf(member), name));
        c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, MemberOf(member), name));
    };
    auto intMember = [c](const char* name, int Application::*member) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(member), name));
        c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(member), name));
    };
    boolMember("forceDisplayReset", &Application::m_ForceDisplayReset);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, MemberOf(&Application::m_HWAccelEnabled), "enableHWAccel"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(
        [](Object* o, const LuaObject& v) { static_cast<Application*>(o)->EnableHWAccel(ReadBooleanFromObject(v)); },
        "enableHWAccel"));
    boolMember("useUniformTexturePieceDimensions", &Application::m_UseUniformTexturePieceDimensions);
    intMember("minimumTexturePieceDimension", &Application::m_MinimumTexturePieceDimension);
    intMember("globalTexturePieceDimension", &Application::m_GlobalTexturePieceDimension);
    boolMember("logTickInfo", &Application::m_LogTickInfo);
    c->RegisterPropertyGetter(MakeNamedProperty("cwd"));
    c->RegisterPropertyGetter(
        CreatePropertyAccessor(TYPE_MOUSEBUTTONSET, MemberOf(&Application::m_PrimaryMouseButtons), "primaryMouseButtons"));
    c->RegisterPropertySetter(
        CreatePropertyAccessor(TYPE_MOUSEBUTTONSET, MemberOf(&Application::m_PrimaryMouseButtons), "primaryMouseButtons"));
    boolMember("useAggressiveGarbageCollection", &Application::m_UseAggressiveGarbageCollection);
    boolMember("useIndividuallyRenderedCharCache", &Application::m_UseIndividuallyRenderedCharCache);
    boolMember("renderManuallySpacedCharsToSeparateImages", &Application::m_RenderManuallySpacedCharsToSeparateImages);
    (void)ApplyBoolMember;
}

VELK_REGISTER_CLASS(Application, "Object", ApplicationClassHook, nullptr);

void Application::StoreProperties(LuaObject& table)
{
    Object::StoreProperties(table);
    table.SetString("cwd", CurrentDirectory());
}

// ---------------------------------------------------------------- construction

Application* Application::GetInstance()
{
    return g_App;
}

Application::Application(const std::string& appName, const std::string& productName, uint32_t appCode, int width,
                         int height)
    : m_AppName(appName),
      m_ProductName(productName),
      m_AppCode(appCode),
      m_ScreenWidth(width),
      m_ScreenHeight(height),
      m_LoopClock(&g_SDLLoopClock)
{
    g_App = this;
    SetCoreHost(this);
    m_ConstConfigFile = (boost::format("%1%_Const.cfg") % appName).str();
    m_ConfigFile = (boost::format("%1%.cfg") % appName).str();
    m_ConfigDefaultsFile = (boost::format("%1%_Defaults.cfg") % appName).str();
    m_PackageFile = (boost::format("%1%.qil") % appName).str();
    m_WindowCaption = productName;
    m_AppDataFolderName = WithTrailingSlash((boost::format("quillfen/%1%") % productName).str());
    m_DocumentsFolderName = WithTrailingSlash((boost::format("%1% Documents") % productName).str());
}

std::string Application::GetWindowCaption() const
{
    return m_ProductName.empty() ? std::string("Velk Engine Application") : m_ProductName;
}

Application::~Application()
{
    // Each manager goes in a fixed, logged order; nothing here may throw.
    try {
        if (m_GameDataIO)
            m_GameDataIO->SaveAllPlayerData();
    } catch (...) {
        LogWrite("WARNING: ~Application: %s\n", CurrentExceptionMessage().c_str());
    }
    try {
        m_SingleInstance.reset();
        ReleaseTables();
        if (m_CommonDialogs) {
            Log(3, "~Application - SAFE_DELETE(m_CommonDialogs)\n");
            SetCommonDialogs(nullptr);
        }
        Log(3, "~Application - SAFE_DELETE(m_GameDataIO)\n");
        m_GameDataIO.reset();
        Log(3, "~Application - SAFE_DELETE(m_ScreenManager)\n");
        m_ScreenManager.reset();
        DeleteFlaggedObjects();
        Log(3, "~Application - SAFE_DELETE(m_MainCanvas)\n");
        m_MainCanvas.reset();
        Log(3, "~Application - SAFE_DELETE(m_ResourceManager)\n");
        m_ResourceManager.reset();
        Log(3, "~Application - SAFE_DELETE(m_DisplayManager)\n");
        SetModalSystemDialogHost(nullptr);
        m_DisplayManager.reset();
        Log(3, "~Application - TTF_Quit\n");
        if (TTF_WasInit())
            TTF_Quit();
        FontRendererCache::ForgetFileBytes();
        Log(3, "~Application - SDL_Quit\n");
        SDL_Quit();
        Log(3, "~Application - SAFE_DELETE(m_TimerManager)\n");
        m_TimerManager.reset();
        Log(3, "~Application - Sound::Quit()\n");
        Sound::Quit();
        Log(3, "~Application - SAFE_DELETE(m_Config)\n");
        if (::GetConfig() == m_Config.get())
            SetConfig(nullptr);
        m_Config.reset();
        Log(3, "~Application - SAFE_DELETE(m_HighScoreManager)\n");
        m_HighScoreManager.reset();
        Log(3, "~Application - SAFE_DELETE(m_GameRecordManager)\n");
        m_GameRecordManager.reset();
        Log(3, "~Application - SAFE_DELETE(m_PlayerManager)\n");
        m_PlayerManager.reset();
        Log(3, "~Application - SAFE_DELETE(m_TopRecordsManager)\n");
        m_TopRecordsManager.reset();
        m_Shell.reset();
        m_EventQueue.Clear();
        Interrupts::Uninstall();
        Script::ShutdownScripting();
        ClassManager::DestroyInstance();
        VelkLuaState::Destroy();
        m_LuaState = LuaState();
        Log(3, "~Application - SAFE_DELETE(m_BlitPerformanceManager)\n");
        m_BlitPerformanceManager.reset();
        Log(3, "~Application - SAFE_DELETE(m_TickPerformanceManager)\n");
        m_TickCounters.clear();
        m_TickPerformanceManager.reset();
        Log(3, "~Application - SAFE_DELETE(m_PerformanceCounterManager)\n");
        m_PerformanceCounterManager.reset();
        Log(3, "~Application - FINISHED\n");
    } catch (...) {
        LogWrite("WARNING: ~Application: %s\n", CurrentExceptionMessage().c_str());
    }
    CloseConsole();
    if (g_App == this)
        g_App = nullptr;
    if (GetCoreHost() == this)
        SetCoreHost(nullptr);
}

// ---------------------------------------------------------------- start-up

void Application::InitEngine(int argc, const char* const* argv)
{
    LogWrite("Application::InitEngine, Initializing Velk Engine...\n");
    LogWrite("Application::InitEngine, Build date and time: \"%s\", \"%s\"\n", __DATE__, __TIME__);
    LogWrite("Application::InitEngine, Crash reporting is %s.\n", IsCrashReporterInstalled() ? "ENABLED" : "DISABLED");

    if (!m_CommonDialogs && GetDialogLibraryHooks().make)
        m_CommonDialogs = GetDialogLibraryHooks().make();

    m_PerformanceCounterManager = std::make_unique<PerformanceCounterManager>();
    m_TickPerformanceManager = std::make_unique<TickPerformanceManager>();
    m_TickPerformanceManager->RegisterCounter(m_PerformanceCounterManager.get());
    m_BlitPerformanceManager = std::make_unique<BlitPerformanceManager>();
    m_TickPerformanceManager->RegisterCounter(m_BlitPerformanceManager.get());

    m_LuaState = VelkLuaState::Create();
    VelkLuaState::RunStartupScript(m_LuaState);

    ParseCmdLineArgs(argc, argv);

    SetAppVersionString(ReadAppVersionString());
    LogWrite("Application::InitEngine, App Version: %s\n", GetAppVersionString().c_str());

    InitExePath(argc > 0 ? argv[0] : "");

    TypeConversion::InitializeTypeTables();
    ClassManager::GetInstance()->InitializeClasses();
    m_LuaState.GetGlobals().SetObject("GlobalApp", GetLuaObject());

    SetConfigDefaults();
    RunStartupScripts();
    ConvertCmdLineArgsToProperties();

    {
        LuaObject parameters;
        parameters.AssignNewTable(m_LuaState);
        StoreAllProperties(parameters);
        parameters.SetNil("class");
        std::string text;
        SerializeLuaObjectToString(parameters, text);
        LogWrite("Application::InitEngine, Startup Parameters = %s\n", text.c_str());
    }

    if (!RetrieveBoolProperty("allowMultipleInstances", false))
        CheckSingleInstance();

    InitPaths();
    m_Shell = std::make_unique<Shell>(m_LuaState);
    InitLog();

    if (!IsDirectDraw7Available())
        throw MakeDirectX7NotAvailable(m_AppName);

    if (!RetrieveBoolProperty("keepCWD", false))
        ChdirToExePath();
    std::string cwd = CurrentDirectory();
    ApplyStringProperty("cwd", cwd);
    LogWrite("Application::InitEngine, Current directory: %s\n", cwd.c_str());

    LogSystemInformation();
    std::srand(static_cast<unsigned>(std::time(nullptr)));

    InitEventDataTypes();
    m_Running = false;
    m_CheckVideo = false;
    m_ToggleFullScreenOnNextDraw = false;
    m_HWAccelChanged = false;

    LogWrite("Application::InitEngine, Initializing resource management subsystem...\n");
    InitResourceManager();
    LogWrite("Application::InitEngine, Initializing resource loaders...\n");
    InitResourceScanners();
    LogWrite("Application::InitEngine, Loading resource metadata...\n");
    ScanResources();

    LogWrite("Application::InitEngine, Initializing config subsystem...\n");
    m_Config = std::make_unique<Config>(m_LuaState);
    SetConfig(m_Config.get());
    ReadConfig();

    LogWrite("Application::InitEngine, Loading scripts...\n");
    LoadScripts();

    LogWrite("Application::InitEngine, Initializing SDL...\n");
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_NOPARACHUTE) < 0) {
        LogWrite("Application::InitEngine, SDL initialization failed!\n");
        VELK_THROW(Exception, "Couldn't initialize SDL");
    }
    LogWrite("Application::InitEngine, Initializing font library...\n");
    if (TTF_Init() == -1)
        VELK_THROW(Exception, "Couldn't initialize SDL_ttf");

    LogWrite("Application::InitEngine, Initializing timer subsystem...\n");
    m_TimerManager = std::make_unique<TimerManager>(*this);

    LogWrite("Application::InitEngine, Initializing BASS...\n");
    Sound::Init();
    Log(3, "Application::InitEngine, Initializing DirectMusic...\n");
    Sound::SetDirectMusic(new DirectMusic());
    Sound::InitDirectMusic();

    LogWrite("Application::InitEngine, Creating the Display Manager...\n");
    m_DisplayManager = std::make_unique<DisplayManager>();
    SetModalSystemDialogHost(m_DisplayManager.get());
    {
        VELK_ASSERT(SDL_putenv(const_cast<char*>("SDL_VIDEODRIVER=dummy")) == 0);
        VELK_ASSERT(SDL_InitSubSystem(0x00000020) == 0);
        char buf[512];
        const int bufSize = sizeof(buf);
        VELK_ASSERT(strcmp(SDL_VideoDriverName(buf, bufSize), "dummy") == 0);
    }

    LogWrite("Application::InitEngine, Creating player and score management subsystems...\n");
    m_GameRecordManager = std::make_unique<GameRecordManager>();
    m_HighScoreManager = std::make_unique<HighScoreManager>();
    m_PlayerManager = std::make_unique<PlayerManager>();
    m_TopRecordsManager = std::make_unique<TopRecordsManager>();

    LogWrite("Application::InitEngine, Signalling all Config observers...\n");
    m_Config->ApplyMetadata();

    m_GameDataIO = std::make_unique<GameDataIO>();

    LoadLogLevel();

    if (ScreenHostMaker makeScreens = GetScreenHostMaker())
        m_ScreenManager = makeScreens();
    else
        LogWrite("WARNING: Application::InitEngine, no screen manager is registered; nothing will be drawn.\n");
}

namespace {

// The folder of the running program file, whatever the current directory.
std::string ProgramFolder()
{
    std::string path = GetExecutablePath();
    size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

void Application::SetCommonDialogs(CommonDialogLibrary* library)
{
    CommonDialogLibrary* old = std::exchange(m_CommonDialogs, library);
    if (old && old != library)
        GetDialogLibraryHooks().destroy(old);
}

void Application::InitExePath(const char* argv0)
{
    std::string path = argv0 ? argv0 : "";
    size_t slash = path.rfind('/');
    // A bare name came from the search path, not from the current directory.
    std::string exePath = slash == std::string::npos ? ProgramFolder() : path.substr(0, slash);
    if (exePath.empty())
        exePath = "/";
    VELK_ASSERT_MSG(FileExists(exePath, EXISTS_DIRECTORY), (boost::format("exePath=\"%1%\"") % exePath).str());
    ApplyStringProperty("exePath", exePath);
}

void Application::RunStartupScripts()
{
    // Only the program's own folder: a file that happens to lie elsewhere must not run.
    std::string folder = ProgramFolder();
    for (const char* name : {"/VelkStartup.lua", "/VelkStartupRelease.lua"}) {
        std::string path = folder + name;
        if (!FileExists(path))
            continue;
        LogWrite("Loading startup script from: %s\n", path.c_str());
        if (m_LuaState.DoFile(path) != 0)
            VELK_THROW(ScriptError, (boost::format("Could not execute Lua resource file\nfile = %1%\nerror = %2%\n") %
                                     path % m_LuaState.PopErrorMessage())
                                        .str());
    }
}

void Application::CheckSingleInstance()
{
    m_SingleInstance = std::make_unique<SingleInstance>();
    std::string name = m_AppName;
    if (m_SingleInstance->Acquire(SingleInstance::GetDefaultFolder(), name) == SingleInstance::AcquireResult::Owned)
        return;
    // Another instance runs: tell it, and end this one quietly.
    m_SingleInstance->NotifyOwner();
    LogWrite("Application::InitEngine, %s is already running; asking it to come to the front.\n", m_AppName.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

void Application::PollRelaunch()
{
    if (m_SingleInstance && m_SingleInstance->PollRelaunched())
        OnRelaunched();
}

void Application::InitPaths()
{
    LogWrite("Initializing Paths...\n");
    LogWrite("\tm_DocumentsFolderName = \"%s\"\n", m_DocumentsFolderName.c_str());
    std::string personal = GetWindowsFolderPath(CSIDL_PERSONAL);
    LogWrite("\tCSIDL_PERSONAL = \"%s\"\n", personal.c_str());
    m_DocumentsBase = personal + "/" + m_DocumentsFolderName;
    CreateDirectories(m_DocumentsBase + "Technical Support Files/");
    CreateDirectories(m_DocumentsBase + "Player Cards/");
    // The program's folder is often read-only; the tick logs go with the log.
    if (m_TickPerformanceManager)
        m_TickPerformanceManager->SetLogFolder(m_DocumentsBase + "Technical Support Files/");
    for (int i = 1; i <= 4; ++i)
        AddCrashReportFile((boost::format("%1%Player Cards/Player%2%.card") % m_DocumentsBase % i).str(),
                           (boost::format("Player %1% Game Data") % i).str());

    std::string appData = GetWindowsFolderPath(CSIDL_APPDATA);
    LogWrite("\tCSIDL_APPDATA = \"%s\"\n", appData.c_str());
    LogWrite("\tm_AppDataFolderName = \"%s\"\n", m_AppDataFolderName.c_str());
    std::string appFolder = appData + "/" + m_AppDataFolderName;
    CreateDirectories(appFolder);
    m_ConfigFile = appFolder + m_ConfigFile;
    LogWrite("\tm_ConfigFile = \"%s\"\n", m_ConfigFile.c_str());
    AddCrashReportFile(m_ConfigFile, "Global Config File");
}

void Application::InitLog()
{
    // The screen layer's own log goes into ours.
    CDXLog::GetInstance().SetTextFunction(&LogWrite);
    CDXLog::GetInstance().SetFlags(CDXLog::CDXLOG_TEXTFUNCTION);

    std::string path = m_DocumentsBase + "Technical Support Files/VelkEngine.log";
    // The log of a run that crashed is what a report needs: it survives one restart.
    const std::string previous = path + ".old";
    if (std::rename(path.c_str(), previous.c_str()) != 0 && errno != ENOENT)
        LogWrite("WARNING: Could not keep the previous log as \"%s\": %s\n", previous.c_str(), std::strerror(errno));
    FILE* file = std::fopen(path.c_str(), "w");
    if (file)
        AddCrashReportFile(path, "Engine Log File");
    else
        LogWrite("%s\n", (boost::format("Could not open log file:\nfile = %1%\nerrno = %2%\nerror string = %3%") % path %
                          errno % std::strerror(errno))
                             .str()
                             .c_str());

    if (RetrieveBoolProperty("enableConsole", false)) {
        // The console is the terminal the program was started from: the log
        // already reaches it through standard output.
        OpenConsole();
    }

    if (file) {
        LogWrite("Created log file at \"%s\"\n", path.c_str());
        LogWrite("Writing previous log entries to disk.\n");
        WriteCachedLogLines(file);
        std::fflush(file);
        std::fclose(file);
        ClearLogCache();
        SetLogFilePath(path);
    }
}

void Application::ChdirToExePath()
{
    std::string exePath = RetrieveStringProperty("exePath", ".");
    if (!FileExists(exePath, EXISTS_DIRECTORY))
        VELK_THROW(Exception, AssertionText("dirAttribs != ((DWORD)-1)",
                                            (boost::format("GetFileAttributes failed.\nfile = %1%\nerror = %2%") %
                                             exePath % GetCRuntimeErrorText())
                                                .str()));
    if (::chdir(exePath.c_str()) != 0)
        VELK_THROW(Exception,
                   (boost::format("Could not chdir:\ndir = %1%\nerror = %2%") % exePath % std::strerror(errno)).str());
}

void Application::LoadLogLevel()
{
    Log(3, "Application::Load in Default Log Level\n");
    int level = 2;
    LuaObject value = RetrieveProperty("logLevel");
    if (value.IsNumber())
        level = value.GetInteger();
    Log(0, "Application::Setting Log Level to %d\n", level);
    m_LogLevel = level;
}

void Application::ShutdownEngine()
{
    WriteConfig();
    ClassManager::DestroyInstance();
}

void Application::InitResourceScanners()
{
    // The program's own scripts, or the same files from the source tree.
    std::string base = RetrieveStringProperty("engineSourceTreeBasePath", "");
    if (RetrieveBoolProperty("useExeResources", true)) {
        m_ResourceManager->AddResourceScanner(std::make_unique<WindowsApplicationResourceScanner>());
    } else {
        m_ResourceManager->AddResourceScanner(
            std::make_unique<WindowsDirectoryResourceScanner>(base + "scripts/engine/", true, true));
        m_ResourceManager->AddResourceScanner(
            std::make_unique<WindowsDirectoryResourceScanner>(base + "scripts/game/", true, true));
    }
    // The game data: the package beside the program, or its unpacked folder.
    if (RetrieveBoolProperty("usePackageFiles", true))
        m_ResourceManager->AddResourceScanner(std::make_unique<PhysFSResourceScanner>(m_PackageFile));
    else
        m_ResourceManager->AddResourceScanner(std::make_unique<PhysFSResourceScanner>("data"));
}

void Application::LoadScripts()
{
    Script::InitializeScripting();
    VelkLuaState::DoResourceFile(m_LuaState, "Utility.lua");
    Colors::RegisterScriptTable();
    if (!m_ConstConfigFile.empty())
        VelkLuaState::DoResourceFile(m_LuaState, m_ConstConfigFile);
    ResourceEntry site;
    if (!m_SiteConfigFile.empty() && FindResourceEntry(m_SiteConfigFile, true, site))
        VelkLuaState::DoResourceFile(m_LuaState, m_SiteConfigFile);
    VelkLuaState::DoResourceFile(m_LuaState, "ResourceLoader.lua");
    VelkLuaState::DoResourceFile(m_LuaState, "PlayerDefaults.lua");
    VelkLuaState::DoResourceFile(m_LuaState, "Player.lua");
    SetScriptPaths();
}

void Application::SetScriptPaths()
{
    LuaObject paths = m_LuaState.GetGlobal("Paths");
    if (paths.IsNil())
        paths = m_LuaState.GetGlobals().CreateTable("Paths");
    std::string exePath = RetrieveStringProperty("exePath", ".");
    paths.SetString("PlayerData", m_DocumentsBase + "Player Cards/");
    paths.SetString("VelkScripts", exePath + "/Scripts/Velk/");
    paths.SetString("GameScripts", exePath + "/Scripts/Game/");
}

// ---------------------------------------------------------------- command line and settings

void Application::ParseCmdLineArgs(int argc, const char* const* argv)
{
    m_Args.clear();
    LogWrite("Command Line Parameters: ");
    std::string argv0 = argc > 0 && argv[0] ? argv[0] : "";
    LogWrite("'%s' ", argv0.c_str());
    m_Args.push_back(argv0);
    std::string group;
    bool startedBySwitch = false;
    auto flush = [&] {
        if (!group.empty()) {
            LogWrite("'%s' ", group.c_str());
            m_Args.push_back(group);
        }
        group.clear();
    };
    for (int i = 1; i < argc; ++i) {
        VELK_ASSERT(strlen(argv[i]) > 0);
        if (argv[i][0] == '-') {
            flush();
            group = argv[i];
            startedBySwitch = true;
        } else {
            if (startedBySwitch)
                group += ' ';
            group += argv[i];
        }
    }
    flush();
    LogWrite("\n");
}

std::string Application::GetArg(std::size_t index) const
{
    VELK_ASSERT(index < GetNumArgs());
    return m_Args[index];
}

bool Application::HasArg(const std::string& text) const
{
    for (const std::string& arg : m_Args)
        if (arg.compare(0, text.size(), text) == 0)
            return true;
    return false;
}

void Application::SetConfigDefaults()
{
    ApplyBoolProperty("allowGrabInputStateChange", true);
    ApplyBoolProperty("allowMultipleInstances", false);
    ApplyBoolProperty("allowShowCursorStateChange", true);
    ApplyStringProperty("appDirectoryInSourceTree", m_AppName);
    ApplyBoolProperty("enableEditor", false);
    ApplyBoolProperty("enableHWAccel", false);
    ApplyBoolProperty("overrideHWAccelInConfig", false);
    ApplyBoolProperty("enableLuaDebugger", false);
    ApplyBoolProperty("enableMusic", true);
    ApplyBoolProperty("enableSafeMode", false);
    ApplyBoolProperty("enableSound", true);
    ApplyBoolProperty("enableVSync", true);
    // The source tree this program was built from (scripts read with "--noExeResources").
    ApplyStringProperty("engineSourceTreeBasePath", VELK_SOURCE_TREE);
    ApplyBoolProperty("keepCWD", false);
    ApplyBoolProperty("enableConsole", false);
    ApplyBoolProperty("useExeResources", true);
    ApplyBoolProperty("usePackageFiles", true);
}

namespace {

// Every switch the program knows, by its beginning (as HasArg tests them).
const char* const kKnownSwitches[] = {
    "--multiapp", "--nohwaccel", "--hwaccel", "--luadebug", "--nomusic", "--safemode", "--nosound",
    "--keepcwd", "--nopkg", "--noExeResources", "--log", "-log", "--logoff", "-logoff", "--console",
    "-f", "--fullscreen", "-w", "--windowed", "--disableCrashRpt", "--noprecache",
};

} // namespace

void Application::ConvertCmdLineArgsToProperties()
{
    const std::pair<const char*, std::pair<const char*, bool>> switches[] = {
        {"--multiapp", {"allowMultipleInstances", true}}, {"--nohwaccel", {"enableHWAccel", false}},
        {"--hwaccel", {"enableHWAccel", true}},            {"--luadebug", {"enableLuaDebugger", true}},
        {"--nomusic", {"enableMusic", false}},             {"--safemode", {"enableSafeMode", true}},
        {"--nosound", {"enableSound", false}},             {"--keepcwd", {"keepCWD", true}},
        {"--nopkg", {"usePackageFiles", false}},           {"--noExeResources", {"useExeResources", false}},
    };
    for (const auto& [name, setting] : switches)
        if (HasArg(name))
            ApplyBoolProperty(setting.first, setting.second);

    const std::pair<const char*, int> logSwitches[] = {{"--log4", 4}, {"--log3", 3},   {"--log2", 2},
                                                       {"--log1", 1}, {"--log0", 0},   {"--logoff", 0},
                                                       {"-logoff", 0}, {"--log", 4},   {"-log", 4}};
    for (const auto& [name, level] : logSwitches) {
        if (HasArg(name)) {
            ApplyIntegerProperty("logLevel", level);
            break;
        }
    }

    if (HasArg("--console"))
        ApplyBoolProperty("enableConsole", true);

    bool fullScreen = HasArg("-f") || HasArg("--fullscreen");
    bool windowed = HasArg("-w") || HasArg("--windowed");
    VELK_ASSERT_MSG(!(fullScreen && windowed), "Both fullscreen and windowed modes were specified on the command line.");
    if (fullScreen || windowed)
        ApplyBoolProperty("fullScreen", fullScreen);

    // A switch nobody knows is reported and otherwise ignored.
    for (std::size_t i = 1; i < m_Args.size(); ++i) {
        const std::string& arg = m_Args[i];
        if (arg.empty() || arg[0] != '-')
            continue;
        bool known = false;
        for (const char* name : kKnownSwitches)
            known = known || arg.compare(0, std::strlen(name), name) == 0;
        if (!known)
            LogWrite("WARNING: Unknown command line switch ignored: %s\n", arg.c_str());
    }
}

void Application::ReadConfig()
{
    VELK_ASSERT(!m_ConfigDefaultsFile.empty());
    VELK_ASSERT(!m_ConfigFile.empty());
    VelkLuaState::DoResourceFile(m_LuaState, m_ConfigDefaultsFile);
    m_Config->DoFile(m_ConfigFile);
    if (RetrieveBoolProperty("overrideHWAccelInConfig", false)) {
        m_Config->SetBool("use_3d_acceleration", m_HWAccelEnabled);
        return;
    }
    Variant stored = m_Config->Retrieve("use_3d_acceleration");
    if (stored.IsBool())
        ApplyBoolProperty("enableHWAccel", stored.ToBool());
    else
        m_Config->SetBool("use_3d_acceleration", m_HWAccelEnabled);
}

void Application::WriteConfig()
{
    VELK_ASSERT(!m_ConfigFile.empty());
    if (m_Config)
        m_Config->Write(m_ConfigFile);
}

void Application::FallBackToSoftwareDisplay()
{
    LogWrite("Application::FallBackToSoftwareDisplay called.\n");
    m_HWAccelEnabled = false;
    m_HWAccelChanged = true;
}

void Application::EnableHWAccel(bool enable)
{
    LogWrite("Application::EnableHWAccel(%s) called.\n", enable ? "true" : "false");
    if (enable != m_HWAccelEnabled) {
        LogWrite("Application::EnableHWAccel, m_HWAccelEnabled is changing from %s to %s.\n",
                 m_HWAccelEnabled ? "true" : "false", enable ? "true" : "false");
        m_HWAccelChanged = true;
    }
    m_HWAccelEnabled = enable;
    ApplyBoolProperty("overrideHWAccelInConfig", true);
    if (m_Config)
        m_Config->SetBool("use_3d_acceleration", enable);
}

// ---------------------------------------------------------------- events

bool Application::TakeClickPermit()
{
    bool permitted = g_ClickPermit;
    g_ClickPermit = false;
    return permitted;
}

void Application::InitEventDataTypes()
{
    m_EventQueue.InitEngineEventDataTypes();
}

void Application::SetEventDataType(const std::string& name, int type, int kind)
{
    if (!name.empty() && NameOfEvent(type) != name)
        RegisterEventName(type, name);
    SetEventDataType(type, kind);
}

void Application::SetEventDataType(int type, int kind)
{
    m_EventQueue.SetEventDataType(type, kind);
}

void Application::PostEvent(EventReceiver* receiver, const EventRecord& record)
{
    m_EventQueue.Post(receiver, record);
}

bool Application::SendEvent(EventReceiver* receiver, const EventRecord& record)
{
    return receiver ? receiver->OnEvent(record) : OnEvent(record);
}

void Application::FlagForDeletion(Object* object)
{
    m_FlaggedObjects.push_back(object);
}

void Application::ForgetObject(Object* object)
{
    m_EventQueue.ForgetReceiver(object);
    m_EventQueue.ForgetSender(object);
    m_FlaggedObjects.erase(std::remove(m_FlaggedObjects.begin(), m_FlaggedObjects.end(), object),
                           m_FlaggedObjects.end());
    if (m_Config)
        m_Config->ForgetObserver(object);
}

void Application::DeleteFlaggedObjects()
{
    // Objects flagged while this runs join the end and go in the same run.
    while (!m_FlaggedObjects.empty()) {
        Object* object = m_FlaggedObjects.front();
        m_FlaggedObjects.pop_front();
        object->DetachBeforeDeletion();
        delete object;
    }
}

bool Application::IsPrimaryMouseButton(int sdlButton) const
{
    return sdlButton >= 1 && sdlButton <= 5 && (m_PrimaryMouseButtons & (1u << (sdlButton - 1))) != 0;
}

void Application::DispatchQueuedEvent(EventReceiver* receiver, EventRecord& record, bool dropped)
{
    if (!dropped) {
        if (receiver)
            receiver->OnEvent(record);
        else
            OnEvent(record);
    }
    m_EventQueue.ReleaseEventData(record);
}

bool Application::OnEvent(const EventRecord& event)
{
    if (m_Paused && event.type >= 2 && event.type <= 7)
        return true;
    if (Object::OnEvent(event))
        return true;
    return m_ScreenManager && m_ScreenManager->OfferEvent(event);
}

bool Application::OnActiveEvent(const EventRecord& event)
{
    ResetRollover();
    bool noPause = RetrieveBoolProperty("NoPauseOnFocusLoss", false);
    // X11 tells the keyboard focus and the iconified state apart: getting
    // either back resumes, losing either pauses. The focus coming back to an
    // iconified window is not enough.
    const bool visibility = (event.active.state & SDL_APPACTIVE) != 0;
    const bool focus = (event.active.state & SDL_APPINPUTFOCUS) != 0;
    if ((visibility || (focus && !m_Minimized)) && event.active.gain == 1) {
        if (!noPause) {
            Log(2, "Application::OnActiveEvent, FOCUS GAIN, calling DoPauseApp(false)\n");
            DoPauseApp(false);
        }
        if (visibility)
            m_CheckVideo = true;
    } else if ((visibility || focus) && event.active.gain == 0) {
        if (!noPause) {
            Log(2, "Application::OnActiveEvent, FOCUS LOST, calling DoPauseApp(true)\n");
            DoPauseApp(true);
        }
    }
    return false;
}

bool Application::OnQuit()
{
    Quit();
    return true;
}

bool Application::OnConfigUpdate(const EventRecord&)
{
    WriteConfig();
    return true;
}

bool Application::OnTimer(const EventRecord& event)
{
    if (m_ShortcutKeyTimer != 0 && TimerIDOfEvent(event) == m_ShortcutKeyTimer) {
        m_TimerManager->FreeTimer(m_ShortcutKeyTimer);
        m_ShortcutKeyTimer = 0;
        m_Flags |= APPFLAG_SHOW_KEY_TIPS;
    }
    return true;
}

bool Application::OnKeyUp(const EventRecord& event)
{
    SDLKey key = event.key.keysym.sym;
    if (key == SDLK_LALT || key == SDLK_RALT) {
        if (m_ShortcutKeyTimer && m_TimerManager) {
            m_TimerManager->FreeTimer(m_ShortcutKeyTimer);
            m_ShortcutKeyTimer = 0;
        }
        m_Flags &= ~APPFLAG_SHOW_KEY_TIPS;
    }
    return false;
}

bool Application::OnMouseMotion(const EventRecord&)
{
    RequestRolloverReset();
    return false;
}

void Application::Quit()
{
    m_Running = false;
}

void Application::PauseGame(bool pause)
{
    if (pause && !(m_Flags & (APPFLAG_GAME_PAUSED | APPFLAG_GAME_PAUSE_PENDING))) {
        Log(3, "Pausing Game\n");
        m_Flags |= APPFLAG_GAME_PAUSE_PENDING;
        if (m_TimerManager)
            m_TimerManager->PauseTimerGroup("default", false);
        PostEvent(nullptr, MakeEventRecord(VELK_PAUSEGAME, 1));
    } else if (!pause && (m_Flags & (APPFLAG_GAME_PAUSED | APPFLAG_GAME_PAUSE_PENDING))) {
        Log(3, "Resuming Game\n");
        if (m_TimerManager)
            m_TimerManager->ResumeTimerGroup("default", false);
        m_Flags &= ~(APPFLAG_GAME_PAUSED | APPFLAG_GAME_PAUSE_PENDING);
        PostEvent(nullptr, MakeEventRecord(VELK_PAUSEGAME, 0));
    }
}

void Application::DoPauseApp(bool pause)
{
    if (m_Paused == pause)
        return;
    m_Paused = pause;
    Log(3, "Application::DoPauseApp(%s) called, IsCursorShown=%s, m_W.C.S.=%s\n", pause ? "true" : "false",
        SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE ? "true" : "false", m_WasCursorShown ? "true" : "false");
    if (pause) {
        Sound::Pause();
        m_WasCursorShown = ShowCursor(true);
        m_InputWasGrabbed = GrabInput(false);
        if (m_ShortcutKeyTimer && m_TimerManager) {
            m_TimerManager->FreeTimer(m_ShortcutKeyTimer);
            m_ShortcutKeyTimer = 0;
        }
        if (m_TimerManager)
            m_TimerManager->SetPaused();
        Log(3, "Application::DoPauseApp(%s), m_WasCursorShown is now=%s\n", "true", m_WasCursorShown ? "true" : "false");
    } else {
        if (m_TimerManager)
            m_TimerManager->RebaseTimers();
        ShowCursor(m_WasCursorShown);
        GrabInput(m_InputWasGrabbed);
        Sound::Resume();
        if ((m_Flags & APPFLAG_SHOW_KEY_TIPS) && !(SDL_GetModState() & KMOD_ALT)) {
            m_Flags &= ~APPFLAG_SHOW_KEY_TIPS;
            if (m_ShortcutKeyTimer && m_TimerManager) {
                m_TimerManager->FreeTimer(m_ShortcutKeyTimer);
                m_ShortcutKeyTimer = 0;
            }
        }
    }
    Log(3, "Application::DoPauseApp(%s) finished, IsCursorShown=%s\n", pause ? "true" : "false",
        SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE ? "true" : "false");
}

// ---------------------------------------------------------------- resources

bool Application::FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry)
{
    if (m_ResourceManager)
        return m_ResourceManager->FindResourceEntry(name, returnNullIfMissing, entry);
    if (const EmbeddedFile* file = FindEmbeddedFile(name)) {
        auto& reader = m_EmbeddedReaders[name];
        if (!reader)
            reader = std::make_unique<EmbeddedFileReader>(*file);
        entry.name = name;
        entry.reader = reader.get();
        entry.type = RESOURCE_UNKNOWN;
        return true;
    }
    if (returnNullIfMissing)
        return false;
    VELK_THROW(ResourceNotFoundException, (boost::format("Could not find resource info with name = %1%") % name).str());
}

CoreHost::ResourceEntry Application::AcquireResource(const std::string& name)
{
    if (m_ResourceManager)
        return m_ResourceManager->AcquireResourceEntry(name);
    ResourceEntry entry;
    LuaObject table = m_LuaState.GetGlobal("Resources")[name];
    if (table.IsTable()) {
        entry.name = name;
        entry.type = RESOURCE_TABLE;
        entry.table = table;
        return entry;
    }
    FindResourceEntry(name, false, entry);
    return entry;
}

void Application::InitResourceManager()
{
    m_ResourceManager = std::make_unique<ResourceManager>();
    m_ResourceManager->AddResourceLoader(std::make_unique<SDLImageLoader>());
    m_ResourceManager->AddResourceLoader(std::make_unique<BASSSoundLoader>());
    m_ResourceManager->AddResourceLoader(std::make_unique<DirectMusicLoader>());
    // Local additions beside the program; an install without them still starts.
    m_ResourceManager->AddResourceScanner(std::make_unique<WindowsDirectoryResourceScanner>("Site/", true, false));
}

void Application::ScanResources()
{
    m_ResourceManager->ScanAll();
}

// ---------------------------------------------------------------- main loop

namespace {

const char* const kTickCounterNames[] = {"all",
                                         "shell",
                                         "events",
                                         "timers",
                                         "delayed rollover reset",
                                         "ticking",
                                         "drawing",
                                         "updating screen",
                                         "wait for tick end",
                                         "flagged deletions",
                                         "garbage collection",
                                         "tick delay"};

enum TickCounter
{
    COUNTER_ALL,
    COUNTER_SHELL,
    COUNTER_EVENTS,
    COUNTER_TIMERS,
    COUNTER_ROLLOVER,
    COUNTER_TICKING,
    COUNTER_DRAWING,
    COUNTER_UPDATING,
    COUNTER_WAIT,
    COUNTER_DELETIONS,
    COUNTER_GC,
    COUNTER_DELAY,
};

} // namespace

void Application::SetLoopClock(LoopClock* clock)
{
    m_LoopClock = clock ? clock : &g_SDLLoopClock;
}

void Application::Run()
{
    StartLoop();
    while (m_Running)
        RunPass();
    EndLoop();
}

void Application::StartLoop()
{
    m_TickCounters.clear();
    for (const char* name : kTickCounterNames)
        m_TickCounters.push_back(std::make_unique<ScopedTickCounter>(*m_PerformanceCounterManager, name, false));
    LaunchOnRunHook();
    // From here on Ctrl+C and SIGTERM end the loop the normal way.
    Interrupts::Install(m_LuaState.GetCState());
    m_Running = true;
    m_Paused = false;
    m_LastPaused = false;
    m_NextTickTime = m_LoopClock->GetTicks() + (m_SlowMode ? kSlowTickPeriod : kTickPeriod);
    LogWrite("Starting main loop.\n");
}

void Application::EndLoop()
{
    ShutdownGame();
    ShutdownEngine();
}

void Application::RunPass()
{
    auto counter = [this](int index) -> ScopedTickCounter& { return *m_TickCounters[index]; };
    ++m_FrameCounter;
    m_PassStartTime = m_LoopClock->GetTicks();
    // Music keeps its parts going in every pass, paused or not.
    if (DirectMusic* music = DirectMusic::GetInstance())
        music->Update(m_PassStartTime);

    if (m_LogTickInfo && !m_TickPerformanceManager->IsMeasuringPerformance()) {
        if (!m_TickPerformanceManager->StartMeasuringPerformance()) {
            LogWrite("WARNING: Could not start measuring performance!\n");
            m_LogTickInfo = false;
        }
    }
    bool measuring = m_TickPerformanceManager->IsMeasuringPerformance();
    if (measuring) {
        m_TickPerformanceManager->BeginTick();
        counter(COUNTER_ALL).Start();
    }
    if (m_Flags & APPFLAG_GAME_PAUSE_PENDING) {
        VELK_ASSERT((m_Flags & APPFLAG_GAME_PAUSED) == 0);
        m_Flags &= ~APPFLAG_GAME_PAUSE_PENDING;
        m_Flags |= APPFLAG_GAME_PAUSED;
    }

    bool pausedAtStart = m_Paused;
    if (m_Paused != m_LastPaused) {
        m_LastPaused = m_Paused;
        Log(3, "Pausing app: %s\n", m_Paused ? "true" : "false");
        PostEvent(nullptr, MakeEventRecord(VELK_PAUSEAPP, 1, reinterpret_cast<void*>(m_Paused ? 1 : 0)));
    }

    counter(COUNTER_SHELL).Start();
    PollRelaunch();
    if (m_Shell)
        m_Shell->Poll();
    counter(COUNTER_SHELL).Stop();
    if (const int signal = Interrupts::TakeTerminationRequest()) {
        LogWrite("Application::RunPass, %s received, quitting.\n", signal == SIGINT ? "SIGINT" : "SIGTERM");
        Quit();
    }

    // At most one button click per pass.
    g_ClickPermit = true;
    counter(COUNTER_EVENTS).Start();
    for (;;) {
        EventRecord record;
        if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_PollEvent(&record)) {
            // A press that comes in the same pass as the move onto a button
            // must find the button under the pointer already.
            if (m_RolloverResetRequested && !m_Paused &&
                (record.type == SDL_MOUSEBUTTONDOWN || record.type == SDL_MOUSEBUTTONUP)) {
                m_RolloverResetRequested = false;
                ResetRolloverAt(record.button.x, record.button.y, true);
            }
            OnEvent(record);
            m_EventQueue.ReleaseEventData(record);
            continue;
        }
        EventReceiver* receiver = nullptr;
        bool dropped = false;
        if (!m_EventQueue.Pop(receiver, record, dropped))
            break;
        DispatchQueuedEvent(receiver, record, dropped);
    }
    counter(COUNTER_EVENTS).Stop();

    if (m_Paused && pausedAtStart) {
        // Paused: only the shell and the events run; timers, screens, drawing
        // and deletions stand still.
        m_LoopClock->Delay(10);
        if (m_UseAggressiveGarbageCollection) {
            counter(COUNTER_GC).Start();
            m_LuaState.CollectGarbage();
            counter(COUNTER_GC).Stop();
        }
    } else {
        counter(COUNTER_TIMERS).Start();
        m_TimerManager->Update();
        counter(COUNTER_TIMERS).Stop();

        counter(COUNTER_ROLLOVER).Start();
        if (m_RolloverResetRequested) {
            ResetRollover();
            m_RolloverResetRequested = false;
        }
        counter(COUNTER_ROLLOVER).Stop();

        counter(COUNTER_TICKING).Start();
        UpdateScreens();
        counter(COUNTER_TICKING).Stop();

        RecreateWindowIfNeeded();

        if (!m_Minimized) {
            if (m_FirstDraw)
                LogWrite("Application::Run, Performing first draw...\n");
            counter(COUNTER_DRAWING).Start();
            DrawScreens();
            counter(COUNTER_DRAWING).Stop();
            if (m_FirstDraw)
                LogWrite("Application::Run, Performing first screen update...\n");
            counter(COUNTER_UPDATING).Start();
            UpdateScreen();
            counter(COUNTER_UPDATING).Stop();
            if (m_FirstDraw)
                LogWrite("Application::Run, First screen draw complete.\n");
            if (m_ScreenshotRequested) {
                TakeScreenshot();
                m_ScreenshotRequested = false;
            }
            m_FirstDraw = false;
        }

        // Nothing waits here: the developer step mode has no switch.
        counter(COUNTER_WAIT).Start();
        counter(COUNTER_WAIT).Stop();

        if (!m_Running) {
            SwitchToNoScreen();
            SendEvent(nullptr, MakeEventRecord(VELK_APPQUIT));
        }

        counter(COUNTER_DELETIONS).Start();
        DeleteFlaggedObjects();
        counter(COUNTER_DELETIONS).Stop();

        if (m_UseAggressiveGarbageCollection) {
            counter(COUNTER_GC).Start();
            m_LuaState.CollectGarbage();
            counter(COUNTER_GC).Stop();
        }

        counter(COUNTER_DELAY).Start();
        if (!(m_Flags & APPFLAG_FRAMERATE_UNCAPPED)) {
            // Sleeps until the next tick rather than spinning.
            uint32_t now = m_LoopClock->GetTicks();
            if (static_cast<int32_t>(m_NextTickTime - now) > 0)
                m_LoopClock->Delay(m_NextTickTime - now);
        }
        counter(COUNTER_DELAY).Stop();
        m_NextTickTime = m_LoopClock->GetTicks() + (m_SlowMode ? kSlowTickPeriod : kTickPeriod);
        if (measuring)
            counter(COUNTER_ALL).Stop();
        if (m_ScreenManager)
            m_ScreenManager->CountPass(m_PassStartTime, m_LoopClock->GetTicks());
    }

    if (m_TickPerformanceManager->IsMeasuringPerformance()) {
        m_TickPerformanceManager->EndTick();
        if (!m_LogTickInfo)
            m_TickPerformanceManager->StopMeasuringPerformance();
    }
}

void Application::LaunchOnRunHook()
{
    LuaObject hook = RetrieveProperty("onRun");
    if (!hook.IsFunction())
        return;
    LogWrite("'onRun' hook function detected.  This will be run now.\n");
    try {
        LuaFunction<void>{hook}();
    } catch (const LuaException& e) {
        VELK_THROW(Exception, (boost::format("LuaExceptionInfo:\n\nCompile Date: %1%\nCompile Time: %2%\nOrigin: "
                                             "%3%:%4%\nFunction: %5%\n\n%6%") %
                               e.GetBuildDate() % e.GetBuildTime() % e.GetOriginFile() % e.GetLine() %
                               e.GetFunction() % e.GetMessage())
                                  .str());
    }
}

void Application::RecreateWindowIfNeeded()
{
    bool recreate = false;
    bool fullScreen = m_FullScreen;
    if (m_ForceDisplayReset) {
        recreate = true;
        m_ForceDisplayReset = false;
    }
    if (m_ToggleFullScreenOnNextDraw) {
        LogWrite("Application::Run, m_ToggleFullScreenOnNextDraw == true, will recreate window.\n");
        m_ToggleFullScreenOnNextDraw = false;
        fullScreen = !m_FullScreen;
        recreate = true;
    }
    if (m_CheckVideo) {
        m_CheckVideo = false;
        Log(3, "Application::Run, m_CheckVideo == true\n calling DISPLAY_MGR->IsCurrentDisplayValid().\n");
        if (m_DisplayManager->GetBackend() && !m_DisplayManager->IsCurrentDisplayValid()) {
            Log(3, "Application::Run, DISPLAY_MGR->IsCurrentDisplayValid() == false, will recreate window.\n");
            recreate = true;
        } else {
            Log(3, "Application::Run, DISPLAY_MGR->IsCurrentDisplayValid() == true.\n");
        }
    }
    if (m_HWAccelChanged) {
        LogWrite("Application::Run, m_HWAccelChanged == true, will recreate window.\n");
        recreate = true;
    }
    if (!recreate)
        return;
    LogWrite("Application::Run, Recreating window.\n");
    DoPauseApp(true);
    if (fullScreen)
        UseFullScreen(m_ScreenWidth, m_ScreenHeight, 32);
    else
        UseWindowedScreen(m_ScreenWidth, m_ScreenHeight, 32);
    m_HWAccelChanged = false;
    DoPauseApp(false);
}


// ---------------------------------------------------------------- script functions

namespace {

int Script_AppQuit(lua_State*)
{
    if (APP)
        APP->Quit();
    return 0;
}

int Script_AppPostEvent(lua_State* L)
{
    const char* name = lua_tostring(L, -1);
    int type = TypeOfEvent(name ? name : "");
    if (APP)
        APP->PostEvent(nullptr, MakeEventRecord(static_cast<uint8_t>(type)));
    return 0;
}

int Script_ShowFPS(lua_State* L)
{
    if (APP)
        APP->ShowFPSCounter(lua_isboolean(L, -1) ? lua_toboolean(L, -1) != 0 : !APP->IsFPSCounterShown());
    return 0;
}

// SaveScreenshot([path]): the screen after the next draw, as a bitmap.
int Script_SaveScreenshot(lua_State* L)
{
    if (APP)
        APP->RequestScreenshot(lua_type(L, 1) == LUA_TSTRING ? lua_tostring(L, 1) : "");
    return 0;
}

int Script_CapFramerate(lua_State* L)
{
    if (!APP)
        return 0;
    bool uncapped = (APP->GetFlags() & APPFLAG_FRAMERATE_UNCAPPED) != 0;
    bool cap = lua_isboolean(L, -1) ? lua_toboolean(L, -1) != 0 : uncapped;
    if (cap == !uncapped)
        return 0;
    if (cap) {
        APP->SetFlags(APP->GetFlags() & ~APPFLAG_FRAMERATE_UNCAPPED);
        LogWrite("Frame rate cap enabled\n");
    } else {
        APP->SetFlags(APP->GetFlags() | APPFLAG_FRAMERATE_UNCAPPED);
        LogWrite("Frame rate cap disabled\n");
    }
    return 0;
}

int Script_WriteConfig(lua_State*)
{
    if (APP)
        APP->WriteConfig();
    return 0;
}

int Script_EnableUnicode(lua_State* L)
{
    int enable = static_cast<int>(lua_tonumber(L, -1));
    lua_pushnumber(L, SDL_EnableUNICODE(enable < 0 ? -1 : enable > 0 ? 1 : 0));
    return 1;
}

ScriptFunctionRegistration s_AppQuit(Script_AppQuit, "AppQuit");
ScriptFunctionRegistration s_AppPostEvent(Script_AppPostEvent, "AppPostEvent");
ScriptFunctionRegistration s_ShowFPS(Script_ShowFPS, "ShowFPS");
ScriptFunctionRegistration s_CapFramerate(Script_CapFramerate, "CapFramerate");
ScriptFunctionRegistration s_SaveScreenshot(Script_SaveScreenshot, "SaveScreenshot");
ScriptFunctionRegistration s_WriteConfig(Script_WriteConfig, "WriteConfig");
ScriptFunctionRegistration s_EnableUnicode(Script_EnableUnicode, "EnableUnicode");

} // namespace
