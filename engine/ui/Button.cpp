#include "engine/ui/Button.h"

#include "engine/core/ButtonTemplate.h"
#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Label.h"
#include "engine/ui/ScreenManager.h"

#include <memory>

namespace {

constexpr std::uint32_t kBlinkPeriod = 500;
constexpr int kLabelFontSize = 18;
constexpr int kKeyTipFontSize = 18;

// NumLock and CapsLock do not count; Alt alone is exactly one of the two Alts.
bool IsAltAlone(int modifiers)
{
    const int relevant = modifiers & ~(KMOD_NUM | KMOD_CAPS);
    return relevant == KMOD_LALT || relevant == KMOD_RALT;
}

bool IsPrimary(const EventRecord& event)
{
    Application* app = Application::GetInstance();
    return app && app->IsPrimaryMouseButton(event.button.button);
}

// Whether the event's first data word names the actor.
bool IsAbout(const EventRecord& event, const Actor& actor)
{
    return event.user.data1 == static_cast<const void*>(&actor);
}

std::string TextOf(const LuaObject& value)
{
    if (value.IsNumber()) {
        // Lua's own text for the number.
        lua_State* L = value.GetState().GetCState();
        value.Push();
        std::size_t length = 0;
        const char* chars = lua_tolstring(L, -1, &length);
        std::string text(chars, length);
        lua_pop(L, 1);
        return text;
    }
    return ReadStringFromObject(value);
}

Button* RequireButton(lua_State* L, int index)
{
    return RequireScriptObject<Button>(L, index, "a button");
}

int Script_ManuallyPressButton(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireButton(L, 1)->ManuallyPressButton();
        return 0;
    });
}

int Script_ManuallyReleaseButton(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireButton(L, 1)->ManuallyReleaseButton();
        return 0;
    });
}

Object* InstantiateButton(const LuaObject& params)
{
    auto button = std::make_unique<Button>("Button.png");
    button->ApplyProperties(params);
    button->OnPostSpawn();
    return button.release();
}

template <typename T>
T* Held(const LuaObject& handle, const Actor* parent)
{
    auto* actor = dynamic_cast<T*>(Object::FromLuaObject(handle));
    if (!actor || actor->IsBeingDestroyed() || (parent && actor->GetParent() != parent))
        return nullptr;
    return actor;
}

} // namespace

// The configured font face under the key; anything but a string is refused.
std::string ConfiguredFontFace(const std::string& key)
{
    Config* config = GetConfig();
    VELK_ASSERT_MSG(config != 0, "There is no configuration to read fonts from.");
    Variant value = config->Retrieve(key);
    VELK_ASSERT_MSG(value.IsString(), (boost::format("The configuration value \"%1%\" must be a string.") % key).str());
    return value.ToString();
}

// ---------------------------------------------------------------- registration

void ButtonClassHook(Class* c)
{
    for (const char* name : {"ignoreUserInput", "grayOutLabelWhenDisabled", "pressUpOnMouseLeave"}) {
        c->RegisterPropertyGetter(MakeNamedProperty(name));
        c->RegisterPropertySetter(MakeNamedProperty(name));
    }
    for (const char* name :
         {"textColor", "textHighlightColor", "textShadowColor", "text", "useFrames", "textBackground1",
          "textBackground2", "font", "textAlignment", "textAlignmentOffset", "shortcutKey", "enterKey", "escapeKey",
          "spaceKey", "backspaceKey", "functionKey", "altFunctionKey", "useAltShortcutKey", "active", "setBlink",
          "clickSound", "clickUpSound", "highlightSound", "highlightChild"})
        c->RegisterPropertySetter(MakeNamedProperty(name));
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("ManuallyPressButton", Script_ManuallyPressButton));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("ManuallyPressButton"));
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("ManuallyReleaseButton", Script_ManuallyReleaseButton));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("ManuallyReleaseButton"));
}

VELK_REGISTER_CLASS(Button, "Actor", ButtonClassHook, InstantiateButton);

// ---------------------------------------------------------------- states

