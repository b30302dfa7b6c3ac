#include <gtest/gtest.h>

#include "support/EngineFixture.h"

TEST(VoiceAllocation, AFullPoolStealsTheOldestAndStartsAfterItsFade)
{
    EngineFixture f;
    ZZone& low = f.addConstantZone(f.defaultGroup(), 0.5f, 0, 99);
    ZZone& high = f.addConstantZone(f.defaultGroup(), 0.5f, 100, 127);
    for (int k = 0; k < 32; ++k)
    {
        f.clock.set(100.0 + k);
        f.noteOn(k);
        f.render(1);
    }
    ASSERT_EQ(f.activeVoices(), 32);
    ZVoice& oldest = *f.instrument.voices[0];

    f.clock.set(200.0);
    f.noteOn(110);
    f.render(1);
    EXPECT_TRUE(oldest.isPending());
    EXPECT_EQ(oldest.getZone(), &low);  // still fading the stolen note

    int samples = 1;
    while (oldest.getZone() != &high && samples < 500)
    {
        f.render(1);
        ++samples;
    }
    // About 44 samples from full level, at any sample rate.
    EXPECT_GE(samples, 35);
    EXPECT_LE(samples, 60);
    EXPECT_EQ(oldest.getNote(), 110);
    EXPECT_FALSE(oldest.isPending());
    EXPECT_EQ(f.activeVoices(), 32);
}

TEST(VoiceAllocation, ANoteOffCancelsThePendingStartOfAStolenVoice)
{
    EngineFixture f(2);
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.clock.set(1.0);
    f.noteOn(60);
    f.render(1);
    f.clock.set(2.0);
    f.noteOn(61);
    f.render(1);
    f.clock.set(3.0);
    f.noteOn(62);  // steals the note 60 voice
    f.render(1);
    ZVoice& stolen = *f.instrument.voices[0];
    ASSERT_TRUE(stolen.isPending());
    f.noteOff(62);
    f.render(200);
    EXPECT_FALSE(stolen.isActive());
    EXPECT_EQ(f.activeVoices(), 1);
    EXPECT_EQ(f.instrument.voices[1]->getNote(), 61);
}

TEST(VoiceAllocation, AnEmptyPoolStartsNothing)
{
    EngineFixture f(0);
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    EXPECT_EQ(f.render(16).peak(0), 0.0f);
}

TEST(VoiceAllocation, MonoFadesEverySoundingVoice)
{
    EngineFixture f;
    f.instrument.settings.voiceMode = 1;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.render(4);
    f.noteOn(64);
    f.render(1);
    EXPECT_TRUE(f.instrument.voices[0]->isReleasing());
    EXPECT_TRUE(f.instrument.voices[1]->isActive());
    EXPECT_EQ(f.instrument.voices[1]->getNote(), 64);
    f.render(200);
    EXPECT_EQ(f.activeVoices(), 1);
}

TEST(VoiceAllocation, LegatoReusesTheSoundingVoice)
{
    EngineFixture f;
    f.instrument.settings.voiceMode = 2;
    f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.render(4);
    f.noteOn(67);
    f.render(4);
    EXPECT_EQ(f.activeVoices(), 1);
    EXPECT_EQ(f.instrument.voices[0]->getNote(), 67);
    EXPECT_EQ(f.instrument.getLastNote(), 67);
}

TEST(VoiceAllocation, ExclusiveGroupsCutEachOther)
{
    EngineFixture f;
    ZZone& openHat = f.addConstantZone(f.defaultGroup(), 0.5f, 46, 46);
    ZZone& closedHat = f.addConstantZone(f.defaultGroup(), 0.5f, 42, 42);
    ZZone& kick = f.addConstantZone(f.defaultGroup(), 0.5f, 36, 36);
    openHat.settings.exclusiveGroup = closedHat.settings.exclusiveGroup = 3;
    f.noteOn(46);
    f.noteOn(36);
    f.render(4);
    f.noteOn(42);
    f.render(200);
    EXPECT_EQ(f.voicesPlaying(openHat), 0);
    EXPECT_EQ(f.voicesPlaying(closedHat), 1);
    EXPECT_EQ(f.voicesPlaying(kick), 1);
}

