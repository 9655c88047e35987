#include "game/views/WoppleWheelSetView.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "game/views/WoppleWheelProgressOverlay.h"
#include "game/views/WoppleWheelView.h"

#include <boost/format.hpp>

namespace {

WoppleWheelSetView* RequireSet(lua_State* L)
{
    return RequireScriptObject<WoppleWheelSetView>(L, 1, "a reel set");
}

int Script_GetNumWheels(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushnumber(L, RequireSet(L)->GetNumWheels());
        return 1;
    });
}

int Script_GetWheelView(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleWheelSetView* set = RequireSet(L);
        WoppleWheelView* wheel =
            lua_type(L, 2) == LUA_TNUMBER ? set->GetWheelView(static_cast<int>(lua_tonumber(L, 2))) : nullptr;
        if (!wheel && lua_type(L, 2) != LUA_TNUMBER)
            LogWrite("WARNING: GetWheelView wants the number of a reel\n");
        if (wheel)
            wheel->GetLuaObject().Push(LuaState(L));
        else
            lua_pushnil(L);
        return 1;
    });
}

int Script_StartSpin(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireSet(L)->StartSpin();
        return 0;
    });
}

void Method(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

// Stacking and multipliers by the number of reels: the middle reel on top and worth most.
const int kFiveZOrders[] = {1, 2, 3, 2, 1};
const int kFiveMultipliers[] = {2, 3, 5, 3, 2};
const int kSevenZOrders[] = {1, 2, 3, 4, 3, 2, 1};
const int kSevenMultipliers[] = {2, 3, 2, 5, 2, 3, 2};

} // namespace

void WoppleWheelSetViewClassHook(Class* c)
{
    Method(c, "GetNumWheels", Script_GetNumWheels);
    Method(c, "GetWheelView", Script_GetWheelView);
    Method(c, "StartSpin", Script_StartSpin);
}

VELK_REGISTER_CLASS(WoppleWheelSetView, "Actor", WoppleWheelSetViewClassHook,
                    InstantiateObjectOfClass<WoppleWheelSetView>);

WoppleWheelSetView::WoppleWheelSetView() = default;

WoppleWheelSetView::~WoppleWheelSetView()
{
    try {
        if (m_SpinAnimationTimerID)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_SpinAnimationTimerID);
    } catch (...) {
        LogWrite("WARNING: WoppleWheelSetView::~WoppleWheelSetView: %s\n", CurrentExceptionMessage().c_str());
    }
}

void WoppleWheelSetView::OnPostSpawn()
{
    Actor::OnPostSpawn();
    m_WheelContainer = FindChild("wheelContainer", true);
    VELK_ASSERT_MSG(m_WheelContainer != 0, "A reel set needs its child \"wheelContainer\".");
    LuaObject count = RetrieveProperty("numberOfWheels");
    m_NumberOfWheels = count.IsInteger() ? count.GetInteger() : 5;
    VELK_ASSERT_MSG(m_NumberOfWheels >= 1,
                    (boost::format("A reel set of %1% reels cannot spin.") % m_NumberOfWheels).str());

    LuaObject parameters = RetrieveProperty("wheelViewParameters");
    m_Wheels.assign(m_NumberOfWheels + 1, nullptr);
    for (int i = 1; i <= m_NumberOfWheels; ++i) {
        auto* wheel = dynamic_cast<WoppleWheelView*>(ClassManager::GetInstance()->InstantiateObject(parameters));
        VELK_ASSERT_MSG(wheel != 0, "\"wheelViewParameters\" must make a WoppleWheelView.");
        wheel->ApplyIntegerProperty("wheelNumber", i);
        wheel->ApplyIntegerProperty("baseNumber", 15 * i - 14);
        m_WheelContainer->AddChild(wheel);
        m_Wheels[i] = wheel;
    }
    const int* zorders = nullptr;
    const int* multipliers = nullptr;
    if (m_NumberOfWheels == 5) {
        zorders = kFiveZOrders;
        multipliers = kFiveMultipliers;
    } else if (m_NumberOfWheels == 7) {
        zorders = kSevenZOrders;
        multipliers = kSevenMultipliers;
    }
    for (int i = 1; i <= m_NumberOfWheels; ++i) {
        if (zorders)
            m_Wheels[i]->SetZOrder(zorders[i - 1]);
        m_Wheels[i]->SetMultiplier(multipliers ? multipliers[i - 1] : 1);
    }
}

WoppleWheelView* WoppleWheelSetView::GetWheelView(int index) const
{
    if (index < 1 || index > m_NumberOfWheels || index >= static_cast<int>(m_Wheels.size())) {
        LogWrite("WARNING: WoppleWheelSetView: there is no reel %d of %d\n", index, m_NumberOfWheels);
        return nullptr;
    }
    return m_Wheels[index];
}

// ---------------------------------------------------------------- the spin

void WoppleWheelSetView::ArmSpinTimer()
{
    TimerManager::GetInstance()->CreateOrRestartTimer(m_SpinAnimationTimerID, this, 1000 / (m_NumberOfWheels - 1), 1,
                                                      TIMER_LIMITED_TO_FRAMERATE, "default");
}

