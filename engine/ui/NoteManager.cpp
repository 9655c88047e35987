#include "engine/ui/NoteManager.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Button.h"
#include "engine/ui/NoteBubble.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kBubbleZOrder = 100;
constexpr double kDefaultDurationMs = 5000;
const char* const kDefaultColour = "White";
// Lines kept free under a note's text for its row of buttons, so that they
// never cover its last line.
constexpr int kButtonLines = 2;
const char* const kButtonSetName = "NoteBubbleButtonSet";
const char* const kCloseBoxName = "BubbleCloseButton";

NoteManager* RequireManager(lua_State* L)
{
    return RequireScriptObject<NoteManager>(L, 1, "a note manager");
}

// The arguments every PointOut method starts with: (self, text, spot, direction).
struct Note
{
    std::string text;
    Point<int> spot;
    int direction;
};

Note ReadNote(lua_State* L)
{
    LuaState state(L);
    return {ReadStringFromObject(LuaObject(state, 2)), Point<int>(LuaObject(state, 3)),
            ReadIntegerFromObject(LuaObject(state, 4))};
}

// PointOut(self, text, spot, direction, [duration], [colour])
int Script_PointOut(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        NoteManager* manager = RequireManager(L);
        Note note = ReadNote(L);
        LuaState state(L);
        LuaObject duration(state, 5);
        LuaObject colour(state, 6);
        manager->PointOut(note.text, note.spot, note.direction,
                          duration.IsNumber() ? duration.GetNumber() : kDefaultDurationMs,
                          colour.IsString() ? colour.GetString() : std::string(kDefaultColour));
        return 0;
    });
}

int Script_PointOutNoButton(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        NoteManager* manager = RequireManager(L);
        Note note = ReadNote(L);
        manager->PointOutNoButton(note.text, note.spot, note.direction);
        return 0;
    });
}

int Script_PointOutWithOkay(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        NoteManager* manager = RequireManager(L);
        Note note = ReadNote(L);
        manager->PointOutWithOkay(note.text, note.spot, note.direction);
        return 0;
    });
}

// PointOutWithNext(self, text, spot, direction, mode)
int Script_PointOutWithNext(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        NoteManager* manager = RequireManager(L);
        Note note = ReadNote(L);
        const int mode = ReadIntegerFromObject(LuaObject(LuaState(L), 5));
        manager->PointOutWithNext(note.text, note.spot, note.direction, mode);
        return 0;
    });
}

int Script_IsNoteBubbleVisible(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushboolean(L, RequireManager(L)->IsNoteBubbleVisible());
        return 1;
    });
}

} // namespace

void NoteManagerClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_INT32, MemberOf(&NoteManager::m_NoteBubbleDirection), "noteBubbleDirection");
    member(TYPE_BOOL, MemberOf(&NoteManager::m_ShowCloseBox), "showCloseBox");
    member(TYPE_STRING, MemberOf(&NoteManager::m_LastButtonPressed), "lastButtonPressed");
    member(TYPE_RECTALIGNMENT, MemberOf(&NoteManager::m_NoteBubbleAlignment), "noteBubbleAlignment");
    member(TYPE_RECTALIGNMENT, MemberOf(&NoteManager::m_NoteBubbleAlignTo), "noteBubbleAlignTo");
    member(TYPE_POINT, MemberOf(&NoteManager::m_NoteBubbleAlignmentOffset), "noteBubbleAlignmentOffset");

    auto method = [c](const char* name, lua_CFunction function) {
        c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
        c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
    };
    method("PointOut", Script_PointOut);
    method("PointOutNoButton", Script_PointOutNoButton);
    method("PointOutWithOkay", Script_PointOutWithOkay);
    method("PointOutWithNext", Script_PointOutWithNext);
    method("IsNoteBubbleVisible", Script_IsNoteBubbleVisible);
}

VELK_REGISTER_CLASS(NoteManager, "Actor", NoteManagerClassHook, InstantiateObjectOfClass<NoteManager>);

// ---------------------------------------------------------------- life

NoteManager::NoteManager()
{
    SetSize(kWidth, kHeight);
}

NoteManager::~NoteManager()
{
    try {
        if (TimerManager* timers = TimerManager::GetInstance()) {
            if (m_AutoCloseTimerSet)
                timers->ResetTimer(m_AutoCloseTimerID);
            timers->FreeTimer(m_AutoCloseTimerID);
        }
        m_AutoCloseTimerSet = false;
        m_AutoCloseTimerID = 0;
    } catch (...) {
        LogWrite("WARNING: NoteManager::~NoteManager: %s\n", CurrentExceptionMessage().c_str());
    }
}

