#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "files/FileTestSupport.h"
#include "files/ZEmbeddedSoundFile.h"
#include "files/ZFile.h"
#include "files/ZWaveFile.h"

namespace
{
Bytes embeddedHeader(int32_t width, int32_t rate, int32_t channels, int64_t frames)
{
    Bytes header;
    appendLE32(header, static_cast<uint32_t>(width));
    appendLE32(header, static_cast<uint32_t>(rate));
    appendLE32(header, static_cast<uint32_t>(channels));
    appendLE32(header, 0xDEADBEEF);  // reserved: ignored on reading
    appendLE64(header, static_cast<uint64_t>(frames));
    return header;
}

// An instrument-like file: `prefix` filler bytes, then a 16-bit stereo sound
// of `frames` frames whose frame k holds (k, -k - base).
Bytes fileWithStereo16(size_t prefix, int64_t frames, int16_t base)
{
    Bytes file(prefix, 0xAA);
    const Bytes header = embeddedHeader(2, 44100, 2, frames);
    file.insert(file.end(), header.begin(), header.end());
    for (int64_t k = 0; k < frames; ++k)
    {
        appendLE16(file, static_cast<uint16_t>(k));
        appendLE16(file, static_cast<uint16_t>(-k - base));
    }
    return file;
}

ZSharedFile openScratch(const std::string& name, const Bytes& bytes)
{
    return ZFile::openFileForReading(writeScratchFile("embedded-" + name + ".bin", bytes));
}
}

TEST(ZEmbeddedSoundFile, TenStereoFramesOccupy64BytesAndSeekLandsOnTheFrame)
{
    Bytes image = fileWithStereo16(7, 10, 1000);
    ASSERT_EQ(image.size(), 7u + 24 + 40);
    // Put a byte pattern right after the sound that must never be read.
    image.insert(image.end(), { 0x11, 0x22, 0x33, 0x44 });
    ZSharedFile file = openScratch("ten", image);
    ASSERT_NE(file, nullptr);

    ZEmbeddedSoundFile sound;
    ASSERT_TRUE(sound.open("", file, 7));
    EXPECT_EQ(sound.getStoredSize(), 24 + 40);
    EXPECT_EQ(sound.getLength(), 10);
    EXPECT_EQ(sound.getNumChannels(), 2);
    EXPECT_EQ(sound.getSampleRate(), 44100);
    EXPECT_EQ(sound.getBytesPerSample(), 2);
    EXPECT_FALSE(sound.hasLoop());
    EXPECT_FALSE(sound.hasRootKey());
    EXPECT_EQ(sound.getPath(), "");

    // Frame 4 starts 24 + 16 bytes after the header.
    int16_t expected[2];
    std::memcpy(expected, image.data() + 7 + 24 + 16, 4);
    sound.seek(4);
    int16_t out[40] = {};
    ASSERT_EQ(sound.readInt16(out, 20), 6);  // stops at the sound's end
    EXPECT_EQ(out[0], expected[0]);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[1], -1004);
    EXPECT_EQ(out[11], -1009);
    EXPECT_EQ(sound.readInt16(out, 1), 0);
}

TEST(ZEmbeddedSoundFile, ReadsOnlyInItsOwnWidth)
{
    ZSharedFile file = openScratch("width", fileWithStereo16(0, 4, 0));
    ZEmbeddedSoundFile sound;
    ASSERT_TRUE(sound.open("", file, 0));
    float floats[8];
    EXPECT_EQ(sound.readFloat(floats, 4), 0);

    Bytes floatImage = embeddedHeader(4, 48000, 1, 3);
    for (float v : { 0.5f, -0.25f, 1.0f })
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        appendLE32(floatImage, bits);
    }
    ZEmbeddedSoundFile floatSound;
    ASSERT_TRUE(floatSound.open("", openScratch("float", floatImage), 0));
    int16_t ints[3];
    EXPECT_EQ(floatSound.readInt16(ints, 3), 0);
    floatSound.seek(1);
    ASSERT_EQ(floatSound.readFloat(floats, 3), 2);
    EXPECT_EQ(floats[0], -0.25f);
    EXPECT_EQ(floats[1], 1.0f);
}

