#pragma once
#include <juce_core/juce_core.h>
#include <juce_graphics/juce_graphics.h>

#include <memory>
#include <string>
#include <string_view>

// Reading a player layout: its text and the pictures written into it.
namespace LayoutText
{
// Layouts are small; a larger text, or one whose elements nest deeper than
// this, is refused as malformed rather than parsed.
constexpr size_t maximumBytes = 8 * 1024 * 1024;
constexpr int maximumNesting = 256;
// The largest picture file an image element may carry.
constexpr int maximumImageFileBytes = 16 * 1024 * 1024;

// The layout's bytes (up to the first zero byte), each taken as the
// character of the same code, 0 to 255, whatever encoding the text declares.
juce::String bytesAsCharacters(const std::string& bytes);

// How deep the elements of the text nest, counted on the markup alone
// (comments, processing instructions, declarations and character data
// skipped, quoted attribute values skipped); never less than the parser
// would find. Counting stops once it passes limit.
int nestingDepth(const juce::String& text, int limit);

// True when "<?" appears anywhere after the prolog (the leading white space,
// processing instructions and comments). JUCE's parser loops for ever on a
// processing instruction followed by text inside an element, and where it
// stands depends on how the parser reads broken markup (an unterminated
// quote, a stray bracket); so any later "<?" is refused, quoted or not.
bool hasInstructionAfterProlog(const juce::String& text);

// True when JUCE's parser would read past the end of a text it is given. It
// steps over whatever character ends a hexadecimal character reference
// ("&#x41"), the terminating zero included: where the layout ends in such a
// reference, and where an unknown entity ends in one, as the parser reads the
// name of an unknown entity again as markup when it starts with '<' ("&<b>&#x41;"
// names "<b>&#x41"). Entities declared in the layout ("<!ENTITY") expand to
// text no scan of the layout sees, so any declaration counts too; a player
// layout has no use for them.
bool hasReferenceRunningOffTheEnd(std::string_view text);

// The document element of the layout, or null with the reason in error.
std::unique_ptr<juce::XmlElement> parse(const std::string& layoutBytes, juce::String& error);

// The picture of one image element from its text, a byte count, a dot and
// the bytes in JUCE's base-64 alphabet. Null for text that holds 4 bytes or
// fewer, more than maximumImageFileBytes, or no picture that decodes.
juce::Image decodeLayoutImage(const juce::String& base64Text);
} // namespace LayoutText
