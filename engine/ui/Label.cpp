#include "engine/ui/Label.h"

#include "engine/core/Exception.h"
#include "engine/core/Log.h"
#include "engine/core/ScriptBudget.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "engine/runtime/Application.h"
#include "engine/runtime/DrawableImageCollection.h"
#include "engine/runtime/Font.h"
#include "engine/runtime/Image.h"
#include "platform/lua/LuaDialect.h"

#include <algorithm>

namespace {

// The narrow sans of the data folder.
const char* const kDefaultFontName = "DejaVuSansCondensed.ttf";
constexpr int kDefaultFontSize = 18;
// Fitting to the width limit stops below this size.
constexpr int kSmallestFittingSize = 7;

const char* const kAlignmentNames[] = {"Center", "Left", "Right"};

bool RenderSeparateCharacters()
{
    Application* app = Application::GetInstance();
    return app && app->RetrieveBoolProperty("renderManuallySpacedCharsToSeparateImages", false);
}

// Lua's own text for a string or a number.
std::string ConvertedText(const LuaObject& value)
{
    LuaState state = value.GetState();
    lua_State* L = state.GetCState();
    value.Push();
    std::size_t length = 0;
    const char* text = lua_tolstring(L, -1, &length);
    std::string result(text, length);
    lua_pop(L, 1);
    return result;
}

// An expression in a label sees only what the game's texts need: a few
// functions, copies of the string, math and table libraries (string.rep with
// a cap on its length), and read-only views of Config, Players and HighScores
// that hand out plain values and further views, never functions. Nothing in it
// writes, loads, saves, quits or reaches a native. Text from data never gets
// here (its pipes are doubled where it enters a label); this is the backstop.
const char* const kExpressionEnvironmentSource = R"lua(
local longestRepeat, forInName = ...
local forIn = _G[forInName]
local tostring, tonumber, type, select, pairs, ipairs, next, unpack, rawget, setmetatable, error =
      tostring, tonumber, type, select, pairs, ipairs, next, unpack, rawget, setmetatable, error
local stringlib, mathlib, tablelib = string, math, table

local function refuse()
    error("a label expression cannot change anything", 2)
end

local function rep(text, count)
    local length = stringlib.len(text)
    count = tonumber(count)
    if count and length * count > longestRepeat then
        error("string.rep would make a text longer than " .. longestRepeat .. " bytes", 2)
    end
    return stringlib.rep(text, count)
end

local function copy(library, changes)
    local result = {}
    for name, value in pairs(library) do
        result[name] = value
    end
    for name, value in pairs(changes) do
        result[name] = value or nil
    end
    return result
end

-- A fresh environment per expression, so nothing one expression does is seen by the next.
return function()
    local views, sources = {}, {}
    local view

    local function plain(value)
        local kind = type(value)
        if kind == "table" then
            return views[value] or view(value, rawget)
        elseif kind == "string" or kind == "number" or kind == "boolean" then
            return value
        end
        return nil
    end

    function view(source, index)
        local result = setmetatable({}, {
            __index = function(_, key) return plain(index(source, sources[key] or key)) end,
            __newindex = refuse,
            __metatable = false,
        })
        views[source], sources[result] = result, source
        return result
    end

    local function viewPairs(t)
        local source = sources[t]
        if not source then
            return pairs(t)
        end
        local function step(_, key)
            local k, v = next(source, sources[key] or key)
            while k ~= nil and plain(k) == nil do
                k, v = next(source, k)
            end
            if k == nil then
                return nil
            end
            return plain(k), plain(v)
        end
        return step, t, nil
    end

    local function viewIpairs(t)
        local source = sources[t]
        if not source then
            return ipairs(t)
        end
        return function(_, i)
            i = i + 1
            local v = rawget(source, i)
            if v == nil then
                return nil
            end
            return i, plain(v)
        end, t, 0
    end

