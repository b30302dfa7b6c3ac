#include "editor/LayoutText.h"

#include "editor/PlayerImages.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

namespace
{
bool isHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool sameIgnoringCase(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Where the "&#x" (or "&#X") that, with hexadecimal digits after it, ends
// text[0, end) starts; npos when the text does not end so.
size_t openHexReferenceBefore(std::string_view text, size_t end)
{
    while (end > 0 && isHexDigit(text[end - 1]))
        --end;
    if (end < 3 || (text[end - 1] != 'x' && text[end - 1] != 'X') || text[end - 2] != '#' || text[end - 3] != '&')
        return std::string_view::npos;
    return end - 3;
}
} // namespace

namespace LayoutText
{
juce::String bytesAsCharacters(const std::string& bytes)
{
    std::vector<juce::juce_wchar> characters;
    characters.reserve(bytes.size() + 1);
    for (const char byte : bytes)
    {
        if (byte == 0)
            break;
        characters.push_back(static_cast<juce::juce_wchar>(static_cast<unsigned char>(byte)));
    }
    characters.push_back(0);
    return juce::String(juce::CharPointer_UTF32(characters.data()));
}

int nestingDepth(const juce::String& text, int limit)
{
    auto p = text.getCharPointer();
    int depth = 0;
    int deepest = 0;

    const auto skipPast = [&p](const char* terminator) {
        const auto length = static_cast<int>(std::strlen(terminator));
        while (! p.isEmpty() && juce::CharacterFunctions::compareUpTo(p, juce::CharPointer_ASCII(terminator), length) != 0)
            ++p;
        for (int i = 0; i < length && ! p.isEmpty(); ++i)
            ++p;
    };
    const auto startsWith = [&p](const char* prefix) {
        return juce::CharacterFunctions::compareUpTo(p, juce::CharPointer_ASCII(prefix), static_cast<int>(std::strlen(prefix))) == 0;
    };

    while (! p.isEmpty() && deepest <= limit)
    {
        if (*p != '<')
        {
            ++p;
            continue;
        }
        if (startsWith("<!--"))
            skipPast("-->");
        else if (startsWith("<![CDATA["))
            skipPast("]]>");
        else if (startsWith("<?"))
            skipPast("?>");
        else if (startsWith("<!"))
            skipPast(">");
        else if (startsWith("</"))
        {
            depth = juce::jmax(0, depth - 1);
            skipPast(">");
        }
        else
        {
            deepest = juce::jmax(deepest, ++depth);
            ++p;
            juce::juce_wchar quote = 0;
            juce::juce_wchar previous = 0;
            while (! p.isEmpty())
            {
                const juce::juce_wchar c = *p;
                ++p;
                if (quote != 0)
                {
                    if (c == quote)
                        quote = 0;
                }
                else if (c == '"' || c == '\'')
                    quote = c;
                else if (c == '>')
                {
                    if (previous == '/')
                        depth = juce::jmax(0, depth - 1);
                    break;
                }
                previous = c;
            }
        }
    }
    return deepest;
}

bool hasInstructionAfterProlog(const juce::String& text)
{
    auto p = text.getCharPointer();
    const auto startsWith = [&p](const char* prefix) {
        return juce::CharacterFunctions::compareUpTo(p, juce::CharPointer_ASCII(prefix), static_cast<int>(std::strlen(prefix))) == 0;
    };
    for (;;)
    {
        p.incrementToEndOfWhitespace();
        const char* terminator = startsWith("<?") ? "?>" : startsWith("<!--") ? "-->" : nullptr;
        if (terminator == nullptr)
            break;
        const int end = p.indexOf(juce::CharPointer_ASCII(terminator));
        if (end < 0)
            return true;
        p += end + static_cast<int>(std::strlen(terminator));
    }
    return p.indexOf(juce::CharPointer_ASCII("<?")) >= 0;
}

bool hasReferenceRunningOffTheEnd(std::string_view text)
{
    if (openHexReferenceBefore(text, text.size()) != std::string_view::npos)
        return true;
    const std::string_view declaration = "<!entity";
    if (std::search(text.begin(), text.end(), declaration.begin(), declaration.end(), sameIgnoringCase) != text.end())
        return true;

    // The name of an entity runs from its '&' to the next ';'. Every '&'
    // before one semicolon shares the end of its name, worked out once.
    bool nameEndKnown = false;
    size_t semicolon = 0;
    size_t reference = std::string_view::npos;
    for (size_t at = text.find('&'); at != std::string_view::npos; at = text.find('&', at + 1))
    {
        if (at + 1 >= text.size() || text[at + 1] != '<')
            continue;  // a standard or numeric reference, or a name not read as markup
        if (!nameEndKnown || semicolon < at)
        {
            semicolon = text.find(';', at);
            if (semicolon == std::string_view::npos)
                return false;  // the parser stops at a name without its ';'
            reference = openHexReferenceBefore(text, semicolon);
            nameEndKnown = true;
        }
        if (reference != std::string_view::npos && reference > at)
            return true;
    }
    return false;
}

std::unique_ptr<juce::XmlElement> parse(const std::string& layoutBytes, juce::String& error)
{
    const size_t length = std::min(layoutBytes.size(), std::strlen(layoutBytes.c_str()));
    if (length > maximumBytes)
    {
        error = "The layout is larger than " + juce::String(maximumBytes / (1024 * 1024)) + " MB.";
        return nullptr;
    }
    if (hasReferenceRunningOffTheEnd(std::string_view(layoutBytes.c_str(), length)))
    {
        error = "The layout declares an entity, or ends a text in an unfinished character reference (&#x...).";
        return nullptr;
    }
    const juce::String text = bytesAsCharacters(layoutBytes);
    if (nestingDepth(text, maximumNesting) > maximumNesting)
    {
        error = "The layout's elements nest more than " + juce::String(maximumNesting) + " deep.";
        return nullptr;
    }
    if (hasInstructionAfterProlog(text))
    {
        error = "The layout holds a processing instruction (<?...?>) after its start.";
        return nullptr;
    }
    juce::XmlDocument document(text);
    auto root = document.getDocumentElement();
    if (root == nullptr)
        error = document.getLastParseError();
    return root;
}

juce::Image decodeLayoutImage(const juce::String& base64Text)
{
    // The count before the dot says how many bytes the block gets; check it
    // before anything is allocated for it.
    const int dot = base64Text.indexOfChar('.');
    if (dot < 0)
        return {};
    const int declaredBytes = base64Text.substring(0, dot).getIntValue();
    if (declaredBytes <= 4 || declaredBytes > maximumImageFileBytes)
        return {};
    juce::MemoryBlock bytes;
    if (! bytes.fromBase64Encoding(base64Text) || bytes.getSize() <= 4)
        return {};
    return PlayerImages::decodeImage(bytes.getData(), bytes.getSize());
}
} // namespace LayoutText
