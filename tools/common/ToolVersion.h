#pragma once
// The "--version" line every tool prints: its name and the player's version.

#include <string>

std::string toolVersionLine(const char* toolName);
