#include "engine/runtime/ResourceManager.h"

#include "engine/core/DataFile.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

ResourceManager* g_Instance = nullptr;

const char* const kMetadataFunctionSource =
    "function Metadata(metadata_table)\n"
    "   assert(type(Pending_Metadata) == 'table')\n"
    "   for k, v in metadata_table do\n"
    "       Pending_Metadata[k] = v\n"
    "   end\n"
    "end\n";

// Writes t[name] = value without metamethods; value is a light userdata, or nil when null.
void RawSetEntry(const LuaObject& table, const std::string& name, void* value)
{
    LuaState state = table.GetState();
    if (!state)
        return;
    lua_State* L = state.GetCState();
    table.Push();
    lua_pushlstring(L, name.data(), name.size());
    if (value)
        lua_pushlightuserdata(L, value);
    else
        lua_pushnil(L);
    lua_rawset(L, -3);
    lua_pop(L, 1);
}

bool SameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

int Script_ShowMemUsage(lua_State*)
{
    ResourceManager::ShowMemUsage();
    return 0;
}

int Script_LogResourceUsage(lua_State*)
{
    ResourceManager* manager = ResourceManager::GetInstance();
    VELK_ASSERT(manager != 0);
    manager->LogResourceUsage();
    return 0;
}

ScriptFunctionRegistration s_ShowMemUsage(Script_ShowMemUsage, "ShowMemUsage");
ScriptFunctionRegistration s_LogResourceUsage(Script_LogResourceUsage, "LogResourceUsage");

} // namespace

// ---------------------------------------------------------------------------
// Names and counters

const char* ResTypeToString(int type)
{
    switch (type) {
    case RESOURCE_UNKNOWN:
        return "RESOURCE_UNKNOWN";
    case RESOURCE_IMAGE:
        return "RESOURCE_IMAGE";
    case RESOURCE_SOUND:
        return "RESOURCE_SOUND";
    case RESOURCE_TABLE:
        return "RESOURCE_TABLE";
    case RESOURCE_MUSIC:
        return "RESOURCE_MUSIC";
    }
    VELK_ASSERT(false);
    return "";
}

const char* MemUsageCategoryToString(int category)
{
    switch (category) {
    case MEMUSAGE_IMAGES_IN_VIDMEM:
        return "MEMUSAGE_IMAGES_IN_VIDMEM";
    case MEMUSAGE_IMAGES_IN_SYSMEM:
        return "MEMUSAGE_IMAGES_IN_SYSMEM";
    case MEMUSAGE_SOUNDS:
        return "MEMUSAGE_SOUNDS";
    }
    return "UNKNOWN";
}

void AddMemoryUsage(std::int32_t bytes, const std::string& kindName)
{
    if (kindName == "Image")
        AddMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM, bytes);
    else if (kindName == "Sound")
        AddMemUsage(MEMUSAGE_SOUNDS, bytes);
}

// ---------------------------------------------------------------------------
// TableResource

TableResource::TableResource(const LuaObject* table)
{
    VELK_ASSERT(table != 0);
    VELK_ASSERT(table->IsTable());
    m_Table = *table;
}

LuaObject* TableResource::GetTableFromResource(const std::string& name, bool quiet)
{
    ResourceManager* manager = ResourceManager::GetInstance();
    VELK_ASSERT(manager != 0);
    ResourceInfo* resInfo = manager->FindInfo(name);
    if (resInfo->GetType() != RESOURCE_TABLE && quiet)
        return nullptr;
    VELK_ASSERT_MSG(resInfo->GetType() == RESOURCE_TABLE,
                    (boost::format("The resource, \"%1%\", is not a table.") % name).str());
    auto* tableResource = dynamic_cast<TableResource*>(resInfo->GetResource());
    VELK_ASSERT(tableResource != 0);
    return tableResource->GetTable();
}

// ---------------------------------------------------------------------------
// The script view: "Resources"

