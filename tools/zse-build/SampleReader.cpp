#include "SampleReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "files/ZWaveFile.h"

namespace
{
// Refuses what no reader should open: a named pipe would hang the open.
bool isReadableFile(const std::string& path, std::string& problem)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
    {
        problem = errno == ENOENT ? "not found" : std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode))
        problem = "is a directory";
    else if (!S_ISREG(info.st_mode))
        problem = "is not a regular file";
    return problem.empty();
}
} // namespace

bool openSampleFile(const std::string& path, OpenedSample& sample, std::string& problem)
{
    if (!isReadableFile(path, problem))
        return false;

    auto decoded = std::make_shared<SndfileSound>();
    const bool decodes = decoded->open(path, nullptr, 0);
    decoded->close();
    auto wave = std::make_shared<ZWaveFile>();
    const bool waveOpens = wave->open(path, nullptr, 0);
    wave->close();
    // The player's reader is trusted where it reads the samples at the width
    // and channel count libsndfile finds too.
    const bool playerReads = waveOpens
                          && (!decodes
                              || (decoded->getBytesPerSample() == wave->getBytesPerSample()
                                  && decoded->getNumChannels() == wave->getNumChannels()));
    if (playerReads)
    {
        sample.sound = wave;
        sample.decoded = nullptr;
        sample.formatName = "WAVE";
    }
    else if (decodes)
    {
        sample.sound = decoded;
        sample.decoded = decoded;
        sample.formatName = decoded->formatName();
    }
    else
    {
        problem = "cannot be read as a sound file: " + decoded->openError();
        return false;
    }

    const int32_t channels = sample.sound->getNumChannels();
    if (channels != 1 && channels != 2)
    {
        problem = "has " + std::to_string(channels) + " channels; the player plays mono and stereo samples";
        return false;
    }
    if (sample.sound->getLength() <= 0 || sample.sound->getSampleRate() <= 0)
    {
        problem = "holds no frames the player can use";
        return false;
    }
    return true;
}
