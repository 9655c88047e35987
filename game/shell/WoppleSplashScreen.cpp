#include "game/shell/WoppleSplashScreen.h"

#include "engine/core/CrashReport.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DirectMusic.h"
#include "engine/runtime/ResourceManager.h"
#include "engine/runtime/Sound.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/AmbientLoop.h"
#include "engine/ui/Button.h"
#include "engine/ui/ScreenManager.h"

#include <SDL.h>
#include <boost/format.hpp>

#include <algorithm>
#include <memory>

namespace {

constexpr std::uint32_t kLoadingPeriod = 32;
constexpr int kBarBottomGap = 25;

std::string ButterflyName(int n)
{
    return (boost::format("Butterfly%1%") % n).str();
}

} // namespace

// Drawn once before loading starts, so the player sees the splash at once.
class WoppleSplashWaitingToStartLoading : public State
{
public:
    explicit WoppleSplashWaitingToStartLoading(Object& owner) : m_Owner(owner) {}
    std::string GetName() const override { return "WaitingToStartLoading"; }
    void Update() override { m_Owner.SetState("Loading"); }

private:
    Object& m_Owner;
};

class WoppleSplashLoading : public State
{
public:
    explicit WoppleSplashLoading(WoppleSplashScreen& owner) : m_Owner(owner) {}
    std::string GetName() const override { return "Loading"; }
    void OnEnterState() override { m_Owner.StartLoading(); }
    bool OnTimer(const EventRecord& event) override
    {
        if (TimerIDOfEvent(event) == 0 || TimerIDOfEvent(event) != m_Owner.m_LoadingTimerID)
            return false;
        if (!m_Owner.LoadNext())
            m_Owner.FinishLoading();
        return true;
    }

private:
    WoppleSplashScreen& m_Owner;
};

class WoppleSplashLoaded : public State
{
public:
    explicit WoppleSplashLoaded(WoppleSplashScreen& owner) : m_Owner(owner) {}
    std::string GetName() const override { return "Loaded"; }
    void OnEnterState() override { m_Owner.ShowLoaded(); }

private:
    WoppleSplashScreen& m_Owner;
};

WoppleSplashScreen::WoppleSplashScreen() : SplashScreen("SplashScreen", "bg_splash.jpg")
{
    ApplyNamedResource("WoppleSplashScreen");
    Log(3, "WoppleSplashScreen::WoppleSplashScreen()\n");
    AddState(new WoppleSplashWaitingToStartLoading(*this), false);
    AddState(new WoppleSplashLoading(*this), false);
    AddState(new WoppleSplashLoaded(*this), false);

    auto frame = std::make_unique<Actor>(Colors::White);
    frame->SetSize(kBarWidth, kBarHeight);
    frame->SetVisible(false);
    m_ProgressFrame = frame.get();
    AddChild(frame.release());
    auto fill = std::make_unique<Actor>(Colors::MildBlue);
    fill->SetSize(kBarWidth, kBarHeight);
    fill->SetVisible(false);
    m_ProgressFill = fill.get();
    AddChild(fill.release());

    m_StartButton = FindChild("StartButton", true);
    if (auto* button = dynamic_cast<Button*>(m_StartButton)) {
        button->AddToGroup(this);
        button->SetBlink(true, Colors::Green);
    }
    m_LoadingText = FindChild("LoadingText", true);
    m_ButterflyNumber = 1;
    SetState("WaitingToStartLoading");
}

WoppleSplashScreen::~WoppleSplashScreen()
{
    try {
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimer(m_LoadingTimerID);
    } catch (...) {
        LogWrite("WARNING: WoppleSplashScreen::~WoppleSplashScreen: %s\n", CurrentExceptionMessage().c_str());
    }
    m_LoadingTimerID = 0;
}

int WoppleSplashScreen::BeginAdvanceLoad()
{
    ResourceManager* resources = ResourceManager::GetInstance();
    return resources ? resources->BeginAdvanceLoad() : 0;
}

bool WoppleSplashScreen::AdvanceLoadNext()
{
    ResourceManager* resources = ResourceManager::GetInstance();
    return resources && resources->AdvanceLoadNext();
}

bool WoppleSplashScreen::OnScreenTransition(Event* event)
{
    auto* transition = dynamic_cast<ScreenTransitionEvent*>(event);
    if (!transition || transition->kind != 1)
        return false;
    auto* ambient = dynamic_cast<AmbientLoop*>(FindChild("ambientLoop", true));
    if (transition->newScreen == this) {
        if (ambient)
            ambient->SetPlaying(true);
        if (DirectMusic* music = DirectMusic::GetInstance())
            music->LoopMidi("Wopple.mid", "Loop");
        Application* app = Application::GetInstance();
        SetState(app && app->HasArg("--noprecache") ? "Loaded" : "WaitingToStartLoading");
    } else if (transition->oldScreen == this) {
        if (ambient)
            ambient->SetPlaying(false);
    }
    return false;
}

