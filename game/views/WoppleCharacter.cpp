#include "game/views/WoppleCharacter.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Image.h"
#include "engine/ui/Label.h"
#include "engine/ui/SpeechBubble.h"

#include <boost/format.hpp>

#include <cmath>
#include <memory>

namespace {

const char* const kBubbleLayerName = "BubbleLayer";
const char* const kButtonSetName = "BubbleButtonSet";
const char* const kCloseButtonName = "SpeechBubbleCloseButton";
const int kBubbleZOrder = 100;

template <typename T>
T* Held(const LuaObject& handle)
{
    auto* object = dynamic_cast<T*>(Object::FromLuaObject(handle));
    return object && !object->IsBeingDestroyed() ? object : nullptr;
}

// ---------------------------------------------------------------- script methods

WoppleCharacter* RequireCharacter(lua_State* L)
{
    return RequireScriptObject<WoppleCharacter>(L, 1, "a character");
}

std::string StringArg(lua_State* L, int index, const std::string& fallback = std::string())
{
    if (lua_isnoneornil(L, index))
        return fallback;
    return ReadStringFromObject(LuaObject(LuaState(L), index));
}

double NumberArg(lua_State* L, int index, double fallback)
{
    return lua_type(L, index) == LUA_TNUMBER ? lua_tonumber(L, index) : fallback;
}

// A key given as a letter ("y") or as a key code.
int KeyArg(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TNUMBER)
        return static_cast<int>(lua_tonumber(L, index));
    if (lua_type(L, index) == LUA_TSTRING) {
        std::size_t length = 0;
        const char* text = lua_tolstring(L, index, &length);
        return length > 0 ? static_cast<unsigned char>(text[0]) : 0;
    }
    return 0;
}

EventReceiver* ReceiverArg(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TLIGHTUSERDATA)
        return static_cast<EventReceiver*>(lua_touserdata(L, index));
    return Object::FromLua(L, index);
}

// Say(text, [duration], [colour], [font resource])
int Script_Say(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        WoppleCharacter* self = RequireCharacter(L);
        std::unique_ptr<Font> font;
        if (lua_type(L, 5) == LUA_TSTRING)
            font = Font::CreateFromTable(lua_tostring(L, 5));
        self->Say(StringArg(L, 2), NumberArg(L, 3, 5000), StringArg(L, 4, "White"), font.release(), false);
        return 0;
    });
}

// SayWithButtons(text, leftText, leftName, leftKey, rightText, rightName, rightKey, receiver, [duration])
int Script_SayWithButtons(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCharacter(L)->SayWithButtons(StringArg(L, 2), StringArg(L, 3), StringArg(L, 4), KeyArg(L, 5),
                                            StringArg(L, 6), StringArg(L, 7), KeyArg(L, 8), ReceiverArg(L, 9),
                                            NumberArg(L, 10, 0), "White");
        return 0;
    });
}

// SayWithOneButton(text, text1, name1, key1, receiver, [duration])
int Script_SayWithOneButton(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCharacter(L)->SayWithOneButton(StringArg(L, 2), StringArg(L, 3), StringArg(L, 4), KeyArg(L, 5),
                                              ReceiverArg(L, 6), NumberArg(L, 7, 0), "White");
        return 0;
    });
}

// SayWithThreeButtons(text, left text, name, key, center text, name, key, right text, name, key, receiver,
// [duration])
int Script_SayWithThreeButtons(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCharacter(L)->SayWithThreeButtons(StringArg(L, 2), StringArg(L, 3), StringArg(L, 4), KeyArg(L, 5),
                                                 StringArg(L, 6), StringArg(L, 7), KeyArg(L, 8), StringArg(L, 9),
                                                 StringArg(L, 10), KeyArg(L, 11), ReceiverArg(L, 12),
                                                 NumberArg(L, 13, 0), "White");
        return 0;
    });
}

