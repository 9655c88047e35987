// The actor tree: children in z-order, update and drawing, alignment, hit
// tests, scripts and event links.

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/TimerManager.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/SurfaceManager.h"
#include "engine/ui/Actor.h"
#include "engine/ui/ActorGroup.h"
#include "engine/ui/Animation.h"
#include "engine/ui/FlattenedActor.h"
#include "engine/ui/LayoutManager.h"

#include <algorithm>

namespace {

// Pushes a canvas state and pops it on every way out.
struct CanvasStateScope
{
    explicit CanvasStateScope(Canvas& canvas) : canvas(canvas) { canvas.PushState(); }
    ~CanvasStateScope() { canvas.PopState(); }
    Canvas& canvas;
};

bool IsGamePaused()
{
    Application* app = Application::GetInstance();
    return app && (app->GetFlags() & APPFLAG_GAME_PAUSED) != 0;
}

} // namespace

// ---------------------------------------------------------------- child walks

Actor::ChildWalk::ChildWalk(Actor& owner, bool reverse) : owner(owner), reverse(reverse), outer(owner.m_ChildWalks)
{
    ChildList& children = owner.m_Children;
    next = reverse && !children.empty() ? std::prev(children.end()) : children.begin();
    owner.m_ChildWalks = this;
}

Actor::ChildWalk::~ChildWalk()
{
    owner.m_ChildWalks = outer;
}

Actor* Actor::ChildWalk::Next()
{
    ChildList& children = owner.m_Children;
    if (next == children.end())
        return nullptr;
    ChildList::iterator current = next;
    if (reverse)
        next = current == children.begin() ? children.end() : std::prev(current);
    else
        next = std::next(current);
    return *current;
}

void Actor::ChildWalk::Skip(ChildList::iterator removed)
{
    if (removed != next)
        return;
    ChildList& children = owner.m_Children;
    if (reverse)
        next = removed == children.begin() ? children.end() : std::prev(removed);
    else
        next = std::next(removed);
}

ReverseDrawListIterator::ReverseDrawListIterator(const Actor& actor)
{
    const Actor::ChildList& children = actor.GetChildren();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (!((*it)->GetFlags() & ACTORFLAG_NOT_DRAWN_BY_PARENT) && !(*it)->HasLayer())
            m_Actors.push_back(*it);
}

// ---------------------------------------------------------------- life

Actor::~Actor()
{
    try {
        LeaveAllGroups();
        // The groups this actor made: their members leave them as they go.
        for (auto& group : m_OwnedGroups)
            m_Listeners.erase(std::remove(m_Listeners.begin(), m_Listeners.end(), group.get()), m_Listeners.end());
        m_OwnedGroups.clear();
        ReleaseImages();
        m_FlattenedActor.reset();
        if (m_FadeTimerID)
            if (TimerManager* timers = TimerManager::GetInstance())
                timers->FreeTimer(m_FadeTimerID);
        m_FadeTimerID = 0;
        // Deleted without a walk through RemoveChild, so the parent's list must
        // not keep this entry.
        if (m_Parent)
            m_Parent->RemoveChild(this);
        if (m_LayerSet && m_LayerOwner)
            m_LayerOwner->UnregisterLayeredActor(this);
        m_LayerOwner = nullptr;
        ChildList children;
        children.swap(m_Children);
        for (Actor* child : children) {
            // Children that stay alive (kept, or waiting for the deletion
            // phase) must not point back at this actor.
            child->m_Parent = nullptr;
            child->m_HasOwnNode = false;
            if (child->m_KeptByParent || child->IsBeingDestroyed())
                continue;
            delete child;
        }
        m_NumRolloverableChildren = 0;
        m_Scripts.StopAllScripts();
    } catch (...) {
        LogWrite("WARNING: Actor::~Actor: %s\n", CurrentExceptionMessage().c_str());
    }
}

