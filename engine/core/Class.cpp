#include "engine/core/Class.h"

#include "engine/core/CoreHost.h"
#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/LuaSerializer.h"
#include "engine/core/Object.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "platform/lua/LuaFunction.h"

// ---------------------------------------------------------------- PropertyAccessor

namespace {

PropertyAccessor* MakeAccessor(uint32_t kind, const std::string& name)
{
    auto* accessor = new PropertyAccessor;
    accessor->kind = kind;
    accessor->name = name;
    return accessor;
}

} // namespace

PropertyAccessor* PropertyAccessor::CreateMemberSetter(SetterFunction setter, const std::string& name)
{
    PropertyAccessor* accessor = MakeAccessor(PROPERTY_SETTER, name);
    accessor->setter = std::move(setter);
    return accessor;
}

PropertyAccessor* PropertyAccessor::CreateScriptFunctionSetter(const std::string& name)
{
    return MakeAccessor(PROPERTY_LOCKED, name);
}

PropertyAccessor* PropertyAccessor::CreateScriptFunctionGetter(const std::string& name, lua_CFunction function)
{
    PropertyAccessor* accessor = MakeAccessor(PROPERTY_SCRIPT_FUNCTION, name);
    accessor->scriptFunction = function;
    return accessor;
}

PropertyAccessor* MakeNamedProperty(const std::string& name)
{
    return MakeAccessor(PROPERTY_NAMED, name);
}

PropertyAccessor* CreateNamedAccessor(const std::string& name)
{
    return MakeAccessor(PROPERTY_STORED, name);
}

PropertyAccessor* CreatePropertyAccessor(uint32_t valueType, PropertyAccessor::MemberAddress member,
                                         const std::string& name)
{
    PropertyAccessor* accessor = MakeAccessor(PROPERTY_MEMBER, name);
    accessor->valueType = valueType;
    accessor->memberAddress = std::move(member);
    return accessor;
}

PropertyAccessor* CreateIgnoredAccessor(const std::string& name)
{
    return MakeAccessor(PROPERTY_IGNORED, name);
}

PropertyAccessor* MakeUnnamedProperty()
{
    static PropertyAccessor unnamed;
    return &unnamed;
}

// ---------------------------------------------------------------- Class

Class::Class(const std::string& name, const std::string& parentName, Hook hook, Instantiator instantiator)
    : m_Name(name), m_ParentName(parentName), m_Hook(hook), m_InstantiatorFunction(instantiator)
{
    ClassManager::GetInstance()->RegisterClassA(this);
}

Class::~Class() = default;

void Class::RegisterPropertyGetter(PropertyAccessor* accessor)
{
    std::unique_ptr<PropertyAccessor> owned(accessor);
    const std::string& propertyName = accessor->name;
    VELK_ASSERT_MSG(m_PropertyGetters.find(propertyName) == m_PropertyGetters.end(),
                    (boost::format("An attempt was made to register two property getters with the same name in the "
                                   "same class.\nclass = %1%\nproperty name = %2%") %
                     m_Name % propertyName)
                        .str());
    m_PropertyGetters.emplace(propertyName, std::move(owned));
}

void Class::RegisterPropertySetter(PropertyAccessor* accessor)
{
    std::unique_ptr<PropertyAccessor> owned(accessor);
    const std::string& propertyName = accessor->name;
    VELK_ASSERT_MSG(m_PropertySetters.find(propertyName) == m_PropertySetters.end(),
                    (boost::format("An attempt was made to register two property setters with the same name in the "
                                   "same class.\nclass = %1%\nproperty name = %2%") %
                     m_Name % propertyName)
                        .str());
    m_PropertySetters.emplace(propertyName, std::move(owned));
}

PropertyAccessor* Class::FindPropertyGetter(const std::string& name) const
{
    for (const Class* c = this; c; c = c->m_Parent) {
        auto it = c->m_PropertyGetters.find(name);
        if (it != c->m_PropertyGetters.end())
            return it->second.get();
    }
    return MakeUnnamedProperty();
}

PropertyAccessor* Class::FindPropertySetter(const std::string& name) const
{
    for (const Class* c = this; c; c = c->m_Parent) {
        auto it = c->m_PropertySetters.find(name);
        if (it != c->m_PropertySetters.end())
            return it->second.get();
    }
    return MakeUnnamedProperty();
}

void Class::AddSubClass(Class* subClass)
{
    VELK_ASSERT(IsA(subClass) == false);
    m_SubClasses.push_back(subClass);
}

