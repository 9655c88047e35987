#include "engine/ui/NumericalStatDisplay.h"

#include "engine/core/Config.h"
#include "engine/core/Exception.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/Canvas.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Utility.h"
#include "engine/ui/Label.h"

#include <boost/format.hpp>

namespace {

constexpr std::size_t kDot = 10;
constexpr std::size_t kComma = 11;
constexpr std::uint32_t kMeasuringWindow = 100;

Variant Setting(const std::string& key)
{
    Config* config = GetConfig();
    return config ? config->Retrieve(key) : Variant();
}

// Glyph index of a character; past the glyphs for one that has none.
std::size_t GlyphIndex(char ch)
{
    if (ch >= '0' && ch <= '9')
        return static_cast<std::size_t>(ch - '0');
    if (ch == '.')
        return kDot;
    if (ch == ',')
        return kComma;
    return static_cast<std::size_t>(-1);
}

// Pushes a canvas state and pops it on every way out.
struct CanvasStateScope
{
    explicit CanvasStateScope(Canvas& canvas) : canvas(canvas) { canvas.PushState(); }
    ~CanvasStateScope() { canvas.PopState(); }
    Canvas& canvas;
};

} // namespace

// ---------------------------------------------------------------- glyphs

NumericalStatDisplay::NumericalStatDisplay()
{
    BuildNumbers();
}

NumericalStatDisplay::~NumericalStatDisplay() = default;

void NumericalStatDisplay::BuildNumbers()
{
    const Variant fontName = Setting("FPSFont");
    VELK_ASSERT_MSG(fontName.IsString(), "The setting \"FPSFont\" must name a font file.");
    const Variant fontSize = Setting("FPSFontSize");
    VELK_ASSERT_MSG(fontSize.IsDouble(), "The setting \"FPSFontSize\" must be a number.");
    Config* config = GetConfig();
    const Color color = config->GetColor("FPSCounterColor", Colors::White);
    for (std::size_t i = 0; i < 12; ++i) {
        const std::string text = i < 10 ? (boost::format("%1%") % i).str() : i == kDot ? "." : ",";
        auto* font = new Font(fontName.ToString(), static_cast<int>(fontSize.ToDouble()), 0);
        m_Numbers.push_back(std::make_unique<Label>(text, font, color, TEXTALIGN_CENTER));
    }
}

Label* NumericalStatDisplay::GlyphOf(char ch) const
{
    const std::size_t charIndex = GlyphIndex(ch);
    if (charIndex == static_cast<std::size_t>(-1))
        return nullptr;
    VELK_ASSERT(charIndex < m_Numbers.size());
    return m_Numbers[charIndex].get();
}

Point<int> NumericalStatDisplay::CalcTextSize(const std::string& text) const
{
    Point<int> size(0, 0);
    for (char ch : text)
        if (Label* glyph = GlyphOf(ch)) {
            size.x += glyph->GetWidth();
            size.y = std::max(size.y, static_cast<int>(glyph->GetHeight()));
        }
    return size;
}

void NumericalStatDisplay::DrawNumbers(Canvas& canvas, const std::string& text, Actor* prefix)
{
    Point<int> size = CalcTextSize(text);
    if (prefix)
        size.x += prefix->GetWidth();
    CanvasStateScope scope(canvas);
    canvas.FillRect(size.x, size.y, Colors::White);
    if (prefix) {
        prefix->Draw(canvas);
        canvas.Translate(prefix->GetWidth(), 0);
    }
    for (char ch : text)
        if (Label* glyph = GlyphOf(ch)) {
            glyph->Draw(canvas);
            canvas.Translate(glyph->GetWidth(), 0);
        }
}

void NumericalStatDisplay::FormatValue(Canvas& canvas, double value, Actor* prefix)
{
    DrawNumbers(canvas, (boost::format("%1$04.1f") % value).str(), prefix);
}

void NumericalStatDisplay::SetValue(Canvas& canvas, std::int32_t value, Actor* prefix, bool groupDigits)
{
    const std::string text =
        groupDigits ? FormatUnsigned64WithCommas(static_cast<std::uint64_t>(static_cast<std::int64_t>(value)))
                    : (boost::format("%1%") % value).str();
    DrawNumbers(canvas, text, prefix);
}

// ---------------------------------------------------------------- frame rate

FPSCounter::FPSCounter()
{
    BuildPrefix();
}

FPSCounter::~FPSCounter() = default;

void FPSCounter::BuildPrefix()
{
    Application* app = Application::GetInstance();
    const bool hardware = app && app->IsHWAccelEnabled();
    m_Prefix.reset(Label::CreateWithText("CounterLabel", hardware ? "HW: " : "SW: "));
}

void FPSCounter::FrameBegin(std::uint32_t now)
{
    m_FrameStart = now;
}

void FPSCounter::FrameEnd(std::uint32_t now)
{
    if (m_FrameStart == 0)
        return;
    m_Accumulated += now - m_FrameStart;
    ++m_FrameCount;
    if (m_Accumulated >= kMeasuringWindow) {
        m_FramesPerSecond = static_cast<float>(m_FrameCount / (m_Accumulated * 0.001));
        m_Accumulated = 0;
        m_FrameCount = 0;
    }
}

void FPSCounter::DrawImage(Canvas& canvas)
{
    if (m_FrameStart == 0)
        return;
    FormatValue(canvas, m_FramesPerSecond, m_Prefix.get());
}

bool FPSCounter::OnDisplayChange(const EventRecord& event)
{
    BuildPrefix();
    return NumericalStatDisplay::OnDisplayChange(event);
}

// ---------------------------------------------------------------- resource memory

ResourceMemoryUsageCounter::ResourceMemoryUsageCounter(int category) : m_Category(category) {}

void ResourceMemoryUsageCounter::DrawImage(Canvas& canvas)
{
    SetValue(canvas, GetMemUsage(static_cast<MemUsageCategory>(m_Category)), nullptr, true);
}
