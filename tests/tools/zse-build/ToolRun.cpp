#include "ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "files/FileTestSupport.h"

extern char** environ;

namespace
{
std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
} // namespace

namespace
{
std::string capturePath(const char* extension)
{
    // Named after this process: CTest runs the tests of one program side by side.
    return scratchDir() + "/tool-" + std::to_string(::getpid()) + extension;
}
} // namespace

pid_t startTool(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = { program };
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, capturePath(".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, capturePath(".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

ToolResult waitForTool(pid_t child)
{
    ToolResult result;
    if (child <= 0)
        return result;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = slurp(capturePath(".out"));
    result.err = slurp(capturePath(".err"));
    return result;
}

ToolResult runTool(const std::string& program, const std::vector<std::string>& arguments)
{
    return waitForTool(startTool(program, arguments));
}

std::vector<std::string> folderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void writeTextFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string freshFolder(const std::string& name)
{
    const std::string folder = scratchDir() + "/" + name;
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
    return folder;
}