// SayWithCloseButton(text, receiver, [duration])
int Script_SayWithCloseButton(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCharacter(L)->SayWithCloseButton(StringArg(L, 2), ReceiverArg(L, 3), NumberArg(L, 4, 0), "White");
        return 0;
    });
}

int Script_IsBubbleVisible(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushboolean(L, RequireCharacter(L)->IsBubbleVisible());
        return 1;
    });
}

int Script_CloseBubble(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireCharacter(L)->CloseBubble();
        return 0;
    });
}

} // namespace

void WoppleCharacterClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_INT32, MemberOf(&WoppleCharacter::m_BubbleType), "bubbleType");
    member(TYPE_RECTALIGNMENT, MemberOf(&WoppleCharacter::m_BubbleAlignment), "bubbleAlignment");
    member(TYPE_RECTALIGNMENT, MemberOf(&WoppleCharacter::m_BubbleAlignTo), "bubbleAlignTo");
    member(TYPE_POINT, MemberOf(&WoppleCharacter::m_BubbleAlignmentOffset), "bubbleAlignmentOffset");
    member(TYPE_POINT, MemberOf(&WoppleCharacter::m_BubblePosition), "bubblePosition");

    auto method = [c](const char* name, lua_CFunction function) {
        c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
        c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
    };
    method("Say", Script_Say);
    method("SayWithButtons", Script_SayWithButtons);
    method("IsBubbleVisible", Script_IsBubbleVisible);
    // The scripts ask with one or three replies, or with the close box, and
    // send a speech away early, as the rules do.
    method("SayWithOneButton", Script_SayWithOneButton);
    method("SayWithThreeButtons", Script_SayWithThreeButtons);
    method("SayWithCloseButton", Script_SayWithCloseButton);
    method("CloseBubble", Script_CloseBubble);
}

VELK_REGISTER_CLASS(WoppleCharacter, "Button", WoppleCharacterClassHook, InstantiateObjectOfClass<WoppleCharacter>);

WoppleCharacter::WoppleCharacter() : Button("Button.png")
{
    // Pressed, the figure moves; its frames are its animations'.
    SetUseFrames(false);
    // The figure is its template's picture or its layers, never a plain button.
    SetImage(nullptr, "");
}

WoppleCharacter::~WoppleCharacter()
{
    try {
        if (GetBubble())
            DestroyBubble();
        if (m_CloseTimerID != 0)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_CloseTimerID);
    } catch (...) {
    }
}

SpeechBubble* WoppleCharacter::GetBubble() const
{
    return Held<SpeechBubble>(m_Bubble);
}

Actor* WoppleCharacter::GetBubbleLayer()
{
    if (Actor* cached = Held<Actor>(m_BubbleLayer))
        return cached;
    for (Actor* a = GetParent(); a; a = a->GetParent())
        if (Actor* layer = a->FindChild(kBubbleLayerName)) {
            m_BubbleLayer = layer->GetLuaObject();
            return layer;
        }
    return nullptr;
}

void WoppleCharacter::SetVisible(bool visible, bool recursive)
{
    Button::SetVisible(visible, recursive);
    if (SpeechBubble* bubble = GetBubble())
        bubble->SetVisible(visible, true);
}

bool WoppleCharacter::OnTimer(const EventRecord& event)
{
    if (m_CloseTimerID == 0 || TimerIDOfEvent(event) != m_CloseTimerID)
        return Button::OnTimer(event);
    m_CloseTimerActive = false;
    DestroyBubble();
    return true;
}

void WoppleCharacter::CancelCloseTimer()
{
    if (m_CloseTimerActive && m_CloseTimerID != 0)
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->ResetTimer(m_CloseTimerID);
    m_CloseTimerActive = false;
}

