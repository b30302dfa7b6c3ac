#pragma once
// Little-endian numbers as the instrument, embedded-sound and WAVE formats
// store them, independent of the host's byte order.

#include <cstdint>
#include <vector>

inline uint16_t readLittleEndian16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline uint32_t readLittleEndian32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16)
         | (static_cast<uint32_t>(p[3]) << 24);
}

inline uint64_t readLittleEndian64(const uint8_t* p)
{
    return static_cast<uint64_t>(readLittleEndian32(p)) | (static_cast<uint64_t>(readLittleEndian32(p + 4)) << 32);
}

// Writes the low `bytes` bytes of value, least significant first.
inline void writeLittleEndian(uint8_t* at, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline void appendLittleEndian(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