namespace ButtonStates {

void Active::OnEnterState()
{
    m_Button.OnAppearanceStateChanged("Active");
}

bool Active::OnMouseEnter(const EventRecord& event)
{
    if (!IsAbout(event, m_Button) || !m_Button.IsVisible())
        return false;
    // The primary button is still down from a press that left the button.
    if (m_Button.m_Pressed) {
        m_Button.SetState("Pressed");
        return true;
    }
    if (!m_Button.m_HighlightSound.empty() && m_Button.m_Enabled)
        m_Button.PlaySound(m_Button.m_HighlightSound);
    m_Button.SetState("Highlighted");
    return true;
}

bool Active::OnMouseButtonUp(const EventRecord& event)
{
    if (!IsPrimary(event))
        return false;
    // A press that left the button ends here, without a click.
    const bool wasPressed = m_Button.m_Pressed != 0;
    m_Button.m_Pressed = 0;
    return wasPressed;
}

void Highlighted::OnEnterState()
{
    m_Button.SetBlink(false, m_Button.m_BlinkColor);
    m_Button.OnAppearanceStateChanged("Highlighted");
}

bool Highlighted::OnMouseLeave(const EventRecord& event)
{
    if (!IsAbout(event, m_Button))
        return false;
    m_Button.SetState("Active");
    return true;
}

bool Highlighted::OnMouseButtonDown(const EventRecord& event)
{
    // Being highlighted already says the pointer is over the button.
    if (!IsPrimary(event) || !m_Button.m_Enabled || !m_Button.IsVisible())
        return false;
    m_Button.SetState("Pressed");
    return true;
}

void Pressed::OnEnterState()
{
    m_Button.m_Pressed = 1;
    m_Button.OnAppearanceStateChanged("Pressed");
    m_Button.SetPressedLook(true);
    m_Button.PostButtonEvent(VELK_BUTTONPRESS);
}

void Pressed::OnExitState()
{
    m_Button.SetPressedLook(false);
}

bool Pressed::OnMouseLeave(const EventRecord&)
{
    if (m_Button.m_PressUpOnMouseLeave)
        m_Button.SetState("Active");
    return true;
}

bool Pressed::OnMouseButtonUp(const EventRecord& event)
{
    if (!IsPrimary(event) || !m_Button.m_Enabled || !m_Button.IsVisible())
        return false;
    const Rect rect = m_Button.GetGlobalRect();
    const int x = event.button.x;
    const int y = event.button.y;
    bool inside = x >= rect.x && x < rect.x + rect.w && y >= rect.y && y < rect.y + rect.h;
    if (inside && m_Button.IsNonrectangular())
        inside = m_Button.ContainsGlobalPoint(x, y);
    if (!inside && m_Button.m_PressUpOnMouseLeave)
        return false;
    m_Button.CompletePress();
    if (!m_Button.m_ClickUpSound.empty() && m_Button.m_Enabled)
        m_Button.PlaySound(m_Button.m_ClickUpSound);
    m_Button.SetState(inside ? "Highlighted" : "Active");
    return true;
}

} // namespace ButtonStates

// ---------------------------------------------------------------- life

Button::Button(const std::string& resourceName)
{
    Log(3, "Button::Button %s\n", resourceName.c_str());
    SetRolloverable(true);
    Log(3, "Button::Applying properties from spriteName\n");
    ApplyNamedResource(resourceName);
    Log(3, "Button::Add States\n");
    AddState(new ButtonStates::Active(*this), false);
    AddState(new ButtonStates::Highlighted(*this), false);
    AddState(new ButtonStates::Pressed(*this), false);
    Log(3, "Button::Enable\n");
    Enable();
    Log(3, "Button::SetState\n");
    SetState("Active");
}

Button::~Button()
{
    try {
        if (m_BlinkTimerID != 0)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_BlinkTimerID);
        m_BlinkTimerID = 0;
        // The tip is this button's wherever it is shown; it goes at once.
        if (Actor* tip = GetKeyTip()) {
            m_KeyTip = LuaObject();
            delete tip;
        }
    } catch (...) {
        LogWrite("WARNING: Button::~Button: %s\n", CurrentExceptionMessage().c_str());
    }
}

void Button::Destroy()
{
    if (IsBeingDestroyed())
        return;
    DestroyKeyTip();
    Actor::Destroy();
}

