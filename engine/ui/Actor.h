#pragma once

#include "engine/core/Color.h"
#include "engine/core/Object.h"
#include "engine/core/Point.h"
#include "engine/core/Rect.h"
#include "engine/core/Script.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

class Actor;
class ActorGroup;
class Animation;
class Canvas;
class FlattenedActor;
class Image;
class LayoutManager;

// Tree-inherited actor flags. AddChild passes a parent's flags, masked by its
// inherit mask, to the whole subtree of a new child.
enum ActorFlags : std::uint32_t
{
    ACTORFLAG_UPDATE_WHILE_PAUSED = 2,
    ACTORFLAG_NOT_DRAWN_BY_PARENT = 4,
};

// Bits of an actor's colour mode.
enum ActorColorMode : std::uint32_t
{
    COLORMODE_IMAGE = 2,           // an image was set
    COLORMODE_DEFAULT = 4,
    COLORMODE_FILL = 8,            // drawn as a rectangle of the colour
    COLORMODE_BLIT_FLAG = 16,      // handed to the renderer with the image
    COLORMODE_COMBINED_ALPHA = 32, // "useCombinedAlpha"
};

enum FadeMode
{
    FADE_NONE = 0,
    FADE_OUT = 1,
    FADE_IN = 2,
    FADE_IN_THEN_OUT = 3,
};

// The screen's registry of layered actors: a screen draws those itself, layer
// by layer, and their parents skip them.
class LayerOwner
{
public:
    virtual ~LayerOwner() = default;
    virtual void RegisterLayeredActor(Actor* actor) = 0;
    virtual void UnregisterLayeredActor(Actor* actor) = 0;
    virtual void MoveLayeredActor(Actor* actor, int oldLayer, int newLayer) = 0;
};

// Points of a rectangle; halves are whole pixels, rounded down.
inline Point<int> GetRectBottomLeft(const Rect& r) { return Point<int>(r.x, r.y + r.h); }
inline Point<int> GetRectBottomRight(const Rect& r) { return Point<int>(r.x + r.w, r.y + r.h); }
inline Point<int> GetRectMidLeft(const Rect& r) { return Point<int>(r.x, r.y + r.h / 2); }
inline Point<int> GetRectMidRight(const Rect& r) { return Point<int>(r.x + r.w, r.y + r.h / 2); }
inline Point<int> GetRectBottomCenter(const Rect& r) { return Point<int>(r.x + r.w / 2, r.y + r.h); }

// A walk over actors in some drawing order, topmost first.
class ActorIterator
{
public:
    virtual ~ActorIterator() = default;
    virtual Actor* GetValue() const = 0;
    // True while the walk is not finished.
    virtual bool HasValue() const = 0;
    virtual void Advance() = 0;
};

// An actor's drawing order from the topmost child to the lowest; children the
// actor does not draw itself (layered ones, those marked not drawn by the
// parent) are left out. The walk sees the children as they were when it began.
class ReverseDrawListIterator : public ActorIterator
{
public:
    explicit ReverseDrawListIterator(const Actor& actor);
    bool HasValue() const override { return m_Position < m_Actors.size(); }
    Actor* GetValue() const override { return m_Actors[m_Position]; }
    void Advance() override { ++m_Position; }

private:
    std::vector<Actor*> m_Actors;
    std::size_t m_Position = 0;
};

// The node of the scene graph: a position and size in its parent, an image or a
// colour fill, children drawn in z-order around its own image, scripts run once
// per frame, and event links (listeners, group memberships and the receivers of
// the events it raises itself).
class Actor : public Object
{
    VELK_DECLARE_CLASS(Actor)
public:
    using ChildList = std::list<Actor*>;

    Actor();
    // Built from the resource table {resource = name}.
    explicit Actor(const std::string& resourceName);
    // A rectangle filled with the colour.
    explicit Actor(const Color& color);
    ~Actor() override;

    // A default actor with the named resource applied.
    static Actor* Create(const std::string& resourceName);
    // Actor(name) at (x, y) with the z-order; the receiver, when given, gets the
    // events the actor raises.
    static Actor* CreateAt(const std::string& resourceName, int x, int y, int zorder, EventReceiver* receiver);
    static Actor* CreateRectangle(const Color& color, int x, int y, int w, int h, int zorder,
                                  EventReceiver* receiver);


