#pragma once
// The sample files copy storage puts beside the instrument. Each is written
// to a temporary file that appears only when the whole build is committed
// together with the instrument file, so a build that fails or is interrupted
// leaves none of them behind; folders made for them are removed again.
//
// A file the player reads is copied byte for byte. Any other sound is written
// as a plain integer PCM WAVE file (format tag 1, 16-byte "fmt " chunk) of
// its samples in the player's form: integer samples at their own width,
// float samples as 32-bit integers, with a "smpl" chunk for its root key and
// loop when it has them.

#include <memory>
#include <string>
#include <vector>

#include "DescriptionReader.h"

class OutputFile;

class StagedCopies
{
public:
    StagedCopies() = default;
    ~StagedCopies();
    StagedCopies(const StagedCopies&) = delete;
    StagedCopies& operator=(const StagedCopies&) = delete;

    // Writes every copy, creating folders as needed. A target that already is
    // its source is left alone. False with a message naming the file and the
    // cause on the first failure.
    bool stage(const std::vector<SampleCopy>& copies, std::string& error);

    // The staged files, to be committed with the instrument (commitTogether).
    std::vector<OutputFile*> outputs() const;

    // The build succeeded: the folders made for the copies stay.
    void keep() { kept = true; }

private:
    bool makeFolders(const std::string& folder, std::string& error);

    std::vector<std::unique_ptr<OutputFile>> files;
    std::vector<std::string> madeFolders;
    bool kept = false;
};
