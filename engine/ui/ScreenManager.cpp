#include "engine/ui/ScreenManager.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/SurfaceManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/ActorGroup.h"
#include "engine/ui/Button.h"
#include "engine/ui/DrawOrderIterators.h"
#include "engine/ui/NumericalStatDisplay.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ViewableTransition.h"

#include <algorithm>

namespace {

const char kCurrentScreenKey[] = "currentScreen";
// The window buttons carry no text; their label font is the configured button face.
constexpr int kWindowButtonFontSize = 18;

Screen* ScreenOf(const LuaObject& value)
{
    return dynamic_cast<Screen*>(Object::FromLuaObject(value));
}

// Drawn: it and every ancestor visible, none of them going away.
bool IsDrawnInTree(const Actor& actor)
{
    for (const Actor* a = &actor; a; a = a->GetParent())
        if (!a->IsVisible() || a->IsBeingDestroyed())
            return false;
    return true;
}

// The roll-over walk enters only subtrees that are shown and hold something
// that reacts to the pointer.
bool SkipsRollover(const Actor& actor)
{
    if (!actor.IsVisible() || actor.IsBeingDestroyed())
        return true;
    return !actor.IsRolloverable() && actor.GetNumRolloverableChildren() <= 0;
}

std::unique_ptr<ScreenHost> MakeScreenManager()
{
    return std::make_unique<ScreenManager>();
}

// Every application made after start-up gets a screen manager.
const bool s_Registered = (SetScreenHostMaker(MakeScreenManager), true);

} // namespace

ScreenManager* ScreenManager::GetInstance()
{
    Application* app = Application::GetInstance();
    return app ? dynamic_cast<ScreenManager*>(app->GetScreenHost()) : nullptr;
}

ScreenManager::ScreenManager()
    : m_RolloverGroup(std::make_unique<ActorGroup>()),
      m_TreeBrowser([this]() -> Actor* { return GetCurrentScreen(); })
{
    LuaState state = ObjectLuaState();
    m_ScreenDictionary.AssignNewTable(state);
    LuaObject globals = state.GetGlobals();
    globals.SetObject("ScreenManager", m_ScreenDictionary);
    globals.SetObject("Screens", m_ScreenDictionary);

    Application* app = Application::GetInstance();
    m_GlobalOverlay = std::make_unique<Actor>();
    m_GlobalOverlay->SetPosition(0, 0);
    m_GlobalOverlay->SetSize(app ? app->GetScreenWidth() : 0, app ? app->GetScreenHeight() : 0);
    // A game may dress the overlay; the engine ships none.
    LuaObject resources = state.GetGlobal("Resources");
    if (resources.IsTable() && !resources["GlobalOverlay"].IsNil())
        m_GlobalOverlay->ApplyNamedResource("GlobalOverlay");

    CreateWindowsButtons();
    UpdateWindowButtons();
}

ScreenManager::~ScreenManager()
{
    try {
        m_ResourceMemoryUsageCounter.reset();
        m_FPSCounter.reset();
        m_RolloverGroup.reset();
        m_Transition.reset();
        std::vector<Screen*> screens = GetScreens();
        if (m_ScreenDictionary.IsTable())
            m_ScreenDictionary.SetNil(kCurrentScreenKey);
        for (Screen* screen : screens)
            delete screen;
        LuaObject globals = ObjectLuaState().GetGlobals();
        for (const char* name : {"ScreenManager", "Screens"})
            if (globals[name] == m_ScreenDictionary)
                globals.SetNil(name);
        m_ScreenDictionary = LuaObject();
        m_GlobalOverlay.reset();
    } catch (...) {
        LogWrite("WARNING: ScreenManager::~ScreenManager: %s\n", CurrentExceptionMessage().c_str());
    }
}

// ---------------------------------------------------------------- the screens

