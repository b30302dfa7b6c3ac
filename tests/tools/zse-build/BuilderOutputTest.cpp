// Where zse-build writes: a file appears whole or not at all, a device, a
// pipe or standard output is written into as it is, anything else is refused
// with its reason, an input is never overwritten, and a failed or interrupted
// build leaves none of its files behind.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "ToolRun.h"
#include "files/FileTestSupport.h"

namespace fs = std::filesystem;

namespace
{
// A folder with a description of one group of one zone, its sample and its
// layout file.
std::string makeSource(const std::string& name)
{
    const std::string folder = freshFolder(name);
    fs::create_directories(folder + "/samples");
    writeScratchFile(name + "/samples/a.wav", WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2, 3, 4, 5 })).build());
    writeTextFile(folder + "/layout.xml", "<player width=\"10\" height=\"10\"/>");
    writeTextFile(folder + "/d.json", R"({ "layout": "layout.xml", "groups": [ { "zones": [ { "sample": "samples/a.wav" } ] } ] })");
    return folder;
}

bool holdsPartialFile(const std::string& folder)
{
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            return true;
    return false;
}

std::string slurpText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
} // namespace

TEST(BuilderOutput, DevicesPipesAndStandardOutputGetTheSameBytesAsAFile)
{
    const std::string folder = makeSource("output-streams");
    const ToolResult regular = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", folder + "/file.zse" });
    ASSERT_EQ(regular.exitStatus, 0) << regular.err;
    const std::string expected = asText(readWholeFile(folder + "/file.zse"));
    ASSERT_GT(expected.size(), 1000u);

    const ToolResult toStandardOutput = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", "-" });
    EXPECT_EQ(toStandardOutput.exitStatus, 0) << toStandardOutput.err;
    EXPECT_EQ(toStandardOutput.out, expected);
    EXPECT_NE(toStandardOutput.err.find("standard output: \"Untitled\""), std::string::npos);  // the summary moves aside

    const ToolResult toNull = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", "/dev/null" });
    EXPECT_EQ(toNull.exitStatus, 0) << toNull.err;
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&fifo, &received] { received = slurpText(fifo); });
    const ToolResult toPipe = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", fifo });
    reader.join();
    EXPECT_EQ(toPipe.exitStatus, 0) << toPipe.err;
    EXPECT_EQ(received, expected);
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_FALSE(holdsPartialFile(folder));
}

TEST(BuilderOutput, AnOutputThatCannotTakeTheInstrumentIsRefusedWithItsReason)
{
    const std::string folder = makeSource("output-refused");
    fs::create_directory(folder + "/out");
    struct Case
    {
        std::string output;
        const char* storage;
        std::string message;
    };
    const std::vector<Case> cases = {
        { "/dev/full", "embedded", "zse-build: writing /dev/full failed: No space left on device" },
        { folder + "/out", "embedded", "zse-build: " + folder + "/out: is a directory" },
        { folder + "/out", "copy", "zse-build: " + folder + "/out: is a directory" },
        { folder + "/none/i.zse", "embedded", "the folder " + folder + "/none does not exist" },
        { "/dev/null", "copy", "copy storage puts WAVE files beside the instrument; /dev/null is a device or pipe" },
        { "-", "copy", "they need an output file, not standard output" },
        { "-", "reference", "they need an output file, not standard output" },
    };
    const std::vector<std::string> before = folderEntries(folder);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.output + " with " + c.storage + " storage");
        const ToolResult result = runTool(ZSE_BUILD_PROGRAM, { "--storage", c.storage, folder + "/d.json", c.output });
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
        // Nothing was written anywhere: no instrument, no copies, no partial file.
        EXPECT_EQ(folderEntries(folder), before);
        EXPECT_TRUE(folderEntries(folder + "/out").empty());
        EXPECT_FALSE(holdsPartialFile(folder));
    }
}

