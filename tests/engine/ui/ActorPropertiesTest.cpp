// Actor construction from templates and the script properties: what each sets,
// the order in which a template and its table apply, and what reads back.

#include "ActorTestSupport.h"
#include "engine/ui/ActorGroup.h"
#include "engine/ui/Animation.h"
#include "engine/ui/LayoutManager.h"

using namespace actortest;

namespace {

class ActorPropertiesTest : public ActorFixture
{
protected:
    void SetUp() override
    {
        ActorFixture::SetUp();
        AddImage("pic.png", 6, 4, 0xFFFF0000);
        AddImage("strip.png", 3, 2, 0xFF00FF00, 4);
    }

    Actor* FromTable(const std::string& table)
    {
        auto* actor = dynamic_cast<Actor*>(ClassManager::GetInstance()->InstantiateObject(Eval(table)));
        EXPECT_NE(actor, nullptr);
        owned.emplace_back(actor);
        return actor;
    }
};

// Lays its container's children out in a row, ten pixels apart.
class RowLayout : public LayoutManager
{
public:
    void LayoutContainer(Actor* container) override
    {
        ++layouts;
        int x = 0;
        for (Actor* child : container->GetChildren()) {
            child->SetPosition(x, 0);
            x += 10;
        }
    }
    int layouts = 0;
};

} // namespace

TEST_F(ActorPropertiesTest, TheTableAppliesAfterItsTemplatesAndTheLastOfImageAndColorDecides)
{
    Run("Resources.Filled = Resources.Object:new{ class = 'Actor', color = {1, 2, 3}, x = 2 } "
        "Resources.Pictured = Resources.Object:new{ class = 'Actor', image = 'pic.png' }");

    Actor* a = FromTable("{ resource = 'Filled', x = 1, image = 'strip.png' }");
    EXPECT_EQ(a->RetrieveIntegerProperty("x", 0), 1);
    EXPECT_EQ(a->GetColorMode() & COLORMODE_FILL, 0u) << "the table's image comes after the template's colour";
    EXPECT_EQ(a->GetImageName(), "strip.png");

    Actor* b = FromTable("{ resource = 'Pictured', color = {1, 2, 3} }");
    EXPECT_EQ(b->GetColorMode(), 12u);
    EXPECT_EQ(b->GetOwnImage(), nullptr);
    EXPECT_EQ(b->GetWidth(), 6) << "the fill keeps the picture's size";
    EXPECT_EQ(b->GetColor(), Color(1, 2, 3));

    // Actor(name) applies {resource = name}; the template names are recorded.
    Actor* c = Make("Pictured");
    EXPECT_EQ(c->GetImageName(), "pic.png");
    EXPECT_EQ(c->GetWidth(), 6);
    EXPECT_EQ(c->GetHeight(), 4);
    EXPECT_EQ(c->RetrieveProperty("resources")[1].GetString(), "Pictured");
    // A picture is a resource too.
    Actor* d = Make("strip.png");
    EXPECT_EQ(d->GetImageName(), "strip.png");
    EXPECT_EQ(d->GetWidth(), 3);
}

TEST_F(ActorPropertiesTest, ImageAndColorProperties)
{
    Actor* actor = Make();
    LuaObject self = actor->GetLuaObject();
    auto set = [&](const char* name, const std::string& expression) { self.SetObject(name, Eval(expression)); };

    set("image", "'pic.png'");
    EXPECT_EQ(actor->GetColorMode(), static_cast<std::uint32_t>(COLORMODE_DEFAULT | COLORMODE_IMAGE));
    EXPECT_TRUE(self["color"].IsNil()) << "an actor showing an image has no colour to read";
    EXPECT_EQ(self["image"].GetString(), "pic.png");

    set("color", "'Green'");
    EXPECT_EQ(actor->GetColorMode(), 12u);
    EXPECT_EQ(actor->GetOwnImage(), nullptr);
    EXPECT_EQ(actor->GetWidth(), 6);
    EXPECT_EQ(self["color"].GetString(), "Green");
    EXPECT_EQ(self["size"]["x"].GetInteger(), 6);

    set("color", "true");
    EXPECT_EQ(actor->GetColorMode(), 12u);
    set("color", "false");
    EXPECT_EQ(actor->GetColorMode(), 4u);

    set("image", "'strip.png'");
    EXPECT_EQ(actor->GetWidth(), 3) << "an image takes its frame size";
    set("image", "''");
    EXPECT_EQ(actor->GetOwnImage(), nullptr);
    EXPECT_EQ(actor->GetWidth(), 0);
    EXPECT_EQ(actor->GetHeight(), 0);
    EXPECT_EQ(self["image"].GetString(), "");
}

