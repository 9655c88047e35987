#include "engine/core/Events.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "platform/lua/LuaObject.h"

#include <algorithm>
#include <cassert>
#include <map>
#include <vector>

namespace {

struct EventNames
{
    std::vector<std::string> byNumber;  // index = number; empty = no name
    std::map<std::string, int> byName;

    void Add(int type, const std::string& name)
    {
        if (static_cast<int>(byNumber.size()) <= type)
            byNumber.resize(type + 1);
        byNumber[type] = name;
        byName[name] = type;
    }
};

EventNames& Names()
{
    static EventNames names = [] {
        EventNames n;
        const std::pair<int, const char*> builtIn[] = {
            {1, "SDL_ACTIVEEVENT"},
            {2, "SDL_KEYDOWN"},
            {3, "SDL_KEYUP"},
            {4, "SDL_MOUSEMOTION"},
            {5, "SDL_MOUSEBUTTONDOWN"},
            {6, "SDL_MOUSEBUTTONUP"},
            {7, "SDL_JOYAXISMOTION"},
            {8, "SDL_JOYBALLMOTION"},
            {12, "SDL_QUIT"},
            {13, "SDL_SYSWMEVENT"},
            {16, "SDL_VIDEORESIZE"},
            {17, "SDL_VIDEOEXPOSE"},
            {24, "SDL_USEREVENT"},
            {26, "VELK_ACTORSCRIPTFINISHED"},
            {27, "VELK_ANIMATIONFINISHED"},
            {28, "VELK_APPQUIT"},
            {29, "VELK_BUTTONAPPEARANCECHANGE"},
            {30, "VELK_BUTTONPRESS"},
            {31, "VELK_BUTTONCLICK"},
            {32, "VELK_CARDCLICK"},
            {33, "VELK_CHILDGROUPADDED"},
            {34, "VELK_CONFIGUPDATE"},
            {35, "VELK_DIALOGSTARTED"},
            {36, "VELK_DIALOGSTOPPED"},
            {37, "VELK_DIALOGDELETE"},
            {38, "VELK_DISPLAYCHANGE"},
            {39, "VELK_GAMERECORDSADDED"},
            {40, "VELK_HIGHSCORESUPDATED"},
            {41, "VELK_INTERNALEVENT"},
            {42, "VELK_LABELRENDER"},
            {43, "VELK_MEDALCLICK"},
            {44, "VELK_MOUSEENTER"},
            {45, "VELK_MOUSELEAVE"},
            {46, "VELK_PAUSEAPP"},
            {47, "VELK_PAUSEGAME"},
            {48, "VELK_PLAYERCHANGE"},
            {49, "VELK_SCREENTRANSITION"},
            {50, "VELK_SLIDECOMPLETE"},
            {51, "VELK_TIMER"},
            {52, "VELK_VALUECHANGE"},
            {53, "VELK_RESETWINDOW"},
            {54, "VELK_RELOAD"},
            {55, "VELK_SELECT"},
        };
        for (const auto& [type, name] : builtIn)
            n.Add(type, name);
        return n;
    }();
    return names;
}

Event* EventOf(const EventRecord& event)
{
    return static_cast<Event*>(event.user.data1);
}

} // namespace

// ---------------------------------------------------------------- Event

Event::Event(uint32_t type, Object* sender) : type(type), sender(sender) {}

Event::Event(uint32_t type, Object* sender, std::shared_ptr<LuaObject> payload)
    : type(type), sender(sender), payload(std::move(payload))
{
}

Event::~Event()
{
    if (m_RefCount != 0) {
        LogWrite("WARNING: Event::~Event: an event of type %u was deleted with m_RefCount == %u.\n", type,
                 m_RefCount);
        assert(m_RefCount == 0);
    }
}

bool Event::Release()
{
    if (m_RefCount == 0)
        return true;
    return --m_RefCount == 0;
}

// ---------------------------------------------------------------- EventRouter

