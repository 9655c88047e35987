// The actor's construction, its script properties and script methods, and its
// registration. The tree, drawing and scripts are in ActorTree.cpp; slides,
// fades, rotation and flattening in ActorEffects.cpp.

#include "engine/ui/Actor.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/ImageRenderer.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/ActorGroup.h"
#include "engine/ui/Animation.h"
#include "engine/ui/FlattenedActor.h"
#include "engine/ui/LayoutManager.h"

#include <algorithm>

namespace {

Actor* RequireActor(lua_State* L, int index)
{
    return RequireScriptObject<Actor>(L, index, "an actor");
}

void PushActor(lua_State* L, Actor* actor)
{
    if (actor)
        actor->GetLuaObject().Push(LuaState(L));
    else
        lua_pushnil(L);
}

bool OptionalBoolean(lua_State* L, int index)
{
    return lua_type(L, index) == LUA_TBOOLEAN && lua_toboolean(L, index);
}

std::string StringArgument(lua_State* L, int index)
{
    LuaObject value(LuaState(L), index);
    return ReadStringFromObject(value);
}

// ---------------------------------------------------------------- script methods

int Script_AddChild(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Actor* self = RequireActor(L, 1);
        self->AddChild(RequireActor(L, 2));
        return 0;
    });
}

int Script_Destroy(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        RequireActor(L, 1)->Destroy();
        return 0;
    });
}

int Script_FindChild(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Actor* self = RequireActor(L, 1);
        PushActor(L, self->FindChild(StringArgument(L, 2), OptionalBoolean(L, 3)));
        return 1;
    });
}

int Script_FindVisibleChild(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Actor* self = RequireActor(L, 1);
        PushActor(L, self->FindVisibleChild(StringArgument(L, 2), OptionalBoolean(L, 3)));
        return 1;
    });
}

int Script_RecursiveFind(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Actor* self = RequireActor(L, 1);
        PushActor(L, self->FindChild(StringArgument(L, 2), true));
        return 1;
    });
}

int Script_GetParent(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        PushActor(L, RequireActor(L, 1)->GetParent());
        return 1;
    });
}

int Script_IsSliding(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        lua_pushboolean(L, RequireActor(L, 1)->IsSliding());
        return 1;
    });
}

int Script_SlideTo(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Actor* self = RequireActor(L, 1);
        LuaState state(L);
        Point<int> dest(LuaObject(state, 2));
        self->SlideTo(dest, ReadIntegerFromObject(LuaObject(state, 3)));
        return 0;
    });
}

int Script_SetVisible(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Actor* self = RequireActor(L, 1);
        self->SetVisible(lua_toboolean(L, 2) != 0, OptionalBoolean(L, 3));
        return 0;
    });
}

int Script_GetGlobalCenterPoint(lua_State* L)
{
    return CallBoundMember(L, [L]() -> int {
        Point<int> center = RequireActor(L, 1)->GetGlobalRect().GetCenter();
        LuaObject result;
        center.StoreAsLuaObject(result, LuaState(L));
        result.Push(LuaState(L));
        return 1;
    });
}

ScriptFunctionRegistration s_GetGlobalCenterPoint(Script_GetGlobalCenterPoint, "GetGlobalCenterPoint");

void RegisterNamed(Class* c, const char* name)
{
    c->RegisterPropertyGetter(MakeNamedProperty(name));
    c->RegisterPropertySetter(MakeNamedProperty(name));
}

void RegisterMethod(Class* c, const char* name, lua_CFunction function)
{
    c->RegisterPropertyGetter(PropertyAccessor::CreateScriptFunctionGetter(name, function));
    c->RegisterPropertySetter(PropertyAccessor::CreateScriptFunctionSetter(name));
}

} // namespace

// ---------------------------------------------------------------- registration

void ActorClassHook(Class* c)
{
    RegisterNamed(c, "image");
    auto frame = MemberOf(&Actor::m_Frame);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, frame, "frame"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, frame, "frame"));
    RegisterNamed(c, "size");
    RegisterNamed(c, "color");
    RegisterNamed(c, "groups");
    RegisterNamed(c, "sound");
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&Actor::m_ZOrder), "zorder"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetZOrderProperty), "zorder"));
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, MemberOf(&Actor::m_Layer), "layer"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetLayerProperty), "layer"));
    for (const char* name : {"position", "globalPosition", "alignment", "rotation", "rotationAlignment", "alignTo",
                             "children", "playAnimation", "loopAnimation"})
        RegisterNamed(c, name);
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetAlignmentOffsetProperty), "alignmentOffset"));
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetAlphaProperty), "alpha"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetLayoutManagerProperty), "layoutManager"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetUseCombinedAlphaProperty), "useCombinedAlpha"));
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, MemberOf(&Actor::m_Visible), "visible"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetVisibleProperty), "visible"));
    auto nonrectangular = MemberOf(&Actor::m_IsNonrectangular);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, nonrectangular, "isNonrectangular"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, nonrectangular, "isNonrectangular"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetShaderTypeProperty), "shaderType"));
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&Actor::SetScriptsProperty), "scripts"));

    RegisterMethod(c, "AddChild", Script_AddChild);
    RegisterMethod(c, "Destroy", Script_Destroy);
    RegisterMethod(c, "FindChild", Script_FindChild);
    RegisterMethod(c, "FindVisibleChild", Script_FindVisibleChild);
    RegisterMethod(c, "RecursiveFind", Script_RecursiveFind);
    RegisterMethod(c, "GetParent", Script_GetParent);
    RegisterMethod(c, "IsSliding", Script_IsSliding);
    RegisterMethod(c, "SlideTo", Script_SlideTo);
    RegisterMethod(c, "SetVisible", Script_SetVisible);

    StoreClassDefaults(c);
}

