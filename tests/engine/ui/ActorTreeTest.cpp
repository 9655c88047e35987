// The actor tree: z-order, drawing onto a canvas, finding, coordinates and
// hit tests, alignment, updates, roll-over counts, layers, event routing and
// deletion.

#include "ActorTestSupport.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/ActorTreeBrowser.h"

#include <algorithm>
#include <functional>
#include <optional>

using namespace actortest;

namespace {

class ActorTreeTest : public ActorFixture
{
protected:
    void SetUp() override
    {
        ActorFixture::SetUp();
        AddImage("red3.png", 3, 1, 0xFFFF0000);
        AddImage("blue3.png", 3, 1, 0xFF0000FF);
        AddImage("green2.png", 2, 1, 0xFF00FF00);
        AddImage("white1.png", 1, 1, 0xFFFFFFFF);
    }

    static std::vector<std::string> Names(const Actor& actor)
    {
        std::vector<std::string> names;
        for (Actor* child : actor.GetChildren())
            names.push_back(child->GetName());
        return names;
    }
};

// Records what the actors ask of the renderer.
class RecordingRenderer : public ImageRenderer
{
public:
    struct Call
    {
        int shaderType;
        Rect dest;
        std::uint8_t alpha;
        bool flag;
    };
    Image* GetTargetSurface() override { return nullptr; }
    void DrawCircle(int, int, int, const Color&) override {}
    void DrawImage(Image*, int shaderType, const Rect* destRect, const Rect*, std::uint8_t alpha, float, bool flag,
                   bool) override
    {
        draws.push_back({shaderType, *destRect, alpha, flag});
    }
    void DrawLine(int, int, int, int, const Color&) override {}
    void DrawPie(int, int, int, int, int, const Color&) override {}
    void FillPolygon(const Poly&, const Color&, bool) override {}
    void FillRect(const Rect& rect, const Color& color, bool) override { fills.push_back({rect, color}); }

    std::vector<Call> draws;
    std::vector<std::pair<Rect, Color>> fills;
};

// Records the events offered to it; handles those it is told to.
class Listener : public Object
{
public:
    Listener(std::vector<std::string>& trace, std::string name, bool handles)
        : trace(trace), name(std::move(name)), handles(handles)
    {
    }
    bool OnSelect(const EventRecord&) override
    {
        trace.push_back(name);
        return handles;
    }
    std::vector<std::string>& trace;
    std::string name;
    bool handles;
};

class TracingActor : public Actor
{
public:
    TracingActor(std::vector<std::string>& trace, std::string name, bool handles = false)
        : trace(trace), handles(handles)
    {
        SetName(name);
    }
    bool OnSelect(const EventRecord&) override
    {
        trace.push_back(GetName());
        return handles;
    }
    void Update() override
    {
        trace.push_back(GetName());
        if (onUpdate)
            onUpdate();
        Actor::Update();
    }
    std::vector<std::string>& trace;
    bool handles;
    std::function<void()> onUpdate;
};

class Layers : public LayerOwner
{
public:
    void RegisterLayeredActor(Actor* actor) override { log.push_back("add " + actor->GetName()); }
    void UnregisterLayeredActor(Actor* actor) override { log.push_back("remove " + actor->GetName()); }
    void MoveLayeredActor(Actor* actor, int oldLayer, int newLayer) override
    {
        log.push_back("move " + actor->GetName() + " " + std::to_string(oldLayer) + ">" + std::to_string(newLayer));
    }
    std::vector<std::string> log;
};

} // namespace

