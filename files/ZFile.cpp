#include "files/ZFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr size_t readBufferBytes = 64 * 1024;
constexpr size_t writeBufferBytes = 64 * 1024;

// pread until `bytes` arrived, the file ended or an error other than an
// interruption happened.
size_t preadFully(int fd, int64_t offset, uint8_t* destination, size_t bytes)
{
    size_t done = 0;
    while (done < bytes)
    {
        const ssize_t got = ::pread(fd, destination + done, bytes - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool pwriteFully(int fd, int64_t offset, const uint8_t* source, size_t bytes)
{
    size_t done = 0;
    while (done < bytes)
    {
        const ssize_t put = ::pwrite(fd, source + done, bytes - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}
}

ZFile::ZFile(int descriptor, std::string targetPath, std::string temporary, bool forWriting, int64_t length)
    : fd(descriptor), path(std::move(targetPath)), temporaryPath(std::move(temporary)), writable(forWriting),
      fileSize(length)
{
}

ZFile::~ZFile()
{
    if (fd >= 0)
        ::close(fd);
    if (writable && !committed && !temporaryPath.empty())
        ::unlink(temporaryPath.c_str());
}

ZSharedFile ZFile::openFileForReading(const std::string& utf8Path)
{
    if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos)
        return nullptr;
    // Non-blocking so that a named pipe given as a sample path cannot hang the
    // open; anything but a regular file is refused right after.
    const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return ZSharedFile(new ZFile(fd, utf8Path, {}, false, static_cast<int64_t>(info.st_size)));
}

std::string ZFile::whyNotReadable(const std::string& utf8Path)
{
    if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos)
        return "not found";
    struct stat info {};
    if (::stat(utf8Path.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? "not found" : std::strerror(errno);
    if (S_ISDIR(info.st_mode))
        return "is a directory";
    if (!S_ISREG(info.st_mode))
        return "not a regular file";
    if (::access(utf8Path.c_str(), R_OK) != 0)
        return std::strerror(errno);
    return {};
}

std::unique_ptr<ZFile> ZFile::createForWriting(const std::string& utf8Path)
{
    if (utf8Path.empty() || utf8Path.find('\0') != std::string::npos)
        return nullptr;
    std::string pattern = utf8Path + ".partial-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    ::fchmod(fd, 0644);
    return std::unique_ptr<ZFile>(new ZFile(fd, utf8Path, std::string(name.data()), true, 0));
}

bool ZFile::fillReadBuffer()
{
    if (readBuffer.empty())
        readBuffer.resize(readBufferBytes);
    bufferStart += static_cast<int64_t>(bufferUsed);
    bufferUsed = 0;
    bufferFill = preadFully(fd, bufferStart, readBuffer.data(), readBuffer.size());
    return bufferFill > 0;
}

void ZFile::dropReadBuffer()
{
    bufferStart += static_cast<int64_t>(bufferUsed);
    bufferUsed = 0;
    bufferFill = 0;
}

size_t ZFile::read(void* destination, size_t bytes)
{
    if (writable || destination == nullptr)
        return 0;
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < bytes)
    {
        if (bufferUsed == bufferFill)
        {
            // Large requests bypass the buffer once it is drained.
            if (bytes - done >= readBufferBytes)
            {
                dropReadBuffer();
                const size_t got = preadFully(fd, bufferStart, out + done, bytes - done);
                bufferStart += static_cast<int64_t>(got);
                return done + got;
            }
            if (!fillReadBuffer())
                break;
        }
        const size_t take = std::min(bytes - done, bufferFill - bufferUsed);
        std::memcpy(out + done, readBuffer.data() + bufferUsed, take);
        bufferUsed += take;
        done += take;
    }
    return done;
}

int ZFile::readByte()
{
    uint8_t byte = 0;
    return read(&byte, 1) == 1 ? byte : -1;
}

bool ZFile::seek(int64_t offset)
{
    if (offset < 0)
        return false;
    if (writable)
    {
        if (!flushWrites())
            return false;
        writePosition = offset;
        return true;
    }
    if (offset >= bufferStart && offset <= bufferStart + static_cast<int64_t>(bufferFill))
    {
        bufferUsed = static_cast<size_t>(offset - bufferStart);
        return true;
    }
    bufferStart = offset;
    bufferUsed = 0;
    bufferFill = 0;
    return true;
}

bool ZFile::skip(int64_t delta)
{
    const int64_t here = tell();
    if (delta > 0 && here > INT64_MAX - delta)
        return false;
    return seek(here + delta);
}

int64_t ZFile::tell() const
{
    if (writable)
        return writePosition + static_cast<int64_t>(writeBuffer.size());
    return bufferStart + static_cast<int64_t>(bufferUsed);
}

int64_t ZFile::size() const
{
    return writable ? std::max(fileSize, tell()) : fileSize;
}

size_t ZFile::readAt(int64_t offset, void* destination, size_t bytes) const
{
    if (writable || destination == nullptr || offset < 0)
        return 0;
    return preadFully(fd, offset, static_cast<uint8_t*>(destination), bytes);
}

void ZFile::prefetch(int64_t offset, int64_t bytes) const
{
#if defined(POSIX_FADV_WILLNEED)
    if (!writable && offset >= 0 && bytes > 0)
        ::posix_fadvise(fd, static_cast<off_t>(offset), static_cast<off_t>(bytes), POSIX_FADV_WILLNEED);
#else
    (void) offset;
    (void) bytes;
#endif
}

bool ZFile::flushWrites()
{
    if (writeBuffer.empty())
        return !failed;
    if (!failed && !pwriteFully(fd, writePosition, writeBuffer.data(), writeBuffer.size()))
        failed = true;
    writePosition += static_cast<int64_t>(writeBuffer.size());
    fileSize = std::max(fileSize, writePosition);
    writeBuffer.clear();
    return !failed;
}

bool ZFile::write(const void* source, size_t bytes)
{
    if (!writable || committed || failed)
        return false;
    if (bytes == 0)
        return true;
    if (source == nullptr)
        return false;
    const auto* in = static_cast<const uint8_t*>(source);
    if (writeBuffer.size() + bytes > writeBufferBytes)
    {
        if (!flushWrites())
            return false;
        if (bytes >= writeBufferBytes)
        {
            if (!pwriteFully(fd, writePosition, in, bytes))
                failed = true;
            writePosition += static_cast<int64_t>(bytes);
            fileSize = std::max(fileSize, writePosition);
            return !failed;
        }
    }
    if (writeBuffer.capacity() < writeBufferBytes)
        writeBuffer.reserve(writeBufferBytes);
    writeBuffer.insert(writeBuffer.end(), in, in + bytes);
    return true;
}

bool ZFile::commit()
{
    if (!writable || committed)
        return false;
    bool ok = flushWrites() && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    fd = -1;
    if (ok)
        ok = std::rename(temporaryPath.c_str(), path.c_str()) == 0;
    if (!ok)
    {
        ::unlink(temporaryPath.c_str());
        failed = true;
    }
    committed = true;
    return ok;
}
