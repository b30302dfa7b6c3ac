#include "FileIdentity.h"

#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool identify(const std::string& path, struct stat& info)
{
    if (path == "-")
        return ::fstat(STDOUT_FILENO, &info) == 0;
    return ::stat(path.c_str(), &info) == 0;
}
} // namespace

bool outputIsNoInput(const std::string& outputPath, const std::vector<std::string>& inputPaths, std::string& error)
{
    struct stat output {};
    if (!identify(outputPath, output))
        return true;  // nothing there yet: it cannot be an input
    // Writing into a terminal, a pipe or a device cannot destroy an input.
    if (!S_ISREG(output.st_mode))
        return true;
    for (const std::string& input : inputPaths)
    {
        struct stat info {};
        if (::stat(input.c_str(), &info) == 0 && info.st_dev == output.st_dev && info.st_ino == output.st_ino)
        {
            const std::string shown = outputPath == "-" ? "standard output" : outputPath;
            error = "the output " + shown + " is the same file as the input " + input + "; writing there would destroy it";
            return false;
        }
    }
    return true;
}
