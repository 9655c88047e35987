#include "engine/core/EventQueue.h"

#include "platform/lua/LuaObject.h"

EventQueue::EventQueue()
{
    InitEngineEventDataTypes();
}

EventQueue::~EventQueue()
{
    Clear();
}

void EventQueue::Post(EventReceiver* receiver, const EventRecord& record)
{
    m_Records.push_back({receiver, record, false});
}

bool EventQueue::Pop(EventReceiver*& receiver, EventRecord& record, bool& dropped)
{
    if (m_Records.empty())
        return false;
    Entry entry = m_Records.front();
    m_Records.pop_front();
    receiver = entry.receiver;
    record = entry.record;
    dropped = entry.dropped;
    return true;
}

void EventQueue::ForgetReceiver(EventReceiver* receiver)
{
    for (Entry& entry : m_Records)
        if (entry.receiver == receiver && receiver) {
            entry.receiver = nullptr;
            entry.dropped = true;
        }
}

void EventQueue::ForgetSender(const void* sender)
{
    for (Entry& entry : m_Records)
        if (GetEventDataType(entry.record.type) == EVENTDATA_EVENT && entry.record.user.data1) {
            Event* event = static_cast<Event*>(entry.record.user.data1);
            if (static_cast<const void*>(event->sender) == sender)
                event->sender = nullptr;
        }
}

void EventQueue::SetEventDataType(int type, int kind)
{
    if (type < 0)
        return;
    if (static_cast<int>(m_DataKinds.size()) <= type)
        m_DataKinds.resize(type + 1, EVENTDATA_NONE);
    m_DataKinds[type] = kind;
}

int EventQueue::GetEventDataType(int type) const
{
    return (type >= 0 && type < static_cast<int>(m_DataKinds.size())) ? m_DataKinds[type] : EVENTDATA_NONE;
}

void EventQueue::InitEngineEventDataTypes()
{
    for (int type = 24; type <= VELK_LAST_ENGINE_EVENT; ++type)
        SetEventDataType(type, EVENTDATA_NONE);
    for (int type : {26, 27, 29, 33, 49, 50})
        SetEventDataType(type, EVENTDATA_EVENT);
    SetEventDataType(VELK_CONFIGUPDATE, EVENTDATA_LUAOBJECT_1);
    SetEventDataType(VELK_INTERNALEVENT, EVENTDATA_LUAOBJECT_2);
}

void EventQueue::ReleaseEventData(EventRecord& record) const
{
    if (record.type < 24 || record.type >= m_DataKinds.size())
        return;
    int kind = m_DataKinds[record.type];
    if (kind == EVENTDATA_EVENT) {
        Event* event = static_cast<Event*>(record.user.data1);
        if (event && event->Release()) {
            delete event;
            record.user.data1 = nullptr;
        }
        return;
    }
    if (kind & EVENTDATA_LUAOBJECT_1) {
        delete static_cast<LuaObject*>(record.user.data1);
        record.user.data1 = nullptr;
    }
    if (kind & EVENTDATA_LUAOBJECT_2) {
        delete static_cast<LuaObject*>(record.user.data2);
        record.user.data2 = nullptr;
    }
}

void EventQueue::Clear()
{
    EventReceiver* receiver = nullptr;
    EventRecord record;
    bool dropped = false;
    while (Pop(receiver, record, dropped))
        ReleaseEventData(record);
}
