#pragma once
// A sample file read through libsndfile: WAVE files the player does not read
// itself (extensible headers, float samples, 12- or 20-bit samples in wider
// containers), AIFF, FLAC, Ogg Vorbis and the other formats libsndfile knows.
//
// Every sample comes out as the player would read it from the plain integer
// PCM WAVE file that `copy` storage writes for this sound ("the player's
// form"): integer samples keep their container width (so a 12-bit sample in a
// 16-bit container is a 16-bit sample, and nothing is lost); float samples
// become 32-bit integers, rounded to the nearest, with full scale clipped.
// The float and 16-bit reads then follow the player's WAVE rules for that
// width, so an instrument sounds the same whichever way it stores its
// samples.
//
// The root key and the first loop come from the file's instrument data when
// libsndfile finds any ("smpl" in WAVE, "INST" and markers in AIFF), with the
// loop end as the player takes it from a WAVE "smpl" chunk.

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "files/ZSoundFile.h"

class SndfileSound final : public ZSoundFile
{
public:
    SndfileSound() = default;
    ~SndfileSound() override;

    bool open(const std::string& path, const ZSharedFile& sharedFile, int64_t byteOffset) override;
    void reopen() override;
    void close() override;
    int64_t readInt16(int16_t* output, int64_t frameCount) override;
    int64_t readFloat(float* output, int64_t frameCount) override;
    void seek(int64_t frame) override;
    bool isOpen() const override { return file != nullptr; }
    int32_t getSampleRate() const override { return sampleRate; }
    int32_t getNumChannels() const override { return channels; }
    int64_t getLength() const override { return frames; }
    int64_t getStoredSize() const override { return frames * channels * width; }
    int32_t getBytesPerSample() const override { return width; }
    std::string getPath() const override { return path; }
    bool hasRootKey() const override { return rootKeyKnown; }
    bool hasLoop() const override { return loopKnown; }
    int64_t getLoopStart() const override { return loopStart; }
    int64_t getLoopEnd() const override { return loopEnd; }
    int32_t getRootKey() const override { return rootKey; }

    // Interleaved samples in the player's form: signed 32-bit values whose top
    // getBytesPerSample() bytes are the sample.
    int64_t readPlayerForm(int32_t* output, int64_t frameCount);

    // libsndfile's names of the file's format and sample encoding.
    std::string formatName() const;
    // libsndfile's message for the last failed open.
    const std::string& openError() const { return problem; }

private:
    SNDFILE* file = nullptr;
    std::string path;
    std::string problem;
    int format = 0;
    int32_t sampleRate = 0;
    int32_t channels = 0;
    int64_t frames = 0;
    int32_t width = 4;  // bytes per sample of the player's form
    bool floatSamples = false;
    bool rootKeyKnown = false;
    bool loopKnown = false;
    int32_t rootKey = 0;
    int64_t loopStart = 0;
    int64_t loopEnd = 0;
    std::vector<int32_t> scratch;
    std::vector<double> floatScratch;
};
