#pragma once

#include "engine/core/Events.h"
#include "engine/core/FileReader.h"
#include "platform/lua/LuaObject.h"

#include <memory>
#include <string>

class Object;

// Resource type codes of the catalogue.
enum ResourceType
{
    RESOURCE_UNKNOWN = 0,
    RESOURCE_IMAGE = 1,
    RESOURCE_SOUND = 2,
    RESOURCE_TABLE = 3,
    RESOURCE_MUSIC = 4,
};

// What the core needs of the application it runs in. The application implements
// it and installs itself with SetCoreHost; core tests install a small fake.
class CoreHost
{
public:
    // A catalogue entry: its own name, the reader of its bytes, its type and,
    // for a table resource, its table.
    struct ResourceEntry
    {
        std::string name;
        FileReader* reader = nullptr;
        int type = RESOURCE_UNKNOWN;
        LuaObject table;
    };

    virtual ~CoreHost() = default;

    // The log level, 0 (off) to 4.
    virtual int GetLogLevel() const = 0;

    // The catalogue entry filed under the name. When there is none it returns
    // false if returnNullIfMissing is set, else throws ResourceNotFoundException.
    virtual bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry) = 0;
    // The entry, loaded on first use, with its acquire count raised; throws
    // ResourceNotFoundException for an unknown name.
    virtual ResourceEntry AcquireResource(const std::string& name) = 0;

    // Queues a copy of the record for the receiver (null: the application).
    virtual void PostEvent(EventReceiver* receiver, const EventRecord& record) = 0;
    // Hands the record at once to the receiver (null: the application); its answer.
    virtual bool SendEvent(EventReceiver* receiver, const EventRecord& record) = 0;
    // Queues the object for the deletion phase of the main loop.
    virtual void FlagForDeletion(Object* object) = 0;
    // The object is being deleted: nothing queued may reach it any more.
    virtual void ForgetObject(Object* object) = 0;
};

// The installed host, or null before the application exists.
CoreHost* GetCoreHost();
void SetCoreHost(CoreHost* host);
// The installed host; fails the assertion "host != 0" when there is none.
CoreHost& RequireCoreHost();

// Posts a new reference-counted Event (count 1) for the receiver; its payload is
// released after the last delivery.
void PostNewEvent(int type, EventReceiver* receiver, Object* sender, std::shared_ptr<LuaObject> payload);
// Delivers a new Event at once and deletes it; whether the receiver consumed it.
bool SendNewEvent(int type, EventReceiver* receiver, Object* sender, std::shared_ptr<LuaObject> payload);
// Sends a user-event record (number, code, data words) at once.
bool SendEvent(EventReceiver* receiver, int type, int code, void* data1, void* data2);