TEST_F(ActorTreeTest, ChildrenStandInZOrderAndTheOwnImageAmongThem)
{
    // Red under its children of z-order 0 and up, over those below 0.
    Actor* parent = Make();
    parent->SetImageFromName("red3.png");
    parent->AddChild(ImageActor("blue3.png", 0, 0, -1, "under"));
    parent->AddChild(ImageActor("white1.png", 2, 0, 2, "top"));
    parent->AddChild(ImageActor("green2.png", 1, 0, 0, "middle"));
    EXPECT_EQ(Names(*parent), (std::vector<std::string>{"under", "middle", "top"}));

    Canvas canvas(3, 1, CANVAS_DESTROY_TARGET);
    parent->Draw(canvas);
    EXPECT_EQ(Rgb(canvas, 0), kRed) << "the child below 0 is under the own image";
    EXPECT_EQ(Rgb(canvas, 1), kGreen);
    EXPECT_EQ(Rgb(canvas, 2), kWhite);
    EXPECT_EQ(canvas.GetStateIndex(), 0u);

    // Equal z-orders keep the order they came in; setting one again moves it last.
    Actor* second = ImageActor("white1.png", 0, 0, 0, "second");
    parent->AddChild(second);
    EXPECT_EQ(Names(*parent), (std::vector<std::string>{"under", "middle", "second", "top"}));
    parent->FindChild("middle")->SetZOrder(0);
    EXPECT_EQ(Names(*parent), (std::vector<std::string>{"under", "second", "middle", "top"}));

    // With every child below 0 the own image comes last.
    Actor* alone = Make();
    alone->SetImageFromName("red3.png");
    alone->AddChild(ImageActor("blue3.png", 0, 0, -5));
    Canvas second_canvas(3, 1, CANVAS_DESTROY_TARGET);
    alone->Draw(second_canvas);
    EXPECT_EQ(Rgb(second_canvas, 1), kRed);
}

TEST_F(ActorTreeTest, WhatIsNotDrawn)
{
    Actor* parent = new Actor;  // destroyed by the last case
    parent->SetSize(3, 1);
    Actor* child = ImageActor("red3.png", 0, 0, 0, "child");
    parent->AddChild(child);
    struct Case
    {
        const char* what;
        std::function<void()> change;
        std::function<void()> undo;
    };
    const Case cases[] = {
        {"hidden parent", [&] { parent->SetVisible(false); }, [&] { parent->SetVisible(true); }},
        {"hidden child", [&] { child->SetVisible(false); }, [&] { child->SetVisible(true); }},
        {"not drawn by the parent", [&] { child->SetFlags(ACTORFLAG_NOT_DRAWN_BY_PARENT); },
         [&] { child->SetFlags(0); }},
        {"being destroyed", [&] { parent->Destroy(); }, [] {}},
    };
    for (const Case& c : cases) {
        c.change();
        Canvas canvas(3, 1, CANVAS_DESTROY_TARGET);
        parent->Draw(canvas);
        EXPECT_EQ(Rgb(canvas, 0), 0u) << c.what;
        c.undo();
    }
    DeleteFlagged();
    // A layered actor is drawn by its screen, and its registration follows the tree.
    Layers layers;
    parent = Make();
    parent->SetLayerOwner(&layers);
    child = ImageActor("red3.png", 0, 0, 0, "child");
    child->SetLayer(3);
    EXPECT_TRUE(layers.log.empty()) << "no owner yet";
    parent->AddChild(child);
    child->SetLayer(5);
    Canvas canvas(3, 1, CANVAS_DESTROY_TARGET);
    parent->Draw(canvas);
    EXPECT_EQ(Rgb(canvas, 0), 0u);
    parent->RemoveChild(child);
    EXPECT_EQ(layers.log, (std::vector<std::string>{"add child", "move child 3>5", "remove child"}));
    delete child;
}

