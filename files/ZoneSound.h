#pragma once
// The sound of a zone: with a shared instrument file, the embedded sound whose
// header starts at headerOffset; otherwise the WAVE file at path (a
// Windows-form path is mapped to this system's file names first). The object
// is returned whether or not it could be opened; isOpen() tells.

#include <cstdint>
#include <memory>
#include <string>

#include "files/ZSoundFile.h"

std::unique_ptr<ZSoundFile> openZoneSound(const std::string& path, const ZSharedFile& sharedFile, int64_t headerOffset);