    // ---- Object
    // HandleEvent: own state and handlers, then the listeners in order, then the
    // children from the topmost down; the first that handles it ends the walk.
    bool OnEvent(const EventRecord& event) override;
    void Destroy() override;
    // Leaves its parent's children.
    void DetachBeforeDeletion() override;
    void Update() override;
    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    void StoreProperties(LuaObject& table) override;
    void StoreClassAndName(LuaObject& table) override;
    void ApplyResource(const std::string& name, const CoreHost::ResourceEntry& entry) override;
    bool OnTimer(const EventRecord& event) override;

    // ---- properties and construction
    virtual void ApplyPropertyTable(const LuaObject& table);
    // Takes the image (null for none).
    virtual void SetImage(std::unique_ptr<Image> image, const std::string& name);
    // An image resource by name; an empty name leaves the actor without image.
    void SetImageFromName(const std::string& name);
    // The image drawn: the rotated copy when there is one, else the own image.
    Image* GetImage() const;
    Image* GetOwnImage() const { return m_Image.get(); }
    const std::string& GetImageName() const { return m_ImageName; }
    void SetFrame(int frame);
    int GetFrame() const { return m_Frame; }
    void SetAlpha(std::uint8_t alpha);
    std::uint8_t GetAlpha() const { return m_Alpha; }
    void SetColor(const Color& color);
    const Color& GetColor() const { return m_Color; }
    std::uint32_t GetColorMode() const { return m_ColorMode; }
    void SetColorMode(std::uint32_t mode) { m_ColorMode = mode; }
    // An integer or a shader type's name.
    void SetShaderType(const LuaObject& value);
    void SetShaderType(int shaderType) { m_ShaderType = shaderType; }
    int GetShaderType() const { return m_ShaderType; }
    void SetLayer(int layer);
    int GetLayer() const { return m_Layer; }
    bool HasLayer() const { return m_LayerSet; }
    LayerOwner* GetLayerOwner() const { return m_LayerOwner; }
    // Gives the actor and its subtree this layer owner (a screen sets itself).
    void SetLayerOwner(LayerOwner* owner);
    void SetRolloverable(bool on);
    bool IsRolloverable() const { return m_Rolloverable; }
    int GetNumRolloverableChildren() const { return m_NumRolloverableChildren; }
    void AdjustRolloverableChildren(int by);
    // Null when none is set or the one set has been deleted.
    LayoutManager* GetLayoutManager() const;
    void SetLayoutManager(LayoutManager* manager);

    // ---- position and size
    void SetPosition(int x, int y);
    void SetSize(int w, int h);
    int GetX() const { return m_X; }
    int GetY() const { return m_Y; }
    int GetWidth() const { return m_W; }
    int GetHeight() const { return m_H; }
    void SetAlignment(RectAlignment alignment);
    void SetAlignTo(RectAlignment alignTo);
    void SetAlignmentOffset(int x, int y);
    Point<int> GetAlignmentOffset() const { return Point<int>(m_AlignmentOffsetX, m_AlignmentOffsetY); }
    RectAlignment GetAlignment() const { return m_Alignment; }
    RectAlignment GetAlignTo() const { return m_AlignTo; }
    // Places the actor by its alignment in its parent, then its subtree.
    void UpdateAlignment();
    virtual Point<int> GetPosition() const { return Point<int>(m_X, m_Y); }
    Rect GetLocalRect() const;
    Rect GetGlobalRect() const;
    Point<int> LocalToGlobal(const Point<int>& point) const;
    Point<int> GlobalToLocal(const Point<int>& point) const;
    // Whether the screen rectangle touches or overlaps the global rectangle, edges included.
    virtual bool ContainsPoint(const Rect& rect) const;
    // Whether the screen point lies on the actor (right and bottom edges
    // excluded; by the image's pixels when the actor is not rectangular).
    virtual bool ContainsGlobalPoint(int x, int y) const;
    // The extent of the actor and its whole subtree from its origin.
    Point<int> GetTotalSize() const;