Button* Button::Make(const std::string& resourceName, const std::string& text, const std::string& fontFace,
                     int fontSize, int x, int y, const std::string& name, EventReceiver* group)
{
    Log(3, "Button::Make %s %s %s %d %d %d %s\n", resourceName.c_str(), text.c_str(), fontFace.c_str(), fontSize, x,
        y, name.c_str());
    auto button = std::make_unique<Button>(resourceName);
    Log(3, "Button:: new Font\n");
    auto font = std::make_unique<Font>(fontFace, fontSize, 0);
    Log(3, "Button:: new Label\n");
    auto label = std::make_unique<Label>(text, font.release(), TEXTALIGN_CENTER);
    Log(3, "Button:: SetLabel Label\n");
    button->SetLabel(label.release());
    Log(3, "Button:: MoveTo\n");
    button->SetPosition(x, y);
    Log(3, "Button:: SetName\n");
    button->SetName(name);
    if (group)
        button->AddToGroup(group);
    return button.release();
}

Button* Button::MakeFromTemplate(const ButtonTemplate& buttonTemplate, EventReceiver* group)
{
    const std::string face = ConfiguredFontFace(buttonTemplate.fontKey);
    Config* config = GetConfig();
    Variant size = config->Retrieve(buttonTemplate.fontSizeKey);
    VELK_ASSERT_MSG(size.IsDouble(), (boost::format("The configuration value \"%1%\" must be a number.") %
                                      buttonTemplate.fontSizeKey)
                                         .str());
    std::unique_ptr<Button> button(Make(buttonTemplate.image, buttonTemplate.label, face,
                                        static_cast<int>(size.ToDouble()), 0, 0, buttonTemplate.templateName));
    button->SetShortcutKey(buttonTemplate.key);
    if (group)
        button->AddToGroup(group);
    return button.release();
}

// ---------------------------------------------------------------- per frame and events

bool Button::OnEvent(const EventRecord& event)
{
    if (m_IgnoreUserInput) {
        switch (event.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
        case VELK_MOUSEENTER:
        case VELK_MOUSELEAVE:
            return false;
        default:
            break;
        }
    }
    return Actor::OnEvent(event);
}

void Button::Update()
{
    if (m_KeyTipChar != 0) {
        Application* app = Application::GetInstance();
        const bool show = app && (app->GetFlags() & APPFLAG_SHOW_KEY_TIPS) != 0 && IsVisible();
        if ((show || m_KeyTipPlaced) && GetKeyTip())
            ShowKeyTip(show);
    }
    Actor::Update();
}

void Button::SetVisible(bool visible, bool recursive)
{
    LuaObject payload;
    payload.AssignString(ObjectLuaState(), "visibility changed");
    if (CoreHost* host = GetCoreHost())
        host->SendEvent(this, MakeEventRecord(VELK_INTERNALEVENT, 0, reinterpret_cast<void*>(visible ? 1 : 0),
                                              &payload));
    Actor::SetVisible(visible, recursive);
}

bool Button::ParentRelay::OnEvent(const EventRecord& event)
{
    Actor* parent = owner.GetParent();
    return parent && parent->OnEvent(event);
}

void Button::PostButtonEvent(int type)
{
    Actor* self = this;
    if (!HasReceivers() && GetParent())
        RequireCoreHost().PostEvent(&m_ParentRelay, MakeEventRecord(static_cast<std::uint8_t>(type), 0, self));
    RaiseEvent(type, self, false);
}

void Button::PlaySound(const std::string& name) const
{
    Sound::Play(name);
}

void Button::FireClick()
{
    if (!Application::TakeClickPermit())
        return;
    PostButtonEvent(VELK_BUTTONCLICK);
}

void Button::CompletePress()
{
    FireClick();
    SetBlink(false, m_BlinkColor);
    m_Pressed = 0;
}

bool Button::OnButtonPress(const EventRecord& event)
{
    if (!IsAbout(event, *this) || !IsVisible() || !m_Enabled)
        return false;
    PlaySound(m_ClickSound);
    return true;
}

bool Button::OnTimer(const EventRecord& event)
{
    if (m_BlinkTimerID == 0 || TimerIDOfEvent(event) != m_BlinkTimerID)
        return Actor::OnTimer(event);
    Label* label = GetLabel();
    label->SetColor(label->GetFgColor() == m_BlinkColor ? m_LabelColor : m_BlinkColor, true);
    if (m_UseFrames)
        SetAppearanceFrame(GetFrame() == 0 ? 1 : 0);
    return true;
}

