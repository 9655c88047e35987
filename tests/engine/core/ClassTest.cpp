#include "engine/core/Class.h"

#include "engine/core/Log.h"
#include "platform/lua/LuaFunction.h"
#include "support/CoreFixture.h"

#include <gtest/gtest.h>
#include "support/Failure.h"

namespace {

std::vector<std::string> g_HookOrder;

class Widget : public Object
{
    VELK_DECLARE_CLASS(Widget)
public:
    int size = 0;
};

class FancyWidget : public Widget
{
    VELK_DECLARE_CLASS(FancyWidget)
public:
    int sparkle = 0;
};

void WidgetHook(Class* c)
{
    g_HookOrder.push_back(c->GetName());
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&Widget::size), "size"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&Widget::size), "size"));
    StoreClassDefaults(c);
}

void FancyWidgetHook(Class* c)
{
    g_HookOrder.push_back(c->GetName());
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&FancyWidget::sparkle), "sparkle"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&FancyWidget::sparkle), "sparkle"));
}

// Registered child before parent: the hooks must still run parent first.
VELK_REGISTER_CLASS(FancyWidget, "Widget", FancyWidgetHook, InstantiateObjectOfClass<FancyWidget>);
VELK_REGISTER_CLASS(Widget, "Object", WidgetHook, InstantiateObjectOfClass<Widget>);

class ClassTest : public CoreFixture
{
protected:
    void SetUp() override
    {
        g_HookOrder.clear();
        CoreFixture::SetUp();
        ClearLogCache();
    }
    LuaObject Value(const std::string& source)
    {
        VelkLuaState::LoadStringA(state, "return " + source, 0, 1);
        return LuaObject::PopFrom(state);
    }
};

} // namespace

TEST_F(ClassTest, HooksRunParentsFirstAndTheTreeLinks)
{
    auto widget = std::find(g_HookOrder.begin(), g_HookOrder.end(), "Widget");
    auto fancy = std::find(g_HookOrder.begin(), g_HookOrder.end(), "FancyWidget");
    ASSERT_NE(fancy, g_HookOrder.end());
    EXPECT_LT(widget, fancy);

    ClassManager* manager = ClassManager::GetInstance();
    Class* object = manager->GetClass("Object");
    EXPECT_EQ(object->GetParent(), nullptr);
    for (Class* c : manager->GetClasses()) {
        if (c != object) {
            EXPECT_NE(c->GetParent(), nullptr) << c->GetName();
        }
    }
    EXPECT_EQ(manager->GetClass("FancyWidget")->GetParent(), manager->GetClass("Widget"));
    EXPECT_TRUE(object->IsA("FancyWidget"));  // the named class lies in Object's subtree
    EXPECT_FALSE(manager->GetClass("FancyWidget")->IsA("Widget"));

    Run("PrintClassTree()");
    std::vector<std::string> lines = GetCachedLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Object\n"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "    Widget\n"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "        FancyWidget\n"), lines.end());
    EXPECT_TRUE(state.GetGlobal("Classes")["Widget"]["defaults"].IsTable());
    EXPECT_EQ(state.GetGlobal("Classes")["Widget"]["defaults"]["size"].GetInteger(), 0);
    Run("assert(Classes.Widget:canInstantiate() == true and Classes.Object:canInstantiate() == false)");
}

TEST_F(ClassTest, RegistryFailureTexts)
{
    ClassManager* manager = ClassManager::GetInstance();
    EXPECT_EQ(FailureOf([] { new Class("Widget", "Object", nullptr, nullptr); }),
              "Assertion failed: (m_ClassTable.GetByName(className.c_str()).IsNil())\nMessage: \"Widget\" has already "
              "been registered with the ClassManager.");
    EXPECT_EQ(manager->GetClass("Nope", true), nullptr);
    EXPECT_THROW(manager->GetClass("Nope"), ClassNotFoundException);
    EXPECT_EQ(FailureOf([&] { manager->GetClass("Nope"); }),
              "Assertion failed: (classObject.IsTable())\nMessage: Could not find class with name \"Nope\"");
    EXPECT_EQ(FailureOf([&] { manager->GetClass("Object")->Instantiate(Value("{}")); }),
              "Assertion failed: (m_InstantiatorFunction != 0)\nMessage: Classes of type \"Object\" cannot be "
              "instantiated.");
    Class* widget = manager->GetClass("Widget");
    EXPECT_EQ(FailureOf([&] { widget->RegisterPropertyGetter(CreateNamedAccessor("size")); }),
              "Assertion failed: (m_PropertyGetters.find(propertyName) == m_PropertyGetters.end())\nMessage: An "
              "attempt was made to register two property getters with the same name in the same class.\nclass = "
              "Widget\nproperty name = size");
    EXPECT_EQ(FailureOf([&] { manager->InstantiateObject(Value("{ size = 3 }")); }),
              "Assertion failed: (c != 0)\nMessage: Could not find a class in the parameter table.");
}