    local function viewUnpack(t, first, last)
        local source = sources[t]
        if not source then
            return unpack(t, first, last)
        end
        local values = {}
        for i = 1, tablelib.getn(source) do
            values[i] = plain(source[i])
        end
        return unpack(values, first, last)
    end

    local function reading(f)
        return function(t, ...) return f(sources[t] or t, ...) end
    end
    local function writing(f)
        return function(t, ...)
            if sources[t] then
                refuse()
            end
            return f(t, ...)
        end
    end

    local contents = {
        tostring = tostring,
        tonumber = tonumber,
        type = type,
        select = select,
        pairs = viewPairs,
        ipairs = viewIpairs,
        unpack = viewUnpack,
        -- What the dialect's "for k, v in t do" calls.
        [forInName] = function(f, ...)
            if sources[f] then
                return viewPairs(f)
            end
            return forIn(f, ...)
        end,
        string = copy(stringlib, { rep = rep, dump = false }),
        math = copy(mathlib, { randomseed = false }),
        table = {
            concat = reading(tablelib.concat),
            getn = reading(tablelib.getn),
            maxn = reading(tablelib.maxn),
            insert = writing(tablelib.insert),
            remove = writing(tablelib.remove),
            sort = writing(tablelib.sort),
        },
        Players = plain(Players),
        HighScores = plain(HighScores),
    }
    if type(Config) == "table" then
        local settings = Config
        contents.Config = view(settings, function(_, key) return settings[key] end)
    end
    return setmetatable({}, { __index = contents, __newindex = refuse, __metatable = false })
end
)lua";

char g_ExpressionEnvironmentKey;
const int kExpressionStepLimit = 100000;
const std::size_t kExpressionMemoryLimit = 4u << 20;
const int kLongestRepeat = 10000;

// Pushes a fresh environment for one expression.
void PushExpressionEnvironment(lua_State* L)
{
    lua_pushlightuserdata(L, &g_ExpressionEnvironmentKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        lua_pushinteger(L, kLongestRepeat);
        lua_pushstring(L, kLuaForInHelper);
        VelkLuaState::LoadStringA(LuaState(L), kExpressionEnvironmentSource, 2, 1);
        lua_pushlightuserdata(L, &g_ExpressionEnvironmentKey);
        lua_pushvalue(L, -2);
        lua_rawset(L, LUA_REGISTRYINDEX);
    }
    if (lua_pcall(L, 0, 1, 0) != 0)
        VELK_THROW(ScriptError, LuaState(L).PopErrorMessage());
}

void StopRunawayExpression(lua_State* L, lua_Debug*)
{
    luaL_error(L, "a label expression ran too long");
}

// Runs "return <expression>" and gives its first result as tostring shows it;
// nothing when it returns nothing.
std::string EvaluateExpression(const std::string& chunk)
{
    LuaState state = ObjectLuaState();
    lua_State* L = state.GetCState();
    const int base = lua_gettop(L);
    std::string result;
    std::string failure;
    try {
        PushExpressionEnvironment(L);
        const int environment = lua_gettop(L);
        lua_getfield(L, environment, "string");
        // The string methods ("x":rep(n)) are the environment's too while the budget holds.
        ScriptBudget budget(L, kExpressionStepLimit, kExpressionMemoryLimit, StopRunawayExpression,
                            ScriptBudget::StringMethodsFromTop);
        if (state.LoadString(chunk) != 0) {
            failure = (boost::format("Error in LoadString: %1%\n") % state.PopErrorMessage()).str();
        } else {
            lua_pushvalue(L, environment);
            lua_setfenv(L, -2);
            if (lua_pcall(L, 0, LUA_MULTRET, 0) != 0) {
                failure = (boost::format("Error in PCall: %1%\n") % state.PopErrorMessage()).str();
            } else if (lua_gettop(L) > environment) {
                lua_getglobal(L, "tostring");
                lua_pushvalue(L, environment + 1);
                if (lua_pcall(L, 1, 1, 0) != 0)
                    failure = state.PopErrorMessage();
                else if (const char* text = lua_tostring(L, -1))
                    result = text;
            }
        }
    } catch (...) {
        lua_settop(L, base);
        throw;
    }
    lua_settop(L, base);
    if (!failure.empty())
        VELK_THROW(ScriptError, failure);
    return result;
}