std::vector<Screen*> ScreenManager::GetScreens() const
{
    std::vector<Screen*> screens;
    if (!m_ScreenDictionary.IsTable())
        return screens;
    for (LuaTableIterator it(m_ScreenDictionary); it; it.Next()) {
        if (it.GetKey().IsString() && it.GetKey().GetString() == kCurrentScreenKey)
            continue;
        Screen* screen = ScreenOf(it.GetValue());
        // A screen filed under two names is still one screen.
        if (screen && std::find(screens.begin(), screens.end(), screen) == screens.end())
            screens.push_back(screen);
    }
    return screens;
}

void ScreenManager::AddScreen(Screen* screen)
{
    VELK_ASSERT(screen != 0);
    const std::string screenName = screen->GetName();
    VELK_ASSERT_MSG(screenName != "currentScreen", "The screen name of \"currentScreen\" is reserved for use by Velk.");
    if (!m_ScreenDictionary[screenName].IsNil())
        VELK_THROW(Exception,
                   AssertionText("m_ScreenDictionary[screenName.c_str()].IsNil()",
                                 (boost::format("A Screen with name \"%1%\" already exists.") % screenName).str()));
    m_ScreenDictionary.SetObject(screenName.c_str(), screen->GetLuaObject());
}

Screen* ScreenManager::GetScreen(const std::string& name) const
{
    if (name.empty())
        return GetCurrentScreen();
    LuaObject screenObj = m_ScreenDictionary[name];
    Screen* screen = screenObj.IsUserData() ? ScreenOf(screenObj) : nullptr;
    if (!screen)
        VELK_THROW(Exception,
                   AssertionText("screenObj.IsUserData()",
                                 (boost::format("Couldn't find a screen with name=\"%1%\".  Entry has a type name of "
                                                "\"%2%\"") %
                                  name % screenObj.TypeName())
                                     .str()));
    return screen;
}

Screen* ScreenManager::GetCurrentScreen() const
{
    if (!m_ScreenDictionary.IsTable())
        return nullptr;
    return ScreenOf(m_ScreenDictionary[kCurrentScreenKey]);
}

void ScreenManager::SwitchToScreen(const std::string& name)
{
    LuaObject newScreenObject = m_ScreenDictionary[name];
    Screen* screen = newScreenObject.IsUserData() ? ScreenOf(newScreenObject) : nullptr;
    if (!screen)
        VELK_THROW(Exception, AssertionText("newScreenObject.IsUserData()",
                                            (boost::format("A Screen with name \"%1%\" does not exist.") % name).str()));
    DoSwitchToScreen(screen, true);
}

void ScreenManager::DoSwitchToScreen(Screen* screen, bool sendAtOnce)
{
    Screen* oldScreen = GetCurrentScreen();
    if (screen)
        m_ScreenDictionary.SetObject(kCurrentScreenKey, screen->GetLuaObject());
    else
        m_ScreenDictionary.SetNil(kCurrentScreenKey);

    auto event = std::make_unique<ScreenTransitionEvent>(this, oldScreen, screen);
    const EventRecord record = MakeEventRecord(VELK_SCREENTRANSITION, 0, event.get());
    CoreHost& host = RequireCoreHost();
    const std::vector<Screen*> screens = GetScreens();
    for (Screen* each : screens) {
        if (sendAtOnce) {
            host.SendEvent(each, record);
        } else {
            event->AddRef();
            host.PostEvent(each, record);
        }
    }
    // Posted records hold a reference each and release the event after the last delivery.
    if (!sendAtOnce && !screens.empty())
        event.release();

    Log(3, "ScreenManager::SwitchToScreen: Flushing vidmem.\n");
    SurfaceManager::GetInstance()->All_DeleteSurfacesOfType(SURFACETYPE_D3D);
}

// ---------------------------------------------------------------- per frame

