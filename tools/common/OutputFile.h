#pragma once
// Where a tool writes its result, chosen by what is at the output path:
//
// - nothing, or a regular file (also through a symbolic link): the bytes go
//   to a temporary file "PATH.partial-XXXXXXXX" in the same folder, which
//   replaces the target only when the output is committed, so a failed or
//   interrupted run never leaves half a file and never destroys the old one;
// - a character device (/dev/null) or a named pipe: the bytes are written
//   straight into it, and the device or pipe itself stays what it is;
// - "-": standard output;
// - anything else (a folder, a block device, a socket) is refused.
//
// Errors name the path and the reason the system gave ("No space left on
// device"), never a guess.

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class OutputFile
{
public:
    // Opens the output at `path` ("-" for standard output). Null with a
    // message when the path cannot take the output.
    static std::unique_ptr<OutputFile> open(const std::string& path, std::string& error);

    // Removes the temporary file of an output that was not committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends bytes. False once any write has failed; error() says why.
    bool write(const void* bytes, size_t count);

    // A temporary file can be written again at an earlier place (to fill in
    // a header once the length is known), and so can standard output when it
    // is a regular file written from its start; a pipe or device cannot.
    bool canRewrite() const { return kind == Kind::replace || seekableStandardOutput; }
    bool rewrite(int64_t offset, const void* bytes, size_t count);

    int64_t bytesWritten() const { return written; }

    // Writes out everything and, for a temporary file, renames it over the
    // target. False with a message when any of it failed; the target is then
    // as it was before.
    bool commit(std::string& message);

    // The first half of commit(): every byte written and synced, the file
    // closed, not yet renamed. For outputs that must appear together
    // (commitTogether below).
    bool finish(std::string& message);

    const std::string& path() const { return shownPath; }
    bool isStandardOutput() const { return kind == Kind::standardOutput; }
    // True for a file that did not exist before (publishing created it).
    bool createsNewFile() const { return kind == Kind::replace && !targetExisted; }

    const std::string& error() const { return failure; }

private:
    enum class Kind { replace, stream, standardOutput };

    OutputFile(Kind outputKind, int descriptor, std::string shown, std::string target, std::string temporary,
               int cleanupHandle, bool existed);

    bool flush();
    bool publish(std::string& message);
    void unpublish();
    void fail(const std::string& what, int errorNumber);

    Kind kind;
    int fd;
    std::string shownPath;       // as the user gave it
    std::string targetPath;      // what is replaced (a symbolic link's target)
    std::string temporaryPath;
    int cleanupHandle;
    bool targetExisted;
    bool seekableStandardOutput = false;
    bool finished = false;
    bool published = false;
    std::string failure;
    std::vector<uint8_t> buffer;
    int64_t written = 0;

    friend bool commitTogether(const std::vector<OutputFile*>& outputs, std::string& message);
};

// Commits several outputs as one: all are finished first, then renamed into
// place in order. If a rename fails, the files already renamed that did not
// exist before are removed again, so a failed run leaves none of them.
bool commitTogether(const std::vector<OutputFile*>& outputs, std::string& message);
