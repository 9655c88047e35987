#include "engine/runtime/Font.h"

#include "engine/core/Exception.h"
#include "engine/core/TypeConversion.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DrawableImageCollection.h"
#include "engine/runtime/Image.h"
#include "engine/runtime/Resource.h"

#include <SDL_ttf.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

using RendererKey = std::tuple<std::string, int, int>;

// Each font file's bytes, by file name, shared by all its sizes and faces.
std::map<std::string, std::shared_ptr<const std::vector<char>>>& FileBytes()
{
    static std::map<std::string, std::shared_ptr<const std::vector<char>>> bytes;
    return bytes;
}

// Raw pointers: a renderer goes only through Release, never with the process's
// static objects (SDL_ttf may be shut down by then).
std::map<RendererKey, IndividualFontRenderer*>& Renderers()
{
    static auto* renderers = new std::map<RendererKey, IndividualFontRenderer*>();
    return *renderers;
}

bool UseCharacterCache()
{
    Application* app = Application::GetInstance();
    return app && app->RetrieveBoolProperty("useIndividuallyRenderedCharCache", false);
}

std::uint32_t PackColor(const Color& color)
{
    return static_cast<std::uint32_t>(color.r) | (static_cast<std::uint32_t>(color.g) << 8) |
           (static_cast<std::uint32_t>(color.b) << 16);
}

std::unique_ptr<Image> MakeEmptyImage()
{
    return std::make_unique<Image>(0, 0, 1, 0u);
}

} // namespace

// ---------------------------------------------------------------------------
// IndividualFontRenderer

IndividualFontRenderer::IndividualFontRenderer(const std::string& fontName, int pointSize, int fontIndex)
    : m_FontName(fontName), m_PointSize(pointSize), m_FontIndex(fontIndex)
{
    InitTTFFont();
}

IndividualFontRenderer::~IndividualFontRenderer()
{
    m_CharacterCache.clear();
    // Shutting SDL_ttf down has already freed every face; closing one now would free it twice.
    if (m_TTFFont && TTF_WasInit())
        TTF_CloseFont(m_TTFFont);
    m_TTFFont = nullptr;
}

void IndividualFontRenderer::InitTTFFont()
{
    std::string error;
    try {
        error = OpenTTFFont();
    } catch (const Exception& e) {
        error = e.GetMessage();
    }
    if (!m_TTFFont)
        m_FontBytes.reset();
    VELK_ASSERT_MSG(m_TTFFont != 0, (boost::format("Could not set font:\nname = %1%\npoint size = %2%\nindex = "
                                                   "%3%\nerror (from TTF_OpenFontIndexRW) = %4%") %
                                     m_FontName % m_PointSize % m_FontIndex % error)
                                        .str());
}

std::string IndividualFontRenderer::OpenTTFFont()
{
    // What SDL_ttf does not check itself: without the library it would keep the
    // stream; a negative size or face index crashes it, and size 0 draws nothing.
    if (!TTF_WasInit())
        return "the font library is not running";
    if (m_PointSize < 1)
        return "the point size must be at least 1";
    if (m_FontIndex < 0)
        return "the face index must not be negative";

    m_FontBytes = FontRendererCache::FindFileBytes(m_FontName);
    if (!m_FontBytes) {
        ResourceInfo* info = nullptr;
        RequireResourceCatalog().AcquireResource(m_FontName.c_str(), &info);
        FileReader* reader = info ? info->GetReader() : nullptr;
        if (!reader)
            return "the resource has no file to read";
        const char* data = nullptr;
        std::size_t size = 0;
        reader->Read(info->GetLocation(), data, size);
        if (size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
            reader->Close();
            return "the font file is empty or too large";
        }
        m_FontBytes = std::make_shared<const std::vector<char>>(data, data + size);
        // The font keeps its own copy, so the reader's may go.
        reader->Close();
        FontRendererCache::KeepFileBytes(m_FontName, m_FontBytes);
    }

    SDL_RWops* stream = SDL_RWFromConstMem(m_FontBytes->data(), static_cast<int>(m_FontBytes->size()));
    if (!stream)
        return SDL_GetError();
    m_TTFFont = TTF_OpenFontIndexRW(stream, 1, m_PointSize, m_FontIndex);
    return m_TTFFont ? std::string() : std::string(TTF_GetError());
}

Point<int> IndividualFontRenderer::GetTextSize(const std::string& text) const
{
    Point<int> size;
    VELK_ASSERT_MSG(TTF_SizeText(m_TTFFont, text.c_str(), &size.x, &size.y) == 0,
                    (boost::format("Could not get size of rendered text: %1%") % TTF_GetError()).str());
    return size;
}

