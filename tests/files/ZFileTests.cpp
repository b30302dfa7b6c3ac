#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "files/FileTestSupport.h"
#include "files/ZFile.h"

namespace
{
// Byte k of the pattern file is (k * 7 + k / 256) mod 256: no period a
// misplaced offset could hide behind within the sizes used here.
Bytes patternBytes(size_t count)
{
    Bytes bytes(count);
    for (size_t k = 0; k < count; ++k)
        bytes[k] = static_cast<uint8_t>(k * 7 + k / 256);
    return bytes;
}

// Writer tests get a folder of their own, so counting leftovers there cannot
// see a writer of another test running at the same time.
std::string writerDir(const std::string& test)
{
    const std::string dir = scratchDir() + "/" + test;
    std::filesystem::create_directories(dir);
    return dir;
}

size_t partialFilesIn(const std::string& dir)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            ++count;
    return count;
}
}

TEST(ZFile, OpenRefusesMissingFilesAndFolders)
{
    EXPECT_EQ(ZFile::openFileForReading(scratchDir() + "/no-such-file.bin"), nullptr);
    EXPECT_EQ(ZFile::openFileForReading(scratchDir()), nullptr);
    EXPECT_EQ(ZFile::openFileForReading(""), nullptr);
}

TEST(ZFile, SequentialReadsSeeksAndBytes)
{
    const Bytes pattern = patternBytes(200000);
    ZSharedFile file = ZFile::openFileForReading(writeScratchFile("zfile-sequential.bin", pattern));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size(), 200000);

    uint8_t small[10];
    ASSERT_EQ(file->read(small, sizeof small), sizeof small);
    EXPECT_EQ(Bytes(small, small + 10), Bytes(pattern.begin(), pattern.begin() + 10));
    EXPECT_EQ(file->tell(), 10);
    EXPECT_EQ(file->readByte(), pattern[10]);

    // A read larger than the internal buffer, straddling buffered bytes.
    Bytes big(150000);
    ASSERT_EQ(file->read(big.data(), big.size()), big.size());
    EXPECT_EQ(big, Bytes(pattern.begin() + 11, pattern.begin() + 11 + 150000));
    EXPECT_EQ(file->tell(), 150011);

    ASSERT_TRUE(file->skip(-150001));
    EXPECT_EQ(file->tell(), 10);
    EXPECT_EQ(file->readByte(), pattern[10]);
    ASSERT_TRUE(file->seek(199999));
    EXPECT_EQ(file->readByte(), pattern[199999]);
    EXPECT_EQ(file->readByte(), -1);
    EXPECT_FALSE(file->seek(-1));
    ASSERT_TRUE(file->seek(500000));
    EXPECT_EQ(file->read(small, sizeof small), 0u);
}

TEST(ZFile, PositionalReadsAndPrefetchesLeaveTheSequentialPositionAlone)
{
    const Bytes pattern = patternBytes(100000);
    ZSharedFile file = ZFile::openFileForReading(writeScratchFile("zfile-positional.bin", pattern));
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(file->seek(1234));
    // A prefetch is only a hint, whatever its range.
    file->prefetch(0, 100000);
    file->prefetch(99990, 1 << 30);
    file->prefetch(-5, 10);
    file->prefetch(10, -1);
    uint8_t block[16];
    ASSERT_EQ(file->readAt(99990, block, sizeof block), 10u);  // cut at the end
    EXPECT_EQ(block[9], pattern[99999]);
    EXPECT_EQ(file->readAt(-5, block, 4), 0u);
    EXPECT_EQ(file->tell(), 1234);
    EXPECT_EQ(file->readByte(), pattern[1234]);
}

TEST(ZFile, PositionalReadsFromManyThreadsAtOnce)
{
    const Bytes pattern = patternBytes(1 << 20);
    ZSharedFile file = ZFile::openFileForReading(writeScratchFile("zfile-threads.bin", pattern));
    ASSERT_NE(file, nullptr);
    std::atomic<int> mismatches { 0 };
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&, t] {
            uint8_t block[4096];
            for (int i = 0; i < 500; ++i)
            {
                const int64_t offset = (static_cast<int64_t>(i) * 7919 + t * 104729) % (pattern.size() - sizeof block);
                if (file->readAt(offset, block, sizeof block) != sizeof block
                    || !std::equal(block, block + sizeof block, pattern.begin() + offset))
                    ++mismatches;
            }
        });
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ZFile, WriterReplacesTheTargetOnlyOnCommit)
{
    const std::string dir = writerDir("zfile-commit");
    const std::string path = dir + "/written.bin";
    std::filesystem::remove(path);
    const Bytes pattern = patternBytes(70000);
    {
        auto writer = ZFile::createForWriting(path);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write(pattern.data(), 100));
        ASSERT_TRUE(writer->write(pattern.data() + 100, pattern.size() - 100));  // past the write buffer
        EXPECT_EQ(writer->tell(), 70000);
        EXPECT_FALSE(fileExists(path));
        ASSERT_TRUE(writer->commit());
        EXPECT_FALSE(writer->write(pattern.data(), 1));
    }
    EXPECT_EQ(readWholeFile(path), pattern);
    EXPECT_EQ(partialFilesIn(dir), 0u);
}

TEST(ZFile, AbandonedWriterLeavesTheOldFileAndNoLeftovers)
{
    const std::string dir = writerDir("zfile-abandon");
    const std::string path = dir + "/abandoned.bin";
    const Bytes old = patternBytes(50);
    writeScratchFile("zfile-abandon/abandoned.bin", old);
    {
        auto writer = ZFile::createForWriting(path);
        ASSERT_NE(writer, nullptr);
        ASSERT_TRUE(writer->write("half", 4));
    }
    EXPECT_EQ(readWholeFile(path), old);
    EXPECT_EQ(partialFilesIn(dir), 0u);
}

TEST(ZFile, WriterSeeksBackToPatchAField)
{
    const std::string path = scratchDir() + "/zfile-patched.bin";
    auto writer = ZFile::createForWriting(path);
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->write("AAAABBBB", 8));
    ASSERT_TRUE(writer->seek(2));
    ASSERT_TRUE(writer->write("xy", 2));
    EXPECT_EQ(writer->size(), 8);
    ASSERT_TRUE(writer->commit());
    const Bytes expected { 'A', 'A', 'x', 'y', 'B', 'B', 'B', 'B' };
    EXPECT_EQ(readWholeFile(path), expected);
}

TEST(ZFile, WriterRefusesAMissingFolder)
{
    EXPECT_EQ(ZFile::createForWriting(scratchDir() + "/no-such-folder/out.bin"), nullptr);
}