// ---------------------------------------------------------------- keys

bool Button::IsShortcut(int key, int modifiers) const
{
    if (m_ShortcutKey == 0 || key != m_ShortcutKey)
        return false;
    return !m_UseAltShortcutKey || IsAltAlone(modifiers);
}

bool Button::MatchesOtherKeyDown(int key, int modifiers) const
{
    const bool alt = IsAltAlone(modifiers);
    if (!alt) {
        if (m_EnterKey && (key == SDLK_RETURN || key == SDLK_KP_ENTER))
            return true;
        if ((m_EscapeKey && key == SDLK_ESCAPE) || (m_SpaceKey && key == SDLK_SPACE) ||
            (m_BackspaceKey && key == SDLK_BACKSPACE))
            return true;
        if (m_FunctionKey != 0 && key == m_FunctionKey)
            return true;
    }
    return alt && m_AltFunctionKey != 0 && key == m_AltFunctionKey;
}

bool Button::MatchesOtherKeyUp(int key) const
{
    return (m_EnterKey && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) || (m_EscapeKey && key == SDLK_ESCAPE) ||
           (m_SpaceKey && key == SDLK_SPACE) || (m_BackspaceKey && key == SDLK_BACKSPACE) ||
           (m_FunctionKey != 0 && key == m_FunctionKey) || (m_AltFunctionKey != 0 && key == m_AltFunctionKey);
}

bool Button::OnKeyDown(const EventRecord& event)
{
    if (!IsVisible() || !m_Enabled)
        return false;
    const int key = event.key.keysym.sym;
    const int modifiers = event.key.keysym.mod;
    if (!IsShortcut(key, modifiers) && !MatchesOtherKeyDown(key, modifiers))
        return false;
    SetState("Highlighted");
    SetState("Pressed");
    return true;
}

bool Button::OnKeyUp(const EventRecord& event)
{
    if (!IsVisible() || !m_Enabled || !m_Pressed)
        return false;
    const int key = event.key.keysym.sym;
    if (m_ShortcutKey != 0 && key == m_ShortcutKey) {
        CompletePress();
        SetState("Active");
        // Others may want the release of the shortcut key too.
        return false;
    }
    if (!MatchesOtherKeyUp(key))
        return false;
    CompletePress();
    SetState("Active");
    return true;
}

void Button::SetShortcutKey(int key)
{
    m_ShortcutKey = key;
    CreateKeyTip();
    // Letters show in upper case, digits as they are; other keys have no tip.
    if (key >= 'a' && key <= 'z')
        m_KeyTipChar = static_cast<std::uint8_t>(key - 32);
    else if (key >= '0' && key <= '9')
        m_KeyTipChar = static_cast<std::uint8_t>(key);
    else
        m_KeyTipChar = 0;
    if (m_KeyTipChar == 0) {
        DestroyKeyTip();
        return;
    }
    Actor* tip = GetKeyTip();
    auto* label = dynamic_cast<Label*>(tip->FindChild("KeyTipLabel"));
    VELK_ASSERT(label != 0);
    label->SetText((boost::format("%1%") % static_cast<char>(m_KeyTipChar)).str(), true);
    label->SetPosition(tip->GetWidth() / 2 - label->GetWidth() / 2, tip->GetHeight() / 2 - label->GetHeight() / 2);
}

Actor* Button::GetKeyTip() const
{
    return Held<Actor>(m_KeyTip, nullptr);
}

void Button::CreateKeyTip()
{
    DestroyKeyTip();
    auto tip = std::make_unique<Actor>("objKeyTip.png");
    tip->SetVisible(false);
    tip->SetName("KeyTip");
    auto font = std::make_unique<Font>(ConfiguredFontFace("ButtonFont"), kKeyTipFontSize, 0);
    auto label = std::make_unique<Label>(" ", font.release(), TEXTALIGN_CENTER);
    tip->AddChild(label.release(), "KeyTipLabel");
    m_KeyTip = tip->GetLuaObject();
    m_KeyTipPlaced = false;
    tip.release();
}

void Button::DestroyKeyTip()
{
    Actor* tip = GetKeyTip();
    m_KeyTip = LuaObject();
    if (!tip)
        return;
    if (Actor* parent = tip->GetParent())
        parent->DestroyChild(tip);
    else
        tip->Destroy();
}