// PlainLabelText(text): the text with its pipes doubled.
int Script_PlainLabelText(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING && lua_type(L, 1) != LUA_TNUMBER)
        VELK_THROW(ScriptError, "PlainLabelText(text): the text must be a string.");
    std::size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    LuaState(L).PushString(PlainLabelText(std::string(text, length)));
    return 1;
}

ScriptFunctionRegistration s_PlainLabelText(Script_PlainLabelText, "PlainLabelText");

void RegisterNamed(Class* c, const char* name)
{
    c->RegisterPropertyGetter(MakeNamedProperty(name));
    c->RegisterPropertySetter(MakeNamedProperty(name));
}

} // namespace

std::string PlainLabelText(const std::string& text)
{
    std::string plain;
    plain.reserve(text.size());
    for (char ch : text) {
        plain += ch;
        if (ch == '|')
            plain += '|';
    }
    return plain;
}

// ---------------------------------------------------------------- registration

void LabelClassHook(Class* c)
{
    for (const char* name : {"text", "font", "fgColor", "useActorColorAsBG", "lineSpacing", "widthLimit",
                             "textOffset", "shadowColor", "highlightColor", "wrapLimit", "textAlignment"})
        RegisterNamed(c, name);
}

VELK_REGISTER_CLASS(Label, "Actor", LabelClassHook, InstantiateObjectOfClass<Label>);

// ---------------------------------------------------------------- construction

Label::Label() : m_Font(std::make_unique<Font>(kDefaultFontName, kDefaultFontSize, 0)), m_BaseFontSize(kDefaultFontSize)
{
}

Label::Label(const std::string& text, Font* font, const Color& color, int alignment) : m_Font(font)
{
    if (HasFont())
        m_BaseFontSize = m_Font->GetPointSize();
    m_FgColor = color;
    SetText(text, false);
    SetTextAlignment(alignment, false);
    Render();
}

Label::Label(const std::string& text, Font* font, int alignment) : Label(text, font, Colors::Black, alignment) {}

Label::~Label()
{
    // The copies go with the other children in Actor's destructor.
    SetImage(nullptr, std::string());
    m_Font.reset();
    m_Collection.reset();
    m_RenderKey.reset();
}

Label* Label::Create(const std::string& resourceName)
{
    auto label = std::make_unique<Label>();
    label->ApplyNamedResource(resourceName);
    return label.release();
}

Label* Label::CreateWithText(const std::string& resourceName, const std::string& text)
{
    std::unique_ptr<Label> label(Create(resourceName));
    label->SetText(text, true);
    return label.release();
}

// ---------------------------------------------------------------- properties

void Label::ApplyClassicProperty(const std::string& name, const LuaObject& value)
{
    if (name == "text") {
        SetText(value, false);
        Render();
    } else if (name == "font") {
        SetFont(new Font(value), true);
    } else if (name == "useActorColorAsBG") {
        m_UseActorColorAsBG = ReadBooleanFromObject(value);
    } else if (name == "bgColor" || name == "color") {
        if (value.IsBoolean()) {
            Actor::ApplyClassicProperty("color", value);
            return;
        }
        // The colour is the text's background, not a fill that would hide the text.
        std::uint32_t mode = GetColorMode();
        Actor::SetColor(Color(value));
        if (HasFont())
            SetColorMode(mode);
        Render();
    } else if (name == "fgColor") {
        SetColor(Color(value), true);
    } else if (name == "lineSpacing") {
        m_LineSpacing = ReadIntegerFromObject(value);
    } else if (name == "widthLimit") {
        m_WidthLimit = ReadIntegerFromObject(value);
    } else if (name == "textOffset") {
        m_TextOffset = Point<int>(value);
    } else if (name == "shadowColor") {
        SetShadowColor(Color(value));
    } else if (name == "highlightColor") {
        SetHighlightColor(Color(value));
    } else if (name == "wrapLimit") {
        SetWrapLimit(ReadIntegerFromObject(value), true);
    } else if (name == "textAlignment") {
        if (!value.IsString())
            return;
        const std::string text = value.GetString();
        for (int alignment = TEXTALIGN_CENTER; alignment <= TEXTALIGN_RIGHT; ++alignment)
            if (text == kAlignmentNames[alignment])
                SetTextAlignment(alignment, true);
    } else {
        Actor::ApplyClassicProperty(name, value);
    }
}

