#include "OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "InterruptCleanup.h"

namespace
{
constexpr size_t bufferBytes = 64 * 1024;
constexpr int nameAttempts = 100;

std::string systemMessage(int errorNumber)
{
    return std::strerror(errorNumber);
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Eight random letters and digits for a temporary name.
std::string randomSuffix()
{
    static std::atomic<uint64_t> counter { 0 };
    static const uint64_t seed = std::random_device {}();
    std::mt19937_64 generator(seed ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull) ^ static_cast<uint64_t>(::getpid()));
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int k = 0; k < 8; ++k)
        suffix += letters[generator() % (sizeof letters - 1)];
    return suffix;
}

const char* kindOfSpecialFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "is a directory";
    if (S_ISBLK(mode))
        return "is a block device; refusing to write into it";
    if (S_ISSOCK(mode))
        return "is a socket; refusing to write into it";
    return "is not a regular file; refusing to write into it";
}

bool writeFully(int fd, const uint8_t* bytes, size_t count, int& errorNumber)
{
    while (count > 0)
    {
        const ssize_t put = ::write(fd, bytes, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
        {
            errorNumber = put < 0 ? errno : EIO;
            return false;
        }
        bytes += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}
} // namespace

std::unique_ptr<OutputFile> OutputFile::open(const std::string& path, std::string& error)
{
    if (path == "-")
    {
        std::unique_ptr<OutputFile> out(new OutputFile(Kind::standardOutput, STDOUT_FILENO, path, {}, {}, 0, true));
        // Redirected into a file ("> out.wav") from its start, not appending.
        struct stat info {};
        const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
        out->seekableStandardOutput = ::fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode) && flags != -1
                                   && (flags & O_APPEND) == 0 && ::lseek(STDOUT_FILENO, 0, SEEK_CUR) == 0;
        return out;
    }
    if (path.empty() || path.find('\0') != std::string::npos)
    {
        error = "the output needs a path";
        return nullptr;
    }

    struct stat info {};
    bool exists = ::stat(path.c_str(), &info) == 0;
    if (!exists)
    {
        const int reason = errno;
        struct stat link {};
        if (reason == ENOENT && ::lstat(path.c_str(), &link) == 0)
        {
            error = path + ": is a symbolic link to a file that does not exist";
            return nullptr;
        }
        if (reason != ENOENT)
        {
            error = path + ": cannot reach the output: " + systemMessage(reason);
            return nullptr;
        }
    }

    if (exists && (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)))
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
        {
            error = path + ": cannot open for writing: " + systemMessage(errno);
            return nullptr;
        }
        return std::unique_ptr<OutputFile>(new OutputFile(Kind::stream, fd, path, path, {}, 0, true));
    }
    if (exists && !S_ISREG(info.st_mode))
    {
        error = path + ": " + kindOfSpecialFile(info.st_mode);
        return nullptr;
    }

    // A symbolic link stays a link: its target is what gets replaced.
    std::string target = path;
    if (exists)
    {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved) != nullptr)
            target = resolved;
    }
    const std::string folder = folderOf(target);
    for (int attempt = 0; attempt < nameAttempts; ++attempt)
    {
        const std::string temporary = target + ".partial-" + randomSuffix();
        // Registered before it exists, so no moment is left in which a signal
        // could leave it behind.
        const int handle = interrupt_cleanup::watch(temporary.c_str());
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
        {
            if (exists)
                ::fchmod(fd, info.st_mode & 07777);
            return std::unique_ptr<OutputFile>(
                new OutputFile(Kind::replace, fd, path, target, temporary, handle, exists));
        }
        const int reason = errno;
        interrupt_cleanup::forget(handle);
        if (reason == EEXIST)
            continue;
        if (reason == ENOENT)
            error = path + ": cannot create the output file: the folder " + folder + " does not exist";
        else
            error = path + ": cannot create the output file in " + folder + ": " + systemMessage(reason);
        return nullptr;
    }
    error = path + ": cannot find a free temporary name in " + folder;
    return nullptr;
}

