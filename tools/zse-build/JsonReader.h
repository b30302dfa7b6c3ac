#pragma once
// A small strict JSON reader for instrument descriptions. Every value keeps
// the line it starts on, so a description error can point at its line.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class JsonValue
{
public:
    enum class Kind { null, boolean, number, string, array, object };

    Kind kind = Kind::null;
    int line = 0;

    bool booleanValue = false;
    // Numbers keep their text so integers up to 64 bits read back exactly.
    std::string numberText;
    std::string stringValue;
    std::vector<JsonValue> items;
    // Object members in document order (keys are unique).
    std::vector<std::pair<std::string, JsonValue>> members;

    bool isObject() const { return kind == Kind::object; }
    bool isArray() const { return kind == Kind::array; }
    bool isString() const { return kind == Kind::string; }
    bool isNumber() const { return kind == Kind::number; }
    bool isBoolean() const { return kind == Kind::boolean; }

    // The member named `key`, or null.
    const JsonValue* find(const std::string& key) const;

    // The number as an exact integer, when it is one and fits.
    std::optional<int64_t> asInt64() const;
    std::optional<uint64_t> asUInt64() const;
    // The number as a double (finite numbers only).
    std::optional<double> asDouble() const;

    // A short name of the kind for messages ("a string", "an object" ...).
    static const char* describe(Kind kind);
};

struct JsonParseResult
{
    bool ok = false;
    JsonValue value;
    int errorLine = 0;
    std::string error;
};

// Parses a whole document: exactly one value, optionally surrounded by white
// space. Nesting deeper than maxDepth is refused rather than recursing on.
JsonParseResult parseJson(const std::string& text);

constexpr int jsonMaxDepth = 64;
