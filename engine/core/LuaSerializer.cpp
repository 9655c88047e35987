#include "engine/core/LuaSerializer.h"

#include "engine/core/DataFile.h"
#include "engine/core/Exception.h"
#include "engine/core/ScriptFunctionRegistration.h"
#include "engine/core/VelkLuaState.h"
#include "platform/lua/LuaFunction.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string_view>
#include <vector>

namespace {

const std::set<std::string, std::less<>>& Keywords()
{
    static const std::set<std::string, std::less<>> keywords = {
        "and", "break", "do",     "else", "elseif", "end",    "false", "for",  "function", "if",   "in",
        "local", "nil", "not",    "or",   "repeat", "return", "then",  "true", "until",    "while"};
    return keywords;
}

unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Letters compared as lower case, other bytes by their codes; names differing
// only in case fall back to plain byte order so the output stays stable.
bool NameLess(const std::string& a, const std::string& b)
{
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char ca = FoldCase(static_cast<unsigned char>(a[i]));
        unsigned char cb = FoldCase(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool IsWholeNumber(double n)
{
    return std::isfinite(n) && std::floor(n) == n;
}

// Lua writes numbers with fourteen significant digits. That is the files'
// precision for fractions, but a whole number (a 64-bit score, a count) must
// not come back with its last digits gone.
bool ReadsBackFromLuaText(double n)
{
    char text[64];
    std::snprintf(text, sizeof(text), LUA_NUMBER_FMT, n);
    return std::strtod(text, nullptr) == n;
}

// The shortest text that reads back as exactly n.
std::string ExactNumberText(double n)
{
    char text[64];
    for (int digits = 15; digits < 17; ++digits) {
        std::snprintf(text, sizeof(text), "%.*g", digits, n);
        if (std::strtod(text, nullptr) == n)
            return text;
    }
    std::snprintf(text, sizeof(text), "%.17g", n);
    return text;
}

// Raised as from Serialize, whichever part of the walk finds the value.
[[noreturn]] void CannotSerialize(const std::string& why)
{
    throw Exception(__FILE__, __LINE__, "Serialize", __DATE__, __TIME__, AssertionText("false", why));
}

[[noreturn]] void CannotSerializeType(const char* typeName)
{
    CannotSerialize((boost::format("Cannot serialize a LuaObject of type, \"%1%\".") % typeName).str());
}

class Walk
{
public:
    explicit Walk(const LuaObject& writer) : m_Writer(writer) {}

    void Value(const LuaObject& value, unsigned int flags, const std::string& indentation);

private:
    void Write(const std::string& piece) { m_Writer(piece); }
    void Table(const LuaObject& table, unsigned int flags, const std::string& indentation);
    void Entry(const LuaObject& key, const LuaObject& value, unsigned int flags, const std::string& indentation);

    LuaFunction<void> m_Writer;
    // Tables being written, outermost first, to refuse cycles and runaway depth.
    std::vector<const void*> m_Path;
};

void Walk::Value(const LuaObject& value, unsigned int flags, const std::string& indentation)
{
    switch (value.Type()) {
    case LUA_TNIL:
    case LUA_TFUNCTION:
        Write("nil");
        return;
    case LUA_TBOOLEAN:
        Write(value.GetBoolean() ? "true" : "false");
        return;
    case LUA_TNUMBER: {
        double n = value.GetNumber();
        if (std::isnan(n))
            Write("0/0");
        else if (std::isinf(n))
            Write(n > 0 ? "1/0" : "-1/0");
        else if (n == 0 && std::signbit(n))
            // Lua 5.1 keeps one constant for 0 and -0 in a chunk: a "-0" before "1/0"
            // would make it read back as -1/0. The sign of a zero is not worth that.
            Write("0");
        else if (IsWholeNumber(n) && !ReadsBackFromLuaText(n))
            Write(ExactNumberText(n));
        else
            m_Writer(n);
        return;
    }
    case LUA_TSTRING:
        if (flags & SERIALIZE_UNQUOTED)
            Write(EscapeLuaString(value.GetString()));
        else
            Write("\"" + EscapeLuaString(value.GetString()) + "\"");
        return;
    case LUA_TTABLE:
        Table(value, flags, indentation);
        return;
    case LUA_TUSERDATA:
        if (flags & SERIALIZE_USERDATA) {
            Write((boost::format("%1%") % value.GetUserData()).str());
            return;
        }
        CannotSerializeType(value.TypeName());
    default:
        CannotSerializeType(value.TypeName());
    }
}

void Walk::Table(const LuaObject& table, unsigned int flags, const std::string& indentation)
{
    if (!table["Do_Not_Serialize"].IsNil()) {
        Write("nil,");
        return;
    }

    table.Push();
    const void* identity = lua_topointer(table.GetState().GetCState(), -1);
    table.GetState().Pop();
    if (std::find(m_Path.begin(), m_Path.end(), identity) != m_Path.end())
        CannotSerialize("Cannot serialize a table that contains itself.");
    if (m_Path.size() >= static_cast<std::size_t>(kMaxSerializeDepth))
        CannotSerialize((boost::format("Cannot serialize tables nested deeper than %1% levels.") % kMaxSerializeDepth)
                            .str());
    m_Path.push_back(identity);

    Write("{\n");
    if (flags & SERIALIZE_SORTED) {
        std::vector<std::pair<std::string, LuaObject>> names;
        std::vector<std::pair<double, LuaObject>> integers;
        for (LuaTableIterator it(table); it; ++it) {
            const LuaObject& key = it.GetKey();
            if (key.IsString())
                names.emplace_back(key.GetString(), key);
            else if (key.IsNumber() && IsWholeNumber(key.GetNumber()))
                integers.emplace_back(key.GetNumber(), key);
            else
                Entry(key, it.GetValue(), flags, indentation);
        }
        std::sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return NameLess(a.first, b.first); });
        std::sort(integers.begin(), integers.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& name : names)
            Entry(name.second, table.RawGetByObject(name.second), flags, indentation);
        for (const auto& integer : integers)
            Entry(integer.second, table.RawGetByObject(integer.second), flags, indentation);
    } else {
        for (LuaTableIterator it(table); it; ++it)
            Entry(it.GetKey(), it.GetValue(), flags, indentation);
    }
    Write(indentation + (indentation.empty() ? "}\n" : "},\n"));

    m_Path.pop_back();
}

void Walk::Entry(const LuaObject& key, const LuaObject& value, unsigned int flags, const std::string& indentation)
{
    std::string inner = indentation + "    ";
    if (key.IsString() && IsPlainLuaName(key.GetString())) {
        Write(inner);
        Value(key, flags | SERIALIZE_UNQUOTED, std::string());
        Write(" = ");
    } else {
        Write(inner + "[");
        Value(key, flags, std::string());
        Write("] = ");
    }
    Value(value, flags, inner);
    // A table ends its own line; a skipped one wrote "nil," and the next entry follows on the same line.
    if (!value.IsTable())
        Write(",\n");
}

// Restores the string serialiser's global however the walk ends.
struct TmpStrScope
{
    LuaState state;
    explicit TmpStrScope(LuaState s) : state(s)
    {
        state.PushString("");
        state.SetGlobal("_serializeTmpStr");
    }
    ~TmpStrScope()
    {
        state.PushNil();
        state.SetGlobal("_serializeTmpStr");
    }
};

LuaState StateOrApplication(LuaState state)
{
    if (!state)
        state = VelkLuaState::Get();
    VELK_ASSERT(state);
    return state.GetMainState();
}

int Script_Do_Serialize(lua_State* L)
{
    LuaState state(L);
    if (lua_type(L, 2) != LUA_TSTRING)
        VELK_THROW(ScriptError, "Do_Serialize(object, fileName, prefix): the file name must be a string.");
    SerializeToFile(LuaObject(state, 1), state.Stack(2).GetString(), LuaObject(state, 3), SERIALIZE_SORTED, state);
    return 0;
}

int Script_SerializeToString(lua_State* L)
{
    LuaState state(L);
    std::string text;
    SerializeLuaObjectToString(LuaObject(state, 1), text, SERIALIZE_SORTED, state);
    state.PushString(text);
    return 1;
}

int Script_Load(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING)
        VELK_THROW(ScriptError, "Load(fileName): the file name must be a string.");
    std::string fileName = LuaState(L).Stack(1).GetString();
    VelkLuaState::DoResourceFile(StateOrApplication(VelkLuaState::Get()), fileName);
    return 0;
}

