#include "engine/ui/SpeechBubble.h"

#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Font.h"
#include "engine/ui/Label.h"

void SpeechBubbleClassHook(Class* c)
{
    c->RegisterPropertySetter(
        PropertyAccessor::CreateMemberSetter(MemberSetter(&SpeechBubble::SetTextProperty), "text"));
}

VELK_REGISTER_CLASS(SpeechBubble, "Actor", SpeechBubbleClassHook, InstantiateObjectOfClass<SpeechBubble>);

namespace {

const char* const kKeyTipLayerName = "SpeechBubbleKeyTipLayer";

} // namespace

SpeechBubble::SpeechBubble() : m_Font(CreateBubbleFont()), m_FontSpacing(bubble::ConfiguredBubbleFontSpacing())
{
    SetName("SpeechBubble");
    // Built from here on, so that the text the factory applies builds it.
    m_Built = 1;
    bubble::MakeKeyTipLayer(*this, kKeyTipLayerName);
}

SpeechBubble::SpeechBubble(const std::string& text, int direction, const std::string& style, bool closeBox,
                           EventReceiver* group)
    : m_Font(CreateBubbleFont()), m_FontSpacing(bubble::ConfiguredBubbleFontSpacing())
{
    SetName("SpeechBubble");
    if (group)
        AddToGroup(group);
    m_Built = 0;
    m_Direction = direction;
    m_Style = style;
    m_CloseBox = closeBox ? 1 : 0;
    m_Built = 1;
    // Last: the one build, when there is something to say.
    SetText(text);
    bubble::MakeKeyTipLayer(*this, kKeyTipLayerName);
}

SpeechBubble::~SpeechBubble() = default;

std::unique_ptr<Font> SpeechBubble::CreateBubbleFont()
{
    if (bubble::HasResource("BubbleFont"))
        return Font::CreateFromTable("BubbleFont");
    return std::make_unique<Font>(bubble::ConfiguredBubbleFontFace(), bubble::ConfiguredBubbleFontSize(), 0);
}

void SpeechBubble::SetTextProperty(const LuaObject& value)
{
    SetText(ReadStringFromObject(value));
}

void SpeechBubble::SetText(const std::string& text)
{
    if (text == m_Text)
        return;
    m_Text = text;
    if (m_Built)
        Rebuild();
}

void SpeechBubble::SetShowCloseBox(bool show)
{
    if ((m_CloseBox != 0) == show)
        return;
    m_CloseBox = show ? 1 : 0;
    if (m_Built)
        Rebuild();
}

void SpeechBubble::SetFont(Font* font)
{
    if (font && font == m_Font.get())
        return;
    std::unique_ptr<Font> incoming(font ? font : CreateBubbleFont().release());
    const bool changed = !m_Font || !(*m_Font == *incoming);
    m_Font = std::move(incoming);
    if (m_Built && changed)
        Rebuild();
}

void SpeechBubble::Rebuild()
{
    bubble::ClearForRebuild(*this, m_Pieces, kKeyTipLayerName);
    const int widthLimit = bubble::StackPieces(*this, m_Style, m_Pieces);

    auto label = std::make_unique<Label>();
    auto font = std::make_unique<Font>(*m_Font);
    font->SetCharacterSpacingAdjustment(m_FontSpacing);
    // Measuring always counts the spacing; rendering only when this is on.
    font->SetUseAdjustedCharacterSpacing(m_FontSpacing != 0);
    label->SetFont(font.release(), false);
    label->SetColor(m_TextColor, false);

    const bubble::WrappedText wrapped =
        bubble::WrapText(m_Text, *label->GetFont(), widthLimit, m_CloseBox != 0, true);
    bubble::AddLowerPieces(*this, m_Style, wrapped.lines, m_Pieces);
    bubble::PlaceLabel(*this, label.release(), wrapped.text, widthLimit, m_Pieces);

    static const double kRotations[] = {0.0, 180.0, 90.0, -90.0};
    if (m_Direction >= TAIL_LEFT && m_Direction <= TAIL_ABOVE) {
        Actor* tail = bubble::AddArrow(*this, "objBubble." + m_Style + ".Triangle.png", kRotations[m_Direction],
                                       m_Pieces);
        PlaceTail(*tail, wrapped.lines);
    }

    if (m_CloseBox)
        bubble::AddCloseBox(*this, "SpeechBubbleCloseButton");
}

void SpeechBubble::PlaceTail(Actor& tail, int lines) const
{
    const int w = GetWidth();
    const int h = GetHeight();
    const int aw = tail.GetWidth();
    const int ah = tail.GetHeight();
    // A bubble of one line is rounder at the sides: the tail reaches further in.
    const int overlap = lines == 1 ? 6 : 3;
    switch (m_Direction) {
    case TAIL_LEFT:
        tail.SetPosition(overlap - aw, h / 2 - ah / 2);
        break;
    case TAIL_RIGHT:
        tail.SetPosition(w - overlap, h / 2 - 1 - ah / 2);
        break;
    case TAIL_BELOW:
        tail.SetPosition(w / 2 - 4 - aw / 2, h - 4);
        break;
    case TAIL_ABOVE:
        tail.SetPosition(w / 2 - 4 - aw / 2, 9 - ah);
        break;
    default:
        break;
    }
}