bool ScreenManager::OnEvent(const EventRecord& event)
{
    if (Object::OnEvent(event))
        return true;
    if (m_FPSCounter && m_FPSCounter->OnEvent(event))
        return true;
    if (m_GlobalOverlay && m_GlobalOverlay->OnEvent(event))
        return true;
    Screen* screen = GetCurrentScreen();
    return screen && screen->OnEvent(event);
}

void ScreenManager::Update()
{
    if (Screen* screen = GetCurrentScreen())
        screen->Update();
    if (m_Transition) {
        if (!m_Transition->IsFinished())
            m_Transition->Update();
        else
            m_Transition.reset();
    }
}

void ScreenManager::Draw(Canvas& canvas)
{
    if (m_Transition)
        m_Transition->Draw(canvas);
    else if (Screen* screen = GetCurrentScreen())
        screen->Draw(canvas);
    if (m_GlobalOverlay)
        m_GlobalOverlay->Draw(canvas);
}

void ScreenManager::DrawScreens(Canvas& canvas)
{
    Draw(canvas);
    if (m_FPSCounter)
        m_FPSCounter->Draw(canvas);
    if (m_ResourceMemoryUsageCounter)
        m_ResourceMemoryUsageCounter->Draw(canvas);
}

bool ScreenManager::IsDialogShown()
{
    Screen* screen = GetCurrentScreen();
    return screen && screen->HasDialogs();
}

void ScreenManager::ShowOverlays(bool frameRate, int memoryCategory)
{
    if (frameRate && !m_FPSCounter)
        m_FPSCounter = std::make_unique<FPSCounter>();
    else if (!frameRate)
        m_FPSCounter.reset();
    if (memoryCategory < 0)
        m_ResourceMemoryUsageCounter.reset();
    else if (!m_ResourceMemoryUsageCounter)
        m_ResourceMemoryUsageCounter = std::make_unique<ResourceMemoryUsageCounter>(memoryCategory);
    else
        m_ResourceMemoryUsageCounter->SetCategory(memoryCategory);
}

void ScreenManager::CountPass(std::uint32_t start, std::uint32_t end)
{
    if (m_FPSCounter) {
        m_FPSCounter->FrameBegin(start);
        m_FPSCounter->FrameEnd(end);
    }
}

void ScreenManager::SetTransition(ViewableTransition* transition)
{
    m_Transition.reset(transition);
}

// ---------------------------------------------------------------- roll-over

Actor* ScreenManager::GetRolloverActor() const
{
    if (!m_RolloverGroup || m_RolloverGroup->GetMembers().empty())
        return nullptr;
    return m_RolloverGroup->GetMembers().front();
}

void ScreenManager::ResetRolloverAt(int x, int y, bool hasMouseFocus)
{
    Actor* old = GetRolloverActor();
    Actor* hit = nullptr;
    if (hasMouseFocus) {
        for (FullReverseDrawTreeIterator it(this, SkipsRollover); it.HasValue(); it.Advance()) {
            Actor* actor = it.GetValue();
            if (actor->IsRolloverable() && IsDrawnInTree(*actor) && actor->ContainsGlobalPoint(x, y)) {
                hit = actor;
                break;
            }
        }
    }
    if (hit == old)
        return;
    CoreHost& host = RequireCoreHost();
    if (old)
        host.SendEvent(old, MakeEventRecord(VELK_MOUSELEAVE, 0, old));
    if (hit)
        host.SendEvent(hit, MakeEventRecord(VELK_MOUSEENTER, 0, hit));
    m_RolloverGroup->Clear();
    if (hit)
        m_RolloverGroup->AddMember(hit);
}

// ---------------------------------------------------------------- window buttons