void Button::ShowKeyTip(bool show)
{
    Actor* tip = GetKeyTip();
    if (!tip)
        return;
    if (show && !tip->GetParent()) {
        auto* layer = dynamic_cast<Actor*>(Object::FromLuaObject(GetInheritedProperty("keyTipLayer")));
        if (!layer)
            VELK_THROW(Exception, AssertionText("keyTipLayerObject.IsUserData()"));
        layer->AddChild(tip);
        m_KeyTipPlaced = true;
    }
    if (show) {
        Actor* layer = tip->GetParent();
        Point<int> center = layer->GlobalToLocal(LocalToGlobal(Point<int>(GetWidth() - 3, 3)));
        tip->SetPosition(center.x - tip->GetWidth() / 2, center.y - tip->GetHeight() / 2);
    }
    tip->SetVisible(show);
}

// ---------------------------------------------------------------- behaviour

void Button::Enable()
{
    if (m_Enabled)
        return;
    m_Enabled = 1;
    if (Label* label = FindLabel(); label && m_GrayOutLabelWhenDisabled) {
        label->SetGrayed(false);
        m_LabelColor = label->GetFgColor();
    }
    if (m_UseFrames)
        SetAppearanceFrame(m_AppearanceFrame);
    ScreenManager* screens = ScreenManager::GetInstance();
    SetState(screens && screens->GetRolloverActor() == this ? "Highlighted" : "Active");
}

void Button::Disable()
{
    if (!m_Enabled)
        return;
    m_Enabled = 0;
    if (Label* label = FindLabel(); label && m_GrayOutLabelWhenDisabled) {
        label->SetGrayed(true);
        m_LabelColor = label->GetFgColor();
    }
    OnAppearanceStateChanged("Disabled");
}

void Button::ManuallyPressButton()
{
    SetState("Pressed");
}

void Button::ManuallyReleaseButton()
{
    if (GetStateName() == "Pressed") {
        m_Pressed = 0;
        FireClick();
    }
    SetState("Active");
}