VELK_REGISTER_CLASS(Actor, "Object", ActorClassHook, InstantiateObjectOfClass<Actor>);

// ---------------------------------------------------------------- construction

Actor::Actor() = default;

Actor::Actor(const std::string& resourceName)
{
    Log(3, "Actor:: Actor %s\n", resourceName.c_str());
    LuaObject params;
    params.AssignNewTable(ObjectLuaState());
    params.SetString("resource", resourceName);
    Log(3, "Actor:: Init(params)\n");
    ApplyProperties(params);
}

Actor::Actor(const Color& color) : m_Color(color), m_ColorMode(COLORMODE_DEFAULT | COLORMODE_FILL) {}

Actor* Actor::Create(const std::string& resourceName)
{
    auto actor = std::make_unique<Actor>();
    actor->ApplyNamedResource(resourceName);
    return actor.release();
}

Actor* Actor::CreateAt(const std::string& resourceName, int x, int y, int zorder, EventReceiver* receiver)
{
    auto actor = std::make_unique<Actor>(resourceName);
    actor->SetPosition(x, y);
    actor->SetZOrder(zorder);
    if (receiver)
        actor->AddToGroup(receiver);
    return actor.release();
}

Actor* Actor::CreateRectangle(const Color& color, int x, int y, int w, int h, int zorder, EventReceiver* receiver)
{
    auto actor = std::make_unique<Actor>(color);
    actor->SetPosition(x, y);
    actor->SetSize(w, h);
    actor->SetZOrder(zorder);
    if (receiver)
        actor->AddToGroup(receiver);
    return actor.release();
}

// ---------------------------------------------------------------- applying properties

void Actor::ApplyPropertyTable(const LuaObject& table)
{
    ApplyProperties(table);
}

void Actor::ApplyResource(const std::string& name, const CoreHost::ResourceEntry& entry)
{
    if (entry.type == RESOURCE_IMAGE) {
        SetImage(std::make_unique<Image>(name), name);
        return;
    }
    Object::ApplyResource(name, entry);
}

void Actor::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    Log(3, "Actor:: ApplyClassicProperty %s\n", name.c_str());
    if (name == "image") {
        SetImageFromName(value.IsNil() ? std::string() : ReadStringFromObject(value));
    } else if (name == "playAnimation" || name == "loopAnimation") {
        std::string animation = value.IsNil() ? std::string() : ReadStringFromObject(value);
        if (!animation.empty())
            PlayAnimation(animation, name == "loopAnimation");
    } else if (name == "position") {
        Point<int> position(value);
        m_X = static_cast<std::int16_t>(position.x);
        m_Y = static_cast<std::int16_t>(position.y);
    } else if (name == "globalPosition") {
        Point<int> position(value);
        if (m_Parent)
            position = m_Parent->GlobalToLocal(position);
        m_X = static_cast<std::int16_t>(position.x);
        m_Y = static_cast<std::int16_t>(position.y);
    } else if (name == "size") {
        Point<int> size(value);
        SetSize(size.x, size.y);
    } else if (name == "alignment") {
        SetAlignment(RetrieveRectAlignmentFromLuaObject(value));
    } else if (name == "rotation") {
        SetRotation(ReadNumberFromObject(value), static_cast<int>(m_RotationAlignment), true);
    } else if (name == "rotationAlignment") {
        m_RotationAlignment = RetrieveRectAlignmentFromLuaObject(value);
    } else if (name == "alignTo") {
        SetAlignTo(RetrieveRectAlignmentFromLuaObject(value));
    } else if (name == "color") {
        ApplyColorProperty(value);
    } else if (name == "groups") {
        ApplyGroupsProperty(value);
    } else if (name == "children") {
        ApplyChildrenProperty(value);
    } else if (name == "sound") {
        Sound::Play(ReadStringFromObject(value));
    } else {
        Object::ApplyClassicProperty(name, value);
    }
}