LuaObject Label::GetProperty(const std::string& name, LuaState state)
{
    LuaObject result(state);
    auto storeColor = [&](const Color& color) { color.StoreAsLuaObject(result, state); };
    if (name == "text") {
        result.AssignString(state, m_Text);
    } else if (name == "font") {
        if (m_Font) {
            result.AssignNewTable(state);
            m_Font->StoreProperties(result);
        }
    } else if (name == "fgColor") {
        storeColor(m_FgColor);
    } else if (name == "useActorColorAsBG") {
        result.AssignBoolean(state, m_UseActorColorAsBG);
    } else if (name == "lineSpacing") {
        result.AssignInteger(state, m_LineSpacing);
    } else if (name == "widthLimit") {
        result.AssignInteger(state, m_WidthLimit);
    } else if (name == "textOffset") {
        m_TextOffset.StoreAsLuaObject(result, state);
    } else if (name == "shadowColor") {
        if (m_ShadowColorSet)
            storeColor(m_ShadowColor);
    } else if (name == "highlightColor") {
        if (m_HighlightColorSet)
            storeColor(m_HighlightColor);
    } else if (name == "wrapLimit") {
        result.AssignInteger(state, m_WrapLimit);
    } else if (name == "textAlignment") {
        if (m_TextAlignment >= TEXTALIGN_CENTER && m_TextAlignment <= TEXTALIGN_RIGHT)
            result.AssignString(state, kAlignmentNames[m_TextAlignment]);
    } else {
        return Actor::GetProperty(name, state);
    }
    return result;
}

void Label::StoreClassAndName(LuaObject& table)
{
    if (m_Font) {
        LuaObject font;
        font.AssignNewTable(table.GetState());
        m_Font->StoreProperties(font);
        table.SetObject("font", font);
    }
    table.SetString("text", m_Text);
    Actor::StoreClassAndName(table);
}

// ---------------------------------------------------------------- text and look

bool Label::HasFont() const
{
    return m_Font && m_Font->HasRenderer();
}

void Label::SetText(const LuaObject& text, bool render)
{
    if (text.IsFunction()) {
        SetText(ReadStringFromObject(text), render);
        return;
    }
    if (!text.IsString() && !text.IsNumber())
        VELK_THROW(Exception, AssertionText("object.IsConvertibleToString()"));
    SetText(ConvertedText(text), render);
}

void Label::SetText(const std::string& text, bool render)
{
    m_Wrapped = false;
    if (m_WidthLimit != 0 && HasFont())
        FitToWidth(text);
    m_Text = text;
    if (m_WrapLimit != 0)
        SetWrapLimit(m_WrapLimit, true);
    // The copies show the text as the label shows it, wrapped included.
    for (Label* copy : {GetShadow(), GetHighlight()}) {
        if (!copy)
            continue;
        copy->SetLineSpacing(m_LineSpacing);
        copy->SetText(m_Text, true);
    }
    if (render)
        Render();
    UpdateAlignment();
}

