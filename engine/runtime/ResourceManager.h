#pragma once

#include "engine/core/CoreHost.h"
#include "engine/runtime/Resource.h"
#include "platform/lua/LuaObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// "RESOURCE_IMAGE" and so on; any other code is an assertion failure.
const char* ResTypeToString(int type);
// "MEMUSAGE_SOUNDS" and so on; "UNKNOWN" for any other value.
const char* MemUsageCategoryToString(int category);
// Counts bytes as system-memory images for "Image" and as sounds for "Sound";
// any other kind is ignored.
void AddMemoryUsage(std::int32_t bytes, const std::string& kindName);

// Entries found by one scan, by bare file name.
using ResourceInfoMap = std::unordered_map<std::string, std::unique_ptr<ResourceInfo>>;

// A script table kept in the catalogue, made by assigning to "Resources".
class TableResource : public Resource
{
public:
    // Keeps a new reference to the table (the same table, not a copy).
    explicit TableResource(const LuaObject* table);

    std::size_t CalcMemoryUsage(bool) override { return 0; }
    LuaObject* GetTable() { return &m_Table; }

    // The table filed under the name; throws ResourceNotFoundException when
    // there is no entry. An entry that is not a table gives null when quiet,
    // else an assertion failure naming it.
    static LuaObject* GetTableFromResource(const std::string& name, bool quiet);

private:
    LuaObject m_Table;
};

// A source of catalogue entries: a folder, the program itself, a package.
class ResourceScanner
{
public:
    virtual ~ResourceScanner() = default;
    // Adds this source's entries to the map; they pass to the caller.
    virtual void Scan(ResourceInfoMap& output) = 0;
    virtual std::string GetDescription() const = 0;

    // Runs a "metadata.cfg" as data and gives each entry of outputList that it
    // names its table of settings. A file that cannot be read, compiled or run
    // is a warning and leaves every entry as it was; a key that is not a file
    // name of outputList, or a value that is not a table, is an error.
    static void ProcessMetadataFile(ResourceInfo& metadataInfo, ResourceInfoMap& outputList);
};

// The one catalogue of everything loadable by name. Scripts see it as the
// global table "Resources"; entries are loaded on first acquisition and stay
// loaded until the manager goes.
class ResourceManager : public ResourceCatalog
{
public:
    // Works on the process's Lua state (VelkLuaState), which must exist.
    // Installs itself as the resource catalogue.
    ResourceManager();
    ~ResourceManager() override;
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // The manager alive now, or null.
    static ResourceManager* GetInstance();

    void AddInfo(const std::string& name, std::unique_ptr<ResourceInfo> info) override;
    void AddResourceScanner(std::unique_ptr<ResourceScanner> scanner);
    void AddResourceLoader(std::unique_ptr<ResourceLoader> loader);
    // Runs every scanner in the order added; a later scanner's entry replaces
    // an earlier one of the same name.
    void ScanAll();

    // The entry under the name; when there is none, null if returnNullIfMissing
    // is set, else ResourceNotFoundException.
    ResourceInfo* FindInfo(const std::string& name, bool returnNullIfMissing = false);
    // The first loader that accepts the entry, or null.
    ResourceLoader* FindLoader(const ResourceInfo& info) const;
    // Loads the entry with its loader; without one the entry stays as it is.
    Resource* LoadResource(ResourceInfo& resInfo);
    // The named resource, loaded on first use (null when no loader handles
    // it), with the entry's acquire count raised.
    Resource* AcquireResource(const char* name, ResourceInfo** outInfo) override;
    Resource* AcquireResource(const std::string& name, ResourceInfo** outInfo = nullptr);
    Resource* FindLoadedResource(const char* name) override;
    // Whether an entry stands under the name; loads nothing, throws nothing.
    bool ResourceExists(const std::string& name) const;

    // What the core sees of an entry; for the application's CoreHost.
    bool FindResourceEntry(const std::string& name, bool returnNullIfMissing, CoreHost::ResourceEntry& entry);
    CoreHost::ResourceEntry AcquireResourceEntry(const std::string& name);

    // Advance loading: the number of entries it will load, then one entry per
    // call until AdvanceLoadNext returns false.
    int BeginAdvanceLoad();
    bool AdvanceLoadNext();

    // The four counter lines of "ShowMemUsage".
    static void ShowMemUsage();
    // Writes "ResourceUsage-<type>.txt" per type into the current folder.
    void LogResourceUsage();

    // The script table "Resources._contents".
    const LuaObject& GetContents() const { return m_Contents; }
    std::size_t GetEntryCount() const { return m_Entries.size(); }

private:
    friend class ResourcesTableAccess;

    bool IsAdvanceLoadable(const ResourceInfo& info) const;
    void FillEntry(const std::string& name, ResourceInfo& info, CoreHost::ResourceEntry& entry) const;
    void RemoveEntry(const std::string& name);

    LuaState m_State;
    LuaObject m_Resources;
    LuaObject m_Contents;
    // The entries themselves; "_contents" mirrors them for scripts.
    std::unordered_map<std::string, std::unique_ptr<ResourceInfo>> m_Entries;
    std::vector<std::unique_ptr<ResourceScanner>> m_Scanners;
    std::vector<std::unique_ptr<ResourceLoader>> m_Loaders;
    // The names advance loading still has to visit; null when it is idle.
    std::unique_ptr<std::vector<std::string>> m_AdvanceLoadNames;
    std::size_t m_AdvanceLoadPosition = 0;
};
