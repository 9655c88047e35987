#include "engine/ui/TextBox.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/core/TimerManager.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Sound.h"
#include "engine/ui/Label.h"

#include <SDL.h>

#include <memory>

namespace {

constexpr int kCaretWidth = 2;
constexpr std::uint32_t kBlinkMilliseconds = 500;
constexpr int kLabelIndent = 10;

Variant Setting(const std::string& key)
{
    Config* config = GetConfig();
    return config ? config->Retrieve(key) : Variant();
}

void RegisterNamed(Class* c, const char* name)
{
    c->RegisterPropertyGetter(MakeNamedProperty(name));
    c->RegisterPropertySetter(MakeNamedProperty(name));
}

// Builds a default box and applies the table; a box that fails half-way is deleted.
Object* InstantiateTextBox(const LuaObject& params)
{
    auto box = std::make_unique<TextBox>();
    box->ApplyProperties(params);
    box->OnPostSpawn();
    return box.release();
}

} // namespace

// ---------------------------------------------------------------- caret

IBeam::IBeam(int width, int height) : Actor(Colors::Black)
{
    SetSize(width, height);
    SetVisible(true, false);
    TimerManager* timers = TimerManager::GetInstance();
    VELK_ASSERT(timers != 0);
    m_TimerID = timers->CreateTimer(this, kBlinkMilliseconds, -1, TIMER_LIMITED_TO_FRAMERATE, "default");
}

IBeam::~IBeam()
{
    if (m_TimerID)
        if (TimerManager* timers = TimerManager::GetInstance())
            timers->FreeTimer(m_TimerID);
    m_TimerID = 0;
}

bool IBeam::OnTimer(const EventRecord& event)
{
    if (m_TimerID == 0 || TimerIDOfEvent(event) != m_TimerID)
        return Actor::OnTimer(event);
    SetVisible(!IsVisible(), false);
    return true;
}

// ---------------------------------------------------------------- registration

void TextBoxClassHook(Class* c)
{
    for (const char* name : {"text", "boxSize", "limit", "useActorColorAsBG", "bgColor"})
        RegisterNamed(c, name);
    auto clickSound = MemberOf(&TextBox::m_ClickSound);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_STRING, clickSound, "clickSound"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_STRING, clickSound, "clickSound"));
}

VELK_REGISTER_CLASS(TextBox, "Actor", TextBoxClassHook, InstantiateTextBox);

// ---------------------------------------------------------------- construction

TextBox::TextBox() : Actor(Colors::White)
{
    MakeControls();
}

TextBox::TextBox(int width, int height, const std::string& text) : Actor(Colors::White), m_Text(text)
{
    MakeControls();
    SetSizeAndText(width, height, text);
}

TextBox::~TextBox() = default;

void TextBox::MakeControls()
{
    const Variant size = Setting("TextBoxFontSize");
    VELK_ASSERT_MSG(size.IsDouble(), "The setting \"TextBoxFontSize\" must be a number.");
    const Variant fontName = Setting("TextBoxFont");
    VELK_ASSERT_MSG(fontName.IsString(), "The setting \"TextBoxFont\" must name a font file.");
    Config* config = GetConfig();
    const Color color = config ? config->GetColor("TextBoxFgColor", Colors::Black) : Colors::Black;
    const int fontSize = static_cast<int>(size.ToDouble());

    auto label = std::make_unique<Label>("", new Font(fontName.ToString(), fontSize, 0), color, TEXTALIGN_LEFT);
    label->SetAlignment(RectAlignment::MidLeft);
    label->SetAlignTo(RectAlignment::MidLeft);
    label->SetAlignmentOffset(kLabelIndent, 0);
    m_Label = label.get();
    AddChild(label.release());

    auto caret = std::make_unique<IBeam>(kCaretWidth, fontSize);
    m_Caret = caret.get();
    AddChild(caret.release());
    m_CaretIndex = 0;
    PlaceCaret();
}

// ---------------------------------------------------------------- properties

void TextBox::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "boxSize") {
        Point<int> size(value);
        SetBoxSize(size.x, size.y);
        // Properties come in any order: text set before the size follows the box.
        ShowTextInLabel();
        PlaceCaret();
    } else if (name == "text") {
        SetText(ReadStringFromObject(value));
    } else if (name == "limit") {
        m_Limit = static_cast<std::uint32_t>(ReadIntegerFromObject(value));
    } else {
        Actor::ApplyClassicProperty(name, value);
    }
}