void Label::FitToWidth(const std::string& text)
{
    auto setSize = [this](int size) {
        for (Font* font : {m_Font.get(), GetShadow() ? GetShadow()->GetFont() : nullptr,
                           GetHighlight() ? GetHighlight()->GetFont() : nullptr})
            if (font && font->HasRenderer() && font->GetPointSize() != size)
                font->SetPointSize(size);
    };
    int size = m_BaseFontSize;
    setSize(size);
    int width = m_Font->GetTextSize(text).x;
    // A font already at the smallest size is not made smaller still.
    while (width > m_WidthLimit && size >= kSmallestFittingSize) {
        --size;
        setSize(size);
        if (size < kSmallestFittingSize)
            break;
        width = m_Font->GetTextSize(text).x;
    }
}

void Label::SetWrapLimit(int limit, bool render)
{
    m_WrapLimit = limit;
    if (m_Wrapped || m_Text.empty())
        return;
    int counter = 1;
    bool pending = false;
    for (std::size_t i = 1; i < m_Text.size(); ++i) {
        char& ch = m_Text[i];
        if (counter == limit || ch == '\n')
            pending = true;
        if (!pending) {
            ++counter;
        } else if (ch != ' ' && ch != '\n') {
            ++counter;
        } else {
            // Breaks only between words: a longer word stays whole.
            ch = '\n';
            pending = false;
            counter = 2;
        }
    }
    m_Wrapped = true;
    if (render)
        Render();
}

void Label::SetTextAlignment(int alignment, bool render)
{
    m_TextAlignment = alignment;
    for (Label* copy : {GetShadow(), GetHighlight()})
        if (copy)
            copy->SetTextAlignment(alignment, true);
    if (render)
        Render();
}

void Label::SetColor(const Color& color, bool render)
{
    m_FgColor = color;
    if (render)
        Render();
}

void Label::SetFont(Font* font, bool render)
{
    m_Font.reset(font);
    m_BaseFontSize = HasFont() ? m_Font->GetPointSize() : 0;
    // The copies were made in the old font; the next rendering makes them again.
    for (LuaObject* handle : {&m_Shadow, &m_Highlight}) {
        if (auto* copy = dynamic_cast<Label*>(Object::FromLuaObject(*handle)); copy && copy->GetParent() == this)
            DestroyChild(copy);
        *handle = LuaObject();
    }
    if (render)
        Render();
}

void Label::SetGrayed(bool on)
{
    if (on) {
        if (!m_Grayed) {
            m_SavedFgColor = m_FgColor;
            m_Grayed = true;
        }
        m_FgColor = Colors::Gray;
        Render();
        return;
    }
    if (m_Grayed) {
        m_FgColor = m_SavedFgColor;
        Render();
        m_Grayed = false;
    }
}

// ---------------------------------------------------------------- shadow and highlight

void Label::SetShadowColor(const Color& color)
{
    m_ShadowColorSet = true;
    m_ShadowColor = color;
    if (Label* shadow = GetShadow())
        DestroyChild(shadow);
    m_Shadow = LuaObject();
}

void Label::SetHighlightColor(const Color& color)
{
    m_HighlightColorSet = true;
    m_HighlightColor = color;
    if (Label* highlight = GetHighlight())
        DestroyChild(highlight);
    m_Highlight = LuaObject();
}

Label* Label::GetShadow() const
{
    auto* shadow = dynamic_cast<Label*>(Object::FromLuaObject(m_Shadow));
    return shadow && shadow->GetParent() == this && !shadow->IsBeingDestroyed() ? shadow : nullptr;
}

Label* Label::GetHighlight() const
{
    auto* highlight = dynamic_cast<Label*>(Object::FromLuaObject(m_Highlight));
    return highlight && highlight->GetParent() == this && !highlight->IsBeingDestroyed() ? highlight : nullptr;
}

void Label::CreateShadow()
{
    VELK_ASSERT(m_Font);
    // Beneath the text: drawn over it, a "white text with a black shadow" would show black.
    m_Shadow = MakeCopyLabel(m_ShadowColor, -1, -1, -2)->GetLuaObject();
}