void Button::SetBlink(bool on, const Color& color)
{
    TimerManager* timers = TimerManager::GetInstance();
    if (on) {
        VELK_ASSERT(timers != 0);
        // While blinking the label may show the blink colour: its own colour
        // is the one remembered when the blinking began.
        if (m_BlinkTimerID == 0)
            m_LabelColor = GetLabel()->GetFgColor();
        m_BlinkColor = color;
        if (m_BlinkTimerID != 0)
            timers->RecreateTimer(m_BlinkTimerID, this, kBlinkPeriod, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
        else
            m_BlinkTimerID = timers->CreateTimer(this, kBlinkPeriod, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
        return;
    }
    if (m_BlinkTimerID == 0)
        return;
    GetLabel()->SetColor(m_LabelColor, true);
    if (timers)
        timers->FreeTimer(m_BlinkTimerID);
    m_BlinkTimerID = 0;
    // The blinking may have left the disabled frame showing.
    if (m_UseFrames && GetState()) {
        const std::string state = GetStateName();
        SetAppearanceFrame(state == "Pressed" ? 3 : state == "Highlighted" ? 2 : 0);
    }
}

// ---------------------------------------------------------------- look

Label* Button::FindLabel() const
{
    return Held<Label>(m_Label, this);
}

Label* Button::GetLabel()
{
    if (!FindLabel())
        CreateLabel();
    return FindLabel();
}

void Button::SetLabel(Label* label)
{
    VELK_ASSERT(label != 0);
    if (Label* old = FindLabel(); old && old != label) {
        RemoveChild(old);
        delete old;
    }
    label->SetAlignment(m_TextAlignment);
    label->SetAlignmentOffset(m_TextAlignmentOffsetX, m_TextAlignmentOffsetY);
    m_Label = label->GetLuaObject();
    AddChild(label, "buttonLabel");
}

void Button::CreateLabel()
{
    auto font = std::make_unique<Font>(ConfiguredFontFace("ButtonFont"), kLabelFontSize, 0);
    auto label = std::make_unique<Label>("", font.release(), Colors::Black, TEXTALIGN_CENTER);
    label->SetSize(GetWidth(), GetHeight());
    label->SetZOrder(10);
    SetLabel(label.release());
}

void Button::SetText(const std::string& text)
{
    Label* label = GetLabel();
    label->SetText(text, true);
    label->SetPosition(GetWidth() / 2 - label->GetWidth() / 2, GetHeight() / 2 - label->GetHeight() / 2);
    label->SetAlignmentOffset(m_TextAlignmentOffsetX, m_TextAlignmentOffsetY);
}

void Button::SetPressedLook(bool down)
{
    const int dx = down ? m_PressedOffsetX : -m_PressedOffsetX;
    const int dy = down ? m_PressedOffsetY : -m_PressedOffsetY;
    if (!m_UseFrames) {
        SetPosition(GetX() + dx, GetY() + dy);
        return;
    }
    for (Actor* child : GetChildren())
        child->SetPosition(child->GetX() + dx, child->GetY() + dy);
}

void Button::OnAppearanceStateChanged(const std::string& name)
{
    const bool hasHighlightChild = !m_HighlightChild.empty() && m_Enabled;
    if (name == "Active" || name == "Disabled") {
        if (m_UseFrames)
            SetAppearanceFrame(name == "Active" ? 0 : 1);
        else if (hasHighlightChild)
            ShowHighlightChild(false);
    } else if (name == "Highlighted") {
        if (m_UseFrames)
            SetAppearanceFrame(2);
        else if (hasHighlightChild)
            ShowHighlightChild(true);
    } else if (name == "Pressed") {
        if (m_UseFrames)
            SetAppearanceFrame(3);
    }
    auto* payload = new LuaObject;
    payload->AssignNewTable(ObjectLuaState());
    payload->SetObject("button", GetLuaObject());
    payload->SetString("appearanceState", name);
    NotifyObservers(VELK_BUTTONAPPEARANCECHANGE, payload, false);
}

void Button::SetAppearanceFrame(std::uint32_t frame)
{
    if (!m_UseFrames)
        return;
    m_AppearanceFrame = frame;
    SetFrame(m_Enabled ? static_cast<int>(frame) : 1);
}

void Button::SetTextAlignment(RectAlignment alignment)
{
    m_TextAlignment = alignment;
    ApplyTextAlignmentToLabel();
}

void Button::SetTextAlignmentOffset(int x, int y)
{
    m_TextAlignmentOffsetX = x;
    m_TextAlignmentOffsetY = y;
    ApplyTextAlignmentToLabel();
}

void Button::ApplyTextAlignmentToLabel()
{
    Label* label = GetLabel();
    label->SetAlignment(m_TextAlignment);
    label->SetAlignmentOffset(m_TextAlignmentOffsetX, m_TextAlignmentOffsetY);
}

Actor* Button::GetTextBackground(int which) const
{
    return Held<Actor>(which == 1 ? m_TextBackground1 : m_TextBackground2, this);
}

void Button::SetTextBackground(int which, const LuaObject& value)
{
    LuaObject& handle = which == 1 ? m_TextBackground1 : m_TextBackground2;
    if (Actor* old = GetTextBackground(which))
        DestroyChild(old);
    handle = LuaObject();
    if (value.IsNil())
        return;
    auto background = std::make_unique<Actor>(ReadStringFromObject(value));
    background->SetVisible(false);
    background->SetZOrder(which == 1 ? 5 : 6);
    handle = background->GetLuaObject();
    AddChild(background.release(), which == 1 ? "TextBackground1" : "TextBackground2");
}

void Button::ShowTextBackground(bool show)
{
    if (Actor* background = GetTextBackground(1))
        background->SetVisible(show);
}

void Button::ShowHighlightChild(bool show)
{
    if (Actor* child = FindChild(m_HighlightChild, false))
        child->SetVisible(show);
}

// ---------------------------------------------------------------- properties

void Button::ApplyTextColor(const LuaObject& value)
{
    // Nil changes nothing: there is no colour to take.
    if (value.IsNil())
        return;
    Color color(value);
    if (value.IsTable() && value.GetN() == 5 && value[5].IsString()) {
        const std::string name = value[5].GetString();
        if (Colors::Exists(name))
            Log(3, "Tried to register color named %s twice", name.c_str());
        else
            Colors::Add(color, name);
    }
    GetLabel()->SetColor(color, true);
}

void Button::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "ignoreUserInput") {
        SetIgnoreUserInput(ReadBooleanFromObject(value));
    } else if (name == "textColor") {
        ApplyTextColor(value);
    } else if (name == "textHighlightColor") {
        if (!value.IsNil())
            GetLabel()->SetHighlightColor(Color(value));
        else if (Label* label = FindLabel())
            label->SetHighlightColor(Colors::Invisible);
    } else if (name == "textShadowColor") {
        if (!value.IsNil())
            GetLabel()->SetShadowColor(Color(value));
    } else if (name == "text") {
        if (!value.IsNil())
            SetText(TextOf(value));
    } else if (name == "useFrames") {
        SetUseFrames(ReadBooleanFromObject(value));
    } else if (name == "textBackground1" || name == "textBackground2") {
        SetTextBackground(name == "textBackground1" ? 1 : 2, value);
    } else if (name == "font") {
        GetLabel()->SetFont(new Font(value), true);
        ApplyTextAlignmentToLabel();
    } else if (name == "textAlignment") {
        if (value.IsString()) {
            const std::string text = value.GetString();
            if (text == "Center")
                m_TextAlignment = RectAlignment::Center;
            else if (text == "Left")
                m_TextAlignment = RectAlignment::MidLeft;
            else if (text == "Right")
                m_TextAlignment = RectAlignment::MidRight;
        }
        ApplyTextAlignmentToLabel();
    } else if (name == "textAlignmentOffset") {
        if (value.IsTable() && value.GetTableCount() == 2 && value[1].IsNumber() && value[2].IsNumber())
            SetTextAlignmentOffset(value[1].GetInteger(), value[2].GetInteger());
    } else if (name == "grayOutLabelWhenDisabled") {
        m_GrayOutLabelWhenDisabled = ReadBooleanFromObject(value) ? 1 : 0;
    } else if (name == "pressUpOnMouseLeave") {
        SetPressUpOnMouseLeave(ReadBooleanFromObject(value));
    } else if (name == "shortcutKey") {
        if (value.IsString()) {
            const std::string text = value.GetString();
            if (!text.empty())
                SetShortcutKey(static_cast<unsigned char>(text[0]));
        } else {
            SetShortcutKey(ReadIntegerFromObject(value));
        }
    } else if (name == "enterKey") {
        SetEnterKey(ReadBooleanFromObject(value));
    } else if (name == "escapeKey") {
        SetEscapeKey(ReadBooleanFromObject(value));
    } else if (name == "spaceKey") {
        SetSpaceKey(ReadBooleanFromObject(value));
    } else if (name == "backspaceKey") {
        SetBackspaceKey(ReadBooleanFromObject(value));
    } else if (name == "functionKey") {
        SetFunctionKey(ReadIntegerFromObject(value));
    } else if (name == "altFunctionKey") {
        SetAltFunctionKey(ReadIntegerFromObject(value));
    } else if (name == "useAltShortcutKey") {
        // Any assignment turns it on: the template's false included.
        SetUseAltShortcutKey(true);
    } else if (name == "active") {
        if (ReadBooleanFromObject(value))
            Enable();
        else
            Disable();
    } else if (name == "setBlink") {
        SetBlink(ReadBooleanFromObject(value), Colors::Green);
    } else if (name == "clickSound") {
        SetClickSound(ReadStringFromObject(value));
    } else if (name == "clickUpSound") {
        SetClickUpSound(ReadStringFromObject(value));
    } else if (name == "highlightSound") {
        SetHighlightSound(ReadStringFromObject(value));
    } else if (name == "highlightChild") {
        SetHighlightChild(ReadStringFromObject(value));
    } else {
        Actor::ApplyClassicProperty(name, value);
    }
}

LuaObject Button::GetProperty(const std::string& name, LuaState state)
{
    LuaObject result(state);
    if (name == "ignoreUserInput")
        result.AssignBoolean(state, m_IgnoreUserInput != 0);
    else if (name == "grayOutLabelWhenDisabled")
        result.AssignBoolean(state, m_GrayOutLabelWhenDisabled != 0);
    else if (name == "pressUpOnMouseLeave")
        result.AssignBoolean(state, m_PressUpOnMouseLeave != 0);
    else
        return Actor::GetProperty(name, state);
    return result;
}
