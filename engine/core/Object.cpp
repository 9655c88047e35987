#include "engine/core/Object.h"

#include "engine/core/CrashReport.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "platform/lua/LuaFunction.h"

#include <vector>

namespace {

// The registry key of the metatable shared by every object's Lua self.
char g_ObjectMetatableKey;

std::string KeyText(lua_State* L, int index)
{
    if (lua_type(L, index) == LUA_TSTRING || lua_type(L, index) == LUA_TNUMBER)
        return lua_tostring(L, index);
    return std::string();
}

Object* RequireLiveObject(lua_State* L, int index)
{
    Object* object = Object::FromLua(L, index);
    if (!object)
        VELK_THROW(Exception, "attempt to use an object that has been deleted");
    return object;
}

int Meta_Index(lua_State* L)
{
    Object* object = RequireLiveObject(L, 1);
    LuaObject value = object->RetrieveProperty(KeyText(L, 2), LuaState(L));
    value.Push(LuaState(L));
    return 1;
}

int Meta_NewIndex(lua_State* L)
{
    Object* object = RequireLiveObject(L, 1);
    object->ApplyProperty(KeyText(L, 2), LuaObject(LuaState(L), 3));
    return 0;
}

void PushObjectMetatable(lua_State* L)
{
    lua_pushlightuserdata(L, &g_ObjectMetatableKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (lua_istable(L, -1))
        return;
    lua_pop(L, 1);
    lua_newtable(L);
    PushGuardedCFunction(L, Meta_Index);
    lua_setfield(L, -2, "__index");
    PushGuardedCFunction(L, Meta_NewIndex);
    lua_setfield(L, -2, "__newindex");
    lua_pushlightuserdata(L, &g_ObjectMetatableKey);
    lua_pushvalue(L, -2);
    lua_rawset(L, LUA_REGISTRYINDEX);
}

// Applies the depth count of nested template application for one scope.
struct NestingScope
{
    explicit NestingScope(int& depth) : m_Depth(depth) { ++m_Depth; }
    ~NestingScope() { --m_Depth; }
    int& m_Depth;
};

} // namespace

LuaState ObjectLuaState()
{
    LuaState state = VelkLuaState::Get();
    VELK_ASSERT(state);
    return state;
}

// ---------------------------------------------------------------- class registration

void ObjectClassHook(Class* c)
{
    auto name = MemberOf(&Object::m_Name);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_STRING, name, "name"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_STRING, name, "name"));
    c->RegisterPropertyGetter(MakeNamedProperty("class"));
    c->RegisterPropertySetter(CreateIgnoredAccessor("class"));
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionSetter("resource"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Object::SetResourceProperty), "resource"));
    c->RegisterPropertyGetter(CreateNamedAccessor("resources"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Object::SetResourcesProperty), "resources"));
    c->RegisterPropertyGetter(CreateIgnoredAccessor("resourceMetadata"));
    c->RegisterPropertySetter(CreateIgnoredAccessor("resourceMetadata"));
    c->RegisterPropertyGetter(
        PropertyAccessor::CreateScriptFunctionGetter("NotifyObservers", Object::Script_NotifyObservers));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter("NotifyObservers"));
}

Class* Object::s_Class = nullptr;
static ClassRegistration s_ObjectRegistration("Object", "NULL", ObjectClassHook, nullptr, &Object::s_Class);

// ---------------------------------------------------------------- life

Object::Object()
{
    ++s_LiveCount;
}

Object::~Object()
{
    --s_LiveCount;
    // Letting go may run scripts (observer lists of settings); a failure there is
    // logged and the rest still happens, since nothing may leave a destructor.
    try {
        if (CoreHost* host = GetCoreHost())
            host->ForgetObject(this);
    } catch (...) {
        LogWrite("WARNING: Object::~Object: %s\n", CurrentExceptionMessage().c_str());
    }
    try {
        // A timer left running would signal freed memory.
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimersOfReceiver(this);
        ReleaseTables();
    } catch (...) {
        LogWrite("WARNING: Object::~Object: %s\n", CurrentExceptionMessage().c_str());
    }
}

