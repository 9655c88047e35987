#include "engine/core/Config.h"

#include "engine/core/CoreHost.h"
#include "engine/core/DataFile.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/core/VelkLuaState.h"
#include "platform/lua/LuaFunction.h"

#include <exception>

namespace {

Config* g_Config = nullptr;

// The Lua side of the store: the tables, the proxy's metamethods and the
// observer lists.
const char* const kConfigSupportSource = R"lua(
function InitTables()
    assert(ConstConfig == nil and Config == nil and Config_Data == nil and Config_Metadata == nil)
    ConstConfig = {}
    Config = {}
    Config_Data = {}
    Config_GlobalObservers = {}
    Config_Metadata = {}
    setmetatable(Config, { __newindex = Config_OnNewIndex, __index = Config_OnIndex })
end

function LoadConstConfig(t)
    assert(type(ConstConfig) == "table")
    for k, v in pairs(t) do
        ConstConfig[k] = v
    end
end

function LoadConfig(t)
    assert(type(Config) == "table")
    for k, v in pairs(t) do
        Config[k] = v
    end
end

function WriteConfigHeader()
    io.write("LoadConfig ")
end

-- A stored false stays false; only a missing value falls back to the constant.
function Config_OnIndex(table, key)
    local value = Config_Data[key]
    if value == nil then
        value = ConstConfig[key]
    end
    return value
end

function Config_OnNewIndex(table, key, value)
    if ConstConfig[key] ~= nil then
        error("Cannot overwrite a const config variable", 2)
    end
    rawset(Config_Data, key, value)
    local metadata = Config_Metadata[key]
    if metadata ~= nil and metadata.observers ~= nil then
        Config_SignalObservers(key)
    end
end

function Config_AttachObserver(observer, key)
    local metadata = Config_Metadata[key]
    if metadata == nil then
        metadata = {}
        Config_Metadata[key] = metadata
    end
    if metadata.observers == nil then
        metadata.observers = {}
    end
    table.insert(metadata.observers, observer)
end

function Config_DetachObserver(observer, key)
    local metadata = Config_Metadata[key]
    assert(type(metadata) == "table")
    assert(type(metadata.observers) == "table")
    for i, o in ipairs(metadata.observers) do
        if o == observer then
            table.remove(metadata.observers, i)
            break
        end
    end
    if table.getn(metadata.observers) == 0 then
        metadata.observers = nil
    end
end
)lua";

int Script_Config_SignalObservers(lua_State* L)
{
    const char* key = lua_tostring(L, 1);
    if (g_Config && key)
        g_Config->SignalObservers(key);
    return 0;
}

void AssertGlobalFunction(const LuaObject& value)
{
    if (!value.IsFunction())
        VELK_THROW(Exception, AssertionText("m_LuaState->Stack(-1).IsFunction()"));
}

LuaObject RequireTable(LuaState state, const char* name)
{
    LuaObject table = state.GetGlobal(name);
    if (!table.IsTable())
        VELK_THROW(Exception, AssertionText("m_LuaState->Stack(-1).IsTable()"));
    return table;
}

LuaObject KeyObject(LuaState state, const std::string& key)
{
    LuaObject k;
    k.AssignString(state, key);
    return k;
}

// A setting's key as the log names it.
std::string KeyText(const LuaObject& key)
{
    if (key.IsString())
        return "\"" + EscapeLuaString(key.GetString()) + "\"";
    if (key.IsNumber())
        return (boost::format("%1%") % key.GetNumber()).str();
    return std::string("a ") + key.TypeName();
}

// The settings minus those that cannot be written (a coroutine, a table that
// holds itself, one nested too deep): one of those must not cost all the others.
LuaObject SaveableSettings(LuaState state, const LuaObject& data)
{
    LuaObject saveable;
    saveable.AssignNewTable(state);
    for (LuaTableIterator it(data); it; ++it) {
        try {
            std::string scratch;
            SerializeLuaObjectToString(it.GetKey(), scratch, SERIALIZE_SORTED, state);
            SerializeLuaObjectToString(it.GetValue(), scratch, SERIALIZE_SORTED, state);
        } catch (const Exception& e) {
            std::string reason = e.GetMessage();
            std::string::size_type at = reason.find("Message: ");
            if (at != std::string::npos)
                reason = reason.substr(at + 9);
            LogWrite("WARNING: The setting %s cannot be saved and was left out: %s\n", KeyText(it.GetKey()).c_str(),
                     reason.c_str());
            continue;
        }
        saveable.RawSetObject(it.GetKey(), it.GetValue());
    }
    return saveable;
}