class ResourcesTableAccess
{
public:
    // Resources[name]: nil, the table of a table entry, or a light userdata
    // of the entry's resource (null while not loaded). Never loads anything.
    static int Index(lua_State* L)
    {
        ResourceManager* manager = ResourceManager::GetInstance();
        if (!manager || lua_type(L, 2) != LUA_TSTRING) {
            lua_pushnil(L);
            return 1;
        }
        std::size_t length = 0;
        const char* key = lua_tolstring(L, 2, &length);
        auto it = manager->m_Entries.find(std::string(key, length));
        if (it == manager->m_Entries.end()) {
            lua_pushnil(L);
            return 1;
        }
        ResourceInfo& info = *it->second;
        if (info.GetType() == RESOURCE_TABLE) {
            auto* table = dynamic_cast<TableResource*>(info.GetResource());
            if (table)
                table->GetTable()->Push(LuaState(L));
            else
                lua_pushnil(L);
            return 1;
        }
        lua_pushlightuserdata(L, info.GetResource());
        return 1;
    }

    // Resources[name] = table: a table entry holding that very table.
    static int NewIndex(lua_State* L)
    {
        ResourceManager* manager = ResourceManager::GetInstance();
        VELK_ASSERT(manager != 0);
        if (lua_type(L, 2) != LUA_TSTRING)
            VELK_THROW(Exception, (boost::format("A resource name must be a string, not a %1%.") %
                                   luaL_typename(L, 2)).str());
        std::size_t length = 0;
        const char* key = lua_tolstring(L, 2, &length);
        std::string name(key, length);
        LuaObject value(LuaState(L), 3);
        auto info = std::make_unique<ResourceInfo>();
        info->SetResource(new TableResource(&value));
        info->SetType(RESOURCE_TABLE);
        manager->AddInfo(name, std::move(info));
        return 0;
    }
};

// ---------------------------------------------------------------------------
// ResourceManager

ResourceManager::ResourceManager() : m_State(VelkLuaState::Get())
{
    VELK_ASSERT(m_State);
    VelkLuaState::LoadStringA(m_State, kMetadataFunctionSource, 0, 0);

    LuaObject globals = m_State.GetGlobals();
    m_Resources = globals.CreateTable("Resources");
    m_Contents = m_Resources.CreateTable("_contents");
    LuaObject metatable;
    metatable.AssignNewTable(m_State);
    metatable.Register("__index", &ResourcesTableAccess::Index);
    metatable.Register("__newindex", &ResourcesTableAccess::NewIndex);
    m_Resources.SetMetaTable(metatable);

    ResetMemUsage();
    g_Instance = this;
    SetResourceCatalog(this);
}

ResourceManager::~ResourceManager()
{
    if (g_Instance == this)
        g_Instance = nullptr;
    if (GetResourceCatalog() == this)
        SetResourceCatalog(nullptr);
    try {
        // Scripts that outlive the manager see a plain, empty table.
        m_Resources.SetMetaTable(LuaObject());
        for (const auto& [name, info] : m_Entries)
            RawSetEntry(m_Contents, name, nullptr);
    } catch (...) {
        // The state is going; nothing there can reach the entries any more.
    }
    m_Entries.clear();
    m_Loaders.clear();
    m_Scanners.clear();
    m_AdvanceLoadNames.reset();
    m_Contents = LuaObject();
    m_Resources = LuaObject();
}

ResourceManager* ResourceManager::GetInstance()
{
    return g_Instance;
}

void ResourceManager::RemoveEntry(const std::string& name)
{
    auto it = m_Entries.find(name);
    if (it == m_Entries.end())
        return;
    RawSetEntry(m_Contents, name, nullptr);
    // Out of the catalogue before it is destroyed: its destruction may look names up.
    std::unique_ptr<ResourceInfo> old = std::move(it->second);
    m_Entries.erase(it);
}

void ResourceManager::AddInfo(const std::string& name, std::unique_ptr<ResourceInfo> info)
{
    VELK_ASSERT(info != 0);
    if (m_Entries.count(name) != 0) {
        LogWrite("WARNING: Resource being replaced: name = %s\n", name.c_str());
        RemoveEntry(name);
    }
    ResourceInfo* filed = info.get();
    m_Entries[name] = std::move(info);
    RawSetEntry(m_Contents, name, filed);
}

