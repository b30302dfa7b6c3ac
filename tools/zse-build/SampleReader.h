#pragma once
// Opens a sample file that a description names, whatever its format.
//
// An integer PCM WAVE file (plain or extensible header), which the player
// reads itself, goes through the player's own WAVE reader, so its samples,
// loop and root key come out exactly as the player will read them. Every
// other file libsndfile reads (float WAVE, AIFF, FLAC, Ogg Vorbis ...) goes
// through SndfileSound, which delivers the same values the player would read
// from the plain WAVE copy `copy` storage writes for it.

#include <memory>
#include <string>

#include "SndfileSound.h"

struct OpenedSample
{
    std::shared_ptr<ZSoundFile> sound;  // closed again after the checks
    // Set when the player cannot read the file itself: then only its samples,
    // stored in the instrument or in a converted copy, can be used.
    std::shared_ptr<SndfileSound> decoded;
    // "WAVE" for a file the player reads, else libsndfile's names of its format.
    std::string formatName;
};

// Opens and checks the sample at `path`. False with the reason ("not found",
// "is a directory", "is not a regular file", what libsndfile said, too many
// channels, no frames) otherwise.
bool openSampleFile(const std::string& path, OpenedSample& sample, std::string& problem);
