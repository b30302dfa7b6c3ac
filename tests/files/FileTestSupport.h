#pragma once
// Byte building and scratch files for the file tests.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<uint8_t>;

void appendLE16(Bytes& bytes, uint32_t value);
void appendLE32(Bytes& bytes, uint32_t value);
void appendLE64(Bytes& bytes, uint64_t value);
void appendId(Bytes& bytes, const char* id);

// A RIFF WAVE image built chunk by chunk; every chunk gets the pad byte RIFF
// asks for unless told otherwise.
class WaveBuilder
{
public:
    // A "fmt " chunk of chunkSize bytes (16, 18, 40 ...); blockAlign 0 writes
    // channels * bits / 8.
    WaveBuilder& format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign = 0,
                        uint32_t chunkSize = 16);
    WaveBuilder& pcm(uint16_t channels, uint32_t rate, uint16_t bits) { return format(1, channels, rate, bits); }
    // A 40-byte extensible "fmt " chunk: containers of `bits`, `validBits` of
    // them used, the sub-format GUID built on the format tag `subFormat`
    // (1 integer PCM, 3 float; 0 writes a GUID of zeros).
    WaveBuilder& extensible(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t validBits, uint16_t subFormat);
    WaveBuilder& data(const Bytes& samples) { return chunk("data", samples); }
    // A "smpl" chunk with the given unity note and loops (start, end).
    WaveBuilder& sampler(uint8_t unityNote, const std::vector<std::pair<int32_t, int32_t>>& loops);
    // Any chunk; statedSize overrides the size field, pad false omits the pad byte.
    WaveBuilder& chunk(const char* id, const Bytes& body, bool pad = true, int64_t statedSize = -1);

    // The file image; riffSize < 0 writes the true size.
    Bytes build(int64_t riffSize = -1) const;

private:
    Bytes chunks;
};

// Little-endian sample bytes.
Bytes samples16(const std::vector<int16_t>& values);
Bytes samples24(const std::vector<int32_t>& values);
Bytes samples32(const std::vector<int32_t>& values);

// The folder of the data that the test-data step prepares.
std::string preparedDataDir();
// A folder of this process for the files its tests write, created on first
// use and removed when the process ends.
std::string scratchDir();
// Writes bytes to scratchDir()/name and returns the path.
std::string writeScratchFile(const std::string& name, const Bytes& bytes);
Bytes readWholeFile(const std::string& path);
bool fileExists(const std::string& path);