TEST(ZEmbeddedSoundFile, RefusedHeaders)
{
    const auto refused = [](const std::string& name, const Bytes& image, int64_t offset = 0) {
        ZEmbeddedSoundFile sound;
        EXPECT_FALSE(sound.open("", openScratch(name, image), offset)) << name;
        EXPECT_FALSE(sound.isOpen()) << name;
        int16_t out[4];
        EXPECT_EQ(sound.readInt16(out, 1), 0) << name;
    };
    const Bytes samples(400, 0);
    const auto with = [&](Bytes header) {
        header.insert(header.end(), samples.begin(), samples.end());
        return header;
    };
    refused("width3", with(embeddedHeader(3, 44100, 1, 10)));
    refused("width0", with(embeddedHeader(0, 44100, 1, 10)));
    refused("channels0", with(embeddedHeader(2, 44100, 0, 10)));
    refused("channels3", with(embeddedHeader(2, 44100, 3, 10)));
    refused("negativeframes", with(embeddedHeader(2, 44100, 1, -1)));
    refused("zerorate", with(embeddedHeader(2, 0, 1, 10)));
    refused("pastend", with(embeddedHeader(4, 44100, 2, 51)));  // 51 * 8 > 400
    refused("hugeframes", with(embeddedHeader(4, 44100, 2, INT64_MAX / 2)));
    refused("cutheader", Bytes(20, 2));
    refused("offsetpastend", with(embeddedHeader(2, 44100, 1, 10)), 1000);
    refused("negativeoffset", with(embeddedHeader(2, 44100, 1, 10)), -24);

    ZEmbeddedSoundFile noFile;
    EXPECT_FALSE(noFile.open("", nullptr, 0));

    // Exactly filling the file is fine.
    ZEmbeddedSoundFile exact;
    EXPECT_TRUE(exact.open("", openScratch("exact", with(embeddedHeader(4, 44100, 2, 50))), 0));
}

TEST(ZEmbeddedSoundFile, SoundsSharingAFileKeepTheirOwnPositions)
{
    Bytes image = fileWithStereo16(0, 100, 0);
    const Bytes second = fileWithStereo16(0, 50, 5000);
    image.insert(image.end(), second.begin(), second.end());
    ZSharedFile file = openScratch("shared", image);
    ZEmbeddedSoundFile a, b, aAgain;
    ASSERT_TRUE(a.open("", file, 0));
    ASSERT_TRUE(b.open("", file, 24 + 400));
    ASSERT_TRUE(aAgain.open("", file, 0));

    int16_t out[4];
    a.seek(10);
    b.seek(20);
    aAgain.seek(99);
    ASSERT_EQ(b.readInt16(out, 1), 1);
    EXPECT_EQ(out[1], -5020);
    ASSERT_EQ(a.readInt16(out, 1), 1);
    EXPECT_EQ(out[0], 10);
    ASSERT_EQ(aAgain.readInt16(out, 2), 1);
    EXPECT_EQ(out[0], 99);
    ASSERT_EQ(a.readInt16(out, 1), 1);
    EXPECT_EQ(out[0], 11);
}