bool EventRouter::RouteEvent(const EventRecord& event)
{
    switch (event.type) {
    case 1: return OnActiveEvent(event);
    case 2: return OnKeyDown(event);
    case 3: return OnKeyUp(event);
    case 4: return OnMouseMotion(event);
    case 5: return OnMouseButtonDown(event);
    case 6: return OnMouseButtonUp(event);
    case 7: return OnJoyAxisMotion(event);
    case 8: return OnJoyBallMotion(event);
    case 12: return OnQuit();
    case 13: return OnSysWMEvent(event);
    case 16: return OnVideoResize(event);
    case 17: return OnVideoExpose(event);
    case 24: return OnUserEvent(event);
    case VELK_ACTORSCRIPTFINISHED: return OnActorScriptFinished(EventOf(event));
    case VELK_ANIMATIONFINISHED: return OnAnimationFinished(EventOf(event));
    case VELK_APPQUIT: return OnAppQuit(event);
    case VELK_BUTTONAPPEARANCECHANGE: return OnButtonAppearanceChange(EventOf(event));
    case VELK_BUTTONPRESS: return OnButtonPress(event);
    case VELK_BUTTONCLICK: return OnButtonClick(event);
    case VELK_CARDCLICK: return OnCardClick(event);
    case VELK_CHILDGROUPADDED: return OnChildGroupAdded(EventOf(event));
    case VELK_CONFIGUPDATE: return OnConfigUpdate(event);
    case VELK_DIALOGSTARTED: return OnDialogStarted(event);
    case VELK_DIALOGSTOPPED: return OnDialogStopped(event);
    case VELK_DIALOGDELETE: return OnDialogDelete(event);
    case VELK_DISPLAYCHANGE: return OnDisplayChange(event);
    case VELK_GAMERECORDSADDED: return OnGameRecordsAdded(event);
    case VELK_HIGHSCORESUPDATED: return OnHighScoresUpdated(event);
    case VELK_INTERNALEVENT: return OnInternalEvent(event);
    case VELK_LABELRENDER: return OnLabelRender(event);
    case VELK_MEDALCLICK: return OnMedalClick(event);
    case VELK_MOUSEENTER: return OnMouseEnter(event);
    case VELK_MOUSELEAVE: return OnMouseLeave(event);
    case VELK_PAUSEAPP: return OnPauseApp(event);
    case VELK_PAUSEGAME: return OnPauseGame(event);
    case VELK_PLAYERCHANGE: return OnPlayerChange(event);
    case VELK_SCREENTRANSITION: return OnScreenTransition(EventOf(event));
    case VELK_SLIDECOMPLETE: return OnSlideComplete(EventOf(event));
    case VELK_TIMER: return OnTimer(event);
    case VELK_VALUECHANGE: return OnValueChange(event);
    case VELK_RESETWINDOW: return OnResetWindow(event);
    case VELK_RELOAD: return OnReload(event);
    case VELK_SELECT: return OnSelect(event);
    default: return false;
    }
}

// ---------------------------------------------------------------- EventReceiverGroup

bool EventReceiverGroup::OnEvent(const EventRecord& event)
{
    for (EventReceiver* receiver : m_Receivers)
        if (receiver->OnEvent(event))
            return true;
    return false;
}

void EventReceiverGroup::Add(EventReceiver* receiver)
{
    m_Receivers.push_back(receiver);
}

bool EventReceiverGroup::Remove(EventReceiver* receiver)
{
    auto it = std::find(m_Receivers.begin(), m_Receivers.end(), receiver);
    if (it == m_Receivers.end())
        return false;
    m_Receivers.erase(it);
    return true;
}

bool EventReceiverGroup::Contains(const EventReceiver* receiver) const
{
    return std::find(m_Receivers.begin(), m_Receivers.end(), receiver) != m_Receivers.end();
}

// ---------------------------------------------------------------- names

EventRecord MakeEventRecord(uint8_t type, int code, void* data1, void* data2)
{
    EventRecord record{};
    record.user.type = type;
    record.user.code = code;
    record.user.data1 = data1;
    record.user.data2 = data2;
    return record;
}

std::string NameOfEvent(int type)
{
    unsigned index = static_cast<uint8_t>(type);
    const EventNames& names = Names();
    if (index < names.byNumber.size() && !names.byNumber[index].empty())
        return names.byNumber[index];
    return "UNKNOWN";
}

int TypeOfEvent(const std::string& name)
{
    const EventNames& names = Names();
    auto it = names.byName.find(name);
    if (it == names.byName.end())
        VELK_ASSERT(false);
    return it->second;
}

void RegisterEventName(int type, const std::string& name)
{
    VELK_ASSERT_MSG(Names().byName.find(name) == Names().byName.end(),
                    (boost::format("The event name \"%1%\" is already registered.") % name).str());
    Names().Add(type, name);
}

int Script_NameOfEvent(lua_State* L)
{
    int type = static_cast<int>(lua_tonumber(L, -1));
    std::string name = NameOfEvent(type);
    lua_pushlstring(L, name.data(), name.size());
    return 1;
}

int Script_TypeOfEvent(lua_State* L)
{
    const char* name = lua_tostring(L, -1);
    lua_pushnumber(L, TypeOfEvent(name ? name : ""));
    return 1;
}

static ScriptFunctionRegistration s_NameOfEvent(Script_NameOfEvent, "NameOfEvent");
static ScriptFunctionRegistration s_TypeOfEvent(Script_TypeOfEvent, "TypeOfEvent");
