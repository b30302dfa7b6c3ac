#include "files/InstrumentFileStrings.h"

#include "files/ZFile.h"

std::string readFileString(ZFile& file, size_t limit, FileStringEnd* end)
{
    std::string value;
    FileStringEnd how = FileStringEnd::limit;
    for (size_t read = 0; read < limit; ++read)
    {
        const int byte = file.readByte();
        if (byte <= 0)
        {
            how = byte == 0 ? FileStringEnd::zeroByte : FileStringEnd::endOfFile;
            break;
        }
        if (read + 1 < limit)
            value.push_back(static_cast<char>(byte));
    }
    if (end != nullptr)
        *end = how;
    return value;
}
