// A load refused after the instrument was cleared must leave no stream request
// pointing at a destroyed zone (seen under the address sanitizer).
#include "engine/InstrumentReaderTest.h"

TEST(InstrumentReaderStreams, ARefusedLoadLeavesNoStreamOnTheZonesItCleared)
{
    InstrumentImage image = plainImage(false);
    image.settings.diskStreaming = image.settings.diskStreamingStored = 1;
    image.settings.streamBufferFrames = image.settings.streamBufferFramesStored = 64;
    GroupImage group = newGroupImage("G");
    ZoneImage zone = zoneImage("s", distinctSound(100, 1, 0.1f));
    zone.settings.rootKey = 60;
    zone.settings.playMode = 2;
    zone.settings.loopStart = 20;
    zone.settings.loopEnd = 80;
    group.zones.push_back(zone);
    image.groups.push_back(group);

    const std::string good = writeImage(image, "streams-good.zse");
    const std::string bad = writeScratchFile("streams-bad.zse", Bytes { 'X', 'S', 'E', ' ', 200, 0, 0, 0 });
    ZInstrument instrument;
    instrument.setCompleteRefillsBeforeBlock(true);
    float left[64], right[64];
    float* channels[] = { left, right };
    // Whether a request is still pending when the load clears the zones
    // depends on the streaming thread; a few rounds make it near certain.
    for (int round = 0; round < 50; ++round)
    {
        ASSERT_TRUE(instrument.loadFromFile(good));
        instrument.postEvent(0x90, 0, 60, 100, 0);
        for (int k = 0; k < 3; ++k)
            instrument.process(channels, 2, 64);
        EXPECT_FALSE(instrument.loadFromFile(bad));
        instrument.process(channels, 2, 64);  // serves a stale request on a destroyed zone
    }
}
