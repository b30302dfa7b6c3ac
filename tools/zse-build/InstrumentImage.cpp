#include "InstrumentImage.h"

#include "engine/ZGroup.h"
#include "engine/ZInstrument.h"

InstrumentImage newInstrumentImage()
{
    InstrumentImage image;
    image.settings = ZInstrument::defaultSettings();
    image.name = "Untitled";
    image.vendor = "Quellmark";
    image.layoutXml = defaultLayoutXml;
    return image;
}

GroupImage newGroupImage(const std::string& name)
{
    GroupImage group;
    group.name = name;
    group.settings = ZGroup::defaultSettings();
    return group;
}

ZoneSettings soundZoneSettings(ZSoundFile& sound)
{
    ZoneSettings s {};
    const int64_t length = sound.getLength();
    s.endFrame = length > 0 ? static_cast<uint64_t>(length - 1) : 0;
    s.release = 100.0f;
    if (sound.hasLoop())
    {
        s.loopStart = static_cast<uint64_t>(sound.getLoopStart());
        s.loopEnd = static_cast<uint64_t>(sound.getLoopEnd());
        s.playMode = 2;
    }
    else
        s.loopEnd = s.endFrame;
    if (sound.hasRootKey())
        s.rootKey = static_cast<int8_t>(sound.getRootKey() & 0xFF);
    return s;
}