// Removes the receiver from the key's observer list without the script's help.
void DropObserver(LuaState state, EventReceiver* receiver, const std::string& key)
{
    LuaObject metadata = state.GetGlobal("Config_Metadata").RawGetByObject(KeyObject(state, key));
    LuaObject observers = metadata.RawGetByName("observers");
    if (!observers.IsTable())
        return;
    int n = observers.GetN();
    int kept = 0;
    for (int i = 1; i <= n; ++i) {
        LuaObject observer = observers[i];
        if (observer.GetLightUserData() != receiver)
            observers.SetObject(++kept, observer);
    }
    for (int i = kept + 1; i <= n; ++i)
        observers.SetNil(i);
    if (kept == 0)
        metadata.SetNil("observers");
}

} // namespace

Config* GetConfig()
{
    return g_Config;
}

void SetConfig(Config* config)
{
    g_Config = config;
}

Config::Config(LuaState state) : m_LuaState(state)
{
    VELK_ASSERT(m_LuaState);
    VelkLuaState::LoadStringA(m_LuaState, kConfigSupportSource, 0, 0);
    m_LuaState.GetGlobals().SetLightUserData("Config_Instance", this);
    LuaFunction<void>(m_LuaState.GetGlobal("InitTables"))();
    m_LuaState.GetGlobals().Register("Config_SignalObservers", Script_Config_SignalObservers);
    if (!g_Config)
        g_Config = this;
}

int Config::DoFile(const std::string& path)
{
    DataFileResult result = LoadDataFile(m_LuaState, path, "LoadConfig", m_LuaState.GetGlobal("LoadConfig"));
    return result == DataFileResult::Bad ? 1 : 0;
}

Variant Config::Retrieve(const std::string& key)
{
    lua_State* L = m_LuaState.GetCState();
    int top = lua_gettop(L);
    for (const char* tableName : {"ConstConfig", "Config_Data"}) {
        LuaObject table = RequireTable(m_LuaState, tableName);
        table.RawGetByObject(KeyObject(m_LuaState, key)).Push();
        Variant value;
        try {
            value = VelkLuaState::GetVariant(m_LuaState, -1);
        } catch (...) {
            lua_settop(L, top);
            throw;
        }
        lua_settop(L, top);
        if (!value.IsEmpty())
            return value;
    }
    return Variant();
}

LuaObject Config::GetLuaValue(const std::string& key)
{
    LuaObject value = m_LuaState.GetGlobal("ConstConfig").RawGetByObject(KeyObject(m_LuaState, key));
    if (value.IsNil())
        value = m_LuaState.GetGlobal("Config_Data").RawGetByObject(KeyObject(m_LuaState, key));
    return value;
}

double Config::GetDouble(const std::string& key)
{
    return GetLuaValue(key).GetNumber();
}

std::string Config::GetString(const std::string& key)
{
    return GetLuaValue(key).GetString();
}

Color Config::GetColor(const std::string& key, const Color& defaultColor)
{
    LuaObject value = GetLuaValue(key);
    if (value.IsNil())
        return defaultColor;
    return Color(value);
}

void Config::Store(const std::string& key, const Variant& value)
{
    // The key travels as an argument too, so no key text can break the statement.
    m_LuaState.PushString(key);
    switch (value.GetType()) {
    case Variant::V_BOOL:
        m_LuaState.PushBoolean(value.ToBool());
        break;
    case Variant::V_DOUBLE:
        m_LuaState.PushNumber(value.ToDouble());
        break;
    case Variant::V_STRING:
        m_LuaState.PushString(value.ToString());
        break;
    default:
        m_LuaState.PushNil();
        break;
    }
    VelkLuaState::LoadStringA(m_LuaState, "local key, value = ... Config[key] = value", 2, 0);
}

void Config::SetValue(const std::string& key, const LuaObject& value)
{
    // The proxy's write, run protected so a refused constant is a ScriptError.
    LuaFunction<void>(m_LuaState.GetGlobal("Config_OnNewIndex"))(m_LuaState.GetGlobal("Config"), key, value);
}

void Config::SetBool(const std::string& key, bool value)
{
    LuaObject v;
    v.AssignBoolean(m_LuaState, value);
    SetValue(key, v);
}

void Config::AttachObserver(EventReceiver* receiver, const std::string& key)
{
    LuaFunction<void>(m_LuaState.GetGlobal("Config_AttachObserver"))(static_cast<void*>(receiver), key);
}