TEST_F(ActorPropertiesTest, NumbersFlagsAndShaderTypes)
{
    Actor* actor = Make();
    LuaObject self = actor->GetLuaObject();
    auto set = [&](const char* name, const std::string& expression) { actor->ApplyProperty(name, Eval(expression)); };

    set("image", "'strip.png'");
    set("frame", "3");
    EXPECT_EQ(actor->GetFrame(), 3);
    EXPECT_EQ(self["frame"].GetInteger(), 3);
    set("alpha", "300");
    EXPECT_EQ(actor->GetAlpha(), 255);
    set("alpha", "40");
    EXPECT_EQ(actor->GetOwnImage()->GetAlpha(), 40) << "the image shares the actor's alpha";
    set("useCombinedAlpha", "true");
    EXPECT_EQ(actor->GetColorMode() & COLORMODE_COMBINED_ALPHA, static_cast<std::uint32_t>(COLORMODE_COMBINED_ALPHA));
    set("visible", "false");
    EXPECT_FALSE(self["visible"].GetBoolean());
    set("isNonrectangular", "true");
    EXPECT_TRUE(actor->IsNonrectangular());
    set("shaderType", "3");
    EXPECT_EQ(actor->GetShaderType(), 3);
    set("shaderType", "'SHADERTYPE_COPY'");
    EXPECT_EQ(actor->GetShaderType(), 1);
    EXPECT_EQ(FailureWithFunctionOf([&] { actor->SetShaderType(Eval("{}")); }),
              "Actor::SetShaderType: Assertion failed: (false)\nMessage: shaderTypeObject has the unusable type: "
              "table");
    set("zorder", "5");
    EXPECT_EQ(self["zorder"].GetInteger(), 5);

    // A frame the image lacks fails where it is set.
    EXPECT_EQ(FailureWithFunctionOf([&] { actor->SetFrame(4); }),
              "Actor::SetFrame: Assertion failed: ((int)m_Frame < GetImage()->GetNumFrames())");
    actor->SetFrame(3);
    AddImage("single.png", 2, 2, 0xFF0000FF);
    EXPECT_EQ(FailureWithFunctionOf([&] { actor->SetImageFromName("single.png"); }),
              "Actor::SetImage: Assertion failed: ((int)m_Frame < GetImage()->GetNumFrames())");
}

TEST_F(ActorPropertiesTest, ChildrenGroupsScriptsAndLayoutFromTheTable)
{
    Run("Scripts.Mark = function(actor) actor.marked = true end");
    Observer observer;
    Run("Resources.Box = Resources.Object:new{ class = 'Actor', size = {40, 20}, "
        "  groups = { buttons = { class = 'ActorGroup' } }, "
        "  children = { { class = 'Actor', name = 'first', zorder = 1 }, "
        "               { class = 'Actor', name = 'second', alignment = 'Center', size = {10, 10} }, "
        "               lid = { class = 'Actor', zorder = 9 } }, "
        "  scripts = { 'Mark' } }");
    Actor* box = Make("Box");
    ASSERT_EQ(box->GetNumChildren(), 3u);
    std::vector<std::string> names;
    for (Actor* child : box->GetChildren())
        names.push_back(child->GetName());
    EXPECT_EQ(names, (std::vector<std::string>{"second", "first", "lid"})) << "by z-order, then in list order";
    EXPECT_EQ(box->FindChild("second")->GetX(), 15) << "aligned in the parent";

    Object* group = box->FindGroup("buttons", false);
    ASSERT_NE(dynamic_cast<ActorGroup*>(group), nullptr);
    EXPECT_EQ(box->GetListeners().size(), 1u);

    Pass(box);
    EXPECT_TRUE(box->RetrieveBoolProperty("marked", false));

    // Adding a listener tells the observers which group it was.
    box->AttachObserver(VELK_CHILDGROUPADDED, &observer);
    auto* extra = new ActorGroup;
    box->AddEventListener(extra);
    host->DispatchEvents();
    ASSERT_EQ(observer.received.size(), 1u);
    EXPECT_EQ(Object::FromLuaObject((*observer.received[0].payload)["group"]), extra);
    box->DetachObserver(VELK_CHILDGROUPADDED, &observer);
    delete extra;  // not owned by the box
    box->RemoveListener(nullptr);

    // A layout manager lays the actor out at once and whenever a child comes or goes.
    auto* layout = new RowLayout;
    box->GetLuaObject().SetObject("layoutManager", layout->GetLuaObject());
    EXPECT_EQ(layout->layouts, 1);
    EXPECT_EQ(box->FindChild("lid")->GetX(), 20);
    box->AddChild(new Actor, "late");
    EXPECT_EQ(layout->layouts, 2);
    EXPECT_EQ(box->FindChild("late")->GetX(), 10);
    EXPECT_EQ(box->FindChild("lid")->GetX(), 30);
    delete layout;
    EXPECT_EQ(box->GetLayoutManager(), nullptr) << "a deleted manager is never called";
    box->DestroyChild(box->FindChild("late"));
}

