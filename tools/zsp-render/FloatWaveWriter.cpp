#include "FloatWaveWriter.h"

#include <cstring>
#include <vector>

#include "files/ZFile.h"
#include "files/LittleEndian.h"

namespace
{
constexpr uint16_t formatIeeeFloat = 3;
// "RIFF" size WAVE, "fmt " 18 bytes, "fact" 4 bytes, "data" size.
constexpr uint32_t headerBytes = 12 + 8 + 18 + 8 + 4 + 8;

void put16(std::vector<uint8_t>& out, uint32_t value) { appendLittleEndian(out, value, 2); }

void put32(std::vector<uint8_t>& out, uint32_t value) { appendLittleEndian(out, value, 4); }

void putId(std::vector<uint8_t>& out, const char* id) { out.insert(out.end(), id, id + 4); }
} // namespace

bool FloatWaveWriter::fits(int64_t frames, int channels)
{
    const uint64_t dataBytes = static_cast<uint64_t>(frames) * static_cast<uint64_t>(channels) * 4;
    return frames >= 0 && channels > 0 && dataBytes <= UINT32_MAX - headerBytes;
}

std::unique_ptr<FloatWaveWriter> FloatWaveWriter::create(const std::string& path, int channels, int64_t sampleRate,
                                                         int64_t frames)
{
    if (!fits(frames, channels) || sampleRate <= 0 || sampleRate > UINT32_MAX / (4u * static_cast<uint32_t>(channels)))
        return nullptr;
    std::unique_ptr<ZFile> file = ZFile::createForWriting(path);
    if (file == nullptr)
        return nullptr;

    const auto dataBytes = static_cast<uint32_t>(frames * channels * 4);
    const auto frameBytes = static_cast<uint16_t>(channels * 4);
    std::vector<uint8_t> header;
    putId(header, "RIFF");
    put32(header, headerBytes - 8 + dataBytes);
    putId(header, "WAVE");
    putId(header, "fmt ");
    put32(header, 18);
    put16(header, formatIeeeFloat);
    put16(header, static_cast<uint32_t>(channels));
    put32(header, static_cast<uint32_t>(sampleRate));
    put32(header, static_cast<uint32_t>(sampleRate) * frameBytes);
    put16(header, frameBytes);
    put16(header, 32);
    put16(header, 0);  // no format extension
    putId(header, "fact");
    put32(header, 4);
    put32(header, static_cast<uint32_t>(frames));
    putId(header, "data");
    put32(header, dataBytes);
    if (!file->write(header.data(), header.size()))
        return nullptr;
    return std::unique_ptr<FloatWaveWriter>(new FloatWaveWriter(std::move(file), channels, frames));
}

FloatWaveWriter::FloatWaveWriter(std::unique_ptr<ZFile> target, int channelCount, int64_t frameCount)
    : file(std::move(target)), channels(channelCount), expectedFrames(frameCount)
{
}

FloatWaveWriter::~FloatWaveWriter() = default;

bool FloatWaveWriter::write(const float* const* channelData, int frames)
{
    if (!ok || frames < 0 || writtenFrames + frames > expectedFrames)
        return ok = false;
    std::vector<float> interleaved(static_cast<size_t>(frames) * static_cast<size_t>(channels));
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            interleaved[static_cast<size_t>(f * channels + c)] = channelData[c][f];
    ok = file->write(interleaved.data(), interleaved.size() * sizeof(float));
    writtenFrames += frames;
    return ok;
}

bool FloatWaveWriter::commit()
{
    return ok && writtenFrames == expectedFrames && file->commit();
}