NoteBubble* NoteManager::GetNoteBubble() const
{
    auto* bubble = dynamic_cast<NoteBubble*>(Object::FromLuaObject(m_NoteBubble));
    return bubble && !bubble->IsBeingDestroyed() ? bubble : nullptr;
}

// ---------------------------------------------------------------- showing and hiding

void NoteManager::ShowNoteBubble(const std::string& text, int x, int y, int direction, double durationMs,
                                 const std::string& colour, int buttonLines)
{
    m_NoteBubbleDirection = direction;
    StopAutoCloseTimer();
    if (durationMs > 0) {
        TimerManager* timers = TimerManager::GetInstance();
        VELK_ASSERT(timers != 0);
        // Whole milliseconds, and no more than a timer can count.
        const double period = std::min(std::floor(durationMs), double(std::numeric_limits<std::uint32_t>::max()));
        timers->CreateOrRestartTimer(m_AutoCloseTimerID, this, static_cast<std::uint32_t>(period), 1,
                                     TIMER_LIMITED_TO_FRAMERATE, "default");
        m_AutoCloseTimerSet = true;
    }

    NoteBubble* bubble = GetNoteBubble();
    if (!bubble) {
        auto made = std::make_unique<NoteBubble>(text, direction, colour, m_ShowCloseBox, this);
        made->SetButtonLines(buttonLines);
        made->SetZOrder(kBubbleZOrder);
        bubble = made.get();
        m_NoteBubble = bubble->GetLuaObject();
        AddChild(made.release());
    } else {
        bubble->SetDirection(direction);
        bubble->SetButtonLines(buttonLines);
        bubble->SetText(text);
        // A bubble that was not built again still has what the last note left:
        // its buttons belong to that note, and its close box was disabled when
        // it was hidden.
        if (Actor* old = bubble->FindChild(kButtonSetName))
            bubble->DestroyChild(old);
        if (auto* close = dynamic_cast<Button*>(bubble->FindChild(kCloseBoxName)))
            close->Enable();
    }
    bubble->SetVisible(IsVisible());
    PlaceNoteBubble(x, y);
}

void NoteManager::PlaceNoteBubble(int x, int y)
{
    NoteBubble* bubble = GetNoteBubble();
    if (!bubble)
        return;
    if (Actor* arrow = bubble->FindChild("bubbleArrow", true)) {
        switch (m_NoteBubbleDirection) {
        case PLACE_RIGHT:
            x += arrow->GetWidth();
            break;
        case PLACE_LEFT:
            x -= arrow->GetWidth();
            break;
        case PLACE_ABOVE:
            y -= arrow->GetHeight();
            break;
        case PLACE_BELOW:
            y += arrow->GetHeight();
            break;
        default:
            break;
        }
    }
    const int w = bubble->GetWidth();
    const int h = bubble->GetHeight();
    switch (m_NoteBubbleDirection) {
    case PLACE_CENTERED:
        bubble->SetPosition(x - w / 2, y - h / 2);
        break;
    case PLACE_RIGHT:
        bubble->SetPosition(x, y - h / 2);
        break;
    case PLACE_LEFT:
        bubble->SetPosition(x - w, y - h / 2);
        break;
    case PLACE_ABOVE:
        bubble->SetPosition(x - w / 2, y - h);
        break;
    case PLACE_BELOW:
        bubble->SetPosition(x - w / 2, y);
        break;
    default:
        break;
    }
}

void NoteManager::HideNoteBubble()
{
    if (NoteBubble* bubble = GetNoteBubble()) {
        bubble->SetVisible(false);
        // Hidden buttons would still take their keys.
        if (Actor* set = bubble->FindChild(kButtonSetName))
            bubble->DestroyChild(set);
        if (auto* close = dynamic_cast<Button*>(bubble->FindChild(kCloseBoxName)))
            close->Disable();
    }
    StopAutoCloseTimer();
}

void NoteManager::DestroyNoteBubble()
{
    Log(3, "NoteManager::DestroyNoteBubble()\n");
    if (NoteBubble* bubble = GetNoteBubble()) {
        StopScriptsWithTag("PointOut");
        DestroyChild(bubble);
        m_NoteBubble = LuaObject();
    }
    StopAutoCloseTimer();
}

void NoteManager::StopAutoCloseTimer()
{
    if (!m_AutoCloseTimerSet)
        return;
    if (TimerManager* timers = TimerManager::GetInstance())
        timers->ResetTimer(m_AutoCloseTimerID);
    m_AutoCloseTimerSet = false;
}

bool NoteManager::IsNoteBubbleVisible() const
{
    NoteBubble* bubble = GetNoteBubble();
    return bubble && bubble->IsVisible();
}

void NoteManager::SetVisible(bool visible, bool recursive)
{
    if (NoteBubble* bubble = GetNoteBubble())
        bubble->SetVisible(visible, recursive);
    Actor::SetVisible(visible, recursive);
}