void Object::ReleaseTables()
{
    if (m_States) {
        for (auto& [name, state] : *m_States)
            delete state;
        m_States.reset();
    }
    m_CurrentState = nullptr;
    m_PropertyTable = LuaObject();
    // Scripts and observer lists may still hold the Lua self: it must lead nowhere now.
    if (m_LuaSelf.IsUserData())
        *static_cast<Object**>(m_LuaSelf.GetUserData()) = nullptr;
    m_LuaSelf = LuaObject();
}

void Object::Destroy()
{
    if (m_Dead)
        return;
    m_Dead = 1;
    RequireCoreHost().FlagForDeletion(this);
}

bool Object::OnEvent(const EventRecord& event)
{
    if (m_CurrentState && m_CurrentState->OnEvent(event))
        return true;
    return RouteEvent(event);
}

void Object::Update()
{
    if (m_CurrentState)
        m_CurrentState->Update();
}

// ---------------------------------------------------------------- Lua self

LuaObject Object::GetLuaObject(LuaState)
{
    if (m_LuaSelf.IsNil()) {
        lua_State* L = ObjectLuaState().GetCState();
        auto* slot = static_cast<Object**>(lua_newuserdata(L, sizeof(Object*)));
        *slot = this;
        PushObjectMetatable(L);
        lua_setmetatable(L, -2);
        m_LuaSelf = LuaObject::PopFrom(LuaState(L));
    }
    return m_LuaSelf;
}

Object* Object::FromLua(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TUSERDATA || !lua_getmetatable(L, index))
        return nullptr;
    PushObjectMetatable(L);
    bool ours = lua_rawequal(L, -1, -2) != 0;
    lua_pop(L, 2);
    return ours ? *static_cast<Object**>(lua_touserdata(L, index)) : nullptr;
}

Object* Object::FromLuaObject(const LuaObject& value)
{
    LuaState state = value.GetState();
    if (!state || !value.IsUserData())
        return nullptr;
    value.Push();
    Object* object = FromLua(state.GetCState(), -1);
    state.Pop();
    return object;
}

// ---------------------------------------------------------------- properties

LuaObject Object::RetrieveProperty(const std::string& name, LuaState state)
{
    LuaState L = state ? state : ObjectLuaState();
    Class* c = GetClass();
    PropertyAccessor* propInfo = c ? c->FindPropertyGetter(name) : MakeUnnamedProperty();
    VELK_ASSERT(propInfo != 0);
    switch (propInfo->kind) {
    case PROPERTY_SETTER:
        VELK_ASSERT(false);
        break;
    case PROPERTY_NAMED:
        return GetProperty(name, L);
    case PROPERTY_STORED:
    case PROPERTY_UNNAMED:
        return m_PropertyTable.IsTable() ? m_PropertyTable.RawGetByName(name.c_str()) : LuaObject(L);
    case PROPERTY_LOCKED:
        VELK_ASSERT_MSG(false, (boost::format("Cannot apply the invalid property, \"%1%\".") % name).str());
        break;
    case PROPERTY_MEMBER: {
        LuaObject result(L);
        TypeConversion::Store(propInfo->valueType, result, L, propInfo->memberAddress(this));
        return result;
    }
    case PROPERTY_IGNORED:
        break;
    case PROPERTY_SCRIPT_FUNCTION:
        L.PushCFunction(propInfo->scriptFunction);
        return LuaObject::PopFrom(L);
    }
    return LuaObject(L);
}

void Object::ApplyProperty(const std::string& name, const LuaObject& value)
{
    Class* c = GetClass();
    PropertyAccessor* propInfo = c ? c->FindPropertySetter(name) : MakeUnnamedProperty();
    switch (propInfo->kind) {
    case PROPERTY_SETTER:
        propInfo->setter(this, value);
        break;
    case PROPERTY_NAMED:
        ApplyClassicProperty(name, value);
        break;
    case PROPERTY_STORED:
    case PROPERTY_UNNAMED:
        StoreProperty(name, value);
        break;
    case PROPERTY_LOCKED:
        VELK_ASSERT_MSG(false, (boost::format("Cannot apply the locked property, \"%1%\".") % name).str());
        break;
    case PROPERTY_MEMBER:
        TypeConversion::Retrieve(propInfo->valueType, value, propInfo->memberAddress(this));
        break;
    case PROPERTY_IGNORED:
    case PROPERTY_SCRIPT_FUNCTION:
        break;
    }
}