void ResourceManager::AddResourceScanner(std::unique_ptr<ResourceScanner> scanner)
{
    VELK_ASSERT(scanner != 0);
    LogWrite("Adding resource scanner: %s\n", scanner->GetDescription().c_str());
    m_Scanners.push_back(std::move(scanner));
}

void ResourceManager::AddResourceLoader(std::unique_ptr<ResourceLoader> loader)
{
    VELK_ASSERT(loader != 0);
    LogWrite("Adding resource loader: %s\n", loader->GetDescription().c_str());
    m_Loaders.push_back(std::move(loader));
}

void ResourceManager::ScanAll()
{
    for (const std::unique_ptr<ResourceScanner>& scanner : m_Scanners) {
        ResourceInfoMap found;
        scanner->Scan(found);
        for (auto& [name, info] : found)
            AddInfo(name, std::move(info));
    }
}

ResourceInfo* ResourceManager::FindInfo(const std::string& name, bool returnNullIfMissing)
{
    auto it = m_Entries.find(name);
    if (it != m_Entries.end())
        return it->second.get();

    // Names are compared exactly; a near miss by case is the usual slip in a script.
    for (const auto& entry : m_Entries) {
        if (SameIgnoringCase(entry.first, name)) {
            LogWrite("WARNING: There is no resource named \"%s\", but there is \"%s\" (names are case-sensitive).\n",
                     name.c_str(), entry.first.c_str());
            break;
        }
    }
    if (returnNullIfMissing)
        return nullptr;
    VELK_THROW(ResourceNotFoundException, (boost::format("Could not find resource info with name = %1%") % name).str());
}

ResourceLoader* ResourceManager::FindLoader(const ResourceInfo& info) const
{
    for (const std::unique_ptr<ResourceLoader>& loader : m_Loaders)
        if (loader->CanLoad(info))
            return loader.get();
    return nullptr;
}

Resource* ResourceManager::LoadResource(ResourceInfo& info)
{
    ResourceInfo* resInfo = &info;
    ResourceLoader* loader = FindLoader(info);
    if (!loader)
        return resInfo->GetResource();
    loader->LoadResource(resInfo->GetReader(), *resInfo);
    VELK_ASSERT(resInfo->GetResource() != 0);
    return resInfo->GetResource();
}

Resource* ResourceManager::AcquireResource(const char* name, ResourceInfo** outInfo)
{
    VELK_ASSERT(name != 0);
    ResourceInfo* info = FindInfo(name);
    if (!info->GetResource())
        LoadResource(*info);
    if (outInfo)
        *outInfo = info;
    info->IncrementAcquireCount();
    return info->GetResource();
}

Resource* ResourceManager::AcquireResource(const std::string& name, ResourceInfo** outInfo)
{
    return AcquireResource(name.c_str(), outInfo);
}

Resource* ResourceManager::FindLoadedResource(const char* name)
{
    VELK_ASSERT(name != 0);
    return FindInfo(name)->GetResource();
}

bool ResourceManager::ResourceExists(const std::string& name) const
{
    return m_Entries.count(name) != 0;
}

void ResourceManager::FillEntry(const std::string& name, ResourceInfo& info, CoreHost::ResourceEntry& entry) const
{
    entry.name = name;
    entry.reader = info.GetReader();
    entry.type = info.GetType();
    entry.table = LuaObject();
    if (info.GetType() == RESOURCE_TABLE)
        if (auto* table = dynamic_cast<TableResource*>(info.GetResource()))
            entry.table = *table->GetTable();
}

bool ResourceManager::FindResourceEntry(const std::string& name, bool returnNullIfMissing,
                                        CoreHost::ResourceEntry& entry)
{
    ResourceInfo* info = FindInfo(name, returnNullIfMissing);
    if (!info)
        return false;
    FillEntry(name, *info, entry);
    return true;
}