void Actor::ApplyColorProperty(const LuaObject& value)
{
    if (value.IsBoolean()) {
        // true keeps whatever the actor shows; false ends the fill.
        if (!value.GetBoolean())
            m_ColorMode = COLORMODE_DEFAULT;
        return;
    }
    SetColor(Color(value));
    // The size stays: the fill covers what the image covered.
    ReleaseImages();
}

void Actor::ApplyGroupsProperty(const LuaObject& value)
{
    VELK_ASSERT_MSG(value.IsTable(), "\"groups\" must be a list of group tables.");
    for (LuaTableIterator it(value); it; it.Next()) {
        if (!it.GetValue().IsTable())
            continue;
        std::unique_ptr<Object> object(ClassManager::GetInstance()->InstantiateObject(it.GetValue()));
        auto* group = dynamic_cast<ActorGroup*>(object.get());
        VELK_ASSERT_MSG(group != 0, "An entry of \"groups\" did not make an ActorGroup.");
        object.release();
        m_OwnedGroups.emplace_back(group);
        if (it.GetKey().IsString())
            group->SetName(it.GetKey().GetString());
        AddEventListener(group);
    }
}

void Actor::ApplyChildrenProperty(const LuaObject& value)
{
    VELK_ASSERT_MSG(value.IsTable(), "\"children\" must be a list of actor tables.");
    for (LuaTableIterator it(value); it; it.Next()) {
        if (!it.GetValue().IsTable())
            continue;
        std::unique_ptr<Object> object(ClassManager::GetInstance()->InstantiateObject(it.GetValue()));
        auto* child = dynamic_cast<Actor*>(object.get());
        VELK_ASSERT_MSG(child != 0, "An entry of \"children\" did not make an Actor.");
        if (it.GetKey().IsString())
            child->SetName(it.GetKey().GetString());
        AddChild(child);
        object.release();
    }
}

void Actor::SetAlignmentOffsetProperty(const LuaObject& value)
{
    Point<int> offset(value);
    SetAlignmentOffset(offset.x, offset.y);
}

void Actor::SetAlphaProperty(const LuaObject& value)
{
    SetAlpha(static_cast<std::uint8_t>(std::clamp(ReadIntegerFromObject(value), 0, 255)));
}

void Actor::SetLayoutManagerProperty(const LuaObject& value)
{
    if (value.IsNil()) {
        SetLayoutManager(nullptr);
        return;
    }
    if (value.IsTable()) {
        // A script table describes the manager; the actor makes and keeps it.
        std::unique_ptr<Object> made(LayoutManager::CreateFromTable(value));
        SetLayoutManager(static_cast<LayoutManager*>(made.get()));
        m_OwnedLayoutManager = std::move(made);
        return;
    }
    auto* manager = dynamic_cast<LayoutManager*>(Object::FromLuaObject(value));
    VELK_ASSERT_MSG(manager != 0, "\"layoutManager\" must be a LayoutManager object or table.");
    SetLayoutManager(manager);
}

void Actor::SetZOrderProperty(const LuaObject& value)
{
    SetZOrder(ReadIntegerFromObject(value));
}

void Actor::SetLayerProperty(const LuaObject& value)
{
    SetLayer(ReadIntegerFromObject(value));
}

void Actor::SetUseCombinedAlphaProperty(const LuaObject& value)
{
    if (ReadBooleanFromObject(value))
        m_ColorMode |= COLORMODE_COMBINED_ALPHA;
    else
        m_ColorMode &= ~static_cast<std::uint32_t>(COLORMODE_COMBINED_ALPHA);
}

void Actor::SetVisibleProperty(const LuaObject& value)
{
    SetVisible(ReadBooleanFromObject(value), false);
}

void Actor::SetShaderTypeProperty(const LuaObject& value)
{
    SetShaderType(value);
}

void Actor::SetScriptsProperty(const LuaObject& value)
{
    VELK_ASSERT_MSG(value.IsTable(), "\"scripts\" must be a list of scripts.");
    int n = value.GetN();
    for (int i = 1; i <= n; ++i)
        AddScript(value.GetByIndex(i), "");
}

// ---------------------------------------------------------------- reading properties back

void Actor::StoreProperties(LuaObject& table)
{
    Object::StoreProperties(table);
    LuaState state = table.GetState();
    if (!m_ImageName.empty() || !m_Image)
        table.SetString("image", m_ImageName);
    table.SetInteger("frame", m_Frame);
    LuaObject point;
    Point<int>(m_X, m_Y).StoreAsLuaObject(point, state);
    table.SetObject("position", point);
    LuaObject global;
    Rect rect = GetGlobalRect();
    Point<int>(rect.x, rect.y).StoreAsLuaObject(global, state);
    table.SetObject("globalPosition", global);
    LuaObject size;
    Point<int>(m_W, m_H).StoreAsLuaObject(size, state);
    table.SetObject("size", size);
    if (m_ColorMode & COLORMODE_FILL) {
        LuaObject color;
        m_Color.StoreAsLuaObject(color, state);
        table.SetObject("color", color);
    }
}