TEST_F(ActorPropertiesTest, ClassDefaultsAndWhatIsStored)
{
    LuaObject defaults = state.GetGlobal("Classes")["Actor"]["defaults"];
    ASSERT_TRUE(defaults.IsTable());
    EXPECT_TRUE(defaults["class"].IsNil());
    EXPECT_EQ(defaults["image"].GetString(), "");
    EXPECT_EQ(defaults["zorder"].GetInteger(), 0);
    EXPECT_EQ(defaults["position"]["x"].GetInteger(), 0);
    EXPECT_TRUE(defaults["color"].IsNil()) << "a default actor is not a fill";

    Actor* fill = Make(Color(9, 8, 7));
    fill->SetSize(5, 6);
    fill->SetPosition(2, 3);
    fill->SetName("shade");
    LuaObject stored;
    stored.AssignNewTable(state);
    fill->StoreClassAndName(stored);
    EXPECT_EQ(stored["class"].GetString(), "Actor");
    EXPECT_EQ(stored["name"].GetString(), "shade");
    EXPECT_EQ(stored["size"]["y"].GetInteger(), 6);
    EXPECT_EQ(stored["color"][3].GetInteger(), 7);
    EXPECT_EQ(stored["position"]["x"].GetInteger(), 2);
}

TEST_F(ActorPropertiesTest, ScriptMethods)
{
    Actor* root = Make();
    root->SetSize(100, 100);
    root->SetPosition(50, 50);  // a root's own position is not counted
    Actor* panel = ImageActor("pic.png", 10, 20, 0, "panel");
    root->AddChild(panel);
    panel->AddChild(ImageActor("strip.png", 1, 2, 0, "knob"));
    state.GetGlobals().SetObject("root", root->GetLuaObject());

    EXPECT_TRUE(Eval("root:FindChild('knob')").IsNil());
    EXPECT_EQ(Eval("root:FindChild('knob', true):GetParent():FindChild('knob') == root:RecursiveFind('knob')")
                  .GetBoolean(),
              true);
    EXPECT_EQ(Eval("GetGlobalCenterPoint(root:RecursiveFind('knob')).x").GetInteger(), 10 + 1 + 1);
    EXPECT_EQ(Eval("root:RecursiveFind('knob').globalPosition.y").GetInteger(), 22);

    Run("root:SetVisible(false, true)");
    EXPECT_FALSE(panel->FindChild("knob")->IsVisible());
    EXPECT_TRUE(Eval("root:FindVisibleChild('panel')").IsNil());
    Run("root:RecursiveFind('knob').globalPosition = {40, 40}");
    EXPECT_EQ(panel->FindChild("knob")->GetX(), 30) << "screen coordinates into the parent's";

    Run("root:FindChild('panel'):SlideTo({0, 0}, 64)");
    EXPECT_TRUE(Eval("root:FindChild('panel'):IsSliding()").GetBoolean());
    Run("root:FindChild('panel'):Destroy()");
    EXPECT_TRUE(Eval("root:FindChild('panel')").IsNil()) << "an actor being destroyed is not found";
    EXPECT_EQ(root->GetNumChildren(), 1u) << "it leaves its parent in the deletion phase";
    DeleteFlagged();
    EXPECT_EQ(root->GetNumChildren(), 0u);
}

TEST_F(ActorPropertiesTest, PlayAndLoopAnimationStartAnAnimationChild)
{
    AddImage("walk.png", 2, 2, 0xFF00FF00, 4, "{ Animations = { walk = {0, 1, 2}, spin = {3} } }");
    Actor* walker = Make();
    walker->GetLuaObject().SetObject("image", Eval("'walk.png'"));
    walker->GetLuaObject().SetObject("loopAnimation", Eval("'walk'"));
    Animation* first = walker->GetAnimation();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetParent(), walker);
    EXPECT_TRUE(first->IsPlaying());

    walker->GetLuaObject().SetObject("playAnimation", Eval("'spin'"));
    EXPECT_NE(walker->GetAnimation(), first) << "the new animation replaces the old one";
    EXPECT_EQ(walker->GetFrame(), 3);
    EXPECT_EQ(walker->GetNumChildren(), 1u);
    DeleteFlagged();

    // An animation the picture lacks leaves no child behind.
    EXPECT_EQ(FailureOf([&] { walker->ApplyProperty("playAnimation", Eval("'jump'")); }),
              "Assertion failed: (script.IsTable())\nMessage: Actor does not have a specified animation:\nactor = "
              "\nanimation name = jump");
    EXPECT_EQ(walker->GetNumChildren(), 1u);
}
