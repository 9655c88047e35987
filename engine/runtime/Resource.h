#pragma once

#include "engine/core/CoreHost.h"
#include "engine/core/FileReader.h"
#include "platform/lua/LuaObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Anything the catalogue can hold: pictures, sounds, music, script tables.
class Resource
{
public:
    virtual ~Resource() = default;
    // The bytes the resource holds. Shared data counts only when forced.
    virtual std::size_t CalcMemoryUsage(bool force) = 0;
};

// One catalogue entry. It owns its resource (null until loaded) and its reader,
// and destroys both with itself.
class ResourceInfo
{
public:
    ResourceInfo() = default;
    ResourceInfo(const ResourceInfo&) = delete;
    ResourceInfo& operator=(const ResourceInfo&) = delete;
    ~ResourceInfo();

    Resource* GetResource() const { return m_Resource.get(); }
    // Takes the resource; an earlier one is destroyed.
    void SetResource(Resource* resource) { m_Resource.reset(resource); }

    ResourceType GetType() const { return m_Type; }
    void SetType(ResourceType type) { m_Type = type; }

    FileReader* GetReader() const { return m_Reader.get(); }
    // Takes the reader; an earlier one is destroyed.
    void SetReader(FileReader* reader) { m_Reader.reset(reader); }

    const std::string& GetLocation() const { return m_Location; }
    void SetLocation(const std::string& location) { m_Location = location; }

    // Images keep a pointer to this value, so it is handed out by reference.
    LuaObject& GetMetadata() { return m_Metadata; }
    const LuaObject& GetMetadata() const { return m_Metadata; }
    void SetMetadata(const LuaObject& metadata) { m_Metadata = metadata; }

    int GetAcquireCount() const { return m_AcquireCount; }
    void IncrementAcquireCount() { ++m_AcquireCount; }

private:
    std::unique_ptr<Resource> m_Resource;
    ResourceType m_Type = RESOURCE_UNKNOWN;
    std::unique_ptr<FileReader> m_Reader;
    std::string m_Location;
    LuaObject m_Metadata;
    int m_AcquireCount = 0;
};

// Turns the bytes of an entry into a resource.
class ResourceLoader
{
public:
    virtual ~ResourceLoader() = default;
    // Whether this loader handles the entry, judged by its location's extension.
    virtual bool CanLoad(const ResourceInfo& info) const = 0;
    // Reads the bytes through the reader and stores the resource and its type in the entry.
    virtual void LoadResource(FileReader* reader, ResourceInfo& info) = 0;
    virtual std::string GetDescription() const = 0;
};

// What images need of the resource manager. The manager installs itself here;
// images reach the catalogue only through this.
class ResourceCatalog
{
public:
    virtual ~ResourceCatalog() = default;
    // The named resource, loaded on first use, with its acquire count raised;
    // null when no loader handles it. Throws ResourceNotFoundException for an
    // unknown name. When outInfo is given it receives the entry.
    virtual Resource* AcquireResource(const char* name, ResourceInfo** outInfo) = 0;
    // The named resource if it is loaded already, else null; loads nothing and
    // raises no count. Throws ResourceNotFoundException for an unknown name.
    virtual Resource* FindLoadedResource(const char* name) = 0;
    // Files the entry under the name, replacing (with a warning) an earlier one.
    virtual void AddInfo(const std::string& name, std::unique_ptr<ResourceInfo> info) = 0;
};

ResourceCatalog* GetResourceCatalog();
void SetResourceCatalog(ResourceCatalog* catalog);
// The installed catalogue; fails the assertion "catalog != 0" when there is none.
ResourceCatalog& RequireResourceCatalog();

// Process-wide byte counters of resource memory, by category.
enum MemUsageCategory
{
    MEMUSAGE_IMAGES_IN_VIDMEM = 0,
    MEMUSAGE_IMAGES_IN_SYSMEM = 1,
    MEMUSAGE_SOUNDS = 2,
};
inline constexpr int kNumMemUsageCategories = 3;

// Adds (or, with a negative count, subtracts) bytes; any other category is an assertion failure.
void AddMemUsage(MemUsageCategory category, std::int32_t bytes);
std::int32_t GetMemUsage(MemUsageCategory category);
void ResetMemUsage();