void Actor::DetachBeforeDeletion()
{
    if (m_Parent)
        m_Parent->RemoveChild(this);
}

void Actor::Destroy()
{
    if (IsBeingDestroyed())
        return;
    LeaveAllGroups();
    DestroyChildren();
    Object::Destroy();
}

void Actor::LeaveAllGroups()
{
    std::vector<ActorGroup*> groups = m_Memberships;
    for (ActorGroup* group : groups) {
        group->DropMember(this);
        RemoveListener(group);
    }
}

void Actor::DestroyChild(Actor* child)
{
    VELK_ASSERT_MSG(child!=0, "Actor::DestroyChild child = NULL");
    RemoveChild(child);
    child->Destroy();
}

void Actor::DestroyChildren()
{
    std::vector<Actor*> doomed;
    for (Actor* child : m_Children)
        if (!child->m_KeptByParent)
            doomed.push_back(child);
    for (Actor* child : doomed)
        DestroyChild(child);
}

// ---------------------------------------------------------------- tree

void Actor::InheritFlags(std::uint32_t flags)
{
    m_Flags |= flags;
    for (Actor* child : m_Children)
        child->InheritFlags(flags);
}

void Actor::AddChild(Actor* child, const std::string& name)
{
    VELK_ASSERT(child != 0);
    for (const Actor* ancestor = this; ancestor; ancestor = ancestor->m_Parent)
        VELK_ASSERT_MSG(ancestor != child, "An actor cannot become a child of itself or of its own subtree.");
    if (!name.empty())
        child->SetName(name);
    child->InheritFlags(m_Flags & m_InheritMask);
    if (child->m_Parent)
        child->m_Parent->RemoveChild(child);
    child->SetParent(this);
    InsertChildByZOrder(child);
    if (LayoutManager* layout = GetLayoutManager())
        layout->LayoutContainer(this);
    int rolloverable = child->m_NumRolloverableChildren + (child->m_Rolloverable ? 1 : 0);
    if (rolloverable)
        AdjustRolloverableChildren(rolloverable);
}

void Actor::AppendChild(Actor* child)
{
    VELK_ASSERT(child != 0);
    VELK_ASSERT(child->m_Parent == nullptr);
    child->InheritFlags(m_Flags & m_InheritMask);
    child->SetParent(this);
    child->m_OwnNode = m_Children.insert(m_Children.end(), child);
    child->m_HasOwnNode = true;
    int rolloverable = child->m_NumRolloverableChildren + (child->m_Rolloverable ? 1 : 0);
    if (rolloverable)
        AdjustRolloverableChildren(rolloverable);
}

void Actor::RemoveChild(Actor* child)
{
    VELK_ASSERT(child != 0);
    if (child->m_Parent != this)
        return;
    int rolloverable = child->m_NumRolloverableChildren + (child->m_Rolloverable ? 1 : 0);
    if (rolloverable)
        AdjustRolloverableChildren(-rolloverable);
    child->SetParent(nullptr);
    UnlinkChild(child);
    if (LayoutManager* layout = GetLayoutManager())
        layout->LayoutContainer(this);
}

void Actor::InsertChildByZOrder(Actor* child)
{
    // Before the first child of a greater z-order; searched from the end, where
    // most children go.
    auto position = m_Children.end();
    while (position != m_Children.begin() && (*std::prev(position))->m_ZOrder > child->m_ZOrder)
        --position;
    child->m_OwnNode = m_Children.insert(position, child);
    child->m_HasOwnNode = true;
}

void Actor::UnlinkChild(Actor* child)
{
    ChildList::iterator node = child->m_HasOwnNode ? child->m_OwnNode
                                                   : std::find(m_Children.begin(), m_Children.end(), child);
    if (node == m_Children.end())
        return;
    for (ChildWalk* walk = m_ChildWalks; walk; walk = walk->outer)
        walk->Skip(node);
    m_Children.erase(node);
    child->m_HasOwnNode = false;
}

