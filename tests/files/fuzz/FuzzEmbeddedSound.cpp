// Feeds arbitrary bytes to the embedded sound reader. The first byte picks
// where in the file the header is looked for; two sounds then share the file.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "FuzzInputFile.h"
#include "files/ZEmbeddedSoundFile.h"
#include "files/ZFile.h"

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

void exercise(ZEmbeddedSoundFile& sound, int64_t fileSize)
{
    const int32_t channels = sound.getNumChannels();
    const int64_t length = sound.getLength();
    check(channels == 1 || channels == 2);
    check(length >= 0);
    check(sound.getHeaderOffset() + sound.getStoredSize() <= fileSize);
    const int64_t frames = std::min<int64_t>(length + 3, 2048);
    std::vector<int16_t> ints(static_cast<size_t>(frames * channels) + 1);
    std::vector<float> floats(static_cast<size_t>(frames * channels) + 1);
    for (int64_t position : { int64_t { 0 }, length / 3, length, length + 1 })
    {
        sound.seek(position);
        check(sound.readInt16(ints.data(), frames) <= frames);
        sound.seek(position);
        check(sound.readFloat(floats.data(), frames) <= frames);
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string& path = fuzzInputPath("embedded");
    if (!writeFuzzInput(path, data, size))
        return 0;
    ZSharedFile file = ZFile::openFileForReading(path);
    if (file == nullptr)
        return 0;

    const int64_t offset = data[0] % 32;
    ZEmbeddedSoundFile first, second;
    if (first.open("", file, offset))
        exercise(first, file->size());
    if (second.open("", file, 1))
        exercise(second, file->size());
    return 0;
}
