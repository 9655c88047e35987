#pragma once

#include "engine/core/Events.h"

#include <deque>
#include <vector>

// The application's first-in-first-out queue of event records, each with the
// receiver it is addressed to (null = the application itself), and the table of
// data kinds that says what a record's data words own after dispatch.
class EventQueue
{
public:
    EventQueue();
    ~EventQueue();

    void Post(EventReceiver* receiver, const EventRecord& record);
    bool Empty() const { return m_Records.empty(); }
    std::size_t Size() const { return m_Records.size(); }
    // Takes the oldest record; false when the queue is empty. A record whose
    // receiver was forgotten comes out with `dropped` set: it must not be
    // delivered, only released.
    bool Pop(EventReceiver*& receiver, EventRecord& record, bool& dropped);

    // Records addressed to the receiver are kept only to be released; Events
    // raised by it lose their sender.
    void ForgetReceiver(EventReceiver* receiver);
    void ForgetSender(const void* sender);

    // Stores a kind at a number, growing the table with kind 0 as needed.
    void SetEventDataType(int type, int kind);
    int GetEventDataType(int type) const;
    // The engine's own kinds: 26, 27, 29, 33, 49, 50 hold an Event; 34 a Lua
    // object in data1; 41 a Lua object in data2; every other number up to 55 nothing.
    void InitEngineEventDataTypes();
    // Frees what the record's data words own, by its number's kind.
    void ReleaseEventData(EventRecord& record) const;

    // Releases every queued record without delivering it.
    void Clear();

private:
    struct Entry
    {
        EventReceiver* receiver;
        EventRecord record;
        bool dropped;
    };
    std::deque<Entry> m_Records;
    std::vector<int> m_DataKinds;
};
