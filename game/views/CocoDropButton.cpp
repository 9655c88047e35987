#include "game/views/CocoDropButton.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/Script.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"

namespace {

const char* const kPresent = "PresentCocoDropLever";
const char* const kPullup = "PullupCocoDropLever";
const char* const kDrop = "DropCocoDropLever";
const char* const kRaise = "RaiseCocoDropLever";
const char* const kFlash = "FlashCocoDropLever";
const char* const kPlain = "UsePlainCocoDropLever";
const char* const kHighlighted = "UseHighlightedCocoDropLever";
const char* const kFlashingTag = "flashing";

CocoDropButton* RequireLeverButton(lua_State* L)
{
    return RequireScriptObject<CocoDropButton>(L, 1, "a spin lever");
}

int Script_Present(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireLeverButton(L)->Present(lua_toboolean(L, 2) != 0);
        return 0;
    });
}

int Script_Pullup(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireLeverButton(L)->Pullup();
        return 0;
    });
}

void Method(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

Object* InstantiateCocoDropButton(const LuaObject& params)
{
    auto button = std::make_unique<CocoDropButton>();
    button->ApplyProperties(params);
    button->OnPostSpawn();
    return button.release();
}

} // namespace

void CocoDropButtonClassHook(Class* c)
{
    auto flashing = MemberOf(&CocoDropButton::m_FlashingIsEnabled);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, flashing, "flashingIsEnabled"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, flashing, "flashingIsEnabled"));
    Method(c, "Present", Script_Present);
    Method(c, "Pullup", Script_Pullup);
}

VELK_REGISTER_CLASS(CocoDropButton, "Button", CocoDropButtonClassHook, InstantiateCocoDropButton);

// ---------------------------------------------------------------- the helper

bool CocoDropAnimationHelper::OnButtonPress(const EventRecord& event)
{
    if (event.user.data1 == static_cast<Actor*>(&m_Button))
        m_Button.RunLeverScript(kDrop, kDrop);
    return false;
}

bool CocoDropAnimationHelper::OnButtonClick(const EventRecord& event)
{
    if (event.user.data1 == static_cast<Actor*>(&m_Button)) {
        m_Button.RunLeverScript(kRaise, kRaise);
        m_Button.Disable();
    }
    return false;
}

// ---------------------------------------------------------------- the button

CocoDropButton::CocoDropButton() : Button("Button.png") {}

CocoDropButton::~CocoDropButton() = default;

void CocoDropButton::OnPostSpawn()
{
    Button::OnPostSpawn();
    m_Lever = FindChild("cocoDropLever", true);
    VELK_ASSERT(m_Lever != 0);
    m_Lever->AttachObserver(VELK_ACTORSCRIPTFINISHED, this);
    auto* helper = new CocoDropAnimationHelper(*m_Lever, *this);
    m_Lever->AddChild(helper);
    AddToGroup(helper);
}

bool CocoDropButton::ContainsGlobalPoint(int x, int y) const
{
    if (Button::ContainsGlobalPoint(x, y))
        return true;
    return m_Lever && m_Lever->IsVisible() && m_Lever->ContainsGlobalPoint(x, y);
}

void CocoDropButton::RunLeverScript(const std::string& script, const std::string& tag)
{
    if (!m_Lever)
        return;
    Script* started = m_Lever->RunScript(script, tag);
    if (started) {
        started->AddTag(script);
        if (script == kPresent)
            m_PresentScript = started->GetLuaObject();
    }
}

bool CocoDropButton::IsLeverScriptRunning(const std::string& script) const
{
    return m_Lever && m_Lever->FindScriptsWithTag(script, nullptr) > 0;
}

void CocoDropButton::Present(bool flashing)
{
    m_FlashingIsEnabled = flashing;
    if (!m_Lever)
        return;
    if (!m_Lever->IsVisible()) {
        m_Lever->StopScriptsWithTag(kPresent);
        m_Lever->StopScriptsWithTag(kPullup);
        RunLeverScript(kPresent, kPresent);
        SetVisible(true);
        Enable();
        return;
    }
    m_Lever->StopScriptsWithTag(kFlashingTag);
    if (flashing) {
        RunLeverScript(kFlash, kFlashingTag);
        Enable();
    } else {
        RunLeverScript(kPlain, kFlashingTag);
    }
    AdjustForAppearance(GetStateName());
}

void CocoDropButton::Pullup()
{
    if (!m_Lever)
        return;
    m_Lever->StopScriptsWithTag(kFlashingTag);
    m_Lever->StopScriptsWithTag(kPresent);
    if (m_Lever->IsVisible()) {
        RunLeverScript(kPullup, kPullup);
        Disable();
    }
}

void CocoDropButton::SetVisible(bool visible, bool recursive)
{
    Button::SetVisible(visible, recursive);
    if (visible)
        return;
    if (m_Lever) {
        m_Lever->StopScriptsWithTag(kPresent);
        m_Lever->StopScriptsWithTag(kFlash);
    }
    m_FlashingIsEnabled = false;
}

void CocoDropButton::OnAppearanceStateChanged(const std::string& name)
{
    Button::OnAppearanceStateChanged(name);
    AdjustForAppearance(name);
}

void CocoDropButton::AdjustForAppearance(const std::string& stateName)
{
    Log(3, "%s: %s\n", "CocoDropButton::AdjustForAppearance", stateName.c_str());
    if (!m_FlashingIsEnabled || !m_Lever)
        return;
    if (stateName == "Highlighted") {
        m_Lever->StopScriptsWithTag(kFlashingTag);
        RunLeverScript(kHighlighted, kFlashingTag);
    } else if ((stateName == "Active" || stateName == "Pressed") && !IsLeverScriptRunning(kFlash)) {
        m_Lever->StopScriptsWithTag(kFlashingTag);
        RunLeverScript(kFlash, kFlashingTag);
    }
}

bool CocoDropButton::OnActorScriptFinished(Event* event)
{
    if (!event || !event->payload || !m_Lever)
        return false;
    const LuaObject& payload = *event->payload;
    if (Object::FromLuaObject(payload["actor"]) != m_Lever || m_PresentScript.IsNil() ||
        !(payload["script"] == m_PresentScript))
        return false;
    m_PresentScript = LuaObject();
    // Hidden while it slid in: there is nothing left to flash.
    if (!IsVisible())
        return true;
    if (m_FlashingIsEnabled)
        Present(true);
    return true;
}
