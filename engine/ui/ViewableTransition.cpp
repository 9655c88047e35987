#include "engine/ui/ViewableTransition.h"

#include "engine/core/TypeConversion.h"
#include "engine/runtime/Canvas.h"
#include "engine/ui/Screen.h"

#include <algorithm>

namespace {

void ViewableTransitionClassHook(Class*) {}

} // namespace

void FadeTransitionClassHook(Class* c)
{
    auto duration = MemberOf(&FadeTransition::m_Duration);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, duration, "duration"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, duration, "duration"));
}

VELK_REGISTER_CLASS(ViewableTransition, "Actor", ViewableTransitionClassHook,
                    InstantiateObjectOfClass<ViewableTransition>);
VELK_REGISTER_CLASS(FadeTransition, "ViewableTransition", FadeTransitionClassHook,
                    InstantiateObjectOfClass<FadeTransition>);

void FadeTransition::Update()
{
    if (m_Elapsed < m_Duration)
        m_Elapsed = std::min(m_Duration, m_Elapsed + kStepMilliseconds);
}

void FadeTransition::Draw(Canvas& canvas)
{
    canvas.PushState();
    canvas.FillImageRect(Colors::Black);
    const float shown = m_Duration > 0 ? static_cast<float>(m_Elapsed) / static_cast<float>(m_Duration) : 1.0f;
    // Nothing of the screen shows yet: a fully faded draw is no draw.
    if (m_Screen && shown > 0.0f) {
        canvas.GetState().alpha *= shown;
        m_Screen->Draw(canvas);
    }
    canvas.PopState();
}