TEST(NoteOff, ChannelTagsDecideWhichVoicesANoteOffReleases)
{
    EngineFixture f;
    ZGroup& channelFive = f.defaultGroup();
    channelFive.settings.activation = 1;
    channelFive.settings.activationChannel = 5;
    ZGroup& always = f.addGroup("Always");
    ZZone& tagged = f.addConstantZone(channelFive, 0.5f);
    ZZone& untagged = f.addConstantZone(always, 0.5f);
    f.noteOn(60, 100, 5);
    f.render(4);
    ASSERT_EQ(f.voicesPlaying(tagged), 1);
    ASSERT_EQ(f.voicesPlaying(untagged), 1);

    f.noteOff(60, 3);
    f.render(4);
    EXPECT_EQ(f.voicesPlaying(tagged), 1);
    EXPECT_EQ(f.voicesPlaying(untagged), 0);

    f.noteOff(60, 5);
    f.render(4);
    EXPECT_EQ(f.voicesPlaying(tagged), 0);
}

TEST(NoteOff, OneShotZonesIgnoreNoteOff)
{
    EngineFixture f;
    ZZone& oneShot = f.addConstantZone(f.defaultGroup(), 0.5f);
    oneShot.settings.playMode = 1;
    f.noteOn(60);
    f.render(4);
    f.noteOff(60);
    f.render(400);
    EXPECT_EQ(f.voicesPlaying(oneShot), 1);
}

TEST(NoteOff, SustainPedalHoldsThenReleasesOnlySustainedVoices)
{
    EngineFixture f;
    ZZone& zone = f.addConstantZone(f.defaultGroup(), 0.5f);
    f.noteOn(60);
    f.noteOn(62);
    f.render(4);
    f.controller(64, 127);
    f.noteOff(60);
    f.render(100);
    EXPECT_EQ(f.voicesPlaying(zone), 2);
    f.noteOn(64);  // pressed after the pedal, still held
    f.render(4);
    f.controller(64, 0);
    f.render(100);
    EXPECT_EQ(f.voicesPlaying(zone), 2);  // 62 and 64 are still held
    f.noteOff(62);
    f.noteOff(64);
    f.render(100);
    EXPECT_EQ(f.activeVoices(), 0);
}

TEST(NoteOff, ReleaseTriggersSoundOnNoteOffWithTheirDecay)
{
    EngineFixture f;
    ZGroup& releases = f.addGroup("Releases");
    releases.settings.releaseTrigger = 1;
    releases.settings.releaseTriggerDecay = 1000.0f;
    f.instrument.activateGroup(&releases);
    ZZone& atSeventyFive = f.addConstantZone(releases, 0.2f, 0, 127, 75, 75);
    ZZone& silentOne = f.addConstantZone(releases, 0.2f, 0, 127, 0, 0);
    ZZone& others = f.addConstantZone(releases, 0.2f, 0, 127, 1, 74);

    f.clock.set(1000.0);
    f.noteOn(60, 100);
    f.render(4);
    EXPECT_EQ(f.activeVoices(), 0);  // release groups do not sound on note-on
    f.clock.set(1250.0);
    f.noteOff(60);
    f.render(4);
    EXPECT_EQ(f.voicesPlaying(atSeventyFive), 1);  // (1 - 250/1000) x 100

    f.noteOn(61, 100);
    f.render(4);
    f.clock.set(2300.0);
    f.noteOff(61);
    f.render(4);
    EXPECT_EQ(f.voicesPlaying(silentOne), 1);  // held past the decay time
    EXPECT_EQ(f.voicesPlaying(others), 0);
}

TEST(NoteOff, ReleaseTriggersStayQuietWhileThePedalIsDown)
{
    EngineFixture f;
    ZGroup& releases = f.defaultGroup();
    releases.settings.releaseTrigger = 1;
    f.addConstantZone(releases, 0.2f);
    f.controller(64, 100);
    f.noteOn(60);
    f.noteOff(60);
    f.render(4);
    f.controller(64, 0);
    f.render(4);
    EXPECT_EQ(f.activeVoices(), 0);
    f.noteOn(60, 90);
    f.noteOff(60);
    f.render(4);
    EXPECT_EQ(f.activeVoices(), 1);
}
