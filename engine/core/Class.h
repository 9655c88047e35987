#pragma once

#include "platform/lua/LuaObject.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class Object;
class Class;

// How a property name of a class is read and written.
enum PropertyKind : uint32_t
{
    PROPERTY_SETTER = 0,           // set: a setter function; get: not allowed
    PROPERTY_NAMED = 1,            // the object's ApplyClassicProperty / GetProperty
    PROPERTY_STORED = 2,           // the object's own property table
    PROPERTY_LOCKED = 3,           // set: locked; get: invalid
    PROPERTY_MEMBER = 4,           // a member field, through its type conversion
    PROPERTY_IGNORED = 5,          // set: ignored; get: nil
    PROPERTY_SCRIPT_FUNCTION = 6,  // get: a script method; set: ignored
    PROPERTY_UNNAMED = 7,          // a name no class registered: as kind 2
};

// One getter or setter record, owned by the class map that holds it.
struct PropertyAccessor
{
    using SetterFunction = std::function<void(Object*, const LuaObject&)>;
    // The address of a member field inside an object of the registering class.
    using MemberAddress = std::function<void*(Object*)>;

    uint32_t kind = PROPERTY_UNNAMED;
    uint32_t valueType = 0;
    MemberAddress memberAddress;
    SetterFunction setter;
    std::string name;
    lua_CFunction scriptFunction = nullptr;
    LuaObject slot;

    static PropertyAccessor* CreateMemberSetter(SetterFunction setter, const std::string& name);
    static PropertyAccessor* CreateScriptFunctionSetter(const std::string& name);
    static PropertyAccessor* CreateScriptFunctionGetter(const std::string& name, lua_CFunction function);
};

PropertyAccessor* MakeNamedProperty(const std::string& name);
PropertyAccessor* CreateNamedAccessor(const std::string& name);
PropertyAccessor* CreatePropertyAccessor(uint32_t valueType, PropertyAccessor::MemberAddress member,
                                         const std::string& name);
PropertyAccessor* CreateIgnoredAccessor(const std::string& name);
// The shared record of every unregistered name.
PropertyAccessor* MakeUnnamedProperty();

// The address function of a member of class C.
template <typename C, typename T>
PropertyAccessor::MemberAddress MemberOf(T C::*member)
{
    return [member](Object* object) -> void* { return &(static_cast<C*>(object)->*member); };
}

// A setter that calls a member function of class C with the Lua value.
template <typename C>
PropertyAccessor::SetterFunction MemberSetter(void (C::*setter)(const LuaObject&))
{
    return [setter](Object* object, const LuaObject& value) { (static_cast<C*>(object)->*setter)(value); };
}

// One scriptable class: its name, its parent, its property records and how to
// build an object of it from a parameter table.
class Class
{
public:
    using Hook = void (*)(Class*);
    using Instantiator = Object* (*)(const LuaObject& params);

    Class(const std::string& name, const std::string& parentName, Hook hook, Instantiator instantiator);
    Class(const Class&) = delete;
    Class& operator=(const Class&) = delete;
    ~Class();

    const std::string& GetName() const { return m_Name; }
    const std::string& GetParentName() const { return m_ParentName; }
    Class* GetParent() const { return m_Parent; }
    void SetParent(Class* parent) { m_Parent = parent; }
    const std::vector<Class*>& GetSubClasses() const { return m_SubClasses; }
    Hook GetHook() const { return m_Hook; }
    LuaObject& GetLuaClassTable() { return m_LuaClassTable; }

    void RegisterPropertyGetter(PropertyAccessor* accessor);
    void RegisterPropertySetter(PropertyAccessor* accessor);
    // This class's record, then its ancestors'; the shared unnamed record when none.
    PropertyAccessor* FindPropertyGetter(const std::string& name) const;
    PropertyAccessor* FindPropertySetter(const std::string& name) const;
    // The getters this class registered itself (not its ancestors').
    const std::unordered_map<std::string, std::unique_ptr<PropertyAccessor>>& GetOwnPropertyGetters() const
    {
        return m_PropertyGetters;
    }

    void AddSubClass(Class* subClass);
    // True when the class lies in this class's subtree (this class included).
    bool IsA(const Class* other) const;
    bool IsA(const std::string& name) const;

    bool CanInstantiate() const { return m_InstantiatorFunction != nullptr; }
    Object* Instantiate(const LuaObject& params);
    Object* GetDefaultInstance();

private:
    std::string m_Name;
    std::string m_ParentName;
    std::unordered_map<std::string, std::unique_ptr<PropertyAccessor>> m_PropertyGetters;
    std::unordered_map<std::string, std::unique_ptr<PropertyAccessor>> m_PropertySetters;
    Class* m_Parent = nullptr;
    std::vector<Class*> m_SubClasses;
    LuaObject m_LuaClassTable;
    Hook m_Hook;
    Instantiator m_InstantiatorFunction;
};

// The registry of classes by name; its Lua view is the global table "Classes".
class ClassManager
{
public:
    static ClassManager* GetInstance();
    // Deletes every class and the manager (shutdown, tests).
    static void DestroyInstance();

    // Adds the class to "Classes"; a second class of one name fails.
    void RegisterClassA(Class* classObject);
    // The class of that name; null when absent and quiet, else ClassNotFoundException.
    Class* GetClass(const std::string& name, bool quiet = false);
    // Creates the registered classes, links each under its parent and runs the
    // property hooks from the roots down.
    void InitializeClasses();

    Class* FindClass(const LuaObject& params);
    Object* InstantiateObject(const LuaObject& params);
    Object* InstantiateObjectFromResource(const std::string& resourceName);
    // Every table value of the table, in table order; returns how many were made.
    int InstantiateObjects(const LuaObject& paramTables, std::vector<Object*>& objects, LuaObject* keyTable = nullptr);

    LuaObject& GetClassTable() { return m_ClassTable; }
    // Every class in registration order.
    const std::vector<Class*>& GetClasses() const { return m_Classes; }

private:
    ClassManager();
    ~ClassManager();

    LuaObject m_ClassTable;
    std::vector<Class*> m_Classes;
};

// Static registration of a class. The class record itself is made when the
// registry is initialised, and its address is stored in `*slot`.
class ClassRegistration
{
public:
    struct Entry
    {
        const char* name;
        const char* parentName;
        Class::Hook hook;
        Class::Instantiator instantiator;
        Class** slot;
    };
    ClassRegistration(const char* name, const char* parentName, Class::Hook hook, Class::Instantiator instantiator,
                      Class** slot);
    static std::vector<Entry>& GetList();
};

// Builds a default instance and stores its properties, without "class", as
// "Classes"[name].defaults.
void StoreClassDefaults(Class* classObject);

// The usual instantiator: construct, apply the parameter table, post-spawn.
template <typename T>
Object* InstantiateObjectOfClass(const LuaObject& params);

// In a class's declaration: its class record and GetClass.
#define VELK_DECLARE_CLASS(ClassName)                \
public:                                              \
    static Class* s_Class;                           \
    Class* GetClass() const override { return s_Class; } \
    static Class* StaticClass() { return s_Class; }  \
                                                     \
private:

// In the class's source file: registers it under its parent's name.
#define VELK_REGISTER_CLASS(ClassName, ParentName, Hook, Instantiator) \
    Class* ClassName::s_Class = nullptr;                               \
    static ClassRegistration s_##ClassName##Registration(#ClassName, ParentName, Hook, Instantiator, &ClassName::s_Class)