void WoppleCharacter::Say(const std::string& text, double durationMs, const std::string& colourName, Font* font,
                          bool closeBox)
{
    std::unique_ptr<Font> ownedFont(font);
    CancelCloseTimer();
    if (durationMs > 0) {
        TimerManager* timers = TimerManager::GetInstance();
        const auto period = static_cast<std::uint32_t>(std::floor(durationMs));
        if (m_CloseTimerID == 0)
            m_CloseTimerID = timers->CreateTimer(this, period, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
        else
            timers->RecreateTimer(m_CloseTimerID, this, period, 1, TIMER_LIMITED_TO_FRAMERATE, "default");
        m_CloseTimerActive = true;
    }

    SpeechBubble* bubble = GetBubble();
    if (bubble) {
        bubble->SetText(text);
        bubble->SetFont(ownedFont.release());
        bubble->SetShowCloseBox(closeBox);
    } else {
        Actor* layer = GetBubbleLayer();
        VELK_ASSERT_MSG(layer != 0, "A character speaks only below an actor with a \"BubbleLayer\" child.");
        auto made = std::make_unique<SpeechBubble>(text, m_BubbleType, colourName, closeBox, this);
        if (Actor* parent = GetParent())
            made->AddToGroup(parent);
        made->SetFont(ownedFont.release());
        made->SetZOrder(kBubbleZOrder);
        bubble = made.get();
        layer->AddChild(made.release(), "");
        m_Bubble = bubble->GetLuaObject();
    }
    // A bubble closed before keeps its close box disabled; this is a new speech.
    if (auto* close = dynamic_cast<Button*>(bubble->FindChild(kCloseButtonName)))
        close->Enable();

    bubble->SetVisible(IsVisible(), true);
    PlaceBubble(*bubble);
}

void WoppleCharacter::PlaceBubble(SpeechBubble& bubble)
{
    Actor* layer = bubble.GetParent();
    if (!layer)
        return;
    if (m_BubblePosition.x != -1) {
        bubble.SetPosition(m_BubblePosition.x, m_BubblePosition.y);
        return;
    }
    auto anchor = Rect::GetAnchorFunction(m_BubbleAlignTo);
    auto align = Rect::GetAlignmentFunction(m_BubbleAlignment);
    if (!anchor || !align)
        return;
    Point<int> at = layer->GlobalToLocal(anchor(GetGlobalRect()));
    at.x += m_BubbleAlignmentOffset.x;
    at.y += m_BubbleAlignmentOffset.y;
    Rect r(0, 0, bubble.GetWidth(), bubble.GetHeight());
    align(r, at);
    bubble.SetPosition(r.x, r.y);
}

void WoppleCharacter::SayWithSet(const std::string& setName, const std::string& text, const ReplyButton* buttons,
                                 int numButtons, EventReceiver* receiver, double durationMs,
                                 const std::string& colourName)
{
    Actor* set = Actor::Create(setName);
    for (int i = 0; i < numButtons; ++i) {
        const ReplyButton& reply = buttons[i];
        auto* button = dynamic_cast<Button*>(set->FindChild(reply.child));
        if (!button)
            continue;
        if (Label* label = button->GetLabel())
            label->SetWidthLimit(button->GetWidth() - 5);
        button->SetText(reply.text);
        button->SetName(reply.name);
        button->SetShortcutKey(reply.key);
        if (receiver)
            button->AddToGroup(receiver);
        // The first reply also answers Backspace.
        if (i == 0)
            button->SetBackspaceKey(true);
    }
    Say(text, durationMs, colourName, nullptr, false);
    SpeechBubble* bubble = GetBubble();
    if (Actor* old = bubble->FindChild(kButtonSetName))
        bubble->DestroyChild(old);
    bubble->AddChild(set, "");
    set->UpdateAlignment();
}

void WoppleCharacter::SayWithOneButton(const std::string& text, const std::string& text1, const std::string& name1,
                                       int key1, EventReceiver* receiver, double durationMs,
                                       const std::string& colourName)
{
    const ReplyButton buttons[] = {{"centerButton", text1, name1, key1}};
    SayWithSet("BubbleButtonSet1", text, buttons, 1, receiver, durationMs, colourName);
}

void WoppleCharacter::SayWithButtons(const std::string& text, const std::string& leftText,
                                     const std::string& leftName, int leftKey, const std::string& rightText,
                                     const std::string& rightName, int rightKey, EventReceiver* receiver,
                                     double durationMs, const std::string& colourName)
{
    const ReplyButton buttons[] = {{"leftButton", leftText, leftName, leftKey},
                                   {"rightButton", rightText, rightName, rightKey}};
    SayWithSet("BubbleButtonSet", text, buttons, 2, receiver, durationMs, colourName);
}

void WoppleCharacter::SayWithThreeButtons(const std::string& text, const std::string& leftText,
                                          const std::string& leftName, int leftKey, const std::string& centerText,
                                          const std::string& centerName, int centerKey,
                                          const std::string& rightText, const std::string& rightName, int rightKey,
                                          EventReceiver* receiver, double durationMs,
                                          const std::string& colourName)
{
    const ReplyButton buttons[] = {{"leftButton", leftText, leftName, leftKey},
                                   {"rightButton", rightText, rightName, rightKey},
                                   {"centerButton", centerText, centerName, centerKey}};
    SayWithSet("BubbleButtonSet3", text, buttons, 3, receiver, durationMs, colourName);
}

void WoppleCharacter::SayWithCloseButton(const std::string& text, EventReceiver* receiver, double durationMs,
                                         const std::string& colourName)
{
    Say((boost::format("\n%1%") % text).str(), durationMs, colourName, nullptr, true);
    if (Actor* layer = GetBubbleLayer())
        if (auto* close = dynamic_cast<Button*>(layer->FindChild(kCloseButtonName, true)))
            if (receiver)
                close->AddToGroup(receiver);
}

void WoppleCharacter::CloseBubble()
{
    if (SpeechBubble* bubble = GetBubble()) {
        bubble->SetVisible(false, true);
        if (Actor* set = bubble->FindChild(kButtonSetName))
            bubble->DestroyChild(set);
        if (auto* close = dynamic_cast<Button*>(bubble->FindChild(kCloseButtonName)))
            close->Disable();
    }
    CancelCloseTimer();
}

void WoppleCharacter::DestroyBubble()
{
    Log(3, "WoppleCharacter::DestroyBubble()\n");
    if (SpeechBubble* bubble = GetBubble()) {
        if (Actor* layer = bubble->GetParent())
            layer->DestroyChild(bubble);
        else
            bubble->Destroy();
    } else {
        Log(1, "WoppleCharacter::DestroyBubble() m_Bubble already is NULL\n");
    }
    m_Bubble = LuaObject();
    CancelCloseTimer();
}

bool WoppleCharacter::IsBubbleVisible() const
{
    SpeechBubble* bubble = GetBubble();
    return bubble && bubble->IsVisible();
}

void WoppleCharacter::Say(const std::string& text, double durationMs, const std::string& colourName, int,
                          unsigned char)
{
    // The rules' font 0 and layout are the bubble's own.
    Say(text, durationMs, colourName, nullptr, false);
}

void WoppleCharacter::SayWithButtons(const std::string& text, const std::string& firstText,
                                     const std::string& firstName, char firstKey, const std::string& secondText,
                                     const std::string& secondName, char secondKey, Object* listener,
                                     double durationMs, const std::string& colourName)
{
    SayWithButtons(text, firstText, firstName, int(firstKey), secondText, secondName, int(secondKey),
                   static_cast<EventReceiver*>(listener), durationMs, colourName);
}

void WoppleCharacter::SayWithThreeButtons(const std::string& text, const std::string& firstText,
                                          const std::string& firstName, char firstKey, const std::string& secondText,
                                          const std::string& secondName, char secondKey, const std::string& thirdText,
                                          const std::string& thirdName, char thirdKey, Object* listener,
                                          double durationMs, const std::string& colourName)
{
    SayWithThreeButtons(text, firstText, firstName, int(firstKey), secondText, secondName, int(secondKey), thirdText,
                        thirdName, int(thirdKey), static_cast<EventReceiver*>(listener), durationMs, colourName);
}
