#include "BenchSounds.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "files/LittleEndian.h"
#include "files/ZFile.h"

namespace
{
constexpr int waveRate = 44100;
constexpr int ticksPerQuarter = 480;  // at the default 120 beats a minute: 960 ticks a second

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    auto file = ZFile::createForWriting(path);
    return file && file->write(bytes.data(), bytes.size()) && file->commit();
}

void appendVariableLength(std::vector<uint8_t>& bytes, uint32_t value)
{
    uint8_t groups[5];
    int count = 0;
    do
    {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count-- > 0)
        bytes.push_back(static_cast<uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
}

void appendBigEndian(std::vector<uint8_t>& bytes, uint32_t value, int width)
{
    for (int k = width - 1; k >= 0; --k)
        bytes.push_back(static_cast<uint8_t>(value >> (8 * k)));
}
} // namespace

bool writeToneWave(const std::string& path, int64_t frames, int channels, double hz)
{
    const uint32_t dataBytes = static_cast<uint32_t>(frames * channels * 2);
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    bytes.insert(bytes.end(), { 'R', 'I', 'F', 'F' });
    appendLittleEndian(bytes, 36 + dataBytes, 4);
    bytes.insert(bytes.end(), { 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ' });
    appendLittleEndian(bytes, 16, 4);
    appendLittleEndian(bytes, 1, 2);
    appendLittleEndian(bytes, static_cast<uint32_t>(channels), 2);
    appendLittleEndian(bytes, waveRate, 4);
    appendLittleEndian(bytes, static_cast<uint32_t>(waveRate * channels * 2), 4);
    appendLittleEndian(bytes, static_cast<uint32_t>(channels * 2), 2);
    appendLittleEndian(bytes, 16, 2);
    bytes.insert(bytes.end(), { 'd', 'a', 't', 'a' });
    appendLittleEndian(bytes, dataBytes, 4);
    const double step = 2.0 * M_PI * hz / waveRate;
    for (int64_t k = 0; k < frames; ++k)
        for (int c = 0; c < channels; ++c)
        {
            const double phase = step * static_cast<double>(k) * (1.0 + 0.004 * c);
            const double value = 9000.0 * std::sin(phase) + 3000.0 * std::sin(2.0 * phase);
            appendLittleEndian(bytes, static_cast<uint16_t>(static_cast<int16_t>(value)), 2);
        }
    return writeBytes(path, bytes);
}

bool writeHeldNotesMidi(const std::string& path, int program, const std::vector<HeldNote>& notes, double seconds)
{
    std::vector<uint8_t> track;
    for (int channel = 0; channel < 16; ++channel)
    {
        appendVariableLength(track, 0);
        track.push_back(static_cast<uint8_t>(0xC0 | channel));
        track.push_back(static_cast<uint8_t>(program));
    }
    for (const HeldNote& note : notes)
    {
        appendVariableLength(track, 0);
        track.insert(track.end(), { static_cast<uint8_t>(0x90 | note.channel), static_cast<uint8_t>(note.key), 100 });
    }
    uint32_t delay = static_cast<uint32_t>(std::lround(seconds * 2 * ticksPerQuarter));
    for (const HeldNote& note : notes)
    {
        appendVariableLength(track, delay);
        delay = 0;
        track.insert(track.end(), { static_cast<uint8_t>(0x80 | note.channel), static_cast<uint8_t>(note.key), 0 });
    }
    appendVariableLength(track, 0);
    track.insert(track.end(), { 0xFF, 0x2F, 0x00 });

    std::vector<uint8_t> bytes { 'M', 'T', 'h', 'd' };
    appendBigEndian(bytes, 6, 4);
    appendBigEndian(bytes, 0, 2);
    appendBigEndian(bytes, 1, 2);
    appendBigEndian(bytes, ticksPerQuarter, 2);
    bytes.insert(bytes.end(), { 'M', 'T', 'r', 'k' });
    appendBigEndian(bytes, static_cast<uint32_t>(track.size()), 4);
    bytes.insert(bytes.end(), track.begin(), track.end());
    return writeBytes(path, bytes);
}

std::vector<HeldNote> heldNotes(int count)
{
    std::vector<HeldNote> notes;
    for (int k = 0; k < count; ++k)
        notes.push_back(count <= 64 ? HeldNote { 0, 68 - count / 2 + k } : HeldNote { k / 64, 36 + k % 64 });
    return notes;
}

std::string makeScratchFolder()
{
    char pattern[] = "/tmp/zsp-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made != nullptr ? std::string(made) : std::string();
}

void removeScratchFolder(const std::string& folder)
{
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::remove_all(folder, ignored);
}