OutputFile::OutputFile(Kind outputKind, int descriptor, std::string shown, std::string target, std::string temporary,
                       int handle, bool existed)
    : kind(outputKind), fd(descriptor), shownPath(std::move(shown)), targetPath(std::move(target)),
      temporaryPath(std::move(temporary)), cleanupHandle(handle), targetExisted(existed)
{
    buffer.reserve(bufferBytes);
}

OutputFile::~OutputFile()
{
    if (fd >= 0 && kind != Kind::standardOutput)
        ::close(fd);
    if (kind == Kind::replace && !published)
    {
        ::unlink(temporaryPath.c_str());
        interrupt_cleanup::forget(cleanupHandle);
    }
}

void OutputFile::fail(const std::string& what, int errorNumber)
{
    if (failure.empty())
        failure = what + " " + (kind == Kind::standardOutput ? std::string("standard output") : shownPath)
                + " failed: " + systemMessage(errorNumber);
}

bool OutputFile::flush()
{
    if (!failure.empty())
        return false;
    int reason = 0;
    if (!buffer.empty() && !writeFully(fd, buffer.data(), buffer.size(), reason))
    {
        fail("writing", reason);
        return false;
    }
    buffer.clear();
    return true;
}

bool OutputFile::write(const void* bytes, size_t count)
{
    if (!failure.empty() || finished)
        return false;
    const auto* in = static_cast<const uint8_t*>(bytes);
    written += static_cast<int64_t>(count);
    if (buffer.size() + count > bufferBytes)
    {
        if (!flush())
            return false;
        if (count >= bufferBytes)
        {
            int reason = 0;
            if (!writeFully(fd, in, count, reason))
            {
                fail("writing", reason);
                return false;
            }
            return true;
        }
    }
    buffer.insert(buffer.end(), in, in + count);
    return true;
}

bool OutputFile::rewrite(int64_t offset, const void* bytes, size_t count)
{
    if (!canRewrite() || finished || offset < 0 || !flush())
        return false;
    const auto* in = static_cast<const uint8_t*>(bytes);
    for (size_t done = 0; done < count;)
    {
        const ssize_t put = ::pwrite(fd, in + done, count - done, static_cast<off_t>(offset + static_cast<int64_t>(done)));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
        {
            fail("writing", put < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

bool OutputFile::finish(std::string& message)
{
    if (finished)
    {
        message = failure;
        return failure.empty();
    }
    bool ok = flush();
    if (ok && kind == Kind::replace && ::fsync(fd) != 0)
    {
        fail("writing", errno);
        ok = false;
    }
    if (kind != Kind::standardOutput)
    {
        if (::close(fd) != 0 && ok)
        {
            fail("writing", errno);
            ok = false;
        }
        fd = -1;
    }
    finished = true;
    if (!ok)
        message = failure;
    return ok;
}

bool OutputFile::publish(std::string& message)
{
    if (kind != Kind::replace || published)
        return failure.empty();
    if (::rename(temporaryPath.c_str(), targetPath.c_str()) != 0)
    {
        const int reason = errno;
        message = shownPath + ": cannot put the output in place: " + systemMessage(reason);
        failure = message;
        return false;
    }
    published = true;
    interrupt_cleanup::forget(cleanupHandle);
    return true;
}

void OutputFile::unpublish()
{
    if (published && createsNewFile())
        ::unlink(targetPath.c_str());
}

bool OutputFile::commit(std::string& message)
{
    return finish(message) && publish(message);
}

bool commitTogether(const std::vector<OutputFile*>& outputs, std::string& message)
{
    for (OutputFile* output : outputs)
        if (!output->finish(message))
            return false;
    for (size_t k = 0; k < outputs.size(); ++k)
        if (!outputs[k]->publish(message))
        {
            for (size_t undone = 0; undone < k; ++undone)
                outputs[undone]->unpublish();
            return false;
        }
    return true;
}
