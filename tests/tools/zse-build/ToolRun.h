#pragma once
// Runs one of the project's programs for a test and collects what it printed.

#include <string>
#include <vector>

#include <sys/types.h>

struct ToolResult
{
    int exitStatus = -1;  // -1 when the program did not exit normally
    int signal = 0;       // the signal that ended it, if one did
    std::string out;
    std::string err;
};

ToolResult runTool(const std::string& program, const std::vector<std::string>& arguments);

// Starts a program without waiting for it; waitForTool collects its result.
// One program at a time: both share the files that catch the output.
pid_t startTool(const std::string& program, const std::vector<std::string>& arguments);
ToolResult waitForTool(pid_t child);

// The names in a folder (not recursive), sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// Writes text to a file, replacing it.
void writeTextFile(const std::string& path, const std::string& text);

// A new empty folder under the test's scratch folder.
std::string freshFolder(const std::string& name);
