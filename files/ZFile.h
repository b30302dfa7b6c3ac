#pragma once
// A file opened by UTF-8 path: either for reading, with buffered sequential
// reads plus positional reads that any number of threads may issue at once,
// or for writing, through a temporary file that replaces the target only when
// the writer commits, so a failed or abandoned write never leaves half a file.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/ZSoundFile.h"

class ZFile
{
public:
    // Opens a regular file for reading ("rb"); null when it cannot be opened.
    static ZSharedFile openFileForReading(const std::string& utf8Path);
    // Why openFileForReading refuses a path, for a person: "not found", "is a
    // directory", "not a regular file" (a pipe, a device) or the system's
    // reason; empty for a regular file.
    static std::string whyNotReadable(const std::string& utf8Path);

    // Creates a writer for utf8Path. Bytes go to a temporary file in the same
    // folder; commit() moves it over utf8Path. Destroying the writer without a
    // successful commit() removes the temporary file. Null when the folder
    // cannot take a new file.
    static std::unique_ptr<ZFile> createForWriting(const std::string& utf8Path);

    ~ZFile();
    ZFile(const ZFile&) = delete;
    ZFile& operator=(const ZFile&) = delete;

    // Sequential reading from the current position. Returns the bytes read;
    // fewer than asked only at the end of the file or on an error.
    size_t read(void* destination, size_t bytes);
    // The next byte (0 to 255), or -1 at the end of the file.
    int readByte();

    // Positioning, for reading and writing. A position past the end is allowed
    // (reads there return nothing); a negative one is refused.
    bool seek(int64_t offset);
    bool skip(int64_t delta);
    int64_t tell() const;

    // The file's real size in bytes (for a writer: the bytes written so far).
    int64_t size() const;

    // Reads at an absolute offset without touching the sequential position.
    // Safe to call from several threads at once on the same file.
    size_t readAt(int64_t offset, void* destination, size_t bytes) const;
    // Asks the system to start reading these bytes into its cache now, so
    // that reads of them soon after wait less; where it cannot, nothing.
    void prefetch(int64_t offset, int64_t bytes) const;

    // Writing at the current position. False once any write has failed.
    bool write(const void* source, size_t bytes);
    // Flushes, closes and renames the temporary file over the target. False if
    // any write failed or the rename did; the target is then left untouched.
    bool commit();

    const std::string& getPath() const { return path; }

private:
    ZFile(int descriptor, std::string targetPath, std::string temporaryPath, bool forWriting, int64_t length);

    bool flushWrites();
    bool fillReadBuffer();
    void dropReadBuffer();

    int fd;
    std::string path;
    std::string temporaryPath;
    bool writable;
    bool failed = false;
    bool committed = false;

    // Reading: the file's size and the byte offset of readBuffer[0].
    int64_t fileSize;
    int64_t bufferStart = 0;
    size_t bufferUsed = 0;
    size_t bufferFill = 0;
    std::vector<uint8_t> readBuffer;

    // Writing: the offset at which pending bytes start, and the bytes.
    int64_t writePosition = 0;
    std::vector<uint8_t> writeBuffer;
};