TEST_F(ClassTest, TemplatesApplyBeforeTheTablesOwnKeys)
{
    Run("Resources.Small = Resources.Object:new{ class = 'Widget', size = 2, color = 'red' } "
        "Resources.Shiny = Resources.Object:new{ class = 'FancyWidget', sparkle = 9 }");
    std::unique_ptr<Object> w(ClassManager::GetInstance()->InstantiateObject(Value("{ resource = 'Small', size = 1 }")));
    auto* widget = dynamic_cast<Widget*>(w.get());
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->size, 1);
    EXPECT_EQ(w->RetrieveProperty("color").GetString(), "red");
    EXPECT_EQ(w->RetrieveProperty("resources")[1].GetString(), "Small");

    // Own "class" wins over a template's; with two templates the last collected wins.
    std::unique_ptr<Object> own(
        ClassManager::GetInstance()->InstantiateObject(Value("{ class = 'Widget', resource = 'Shiny' }")));
    EXPECT_EQ(own->GetClass()->GetName(), "Widget");
    std::unique_ptr<Object> both(
        ClassManager::GetInstance()->InstantiateObject(Value("{ resources = { 'Small', 'Shiny' } }")));
    EXPECT_EQ(both->GetClass()->GetName(), "FancyWidget");
    EXPECT_EQ(static_cast<FancyWidget*>(both.get())->sparkle, 9);
    EXPECT_EQ(static_cast<FancyWidget*>(both.get())->size, 2);
    EXPECT_EQ(both->RetrieveProperty("resources")[2].GetString(), "Shiny");
}

TEST_F(ClassTest, InstantiateObjectsSkipsValuesThatAreNotTables)
{
    std::vector<Object*> objects;
    LuaObject keys;
    keys.AssignNewTable(state);
    int made = ClassManager::GetInstance()->InstantiateObjects(
        Value("{ a = { class = 'Widget' }, b = 5, c = { class = 'Widget' } }"), objects, &keys);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(objects.size(), 2u);
    EXPECT_EQ(keys.GetN(), 2);
    EXPECT_TRUE(keys[1]["key"].IsString());
    for (Object* o : objects)
        delete o;
    EXPECT_EQ(FailureOf([&] { ClassManager::GetInstance()->InstantiateObjects(Value("5"), objects); }),
              "Assertion failed: (paramTables.IsTable())");
}

TEST_F(ClassTest, CreateObjectFromScripts)
{
    Run("made = CreateObject({ class = 'Widget', size = 5, name = 'w' }) "
        "nothing = { CreateObject() } wrong = { CreateObject(5) } broken = { CreateObject({ class = 'Widget', size = 'big' }) }");
    LuaObject made = state.GetGlobal("made");
    std::unique_ptr<Object> object(Object::FromLuaObject(made));
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(static_cast<Widget*>(object.get())->size, 5);
    EXPECT_EQ(object->GetName(), "w");
    EXPECT_EQ(state.GetGlobal("nothing").GetN(), 0);
    EXPECT_EQ(state.GetGlobal("wrong").GetN(), 0);
    std::vector<std::string> lines = GetCachedLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Failed to find valid Template based on parameter type: number.\n"),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Object Template found class: Widget\n"), lines.end());
    // A bad property value is dropped with a warning; the object is still made.
    EXPECT_EQ(state.GetGlobal("broken").GetN(), 1);
    delete Object::FromLuaObject(state.GetGlobal("broken")[1]);
    bool warned = false;
    for (const std::string& line : lines)
        warned = warned || line.rfind("WARNING: Could not apply all properties", 0) == 0;
    EXPECT_TRUE(warned);
}

TEST_F(ClassTest, PropertiesFromClassAndResourceNames)
{
    Run("Resources.Small = Resources.Object:new{ class = 'Widget', size = 2 } "
        "props = getPropertiesFromClassAndResourceNames('Widget', { 'Small' })");
    LuaObject props = state.GetGlobal("props");
    EXPECT_EQ(props["class"].GetString(), "Widget");
    EXPECT_EQ(props["resources"][1].GetString(), "Small");
}
