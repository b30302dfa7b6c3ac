// Feeds arbitrary strings to the sample path rule: "<sample name>\n<instrument
// path>". The result is never longer than both inputs joined by a separator.

#include <cstdlib>
#include <string>

#include "files/SamplePath.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\n');
    const std::string sampleName = input.substr(0, split);
    const std::string instrumentPath = split == std::string::npos ? std::string() : input.substr(split + 1);
    const std::string resolved = resolveSamplePath(sampleName, instrumentPath);
    if (resolved.size() > sampleName.size() + instrumentPath.size() + 1)
        std::abort();
    return 0;
}