// ---------------------------------------------------------------- the script methods

void NoteManager::PointOut(const std::string& text, const Point<int>& spot, int direction, double durationMs,
                           const std::string& colour)
{
    ShowNoteBubble(text, spot.x, spot.y, direction, durationMs, colour);
}

void NoteManager::PointOutNoButton(const std::string& text, const Point<int>& spot, int direction)
{
    ShowNoteBubble(text, spot.x, spot.y, direction, 0, kDefaultColour);
    AttachButtonSet("NoteBubbleButtonSet0");
}

void NoteManager::PointOutWithOkay(const std::string& text, const Point<int>& spot, int direction)
{
    ShowNoteBubble(text, spot.x, spot.y, direction, 0, kDefaultColour, kButtonLines);
    AttachButtonSet("NoteBubbleButtonSet1");
}

void NoteManager::PointOutWithNext(const std::string& text, const Point<int>& spot, int direction, int mode)
{
    m_ButtonMode = mode;
    ShowNoteBubble(text, spot.x, spot.y, direction, 0, kDefaultColour, mode == BUTTONS_NONE ? 0 : kButtonLines);
    if (mode == BUTTONS_NONE)
        return;
    AttachButtonSet("NoteBubbleButtonSet");
}

Actor* NoteManager::AttachButtonSet(const std::string& templateName)
{
    NoteBubble* bubble = GetNoteBubble();
    VELK_ASSERT(bubble != 0);
    std::unique_ptr<Object> made(ClassManager::GetInstance()->InstantiateObjectFromResource(templateName));
    auto* set = dynamic_cast<Actor*>(made.get());
    VELK_ASSERT_MSG(set != 0, (boost::format("The template \"%1%\" did not make an Actor.") % templateName).str());
    if (templateName == "NoteBubbleButtonSet1") {
        SetUpButton(*set, "centerButton", "Okay", "okayButton", 'o');
    } else if (templateName == "NoteBubbleButtonSet") {
        Button* back = SetUpButton(*set, "leftButton", "Back", "backButton", 'b');
        if (m_ButtonMode == BUTTONS_CLOSE_FOR_NEXT)
            SetUpButton(*set, "rightButton", "Close", "closeButton", 'c');
        else
            SetUpButton(*set, "rightButton", "Next", "nextButton", 'n');
        back->SetVisible(true);
        if (m_ButtonMode == BUTTONS_NO_BACK)
            back->SetVisible(false);
    }
    made.release();
    bubble->AddChild(set, kButtonSetName);
    return set;
}

Button* NoteManager::SetUpButton(Actor& set, const std::string& childName, const std::string& caption,
                                 const std::string& name, int key)
{
    auto* button = dynamic_cast<Button*>(set.FindChild(childName));
    VELK_ASSERT_MSG(button != 0, (boost::format("The button set has no button \"%1%\".") % childName).str());
    button->SetText(caption);
    button->SetName(name);
    button->SetShortcutKey(key);
    // As a receiver, not a listener: a listener inside the manager's own
    // subtree would be offered again everything the manager passes down.
    button->AddToGroup(this);
    return button;
}

// ---------------------------------------------------------------- events

void NoteManager::CloseWith(const std::string& buttonName)
{
    m_LastButtonPressed = buttonName;
    HideNoteBubble();
}

bool NoteManager::OnKeyDown(const EventRecord& event)
{
    if (!IsNoteBubbleVisible())
        return false;
    const int key = event.key.keysym.sym;
    const bool buttons = m_ButtonMode != BUTTONS_NONE;
    const char* pressed = nullptr;
    if ((key == SDLK_RIGHT || key == SDLK_SPACE) && buttons)
        pressed = "nextButton";
    else if ((key == SDLK_LEFT || key == SDLK_BACKSPACE) && buttons)
        pressed = "backButton";
    else if (key == SDLK_F1)
        pressed = "closeButton";
    if (!pressed)
        return false;
    Sound::Play("TinyClick.ogg");
    CloseWith(pressed);
    return true;
}

bool NoteManager::OnButtonClick(const EventRecord& event)
{
    const auto* button = static_cast<const Actor*>(event.user.data1);
    if (!button)
        return false;
    const std::string name = button->GetName();
    if (name == "okayButton" || name == "skipButton" || name == "nextButton" || name == "backButton") {
        CloseWith(name);
        return true;
    }
    if (name == "closeButton" || name == kCloseBoxName) {
        CloseWith("closeButton");
        return true;
    }
    return false;
}

bool NoteManager::OnTimer(const EventRecord& event)
{
    if (m_AutoCloseTimerID == 0 || TimerIDOfEvent(event) != m_AutoCloseTimerID)
        return Actor::OnTimer(event);
    DestroyNoteBubble();
    return true;
}