TEST(BuilderOutput, AnOutputThatIsOneOfTheInputsIsRefused)
{
    const std::string folder = makeSource("output-input");
    fs::create_hard_link(folder + "/d.json", folder + "/hard-link.json");
    fs::create_symlink("samples/a.wav", folder + "/sample-link.wav");
    const Bytes description = readWholeFile(folder + "/d.json");
    const Bytes sample = readWholeFile(folder + "/samples/a.wav");
    const Bytes layout = readWholeFile(folder + "/layout.xml");
    for (const std::string& output : { folder + "/d.json", folder + "/./samples/../d.json", folder + "/hard-link.json",
                                       folder + "/sample-link.wav", folder + "/layout.xml" })
    {
        SCOPED_TRACE(output);
        const ToolResult result = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", output });
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.err.find("zse-build: the output " + output + " is the same file as the input"), std::string::npos)
            << result.err;
    }
    EXPECT_EQ(readWholeFile(folder + "/d.json"), description);
    EXPECT_EQ(readWholeFile(folder + "/samples/a.wav"), sample);
    EXPECT_EQ(readWholeFile(folder + "/layout.xml"), layout);
}

TEST(BuilderOutput, AFailedCopyBuildLeavesNoCopiesAndNamesTheCause)
{
    const std::string folder = freshFolder("output-copy-failed");
    const Bytes wave = WaveBuilder().pcm(1, 44100, 16).data(samples16({ 1, 2, 3 })).build();
    fs::create_directories(folder + "/one/deeper");
    fs::create_directories(folder + "/two");
    writeScratchFile("output-copy-failed/one/deeper/a.wav", wave);
    writeScratchFile("output-copy-failed/two/b.wav", wave);
    writeTextFile(folder + "/d.json", R"({ "storage": "copy", "groups": [ { "zones": [
        { "sample": "one/deeper/a.wav" }, { "sample": "two/b.wav" } ] } ] })");
    // The first copy's folders can be made; a file stands where the second's
    // folder would go.
    const std::string target = freshFolder("output-copy-failed-target");
    writeTextFile(target + "/two", "in the way");

    const ToolResult result = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", target + "/i.zse" });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.err.find(target + "/two: it is not a folder"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("disk full"), std::string::npos);
    // Neither the first copy nor the folders made for it, nor the instrument.
    EXPECT_EQ(folderEntries(target), std::vector<std::string> { "two" });
    EXPECT_EQ(slurpText(target + "/two"), "in the way");

    fs::remove(target + "/two");
    const ToolResult retried = runTool(ZSE_BUILD_PROGRAM, { folder + "/d.json", target + "/i.zse" });
    EXPECT_EQ(retried.exitStatus, 0) << retried.err;
    EXPECT_EQ(readWholeFile(target + "/one/deeper/a.wav"), wave);
    EXPECT_EQ(readWholeFile(target + "/two/b.wav"), wave);
}

TEST(BuilderOutput, AnInterruptedBuildLeavesNoPartialFileAndNoCopy)
{
    // Three names of one long sample: a copy build writes three large files.
    const std::string source = freshFolder("output-interrupted");
    std::vector<int16_t> values(44100 * 2 * 40);
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<int16_t>(k * 7919);
    writeScratchFile("output-interrupted/big.wav", WaveBuilder().pcm(2, 44100, 16).data(samples16(values)).build());
    fs::create_hard_link(source + "/big.wav", source + "/big2.wav");
    fs::create_hard_link(source + "/big.wav", source + "/big3.wav");
    writeTextFile(source + "/d.json", R"({ "storage": "copy", "groups": [ { "zones": [
        { "sample": "big.wav" }, { "sample": "big2.wav" }, { "sample": "big3.wav" } ] } ] })");

    for (int signalNumber : { SIGTERM, SIGINT })
    {
        SCOPED_TRACE(strsignal(signalNumber));
        const std::string target = freshFolder("output-interrupted-target");
        const pid_t child = startTool(ZSE_BUILD_PROGRAM, { source + "/d.json", target + "/i.zse" });
        ASSERT_GT(child, 0);
        bool interrupted = false;
        for (int poll = 0; poll < 200000 && !interrupted; ++poll)
        {
            if (holdsPartialFile(target))
            {
                ::kill(child, signalNumber);
                interrupted = true;
            }
            else
                std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        const ToolResult result = waitForTool(child);
        ASSERT_TRUE(interrupted) << "the build ended before it could be interrupted: " << result.err;
        EXPECT_EQ(result.signal, signalNumber);
        EXPECT_TRUE(folderEntries(target).empty());
    }
}
