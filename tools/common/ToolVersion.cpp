#include "ToolVersion.h"

std::string toolVersionLine(const char* toolName)
{
    return std::string(toolName) + " " ZSP_VERSION " (Zarvo Sampler Player)\n";
}