void Label::CreateHighlight()
{
    VELK_ASSERT(m_Font);
    m_Highlight = MakeCopyLabel(m_HighlightColor, 1, 1, -1)->GetLuaObject();
}

Label* Label::MakeCopyLabel(const Color& color, int x, int y, int zorder)
{
    auto font = std::make_unique<Font>(*m_Font);
    // Spaced the same, so the copy stays in step with the text it follows.
    font->SetUseAdjustedCharacterSpacing(m_Font->GetUseAdjustedCharacterSpacing());
    font->SetCharacterSpacingAdjustment(m_Font->GetCharacterSpacingAdjustment());
    auto copy = std::make_unique<Label>(m_Text, font.release(), color, m_TextAlignment);
    if (m_LineSpacing != 0 || m_TextOffset != Point<int>()) {
        copy->SetLineSpacing(m_LineSpacing);
        copy->m_TextOffset = m_TextOffset;
        copy->Render();
    }
    copy->SetPosition(x, y);
    copy->SetZOrder(zorder);
    Label* added = copy.get();
    AddChild(copy.release());
    return added;
}

// ---------------------------------------------------------------- rendering

Label::RenderKey Label::CurrentKey() const
{
    RenderKey key;
    key.text = m_Text;
    key.textAlignment = m_TextAlignment;
    key.fontName = m_Font->GetFontName();
    key.fontSize = m_Font->GetPointSize();
    FontRendererInfo info;
    m_Font->SaveFontRendererInfo(info);
    key.fontIndex = info.fontIndex;
    key.adjustedSpacing = m_Font->GetUseAdjustedCharacterSpacing();
    key.spacingAdjustment = m_Font->GetCharacterSpacingAdjustment();
    key.lineSpacing = m_LineSpacing;
    key.fgColor = m_FgColor;
    key.useActorColorAsBG = m_UseActorColorAsBG;
    // The actor colour matters only where it is painted into the picture.
    if (m_UseActorColorAsBG)
        key.background = GetColor();
    key.widthLimit = m_WidthLimit;
    key.textOffset = m_TextOffset;
    return key;
}

void Label::Render()
{
    if (!HasFont())
        return;
    if (m_ShadowColorSet && !GetShadow())
        CreateShadow();
    if (m_HighlightColorSet && !GetHighlight())
        CreateHighlight();

    const bool collectionMode = m_Font->GetUseAdjustedCharacterSpacing() && RenderSeparateCharacters();
    RenderKey key = CurrentKey();
    if (!collectionMode && m_RenderKey && *m_RenderKey == key)
        return;

    m_RenderKey.reset();
    m_Collection.reset();
    SetImage(nullptr, std::string());
    std::vector<std::string> lines;
    ProcessLines(m_Text, lines);
    if (collectionMode) {
        m_Collection = RenderLinesToDrawableImageCollection(lines);
        Point<int> extent = m_Collection->GetExtent();
        SetSize(extent.x, extent.y);
        return;
    }
    SetColorMode(COLORMODE_COMBINED_ALPHA);
    SetImage(RenderLinesToImage(lines), std::string());
    m_RenderKey = std::make_unique<RenderKey>(std::move(key));
}

void Label::ProcessLines(const std::string& text, std::vector<std::string>& output)
{
    VELK_ASSERT(output.empty());
    enum { PLAIN, OPENED, EXPRESSION } mode = PLAIN;
    std::string buffer;
    output.emplace_back();
    for (char ch : text) {
        if (mode == PLAIN) {
            if (ch == '\n') {
                output.emplace_back();
            } else if (ch == '|') {
                mode = OPENED;
                buffer = "return ";
            } else {
                output.back() += ch;
            }
            continue;
        }
        if (mode == OPENED && ch == '|') {
            output.back() += '|';
            mode = PLAIN;
            continue;
        }
        mode = EXPRESSION;
        VELK_ASSERT_MSG(ch != '\n', "Cannot have a newline in an embedded Lua expression.");
        if (ch == '|') {
            output.back() += EvaluateExpression(buffer);
            mode = PLAIN;
        } else {
            buffer += ch;
        }
    }
}