void Actor::SetParent(Actor* parent)
{
    m_Parent = parent;
    SetLayerOwner(parent ? parent->m_LayerOwner : nullptr);
    UpdateAlignment();
}

void Actor::SetLayerOwner(LayerOwner* owner)
{
    if (owner != m_LayerOwner) {
        if (m_LayerSet && m_LayerOwner)
            m_LayerOwner->UnregisterLayeredActor(this);
        m_LayerOwner = owner;
        if (m_LayerSet && m_LayerOwner)
            m_LayerOwner->RegisterLayeredActor(this);
    }
    for (Actor* child : m_Children)
        child->SetLayerOwner(owner);
}

void Actor::SetLayer(int layer)
{
    int old = m_Layer;
    m_Layer = layer;
    if (m_LayerOwner) {
        if (!m_LayerSet)
            m_LayerOwner->RegisterLayeredActor(this);
        else
            m_LayerOwner->MoveLayeredActor(this, old, layer);
    }
    m_LayerSet = true;
}

void Actor::SetZOrder(int zorder)
{
    m_ZOrder = zorder;
    if (!m_Parent)
        return;
    m_Parent->UnlinkChild(this);
    m_Parent->InsertChildByZOrder(this);
}

bool Actor::HasChild(const Actor* child, bool recursive) const
{
    for (const Actor* own : m_Children) {
        if (own == child)
            return true;
        if (recursive && own->HasChild(child, true))
            return true;
    }
    return false;
}

Actor* Actor::FindChild(const std::string& name, bool recursive) const
{
    for (Actor* child : m_Children) {
        if (child->GetName() == name && !child->IsBeingDestroyed())
            return child;
        if (recursive)
            if (Actor* found = child->FindChild(name, true))
                return found;
    }
    return nullptr;
}

Actor* Actor::FindVisibleChild(const std::string& name, bool recursive) const
{
    for (Actor* child : m_Children) {
        if (child->GetName() == name && !child->IsBeingDestroyed() && child->m_Visible)
            return child;
        if (recursive)
            if (Actor* found = child->FindVisibleChild(name, true))
                return found;
    }
    return nullptr;
}

LuaObject Actor::GetInheritedProperty(const std::string& name)
{
    for (Actor* actor = this; actor; actor = actor->m_Parent) {
        LuaObject value = actor->RetrieveProperty(name);
        if (!value.IsNil())
            return value;
    }
    return LuaObject(ObjectLuaState());
}

void Actor::SetVisible(bool visible, bool recursive)
{
    bool changed = visible != m_Visible;
    m_Visible = visible;
    if (m_Rolloverable && changed)
        RequestRolloverReset();
    if (!recursive)
        return;
    ChildWalk walk(*this, true);
    while (Actor* child = walk.Next())
        child->SetVisible(visible, recursive);
}

void Actor::SetRolloverable(bool on)
{
    if (on == m_Rolloverable)
        return;
    m_Rolloverable = on;
    RequestRolloverReset();
    if (m_Parent)
        m_Parent->AdjustRolloverableChildren(on ? 1 : -1);
}

void Actor::AdjustRolloverableChildren(int by)
{
    m_NumRolloverableChildren += by;
    if (m_NumRolloverableChildren < 0) {
        std::string message =
            (boost::format("adjustBy = %1%, m_NumRolloverableChildren = %1%") % by).str();
        m_NumRolloverableChildren -= by;
        VELK_THROW(Exception, AssertionText("m_NumRolloverableChildren >= 0", message));
    }
    if (m_Parent)
        m_Parent->AdjustRolloverableChildren(by);
}

void Actor::RequestRolloverReset() const
{
    if (Application* app = Application::GetInstance())
        app->RequestRolloverReset();
}

std::unique_ptr<ActorIterator> Actor::CreateReverseDrawIterator() const
{
    return std::make_unique<ReverseDrawListIterator>(*this);
}

// ---------------------------------------------------------------- events