void Object::ApplyClassicProperty(const std::string&, const LuaObject&) {}

void Object::StoreProperty(const std::string& name, const LuaObject& value)
{
    if (!m_PropertyTable.IsTable())
        m_PropertyTable.AssignNewTable(ObjectLuaState());
    m_PropertyTable.SetObject(name.c_str(), value);
}

int Object::RetrieveIntegerProperty(const std::string& name, int defaultValue)
{
    return ReadIntegerOrDefault(RetrieveProperty(name), defaultValue);
}

std::string Object::RetrieveStringProperty(const std::string& name, const std::string& defaultValue)
{
    return ReadStringOrDefault(RetrieveProperty(name), defaultValue);
}

bool Object::RetrieveBoolProperty(const std::string& name, bool defaultValue)
{
    return ReadBooleanOrDefault(RetrieveProperty(name), defaultValue);
}

void Object::ApplyIntegerProperty(const std::string& name, int value)
{
    LuaObject v;
    v.AssignInteger(ObjectLuaState(), value);
    ApplyProperty(name, v);
}

void Object::ApplyStringProperty(const std::string& name, const std::string& value)
{
    LuaObject v;
    v.AssignString(ObjectLuaState(), value);
    ApplyProperty(name, v);
}

void Object::ApplyBoolProperty(const std::string& name, bool value)
{
    LuaObject v;
    v.AssignBoolean(ObjectLuaState(), value);
    ApplyProperty(name, v);
}

LuaObject Object::EvaluateTableEntry(const LuaObject& table, const char* key)
{
    LuaObject value = table.GetByName(key);
    if (value.IsFunction())
        return LuaFunction<LuaObject>(value)(GetLuaObject());
    return value;
}

void Object::ApplyProperties(const LuaObject& table, LuaState state)
{
    // An empty table applies nothing; class defaults are built before the
    // template scripts are loaded.
    if (!table.IsTable() || table.GetTableCount() == 0)
        return;
    LuaState L = state ? state : ObjectLuaState();
    try {
        LuaFunction<void>(L.GetGlobal("applyPropertiesToObject"), L)(GetLuaObject(L), table);
    } catch (const LuaException& e) {
        LogWrite("WARNING: Could not apply all properties to the object \"%s\": %s\n", m_Name.c_str(),
                 e.GetMessage().c_str());
    }
}

LuaObject Object::GetProperty(const std::string& name, LuaState state)
{
    LuaObject table;
    table.AssignNewTable(state);
    StoreProperties(table);
    return table.GetByName(name.c_str());
}

void Object::StoreProperties(LuaObject& table)
{
    if (!m_Name.empty())
        table.SetString("name", m_Name);
    if (Class* c = GetClass())
        table.SetString("class", c->GetName());
}

void Object::StoreClassAndName(LuaObject& table)
{
    table.SetObject("class", RetrieveProperty("class"));
    table.SetObject("name", RetrieveProperty("name"));
    for (LuaTableIterator it(m_PropertyTable); it; it.Next())
        table.SetObject(it.GetKey(), it.GetValue());
}

void Object::StoreAllProperties(LuaObject& table)
{
    if (Class* c = GetClass()) {
        LuaState L = ObjectLuaState();
        for (const auto& [name, getter] : c->GetOwnPropertyGetters()) {
            if (getter->kind != PROPERTY_MEMBER)
                continue;
            LuaObject value(L);
            TypeConversion::Store(getter->valueType, value, L, getter->memberAddress(this));
            table.SetObject(name.c_str(), value);
        }
    }
    StoreProperties(table);
    for (LuaTableIterator it(m_PropertyTable); it; it.Next())
        table.SetObject(it.GetKey(), it.GetValue());
}

// ---------------------------------------------------------------- resources

void Object::TryToRecordResource(const LuaObject& value)
{
    if (m_ResourceNestingDepth >= 2 || !RetrieveProperty("resources").IsNil())
        return;
    if (value.IsString()) {
        LuaObject list;
        list.AssignNewTable(ObjectLuaState());
        list.SetObject(1, value);
        StoreProperty("resources", list);
    } else if (value.IsTable()) {
        StoreProperty("resources", value);
    } else {
        VELK_ASSERT_MSG(false,
                        (boost::format("Cannot record unknown record resource type: %1%") % value.TypeName()).str());
    }
}

