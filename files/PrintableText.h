#pragma once
// Text from files (names stored in an instrument, sample paths) made safe to
// show, by the tools on a terminal and by the player in its messages:
// valid UTF-8 characters stay as they are (so does the
// "\" of stored paths); control bytes and bytes that are not valid UTF-8 are
// written as escapes (\n, \t, \r, \xNN), so no stored byte can move the
// cursor or change the terminal's state.

#include <string>

std::string printableText(const std::string& bytes);

// printableText in double quotes, for names in messages and listings.
std::string quotedText(const std::string& bytes);
