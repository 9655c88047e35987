#include "platform/lua/LuaDialect.h"

#include <cctype>
#include <optional>
#include <vector>

namespace {

enum class TokenKind { Name, Number, String, Symbol };

struct Token
{
    size_t begin;
    size_t end;
    TokenKind kind;
};

// Length of a long bracket opening "[", "[=", "[==" ... "[" at pos, or 0.
size_t LongBracketLevel(const std::string& s, size_t pos, size_t& level)
{
    if (pos >= s.size() || s[pos] != '[')
        return 0;
    size_t p = pos + 1;
    while (p < s.size() && s[p] == '=')
        ++p;
    if (p < s.size() && s[p] == '[') {
        level = p - pos - 1;
        return p + 1 - pos;
    }
    return 0;
}

// Position just past the closing "]==]" of the given level, or npos.
size_t SkipLongBracket(const std::string& s, size_t pos, size_t level)
{
    std::string close(level + 2, '=');
    close.front() = ']';
    close.back() = ']';
    size_t found = s.find(close, pos);
    return found == std::string::npos ? found : found + close.size();
}

bool Tokenize(const std::string& s, std::vector<Token>& tokens)
{
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            size_t level = 0;
            size_t open = LongBracketLevel(s, i + 2, level);
            if (open) {
                size_t end = SkipLongBracket(s, i + 2 + open, level);
                if (end == std::string::npos)
                    return false;
                i = end;
            } else {
                size_t nl = s.find('\n', i);
                i = nl == std::string::npos ? n : nl;
            }
            continue;
        }
        size_t start = i;
        if (c == '[') {
            size_t level = 0;
            size_t open = LongBracketLevel(s, i, level);
            if (open) {
                size_t end = SkipLongBracket(s, i + open, level);
                if (end == std::string::npos)
                    return false;
                tokens.push_back({start, end, TokenKind::String});
                i = end;
                continue;
            }
        }
        if (c == '"' || c == '\'') {
            ++i;
            while (i < n && s[i] != static_cast<char>(c)) {
                if (s[i] == '\n')
                    return false;
                if (s[i] == '\\' && i + 1 < n)
                    ++i;
                ++i;
            }
            if (i >= n)
                return false;
            ++i;
            tokens.push_back({start, i, TokenKind::String});
            continue;
        }
        if (std::isdigit(c) || (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < n && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'))
                ++i;
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                ++i;
                if (i < n && (s[i] == '+' || s[i] == '-'))
                    ++i;
            }
            while (i < n && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_'))
                ++i;
            tokens.push_back({start, i, TokenKind::Number});
            continue;
        }
        if (std::isalpha(c) || c == '_') {
            while (i < n && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_'))
                ++i;
            tokens.push_back({start, i, TokenKind::Name});
            continue;
        }
        static const char* const kLong[] = {"...", "..", "==", "~=", "<=", ">="};
        size_t len = 1;
        for (const char* op : kLong) {
            size_t l = std::char_traits<char>::length(op);
            if (s.compare(i, l, op) == 0) {
                len = l;
                break;
            }
        }
        i += len;
        tokens.push_back({start, i, TokenKind::Symbol});
    }
    return true;
}

enum class BlockKind { Function, Do, If, LoopHeader, Loop, Repeat };

struct Block
{
    BlockKind kind;
    size_t openIndex = 0;              // the loop's `do` or `repeat`
    std::optional<size_t> genericInIndex;  // `in` of a generic for header
    std::vector<size_t> continues;
    std::vector<size_t> breaks;
};

class Rewriter
{
public:
    explicit Rewriter(const std::string& source) : m_Source(source) {}

    std::string Run()
    {
        if (!Tokenize(m_Source, m_Tokens))
            return m_Source;
        m_Before.assign(m_Tokens.size(), {});
        m_After.assign(m_Tokens.size(), {});
        m_Replace.assign(m_Tokens.size(), std::nullopt);
        if (!Walk())
            return m_Source;
        return Assemble();
    }

private:
    bool Is(size_t i, const char* text) const
    {
        if (i >= m_Tokens.size())
            return false;
        const Token& t = m_Tokens[i];
        return m_Source.compare(t.begin, t.end - t.begin, text) == 0;
    }

    bool IsKeyword(size_t i, const char* word) const
    {
        if (m_Tokens[i].kind != TokenKind::Name || !Is(i, word))
            return false;
        return !(i > 0 && (Is(i - 1, ".") || Is(i - 1, ":")));
    }

    // `continue` is an ordinary name in Lua 5.1 (`local v, continue = f()`,
    // `if not continue then`): it is the statement only where a statement can
    // start and nothing after it could carry on a name's expression or assignment.
    bool IsContinueStatement(size_t i) const
    {
        if (!IsKeyword(i, "continue"))
            return false;
        if (i > 0 && !CanStartStatementAfter(i - 1))
            return false;
        size_t next = i + 1;
        if (next < m_Tokens.size()) {
            if (m_Tokens[next].kind == TokenKind::String)
                return false;
            for (const char* follower : {"=", "(", ".", "[", ":", ",", "{", "+", "-", "*", "/", "%", "^", "..",
                                         "==", "~=", "<", "<=", ">", ">=", "and", "or"})
                if (Is(next, follower))
                    return false;
        }
        return true;
    }