void Object::SetResourceProperty(const LuaObject& value)
{
    TryToRecordResource(value);
    ApplyNamedResource(ReadStringFromObject(value));
}

void Object::SetResourcesProperty(const LuaObject& value)
{
    TryToRecordResource(value);
    if (value.IsString()) {
        ApplyNamedResource(value.GetString());
        return;
    }
    std::vector<std::string> names;
    for (LuaTableIterator it(value); it; it.Next())
        if (it.GetValue().IsString())
            names.push_back(it.GetValue().GetString());
    for (const std::string& name : names)
        ApplyNamedResource(name);
}

void Object::ApplyResource(const std::string&, const CoreHost::ResourceEntry& entry)
{
    NestingScope scope(m_ResourceNestingDepth);
    VELK_ASSERT_MSG(entry.type == RESOURCE_TABLE,
                    (boost::format("Cannot apply resource of type %1% to object %2%") % entry.type % m_Name).str());
    ApplyProperties(entry.table);
}

void Object::ApplyNamedResource(const std::string& name)
{
    try {
        CoreHost::ResourceEntry entry = RequireCoreHost().AcquireResource(name);
        ApplyResource(name, entry);
    } catch (const LuaException& e) {
        Log(1, "%s",
            (boost::format("LuaExceptionInfo:\n\nCompile Date: %1%\nCompile Time: %2%\nOrigin: %3%:%4%\nFunction: "
                           "%5%\n\n%6%") %
             e.GetBuildDate() % e.GetBuildTime() % e.GetOriginFile() % e.GetLine() % e.GetFunction() % e.GetMessage())
                .str()
                .c_str());
        LogWrite("WARNING: Could not apply the resource \"%s\": %s\n", name.c_str(), e.GetMessage().c_str());
    } catch (const Exception& e) {
        ReportException(e);
    }
}

// ---------------------------------------------------------------- states

void Object::SetState(const std::string& name)
{
    State* found = nullptr;
    if (m_States) {
        auto it = m_States->find(name);
        if (it != m_States->end())
            found = it->second;
    }
    if (!found) {
        Class* c = GetClass();
        std::string className = c ? c->GetName() : std::string("Object");
        VELK_ASSERT_MSG(false, (boost::format("Could not find state \"%1%\" in \"%2%\"") % name % className).str());
    }
    if (m_CurrentState)
        m_CurrentState->OnExitState();
    m_CurrentState = found;
    m_CurrentState->OnEnterState();
}

std::string Object::GetStateName() const
{
    if (!m_CurrentState)
        VELK_ASSERT(false);
    return m_CurrentState->GetName();
}

void Object::AddState(State* state, bool replace)
{
    if (!m_States)
        m_States = std::make_unique<std::unordered_map<std::string, State*>>();
    std::string name = state->GetName();
    auto it = m_States->find(name);
    if (it != m_States->end()) {
        if (!replace)
            return;
        VELK_ASSERT_MSG(it->second != m_CurrentState, "A state must not be replaced while it is current.");
        delete it->second;
        it->second = state;
        return;
    }
    m_States->emplace(name, state);
}

// ---------------------------------------------------------------- observers

void Object::AttachObserver(int event, Object* observer)
{
    LuaObject observers = RetrieveProperty("observers");
    if (observers.IsNil()) {
        observers.AssignNewTable(ObjectLuaState());
        ApplyProperty("observers", observers);
    }
    LuaObject list = observers.GetByIndex(event);
    if (list.IsNil())
        list = observers.CreateTable(event);
    list.Insert(observer->GetLuaObject());
}

void Object::DetachObserver(int event, Object* observer)
{
    LuaObject observers = RetrieveProperty("observers");
    if (observers.IsNil())
        return;
    LuaObject list = observers.GetByIndex(event);
    if (list.IsNil())
        return;
    int n = list.GetN();
    for (int i = 1; i <= n; ++i) {
        if (FromLuaObject(list.GetByIndex(i)) != observer)
            continue;
        for (int j = i; j < n; ++j)
            list.SetObject(j, list.GetByIndex(j + 1));
        list.SetNil(n);
        break;
    }
    if (list.GetN() == 0)
        observers.SetNil(event);
    if (observers.GetTableCount() == 0)
        ApplyProperty("observers", LuaObject(ObjectLuaState()));
}

