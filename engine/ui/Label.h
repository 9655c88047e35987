#pragma once

#include "engine/core/Color.h"
#include "engine/core/Point.h"
#include "engine/ui/Actor.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DrawableImageCollection;
class Font;

enum TextAlignment
{
    TEXTALIGN_CENTER = 0,
    TEXTALIGN_LEFT = 1,
    TEXTALIGN_RIGHT = 2,
};

// Text from data (a name on a card, a record, anything typed) as a label
// shows it and never runs it: every pipe doubled. Scripts have it as
// PlainLabelText(text).
std::string PlainLabelText(const std::string& text);

// An actor showing text in a TrueType font: rendered into one image, or into
// one image per character when the font is spaced by hand and the application
// asks for that. Lines break at line feeds and, with a wrap limit, at the
// first space past the limit; "|expr|" shows the value of a Lua expression
// (run in an allow-listed, read-only environment under a step and memory
// limit) and "||" a single pipe. The label renders again only when something the picture
// depends on has changed.
class Label : public Actor
{
    VELK_DECLARE_CLASS(Label)
public:
    // What one rendering was made from; equal keys give the same picture.
    struct RenderKey
    {
        std::string text;
        int textAlignment = TEXTALIGN_CENTER;
        std::string fontName;
        int fontSize = 0;
        int fontIndex = 0;
        bool adjustedSpacing = false;
        int spacingAdjustment = 0;
        int lineSpacing = 0;
        Color fgColor;
        bool useActorColorAsBG = false;
        // Only when it is the background.
        Color background;
        int widthLimit = 0;
        Point<int> textOffset;

        friend bool operator==(const RenderKey&, const RenderKey&) = default;
    };

    Label();
    // Takes the font.
    Label(const std::string& text, Font* font, const Color& color, int alignment);
    Label(const std::string& text, Font* font, int alignment);
    ~Label() override;

    // A default label with the named resource applied.
    static Label* Create(const std::string& resourceName);
    static Label* CreateWithText(const std::string& resourceName, const std::string& text);

    // ---- Object and Actor
    void ApplyClassicProperty(const std::string& name, const LuaObject& value) override;
    LuaObject GetProperty(const std::string& name, LuaState state) override;
    void StoreClassAndName(LuaObject& table) override;
    void DrawImage(Canvas& canvas) override;

    // ---- text and look
    void SetText(const std::string& text, bool render);
    // The script form: anything that converts to a string.
    void SetText(const LuaObject& text, bool render);
    std::string GetText() const { return m_Text; }
    void SetTextAlignment(int alignment, bool render);
    int GetTextAlignment() const { return m_TextAlignment; }
    void SetColor(const Color& color, bool render);
    const Color& GetFgColor() const { return m_FgColor; }
    // Takes the font; the old one is deleted.
    void SetFont(Font* font, bool render);
    Font* GetFont() const { return m_Font.get(); }
    void SetGrayed(bool on);
    void SetWrapLimit(int limit, bool render);
    int GetWrapLimit() const { return m_WrapLimit; }
    void SetLineSpacing(int spacing) { m_LineSpacing = spacing; }
    int GetLineSpacing() const { return m_LineSpacing; }
    void SetWidthLimit(int limit) { m_WidthLimit = limit; }
    int GetWidthLimit() const { return m_WidthLimit; }
    void SetTextOffset(int x, int y) { m_TextOffset = Point<int>(x, y); }
    void SetUseActorColorAsBG(bool on) { m_UseActorColorAsBG = on; }
    void SetShadowColor(const Color& color);
    void SetHighlightColor(const Color& color);

    void CreateShadow();
    void CreateHighlight();
    Label* GetShadow() const;
    Label* GetHighlight() const;

    // Renders when a font is set and the picture is out of date.
    void Render();
    // The text split at line feeds, with the embedded expressions evaluated.
    static void ProcessLines(const std::string& text, std::vector<std::string>& lines);

    DrawableImageCollection* GetDrawableImageCollection() const { return m_Collection.get(); }
    const RenderKey* GetRenderKey() const { return m_RenderKey.get(); }

private:
    friend void LabelClassHook(Class* c);

    bool HasFont() const;
    RenderKey CurrentKey() const;
    // Measures the lines; fills their widths and tops; returns the widest.
    int MeasureLines(const std::vector<std::string>& lines, std::vector<int>& widths, std::vector<int>& tops,
                     int& totalHeight) const;
    int LineX(int widest, int width) const;
    std::unique_ptr<Image> RenderLinesToImage(const std::vector<std::string>& lines);
    std::unique_ptr<DrawableImageCollection> RenderLinesToDrawableImageCollection(
        const std::vector<std::string>& lines);
    void FitToWidth(const std::string& text);
    Label* MakeCopyLabel(const Color& color, int x, int y, int zorder);

    int m_TextAlignment = TEXTALIGN_CENTER;
    std::unique_ptr<Font> m_Font;
    std::string m_Text;
    std::int32_t m_LineSpacing = 0;
    Color m_FgColor = Colors::Black;
    bool m_UseActorColorAsBG = false;
    bool m_Grayed = false;
    Color m_SavedFgColor;
    bool m_ShadowColorSet = false;
    Color m_ShadowColor;
    // The copies are held through their script selves, which read as nothing
    // once something else has deleted them.
    LuaObject m_Shadow;
    bool m_HighlightColorSet = false;
    Color m_HighlightColor;
    LuaObject m_Highlight;
    std::int32_t m_WidthLimit = 0;
    int m_BaseFontSize = 0;
    Point<int> m_TextOffset;
    std::unique_ptr<DrawableImageCollection> m_Collection;
    std::unique_ptr<RenderKey> m_RenderKey;
    std::int32_t m_WrapLimit = 0;
    bool m_Wrapped = false;
};