TEST_F(ActorTreeTest, ImagesDrawByAlphaShaderAndOffset)
{
    RecordingRenderer renderer;
    Canvas canvas(&renderer, false);
    Actor* actor = Make();
    actor->SetImageFromName("green2.png");
    actor->SetPosition(4, 5);
    actor->GetLuaObject().SetObject("drawOffset", Eval("{1, 2}"));
    actor->SetAlpha(200);
    struct Case
    {
        float factor;
        std::uint32_t flags;
        int shaderType;
        int expectedShader;
        int expectedAlpha;
    };
    const Case cases[] = {
        {1.0f, 0, 0, SHADERTYPE_BLENDPIXELALPHA, 200},
        {0.5f, 0, 0, SHADERTYPE_BLENDCOMBINEDALPHA, 100},
        {0.5f, 0, SHADERTYPE_COPY, SHADERTYPE_BLENDCONSTANTALPHA, 100},
        {0.0f, 0, 0, SHADERTYPE_BLENDPIXELALPHA, 0},
        {0.5f, CANVAS_COMPOSE_ALPHA, 0, SHADERTYPE_COMPOSITE, 100},
        {1.0f, 0, SHADERTYPE_BLENDCOMBINEDALPHA, SHADERTYPE_BLENDCOMBINEDALPHA, 200},
    };
    for (const Case& c : cases) {
        renderer.draws.clear();
        canvas.GetState().alpha = c.factor;
        canvas.GetState().flags = c.flags;
        actor->SetShaderType(c.shaderType);
        actor->Draw(canvas);
        ASSERT_EQ(renderer.draws.size(), 1u);
        EXPECT_EQ(renderer.draws[0].shaderType, c.expectedShader) << c.factor;
        EXPECT_EQ(renderer.draws[0].alpha, c.expectedAlpha) << c.factor;
        EXPECT_EQ(renderer.draws[0].dest, Rect(5, 7, 2, 1));
    }

    // A fill takes the actor's alpha in place of the colour's.
    canvas.GetState() = Canvas::DrawState();
    Actor* fill = Make(Color(10, 20, 30, 255));
    fill->SetSize(3, 2);
    fill->SetAlpha(100);
    fill->Draw(canvas);
    ASSERT_EQ(renderer.fills.size(), 1u);
    EXPECT_EQ(renderer.fills[0].first, Rect(0, 0, 3, 2));
    EXPECT_EQ(renderer.fills[0].second, Color(10, 20, 30, 100));
}

TEST_F(ActorTreeTest, FindingChildren)
{
    Actor* root = Make();
    Actor* a = new Actor;
    a->SetName("a");
    root->AddChild(a);
    a->AddChild(new Actor, "x");
    a->FindChild("x")->SetVisible(false);
    Actor* b = new Actor;
    root->AddChild(b, "b");
    b->AddChild(new Actor, "x");

    EXPECT_EQ(root->FindChild("x"), nullptr);
    EXPECT_EQ(root->FindChild("x", true), a->FindChild("x")) << "depth first, in child order";
    EXPECT_EQ(root->FindVisibleChild("x", true), b->FindChild("x"));
    EXPECT_TRUE(root->HasChild(b->FindChild("x"), true));
    EXPECT_FALSE(root->HasChild(b->FindChild("x"), false));
    a->FindChild("x")->Destroy();
    EXPECT_EQ(root->FindChild("x", true), b->FindChild("x")) << "an actor being destroyed is not found";

    a->StoreProperty("theme", Eval("'dark'"));
    EXPECT_EQ(b->FindChild("x")->GetInheritedProperty("theme").IsNil(), true);
    EXPECT_EQ(a->FindChild("x") == nullptr, true);
    Actor* leaf = new Actor;
    a->AddChild(leaf);
    EXPECT_EQ(leaf->GetInheritedProperty("theme").GetString(), "dark");

    EXPECT_EQ(FailureOf([&] { a->AddChild(root); }),
              "Assertion failed: (ancestor != child)\nMessage: An actor cannot become a child of itself or of its "
              "own subtree.");
    EXPECT_EQ(FailureWithFunctionOf([&] { root->DestroyChild(nullptr); }),
              "Actor::DestroyChild: Assertion failed: (child!=0)\nMessage: Actor::DestroyChild child = NULL");
}