void WoppleWheelSetView::StartSpin()
{
    if (m_Wheels.size() < 2)
        return;
    m_Wheels[1]->Spin();
    m_NextWheelToStart = 2;
    // A lone reel has nobody to wait for (and the stagger would divide by zero).
    if (m_NumberOfWheels >= 2)
        ArmSpinTimer();
}

bool WoppleWheelSetView::OnTimer(const EventRecord& event)
{
    const std::uint32_t timerID = TimerIDOfEvent(event);
    if (m_SpinAnimationTimerID == 0 || timerID != m_SpinAnimationTimerID)
        return Actor::OnTimer(event);
    if (m_NextWheelToStart >= WheelsEnd())
        return true;
    m_Wheels[m_NextWheelToStart]->Spin();
    ++m_NextWheelToStart;
    ArmSpinTimer();
    return true;
}

// ---------------------------------------------------------------- what the reels show

int WoppleWheelSetView::CountShowing(int type) const
{
    int count = 0;
    for (int i = 1; i < WheelsEnd(); ++i)
        if (m_Wheels[i]->GetWheelType(false) == type)
            ++count;
    return count;
}

WoppleWheelView* WoppleWheelSetView::FindWheelOfType(int type) const
{
    for (int i = 1; i < WheelsEnd(); ++i)
        if (m_Wheels[i]->GetWheelType(false) == type)
            return m_Wheels[i];
    return nullptr;
}

int WoppleWheelSetView::CountJokers() const
{
    return CountShowing(WheelTypeJoker);
}

int WoppleWheelSetView::CountSuperJokers() const
{
    return CountShowing(WheelTypeSuperJoker);
}

int WoppleWheelSetView::GetTotalMultiplier() const
{
    int total = 0;
    for (int i = 1; i < WheelsEnd(); ++i)
        if (m_Wheels[i]->GetWheelType(false) == WheelTypeMultiplier)
            total += m_Wheels[i]->GetMultiplier();
    return total;
}

void WoppleWheelSetView::FlashMultipliers()
{
    for (int i = 1; i < WheelsEnd(); ++i) {
        WoppleWheelView* wheel = m_Wheels[i];
        if (wheel->GetWheelType(false) == WheelTypeMultiplier && wheel->FindChild("multiplierFlash", true))
            wheel->RunScript("FlashMultiplier", "multiplierFlash");
    }
}

void WoppleWheelSetView::GrayOutAllButSuperJokers()
{
    for (int i = 1; i < WheelsEnd(); ++i)
        if (Actor* tint = m_Wheels[i]->GetGrayTint())
            tint->SetVisible(m_Wheels[i]->GetWheelType(false) != WheelTypeSuperJoker);
}

void WoppleWheelSetView::HideGrayTints()
{
    for (int i = 1; i < WheelsEnd(); ++i)
        if (Actor* tint = m_Wheels[i]->GetGrayTint())
            tint->SetVisible(false);
}

void WoppleWheelSetView::ShowGrayTints()
{
    for (int i = 1; i < WheelsEnd(); ++i) {
        if (WoppleWheelProgressOverlay* overlay = m_Wheels[i]->GetProgressOverlay())
            overlay->SetVisible(false);
        if (Actor* tint = m_Wheels[i]->GetGrayTint())
            tint->SetVisible(true);
    }
}

void WoppleWheelSetView::ShowProgressOverlays()
{
    for (int i = 1; i < WheelsEnd(); ++i) {
        if (WoppleWheelProgressOverlay* overlay = m_Wheels[i]->GetProgressOverlay())
            overlay->SetVisible(true);
        if (Actor* tint = m_Wheels[i]->GetGrayTint())
            tint->SetVisible(false);
    }
}

void WoppleWheelSetView::ResetProgressOverlays()
{
    for (int i = 1; i < WheelsEnd(); ++i)
        if (WoppleWheelProgressOverlay* overlay = m_Wheels[i]->GetProgressOverlay())
            overlay->Reset();
}

void WoppleWheelSetView::ClearAllSquares()
{
    for (int i = 1; i < WheelsEnd(); ++i)
        m_Wheels[i]->ClearSquares();
}

void WoppleWheelSetView::AddListenerToWheelButtons(EventReceiver* receiver)
{
    for (int i = 1; i < WheelsEnd(); ++i)
        if (Actor* button = m_Wheels[i]->FindChild((boost::format("wheelButton%1%") % i).str()))
            button->AddToGroup(receiver);
}

bool WoppleWheelSetView::IsTypeAllowed(int type) const
{
    switch (type) {
    case WheelTypeDevil:
    case WheelTypeDevilCherub:
        return CountShowing(WheelTypeDevil) == 0 && CountShowing(WheelTypeDevilCherub) == 0;
    case WheelTypeFreeSpin:
    case WheelTypeSuperJoker:
    case WheelTypeWoppleVision:
    case WheelTypeCherub:
        return CountShowing(type) == 0;
    default:
        return true;
    }
}

bool WoppleWheelSetView::AreAllWheelsStopped() const
{
    return CountShowing(WheelTypeSpinning) == 0;
}
