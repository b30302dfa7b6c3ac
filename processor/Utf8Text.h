#pragma once
#include <cstddef>
#include <string>

#include <juce_core/juce_core.h>

// Text from instrument files and state blocks as juce::String. JUCE's strings
// take their bytes for well-formed UTF-8 (stepping over a malformed sequence
// can run past the end of the text), so bytes that are not never reach one as
// they are.

// True when `bytes` is well-formed UTF-8: no stray continuation byte, no
// sequence cut short, no lead byte outside UTF-8.
bool isWellFormedUtf8(const char* bytes, size_t size);

// The text of `bytes` with each byte of a malformed sequence shown as U+FFFD.
juce::String textOfUtf8(const std::string& bytes);