bool Class::IsA(const Class* other) const
{
    return other && IsA(other->m_Name);
}

bool Class::IsA(const std::string& name) const
{
    if (name == m_Name)
        return true;
    for (const Class* sub : m_SubClasses)
        if (sub->IsA(name))
            return true;
    return false;
}

Object* Class::Instantiate(const LuaObject& params)
{
    VELK_ASSERT_MSG(m_InstantiatorFunction != 0,
                    (boost::format("Classes of type \"%1%\" cannot be instantiated.") % m_Name).str());
    return m_InstantiatorFunction(params);
}

Object* Class::GetDefaultInstance()
{
    LuaObject empty;
    empty.AssignNewTable(ObjectLuaState());
    return Instantiate(empty);
}

// ---------------------------------------------------------------- registration list

ClassRegistration::ClassRegistration(const char* name, const char* parentName, Class::Hook hook,
                                     Class::Instantiator instantiator, Class** slot)
{
    GetList().push_back({name, parentName, hook, instantiator, slot});
}

std::vector<ClassRegistration::Entry>& ClassRegistration::GetList()
{
    static std::vector<Entry> list;
    return list;
}

// ---------------------------------------------------------------- ClassManager

namespace {

ClassManager* g_ClassManager = nullptr;

int Script_CanInstantiate(lua_State* L)
{
    // Called as Classes[name]:canInstantiate().
    lua_getfield(L, 1, "instance");
    auto* c = static_cast<Class*>(lua_touserdata(L, -1));
    lua_pushboolean(L, c && c->CanInstantiate());
    return 1;
}

} // namespace

ClassManager* ClassManager::GetInstance()
{
    if (!g_ClassManager)
        g_ClassManager = new ClassManager();
    return g_ClassManager;
}

void ClassManager::DestroyInstance()
{
    delete g_ClassManager;
    g_ClassManager = nullptr;
}

ClassManager::ClassManager()
{
    LuaState state = ObjectLuaState();
    m_ClassTable.AssignNewTable(state);
    state.GetGlobals().SetObject("Classes", m_ClassTable);
}

ClassManager::~ClassManager()
{
    for (const ClassRegistration::Entry& entry : ClassRegistration::GetList())
        if (entry.slot)
            *entry.slot = nullptr;
    for (Class* c : m_Classes)
        delete c;
    try {
        LuaState state = m_ClassTable.GetState();
        if (state)
            state.GetGlobals().SetNil("Classes");
    } catch (...) {
        LogWrite("WARNING: ClassManager::~ClassManager: %s\n", CurrentExceptionMessage().c_str());
    }
}

void ClassManager::RegisterClassA(Class* classObject)
{
    const std::string& className = classObject->GetName();
    VELK_ASSERT_MSG(m_ClassTable.GetByName(className.c_str()).IsNil(),
                    (boost::format("\"%1%\" has already been registered with the ClassManager.") % className).str());
    LuaObject entry = m_ClassTable.CreateTable(className.c_str());
    entry.SetLightUserData("instance", classObject);
    entry.Register("canInstantiate", Script_CanInstantiate);
    classObject->GetLuaClassTable() = entry;
    m_Classes.push_back(classObject);
}

Class* ClassManager::GetClass(const std::string& name, bool quiet)
{
    LuaObject classObject = m_ClassTable.GetByName(name.c_str());
    if (!classObject.IsTable() && quiet)
        return nullptr;
    VELK_ASSERT_THROW(ClassNotFoundException, classObject.IsTable(),
                      (boost::format("Could not find class with name \"%1%\"") % name).str());
    if (!classObject.GetByName("instance").IsUserData() && quiet)
        return nullptr;
    VELK_ASSERT_MSG(classObject.GetByName("instance").IsUserData(),
                    (boost::format("Could not find class instance with name \"%1%\"") % name).str());
    return static_cast<Class*>(classObject.GetByName("instance").GetUserData());
}

void ClassManager::InitializeClasses()
{
    for (const ClassRegistration::Entry& entry : ClassRegistration::GetList())
        if (!*entry.slot)
            *entry.slot = new Class(entry.name, entry.parentName, entry.hook, entry.instantiator);

    for (Class* c : m_Classes) {
        if (!c->GetParent() && c->GetParentName() != "NULL") {
            Class* parent = GetClass(c->GetParentName(), false);
            c->SetParent(parent);
            parent->AddSubClass(c);
        }
    }
    // Hooks run from each root down, parents before children.
    std::function<void(Class*)> runHooks = [&](Class* c) {
        if (c->GetHook())
            c->GetHook()(c);
        for (Class* sub : c->GetSubClasses())
            runHooks(sub);
    };
    for (Class* c : m_Classes)
        if (!c->GetParent())
            runHooks(c);
}