    // ---- tree
    // The name, when not empty, becomes the child's name.
    virtual void AddChild(Actor* child, const std::string& name = std::string());
    // Puts a parentless child at the end of the list whatever its z-order, with
    // no layout: for the many short-lived children of an effect.
    void AppendChild(Actor* child);
    virtual void RemoveChild(Actor* child);
    virtual void SetParent(Actor* parent);
    Actor* GetParent() const { return m_Parent; }
    const ChildList& GetChildren() const { return m_Children; }
    std::size_t GetNumChildren() const { return m_Children.size(); }
    void SetZOrder(int zorder);
    int GetZOrder() const { return m_ZOrder; }
    void DestroyChild(Actor* child);
    void DestroyChildren();
    bool HasChild(const Actor* child, bool recursive) const;
    Actor* FindChild(const std::string& name, bool recursive = false) const;
    Actor* FindVisibleChild(const std::string& name, bool recursive = false) const;
    // The actor's Lua property, else its parent's, up the chain.
    LuaObject GetInheritedProperty(const std::string& name);
    virtual void SetVisible(bool visible, bool recursive = false);
    bool IsVisible() const { return m_Visible; }
    bool IsNonrectangular() const { return m_IsNonrectangular; }
    std::uint32_t GetFlags() const { return m_Flags; }
    void SetFlags(std::uint32_t flags) { m_Flags = flags; }
    std::uint32_t GetInheritMask() const { return m_InheritMask; }
    void SetInheritMask(std::uint32_t mask) { m_InheritMask = mask; }
    bool IsUpdating() const { return m_Updating; }
    void SetUpdating(bool updating) { m_Updating = updating; }
    bool IsKeptByParent() const { return m_KeptByParent; }
    void SetKeptByParent(bool kept) { m_KeptByParent = kept; }
    // The caller owns the walk.
    virtual std::unique_ptr<ActorIterator> CreateReverseDrawIterator() const;

    // ---- update and drawing
    void UpdateChildren();
    virtual void Draw(Canvas& canvas);
    virtual void DrawImage(Canvas& canvas);

    // ---- scripts
    // A script from a name, a function or a script table, with the actor as
    // its first argument; it first runs at the next update.
    Script* AddScript(const LuaObject& scriptSource, const std::string& tag);
    Script* RunScript(const std::string& scriptName, const std::string& tag);
    void RunScripts();
    int FindScriptsWithTag(const std::string& tag, std::vector<Script*>* out) const;
    void StopScriptsWithTag(const std::string& tag);
    void StopAllScripts();
    void StopScript(Script* script);
    const std::vector<Script*>& GetScripts() const { return m_Scripts.GetScripts(); }

    // ---- listeners, groups and receivers
    virtual void AddEventListener(Object* receiver);
    void RemoveEventListener(Object* receiver);
    virtual void AddSecondaryListener(ActorGroup* group);
    virtual void RemoveListener(ActorGroup* group);
    const std::vector<Object*>& GetListeners() const { return m_Listeners; }
    const std::vector<ActorGroup*>& GetMemberships() const { return m_Memberships; }
    // The first listener of that name; with recursive, the children's next, depth first.
    Object* FindGroup(const std::string& name, bool recursive) const;
    void AddToGroup(EventReceiver* receiver);
    void RemoveFromGroup(EventReceiver* receiver);
    bool HasReceivers() const { return !m_Receivers.group.Empty(); }
    // Who receives the events the actor raises, in order.
    const std::vector<EventReceiver*>& GetReceivers() const { return m_Receivers.group.GetReceivers(); }
    // {type, code 0, data}, sent at once or posted to the actor's receivers.
    void RaiseEvent(int type, void* data, bool immediately);

    // ---- slides, fades, rotation and flattening
    void SlideTo(const Point<int>& dest, int duration);
    bool IsSliding() const { return m_Sliding; }
    void FadeOut(int duration, bool destroyAtEnd);
    void FadeIn(int duration);
    void FadeInThenOut(int duration);
    void StopFade();
    int GetFadeMode() const { return m_FadeMode; }
    std::uint32_t GetFadeTimerID() const { return m_FadeTimerID; }
    // A negative rotationAlignment keeps the stored one.
    void SetRotation(double angle, int rotationAlignment, bool force);
    double GetRotation() const { return m_Rotation; }
    Point<int> GetOverrideOffset() const { return Point<int>(m_OverrideOffsetX, m_OverrideOffsetY); }
    void Flatten(int x, int y, int w, int h);
    void ReFlatten();
    void Unflatten();
    FlattenedActor* GetFlattenedActor() const { return m_FlattenedActor.get(); }

    // ---- animation
    Animation* GetAnimation() const { return m_Animation; }
    // The animation child drops out (it is going away).
    void ForgetAnimation(Animation* animation);

protected:
    friend void ActorClassHook(Class* c);
    friend class FlattenedActor;

    // A walk over the children that survives their removal: RemoveChild moves
    // each live walk past the entry it takes out.
    struct ChildWalk
    {
        ChildWalk(Actor& owner, bool reverse);
        ~ChildWalk();
        Actor* Next();
        void Skip(ChildList::iterator removed);

        Actor& owner;
        bool reverse;
        ChildList::iterator next;
        ChildWalk* outer;
    };