void WoppleSplashScreen::StartLoading()
{
    LogWrite("WoppleSplashStates::Loading::OnEnterState: Loading data...\n");
    m_Total = std::max(0, BeginAdvanceLoad());
    // A second visit makes a new timer: the old one goes first, not left behind.
    TimerManager* timers = TimerManager::GetInstance();
    if (timers) {
        timers->FreeTimer(m_LoadingTimerID);
        m_LoadingTimerID = timers->CreateTimer(this, kLoadingPeriod, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
    }

    m_Progress = 0;
    const int bottom = GetHeight() - kBarBottomGap;
    m_ProgressFrame->SetSize(m_Total, kBarHeight);
    m_ProgressFill->SetSize(m_Total, kBarHeight);
    m_ProgressFrame->SetPosition(GetWidth() / 2 - m_Total / 2, bottom - kBarHeight);
    m_ProgressFill->SetPosition(GetWidth() / 2 - m_Total / 2, bottom - kBarHeight);
    m_ProgressFill->SetSize(m_Progress, kBarHeight);

    ReleaseButterfly();
    // Nothing to load: no ticks to wait for.
    if (m_Total == 0)
        FinishLoading();
}

bool WoppleSplashScreen::LoadNext()
{
    const bool more = AdvanceLoadNext();
    ++m_Progress;
    m_ProgressFill->SetSize(m_Progress, kBarHeight);
    // Under ten resources a tenth rounds to nothing: a butterfly per resource then.
    const int step = std::max(1, m_Total / 10);
    if (m_Progress % step == 0 && m_ButterflyNumber < 6) {
        Sound::Play("sparkle_little.ogg");
        ReleaseButterfly();
    }
    return more;
}

void WoppleSplashScreen::FinishLoading()
{
    StopLoadingTimer();
    Sound::Play("C_wopple_1.ogg");
    SetState("Loaded");
}

void WoppleSplashScreen::ShowLoaded()
{
    StopLoadingTimer();
    for (int n = 1; n <= kButterflies; ++n)
        if (Actor* butterfly = FindChild(ButterflyName(n), true)) {
            butterfly->StopScriptsWithTag("Butterfly");
            // Stopped in mid-air they would hang there: the ones that took off are gone.
            if (n < m_ButterflyNumber)
                butterfly->SetVisible(false);
        }
    if (m_LoadingText)
        m_LoadingText->SetVisible(false);
    if (m_StartButton)
        m_StartButton->SetVisible(true);
    GoToMenu();
}

void WoppleSplashScreen::ReleaseButterfly()
{
    if (Actor* butterfly = FindChild(ButterflyName(m_ButterflyNumber), true)) {
        butterfly->RunScript("ButterflyFlyingFlap", "Butterfly");
        butterfly->RunScript("ButterflyFly", "Butterfly");
    }
    Sound::Play((boost::format("C_match_%1%.ogg") % m_ButterflyNumber).str());
    ++m_ButterflyNumber;
}

void WoppleSplashScreen::StopLoadingTimer()
{
    if (TimerManager* timers = TimerManager::GetInstance())
        if (m_LoadingTimerID != 0)
            timers->ResetTimer(m_LoadingTimerID);
}

void WoppleSplashScreen::GoToMenu()
{
    // Until the menu exists the splash stays, its start button showing.
    ScreenManager* screens = ScreenManager::GetInstance();
    if (!screens)
        return;
    for (Screen* screen : screens->GetScreens())
        if (screen->GetName() == "MenuScreen") {
            screens->SwitchToScreen("MenuScreen");
            return;
        }
}

bool WoppleSplashScreen::OnKeyDown(const EventRecord& event)
{
    if (event.key.keysym.sym == SDLK_RETURN && !IsOnlyAltPressed(event.key.keysym.mod) &&
        GetState() && GetState()->GetName() == "Loading") {
        Sound::Play("click.ogg");
        SetState("Loaded");
        return true;
    }
    return SplashScreen::OnKeyDown(event);
}

bool WoppleSplashScreen::OnButtonClick(const EventRecord& event)
{
    if (m_StartButton && event.user.data1 == m_StartButton) {
        GoToMenu();
        return true;
    }
    return SplashScreen::OnButtonClick(event);
}
