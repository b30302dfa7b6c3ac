#pragma once
// The command line of zsp-snapshot.

#include <string>
#include <vector>

struct SnapshotOptions
{
    enum class Mode
    {
        help,
        version,
        widgets,  // pictures of every widget in its main states
        player,   // a picture of the player window for one instrument
    };

    Mode mode = Mode::help;
    std::string outputFolder;
    std::string instrumentPath;  // player
    std::string outputFile;      // player
};

// Parses the arguments after the program name. False with a message naming
// the problem otherwise.
bool parseSnapshotOptions(const std::vector<std::string>& arguments, SnapshotOptions& options, std::string& error);

extern const char* const snapshotUsage;