TEST(ZEmbeddedSoundFile, ThreadsReadingSoundsOfOneFileNeverSeeEachOthersData)
{
    Bytes image = fileWithStereo16(0, 3000, 0);
    const Bytes second = fileWithStereo16(0, 3000, 20000);
    image.insert(image.end(), second.begin(), second.end());
    ZSharedFile file = openScratch("threads", image);
    const int64_t secondOffset = 24 + 3000 * 4;
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            ZEmbeddedSoundFile sound;
            const int16_t base = t % 2 == 0 ? 0 : 20000;
            if (!sound.open("", file, t % 2 == 0 ? 0 : secondOffset))
            {
                wrong[t] = -1;
                return;
            }
            int16_t block[2 * 64];
            for (int i = 0; i < 2000; ++i)
            {
                const int64_t start = (i * 37 + t) % 2900;
                sound.seek(start);
                if (sound.readInt16(block, 64) != 64 || block[0] != start || block[127] != -(start + 63) - base)
                    ++wrong[t];
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

TEST(ZEmbeddedSoundFile, TheFileClosesWithTheLastSoundThatUsesIt)
{
    ZSharedFile file = openScratch("lifetime", fileWithStereo16(0, 4, 0));
    std::weak_ptr<ZFile> watch = file;
    auto first = std::make_unique<ZEmbeddedSoundFile>();
    auto second = std::make_unique<ZEmbeddedSoundFile>();
    ASSERT_TRUE(first->open("", file, 0));
    ASSERT_TRUE(second->open("", file, 0));
    file.reset();
    first.reset();
    EXPECT_FALSE(watch.expired());
    int16_t out[8];
    EXPECT_EQ(second->readInt16(out, 4), 4);
    second.reset();
    EXPECT_TRUE(watch.expired());
}

TEST(ZSoundFileWriteEmbedded, WaveToSixteenBitRoundTrip)
{
    std::vector<int32_t> values;
    for (int k = 0; k < 40000; ++k)
    {
        values.push_back((k * 997) % 8388608 - 4194304);
        values.push_back(-k * 3);
    }
    const std::string wavePath = writeScratchFile("write-source24.wav", WaveBuilder().pcm(2, 96000, 24).data(samples24(values)).build());
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(wavePath, nullptr, 0));
    wave.close();  // writeEmbedded opens it and closes it again

    const std::string outPath = scratchDir() + "/write-out16.bin";
    auto out = ZFile::createForWriting(outPath);
    ASSERT_NE(out, nullptr);
    ASSERT_TRUE(out->write("ZSE ", 4));
    ASSERT_TRUE(wave.writeEmbedded(*out, 2));
    EXPECT_FALSE(wave.isOpen());
    ASSERT_TRUE(out->commit());

    const Bytes written = readWholeFile(outPath);
    ASSERT_EQ(written.size(), 4u + 24 + 40000 * 2 * 2);
    const Bytes header(written.begin() + 4, written.begin() + 28);
    Bytes expectedHeader = embeddedHeader(2, 96000, 2, 40000);
    std::fill(expectedHeader.begin() + 12, expectedHeader.begin() + 16, 0);  // reserved written as zeros
    EXPECT_EQ(header, expectedHeader);

    ZEmbeddedSoundFile embedded;
    ASSERT_TRUE(embedded.open("", ZFile::openFileForReading(outPath), 4));
    std::vector<int16_t> fromEmbedded(80000), fromWave(80000);
    ASSERT_EQ(embedded.readInt16(fromEmbedded.data(), 40000), 40000);
    wave.reopen();
    wave.seek(0);
    ASSERT_EQ(wave.readInt16(fromWave.data(), 40000), 40000);
    EXPECT_EQ(fromEmbedded, fromWave);
    EXPECT_EQ(fromEmbedded[1], 0);
    EXPECT_EQ(fromEmbedded[79999], static_cast<int16_t>(-39999 * 3 / 256));
}

TEST(ZSoundFileWriteEmbedded, FloatWidthAndRefusals)
{
    const std::string wavePath = writeScratchFile("write-source16.wav", WaveBuilder().pcm(1, 44100, 16).data(samples16({ -32768, 16384 })).build());
    ZWaveFile wave;
    ASSERT_TRUE(wave.open(wavePath, nullptr, 0));

    const std::string outPath = scratchDir() + "/write-outfloat.bin";
    auto out = ZFile::createForWriting(outPath);
    ASSERT_NE(out, nullptr);
    EXPECT_FALSE(wave.writeEmbedded(*out, 3));
    EXPECT_EQ(out->tell(), 0) << "a refused width writes nothing";
    ASSERT_TRUE(wave.writeEmbedded(*out, 4));
    EXPECT_TRUE(wave.isOpen()) << "a sound that was open stays open";
    ZWaveFile missing;
    missing.open(scratchDir() + "/no-such-source.wav", nullptr, 0);
    EXPECT_FALSE(missing.writeEmbedded(*out, 4));
    EXPECT_EQ(out->tell(), 24 + 8) << "a sound that cannot be opened writes nothing";
    ASSERT_TRUE(out->commit());

    ZEmbeddedSoundFile embedded;
    ASSERT_TRUE(embedded.open("", ZFile::openFileForReading(outPath), 0));
    float values[2];
    ASSERT_EQ(embedded.readFloat(values, 2), 2);
    EXPECT_EQ(values[0], -1.0f);
    EXPECT_EQ(values[1], 0.5f);
}
