#pragma once

#include "engine/core/Class.h"
#include "engine/core/CoreHost.h"
#include "engine/core/Events.h"
#include "platform/lua/LuaObject.h"

#include <memory>
#include <string>
#include <unordered_map>

class Object;

// A named state of an owner object. An event offered to the owner goes to its
// current state first; a state handles an event by overriding its handler.
class State : public EventRouter
{
public:
    // The state's literal name, by convention its bare class name.
    virtual std::string GetName() const = 0;
    ~State() override = default;
    virtual void OnEnterState() {}
    virtual void OnExitState() {}
    virtual void Update() {}
    virtual bool OnEvent(const EventRecord& event) { return RouteEvent(event); }
};

// The root of every scriptable class: a name, a Lua property table, a Lua self
// whose fields go through the class's property accessors, named states,
// observers per event number, and deferred deletion.
class Object : public EventReceiver, public EventRouter
{
public:
    Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    ~Object() override;
    // Objects alive now: a soak watches it for leaks between rounds.
    static std::size_t GetLiveCount() { return s_LiveCount; }

    bool OnEvent(const EventRecord& event) override;
    virtual Class* GetClass() const { return s_Class; }
    virtual void OnPostSpawn() {}
    // Marks the object and queues it for the main loop's deletion phase; once.
    virtual void Destroy();
    // The deletion phase calls this just before deleting the object, so that it
    // leaves whatever holds it while it is still whole.
    virtual void DetachBeforeDeletion() {}
    virtual void Update();
    // table[key]; a function value is called with the Lua self and its first result returned.
    virtual LuaObject EvaluateTableEntry(const LuaObject& table, const char* key);
    virtual void ApplyProperty(const std::string& name, const LuaObject& value);
    virtual void ApplyClassicProperty(const std::string& name, const LuaObject& value);
    virtual void ApplyProperties(const LuaObject& table, LuaState state = LuaState());
    virtual void StoreAllProperties(LuaObject& table);
    virtual LuaObject GetProperty(const std::string& name, LuaState state);
    virtual void StoreProperties(LuaObject& table);
    virtual void StoreClassAndName(LuaObject& table);
    virtual void ApplyResource(const std::string& name, const CoreHost::ResourceEntry& entry);
    virtual void AttachObserver(int event, Object* observer);
    virtual void DetachObserver(int event, Object* observer);

    LuaObject RetrieveProperty(const std::string& name, LuaState state = LuaState());
    int RetrieveIntegerProperty(const std::string& name, int defaultValue);
    std::string RetrieveStringProperty(const std::string& name, const std::string& defaultValue);
    bool RetrieveBoolProperty(const std::string& name, bool defaultValue);
    void ApplyIntegerProperty(const std::string& name, int value);
    void ApplyStringProperty(const std::string& name, const std::string& value);
    void ApplyBoolProperty(const std::string& name, bool value);
    // Sets a key of the object's own property table.
    void StoreProperty(const std::string& name, const LuaObject& value);
    // The own property table (nil until the first property is stored).
    const LuaObject& GetPropertyTable() const { return m_PropertyTable; }

    void SetState(const std::string& name);
    std::string GetStateName() const;
    State* GetState() const { return m_CurrentState; }
    // Takes ownership of the state unless one of its name exists and replace is clear.
    void AddState(State* state, bool replace);

    // One Event per observer of the event number, all sharing the payload, posted
    // (or sent at once when immediate). Takes ownership of the payload.
    void NotifyObservers(int event, LuaObject* payload, bool immediate);

    // The object's Lua self, created on first use.
    LuaObject GetLuaObject(LuaState state = LuaState());
    void ApplyNamedResource(const std::string& name);

    std::string GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    bool IsBeingDestroyed() const { return m_Dead != 0; }
    // Frees the states and the property and self tables (shutdown).
    void ReleaseTables();

    // The object behind a Lua self at the stack index; null for anything else or
    // for an object that has been deleted.
    static Object* FromLua(lua_State* L, int index);
    static Object* FromLuaObject(const LuaObject& value);

    static Class* s_Class;

private:
    static inline std::size_t s_LiveCount = 0;

public:
    static Class* StaticClass() { return s_Class; }

    // Script method "NotifyObservers" (self, event, [payload], [immediate]).
    static int Script_NotifyObservers(lua_State* L);

protected:
    friend void ObjectClassHook(Class* c);
    // Records the outermost template names in "resources" (see ApplyProperty of "resource").
    void TryToRecordResource(const LuaObject& value);
    void SetResourceProperty(const LuaObject& value);
    void SetResourcesProperty(const LuaObject& value);

    LuaObject m_LuaSelf;
    LuaObject m_PropertyTable;
    State* m_CurrentState = nullptr;
    std::unique_ptr<std::unordered_map<std::string, State*>> m_States;
    int m_ResourceNestingDepth = 0;
    std::string m_Name;
    unsigned char m_Dead = 0;
};

[[noreturn]] void ThrowNotAScriptObject(const char* what);

// The object of class T behind the script argument at the index. `what` names
// the kind with its article ("a dialog") for the error that a deleted object or
// one of another class raises.
template <typename T>
T* RequireScriptObject(lua_State* L, int index, const char* what)
{
    auto* object = dynamic_cast<T*>(Object::FromLua(L, index));
    if (!object)
        ThrowNotAScriptObject(what);
    return object;
}

template <typename T>
Object* InstantiateObjectOfClass(const LuaObject& params)
{
    std::unique_ptr<T> object(new T());
    object->ApplyProperties(params);
    object->OnPostSpawn();
    return object.release();
}

// The main Lua state the objects live in.
LuaState ObjectLuaState();
