#pragma once

#include <SDL_events.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class LuaObject;
class Object;
struct lua_State;

// Every event travels as a record of SDL 1.2's event shape; engine and game
// events use the user-event layout (number, code, data1, data2).
using EventRecord = SDL_Event;

// The engine's event numbers; SDL's own keep SDL 1.2's numbers 1 to 24.
enum VelkEventType
{
    VELK_INTERNAL_WRAPPER = 25,  // the application's wrapper for a record addressed to one receiver
    VELK_ACTORSCRIPTFINISHED = 26,
    VELK_ANIMATIONFINISHED,
    VELK_APPQUIT,
    VELK_BUTTONAPPEARANCECHANGE,
    VELK_BUTTONPRESS,
    VELK_BUTTONCLICK,
    VELK_CARDCLICK,
    VELK_CHILDGROUPADDED,
    VELK_CONFIGUPDATE,
    VELK_DIALOGSTARTED,
    VELK_DIALOGSTOPPED,
    VELK_DIALOGDELETE,
    VELK_DISPLAYCHANGE,
    VELK_GAMERECORDSADDED,
    VELK_HIGHSCORESUPDATED,
    VELK_INTERNALEVENT,
    VELK_LABELRENDER,
    VELK_MEDALCLICK,
    VELK_MOUSEENTER,
    VELK_MOUSELEAVE,
    VELK_PAUSEAPP,
    VELK_PAUSEGAME,
    VELK_PLAYERCHANGE,
    VELK_SCREENTRANSITION,
    VELK_SLIDECOMPLETE,
    VELK_TIMER,
    VELK_VALUECHANGE,
    VELK_RESETWINDOW,
    VELK_RELOAD,
    VELK_SELECT,  // 55
    VELK_LAST_ENGINE_EVENT = VELK_SELECT,
};

// What the application frees in a record's data words after dispatch.
enum EventDataKind
{
    EVENTDATA_NONE = 0,
    EVENTDATA_EVENT = 2,         // data1 holds one reference of an Event
    EVENTDATA_LUAOBJECT_1 = 4,   // data1 is an owned heap LuaObject
    EVENTDATA_LUAOBJECT_2 = 8,   // data2 is an owned heap LuaObject
};

// A reference-counted engine event: who raised it and its script data, shared
// by every delivery of one notification.
class Event
{
public:
    Event(uint32_t type, Object* sender);
    Event(uint32_t type, Object* sender, std::shared_ptr<LuaObject> payload);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    // A count left above zero is a bug in the caller; it is logged, never thrown.
    virtual ~Event();

    // Drops one pending delivery; true at the last one (the caller then deletes it).
    bool Release();
    void AddRef() { ++m_RefCount; }

    uint32_t type;
    Object* sender;  // cleared when the sender is destroyed before delivery
    std::shared_ptr<LuaObject> payload;
    uint32_t m_RefCount = 0;
};

// The one entry through which an event is offered to an object.
class EventReceiver
{
public:
    virtual ~EventReceiver() = default;
    // True when the event was consumed.
    virtual bool OnEvent(const EventRecord& event) = 0;
};

// One virtual handler per event number; RouteEvent picks it by number. Every
// default handler reports the event as not handled.
class EventRouter
{
public:
    virtual ~EventRouter() = default;

    virtual bool RouteEvent(const EventRecord& event);

    virtual bool OnActiveEvent(const EventRecord&) { return false; }
    virtual bool OnKeyDown(const EventRecord&) { return false; }
    virtual bool OnKeyUp(const EventRecord&) { return false; }
    virtual bool OnMouseMotion(const EventRecord&) { return false; }
    virtual bool OnMouseButtonDown(const EventRecord&) { return false; }
    virtual bool OnMouseButtonUp(const EventRecord&) { return false; }
    virtual bool OnJoyAxisMotion(const EventRecord&) { return false; }
    virtual bool OnJoyBallMotion(const EventRecord&) { return false; }
    virtual bool OnQuit() { return false; }
    virtual bool OnSysWMEvent(const EventRecord&) { return false; }
    virtual bool OnVideoResize(const EventRecord&) { return false; }
    virtual bool OnVideoExpose(const EventRecord&) { return false; }
    virtual bool OnUserEvent(const EventRecord&) { return false; }
    virtual bool OnActorScriptFinished(Event*) { return false; }
    virtual bool OnAnimationFinished(Event*) { return false; }
    virtual bool OnAppQuit(const EventRecord&) { return false; }
    virtual bool OnButtonAppearanceChange(Event*) { return false; }
    virtual bool OnButtonPress(const EventRecord&) { return false; }
    virtual bool OnButtonClick(const EventRecord&) { return false; }
    virtual bool OnCardClick(const EventRecord&) { return false; }
    virtual bool OnChildGroupAdded(Event*) { return false; }
    virtual bool OnConfigUpdate(const EventRecord&) { return false; }
    virtual bool OnDialogStarted(const EventRecord&) { return false; }
    virtual bool OnDialogStopped(const EventRecord&) { return false; }
    virtual bool OnDialogDelete(const EventRecord&) { return false; }
    virtual bool OnDisplayChange(const EventRecord&) { return false; }
    virtual bool OnGameRecordsAdded(const EventRecord&) { return false; }
    virtual bool OnHighScoresUpdated(const EventRecord&) { return false; }
    virtual bool OnInternalEvent(const EventRecord&) { return false; }
    virtual bool OnLabelRender(const EventRecord&) { return false; }
    virtual bool OnMedalClick(const EventRecord&) { return false; }
    virtual bool OnMouseEnter(const EventRecord&) { return false; }
    virtual bool OnMouseLeave(const EventRecord&) { return false; }
    virtual bool OnPauseApp(const EventRecord&) { return false; }
    virtual bool OnPauseGame(const EventRecord&) { return false; }
    virtual bool OnPlayerChange(const EventRecord&) { return false; }
    virtual bool OnScreenTransition(Event*) { return false; }
    virtual bool OnSlideComplete(Event*) { return false; }
    virtual bool OnTimer(const EventRecord&) { return false; }
    virtual bool OnValueChange(const EventRecord&) { return false; }
    virtual bool OnResetWindow(const EventRecord&) { return false; }
    virtual bool OnReload(const EventRecord&) { return false; }
    virtual bool OnSelect(const EventRecord&) { return false; }
};

// Offers an event to each member in order, stopping at the first that consumes it.
class EventReceiverGroup : public EventReceiver
{
public:
    bool OnEvent(const EventRecord& event) override;

    void Add(EventReceiver* receiver);
    // True when the receiver was a member.
    bool Remove(EventReceiver* receiver);
    bool Contains(const EventReceiver* receiver) const;
    std::size_t Size() const { return m_Receivers.size(); }
    bool Empty() const { return m_Receivers.empty(); }
    const std::vector<EventReceiver*>& GetReceivers() const { return m_Receivers; }

private:
    std::vector<EventReceiver*> m_Receivers;
};

// A user-event record: number, code and the two data words.
EventRecord MakeEventRecord(uint8_t type, int code = 0, void* data1 = nullptr, void* data2 = nullptr);

// "UNKNOWN" for a number without a name; the number is taken as 8 bits.
std::string NameOfEvent(int type);
// The number of an event name (exact match); any other name fails the assertion "false".
int TypeOfEvent(const std::string& name);
// Adds a name to the table (the game's events 57 and up); the name must be new.
void RegisterEventName(int type, const std::string& name);

int Script_NameOfEvent(lua_State* L);
int Script_TypeOfEvent(lua_State* L);