CoreHost::ResourceEntry ResourceManager::AcquireResourceEntry(const std::string& name)
{
    ResourceInfo* info = nullptr;
    AcquireResource(name, &info);
    CoreHost::ResourceEntry entry;
    FillEntry(name, *info, entry);
    return entry;
}

// ---------------------------------------------------------------------------
// Advance loading

bool ResourceManager::IsAdvanceLoadable(const ResourceInfo& info) const
{
    const LuaObject& metadata = info.GetMetadata();
    if (metadata.IsTable()) {
        LuaObject exclude = metadata["excludeFromAdvanceLoad"];
        if (exclude.IsBoolean() && exclude.GetBoolean())
            return false;
    }
    return FindLoader(info) != nullptr;
}

int ResourceManager::BeginAdvanceLoad()
{
    // A list of names rather than a walk of the table: the loading screen runs
    // scripts between steps, and they may add entries.
    auto names = std::make_unique<std::vector<std::string>>();
    int count = 0;
    for (const auto& [name, info] : m_Entries) {
        names->push_back(name);
        if (IsAdvanceLoadable(*info))
            ++count;
    }
    m_AdvanceLoadNames = std::move(names);
    m_AdvanceLoadPosition = 0;
    return count;
}

bool ResourceManager::AdvanceLoadNext()
{
    if (!m_AdvanceLoadNames)
        return false;
    while (m_AdvanceLoadPosition < m_AdvanceLoadNames->size()) {
        const std::string name = (*m_AdvanceLoadNames)[m_AdvanceLoadPosition++];
        auto it = m_Entries.find(name);
        if (it != m_Entries.end() && IsAdvanceLoadable(*it->second)) {
            Log(4, "Caching Resource: %s\n", name.c_str());
            AcquireResource(name);
            return true;
        }
    }
    m_AdvanceLoadNames.reset();
    m_AdvanceLoadPosition = 0;
    return false;
}

// ---------------------------------------------------------------------------
// Reports

void ResourceManager::ShowMemUsage()
{
    const std::int32_t sysmem = GetMemUsage(MEMUSAGE_IMAGES_IN_SYSMEM);
    const std::int32_t vidmem = GetMemUsage(MEMUSAGE_IMAGES_IN_VIDMEM);
    const std::int32_t sound = GetMemUsage(MEMUSAGE_SOUNDS);
    LogWrite("Sysmem Images: %d\n", sysmem);
    LogWrite("Vidmem Images: %d\n", vidmem);
    LogWrite("Sound: %d\n", sound);
    LogWrite("Total: %lld\n", static_cast<long long>(sysmem) + vidmem + sound);
}

void ResourceManager::LogResourceUsage()
{
    constexpr int kTypeCount = RESOURCE_MUSIC + 1;
    FILE* files[kTypeCount] = {};
    std::string fileNames[kTypeCount];
    auto closeAll = [&files]() {
        for (FILE*& file : files)
            if (file) {
                std::fclose(file);
                file = nullptr;
            }
    };

    for (int type = 0; type < kTypeCount; ++type) {
        fileNames[type] = (boost::format("ResourceUsage-%1%.txt") % ResTypeToString(type)).str();
        files[type] = std::fopen(fileNames[type].c_str(), "w");
        if (!files[type]) {
            const int error = errno;
            LogWrite("LogResourceUsage, ERROR: Could not open \"%s\", reason=\"%s\"\n", fileNames[type].c_str(),
                     std::strerror(error));
            closeAll();
            return;
        }
        std::fputs("Resource Name\tAcquire Count\n", files[type]);
    }

    // In name order, so that two reports compare line by line.
    std::vector<const std::pair<const std::string, std::unique_ptr<ResourceInfo>>*> entries;
    for (const auto& entry : m_Entries)
        entries.push_back(&entry);
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) { return a->first < b->first; });

    int counts[kTypeCount] = {};
    int total = 0;
    for (const auto* entry : entries) {
        const int type = entry->second->GetType();
        if (type < 0 || type >= kTypeCount)
            continue;
        std::fprintf(files[type], "%s\t%d\n", entry->first.c_str(), entry->second->GetAcquireCount());
        ++counts[type];
        ++total;
    }

    for (int type = 0; type < kTypeCount; ++type) {
        // A report cut short by a full disk must not pass for a whole one.
        const bool failed = std::ferror(files[type]) != 0;
        const int closeResult = std::fclose(files[type]);
        const int error = errno;
        files[type] = nullptr;
        if (failed || closeResult != 0)
            LogWrite("LogResourceUsage, ERROR: Could not write \"%s\", reason=\"%s\"\n", fileNames[type].c_str(),
                     std::strerror(failed && closeResult == 0 ? EIO : error));
        LogWrite("LogResourceUsage: %d resources of type %s processed.\n", counts[type], ResTypeToString(type));
    }
    LogWrite("LogResourceUsage: ------------------------------------------------------------\n");
    LogWrite("LogResourceUsage: %d resources were processed, in total.\n", total);
}