TEST_F(ActorTreeTest, CoordinatesAndHitTests)
{
    Actor* root = Make();
    root->SetPosition(100, 100);  // the root's own position is not counted
    root->SetSize(200, 200);
    Actor* panel = new Actor;
    panel->SetPosition(10, 20);
    root->AddChild(panel);
    Actor* button = new Actor(Color(1, 1, 1));
    button->SetPosition(5, 5);
    button->SetSize(4, 3);
    panel->AddChild(button);

    EXPECT_EQ(button->GetGlobalRect(), Rect(15, 25, 4, 3));
    EXPECT_EQ(button->LocalToGlobal(Point<int>(1, 1)), Point<int>(16, 26));
    EXPECT_EQ(button->GlobalToLocal(Point<int>(16, 26)), Point<int>(1, 1));
    EXPECT_EQ(button->GetTotalSize(), Point<int>(4, 3));
    EXPECT_EQ(panel->GetTotalSize(), Point<int>(9, 8));

    struct Case
    {
        int x, y;
        bool touches;  // ContainsPoint, edges included
        bool inside;   // ContainsGlobalPoint, right and bottom edges excluded
    };
    const Case cases[] = {
        {15, 25, true, true}, {18, 27, true, true}, {19, 25, true, false},
        {15, 28, true, false}, {14, 25, false, false}, {20, 25, false, false},
        {15, 24, false, false}, {15, 29, false, false}, {18, 24, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(button->ContainsPoint(Rect(static_cast<std::int16_t>(c.x), static_cast<std::int16_t>(c.y), 0, 0)),
                  c.touches)
            << c.x << "," << c.y;
        EXPECT_EQ(button->ContainsGlobalPoint(c.x, c.y), c.inside) << c.x << "," << c.y;
    }
    EXPECT_TRUE(button->ContainsPoint(Rect(0, 0, 15, 25))) << "rectangles that touch";

    // A non-rectangular actor is hit only where its frame's pixels are not transparent.
    AddImagePixels("ring.png", 2, 1, {0x00000000, 0xFF00FF00, 0xFF00FF00, 0x00000000}, 2);
    Actor* ring = new Actor;
    ring->SetImageFromName("ring.png");
    ring->GetLuaObject().SetObject("isNonrectangular", Eval("true"));
    root->AddChild(ring);
    EXPECT_FALSE(ring->ContainsGlobalPoint(0, 0));
    EXPECT_TRUE(ring->ContainsGlobalPoint(1, 0));
    // Larger than its frame, it ends with the frame: the next frame's pixels are not its own.
    ring->SetSize(3, 2);
    EXPECT_FALSE(ring->ContainsGlobalPoint(2, 0));
    EXPECT_FALSE(ring->ContainsGlobalPoint(1, 1));
    ring->SetFrame(1);
    EXPECT_TRUE(ring->ContainsGlobalPoint(0, 0));
    EXPECT_FALSE(ring->ContainsGlobalPoint(1, 0));
}

TEST_F(ActorTreeTest, AlignmentPlacesTheActorInItsParent)
{
    Actor* parent = Make();
    parent->SetSize(100, 50);
    Actor* child = new Actor;
    child->SetSize(10, 6);
    child->SetPosition(1, 2);
    parent->AddChild(child);
    struct Case
    {
        const char* alignment;
        const char* alignTo;
        int offsetX, offsetY;
        int x, y;
    };
    const Case cases[] = {
        {"Center", "NoAlignment", 0, 0, 45, 22},   {"TopLeft", "Center", 0, 0, 50, 25},
        {"BottomRight", "NoAlignment", 0, 0, 90, 44}, {"MidTop", "MidBottom", 3, -4, 48, 46},
        {"TopRight", "TopRight", 0, 0, 90, 0},
    };
    for (const Case& c : cases) {
        child->ApplyProperty("alignTo", Eval(std::string("'") + c.alignTo + "'"));
        child->ApplyProperty("alignmentOffset", Eval("{" + std::to_string(c.offsetX) + "," +
                                                     std::to_string(c.offsetY) + "}"));
        child->ApplyProperty("alignment", Eval(std::string("'") + c.alignment + "'"));
        EXPECT_EQ(child->GetX(), c.x) << c.alignment << " to " << c.alignTo;
        EXPECT_EQ(child->GetY(), c.y) << c.alignment << " to " << c.alignTo;
    }
    child->ApplyProperty("position", Eval("{1, 1}"));
    EXPECT_EQ(child->GetX(), 1) << "a position is taken as it is";
    child->ApplyProperty("size", Eval("{20, 10}"));
    EXPECT_EQ(child->GetX(), 80) << "a new size realigns";
    // The subtree follows its parent's new size.
    Actor* grandchild = new Actor;
    grandchild->SetSize(2, 2);
    grandchild->SetAlignment(RectAlignment::Center);
    child->AddChild(grandchild);
    child->SetSize(30, 10);
    EXPECT_EQ(grandchild->GetX(), 14);
    EXPECT_EQ(FailureOf([&] { child->ApplyProperty("alignment", Eval("'Middle'")); }),
              "Assertion failed: (false)\nMessage: Cannot create a RectAlignment from string \"Middle\"");
}

TEST_F(ActorTreeTest, UpdateRunsChildrenThenScriptsAndSurvivesRemovals)
{
    std::vector<std::string> trace;
    Run("Scripts.Note = function(actor) table.insert(_notes, actor.name) end _notes = {}");
    auto* root = new TracingActor(trace, "root");
    owned.emplace_back(root);
    root->RunScript("Note", "");
    auto* a = new TracingActor(trace, "a");
    auto* b = new TracingActor(trace, "b");
    auto* c = new TracingActor(trace, "c");
    auto* d = new TracingActor(trace, "d");
    for (Actor* child : {static_cast<Actor*>(a), static_cast<Actor*>(b), static_cast<Actor*>(c),
                         static_cast<Actor*>(d)})
        root->AddChild(child);
    b->RunScript("Note", "");
    // "a" takes its next sibling away and "c" moves itself to the end, where
    // the walk meets it again; nobody else is skipped or repeated.
    bool firstPass = true;
    a->onUpdate = [&] {
        if (firstPass)
            root->RemoveChild(b);
    };
    c->onUpdate = [&] {
        if (firstPass && c->GetZOrder() == 0)
            c->SetZOrder(5);
    };
    Pass(root);
    firstPass = false;
    EXPECT_EQ(trace, (std::vector<std::string>{"root", "a", "c", "d", "c"}));
    EXPECT_EQ(Eval("table.concat(_notes, ',')").GetString(), "root") << "children first, then the own scripts";
    delete b;

    // Paused, only the actors marked to run during the pause (and their subtrees) update.
    trace.clear();
    auto* marked = new TracingActor(trace, "marked");
    marked->SetFlags(ACTORFLAG_UPDATE_WHILE_PAUSED);
    marked->AddChild(new TracingActor(trace, "inherits"));
    root->AddChild(marked);
    d->SetUpdating(false);
    app->SetFlags(APPFLAG_GAME_PAUSED);
    Pass(root);
    EXPECT_EQ(trace, (std::vector<std::string>{"root", "marked", "inherits"}));
    app->SetFlags(0);
    trace.clear();
    Pass(root);
    EXPECT_EQ(trace, (std::vector<std::string>{"root", "a", "marked", "inherits", "c"}));
}

TEST_F(ActorTreeTest, RolloverableCountsFollowTheTree)
{
    Actor* root = Make();
    Actor* panel = new Actor;
    root->AddChild(panel);
    Actor* button = new Actor;
    button->SetRolloverable(true);
    Actor* other = new Actor;
    other->AddChild(button);
    EXPECT_EQ(other->GetNumRolloverableChildren(), 1);
    panel->AddChild(other);
    EXPECT_EQ(root->GetNumRolloverableChildren(), 1);
    button->SetRolloverable(false);
    EXPECT_EQ(panel->GetNumRolloverableChildren(), 0);
    button->SetRolloverable(true);
    root->RemoveChild(panel);
    EXPECT_EQ(root->GetNumRolloverableChildren(), 0);
    EXPECT_EQ(panel->GetNumRolloverableChildren(), 1);
    root->AddChild(panel);

    EXPECT_EQ(FailureWithFunctionOf([&] { root->AdjustRolloverableChildren(-2); }),
              "Actor::AdjustRolloverableChildren: Assertion failed: (m_NumRolloverableChildren >= 0)\nMessage: "
              "adjustBy = -2, m_NumRolloverableChildren = -2");
    EXPECT_EQ(root->GetNumRolloverableChildren(), 1) << "a refused adjustment changes nothing";
}

TEST_F(ActorTreeTest, EventsGoToHandlersThenListenersThenChildrenTopmostFirst)
{
    std::vector<std::string> trace;
    auto* root = new TracingActor(trace, "root");
    owned.emplace_back(root);
    Listener first(trace, "listener 1", false), second(trace, "listener 2", false);
    root->AddEventListener(&first);
    root->AddEventListener(&second);
    root->AddChild(new TracingActor(trace, "low"));
    auto* high = new TracingActor(trace, "high");
    high->SetZOrder(3);
    root->AddChild(high);
    root->AddChild(new TracingActor(trace, "middle"));

    EventRecord select = MakeEventRecord(VELK_SELECT);
    EXPECT_FALSE(root->OnEvent(select));
    EXPECT_EQ(trace, (std::vector<std::string>{"root", "listener 1", "listener 2", "high", "middle", "low"}));

    trace.clear();
    high->handles = true;
    EXPECT_TRUE(root->OnEvent(select));
    EXPECT_EQ(trace, (std::vector<std::string>{"root", "listener 1", "listener 2", "high"}));
    trace.clear();
    second.handles = true;
    EXPECT_TRUE(root->OnEvent(select));
    EXPECT_EQ(trace, (std::vector<std::string>{"root", "listener 1", "listener 2"}));
}

TEST_F(ActorTreeTest, DeletionTakesAnActorOutOfItsParent)
{
    Actor* root = Make();
    Actor* doomed = new Actor;
    doomed->SetRolloverable(true);
    root->AddChild(doomed, "doomed");
    Actor* grandchild = new Actor;
    doomed->AddChild(grandchild, "grandchild");
    doomed->Destroy();
    EXPECT_EQ(doomed->GetNumChildren(), 0u) << "its children are destroyed with it";
    EXPECT_EQ(host->flagged.size(), 2u);
    EXPECT_EQ(root->GetNumChildren(), 1u);
    DeleteFlagged();
    EXPECT_EQ(root->GetNumChildren(), 0u);
    EXPECT_EQ(root->GetNumRolloverableChildren(), 0);

    // An actor deleted outright leaves its parent whole, and children that
    // outlive it (kept ones, and one waiting for the deletion phase) no longer
    // point at it.
    Actor* parent = new Actor;
    root->AddChild(parent);
    Actor* quitter = new Actor;
    parent->AddChild(quitter);
    Actor* kept = new Actor;
    kept->SetKeptByParent(true);
    parent->AddChild(kept);
    quitter->Destroy();
    delete parent;
    EXPECT_EQ(root->GetNumChildren(), 0u);
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(quitter->GetParent(), nullptr);
    DeleteFlagged();
    delete kept;
}

TEST_F(ActorTreeTest, DrawIteratorAndTreeBrowser)
{
    Actor* root = Make();
    root->AddChild(new Actor, "low");
    Actor* layered = new Actor;
    layered->SetLayer(2);
    root->AddChild(layered, "layered");
    Actor* high = new Actor;
    high->SetZOrder(1);
    root->AddChild(high, "high");
    std::vector<std::string> order;
    for (auto it = root->CreateReverseDrawIterator(); it->HasValue(); it->Advance())
        order.push_back(it->GetValue()->GetName());
    EXPECT_EQ(order, (std::vector<std::string>{"high", "low"}));

    ActorTreeBrowser browser([root] { return root; });
    ClearLogCache();
    PrintActorInfo(std::string("missing"));
    std::vector<std::string> lines = GetCachedLogLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "ERROR: Could not find an actor with name, \"missing\".\n"),
              lines.end());
    ClearLogCache();
    PrintActorInfo(std::nullopt);
    std::string dump;
    for (const std::string& line : GetCachedLogLines())
        dump += line;
    EXPECT_LT(dump.find("low"), dump.find("layered"));
    EXPECT_LT(dump.find("layered"), dump.find("high"));
}
