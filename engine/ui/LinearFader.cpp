#include "engine/ui/LinearFader.h"

#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"

#include <algorithm>
#include <memory>

namespace {

constexpr std::int32_t kFrameMilliseconds = 32;
const char* const kFaderName = "LinearFader";

void SetFading(Actor* target, bool on)
{
    LuaObject value(ObjectLuaState());
    if (on)
        value.AssignBoolean(true);
    target->ApplyProperty("isFading", value);
}

// CreateLinearFader([nil | template name | property table]) -> the fader, not attached.
int Script_CreateLinearFader(lua_State* L)
{
    LuaState state(L);
    LuaObject arg(state, 1);
    auto fader = std::make_unique<LinearFader>();
    fader->SetName(kFaderName);
    if (arg.IsString()) {
        fader->ApplyNamedResource(arg.GetString());
    } else if (arg.IsTable()) {
        fader->ApplyProperties(arg);
    } else if (!arg.IsNil()) {
        const char* function = "__script_func__CreateLinearFader";
        if (arg.IsNumber()) {
            arg.Push();
            std::string value = lua_tostring(L, -1);
            lua_pop(L, 1);
            throw Exception(__FILE__, __LINE__, function, __DATE__, __TIME__,
                            (boost::format("The 1st parameter to CreateLinearFader was a '%1%', with a value of "
                                           "'%2%', which cannot be used by the function.") %
                             arg.TypeName() % value)
                                .str());
        }
        throw Exception(__FILE__, __LINE__, function, __DATE__, __TIME__,
                        (boost::format("The 1st parameter to CreateLinearFader was a '%1%', which cannot be used by "
                                       "the function.") %
                         arg.TypeName())
                            .str());
    }
    fader->GetLuaObject(state).Push(state);
    fader.release();
    return 1;
}

ScriptFunctionRegistration s_CreateLinearFader(Script_CreateLinearFader, "CreateLinearFader");

} // namespace

void LinearFaderClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_BOOL, MemberOf(&LinearFader::m_TagTarget), "tagTarget");
    member(TYPE_INT32, MemberOf(&LinearFader::m_Duration), "duration");
    member(TYPE_INT32, MemberOf(&LinearFader::m_DestAlpha), "destAlpha");
}

VELK_REGISTER_CLASS(LinearFader, "Actor", LinearFaderClassHook, InstantiateObjectOfClass<LinearFader>);

void LinearFader::SetParent(Actor* parent)
{
    Actor* old = GetParent();
    Actor::SetParent(parent);
    if (!m_TagTarget)
        return;
    // A fader taken away before its end must not leave a script waiting for ever.
    if (old && old != parent && !IsFinished())
        SetFading(old, false);
    if (parent)
        SetFading(parent, true);
}

void LinearFader::Update()
{
    Actor* target = GetParent();
    if (!target)
        return;
    // No duration: the first frame lands on the destination.
    const std::int32_t duration = std::max(m_Duration, 0);
    if (!m_Started) {
        m_Elapsed = 0;
        m_StartAlpha = target->GetAlpha();
        m_Rate = duration > 0 ? static_cast<double>(m_DestAlpha - m_StartAlpha) / duration : 0.0;
        if (m_TagTarget)
            SetFading(target, true);
    } else {
        m_Elapsed = std::min(m_Elapsed + kFrameMilliseconds, duration);
    }
    const double alpha = duration > 0 ? m_Elapsed * m_Rate + m_StartAlpha : m_DestAlpha;
    // An alpha is a byte: a destination beyond it stops at its ends.
    target->SetAlpha(static_cast<std::uint8_t>(std::clamp(static_cast<int>(alpha), 0, 255)));
    m_Started = true;
    if (m_Elapsed != duration)
        return;
    if (m_TagTarget)
        SetFading(target, false);
    Destroy();
}

void DestroyLinearFader(Actor* actor)
{
    if (Actor* fader = actor->FindChild(kFaderName))
        actor->DestroyChild(fader);
}
