#include "SampleCopy.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "OutputFile.h"
#include "SndfileSound.h"
#include "WaveLayout.h"
#include "files/ZFile.h"

namespace fs = std::filesystem;

namespace
{
constexpr size_t copyBlockBytes = 1 << 20;
constexpr int64_t framesPerBlock = 16384;

bool copyBytes(const std::string& source, OutputFile& out, std::string& error)
{
    ZSharedFile in = ZFile::openFileForReading(source);
    if (in == nullptr)
    {
        error = "cannot read " + source;
        return false;
    }
    std::vector<uint8_t> block(copyBlockBytes);
    int64_t copied = 0;
    for (size_t got; (got = in->read(block.data(), block.size())) > 0 && out.write(block.data(), got);)
        copied += static_cast<int64_t>(got);
    if (!out.error().empty())
        error = out.error();
    else if (copied != in->size())
        error = "cannot read all of " + source;
    return error.empty();
}

bool writeConverted(SndfileSound& sound, OutputFile& out, std::string& error)
{
    if (!sound.open(sound.getPath(), nullptr, 0))
    {
        error = "cannot read " + sound.getPath() + ": " + sound.openError();
        return false;
    }
    const WaveEncoding encoding = wavePcmEncoding(sound.getBytesPerSample());
    std::optional<WaveSampler> sampler;
    if (sound.hasRootKey() || sound.hasLoop())
    {
        sampler.emplace();
        if (sound.hasRootKey())
            sampler->rootKey = sound.getRootKey();
        if (sound.hasLoop())
            sampler->loop.emplace(static_cast<uint32_t>(sound.getLoopStart()), static_cast<uint32_t>(sound.getLoopEnd()));
    }
    const int channels = sound.getNumChannels();
    const int64_t frames = sound.getLength();
    const WaveLayout layout(encoding, channels, static_cast<uint32_t>(sound.getSampleRate()), sampler);
    if (!layout.fits(frames))
    {
        error = sound.getPath() + ": too long for a WAVE file";
        sound.close();
        return false;
    }
    const std::vector<uint8_t> header = layout.header(frames);
    out.write(header.data(), header.size());
    std::vector<int32_t> samples(static_cast<size_t>(framesPerBlock * channels));
    std::vector<uint8_t> bytes;
    int64_t done = 0;
    while (done < frames && out.error().empty())
    {
        const int64_t wanted = std::min(framesPerBlock, frames - done);
        const int64_t got = sound.readPlayerForm(samples.data(), wanted);
        if (got != wanted)
            break;
        bytes.clear();
        for (int64_t k = 0; k < got * channels; ++k)
            appendPcmSample(bytes, encoding, samples[static_cast<size_t>(k)]);
        out.write(bytes.data(), bytes.size());
        done += got;
    }
    if (done == frames && (frames * layout.frameBytes()) % 2 != 0)
    {
        const uint8_t pad = 0;
        out.write(&pad, 1);
    }
    sound.close();
    if (!out.error().empty())
        error = out.error();
    else if (done != frames)
        error = "cannot read all of " + sound.getPath();
    return error.empty();
}
} // namespace

StagedCopies::~StagedCopies()
{
    files.clear();  // removes the temporary files of a build that failed
    if (kept)
        return;
    std::error_code ignored;
    for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder)
        fs::remove(*folder, ignored);  // only while empty
}

bool StagedCopies::makeFolders(const std::string& folder, std::string& error)
{
    std::vector<fs::path> missing;
    std::error_code failure;
    for (fs::path at = folder; !at.empty() && !fs::exists(at, failure); at = at.parent_path())
    {
        missing.push_back(at);
        if (at == at.parent_path())
            break;
    }
    for (auto at = missing.rbegin(); at != missing.rend(); ++at)
    {
        if (!fs::create_directory(*at, failure))
        {
            error = "cannot create the folder " + at->string() + ": " + failure.message();
            return false;
        }
        madeFolders.push_back(at->string());
    }
    if (!fs::is_directory(folder, failure))
    {
        error = "cannot put copies into " + folder + ": it is not a folder";
        return false;
    }
    return true;
}

bool StagedCopies::stage(const std::vector<SampleCopy>& copies, std::string& error)
{
    for (const SampleCopy& copy : copies)
    {
        std::error_code failure;
        if (copy.converted == nullptr && fs::equivalent(copy.source, copy.target, failure))
            continue;
        if (!makeFolders(fs::path(copy.target).parent_path().string(), error))
            return false;
        std::unique_ptr<OutputFile> out = OutputFile::open(copy.target, error);
        if (out == nullptr)
            return false;
        const bool ok = copy.converted != nullptr ? writeConverted(*copy.converted, *out, error)
                                                  : copyBytes(copy.source, *out, error);
        if (!ok)
            return false;
        files.push_back(std::move(out));
    }
    return true;
}

std::vector<OutputFile*> StagedCopies::outputs() const
{
    std::vector<OutputFile*> staged;
    for (const auto& file : files)
        staged.push_back(file.get());
    return staged;
}