std::unique_ptr<Image> IndividualFontRenderer::RenderText(const std::string& text, const Color& color,
                                                          bool allowCache)
{
    const bool useCache = allowCache && text.size() == 1 && UseCharacterCache();
    const auto key = std::make_pair(static_cast<unsigned char>(text.empty() ? 0 : text[0]), PackColor(color));
    if (useCache) {
        auto found = m_CharacterCache.find(key);
        if (found != m_CharacterCache.end())
            return found->second->Clone();
    }

    SDL_Color ink;
    ink.r = color.r;
    ink.g = color.g;
    ink.b = color.b;
    ink.unused = 0;
    SDL_Surface* surface = TTF_RenderText_Blended(m_TTFFont, text.c_str(), ink);
    VELK_ASSERT_MSG(surface != 0, (boost::format("Couldn't render text, \"%1%\": %2%") % text % SDL_GetError()).str());
    auto image = std::make_unique<Image>(surface, 0u, nullptr);
    if (!useCache)
        return image;
    std::unique_ptr<Image> copy = image->Clone();
    m_CharacterCache[key] = std::move(image);
    return copy;
}

// ---------------------------------------------------------------------------
// FontRendererCache

IndividualFontRenderer* FontRendererCache::Acquire(const std::string& fontName, int pointSize, int fontIndex)
{
    auto& renderers = Renderers();
    const RendererKey key(fontName, pointSize, fontIndex);
    auto found = renderers.find(key);
    if (found != renderers.end()) {
        ++found->second->m_ReferenceCount;
        return found->second;
    }
    auto renderer = std::make_unique<IndividualFontRenderer>(fontName, pointSize, fontIndex);
    renderers.emplace(key, renderer.get());
    return renderer.release();
}

void FontRendererCache::Release(IndividualFontRenderer* renderer)
{
    if (!renderer)
        return;
    if (--renderer->m_ReferenceCount > 0)
        return;
    Renderers().erase(RendererKey(renderer->m_FontName, renderer->m_PointSize, renderer->m_FontIndex));
    delete renderer;
}

std::shared_ptr<const std::vector<char>> FontRendererCache::FindFileBytes(const std::string& fontName)
{
    auto found = FileBytes().find(fontName);
    return found == FileBytes().end() ? nullptr : found->second;
}

void FontRendererCache::KeepFileBytes(const std::string& fontName, std::shared_ptr<const std::vector<char>> bytes)
{
    FileBytes()[fontName] = std::move(bytes);
}

void FontRendererCache::ForgetFileBytes()
{
    FileBytes().clear();
}

IndividualFontRenderer* FontRendererCache::Find(const std::string& fontName, int pointSize, int fontIndex)
{
    auto& renderers = Renderers();
    auto found = renderers.find(RendererKey(fontName, pointSize, fontIndex));
    return found == renderers.end() ? nullptr : found->second;
}

std::size_t FontRendererCache::GetRendererCount()
{
    return Renderers().size();
}

// ---------------------------------------------------------------------------
// Font

void Font::ClassHook(Class* c)
{
    for (const char* name : {"fontName", "fontSize", "fontIndex"}) {
        c->RegisterPropertyGetter(MakeNamedProperty(name));
        c->RegisterPropertySetter(MakeNamedProperty(name));
    }
    c->RegisterPropertySetter(MakeNamedProperty("style"));
    auto spacing = MemberOf(&Font::m_UseAdjustedCharacterSpacing);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_BOOL, spacing, "useAdjustedCharacterSpacing"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_BOOL, spacing, "useAdjustedCharacterSpacing"));
    auto adjustment = MemberOf(&Font::m_CharacterSpacingAdjustment);
    c->RegisterPropertyGetter(CreatePropertyAccessor(TYPE_INT32, adjustment, "characterSpacingAdjustment"));
    c->RegisterPropertySetter(CreatePropertyAccessor(TYPE_INT32, adjustment, "characterSpacingAdjustment"));
}

VELK_REGISTER_CLASS(Font, "Object", Font::ClassHook, InstantiateObjectOfClass<Font>);

Font::Font() = default;

Font::Font(const LuaObject& params)
{
    VELK_ASSERT(Font::IsFont(params));
    if (params.IsTable())
        ApplyProperties(params);
    else
        ApplyNamedResource(params.GetString());
}

Font::Font(const std::string& fontName, int pointSize, int fontIndex)
{
    SetFont(fontName, pointSize, fontIndex);
}

Font::Font(const Font& other) : Object()
{
    // A font that was never set copies as one that is not set either.
    if (other.m_Renderer)
        SetFont(other.m_FontName, other.m_PointSize, other.m_FontIndex);
}

Font::~Font()
{
    FontRendererCache::Release(m_Renderer);
    m_Renderer = nullptr;
}

std::unique_ptr<Font> Font::CreateFromTable(const std::string& name)
{
    auto font = std::make_unique<Font>();
    font->ApplyNamedResource(name);
    return font;
}

bool Font::IsFont(const LuaObject& params)
{
    return params.IsTable() || params.IsString();
}

void Font::SetFont(const std::string& fontName, int pointSize, int fontIndex)
{
    IndividualFontRenderer* renderer = FontRendererCache::Acquire(fontName, pointSize, fontIndex);
    FontRendererCache::Release(m_Renderer);
    m_Renderer = renderer;
    m_FontName = fontName;
    m_PointSize = pointSize;
    m_FontIndex = fontIndex;
}