// ---------------------------------------------------------------------------
// Metadata files

namespace {

void WarnUnreadableMetadata(const std::string& message)
{
    LogWriteString("WARNING: " + message + "\nThe files of its folder are used without metadata.\n");
}

} // namespace

void ResourceScanner::ProcessMetadataFile(ResourceInfo& metadataInfo, ResourceInfoMap& outputList)
{
    LuaState state = VelkLuaState::Get();
    VELK_ASSERT(state);
    LuaObject globals = state.GetGlobals();
    LuaObject pending = globals.CreateTable("Pending_Metadata");
    const std::string& location = metadataInfo.GetLocation();
    VELK_ASSERT(metadataInfo.GetReader() != 0);

    const char* data = nullptr;
    std::size_t size = 0;
    try {
        metadataInfo.GetReader()->Read(location, data, size);
    } catch (const Exception& e) {
        globals.SetNil("Pending_Metadata");
        WarnUnreadableMetadata((boost::format("Could not read resource metadata file:\nfile = %1%\nerror = %2%") %
                                location % e.GetMessage()).str());
        return;
    }
    const std::string text(data ? data : "", size);
    const std::string chunkName = "@" + location;

    // Compiled once on its own only to tell a syntax error from a failure while it runs.
    if (state.LoadBuffer(text.data(), text.size(), chunkName.c_str()) != 0) {
        const std::string error = state.PopErrorMessage();
        globals.SetNil("Pending_Metadata");
        WarnUnreadableMetadata(
            (boost::format("Could not compile Lua-based resource metadata file:\nfile = %1%\nerror = %2%") %
             location % error).str());
        return;
    }
    state.Pop();
    try {
        // The file is data: it runs with nothing but a Metadata of its own,
        // which gathers its tables as the global one does.
        LoadDataText(
            state, text, chunkName, "Metadata",
            [&](const LuaObject& table) {
                for (LuaTableIterator it(table); it; ++it)
                    pending.RawSetObject(it.GetKey(), it.GetValue());
            },
            DataLoaderCalls::AtLeastOnce);
    } catch (const Exception& e) {
        globals.SetNil("Pending_Metadata");
        WarnUnreadableMetadata(
            (boost::format("Could not load Lua-based resource metadata file:\nfile = %1%\nerror = %2%") % location %
             e.GetMessage()).str());
        return;
    }

    for (LuaTableIterator it(pending); it; ++it) {
        VELK_ASSERT_MSG(it.GetKey().IsString(),
                        (boost::format("Invalid key in metadata file, keys must be strings:\nfile = %1%") % location)
                            .str());
        const std::string key = it.GetKey().GetString();
        VELK_ASSERT_MSG(it.GetValue().IsTable(),
                        (boost::format("Invalid metadata entry:\nfile = %1%\nentry = %2%") % location % key).str());
        auto outputListEntryIter = outputList.find(key);
        VELK_ASSERT_MSG(outputListEntryIter != outputList.end(),
                        (boost::format("Invalid key in metadata file, keys must correspond to file names:\n"
                                       "file = %1%\nentry = %2%") %
                         location % key).str());
        outputListEntryIter->second->SetMetadata(it.GetValue());
    }
    globals.SetNil("Pending_Metadata");
}
