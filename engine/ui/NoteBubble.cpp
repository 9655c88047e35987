#include "engine/ui/NoteBubble.h"

#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"

#include <memory>

void NoteBubbleClassHook(Class* c)
{
    c->RegisterPropertySetter(PropertyAccessor::CreateMemberSetter(MemberSetter(&NoteBubble::SetTextProperty), "text"));
    auto showCloseBox = MemberOf(&NoteBubble::m_ShowCloseBox);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, showCloseBox, "showCloseBox"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, showCloseBox, "showCloseBox"));
}

VELK_REGISTER_CLASS(NoteBubble, "Actor", NoteBubbleClassHook, InstantiateObjectOfClass<NoteBubble>);

namespace {

const char* const kKeyTipLayerName = "NoteBubbleKeyTipLayer";

} // namespace

NoteBubble::NoteBubble()
{
    SetName("NoteBubble");
    SetRolloverable(true);
    // Built from here on, so that the text the factory applies builds it.
    m_Built = 1;
    bubble::MakeKeyTipLayer(*this, kKeyTipLayerName);
}

NoteBubble::NoteBubble(const std::string& text, int direction, const std::string& style, bool showCloseBox,
                       EventReceiver* group)
{
    SetName("NoteBubble");
    SetRolloverable(true);
    if (group)
        AddToGroup(group);
    m_Built = 0;
    m_Direction = direction;
    m_Style = style;
    m_ShowCloseBox = showCloseBox;
    m_Built = 1;
    // Last: the one build, when there is something to say.
    SetText(text);
    bubble::MakeKeyTipLayer(*this, kKeyTipLayerName);
}

NoteBubble::~NoteBubble() = default;

void NoteBubble::SetTextProperty(const LuaObject& value)
{
    SetText(ReadStringFromObject(value));
}

void NoteBubble::SetDirection(int direction)
{
    if (direction == m_Direction)
        return;
    m_Direction = direction;
    if (m_Built)
        Rebuild();
}

void NoteBubble::SetText(const std::string& text)
{
    if (text == m_Text)
        return;
    m_Text = text;
    if (m_Built)
        Rebuild();
}

void NoteBubble::SetButtonLines(int lines)
{
    if (lines == m_ButtonLines)
        return;
    m_ButtonLines = lines;
    if (m_Built)
        Rebuild();
}

void NoteBubble::Rebuild()
{
    bubble::ClearForRebuild(*this, m_Pieces, kKeyTipLayerName);
    const int widthLimit = bubble::StackPieces(*this, m_Style, m_Pieces);

    auto label = std::make_unique<Label>();
    if (bubble::HasResource("NoteBubbleLabel")) {
        label->ApplyNamedResource("NoteBubbleLabel");
    } else {
        auto font = std::make_unique<Font>(bubble::ConfiguredBubbleFontFace(), bubble::ConfiguredBubbleFontSize(), 0);
        const int spacing = bubble::ConfiguredBubbleFontSpacing();
        font->SetCharacterSpacingAdjustment(spacing);
        // Measuring always counts the spacing; rendering only when this is on.
        font->SetUseAdjustedCharacterSpacing(spacing != 0);
        label->SetFont(font.release(), false);
    }

    const bubble::WrappedText wrapped =
        bubble::WrapText(m_Text, *label->GetFont(), widthLimit, m_ShowCloseBox, false);
    bubble::AddLowerPieces(*this, m_Style, wrapped.lines + m_ButtonLines, m_Pieces);
    Label* placed = label.get();
    bubble::PlaceLabel(*this, label.release(), wrapped.text, widthLimit, m_Pieces);
    // The text is centred above the buttons' room.
    if (m_ButtonLines > 0 && !m_Pieces.middles.empty())
        if (Actor* middle = bubble::HeldActor(m_Pieces.middles.back()))
            placed->SetPosition(placed->GetX(), placed->GetY() - m_ButtonLines * middle->GetHeight() / 2);

    static const double kRotations[] = {0.0, 0.0, 180.0, 90.0, -90.0};
    if (m_Direction >= ARROW_LEFT && m_Direction <= ARROW_ABOVE) {
        Actor* arrow =
            bubble::AddArrow(*this, "objBubble." + m_Style + ".Arrow.png", kRotations[m_Direction], m_Pieces);
        PlaceArrow(*arrow, wrapped.lines + m_ButtonLines);
    }

    if (m_ShowCloseBox)
        bubble::AddCloseBox(*this, "BubbleCloseButton");
}

void NoteBubble::PlaceArrow(Actor& arrow, int lines) const
{
    const int w = GetWidth();
    const int h = GetHeight();
    const int aw = arrow.GetWidth();
    const int ah = arrow.GetHeight();
    switch (m_Direction) {
    case ARROW_LEFT:
        // A bubble of one line is rounder at the sides: the arrow reaches further in.
        arrow.SetPosition((lines == 1 ? 6 : 3) - aw, h / 2 - ah / 2);
        break;
    case ARROW_RIGHT:
        arrow.SetPosition(w - 3, h / 2 - ah / 2);
        break;
    case ARROW_BELOW:
        arrow.SetPosition(w / 2 - aw / 2, h - 3);
        break;
    case ARROW_ABOVE:
        arrow.SetPosition(w / 2 - aw / 2, 6 - ah);
        break;
    default:
        break;
    }
}
