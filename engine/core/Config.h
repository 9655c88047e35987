#pragma once

#include "engine/core/Color.h"
#include "engine/core/Object.h"
#include "engine/core/Variant.h"
#include "platform/lua/LuaObject.h"

#include <string>

// The settings store. Settings live in Lua tables: constants (`ConstConfig`),
// which nothing may overwrite, and data (`Config_Data`), which holds the
// defaults and the user's values and is what gets saved. Scripts use the proxy
// table `Config`; every write through it checks the constants and then tells the
// key's observers at once with VELK_CONFIGUPDATE.
class Config
{
public:
    explicit Config(LuaState state);
    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    // Reads a settings file as data: the file may only call LoadConfig with a
    // table. Returns 0 when the file was loaded or does not exist; a file that
    // cannot be loaded is kept aside as ".bad" with a warning and gives 1.
    int DoFile(const std::string& path);

    // Constants win over data; a missing key gives an empty Variant.
    Variant Retrieve(const std::string& key);
    // `ConstConfig`[key], or `Config_Data`[key] when that is nil.
    LuaObject GetLuaValue(const std::string& key);
    double GetDouble(const std::string& key);
    std::string GetString(const std::string& key);
    Color GetColor(const std::string& key, const Color& defaultColor);

    // Writes through the proxy table. A constant key is refused with ScriptError.
    void Store(const std::string& key, const Variant& value);
    void SetValue(const std::string& key, const LuaObject& value);
    void SetBool(const std::string& key, bool value);

    void AttachObserver(EventReceiver* receiver, const std::string& key);
    void DetachObserver(EventReceiver* receiver, const std::string& key);
    // Removes the receiver from every key (it is being deleted).
    void ForgetObserver(EventReceiver* receiver);
    void SignalObservers(const std::string& key);
    // Signals the observers of every key that has a value.
    void ApplyMetadata();

    // Writes "LoadConfig " and the settings as Lua source, replacing the file
    // only once the whole text is written. A setting that cannot be written
    // (a coroutine, a table holding itself, one nested too deep) is left out
    // with a "WARNING: " line naming it.
    void Write(const std::string& path);

    LuaState GetLuaState() const { return m_LuaState; }

private:
    LuaState m_LuaState;
};

// The Config the application created, or null.
Config* GetConfig();
void SetConfig(Config* config);

// Binds an interface control to one setting: the control reads the value
// through Retrieve and its changes are stored back.
class DataBinder : public Object
{
};

class ConfigDataBinder : public DataBinder
{
public:
    explicit ConfigDataBinder(const std::string& key);
    ~ConfigDataBinder() override;

    Variant Retrieve();
    const std::string& GetKey() const { return m_Key; }
    // The control named in the event's first data word changed: store its "value".
    bool OnValueChange(const EventRecord& event) override;

private:
    std::string m_Key;
};
