// Feeds arbitrary bytes to the WAVE reader: opening, seeking and reading in
// both output forms must stay inside the file and the caller's buffer.

#include <cstdlib>
#include <vector>

#include "FuzzInputFile.h"
#include "files/ZWaveFile.h"

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string& path = fuzzInputPath("wave");
    if (!writeFuzzInput(path, data, size))
        return 0;

    ZWaveFile wave;
    if (!wave.open(path, nullptr, 0))
        return 0;
    const int32_t channels = wave.getNumChannels();
    const int64_t length = wave.getLength();
    check(channels == 1 || channels == 2);
    check(length >= 0 && length <= static_cast<int64_t>(size));

    // Reads into buffers exactly as large as asked, so any overrun trips the
    // address sanitizer.
    constexpr int64_t chunk = 4096;
    const int64_t positions[] = { 0, length / 2, length - 1, length + 5, -3 };
    for (int64_t position : positions)
    {
        const int64_t frames = std::min<int64_t>(chunk, length + 8);
        std::vector<float> floats(static_cast<size_t>(frames * channels) + 1);
        std::vector<int16_t> ints(static_cast<size_t>(frames * channels) + 1);
        wave.seek(position);
        const int64_t gotFloats = wave.readFloat(floats.data(), frames);
        wave.seek(position);
        const int64_t gotInts = wave.readInt16(ints.data(), frames);
        check(gotFloats >= 0 && gotFloats <= frames);
        check(gotInts >= 0 && gotInts <= frames);
    }

    // The whole sound in one read, then reopened.
    std::vector<float> all(static_cast<size_t>(length * channels) + 1);
    wave.seek(0);
    check(wave.readFloat(all.data(), length) <= length);
    wave.close();
    wave.reopen();
    check(wave.isOpen() && wave.getLength() == length);
    return 0;
}
