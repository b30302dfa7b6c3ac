// The tools' outputs: a regular file is only ever replaced by a complete new
// one, devices and pipes are written into and stay what they are, other
// special files are refused, an output that is an input is refused, and an
// interrupted program leaves no temporary file behind.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "FileIdentity.h"
#include "InterruptCleanup.h"
#include "OutputFile.h"
#include "files/FileTestSupport.h"

namespace fs = std::filesystem;

namespace
{
std::string freshFolder(const std::string& name)
{
    const std::string folder = scratchDir() + "/" + name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

bool holdsPartialFile(const std::string& folder)
{
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".partial-") != std::string::npos)
            return true;
    return false;
}

bool writeAndCommit(const std::string& path, const std::string& text, std::string& error)
{
    std::unique_ptr<OutputFile> out = OutputFile::open(path, error);
    return out != nullptr && out->write(text.data(), text.size()) && out->commit(error);
}
} // namespace

TEST(OutputFile, ARegularFileIsReplacedOnlyByACompleteNewOne)
{
    const std::string folder = freshFolder("output-regular");
    const std::string path = folder + "/result.bin";
    writeText(path, "old");
    ::chmod(path.c_str(), 0640);

    std::string error;
    {
        std::unique_ptr<OutputFile> out = OutputFile::open(path, error);
        ASSERT_NE(out, nullptr) << error;
        ASSERT_TRUE(out->write("new", 3));
        EXPECT_EQ(readText(path), "old");
        EXPECT_TRUE(holdsPartialFile(folder));
        // Given up without a commit: the old file stays, the temporary goes.
    }
    EXPECT_EQ(readText(path), "old");
    EXPECT_FALSE(holdsPartialFile(folder));

    ASSERT_TRUE(writeAndCommit(path, "new", error)) << error;
    EXPECT_EQ(readText(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);  // the replaced file's permissions stay
    EXPECT_FALSE(holdsPartialFile(folder));

    // Through a symbolic link the link stays and its target is replaced.
    const std::string link = folder + "/link.bin";
    fs::create_symlink("result.bin", link);
    ASSERT_TRUE(writeAndCommit(link, "linked", error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readText(path), "linked");

    ASSERT_TRUE(writeAndCommit(folder + "/absent.bin", "fresh", error)) << error;
    EXPECT_EQ(readText(folder + "/absent.bin"), "fresh");
}

TEST(OutputFile, DevicesAndPipesAreWrittenIntoAndOtherSpecialFilesRefused)
{
    const std::string folder = freshFolder("output-special");
    std::string error;

    ASSERT_TRUE(writeAndCommit("/dev/null", "nothing", error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string sent(200000, 'x');  // more than a pipe holds at once
    std::string received;
    std::thread reader([&fifo, &received] { received = readText(fifo); });
    const bool written = writeAndCommit(fifo, sent, error);
    reader.join();
    EXPECT_TRUE(written) << error;
    EXPECT_EQ(received, sent);
    ASSERT_EQ(::stat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    const std::string socketPath = folder + "/socket";
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    const bool bound = ::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    fs::create_directory(folder + "/folder");
    fs::create_symlink("nowhere", folder + "/dangling");

    struct Refused
    {
        std::string path;
        std::string message;
    };
    std::vector<Refused> refused = {
        { folder + "/folder", folder + "/folder: is a directory" },
        { folder + "/missing/x.bin", folder + "/missing/x.bin: cannot create the output file: the folder " + folder
                                         + "/missing does not exist" },
        { folder + "/dangling", folder + "/dangling: is a symbolic link to a file that does not exist" },
    };
    if (bound)
        refused.push_back({ socketPath, socketPath + ": is a socket; refusing to write into it" });
    for (const Refused& r : refused)
    {
        EXPECT_EQ(OutputFile::open(r.path, error), nullptr) << r.path;
        EXPECT_EQ(error, r.message);
    }
    ::close(socketFd);
    EXPECT_TRUE(fs::is_directory(folder + "/folder"));
    EXPECT_TRUE(fs::is_symlink(folder + "/dangling"));
}

TEST(OutputFile, AFullDeviceFailsWithTheSystemsReason)
{
    std::string error;
    std::unique_ptr<OutputFile> out = OutputFile::open("/dev/full", error);
    ASSERT_NE(out, nullptr) << error;
    const std::string block(1 << 20, 'x');
    const bool written = out->write(block.data(), block.size());
    EXPECT_FALSE(written && out->commit(error));
    EXPECT_NE((error.empty() ? out->error() : error).find("writing /dev/full failed: No space left on device"),
              std::string::npos)
        << error << out->error();
}

TEST(OutputFile, OutputsCommittedTogetherAppearTogetherOrNotAtAll)
{
    const std::string folder = freshFolder("output-together");
    std::string error;
    auto first = OutputFile::open(folder + "/first.bin", error);
    auto second = OutputFile::open(folder + "/second.bin", error);
    ASSERT_TRUE(first && second) << error;
    first->write("1", 1);
    second->write("2", 1);
    // Something takes the second's place before the commit: its rename fails.
    fs::create_directories(folder + "/second.bin/inside");
    EXPECT_FALSE(commitTogether({ first.get(), second.get() }, error));
    EXPECT_NE(error.find("second.bin: cannot put the output in place"), std::string::npos) << error;
    first.reset();
    second.reset();
    EXPECT_FALSE(fs::exists(folder + "/first.bin"));
    EXPECT_FALSE(holdsPartialFile(folder));

    auto third = OutputFile::open(folder + "/third.bin", error);
    auto fourth = OutputFile::open(folder + "/fourth.bin", error);
    ASSERT_TRUE(third && fourth) << error;
    EXPECT_TRUE(commitTogether({ third.get(), fourth.get() }, error)) << error;
    EXPECT_TRUE(fs::exists(folder + "/third.bin") && fs::exists(folder + "/fourth.bin"));
}

TEST(OutputFile, AProgramStoppedBySignalLeavesNoTemporaryFile)
{
    for (int signalNumber : { SIGINT, SIGTERM, SIGHUP, SIGPIPE })
    {
        SCOPED_TRACE(strsignal(signalNumber));
        const std::string folder = freshFolder("output-signal");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            // A program in the middle of writing two outputs.
            interrupt_cleanup::install();
            std::string error;
            auto one = OutputFile::open(folder + "/one.bin", error);
            auto two = OutputFile::open(folder + "/two.bin", error);
            const std::string block(1 << 17, 'x');
            if (!one || !two || !one->write(block.data(), block.size()) || !two->write(block.data(), block.size()))
                ::_exit(3);
            ::write(ready[1], "r", 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        EXPECT_TRUE(holdsPartialFile(folder));
        ::kill(child, signalNumber);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        // Ended by the signal itself, as without the clean-up.
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), signalNumber);
        EXPECT_FALSE(holdsPartialFile(folder));
        EXPECT_TRUE(fs::is_empty(folder));
    }
}

TEST(FileIdentity, AnOutputThatIsOneOfTheInputsIsRefused)
{
    const std::string folder = freshFolder("output-identity");
    const std::string input = folder + "/input.json";
    writeText(input, "{}");
    writeText(folder + "/other.json", "{}");
    fs::create_hard_link(input, folder + "/hard.json");
    fs::create_symlink("input.json", folder + "/soft.json");
    fs::create_directory(folder + "/sub");

    struct Case
    {
        std::string output;
        bool refused;
    };
    for (const Case& c : {
             Case { input, true },
             Case { folder + "/sub/../input.json", true },
             Case { folder + "/hard.json", true },
             Case { folder + "/soft.json", true },
             Case { folder + "/other.json", false },
             Case { folder + "/new.json", false },
             Case { "/dev/null", false },
         })
    {
        std::string error;
        EXPECT_EQ(outputIsNoInput(c.output, { folder + "/unrelated", input }, error), !c.refused) << c.output;
        if (c.refused)
            EXPECT_EQ(error, "the output " + c.output + " is the same file as the input " + input
                                 + "; writing there would destroy it");
    }
}
