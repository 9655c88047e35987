// The template scripts: the order in which inherited values are visited,
// reducing a table to what differs from its templates, template lists by
// category, and splitting tables into shared and own values.

#include "ActorTestSupport.h"

using namespace actortest;

namespace {

class ResourceTemplateTest : public ActorFixture
{
protected:
    // A value as sorted Lua source, for comparing tables.
    std::string Text(const std::string& expression) { return Eval("SerializeToString(" + expression + ")").GetString(); }
};

} // namespace

TEST_F(ResourceTemplateTest, InheritedValuesAreVisitedFromTheClassToTheTableItself)
{
    Run("Resources.A = Resources.Object:new{ tag = 'A', zorder = 1 } "
        "Resources.B = Resources.Object:new{ tag = 'B' } "
        "Resources.C = Resources.Object:new{ tag = 'C', resource = 'A' } "
        "t = { class = 'Actor', resource = 'A', resources = { 'B', 'C' }, tag = 'self' }");
    EXPECT_EQ(Eval("table.concat(findKeysInResourceTree('tag', t), ' ')").GetString(), "A B A C self");
    EXPECT_EQ(Eval("table.concat(findKeysInResourceTree('zorder', t), ' ')").GetString(), "0 1 1")
        << "the class defaults come first";
    EXPECT_EQ(Eval("table.concat(getResourceTreeParents(t), ' ')").GetString(), "A B C A");
    EXPECT_EQ(Eval("table.concat(getResourceTreeParents(t, 1), ' ')").GetString(), "A B C");

    // Filling a table: its own values stay, and the first inherited value wins.
    Run("f = flattenObject({ resources = { 'B', 'C' }, zorder = false })");
    EXPECT_EQ(Eval("f.tag").GetString(), "B");
    EXPECT_EQ(Eval("f.zorder").GetInteger(), 1);
    EXPECT_EQ(Eval("f.resource").GetString(), "A");

    EXPECT_EQ(FailureOf([&] { Run("findKeysInResourceTree('x', { class = 'Gadget' })"); })
                  .find("Unknown class in resource tree: Gadget") != std::string::npos,
              true);
    EXPECT_EQ(Text("findKeysInTree('k', { k = 1, { k = 2, { k = 3 } } })"), Text("{ 1, 2, 3 }"));
    EXPECT_EQ(Text("flattenList({ 1, { 2, { 3 } }, 4 })"), Text("{ 1, 2, 3, 4 }"));
}

TEST_F(ResourceTemplateTest, DeepEquality)
{
    struct Case
    {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"1", "1", true},
        {"'x'", "'y'", false},
        {"{ 1, { 2, 3 } }", "{ 1, { 2, 3 } }", true},
        {"{ 1, 2 }", "{ 1, 2, 3 }", false},
        {"{ 1, 2, 3 }", "{ 1, 2 }", false},
        {"{ a = false }", "{}", false},
        {"{}", "nil", false},
        {"GetGlobalCenterPoint(_root)", "{ 0, 0 }", true},
    };
    Actor* root = Make();
    state.GetGlobals().SetObject("_root", root->GetLuaObject());
    for (const Case& c : cases)
        EXPECT_EQ(Eval(std::string("isEqual(") + c.a + ", " + c.b + ")").GetBoolean(), c.equal) << c.a << " " << c.b;
}

TEST_F(ResourceTemplateTest, ReducingLeavesWhatDiffersFromTheTemplates)
{
    Run("Resources.Card = Resources.Object:new{ class = 'Actor', zorder = 3, name = 'card', speed = 5 } "
        "Resources.Plain = Resources.Object:new{ speed = 1, color = 'x' }");
    // An instantiable class: the reference is a fresh instance of the class and templates.
    Run("p = reduceProperties({ class = 'Actor', resource = 'Card', zorder = 3, speed = 5, name = 'mine' })");
    EXPECT_EQ(Text("p"), Text("{ class = 'Actor', resource = 'Card', name = 'mine' }"));

    // Without a class: the reference is what the templates hold.
    Run("q = reduceProperties({ resources = { 'Plain' }, speed = 1, color = 'y' })");
    EXPECT_EQ(Text("q"), Text("{ resources = { 'Plain' }, color = 'y' }"));
    Run("r = reduceProperties({ speed = 1 })");
    EXPECT_EQ(Text("r"), Text("{ speed = 1 }")) << "a table inheriting nothing stays as it is";

    // The template list of new properties against the object's own.
    Actor* card = Make("Card");
    state.GetGlobals().SetObject("card", card->GetLuaObject());
    EXPECT_FALSE(Eval("objectPropertiesRequireObjectRecreation(card, { resource = 'Card' })").GetBoolean());
    EXPECT_FALSE(Eval("objectPropertiesRequireObjectRecreation(card, { resources = 'Card' })").GetBoolean());
    EXPECT_TRUE(Eval("objectPropertiesRequireObjectRecreation(card, { resources = { 'Card', 'Plain' } })").GetBoolean());
    EXPECT_TRUE(Eval("objectPropertiesRequireObjectRecreation(card, {})").GetBoolean());
}