void ScreenManager::CreateWindowsButtons()
{
    auto windowButtons = std::make_unique<Actor>();
    windowButtons->SetName("WindowButtons");
    windowButtons->SetPosition(0, 0);
    windowButtons->SetSize(m_GlobalOverlay->GetWidth(), m_GlobalOverlay->GetHeight());
    m_WindowButtons = windowButtons.get();
    m_GlobalOverlay->AddChild(windowButtons.release());

    struct WindowButton
    {
        const char* logLine;
        const char* name;
        const char* image;
        int distanceFromRight;
        int shortcutKey;
        int altFunctionKey;
    };
    // Alt+Space, Alt+Return and Alt+F4, as on a window's caption.
    const WindowButton buttons[] = {
        {"Screen::CreateWindowsButtons m_MinButton\n", "MinimizeButton", "btnMin.png", 63, SDLK_SPACE, 0},
        {"Screen::CreateWindowsButtons m_ResButton\n", "RestoreButton", "btnRes.png", 43, SDLK_RETURN, 0},
        {"Screen::CreateWindowsButtons m_CloseButton\n", "CloseButton", "btnClose.png", 23, 0, SDLK_F4},
    };
    bool first = true;
    for (const WindowButton& each : buttons) {
        Log(3, "%s", each.logLine);
        // Without its font or picture the game still runs, only without that button.
        try {
            std::unique_ptr<Button> button(Button::Make(each.image, "", ConfiguredFontFace("ButtonFont"),
                                                        kWindowButtonFontSize, m_WindowButtons->GetWidth() -
                                                            each.distanceFromRight,
                                                        5, each.name, this));
            if (each.shortcutKey != 0)
                button->SetShortcutKey(each.shortcutKey);
            button->SetAltFunctionKey(each.altFunctionKey);
            button->SetUseAltShortcutKey(true);
            button->SetClickSound("click2.ogg");
            m_WindowButtons->AddChild(button.release());
        } catch (const Exception& e) {
            LogWrite("WARNING: Could not make the window button \"%s\": %s\n", each.name, e.GetMessage().c_str());
        }
        if (first)
            Log(3, "Screen::CreateWindowsButtons afterMAKE\n");
        first = false;
    }
}

void ScreenManager::SetShowWindowButtons(bool show)
{
    m_ShowWindowButtons = show;
    UpdateWindowButtons();
}

void ScreenManager::UpdateWindowButtons()
{
    Application* app = Application::GetInstance();
    if (m_WindowButtons)
        m_WindowButtons->SetVisible(m_ShowWindowButtons && app && app->IsFullScreen());
}

bool ScreenManager::OnButtonClick(const EventRecord& event)
{
    const auto* button = static_cast<const Actor*>(event.user.data1);
    Application* app = Application::GetInstance();
    if (!button || !app)
        return false;
    const std::string& name = button->GetName();
    if (name == "MinimizeButton") {
        app->MinimizeWindow();
        return true;
    }
    if (name == "RestoreButton" && app->IsFullScreen()) {
        app->RequestFullScreenToggle();
        app->PostEvent(nullptr, MakeEventRecord(VELK_VALUECHANGE));
        return true;
    }
    if (name == "CloseButton" && app->IsFullScreen()) {
        app->Quit();
        return true;
    }
    return false;
}

bool ScreenManager::OnDisplayChange(const EventRecord&)
{
    UpdateWindowButtons();
    return false;
}

bool ScreenManager::OnResetWindow(const EventRecord&)
{
    UpdateWindowButtons();
    return false;
}

// ---------------------------------------------------------------- script functions

namespace {

int Script_SwitchToScreen(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING) {
        LogWrite("ERROR: Bad parameter(s) to SwitchToScreen.\nUsage: SwitchToScreen(\"name of screen\")\n");
        return 0;
    }
    ScreenManager* manager = ScreenManager::GetInstance();
    VELK_ASSERT(manager != 0);
    std::size_t length = 0;
    const char* name = lua_tolstring(L, 1, &length);
    manager->SwitchToScreen(std::string(name, length));
    return 0;
}

ScriptFunctionRegistration s_SwitchToScreen(Script_SwitchToScreen, "SwitchToScreen");

} // namespace