void TextBox::StoreProperties(LuaObject& table)
{
    Actor::StoreProperties(table);
    table.SetString("text", m_Text);
    LuaObject size;
    size.AssignNewTable(table.GetState());
    size.SetInteger("x", m_BoxWidth);
    size.SetInteger("y", m_BoxHeight);
    table.SetObject("boxSize", size);
}

void TextBox::SetVisible(bool visible, bool recursive)
{
    m_Active = visible ? 1 : 0;
    Actor::SetVisible(visible, recursive);
}

// ---------------------------------------------------------------- text

void TextBox::SetBoxSize(int width, int height)
{
    m_BoxWidth = static_cast<std::uint16_t>(width);
    m_BoxHeight = static_cast<std::uint16_t>(height);
    SetSize(m_BoxWidth, m_BoxHeight);
}

void TextBox::SetText(const std::string& text)
{
    m_Text = text;
    m_Label->SetWidthLimit(m_BoxWidth);
    m_Label->SetText(PlainLabelText(m_Text), true);
    m_CaretIndex = static_cast<std::uint32_t>(m_Text.size());
    PlaceCaret();
}

void TextBox::SetSizeAndText(int width, int height, const std::string& text)
{
    SetBoxSize(width, height);
    SetText(text);
}

void TextBox::ShowTextInLabel()
{
    SetSize(m_BoxWidth, m_BoxHeight);
    m_Label->SetWidthLimit(m_BoxWidth);
    m_Label->SetAlignment(RectAlignment::MidLeft);
    m_Label->SetAlignTo(RectAlignment::MidLeft);
    m_Label->SetAlignmentOffset(kLabelIndent, 0);
    m_Label->SetText(PlainLabelText(m_Text), true);
}

void TextBox::PlaceCaret()
{
    const int textWidth = m_Label->GetFont()->GetTextSize(m_Text.substr(0, m_CaretIndex)).x;
    const int x = m_Label->GetX() + textWidth - (m_Caret->GetWidth() >> 1);
    const int y = m_Label->GetY() + (m_Label->GetHeight() >> 1) - (m_Caret->GetHeight() >> 1);
    m_Caret->SetPosition(static_cast<std::int16_t>(x), static_cast<std::int16_t>(y));
}

void TextBox::AfterEdit()
{
    if (!m_ClickSound.empty())
        Sound::Play(m_ClickSound);
    ShowTextInLabel();
    PlaceCaret();
}

bool TextBox::IsAcceptedCharacter(std::uint32_t code)
{
    return code <= 255 && code >= 32 && code <= 126 && code != '"' && code != '\\' && code != '|';
}

// ---------------------------------------------------------------- keys

bool TextBox::OnKeyDown(const EventRecord& event)
{
    if (!m_Active)
        return false;
    const int modifiers = event.key.keysym.mod & ~(KMOD_NUM | KMOD_CAPS);
    if (modifiers == KMOD_LALT || modifiers == KMOD_RALT)
        return false;

    const std::uint32_t code = event.key.keysym.unicode;
    if (IsAcceptedCharacter(code)) {
        if (!(255 > event.key.keysym.unicode))
            VELK_THROW(Exception, AssertionText("255 > event->key.keysym.unicode"));
        if (m_Text.size() < m_Limit) {
            m_Text.insert(m_Text.begin() + m_CaretIndex, static_cast<char>(code));
            ++m_CaretIndex;
            AfterEdit();
        } else {
            PlaceCaret();
        }
        return false;
    }

    switch (event.key.keysym.sym) {
    case SDLK_BACKSPACE:
        if (m_CaretIndex > 0) {
            --m_CaretIndex;
            m_Text.erase(m_CaretIndex, 1);
            AfterEdit();
        }
        break;
    case SDLK_DELETE:
        if (m_CaretIndex < m_Text.size()) {
            m_Text.erase(m_CaretIndex, 1);
            AfterEdit();
        }
        break;
    case SDLK_RIGHT:
        if (m_CaretIndex < m_Text.size())
            ++m_CaretIndex;
        break;
    case SDLK_LEFT:
        if (m_CaretIndex > 0)
            --m_CaretIndex;
        break;
    default:
        break;
    }
    PlaceCaret();
    return false;
}