Class* ClassManager::FindClass(const LuaObject& params)
{
    LuaObject own = params.GetByName("class");
    if (own.IsString())
        return GetClass(own.GetString(), false);
    LuaObject search = ObjectLuaState().GetGlobal("findKeysInResourceTree");
    LuaObject found = LuaFunction<LuaObject>(search)("class", params);
    int n = found.IsTable() ? found.GetN() : 0;
    if (n == 0)
        return nullptr;
    LuaObject searchResult = found;
    VELK_ASSERT(searchResult.GetByIndex(n).IsString());
    return GetClass(searchResult.GetByIndex(n).GetString(), false);
}

Object* ClassManager::InstantiateObject(const LuaObject& paramTable)
{
    VELK_ASSERT(paramTable.IsTable());
    Class* c = FindClass(paramTable);
    if (c)
        return c->Instantiate(paramTable);
    std::string text;
    SerializeLuaObjectToString(paramTable, text);
    Log(0, "Failed to find a class in:\n%s", text.c_str());
    VELK_ASSERT_MSG(c != 0, "Could not find a class in the parameter table.");
    return nullptr;
}

Object* ClassManager::InstantiateObjectFromResource(const std::string& resourceName)
{
    CoreHost::ResourceEntry entry = RequireCoreHost().AcquireResource(resourceName);
    VELK_ASSERT_MSG(entry.type == RESOURCE_TABLE,
                    (boost::format("The resource, \"%1%\", is not a table.") % resourceName).str());
    return InstantiateObject(entry.table);
}

int ClassManager::InstantiateObjects(const LuaObject& paramTables, std::vector<Object*>& objects, LuaObject* keyTable)
{
    VELK_ASSERT(paramTables.IsTable());
    int created = 0;
    for (LuaTableIterator it(paramTables); it; it.Next()) {
        if (!it.GetValue().IsTable())
            continue;
        objects.push_back(InstantiateObject(it.GetValue()));
        ++created;
        if (keyTable) {
            LuaObject keyEntry = keyTable->CreateTable(created);
            keyEntry.SetObject("key", it.GetKey());
        }
    }
    return created;
}

void StoreClassDefaults(Class* classObject)
{
    std::unique_ptr<Object> instance(classObject->GetDefaultInstance());
    LuaObject defaults;
    defaults.AssignNewTable(ObjectLuaState());
    instance->StoreClassAndName(defaults);
    defaults.SetNil("class");
    classObject->GetLuaClassTable().SetObject("defaults", defaults);
}

// ---------------------------------------------------------------- script functions

namespace {

void PrintClass(const Class* c, const std::string& indent)
{
    LogWrite("%s%s\n", indent.c_str(), c->GetName().c_str());
    for (const Class* sub : c->GetSubClasses())
        PrintClass(sub, indent + "    ");
}

int Script_PrintClassTree(lua_State*)
{
    if (Class* root = ClassManager::GetInstance()->GetClass("Object", true))
        PrintClass(root, "");
    return 0;
}

int Script_getPropertiesFromClassAndResourceNames(lua_State* L)
{
    LuaState state(L);
    LuaObject params;
    params.AssignNewTable(state);
    params.SetObject("class", LuaObject(state, 1));
    params.SetObject("resources", LuaObject(state, 2));
    LuaObject debug = state.GetGlobal("DebugPropertyReducer");
    if (debug.IsBoolean() && debug.GetBoolean()) {
        std::string text;
        SerializeLuaObjectToString(params, text);
        LogWrite("applying properties to dummy object = %s\n", text.c_str());
    }
    std::unique_ptr<Object> object(ClassManager::GetInstance()->InstantiateObject(params));
    LuaObject result;
    result.AssignNewTable(state);
    object->StoreClassAndName(result);
    object.reset();
    result.Push(state);
    return 1;
}

ScriptFunctionRegistration s_PrintClassTree(Script_PrintClassTree, "PrintClassTree");
ScriptFunctionRegistration s_getProperties(Script_getPropertiesFromClassAndResourceNames,
                                           "getPropertiesFromClassAndResourceNames");

} // namespace
