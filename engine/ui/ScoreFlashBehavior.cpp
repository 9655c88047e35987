#include "engine/ui/ScoreFlashBehavior.h"

#include "engine/core/Exception.h"
#include "engine/core/TypeConversion.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr double kFrameSeconds = 0.032;
constexpr std::int32_t kFrameMilliseconds = 32;

} // namespace

void ScoreFlashBehaviorClassHook(Class* c)
{
    auto member = [c](std::uint32_t type, PropertyAccessor::MemberAddress address, const char* name) {
        c->RegisterPropertyGetter(CreatePropertyAccessor(type, address, name));
        c->RegisterPropertySetter(CreatePropertyAccessor(type, address, name));
    };
    member(TYPE_POINT2F, MemberOf(&ScoreFlashBehavior::m_Velocity), "velocity");
    member(TYPE_INT32, MemberOf(&ScoreFlashBehavior::m_Lifetime), "lifetime");
    member(TYPE_FLOAT, MemberOf(&ScoreFlashBehavior::m_FadeRate), "fadeRate");
    member(TYPE_BOOL, MemberOf(&ScoreFlashBehavior::m_AutoFade), "autoFade");
}

VELK_REGISTER_CLASS(ScoreFlashBehavior, "Actor", ScoreFlashBehaviorClassHook,
                    InstantiateObjectOfClass<ScoreFlashBehavior>);

void ScoreFlashBehavior::Tick()
{
    Actor* target = GetParent();
    VELK_ASSERT_MSG(target != 0, (boost::format("A target actor has not been set on the ScoreFlashBehavior at 0x%08x") %
                                  reinterpret_cast<std::uintptr_t>(this))
                                     .str());
    if (m_Lifetime <= 0) {
        target->Destroy();
        return;
    }
    if (!m_Started) {
        m_Exact = Point2f(target->GetX(), target->GetY());
        m_Alpha = target->GetAlpha();
        if (m_AutoFade)
            m_FadeRate = m_Alpha * 1000.0f / static_cast<float>(m_Lifetime);
        m_Started = true;
    } else {
        m_Alpha = static_cast<float>(m_Alpha - m_FadeRate * kFrameSeconds);
        m_Alpha = std::clamp(m_Alpha, 0.0f, 255.0f);
        target->SetAlpha(static_cast<std::uint8_t>(m_Alpha));
        m_Exact.x = static_cast<float>(m_Exact.x + m_Velocity.x * kFrameSeconds);
        m_Exact.y = static_cast<float>(m_Exact.y + m_Velocity.y * kFrameSeconds);
        target->SetPosition(static_cast<int>(m_Exact.x), static_cast<int>(m_Exact.y));
    }
    m_Lifetime -= kFrameMilliseconds;
}
