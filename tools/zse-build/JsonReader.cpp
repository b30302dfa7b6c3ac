#include "JsonReader.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace
{
class Parser
{
public:
    explicit Parser(const std::string& source) : text(source) {}

    JsonParseResult run()
    {
        JsonParseResult result;
        skipSpace();
        if (!parseValue(result.value, 0))
            return failed();
        skipSpace();
        if (at < text.size())
        {
            fail("unexpected text after the description's closing bracket");
            return failed();
        }
        result.ok = true;
        return result;
    }

private:
    const std::string& text;
    size_t at = 0;
    int line = 1;
    int errorLine = 0;
    std::string error;

    JsonParseResult failed() const
    {
        JsonParseResult result;
        result.errorLine = errorLine;
        result.error = error;
        return result;
    }

    bool fail(const std::string& message)
    {
        if (error.empty())
        {
            error = message;
            errorLine = line;
        }
        return false;
    }

    bool atEnd() const { return at >= text.size(); }
    char peek() const { return atEnd() ? '\0' : text[at]; }

    void skipSpace()
    {
        while (!atEnd())
        {
            const char c = text[at];
            if (c == '\n')
                ++line;
            else if (c != ' ' && c != '\t' && c != '\r')
                return;
            ++at;
        }
    }

    bool expectWord(const char* word)
    {
        for (const char* w = word; *w != '\0'; ++w, ++at)
            if (atEnd() || text[at] != *w)
                return fail(std::string("expected \"") + word + "\"");
        return true;
    }

    bool parseValue(JsonValue& value, int depth)
    {
        if (depth > jsonMaxDepth)
            return fail("values nested too deeply");
        value.line = line;
        switch (peek())
        {
        case '{': return parseObject(value, depth);
        case '[': return parseArray(value, depth);
        case '"': value.kind = JsonValue::Kind::string; return parseString(value.stringValue);
        case 't': value.kind = JsonValue::Kind::boolean; value.booleanValue = true; return expectWord("true");
        case 'f': value.kind = JsonValue::Kind::boolean; return expectWord("false");
        case 'n': value.kind = JsonValue::Kind::null; return expectWord("null");
        case '\0':
            if (atEnd())
                return fail("the description ends where a value should be");
            [[fallthrough]];
        default:
            if (peek() == '-' || (peek() >= '0' && peek() <= '9'))
                return parseNumber(value);
            return fail(std::string("unexpected character '") + peek() + "'");
        }
    }

    bool parseObject(JsonValue& value, int depth)
    {
        value.kind = JsonValue::Kind::object;
        ++at;
        skipSpace();
        if (peek() == '}')
        {
            ++at;
            return true;
        }
        for (;;)
        {
            skipSpace();
            if (peek() != '"')
                return fail("expected a quoted field name");
            const int keyLine = line;
            std::string key;
            if (!parseString(key))
                return false;
            if (value.find(key) != nullptr)
            {
                line = keyLine;
                return fail("field \"" + key + "\" is given twice");
            }
            skipSpace();
            if (peek() != ':')
                return fail("expected ':' after \"" + key + "\"");
            ++at;
            skipSpace();
            JsonValue member;
            if (!parseValue(member, depth + 1))
                return false;
            value.members.emplace_back(std::move(key), std::move(member));
            skipSpace();
            if (peek() == ',')
            {
                ++at;
                continue;
            }
            if (peek() == '}')
            {
                ++at;
                return true;
            }
            return fail("expected ',' or '}'");
        }
    }

    bool parseArray(JsonValue& value, int depth)
    {
        value.kind = JsonValue::Kind::array;
        ++at;
        skipSpace();
        if (peek() == ']')
        {
            ++at;
            return true;
        }
        for (;;)
        {
            skipSpace();
            JsonValue item;
            if (!parseValue(item, depth + 1))
                return false;
            value.items.push_back(std::move(item));
            skipSpace();
            if (peek() == ',')
            {
                ++at;
                continue;
            }
            if (peek() == ']')
            {
                ++at;
                return true;
            }
            return fail("expected ',' or ']'");
        }
    }

    static void appendUtf8(std::string& out, uint32_t code)
    {
        if (code < 0x80)
            out += static_cast<char>(code);
        else if (code < 0x800)
        {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else if (code < 0x10000)
        {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool parseHex4(uint32_t& code)
    {
        if (at + 4 > text.size())
            return fail("incomplete \\u escape");
        code = 0;
        for (int k = 0; k < 4; ++k, ++at)
        {
            const char c = text[at];
            code <<= 4;
            if (c >= '0' && c <= '9')
                code |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                code |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                code |= static_cast<uint32_t>(c - 'A' + 10);
            else
                return fail("bad \\u escape");
        }
        return true;
    }

    bool parseEscape(std::string& out)
    {
        const char c = peek();
        ++at;
        switch (c)
        {
        case '"': out += '"'; return true;
        case '\\': out += '\\'; return true;
        case '/': out += '/'; return true;
        case 'b': out += '\b'; return true;
        case 'f': out += '\f'; return true;
        case 'n': out += '\n'; return true;
        case 'r': out += '\r'; return true;
        case 't': out += '\t'; return true;
        case 'u':
        {
            uint32_t code = 0;
            if (!parseHex4(code))
                return false;
            if (code >= 0xD800 && code <= 0xDBFF)
            {
                uint32_t low = 0;
                if (text.compare(at, 2, "\\u") != 0)
                    return fail("unpaired surrogate in \\u escape");
                at += 2;
                if (!parseHex4(low))
                    return false;
                if (low < 0xDC00 || low > 0xDFFF)
                    return fail("unpaired surrogate in \\u escape");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            else if (code >= 0xDC00 && code <= 0xDFFF)
                return fail("unpaired surrogate in \\u escape");
            appendUtf8(out, code);
            return true;
        }
        default: return fail("unknown escape in a string");
        }
    }

    bool parseString(std::string& out)
    {
        ++at;  // the opening quote
        for (;;)
        {
            if (atEnd())
                return fail("a string is not closed");
            const char c = text[at];
            if (c == '"')
            {
                ++at;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return fail(c == '\n' ? "a string is not closed on its line" : "control character in a string");
            ++at;
            if (c == '\\')
            {
                if (!parseEscape(out))
                    return false;
            }
            else
                out += c;
        }
    }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    bool parseNumber(JsonValue& value)
    {
        value.kind = JsonValue::Kind::number;
        const size_t start = at;
        if (peek() == '-')
            ++at;
        if (peek() == '0')
            ++at;
        else if (isDigit(peek()))
            while (isDigit(peek()))
                ++at;
        else
            return fail("bad number");
        if (peek() == '.')
        {
            ++at;
            if (!isDigit(peek()))
                return fail("bad number");
            while (isDigit(peek()))
                ++at;
        }
        if (peek() == 'e' || peek() == 'E')
        {
            ++at;
            if (peek() == '+' || peek() == '-')
                ++at;
            if (!isDigit(peek()))
                return fail("bad number");
            while (isDigit(peek()))
                ++at;
        }
        value.numberText = text.substr(start, at - start);
        return true;
    }
};
} // namespace

const JsonValue* JsonValue::find(const std::string& key) const
{
    for (const auto& [name, member] : members)
        if (name == key)
            return &member;
    return nullptr;
}

std::optional<int64_t> JsonValue::asInt64() const
{
    if (kind != Kind::number)
        return std::nullopt;
    int64_t result = 0;
    const char* end = numberText.data() + numberText.size();
    const auto [stop, error] = std::from_chars(numberText.data(), end, result);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return result;
}

std::optional<uint64_t> JsonValue::asUInt64() const
{
    if (kind != Kind::number || numberText.empty() || numberText[0] == '-')
        return std::nullopt;
    uint64_t result = 0;
    const char* end = numberText.data() + numberText.size();
    const auto [stop, error] = std::from_chars(numberText.data(), end, result);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return result;
}

std::optional<double> JsonValue::asDouble() const
{
    if (kind != Kind::number)
        return std::nullopt;
    // strtod rather than from_chars: the latter's floating-point form is not
    // in every standard library this builds with.
    char* stop = nullptr;
    const double result = std::strtod(numberText.c_str(), &stop);
    if (stop != numberText.c_str() + numberText.size() || !std::isfinite(result))
        return std::nullopt;
    return result;
}

const char* JsonValue::describe(Kind kind)
{
    switch (kind)
    {
    case Kind::null: return "null";
    case Kind::boolean: return "a boolean";
    case Kind::number: return "a number";
    case Kind::string: return "a string";
    case Kind::array: return "a list";
    case Kind::object: return "an object";
    }
    return "a value";
}

JsonParseResult parseJson(const std::string& text)
{
    return Parser(text).run();
}
