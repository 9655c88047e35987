#pragma once

#include "engine/core/Color.h"
#include "engine/core/Object.h"
#include "engine/core/Point.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>
#include <memory>
#include <string>
#include <utility>

class DrawableImageCollection;
class Image;
typedef struct _TTF_Font TTF_Font;

// The key a renderer was made for.
struct FontRendererInfo
{
    std::string fontName;
    int pointSize = 0;
    int fontIndex = 0;
};

// One open TrueType face at one point size, shared by every Font with the same
// file, size and face index through FontRendererCache.
class IndividualFontRenderer
{
public:
    // Opens the font file of that resource name; throws when it cannot.
    IndividualFontRenderer(const std::string& fontName, int pointSize, int fontIndex);
    IndividualFontRenderer(const IndividualFontRenderer&) = delete;
    IndividualFontRenderer& operator=(const IndividualFontRenderer&) = delete;
    ~IndividualFontRenderer();

    Point<int> GetTextSize(const std::string& text) const;
    // A new image of the text. A one-character text may come from (and go to)
    // the character cache when allowCache is set and the application asks for it.
    std::unique_ptr<Image> RenderText(const std::string& text, const Color& color, bool allowCache);

    const std::string& GetFontName() const { return m_FontName; }
    int GetPointSize() const { return m_PointSize; }
    int GetFontIndex() const { return m_FontIndex; }
    int GetReferenceCount() const { return m_ReferenceCount; }
    std::size_t GetCachedCharacterCount() const { return m_CharacterCache.size(); }

private:
    friend class FontRendererCache;

    void InitTTFFont();
    // Opens m_TTFFont; the reason when it could not.
    std::string OpenTTFFont();

    std::string m_FontName;
    int m_PointSize;
    int m_FontIndex;
    // SDL_ttf reads glyphs from these bytes for as long as the font is open.
    std::shared_ptr<const std::vector<char>> m_FontBytes;
    TTF_Font* m_TTFFont = nullptr;
    // By character and colour: a glyph cached in one colour is no use in another.
    std::map<std::pair<unsigned char, std::uint32_t>, std::unique_ptr<Image>> m_CharacterCache;
    int m_ReferenceCount = 1;
};

// The process's renderers by (file name, point size, face index), counted by
// the fonts that hold them.
class FontRendererCache
{
public:
    // The renderer for the key with one more reference; a new one when none is open.
    static IndividualFontRenderer* Acquire(const std::string& fontName, int pointSize, int fontIndex);
    // Drops one reference; the last one closes the renderer.
    static void Release(IndividualFontRenderer* renderer);
    // The open renderer for the key, or null; takes no reference.
    static IndividualFontRenderer* Find(const std::string& fontName, int pointSize, int fontIndex);
    static std::size_t GetRendererCount();
    // A font file's bytes, read once while the font library runs: every size
    // and face of a file shares them.
    static std::shared_ptr<const std::vector<char>> FindFileBytes(const std::string& fontName);
    static void KeepFileBytes(const std::string& fontName, std::shared_ptr<const std::vector<char>> bytes);
    // The library is shut down: the next start reads the files again.
    static void ForgetFileBytes();
};

// A TrueType face at a point size as scripts describe it, with an optional
// fixed spacing between characters. Measures text and renders it into images.
class Font : public Object
{
    VELK_DECLARE_CLASS(Font)
public:
    Font();
    // A table of properties, or the name of a resource table of them.
    explicit Font(const LuaObject& params);
    Font(const std::string& fontName, int pointSize, int fontIndex);
    // Takes the other font's face, size and index; the spacing starts off.
    Font(const Font& other);
    Font& operator=(const Font&) = delete;
    ~Font() override;

    // A new font given the properties of the resource table of that name.
    static std::unique_ptr<Font> CreateFromTable(const std::string& name);
    // Whether a script value can describe a font: a table or a resource name.
    static bool IsFont(const LuaObject& params);

    // Takes the renderer for the new key before letting go of the old one; on
    // failure the font keeps its previous face and renderer.
    void SetFont(const std::string& fontName, int pointSize, int fontIndex);
    void SetPointSize(int pointSize);
    std::string GetFontName() const;
    int GetPointSize() const;
    bool HasRenderer() const { return m_Renderer != nullptr; }

    bool GetUseAdjustedCharacterSpacing() const { return m_UseAdjustedCharacterSpacing; }
    void SetUseAdjustedCharacterSpacing(bool use) { m_UseAdjustedCharacterSpacing = use; }
    int GetCharacterSpacingAdjustment() const { return m_CharacterSpacingAdjustment; }
    void SetCharacterSpacingAdjustment(int pixels) { m_CharacterSpacingAdjustment = pixels; }

    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    void StoreProperties(LuaObject& table) override;

    // Width and height of the text, character by character; a line feed starts a new line.
    Point<int> GetTextSize(const std::string& text) const;
    std::unique_ptr<Image> RenderToImage(const std::string& text, const Color& color) const;
    // Each character as an image of its own, side by side from x = 0.
    void RenderToDrawableImageCollection(const std::string& text, const Color& color,
                                         DrawableImageCollection& collection) const;
    void SaveFontRendererInfo(FontRendererInfo& info) const;

    bool operator==(const Font& other) const;

    static void ClassHook(Class* c);

private:
    IndividualFontRenderer* m_Renderer = nullptr;
    std::string m_FontName;
    int m_PointSize = 0;
    int m_FontIndex = 0;
    bool m_UseAdjustedCharacterSpacing = false;
    int m_CharacterSpacingAdjustment = 0;
};
