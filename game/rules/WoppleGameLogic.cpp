#include "game/rules/WoppleGameLogic.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/ui/Actor.h"
#include "engine/ui/Screen.h"
#include "engine/ui/ScreenManager.h"
#include "game/shell/WoppleScreen.h"

#include <algorithm>
#include <vector>

namespace {

const char* const kControlNames[] = {"optionsButton", "helpButton", "quitButton"};

void WoppleGameLogicClassHook(Class* c)
{
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("GetNameOfGameMode", WoppleGameLogic::Script_GetNameOfGameMode));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("GetNameOfGameMode"));
}

// An event offered to a logic's helper, unless that helper is already going.
bool OfferTo(Object* receiver, const EventRecord& event)
{
    return receiver && !receiver->IsBeingDestroyed() && receiver->OnEvent(event);
}

} // namespace

// Abstract: the modes register themselves with their instantiators.
VELK_REGISTER_CLASS(WoppleGameLogic, "Object", WoppleGameLogicClassHook, nullptr);

WoppleGameLogic::WoppleGameLogic() = default;

WoppleGameLogic::~WoppleGameLogic()
{
    try {
        // The layout's actors would otherwise outlive the logic on the screen.
        Stop();
    } catch (...) {
        LogWrite("WARNING: WoppleGameLogic::~WoppleGameLogic: %s\n", CurrentExceptionMessage().c_str());
    }
    try {
        // States go while the logic is whole, so each frees its own timers first.
        ReleaseTables();
    } catch (...) {
        LogWrite("WARNING: WoppleGameLogic::~WoppleGameLogic: %s\n", CurrentExceptionMessage().c_str());
    }
}

bool WoppleGameLogic::OnEvent(const EventRecord& event)
{
    if (IsBeingDestroyed())
        return false;
    if (OfferTo(GetOutputLogic(), event))
        return true;
    if (OfferTo(GetCurrentParticipantLogic(), event))
        return true;
    return Object::OnEvent(event);
}

bool WoppleGameLogic::RouteEvent(const EventRecord& event)
{
    if (IsWoppleGameEvent(event.type))
        return WoppleEventHandler::RouteEvent(event);
    return EventRouter::RouteEvent(event);
}

Actor* WoppleGameLogic::GetRootActor() const
{
    if (!m_RootActor || Object::FromLuaObject(m_RootActorSelf) != m_RootActor)
        return nullptr;
    return m_RootActor;
}

void WoppleGameLogic::Update()
{
    Object::Update();
    if (Actor* root = GetRootActor()) {
        root->UpdateChildren();
        root->RunScripts();
    }
}

void WoppleGameLogic::CreateRootActor()
{
    VELK_ASSERT(m_TargetScreen != 0);
    CreateStates();
    m_RootActor = new Actor();
    m_RootActor->SetName("RootActor");
    m_RootActorSelf = m_RootActor->GetLuaObject();
    m_RootActor->AttachObserver(VELK_ACTORSCRIPTFINISHED, this);
    m_RootActor->SetSize(m_TargetScreen->GetWidth(), m_TargetScreen->GetHeight());
    m_TargetScreen->AddChild(m_RootActor);
    m_RootActor->ApplyNamedResource(GetScreenLayoutName());
    InitControls();
    ResetBoardViews();
    m_TargetScreen->PositionHelpButton();
}

void WoppleGameLogic::Start()
{
    SetState("InitialState");
}

void WoppleGameLogic::Stop()
{
    Actor* root = GetRootActor();
    m_RootActor = nullptr;
    m_RootActorSelf = LuaObject();
    if (!root)
        return;
    MusicManager::SetMasterTempo(1.0f);
    root->DetachObserver(VELK_ACTORSCRIPTFINISHED, this);
    // The buttons keep their listeners as plain pointers, and the root actor
    // only goes in the deletion phase: a click meanwhile must not find us.
    for (const char* name : kControlNames)
        if (Actor* button = root->FindChild(name, true))
            button->RemoveEventListener(this);
    root->Destroy();
}

void WoppleGameLogic::ApplyPause(bool pause)
{
    if (m_TargetScreen)
        LogWrite("ApplyPause: %s\n", pause ? "PAUSED" : "unpaused");
}

void WoppleGameLogic::InitControls()
{
    Actor* root = GetRootActor();
    if (!root)
        return;
    for (const char* name : kControlNames) {
        Actor* button = root->FindChild(name, true);
        if (!button)
            continue;
        button->AddEventListener(this);
        if (std::string(name) != "quitButton")
            continue;
        const std::string image = GetNameOfGameMode() == "Classic" ? "menu_frames.png" : "map_frames.png";
        try {
            button->SetImageFromName(image);
        } catch (const Exception& e) {
            LogWrite("WARNING: The quit button has no image \"%s\": %s\n", image.c_str(), e.GetMessage().c_str());
        }
    }
}

LuaObject WoppleGameLogic::GetRoundResults()
{
    LuaObject results;
    results.AssignNewTable(ObjectLuaState());
    return results;
}

bool WoppleGameLogic::OnActiveEvent(const EventRecord& event)
{
    const bool lost = event.active.gain == 0 && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) != 0;
    if (!lost) {
        // Coming back does not unpause: the player does that.
        m_FocusPause = 0;
        return false;
    }
    if (!m_FocusPause)
        ApplyPause(true);
    m_FocusPause = 1;
    return false;
}

bool WoppleGameLogic::OnButtonPress(const EventRecord& event)
{
    if (auto* button = static_cast<Actor*>(event.user.data1))
        button->OnButtonPress(event);
    return true;
}

bool WoppleGameLogic::OnButtonClick(const EventRecord& event)
{
    auto* button = static_cast<Actor*>(event.user.data1);
    const std::string name = button ? button->GetName() : std::string();
    auto* host = dynamic_cast<WoppleGameLogicHost*>(m_TargetScreen);
    if (name == "quitButton") {
        if (host)
            host->ShowAreYouSureQuitDialog();
    } else if (name == "optionsButton") {
        if (host)
            host->ShowOptionsDialog();
    } else if (name == "helpButton") {
        ShowHelp();
    } else {
        return false;
    }
    button->OnButtonClick(event);
    return true;
}

void WoppleGameLogic::GoToScreen(const std::string& screenName)
{
    if (screenName == "MapScreen") {
        if (Screen* map = SwitchToMapOrMenu())
            map->SetState("AdvanceToNewIsland");
        return;
    }
    ScreenManager* screens = ScreenManager::GetInstance();
    VELK_ASSERT(screens != 0);
    screens->SwitchToScreen(screenName);
}

Screen* WoppleGameLogic::SwitchToMapOrMenu()
{
    ScreenManager* screens = ScreenManager::GetInstance();
    VELK_ASSERT(screens != 0);
    const std::vector<Screen*> all = screens->GetScreens();
    const auto map =
        std::find_if(all.begin(), all.end(), [](Screen* screen) { return screen && screen->GetName() == "MapScreen"; });
    if (map == all.end()) {
        LogWrite("WARNING: No map in this build; back to the menu.\n");
        screens->SwitchToScreen("MenuScreen");
        return nullptr;
    }
    screens->SwitchToScreen("MapScreen");
    return *map;
}

int WoppleGameLogic::Script_GetNameOfGameMode(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* logic = RequireScriptObject<WoppleGameLogic>(L, 1, "a game logic");
        lua_pushstring(L, logic->GetNameOfGameMode().c_str());
        return 1;
    });
}