int Label::MeasureLines(const std::vector<std::string>& lines, std::vector<int>& widths, std::vector<int>& tops,
                        int& totalHeight) const
{
    int widest = 0;
    int top = 0;
    totalHeight = 0;
    for (const std::string& line : lines) {
        Point<int> size = m_Font->GetTextSize(line.empty() ? std::string(" ") : line);
        widths.push_back(size.x);
        tops.push_back(top);
        top += size.y - m_LineSpacing;
        totalHeight += size.y;
        widest = std::max(widest, size.x);
    }
    return widest;
}

// The line's x within the widest line; false for an alignment not known.
static bool AlignedX(int alignment, int widest, int width, int& x)
{
    switch (alignment) {
    case TEXTALIGN_CENTER:
        x = widest / 2 - width / 2;
        return true;
    case TEXTALIGN_LEFT:
        x = 0;
        return true;
    case TEXTALIGN_RIGHT:
        x = widest - width;
        return true;
    default:
        return false;
    }
}

std::unique_ptr<Image> Label::RenderLinesToImage(const std::vector<std::string>& lines)
{
    std::vector<int> widths, tops;
    int totalHeight = 0;
    const int widest = MeasureLines(lines, widths, tops, totalHeight);
    const int count = static_cast<int>(lines.size());
    // A line spacing beyond the lines' height leaves nothing to show, not a negative size.
    const int w = std::max(0, m_TextOffset.x + widest);
    const int h = std::max(0, m_TextOffset.y + totalHeight - (count - 1) * m_LineSpacing);
    if (w > 1000)
        Log(3, "Why is this image so big? size = x: %d y:%d", w, h);

    auto image = std::make_unique<Image>(w, h, 1, 0u);
    SDL_Surface* surface = image->GetSurface();
    const Color background = m_UseActorColorAsBG ? GetColor() : Colors::Invisible;
    if (surface)
        SDL_FillRect(surface, nullptr,
                     SDL_MapRGBA(surface->format, background.r, background.g, background.b, background.a));

    for (int i = 0; i < count; ++i) {
        std::unique_ptr<Image> renderedLine = m_Font->RenderToImage(lines[i], m_FgColor);
        VELK_ASSERT(renderedLine != 0);
        int x = 0;
        if (!AlignedX(m_TextAlignment, widest, widths[i], x))
            VELK_ASSERT(false);
        x += m_TextOffset.x;
        const int y = tops[i] + m_TextOffset.y;
        const Image::Size size = renderedLine->GetSize();
        if (size.w == 0 || size.h == 0 || !surface)
            continue;
        // Over the clear background the line arrives with its own alpha; over
        // a colour it is blended.
        const Point<int> at(x, y);
        renderedLine->AlphaBlitOnto(nullptr, image.get(), &at);
    }
    return image;
}

std::unique_ptr<DrawableImageCollection> Label::RenderLinesToDrawableImageCollection(
    const std::vector<std::string>& lines)
{
    std::vector<int> widths, tops;
    int totalHeight = 0;
    const int widest = MeasureLines(lines, widths, tops, totalHeight);
    auto collection = std::make_unique<DrawableImageCollection>();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        int x = 0;
        if (!AlignedX(m_TextAlignment, widest, widths[i], x))
            VELK_ASSERT(false);
        collection->SetOrigin(x + m_TextOffset.x, tops[i] + m_TextOffset.y);
        m_Font->RenderToDrawableImageCollection(lines[i], m_FgColor, *collection);
    }
    return collection;
}

void Label::DrawImage(Canvas& canvas)
{
    if (m_Collection)
        m_Collection->Draw(canvas);
    else
        Actor::DrawImage(canvas);
}