bool Actor::OnEvent(const EventRecord& event)
{
    if (Object::OnEvent(event))
        return true;
    std::vector<Object*> listeners = m_Listeners;
    for (Object* listener : listeners)
        if (std::find(m_Listeners.begin(), m_Listeners.end(), listener) != m_Listeners.end() &&
            listener->OnEvent(event))
            return true;
    ChildWalk walk(*this, true);
    while (Actor* child = walk.Next())
        if (child->OnEvent(event))
            return true;
    return false;
}

void Actor::AddEventListener(Object* receiver)
{
    VELK_ASSERT(receiver != 0);
    m_Listeners.push_back(receiver);
    auto* payload = new LuaObject;
    payload->AssignNewTable(ObjectLuaState());
    payload->SetObject("group", receiver->GetLuaObject());
    NotifyObservers(VELK_CHILDGROUPADDED, payload, false);
}

void Actor::RemoveEventListener(Object* receiver)
{
    m_Listeners.erase(std::remove(m_Listeners.begin(), m_Listeners.end(), receiver), m_Listeners.end());
}

void Actor::AddSecondaryListener(ActorGroup* group)
{
    m_Memberships.push_back(group);
}

void Actor::RemoveListener(ActorGroup* group)
{
    m_Memberships.erase(std::remove(m_Memberships.begin(), m_Memberships.end(), group), m_Memberships.end());
}

Object* Actor::FindGroup(const std::string& name, bool recursive) const
{
    for (Object* listener : m_Listeners)
        if (listener->GetName() == name)
            return listener;
    if (recursive)
        for (const Actor* child : m_Children)
            if (Object* found = child->FindGroup(name, true))
                return found;
    return nullptr;
}

void Actor::AddToGroup(EventReceiver* receiver)
{
    if (!m_Receivers.group.Contains(receiver))
        m_Receivers.group.Add(receiver);
}

void Actor::RemoveFromGroup(EventReceiver* receiver)
{
    m_Receivers.group.Remove(receiver);
}

void Actor::RaiseEvent(int type, void* data, bool immediately)
{
    EventRecord record = MakeEventRecord(static_cast<std::uint8_t>(type), 0, data, nullptr);
    CoreHost& host = RequireCoreHost();
    if (immediately)
        host.SendEvent(&m_Receivers, record);
    else
        host.PostEvent(&m_Receivers, record);
}

// ---------------------------------------------------------------- scripts

Script* Actor::AddScript(const LuaObject& scriptSource, const std::string& tag)
{
    return m_Scripts.AddScript(scriptSource, tag);
}

Script* Actor::RunScript(const std::string& scriptName, const std::string& tag)
{
    LuaObject name;
    name.AssignString(ObjectLuaState(), scriptName);
    return AddScript(name, tag);
}

void Actor::RunScripts()
{
    m_Scripts.RunScripts();
}

int Actor::FindScriptsWithTag(const std::string& tag, std::vector<Script*>* out) const
{
    return m_Scripts.FindScriptsWithTag(tag, out);
}

void Actor::StopScriptsWithTag(const std::string& tag)
{
    m_Scripts.StopScriptsWithTag(tag);
}

void Actor::StopAllScripts()
{
    m_Scripts.StopAllScripts();
}

void Actor::StopScript(Script* script)
{
    m_Scripts.StopScript(script);
}

// ---------------------------------------------------------------- update

void Actor::Update()
{
    Object::Update();
    UpdateChildren();
    RunScripts();
    UpdateSlide();
    UpdateFade();
}

void Actor::UpdateChildren()
{
    bool paused = IsGamePaused();
    ChildWalk walk(*this, false);
    while (Actor* child = walk.Next()) {
        if (!child->m_Updating || child->IsBeingDestroyed())
            continue;
        if (paused && !(child->m_Flags & ACTORFLAG_UPDATE_WHILE_PAUSED))
            continue;
        child->Update();
    }
}