void Actor::StoreClassAndName(LuaObject& table)
{
    Object::StoreClassAndName(table);
    LuaState state = table.GetState();
    table.SetObject("image", RetrieveProperty("image", state));
    table.SetObject("position", RetrieveProperty("position", state));
    if (m_ColorMode & COLORMODE_FILL) {
        table.SetObject("color", RetrieveProperty("color", state));
        table.SetObject("size", RetrieveProperty("size", state));
    }
    table.SetObject("zorder", RetrieveProperty("zorder", state));
}

// ---------------------------------------------------------------- image and look

void Actor::SetImageFromName(const std::string& name)
{
    if (name.empty())
        SetImage(nullptr, name);
    else
        SetImage(std::make_unique<Image>(name), name);
}

void Actor::SetImage(std::unique_ptr<Image> image, const std::string& name)
{
    m_Image = std::move(image);
    m_ImageName = name;
    if (m_Image) {
        Image::Size size = m_Image->GetSize();
        m_W = static_cast<std::uint16_t>(size.w);
        m_H = static_cast<std::uint16_t>(size.h);
        m_ColorMode = (m_ColorMode & ~static_cast<std::uint32_t>(COLORMODE_FILL)) | COLORMODE_IMAGE;
        m_Image->SetAlpha(m_Alpha);
    } else {
        m_W = 0;
        m_H = 0;
    }
    if (m_Rotation != 0.0)
        SetRotation(m_Rotation, -1, true);
    if (GetImage())
        VELK_ASSERT((int)m_Frame < GetImage()->GetNumFrames());
}

void Actor::SetFrame(int frame)
{
    bool changed = frame != m_Frame;
    m_Frame = frame;
    if (changed && m_Rotation != 0.0)
        SetRotation(m_Rotation, -1, true);
    if (GetImage())
        VELK_ASSERT((int)m_Frame < GetImage()->GetNumFrames());
}

Image* Actor::GetImage() const
{
    return m_OverrideImage ? m_OverrideImage.get() : m_Image.get();
}

void Actor::ReleaseImages()
{
    m_Image.reset();
    m_ImageName.clear();
    m_OverrideImage.reset();
    m_OverrideOffsetX = 0;
    m_OverrideOffsetY = 0;
}

void Actor::SetAlpha(std::uint8_t alpha)
{
    m_Alpha = alpha;
    SetAlphaOfImages(alpha);
}

void Actor::SetAlphaOfImages(std::uint8_t alpha)
{
    if (m_Image)
        m_Image->SetAlpha(alpha);
    if (m_OverrideImage)
        m_OverrideImage->SetAlpha(alpha);
}

void Actor::SetColor(const Color& color)
{
    m_Color = color;
    m_ColorMode = COLORMODE_DEFAULT | COLORMODE_FILL;
}

void Actor::SetShaderType(const LuaObject& value)
{
    if (value.IsNumber()) {
        m_ShaderType = value.GetInteger();
    } else if (value.IsString()) {
        m_ShaderType = ShaderTypeFromString(value.GetString());
    } else {
        VELK_ASSERT_MSG(false,
                        (boost::format("shaderTypeObject has the unusable type: %1%") % value.TypeName()).str());
    }
}

LayoutManager* Actor::GetLayoutManager() const
{
    return dynamic_cast<LayoutManager*>(Object::FromLuaObject(m_LayoutManager));
}

void Actor::SetLayoutManager(LayoutManager* manager)
{
    m_LayoutManager = manager ? manager->GetLuaObject() : LuaObject();
    if (m_OwnedLayoutManager && m_OwnedLayoutManager.get() != manager)
        m_OwnedLayoutManager.reset();
    if (manager)
        manager->LayoutContainer(this);
}

// ---------------------------------------------------------------- animation

void Actor::PlayAnimation(const std::string& name, bool loop)
{
    // Started before it joins the tree, so an animation the image lacks leaves nothing behind.
    auto animation = std::make_unique<Animation>(name);
    animation->SetTarget(this);
    if (loop)
        animation->Loop(100);
    else
        animation->Play(100);
    if (Animation* old = m_Animation) {
        m_Animation = nullptr;
        old->SetTarget(nullptr);
        DestroyChild(old);
    }
    m_Animation = animation.get();
    AddChild(animation.release());
}

void Actor::ForgetAnimation(Animation* animation)
{
    if (m_Animation == animation)
        m_Animation = nullptr;
}