    // Whether a statement may begin right after the token: after the end of a
    // statement or an expression, or a keyword that opens a block; not inside
    // an expression, a name list or a header.
    bool CanStartStatementAfter(size_t i) const
    {
        const Token& t = m_Tokens[i];
        if (t.kind == TokenKind::Number || t.kind == TokenKind::String)
            return true;
        if (t.kind == TokenKind::Symbol)
            return Is(i, ")") || Is(i, "]") || Is(i, "}") || Is(i, ";") || Is(i, "...");
        for (const char* word : {"local", "function", "return", "in", "for", "while", "if", "elseif", "until", "and",
                                 "or", "not", "break"})
            if (IsKeyword(i, word))
                return false;
        return true;  // a name, or do, then, else, repeat, end, true, false, nil
    }

    // Innermost loop of the current function, or null.
    Block* CurrentLoop()
    {
        for (auto it = m_Stack.rbegin(); it != m_Stack.rend(); ++it) {
            if (it->kind == BlockKind::Function)
                return nullptr;
            if (it->kind == BlockKind::Loop || it->kind == BlockKind::Repeat)
                return &*it;
        }
        return nullptr;
    }

    void FinishLoop(const Block& loop, size_t closeIndex)
    {
        if (loop.continues.empty())
            return;
        std::string flag = "__velk_brk" + std::to_string(m_LoopCounter++);
        m_After[loop.openIndex] += " local " + flag + " = false repeat";
        m_Before[closeIndex] = " until true if " + flag + " then break end " + m_Before[closeIndex];
        for (size_t c : loop.continues)
            m_Replace[c] = "do break end";
        for (size_t b : loop.breaks)
            m_Replace[b] = "do " + flag + " = true break end";
    }

    bool Walk()
    {
        for (size_t i = 0; i < m_Tokens.size(); ++i) {
            if (m_Tokens[i].kind != TokenKind::Name)
                continue;
            if (IsKeyword(i, "function")) {
                m_Stack.push_back(Block{BlockKind::Function, 0, {}, {}, {}});
            } else if (IsKeyword(i, "for")) {
                Block header{BlockKind::LoopHeader, 0, {}, {}, {}};
                if (!Is(i + 2, "=")) {
                    size_t j = i + 1;
                    while (j < m_Tokens.size() && !IsKeyword(j, "in") && (m_Tokens[j].kind == TokenKind::Name || Is(j, ",")))
                        ++j;
                    if (j < m_Tokens.size() && IsKeyword(j, "in"))
                        header.genericInIndex = j;
                }
                m_Stack.push_back(header);
            } else if (IsKeyword(i, "while")) {
                m_Stack.push_back(Block{BlockKind::LoopHeader, 0, {}, {}, {}});
            } else if (IsKeyword(i, "do")) {
                if (!m_Stack.empty() && m_Stack.back().kind == BlockKind::LoopHeader) {
                    Block& loop = m_Stack.back();
                    loop.kind = BlockKind::Loop;
                    loop.openIndex = i;
                    if (loop.genericInIndex) {
                        m_After[*loop.genericInIndex] += std::string(" ") + kLuaForInHelper + "(";
                        m_Before[i] += ") ";
                    }
                } else {
                    m_Stack.push_back(Block{BlockKind::Do, 0, {}, {}, {}});
                }
            } else if (IsKeyword(i, "if")) {
                m_Stack.push_back(Block{BlockKind::If, 0, {}, {}, {}});
            } else if (IsKeyword(i, "repeat")) {
                Block loop{BlockKind::Repeat, 0, {}, {}, {}};
                loop.openIndex = i;
                m_Stack.push_back(loop);
            } else if (IsKeyword(i, "until")) {
                if (m_Stack.empty() || m_Stack.back().kind != BlockKind::Repeat)
                    return false;
                FinishLoop(m_Stack.back(), i);
                m_Stack.pop_back();
            } else if (IsKeyword(i, "end")) {
                if (m_Stack.empty() || m_Stack.back().kind == BlockKind::LoopHeader ||
                    m_Stack.back().kind == BlockKind::Repeat)
                    return false;
                if (m_Stack.back().kind == BlockKind::Loop)
                    FinishLoop(m_Stack.back(), i);
                m_Stack.pop_back();
            } else if (IsKeyword(i, "break")) {
                if (Block* loop = CurrentLoop())
                    loop->breaks.push_back(i);
            } else if (IsContinueStatement(i)) {
                if (Block* loop = CurrentLoop())
                    loop->continues.push_back(i);
            }
        }
        return m_Stack.empty();
    }

    std::string Assemble() const
    {
        std::string out;
        out.reserve(m_Source.size() + 64);
        size_t pos = 0;
        for (size_t i = 0; i < m_Tokens.size(); ++i) {
            out.append(m_Source, pos, m_Tokens[i].begin - pos);
            out += m_Before[i];
            if (m_Replace[i])
                out += *m_Replace[i];
            else
                out.append(m_Source, m_Tokens[i].begin, m_Tokens[i].end - m_Tokens[i].begin);
            out += m_After[i];
            pos = m_Tokens[i].end;
        }
        out.append(m_Source, pos, std::string::npos);
        return out;
    }

    const std::string& m_Source;
    std::vector<Token> m_Tokens;
    std::vector<std::string> m_Before;
    std::vector<std::string> m_After;
    std::vector<std::optional<std::string>> m_Replace;
    std::vector<Block> m_Stack;
    int m_LoopCounter = 0;
};

} // namespace

std::string RewriteLuaDialect(const std::string& source)
{
    return Rewriter(source).Run();
}
