#pragma once

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"

#include <map>
#include <memory>
#include <string>

// An in-memory stand-in for the application: a log level and a catalogue of
// named texts. Installs itself as the core host for its lifetime.
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
    ~FakeCoreHost() override { SetCoreHost(nullptr); }

    void AddResource(const std::string& name, const std::string& text)
    {
        resources[name] = std::make_unique<MemoryReader>(text);
    }

    int GetLogLevel() const override { return logLevel; }

    bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, ResourceEntry& entry) override
    {
        auto it = resources.find(name);
        if (it == resources.end()) {
            if (returnNullIfMissing)
                return false;
            VELK_THROW(ResourceNotFoundException,
                       (boost::format("Could not find resource info with name = %1%") % name).str());
        }
        entry.name = name;
        entry.reader = it->second.get();
        return true;
    }

    int logLevel;
    std::map<std::string, std::unique_ptr<MemoryReader>> resources;
};