ScriptFunctionRegistration s_doSerialize(Script_Do_Serialize, "Do_Serialize");
ScriptFunctionRegistration s_serializeToString(Script_SerializeToString, "SerializeToString");
ScriptFunctionRegistration s_load(Script_Load, "Load");

StartupSourceRegistration s_serializeSource(R"lua(
function Serialize(o, file, on_open)
    Do_Serialize(o, file or '', on_open or '')
end
function SerializeToStringHelper(str)
    _serializeTmpStr = _serializeTmpStr .. str
end
)lua");

} // namespace

std::string EscapeLuaString(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7f) {
                // Always three digits, so a digit that follows is not taken into the escape.
                char code[5];
                std::snprintf(code, sizeof(code), "\\%03u", static_cast<unsigned>(c));
                out += code;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

bool IsPlainLuaName(const std::string& key)
{
    auto isAlpha = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    if (key.empty() || !isAlpha(key[0]))
        return false;
    for (char c : key)
        if (!isAlpha(c) && !isDigit(c))
            return false;
    return Keywords().find(key) == Keywords().end();
}

void Serialize(const LuaObject& value, const LuaObject& writer, unsigned int flags, const std::string& indentation)
{
    Walk(writer).Value(value, flags, indentation);
}

void SerializeToFile(const LuaObject& value, const std::string& fileName, const LuaObject& prefix, unsigned int flags,
                     LuaState state)
{
    state = StateOrApplication(state);
    auto write = [&] {
        LuaObject writer = state.GetGlobal("io")["write"];
        if (prefix.IsString())
            LuaFunction<void>{writer}(prefix);
        else if (prefix.IsFunction())
            LuaFunction<void>{writer}(LuaFunction<LuaObject>{prefix}());
        Serialize(value, writer, flags, std::string());
    };
    if (fileName.empty())
        write();
    else
        WriteOutputFile(state, fileName, write);
}

void SerializeToFile(const LuaObject& value, const std::string& fileName, const std::string& header,
                     unsigned int flags, LuaState state)
{
    state = StateOrApplication(state);
    LuaObject prefix;
    prefix.AssignString(state, header);
    SerializeToFile(value, fileName, prefix, flags, state);
}

void SerializeLuaObjectToString(const LuaObject& value, std::string& output, unsigned int flags, LuaState state,
                                const std::string& indentation)
{
    state = StateOrApplication(state);
    TmpStrScope scope(state);
    Serialize(value, state.GetGlobal("SerializeToStringHelper"), flags, indentation);
    output += state.GetGlobal("_serializeTmpStr").GetString();
}