void Config::DetachObserver(EventReceiver* receiver, const std::string& key)
{
    LuaFunction<void>(m_LuaState.GetGlobal("Config_DetachObserver"))(static_cast<void*>(receiver), key);
}

void Config::ForgetObserver(EventReceiver* receiver)
{
    std::vector<std::string> keys;
    for (LuaTableIterator it(m_LuaState.GetGlobal("Config_Metadata")); it; it.Next()) {
        LuaObject observers = it.GetValue()["observers"];
        if (!it.GetKey().IsString() || !observers.IsTable())
            continue;
        int n = observers.GetN();
        for (int i = 1; i <= n; ++i)
            if (observers[i].GetLightUserData() == receiver)
                keys.push_back(it.GetKey().GetString());
    }
    // A receiver being deleted must leave every list even when the script's
    // detach fails: it would be told of later writes. The first failure is
    // passed on once the lists are clean.
    std::exception_ptr failure;
    for (const std::string& key : keys) {
        try {
            DetachObserver(receiver, key);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
            DropObserver(m_LuaState, receiver, key);
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}

void Config::SignalObservers(const std::string& key)
{
    LuaObject metadata = m_LuaState.GetGlobal("Config_Metadata").RawGetByObject(KeyObject(m_LuaState, key));
    LuaObject observers = metadata["observers"];
    if (!observers.IsTable())
        return;
    // Collected first: an observer may detach itself while it is told.
    std::vector<EventReceiver*> receivers;
    for (LuaTableIterator it(observers); it; it.Next())
        if (it.GetValue().IsLightUserData())
            receivers.push_back(static_cast<EventReceiver*>(it.GetValue().GetLightUserData()));
    for (EventReceiver* receiver : receivers) {
        auto table = std::make_unique<LuaObject>();
        table->AssignNewTable(m_LuaState);
        table->SetString("key", key);
        table->SetObject("value", GetLuaValue(key));
        if (GetCoreHost())
            SendEvent(receiver, VELK_CONFIGUPDATE, 0, table.get(), nullptr);
        else
            receiver->OnEvent(MakeEventRecord(VELK_CONFIGUPDATE, 0, table.get(), nullptr));
    }
}

void Config::ApplyMetadata()
{
    LuaObject data = m_LuaState.GetGlobal("Config_Data");
    std::vector<std::string> keys;
    for (LuaTableIterator it(m_LuaState.GetGlobal("Config_Metadata")); it; it.Next()) {
        if (!it.GetKey().IsString() || !it.GetValue()["observers"].IsTable())
            continue;
        if (!data.RawGetByObject(it.GetKey()).IsNil())
            keys.push_back(it.GetKey().GetString());
    }
    for (const std::string& key : keys)
        SignalObservers(key);
}

void Config::Write(const std::string& path)
{
    LogWrite("writing cfg to: %s\n", path.c_str());
    AssertGlobalFunction(m_LuaState.GetGlobal("OpenOutputFile"));
    LuaObject header = m_LuaState.GetGlobal("WriteConfigHeader");
    AssertGlobalFunction(header);
    LuaObject serialize = m_LuaState.GetGlobal("Serialize");
    AssertGlobalFunction(serialize);
    AssertGlobalFunction(m_LuaState.GetGlobal("CloseOutputFile"));
    LuaObject data = SaveableSettings(m_LuaState, RequireTable(m_LuaState, "Config_Data"));
    WriteOutputFile(m_LuaState, path, [&] {
        LuaFunction<void>{header}();
        LuaFunction<void>{serialize}(data);
    });
}

// ---------------------------------------------------------------- ConfigDataBinder

ConfigDataBinder::ConfigDataBinder(const std::string& key) : m_Key(key)
{
    if (Config* config = GetConfig())
        config->AttachObserver(this, m_Key);
}

ConfigDataBinder::~ConfigDataBinder()
{
    if (Config* config = GetConfig()) {
        try {
            config->DetachObserver(this, m_Key);
        } catch (...) {
            LogWrite("WARNING: ConfigDataBinder could not detach from \"%s\": %s\n", m_Key.c_str(),
                     CurrentExceptionMessage().c_str());
        }
    }
}

Variant ConfigDataBinder::Retrieve()
{
    Config* config = GetConfig();
    VELK_ASSERT(config != 0);
    return config->Retrieve(m_Key);
}

bool ConfigDataBinder::OnValueChange(const EventRecord& event)
{
    Config* config = GetConfig();
    auto* control = static_cast<Object*>(event.user.data1);
    if (config && control)
        config->Store(m_Key, Variant(control->RetrieveProperty("value").GetNumber()));
    return true;
}
