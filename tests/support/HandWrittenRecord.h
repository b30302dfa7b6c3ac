#pragma once
// Identity records written out by hand for the tests: the marker, then each
// part's bytes at the offset given with it, zero bytes everywhere else. The
// parts are spelled out in the tests, so the records do not depend on the
// code that writes records.

#include <string>
#include <utility>
#include <vector>

#include "IdentityRecord.h"

using RecordPart = std::pair<size_t, std::string>;

inline std::string handWrittenRecord(const std::vector<RecordPart>& parts, size_t size = 256)
{
    const IdentityMarker marker = identityMarker();
    std::string record(size, '\0');
    record.replace(0, marker.size(), std::string(marker.begin(), marker.end()));
    for (const auto& [offset, bytes] : parts)
        record.replace(offset, bytes.size(), bytes);
    return record;
}

// The four bytes that declare a 256-byte record with long names, at offset 124.
inline const std::string longRecordSize {'\0', '\0', '\1', '\0'};
