#pragma once
// The header of the WAVE files the tools write: plain integer PCM (format
// tag 1 with a 16-byte "fmt " chunk, which the player and every other program
// reads) or 32-bit float (tag 3 with a "fact" chunk), an optional "smpl"
// chunk with the root key and one forward loop, then the "data" chunk.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

enum class WaveEncoding { pcm8, pcm16, pcm24, pcm32, float32 };

int waveBytesPerSample(WaveEncoding encoding);

// Integer PCM of 1 to 4 bytes per sample.
WaveEncoding wavePcmEncoding(int bytesPerSample);

struct WaveSampler
{
    int rootKey = 60;
    std::optional<std::pair<uint32_t, uint32_t>> loop;  // start and end frame as the chunk stores them
};

class WaveLayout
{
public:
    WaveLayout(WaveEncoding encoding, int channels, uint32_t sampleRate, std::optional<WaveSampler> sampler = {});

    // Whether `frames` fit the 4 GiB a WAVE file can hold.
    bool fits(int64_t frames) const;

    // The header for `frames`; without a length (a stream whose end is not
    // known yet) every size says as much as a WAVE file can hold, as programs
    // writing into pipes do, and readers stop where the stream ends.
    std::vector<uint8_t> header(std::optional<int64_t> frames) const;

    // The header's length fields for `frames` at their byte offsets, to be
    // written over a header that was written without a length.
    std::vector<std::pair<size_t, uint32_t>> lengthFields(int64_t frames) const;

    int frameBytes() const { return channelCount * waveBytesPerSample(encoding); }

private:
    size_t headerBytes() const;

    WaveEncoding encoding;
    int channelCount;
    uint32_t rate;
    std::optional<WaveSampler> sampler;
};

// Appends one sample given as a signed 32-bit value whose top bits are the
// sample (the form integer samples of any width take in 32 bits), cut to the
// encoding's width: 8-bit is stored unsigned, 128 for silence.
void appendPcmSample(std::vector<uint8_t>& out, WaveEncoding encoding, int32_t leftJustified);