void Object::NotifyObservers(int event, LuaObject* payload, bool immediate)
{
    std::unique_ptr<LuaObject> owned(payload);
    LuaObject observers = RetrieveProperty("observers");
    LuaObject list = observers.IsTable() ? observers.GetByIndex(event) : LuaObject();
    if (!list.IsTable())
        return;
    // Collected first: an observer answering an immediate event may detach itself.
    std::vector<Object*> targets;
    int n = list.GetN();
    for (int i = 1; i <= n; ++i)
        if (Object* observer = FromLuaObject(list.GetByIndex(i)))
            targets.push_back(observer);
    std::shared_ptr<LuaObject> shared(owned.release());
    for (Object* observer : targets) {
        if (immediate)
            SendNewEvent(event, observer, this, shared);
        else
            PostNewEvent(event, observer, this, shared);
    }
}

int Object::Script_NotifyObservers(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Object* self = RequireLiveObject(L, 1);
        int event = 0;
        if (lua_type(L, 2) == LUA_TNUMBER)
            event = static_cast<int>(lua_tonumber(L, 2));
        else if (lua_type(L, 2) == LUA_TSTRING)
            event = TypeOfEvent(lua_tostring(L, 2));
        else
            VELK_THROW(Exception, (boost::format("Cannot convert parameter 1 of Object::NotifyObservers from the Lua "
                                                 "type, \"%1%\".") %
                                   luaL_typename(L, 2))
                                      .str());
        LuaObject* payload = lua_gettop(L) >= 3 ? new LuaObject(LuaState(L), 3) : nullptr;
        bool immediate = lua_type(L, 4) == LUA_TBOOLEAN && lua_toboolean(L, 4);
        self->NotifyObservers(event, payload, immediate);
        return 0;
    });
}

// ---------------------------------------------------------------- script functions

namespace {

int Script_CreateObject(lua_State* L)
{
    if (lua_gettop(L) == 0)
        return 0;
    if (!lua_istable(L, 1)) {
        Log(1, "Failed to find valid Template based on parameter type: %s.\n", luaL_typename(L, 1));
        return 0;
    }
    LuaState state(L);
    LuaObject params(state, 1);
    std::string className = "unknown";
    try {
        Class* c = ClassManager::GetInstance()->FindClass(params);
        if (!c)
            return 0;
        className = c->GetName();
        Log(1, "Object Template found class: %s\n", className.c_str());
        Object* object = c->Instantiate(params);
        if (!object)
            return 0;
        object->GetLuaObject(state).Push(state);
        return 1;
    } catch (const Exception& e) {
        LogWrite("%s\n", e.GetReport().c_str());
        Log(1, "Failed to instantiate %s from Template.\n", className.c_str());
    }
    return 0;
}

int Script_StackDump(lua_State* L)
{
    std::fputs(" ----------------  Stack Dump ----------------\n", stdout);
    for (int i = lua_gettop(L); i >= 1; --i) {
        int type = lua_type(L, i);
        const char* typeName = lua_typename(L, type);
        if (type == LUA_TNIL) {
            LogWrite("%d:%s:Nil\n", i, typeName);
        } else if (type == LUA_TSTRING) {
            LogWrite("%d:%s:`%s'\n", i, typeName, lua_tostring(L, i));
        } else if (type == LUA_TNUMBER) {
            LogWrite("%d:%s %f\n", i, typeName, lua_tonumber(L, i));
        } else if (type == LUA_TBOOLEAN) {
            LogWrite("%d:%s %s\n", i, typeName, lua_toboolean(L, i) ? "true" : "false");
        } else {
            LogWrite("%d: %s\n", i, typeName);
            break;
        }
    }
    LogWrite("--------------- Stack Dump Finished ---------------\n");
    return 0;
}

ScriptFunctionRegistration s_CreateObject(Script_CreateObject, "CreateObject");
ScriptFunctionRegistration s_StackDump(Script_StackDump, "StackDump");

} // namespace

void ThrowNotAScriptObject(const char* what)
{
    VELK_THROW(Exception, std::string("attempt to use ") + what + " that has been deleted or is not " + what);
}
