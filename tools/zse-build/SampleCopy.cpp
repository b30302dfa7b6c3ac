#include "SampleCopy.h"

#include <filesystem>
#include <vector>

#include "files/ZFile.h"

namespace fs = std::filesystem;

namespace
{
constexpr size_t copyBlockBytes = 1 << 20;

bool copyOne(const std::string& source, const std::string& target, std::string& error)
{
    std::error_code failure;
    if (fs::equivalent(source, target, failure))
        return true;
    fs::create_directories(fs::path(target).parent_path(), failure);
    if (failure)
    {
        error = "cannot create the folder for " + target;
        return false;
    }
    ZSharedFile in = ZFile::openFileForReading(source);
    std::unique_ptr<ZFile> out = ZFile::createForWriting(target);
    if (in == nullptr || out == nullptr)
    {
        error = in == nullptr ? "cannot read " + source : "cannot create " + target;
        return false;
    }
    std::vector<uint8_t> block(copyBlockBytes);
    int64_t copied = 0;
    for (size_t got; (got = in->read(block.data(), block.size())) > 0;)
    {
        if (!out->write(block.data(), got))
            break;
        copied += static_cast<int64_t>(got);
    }
    if (copied != in->size() || !out->commit())
    {
        error = "copying " + source + " to " + target + " failed";
        return false;
    }
    return true;
}
} // namespace

bool copySampleFiles(const std::vector<std::pair<std::string, std::string>>& copies, std::string& error)
{
    for (const auto& [source, target] : copies)
        if (!copyOne(source, target, error))
            return false;
    return true;
}
