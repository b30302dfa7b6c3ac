#include "files/InstrumentFileHead.h"

#include <cstring>

#include "files/LittleEndian.h"
#include "files/ZFile.h"

bool readInstrumentFileHead(ZFile& file, int32_t& version)
{
    char magic[4] = {};
    if (file.read(magic, sizeof magic) != sizeof magic || std::memcmp(magic, instrumentFileMagic, sizeof magic) != 0)
        return false;
    uint8_t bytes[4] = {};
    version = file.read(bytes, sizeof bytes) == sizeof bytes ? static_cast<int32_t>(readLittleEndian32(bytes)) : 0;
    return true;
}
