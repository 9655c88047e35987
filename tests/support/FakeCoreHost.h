#pragma once

#include "engine/core/CoreHost.h"
#include "engine/core/EmbeddedFiles.h"
#include "engine/core/EventQueue.h"
#include "engine/core/Exception.h"
#include "engine/core/Object.h"
#include "engine/core/VelkLuaState.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>

// An in-memory stand-in for the application: a log level, a catalogue of named
// texts (the embedded files included), table resources from the Lua global
// "Resources", the event queue and the deletion phase, pumped by hand.
class FakeCoreHost : public CoreHost
{
public:
    class MemoryReader : public FileReader
    {
    public:
        explicit MemoryReader(std::string bytes) : m_Bytes(std::move(bytes)) {}
        void Read(const std::string&, const char*& data, std::size_t& size) override
        {
            ++reads;
            data = m_Bytes.data();
            size = m_Bytes.size();
        }
        void Close() override { ++closes; }
        int reads = 0;
        int closes = 0;

    private:
        std::string m_Bytes;
    };

    explicit FakeCoreHost(int logLevel = 4) : logLevel(logLevel) { SetCoreHost(this); }
    ~FakeCoreHost() override
    {
        queue.Clear();
        SetCoreHost(nullptr);
    }

    void AddResource(const std::string& name, const std::string& text)
    {
        resources[name] = std::make_unique<MemoryReader>(text);
    }

    int GetLogLevel() const override { return logLevel; }

    bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry) override
    {
        auto it = resources.find(name);
        if (it == resources.end()) {
            if (const EmbeddedFile* file = FindEmbeddedFile(name)) {
                AddResource(name, std::string(reinterpret_cast<const char*>(file->data), file->size));
                it = resources.find(name);
            }
        }
        if (it == resources.end()) {
            if (returnNullIfMissing)
                return false;
            VELK_THROW(ResourceNotFoundException,
                       (boost::format("Could not find resource info with name = %1%") % name).str());
        }
        entry.name = name;
        entry.reader = it->second.get();
        entry.type = RESOURCE_UNKNOWN;
        return true;
    }

    ResourceEntry AcquireResource(const std::string& name) override
    {
        ResourceEntry entry;
        LuaObject table = VelkLuaState::Get().GetGlobal("Resources")[name];
        if (!table.IsTable()) {
            FindResourceEntry(name, false, entry);
            return entry;
        }
        entry.name = name;
        entry.type = RESOURCE_TABLE;
        entry.table = table;
        ++acquired[name];
        return entry;
    }

    void PostEvent(EventReceiver* receiver, const EventRecord& record) override { queue.Post(receiver, record); }

    bool SendEvent(EventReceiver* receiver, const EventRecord& record) override
    {
        return receiver ? receiver->OnEvent(record) : false;
    }

    void FlagForDeletion(Object* object) override { flagged.push_back(object); }

    void ForgetObject(Object* object) override
    {
        queue.ForgetReceiver(object);
        queue.ForgetSender(object);
        flagged.erase(std::remove(flagged.begin(), flagged.end(), object), flagged.end());
    }

    // One pass: every queued record (including those posted meanwhile), then deletions.
    int DispatchEvents()
    {
        int delivered = 0;
        EventReceiver* receiver = nullptr;
        EventRecord record;
        bool dropped = false;
        while (queue.Pop(receiver, record, dropped)) {
            if (!dropped && receiver) {
                receiver->OnEvent(record);
                ++delivered;
            }
            queue.ReleaseEventData(record);
        }
        return delivered;
    }

    void DeleteFlaggedObjects()
    {
        while (!flagged.empty()) {
            Object* object = flagged.front();
            flagged.pop_front();
            delete object;
        }
    }

    void RunPass()
    {
        DispatchEvents();
        DeleteFlaggedObjects();
    }

    int logLevel;
    std::map<std::string, std::unique_ptr<MemoryReader>> resources;
    std::map<std::string, int> acquired;
    EventQueue queue;
    std::deque<Object*> flagged;
};
