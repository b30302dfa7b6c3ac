#include "files/ZoneSound.h"

#include "files/SamplePath.h"
#include "files/ZEmbeddedSoundFile.h"
#include "files/ZWaveFile.h"

std::unique_ptr<ZSoundFile> openZoneSound(const std::string& path, const ZSharedFile& sharedFile, int64_t headerOffset)
{
    std::unique_ptr<ZSoundFile> sound;
    if (sharedFile != nullptr)
    {
        sound = std::make_unique<ZEmbeddedSoundFile>();
        sound->open(path, sharedFile, headerOffset);
    }
    else
    {
        sound = std::make_unique<ZWaveFile>();
        sound->open(toPlatformPath(path), nullptr, 0);
    }
    return sound;
}
