#include "files/FileTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

void appendLE16(Bytes& bytes, uint32_t value)
{
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void appendLE32(Bytes& bytes, uint32_t value)
{
    appendLE16(bytes, value & 0xFFFF);
    appendLE16(bytes, value >> 16);
}

void appendLE64(Bytes& bytes, uint64_t value)
{
    appendLE32(bytes, static_cast<uint32_t>(value));
    appendLE32(bytes, static_cast<uint32_t>(value >> 32));
}

void appendId(Bytes& bytes, const char* id)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(id[i]));
}

WaveBuilder& WaveBuilder::format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign,
                                 uint32_t chunkSize)
{
    const uint16_t align = blockAlign != 0 ? blockAlign : static_cast<uint16_t>(channels * bits / 8);
    Bytes body;
    appendLE16(body, tag);
    appendLE16(body, channels);
    appendLE32(body, rate);
    appendLE32(body, rate * align);
    appendLE16(body, align);
    appendLE16(body, bits);
    if (chunkSize >= 18)
        appendLE16(body, chunkSize - 18);  // extension size
    body.resize(chunkSize, 0);
    return chunk("fmt ", body);
}

WaveBuilder& WaveBuilder::extensible(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t validBits,
                                     uint16_t subFormat)
{
    const auto align = static_cast<uint16_t>(channels * bits / 8);
    Bytes body;
    appendLE16(body, 0xFFFE);
    appendLE16(body, channels);
    appendLE32(body, rate);
    appendLE32(body, rate * align);
    appendLE16(body, align);
    appendLE16(body, bits);
    appendLE16(body, 22);  // extension size
    appendLE16(body, validBits);
    appendLE32(body, channels == 1 ? 0x4 : 0x3);  // centre, or front left and right
    appendLE16(body, subFormat);
    const Bytes base { 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71 };
    if (subFormat != 0)
        body.insert(body.end(), base.begin(), base.end());
    body.resize(40, 0);
    return chunk("fmt ", body);
}

WaveBuilder& WaveBuilder::sampler(uint8_t unityNote, const std::vector<std::pair<int32_t, int32_t>>& loops)
{
    Bytes body;
    appendLE32(body, 0);          // manufacturer
    appendLE32(body, 0);          // product
    appendLE32(body, 22676);      // sample period
    appendLE32(body, unityNote);  // MIDI unity note
    appendLE32(body, 0);          // pitch fraction
    appendLE32(body, 0);          // SMPTE format
    appendLE32(body, 0);          // SMPTE offset
    appendLE32(body, static_cast<uint32_t>(loops.size()));
    appendLE32(body, 0);  // sampler data
    uint32_t id = 0;
    for (const auto& [start, end] : loops)
    {
        appendLE32(body, id++);
        appendLE32(body, 0);  // forward
        appendLE32(body, static_cast<uint32_t>(start));
        appendLE32(body, static_cast<uint32_t>(end));
        appendLE32(body, 0);
        appendLE32(body, 0);
    }
    return chunk("smpl", body);
}

WaveBuilder& WaveBuilder::chunk(const char* id, const Bytes& body, bool pad, int64_t statedSize)
{
    appendId(chunks, id);
    appendLE32(chunks, static_cast<uint32_t>(statedSize >= 0 ? statedSize : static_cast<int64_t>(body.size())));
    chunks.insert(chunks.end(), body.begin(), body.end());
    if (pad && body.size() % 2 != 0)
        chunks.push_back(0);
    return *this;
}

Bytes WaveBuilder::build(int64_t riffSize) const
{
    Bytes file;
    appendId(file, "RIFF");
    appendLE32(file, static_cast<uint32_t>(riffSize >= 0 ? riffSize : static_cast<int64_t>(chunks.size() + 4)));
    appendId(file, "WAVE");
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

Bytes samples16(const std::vector<int16_t>& values)
{
    Bytes bytes;
    for (int16_t v : values)
        appendLE16(bytes, static_cast<uint16_t>(v));
    return bytes;
}

Bytes samples24(const std::vector<int32_t>& values)
{
    Bytes bytes;
    for (int32_t v : values)
    {
        const auto bits = static_cast<uint32_t>(v);
        bytes.push_back(static_cast<uint8_t>(bits));
        bytes.push_back(static_cast<uint8_t>(bits >> 8));
        bytes.push_back(static_cast<uint8_t>(bits >> 16));
    }
    return bytes;
}

Bytes samples32(const std::vector<int32_t>& values)
{
    Bytes bytes;
    for (int32_t v : values)
        appendLE32(bytes, static_cast<uint32_t>(v));
    return bytes;
}

std::string preparedDataDir()
{
    return std::string(ZSP_TEST_DATA_DIR) + "/files";
}

namespace
{
// CTest runs the test cases as processes side by side, and many write a file
// of the same name: each process has a folder of its own, removed as it ends.
struct ProcessScratchFolder
{
    std::string path = std::string(ZSP_TEST_DATA_DIR) + "/files-scratch/" + std::to_string(::getpid());
    ProcessScratchFolder()
    {
        std::error_code error;
        std::filesystem::create_directories(path, error);
    }
    ~ProcessScratchFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};
} // namespace

std::string scratchDir()
{
    static const ProcessScratchFolder folder;
    return folder.path;
}

std::string writeScratchFile(const std::string& name, const Bytes& bytes)
{
    const std::string path = scratchDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

Bytes readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}
