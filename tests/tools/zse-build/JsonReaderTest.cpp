// The description's JSON reader: values, exact numbers, lines and refusals.

#include <gtest/gtest.h>

#include "JsonReader.h"

TEST(JsonReader, ValuesKeepTheLineTheyStartOn)
{
    const JsonParseResult parsed = parseJson("{\n  \"a\": 1,\n\n  \"b\": [\n    true,\n    null ],\n  \"c\": \"x\" }");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const JsonValue& root = parsed.value;
    EXPECT_EQ(root.line, 1);
    EXPECT_EQ(root.find("a")->line, 2);
    EXPECT_EQ(root.find("b")->line, 4);
    EXPECT_EQ(root.find("b")->items[0].line, 5);
    EXPECT_EQ(root.find("b")->items[1].kind, JsonValue::Kind::null);
    EXPECT_EQ(root.find("c")->line, 7);
    EXPECT_EQ(root.find("missing"), nullptr);
    ASSERT_EQ(root.members.size(), 3u);
    EXPECT_EQ(root.members[2].first, "c");  // document order
}

TEST(JsonReader, StringEscapesBecomeUtf8)
{
    const JsonParseResult parsed = parseJson(R"(["a\"b\\c\/\n\t", "\u00e9\u20ac", "\ud83c\udfb9"])");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.value.items[0].stringValue, "a\"b\\c/\n\t");
    EXPECT_EQ(parsed.value.items[1].stringValue, "\xc3\xa9\xe2\x82\xac");
    EXPECT_EQ(parsed.value.items[2].stringValue, "\xf0\x9f\x8e\xb9");
}

TEST(JsonReader, IntegersReadBackExactlyOverSixtyFourBits)
{
    const JsonParseResult parsed = parseJson("[18446744073709551615, -9223372036854775808, 1e3, 2.5, -0, 18446744073709551616]");
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const auto& items = parsed.value.items;
    EXPECT_EQ(items[0].asUInt64(), UINT64_MAX);
    EXPECT_FALSE(items[0].asInt64());
    EXPECT_EQ(items[1].asInt64(), INT64_MIN);
    EXPECT_FALSE(items[1].asUInt64());
    EXPECT_FALSE(items[2].asInt64());  // written as a fraction-style number
    EXPECT_EQ(items[2].asDouble(), 1000.0);
    EXPECT_FALSE(items[3].asInt64());
    EXPECT_EQ(items[3].asDouble(), 2.5);
    EXPECT_EQ(items[4].asInt64(), 0);
    EXPECT_FALSE(items[5].asUInt64());  // one past the largest
}

TEST(JsonReader, MalformedTextIsRefusedWithItsLine)
{
    struct Case
    {
        const char* text;
        int line;
    };
    for (const Case& c : { Case { "", 1 }, Case { "{\n\"a\" 1}", 2 }, Case { "[1,\n2,\n]", 3 }, Case { "[01]", 1 },
                           Case { "[1.]", 1 }, Case { "\n\n[tru]", 3 }, Case { "[\"\\x\"]", 1 },
                           Case { "[\"\\ud800\"]", 1 }, Case { "{\"a\":1}\nx", 2 }, Case { "[\"a\tb\"]", 1 },
                           Case { "{\"a\":1,\n\"a\":2}", 2 } })
    {
        const JsonParseResult parsed = parseJson(c.text);
        EXPECT_FALSE(parsed.ok) << c.text;
        EXPECT_EQ(parsed.errorLine, c.line) << c.text << ": " << parsed.error;
        EXPECT_FALSE(parsed.error.empty());
    }
}

TEST(JsonReader, NestingIsLimitedInsteadOfRecursingWithoutEnd)
{
    auto nested = [](int depth) { return std::string(static_cast<size_t>(depth), '[') + std::string(static_cast<size_t>(depth), ']'); };
    EXPECT_TRUE(parseJson(nested(jsonMaxDepth + 1)).ok);
    EXPECT_FALSE(parseJson(nested(jsonMaxDepth + 2)).ok);
    EXPECT_FALSE(parseJson(std::string(100000, '[')).ok);
}