// ---------------------------------------------------------------- position, size and alignment

void Actor::SetPosition(int x, int y)
{
    m_X = static_cast<std::int16_t>(x);
    m_Y = static_cast<std::int16_t>(y);
}

void Actor::SetSize(int w, int h)
{
    m_W = static_cast<std::uint16_t>(w);
    m_H = static_cast<std::uint16_t>(h);
    UpdateAlignment();
}

void Actor::SetAlignment(RectAlignment alignment)
{
    m_Alignment = alignment;
    UpdateAlignment();
}

void Actor::SetAlignTo(RectAlignment alignTo)
{
    m_AlignTo = alignTo;
    UpdateAlignment();
}

void Actor::SetAlignmentOffset(int x, int y)
{
    m_AlignmentOffsetX = x;
    m_AlignmentOffsetY = y;
    UpdateAlignment();
}

void Actor::UpdateAlignment()
{
    if (m_Parent && m_Alignment != RectAlignment::NoAlignment) {
        RectAlignment reference = m_AlignTo != RectAlignment::NoAlignment ? m_AlignTo : m_Alignment;
        Rect::AnchorFunction anchor = Rect::GetAnchorFunction(reference);
        Rect::AlignmentFunction align = Rect::GetAlignmentFunction(m_Alignment);
        if (anchor && align) {
            Point<int> target = anchor(Rect(0, 0, m_Parent->m_W, m_Parent->m_H));
            Rect own(m_X, m_Y, m_W, m_H);
            align(own, target);
            m_X = static_cast<std::int16_t>(own.x + m_AlignmentOffsetX);
            m_Y = static_cast<std::int16_t>(own.y + m_AlignmentOffsetY);
        }
    }
    for (Actor* child : m_Children)
        child->UpdateAlignment();
}

Rect Actor::GetLocalRect() const
{
    return Rect(0, 0, m_W, m_H);
}

Point<int> Actor::LocalToGlobal(const Point<int>& point) const
{
    Point<int> result = point;
    for (const Actor* actor = this; actor->m_Parent; actor = actor->m_Parent) {
        result.x += actor->m_X;
        result.y += actor->m_Y;
    }
    return result;
}

Point<int> Actor::GlobalToLocal(const Point<int>& point) const
{
    Point<int> result = point;
    for (const Actor* actor = this; actor->m_Parent; actor = actor->m_Parent) {
        result.x -= actor->m_X;
        result.y -= actor->m_Y;
    }
    return result;
}

Rect Actor::GetGlobalRect() const
{
    Point<int> origin = LocalToGlobal(Point<int>(0, 0));
    return Rect(static_cast<std::int16_t>(origin.x), static_cast<std::int16_t>(origin.y), m_W, m_H);
}

bool Actor::ContainsPoint(const Rect& rect) const
{
    Rect global = GetGlobalRect();
    int left = global.x, top = global.y;
    return left <= rect.x + rect.w && rect.x <= left + global.w && top <= rect.y + rect.h &&
           rect.y <= top + global.h;
}

bool Actor::ContainsGlobalPoint(int x, int y) const
{
    Point<int> local = m_Parent ? m_Parent->GlobalToLocal(Point<int>(x, y)) : Point<int>(x, y);
    local.x -= m_X;
    local.y -= m_Y;
    if (local.x < 0 || local.y < 0 || local.x >= m_W || local.y >= m_H)
        return false;
    if ((m_ColorMode & COLORMODE_FILL) || !m_IsNonrectangular)
        return true;
    Image* image = GetImage();
    if (!image)
        return false;
    Rect source = image->GetFrameRect(m_OverrideImage ? 0 : m_Frame);
    if (local.x >= source.w || local.y >= source.h)
        return false;
    SDL_Surface* surface = image->GetSurface();
    int px = source.x + local.x, py = source.y + local.y;
    if (px < 0 || py < 0 || px >= surface->w || py >= surface->h)
        return false;
    std::uint32_t pixel = PixelRow(surface, py)[px];
    return ((pixel & surface->format->Amask) >> surface->format->Ashift) != 0;
}