void Font::SetPointSize(int pointSize)
{
    VELK_ASSERT(m_Renderer);
    SetFont(m_FontName, pointSize, m_FontIndex);
}

std::string Font::GetFontName() const
{
    VELK_ASSERT(m_Renderer);
    return m_FontName;
}

int Font::GetPointSize() const
{
    VELK_ASSERT(m_Renderer);
    return m_PointSize;
}

void Font::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    std::string fontName = m_FontName;
    int pointSize = m_PointSize;
    int fontIndex = m_FontIndex;
    if (name == "fontName") {
        fontName = ReadStringFromObject(value);
    } else if (name == "fontSize") {
        pointSize = ReadIntegerFromObject(value);
    } else if (name == "fontIndex") {
        fontIndex = ReadIntegerFromObject(value);
    } else if (name == "style") {
        // Only the plain style exists; the base template names it, so it passes.
        if (ReadIntegerOrDefault(value, -1) != 0)
            VELK_ASSERT(false);
        return;
    } else {
        Object::ApplyClassicProperty(name, value);
        return;
    }
    if (!fontName.empty() && pointSize >= 1) {
        // Stores the values only once the renderer for them is open.
        SetFont(fontName, pointSize, fontIndex);
        return;
    }
    m_FontName = fontName;
    m_PointSize = pointSize;
    m_FontIndex = fontIndex;
}

void Font::StoreProperties(LuaObject& table)
{
    Object::StoreProperties(table);
    table.SetString("fontName", m_FontName);
    table.SetInteger("fontSize", m_PointSize);
    table.SetInteger("fontIndex", m_FontIndex);
}

Point<int> Font::GetTextSize(const std::string& text) const
{
    VELK_ASSERT(m_Renderer != 0);
    int lineWidth = 0;
    int lineHeight = 0;
    int totalHeight = 0;
    int widestLine = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            widestLine = std::max(widestLine, lineWidth);
            totalHeight += lineHeight;
            lineWidth = 0;
            lineHeight = 0;
            continue;
        }
        const Point<int> size = m_Renderer->GetTextSize(std::string(1, text[i]));
        lineWidth += size.x;
        if (i > 0)
            lineWidth += m_CharacterSpacingAdjustment;
        lineHeight = std::max(lineHeight, size.y);
    }
    return Point<int>(std::max(widestLine, lineWidth), totalHeight + lineHeight);
}

std::unique_ptr<Image> Font::RenderToImage(const std::string& text, const Color& color) const
{
    VELK_ASSERT(m_Renderer != 0);
    if (!m_UseAdjustedCharacterSpacing) {
        if (text.empty())
            return MakeEmptyImage();
        return m_Renderer->RenderText(text, color, false);
    }

    std::vector<std::unique_ptr<Image>> characters;
    characters.reserve(text.size());
    Point<int> finalSize;
    for (std::size_t i = 0; i < text.size(); ++i) {
        characters.push_back(m_Renderer->RenderText(std::string(1, text[i]), color, true));
        const Image::Size size = characters.back()->GetSize();
        finalSize.x += static_cast<int>(size.w);
        if (i > 0)
            finalSize.x += m_CharacterSpacingAdjustment;
        finalSize.y = std::max(finalSize.y, static_cast<int>(size.h));
    }
    if (finalSize.x == 0 && finalSize.y == 0)
        return MakeEmptyImage();
    VELK_ASSERT(finalSize.x > 0);

    auto result = std::make_unique<Image>(finalSize.x, finalSize.y, 1, std::uint32_t{IMAGEFLAG_SHARED_PIXELS});
    SDL_Surface* surface = result->GetSurface();
    SDL_FillRect(surface, nullptr, 0);
    Point<int> at;
    for (const std::unique_ptr<Image>& character : characters) {
        character->AlphaBlitOnto(nullptr, result.get(), &at);
        at.x += static_cast<int>(character->GetSize().w) + m_CharacterSpacingAdjustment;
    }
    return result;
}

void Font::RenderToDrawableImageCollection(const std::string& text, const Color& color,
                                           DrawableImageCollection& collection) const
{
    VELK_ASSERT(m_Renderer != 0);
    int x = 0;
    for (char character : text) {
        std::unique_ptr<Image> image = m_Renderer->RenderText(std::string(1, character), color, true);
        const int width = static_cast<int>(image->GetSize().w);
        collection.Add(std::move(image), x, 0);
        x += width + m_CharacterSpacingAdjustment;
    }
}

void Font::SaveFontRendererInfo(FontRendererInfo& info) const
{
    VELK_ASSERT(m_Renderer);
    info.fontName = m_Renderer->GetFontName();
    info.pointSize = m_Renderer->GetPointSize();
    info.fontIndex = m_Renderer->GetFontIndex();
}

bool Font::operator==(const Font& other) const
{
    return m_FontName == other.m_FontName && m_PointSize == other.m_PointSize && m_FontIndex == other.m_FontIndex &&
           m_UseAdjustedCharacterSpacing == other.m_UseAdjustedCharacterSpacing &&
           m_CharacterSpacingAdjustment == other.m_CharacterSpacingAdjustment;
}
