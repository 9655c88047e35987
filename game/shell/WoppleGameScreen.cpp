#include "game/shell/WoppleGameScreen.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/ui/CommonDialogs.h"
#include "engine/ui/Dialog.h"
#include "engine/ui/ParticleEmitter.h"
#include "engine/ui/ScreenManager.h"
#include "game/rules/WoppleGameLogicManager.h"
#include "game/shell/WoppleApp.h"

#include <memory>

namespace {

WoppleGameScreen* s_GameScreen = nullptr;

const char* const kQuitDialog = "QuitDialog";
const char* const kOptionsDialog = "OptionsDialog";

// StartParticleEmitter(screen, template, {x, y}) -> the emitter.
int Script_StartParticleEmitter(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        auto* screen = RequireScriptObject<WoppleGameScreen>(L, 1, "the game screen");
        LuaState state(L);
        const std::string name = ReadStringFromObject(LuaObject(state, 2));
        Point<int> at(LuaObject(state, 3));
        screen->StartParticleEmitter(name, at.x, at.y)->GetLuaObject().Push(state);
        return 1;
    });
}

void WoppleGameScreenClassHook(Class* c)
{
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("StartParticleEmitter", Script_StartParticleEmitter));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("StartParticleEmitter"));
}

bool HasScreen(const std::string& name)
{
    ScreenManager* screens = ScreenManager::GetInstance();
    if (!screens)
        return false;
    for (Screen* screen : screens->GetScreens())
        if (screen->GetName() == name)
            return true;
    return false;
}

} // namespace

VELK_REGISTER_CLASS(WoppleGameScreen, "WoppleScreen", WoppleGameScreenClassHook,
                    InstantiateObjectOfClass<WoppleGameScreen>);

WoppleGameScreen::WoppleGameScreen() : WoppleScreen("", "GameScreen")
{
    auto bubbles = std::make_unique<Actor>();
    bubbles->SetName("BubbleLayer");
    bubbles->SetLayer(kBubbleLayer);
    m_BubbleLayer = bubbles.get();
    AddChild(bubbles.release());

    auto particles = std::make_unique<ParticleManager>();
    particles->SetName("ParticleManager");
    particles->SetLayer(kParticleLayer);
    m_ParticleManager = particles.get();
    AddChild(particles.release());

    s_GameScreen = this;
}

WoppleGameScreen::~WoppleGameScreen()
{
    try {
        m_Effects.Clear();
        // A game still attached at shutdown goes with the screen.
        if (m_GameLogic) {
            m_GameLogic->SetTargetScreen(nullptr);
            m_GameLogic->Destroy();
            m_GameLogic = nullptr;
        }
    } catch (...) {
        LogWrite("WARNING: WoppleGameScreen::~WoppleGameScreen: %s\n", CurrentExceptionMessage().c_str());
    }
    if (s_GameScreen == this)
        s_GameScreen = nullptr;
}

WoppleGameScreen* WoppleGameScreen::GetInstance()
{
    return s_GameScreen;
}

void WoppleGameScreen::SetGameLogic(WoppleGameLogic* logic)
{
    m_GameLogic = logic;
    if (logic)
        logic->SetTargetScreen(this);
}

bool WoppleGameScreen::OnEvent(const EventRecord& event)
{
    if (m_GameLogic && !m_GameLogic->IsBeingDestroyed() && m_GameLogic->OnEvent(event))
        return true;
    return WoppleScreen::OnEvent(event);
}

void WoppleGameScreen::Update()
{
    if (m_ReturnToMenu) {
        m_ReturnToMenu = false;
        if (HasScreen("MenuScreen"))
            ScreenManager::GetInstance()->SwitchToScreen("MenuScreen");
        return;
    }
    if (m_GameLogic && !m_GameLogic->IsBeingDestroyed())
        m_GameLogic->Update();
    WoppleScreen::Update();
}

bool WoppleGameScreen::OnScreenTransition(Event* event)
{
    auto* transition = dynamic_cast<ScreenTransitionEvent*>(event);
    if (transition && transition->kind == 1) {
        if (transition->newScreen == this)
            EnterWithLogic();
        else if (transition->oldScreen == this)
            LeaveLogic();
    }
    // The other screens hear of the switch too.
    return WoppleScreen::OnScreenTransition(event);
}

void WoppleGameScreen::EnterWithLogic()
{
    LogWrite("OnScreenTransition -> WoppleGameScreen\n");
    PositionHelpButton();
    if (!m_GameLogic) {
        // Switching from inside a switch would tell the other screens of the two out of order.
        LogWrite("WARNING: The game screen was entered with no game to play; back to the menu.\n");
        m_ReturnToMenu = true;
        return;
    }
    m_GameLogic->CreateRootActor();
    // The logic updates its layout itself, once a pass.
    if (Actor* root = m_GameLogic->GetRootActor())
        root->SetUpdating(false);
    m_GameLogic->Start();
}

void WoppleGameScreen::LeaveLogic()
{
    HideNotes();
    m_ReturnToMenu = false;
    if (!m_GameLogic)
        return;
    WoppleGameLogic* logic = m_GameLogic;
    m_GameLogic = nullptr;
    logic->Stop();
    if (auto* app = dynamic_cast<WoppleApp*>(Application::GetInstance()))
        app->ForgetGameLogicManager(logic);
    logic->Destroy();
}

bool WoppleGameScreen::OnDialogStopped(const EventRecord& event)
{
    auto* dialog = static_cast<Dialog*>(event.user.data1);
    if (!dialog || dialog->GetName() != kQuitDialog)
        return false;
    if (Application* app = Application::GetInstance())
        app->PauseGame(false);
    if (dialog->GetResultButtonName() != "OkayButton")
        return false;
    // A Classic game goes back to the menu, a quest level to its map.
    auto* gameManager = dynamic_cast<WoppleGameLogicManager*>(m_GameLogic);
    const bool classic = gameManager ? gameManager->GetCurrentLevel() == 0
                                     : !m_GameLogic || m_GameLogic->GetNameOfGameMode() == "Classic";
    WoppleGameLogic::GoToScreen(classic || !HasScreen("MapScreen") ? "MenuScreen" : "MapScreen");
    return true;
}

ParticleEmitter* WoppleGameScreen::StartParticleEmitter(const std::string& templateName, int x, int y)
{
    auto emitter = std::make_unique<IdenticalParticleEmitter>(templateName, m_ParticleManager);
    IdenticalParticleEmitter* raw = emitter.get();
    AddChild(emitter.release());
    m_Effects.AddMember(raw);
    raw->SetPosition(x - raw->GetWidth() / 2, y - raw->GetHeight() / 2);
    raw->Start();
    return raw;
}

void WoppleGameScreen::ShowOptionsDialog()
{
    ShowDialogOnce(kOptionsDialog, false);
}

void WoppleGameScreen::ShowAreYouSureQuitDialog()
{
    ShowDialogOnce(kQuitDialog, true);
}

void WoppleGameScreen::ShowDialogOnce(const std::string& name, bool quit)
{
    // A dialog still in its intro counts: a second click must not stack another.
    if (!GetDialogs().empty() && GetTopDialog("")->GetName() == name)
        return;
    Application* app = Application::GetInstance();
    CommonDialogLibrary* dialogs = app ? app->GetCommonDialogs() : nullptr;
    if (!dialogs)
        return;
    app->PauseGame(true);
    Dialog* dialog = quit ? dialogs->CreateAreYouSureQuitDialog() : dialogs->CreateOptionsDialog();
    if (dialog)
        StartDialog(dialog, true);
}