Point<int> Actor::GetTotalSize() const
{
    Point<int> extent(m_W, m_H);
    if (m_Image) {
        Image::Size size = m_Image->GetSize();
        extent.x = std::max(extent.x, static_cast<int>(size.w));
        extent.y = std::max(extent.y, static_cast<int>(size.h));
    }
    for (const Actor* child : m_Children) {
        Point<int> childExtent = child->GetTotalSize();
        extent.x = std::max(extent.x, child->m_X + childExtent.x);
        extent.y = std::max(extent.y, child->m_Y + childExtent.y);
    }
    return extent;
}

// ---------------------------------------------------------------- drawing

void Actor::Draw(Canvas& canvas)
{
    if (!m_Visible || IsBeingDestroyed())
        return;
    CanvasStateScope scope(canvas);
    canvas.Translate(m_X, m_Y);
    if (m_FlattenedActor && m_FlattenedActor->GetCanvas() != &canvas) {
        m_FlattenedActor->Draw(canvas);
        return;
    }
    bool drewOwnImage = false;
    for (Actor* child : m_Children) {
        if (!drewOwnImage && child->m_ZOrder >= 0) {
            DrawImage(canvas);
            drewOwnImage = true;
        }
        if (!(child->m_Flags & ACTORFLAG_NOT_DRAWN_BY_PARENT) && !child->m_LayerSet)
            child->Draw(canvas);
    }
    if (!drewOwnImage)
        DrawImage(canvas);
}

void Actor::DrawImage(Canvas& canvas)
{
    CanvasStateScope scope(canvas);
    if (m_OverrideImage)
        canvas.Translate(m_OverrideOffsetX, m_OverrideOffsetY);
    if (m_ColorMode & COLORMODE_FILL) {
        Color fill = m_Color;
        fill.a = m_Alpha;
        canvas.FillRect(m_W, m_H, fill);
        return;
    }
    if (!m_Image)
        return;
    Point<int> offset;
    if (m_PropertyTable.IsTable()) {
        LuaObject drawOffset = m_PropertyTable["drawOffset"];
        if (drawOffset.IsTable())
            offset = Point<int>(drawOffset);
    }
    Image* image = GetImage();
    DrawImageFrame(canvas, image, m_OverrideImage ? 0 : m_Frame, offset.x, offset.y);
}

void Actor::DrawImageFrame(Canvas& canvas, Image* image, int frame, int x, int y)
{
    const Canvas::DrawState& state = canvas.GetState();
    int shader = m_ShaderType != 0 ? m_ShaderType : SHADERTYPE_BLENDPIXELALPHA;
    std::uint8_t alpha = m_Alpha;
    if (state.alpha != 1.0f) {
        float scaled = m_Alpha * state.alpha;
        int truncated = scaled > 0.0f ? static_cast<int>(std::min(scaled, 255.0f)) : 0;
        alpha = static_cast<std::uint8_t>(truncated);
        if (truncated > 0 && truncated < 255) {
            if (shader == SHADERTYPE_BLENDPIXELALPHA)
                shader = SHADERTYPE_BLENDCOMBINEDALPHA;
            else if (shader == SHADERTYPE_COPY)
                shader = SHADERTYPE_BLENDCONSTANTALPHA;
        }
    }
    if (state.flags & CANVAS_COMPOSE_ALPHA)
        shader = SHADERTYPE_COMPOSITE;
    Rect source = image->GetFrameRect(frame);
    Rect dest(static_cast<std::int16_t>(state.x + x), static_cast<std::int16_t>(state.y + y), source.w, source.h);
    canvas.GetImageRenderer()->DrawImage(image, shader, &dest, &source, alpha, 0.0f,
                                         (m_ColorMode & COLORMODE_BLIT_FLAG) != 0, true);
}
