#include <cmath>
#include <limits>

#include "engine/InstrumentReaderTest.h"

TEST(InstrumentReaderSettings, AnyStoredFilterCutoffGivesAFiniteFilter)
{
    for (float cutoff : { 1e30f, -1e30f, std::numeric_limits<float>::infinity(), std::nanf("") })
    {
        InstrumentImage image = plainImage();
        image.settings.filterType = 1;
        image.settings.filterCutoff = cutoff;
        GroupImage group = newGroupImage("G");
        group.zones.push_back(zoneImage("s", distinctSound(1000, 1, 0.1f)));
        image.groups.push_back(group);
        ZInstrument instrument;
        ASSERT_TRUE(instrument.loadFromFile(writeImage(image, "cutoff.zse")));
        float left[64], right[64];
        float* channels[] = { left, right };
        instrument.postEvent(0x90, 0, 60, 100, 0);
        instrument.process(channels, 2, 64);
        for (float v : left)
            ASSERT_TRUE(std::isfinite(v)) << cutoff;
    }
}