    // Draws one frame of the image at the canvas origin by the actor's alpha and shader.
    void DrawImageFrame(Canvas& canvas, Image* image, int frame, int x, int y);
    void PlayAnimation(const std::string& name, bool loop);

private:
    // Forwards to the group; an Object so that events queued for it are
    // dropped when the actor goes.
    struct Receivers : public Object
    {
        bool OnEvent(const EventRecord& event) override { return group.OnEvent(event); }
        EventReceiverGroup group;
    };

    void InsertChildByZOrder(Actor* child);
    void UnlinkChild(Actor* child);
    void InheritFlags(std::uint32_t flags);
    void LeaveAllGroups();
    void ReleaseImages();
    void UpdateSlide();
    void UpdateFade();
    void StartFade(int mode, int duration);
    void SetAlphaOfImages(std::uint8_t alpha);
    void ApplyColorProperty(const LuaObject& value);
    void ApplyGroupsProperty(const LuaObject& value);
    void ApplyChildrenProperty(const LuaObject& value);
    void RequestRolloverReset() const;

    // member setters of the script properties
    void SetAlignmentOffsetProperty(const LuaObject& value);
    void SetAlphaProperty(const LuaObject& value);
    void SetLayoutManagerProperty(const LuaObject& value);
    void SetZOrderProperty(const LuaObject& value);
    void SetLayerProperty(const LuaObject& value);
    void SetUseCombinedAlphaProperty(const LuaObject& value);
    void SetVisibleProperty(const LuaObject& value);
    void SetShaderTypeProperty(const LuaObject& value);
    void SetScriptsProperty(const LuaObject& value);

    Actor* m_Parent = nullptr;
    ChildList::iterator m_OwnNode;
    bool m_HasOwnNode = false;
    LayerOwner* m_LayerOwner = nullptr;
    Receivers m_Receivers;
    std::unique_ptr<Image> m_Image;
    std::string m_ImageName;
    std::unique_ptr<Image> m_OverrideImage;
    std::int32_t m_OverrideOffsetX = 0;
    std::int32_t m_OverrideOffsetY = 0;
    std::unique_ptr<FlattenedActor> m_FlattenedActor;
    Animation* m_Animation = nullptr;
    std::int16_t m_X = 0;
    std::int16_t m_Y = 0;
    std::uint16_t m_W = 0;
    std::uint16_t m_H = 0;
    std::int32_t m_ZOrder = 0;
    std::int32_t m_Layer = 0;
    bool m_LayerSet = false;
    RectAlignment m_Alignment = RectAlignment::NoAlignment;
    RectAlignment m_AlignTo = RectAlignment::NoAlignment;
    std::int32_t m_AlignmentOffsetX = 0;
    std::int32_t m_AlignmentOffsetY = 0;
    std::int32_t m_Frame = 0;
    std::uint32_t m_Flags = 0;
    std::uint32_t m_InheritMask = static_cast<std::uint32_t>(-13);
    Color m_Color;
    std::uint32_t m_ColorMode = COLORMODE_DEFAULT;
    std::int32_t m_ShaderType = 0;
    double m_Rotation = 0.0;
    RectAlignment m_RotationAlignment = RectAlignment::TopLeft;
    bool m_Sliding = false;
    double m_VelocityX = 0.0;
    double m_VelocityY = 0.0;
    double m_ExactX = 0.0;
    double m_ExactY = 0.0;
    std::int32_t m_SlideTicks = 0;
    std::int16_t m_DestX = 0;
    std::int16_t m_DestY = 0;
    bool m_Updating = true;
    bool m_KeptByParent = false;
    bool m_Rolloverable = false;
    std::int32_t m_NumRolloverableChildren = 0;
    ChildList m_Children;
    ChildWalk* m_ChildWalks = nullptr;
    ScriptList m_Scripts{*this};
    std::vector<Object*> m_Listeners;
    std::vector<ActorGroup*> m_Memberships;
    // The groups made by the "groups" property: the actor keeps them alive.
    std::vector<std::unique_ptr<ActorGroup>> m_OwnedGroups;
    // Held through its script self, which reads as nothing once it is deleted.
    LuaObject m_LayoutManager;
    // One the actor made from a script table: the actor keeps it alive.
    std::unique_ptr<Object> m_OwnedLayoutManager;
    std::uint8_t m_Alpha = 255;
    bool m_Visible = true;
    bool m_IsNonrectangular = false;
    std::uint32_t m_FadeTimerID = 0;
    std::uint32_t m_FadeDuration = 0;
    std::int32_t m_FadeTick = 0;
    std::int32_t m_FadeTickCount = 0;
    bool m_DestroyAtEnd = false;
    int m_FadeMode = FADE_NONE;
};

