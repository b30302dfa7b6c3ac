#include "files/InstrumentFileStrings.h"

#include "files/ZFile.h"

std::string readFileString(ZFile& file, size_t limit)
{
    std::string value;
    for (size_t read = 0; read < limit; ++read)
    {
        const int byte = file.readByte();
        if (byte <= 0)
            break;
        if (read + 1 < limit)
            value.push_back(static_cast<char>(byte));
    }
    return value;
}
