#include "InstrumentWriter.h"

#include <algorithm>
#include <limits>
#include <set>
#include <vector>

#include "OutputFile.h"
#include "files/InstrumentFileStrings.h"
#include "files/LittleEndian.h"

namespace
{
constexpr char magic[4] = { 'Z', 'S', 'E', ' ' };
// The player reads an embedded frame's byte offset within its sound as a
// 32-bit value.
constexpr uint64_t maxEmbeddedDataBytes = uint64_t { 1 } << 32;
constexpr int64_t framesPerBlock = 16384;

class Output
{
public:
    explicit Output(OutputFile& target) : file(target) {}

    void bytes(const void* source, size_t count) { ok = ok && file.write(source, count); }

    void int32(int32_t value)
    {
        uint8_t le[4];
        writeLittleEndian(le, static_cast<uint32_t>(value), 4);
        bytes(le, sizeof le);
    }

    void string(const std::string& text)
    {
        bytes(text.data(), text.size());
        const uint8_t zero = 0;
        bytes(&zero, 1);
    }

    template <typename Block>
    void block(const Block& settings)
    {
        bytes(&settings, sizeof settings);
    }

    OutputFile& file;
    bool ok = true;
};

// The sound's frames in one sample type, block by block. A read that falls
// short is padded with silence so the stored layout still matches its
// header, and reported.
template <typename Sample, typename ReadBlock>
bool copyFrames(Output& out, int64_t frames, int32_t channels, ReadBlock readBlock)
{
    std::vector<Sample> block(static_cast<size_t>(std::min(frames, framesPerBlock) * channels));
    bool complete = true;
    for (int64_t remaining = frames; remaining > 0 && out.ok;)
    {
        const int64_t wanted = std::min(remaining, framesPerBlock);
        const int64_t got = std::clamp<int64_t>(readBlock(block.data(), wanted), 0, wanted);
        if (got < wanted)
        {
            std::fill(block.begin() + got * channels, block.begin() + wanted * channels, Sample {});
            complete = false;
        }
        out.bytes(block.data(), static_cast<size_t>(wanted * channels) * sizeof(Sample));
        remaining -= wanted;
    }
    return complete;
}

// The embedded form of a sound: the 24-byte header (sample width, rate,
// channels, 4 reserved bytes, frame count), then the interleaved samples.
bool writeEmbeddedSound(Output& out, ZSoundFile& sound, int32_t width)
{
    const int32_t channels = sound.getNumChannels();
    const int64_t frames = sound.getLength();
    uint8_t header[24] = {};
    writeLittleEndian(header + 0, static_cast<uint32_t>(width), 4);
    writeLittleEndian(header + 4, static_cast<uint32_t>(sound.getSampleRate()), 4);
    writeLittleEndian(header + 8, static_cast<uint32_t>(channels), 4);
    writeLittleEndian(header + 16, static_cast<uint64_t>(frames), 8);
    out.bytes(header, sizeof header);
    sound.seek(0);
    if (width == 2)
        return copyFrames<int16_t>(out, frames, channels, [&sound](int16_t* at, int64_t n) { return sound.readInt16(at, n); });
    return copyFrames<float>(out, frames, channels, [&sound](float* at, int64_t n) { return sound.readFloat(at, n); });
}

bool fitsField(const std::string& text, size_t limit, const std::string& what, std::string& error)
{
    if (text.find('\0') != std::string::npos)
    {
        error = what + " holds a zero byte, which would end it early";
        return false;
    }
    if (text.size() >= limit)
    {
        error = what + " is " + std::to_string(text.size()) + " bytes long; at most " + std::to_string(limit - 1)
              + " fit";
        return false;
    }
    return true;
}

bool fitsCount(size_t count, const std::string& what, std::string& error)
{
    if (count > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
    {
        error = "too many " + what;
        return false;
    }
    return true;
}

std::string zoneLabel(size_t g, const GroupImage& group, size_t z)
{
    return "group " + std::to_string(g + 1) + " \"" + group.name + "\", zone " + std::to_string(z + 1);
}

bool checkImage(const InstrumentImage& image, std::string& error)
{
    if (!fitsField(image.name, instrumentStringLimit, "the name", error)
        || !fitsField(image.vendor, instrumentStringLimit, "the vendor", error)
        || !fitsField(image.extraText, instrumentStringLimit, "the extra text", error)
        || !fitsField(image.layoutXml, layoutStringLimit, "the player layout", error)
        || !fitsCount(image.backgroundImage.size(), "background image bytes", error)
        || !fitsCount(image.stringList.size(), "strings in the string list", error)
        || !fitsCount(image.groups.size(), "groups", error))
        return false;
    for (size_t k = 0; k < image.stringList.size(); ++k)
        if (!fitsField(image.stringList[k], instrumentStringLimit, "string " + std::to_string(k + 1) + " of the list",
                       error))
            return false;
    for (size_t g = 0; g < image.groups.size(); ++g)
    {
        const GroupImage& group = image.groups[g];
        if (!fitsField(group.name, instrumentStringLimit, "the name of group " + std::to_string(g + 1), error)
            || !fitsCount(group.zones.size(), "zones in group " + std::to_string(g + 1), error))
            return false;
        for (size_t z = 0; z < group.zones.size(); ++z)
            if (!fitsField(group.zones[z].sampleName, instrumentStringLimit,
                           "the sample name of " + zoneLabel(g, group, z), error))
                return false;
    }
    return true;
}

// Stores the zone's sound as an embedded sound at the output's position.
bool writeSound(Output& out, ZSoundFile* sound, int32_t width, const std::string& label, std::string& error)
{
    if (sound == nullptr)
    {
        error = label + " has no sample data to embed";
        return false;
    }
    const bool openedHere = !sound->isOpen();
    if (openedHere && !sound->open(sound->getPath(), nullptr, 0))
    {
        error = label + ": the sample \"" + sound->getPath() + "\" cannot be opened";
        return false;
    }
    const int32_t channels = sound->getNumChannels();
    const int64_t frames = sound->getLength();
    const bool playable = (channels == 1 || channels == 2) && frames > 0 && sound->getSampleRate() > 0;
    const bool fits = playable && static_cast<uint64_t>(frames) < maxEmbeddedDataBytes / static_cast<uint64_t>(channels * width);
    const bool complete = playable && fits && writeEmbeddedSound(out, *sound, width);
    if (openedHere)
        sound->close();
    if (!playable)
    {
        error = label + ": the sample needs one or two channels, a sample rate and at least one frame";
        return false;
    }
    if (!fits)
    {
        error = label + ": the sample's data would reach 4 GiB, more than an embedded sound can hold";
        return false;
    }
    if (out.ok && !complete)
    {
        error = label + ": the sample's data could not be read completely";
        return false;
    }
    return true;
}
} // namespace

int32_t embeddedSampleWidth(const InstrumentSettings& settings)
{
    return settings.sixteenBitStored != 0 ? 2 : 4;
}

bool writeInstrument(const InstrumentImage& image, OutputFile& file, std::string& error)
{
    if (!checkImage(image, error))
        return false;

    Output out(file);
    out.bytes(magic, sizeof magic);
    out.int32(image.version);
    const uint8_t embeddedFlag = image.embedded ? 1 : 0;
    out.bytes(&embeddedFlag, 1);
    out.string(image.name);
    out.string(image.vendor);
    out.block(image.settings);
    out.string(image.extraText);
    out.int32(static_cast<int32_t>(image.backgroundImage.size()));
    out.bytes(image.backgroundImage.data(), image.backgroundImage.size());
    out.string(image.layoutXml);
    out.int32(static_cast<int32_t>(image.stringList.size()));
    for (const std::string& text : image.stringList)
        out.string(text);

    const int32_t width = embeddedSampleWidth(image.settings);
    std::set<std::string> storedNames;
    out.int32(static_cast<int32_t>(image.groups.size()));
    for (size_t g = 0; g < image.groups.size() && out.ok; ++g)
    {
        const GroupImage& group = image.groups[g];
        out.string(group.name);
        out.block(group.settings);
        out.int32(static_cast<int32_t>(group.zones.size()));
        for (size_t z = 0; z < group.zones.size() && out.ok; ++z)
        {
            const ZoneImage& zone = group.zones[z];
            out.string(zone.sampleName);
            const bool carriesData = image.embedded
                                  && (zone.sampleName.empty() || storedNames.insert(zone.sampleName).second);
            if (carriesData && !writeSound(out, zone.sound.get(), width, zoneLabel(g, group, z), error))
                return false;
            out.block(zone.settings);
        }
    }
    if (!out.ok)
    {
        error = file.error();
        return false;
    }
    return true;
}

bool writeInstrumentFile(const InstrumentImage& image, const std::string& path, std::string& error)
{
    std::unique_ptr<OutputFile> file = OutputFile::open(path, error);
    return file != nullptr && writeInstrument(image, *file, error) && file->commit(error);
}