TEST_F(ResourceTemplateTest, ANewTemplateTakesThePlaceOfOneOfItsCategory)
{
    Run("CategoryMetadata = { hat = { allowMultiple = false }, shirt = { allowMultiple = false }, "
        "  badge = { allowMultiple = true } } "
        "for name, category in pairs({ RedHat = 'hat', BlueHat = 'hat', GreenHat = 'hat', Tee = 'shirt', "
        "  Pin = 'badge', Pin2 = 'badge' }) do "
        "  Resources[name] = Resources.Object:new{ resourceMetadata = { categories = { category } } } end");
    struct Case
    {
        const char* oldList;
        const char* newName;
        const char* result;
    };
    const Case cases[] = {
        {"nil", "RedHat", "RedHat"},
        {"{ 'Tee', 'RedHat', 'Pin' }", "BlueHat", "Tee BlueHat Pin"},
        {"{ 'Tee', 'BlueHat' }", "BlueHat", "Tee BlueHat"},
        {"{ 'Pin' }", "Pin2", "Pin Pin2"},
        {"{ 'RedHat', 'Tee', 'BlueHat' }", "GreenHat", "GreenHat Tee"},
        {"{ 'Tee' }", "Unknown", "Tee Unknown"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Eval(std::string("table.concat(getNewResourceList(") + c.oldList + ", '" + c.newName + "'), ' ')")
                      .GetString(),
                  c.result)
            << c.oldList << " + " << c.newName;
    EXPECT_EQ(Text("getCategoriesFromNamedResource('Tee')"), Text("{ 'shirt' }"));
    EXPECT_EQ(Text("getCategoriesFromNamedResource('Tee', function(c) return c ~= 'shirt' end)"), Text("{}"));
    EXPECT_TRUE(Eval("getCategoriesFromNamedResource('Nowhere')").IsNil());
    EXPECT_EQ(Text("findKeysInResourceMetadata('categories', { resources = { 'Tee', 'Pin' } })"),
              Text("{ 'shirt', 'badge' }"));
}

TEST_F(ResourceTemplateTest, TablesSplitIntoSharedAndOwnValuesAndJoinAgain)
{
    Run("input = { { a = 1, b = 2, c = 3 }, { a = 1, b = 5 }, { a = 1, b = 2, d = { 4 } } } "
        "common, specifics, isSpecific = separateTables(input)");
    EXPECT_EQ(Text("common"), Text("{ a = 1 }"));
    EXPECT_EQ(Text("specifics"), Text("{ { b = 2, c = 3 }, { b = 5 }, { b = 2, d = { 4 } } }"));
    EXPECT_EQ(Text("isSpecific"), Text("{ b = true, c = true, d = true }"));
    EXPECT_EQ(Text("combineSeparatedTables(common, specifics)"), Text("input"));

    Run("trees = { { resources = { 'X', 'Y' }, k = 1 }, { resources = { 'Y', 'Z' }, k = 1 } } "
        "tc, ts = separateResourceTrees(trees)");
    EXPECT_EQ(Text("tc"), Text("{ k = 1, resources = { 'Y' } }"));
    EXPECT_EQ(Text("ts"), Text("{ { resources = { 'X' } }, { resources = { 'Z' } } }"));
    EXPECT_EQ(Text("combineSeparatedResourceTrees(tc, ts)"),
              Text("{ { resources = { 'Y', 'X' }, k = 1 }, { resources = { 'Y', 'Z' }, k = 1 } }"));
    Run("one = separateResourceTrees({ { resources = { 'Q', 'P' } } })");
    EXPECT_EQ(Text("one.resources"), Text("{ 'Q', 'P' }")) << "a single table keeps its order";
}

TEST_F(ResourceTemplateTest, ATemplateBoundToAnObjectWritesThroughIt)
{
    Run("t = Resources.Object:new{ class = 'Actor' } t:create() t:set('zorder', 4)");
    Object* object = Object::FromLuaObject(Eval("t.handle"));
    auto* actor = dynamic_cast<Actor*>(object);
    ASSERT_NE(actor, nullptr);
    owned.emplace_back(actor);
    EXPECT_EQ(actor->GetZOrder(), 4);
    EXPECT_EQ(Eval("rawget(t, 'zorder')").GetInteger(), 4) << "the template keeps its own copy";
    EXPECT_EQ(Eval("t:get('zorder')").GetInteger(), 4);
    actor->SetZOrder(6);
    EXPECT_EQ(Eval("t:get('zorder')").GetInteger(), 6) << "read through the object";
    Run("t:detach()");
    EXPECT_EQ(Eval("t:get('zorder')").GetInteger(), 4);
    EXPECT_NE(FailureOf([&] { Run("t:set('zorder', nil)"); }).find("nil value passed for key zorder"),
              std::string::npos);
    EXPECT_NE(FailureOf([&] { Run("t:attach({})"); }).find("Error: Can only attach userdata to Objects"),
              std::string::npos);
}
